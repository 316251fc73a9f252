#include "MainLoopFrame.h"

#include "EventLoop.h"
#include "UnhandledException.h"
#include "core/Exceptions.h"
#include "core/FailureReport.h"

namespace {

// An exception that escaped a step: the Application may handle it; otherwise it is reported,
// unless the application is already quitting. The step is abandoned and the loop goes on.
void StepEscaped(ObjectHeader* exception) {
    if (!exception) {
        ReportAssertion("runtimemainloop", __LINE__, "0");
        return;
    }
    if (!TryApplicationUnhandledException(exception) && !IsQuitting())
        ReportUnhandledException(exception);
    ReleaseObject(exception);
}

void RunStep(void* step) { reinterpret_cast<LoopStep>(step)(); }

}  // namespace

void RunMainLoopFrame(void (*step)(void*), void* context) {
    if (!step) {
        ReportAssertion("runtimemainloop", __LINE__, "fp");
        return;
    }
    RunInHandlerFrame(step, context, StepEscaped);
}

void RunMainLoopFrame(LoopStep step) {
    if (!step) {
        ReportAssertion("runtimemainloop", __LINE__, "fp");
        return;
    }
    RunMainLoopFrame(RunStep, reinterpret_cast<void*>(step));
}
