#include "CooperativeThreads.h"

#include <windows.h>

#include <new>

#include "PeriodicTasks.h"
#include "core/ClassDefinition.h"
#include "core/ExitCodes.h"
#include "core/Exceptions.h"
#include "core/FailureReport.h"
#include "core/GuardedMemory.h"
#include "core/SimpleVector.h"

namespace {

constexpr const char* kSource = "RuntimeThread";

// Below a fiber's recorded range the raise of StackOverflowException, its frame walk and the
// handler still need stack of their own.
constexpr uintptr_t kStackReserveMargin = 64 * 1024;
constexpr uintptr_t kStackCheckSlack = 4096;
constexpr uint32_t kNoWake = 0xFFFFFFFF;

struct ThreadSlot : RuntimeAllocated {
    RuntimeThread* thread;
    bool ranThisCycle;
};

RuntimeThread* sCurrentThread = nullptr;
RuntimeThread* sAllThreads = nullptr;
RuntimeThread* sDeadThreadList = nullptr;
SimpleVector<ThreadSlot*> sRunQueue;
uintptr_t sStackLimit = 0;
bool sTimedSwitchDisabled = false;
ThreadClock sClock = nullptr;

// The fiber functions, fetched once by name from kernel32.
struct FiberApi {
    using CreateFiberFn = LPVOID(WINAPI*)(SIZE_T, LPFIBER_START_ROUTINE, LPVOID);
    using ConvertThreadToFiberFn = LPVOID(WINAPI*)(LPVOID);
    using SwitchToFiberFn = void(WINAPI*)(LPVOID);
    using DeleteFiberFn = void(WINAPI*)(LPVOID);
    using ConvertFiberToThreadFn = BOOL(WINAPI*)();

    CreateFiberFn createFiber = nullptr;
    ConvertThreadToFiberFn convertThreadToFiber = nullptr;
    SwitchToFiberFn switchToFiber = nullptr;
    DeleteFiberFn deleteFiber = nullptr;
    ConvertFiberToThreadFn convertFiberToThread = nullptr;

    FiberApi() {
        HMODULE kernel = LoadLibraryA("kernel32");
        if (!kernel) return;
        Fetch(kernel, "CreateFiber", createFiber);
        Fetch(kernel, "ConvertThreadToFiber", convertThreadToFiber);
        Fetch(kernel, "SwitchToFiber", switchToFiber);
        Fetch(kernel, "DeleteFiber", deleteFiber);
        Fetch(kernel, "ConvertFiberToThread", convertFiberToThread);
    }

    template <typename F>
    static void Fetch(HMODULE module, const char* name, F& function) {
        function = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    }
};

const FiberApi& Fibers() {
    static const FiberApi api;
    return api;
}

void AddThreadSlots(RuntimeThread* thread, int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
        ThreadSlot* slot = new ThreadSlot;
        slot->thread = thread;
        slot->ranThisCycle = false;
        sRunQueue.push_front(slot);
    }
}

void RemoveThreadSlots(RuntimeThread* thread, int32_t count) {
    for (uint32_t i = sRunQueue.size(); i-- > 0 && count > 0;) {
        if (sRunQueue.mBuf[i]->thread != thread) continue;
        delete sRunQueue.mBuf[i];
        sRunQueue.remove_at(i);
        --count;
    }
}

void ClearThreadCycleFlags() {
    for (uint32_t i = sRunQueue.size(); i-- > 0;) sRunQueue.mBuf[i]->ranThisCycle = false;
}

// The milliseconds until the earliest sleeper that may run wakes; kNoWake when none sleeps.
uint32_t TimeUntilNextWake(uint32_t now) {
    uint32_t nearest = kNoWake;
    for (RuntimeThread* t = sAllThreads; t; t = t->next) {
        if (!t->MayRun() || t->IsAwake(now)) continue;
        const uint32_t left = t->wakeTime - now;
        if (left < nearest) nearest = left;
    }
    return nearest;
}

bool AnyEarlyWaker() {
    for (uint32_t i = 0; i < sRunQueue.size(); ++i) {
        const RuntimeThread* t = sRunQueue.mBuf[i]->thread;
        if (t->MayRun() && t->wakeEarly) return true;
    }
    return false;
}

[[noreturn]] void ReportDeadlock() {
    ReportAssertion(kSource, __LINE__, "possibleThread",
                    "Every thread is suspended or waiting on a lock, so none can ever run again.");
    EndProcess(kExitDeadlock);
}

