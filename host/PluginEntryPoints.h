// The table through which compiled code finds plug-in functions by entry name: "Class.Name.Get",
// "Class.Function Area() As Integer", "Class.Events.Open", "Class.__init", or a global method's
// declaration. Built on the first lookup from what was registered until then.
#pragma once

#include <cstdint>

#include "core/RuntimeString.h"

extern "C" {
// A fresh array of count words that compiled code fills and keeps; null for 0.
void** RuntimeAllocatePluginEntrypointsTable(int32_t count);
// The function of an entry name; 0 for "_", and 0 with a failed assertion for an unknown name.
void* RuntimeLookupPluginEntrypoint(StringRecord* name);
}
