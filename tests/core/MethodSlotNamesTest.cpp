#include <gtest/gtest.h>

#include <cstring>

#include "core/MethodSlotNames.h"

namespace {

TEST(MethodSlotNames, NameOfSlot) {
    const struct {
        const char* slot;
        const char* name;
    } cases[] = {
        {"MainMenuInstaller._Install%%o<MainMenuInstaller>o<MenuBar>", "_Install"},
        {"_Poll", "_Poll"},
        {"Canvas._PaneChild.Window%o<Window>%o<Canvas>", "Window"},
        {"Control.=Enabled%%o<Control>b", "=Enabled"},
        {"Name%i4%", "Name"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_STREQ(MethodNameOfSlot(string(c.slot)).CString(), c.name) << c.slot;
}

// A class record with one interface table, laid out as the runtime lays them (the record's head
// followed by its interface slots).
struct FakeClass {
    alignas(ClassRecord) unsigned char bytes[sizeof(ClassRecord) + sizeof(InterfaceSlot)] = {};
    ClassRecord* record() { return reinterpret_cast<ClassRecord*>(bytes); }
};

void* Fn(int n) { return reinterpret_cast<void*>(static_cast<uintptr_t>(0x1000 + n)); }

TEST(MethodSlotNames, InterfaceMethodBySignatureOrBareName) {
    FakeClass interfaceRecord, other, base, derived;
    MethodSlot methods[] = {
        {Fn(1), string("Thing.=Value%%o<Thing>i4").Detach()},
        {Fn(2), string("Thing._Poll%%o<Thing>").Detach()},
        {Fn(3), string("_SetIndex").Detach()},
        {Fn(4), string("Thing.Value%i4%o<Thing>").Detach()},
    };
    base.record()->interfaceCount = 1;
    base.record()->interfaces[0] = {interfaceRecord.record(), 4, methods};
    derived.record()->super = base.record();

    ObjectHeader object = {};
    object.classPtr = derived.record();
    EXPECT_EQ(FindInterfaceMethod(&object, interfaceRecord.record(), string("_POLL")), Fn(2));
    EXPECT_EQ(FindInterfaceMethod(&object, interfaceRecord.record(), string("_SetIndex")), Fn(3));
    // The setter's slot is not the getter's.
    EXPECT_EQ(FindInterfaceMethod(&object, interfaceRecord.record(), string("Value")), Fn(4));
    EXPECT_EQ(FindInterfaceMethod(&object, interfaceRecord.record(), string("Missing")), nullptr);
    EXPECT_EQ(FindInterfaceMethod(&object, interfaceRecord.record(), string()), nullptr);
    EXPECT_EQ(FindInterfaceMethod(&object, other.record(), string("_Poll")), nullptr);
    EXPECT_EQ(FindInterfaceMethod(nullptr, interfaceRecord.record(), string("_Poll")), nullptr);
}

}  // namespace
