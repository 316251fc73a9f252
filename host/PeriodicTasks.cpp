#include "PeriodicTasks.h"

#include "TickCount.h"
#include "core/SimpleVector.h"
#include "windows/TimerWindow.h"

namespace {

// The live tasks in construction order.
SimpleVector<PeriodicTask*> sTasks;

int32_t sAutoWaitCursorCount = 0;

// The number of the latest pass over the list; no pass has the number 0.
uint32_t sLastPass = 0;

// Visits, newest first, each task that is listed when the pass begins, once. A Run may delete
// tasks, itself among them, and make new ones: a deletion shifts only the later entries down and
// a new task goes at the end, so the tasks still to visit stay below the last visited index, and
// their mark tells them from the tasks made during the pass. A pass that begins inside a Run (the
// Run switched threads or pumped messages) takes the marks over: the outer pass then ends, the
// inner one having visited what the outer had yet to visit.
template <typename Visit>
void VisitEachListedTaskOnce(Visit visit) {
    if (++sLastPass == 0) sLastPass = 1;
    const uint32_t pass = sLastPass;
    for (uint32_t i = 0; i < sTasks.size(); ++i) sTasks.mBuf[i]->mPass = pass;
    uint32_t next = sTasks.size();
    while (next > 0) {
        PeriodicTask* task = sTasks.mBuf[--next];
        if (task->mPass != pass) continue;
        task->mPass = 0;
        visit(task);
        if (next > sTasks.size()) next = sTasks.size();
    }
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
    const int32_t now = TickCount60();
    VisitEachListedTaskOnce([onlyWithoutTimer, now](PeriodicTask* task) {
        if (onlyWithoutTimer && task->mTimerId != 0) return;
        if (TicksElapsed(task->mLastRun, now) < task->mPeriod) return;
        task->mLastRun = TickCount60();
        task->Run();
    });
}

void PeriodicTaskTimerCallback(int32_t timerId) {
    VisitEachListedTaskOnce([timerId](PeriodicTask* task) {
        if (task->mTimerId == timerId) task->Run();
    });
}

extern "C" void DisableAutoWaitCursor() { ++sAutoWaitCursorCount; }

extern "C" void EnableAutoWaitCursor() { --sAutoWaitCursorCount; }
