// The link table: the one directory through which code not built with the runtime finds it by
// name. The loader links every call of the compiled application through it, plug-ins resolve
// runtime services through it, and the debugger stub looks functions up in it.
//
// A fixed part is written into the runtime from the inventory of exported names
// (host/LinkInventory.inc), which start-up hands over before anything else; the runtime adds
// entries while it starts. Names compare without regard to case; the first registration of a name
// stays.
#pragma once

#include <cstdint>

#include "core/RuntimeString.h"
#include "core/StringMap.h"
#include "core/RelocEntry.h"

// The fixed rows; the rows must outlive the run. Until they are given the fixed part is empty.
void SetStaticRelocEntries(const RelocEntry* rows, int32_t count);

// The fixed rows, then the registered entries in registration order.
int32_t StaticRelocEntryCount();
int32_t RelocEntryCount();
// Null for an index outside 0 to RelocEntryCount() - 1.
const RelocEntry* RelocEntryAt(int32_t index);

StringMap<const RelocEntry*>* LinkTableNameMap();
const RelocEntry* LookupRelocEntry(const string& name);
// name must outlive the run, or be null.
void RegisterRelocEntry(const char* name, void* function);

template <typename F>
inline void RegisterRelocEntry(const char* name, F* function) {
    RegisterRelocEntry(name, reinterpret_cast<void*>(function));
}
