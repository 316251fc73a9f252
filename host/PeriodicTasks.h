// Periodic tasks: recurring background work measured in ticks (sixtieths of a second). Every task
// runs from a system timer of its own on the shared timer window and, when due, from
// RunDuePeriodicTasks, which the event loop and compiled loops call.
#pragma once

#include <cstdint>

#include "core/GuardedMemory.h"

class PeriodicTask : public RuntimeAllocated {
public:
    // Starts the task's timer and enters the task at the end of the task list.
    explicit PeriodicTask(int32_t period);
    // Stops the timer and leaves the list; a task may delete itself, or others, from Run.
    virtual ~PeriodicTask();
    PeriodicTask(const PeriodicTask&) = delete;
    PeriodicTask& operator=(const PeriodicTask&) = delete;

    virtual void Run() = 0;

    // (Re)starts the system timer with the period; a subclass that changes the period calls it.
    void StartTimer();
    // Stops the system timer; the task then runs only from RunDuePeriodicTasks.
    void StopTimer();

    int32_t mTimerId = 0;  // the id of the task's timer callback; 0: no system timer
    int32_t mLastRun = 0;  // the tick of the last run through RunDuePeriodicTasks
    int32_t mPeriod;       // in ticks
    uint32_t mPass = 0;    // the pass that has yet to visit the task; 0: none
};

// Runs, newest task first, every task whose period has elapsed since its last run; with the flag
// set only the tasks that have no system timer. Each task listed when the pass begins is visited
// once, whatever the runs remove or add; a task removed before its turn does not run, and one
// added during the pass waits for the next.
void RunDuePeriodicTasks(bool onlyWithoutTimer);

// The timer callback of every task: runs, newest first, the tasks whose timer has that id, each at
// most once, as RunDuePeriodicTasks does.
void PeriodicTaskTimerCallback(int32_t timerId);

extern "C" {
// Nest and unnest the automatic wait cursor. The platform shows no automatic wait cursor, so the
// count has no further effect.
void DisableAutoWaitCursor();
void EnableAutoWaitCursor();
}
