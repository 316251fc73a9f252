// The language's Collection: an ordered list of Variant values with optional string keys,
// addressed from 1 by position or by key (keys compare without regard to case), and
// CollectionElement, the declared element type of object cursors.
#pragma once

#include <cstdint>

#include "core/Array.h"
#include "core/ClassDefinition.h"
#include "core/GuardedMemory.h"
#include "core/ObjectModel.h"
#include "core/RuntimeString.h"

struct CollectionElement : RuntimeAllocated {
    string key;           // empty when none was given
    ObjectHeader* value;  // one reference
};

struct CollectionObject {
    ObjectHeader header;
    Array* elements;  // of CollectionElement*; made by the first Add
};

ObjectDefinition* GetCollectionDefinition();
ObjectDefinition* GetCollectionElementDefinition();

extern "C" {
int32_t collectionCount(ObjectHeader* collection);
// Returned Variants carry one reference for the caller.
ObjectHeader* collectionIdxItem(ObjectHeader* collection, int32_t index);
ObjectHeader* collectionItem(ObjectHeader* collection, StringRecord* key);
void collectionAdd(ObjectHeader* collection, ObjectHeader* value, StringRecord* key);
void collectionIdxRemove(ObjectHeader* collection, int32_t index);
void collectionKeyRemove(ObjectHeader* collection, StringRecord* key);
void collectionDestructor(ObjectHeader* collection);
ClassRecord* RuntimeLookupCollectionClass();
ClassRecord* RuntimeLookupCollectionElementClass();
}
