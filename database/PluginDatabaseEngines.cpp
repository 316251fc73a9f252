#include "database/PluginDatabaseEngines.h"

extern "C" {

// The registrations only stamp the record: it reaches the runtime through the bridge calls
// (QUORdbDatabaseFromDBDatabase, QUORdbCursorFromDBCursor, QUORConstructDBDatabase). The
// engine's other three bytes of its system word stay as the engine set them.
void PluginRegisterDBEngine(PluginDBEngineRecord* record) {
    if (record) *reinterpret_cast<uint8_t*>(&record->systemWord) = 0;
}

void PluginRegisterDBCursor(PluginDBCursorRecord* record) {
    if (record) record->systemWord = 0;
}

}  // extern "C"
