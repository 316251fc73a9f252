#include "core/LinkTable.h"

#include "core/FailureReport.h"
#include "core/GuardedMemory.h"
#include "core/SimpleVector.h"

namespace {

constexpr const char* kSource = "relocentry";
constexpr uint32_t kNameIndexBuckets = 256;

// Used on the main thread only, during start-up and later lookups: no lock.
StringMap<const RelocEntry*>* sNameIndex = nullptr;
const RelocEntry* sStaticRows = nullptr;
int32_t sStaticRowCount = 0;

// The entries themselves are never freed; only this pointer array goes at process exit.
SimpleVector<RelocEntry*>& RegisteredEntries() {
    static SimpleVector<RelocEntry*> entries;
    return entries;
}

}  // namespace

void SetStaticRelocEntries(const RelocEntry* rows, int32_t count) {
    sStaticRows = rows;
    sStaticRowCount = rows ? count : 0;
    // The name index is built again, fixed rows first, on the next lookup.
    delete sNameIndex;
    sNameIndex = nullptr;
}

int32_t StaticRelocEntryCount() { return sStaticRowCount; }

int32_t RelocEntryCount() {
    return sStaticRowCount + static_cast<int32_t>(RegisteredEntries().size());
}

const RelocEntry* RelocEntryAt(int32_t index) {
    if (index < 0 || index >= RelocEntryCount()) return nullptr;
    if (index < sStaticRowCount) return &sStaticRows[index];
    return RegisteredEntries()[static_cast<uint32_t>(index - sStaticRowCount)];
}

StringMap<const RelocEntry*>* LinkTableNameMap() {
    if (sNameIndex) return sNameIndex;
    auto* index = new StringMap<const RelocEntry*>(kNameIndexBuckets);
    // Rows that share a name share their function too, so whichever one the map keeps will do.
    for (int32_t i = 0; i < sStaticRowCount; ++i)
        index->SetEntry(string(sStaticRows[i].name), &sStaticRows[i]);
    const SimpleVector<RelocEntry*>& registered = RegisteredEntries();
    for (uint32_t i = 0; i < registered.size(); ++i)
        if (registered[i]->name) index->SetEntry(string(registered[i]->name), registered[i]);
    sNameIndex = index;
    return sNameIndex;
}

const RelocEntry* LookupRelocEntry(const string& name) {
    const RelocEntry* entry = nullptr;
    return LinkTableNameMap()->GetEntry(name, entry) ? entry : nullptr;
}

void RegisterRelocEntry(const char* name, void* function) {
    if (!function) return;
    StringMap<const RelocEntry*>* index = LinkTableNameMap();

    // A null name is never found: entries without a name are reachable by index only.
    const RelocEntry* oldEntry = nullptr;
    if (name && index->GetEntry(string(name), oldEntry)) {
        if (function != oldEntry->code)
            ReportAssertion(kSource, __LINE__, "functionPtr == oldEntry->code");
        return;
    }

    auto* newEntry = static_cast<RelocEntry*>(GuardedNew(sizeof(RelocEntry)));
    if (!newEntry) {
        ReportAssertion(kSource, __LINE__, "newEntry");
        return;
    }
    *newEntry = RelocEntry{name, function, {0, 0}};
    RegisteredEntries().push_back(newEntry);
    if (name) index->SetEntry(string(name), newEntry);
}