void FreeDeadThreads() {
    while (RuntimeThread* dead = sDeadThreadList) {
        if (dead == sCurrentThread) {
            ReportAssertion(kSource, __LINE__, "sDeadThreadList != sCurrentThread");
            return;
        }
        sDeadThreadList = dead->next;
        delete dead;
    }
}

void UnlinkFromAllThreads(RuntimeThread* thread) {
    for (RuntimeThread** link = &sAllThreads; *link; link = &(*link)->next) {
        if (*link == thread) {
            *link = thread->next;
            thread->next = nullptr;
            return;
        }
    }
}

// The reserve of the stack the caller runs on: from the lowest reserved address to the end of the
// last region of the same allocation.
void CurrentStackReserve(uintptr_t& low, uintptr_t& high) {
    MEMORY_BASIC_INFORMATION info;
    const int marker = 0;
    VirtualQuery(&marker, &info, sizeof info);
    void* const allocation = info.AllocationBase;
    low = reinterpret_cast<uintptr_t>(allocation);
    high = reinterpret_cast<uintptr_t>(info.BaseAddress) + info.RegionSize;
    while (VirtualQuery(reinterpret_cast<void*>(high), &info, sizeof info) &&
           info.AllocationBase == allocation)
        high += info.RegionSize;
}

class ThreadTimerTask final : public PeriodicTask {
public:
    ThreadTimerTask() : PeriodicTask(0) {}
    void Run() override {
        if (!sTimedSwitchDisabled) YieldThread();
    }
};

void FireRunEvent(void* threadObject) { RunThreadBody(static_cast<ObjectHeader*>(threadObject)); }

// An exception escaping the body goes the way of one that no handler takes: the Application's
// UnhandledException event, else the report.
void RunEventEscaped(ObjectHeader* exception) {
    if (exception) RuntimeUnhandledException(exception);
    ReleaseObject(exception);
}

// Runs the thread's body on its fiber, then leaves the run queue and the list of live threads and
// gives the processor away for good; the record is freed by the next yield that returns elsewhere.
[[noreturn]] void ThreadEntryTrampoline() {
    RuntimeThread* self = sCurrentThread;
    if (!self) ReportAssertion(kSource, __LINE__, "sCurrentThread");
    if (self && self->threadObject) {
        ObjectHeader* thread = self->threadObject;
        // The event runs in a handler frame of the fiber's own: an exception escaping it goes the
        // unhandled way and the thread ends as if Run had returned.
        RunInHandlerFrame(FireRunEvent, thread, RunEventEscaped);
        SetThreadSlotCount(thread, 0);
        self->threadObject = nullptr;
        ThreadFinished(thread);
    }
    if (self) {
        UnlinkFromAllThreads(self);
        self->next = sDeadThreadList;
        sDeadThreadList = self;
        self->state = RuntimeThread::kFinished;
    }
    for (;;) SwitchToRuntimeThread(PickNextThread(true));
}

void WINAPI FiberStart(void* threadObject) {
    RuntimeThread* self = ThreadRecordOf(static_cast<ObjectHeader*>(threadObject));
    sCurrentThread = self;
    uintptr_t low, high;
    CurrentStackReserve(low, high);
    self->stackBase = low + kStackReserveMargin;
    self->stackTop = high;
    ThreadEntryTrampoline();
}

}  // namespace

// --- records ---

void* RuntimeThread::operator new(size_t size) { return GuardedNew(size); }
void RuntimeThread::operator delete(void* block) { GuardedDelete(block); }

RuntimeThread::RuntimeThread() {
    next = sAllThreads;
    sAllThreads = this;
    if (!sCurrentThread) sCurrentThread = this;
}

RuntimeThread::~RuntimeThread() {
    if (this == MainRuntimeThread()) return;
    if (this == sCurrentThread) ReportAssertion(kSource, __LINE__, "this != sCurrentThread");
    if (fiber) {
        if (Fibers().deleteFiber)
            Fibers().deleteFiber(fiber);
        else
            ReportAssertion(kSource, __LINE__, "DeleteFiber");
    }
}

RuntimeThread* MainRuntimeThread() {
    // In static storage, made during static initialisation before the allocator's lock exists,
    // and never destroyed: the process may end on any fiber.
    alignas(RuntimeThread) static unsigned char storage[sizeof(RuntimeThread)];
    static RuntimeThread* const main = ::new (storage) RuntimeThread;
    return main;
}

namespace {
// The main record exists from static initialisation on.
RuntimeThread* const sMainRecord = MainRuntimeThread();
}  // namespace

