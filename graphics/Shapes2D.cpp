#include "Shapes2D.h"

#include <cmath>
#include <cstddef>
#include <new>

#include "core/DefinitionConversion.h"
#include "core/Exceptions.h"
#include "core/IntrinsicRegistry.h"
#include "core/RuntimeString.h"
#include "graphics/PictureClass.h"
#include "graphics/PictureImp.h"
#include "graphics/ShapeOutlines.h"
#include "core/IntrinsicTypes.h"
#include "core/PropertyAccessors.h"

static_assert(sizeof(ObjectHeader) == kShapeFieldsOffset);

#ifndef _WIN64
// The storage order compiled code and the property rows rely on, as offsets inside the object.
#define QV_AT(fields, member) (kShapeFieldsOffset + offsetof(fields, member))
static_assert(QV_AT(Object2DFields, kind) == 24 && QV_AT(Object2DFields, fillColor) == 28 &&
              QV_AT(Object2DFields, borderColor) == 32 && QV_AT(Object2DFields, x) == 40 &&
              QV_AT(Object2DFields, y) == 48 && QV_AT(Object2DFields, rotation) == 56 &&
              QV_AT(Object2DFields, scale) == 64 && QV_AT(Object2DFields, fill) == 72 &&
              QV_AT(Object2DFields, border) == 80 && QV_AT(Object2DFields, borderWidth) == 88 &&
              sizeof(Object2DFields) == 72);
static_assert(QV_AT(RectShapeFields, width) == 96 && QV_AT(RectShapeFields, height) == 104);
static_assert(QV_AT(RoundRectShapeFields, cornerWidth) == 112 &&
              QV_AT(RoundRectShapeFields, cornerHeight) == 120 &&
              QV_AT(RoundRectShapeFields, segments) == 128);
static_assert(QV_AT(OvalShapeFields, segments) == 112 && QV_AT(ArcShapeFields, startAngle) == 120 &&
              QV_AT(ArcShapeFields, arcAngle) == 128);
static_assert(QV_AT(PixmapShapeFields, image) == 112 && QV_AT(PixmapShapeFields, sourceLeft) == 116 &&
              QV_AT(PixmapShapeFields, sourceTop) == 120 &&
              QV_AT(PixmapShapeFields, sourceWidth) == 124 &&
              QV_AT(PixmapShapeFields, sourceHeight) == 128);
static_assert(QV_AT(StringShapeFields, textSize) == 96 && QV_AT(StringShapeFields, text) == 104 &&
              QV_AT(StringShapeFields, textFont) == 108 && QV_AT(StringShapeFields, bold) == 112 &&
              QV_AT(StringShapeFields, italic) == 113 && QV_AT(StringShapeFields, underline) == 114);
static_assert(QV_AT(CurveShapeFields, x2) == 96 && QV_AT(CurveShapeFields, y2) == 104 &&
              QV_AT(CurveShapeFields, control) == 112 && QV_AT(CurveShapeFields, order) == 144 &&
              QV_AT(CurveShapeFields, segments) == 148);
static_assert(QV_AT(Group2DFields, members) == 96 && sizeof(Group2DFields) == 88);
#undef QV_AT
#endif

