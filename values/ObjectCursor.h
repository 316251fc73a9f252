// The language's ObjectCursor: a sequence the application fills one object at a time through the
// NextObject event. The cursor keeps every object it was given, so they can be read again by
// position and counted; once the event answers nil the cursor is exhausted for good.
#pragma once

#include <cstdint>

#include "core/Array.h"
#include "core/ClassDefinition.h"
#include "core/ObjectModel.h"

struct ObjectCursorObject {
    ObjectHeader header;
    Array* objects;  // each holds one reference
    uint8_t exhausted;
};

ObjectDefinition* GetObjectCursorDefinition();

extern "C" {
void objectCursorConstructor(ObjectHeader* cursor);
void objectCursorDestructor(ObjectHeader* cursor);
// Returned objects carry one reference for the caller.
ObjectHeader* objectCursorNextObject(ObjectHeader* cursor);
ObjectHeader* objectCursorGetItem(ObjectHeader* cursor, int32_t index);
int32_t objectCursorCountGetter(ObjectHeader* cursor);
}
