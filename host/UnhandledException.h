// The end of an exception that no compiled handler caught: the Application's UnhandledException
// event may handle it; otherwise the user is told which class was not handled and the application
// quits. The end-of-application exception is never reported.
#pragma once

#include "core/ObjectModel.h"

// True while the Application's UnhandledException handler runs.
bool InsideUnhandledExceptionHandler();

// The hook start-up installs with SetUnhandledExceptionHook (whose function type takes the plain
// name): reports unless the Application handled the exception or the application is already
// quitting. Returns whether the Application handled it.
bool ApplicationUnhandledExceptionHook(ObjectHeader* exception);

// Shows the report and sets the quit flag.
void ReportUnhandledException(ObjectHeader* exception);

extern "C" {
bool TryApplicationUnhandledException(ObjectHeader* exception);
}

// Whether an unhandled exception was reported to the user during the run.
bool UnhandledExceptionWasReported();
