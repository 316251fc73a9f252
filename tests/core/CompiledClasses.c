/* A small program written the way compiled application code uses the runtime: it builds its
 * class records itself after RuntimeNewClass, reads instance fields after the object header,
 * calls virtual methods through the method table and interface methods through the table that
 * RuntimeLookupInterfaceVtable finds. It sees the runtime only through the C header, and is built
 * freestanding, without the C library.
 *
 * Classes:
 *   Shape (root)           field tag; methods Area, Tag; event Changed; property Tag (plain field)
 *   Drawable (interface)   method Draw
 *   Circle : Shape         field radius; overrides Area, adds Radius; implements Drawable;
 *                          event Moved; one accessor and one property more than Shape
 *   Disc : Circle          field thickness; inherits everything else
 *   Holder (root)          fields id, first, second; its finalizer releases first, then second
 *   OleObject (root), AutomationApp : OleObject, AutomationSheet : AutomationApp
 *
 * Every callback appends a code to the trace: kind * 1000 + subject, the subject being the class
 * index, or 100 + id for a Holder.
 */
#include "sdk/QuorvaneRuntime.h"

enum {
    kShape,
    kDrawable,
    kCircle,
    kDisc,
    kHolder,
    kOleObject,
    kAutomationApp,
    kAutomationSheet,
    kClassCount
};

enum { kTraceInit = 1, kTraceCountZero = 2, kTraceFinal = 3 };

typedef int32_t(QV_CDECL* IntMethod)(ObjectHeader* self);

/* The instance fields after the header; each class's instanceSize covers its own. */
typedef struct ShapeFields {
    int32_t tag;       /* Shape */
    int32_t radius;    /* Circle */
    int32_t thickness; /* Disc */
} ShapeFields;

typedef struct HolderFields {
    int32_t id;
    ObjectHeader* first;
    ObjectHeader* second;
} HolderFields;

#define SHAPE(object) ((ShapeFields*)((char*)(object) + kObjectHeaderSize))
#define HOLDER(object) ((HolderFields*)((char*)(object) + kObjectHeaderSize))

static ClassRecord* sClasses[kClassCount];

/* ---- the trace ---- */

static int32_t sTrace[64];
static int32_t sTraceCount;

void CompiledTraceAppend(int32_t code) {
    if (sTraceCount < (int32_t)(sizeof sTrace / sizeof sTrace[0])) sTrace[sTraceCount++] = code;
}
int32_t CompiledTraceCount(void) { return sTraceCount; }
int32_t CompiledTraceAt(int32_t index) { return sTrace[index]; }
void CompiledTraceClear(void) { sTraceCount = 0; }

/* ---- names ---- */

QV_STATIC_STRING(kShapeName, "Shape");
QV_STATIC_STRING(kDrawableName, "Drawable");
QV_STATIC_STRING(kCircleName, "Circle");
QV_STATIC_STRING(kDiscName, "Disc");
QV_STATIC_STRING(kHolderName, "Holder");
/* Another spelling than the runtime's: the automation rule compares names without case. */
QV_STATIC_STRING(kOleObjectName, "OleObject");
QV_STATIC_STRING(kAutomationAppName, "AutomationApp");
QV_STATIC_STRING(kAutomationSheetName, "AutomationSheet");
QV_STATIC_STRING(kAreaName, "Area");
QV_STATIC_STRING(kTagName, "Tag");
QV_STATIC_STRING(kRadiusName, "Radius");
QV_STATIC_STRING(kDrawName, "Draw");
QV_STATIC_STRING(kChangedName, "Changed");
QV_STATIC_STRING(kMovedName, "Moved");
QV_STATIC_STRING(kIntegerSignature, "i4");
QV_STATIC_STRING(kTagProperty, "Tag%i%");
QV_STATIC_STRING(kRadiusProperty, "Radius%i%");

/* ---- methods and callbacks ---- */

