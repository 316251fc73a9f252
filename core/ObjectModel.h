// Objects and class records as compiled code sees them. Both records are read and written by
// compiled code at fixed byte offsets, so their layouts are exact (32-bit words on the 32-bit
// runtime): virtual calls go through methodTable, instance fields follow the 24-byte header, and
// compiled code fills a new class record itself after RuntimeNewClass.
#pragma once

#include <cstddef>
#include <cstdint>

#include "RuntimeString.h"

struct ClassRecord;
struct ObjectDefinition;

struct MethodSlot {
    void* function;
    StringRecord* name;
};

struct EventSlot {
    void* vector;  // the function that implements the event, null when none
    StringRecord* name;
};

struct AccessorSlot {
    void* function;
    StringRecord* signature;
};

// A getter or setter of 1 marks a plain field of a compiled class; it is not a function.
constexpr uintptr_t kPlainFieldAccessor = 1;

struct PropertySlot {
    StringRecord* descriptor;  // name % type code %
    int32_t parameter;         // field offset for the generic accessors and plain fields
    void* getter;
    void* setter;
};

struct InterfaceSlot {
    ClassRecord* interfaceClass;
    int32_t methodCount;
    MethodSlot* methods;
};

struct ObjectHeader {
    MethodSlot* methodTable;
    ClassRecord* classPtr;
    EventSlot* eventTable;
    int32_t refCount;
    ObjectHeader* prevLive;
    ObjectHeader* nextLive;
};

using ObjectCallback = void (*)(ObjectHeader* object);

struct ClassRecord {
    ClassRecord* super;
    StringRecord* name;
    ClassRecord* next;
    int32_t instanceSize;
    int32_t isAnInterface;
    ObjectCallback initializer;
    ObjectCallback countZero;
    ObjectCallback finalizer;
    int32_t methodCount;
    MethodSlot* methods;
    int32_t eventCount;
    EventSlot* events;
    int32_t accessorCount;
    AccessorSlot* accessors;
    int32_t propertyCount;
    PropertySlot* properties;
    int32_t interfaceCount;
    InterfaceSlot interfaces[1];  // interfaceCount slots, then the four tables

    ClassRecord() = delete;
};

// 68 on the 32-bit runtime.
constexpr size_t kClassRecordHeadSize = offsetof(ClassRecord, interfaces);

#ifndef _WIN64
static_assert(sizeof(MethodSlot) == 8 && sizeof(EventSlot) == 8 && sizeof(AccessorSlot) == 8);
static_assert(sizeof(PropertySlot) == 16 && sizeof(InterfaceSlot) == 12);
static_assert(sizeof(ObjectHeader) == 24);
static_assert(offsetof(ObjectHeader, methodTable) == 0);
static_assert(offsetof(ObjectHeader, classPtr) == 4);
static_assert(offsetof(ObjectHeader, eventTable) == 8);
static_assert(offsetof(ObjectHeader, refCount) == 12);
static_assert(offsetof(ObjectHeader, prevLive) == 16);
static_assert(offsetof(ObjectHeader, nextLive) == 20);
static_assert(offsetof(ClassRecord, super) == 0);
static_assert(offsetof(ClassRecord, name) == 4);
static_assert(offsetof(ClassRecord, next) == 8);
static_assert(offsetof(ClassRecord, instanceSize) == 12);
static_assert(offsetof(ClassRecord, isAnInterface) == 16);
static_assert(offsetof(ClassRecord, initializer) == 20);
static_assert(offsetof(ClassRecord, countZero) == 24);
static_assert(offsetof(ClassRecord, finalizer) == 28);
static_assert(offsetof(ClassRecord, methodCount) == 32);
static_assert(offsetof(ClassRecord, methods) == 36);
static_assert(offsetof(ClassRecord, eventCount) == 40);
static_assert(offsetof(ClassRecord, events) == 44);
static_assert(offsetof(ClassRecord, accessorCount) == 48);
static_assert(offsetof(ClassRecord, accessors) == 52);
static_assert(offsetof(ClassRecord, propertyCount) == 56);
static_assert(offsetof(ClassRecord, properties) == 60);
static_assert(offsetof(ClassRecord, interfaceCount) == 64);
static_assert(kClassRecordHeadSize == 68);
#endif

// The first instance field of every object.
constexpr int32_t kObjectHeaderSize = static_cast<int32_t>(sizeof(ObjectHeader));

// Entry points of compiled code.
extern "C" {
ClassRecord* RuntimeNewClass(ClassRecord* base, int32_t methodCount, int32_t interfaceCount,
                             int32_t eventCount, int32_t accessorCount, int32_t propertyCount);
MethodSlot* RuntimeNewVtable(int32_t slotCount);
ObjectHeader* RuntimeNewObject(ClassRecord* classRecord);
void RuntimeLockObject(ObjectHeader* object);
void RuntimeUnlockObject(ObjectHeader* object);
void RuntimeLockUnlockObjects(ObjectHeader* newValue, ObjectHeader* oldValue);
bool RuntimeObjectIsa(ObjectHeader* object, ClassRecord* classRecord);
ObjectHeader* RuntimeCheckCast(ObjectHeader* object, ClassRecord* classRecord);
ClassRecord* RuntimeClassOf(ObjectHeader* object);
MethodSlot* RuntimeLookupInterfaceVtable(ObjectHeader* object, ClassRecord* interfaceClass);
}

// Retain and release are on every reference compiled code copies: a test and an increment on the
// object itself. These inline forms are what runtime code uses.
inline void RetainObject(ObjectHeader* object) {
    if (object && object->refCount != 0) ++object->refCount;
}
void DestroyObject(ObjectHeader* object);
inline void ReleaseObject(ObjectHeader* object) {
    if (object && object->refCount > 0 && --object->refCount == 0) DestroyObject(object);
}

bool ObjectIsaDefinition(ObjectHeader* object, ObjectDefinition* definition);
ClassRecord* FirstClassRecord();
ObjectHeader* FirstLiveObject();
int32_t LiveObjectCount();
// Changes whenever an object joins or leaves the live-object list, so that a cursor into the list
// can tell it is stale.
uint32_t LiveListGeneration();
void SetObjectDestroyHook(ObjectCallback hook);

// The instance fields of an object as a typed pointer at a byte offset.
template <typename T>
inline T* FieldAt(ObjectHeader* object, int32_t offset) {
    return reinterpret_cast<T*>(reinterpret_cast<char*>(object) + offset);
}
