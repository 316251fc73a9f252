#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "MessagePump.h"
#include "host/PeriodicTasks.h"
#include "host/ShutdownContexts.h"
#include "host/TickCount.h"

namespace {

std::string sLog;

// A task that writes its name to the log when it runs, then does what the test asks.
class LoggingTask final : public PeriodicTask {
public:
    LoggingTask(char name, int32_t period, bool systemTimer)
        : PeriodicTask(period), mName(name) {
        if (!systemTimer) StopTimer();
    }
    void Run() override {
        sLog += mName;
        ++mRuns;
        if (mOnRun) mOnRun();
    }

    char mName;
    int mRuns = 0;
    std::function<void()> mOnRun;
};

// The millisecond clock under the tick count: set by the test, and moved on by step at every
// reading.
uint64_t sClockMilliseconds = 0;
// The first millisecond at which the tick counter has come round: 2^32 ticks.
constexpr uint64_t kTickWrapMilliseconds = ((uint64_t{1} << 32) * 50 + 2) / 3;
uint32_t sClockStep = 0;

uint64_t ReadClock() {
    const uint64_t now = sClockMilliseconds;
    sClockMilliseconds += sClockStep;
    return now;
}

class PeriodicTasksTest : public testing::Test {
protected:
    void SetUp() override {
        sLog.clear();
        sClockMilliseconds = 100000;
        sClockStep = 0;
        SetMillisecondClock(ReadClock);
    }
    void TearDown() override {
        for (LoggingTask* task : mTasks) delete task;
        mTasks.clear();
        SetMillisecondClock(nullptr);
    }

    // Tasks A, B, C, ... made in that order; the fixture deletes those still alive.
    void MakeTasks(int count, int32_t period, bool systemTimer) {
        for (int i = 0; i < count; ++i)
            mTasks.push_back(new LoggingTask(static_cast<char>('A' + i), period, systemTimer));
    }
    // A Run action that deletes the tasks of those indexes. It copies what it needs first, since
    // it may delete the task that holds it.
    std::function<void()> Deleter(std::vector<int> victims) {
        return [this, victims] {
            std::vector<LoggingTask*>& tasks = mTasks;
            const std::vector<int> doomed = victims;
            for (int victim : doomed) {
                LoggingTask* task = tasks[victim];
                tasks[victim] = nullptr;
                delete task;
            }
        };
    }

    std::vector<LoggingTask*> mTasks;
};

}  // namespace

TEST(TickCount, IsMillisecondsTimesSixHundredthsTruncated) {
    static uint64_t milliseconds;
    SetMillisecondClock([] { return milliseconds; });
    // Past 2^32 ms (49.7 days) the count goes on; it comes round only after 2^32 ticks.
    const struct {
        uint64_t milliseconds;
        int32_t ticks;
    } cases[] = {{0, 0}, {16, 0}, {17, 1}, {1000, 60}, {1016, 60}, {1017, 61},
                 {0x80000000u, 128849018}, {0xFFFFFFFFu, 257698037},
                 {0x100000000u + 17, 257698038}, {kTickWrapMilliseconds / 2, INT32_MAX},
                 {kTickWrapMilliseconds - 1, -1}, {kTickWrapMilliseconds, 0}};
    for (const auto& c : cases) {
        milliseconds = c.milliseconds;
        EXPECT_EQ(TickCount60(), c.ticks) << c.milliseconds << " ms";
    }
    SetMillisecondClock(nullptr);

    // The timer interval of a period: 5 ticks are 83 ms, truncated.
    const struct {
        int32_t ticks;
        int32_t milliseconds;
    } intervals[] = {{0, 0}, {1, 16}, {5, 83}, {10, 166}, {60, 1000}, {-3, 0},
                     {INT32_MAX, INT32_MAX}};
    for (const auto& c : intervals)
        EXPECT_EQ(TicksToMilliseconds(c.ticks), c.milliseconds) << c.ticks << " ticks";
}

TEST_F(PeriodicTasksTest, DueTasksRunNewestFirstOncePerPeriod) {
    MakeTasks(3, 5, true);
    RunDuePeriodicTasks(false);
    EXPECT_EQ(sLog, "CBA");

    // One tick short of the period nothing is due; at the period all are again.
    sLog.clear();
    sClockMilliseconds += 4 * 17;
    RunDuePeriodicTasks(false);
    EXPECT_EQ(sLog, "");
    sClockMilliseconds += 17;
    RunDuePeriodicTasks(false);
    EXPECT_EQ(sLog, "CBA");
}

