// The least of the vector shapes that pictures and graphics need: the Object2D and Group2D
// classes with their fields and defaults, so that a vector picture keeps its group and its size.
// The other shape classes, the shapes' properties and methods (a group cannot be filled from
// the language yet) and the shape plotter are missing: DrawObject draws nothing.
#pragma once

#include <cstdint>

#include "core/ClassDefinition.h"
#include "core/ObjectModel.h"
#include "core/SimpleVector.h"

struct Object2DObject {
    ObjectHeader header;
    uint32_t kind;  // four characters, the first in the top byte
    int32_t fillColor;
    int32_t borderColor;
    double x;
    double y;
    double rotation;
    double scale;
    double fill;
    double border;
    double borderWidth;
};

struct Group2DObject {
    Object2DObject shape;
    SimpleVector<ObjectHeader*> members;  // one reference each
};

constexpr uint32_t kShapeKindObject2D = 0x6F623244;  // 'ob2D'
constexpr uint32_t kShapeKindGroup2D = 0x67727570;   // 'grup'

ObjectDefinition* GetObject2DDefinition();
ObjectDefinition* GetGroup2DDefinition();

// The members of a group; 0 for a shape that is no group.
uint32_t ShapeMemberCount(ObjectHeader* shape);

extern "C" {
void Object2DConstructor(ObjectHeader* shape);
void Group2DConstructor(ObjectHeader* group);
void Group2DDestructor(ObjectHeader* group);
}
