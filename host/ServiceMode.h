// Service mode: the start-up thread becomes the dispatcher of "Olvet's Service" for the service
// control manager, the application runs on the service thread that the manager starts, and control
// requests become the ServiceApplication's Stop, Pause and Continue events.
//
// Only one operating-system thread runs runtime code at a time: the control handler, called on a
// thread of the dispatcher, reports the pending state and posts the request to the service
// thread's timer window, where the event fires. The start-up thread goes on with the application's
// entry only after the service thread has run its event loop to the end and reported STOPPED.
#pragma once

#include <windows.h>

#include <cstdint>

#include "core/ObjectModel.h"

// The name in the dispatch table and in the handler's registration.
constexpr const char* kServiceName = "Olvet's Service";

// Runs the registered ServiceApplication as the service; returns on the start-up thread once the
// service thread has ended. Outside a service control manager (or given no ServiceApplication)
// the failure is reported and the process ends with kExitServiceNotStarted.
void RunApplicationAsService(ObjectHeader* application);

// The service entry given to the dispatcher, on the service thread.
void WINAPI ServiceMain(DWORD argc, LPSTR* argv);
// Registers the control handler and reports RUNNING.
void RegisterServiceHandler(ObjectHeader* application);
// Called by the dispatcher on a thread of its own.
void WINAPI ServiceControlHandler(DWORD control);
// The service thread's part of a request, after the handler reported the pending state: fire the
// event when the application implements it, then report the final state. Stop makes the event loop
// quit instead; STOPPED follows when it has.
void ServiceStop(ObjectHeader* application, bool shuttingDown);
void ServicePause(ObjectHeader* application);
void ServiceContinue(ObjectHeader* application);

// The three calls into the service control manager; tests put a double in their place.
struct ServiceControlCalls {
    BOOL(WINAPI* startDispatcher)(const SERVICE_TABLE_ENTRYA* table);
    SERVICE_STATUS_HANDLE(WINAPI* registerHandler)(LPCSTR name, LPHANDLER_FUNCTION handler);
    BOOL(WINAPI* setStatus)(SERVICE_STATUS_HANDLE handle, LPSERVICE_STATUS status);
};
ServiceControlCalls SystemServiceControlCalls();
void SetServiceControlCalls(const ServiceControlCalls& calls);
