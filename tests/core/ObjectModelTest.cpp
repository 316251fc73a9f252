// The object model driven through CompiledClasses.c, a program that uses the runtime the way
// compiled application code does, and checked from the runtime's side.
#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

#include "FailureRecorder.h"
#include "RaisedExceptions.h"
#include "core/Exceptions.h"
#include "core/GuardedMemory.h"
#include "core/ObjectModel.h"
#include "core/RuntimeString.h"

extern "C" {
void CompiledBuildClasses();
ClassRecord* CompiledClass(int32_t which);
ObjectHeader* CompiledNew(int32_t which);
ObjectHeader* CompiledNewHolder(int32_t id, ObjectHeader* first, ObjectHeader* second);
int32_t CompiledField(ObjectHeader* object, int32_t index);
int32_t CompiledCallMethod(ObjectHeader* object, int32_t slot);
int32_t CompiledDraw(ObjectHeader* object);
ObjectHeader* CompiledCast(ObjectHeader* object, int32_t which);
bool CompiledIsA(ObjectHeader* object, int32_t which);
void CompiledAssign(ObjectHeader** variable, ObjectHeader* value);
int32_t CompiledLayout(int32_t* out);
void CompiledTraceAppend(int32_t code);
int32_t CompiledTraceCount();
int32_t CompiledTraceAt(int32_t index);
void CompiledTraceClear();
}

namespace {

// The class indexes of CompiledClasses.c; kNone stands for the null class.
enum Class : int32_t {
    kNone = -1,
    kShape,
    kDrawable,
    kCircle,
    kDisc,
    kHolder,
    kOleObject,
    kAutomationApp,
    kAutomationSheet,
};

// Method slots of the Shape family.
enum : int32_t { kArea, kTag, kRadius };

// Trace codes: kind * 1000 + subject (class index, or 100 + a Holder's id).
int32_t Init(int32_t c) { return 1000 + c; }
int32_t Zero(int32_t c) { return 2000 + c; }
int32_t Final(int32_t c) { return 3000 + c; }
int32_t Held(int32_t id) { return 100 + id; }
constexpr int32_t kHookCode = 4000;

std::vector<int32_t> TakeTrace() {
    std::vector<int32_t> trace;
    for (int32_t i = 0; i < CompiledTraceCount(); ++i) trace.push_back(CompiledTraceAt(i));
    CompiledTraceClear();
    return trace;
}

std::string Text(StringRecord* record) { return string(record).CString(); }

std::vector<std::string> Conditions(const FailureRecorder& recorder) {
    std::vector<std::string> conditions;
    for (const RecordedFailure& report : recorder.Reports()) {
        EXPECT_EQ(report.kind, kFailedAssertion);
        EXPECT_EQ(report.file, "RuntimeObjectFoundation");
        conditions.push_back(report.condition);
    }
    return conditions;
}

class CompiledProgram : public testing::Test {
protected:
    void SetUp() override {
        CompiledBuildClasses();
        CompiledTraceClear();
        liveBefore = LiveObjectCount();
    }
    void TearDown() override {
        SetObjectDestroyHook(nullptr);
        EXPECT_EQ(LiveObjectCount(), liveBefore) << "objects leaked or freed twice";
        EXPECT_TRUE(raised.Names().empty());
    }
    static ClassRecord* C(Class which) { return CompiledClass(which); }

