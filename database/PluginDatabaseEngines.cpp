#include "database/PluginDatabaseEngines.h"

#include "core/GuardedMemory.h"

namespace {

constexpr uint32_t kRuntimePlatform = 0;

RegisteredEngineRecord* sRecords = nullptr;

void Keep(void* record, bool isCursor) {
    auto* kept = static_cast<RegisteredEngineRecord*>(GuardedNew(sizeof(RegisteredEngineRecord)));
    *kept = RegisteredEngineRecord{sRecords, record, isCursor};
    sRecords = kept;
}

}  // namespace

const RegisteredEngineRecord* FirstRegisteredEngineRecord() { return sRecords; }

extern "C" {

void PluginRegisterDBEngine(PluginDBEngineRecord* record) {
    if (!record) return;
    record->platform = kRuntimePlatform;
    Keep(record, false);
}

void PluginRegisterDBCursor(PluginDBCursorRecord* record) {
    if (!record) return;
    record->platform = kRuntimePlatform;
    Keep(record, true);
}

}  // extern "C"
