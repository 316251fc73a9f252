#include "UnhandledException.h"

#include "Application.h"
#include "EventLoop.h"
#include "controls/MessageDialog.h"
#include "values/StringLibrary.h"
#include "core/DefinitionConversion.h"
#include "core/Exceptions.h"
#include "windows/WindowList.h"

namespace {
// Set by a report (not by the end-of-application exception): the process ends with a failure code.
bool sReported = false;
}  // namespace

namespace {

bool sInsideHandler = false;

bool IsEndException(ObjectHeader* exception) {
    return RuntimeObjectIsa(exception, LookupObjectDefinition(EndException()));
}

}  // namespace

bool InsideUnhandledExceptionHandler() { return sInsideHandler; }

bool ApplicationUnhandledExceptionHook(ObjectHeader* exception) {
    const bool handled = TryApplicationUnhandledException(exception);
    if (!handled && !IsQuitting()) ReportUnhandledException(exception);
    return handled;
}

void ReportUnhandledException(ObjectHeader* exception) {
    if (IsEndException(exception)) {
        CloseAllWindows();
        SetQuitFlag();
        return;
    }
    const auto* fields = reinterpret_cast<RuntimeExceptionObject*>(exception);
    const string className(exception && exception->classPtr ? exception->classPtr->name : nullptr);

    auto* dialog = new MessageDialog;
    dialog->icon = kGraphicStop;
    dialog->message = ReplaceAllText(
        string("An exception of class %1 was not handled.  The application must shut down."),
        string("%1"), className);
    if (exception) {
        string explanation;
        if (fields->message && fields->message->length > 0) {
            explanation.AppendCString("Exception Message: ");
            explanation.Append(string(fields->message));
            explanation.AppendCString("\r");
        }
        if (fields->errorNumber != 0) {
            explanation.AppendCString("Exception Error Number: ");
            explanation.Append(StringFromInteger(fields->errorNumber));
        }
        dialog->explanation = explanation;
    }
    dialog->Display();
    delete dialog;
    sReported = true;
    SetQuitFlag();
}

bool UnhandledExceptionWasReported() { return sReported; }

extern "C" bool TryApplicationUnhandledException(ObjectHeader* exception) {
    sInsideHandler = true;
    bool handled = false;
    if (!IsEndException(exception)) {
        auto handler = reinterpret_cast<bool (*)(ObjectHeader*, ObjectHeader*)>(
            ApplicationEventHandler(kAppUnhandledException));
        if (handler) handled = handler(ApplicationObjectOrNull(), exception);
    }
    sInsideHandler = false;
    return handled;
}
