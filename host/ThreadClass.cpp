// The language class Thread: a Thread object runs its Run event on a cooperative thread of its own
// from Run until the event returns.
#include <cstddef>

#include "CooperativeThreads.h"
#include "core/LinkTable.h"
#include "core/DefinitionConversion.h"
#include "core/Exceptions.h"
#include "core/FailureReport.h"
#include "core/IntrinsicTypes.h"

namespace {

constexpr const char* kSource = "RuntimeThread";
constexpr int32_t kIntegerTypeCode = 1;

struct ThreadObject {
    ObjectHeader header;
    RuntimeThread* runtimeThread;
    int32_t stackSize;
    int32_t priority;
};

#ifndef _WIN64
static_assert(sizeof(ThreadObject) == 36);
#endif

ThreadObject* Fields(ObjectHeader* thread) { return reinterpret_cast<ThreadObject*>(thread); }

EventDefinition* sRunEvent = nullptr;

EventEntry kThreadEvents[] = {
    {0, "Run", "", "", &sRunEvent, 0},
};

ParameterEntry kSleepParameters[] = {
    {"milliseconds", AsType(&kIntegerType), 0, 0, 0, 0},
    {"wakeEarly", AsType(&kBooleanType), 0, 1, 0, 0},
};

MethodEntry kThreadMethods[] = {
    {"Run", nullptr, nullptr, 0, Function(threadRun, "threadRun"), {}, kMethodPlain, 0, 0},
    {"Suspend", nullptr, nullptr, 0, Function(ThreadSuspend, "ThreadSuspend"), {}, kMethodPlain, 0,
     0},
    {"Resume", nullptr, nullptr, 0, Function(ThreadResume, "ThreadResume"), {}, kMethodPlain, 0, 0},
    {"Sleep", nullptr, kSleepParameters, 2, Function(ThreadSleep, "ThreadSleep"), {}, kMethodPlain,
     0, 0},
};

PropertyEntry kThreadProperties[] = {
    {0, "StackSize", AsType(&kIntegerType), RowFunction(ThreadGetStackSize), "ThreadGetStackSize",
     RowFunction(ThreadSetStackSize), "ThreadSetStackSize", 0, 0},
    {0, "ThreadID", AsType(&kIntegerType), RowFunction(ThreadGetID), "ThreadGetID", nullptr,
     nullptr, 0, 0},
    {0, "Priority", AsType(&kIntegerType), RowFunction(ThreadGetPriority), "ThreadGetPriority",
     RowFunction(ThreadSetPriority), "ThreadSetPriority", 0, 0},
    {0, "State", AsType(&kIntegerType), RowFunction(ThreadGetState), "ThreadGetState", nullptr,
     nullptr, 0, 0},
};

ConstantEntry kThreadConstants[] = {
    {0, "Running", kIntegerTypeCode, "0"},        {0, "Waiting", kIntegerTypeCode, "1"},
    {0, "Suspended", kIntegerTypeCode, "2"},      {0, "Sleeping", kIntegerTypeCode, "3"},
    {0, "NotRunning", kIntegerTypeCode, "4"},     {0, "LowestPriority", kIntegerTypeCode, "1"},
    {0, "NormalPriority", kIntegerTypeCode, "5"}, {0, "HighPriority", kIntegerTypeCode, "10"},
};

// Building the definition publishes the debugger stub's two entries.
void RegisterDebuggerEntries(ObjectDefinition*) {
    RegisterRelocEntry("DebuggerThreadCount", DebuggerThreadCount);
    RegisterRelocEntry("DebuggerThreadLookup", DebuggerThreadLookup);
}

const ClassRows kThreadRows = {
    .className = "Thread",
    .superclass = nullptr,
    .objectSize = sizeof(ThreadObject),
    .initializer = Function(ThreadInitializer, "ThreadInitializer"),
    .properties = kThreadProperties,
    .events = kThreadEvents,
    .methods = kThreadMethods,
    .constants = kThreadConstants,
    .filled = RegisterDebuggerEntries,
};

}  // namespace

ObjectDefinition* Thread() {
    static ObjectDefinition definition;
    return FillClassDefinition(definition, kThreadRows);
}

