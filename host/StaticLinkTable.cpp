// The fixed part of the link table, written from the inventory. Only the rows' addresses are
// taken here, so each function is declared as a bare extern "C" symbol; this file includes none of
// the headers that declare them with their real signatures, which would conflict.
#include "host/StaticLinkTable.h"

#define QV_ROW(folder, function) extern "C" void function();
#define QV_ALIAS_ROW(folder, name, function) extern "C" void function();
#define QV_REPEATED_ROW(folder, function) extern "C" void function();
#include "host/LinkInventory.inc"

#define QV_ROW(folder, function) {#function, reinterpret_cast<void*>(&function), {0, 0}},
#define QV_ALIAS_ROW(folder, name, function) {#name, reinterpret_cast<void*>(&function), {0, 0}},
#define QV_REPEATED_ROW(folder, function) {#function, reinterpret_cast<void*>(&function), {0, 0}},
const RelocEntry kStaticRelocEntries[] = {
#include "host/LinkInventory.inc"
};

const int32_t kStaticRelocEntryCount =
    static_cast<int32_t>(sizeof kStaticRelocEntries / sizeof kStaticRelocEntries[0]);
