#include "host/HookCodes.h"

#include <cstddef>

#ifndef _WIN64
static_assert(sizeof(HookEntryRecord) == 8);
static_assert(offsetof(HookNodeRecord, entryCount) == 4);
static_assert(offsetof(HookNodeRecord, entries) == 8);
#endif

extern "C" void* RuntimeFindHookCode(const HookNodeRecord* record, int32_t key) {
    for (const HookNodeRecord* node = record; node; node = node->next)
        for (int32_t i = 0; i < node->entryCount; ++i)
            if (node->entries[i].key == key) return node->entries[i].code;
    return nullptr;
}
