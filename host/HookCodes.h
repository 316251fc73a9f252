// RuntimeFindHookCode: the code bound to a key in a hook record that compiled code built. The
// record is a chain of nodes; each node holds its next node, a count, and that many entries of a
// key and its code (HookNode and HookEntry of sdk/QuorvaneRuntime.h).
#pragma once

#include <cstdint>

struct HookEntryRecord {
    int32_t key;
    void* code;
};

struct HookNodeRecord {
    HookNodeRecord* next;
    int32_t entryCount;
    HookEntryRecord entries[1];
};

extern "C" {
// The code of the first entry whose key equals key; null for a null record or no such entry.
void* RuntimeFindHookCode(const HookNodeRecord* record, int32_t key);
}
