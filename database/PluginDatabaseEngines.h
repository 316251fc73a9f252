// The registration calls through which engines announce their records.
#pragma once

#include <cstdint>

#include "sdk/QuorvaneDatabaseEngine.h"

extern "C" {
// Writes 0 into the first byte of the record's system word, nothing else.
void PluginRegisterDBEngine(PluginDBEngineRecord* record);
// Writes 0 into the record's system word, nothing else.
void PluginRegisterDBCursor(PluginDBCursorRecord* record);
}