RuntimeThread* CurrentRuntimeThread() { return sCurrentThread ? sCurrentThread : MainRuntimeThread(); }

// --- the clock ---

uint32_t ThreadClockMs() { return sClock ? sClock() : GetTickCount(); }

void SetThreadClock(ThreadClock clock) { sClock = clock; }

// --- the run queue ---

void SetThreadSlotCount(ObjectHeader* threadObject, int32_t count) {
    RuntimeThread* record = threadObject ? ThreadRecordOf(threadObject) : MainRuntimeThread();
    if (!record) {
        ReportAssertion(kSource, __LINE__, "runThread");
        return;
    }
    if (count > record->slotCount)
        AddThreadSlots(record, count - record->slotCount);
    else if (count < record->slotCount)
        RemoveThreadSlots(record, record->slotCount - count);
    record->slotCount = count;
}

int32_t ThreadRunQueueSize() { return static_cast<int32_t>(sRunQueue.size()); }

RuntimeThread* ThreadRunQueueAt(int32_t index) {
    if (index < 0 || static_cast<uint32_t>(index) >= sRunQueue.size()) return nullptr;
    return sRunQueue.mBuf[index]->thread;
}

RuntimeThread* PickNextThread(bool mayBlock) {
    for (;;) {
        const uint32_t now = ThreadClockMs();
        ThreadSlot* pick = nullptr;
        ThreadSlot* fallback = nullptr;
        ThreadSlot* early = nullptr;
        for (uint32_t i = 0; i < sRunQueue.size(); ++i) {
            ThreadSlot* slot = sRunQueue.mBuf[i];
            const RuntimeThread* thread = slot->thread;
            if (!thread->MayRun()) continue;
            if (thread->IsAwake(now)) {
                if (!slot->ranThisCycle) {
                    pick = slot;
                    break;
                }
                if (!fallback) fallback = slot;
            } else if (!early && thread->wakeEarly && !slot->ranThisCycle) {
                early = slot;
            }
        }
        if (early) pick = early;
        if (!pick) {
            ClearThreadCycleFlags();
            if (fallback) {
                pick = fallback;
            } else if (!mayBlock) {
                return nullptr;
            } else if (!AnyEarlyWaker()) {
                // An early waker's slot is free again in the new cycle; otherwise wait for the
                // first sleeper, and when there is none, nothing can ever run.
                const uint32_t wait = TimeUntilNextWake(now);
                if (wait == kNoWake) ReportDeadlock();
                Sleep(wait);
                continue;
            } else {
                continue;
            }
        }
        pick->ranThisCycle = true;
        pick->thread->state = 0;
        return pick->thread;
    }
}

void SwitchToRuntimeThread(RuntimeThread* thread) {
    if (!thread) {
        ReportAssertion(kSource, __LINE__, "thread", "There's no thread to switch to");
        return;
    }
    if (!Fibers().switchToFiber) {
        ReportAssertion(kSource, __LINE__, "SwitchToFiberAPI");
        return;
    }
    if (thread == sCurrentThread) return;
    sCurrentThread = thread;
    if (thread->fiber) Fibers().switchToFiber(thread->fiber);
}

void YieldThread() {
    if (!sCurrentThread) {
        ReportAssertion(kSource, __LINE__, "sCurrentThread");
        return;
    }
    SwitchToRuntimeThread(PickNextThread(true));
    FreeDeadThreads();
}

RuntimeThread* NewRuntimeThread(ObjectHeader* threadObject, int32_t stackSize) {
    const FiberApi& api = Fibers();
    if (!api.createFiber) ReportAssertion(kSource, __LINE__, "CreateFiber");
    if (!api.convertThreadToFiber) ReportAssertion(kSource, __LINE__, "ConvertThreadToFiber");
    if (!api.createFiber || !api.convertThreadToFiber) return nullptr;
    void* fiber = api.createFiber(static_cast<SIZE_T>(stackSize), FiberStart, threadObject);
    if (!fiber) return nullptr;
    RuntimeThread* main = MainRuntimeThread();
    if (!main->fiber) {
        main->fiber = api.convertThreadToFiber(nullptr);
        // Without a fiber of its own the main thread could never be switched back to.
        if (!main->fiber) {
            ReportAssertion(kSource, __LINE__, "ConvertThreadToFiber");
            if (api.deleteFiber) api.deleteFiber(fiber);
            return nullptr;
        }
    }
    static ThreadTimerTask* const timerTask = new ThreadTimerTask;
    (void)timerTask;
    RuntimeThread* record = new RuntimeThread;
    record->fiber = fiber;
    record->threadObject = threadObject;
    return record;
}

