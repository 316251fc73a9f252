#include "ObjectModel.h"

#include <algorithm>
#include <cstring>

#include "ClassDefinition.h"
#include "DefinitionConversion.h"
#include "Exceptions.h"
#include "FailureReport.h"
#include "GuardedMemory.h"
#include "SimpleVector.h"

namespace {

constexpr const char* kSource = "RuntimeObjectFoundation";

// Everything here runs on the one OS thread (language threads switch only at yield points), so
// none of this state takes a lock.
ClassRecord* sFirstClass = nullptr;
ObjectHeader* sFirstLive = nullptr;
int32_t sLiveCount = 0;
uint32_t sLiveGeneration = 0;
ObjectCallback sDestroyHook = nullptr;
bool sDestroying = false;

// Objects whose count reached zero while another destruction was running.
SimpleVector<ObjectHeader*>& PendingFinalisation() {
    static SimpleVector<ObjectHeader*> pending;
    return pending;
}

void LinkLive(ObjectHeader* object) {
    if (!object) {
        ReportAssertion(kSource, __LINE__, "objToAdd");
        return;
    }
    ++sLiveGeneration;
    object->prevLive = nullptr;
    object->nextLive = sFirstLive;
    if (sFirstLive) sFirstLive->prevLive = object;
    sFirstLive = object;
}

void UnlinkLive(ObjectHeader* object) {
    if (!object) {
        ReportAssertion(kSource, __LINE__, "objToRemove");
        return;
    }
    ++sLiveGeneration;
    if (object->prevLive)
        object->prevLive->nextLive = object->nextLive;
    else
        sFirstLive = object->nextLive;
    if (object->nextLive) object->nextLive->prevLive = object->prevLive;
    object->prevLive = object->nextLive = nullptr;
}

void RunInitializers(ClassRecord* classRecord, ObjectHeader* object) {
    if (!classRecord) return;
    RunInitializers(classRecord->super, object);
    if (classRecord->initializer) classRecord->initializer(object);
}

// Finalizers most-derived first, the hook, then the memory.
void Finalise(ObjectHeader* object) {
    ClassRecord* classRecord = object->classPtr;
    for (ClassRecord* c = classRecord; c; c = c->super)
        if (c->finalizer) c->finalizer(object);
    if (sDestroyHook) sDestroyHook(object);
    if (classRecord && object->eventTable != classRecord->events) GuardedDelete(object->eventTable);
    UnlinkLive(object);
    GuardedDelete(object);
    --sLiveCount;
}

bool NamesEqualNoCase(StringRecord* a, const char* b) {
    return string::CompareNoCase(string(a), string(b)) == 0;
}

bool ClassHasInterface(const ClassRecord* classRecord, const ClassRecord* interfaceClass) {
    for (int32_t i = 0; i < classRecord->interfaceCount; ++i)
        if (classRecord->interfaces[i].interfaceClass == interfaceClass) return true;
    return false;
}

bool ClassInherits(const ClassRecord* classRecord, const ClassRecord* ancestor) {
    for (const ClassRecord* c = classRecord; c; c = c->super)
        if (c == ancestor) return true;
    return false;
}

template <typename T>
void CopyBaseSlots(T* to, int32_t toCount, const T* from, int32_t fromCount) {
    const int32_t n = std::min(toCount, fromCount);
    if (n > 0) std::memcpy(static_cast<void*>(to), from, sizeof(T) * n);
}

}  // namespace

void DestroyObject(ObjectHeader* object) {
    for (ClassRecord* c = object->classPtr; c; c = c->super)
        if (c->countZero) c->countZero(object);

    SimpleVector<ObjectHeader*>& pending = PendingFinalisation();
    if (sDestroying) {
        pending.push_back(object);
        return;
    }
    sDestroying = true;
    for (;;) {
        Finalise(object);
        if (pending.size() == 0) break;
        object = pending[pending.size() - 1];
        pending.remove_at(pending.size() - 1);
    }
    sDestroying = false;
}