namespace {

constexpr double kHalfPi = 1.5707963267948966;

// The byte offset of a field inside the object, as the property rows give it.
#define QV_FIELD(fields, member) \
    static_cast<intptr_t>(kShapeFieldsOffset + offsetof(fields, member))

template <typename Fields>
Fields* As(ObjectHeader* object) {
    return ShapeFieldsAs<Fields>(object);
}

// A group or figure, or null with nothing to do for any other object.
Group2DFields* List(ObjectHeader* object) {
    Object2DFields* shape = ShapeFields(object);
    return IsShapeList(shape) ? reinterpret_cast<Group2DFields*>(shape) : nullptr;
}

double& DoubleAt(ObjectHeader* object, int32_t offset) {
    return *reinterpret_cast<double*>(reinterpret_cast<char*>(object) + offset);
}

// Control point 0 or 1 of a curve, or null after raising.
Point2D* ControlPoint(ObjectHeader* curve, int32_t index) {
    if (index < 0 || index > 1) {
        RaiseOutOfBoundsException();
        return nullptr;
    }
    return curve ? &As<CurveShapeFields>(curve)->control[index] : nullptr;
}

// Appends a new curve of the order with its points to a figure; the figure keeps the only
// reference.
void AddCurve(ObjectHeader* figure, int32_t order, const double (&values)[8]) {
    Group2DFields* list = List(figure);
    if (!list) return;
    ObjectHeader* object = CreateInstance(GetCurveShapeDefinition());
    if (!object) return;
    CurveShapeFields* curve = As<CurveShapeFields>(object);
    curve->order = order;
    curve->shape.x = values[0];
    curve->shape.y = values[1];
    curve->x2 = values[2];
    curve->y2 = values[3];
    curve->control[0] = {values[4], values[5]};
    curve->control[1] = {values[6], values[7]};
    ShapeListAppend(list, object);
    RuntimeUnlockObject(object);
}

// --- rows ---

#define QV_SHAPE_PROPERTY(flags, name, type, getter, setter, fields, member)                   \
    {flags, name, AsType(&type), RowFunction(getter), #getter, RowFunction(setter), #setter, \
     QV_FIELD(fields, member), 0}
#define QV_SHAPE_METHOD(flags, name, result, parameters, count, function)                        \
    {name, result, parameters, count, Function(function, #function), {}, kMethodPlain, flags, 0}
#define QV_SHAPE_ITEM(name, result, parameters, getter, setter)                                  \
    {name, result, parameters, 1, Function(getter, #getter), Function(setter, #setter),          \
     kMethodPlain, kRowAttr4, 0}

PropertyEntry kObject2DProperties[] = {
    QV_SHAPE_PROPERTY(kRowAttr4, "X", kDoubleType, doubleGetter, Object2DDoubleSetter, Object2DFields, x),
    QV_SHAPE_PROPERTY(kRowAttr4, "Y", kDoubleType, doubleGetter, Object2DDoubleSetter, Object2DFields, y),
    QV_SHAPE_PROPERTY(kRowAttr4, "Rotation", kDoubleType, doubleGetter, Object2DDoubleSetter,
                      Object2DFields, rotation),
    QV_SHAPE_PROPERTY(kRowAttr4, "Scale", kDoubleType, doubleGetter, Object2DDoubleSetter,
                      Object2DFields, scale),
    QV_SHAPE_PROPERTY(kRowAttr4, "Fill", kDoubleType, doublePercentGetter, doublePercentSetter,
                      Object2DFields, fill),
    QV_SHAPE_PROPERTY(kRowAttr4, "FillColor", kColorType, intGetter, intSetter, Object2DFields,
                      fillColor),
    QV_SHAPE_PROPERTY(kRowAttr4, "Border", kDoubleType, doublePercentGetter, doublePercentSetter,
                      Object2DFields, border),
    QV_SHAPE_PROPERTY(kRowAttr4, "BorderColor", kColorType, intGetter, intSetter, Object2DFields,
                      borderColor),
    QV_SHAPE_PROPERTY(kRowAttr4, "BorderWidth", kDoubleType, doubleGetter, doubleSetter,
                      Object2DFields, borderWidth),
};

PropertyEntry kRectShapeProperties[] = {
    QV_SHAPE_PROPERTY(kRowAttr4, "Width", kDoubleType, doubleGetter, doubleSetter, RectShapeFields, width),
    QV_SHAPE_PROPERTY(kRowAttr4, "Height", kDoubleType, doubleGetter, doubleSetter, RectShapeFields,
                      height),
};

ParameterEntry kPointParameters[] = {{"x", AsType(&kDoubleType), 0, 0, 0, 0},
                                     {"y", AsType(&kDoubleType), 0, 0, 0, 0}};

MethodEntry kRectShapeMethods[] = {
    QV_SHAPE_METHOD(kRowAttr4, "Contains", AsType(&kBooleanType), kPointParameters, 2,
                    RectShapeContains),
};

PropertyEntry kRoundRectShapeProperties[] = {
    QV_SHAPE_PROPERTY(kRowAttr4, "Segments", kIntegerType, intGetter, intSetter,
                      RoundRectShapeFields, segments),
    QV_SHAPE_PROPERTY(kRowAttr4, "CornerWidth", kDoubleType, doubleGetter, doubleSetter,
                      RoundRectShapeFields, cornerWidth),
    QV_SHAPE_PROPERTY(kRowAttr4, "CornerHeight", kDoubleType, doubleGetter, doubleSetter,
                      RoundRectShapeFields, cornerHeight),
};

PropertyEntry kOvalShapeProperties[] = {
    QV_SHAPE_PROPERTY(kRowAttr4, "Segments", kIntegerType, intGetter, intSetter, OvalShapeFields,
                      segments),
};

PropertyEntry kArcShapeProperties[] = {
    QV_SHAPE_PROPERTY(kRowAttr4, "StartAngle", kDoubleType, doubleGetter, ArcStartAngleSetter,
                      ArcShapeFields, startAngle),
    QV_SHAPE_PROPERTY(kRowAttr4, "ArcAngle", kDoubleType, doubleGetter, doubleSetter, ArcShapeFields,
                      arcAngle),
};

// The Image row's type is the Picture class, filled in when the definition is built.
PropertyEntry kPixmapShapeProperties[] = {
    {0, "Image", nullptr, RowFunction(objGetter), "objGetter", RowFunction(objSetter), "objSetter",
     QV_FIELD(PixmapShapeFields, image), 0},
    QV_SHAPE_PROPERTY(0, "SourceLeft", kIntegerType, intGetter, intSetter, PixmapShapeFields,
                      sourceLeft),
    QV_SHAPE_PROPERTY(0, "SourceTop", kIntegerType, intGetter, intSetter, PixmapShapeFields,
                      sourceTop),
    QV_SHAPE_PROPERTY(0, "SourceWidth", kIntegerType, intGetter, intSetter, PixmapShapeFields,
                      sourceWidth),
    QV_SHAPE_PROPERTY(0, "SourceHeight", kIntegerType, intGetter, intSetter, PixmapShapeFields,
                      sourceHeight),
};

ParameterEntry kImageParameter[] = {{"image", nullptr, 0, 0, 0, 0}};

MethodEntry kPixmapShapeMethods[] = {
    QV_SHAPE_METHOD(0, "PixmapShape", nullptr, nullptr, 0, PixmapShapeConstructor),
    QV_SHAPE_METHOD(0, "PixmapShape", nullptr, kImageParameter, 1, PixmapShapeImageCtor),
};

PropertyEntry kStringShapeProperties[] = {
    QV_SHAPE_PROPERTY(kRowAttr4, "Text", kStringType, stringGetter, stringSetter, StringShapeFields,
                      text),
    QV_SHAPE_PROPERTY(kRowAttr4, "TextFont", kStringType, stringGetter, stringSetter,
                      StringShapeFields, textFont),
    QV_SHAPE_PROPERTY(kRowAttr4, "TextSize", kDoubleType, doubleGetter, doubleSetter,
                      StringShapeFields, textSize),
    QV_SHAPE_PROPERTY(kRowAttr4, "Bold", kBooleanType, boolGetter, boolSetter, StringShapeFields, bold),
    QV_SHAPE_PROPERTY(kRowAttr4, "Italic", kBooleanType, boolGetter, boolSetter, StringShapeFields,
                      italic),
    QV_SHAPE_PROPERTY(kRowAttr4, "Underline", kBooleanType, boolGetter, boolSetter,
                      StringShapeFields, underline),
};

PropertyEntry kCurveShapeProperties[] = {
    QV_SHAPE_PROPERTY(kRowAttr4, "X2", kDoubleType, doubleGetter, doubleSetter, CurveShapeFields, x2),
    QV_SHAPE_PROPERTY(kRowAttr4, "Y2", kDoubleType, doubleGetter, doubleSetter, CurveShapeFields, y2),
    QV_SHAPE_PROPERTY(kRowAttr4, "Order", kIntegerType, intGetter, CurveOrderSetter,
                      CurveShapeFields, order),
    QV_SHAPE_PROPERTY(kRowAttr4, "Segments", kIntegerType, intGetter, intSetter, CurveShapeFields,
                      segments),
};

ParameterEntry kIndexParameter[] = {{"index", AsType(&kIntegerType), 0, 0, 0, 0}};

MethodEntry kCurveShapeMethods[] = {
    QV_SHAPE_ITEM("ControlX", AsType(&kDoubleType), kIndexParameter, CurveGetControlX,
                  CurveSetControlX),
    QV_SHAPE_ITEM("ControlY", AsType(&kDoubleType), kIndexParameter, CurveGetControlY,
                  CurveSetControlY),
};

PropertyEntry kListProperties[] = {
    {kRowAttr4, "Count", AsType(&kIntegerType), RowFunction(Group2DCount), "Group2DCount", nullptr,
     nullptr, 0, 0},
};

// The member rows of groups and figures; the member type (Object2D or CurveShape) is filled in
// when the definition is built.
struct ListRows {
    ParameterEntry member[1];
    ParameterEntry indexAndMember[2];
    ParameterEntry index[1];
};

ListRows MakeListRows(const char* memberName) {
    ListRows rows = {
        {{memberName, nullptr, 0, 0, 0, 0}},
        {{"index", AsType(&kIntegerType), 0, 0, 0, 0}, {memberName, nullptr, 0, 0, 0, 0}},
        {{"index", AsType(&kIntegerType), 0, 0, 0, 0}},
    };
    return rows;
}

ListRows kGroupRows = MakeListRows("object2D");
ListRows kFigureRows = MakeListRows("curveShape");
MethodEntry kGroupMethods[5] = {};
MethodEntry kFigureMethods[8] = {};

ParameterEntry kLineParameters[] = {{"x1", AsType(&kSingleType), 0, 0, 0, 0},
                                    {"y1", AsType(&kSingleType), 0, 0, 0, 0},
                                    {"x2", AsType(&kSingleType), 0, 0, 0, 0},
                                    {"y2", AsType(&kSingleType), 0, 0, 0, 0},
                                    {"cx1", AsType(&kSingleType), 0, 0, 0, 0},
                                    {"cy1", AsType(&kSingleType), 0, 0, 0, 0},
                                    {"cx2", AsType(&kSingleType), 0, 0, 0, 0},
                                    {"cy2", AsType(&kSingleType), 0, 0, 0, 0}};

// Fills the list method rows with the member class; a figure adds its three curve builders.
template <size_t N>
void FillListRows(ListRows& rows, ObjectDefinition* memberClass, MethodEntry (&out)[N]) {
    const TypeDescriptor* type = AsType(memberClass);
    rows.member[0].parameterType = type;
    rows.indexAndMember[1].parameterType = type;
    MethodEntry methods[8] = {
        QV_SHAPE_METHOD(kRowAttr4, "Append", nullptr, rows.member, 1, Group2DAppend),
        QV_SHAPE_METHOD(kRowAttr4, "Insert", nullptr, rows.indexAndMember, 2, Group2DInsert),
        QV_SHAPE_ITEM("Item", type, rows.index, Group2DGetItem, Group2DSetItem),
        QV_SHAPE_METHOD(kRowAttr4, "Remove", nullptr, rows.member, 1, Group2DRemoveByObject),
        QV_SHAPE_METHOD(kRowAttr4, "Remove", nullptr, rows.index, 1, Group2DRemoveByIndex),
        QV_SHAPE_METHOD(kRowAttr4, "AddLine", nullptr, kLineParameters, 4, FigureShapeAddLine),
        QV_SHAPE_METHOD(kRowAttr4, "AddQuad", nullptr, kLineParameters, 6, FigureShapeAddQuad),
        QV_SHAPE_METHOD(kRowAttr4, "AddCubic", nullptr, kLineParameters, 8, FigureShapeAddCubic),
    };
    for (size_t i = 0; i < N; ++i) out[i] = methods[i];
}

const ClassRows kObject2DRows = {
    .className = "Object2D",
    .superclass = nullptr,
    .objectSize = static_cast<int32_t>(kShapeFieldsOffset + sizeof(Object2DFields)),
    .initializer = Function(Object2DConstructor, "Object2DConstructor"),
    .properties = kObject2DProperties,
};

const ClassRows kRectShapeRows = {
    .className = "RectShape",
    .superclass = GetObject2DDefinition,
    .objectSize = static_cast<int32_t>(kShapeFieldsOffset + sizeof(RectShapeFields)),
    .initializer = Function(RectShapeConstructor, "RectShapeConstructor"),
    .properties = kRectShapeProperties,
    .methods = kRectShapeMethods,
};

const ClassRows kRoundRectShapeRows = {
    .className = "RoundRectShape",
    .superclass = GetRectShapeDefinition,
    .objectSize = static_cast<int32_t>(kShapeFieldsOffset + sizeof(RoundRectShapeFields)),
    .initializer = Function(RoundRectShapeConstructor, "RoundRectShapeConstructor"),
    .properties = kRoundRectShapeProperties,
};

const ClassRows kOvalShapeRows = {
    .className = "OvalShape",
    .superclass = GetRectShapeDefinition,
    .objectSize = static_cast<int32_t>(kShapeFieldsOffset + sizeof(OvalShapeFields)),
    .initializer = Function(OvalShapeConstructor, "OvalShapeConstructor"),
    .properties = kOvalShapeProperties,
};

const ClassRows kArcShapeRows = {
    .className = "ArcShape",
    .superclass = GetOvalShapeDefinition,
    .objectSize = static_cast<int32_t>(kShapeFieldsOffset + sizeof(ArcShapeFields)),
    .initializer = Function(ArcShapeConstructor, "ArcShapeConstructor"),
    .properties = kArcShapeProperties,
};

const ClassRows kPixmapShapeRows = {
    .className = "PixmapShape",
    .superclass = GetRectShapeDefinition,
    .objectSize = static_cast<int32_t>(kShapeFieldsOffset + sizeof(PixmapShapeFields)),
    .initializer = Function(PixmapShapeConstructor, "PixmapShapeConstructor"),
    .finalizer = Function(PixmapShapeDestructor, "PixmapShapeDestructor"),
    .properties = kPixmapShapeProperties,
    .methods = kPixmapShapeMethods,
};

const ClassRows kStringShapeRows = {
    .className = "StringShape",
    .superclass = GetObject2DDefinition,
    .objectSize = static_cast<int32_t>(kShapeFieldsOffset + sizeof(StringShapeFields)),
    .initializer = Function(StringShapeConstructor, "StringShapeConstructor"),
    .finalizer = Function(StringShapeDestructor, "StringShapeDestructor"),
    .properties = kStringShapeProperties,
};

const ClassRows kCurveShapeRows = {
    .className = "CurveShape",
    .superclass = GetObject2DDefinition,
    .objectSize = static_cast<int32_t>(kShapeFieldsOffset + sizeof(CurveShapeFields)),
    .initializer = Function(CurveShapeConstructor, "CurveShapeConstructor"),
    .properties = kCurveShapeProperties,
    .methods = kCurveShapeMethods,
};

const ClassRows kGroup2DRows = {
    .className = "Group2D",
    .superclass = GetObject2DDefinition,
    .objectSize = static_cast<int32_t>(kShapeFieldsOffset + sizeof(Group2DFields)),
    .initializer = Function(Group2DConstructor, "Group2DConstructor"),
    .finalizer = Function(Group2DDestructor, "Group2DDestructor"),
    .properties = kListProperties,
    .methods = kGroupMethods,
};

const ClassRows kFigureShapeRows = {
    .className = "FigureShape",
    .superclass = GetObject2DDefinition,
    .objectSize = static_cast<int32_t>(kShapeFieldsOffset + sizeof(Group2DFields)),
    .initializer = Function(FigureShapeConstructor, "FigureShapeConstructor"),
    .finalizer = Function(FigureShapeDestructor, "FigureShapeDestructor"),
    .properties = kListProperties,
    .methods = kFigureMethods,
};

#undef QV_SHAPE_PROPERTY
#undef QV_SHAPE_METHOD
#undef QV_SHAPE_ITEM

// The body of the definition functions whose rows need no class types.
#define QV_SHAPE_DEFINITION(function, rows)         \
    ObjectDefinition* function() {                  \
        static ObjectDefinition definition;         \
        return FillClassDefinition(definition, rows); \
    }

}  // namespace

QV_SHAPE_DEFINITION(GetObject2DDefinition, kObject2DRows)
QV_SHAPE_DEFINITION(GetRectShapeDefinition, kRectShapeRows)
QV_SHAPE_DEFINITION(GetRoundRectShapeDefinition, kRoundRectShapeRows)
QV_SHAPE_DEFINITION(GetOvalShapeDefinition, kOvalShapeRows)
QV_SHAPE_DEFINITION(GetArcShapeDefinition, kArcShapeRows)
QV_SHAPE_DEFINITION(GetStringShapeDefinition, kStringShapeRows)
QV_SHAPE_DEFINITION(GetCurveShapeDefinition, kCurveShapeRows)
#undef QV_SHAPE_DEFINITION

ObjectDefinition* GetPixmapShapeDefinition() {
    static ObjectDefinition definition;
    static bool typed = false;
    if (!typed) {
        typed = true;
        const TypeDescriptor* picture = AsType(GetPictureDefinition());
        kPixmapShapeProperties[0].type = picture;
        kImageParameter[0].parameterType = picture;
    }
    return FillClassDefinition(definition, kPixmapShapeRows);
}

ObjectDefinition* GetGroup2DDefinition() {
    static ObjectDefinition definition;
    static bool typed = false;
    if (!typed) {
        typed = true;
        FillListRows(kGroupRows, GetObject2DDefinition(), kGroupMethods);
    }
    return FillClassDefinition(definition, kGroup2DRows);
}

ObjectDefinition* GetFigureShapeDefinition() {
    static ObjectDefinition definition;
    static bool typed = false;
    if (!typed) {
        typed = true;
        FillListRows(kFigureRows, GetCurveShapeDefinition(), kFigureMethods);
    }
    return FillClassDefinition(definition, kFigureShapeRows);
}

void RegisterShapeClasses() {
    ObjectDefinition* (*const classes[])() = {
        GetObject2DDefinition,    GetRectShapeDefinition,   GetRoundRectShapeDefinition,
        GetOvalShapeDefinition,   GetArcShapeDefinition,    GetPixmapShapeDefinition,
        GetStringShapeDefinition, GetCurveShapeDefinition,  GetGroup2DDefinition,
        GetFigureShapeDefinition,
    };
    for (auto definition : classes) RegisterIntrinsicClass(definition());
}

extern "C" {

ObjectHeader* Object2DConstructor(ObjectHeader* object) {
    Object2DFields* shape = ShapeFields(object);
    if (!shape) return object;
    shape->kind = kShapeKindObject2D;
    shape->scale = 1.0;
    shape->fill = 1.0;
    shape->border = 0.0;
    shape->borderWidth = 1.0;
    return object;
}

ObjectHeader* RectShapeConstructor(ObjectHeader* object) {
    if (RectShapeFields* rect = As<RectShapeFields>(object)) {
        rect->shape.kind = kShapeKindRect;
        rect->width = 100.0;
        rect->height = 100.0;
    }
    return object;
}

ObjectHeader* RoundRectShapeConstructor(ObjectHeader* object) {
    if (Object2DFields* shape = ShapeFields(object)) shape->kind = kShapeKindRoundRect;
    return object;
}

ObjectHeader* OvalShapeConstructor(ObjectHeader* object) {
    if (Object2DFields* shape = ShapeFields(object)) shape->kind = kShapeKindOval;
    return object;
}

ObjectHeader* ArcShapeConstructor(ObjectHeader* object) {
    if (ArcShapeFields* arc = As<ArcShapeFields>(object)) {
        arc->oval.rect.shape.kind = kShapeKindArc;
        arc->arcAngle = kHalfPi;
    }
    return object;
}

ObjectHeader* PixmapShapeConstructor(ObjectHeader* object) {
    if (PixmapShapeFields* pixmap = As<PixmapShapeFields>(object)) {
        pixmap->rect.shape.kind = kShapeKindPixmap;
        pixmap->rect.width = 0;
        pixmap->rect.height = 0;
    }
    return object;
}

ObjectHeader* PixmapShapeDestructor(ObjectHeader* object) {
    if (PixmapShapeFields* pixmap = As<PixmapShapeFields>(object)) {
        ObjectHeader* image = pixmap->image;
        pixmap->image = nullptr;
        RuntimeUnlockObject(image);
    }
    return object;
}

ObjectHeader* StringShapeConstructor(ObjectHeader* object) {
    if (StringShapeFields* text = As<StringShapeFields>(object)) {
        text->shape.kind = kShapeKindString;
        text->text = string("-").Detach();
        text->textFont = string("System").Detach();
        text->textSize = 12.0;
    }
    return object;
}

ObjectHeader* StringShapeDestructor(ObjectHeader* object) {
    if (StringShapeFields* text = As<StringShapeFields>(object)) {
        RuntimeUnlockString(text->text);
        RuntimeUnlockString(text->textFont);
        text->text = nullptr;
        text->textFont = nullptr;
    }
    return object;
}

ObjectHeader* CurveShapeConstructor(ObjectHeader* object) {
    if (CurveShapeFields* curve = As<CurveShapeFields>(object)) {
        curve->shape.kind = kShapeKindCurve;
        curve->x2 = 100.0;
        curve->y2 = 100.0;
        curve->shape.fill = 0.0;
        curve->shape.border = 1.0;
    }
    return object;
}

ObjectHeader* Group2DConstructor(ObjectHeader* object) {
    if (Group2DFields* group = As<Group2DFields>(object)) {
        group->shape.kind = kShapeKindGroup2D;
        new (&group->members) SimpleVector<ObjectHeader*>(kShapeMemberGrowth);
    }
    return object;
}

ObjectHeader* Group2DDestructor(ObjectHeader* object) {
    if (Group2DFields* group = As<Group2DFields>(object)) {
        ShapeListClear(group);
        group->members.~SimpleVector();
        new (&group->members) SimpleVector<ObjectHeader*>();
    }
    return object;
}

ObjectHeader* FigureShapeConstructor(ObjectHeader* object) {
    Group2DConstructor(object);
    if (Object2DFields* shape = ShapeFields(object)) shape->kind = kShapeKindFigure;
    return object;
}

ObjectHeader* FigureShapeDestructor(ObjectHeader* object) { return Group2DDestructor(object); }

double doublePercentGetter(ObjectHeader* object, int32_t offset) {
    return object ? DoubleAt(object, offset) * 100.0 : 0.0;
}

void doublePercentSetter(ObjectHeader* object, int32_t offset, double value) {
    if (object) DoubleAt(object, offset) = value * 0.01;
}

void Object2DDoubleSetter(ObjectHeader* object, int32_t offset, double value) {
    Object2DFields* shape = ShapeFields(object);
    if (!shape) return;
    if (offset == QV_FIELD(Object2DFields, x))
        SetObject2DPosition(shape, value, shape->y);
    else if (offset == QV_FIELD(Object2DFields, y))
        SetObject2DPosition(shape, shape->x, value);
    else if (offset == QV_FIELD(Object2DFields, scale))
        SetObject2DScale(shape, value);
    else if (offset == QV_FIELD(Object2DFields, rotation))
        SetObject2DRotation(shape, value);
}

void ArcStartAngleSetter(ObjectHeader* object, int32_t offset, double value) {
    if (!object) return;
    double angle = std::fmod(value, kTwoPi);
    if (angle < 0) angle += kTwoPi;
    DoubleAt(object, offset) = angle;
}

void CurveOrderSetter(ObjectHeader* object, int32_t offset, int32_t value) {
    if (value < 0 || value > 2) {
        RaiseOutOfBoundsException();
        return;
    }
    if (object) intSetter(object, offset, value);
}

double CurveGetControlX(ObjectHeader* curve, int32_t index) {
    const Point2D* point = ControlPoint(curve, index);
    return point ? point->x : 0.0;
}

double CurveGetControlY(ObjectHeader* curve, int32_t index) {
    const Point2D* point = ControlPoint(curve, index);
    return point ? point->y : 0.0;
}

void CurveSetControlX(ObjectHeader* curve, int32_t index, double value) {
    if (Point2D* point = ControlPoint(curve, index)) point->x = value;
}

void CurveSetControlY(ObjectHeader* curve, int32_t index, double value) {
    if (Point2D* point = ControlPoint(curve, index)) point->y = value;
}

void PixmapShapeImageCtor(ObjectHeader* object, ObjectHeader* picture) {
    PixmapShapeFields* pixmap = As<PixmapShapeFields>(object);
    if (!pixmap) return;
    pixmap->rect.shape.kind = kShapeKindPixmap;
    PictureImp* pixels = PictureImplementation(picture);
    if (!pixels) return;
    RuntimeLockObject(picture);
    RuntimeUnlockObject(pixmap->image);
    pixmap->image = picture;
    int32_t width = 0;
    int32_t height = 0;
    pixels->GetSize(width, height);
    pixmap->rect.width = width;
    pixmap->rect.height = height;
    pixmap->sourceWidth = width;
    pixmap->sourceHeight = height;
}

int32_t Group2DCount(ObjectHeader* group) {
    return static_cast<int32_t>(ShapeMemberCount(group));
}

void Group2DAppend(ObjectHeader* group, ObjectHeader* member) {
    if (Group2DFields* list = List(group)) ShapeListAppend(list, member);
}

void Group2DInsert(ObjectHeader* group, int32_t index, ObjectHeader* member) {
    Group2DFields* list = List(group);
    if (list && !ShapeListInsert(list, index, member)) RaiseOutOfBoundsException();
}

ObjectHeader* Group2DGetItem(ObjectHeader* group, int32_t index) {
    Group2DFields* list = List(group);
    ObjectHeader* member = nullptr;
    if (list && !ShapeListItem(list, index, &member)) RaiseOutOfBoundsException();
    return member;
}

void Group2DSetItem(ObjectHeader* group, int32_t index, ObjectHeader* member) {
    Group2DFields* list = List(group);
    if (list && !ShapeListSetItem(list, index, member)) RaiseOutOfBoundsException();
}

void Group2DRemoveByIndex(ObjectHeader* group, int32_t index) {
    Group2DFields* list = List(group);
    if (list && !ShapeListRemoveAt(list, index)) RaiseOutOfBoundsException();
}

void Group2DRemoveByObject(ObjectHeader* group, ObjectHeader* member) {
    if (Group2DFields* list = List(group)) ShapeListRemove(list, member);
}

void FigureShapeAddLine(ObjectHeader* figure, float x1, float y1, float x2, float y2) {
    AddCurve(figure, 0, {x1, y1, x2, y2, 0, 0, 0, 0});
}

void FigureShapeAddQuad(ObjectHeader* figure, float x1, float y1, float x2, float y2, float cx1,
                        float cy1) {
    AddCurve(figure, 1, {x1, y1, x2, y2, cx1, cy1, 0, 0});
}

void FigureShapeAddCubic(ObjectHeader* figure, float x1, float y1, float x2, float y2, float cx1,
                         float cy1, float cx2, float cy2) {
    AddCurve(figure, 2, {x1, y1, x2, y2, cx1, cy1, cx2, cy2});
}

bool RectShapeContains(ObjectHeader* shape, double x, double y) {
    RectShapeFields* rect = As<RectShapeFields>(shape);
    return rect && ShapeContains(rect, x, y);
}

}  // extern "C"
