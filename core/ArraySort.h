// Sorting of one-dimensional arrays: a quicksort with a middle pivot and a three-way partition
// that hands ranges of at most 16 elements to an insertion sort and tests the stack before each
// partition. One engine serves every element kind: it is written over the items it moves (the
// elements themselves, or the indexes of a permutation) and the order it asks about.
#pragma once

#include <cstdint>

#include "ArrayRecord.h"

// The stack test the sort makes before each partition, which raises StackOverflowException when
// the running thread's stack runs low: start-up installs the cooperative threads' RuntimeStackCheck,
// and a test may install another. Null makes no test. Returns the previous one.
using StackCheckFunction = void (*)();
StackCheckFunction SetSortStackCheck(StackCheckFunction check);

// The order of strings, negative, zero or positive as a is before, with or after b. Start-up
// installs the string library's comparison, which follows the user's locale; until then (and for
// null) strings sort by their bytes without regard to ASCII case.
using StringOrderFunction = int32_t (*)(StringRecord* a, StringRecord* b);
void SetStringSortOrder(StringOrderFunction order);

// Ranges of at most this many elements go to the insertion sort.
constexpr int32_t kInsertionSortLimit = 16;

// The Sort and SortWith slots of the one-dimensional tables, for every kind but Object.
template <class Kind>
struct ArraySorting {
    static void Sort(ArrayRecord* array);
    static void SortWith(ArrayRecord* array, ...);
};

// Element j of the buffer becomes element permutation[j] of it, in place; elementSize is 1, 2, 4
// or 8 (any other size leaves the buffer unchanged).
void ApplyPermutation(void* buffer, int32_t elementSize, const int32_t* permutation, int32_t n);
