// The language's Dictionary: Variant keys to Variant values in a chained hash table whose keys hash
// and compare by the Variant rules (string keys ignore case). An item vector keeps the entries in
// insertion order, disturbed only by removals, for Key, Keys and Values. The bin count grows
// through a list of primes unless the application fixes it.
#pragma once

#include <cstdint>

#include "core/ArrayRecord.h"
#include "core/ClassDefinition.h"
#include "core/GuardedMemory.h"
#include "core/ObjectModel.h"
#include "core/SimpleVector.h"

struct DictionaryEntry : RuntimeAllocated {
    ObjectHeader* key;    // one reference
    ObjectHeader* value;  // one reference
    uint32_t hash;
    int32_t index;  // the position in the item vector
    DictionaryEntry* next;  // in the same bin
};

// Fixed by the class definition's size; the fields start zeroed.
struct DictionaryObject {
    ObjectHeader header;
    uint8_t binsFixed;
    SimpleVector<DictionaryEntry*> items;
    int32_t binCount;
    DictionaryEntry** bins;
    uint8_t busy;
};

ObjectDefinition* GetDictionaryDefinition();

extern "C" {
void dictionaryConstructor(ObjectHeader* dictionary);
void dictionaryDestructor(ObjectHeader* dictionary);
int32_t dictionaryCount(ObjectHeader* dictionary);
int32_t dictionaryGetBins(ObjectHeader* dictionary);
// A property setter: the row's parameter comes before the value. A positive count fixes the bins,
// 0 or less lets them grow again; no memory raises OutOfMemoryException.
void dictionarySetBins(ObjectHeader* dictionary, int32_t parameter, int32_t count);
void dictionaryValueSetter(ObjectHeader* dictionary, ObjectHeader* key, ObjectHeader* value);
// Returned Variants carry one reference for the caller.
ObjectHeader* dictionaryValueGetter(ObjectHeader* dictionary, ObjectHeader* key);
ObjectHeader* DictionaryLookup(ObjectHeader* dictionary, ObjectHeader* key,
                               ObjectHeader* defaultValue);
bool dictionaryHasKey(ObjectHeader* dictionary, ObjectHeader* key);
void dictionaryRemove(ObjectHeader* dictionary, ObjectHeader* key);
void dictionaryRemoveAll(ObjectHeader* dictionary);
ObjectHeader* dictionaryKey(ObjectHeader* dictionary, int32_t index);
ObjectHeader* dictionaryValueByIndex(ObjectHeader* dictionary, int32_t index);
ArrayRecord* dictionaryKeys(ObjectHeader* dictionary);
ArrayRecord* dictionaryValues(ObjectHeader* dictionary);
ClassRecord* RuntimeLookupDictionaryClass();
}
