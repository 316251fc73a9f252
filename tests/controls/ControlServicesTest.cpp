#include <gtest/gtest.h>

#include "FailureRecorder.h"
#include "controls/ControlServices.h"
#include "core/ObjectModel.h"
#include "core/SmallBlockAllocator.h"

namespace {

void ClassOpen(ObjectHeader*) {}
void OwnHandler(ObjectHeader*) {}
void OtherHandler(ObjectHeader*) {}
void* Fn(void (*f)(ObjectHeader*)) { return reinterpret_cast<void*>(f); }

// Window1 has the events Open (implemented by the class) and Close; Window2 adds its own "open",
// which hides Window1's Open for the search from the last slot down.
class InstanceEventHandler : public testing::Test {
protected:
    void SetUp() override {
        window1 = RuntimeNewClass(nullptr, 0, 0, 2, 0, 0);
        window1->name = string("Window1").Detach();
        window1->instanceSize = kObjectHeaderSize;
        window1->events[0] = {Fn(ClassOpen), string("Open").Detach()};
        window1->events[1] = {nullptr, string("Close").Detach()};
        window2 = RuntimeNewClass(window1, 0, 0, 3, 0, 0);
        window2->name = string("Window2").Detach();
        window2->instanceSize = kObjectHeaderSize;
        window2->events[2] = {nullptr, string("open").Detach()};
    }

    // The class's handlers, unchanged.
    void ExpectClassTablesUntouched() {
        EXPECT_EQ(window1->events[0].vector, Fn(ClassOpen));
        EXPECT_EQ(window1->events[1].vector, nullptr);
        EXPECT_EQ(window2->events[0].vector, Fn(ClassOpen));
        EXPECT_EQ(window2->events[1].vector, nullptr);
        EXPECT_EQ(window2->events[2].vector, nullptr);
    }

    ClassRecord* window1 = nullptr;
    ClassRecord* window2 = nullptr;
};

TEST_F(InstanceEventHandler, OneObjectGetsItsOwnHandlerOthersKeepTheClasss) {
    ObjectHeader* mine = RuntimeNewObject(window1);
    ObjectHeader* other = RuntimeNewObject(window1);
    RuntimeInstallInstanceEventHandler(mine, string("Close").Record(), Fn(OwnHandler));
    ASSERT_NE(mine->eventTable, window1->events);
    EXPECT_EQ(mine->eventTable[1].vector, Fn(OwnHandler));
    EXPECT_EQ(mine->eventTable[0].vector, Fn(ClassOpen));
    EXPECT_EQ(mine->eventTable[0].name, window1->events[0].name);
    EXPECT_EQ(other->eventTable, window1->events);
    ExpectClassTablesUntouched();

    RuntimeUnlockObject(mine);
    RuntimeUnlockObject(other);
}

// Which slot a name reaches: names compare without regard to case, the search runs from the last
// slot down, and a name that matches nothing sets nothing.
TEST_F(InstanceEventHandler, NameSelectsTheLastSlotOfThatNameWhateverItsCase) {
    struct Case {
        bool subclass;
        const char* name;
        int32_t slot;  // -1: none
    };
    const Case cases[] = {
        {false, "Close", 1}, {false, "cLoSe", 1}, {true, "OPEN", 2},
        {false, "Resize", -1}, {true, "", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ClassRecord* classRecord = c.subclass ? window2 : window1;
        ObjectHeader* object = RuntimeNewObject(classRecord);
        RuntimeInstallInstanceEventHandler(object, string(c.name).Record(), Fn(OwnHandler));
        for (int32_t i = 0; i < classRecord->eventCount; ++i)
            EXPECT_EQ(object->eventTable[i].vector,
                      i == c.slot ? Fn(OwnHandler) : classRecord->events[i].vector)
                << "slot " << i;
        RuntimeUnlockObject(object);
    }
    ExpectClassTablesUntouched();
}

TEST_F(InstanceEventHandler, AnImplementedEventIsReportedThenOverwritten) {
    ObjectHeader* object = RuntimeNewObject(window1);
    {
        FailureRecorder recorder;
        RuntimeInstallInstanceEventHandler(object, string("open").Record(), Fn(OwnHandler));
        ASSERT_EQ(recorder.Count(), 1u);
        EXPECT_EQ(recorder.Last().kind, kFailedAssertion);
        EXPECT_EQ(recorder.Last().file, "runctl");
        EXPECT_EQ(recorder.Last().condition, "NULL == target->eventTable[ctr].vector");
        EXPECT_EQ(recorder.Last().message,
                  "Attempting to implement an event that was already implemented. Class Window1, "
                  "Event open");
    }
    EXPECT_EQ(object->eventTable[0].vector, Fn(OwnHandler));
    {
        // Installing twice for the same object is reported too; the object keeps one own table.
        FailureRecorder recorder;
        EventSlot* own = object->eventTable;
        RuntimeInstallInstanceEventHandler(object, string("Close").Record(), Fn(OwnHandler));
        EXPECT_EQ(recorder.Count(), 0u);
        RuntimeInstallInstanceEventHandler(object, string("Close").Record(), Fn(OtherHandler));
        EXPECT_EQ(recorder.Count(), 1u);
        EXPECT_EQ(object->eventTable, own);
    }
    EXPECT_EQ(object->eventTable[1].vector, Fn(OtherHandler));
    ExpectClassTablesUntouched();
    RuntimeUnlockObject(object);
}

TEST_F(InstanceEventHandler, MissingObjectOrClassIsReported) {
    FailureRecorder recorder;
    RuntimeInstallInstanceEventHandler(nullptr, string("Open").Record(), Fn(OwnHandler));
    ObjectHeader classless = {};
    RuntimeInstallInstanceEventHandler(&classless, string("Open").Record(), Fn(OwnHandler));
    ASSERT_EQ(recorder.Count(), 2u);
    EXPECT_EQ(recorder.Reports()[0].condition, "target");
    EXPECT_EQ(recorder.Reports()[1].condition, "target->classPtr");
    EXPECT_EQ(recorder.Reports()[1].file, "runctl");
    EXPECT_EQ(classless.eventTable, nullptr);
}

// Destroying an object frees its own table (the small blocks in use return to what they were)
// and leaves the class's table alone.
TEST_F(InstanceEventHandler, DestroyingTheObjectFreesItsOwnTable) {
    ObjectHeader* shared = RuntimeNewObject(window2);
    const int32_t inUse = SmallBlockBytesInUse();
    ObjectHeader* object = RuntimeNewObject(window2);
    const int32_t withObject = SmallBlockBytesInUse();
    RuntimeInstallInstanceEventHandler(object, string("Close").Record(), Fn(OwnHandler));
    EXPECT_GE(SmallBlockBytesInUse(), withObject + 3 * static_cast<int32_t>(sizeof(EventSlot)));
    RuntimeUnlockObject(object);
    EXPECT_EQ(SmallBlockBytesInUse(), inUse);
    RuntimeUnlockObject(shared);
    ExpectClassTablesUntouched();
}

}  // namespace