static void QV_CDECL ShapeInit(ObjectHeader* self) {
    SHAPE(self)->tag = 7;
    CompiledTraceAppend(kTraceInit * 1000 + kShape);
}
/* Reads the field the base initializer set: the base's initializer runs first. */
static void QV_CDECL CircleInit(ObjectHeader* self) {
    SHAPE(self)->radius = SHAPE(self)->tag * 2;
    CompiledTraceAppend(kTraceInit * 1000 + kCircle);
}
static void QV_CDECL DiscInit(ObjectHeader* self) {
    SHAPE(self)->thickness = SHAPE(self)->radius + 1;
    CompiledTraceAppend(kTraceInit * 1000 + kDisc);
}
static void QV_CDECL ShapeCountZero(ObjectHeader* self) {
    (void)self;
    CompiledTraceAppend(kTraceCountZero * 1000 + kShape);
}
static void QV_CDECL CircleCountZero(ObjectHeader* self) {
    (void)self;
    CompiledTraceAppend(kTraceCountZero * 1000 + kCircle);
}
static void QV_CDECL ShapeFinal(ObjectHeader* self) {
    (void)self;
    CompiledTraceAppend(kTraceFinal * 1000 + kShape);
}
static void QV_CDECL CircleFinal(ObjectHeader* self) {
    (void)self;
    CompiledTraceAppend(kTraceFinal * 1000 + kCircle);
}
static void QV_CDECL DiscFinal(ObjectHeader* self) {
    (void)self;
    CompiledTraceAppend(kTraceFinal * 1000 + kDisc);
}

static int32_t QV_CDECL ShapeArea(ObjectHeader* self) {
    (void)self;
    return 0;
}
static int32_t QV_CDECL ShapeTag(ObjectHeader* self) { return SHAPE(self)->tag; }
static int32_t QV_CDECL CircleArea(ObjectHeader* self) {
    return 3 * SHAPE(self)->radius * SHAPE(self)->radius;
}
static int32_t QV_CDECL CircleRadius(ObjectHeader* self) { return SHAPE(self)->radius; }
static int32_t QV_CDECL CircleDraw(ObjectHeader* self) { return 100 + SHAPE(self)->radius; }

static void QV_CDECL HolderCountZero(ObjectHeader* self) {
    CompiledTraceAppend(kTraceCountZero * 1000 + 100 + HOLDER(self)->id);
}
static void QV_CDECL HolderFinal(ObjectHeader* self) {
    CompiledTraceAppend(kTraceFinal * 1000 + 100 + HOLDER(self)->id);
    RuntimeUnlockObject(HOLDER(self)->first);
    RuntimeUnlockObject(HOLDER(self)->second);
}

/* ---- class building, in the order compiled code does it ---- */

static ClassRecord* NewClass(ClassRecord* base, StringRecord* name, int32_t instanceSize,
                             int32_t m, int32_t i, int32_t e, int32_t a, int32_t p) {
    ClassRecord* record = RuntimeNewClass(base, m, i, e, a, p);
    record->name = name;
    record->instanceSize = instanceSize;
    return record;
}

static void SetMethod(MethodSlot* slot, void* function, StringRecord* name) {
    slot->function = function;
    slot->name = name;
}

