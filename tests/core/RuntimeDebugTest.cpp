#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "StringTesting.h"
#include "core/ClassDefinition.h"
#include "core/DefinitionConversion.h"
#include "core/LRUList.h"
#include "core/RuntimeDebug.h"
#include "files/ObjectDump.h"
#include "core/SmallBlockAllocator.h"

namespace {

std::string Text(StringRecord* record) { return std::string(BytesOf(string::Adopt(record))); }

ClassRecord* NamedClass(const char* name) {
    ClassRecord* c = RuntimeNewClass(nullptr, 0, 0, 0, 0, 0);
    c->name = string(name).Detach();
    c->instanceSize = 24;
    return c;
}

// The live objects in list order (newest first), leaving out the Runtime object.
std::vector<ObjectHeader*> LiveObjects(ObjectHeader* self) {
    std::vector<ObjectHeader*> objects;
    for (ObjectHeader* o = FirstLiveObject(); o; o = o->nextLive)
        if (o != self) objects.push_back(o);
    return objects;
}

int32_t ID(ObjectHeader* o) {
    return static_cast<int32_t>(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(o)) ^ 0x15C7A3u);
}

}  // namespace

TEST(RuntimeClass, InspectsLiveObjects) {
    ObjectHeader* runtime = RuntimeDebugInstance();
    ASSERT_NE(runtime, nullptr);
    EXPECT_EQ(RuntimeDebugInstance(), runtime);  // one instance; each call adds a reference
    EXPECT_EQ(runtime->refCount, 3);
    RuntimeUnlockObject(runtime);
    EXPECT_EQ(Text(RuntimeDebugObjectClass(runtime, 0)), "");  // nothing else is alive

    ClassRecord* a = NamedClass("Alpha");
    ClassRecord* b = NamedClass("Beta");
    std::vector<ObjectHeader*> made = {RuntimeNewObject(a), RuntimeNewObject(b),
                                       RuntimeNewObject(a)};
    RuntimeLockObject(made[1]);
    EXPECT_EQ(RuntimeDebugObjectCount(runtime), 3);
    EXPECT_EQ(RuntimeDebugMemoryUsed(runtime), SmallBlockBytesInUse());

    const std::vector<ObjectHeader*> live = LiveObjects(runtime);
    ASSERT_EQ(live.size(), 3u);
    // Walk up, back one, and jump: each answer is the object at that index.
    for (int32_t index : {0, 1, 2, 1, 0, 2, 2}) {
        EXPECT_EQ(RuntimeDebugObjectID(runtime, index), ID(live[index])) << index;
        EXPECT_EQ(RuntimeDebugObjectRefs(runtime, index), live[index]->refCount) << index;
        EXPECT_EQ(Text(RuntimeDebugObjectClass(runtime, index)),
                  std::string(BytesOf(string(live[index]->classPtr->name))));
    }
    EXPECT_EQ(RuntimeDebugObjectRefs(runtime, 1), 2);

    // Past the end, and before the start.
    for (int32_t index : {3, -1}) {
        EXPECT_EQ(RuntimeDebugObjectID(runtime, index), 0);
        EXPECT_EQ(RuntimeDebugObjectClass(runtime, index), nullptr);
        EXPECT_EQ(RuntimeDebugObjectRefs(runtime, index), 0);
    }
    RuntimeUnlockObject(made[1]);
    for (ObjectHeader* o : made) RuntimeUnlockObject(o);
    RuntimeUnlockObject(runtime);
}

TEST(RuntimeClass, CursorSurvivesTheObjectItStoodOn) {
    ObjectHeader* runtime = RuntimeDebugInstance();
    ClassRecord* c = NamedClass("Gamma");
    std::vector<ObjectHeader*> made;
    for (int i = 0; i < 4; ++i) made.push_back(RuntimeNewObject(c));
    const std::vector<ObjectHeader*> live = LiveObjects(runtime);

    EXPECT_EQ(RuntimeDebugObjectID(runtime, 1), ID(live[1]));
    RuntimeUnlockObject(live[1]);  // the cursor's object is freed
    const std::vector<ObjectHeader*> after = LiveObjects(runtime);
    ASSERT_EQ(after.size(), 3u);
    EXPECT_EQ(RuntimeDebugObjectID(runtime, 2), ID(after[2]));
    EXPECT_EQ(RuntimeDebugObjectID(runtime, 1), ID(after[1]));

    // A new object joins at the head: the indexes shift, and the walk follows.
    ObjectHeader* newest = RuntimeNewObject(c);
    EXPECT_EQ(RuntimeDebugObjectID(runtime, 0), ID(newest));
    EXPECT_EQ(RuntimeDebugObjectID(runtime, 1), ID(after[0]));
    for (ObjectHeader* o : LiveObjects(runtime)) RuntimeUnlockObject(o);
    RuntimeUnlockObject(runtime);
}

TEST(RuntimeClass, DumpListsLiveClasses) {
    ClassRecord* c = NamedClass("Delta");
    ObjectHeader* o = RuntimeNewObject(c);
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    const std::string path = std::string(folder) + "qv-dump-test.txt";

    debugDumpObjects(string(path.c_str()).Record());

    std::ifstream file(path, std::ios::binary);
    std::stringstream contents;
    contents << file.rdbuf();
    file.close();
    DeleteFileA(path.c_str());
    const std::string text = contents.str();
    // Memory first (its figure depends on the allocator), then the count and one class per line.
    const size_t firstEnd = text.find("\r\n");
    ASSERT_NE(firstEnd, std::string::npos);
    EXPECT_NE(text.substr(0, firstEnd).find(" used in heap1"), std::string::npos);
    EXPECT_EQ(text.substr(firstEnd + 2), "1 objects\r\nDelta\r\n");
    RuntimeUnlockObject(o);
}

TEST(RuntimeClass, IsABuiltInClass) {
    ClassRecord* record = LookupObjectDefinition(Runtime());
    EXPECT_EQ(record->instanceSize, 28);
    ASSERT_EQ(record->propertyCount, 2);
    EXPECT_EQ(std::string(BytesOf(string(record->properties[0].descriptor))), "ObjectCount%i4%");
    EXPECT_EQ(record->properties[0].getter, reinterpret_cast<void*>(RuntimeDebugObjectCount));
    EXPECT_EQ(record->properties[1].setter, nullptr);
    ASSERT_EQ(record->accessorCount, 3);
    EXPECT_EQ(std::string(BytesOf(string(record->accessors[1].signature))),
              "ObjectClass%s%o<Runtime>i4");
}

TEST(LRUList, TouchMovesToHead) {
    LRUListNode a, b, c;
    c.LinkAtHead();
    b.LinkAtHead();
    a.LinkAtHead();  // a, b, c
    c.Touch();       // c, a, b
    EXPECT_EQ(LRUListNode::Head(), &c);
    EXPECT_EQ(LRUListNode::Tail(), &b);
    EXPECT_EQ(c.Next(), &a);
    EXPECT_EQ(a.Previous(), &c);
    a.LinkAtHead();  // already linked: nothing moves
    EXPECT_EQ(LRUListNode::Head(), &c);
    {
        LRUListNode d;
        d.LinkAtHead();
        EXPECT_EQ(LRUListNode::Head(), &d);
    }  // the destructor unlinks
    EXPECT_EQ(LRUListNode::Head(), &c);
    b.Unlink();
    b.Unlink();
    EXPECT_EQ(LRUListNode::Tail(), &a);
    EXPECT_FALSE(b.IsLinked());
}