    RaisedExceptions raised;
    int32_t liveBefore = 0;
};

// --- records ---

// The C view of the records must be the runtime's on every target, not only where the 32-bit
// offsets are asserted.
TEST(CompiledLayout, MatchesTheRuntimeRecords) {
    const std::vector<int32_t> runtime = {
        sizeof(StringRecord), offsetof(StringRecord, buffer), offsetof(StringRecord, bufferSize),
        offsetof(StringRecord, length), offsetof(StringRecord, encoding),
        sizeof(MethodSlot), sizeof(EventSlot), sizeof(AccessorSlot),
        sizeof(PropertySlot), offsetof(PropertySlot, parameter), offsetof(PropertySlot, getter),
        offsetof(PropertySlot, setter),
        sizeof(InterfaceSlot), offsetof(InterfaceSlot, methodCount),
        offsetof(InterfaceSlot, methods),
        sizeof(ObjectHeader), offsetof(ObjectHeader, classPtr), offsetof(ObjectHeader, eventTable),
        offsetof(ObjectHeader, refCount), offsetof(ObjectHeader, prevLive),
        offsetof(ObjectHeader, nextLive),
        offsetof(ClassRecord, name), offsetof(ClassRecord, next),
        offsetof(ClassRecord, instanceSize), offsetof(ClassRecord, isAnInterface),
        offsetof(ClassRecord, initializer), offsetof(ClassRecord, countZero),
        offsetof(ClassRecord, finalizer), offsetof(ClassRecord, methodCount),
        offsetof(ClassRecord, methods), offsetof(ClassRecord, eventCount),
        offsetof(ClassRecord, events), offsetof(ClassRecord, accessorCount),
        offsetof(ClassRecord, accessors), offsetof(ClassRecord, propertyCount),
        offsetof(ClassRecord, properties), offsetof(ClassRecord, interfaceCount),
        offsetof(ClassRecord, interfaces),
    };
    int32_t compiled[64];
    const int32_t n = CompiledLayout(compiled);
    EXPECT_EQ(std::vector<int32_t>(compiled, compiled + n), runtime);
}

using ClassBuilding = CompiledProgram;

// The tables follow the inline interface slots inside the one block, and the block ends with
// the property table.
TEST_F(ClassBuilding, TablesLieInTheRecordAfterTheInterfaceSlots) {
    ClassRecord* before = FirstClassRecord();
    ClassRecord* record = RuntimeNewClass(nullptr, 3, 2, 2, 1, 2);
    EXPECT_EQ(FirstClassRecord(), record);
    EXPECT_EQ(record->next, before);
    EXPECT_EQ(record->super, nullptr);
    EXPECT_EQ(record->methodCount, 3);
    EXPECT_EQ(record->interfaceCount, 2);
    EXPECT_EQ(record->eventCount, 2);
    EXPECT_EQ(record->accessorCount, 1);
    EXPECT_EQ(record->propertyCount, 2);
    EXPECT_EQ(static_cast<void*>(record->methods), static_cast<void*>(record->interfaces + 2));
    EXPECT_EQ(static_cast<void*>(record->events), static_cast<void*>(record->methods + 3));
    EXPECT_EQ(static_cast<void*>(record->accessors), static_cast<void*>(record->events + 2));
    EXPECT_EQ(static_cast<void*>(record->properties), static_cast<void*>(record->accessors + 1));
    const char* end = reinterpret_cast<const char*>(record->properties + 2);
    EXPECT_EQ(static_cast<size_t>(end - reinterpret_cast<const char*>(record)),
              GuardedBlockSize(record));
    for (const char* p = reinterpret_cast<const char*>(record->interfaces); p < end; ++p)
        ASSERT_EQ(*p, 0) << "the tables start zero-filled";
}

TEST_F(ClassBuilding, SubclassesCopyTheBaseSlotsToTheSameIndexes) {
    ClassRecord* shape = C(kShape);
    ClassRecord* circle = C(kCircle);
    ClassRecord* disc = C(kDisc);
    EXPECT_EQ(circle->super, shape);
    EXPECT_EQ(disc->super, circle);
    EXPECT_EQ(Text(disc->name), "Disc");

    // Circle overrode Area and kept Tag; Disc has Circle's table.
    EXPECT_NE(circle->methods[kArea].function, shape->methods[kArea].function);
    EXPECT_EQ(circle->methods[kTag].function, shape->methods[kTag].function);
    EXPECT_EQ(circle->methods[kTag].name, shape->methods[kTag].name);
    for (int32_t i = 0; i < 3; ++i) {
        EXPECT_EQ(disc->methods[i].function, circle->methods[i].function) << i;
        EXPECT_EQ(disc->methods[i].name, circle->methods[i].name) << i;
    }
    EXPECT_EQ(circle->events[0].name, shape->events[0].name);
    EXPECT_EQ(Text(disc->events[1].name), "Moved");
    // Circle declares one accessor slot more than Shape: Shape's is at index 0.
    EXPECT_EQ(circle->accessors[0].function, shape->accessors[0].function);
    EXPECT_EQ(circle->accessors[0].signature, shape->accessors[0].signature);
    EXPECT_EQ(disc->accessors[1].function, circle->accessors[1].function);
    EXPECT_EQ(Text(circle->properties[0].descriptor), "Tag%i%");
    EXPECT_EQ(circle->properties[0].parameter, shape->properties[0].parameter);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(disc->properties[1].getter), kPlainFieldAccessor);
    EXPECT_EQ(disc->interfaces[0].interfaceClass, C(kDrawable));
    EXPECT_EQ(disc->interfaces[0].methods, circle->interfaces[0].methods);
    EXPECT_EQ(disc->interfaces[0].methodCount, 1);
}

