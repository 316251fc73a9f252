#include <windows.h>

#include <string>

#include "FailureRecorder.h"
#include "RaisedExceptions.h"
#include "ThreadTesting.h"
#include "core/Exceptions.h"
#include "core/LinkTable.h"

using namespace threadtesting;

namespace {

class Threads : public ThreadFixture {};

// Counts the turns of each letter between consecutive turns of another.
std::string TurnsBetween(const std::string& log, char marker) {
    std::string runs;
    size_t last = log.find(marker);
    while (last != std::string::npos) {
        const size_t next = log.find(marker, last + 1);
        if (next == std::string::npos) break;
        runs += std::to_string(next - last - 1) + " ";
        last = next;
    }
    return runs;
}

}  // namespace

TEST_F(Threads, RunQueueHoldsNewestThreadsSlotsFirst) {
    bool stop = false;
    auto spin = [&](ObjectHeader*) {
        while (!stop) YieldToNextThread();
    };
    ObjectHeader* first = Start(spin);
    ObjectHeader* second = Start(spin);
    RuntimeThread* expected[] = {ThreadRecordOf(second), ThreadRecordOf(first), MainRuntimeThread()};
    ASSERT_EQ(ThreadRunQueueSize(), 15);
    for (int32_t i = 0; i < 15; ++i) EXPECT_EQ(ThreadRunQueueAt(i), expected[i / 5]) << i;
    stop = true;
    FinishAll();
    EXPECT_EQ(ThreadRunQueueSize(), 5);
    EXPECT_EQ(ThreadGetState(first), 4);
}

TEST_F(Threads, PriorityIsTurnsPerCycle) {
    int remaining = 2;
    auto turns = [&](char letter, int count) {
        return [&, letter, count](ObjectHeader*) {
            for (int i = 0; i < count; ++i) {
                Log(std::string(1, letter));
                YieldToNextThread();
            }
            --remaining;
        };
    };
    ObjectHeader* low = NewThread(turns('L', 8));
    ObjectHeader* high = NewThread(turns('H', 200));
    ThreadSetPriority(low, 0, 1);
    ThreadSetPriority(high, 0, 10);
    threadRun(low);
    threadRun(high);
    while (remaining > 0) YieldToNextThread();
    // Once both run, the high thread takes ten turns for each turn of the low one.
    const std::string runs = TurnsBetween(mLog, 'L');
    EXPECT_EQ(runs.substr(runs.size() - 15), "10 10 10 10 10 ") << mLog;
}

TEST_F(Threads, SleepEndsAtItsTimeOrEarlierWhenAllowed) {
    SetThreadClock(FakeClock);
    struct Case {
        bool wakeEarly;
        uint32_t start;  // just below the wrap, the wake time lies past it
    };
    const Case cases[] = {{false, 1000}, {true, 1000}, {false, 0xFFFFFFFFu - 50}};
    for (const Case& c : cases) {
        mLog.clear();
        FakeNow() = c.start;
        ObjectHeader* sleeper = Start([&](ObjectHeader* self) {
            Log("a");
            ThreadSleep(self, 100, c.wakeEarly);
            Log("b");
        });
        if (c.wakeEarly) {
            // Its own slots come first in the queue, so its own yield picks it again.
            EXPECT_EQ(mLog, "ab");
            continue;
        }
        EXPECT_EQ(ThreadGetState(sleeper), 3);
        FakeNow() += 99;
        for (int i = 0; i < 20; ++i) YieldToNextThread();
        EXPECT_EQ(mLog, "a") << "woke before its time, start " << c.start;
        FakeNow() += 1;
        for (int i = 0; i < 20 && mLog == "a"; ++i) YieldToNextThread();
        EXPECT_EQ(mLog, "ab");
    }
}

TEST_F(Threads, BlockingYieldSleepsUntilTheEarliestWake) {
    const DWORD start = GetTickCount();
    Start([&](ObjectHeader* self) {
        ThreadSleep(self, 60, false);
        Log("woke ");
    });
    ThreadSleepCurrent(200);
    Log("main");
    const DWORD elapsed = GetTickCount() - start;
    EXPECT_EQ(mLog, "woke main");
    EXPECT_GE(elapsed, 190u);
    EXPECT_LT(elapsed, 2000u);
}

