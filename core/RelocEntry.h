// One entry of the link table, kept apart from LinkTable.h so that the file holding the fixed rows
// (host/StaticLinkTable.cpp) can declare the row functions itself without meeting their real
// declarations.
#pragma once

#include <cstdint>

struct RelocEntry {
    const char* name;  // not owned: lives for the whole run; null for some registered entries
    void* code;        // never null
    uint32_t reserved[2];
};

#ifndef _WIN64
static_assert(sizeof(RelocEntry) == 16);
#endif
