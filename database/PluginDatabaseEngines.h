// The registration calls through which plug-ins offer database engines.
//
// A stand-in for the database subsystem: each call writes the runtime's platform (0) into the
// record and keeps the record, but no engine is built from it, so no database of a plug-in engine
// can be opened yet.
#pragma once

#include <cstdint>

#include "sdk/QuorvanePluginRecords.h"

// The records registered so far, newest first.
struct RegisteredEngineRecord {
    RegisteredEngineRecord* next;
    void* record;
    bool isCursor;
};
const RegisteredEngineRecord* FirstRegisteredEngineRecord();

extern "C" {
void PluginRegisterDBEngine(PluginDBEngineRecord* record);
void PluginRegisterDBCursor(PluginDBCursorRecord* record);
}
