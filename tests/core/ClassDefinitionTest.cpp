// Built-in classes declared as rows, their definitions, and their conversion into class records.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FailureRecorder.h"
#include "RaisedExceptions.h"
#include "StringTesting.h"
#include "core/ClassDefinition.h"
#include "core/DefinitionConversion.h"
#include "core/Exceptions.h"
#include "core/IntrinsicRegistry.h"
#include "core/IntrinsicTypes.h"
#include "core/PropertyAccessors.h"

namespace {

std::string Text(const string& s) { return std::string(BytesOf(s)); }
std::string Text(StringRecord* r) { return Text(string(r)); }

// --- a small hierarchy declared as data: Shape (3 events) <- Circle (2 events, implements Paint)
extern "C" int32_t ShapeArea(ObjectHeader*) { return 1; }
extern "C" void ShapeSetArea(ObjectHeader*, int32_t) {}
extern "C" int32_t CircleRadius(ObjectHeader*) { return 2; }
extern "C" void CirclePaint(ObjectHeader*) {}
extern "C" void CircleOpen(ObjectHeader*) {}

std::vector<std::string> gInitialised;
extern "C" void ShapeInit(ObjectHeader*) { gInitialised.push_back("Shape"); }
extern "C" void CircleInit(ObjectHeader*) { gInitialised.push_back("Circle"); }

EventDefinition* gShapePaint = nullptr;
EventDefinition* gCircleResized = nullptr;

EventEntry kShapeEvents[] = {
    {0, "Open", "", "", nullptr, 0},
    {0, "Paint", "g As Graphics", "", &gShapePaint, 0},
    {0, "Close", "", "Boolean", nullptr, 0},
};
PropertyEntry kShapeProperties[] = {
    {4, "Name", AsType(&kStringType), RowFunction(stringGetter), "stringGetter", RowFunction(stringSetter),
     "stringSetter", 24, 0},
    {0, "Sides", AsType(&kIntegerType), RowFunction(intGetter), "intGetter", nullptr, nullptr, 28, 0},
};
ParameterEntry kNoParameters[1] = {};
MethodEntry kShapeMethods[] = {
    {"Area", AsType(&kIntegerType), kNoParameters, 0, Function(ShapeArea, "ShapeArea"),
     Function(ShapeSetArea, "ShapeSetArea"), kMethodPlain, 0, 0},
};
const ClassRows kShapeRows = {
    .className = "Shape",
    .superclass = nullptr,
    .objectSize = 32,
    .initializer = Function(ShapeInit, "ShapeInit"),
    .properties = kShapeProperties,
    .events = kShapeEvents,
    .methods = kShapeMethods,
};
ObjectDefinition* Shape() {
    static ObjectDefinition d;
    return FillClassDefinition(d, kShapeRows);
}

// An interface with one method, which Circle implements through its superclass's Area.
MethodEntry kMeasurableMethods[] = {
    {"area", AsType(&kIntegerType), kNoParameters, 0, {}, {}, kMethodPlain, 0, 0},
};
const ClassRows kMeasurableRows = {
    .className = "Measurable",
    .superclass = nullptr,
    .objectSize = kObjectHeaderSize,
    .methods = kMeasurableMethods,
    .isInterface = true,
};
ObjectDefinition* Measurable() {
    static ObjectDefinition d;
    return FillClassDefinition(d, kMeasurableRows);
}

EventEntry kCircleEvents[] = {
    {0, "Resized", "", "", &gCircleResized, 0},
    {0, "Moved", "", "", nullptr, 0},
};
EventImplementationEntry kCircleImplementations[] = {
    {"paint", RowFunction(CirclePaint), "CirclePaint", 0, {}},
    {"Open", RowFunction(CircleOpen), "CircleOpen", 0, {}},
};
PropertyEntry kCircleProperties[] = {
    {0, "Radius", AsType(&kIntegerType), RowFunction(CircleRadius), "CircleRadius", nullptr, nullptr, 0, 0},
    {0, "Served", AsType(&kIntegerType), nullptr, nullptr, nullptr, nullptr, 0, 0},
};
const DefinitionFunction kCircleInterfaces[] = {Measurable};
const ClassRows kCircleRows = {
    .className = "Circle",
    .superclass = Shape,
    .objectSize = 40,
    .initializer = Function(CircleInit, "CircleInit"),
    .properties = kCircleProperties,
    .events = kCircleEvents,
    .eventImplementations = kCircleImplementations,
    .interfaces = kCircleInterfaces,
};
int gCircleFills = 0;
ObjectDefinition* Circle() {
    static ObjectDefinition d;
    const bool empty = d.className.IsEmpty();
    ObjectDefinition* filled = FillClassDefinition(d, kCircleRows);
    if (empty) {
        ++gCircleFills;
        // The second property is served by a plug-in: no slot in the class record.
        filled->properties->next->slotKind = kSlotKindPlugin;
    }
    return filled;
}

std::vector<std::string> Names(EventImplementation* list) {
    std::vector<std::string> names;
    for (; list; list = list->next) names.push_back(Text(list->eventName));
    return names;
}

}  // namespace