// A subclass declaring fewer slots than its base is reported; after Continue the copy stays
// within the new record: the table after the short one stays zero.
TEST_F(ClassBuilding, ShortCountsAreReportedAndCopyNoMoreThanFits) {
    struct Case {
        const char* condition;  // null: no report
        int32_t base[5];        // m, i, e, a, p
        int32_t out[5];
        int32_t shortTable;     // index into the counts of the table that is short
    };
    const Case cases[] = {
        {"out->methodCount >= base->methodCount", {3, 0, 0, 0, 0}, {1, 0, 2, 0, 0}, 0},
        {"out->interfaceCount >= base->interfaceCount", {0, 2, 0, 0, 0}, {2, 1, 0, 0, 0}, 1},
        {"out->eventCount >= base->eventCount", {0, 0, 3, 0, 0}, {0, 0, 1, 2, 0}, 2},
        {nullptr, {0, 0, 0, 3, 0}, {0, 0, 0, 1, 1}, 3},
        {"out->propertyCount >= base->propertyCount", {0, 0, 0, 0, 3}, {0, 0, 0, 0, 1}, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shortTable);
        ClassRecord* base =
            RuntimeNewClass(nullptr, c.base[0], c.base[1], c.base[2], c.base[3], c.base[4]);
        // Mark every byte of the base's slots.
        char* slots = reinterpret_cast<char*>(base->interfaces);
        const char* end = reinterpret_cast<const char*>(base->properties + base->propertyCount);
        for (char* p = slots; p < end; ++p) *p = '\x5A';

        FailureRecorder recorder;
        ClassRecord* out =
            RuntimeNewClass(base, c.out[0], c.out[1], c.out[2], c.out[3], c.out[4]);
        EXPECT_EQ(Conditions(recorder),
                  c.condition ? std::vector<std::string>{c.condition} : std::vector<std::string>{});

        // The slots that fit are copied; everything after them in the record is untouched.
        const char* begin[5] = {
            reinterpret_cast<char*>(out->methods), reinterpret_cast<char*>(out->interfaces),
            reinterpret_cast<char*>(out->events), reinterpret_cast<char*>(out->accessors),
            reinterpret_cast<char*>(out->properties)};
        const size_t slotSize[5] = {sizeof(MethodSlot), sizeof(InterfaceSlot), sizeof(EventSlot),
                                    sizeof(AccessorSlot), sizeof(PropertySlot)};
        const char* copiedEnd = begin[c.shortTable] + slotSize[c.shortTable] * c.out[c.shortTable];
        const char* recordEnd = reinterpret_cast<const char*>(out) + GuardedBlockSize(out);
        for (const char* p = begin[c.shortTable]; p < copiedEnd; ++p) ASSERT_EQ(*p, '\x5A');
        for (const char* p = copiedEnd; p < recordEnd; ++p) ASSERT_EQ(*p, 0);
    }
}

// --- creation ---

using ObjectCreation = CompiledProgram;

