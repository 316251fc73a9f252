#include <gtest/gtest.h>

#include "FailureRecorder.h"
#include "StringTesting.h"
#include "core/ClassDefinition.h"
#include "core/IntrinsicRegistry.h"
#include "core/RuntimeDebug.h"
#include "core/LinkTable.h"
#include "values/Date.h"
#include "values/EndOfLine.h"
#include "values/Variant.h"

namespace {

extern "C" int32_t GizmoSize(ObjectHeader*) { return 0; }
extern "C" void GizmoSetSize(ObjectHeader*, int32_t) {}
extern "C" void GizmoInit(ObjectHeader*) {}
extern "C" int32_t GizmoOther(ObjectHeader*) { return 1; }

ParameterEntry kNone[1] = {};
PropertyEntry kGizmoProperties[] = {
    {0, "Size", nullptr, RowFunction(GizmoSize), "GizmoSizeGetter", RowFunction(GizmoSetSize), "GizmoSizeSetter", 0, 0},
    {0, "Unnamed", nullptr, RowFunction(GizmoSize), nullptr, nullptr, nullptr, 0, 0},
};
MethodEntry kGizmoMethods[] = {
    {"Size", nullptr, kNone, 0, Function(GizmoSize, "GizmoSize"),
     Function(GizmoSetSize, "GizmoSetSize"), kMethodPlain, 0, 0},
};

ObjectDefinition* Gizmo(const char* name) {
    auto* d = new ObjectDefinition;
    const ClassRows rows = {.className = name, .superclass = nullptr, .objectSize = 28,
                            .initializer = Function(GizmoInit, "GizmoInit"),
                            .properties = kGizmoProperties, .methods = kGizmoMethods};
    return FillClassDefinition(*d, rows);
}

void* Linked(const char* name) {
    const RelocEntry* entry = LookupRelocEntry(string(name));
    return entry ? entry->code : nullptr;
}

}  // namespace

TEST(IntrinsicClasses, RegistryByName) {
    EXPECT_EQ(FindIntrinsicClass(string("Gizmo")), nullptr);  // before any registration

    ObjectDefinition* first = Gizmo("Gizmo");
    ObjectDefinition* second = Gizmo("GIZMO");
    RegisterIntrinsicClass(first);
    RegisterIntrinsicClass(second);
    EXPECT_EQ(FindIntrinsicClass(string("gizmo")), second);

    // Every named native function of the definition is in the link table now.
    EXPECT_EQ(Linked("GizmoSize"), RowFunction(GizmoSize));
    EXPECT_EQ(Linked("GizmoSetSize"), RowFunction(GizmoSetSize));
    EXPECT_EQ(Linked("GizmoSizeGetter"), RowFunction(GizmoSize));
    EXPECT_EQ(Linked("GizmoSizeSetter"), RowFunction(GizmoSetSize));
    EXPECT_EQ(Linked("GizmoInit"), RowFunction(GizmoInit));
}

TEST(IntrinsicClasses, ModulesAreValidated) {
    ObjectDefinition* module = Gizmo("Gadgets");  // an instance size, an initializer: not a module
    FailureRecorder recorder;
    RegisterIntrinsicModule(module);
    std::vector<std::string> conditions;
    for (const RecordedFailure& r : recorder.Reports()) conditions.push_back(r.condition);
    EXPECT_EQ(conditions, (std::vector<std::string>{"0 == defn->objectSize",
                                                    "NULL == defn->initializer.toc"}));
    EXPECT_EQ(Linked("GizmoSize"), RowFunction(GizmoSize));  // registered all the same

    RegisterIntrinsicModule(module);
    EXPECT_EQ(recorder.Last().condition, "not gIntrinsicModuleMap->HasEntry( defn->className )");
    RegisterIntrinsicModule(nullptr);
    EXPECT_EQ(recorder.Last().condition, "defn");
}

TEST(IntrinsicClasses, ConflictingLinkNameKeepsTheFirst) {
    static PropertyEntry clash[] = {
        {0, "Other", nullptr, RowFunction(GizmoOther), "GIZMOSIZE", nullptr, nullptr, 0, 0},
    };
    RegisterIntrinsicClass(Gizmo("Gizmo"));
    static ObjectDefinition other;
    const ClassRows rows = {.className = "Other", .superclass = nullptr, .objectSize = 24,
                            .properties = clash};
    FillClassDefinition(other, rows);
    FailureRecorder recorder;
    RegisterIntrinsicClass(&other);
    ASSERT_EQ(recorder.Count(), 1u);
    EXPECT_EQ(recorder.Last().condition, "functionPtr == oldEntry->code");
    EXPECT_EQ(Linked("gizmosize"), RowFunction(GizmoSize));
}

TEST(IntrinsicFunctions, LoadedOnFirstAskAndLinked) {
    const int32_t count = IntrinsicFunctionCount();
    ASSERT_GT(count, 0);
    EXPECT_EQ(IntrinsicFunctionCount(), count);  // loaded once

    bool sawRuntime = false;
    int32_t spaceDelimiters = 0;
    int32_t classParameters = 0;
    for (int32_t i = 0; i < count; ++i) {
        MethodEntry* row = IntrinsicFunctionAt(i);
        ASSERT_NE(row, nullptr);
        if (row->function.linkName) {
            EXPECT_EQ(Linked(row->function.linkName), row->function.toc);
        }
        if (std::string(row->name) == "Runtime") {
            sawRuntime = true;
            EXPECT_EQ(row->returnType, Runtime()->AsType());
        }
        if (std::string(row->name) == "EndOfLine") {
            EXPECT_EQ(row->returnType, GetEndOfLineDefinition()->AsType());
        }
        // Parameters of a class type get their class when the table loads.
        const std::string name = row->name;
        if (name == "CStr" || name == "VarType" || name == "IsNumeric" || name == "IsNull") {
            ASSERT_EQ(row->parameterCount, 1);
            EXPECT_EQ(row->parameters[0].parameterType, GetVariantDefinition()->AsType()) << name;
            ++classParameters;
        }
        if (name == "ParseDate") {
            ASSERT_EQ(row->parameterCount, 2);
            EXPECT_TRUE(row->parameters[1].byRef);
            EXPECT_EQ(row->parameters[1].parameterType, GetDateDefinition()->AsType());
            ++classParameters;
        }
        // Split, SplitB and Join cut at one space unless told otherwise.
        if (name == "Split" || name == "SplitB" || name == "Join") {
            ASSERT_EQ(row->parameterCount, 2);
            const ParameterEntry& delimiter = row->parameters[1];
            EXPECT_TRUE(delimiter.hasDefault);
            EXPECT_EQ(BytesOf(string(reinterpret_cast<StringRecord*>(delimiter.defaultValue))), " ");
            ++spaceDelimiters;
        }
    }
    EXPECT_TRUE(sawRuntime);
    EXPECT_EQ(spaceDelimiters, 5);  // the global functions and the String methods
    EXPECT_EQ(classParameters, 5);
    EXPECT_EQ(IntrinsicFunctionAt(count), nullptr);

    FailureRecorder recorder;
    RegisterIntrinsicFunction(nullptr);
    EXPECT_EQ(recorder.Last().condition, "item");
    EXPECT_EQ(IntrinsicFunctionCount(), count);
}
