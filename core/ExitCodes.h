// Process exit codes of the runtime. Zero is kept for an application that ended normally.
#pragma once

enum RuntimeExitCode : unsigned {
    kExitNormal = 0,
    kExitFailureQuit = 1,    // the user chose Cancel in a failure report
    kExitOutOfMemory = 2,    // an allocation that may not fail found no memory
    kExitNoApplication = 3,  // no application payload could be loaded
    kExitUnhandledException = 4,  // the application quit after an unhandled-exception report
    kExitDeadlock = 5,            // every cooperative thread was blocked for good
    kExitServiceNotStarted = 6,   // service mode asked for, but no service control manager ran it
};
