// The fields of the vector shapes and what moves them: the transform setters that carry a move,
// a scale or a turn through groups, figures and curves, and the member lists of groups and
// figures. Plain data and arithmetic, so it builds without the rest of the runtime; the classes
// around these fields are in Shapes2D.h.
//
// Every shape object is the object header followed by one of the field records below; the
// records nest so that each begins with the fields of its superclass.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/SimpleVector.h"

struct ObjectHeader;
struct StringRecord;

// Four characters, the first in the top byte.
constexpr uint32_t kShapeKindObject2D = 0x6F623244;  // 'ob2D'
constexpr uint32_t kShapeKindRect = 0x72656374;      // 'rect'
constexpr uint32_t kShapeKindRoundRect = 0x726F756E; // 'roun'
constexpr uint32_t kShapeKindOval = 0x6F76616C;      // 'oval'
constexpr uint32_t kShapeKindArc = 0x61726320;       // 'arc '
constexpr uint32_t kShapeKindPixmap = 0x70697820;    // 'pix '
constexpr uint32_t kShapeKindString = 0x7374726E;    // 'strn'
constexpr uint32_t kShapeKindCurve = 0x63757276;     // 'curv'
constexpr uint32_t kShapeKindGroup2D = 0x67727570;   // 'grup'
constexpr uint32_t kShapeKindFigure = 0x66696772;    // 'figr'

struct Point2D {
    double x;
    double y;
};

using PointList = SimpleVector<Point2D>;

struct Object2DFields {
    uint32_t kind;
    int32_t fillColor;    // 0x00RRGGBB; the text colour of a string shape
    int32_t borderColor;
    double x;             // the reference point
    double y;
    double rotation;      // radians, clockwise on the screen
    double scale;
    double fill;          // levels as fractions
    double border;
    double borderWidth;   // before scaling
};

struct RectShapeFields {
    Object2DFields shape;
    double width;
    double height;
};

struct RoundRectShapeFields {
    RectShapeFields rect;
    double cornerWidth;
    double cornerHeight;
    int32_t segments;  // below 4 is automatic
};

struct OvalShapeFields {
    RectShapeFields rect;
    int32_t segments;  // below 3 is automatic
};

struct ArcShapeFields {
    OvalShapeFields oval;
    double startAngle;  // kept in [0, 2π)
    double arcAngle;
};

struct PixmapShapeFields {
    RectShapeFields rect;
    ObjectHeader* image;  // a Picture, one reference
    int32_t sourceLeft;
    int32_t sourceTop;
    int32_t sourceWidth;
    int32_t sourceHeight;
};

struct StringShapeFields {
    Object2DFields shape;
    double textSize;
    StringRecord* text;
    StringRecord* textFont;
    uint8_t bold;
    uint8_t italic;
    uint8_t underline;
};

struct CurveShapeFields {
    Object2DFields shape;  // X, Y is the start point
    double x2;
    double y2;
    Point2D control[2];
    int32_t order;  // 0 line, 1 quadratic, 2 cubic
    int32_t segments;
};

// Group2D and FigureShape.
struct Group2DFields {
    Object2DFields shape;
    SimpleVector<ObjectHeader*> members;  // one reference each; entries may be nil
};

constexpr uint32_t kShapeMemberGrowth = 16;

// The header every object starts with is six machine words.
constexpr size_t kShapeFieldsOffset = 6 * sizeof(void*);

inline Object2DFields* ShapeFields(ObjectHeader* object) {
    return object ? reinterpret_cast<Object2DFields*>(reinterpret_cast<char*>(object) +
                                                      kShapeFieldsOffset)
                  : nullptr;
}
template <typename Fields>
Fields* ShapeFieldsAs(ObjectHeader* object) {
    return reinterpret_cast<Fields*>(ShapeFields(object));
}
inline bool IsShapeList(const Object2DFields* shape) {
    return shape && (shape->kind == kShapeKindGroup2D || shape->kind == kShapeKindFigure);
}

// The transform setters: a group or figure carries the change to its members about its own
// reference point, a curve to its stored points. A group already being changed higher up the
// same walk is skipped, and the walk stops 128 levels down, so a group that holds itself ends.
// Nil members are skipped.
void SetObject2DPosition(Object2DFields* shape, double x, double y);
void SetObject2DScale(Object2DFields* shape, double scale);
void SetObject2DRotation(Object2DFields* shape, double rotation);

// Member lists of groups and figures. The index checks answer false (nothing changed) so that the
// caller raises; Append and Insert take a reference, removal and replacement drop one.
uint32_t ShapeMemberCount(ObjectHeader* shape);
void ShapeListAppend(Group2DFields* group, ObjectHeader* member);
bool ShapeListInsert(Group2DFields* group, int32_t index, ObjectHeader* member);
// The member with a new reference for the caller.
bool ShapeListItem(Group2DFields* group, int32_t index, ObjectHeader** member);
bool ShapeListSetItem(Group2DFields* group, int32_t index, ObjectHeader* member);
bool ShapeListRemoveAt(Group2DFields* group, int32_t index);
// The first entry that is the very object; nothing when there is none.
void ShapeListRemove(Group2DFields* group, ObjectHeader* member);
// Drops every member and frees the list.
void ShapeListClear(Group2DFields* group);

// A double as a 32-bit integer, truncated toward zero and saturated; NaN gives 0.
int32_t TruncateToInt32(double value);