TEST(ClassDefinition, RowsBecomeADefinitionOnce) {
    ObjectDefinition* circle = Circle();
    EventDefinition* resized = gCircleResized;
    EXPECT_EQ(Circle(), circle);
    EXPECT_EQ(gCircleFills, 1);
    EXPECT_EQ(gCircleResized, resized);

    EXPECT_EQ(Text(circle->className), "Circle");
    EXPECT_EQ(circle->super, Shape());
    EXPECT_TRUE(circle->InheritsFrom(Shape()));
    EXPECT_FALSE(Shape()->InheritsFrom(circle));
    EXPECT_TRUE(circle->staticMembers);
    EXPECT_EQ(circle->objectSize, 40);

    // Events are numbered after every superclass event; implementations are pushed at the head.
    ASSERT_NE(gShapePaint, nullptr);
    EXPECT_EQ(gShapePaint->index, 1);
    EXPECT_EQ(resized->index, 3);
    EXPECT_EQ(resized->next->index, 4);
    EXPECT_EQ(Names(circle->hookInstances), (std::vector<std::string>{"Open", "paint"}));

    // Properties: attributes from the row flags, read-only without a setter.
    PropertyDefinition* name = Shape()->properties;
    EXPECT_EQ(name->attr4, 1);
    EXPECT_EQ(name->userFlags & kUserFlagReadOnly, 0u);
    EXPECT_EQ(name->next->userFlags & kUserFlagReadOnly, kUserFlagReadOnly);

    // Methods carry their texts.
    MethodDefinition* area = Shape()->methods;
    EXPECT_EQ(Text(area->returnTypeName), "Integer");
    EXPECT_TRUE(area->declaration.IsEmpty());
}

TEST(ClassDefinition, RowFlagsSetAttributesAndSystemFlags) {
    struct Case {
        uint32_t flags;
        uint8_t attr4, attr8, attr804;
        uint32_t systemFlags;
    } cases[] = {
        {0x4, 1, 0, 0, 0},      {0x804, 1, 0, 1, 0},   {0x800, 0, 0, 0, 0}, {0x8, 0, 1, 0, 0},
        {0x2000, 0, 0, 0, 0x10}, {0x4000, 0, 0, 0, 0x21}, {0x10000, 0, 0, 0, 0x21},
        {0x6000, 0, 0, 0, 0x31},
    };
    for (const Case& c : cases) {
        PropertyEntry row = {c.flags, "P", AsType(&kIntegerType), nullptr, nullptr, nullptr, nullptr, 0, 7};
        PropertyDefinition* p = LoadProperties(&row, 1);
        EXPECT_EQ(p->attr4, c.attr4) << std::hex << c.flags;
        EXPECT_EQ(p->attr8, c.attr8) << std::hex << c.flags;
        EXPECT_EQ(p->attr804, c.attr804) << std::hex << c.flags;
        EXPECT_EQ(p->systemFlags, c.systemFlags) << std::hex << c.flags;
        EXPECT_EQ(p->lastWord, 7u);
        delete p;
    }
}

