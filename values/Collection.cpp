#include "values/Collection.h"

#include "core/DefinitionConversion.h"
#include "core/Exceptions.h"
#include "core/IntrinsicTypes.h"
#include "values/Variant.h"

namespace {

CollectionObject* Fields(ObjectHeader* self) { return reinterpret_cast<CollectionObject*>(self); }

CollectionElement* ElementAt(const Array* elements, int32_t index) {
    return static_cast<CollectionElement*>(elements->Get(index));
}

bool InRange(const CollectionObject* c, int32_t index) {
    return c->elements && index >= 1 && index <= c->elements->Count();
}

// The position (from 0) of the first element whose key equals key without regard to case; -1.
int32_t FindKey(const CollectionObject* c, StringRecord* key) {
    if (!c->elements) return -1;
    const string wanted(key);
    for (int32_t i = 0; i < c->elements->Count(); ++i)
        if (string::CompareNoCase(ElementAt(c->elements, i)->key, wanted) == 0) return i;
    return -1;
}

void RemoveAt(CollectionObject* c, int32_t index) {
    CollectionElement* element = ElementAt(c->elements, index);
    c->elements->Remove(index);
    ReleaseObject(element->value);
    delete element;
}

ObjectHeader* RetainedValue(const CollectionObject* c, int32_t index) {
    ObjectHeader* value = ElementAt(c->elements, index)->value;
    RetainObject(value);
    return value;
}

// Types naming Variant are filled in when the class is built.
ParameterEntry kIndexParameter[] = {{"v", AsType(&kIntegerType), 0, 0, 0, 0}};
ParameterEntry kKeyParameter[] = {{"v", AsType(&kStringType), 0, 0, 0, 0}};
ParameterEntry kAddParameters[] = {{"value", nullptr, 0, 0, 0, 0},
                                   {"key", AsType(&kStringType), 0, 1, 0, 0}};

PropertyEntry kCollectionProperties[] = {
    {kRowAttr4, "Count", AsType(&kIntegerType), RowFunction(collectionCount), "collectionCount",
     nullptr, nullptr, 0, 0},
};

MethodEntry kCollectionMethods[] = {
    {"Item", nullptr, kIndexParameter, 1, Function(collectionIdxItem, "collectionIdxItem"), {},
     kMethodPlain, kRowAttr4, 0},
    {"Item", nullptr, kKeyParameter, 1, Function(collectionItem, "collectionItem"), {},
     kMethodPlain, kRowAttr4, 0},
    {"Add", nullptr, kAddParameters, 2, Function(collectionAdd, "collectionAdd"), {}, kMethodPlain,
     kRowAttr4, 0},
    {"Remove", nullptr, kIndexParameter, 1, Function(collectionIdxRemove, "collectionIdxRemove"),
     {}, kMethodPlain, kRowAttr4, 0},
    {"Remove", nullptr, kKeyParameter, 1, Function(collectionKeyRemove, "collectionKeyRemove"), {},
     kMethodPlain, kRowAttr4, 0},
};

const ClassRows kCollectionRows = {
    .className = "Collection",
    .superclass = nullptr,
    .objectSize = sizeof(CollectionObject),
    .finalizer = Function(collectionDestructor, "collectionDestructor"),
    .properties = kCollectionProperties,
    .methods = kCollectionMethods,
};

const ClassRows kCollectionElementRows = {
    .className = "CollectionElement",
    .superclass = nullptr,
    .objectSize = kObjectHeaderSize,
};

}  // namespace

ObjectDefinition* GetCollectionDefinition() {
    static ObjectDefinition definition;
    if (definition.className.IsEmpty()) {
        const TypeDescriptor* variant = GetVariantDefinition()->AsType();
        kAddParameters[0].parameterType = variant;
        kCollectionMethods[0].returnType = variant;
        kCollectionMethods[1].returnType = variant;
    }
    return FillClassDefinition(definition, kCollectionRows);
}

ObjectDefinition* GetCollectionElementDefinition() {
    static ObjectDefinition definition;
    return FillClassDefinition(definition, kCollectionElementRows);
}

extern "C" {

int32_t collectionCount(ObjectHeader* self) {
    if (!self) return RaiseNilObjectException(), 0;
    const CollectionObject* c = Fields(self);
    return c->elements ? c->elements->Count() : 0;
}

ObjectHeader* collectionIdxItem(ObjectHeader* self, int32_t index) {
    if (!self) return RaiseNilObjectException(), nullptr;
    const CollectionObject* c = Fields(self);
    if (!InRange(c, index)) return RaiseOutOfBoundsException(), nullptr;
    return RetainedValue(c, index - 1);
}

ObjectHeader* collectionItem(ObjectHeader* self, StringRecord* key) {
    if (!self) return RaiseNilObjectException(), nullptr;
    const CollectionObject* c = Fields(self);
    const int32_t index = FindKey(c, key);
    return index < 0 ? nullptr : RetainedValue(c, index);
}

void collectionAdd(ObjectHeader* self, ObjectHeader* value, StringRecord* key) {
    if (!self) return RaiseNilObjectException();
    CollectionObject* c = Fields(self);
    auto* element = new CollectionElement;
    element->key = string(key);
    element->value = value;
    RetainObject(value);
    if (!c->elements) c->elements = new Array;
    c->elements->Append(element);
}

void collectionIdxRemove(ObjectHeader* self, int32_t index) {
    if (!self) return RaiseNilObjectException();
    CollectionObject* c = Fields(self);
    if (!InRange(c, index)) return RaiseOutOfBoundsException();
    RemoveAt(c, index - 1);
}

void collectionKeyRemove(ObjectHeader* self, StringRecord* key) {
    if (!self) return RaiseNilObjectException();
    CollectionObject* c = Fields(self);
    const int32_t index = FindKey(c, key);
    if (index >= 0) RemoveAt(c, index);
}

void collectionDestructor(ObjectHeader* self) {
    CollectionObject* c = Fields(self);
    if (!c->elements) return;
    while (c->elements->Count() > 0) RemoveAt(c, c->elements->Count() - 1);
    delete c->elements;
    c->elements = nullptr;
}

ClassRecord* RuntimeLookupCollectionClass() {
    return LookupObjectDefinition(GetCollectionDefinition());
}

ClassRecord* RuntimeLookupCollectionElementClass() {
    return LookupObjectDefinition(GetCollectionElementDefinition());
}

}  // extern "C"