extern "C" {

ClassRecord* RuntimeNewClass(ClassRecord* base, int32_t m, int32_t i, int32_t e, int32_t a,
                             int32_t p) {
    m = std::max(m, 0);
    i = std::max(i, 0);
    e = std::max(e, 0);
    a = std::max(a, 0);
    p = std::max(p, 0);
    const size_t head = kClassRecordHeadSize;
    const size_t size = head + sizeof(InterfaceSlot) * i + sizeof(MethodSlot) * m +
                        sizeof(EventSlot) * e + sizeof(AccessorSlot) * a + sizeof(PropertySlot) * p;
    auto* out = static_cast<ClassRecord*>(GuardedNew(size));
    if (!out) {
        RaiseNilObjectException();
        return nullptr;
    }
    std::memset(static_cast<void*>(out), 0, size);
    char* tables = reinterpret_cast<char*>(out) + head + sizeof(InterfaceSlot) * i;
    out->methods = reinterpret_cast<MethodSlot*>(tables);
    out->events = reinterpret_cast<EventSlot*>(out->methods + m);
    out->accessors = reinterpret_cast<AccessorSlot*>(out->events + e);
    out->properties = reinterpret_cast<PropertySlot*>(out->accessors + a);
    out->methodCount = m;
    out->interfaceCount = i;
    out->eventCount = e;
    out->accessorCount = a;
    out->propertyCount = p;

    if (base) {
        // The copied strings are shared with the base without references: records are never freed.
        if (out->methodCount < base->methodCount)
            ReportAssertion(kSource, __LINE__, "out->methodCount >= base->methodCount");
        CopyBaseSlots(out->methods, m, base->methods, base->methodCount);
        if (out->interfaceCount < base->interfaceCount)
            ReportAssertion(kSource, __LINE__, "out->interfaceCount >= base->interfaceCount");
        CopyBaseSlots(out->interfaces, i, base->interfaces, base->interfaceCount);
        if (out->eventCount < base->eventCount)
            ReportAssertion(kSource, __LINE__, "out->eventCount >= base->eventCount");
        CopyBaseSlots(out->events, e, base->events, base->eventCount);
        CopyBaseSlots(out->accessors, a, base->accessors, base->accessorCount);
        if (out->propertyCount < base->propertyCount)
            ReportAssertion(kSource, __LINE__, "out->propertyCount >= base->propertyCount");
        CopyBaseSlots(out->properties, p, base->properties, base->propertyCount);
    }
    out->super = base;
    out->next = sFirstClass;
    sFirstClass = out;
    return out;
}

MethodSlot* RuntimeNewVtable(int32_t slotCount) {
    auto* table = static_cast<MethodSlot*>(
        GuardedNew(sizeof(MethodSlot) * static_cast<size_t>(std::max(slotCount, 0))));
    if (!table) RaiseNilObjectException();
    return table;
}

ObjectHeader* RuntimeNewObject(ClassRecord* classRecord) {
    if (!classRecord) {
        RaiseNilObjectException();
        return nullptr;
    }
    if (classRecord->isAnInterface) ReportAssertion(kSource, __LINE__, "!parent->isAnInterface");
    const size_t size = static_cast<size_t>(std::max<int32_t>(classRecord->instanceSize,
                                                              kObjectHeaderSize));
    auto* object = static_cast<ObjectHeader*>(GuardedNew(size));
    if (!object) {
        RaiseNilObjectException();
        return nullptr;
    }
    ++sLiveCount;
    std::memset(static_cast<void*>(object), 0, size);
    LinkLive(object);
    object->classPtr = classRecord;
    object->methodTable = classRecord->methods;
    object->eventTable = classRecord->events;
    object->refCount = 1;
    RunInitializers(classRecord, object);
    return object;
}

void RuntimeLockObject(ObjectHeader* object) { RetainObject(object); }

void RuntimeUnlockObject(ObjectHeader* object) { ReleaseObject(object); }

void RuntimeLockUnlockObjects(ObjectHeader* newValue, ObjectHeader* oldValue) {
    if (newValue == oldValue) return;
    RetainObject(newValue);
    ReleaseObject(oldValue);
}

bool RuntimeObjectIsa(ObjectHeader* object, ClassRecord* classRecord) {
    if (!object) return false;
    if (!classRecord) return true;
    if (!object->classPtr) return false;
    if (classRecord->isAnInterface) return ClassHasInterface(object->classPtr, classRecord);
    return ClassInherits(object->classPtr, classRecord);
}

ObjectHeader* RuntimeCheckCast(ObjectHeader* object, ClassRecord* classRecord) {
    if (!object) return nullptr;
    // Every successful cast hands out a reference, a cast to no class included.
    if (!classRecord) {
        RetainObject(object);
        return object;
    }
    ClassRecord* own = object->classPtr;
    const bool fits = own && (classRecord->isAnInterface ? ClassHasInterface(own, classRecord)
                                                         : ClassInherits(own, classRecord));
    // An automation object made as a plain OLEObject stands for any class declared directly on it.
    const bool automation = !fits && own && classRecord->super &&
                            NamesEqualNoCase(own->name, "OLEObject") &&
                            NamesEqualNoCase(classRecord->super->name, "OLEObject");
    if (fits || automation) {
        RetainObject(object);
        return object;
    }
    RaiseIllegalCastException();
    return nullptr;
}

ClassRecord* RuntimeClassOf(ObjectHeader* object) { return object ? object->classPtr : nullptr; }

MethodSlot* RuntimeLookupInterfaceVtable(ObjectHeader* object, ClassRecord* interfaceClass) {
    if (!object || !interfaceClass) {
        RaiseNilObjectException();
        return nullptr;
    }
    if (!interfaceClass->isAnInterface || !object->classPtr) {
        RaiseIllegalCastException();
        return nullptr;
    }
    const ClassRecord* own = object->classPtr;
    for (int32_t i = 0; i < own->interfaceCount; ++i)
        if (own->interfaces[i].interfaceClass == interfaceClass) return own->interfaces[i].methods;
    RaiseIllegalCastException();
    return nullptr;
}

}  // extern "C"

bool ObjectIsaDefinition(ObjectHeader* object, ObjectDefinition* definition) {
    return RuntimeObjectIsa(object, LookupObjectDefinition(definition));
}

ClassRecord* FirstClassRecord() { return sFirstClass; }
ObjectHeader* FirstLiveObject() { return sFirstLive; }
int32_t LiveObjectCount() { return sLiveCount; }
uint32_t LiveListGeneration() { return sLiveGeneration; }
void SetObjectDestroyHook(ObjectCallback hook) { sDestroyHook = hook; }
