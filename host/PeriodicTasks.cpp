#include "PeriodicTasks.h"

#include "TickCount.h"
#include "core/SimpleVector.h"
#include "windows/TimerWindow.h"

namespace {

// The live tasks in construction order.
SimpleVector<PeriodicTask*> sTasks;

int32_t sAutoWaitCursorCount = 0;

// Walks the tasks from the newest to the oldest. The count is read again before every step, and
// the walk ends once the index is no longer below it, so a Run that deletes tasks (itself among
// them) shortens the walk rather than leaving it on a freed task.
template <typename Visit>
void WalkNewestFirst(Visit visit) {
    for (int32_t i = static_cast<int32_t>(sTasks.size()) - 1;
         i >= 0 && i < static_cast<int32_t>(sTasks.size()); --i)
        visit(sTasks.mBuf[i]);
}

}  // namespace

PeriodicTask::PeriodicTask(int32_t period) : mPeriod(period) {
    StartTimer();
    sTasks.push_back(this);
}

PeriodicTask::~PeriodicTask() {
    StopTimer();
    for (uint32_t i = sTasks.size(); i-- > 0;)
        if (sTasks.mBuf[i] == this) sTasks.remove_at(i);
}

void PeriodicTask::StartTimer() {
    StopTimer();
    mTimerId = AddTimerCallback(PeriodicTaskTimerCallback, TicksToMilliseconds(mPeriod));
}

void PeriodicTask::StopTimer() {
    if (mTimerId == 0) return;
    RemoveTimerCallback(mTimerId);
    mTimerId = 0;
}

void RunDuePeriodicTasks(bool onlyWithoutTimer) {
    if (sTasks.size() == 0) return;
    if (onlyWithoutTimer) {
        bool anyWithoutTimer = false;
        for (uint32_t i = 0; i < sTasks.size() && !anyWithoutTimer; ++i)
            anyWithoutTimer = sTasks.mBuf[i]->mTimerId == 0;
        if (!anyWithoutTimer) return;
    }
    WalkNewestFirst([onlyWithoutTimer](PeriodicTask* task) {
        if (onlyWithoutTimer && task->mTimerId != 0) return;
        // The clock is read for each task: a task that already ran in this walk and comes round
        // again (a Run removed an entry below it) then shows the ticks since that run, not a
        // reading from before it, which would look like a whole turn of the counter.
        const int32_t now = TickCount60();
        if (TicksElapsed(task->mLastRun, now) < task->mPeriod) return;
        task->mLastRun = now;
        task->Run();
    });
}

void PeriodicTaskTimerCallback(int32_t timerId) {
    WalkNewestFirst([timerId](PeriodicTask* task) {
        if (task->mTimerId == timerId) task->Run();
    });
}

extern "C" void DisableAutoWaitCursor() { ++sAutoWaitCursorCount; }

extern "C" void EnableAutoWaitCursor() { --sAutoWaitCursorCount; }