static void BuildShapes(void) {
    ClassRecord* shape;
    ClassRecord* drawable;
    ClassRecord* circle;
    ClassRecord* disc;
    MethodSlot* drawTable;

    shape = NewClass(0, &kShapeName, kObjectHeaderSize + 4, 2, 0, 1, 1, 1);
    shape->initializer = ShapeInit;
    shape->countZero = ShapeCountZero;
    shape->finalizer = ShapeFinal;
    SetMethod(&shape->methods[0], (void*)ShapeArea, &kAreaName);
    SetMethod(&shape->methods[1], (void*)ShapeTag, &kTagName);
    shape->events[0].name = &kChangedName;
    shape->accessors[0].function = (void*)ShapeTag;
    shape->accessors[0].signature = &kIntegerSignature;
    shape->properties[0].descriptor = &kTagProperty;
    shape->properties[0].parameter = kObjectHeaderSize;
    shape->properties[0].getter = kPlainFieldAccessor;
    shape->properties[0].setter = kPlainFieldAccessor;

    drawable = NewClass(0, &kDrawableName, kObjectHeaderSize, 1, 0, 0, 0, 0);
    drawable->isAnInterface = 1;
    SetMethod(&drawable->methods[0], 0, &kDrawName);

    circle = NewClass(shape, &kCircleName, kObjectHeaderSize + 8, 3, 1, 2, 2, 2);
    circle->initializer = CircleInit;
    circle->countZero = CircleCountZero;
    circle->finalizer = CircleFinal;
    circle->methods[0].function = (void*)CircleArea;
    SetMethod(&circle->methods[2], (void*)CircleRadius, &kRadiusName);
    circle->events[1].name = &kMovedName;
    circle->accessors[1].function = (void*)CircleRadius;
    circle->accessors[1].signature = &kIntegerSignature;
    circle->properties[1].descriptor = &kRadiusProperty;
    circle->properties[1].parameter = kObjectHeaderSize + 4;
    circle->properties[1].getter = kPlainFieldAccessor;
    circle->properties[1].setter = kPlainFieldAccessor;
    drawTable = RuntimeNewVtable(1);
    SetMethod(&drawTable[0], (void*)CircleDraw, &kDrawName);
    circle->interfaces[0].interfaceClass = drawable;
    circle->interfaces[0].methodCount = 1;
    circle->interfaces[0].methods = drawTable;

    disc = NewClass(circle, &kDiscName, kObjectHeaderSize + 12, 3, 1, 2, 2, 2);
    disc->initializer = DiscInit;
    disc->finalizer = DiscFinal;

    sClasses[kShape] = shape;
    sClasses[kDrawable] = drawable;
    sClasses[kCircle] = circle;
    sClasses[kDisc] = disc;
}

static void BuildOthers(void) {
    ClassRecord* holder;
    ClassRecord* ole;
    ClassRecord* app;

    holder = NewClass(0, &kHolderName, kObjectHeaderSize + (int32_t)sizeof(HolderFields), 0, 0,
                      0, 0, 0);
    holder->countZero = HolderCountZero;
    holder->finalizer = HolderFinal;
    ole = NewClass(0, &kOleObjectName, kObjectHeaderSize, 0, 0, 0, 0, 0);
    app = NewClass(ole, &kAutomationAppName, kObjectHeaderSize, 0, 0, 0, 0, 0);

    sClasses[kHolder] = holder;
    sClasses[kOleObject] = ole;
    sClasses[kAutomationApp] = app;
    sClasses[kAutomationSheet] =
        NewClass(app, &kAutomationSheetName, kObjectHeaderSize, 0, 0, 0, 0, 0);
}

/* Builds every class once per process: class records live for the whole run. */
void CompiledBuildClasses(void) {
    if (sClasses[kShape]) return;
    BuildShapes();
    BuildOthers();
}

/* The record of a class index; null for -1. */
ClassRecord* CompiledClass(int32_t which) { return which < 0 ? 0 : sClasses[which]; }

/* ---- objects ---- */

ObjectHeader* CompiledNew(int32_t which) { return RuntimeNewObject(CompiledClass(which)); }

/* A Holder that takes over the references it is given. */
ObjectHeader* CompiledNewHolder(int32_t id, ObjectHeader* first, ObjectHeader* second) {
    ObjectHeader* holder = RuntimeNewObject(sClasses[kHolder]);
    HOLDER(holder)->id = id;
    HOLDER(holder)->first = first;
    HOLDER(holder)->second = second;
    return holder;
}

/* The index-th 32-bit field of a Shape: tag, radius, thickness. */
int32_t CompiledField(ObjectHeader* object, int32_t index) {
    return ((int32_t*)SHAPE(object))[index];
}

