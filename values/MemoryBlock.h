// The language's MemoryBlock: a run of bytes read and written at byte offsets as integers,
// floating-point numbers, colours, Booleans and string layouts, in a byte order chosen per block.
// A block owns a buffer of known size, or wraps an outside address whose size is unknown: such a
// block checks no offsets and frees nothing.
//
// Getters raise OutOfBoundsException and return the zero value of their type for an access
// outside the block; setters then write nothing. Returned strings and blocks carry one reference
// for the caller.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/ClassDefinition.h"
#include "core/ObjectModel.h"
#include "core/RuntimeString.h"

// Fixed: compiled code and plug-ins read the fields at these offsets.
struct MemoryBlockObject {
    ObjectHeader header;
    int32_t size;         // 0 for a block that wraps an outside address
    unsigned char* data;  // null for a block of size 0
    uint8_t sizeKnown;    // 1: data is owned and size exact
    uint8_t LittleEndian;
};

#ifndef _WIN64
static_assert(offsetof(MemoryBlockObject, size) == 24);
static_assert(offsetof(MemoryBlockObject, data) == 28);
static_assert(offsetof(MemoryBlockObject, sizeKnown) == 32);
static_assert(offsetof(MemoryBlockObject, LittleEndian) == 33);
#endif

inline MemoryBlockObject* MemoryBlockFields(ObjectHeader* block) {
    return reinterpret_cast<MemoryBlockObject*>(block);
}

ObjectDefinition* GetMemoryBlockDefinition();
// True when the object is a MemoryBlock or of a subclass.
bool IsMemoryBlock(ObjectHeader* object);
// Sets the size as the Size property does: OutOfBoundsException for a negative size,
// OutOfMemoryException (and the block unchanged) when the bytes cannot be allocated.
void SetMemoryBlockSize(ObjectHeader* block, int32_t size);

extern "C" {
// A block owning n bytes that are not cleared; nil for a negative n or no memory.
ObjectHeader* CreateMemoryBlock(int32_t n);
// CreateMemoryBlock with the bytes cleared: the form other subsystems and plug-ins use.
ObjectHeader* newMemoryBlock(int32_t n);
ObjectHeader* PtrToMemoryBlock(void* address);

void MemoryBlockInitializer(ObjectHeader* self);
void MemoryBlockFinalizer(ObjectHeader* self);
void memoryBlockNewConstructor(ObjectHeader* self, int32_t bytes);
void ConvertPtrToMemoryBlock(ObjectHeader* self, void* address);
void MemoryBlockFromStringOperator(ObjectHeader* self, StringRecord* text);

// -1 (SizeUnknown) for a block that wraps an outside address.
int32_t memoryBlockGetSize(ObjectHeader* self, int32_t parameter);
// A property setter: the row's parameter comes before the value.
void memoryBlockSetSize(ObjectHeader* self, int32_t parameter, int32_t size);
void* memoryBlockGetPtr(ObjectHeader* self);
StringRecord* MemoryBlockToStringOperator(ObjectHeader* self);
ObjectHeader* MemoryBlockAddOperator(ObjectHeader* a, ObjectHeader* b);
int32_t MemoryBlockCompareOperator(ObjectHeader* a, ObjectHeader* b);
ObjectHeader* MemoryBlockMidB3(ObjectHeader* self, int32_t offset, int32_t length);
ObjectHeader* MemoryBlockMidB2(ObjectHeader* self, int32_t offset);
ObjectHeader* MemoryBlockLeftB(ObjectHeader* self, int32_t bytes);
ObjectHeader* MemoryBlockRightB(ObjectHeader* self, int32_t bytes);

int32_t memoryGetLong(ObjectHeader* self, int32_t offset);
void memorySetLong(ObjectHeader* self, int32_t offset, int32_t value);
ObjectHeader* memoryGetPtr(ObjectHeader* self, int32_t offset);
void memorySetPtr(ObjectHeader* self, int32_t offset, ObjectHeader* block);
int32_t memoryGetShort(ObjectHeader* self, int32_t offset);
int32_t memoryGetUShort(ObjectHeader* self, int32_t offset);
void memorySetShort(ObjectHeader* self, int32_t offset, int32_t value);
int32_t memoryGetByte(ObjectHeader* self, int32_t offset);
void memorySetByte(ObjectHeader* self, int32_t offset, int32_t value);
StringRecord* memoryGetPString(ObjectHeader* self, int32_t offset);
void memorySetPString(ObjectHeader* self, int32_t offset, StringRecord* text);
StringRecord* memoryGetCString(ObjectHeader* self, int32_t offset);
void memorySetCString(ObjectHeader* self, int32_t offset, StringRecord* text);
StringRecord* memoryGetWString(ObjectHeader* self, int32_t offset);
void memorySetWString(ObjectHeader* self, int32_t offset, StringRecord* text);
double memoryGetSingle(ObjectHeader* self, int32_t offset);
void memorySetSingle(ObjectHeader* self, int32_t offset, double value);
double memoryGetDouble(ObjectHeader* self, int32_t offset);
void memorySetDouble(ObjectHeader* self, int32_t offset, double value);
StringRecord* memoryGetString(ObjectHeader* self, int32_t offset, int32_t length);
void memorySetString(ObjectHeader* self, int32_t offset, int32_t length, StringRecord* text);
bool memoryGetBoolean(ObjectHeader* self, int32_t offset);
void memorySetBoolean(ObjectHeader* self, int32_t offset, bool value);
uint32_t memoryGetColor(ObjectHeader* self, int32_t offset, int32_t bits);
void memorySetColor(ObjectHeader* self, int32_t offset, int32_t bits, uint32_t color);
}
