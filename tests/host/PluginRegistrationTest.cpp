#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "FailureRecorder.h"
#include "core/ClassDefinition.h"
#include "core/DefinitionConversion.h"
#include "core/IntrinsicRegistry.h"
#include "host/Application.h"
#include "core/IntrinsicTypes.h"
#include "core/LinkTable.h"
#include "host/PluginClasses.h"
#include "host/PluginEntryPoints.h"
#include "core/PropertyAccessors.h"

namespace {

int32_t First(ObjectHeader*) { return 1; }
int32_t Second(ObjectHeader*) { return 2; }
int32_t Third(ObjectHeader*) { return 3; }
void Construct(ObjectHeader*) {}

QUORproc Proc(int32_t (*function)(ObjectHeader*)) { return reinterpret_cast<QUORproc>(function); }

// The built-in classes that plug-in records name, registered once per test process.
void RegisterBuiltInClasses() {
    static const bool registered = (CreateApplicationClass(), true);
    (void)registered;
}

// Runs the registrations with a library of that SDK version current, as QUORPluginMain would.
template <typename F>
PluginLibrary* WithLibrary(int32_t version, F registrations) {
    RegisterBuiltInClasses();
    auto* library = new PluginLibrary;
    SetCurrentPluginLibrary(library);
    RegisterPluginVersion(version);
    registrations();
    SetCurrentPluginLibrary(nullptr);
    return library;
}

PluginClassRecord ClassRecordOf(const char* name, const char* super = nullptr, int32_t dataSize = 0) {
    PluginClassRecord record{};
    record.version = 6;
    record.name = name;
    record.superclassName = super;
    record.dataSize = dataSize;
    return record;
}

MethodDefinition* FindMethod(ObjectDefinition* definition, const char* name) {
    for (MethodDefinition* m = definition->methods; m; m = m->next)
        if (std::strcmp(m->name.CString(), name) == 0) return m;
    return nullptr;
}

PropertyDefinition* FindProperty(ObjectDefinition* definition, const char* name) {
    for (PropertyDefinition* p = definition->properties; p; p = p->next)
        if (std::strcmp(p->name.CString(), name) == 0) return p;
    return nullptr;
}

bool HasInterface(ObjectDefinition* definition, const char* name) {
    for (InterfaceEntry* e = definition->interfaces; e; e = e->next)
        if (std::strcmp(e->interfaceDefinition->className.CString(), name) == 0) return true;
    return false;
}

int32_t CountGlobal(const char* declaration) {
    int32_t count = 0;
    for (PluginGlobalMethod* g = FirstPluginGlobalMethod(); g; g = g->next)
        if (std::strcmp(g->record->declaration, declaration) == 0) ++count;
    return count;
}

TEST(PluginRegistration, SdkVersionsGateWhatIsRegistered) {
    struct Case {
        int32_t version;
        bool classes;
        bool interfaces;
    };
    static PluginExportEntry exports[] = {{0, nullptr, 0}, {0, Proc(&Second), 0}};
    const Case cases[] = {{1, false, false}, {2, false, false}, {3, true, false}, {4, true, true}};
    for (const Case& c : cases) {
        const std::string tag = std::to_string(c.version);
        static std::string names[4][5];
        std::string* n = names[c.version - 1];
        n[0] = "Gate" + tag + "Class";
        n[1] = "Gate" + tag + "Interface";
        n[2] = "Gate" + tag + "Module";
        n[3] = "Function Gate" + tag + "() As Integer";
        auto* classRecord = new PluginClassRecord(ClassRecordOf(n[0].c_str()));
        auto* interfaceRecord = new PluginInterfaceRecord{6, n[1].c_str(), nullptr, 0};
        auto* method = new PluginMethodRecord{Proc(&First), nullptr, n[3].c_str()};
        auto* moduleRecord = new PluginModuleRecord{6, n[2].c_str(), method, 1};
        auto* v1 = new PluginGlobalMethodV1{1, n[3].c_str()};
        auto* extensionMethod = new PluginMethodRecord{Proc(&First), nullptr, n[3].c_str()};
        auto* extension = new PluginClassRecord(ClassRecordOf("Application"));
        extension->methods = extensionMethod;
        extension->methodCount = 1;
        PluginLibrary* library = WithLibrary(c.version, [&] {
            RegisterPluginExportsTable(exports);
            PluginRegisterClass(classRecord);
            PluginRegisterInterface(interfaceRecord);
            PluginRegisterModule(moduleRecord);
            PluginRegisterClassExtension(extension);
            PluginRegisterMethod(c.version == 1 ? static_cast<void*>(v1) : static_cast<void*>(method));
        });
        EXPECT_EQ(library->sdkVersion, c.version);
        EXPECT_EQ(FindPluginClassDefinition(string(n[0].c_str())) != nullptr, c.classes) << c.version;
        EXPECT_EQ(FindPluginClassDefinition(string(n[1].c_str())) != nullptr, c.interfaces) << c.version;
        EXPECT_EQ(FindPluginModuleDefinition(string(n[2].c_str())) != nullptr, c.interfaces) << c.version;
        const bool extended = FindMethod(Application(), ("Gate" + tag).c_str()) != nullptr;
        EXPECT_EQ(extended, c.classes) << c.version;
        // Version 1 names its function by index in the exports table; version 2 registers nothing.
        ASSERT_EQ(CountGlobal(n[3].c_str()), c.version == 2 ? 0 : 1) << c.version;
        if (c.version == 1) {
            EXPECT_EQ(FirstPluginGlobalMethod()->record->function, Proc(&Second));
        }
        if (c.version >= 3) {
            EXPECT_EQ(FirstPluginGlobalMethod()->record, method);
        }
    }
    // Without a current library nothing is registered.
    PluginClassRecord orphan = ClassRecordOf("GateOrphan");
    RegisterPluginVersion(4);
    PluginRegisterClass(&orphan);
    EXPECT_EQ(FindPluginClassDefinition(string("GateOrphan")), nullptr);
}

TEST(PluginRegistration, MethodEntriesStepByRecordVersion) {
    static PluginMethodRecord narrow[] = {
        {Proc(&First), QUORnoImplementation, "Function One() As Integer"},
        {Proc(&Second), Proc(&Third), "Function Two() As Integer"},
    };
    // The fourth word of each wide entry is never read.
    static PluginMethodRecord16 wide[] = {
        {Proc(&First), QUORnoImplementation, "Function One() As Integer", 0xFFFFFFFF},
        {Proc(&Second), nullptr, "Function Two() As Integer", 0xFFFFFFFF},
    };
    static PluginClassRecord six = ClassRecordOf("StrideSix");
    static PluginClassRecord seven = ClassRecordOf("StrideSeven");
    six.methods = narrow;
    six.methodCount = 2;
    seven.version = 7;
    seven.methods = wide;
    seven.methodCount = 2;
    WithLibrary(4, [] {
        PluginRegisterClass(&six);
        PluginRegisterClass(&seven);
    });
    BuildPendingPluginClasses(nullptr);
    for (const char* name : {"StrideSix", "StrideSeven"}) {
        ObjectDefinition* definition = FindPluginClassDefinition(string(name));
        ASSERT_NE(definition, nullptr);
        MethodDefinition* one = FindMethod(definition, "One");
        MethodDefinition* two = FindMethod(definition, "Two");
        ASSERT_TRUE(one && two) << name;
        EXPECT_EQ(one->function.toc, reinterpret_cast<void*>(&First));
        EXPECT_EQ(one->setter.toc, nullptr) << "-1 is no assignment form";
        EXPECT_EQ(two->function.toc, reinterpret_cast<void*>(&Second));
        EXPECT_STREQ(two->returnTypeName.CString(), "Integer");
    }
    EXPECT_EQ(FindMethod(FindPluginClassDefinition(string("StrideSix")), "Two")->setter.toc,
              reinterpret_cast<void*>(&Third));
}

TEST(PluginRegistration, SuperclassOfALaterLibraryIsBuiltFirst) {
    static PluginClassRecord child = ClassRecordOf("LateChild", "LateParent", 4);
    static PluginClassRecord parent = ClassRecordOf("LateParent", nullptr, 8);
    static PluginClassRecord onBuiltIn = ClassRecordOf("OnApplication", "Application", 4);
    static PluginClassRecord orphan = ClassRecordOf("LateOrphan", "NoSuchParent", 4);
    static PluginClassRecord loopA = ClassRecordOf("LoopA", "LoopB", 4);
    static PluginClassRecord loopB = ClassRecordOf("LoopB", "LoopA", 4);
    WithLibrary(3, [] {
        PluginRegisterClass(&child);
        PluginRegisterClass(&onBuiltIn);
        PluginRegisterClass(&orphan);
        PluginRegisterClass(&loopA);
    });
    WithLibrary(3, [] {
        PluginRegisterClass(&parent);
        PluginRegisterClass(&loopB);
    });
    BuildPendingPluginClasses(nullptr);
    ObjectDefinition* parentDefinition = FindPluginClassDefinition(string("LateParent"));
    ObjectDefinition* childDefinition = FindPluginClassDefinition(string("latechild"));
    EXPECT_EQ(parent.dataOffset, kObjectHeaderSize);
    EXPECT_EQ(parentDefinition->objectSize, kObjectHeaderSize + 8);
    EXPECT_EQ(childDefinition->super, parentDefinition);
    EXPECT_EQ(child.dataOffset, kObjectHeaderSize + 8);
    EXPECT_EQ(childDefinition->objectSize, kObjectHeaderSize + 12);
    EXPECT_EQ(onBuiltIn.dataOffset, Application()->objectSize);
    EXPECT_EQ(orphan.dataOffset, kObjectHeaderSize);
    EXPECT_EQ(FindPluginClassDefinition(string("LateOrphan"))->super, nullptr);
    // A cycle ends without a superclass where it closes, instead of recursing without end.
    EXPECT_NE(loopA.dataOffset, 0);
    EXPECT_NE(loopB.dataOffset, 0);

    // The built class becomes a class record that makes instances of its size.
    ObjectHeader* object = CreateInstance(childDefinition);
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(object->classPtr->instanceSize, kObjectHeaderSize + 12);
    EXPECT_EQ(RuntimeLookupClass(string("LateChild").Record()), object->classPtr);
    RuntimeUnlockObject(object);
}

TEST(PluginRegistration, InterfaceNamesAreSplitAtCommasUntrimmed) {
    static PluginInterfaceRecord a{4, "IfaceA", nullptr, 0};
    static PluginInterfaceRecord b{4, "IfaceB", nullptr, 0};
    static PluginClassRecord both = ClassRecordOf("BothIfaces");
    static PluginClassRecord spaced = ClassRecordOf("SpacedIfaces");
    static PluginClassRecord notInterface = ClassRecordOf("NotAnInterface");
    both.interfaces = "IfaceA,IfaceB";
    spaced.interfaces = "IfaceA, IfaceB";
    notInterface.interfaces = "Application";
    WithLibrary(4, [] {
        PluginRegisterInterface(&a);
        PluginRegisterInterface(&b);
        PluginRegisterClass(&both);
        PluginRegisterClass(&spaced);
        PluginRegisterClass(&notInterface);
    });
    BuildPendingPluginClasses(nullptr);
    EXPECT_EQ(FindPluginClassDefinition(string("IfaceA"))->isInterface, 1);
    ObjectDefinition* bothDefinition = FindPluginClassDefinition(string("BothIfaces"));
    EXPECT_TRUE(HasInterface(bothDefinition, "IfaceA"));
    EXPECT_TRUE(HasInterface(bothDefinition, "IfaceB"));
    ObjectDefinition* spacedDefinition = FindPluginClassDefinition(string("SpacedIfaces"));
    EXPECT_TRUE(HasInterface(spacedDefinition, "IfaceA"));
    EXPECT_FALSE(HasInterface(spacedDefinition, "IfaceB"));
    EXPECT_EQ(FindPluginClassDefinition(string("NotAnInterface"))->interfaces, nullptr);
}

TEST(PluginRegistration, EventsAreNumberedAfterInheritedOnesAndDuplicatesReported) {
    static PluginEventRecord events[] = {
        {"Moved(x As Integer, y As Integer)", nullptr},
        {"Event Broken()", nullptr},
        {"Sub moved()", nullptr},
    };
    static PluginClassRecord record = ClassRecordOf("Eventful", "Application");
    record.events = events;
    record.eventCount = 3;
    WithLibrary(3, [] { PluginRegisterClass(&record); });
    FailureRecorder recorder;
    BuildPendingPluginClasses(nullptr);
    ASSERT_EQ(recorder.Count(), 1u);
    EXPECT_EQ(recorder.Last().condition, "tail->name != h->name");
    EXPECT_EQ(recorder.Last().message,
              "Duplicate name found while trying to build class events.  Matched names are: moved");
    auto* moved = static_cast<EventDefinition*>(events[0].eventDefinition);
    ASSERT_NE(moved, nullptr);
    EXPECT_EQ(events[1].eventDefinition, nullptr);
    int32_t inherited = 0;
    for (EventDefinition* e = Application()->hooks; e; e = e->next) ++inherited;
    EXPECT_EQ(moved->index, inherited);
    EXPECT_STREQ(moved->parameterText.CString(), "x As Integer, y As Integer");
    EXPECT_EQ(static_cast<EventDefinition*>(events[2].eventDefinition)->index, inherited + 1);
}

TEST(PluginRegistration, GenericAccessorsReadAndWriteTheWholeField) {
    static PluginPropertyRecord properties[] = {
        {0, "Count", "Integer", 2, QUORnoImplementation, QUORnoImplementation, 0, {}},
        {0, "Ratio", "Double", 0, QUORnoImplementation, QUORnoImplementation, 4, {}},
        {0, "Scale", "Single", 0, QUORnoImplementation, QUORnoImplementation, 12, {}},
        {0, "Name", "String", 0, QUORnoImplementation, nullptr, 16, {}},
        {0, "Custom", "Boolean", 0, Proc(&First), nullptr, 99, {}},
        {0, "Lost", "NoSuchType", 0, QUORnoImplementation, QUORnoImplementation, 0, {}},
    };
    static PluginClassRecord record = ClassRecordOf("Fields", nullptr, 24);
    record.properties = properties;
    record.propertyCount = 6;
    WithLibrary(3, [] { PluginRegisterClass(&record); });
    BuildPendingPluginClasses(nullptr);
    ObjectDefinition* definition = FindPluginClassDefinition(string("Fields"));
    EXPECT_EQ(FindProperty(definition, "Lost"), nullptr);
    EXPECT_EQ(properties[5].flags & kPluginPropertyBuilt, kPluginPropertyBuilt);
    PropertyDefinition* count = FindProperty(definition, "Count");
    EXPECT_EQ(count->userFlags, kUserFlagPlugin | 1u);
    EXPECT_EQ(count->slotKind, kSlotKindPlugin);
    EXPECT_EQ(count->getter, reinterpret_cast<void*>(&intGetter));
    PropertyDefinition* ratio = FindProperty(definition, "Ratio");
    EXPECT_EQ(ratio->getter, reinterpret_cast<void*>(&doubleGetter));
    EXPECT_EQ(ratio->setter, reinterpret_cast<void*>(&doubleSetter));
    EXPECT_EQ(ratio->parameter, kObjectHeaderSize + 4);
    EXPECT_EQ(FindProperty(definition, "Scale")->getter, reinterpret_cast<void*>(&singleGetter));
    EXPECT_EQ(FindProperty(definition, "Name")->setter, nullptr);
    PropertyDefinition* custom = FindProperty(definition, "Custom");
    EXPECT_EQ(custom->getter, reinterpret_cast<void*>(&First));
    EXPECT_EQ(custom->parameter, 99);

    ObjectHeader* object = CreateInstance(definition);
    const double value = 1234567.890625;
    doubleSetter(object, static_cast<int32_t>(ratio->parameter), value);
    double stored;
    std::memcpy(&stored, reinterpret_cast<char*>(object) + kObjectHeaderSize + 4, sizeof stored);
    EXPECT_EQ(stored, value);
    EXPECT_EQ(doubleGetter(object, static_cast<int32_t>(ratio->parameter)), value);
    RuntimeUnlockObject(object);
}

TEST(PluginRegistration, DataSourcesAreFoundByNameWithoutCase) {
    static ObjectHeader* (*const factory)(StringRecord*, ObjectHeader*) =
        [](StringRecord*, ObjectHeader* object) { return object; };
    ObjectHeader marker{};
    WithLibrary(4, [] { RegisterDataSource("PluginEngine", factory); });
    EXPECT_EQ(CreateRegisteredDataSource(string("pluginengine"), nullptr, &marker), &marker);
    EXPECT_EQ(CreateRegisteredDataSource(string("Other"), nullptr, &marker), nullptr);
}

// The entry table is built once, on the first lookup, so one test covers it.
TEST(PluginEntryPoints, NamesReachTheRegisteredFunctions) {
    static PluginPropertyRecord properties[] = {
        {0, "Generic", "Integer", 0, QUORnoImplementation, QUORnoImplementation, 0, {}},
        {0, "Absent", "Integer", 0, nullptr, Proc(&Second), 0, {}},
        {0, "Own", "Integer", 0, Proc(&First), nullptr, 0, {}},
    };
    static PluginMethodRecord methods[] = {
        {Proc(&First), Proc(&Second), "Function Size() As Integer"},
    };
    static PluginEventInstanceRecord instances[] = {{"Open", Proc(&Third)}};
    static PluginClassRecord record = ClassRecordOf("Entries", "Application");
    record.properties = properties;
    record.propertyCount = 3;
    record.methods = methods;
    record.methodCount = 1;
    record.eventInstances = instances;
    record.eventInstanceCount = 1;
    record.constructor = reinterpret_cast<QUORproc>(&Construct);
    // A class of another library with the same name cannot register; its accessor name clashes
    // through an extension instead.
    static PluginPropertyRecord clashing[] = {
        {0, "Own", "Integer", 0, Proc(&Third), nullptr, 0, {}},
    };
    static PluginClassRecord extension = ClassRecordOf("Entries");
    extension.properties = clashing;
    extension.propertyCount = 1;
    static PluginMethodRecord global{Proc(&Third), QUORnoImplementation, "Function Global() As Integer"};
    WithLibrary(4, [] {
        PluginRegisterClass(&record);
        PluginRegisterMethod(&global);
    });
    BuildPendingPluginClasses(nullptr);
    WithLibrary(4, [] { PluginRegisterClassExtension(&extension); });

    FailureRecorder recorder;
    const auto lookup = [](const char* name) { return RuntimeLookupPluginEntrypoint(string(name).Record()); };
    EXPECT_EQ(lookup("_"), nullptr);
    EXPECT_EQ(recorder.Count(), 1u) << "the class's and the extension's Own.Get clash in the link table";
    EXPECT_EQ(recorder.Last().condition, "functionPtr == oldEntry->code");
    EXPECT_EQ(lookup("entries.own.get"), reinterpret_cast<void*>(&Third)) << "the later added wins";
    EXPECT_EQ(LookupRelocEntry(string("Entries.Own.Get"))->code, reinterpret_cast<void*>(&First))
        << "the link table keeps the first";
    EXPECT_EQ(lookup("Entries.Absent.Get"), nullptr);
    EXPECT_EQ(lookup("Entries.Absent.Set"), reinterpret_cast<void*>(&Second));
    EXPECT_EQ(lookup("Entries.Function Size() As Integer"), reinterpret_cast<void*>(&First));
    EXPECT_EQ(lookup("Entries.Function Size() As Integer.Set"), reinterpret_cast<void*>(&Second));
    EXPECT_EQ(lookup("Entries.Events.Open"), reinterpret_cast<void*>(&Third));
    EXPECT_EQ(LookupRelocEntry(string("Entries.Events.Open"))->code, reinterpret_cast<void*>(&Third));
    EXPECT_EQ(lookup("Entries.__init"), reinterpret_cast<void*>(&Construct));
    EXPECT_EQ(lookup("Function Global() As Integer"), reinterpret_cast<void*>(&Third));
    EXPECT_EQ(recorder.Count(), 1u);

    struct Missing {
        const char* name;
    };
    for (const char* name : {"Entries.Generic.Get", "Entries.Generic.Set", "Entries.__exit",
                             "Entries.Function Size() As Integer.Get", "Nothing"}) {
        const size_t before = recorder.Count();
        EXPECT_EQ(lookup(name), nullptr) << name;
        ASSERT_EQ(recorder.Count(), before + 1) << name;
        EXPECT_EQ(recorder.Last().condition, "pluginEntryTable.GetEntry( entrypointName, out )");
        EXPECT_EQ(recorder.Last().message, std::string("can't find plugin method ") + name);
    }
    EXPECT_EQ(RuntimeAllocatePluginEntrypointsTable(0), nullptr);
    // Counts whose byte size wraps get no table rather than a short one.
    for (const int32_t count : {0x40000001, 0x40000000, -1})
        EXPECT_EQ(RuntimeAllocatePluginEntrypointsTable(count), nullptr) << count;
    void** table = RuntimeAllocatePluginEntrypointsTable(3);
    ASSERT_NE(table, nullptr);
    table[2] = nullptr;
    std::free(table);
}

}  // namespace