TEST(ClassDefinition, ConversionBuildsTheClassRecord) {
    ClassRecord* circle = LookupObjectDefinition(Circle());
    ClassRecord* shape = LookupObjectDefinition(Shape());
    ASSERT_NE(circle, nullptr);
    EXPECT_EQ(LookupObjectDefinition(Circle()), circle);  // cached
    EXPECT_EQ(circle->super, shape);
    EXPECT_EQ(Text(circle->name), "Circle");
    EXPECT_EQ(circle->instanceSize, 40);
    EXPECT_EQ(circle->initializer, reinterpret_cast<ObjectCallback>(CircleInit));

    // Events: the superclass's three, then Circle's own; Circle's implementations fill the
    // superclass's slots, matched without regard to case.
    ASSERT_EQ(circle->eventCount, 5);
    const char* eventNames[] = {"Open", "Paint", "Close", "Resized", "Moved"};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(Text(circle->events[i].name), eventNames[i]);
    EXPECT_EQ(circle->events[0].vector, RowFunction(CircleOpen));
    EXPECT_EQ(circle->events[1].vector, RowFunction(CirclePaint));
    EXPECT_EQ(circle->events[2].vector, nullptr);
    EXPECT_EQ(shape->events[1].vector, nullptr);

    // Accessors: the method's function, then its setter.
    ASSERT_EQ(shape->accessorCount, 2);
    EXPECT_EQ(shape->accessors[0].function, RowFunction(ShapeArea));
    EXPECT_EQ(Text(shape->accessors[0].signature), "Area%i4%o<Shape>");
    EXPECT_EQ(shape->accessors[1].function, RowFunction(ShapeSetArea));
    EXPECT_EQ(Text(shape->accessors[1].signature), "=Area%%o<Shape>i4");
    EXPECT_EQ(circle->accessorCount, 2);

    // Properties: the plug-in-served one has no slot.
    ASSERT_EQ(circle->propertyCount, 3);
    EXPECT_EQ(Text(circle->properties[0].descriptor), "Name%s%");
    EXPECT_EQ(circle->properties[0].parameter, 24);
    EXPECT_EQ(circle->properties[0].getter, RowFunction(stringGetter));
    EXPECT_EQ(Text(circle->properties[2].descriptor), "Radius%i4%");
    EXPECT_EQ(Circle()->mPropertyTableSize, 3);

    // The interface's table holds the superclass method that implements it, under its signature.
    ASSERT_EQ(circle->interfaceCount, 1);
    EXPECT_EQ(circle->interfaces[0].interfaceClass, LookupObjectDefinition(Measurable()));
    EXPECT_TRUE(circle->interfaces[0].interfaceClass->isAnInterface);
    ASSERT_EQ(circle->interfaces[0].methodCount, 1);
    EXPECT_EQ(circle->interfaces[0].methods[0].function, RowFunction(ShapeArea));
    EXPECT_EQ(Text(circle->interfaces[0].methods[0].name), "Area%i4%o<Shape>");
}

TEST(ClassDefinition, InstancesFireTheirEvents) {
    gInitialised.clear();
    ObjectHeader* circle = CreateInstance(Circle());
    ASSERT_NE(circle, nullptr);
    EXPECT_EQ(gInitialised, (std::vector<std::string>{"Shape", "Circle"}));
    EXPECT_EQ(FindEventInstance(circle, gShapePaint), RowFunction(CirclePaint));
    EXPECT_EQ(FindEventInstance(circle, gCircleResized), nullptr);
    EXPECT_EQ(FindEventInstance(nullptr, gShapePaint), nullptr);

    // An event of a subclass asked of an object of its superclass is past the object's table.
    ObjectHeader* shape = CreateInstance(Shape());
    EXPECT_EQ(FindEventInstance(shape, gCircleResized), nullptr);
    ObjectHeader* plain = CreateInstance(Object());
    EXPECT_EQ(FindEventInstance(plain, gShapePaint), nullptr);

    EXPECT_TRUE(ObjectIsaDefinition(circle, Shape()));
    EXPECT_FALSE(ObjectIsaDefinition(shape, Circle()));
    RuntimeUnlockObject(circle);
    RuntimeUnlockObject(shape);
    RuntimeUnlockObject(plain);
}