void SleepRuntimeThread(RuntimeThread* thread, int32_t milliseconds, const bool* wakeEarly) {
    const uint32_t now = ThreadClockMs();
    thread->sleepStart = now;
    thread->wakeTime = now + static_cast<uint32_t>(milliseconds < 0 ? 0 : milliseconds);
    if (wakeEarly) thread->wakeEarly = *wakeEarly;
    thread->state |= RuntimeThread::kSleeping;
}

void ResumeRuntimeThread(RuntimeThread* thread) {
    if (thread->suspendCount > 0) --thread->suspendCount;
    thread->state &= ~(RuntimeThread::kSuspended | RuntimeThread::kSleeping);
    thread->sleepStart = thread->wakeTime = ThreadClockMs() - 1;
}

MainThreadHold MoveMainThreadHere(int32_t stackCheckSize) {
    RuntimeThread* main = MainRuntimeThread();
    if (sCurrentThread && sCurrentThread != main) ReportAssertion(kSource, __LINE__, "IsMainThread()");
    const MainThreadHold previous{main->fiber, main->stackBase, main->stackTop, sStackLimit};
    // Threads made before need a fiber to switch back to at once; otherwise the first new thread
    // makes it, as on the start-up thread.
    main->fiber = nullptr;
    if (previous.fiber && Fibers().convertThreadToFiber) {
        main->fiber = Fibers().convertThreadToFiber(nullptr);
        if (!main->fiber) ReportAssertion(kSource, __LINE__, "ConvertThreadToFiber");
    }
    StackCheckerInit(stackCheckSize);
    return previous;
}

void RestoreMainThreadHold(const MainThreadHold& hold) {
    RuntimeThread* main = MainRuntimeThread();
    if (main->fiber && Fibers().convertFiberToThread) Fibers().convertFiberToThread();
    main->fiber = hold.fiber;
    main->stackBase = hold.stackBase;
    main->stackTop = hold.stackTop;
    sStackLimit = hold.stackLimit;
}

extern "C" {

void ThreadSleepCurrent(int32_t milliseconds) {
    if (!sCurrentThread) {
        ReportAssertion(kSource, __LINE__, "sCurrentThread", "We don't have any threads here!");
        return;
    }
    SleepRuntimeThread(sCurrentThread, milliseconds, nullptr);
    YieldThread();
}

void YieldToNextThread() { YieldThread(); }

void YieldFromEventLoop() {
    if (!sCurrentThread) {
        ReportAssertion(kSource, __LINE__, "sCurrentThread");
        return;
    }
    if (RuntimeThread* next = PickNextThread(false)) SwitchToRuntimeThread(next);
}

bool IsMainThread() { return CurrentRuntimeThread() == MainRuntimeThread(); }

void RuntimeStackCheck() {
    const RuntimeThread* thread = sCurrentThread;
    if (!thread) return;
    const uintptr_t sp = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
    if (thread->stackBase <= sp && sp <= thread->stackTop) return;
    if (sp - kStackCheckSlack >= thread->stackBase) return;
    RaiseExceptionDefinition(StackOverflowException());
}

void StackCheckerInit(int32_t size) {
    const uintptr_t sp = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
    sStackLimit = sp - static_cast<uintptr_t>(size);
    RuntimeThread* main = MainRuntimeThread();
    if (CurrentRuntimeThread() != main) return;
    main->stackBase = sStackLimit;
    main->stackTop = sStackLimit + static_cast<uintptr_t>(size);
    SetThreadSlotCount(nullptr, 5);
}

uintptr_t StackCheckerGetLimit() { return sStackLimit; }

void StackCheckerSetLimit(uintptr_t limit) { sStackLimit = limit; }

int32_t DebuggerThreadCount() {
    int32_t count = 0;
    for (const RuntimeThread* t = sAllThreads; t; t = t->next)
        if (t->threadObject) ++count;
    return count;
}

ObjectHeader* DebuggerThreadLookup(void*, int32_t index) {
    for (const RuntimeThread* t = sAllThreads; t; t = t->next) {
        if (!t->threadObject) continue;
        if (index-- == 0) {
            RetainObject(t->threadObject);
            return t->threadObject;
        }
    }
    return nullptr;
}

void DisableTimedThreadSwitch() { sTimedSwitchDisabled = true; }

void EnableTimedThreadSwitch() { sTimedSwitchDisabled = false; }

}  // extern "C"
