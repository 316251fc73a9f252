#include "EventLoopApplication.h"

namespace {

EventLoopApplicationHooks sHooks = {};

}  // namespace

void SetEventLoopApplicationHooks(const EventLoopApplicationHooks& hooks) { sHooks = hooks; }

bool RuntimeRunIsRunning() { return sHooks.runtimeRunning && sHooks.runtimeRunning(); }

ObjectHeader* EventLoopApplication() { return sHooks.application ? sHooks.application() : nullptr; }

bool ApplicationAutoQuitRequested() {
    ObjectHeader* application = EventLoopApplication();
    return application && sHooks.autoQuit && sHooks.autoQuit(application);
}

void QuitApplication(ObjectHeader* application, bool raiseEnd) {
    if (sHooks.quit) sHooks.quit(application, raiseEnd);
}