TEST(ClassDefinition, MissingInterfaceMethodStopsTheBuild) {
    static MethodEntry wanted[] = {
        {"Area", AsType(&kIntegerType), kNoParameters, 0, {}, {}, kMethodPlain, 0, 0},
        {"Perimeter", AsType(&kIntegerType), kNoParameters, 0, {}, {}, kMethodPlain, 0, 0},
    };
    static const ClassRows interfaceRows = {.className = "Polygonal", .superclass = nullptr,
                                            .objectSize = kObjectHeaderSize, .methods = wanted,
                                            .isInterface = true};
    static ObjectDefinition polygonal;
    FillClassDefinition(polygonal, interfaceRows);
    static const DefinitionFunction interfaces[] = {
        [] { return &polygonal; },
    };
    static const ClassRows rows = {.className = "Square", .superclass = Shape, .objectSize = 32,
                                   .interfaces = interfaces};
    static ObjectDefinition square;
    FillClassDefinition(square, rows);

    FailureRecorder recorder;
    EXPECT_FALSE(square.BuildInterfaceTables());
    ASSERT_EQ(recorder.Count(), 1u);
    EXPECT_EQ(recorder.Last().kind, kInvalidClassDefinition);
    EXPECT_EQ(recorder.Last().file, "ObjectDefinition");
    EXPECT_TRUE(square.BuildInterfaceTables());  // built for this generation: not tried again
}

TEST(ClassLookup, CompiledClassStandsForBuiltInOfItsName) {
    // Compiled code built a class named like the built-in one before its first lookup.
    ClassRecord* compiled = RuntimeNewClass(nullptr, 0, 0, 0, 0, 0);
    compiled->name = string("rectangle").Detach();
    static const ClassRows rows = {.className = "Rectangle", .superclass = nullptr,
                                   .objectSize = kObjectHeaderSize};
    static ObjectDefinition rectangle;
    FillClassDefinition(rectangle, rows);
    EXPECT_EQ(LookupObjectDefinition(&rectangle), compiled);
}

TEST(ClassLookup, ByNameInAnyCase) {
    RegisterIntrinsicClass(Circle());
    const string missing("NoSuchClass");
    EXPECT_EQ(RuntimeLookupClass(missing.Record()), nullptr);

    ClassRecord* circle = RuntimeLookupClass(string("CIRCLE").Record());
    ASSERT_NE(circle, nullptr);
    EXPECT_EQ(circle, LookupObjectDefinition(Circle()));
    EXPECT_EQ(RuntimeLookupClass(string("circle").Record()), circle);
    EXPECT_EQ(RuntimeLookupClass(Tagged("Circle", kEncodingUTF8).Record()), circle);
    EXPECT_EQ(RuntimeLookupClass(string("shape").Record()), nullptr);  // never registered by name
}

TEST(ClassLookup, SuperclassPropertyCountDisagreeing) {
    // A superclass record built elsewhere with another property count than its definition says.
    static const ClassRows baseRows = {.className = "Gadget", .superclass = nullptr,
                                       .objectSize = 32, .properties = kShapeProperties};
    static ObjectDefinition gadget;
    FillClassDefinition(gadget, baseRows);
    ClassRecord* compiled = RuntimeNewClass(nullptr, 0, 0, 0, 0, 1);
    compiled->name = string("Gadget").Detach();

    static const ClassRows rows = {.className = "Widget", .superclass = [] { return &gadget; },
                                   .objectSize = 40, .properties = kCircleProperties};
    static ObjectDefinition widget;
    FillClassDefinition(widget, rows);

    FailureRecorder recorder;
    ClassRecord* record = LookupObjectDefinition(&widget);
    ASSERT_NE(record, nullptr);
    ASSERT_GE(recorder.Count(), 1u);
    EXPECT_EQ(recorder.Reports()[0].condition, "item->mPropertyTableIndex == propertyCount");
    EXPECT_EQ(recorder.Reports()[0].message, "Manifest file outdated?");
    EXPECT_EQ(recorder.Reports()[0].file, "ObjectDefinitionConverter");
}

TEST(ClassLookup, NullDefinitionIsReported) {
    FailureRecorder recorder;
    EXPECT_EQ(LookupObjectDefinition(nullptr), nullptr);
    EXPECT_EQ(recorder.Last().condition, "defn");
    RaisedExceptions raised;
    EXPECT_EQ(CreateInstance(nullptr), nullptr);
    EXPECT_EQ(raised.Take(), "NilObjectException");
}