TEST_F(ObjectCreation, NewObjectHasOneReferenceHeadsTheLiveListAndRunsInitializersBaseFirst) {
    ObjectHeader* previousHead = FirstLiveObject();
    ObjectHeader* disc = CompiledNew(kDisc);
    ASSERT_NE(disc, nullptr);
    EXPECT_EQ(disc->refCount, 1);
    EXPECT_EQ(disc->classPtr, C(kDisc));
    EXPECT_EQ(disc->methodTable, C(kDisc)->methods);
    EXPECT_EQ(disc->eventTable, C(kDisc)->events);
    EXPECT_EQ(FirstLiveObject(), disc);
    EXPECT_EQ(disc->prevLive, nullptr);
    EXPECT_EQ(disc->nextLive, previousHead);
    EXPECT_EQ(LiveObjectCount(), liveBefore + 1);
    EXPECT_EQ(TakeTrace(), (std::vector<int32_t>{Init(kShape), Init(kCircle), Init(kDisc)}));
    // Each initializer read the field its base's initializer had set.
    EXPECT_EQ(CompiledField(disc, 0), 7);
    EXPECT_EQ(CompiledField(disc, 1), 14);
    EXPECT_EQ(CompiledField(disc, 2), 15);
    RuntimeUnlockObject(disc);
    EXPECT_EQ(FirstLiveObject(), previousHead);
    TakeTrace();
}

TEST_F(ObjectCreation, VirtualAndInterfaceCallsReachTheOverridingFunctions) {
    ObjectHeader* shape = CompiledNew(kShape);
    ObjectHeader* circle = CompiledNew(kCircle);
    ObjectHeader* disc = CompiledNew(kDisc);
    EXPECT_EQ(CompiledCallMethod(shape, kArea), 0);
    EXPECT_EQ(CompiledCallMethod(circle, kArea), 3 * 14 * 14);
    EXPECT_EQ(CompiledCallMethod(disc, kArea), 3 * 14 * 14);
    EXPECT_EQ(CompiledCallMethod(disc, kTag), 7);
    EXPECT_EQ(CompiledCallMethod(disc, kRadius), 14);
    EXPECT_EQ(CompiledDraw(circle), 114);
    EXPECT_EQ(CompiledDraw(disc), 114);  // through the slot Disc copied from Circle
    for (ObjectHeader* object : {shape, circle, disc}) RuntimeUnlockObject(object);
    TakeTrace();
}

TEST_F(ObjectCreation, NullClassRaisesNilObjectException) {
    EXPECT_EQ(RuntimeNewObject(nullptr), nullptr);
    EXPECT_EQ(raised.Take(), "NilObjectException");
    EXPECT_EQ(LiveObjectCount(), liveBefore);
}

TEST_F(ObjectCreation, AnInterfaceInstanceIsReportedAndStillMade) {
    FailureRecorder recorder;
    ObjectHeader* object = CompiledNew(kDrawable);
    EXPECT_EQ(Conditions(recorder), std::vector<std::string>{"!parent->isAnInterface"});
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(object->refCount, 1);
    RuntimeUnlockObject(object);
}

// --- references ---

using References = CompiledProgram;

TEST_F(References, RetainAndReleaseLeaveNullAndUncountedObjectsAlone) {
    RuntimeLockObject(nullptr);
    RuntimeUnlockObject(nullptr);

    ObjectHeader* object = CompiledNew(kShape);
    RuntimeLockObject(object);
    EXPECT_EQ(object->refCount, 2);
    RuntimeUnlockObject(object);
    EXPECT_EQ(object->refCount, 1);

    // Counts of 0 and below mark objects that releasing never destroys; retaining a count of 0
    // leaves it at 0.
    object->refCount = 0;
    RuntimeLockObject(object);
    EXPECT_EQ(object->refCount, 0);
    RuntimeUnlockObject(object);
    EXPECT_EQ(object->refCount, 0);
    object->refCount = -1;
    RuntimeUnlockObject(object);
    EXPECT_EQ(object->refCount, -1);
    EXPECT_EQ(LiveObjectCount(), liveBefore + 1);
    EXPECT_EQ(TakeTrace(), std::vector<int32_t>{Init(kShape)});

    object->refCount = 1;
    RuntimeUnlockObject(object);
    TakeTrace();
}