TEST_F(Threads, NonBlockingYieldReturnsWhenOthersSleep) {
    Start([&](ObjectHeader* self) {
        ThreadSleep(self, 100000, false);
        Log("woke");
    });
    const DWORD start = GetTickCount();
    for (int i = 0; i < 50; ++i) YieldFromEventLoop();
    EXPECT_LT(GetTickCount() - start, 1000u);
    EXPECT_EQ(mLog, "");
    ThreadResume(mThreads.back());
    FinishAll();
    EXPECT_EQ(mLog, "woke");
}

TEST_F(Threads, SuspendResumeAndState) {
    int turns = 0;
    bool stop = false;
    ObjectHeader* worker = Start([&](ObjectHeader* self) {
        EXPECT_EQ(ThreadGetState(self), 0);
        EXPECT_FALSE(IsMainThread());
        EXPECT_EQ(QUORGetCurrentThread(), self);
        RuntimeUnlockObject(self);
        while (!stop) {
            ++turns;
            YieldToNextThread();
        }
    });
    EXPECT_TRUE(IsMainThread());
    ThreadSuspend(worker);
    EXPECT_EQ(ThreadGetState(worker), 2);
    const int before = turns;
    for (int i = 0; i < 30; ++i) YieldToNextThread();
    EXPECT_EQ(turns, before);

    // Suspended while sleeping reads Suspended; Resume ends both.
    ThreadSleep(worker, 100000, false);
    EXPECT_EQ(ThreadGetState(worker), 2);
    ThreadResume(worker);
    for (int i = 0; i < 30; ++i) YieldToNextThread();
    EXPECT_GT(turns, before);

    // Resume without Suspend does not bank a resume for the next Suspend.
    ThreadResume(worker);
    ThreadSuspend(worker);
    const int held = turns;
    for (int i = 0; i < 30; ++i) YieldToNextThread();
    EXPECT_EQ(turns, held);
    ThreadResume(worker);
    stop = true;
    FinishAll();
}

TEST_F(Threads, ThreadSuspendingItselfWaitsForResume) {
    ObjectHeader* worker = Start([&](ObjectHeader* self) {
        Log("a");
        ThreadSuspend(self);
        Log("b");
    });
    for (int i = 0; i < 30; ++i) YieldToNextThread();
    EXPECT_EQ(mLog, "a");
    ThreadResume(worker);
    FinishAll();
    EXPECT_EQ(mLog, "ab");
}

TEST_F(Threads, RunTwiceRaisesAndAFinishedThreadRunsAgain) {
    RaisedExceptions raised;
    bool stop = false;
    int runs = 0;
    ObjectHeader* worker = NewThread([&](ObjectHeader*) {
        ++runs;
        while (!stop) YieldToNextThread();
    });
    EXPECT_EQ(ThreadGetState(worker), 4);
    EXPECT_EQ(ThreadGetID(worker), 0);
    threadRun(worker);
    EXPECT_NE(ThreadGetID(worker), 0);
    threadRun(worker);
    ASSERT_EQ(raised.Seen().size(), 1u);
    EXPECT_EQ(raised.Seen()[0].name, "ThreadAlreadyRunningException");
    EXPECT_EQ(raised.Seen()[0].message, "You cannot call Run on a thread that is already running.");
    EXPECT_EQ(raised.Seen()[0].errorNumber, 0);

    // StackSize cannot change while it runs.
    ThreadSetStackSize(worker, 0, 65536);
    ASSERT_EQ(raised.Seen().size(), 2u);
    EXPECT_EQ(raised.Seen()[1].name, "ThreadAlreadyRunningException");
    EXPECT_EQ(ThreadGetStackSize(worker), kDefaultThreadStackSize);

    stop = true;
    FinishAll();
    EXPECT_EQ(ThreadGetState(worker), 4);
    EXPECT_EQ(ThreadGetID(worker), 0);
    EXPECT_EQ(worker->refCount, 1);  // the runtime's reference went with the thread

    stop = false;
    threadRun(worker);
    stop = true;
    FinishAll();
    EXPECT_EQ(runs, 2);
}

TEST_F(Threads, NoFiberRaisesOutOfMemoryAndChangesNothing) {
#ifdef _WIN64
    GTEST_SKIP() << "a 64-bit process finds room for a 2 GB fiber stack";
#endif
    RaisedExceptions raised;
    ObjectHeader* thread = NewThread([&](ObjectHeader*) { Log("ran"); });
    ThreadSetStackSize(thread, 0, 0x7FFFFFF0);
    const int32_t queued = ThreadRunQueueSize();
    threadRun(thread);
    EXPECT_EQ(raised.Take(), "OutOfMemoryException");
    EXPECT_EQ(ThreadGetState(thread), 4);
    EXPECT_EQ(ThreadRunQueueSize(), queued);
    EXPECT_EQ(DebuggerThreadCount(), 0);
    EXPECT_EQ(thread->refCount, 1);
    EXPECT_EQ(mLog, "");
}

