// Exceptions delivered into routines that behave as compiled code does (CompiledExceptions.S):
// 32-bit code, so these run on the i686 runtime only.
#include <gtest/gtest.h>

#if defined(__i386__) && !defined(_WIN64)

#include "RaisedExceptions.h"
#include "StringTesting.h"
#include "core/ArrayRecord.h"
#include "core/Exceptions.h"

extern "C" {
void CompiledCodeBegin();
void CompiledCodeEnd();
int CompiledTryCatch(void (*call)(), ObjectHeader** caught);
int CompiledTryCatchNoSlot(void (*call)());
int CompiledCallBeforeTry(void (*first)(), void (*inTry)(), ObjectHeader** caught);
int CompiledOuterCatch(void (*call)(), ObjectHeader** caught);
int CompiledArrayGet(ArrayRecord* array, int index, ObjectHeader** caught);
}

namespace {

int sAfterRaise = 0;

// Runtime code that raises and returns at once, as every raising entry point does.
void RaiseOutOfBounds() {
    RaiseOutOfBoundsException();
    if (ExceptionInFlight()) return;
    ++sAfterRaise;
}
void RaiseNil() { RaiseNilObjectException(); }
void Quiet() {}

std::string ClassName(ObjectHeader* exception) {
    return std::string(BytesOf(string(exception->classPtr->name)));
}

class CompiledCode : public testing::Test {
protected:
    void SetUp() override {
        RegisterMarkerCodeRange(reinterpret_cast<const void*>(&CompiledCodeBegin),
                                reinterpret_cast<const void*>(&CompiledCodeEnd));
        sAfterRaise = 0;
    }
    void TearDown() override {
        EXPECT_TRUE(raised.Names().empty()) << "an exception went unhandled";
        EXPECT_FALSE(ExceptionInFlight());
        EXPECT_EQ(sAfterRaise, 0) << "runtime code went on after the raise";
        EXPECT_EQ(LiveObjectCount(), liveBefore);
    }
    RaisedExceptions raised;
    int32_t liveBefore = LiveObjectCount();
};

}  // namespace

TEST_F(CompiledCode, RaiseInsideTryLandsInItsCatch) {
    ObjectHeader* caught = nullptr;
    EXPECT_EQ(CompiledTryCatch(Quiet, &caught), 1);
    EXPECT_EQ(caught, nullptr);

    EXPECT_EQ(CompiledTryCatch(RaiseOutOfBounds, &caught), 2);
    ASSERT_NE(caught, nullptr);
    EXPECT_EQ(ClassName(caught), "OutOfBoundsException");
    EXPECT_EQ(caught->refCount, 1);  // the catch's slot owns the only reference
    RuntimeUnlockObject(caught);
}

TEST_F(CompiledCode, SlotZeroStillReceivesControl) {
    EXPECT_EQ(CompiledTryCatchNoSlot(RaiseNil), 2);
}

TEST_F(CompiledCode, CallBeforeALaterTryReachesTheCatchAll) {
    ObjectHeader* caught = nullptr;
    EXPECT_EQ(CompiledCallBeforeTry(RaiseNil, Quiet, &caught), 3);
    ASSERT_NE(caught, nullptr);
    EXPECT_EQ(ClassName(caught), "NilObjectException");
    RuntimeUnlockObject(caught);

    caught = nullptr;
    EXPECT_EQ(CompiledCallBeforeTry(Quiet, RaiseOutOfBounds, &caught), 4);
    ASSERT_NE(caught, nullptr);
    EXPECT_EQ(ClassName(caught), "OutOfBoundsException");
    RuntimeUnlockObject(caught);
}

TEST_F(CompiledCode, CatchAllPassesTheExceptionToItsCaller) {
    ObjectHeader* caught = nullptr;
    EXPECT_EQ(CompiledOuterCatch(RaiseOutOfBounds, &caught), 5);
    ASSERT_NE(caught, nullptr);
    EXPECT_EQ(ClassName(caught), "OutOfBoundsException");
    EXPECT_EQ(caught->refCount, 1);
    RuntimeUnlockObject(caught);
}

TEST_F(CompiledCode, OutOfRangeGetLandsInTheCatch) {
    ArrayRecord* array = CreateArray(1, kArrayInt32, 2);  // indexes 0 to 2
    ObjectHeader* caught = nullptr;
    EXPECT_EQ(CompiledArrayGet(array, 2, &caught), 0);
    EXPECT_EQ(caught, nullptr);
    EXPECT_EQ(CompiledArrayGet(array, 3, &caught), -1);
    ASSERT_NE(caught, nullptr);
    EXPECT_EQ(ClassName(caught), "OutOfBoundsException");
    EXPECT_EQ(caught->refCount, 1);
    RuntimeUnlockObject(caught);
    RuntimeUnlockArray(array);
}

#endif
