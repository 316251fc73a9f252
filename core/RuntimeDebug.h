// The language class Runtime, through which an application inspects its live objects and memory
// use (files/ObjectDump.h writes them to a file).
#pragma once

#include <cstdint>

#include "ClassDefinition.h"
#include "ObjectModel.h"
#include "RuntimeString.h"

// The class's definition.
ObjectDefinition* Runtime();

extern "C" {
// The one Runtime object, created on first use, with a new reference for the caller.
ObjectHeader* RuntimeDebugInstance();
// The live objects other than the Runtime object itself.
int32_t RuntimeDebugObjectCount(ObjectHeader* self);
int32_t RuntimeDebugMemoryUsed(ObjectHeader* self);
// The n-th live object's identity, class name (a new reference) and count; 0 or null past the end.
int32_t RuntimeDebugObjectID(ObjectHeader* self, int32_t index);
StringRecord* RuntimeDebugObjectClass(ObjectHeader* self, int32_t index);
int32_t RuntimeDebugObjectRefs(ObjectHeader* self, int32_t index);
void RuntimeDebugDestructor(ObjectHeader* self);
}