TEST_F(References, AssignmentRetainsTheNewValueAndReleasesTheOld) {
    ObjectHeader* a = CompiledNew(kShape);
    ObjectHeader* b = CompiledNew(kShape);
    ObjectHeader* variable = nullptr;

    CompiledAssign(&variable, a);
    EXPECT_EQ(variable, a);
    EXPECT_EQ(a->refCount, 2);
    CompiledAssign(&variable, a);  // the same value: no change
    EXPECT_EQ(a->refCount, 2);
    CompiledAssign(&variable, b);
    EXPECT_EQ(a->refCount, 1);
    EXPECT_EQ(b->refCount, 2);

    // Dropping the last reference through assignment destroys the old value.
    RuntimeUnlockObject(b);
    TakeTrace();
    CompiledAssign(&variable, nullptr);
    EXPECT_EQ(TakeTrace(), (std::vector<int32_t>{Zero(kShape), Final(kShape)}));
    EXPECT_EQ(LiveObjectCount(), liveBefore + 1);
    RuntimeUnlockObject(a);
    TakeTrace();
}

TEST_F(References, DestroyingUnlinksFromTheMiddleOfTheLiveList) {
    ObjectHeader* a = CompiledNew(kShape);
    ObjectHeader* b = CompiledNew(kShape);
    ObjectHeader* c = CompiledNew(kShape);
    RuntimeUnlockObject(b);
    EXPECT_EQ(FirstLiveObject(), c);
    EXPECT_EQ(c->nextLive, a);
    EXPECT_EQ(a->prevLive, c);
    RuntimeUnlockObject(c);
    EXPECT_EQ(FirstLiveObject(), a);
    EXPECT_EQ(a->prevLive, nullptr);
    RuntimeUnlockObject(a);
    TakeTrace();
}

// --- destruction ---

using Destruction = CompiledProgram;

void TraceHook(ObjectHeader*) { CompiledTraceAppend(kHookCode); }

TEST_F(Destruction, CallbacksRunMostDerivedFirstThenTheHook) {
    SetObjectDestroyHook(TraceHook);
    ObjectHeader* disc = CompiledNew(kDisc);
    TakeTrace();
    RuntimeUnlockObject(disc);
    // Disc has no count-zero callback of its own.
    EXPECT_EQ(TakeTrace(), (std::vector<int32_t>{Zero(kCircle), Zero(kShape), Final(kDisc),
                                                 Final(kCircle), Final(kShape), kHookCode}));
}

// Holder 1 holds 2 and 4; 2 holds 3. Releasing 1 queues 2 and then 4 during 1's finalizer;
// 4, queued last, goes first; 3 is queued by 2's finalizer and goes after it. Count-zero
// callbacks run at once, finalizers never nest.
TEST_F(Destruction, ObjectsReleasedByAFinalizerAreFinalisedAfterItLastQueuedFirst) {
    ObjectHeader* three = CompiledNewHolder(3, nullptr, nullptr);
    ObjectHeader* two = CompiledNewHolder(2, three, nullptr);
    ObjectHeader* four = CompiledNewHolder(4, nullptr, nullptr);
    ObjectHeader* one = CompiledNewHolder(1, two, four);
    EXPECT_EQ(LiveObjectCount(), liveBefore + 4);
    RuntimeUnlockObject(one);
    EXPECT_EQ(TakeTrace(), (std::vector<int32_t>{
                               Zero(Held(1)), Final(Held(1)), Zero(Held(2)), Zero(Held(4)),
                               Final(Held(4)), Final(Held(2)), Zero(Held(3)), Final(Held(3))}));
}

// A released object waits on the queue still linked and counted until it is freed.
TEST_F(Destruction, QueuedObjectsStayLiveUntilFreed) {
    static int32_t liveSeenByHook[8];
    static int32_t hookCalls;
    hookCalls = 0;
    SetObjectDestroyHook([](ObjectHeader*) {
        if (hookCalls < 8) liveSeenByHook[hookCalls++] = LiveObjectCount();
    });
    ObjectHeader* two = CompiledNewHolder(2, nullptr, nullptr);
    ObjectHeader* one = CompiledNewHolder(1, two, nullptr);
    RuntimeUnlockObject(one);
    ASSERT_EQ(hookCalls, 2);
    EXPECT_EQ(liveSeenByHook[0], liveBefore + 2);  // one's hook: two is queued, still live
    EXPECT_EQ(liveSeenByHook[1], liveBefore + 1);
    TakeTrace();
}

