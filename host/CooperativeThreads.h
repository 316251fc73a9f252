// Cooperative threads: every language thread runs on a fiber of the one operating-system thread
// that runs the event loop, and gives up the processor only at yield points. A run queue of
// priority slots picks the next thread at each yield; a thread of priority p holds p slots and so
// gets p turns in every cycle. The main program is itself a thread, the main record.
//
// Also here: the stack check that turns runaway recursion into StackOverflowException, for the
// main thread against the range set at start-up and for every other thread against its fiber's
// own stack.
#pragma once

#include <cstdint>

#include "core/ObjectModel.h"

// The record of one running thread (and the static main record).
struct RuntimeThread {
    // Thread states, combined as a bit set; 0 is running or ready.
    static constexpr uint32_t kSuspended = 1;
    static constexpr uint32_t kSleeping = 2;
    static constexpr uint32_t kWaiting = 4;
    static constexpr uint32_t kFinished = 8;

    RuntimeThread();
    ~RuntimeThread();
    RuntimeThread(const RuntimeThread&) = delete;
    RuntimeThread& operator=(const RuntimeThread&) = delete;

    static void* operator new(size_t size);
    static void operator delete(void* block);

    // Awake once the time slept since sleepStart reaches the sleep's duration (wakeTime -
    // sleepStart), compared unsigned, so that a sleep across the clock's wrap lasts as long as any.
    bool IsAwake(uint32_t now) const { return now - sleepStart >= wakeTime - sleepStart; }
    // Neither suspended nor on a lock's wait list.
    bool MayRun() const { return suspendCount == 0 && !waitList; }

    uintptr_t stackBase = 0;  // lowest stack address the check lets pass
    uintptr_t stackTop = 0;   // highest address of the range
    ObjectHeader* threadObject = nullptr;
    RuntimeThread* next = nullptr;  // the all-threads list, or the dead list once finished
    uint32_t wakeTime = 0;
    uint32_t sleepStart = 0;
    int32_t suspendCount = 0;  // Suspend calls not yet resumed; never below 0
    int32_t slotCount = 0;
    bool wakeEarly = false;
    uint32_t state = 0;
    void* fiber = nullptr;
    // Waiting on a lock is kept apart from Suspend, so that Resume cannot end a wait: the wait list
    // that holds the thread, null when it waits on none.
    void* waitList = nullptr;
    // Set when the lock it waited on was destroyed; the waiter raises IllegalLockingException.
    bool waitAborted = false;
};

// The thread now running; the main record until the first switch.
RuntimeThread* CurrentRuntimeThread();
RuntimeThread* MainRuntimeThread();

// Makes the thread current and switches to its fiber; returns when another thread switches back.
void SwitchToRuntimeThread(RuntimeThread* thread);
// Gives the processor to the thread the run queue picks, blocking the OS thread while every
// thread sleeps; frees finished records when this thread runs again.
void YieldThread();
// The next thread to run, or null when mayBlock is false and no thread is awake. A blocking pick
// that can never find one (every thread suspended or waiting on a lock, none asleep) reports the
// deadlock and ends the application.
RuntimeThread* PickNextThread(bool mayBlock);

// The thread clock: milliseconds, wrapping at 2^32; GetTickCount unless a test replaced it.
uint32_t ThreadClockMs();
using ThreadClock = uint32_t (*)();
void SetThreadClock(ThreadClock clock);

// A new record, with a fiber that runs the Thread object's body, linked into the list of live
// threads but holding no run-queue slot yet; null (nothing changed) when no fiber can be made.
RuntimeThread* NewRuntimeThread(ObjectHeader* threadObject, int32_t stackSize);
// Starts a sleep of the thread (negative times sleep 0 ms); a null flag keeps wakeEarly.
void SleepRuntimeThread(RuntimeThread* thread, int32_t milliseconds, const bool* wakeEarly);
// Ends one Suspend (never below none) and any sleep; a wait on a lock goes on.
void ResumeRuntimeThread(RuntimeThread* thread);

// The Thread object's record; null before Run and after the thread finished.
RuntimeThread* ThreadRecordOf(ObjectHeader* thread);
// Fires the Thread object's Run event, on its own fiber.
void RunThreadBody(ObjectHeader* thread);
// The body returned: the object forgets its record and the runtime drops its reference.
void ThreadFinished(ObjectHeader* thread);
// Sets the slots the thread holds in the run queue (the main record's for a null object).
void SetThreadSlotCount(ObjectHeader* threadObject, int32_t count);
// The slot records in queue order, for tests: the thread of each slot.
int32_t ThreadRunQueueSize();
RuntimeThread* ThreadRunQueueAt(int32_t index);

// What ties the main record to the operating-system thread it runs on: its fiber and its checked
// stack range.
struct MainThreadHold {
    void* fiber;
    uintptr_t stackBase;
    uintptr_t stackTop;
    uintptr_t stackLimit;
};
// Makes the calling operating-system thread the main record's, with a checked range of the size
// below the caller's stack and, when threads were made before, a fiber of its own; returns what
// the record held until now. Service mode runs the application on a thread that the service
// control manager starts. Called on the main record.
MainThreadHold MoveMainThreadHere(int32_t stackCheckSize);
// On the same operating-system thread, when the main record leaves it: the thread stops being a
// fiber and the record takes back what it held before.
void RestoreMainThreadHold(const MainThreadHold& hold);

// The language class Thread.
ObjectDefinition* Thread();

extern "C" {
// Methods and properties of Thread. Property setters take the row's parameter (unused) before
// the value, as every property accessor does.
void threadRun(ObjectHeader* thread);
void ThreadSleep(ObjectHeader* thread, int32_t milliseconds, bool wakeEarly);
void ThreadSuspend(ObjectHeader* thread);
void ThreadResume(ObjectHeader* thread);
int32_t ThreadGetState(ObjectHeader* thread);
intptr_t ThreadGetID(ObjectHeader* thread);
int32_t ThreadGetPriority(ObjectHeader* thread);
void ThreadSetPriority(ObjectHeader* thread, int32_t parameter, int32_t priority);
int32_t ThreadGetStackSize(ObjectHeader* thread);
void ThreadSetStackSize(ObjectHeader* thread, int32_t parameter, int32_t size);
void ThreadInitializer(ObjectHeader* thread);

// Sleeps the current thread for the milliseconds.
void ThreadSleepCurrent(int32_t milliseconds);
void YieldToNextThread();
// The non-blocking yield at the end of every event-loop step.
void YieldFromEventLoop();
// True when the running thread is the main one.
bool IsMainThread();
// The current thread's Thread object, with a reference for the caller; nil on the main thread.
ObjectHeader* QUORGetCurrentThread();

// Raises StackOverflowException when the stack pointer lies below the current thread's range.
void RuntimeStackCheck();
// Sets the stack-limit word to the stack pointer less size and, on the main thread, makes the
// size bytes below the stack pointer its checked range and gives it its five run-queue slots.
void StackCheckerInit(int32_t size);
uintptr_t StackCheckerGetLimit();
void StackCheckerSetLimit(uintptr_t limit);

// The debugger stub's view of the running threads.
int32_t DebuggerThreadCount();
ObjectHeader* DebuggerThreadLookup(void* ignored, int32_t index);
// While disabled, the thread timer task does not switch threads.
void DisableTimedThreadSwitch();
void EnableTimedThreadSwitch();
}

// The stack the main record's range is set to at start-up.
constexpr int32_t kMainStackCheckSize = 0x40000;
// The stack size of a thread whose StackSize is 0 or less.
constexpr int32_t kDefaultThreadStackSize = 0xE2000;
