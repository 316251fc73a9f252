#include <gtest/gtest.h>

#include <algorithm>

#include "MessagePump.h"
#include "windows/TimerWindow.h"

namespace {

int sCalls = 0;
int sDepth = 0;
int sDeepest = 0;
int32_t sSelfRemovingId = 0;
int sSelfRemovingCalls = 0;

void CountCall(int32_t) { ++sCalls; }

void PumpInside(int32_t) {
    ++sCalls;
    sDeepest = std::max(sDeepest, ++sDepth);
    PumpMessagesFor(60);
    --sDepth;
}

void RemoveSelf(int32_t id) {
    ++sSelfRemovingCalls;
    RemoveTimerCallback(id);
}

}  // namespace

TEST(TimerWindow, IdsCountUpFromOneAndUnknownIdsChangeNothing) {
    CreateTimerWindow();
    const int32_t first = AddTimerCallback(CountCall, 1000);
    const int32_t second = AddTimerCallback(CountCall, 1000);
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 2);
    RemoveTimerCallback(0);
    RemoveTimerCallback(99);
    RemoveTimerCallback(first);
    RemoveTimerCallback(first);
    RemoveTimerCallback(second);
    EXPECT_EQ(AddTimerCallback(CountCall, 1000), 3);
    RemoveTimerCallback(3);
}

// A callback that pumps messages itself (a modal loop, a thread switch) sees its own timer fire
// meanwhile; it is not entered again until it has returned.
TEST(TimerWindow, RunningCallbackIsNotEnteredAgain) {
    sCalls = 0;
    const int32_t id = AddTimerCallback(PumpInside, 10);
    const bool called = PumpMessagesUntil([] { return sCalls >= 3; }, 5000);
    RemoveTimerCallback(id);
    ASSERT_TRUE(called);
    EXPECT_EQ(sDeepest, 1);
}

// A callback may remove its own timer while it runs; the timers after it in the list go on.
TEST(TimerWindow, CallbackRemovingItsOwnTimer) {
    sCalls = 0;
    sSelfRemovingId = AddTimerCallback(RemoveSelf, 10);
    const int32_t counting = AddTimerCallback(CountCall, 10);
    const bool called = PumpMessagesUntil([] { return sCalls >= 5; }, 5000);
    RemoveTimerCallback(counting);
    ASSERT_TRUE(called);
    EXPECT_EQ(sSelfRemovingCalls, 1);
}
