#include <gtest/gtest.h>

#include <vector>

#include "CompiledSubclass.h"
#include "FailureRecorder.h"
#include "MessagePump.h"
#include "controls/BindingInterfaces.h"
#include "controls/TimerClass.h"
#include "controls/TimerSchedule.h"
#include "core/DefinitionConversion.h"

namespace {

// Time moves only when the test says so; expiries happen when an armed deadline is reached.
class FakeClock final : public TimerClock {
public:
    uint32_t Now() override { return now; }
    void Arm(const void* id, uint32_t milliseconds) override {
        Disarm(id);
        armed.push_back({id, now + milliseconds, now});
    }
    void Disarm(const void* id) override {
        std::erase_if(armed, [id](const Deadline& d) { return d.id == id; });
    }
    // Advances to target one millisecond at a time, expiring the timers due; the timestamps of
    // Action per timer.
    void RunTo(uint32_t target, std::vector<std::pair<TimerState*, std::vector<uint32_t>*>> timers,
               bool suspended = false) {
        while (now < target) {
            ++now;
            for (auto& [state, fired] : timers) {
                for (const Deadline& d : armed) {
                    if (d.id != state || d.at != now) continue;
                    // A platform timer keeps its interval: re-armed unless the expiry kills it.
                    Arm(state, d.at - d.from);
                    if (TimerExpire(*state, state, now, suspended, true, *this)) fired->push_back(now);
                    break;
                }
            }
        }
    }