TEST_F(Threads, StackSizeAndPriorityProperties) {
    ObjectHeader* thread = NewThread(nullptr);
    EXPECT_EQ(ThreadGetPriority(thread), 5);
    const struct {
        int32_t set;
        int32_t read;
    } sizes[] = {{-1, 925696}, {0, 925696}, {65536, 65536}};
    for (const auto& c : sizes) {
        ThreadSetStackSize(thread, 0, c.set);
        EXPECT_EQ(ThreadGetStackSize(thread), c.read) << c.set;
    }
    ThreadSetPriority(thread, 0, 0);
    ThreadSetPriority(thread, 0, -3);
    EXPECT_EQ(ThreadGetPriority(thread), 5);
    ThreadSetPriority(thread, 0, 7);
    EXPECT_EQ(ThreadGetPriority(thread), 7);
}

TEST_F(Threads, DebuggerSeesRunningThreadsInListOrder) {
    EXPECT_EQ(DebuggerThreadLookup(nullptr, 0), nullptr);
    bool stop = false;
    auto spin = [&](ObjectHeader*) {
        while (!stop) YieldToNextThread();
    };
    ObjectHeader* first = Start(spin);
    ObjectHeader* second = Start(spin);
    EXPECT_EQ(DebuggerThreadCount(), 2);
    ObjectHeader* newest = DebuggerThreadLookup(nullptr, 0);
    EXPECT_EQ(newest, second);
    RuntimeUnlockObject(newest);
    ObjectHeader* oldest = DebuggerThreadLookup(nullptr, 1);
    EXPECT_EQ(oldest, first);
    RuntimeUnlockObject(oldest);
    EXPECT_EQ(DebuggerThreadLookup(nullptr, 2), nullptr);
    EXPECT_NE(LookupRelocEntry(string("DebuggerThreadLookup")), nullptr);
    stop = true;
    FinishAll();
}

// Runaway recursion in a thread is caught against the thread's own fiber stack, not the process's.
namespace {
bool sOverflowSeen = false;
int sDepth = 0;

__attribute__((noinline)) void Recurse(RaisedExceptions& raised) {
    volatile char pad[512];
    pad[0] = 1;
    ++sDepth;
    RuntimeStackCheck();
    if (ExceptionInFlight() || !raised.Names().empty()) {
        sOverflowSeen = true;
        return;
    }
    Recurse(raised);
    (void)pad[0];
}
}  // namespace

TEST_F(Threads, RecursionInAThreadRaisesStackOverflow) {
    RaisedExceptions raised;
    const struct {
        int32_t stackSize;
    } cases[] = {{0}, {262144}};
    for (const auto& c : cases) {
        sOverflowSeen = false;
        sDepth = 0;
        ObjectHeader* worker = NewThread([&](ObjectHeader*) { Recurse(raised); });
        ThreadSetStackSize(worker, 0, c.stackSize);
        threadRun(worker);
        FinishAll();
        EXPECT_TRUE(sOverflowSeen);
        EXPECT_EQ(raised.Take(), "StackOverflowException");
        // Caught near the fiber's own end: most of its stack was used.
        EXPECT_GT(sDepth * 512, ThreadGetStackSize(worker) / 2) << sDepth;
    }
}

TEST_F(Threads, MainThreadIsCheckedAgainstItsStartUpRange) {
    RaisedExceptions raised;
    sOverflowSeen = false;
    sDepth = 0;
    Recurse(raised);
    EXPECT_EQ(raised.Take(), "StackOverflowException");
    EXPECT_LT(sDepth * 512, 2 * kMainStackCheckSize);
}

TEST_F(Threads, StackLimitWordIsForPlugins) {
    StackCheckerSetLimit(1234);
    EXPECT_EQ(StackCheckerGetLimit(), 1234u);
    StackCheckerInit(kMainStackCheckSize);
    const uintptr_t here = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
    EXPECT_LT(StackCheckerGetLimit(), here);
    EXPECT_GT(StackCheckerGetLimit() + kMainStackCheckSize + 4096, here);
}

