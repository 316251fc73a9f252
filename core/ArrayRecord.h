// Arrays as compiled code sees them. An array value is a pointer to an ArrayRecord; compiled code
// never touches elements itself but calls the operations of the record's table, so the position
// of `operations` and the order of the table's slots are fixed. There is one table per element
// kind and shape, so that no element access switches on the kind.
#pragma once

#include <cstddef>
#include <cstdint>

#include "ObjectModel.h"
#include "RuntimeString.h"

enum ArrayElementKind : int32_t {
    kArrayInt32 = 0,
    kArraySingle = 1,
    kArrayDouble = 2,
    kArrayString = 3,  // StringRecord pointers, retained
    kArrayObject = 4,  // ObjectHeader pointers, retained
    kArrayUInt8 = 5,
    kArrayInt8 = 6,
    kArrayUInt16 = 7,
    kArrayInt16 = 8,
    kArrayUInt32 = 9,
};

constexpr int32_t kArrayKindCount = 10;

struct ArrayOperations;

struct ArrayRecord {
    int32_t refCount;
    const ArrayOperations* operations;
    void* data;  // null when the array holds no element
    int32_t dimensions;
    int32_t bufferLength;  // bytes; Insert leaves room beyond the elements
    int32_t growthStep;    // elements Insert adds to a full buffer
    int32_t upperBound[1];  // one per dimension, in the same block; -1 is an empty dimension

    ArrayRecord() = delete;
};

// The record of an array of n dimensions is this head and n upper bounds.
constexpr size_t kArrayRecordHeadSize = offsetof(ArrayRecord, upperBound);

// A slot whose signature depends on the element kind or the shape; callers cast it to the kind's
// signature. Values cross the table in their element type, 8- and 16-bit integers in 32-bit
// arguments of which only the low bits count.
using ArrayFunction = void (*)();

struct ArrayOperations {
    ArrayFunction Get;           // (array, index...) -> element; a retained kind adds a reference
    ArrayFunction Set;           // (array, value, index...)
    ArrayFunction GetUnchecked;  // as Get, without the bounds test
    ArrayFunction SetUnchecked;  // as Set, without the bounds test
    ArrayFunction Redim;         // (array, new upper bound...)
    ArrayFunction Insert;        // (array, index, value)
    void (*Remove)(ArrayRecord* array, int32_t index);
    void (*Sort)(ArrayRecord* array);
    void (*SortWith)(ArrayRecord* array, ...);  // further arrays, then null
    ArrayFunction IndexOf;                      // (array, value, start) -> index or -1
    void (*Shuffle)(ArrayRecord* array);
    int32_t (*UBound)(ArrayRecord* array, int32_t dimension);  // dimension -1: the dimension count
    void (*RetainElement)(void* element);
    void (*ReleaseElement)(void* element);
    void (*Dispose)(ArrayRecord* array);
    int32_t (*ElementSize)();
};

// A one-dimensional object array seen as an array of one class: stores of anything else raise
// IllegalCastException. The first three fields sit where an ArrayRecord has them.
struct ArrayCastWrapper {
    int32_t refCount;
    const ArrayOperations* operations;
    void* data;  // the viewed array's data when the view was made
    ArrayRecord* viewedArray;  // the view holds one reference
    ClassRecord* elementClass;
};

#ifndef _WIN64
static_assert(offsetof(ArrayRecord, refCount) == 0);
static_assert(offsetof(ArrayRecord, operations) == 4);
static_assert(offsetof(ArrayRecord, data) == 8);
static_assert(offsetof(ArrayRecord, dimensions) == 12);
static_assert(offsetof(ArrayRecord, bufferLength) == 16);
static_assert(offsetof(ArrayRecord, growthStep) == 20);
static_assert(offsetof(ArrayRecord, upperBound) == 24);
static_assert(kArrayRecordHeadSize == 24);
static_assert(sizeof(ArrayOperations) == 64);
static_assert(offsetof(ArrayOperations, Redim) == 16);
static_assert(offsetof(ArrayOperations, IndexOf) == 36);
static_assert(offsetof(ArrayOperations, UBound) == 44);
static_assert(offsetof(ArrayOperations, ElementSize) == 60);
static_assert(sizeof(ArrayCastWrapper) == 20);
static_assert(offsetof(ArrayCastWrapper, refCount) == 0);
static_assert(offsetof(ArrayCastWrapper, operations) == 4);
static_assert(offsetof(ArrayCastWrapper, data) == 8);
static_assert(offsetof(ArrayCastWrapper, viewedArray) == 12);
static_assert(offsetof(ArrayCastWrapper, elementClass) == 16);
#endif
static_assert(offsetof(ArrayCastWrapper, operations) == offsetof(ArrayRecord, operations));
static_assert(offsetof(ArrayCastWrapper, data) == offsetof(ArrayRecord, data));

// Entry points of compiled code.
extern "C" {
// One upper bound per dimension follows the kind. The caller owns the one reference.
ArrayRecord* CreateArray(int32_t dimensions, ArrayElementKind kind, ...);
ArrayRecord* RuntimeLockArray(ArrayRecord* array);
void RuntimeUnlockArray(ArrayRecord* array);
void RuntimeLockUnlockArrays(ArrayRecord* newArray, ArrayRecord* oldArray);
int32_t RuntimeUBound(ArrayRecord* array);
// Dimensions count from 1; dimension -1 gives the number of dimensions.
int32_t RuntimeUBound2Param(ArrayRecord* array, int32_t dimension);
ArrayRecord* RuntimeCreateArrayCastWrapper(ArrayRecord* array, ClassRecord* elementClass);
// One element through the array's Get or Set; a string or object read comes with a reference
// for the caller. A nil array raises NilObjectException.
StringRecord* RuntimeDirectReadStringArray(ArrayRecord* array, int32_t index);
ObjectHeader* RuntimeDirectReadObjectArray(ArrayRecord* array, int32_t index);
int32_t RuntimeDirectReadIntArray(ArrayRecord* array, int32_t index);
void RuntimeDirectWriteObjectArray(ArrayRecord* array, int32_t index, ObjectHeader* value);
// Inserts the value after the last element of a one-dimensional Integer array.
void RuntimeIntArrayAppend(ArrayRecord* array, int32_t value);
}

// Null for a kind above 9 (reported).
const ArrayOperations* SelectArrayOperations(int32_t dimensions, int32_t kind);
int32_t ArrayElementSize(int32_t kind);
// Destroys an array whose count reached zero: its elements, buffer and record.
void FreeArray(ArrayRecord* array);

// Called with the address of every freed array, after it is freed: an identity only, never to be
// read through. One hook; installing replaces it, null removes it.
using ArrayDestroyHook = void (*)(void* address);
void SetArrayDestroyHook(ArrayDestroyHook hook);

// The table shared by every cast view.
extern const ArrayOperations kArrayCastWrapperOperations;