RuntimeThread* ThreadRecordOf(ObjectHeader* thread) {
    return thread ? Fields(thread)->runtimeThread : nullptr;
}

void RunThreadBody(ObjectHeader* thread) {
    auto run = reinterpret_cast<void (*)(ObjectHeader*)>(FindEventInstance(thread, sRunEvent));
    if (run) run(thread);
}

void ThreadFinished(ObjectHeader* thread) {
    Fields(thread)->runtimeThread = nullptr;
    ReleaseObject(thread);
}

extern "C" {

void threadRun(ObjectHeader* thread) {
    if (!thread) return RaiseNilObjectException();
    ThreadObject* fields = Fields(thread);
    if (fields->runtimeThread) {
        RaiseExceptionWithMessage(ThreadAlreadyRunningException(),
                                  string("You cannot call Run on a thread that is already running."),
                                  0);
        return;
    }
    RuntimeThread* record = NewRuntimeThread(thread, ThreadGetStackSize(thread));
    if (!record) return RaiseExceptionDefinition(OutOfMemoryException());
    fields->runtimeThread = record;
    SetThreadSlotCount(thread, fields->priority);
    // The runtime holds the object while the thread runs.
    RetainObject(thread);
    if (record->MayRun()) SwitchToRuntimeThread(record);
}

void ThreadSleep(ObjectHeader* thread, int32_t milliseconds, bool wakeEarly) {
    if (!thread) return ReportAssertion(kSource, __LINE__, "thread");
    RuntimeThread* record = Fields(thread)->runtimeThread;
    if (!record) return;
    SleepRuntimeThread(record, milliseconds, &wakeEarly);
    if (record == CurrentRuntimeThread()) YieldThread();
}

void ThreadSuspend(ObjectHeader* thread) {
    if (!thread) return ReportAssertion(kSource, __LINE__, "thread");
    RuntimeThread* record = Fields(thread)->runtimeThread;
    if (!record) return;
    ++record->suspendCount;
    record->state |= RuntimeThread::kSuspended;
    if (record == CurrentRuntimeThread()) YieldThread();
}

void ThreadResume(ObjectHeader* thread) {
    if (!thread) return ReportAssertion(kSource, __LINE__, "thread");
    if (RuntimeThread* record = Fields(thread)->runtimeThread) ResumeRuntimeThread(record);
}

int32_t ThreadGetState(ObjectHeader* thread) {
    const RuntimeThread* record = ThreadRecordOf(thread);
    if (!record) return 4;
    const uint32_t state = record->state;
    if (state == 0) return 0;
    if (state & RuntimeThread::kWaiting) return 1;
    if (state & RuntimeThread::kSuspended) return 2;
    if (state & RuntimeThread::kSleeping) return 3;
    if (state & RuntimeThread::kFinished) return 4;
    ReportAssertion(kSource, __LINE__, "0");
    return 0;
}

intptr_t ThreadGetID(ObjectHeader* thread) {
    return reinterpret_cast<intptr_t>(ThreadRecordOf(thread));
}

int32_t ThreadGetPriority(ObjectHeader* thread) { return thread ? Fields(thread)->priority : 0; }

void ThreadSetPriority(ObjectHeader* thread, int32_t, int32_t priority) {
    if (!thread || priority <= 0) return;
    Fields(thread)->priority = priority;
    if (Fields(thread)->runtimeThread) SetThreadSlotCount(thread, priority);
}

int32_t ThreadGetStackSize(ObjectHeader* thread) {
    if (!thread) return kDefaultThreadStackSize;
    const int32_t size = Fields(thread)->stackSize;
    return size <= 0 ? kDefaultThreadStackSize : size;
}

void ThreadSetStackSize(ObjectHeader* thread, int32_t, int32_t size) {
    if (!thread) return;
    if (Fields(thread)->runtimeThread) return RaiseExceptionDefinition(ThreadAlreadyRunningException());
    Fields(thread)->stackSize = size <= 0 ? kDefaultThreadStackSize : size;
}

void ThreadInitializer(ObjectHeader* thread) { Fields(thread)->priority = 5; }

ObjectHeader* QUORGetCurrentThread() {
    ObjectHeader* thread = CurrentRuntimeThread()->threadObject;
    RetainObject(thread);
    return thread;
}

}  // extern "C"
