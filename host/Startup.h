// The runtime's start-up and shut-down, and the entry points by which the compiled application
// drives its start: RuntimeInit, RuntimeInitExternalClasses, RuntimeRegisterAppObject, RuntimeRun,
// RuntimeExit.
#pragma once

#include <cstdint>

#include "core/ObjectModel.h"
#include "core/RuntimeString.h"
#include "core/SimpleVector.h"

// The main entry's part before the loader, after the system script (values/CharacterTables.h): the
// runtime's own set-up.
void InitializeRuntime();
// Fires the Application's Open, then OpenDocument for each document of the command line or
// NewDocument, each inside the loop's exception frame.
void FireApplicationOpenEvents();
bool RuntimeRunning();

extern "C" {
int32_t RuntimeInit();
void RuntimeInitExternalClasses();
void RuntimeRegisterAppObject(ObjectHeader* application);
void RuntimeRun();
int32_t RuntimeExit();
}

// The documents named in the command-line arguments, in order: a name in double quotes runs to
// the next quote (or the end), any other to the next space (or the end); spaces between are
// skipped.
SimpleVector<string> DocumentNames(const string& arguments);
