// The fixed part of the link table, written from the inventory (StaticLinkTable.cpp); start-up
// hands it to the link table.
#pragma once

#include <cstdint>

#include "core/RelocEntry.h"

extern const RelocEntry kStaticRelocEntries[];
extern const int32_t kStaticRelocEntryCount;