TEST_F(PeriodicTasksTest, FlagSetRunsOnlyTasksWithoutSystemTimer) {
    MakeTasks(2, 5, true);
    ASSERT_NE(mTasks[0]->mTimerId, 0);
    RunDuePeriodicTasks(true);
    EXPECT_EQ(sLog, "");

    mTasks.push_back(new LoggingTask('C', 5, false));
    EXPECT_EQ(mTasks[2]->mTimerId, 0);
    RunDuePeriodicTasks(true);
    EXPECT_EQ(sLog, "C");
}

// Each task listed when a pass begins runs at most once in it, newest first, whatever the runs
// delete or add; a task deleted before its turn does not run, one added waits for the next pass.
// The same runs go through a pass with period 0, a pass with period 1 whose runs each last a tick
// (the clock moves a tick at every reading), and the runner's own timer callback.
TEST_F(PeriodicTasksTest, EachListedTaskRunsOncePerPassWhateverARunDeletesOrAdds) {
    enum Mode { kPeriodZero, kRunLongerThanATick, kTimerCallback };
    const struct {
        const char* name;
        Mode mode;
    } modes[] = {{"pass, period 0", kPeriodZero},
                 {"pass, period 1, runs longer than a tick", kRunLongerThanATick},
                 {"timer callback", kTimerCallback}};
    // Tasks A to D, made in that order; the runner deletes the victims, then makes task E.
    const struct {
        const char* name;
        int runner;
        std::vector<int> victims;
        bool adds;
        const char* pass;       // the log of the pass
        const char* nextPass;   // the log of the pass after it
    } cases[] = {
        {"deletes itself", 2, {2}, false, "DCBA", "DBA"},
        {"deletes the oldest", 2, {0}, false, "DCB", "DCB"},
        {"deletes one in the middle", 2, {1}, false, "DCA", "DCA"},
        {"deletes the oldest, being the newest", 3, {0}, false, "DCB", "DCB"},
        {"deletes a newer one, already run", 1, {3}, false, "DCBA", "CBA"},
        {"deletes itself and an older one", 2, {2, 0}, false, "DCB", "DB"},
        {"deletes every other task", 2, {0, 1, 3}, false, "DC", "C"},
        {"deletes every task", 2, {0, 1, 2, 3}, false, "DC", ""},
        {"adds a task", 2, {}, true, "DCBA", "EDCBA"},
        {"deletes the oldest and adds a task", 3, {0}, true, "DCB", "EDCB"},
    };
    for (const auto& mode : modes) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(mode.name) + ", " + c.name);
            const bool timers = mode.mode == kTimerCallback;
            MakeTasks(4, mode.mode == kPeriodZero ? 0 : 1, timers);
            LoggingTask* runner = mTasks[c.runner];
            const int32_t runnerTimer = runner->mTimerId;
            std::function<void()> deleteVictims = Deleter(c.victims);
            const bool adds = c.adds;
            // The runner may delete itself, and this action with it: it copies what it needs.
            runner->mOnRun = [this, deleteVictims, adds, timers] {
                std::vector<LoggingTask*>& tasks = mTasks;
                const std::function<void()> deleteThem = deleteVictims;
                const bool add = adds, withTimer = timers;
                deleteThem();
                if (add) tasks.push_back(new LoggingTask('E', 1, withTimer));
            };
            if (mode.mode == kRunLongerThanATick) sClockStep = 17;
            if (timers) {
                PeriodicTaskTimerCallback(runnerTimer);
                EXPECT_EQ(sLog, std::string(1, 'A' + c.runner));
            } else {
                RunDuePeriodicTasks(false);
                EXPECT_EQ(sLog, c.pass);
            }

            // The survivors, the added task among them, are listed once each.
            sLog.clear();
            sClockStep = 0;
            sClockMilliseconds += 1000;
            for (LoggingTask* task : mTasks)
                if (task) task->mOnRun = nullptr;
            RunDuePeriodicTasks(false);
            EXPECT_EQ(sLog, c.nextPass);
            TearDown();
            SetUp();
        }
    }
}

