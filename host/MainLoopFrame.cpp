#include "MainLoopFrame.h"

#include "core/Exceptions.h"
#include "core/FailureReport.h"

namespace {

// Until the Application and its unhandled-exception report exist, an exception that escapes a
// step goes to the unhandled-exception hook.
void StepEscaped(ObjectHeader* exception) {
    if (!exception) {
        ReportAssertion("runtimemainloop", __LINE__, "0");
        return;
    }
    RuntimeUnhandledException(exception);
    ReleaseObject(exception);
}

void RunStep(void* step) { reinterpret_cast<LoopStep>(step)(); }

}  // namespace

void RunMainLoopFrame(LoopStep step) {
    if (!step) {
        ReportAssertion("runtimemainloop", __LINE__, "fp");
        return;
    }
    RunInHandlerFrame(RunStep, reinterpret_cast<void*>(step), StepEscaped);
}