// An exception escaping Run goes to the unhandled-exception path and ends the thread as if Run had
// returned. 32-bit only: 64-bit frames do not chain through the frame pointer.
TEST_F(Threads, ExceptionEscapingRunEndsTheThreadOnly) {
#ifdef _WIN64
    GTEST_SKIP() << "64-bit Windows frames do not chain through the frame pointer";
#endif
    RaisedExceptions raised;
    Start([&](ObjectHeader*) {
        Log("a");
        YieldToNextThread();
        RaiseOutOfBoundsException();
        if (ExceptionInFlight()) return;
        Log("after");
    });
    FinishAll();
    EXPECT_EQ(mLog, "a");
    EXPECT_EQ(raised.Take(), "OutOfBoundsException");
    EXPECT_FALSE(ExceptionInFlight());
}

TEST_F(Threads, ThreadTimerDoesNotSpinWhileThreadsSleep) {
    Start([&](ObjectHeader* self) { ThreadSleep(self, 1500, false); });
    FILETIME created, exited, kernelBefore, userBefore, kernelAfter, userAfter;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernelBefore, &userBefore);
    const DWORD start = GetTickCount();
    MSG message;
    while (GetTickCount() - start < 1000) {
        if (GetMessageA(&message, nullptr, 0, 0) <= 0) break;
        DispatchMessageA(&message);
    }
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernelAfter, &userAfter);
    auto ticks = [](const FILETIME& t) { return (uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    const uint64_t busy100ns = ticks(kernelAfter) - ticks(kernelBefore) + ticks(userAfter) -
                               ticks(userBefore);
    const double busyShare = double(busy100ns) / 1e4 / double(GetTickCount() - start);
    RecordProperty("cpu_share_while_threads_sleep", std::to_string(busyShare));
    std::printf("CPU time over %lu ms with the only thread asleep: %.1f%%\n",
                static_cast<unsigned long>(GetTickCount() - start), busyShare * 100);
    EXPECT_LT(busyShare, 0.5);
    ThreadResume(mThreads.back());
    FinishAll();
}

TEST(ThreadDeadlock, EveryThreadBlockedIsReportedAndEndsTheProcess) {
    EXPECT_EXIT(
        {
            FailureRecorder recorder;
            StackCheckerInit(kMainStackCheckSize);
            ObjectHeader* thread = RuntimeNewObject(TestThreadClass());
            threadRun(thread);
            // The main thread suspends the only other thread, then waits for it for ever.
            ThreadSuspend(thread);
            RuntimeThread* main = MainRuntimeThread();
            ++main->suspendCount;
            YieldToNextThread();
        },
        testing::ExitedWithCode(5), "");
}

// Whether the thread block's stack bounds follow SwitchToFiber: the stack check does not rely on
// it (it asks VirtualQuery for the fiber's reserve), but code that reads the bounds there would.
namespace {
struct FiberBounds {
    void* mainFiber;
    uintptr_t local, base, limit;
};

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"
void WINAPI RecordBounds(void* context) {
    auto* bounds = static_cast<FiberBounds*>(context);
    const NT_TIB* tib = reinterpret_cast<const NT_TIB*>(NtCurrentTeb());
    volatile int local = 0;
    bounds->local = reinterpret_cast<uintptr_t>(&local);
    bounds->base = reinterpret_cast<uintptr_t>(tib->StackBase);
    bounds->limit = reinterpret_cast<uintptr_t>(tib->StackLimit);
    SwitchToFiber(bounds->mainFiber);
}
#pragma GCC diagnostic pop
}  // namespace

TEST_F(Threads, ThreadBlockStackBoundsFollowTheFiber) {
    // The runtime's threads have made this OS thread a fiber already.
    Start([](ObjectHeader*) {});
    FiberBounds bounds{MainRuntimeThread()->fiber, 0, 0, 0};
    ASSERT_NE(bounds.mainFiber, nullptr);
    void* fiber = CreateFiber(65536, RecordBounds, &bounds);
    ASSERT_NE(fiber, nullptr);
    SwitchToFiber(fiber);
    DeleteFiber(fiber);
    const bool follows = bounds.limit <= bounds.local && bounds.local < bounds.base;
    RecordProperty("teb_bounds_follow_fiber", follows ? "yes" : "no");
    std::printf("thread block stack bounds follow SwitchToFiber: %s\n", follows ? "yes" : "no");
    EXPECT_TRUE(follows);
}
