#include "values/ObjectCursor.h"

#include "core/Exceptions.h"
#include "core/IntrinsicTypes.h"
#include "values/Collection.h"

namespace {

ObjectCursorObject* Fields(ObjectHeader* self) {
    return reinterpret_cast<ObjectCursorObject*>(self);
}

EventDefinition* sNextObjectEvent = nullptr;

// The runtime fires only NextObject; the others are declared for the application.
EventEntry kObjectCursorEvents[] = {
    {0, "NextObject", "", "Object", &sNextObjectEvent, 0},
    {0, "Remove", "", "Boolean", nullptr, 0},
    {0, "PropertyCount", "", "Integer", nullptr, 0},
    {0, "PropertyName", "", "String", nullptr, 0},
    {0, "GetPropertyValue", "", "String", nullptr, 0},
};

PropertyEntry kObjectCursorProperties[] = {
    {kRowAttr4, "Count", AsType(&kIntegerType), RowFunction(objectCursorCountGetter),
     "objectCursorCountGetter", nullptr, nullptr, 0, 0},
};

ParameterEntry kGetItemParameters[] = {{"Value", AsType(&kIntegerType), 0, 0, 0, 0}};

// The CollectionElement result type is filled in when the class is built.
MethodEntry kObjectCursorMethods[] = {
    {"NextObject", nullptr, nullptr, 0, Function(objectCursorNextObject, "objectCursorNextObject"),
     {}, kMethodPlain, kRowAttr4, 0},
    {"GetItem", nullptr, kGetItemParameters, 1, Function(objectCursorGetItem, "objectCursorGetItem"),
     {}, kMethodPlain, kRowAttr4, 0},
};

const ClassRows kObjectCursorRows = {
    .className = "ObjectCursor",
    .superclass = nullptr,
    .objectSize = sizeof(ObjectCursorObject),
    .initializer = Function(objectCursorConstructor, "objectCursorConstructor"),
    .finalizer = Function(objectCursorDestructor, "objectCursorDestructor"),
    .properties = kObjectCursorProperties,
    .events = kObjectCursorEvents,
    .methods = kObjectCursorMethods,
};

}  // namespace

ObjectDefinition* GetObjectCursorDefinition() {
    static ObjectDefinition definition;
    if (definition.className.IsEmpty())
        for (MethodEntry& row : kObjectCursorMethods)
            row.returnType = GetCollectionElementDefinition()->AsType();
    return FillClassDefinition(definition, kObjectCursorRows);
}

extern "C" {

void objectCursorConstructor(ObjectHeader* self) {
    Fields(self)->objects = new Array;
    Fields(self)->exhausted = 0;
}

void objectCursorDestructor(ObjectHeader* self) {
    ObjectCursorObject* cursor = Fields(self);
    Array* objects = cursor->objects;
    cursor->objects = nullptr;
    if (!objects) return;
    for (int32_t i = 0; i < objects->Count(); ++i)
        ReleaseObject(static_cast<ObjectHeader*>(objects->Get(i)));
    delete objects;
}

ObjectHeader* objectCursorNextObject(ObjectHeader* self) {
    if (!self) return RaiseNilObjectException(), nullptr;
    ObjectCursorObject* cursor = Fields(self);
    if (cursor->exhausted || !cursor->objects) return nullptr;
    auto handler =
        reinterpret_cast<ObjectHeader* (*)(ObjectHeader*)>(FindEventInstance(self, sNextObjectEvent));
    ObjectHeader* object = handler ? handler(self) : nullptr;
    if (!object) {
        cursor->exhausted = 1;
        return nullptr;
    }
    RetainObject(object);
    cursor->objects->Append(object);
    return object;
}

ObjectHeader* objectCursorGetItem(ObjectHeader* self, int32_t index) {
    if (!self) return RaiseNilObjectException(), nullptr;
    if (index <= 0) return nullptr;
    ObjectCursorObject* cursor = Fields(self);
    while (cursor->objects && cursor->objects->Count() < index) {
        ObjectHeader* next = objectCursorNextObject(self);
        if (!next) return nullptr;
        ReleaseObject(next);
    }
    if (!cursor->objects) return nullptr;
    auto* object = static_cast<ObjectHeader*>(cursor->objects->Get(index - 1));
    RetainObject(object);
    return object;
}

int32_t objectCursorCountGetter(ObjectHeader* self) {
    if (!self) return RaiseNilObjectException(), 0;
    ObjectCursorObject* cursor = Fields(self);
    while (!cursor->exhausted && cursor->objects) ReleaseObject(objectCursorNextObject(self));
    return cursor->objects ? cursor->objects->Count() : 0;
}

}  // extern "C"
