#include "Shapes2D.h"

#include <new>

namespace {

Object2DObject* Shape(ObjectHeader* object) { return reinterpret_cast<Object2DObject*>(object); }
Group2DObject* Group(ObjectHeader* object) { return reinterpret_cast<Group2DObject*>(object); }

const ClassRows kObject2DRows = {
    .className = "Object2D",
    .superclass = nullptr,
    .objectSize = sizeof(Object2DObject),
    .initializer = Function(Object2DConstructor, "Object2DConstructor"),
};

const ClassRows kGroup2DRows = {
    .className = "Group2D",
    .superclass = GetObject2DDefinition,
    .objectSize = sizeof(Group2DObject),
    .initializer = Function(Group2DConstructor, "Group2DConstructor"),
    .finalizer = Function(Group2DDestructor, "Group2DDestructor"),
};

}  // namespace

ObjectDefinition* GetObject2DDefinition() {
    static ObjectDefinition definition;
    return FillClassDefinition(definition, kObject2DRows);
}

ObjectDefinition* GetGroup2DDefinition() {
    static ObjectDefinition definition;
    return FillClassDefinition(definition, kGroup2DRows);
}

uint32_t ShapeMemberCount(ObjectHeader* shape) {
    if (!shape || Shape(shape)->kind != kShapeKindGroup2D) return 0;
    return Group(shape)->members.size();
}

extern "C" {

void Object2DConstructor(ObjectHeader* object) {
    Object2DObject* shape = Shape(object);
    shape->kind = kShapeKindObject2D;
    shape->scale = 1.0;
    shape->fill = 1.0;
    shape->border = 0.0;
    shape->borderWidth = 1.0;
}

void Group2DConstructor(ObjectHeader* object) {
    Shape(object)->kind = kShapeKindGroup2D;
    new (&Group(object)->members) SimpleVector<ObjectHeader*>(16);
}

void Group2DDestructor(ObjectHeader* object) {
    SimpleVector<ObjectHeader*>& members = Group(object)->members;
    for (uint32_t i = 0; i < members.size(); ++i) RuntimeUnlockObject(members[i]);
    members.~SimpleVector();
    new (&members) SimpleVector<ObjectHeader*>();
}

}  // extern "C"
