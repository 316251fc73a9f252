// What the event loop needs of the Application object and of RuntimeRun, reached through hooks.
//
// A stand-in until the Application object and the start-up entry points exist: they set the hooks
// when they are built. A hook left null reads as "RuntimeRun is not running" and "no application
// object", so the loop never auto-quits and has no application reference to drop.
#pragma once

#include "core/ObjectModel.h"

struct EventLoopApplicationHooks {
    bool (*runtimeRunning)();                            // RuntimeRun's running flag
    ObjectHeader* (*application)();                      // the registered application, or null
    bool (*autoQuit)(ObjectHeader* application);         // its AutoQuit property
    void (*quit)(ObjectHeader* application, bool raiseEnd);  // ApplicationQuit
};

// Replaces the hooks; all-null hooks restore the stand-in.
void SetEventLoopApplicationHooks(const EventLoopApplicationHooks& hooks);

bool RuntimeRunIsRunning();
// The registered application object, or null.
ObjectHeader* EventLoopApplication();
// True when an application object exists and its AutoQuit property is true.
bool ApplicationAutoQuitRequested();
// ApplicationQuit(application, raiseEnd); nothing without the hook.
void QuitApplication(ObjectHeader* application, bool raiseEnd);