// A task's period counts across the 49.7-day mark of the millisecond count and across the tick
// counter's own wrap after 2^32 ticks.
TEST_F(PeriodicTasksTest, ElapsedTestSurvivesTheTickCounterWrap) {
    const struct {
        const char* name;
        uint64_t lastRunMilliseconds;
        uint64_t nowMilliseconds;
        int32_t period;
        bool runs;
    } cases[] = {
        {"due, no wrap", 1000, 1085, 5, true},
        {"one tick short, no wrap", 1000, 1067, 5, false},
        {"due across 49.7 days", 0xFFFFFF00u, 0x100000100u, 5, true},
        {"not yet due across 49.7 days", 0xFFFFFFF0u, 0x100000014u, 5, false},
        {"due across the tick wrap", kTickWrapMilliseconds - 256, kTickWrapMilliseconds + 256, 5,
         true},
        {"not yet due across the tick wrap", kTickWrapMilliseconds - 16,
         kTickWrapMilliseconds + 40, 5, false},
        {"longest period is never due", 0, 0xFFFFFFFFu, INT32_MAX, false},
    };
    MakeTasks(1, 5, false);
    LoggingTask* task = mTasks[0];
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        sLog.clear();
        task->mPeriod = c.period;
        sClockMilliseconds = c.lastRunMilliseconds;
        task->mLastRun = TickCount60();
        sClockMilliseconds = c.nowMilliseconds;
        RunDuePeriodicTasks(true);
        EXPECT_EQ(sLog, c.runs ? "A" : "");
    }
}

TEST_F(PeriodicTasksTest, TimerCallbackRunsTheTaskOfTheTimerOnceWhenItDeletesOthers) {
    MakeTasks(3, 5, true);
    LoggingTask* newest = mTasks[2];
    newest->mOnRun = Deleter({0, 1});
    PeriodicTaskTimerCallback(newest->mTimerId);
    EXPECT_EQ(sLog, "C");
    // The callback leaves the last-run tick alone.
    EXPECT_EQ(newest->mLastRun, 0);

    sLog.clear();
    newest->mOnRun = Deleter({2});
    PeriodicTaskTimerCallback(newest->mTimerId);
    EXPECT_EQ(sLog, "C");
}

// A task runs from its own system timer on the timer window, with the period's interval.
TEST(PeriodicTaskTimer, PeriodOfFiveTicksRunsAbout83MillisecondsApart) {
    std::vector<DWORD> runTimes;
    LoggingTask* task = new LoggingTask('T', 5, true);
    task->mOnRun = [&runTimes] { runTimes.push_back(GetTickCount()); };
    const bool ran = PumpMessagesUntil([&runTimes] { return runTimes.size() >= 7; }, 5000);
    delete task;
    ASSERT_TRUE(ran) << "ran " << runTimes.size() << " times in 5 s";
    // 83 ms apart; a late first run on a loaded machine pulls the average down a little, while a
    // period read as milliseconds (5 ms) or as one tick (16 ms) stays far below the bound.
    const double average = (runTimes.back() - runTimes.front()) / double(runTimes.size() - 1);
    EXPECT_GE(average, 50.0);
    EXPECT_LE(average, 250.0);
}

TEST(PeriodicTaskTimer, TaskThatDeletesItselfFromItsTimerRunsOnce) {
    sLog.clear();
    LoggingTask* task = new LoggingTask('S', 1, true);
    task->mOnRun = [task] { delete task; };
    PumpMessagesFor(300);
    EXPECT_EQ(sLog, "S");
}

namespace {

// A context that logs its name when it is destroyed, and runs the test's action then.
class LoggingContext final : public ShutdownContext {
public:
    explicit LoggingContext(char name) : mName(name) {}
    ~LoggingContext() override {
        sLog += mName;
        if (mOnDestroy) mOnDestroy();
    }

    char mName;
    std::function<void()> mOnDestroy;
};

}  // namespace

TEST(ShutdownContexts, DestroyedNewestFirst) {
    sLog.clear();
    new LoggingContext('1');
    new LoggingContext('2');
    new LoggingContext('3');
    DestroyShutdownContexts();
    EXPECT_EQ(sLog, "321");
    DestroyShutdownContexts();
    EXPECT_EQ(sLog, "321");
}

TEST(ShutdownContexts, ContextDeletedEarlyIsUnlinked) {
    sLog.clear();
    LoggingContext* first = new LoggingContext('1');
    LoggingContext* second = new LoggingContext('2');
    new LoggingContext('3');
    delete second;
    delete first;
    EXPECT_EQ(sLog, "21");
    DestroyShutdownContexts();
    EXPECT_EQ(sLog, "213");
}

TEST(ShutdownContexts, DestructorThatMakesAndDeletesContexts) {
    sLog.clear();
    LoggingContext* oldest = new LoggingContext('1');
    new LoggingContext('2');
    LoggingContext* newest = new LoggingContext('3');
    // Destroying 3 deletes 1 and makes 4, which goes on the list's head and is destroyed next.
    newest->mOnDestroy = [oldest] {
        delete oldest;
        new LoggingContext('4');
    };
    DestroyShutdownContexts();
    EXPECT_EQ(sLog, "3142");
}