/* A virtual call through the object's method table. */
int32_t CompiledCallMethod(ObjectHeader* object, int32_t slot) {
    return ((IntMethod)object->methodTable[slot].function)(object);
}

/* A call of Drawable.Draw; -1 when the lookup raised. */
int32_t CompiledDraw(ObjectHeader* object) {
    MethodSlot* table = RuntimeLookupInterfaceVtable(object, sClasses[kDrawable]);
    if (!table) return -1;
    return ((IntMethod)table[0].function)(object);
}

ObjectHeader* CompiledCast(ObjectHeader* object, int32_t which) {
    return RuntimeCheckCast(object, CompiledClass(which));
}

bool CompiledIsA(ObjectHeader* object, int32_t which) {
    return RuntimeObjectIsa(object, CompiledClass(which));
}

/* variable = value, for an object variable. */
void CompiledAssign(ObjectHeader** variable, ObjectHeader* value) {
    RuntimeLockUnlockObjects(value, *variable);
    *variable = value;
}

/* The sizes and field offsets this code was compiled with, in a fixed order, for comparison
 * with the runtime's own records. Returns the count. */
int32_t CompiledLayout(int32_t* out) {
    int32_t n = 0;
#define QV_LAYOUT(value) out[n++] = (int32_t)(value)
    QV_LAYOUT(sizeof(StringRecord));
    QV_LAYOUT(offsetof(StringRecord, buffer));
    QV_LAYOUT(offsetof(StringRecord, bufferSize));
    QV_LAYOUT(offsetof(StringRecord, length));
    QV_LAYOUT(offsetof(StringRecord, encoding));
    QV_LAYOUT(sizeof(MethodSlot));
    QV_LAYOUT(sizeof(EventSlot));
    QV_LAYOUT(sizeof(AccessorSlot));
    QV_LAYOUT(sizeof(PropertySlot));
    QV_LAYOUT(offsetof(PropertySlot, parameter));
    QV_LAYOUT(offsetof(PropertySlot, getter));
    QV_LAYOUT(offsetof(PropertySlot, setter));
    QV_LAYOUT(sizeof(InterfaceSlot));
    QV_LAYOUT(offsetof(InterfaceSlot, methodCount));
    QV_LAYOUT(offsetof(InterfaceSlot, methods));
    QV_LAYOUT(sizeof(ObjectHeader));
    QV_LAYOUT(offsetof(ObjectHeader, classPtr));
    QV_LAYOUT(offsetof(ObjectHeader, eventTable));
    QV_LAYOUT(offsetof(ObjectHeader, refCount));
    QV_LAYOUT(offsetof(ObjectHeader, prevLive));
    QV_LAYOUT(offsetof(ObjectHeader, nextLive));
    QV_LAYOUT(offsetof(ClassRecord, name));
    QV_LAYOUT(offsetof(ClassRecord, next));
    QV_LAYOUT(offsetof(ClassRecord, instanceSize));
    QV_LAYOUT(offsetof(ClassRecord, isAnInterface));
    QV_LAYOUT(offsetof(ClassRecord, initializer));
    QV_LAYOUT(offsetof(ClassRecord, countZero));
    QV_LAYOUT(offsetof(ClassRecord, finalizer));
    QV_LAYOUT(offsetof(ClassRecord, methodCount));
    QV_LAYOUT(offsetof(ClassRecord, methods));
    QV_LAYOUT(offsetof(ClassRecord, eventCount));
    QV_LAYOUT(offsetof(ClassRecord, events));
    QV_LAYOUT(offsetof(ClassRecord, accessorCount));
    QV_LAYOUT(offsetof(ClassRecord, accessors));
    QV_LAYOUT(offsetof(ClassRecord, propertyCount));
    QV_LAYOUT(offsetof(ClassRecord, properties));
    QV_LAYOUT(offsetof(ClassRecord, interfaceCount));
    QV_LAYOUT(offsetof(ClassRecord, interfaces));
#undef QV_LAYOUT
    return n;
}