    struct Deadline {
        const void* id;
        uint32_t at;
        uint32_t from;
    };
    uint32_t now = 0;
    std::vector<Deadline> armed;
};

TEST(TimerSchedule, PeriodChangesShortenOrRestartTheRunningWait) {
    struct Case {
        int32_t newPeriod;
        uint32_t firstFiring;
        int32_t readBack;
    };
    // 400 ms into a 1000 ms period.
    const Case cases[] = {{600, 600, 600}, {300, 700, 300}, {1000, 1000, 1000}, {0, 401, 1},
                          {-20, 401, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.newPeriod);
        FakeClock clock;
        TimerState state{};
        TimerInitialize(state, clock);
        TimerSetMode(state, &state, kTimerModeMultiple, clock);
        std::vector<uint32_t> fired;
        clock.RunTo(400, {{&state, &fired}});
        TimerSetPeriod(state, &state, c.newPeriod, clock);
        EXPECT_EQ(state.period, c.readBack);
        clock.RunTo(c.firstFiring, {{&state, &fired}});
        ASSERT_EQ(fired.size(), 1u);
        EXPECT_EQ(fired[0], c.firstFiring);
    }
}

TEST(TimerSchedule, RemainingTimeWrapsToTheWholePeriod) {
    EXPECT_EQ(TimerRemaining(600, 0, 400), 200u);
    EXPECT_EQ(TimerRemaining(300, 0, 400), 300u);
    EXPECT_EQ(TimerRemaining(600, 0xFFFFFF00u, 0x90), 600u - 0x190u);  // across the tick wrap
}

TEST(TimerSchedule, SingleTurnsItselfOffAndMultipleKeepsFiring) {
    FakeClock clock;
    TimerState single{}, multiple{};
    for (TimerState* s : {&single, &multiple}) {
        TimerInitialize(*s, clock);
        TimerSetPeriod(*s, s, 100, clock);
    }
    EXPECT_EQ(single.mode, kTimerModeOff);
    EXPECT_EQ(single.enabled, 1);
    TimerSetMode(single, &single, kTimerModeSingle, clock);
    TimerSetMode(multiple, &multiple, kTimerModeMultiple, clock);
    std::vector<uint32_t> singleFired, multipleFired;
    clock.RunTo(350, {{&single, &singleFired}, {&multiple, &multipleFired}});
    EXPECT_EQ(singleFired, (std::vector<uint32_t>{100}));
    EXPECT_EQ(single.mode, kTimerModeOff);
    EXPECT_EQ(single.timerSet, 0);
    EXPECT_EQ(multipleFired, (std::vector<uint32_t>{100, 200, 300}));
    // Mode 1 again fires once more a period later.
    TimerSetMode(single, &single, kTimerModeSingle, clock);
    clock.RunTo(500, {{&single, &singleFired}});
    EXPECT_EQ(singleFired, (std::vector<uint32_t>{100, 450}));
}

// Suspended or disabled, expiries pass without Action and without catching up afterwards.
TEST(TimerSchedule, SuspendedOrDisabledExpiriesAreSkippedNotQueued) {
    for (bool suspend : {true, false}) {
        SCOPED_TRACE(suspend ? "suspended" : "disabled");
        FakeClock clock;
        TimerState a{}, b{};
        std::vector<uint32_t> aFired, bFired;
        for (TimerState* s : {&a, &b}) {
            TimerInitialize(*s, clock);
            TimerSetPeriod(*s, s, 100, clock);
            TimerSetMode(*s, s, kTimerModeMultiple, clock);
        }
        if (!suspend) a.enabled = b.enabled = 0;
        clock.RunTo(350, {{&a, &aFired}, {&b, &bFired}}, suspend);
        EXPECT_TRUE(aFired.empty());
        EXPECT_TRUE(bFired.empty());
        a.enabled = b.enabled = 1;
        clock.RunTo(450, {{&a, &aFired}, {&b, &bFired}});
        EXPECT_EQ(aFired, (std::vector<uint32_t>{400}));
        EXPECT_EQ(bFired, (std::vector<uint32_t>{400}));
    }
}

// The Timer class on the platform timers, driven by the thread's messages.
std::vector<ObjectHeader*> sActions;
void RecordAction(ObjectHeader* timer) { sActions.push_back(timer); }
void ReleaseInAction(ObjectHeader* timer) {
    sActions.push_back(timer);
    RuntimeUnlockObject(timer);
}

TimerRecord* Fields(ObjectHeader* timer) { return reinterpret_cast<TimerRecord*>(timer); }

class TimerClass : public testing::Test {
protected:
    void SetUp() override {
        sActions.clear();
        withAction = CompiledSubclass(Timer(), "ActionTimer", {{"Action", HandlerAddress(RecordAction)}});
    }
    ClassRecord* withAction = nullptr;
};

TEST_F(TimerClass, NewTimerIsOffWithItsDefaults) {
    ObjectHeader* timer = RuntimeNewObject(withAction);
    EXPECT_EQ(Fields(timer)->state.mode, 0);
    EXPECT_EQ(Fields(timer)->state.period, 1000);
    EXPECT_EQ(Fields(timer)->state.enabled, 1);
    PumpMessagesFor(50);
    EXPECT_TRUE(sActions.empty());
    RuntimeUnlockObject(timer);
}

TEST_F(TimerClass, SingleFiresOnceMultipleWithoutHandlerStops) {
    ObjectHeader* single = RuntimeNewObject(withAction);
    ObjectHeader* bare = RuntimeNewObject(LookupObjectDefinition(Timer()));
    for (ObjectHeader* t : {single, bare}) timerPeriodSetter(t, 0, 20);
    timerModeSetter(single, 0, kTimerModeSingle);
    timerModeSetter(bare, 0, kTimerModeMultiple);
    PumpMessagesFor(200);
    EXPECT_EQ(sActions, std::vector<ObjectHeader*>{single});
    EXPECT_EQ(Fields(single)->state.mode, 0);
    EXPECT_EQ(Fields(bare)->state.mode, kTimerModeMultiple);
    RuntimeUnlockObject(single);
    RuntimeUnlockObject(bare);
}

TEST_F(TimerClass, SuspendHoldsEveryTimerUntilResume) {
    ObjectHeader* timer = RuntimeNewObject(withAction);
    timerPeriodSetter(timer, 0, 20);
    timerModeSetter(timer, 0, kTimerModeMultiple);
    SuspendTimers();
    PumpMessagesFor(120);
    EXPECT_TRUE(sActions.empty());
    ResumeTimers();
    EXPECT_TRUE(PumpMessagesUntil([] { return !sActions.empty(); }, 2000));
    timerModeSetter(timer, 0, 0);
    RuntimeUnlockObject(timer);
}

// A Reset Timer released before it fires fires nothing, and a WM_TIMER still queued for a dead
// Timer reaches nothing.
TEST_F(TimerClass, ReleasedTimerNeverFires) {
    ObjectHeader* timer = RuntimeNewObject(withAction);
    timerPeriodSetter(timer, 0, 20);
    RuntimeTimerReset(timer);
    EXPECT_EQ(Fields(timer)->state.timerSet, 1);
    HWND window = FindWindowA("QVTimer", nullptr);
    ASSERT_NE(window, nullptr);
    const auto id = reinterpret_cast<UINT_PTR>(timer);
    RuntimeUnlockObject(timer);
    PostMessageA(window, WM_TIMER, id, 0);
    PumpMessagesFor(120);
    EXPECT_TRUE(sActions.empty());
}

// The handler drops the last reference: the Timer stays alive until its Action returns.
TEST_F(TimerClass, TimerIsHeldWhileActionRuns) {
    ClassRecord* releasing =
        CompiledSubclass(Timer(), "ReleasingTimer", {{"Action", HandlerAddress(ReleaseInAction)}});
    ObjectHeader* timer = RuntimeNewObject(releasing);
    timerPeriodSetter(timer, 0, 10);
    timerModeSetter(timer, 0, kTimerModeMultiple);
    ASSERT_TRUE(PumpMessagesUntil([] { return !sActions.empty(); }, 2000));
    PumpMessagesFor(80);
    EXPECT_EQ(sActions.size(), 1u);
}

// A receiver added through actionSource hears every firing, also of a Timer without Action.
int32_t sPerformed = 0;
extern "C" void CountPerformAction(ObjectHeader*) { ++sPerformed; }
MethodEntry kReceiverMethods[] = {{"PerformAction", nullptr, nullptr, 0,
                                   Function(CountPerformAction, "CountPerformAction"), {}, kMethodPlain, 0, 0}};
const DefinitionFunction kReceiverInterfaces[] = {ActionNotificationReceiverInterface};
const ClassRows kReceiverRows = {.className = "TimerReceiver", .superclass = nullptr,
                                 .objectSize = kObjectHeaderSize, .methods = kReceiverMethods,
                                 .interfaces = kReceiverInterfaces};

TEST_F(TimerClass, ActionReceiversHearEveryFiring) {
    static ObjectDefinition receiverDefinition;
    ObjectHeader* receiver =
        RuntimeNewObject(LookupObjectDefinition(FillClassDefinition(receiverDefinition, kReceiverRows)));
    ObjectHeader* timer = RuntimeNewObject(LookupObjectDefinition(Timer()));
    sPerformed = 0;
    TimerAddActionNotificationReceiver(timer, receiver);
    timerPeriodSetter(timer, 0, 10);
    timerModeSetter(timer, 0, kTimerModeMultiple);
    EXPECT_TRUE(PumpMessagesUntil([] { return sPerformed >= 2; }, 2000));
    TimerRemoveActionNotificationReceiver(timer, receiver);
    EXPECT_EQ(receiver->refCount, 1);
    RuntimeUnlockObject(timer);
    RuntimeUnlockObject(receiver);
}

TEST_F(TimerClass, ResetOnNilIsReported) {
    FailureRecorder recorder;
    RuntimeTimerReset(nullptr);
    ASSERT_EQ(recorder.Count(), 1u);
    EXPECT_EQ(recorder.Last().file, "RunTimer");
    EXPECT_EQ(recorder.Last().condition, "obj");
}

}  // namespace