// --- type tests ---

using TypeTests = CompiledProgram;

TEST_F(TypeTests, IsA) {
    struct Case {
        Class object;  // kNone: a null object
        Class target;  // kNone: the null class
        bool expected;
    };
    const Case cases[] = {
        {kNone, kShape, false},     {kShape, kNone, true},   {kDisc, kDisc, true},
        {kDisc, kShape, true},      {kShape, kCircle, false}, {kCircle, kDrawable, true},
        {kDisc, kDrawable, true},   {kShape, kDrawable, false}, {kHolder, kShape, false},
        {kOleObject, kAutomationApp, false},
    };
    for (const Case& c : cases) {
        ObjectHeader* object = c.object == kNone ? nullptr : CompiledNew(c.object);
        EXPECT_EQ(CompiledIsA(object, c.target), c.expected) << c.object << " IsA " << c.target;
        if (object) {
            EXPECT_EQ(object->refCount, 1);
        }
        RuntimeUnlockObject(object);
    }
    EXPECT_EQ(RuntimeClassOf(nullptr), nullptr);
    TakeTrace();
}

// Every cast that succeeds hands out a new reference, the cast to no class included; a failed
// cast raises IllegalCastException and gives null.
TEST_F(TypeTests, CheckCast) {
    struct Case {
        Class object;
        Class target;
        bool succeeds;
    };
    const Case cases[] = {
        {kDisc, kShape, true},
        {kDisc, kDisc, true},
        {kShape, kNone, true},
        {kCircle, kDrawable, true},
        {kDisc, kDrawable, true},  // inherited through the copied interface slot
        {kShape, kCircle, false},
        {kShape, kDrawable, false},
        {kHolder, kShape, false},
        // A plain OLEObject stands for a class declared directly on it, not for a grandchild.
        {kOleObject, kAutomationApp, true},
        {kOleObject, kAutomationSheet, false},
        {kAutomationApp, kAutomationSheet, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.object << " to " << c.target);
        ObjectHeader* object = CompiledNew(c.object);
        ObjectHeader* result = CompiledCast(object, c.target);
        if (c.succeeds) {
            EXPECT_EQ(result, object);
            EXPECT_EQ(object->refCount, 2);
            EXPECT_TRUE(raised.Names().empty());
            RuntimeUnlockObject(result);
        } else {
            EXPECT_EQ(result, nullptr);
            EXPECT_EQ(object->refCount, 1);
            EXPECT_EQ(raised.Take(), "IllegalCastException");
        }
        RuntimeUnlockObject(object);
    }
    EXPECT_EQ(CompiledCast(nullptr, kShape), nullptr);
    EXPECT_TRUE(raised.Names().empty());
    TakeTrace();
}

TEST_F(TypeTests, InterfaceLookup) {
    ObjectHeader* disc = CompiledNew(kDisc);
    ObjectHeader* shape = CompiledNew(kShape);
    EXPECT_EQ(RuntimeLookupInterfaceVtable(disc, C(kDrawable)), C(kCircle)->interfaces[0].methods);
    EXPECT_TRUE(raised.Names().empty());

    struct Case {
        ObjectHeader* object;
        ClassRecord* interfaceClass;
        const char* exception;
    };
    const Case cases[] = {
        {nullptr, C(kDrawable), "NilObjectException"},
        {disc, nullptr, "NilObjectException"},
        {disc, C(kShape), "IllegalCastException"},  // not an interface
        {shape, C(kDrawable), "IllegalCastException"},  // not implemented
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RuntimeLookupInterfaceVtable(c.object, c.interfaceClass), nullptr);
        EXPECT_EQ(raised.Take(), c.exception);
    }
    // Compiled code gives up the call when the lookup raised.
    EXPECT_EQ(CompiledDraw(shape), -1);
    EXPECT_EQ(raised.Take(), "IllegalCastException");
    RuntimeUnlockObject(disc);
    RuntimeUnlockObject(shape);
    TakeTrace();
}

}  // namespace
