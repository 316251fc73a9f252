/* Cooperative threads and locks as a compiled application uses them: a Thread subclass whose Run
 * event calls the body stored in the object, an Application subclass that handles unhandled
 * exceptions, and one scenario per run, chosen by the variable QV_TEST_SCENARIO. Each scenario
 * prints one line. Turns are logged as one letter each and printed run-length encoded, "2x5 1x5"
 * for five turns of thread 2 followed by five of thread 1. */
#include "AppSupport.h"

void QV_CDECL RuntimeRegisterAppObject(ObjectHeader* application);

typedef void(QV_CDECL* Body)(ObjectHeader* self);

static ClassRecord* sThreadClass;
static int32_t sBodyOffset;
static ObjectHeader* sApplication;

static char sLog[512];
static int32_t sLogLength;
static volatile int32_t sStop;
static int32_t sTurns;

static void Log(char letter) {
    if (sLogLength < (int32_t)sizeof sLog) sLog[sLogLength++] = letter;
}

static void PrintLog(void) {
    int32_t i = 0;
    while (i < sLogLength) {
        int32_t run = 1;
        while (i + run < sLogLength && sLog[i + run] == sLog[i]) run++;
        Write(&sLog[i], 1);
        Print("x");
        PrintInt(run);
        Print(" ");
        i += run;
    }
    sLogLength = 0;
}

static void QV_CDECL OnRun(ObjectHeader* self) {
    Body body = *(Body*)((char*)self + sBodyOffset);
    if (body) body(self);
}

static ObjectHeader* NewThread(Body body) {
    ObjectHeader* thread = RuntimeNewObject(sThreadClass);
    *(Body*)((char*)thread + sBodyOffset) = body;
    return thread;
}

static ObjectHeader* NewLock(StringRecord* className) {
    return RuntimeNewObject(RuntimeLookupClass(className));
}

static void MainYields(int32_t count) {
    int32_t i;
    for (i = 0; i < count; i++) YieldToNextThread();
}

/* ---- scheduling ---- */

static void QV_CDECL LogOnes(ObjectHeader* self) {
    (void)self;
    while (!sStop) {
        Log('1');
        YieldToNextThread();
    }
}

static void QV_CDECL LogTwos(ObjectHeader* self) {
    (void)self;
    while (!sStop) {
        Log('2');
        YieldToNextThread();
    }
}

/* Thread 1 and thread 2 of the same priority, then 1 against 10, logging a turn each time. */
static void Schedule(int32_t firstPriority, int32_t secondPriority, const char* label) {
    ObjectHeader* first = NewThread(LogOnes);
    ObjectHeader* second = NewThread(LogTwos);
    int32_t i;
    ThreadSetPriority(first, 0, firstPriority);
    ThreadSetPriority(second, 0, secondPriority);
    sStop = 0;
    threadRun(first);
    threadRun(second);
    for (i = 0; i < 25; i++) {
        Log('M');
        YieldToNextThread();
    }
    sStop = 1;
    while (ThreadGetState(first) != 4 || ThreadGetState(second) != 4) YieldToNextThread();
    Print(label);
    PrintLog();
    Print("\n");
    RuntimeUnlockObject(first);
    RuntimeUnlockObject(second);
}

/* ---- sleeping ---- */

static bool sWakeEarly;
static uint32_t sWokeAfter;

static void QV_CDECL Sleeper(ObjectHeader* self) {
    uint32_t start = GetTickCount();
    ThreadSleep(self, 100, sWakeEarly);
    sWokeAfter = GetTickCount() - start;
    sStop = 1;
}

static void Sleeping(void) {
    int32_t early;
    Print("sleep:");
    for (early = 0; early < 2; early++) {
        ObjectHeader* thread = NewThread(Sleeper);
        sWakeEarly = early;
        sStop = 0;
        threadRun(thread);
        while (!sStop) YieldToNextThread();
        Print(sWokeAfter >= 95 ? " on time" : " early");
        RuntimeUnlockObject(thread);
    }
    Print("\n");
}

/* ---- suspending, states and properties ---- */

static void QV_CDECL Counter(ObjectHeader* self) {
    (void)self;
    while (!sStop) {
        sTurns++;
        YieldToNextThread();
    }
}

static ObjectHeader* sRunning;

static void QV_CDECL RunAgain(ObjectHeader* volatile* raised) {
    (void)raised;
    threadRun(sRunning);
}

static void States(void) {
    ObjectHeader* thread = NewThread(Counter);
    ObjectHeader* caught = 0;
    int32_t held, idBefore, idWhile;
    sStop = 0;
    ThreadSetStackSize(thread, 0, -1);
    Print("states: stack ");
    PrintInt(ThreadGetStackSize(thread));
    Print(" before ");
    PrintInt(ThreadGetState(thread));
    idBefore = ThreadGetID(thread);
    threadRun(thread);
    idWhile = ThreadGetID(thread);
    Print(" ready ");
    PrintInt(ThreadGetState(thread));
    ThreadSuspend(thread);
    Print(" suspended ");
    PrintInt(ThreadGetState(thread));
    held = sTurns;
    MainYields(20);
    Print(held == sTurns ? " held" : " ran");
    ThreadResume(thread);
    MainYields(20);
    Print(held == sTurns ? " held" : " resumed");
    ThreadSleep(thread, 100000, false);
    Print(" sleeping ");
    PrintInt(ThreadGetState(thread));
    ThreadResume(thread);
    Print(idBefore == 0 && idWhile != 0 ? " id" : " no-id");

    sRunning = thread;
    if (QvTry(RunAgain, &caught) == 2) {
        Print(" rerun \"");
        PrintString(ExceptionMessage(caught));
        Print("\" ");
        PrintInt(ExceptionErrorNumber(caught));
        RuntimeUnlockObject(caught);
    }
    sStop = 1;
    while (ThreadGetState(thread) != 4) YieldToNextThread();
    Print(" finished ");
    PrintInt(ThreadGetState(thread));
    PrintInt(ThreadGetID(thread));
    sStop = 0;
    held = sTurns;
    threadRun(thread);
    sStop = 1;
    while (ThreadGetState(thread) != 4) YieldToNextThread();
    Print(sTurns > held ? " ran again\n" : " did not run again\n");
    RuntimeUnlockObject(thread);
}

/* ---- stack overflow in a thread ---- */

static int32_t sDepth;

static void QV_CDECL Recurse(ObjectHeader* volatile* raised) {
    volatile char pad[256];
    pad[0] = 0;
    sDepth++;
    RuntimeStackCheck();
    if (*raised) return;
    Recurse(raised);
    (void)pad[0];
}

static void QV_CDECL Overflowing(ObjectHeader* self) {
    ObjectHeader* caught = 0;
    (void)self;
    if (QvTry(Recurse, &caught) == 2) {
        Print("overflow: caught ");
        PrintString(caught->classPtr->name);
        Print(sDepth > 1000 ? " deep" : " shallow");
        RuntimeUnlockObject(caught);
    } else {
        Print("overflow: not caught");
    }
}

/* ---- an exception escaping Run ---- */

static void QV_CDECL Raising(ObjectHeader* self) {
    ObjectHeader* exception = RuntimeNewObject(RuntimeLookupClass(QV_LITERAL("RuntimeException")));
    (void)self;
    Print("thread raises, ");
    RuntimeRaiseException(exception);
    RuntimeUnlockObject(exception);
    /* Compiled code returns at once after a raise its own handler does not catch. */
}

static bool QV_CDECL OnUnhandledException(ObjectHeader* self, ObjectHeader* exception) {
    (void)self;
    Print("UnhandledException ");
    PrintString(exception->classPtr->name);
    Print(", ");
    return 1;
}

/* ---- locks ---- */

static ObjectHeader* sLock;
static bool sTried;

static void QV_CDECL SignalAndLog(ObjectHeader* self) {
    Semaphore_Signal(sLock);
    Log((char)('0' + ThreadGetPriority(self)));
}

static void SemaphoreOfTwo(void) {
    ObjectHeader* threads[3];
    int32_t i;
    sLock = NewLock(QV_LITERAL("Semaphore"));
    Semaphore_Constructor(sLock, 2);
    for (i = 0; i < 3; i++) {
        threads[i] = NewThread(SignalAndLog);
        ThreadSetPriority(threads[i], 0, i + 1);
        threadRun(threads[i]);
    }
    Print("semaphore: passed ");
    PrintLog();
    Print(Semaphore_TrySignal(sLock) ? "trysignal true" : "trysignal false");
    Print(", release runs ");
    semaphore_release(sLock);
    PrintLog();
    Print("\n");
    for (i = 0; i < 3; i++) RuntimeUnlockObject(threads[i]);
    RuntimeUnlockObject(sLock);
}

static ObjectHeader* sErrorLock;
static void QV_CDECL BadCount(ObjectHeader* volatile* raised) {
    (void)raised;
    Semaphore_Constructor(sErrorLock, 0);
}
static void QV_CDECL OverRelease(ObjectHeader* volatile* raised) {
    (void)raised;
    semaphore_release(sErrorLock);
}
static void QV_CDECL LeaveSection(ObjectHeader* volatile* raised) {
    (void)raised;
    criticalsection_leave(sErrorLock);
}
static void QV_CDECL LeaveMutex(ObjectHeader* volatile* raised) {
    (void)raised;
    MutexUnlock(sErrorLock);
}

static void ExpectError(TryBody body, ObjectHeader* lock) {
    ObjectHeader* caught = 0;
    sErrorLock = lock;
    if (QvTry(body, &caught) != 2) {
        Print(" none");
        return;
    }
    Print(" ");
    PrintInt(ExceptionErrorNumber(caught));
    Print(" \"");
    PrintString(ExceptionMessage(caught));
    Print("\"");
    RuntimeUnlockObject(caught);
}

static void LockErrors(void) {
    ObjectHeader* semaphore = NewLock(QV_LITERAL("Semaphore"));
    ObjectHeader* section = NewLock(QV_LITERAL("CriticalSection"));
    ObjectHeader* mutex = RuntimeNewObject(RuntimeLookupClass(QV_LITERAL("Mutex")));
    MutexContructor(mutex, QV_LITERAL("qv-threads-app-errors.lock"));
    Print("errors:");
    ExpectError(BadCount, semaphore);
    ExpectError(OverRelease, semaphore);
    ExpectError(LeaveSection, section);
    ExpectError(LeaveMutex, mutex);
    Print("\n");
    RuntimeUnlockObject(semaphore);
    RuntimeUnlockObject(section);
    RuntimeUnlockObject(mutex);
}

static void QV_CDECL EnterAndLog(ObjectHeader* self) {
    criticalsection_enter(sLock);
    Log((char)('a' - 1 + ThreadGetPriority(self)));
    criticalsection_leave(sLock);
}

static void QV_CDECL TryThenEnter(ObjectHeader* self) {
    (void)self;
    sTried = CriticalSection_TryEnter(sLock);
    criticalsection_enter(sLock);
    Log('E');
    criticalsection_leave(sLock);
}

static void Waiters(void) {
    ObjectHeader* threads[3];
    ObjectHeader* other;
    int32_t i;
    sLock = NewLock(QV_LITERAL("CriticalSection"));
    criticalsection_enter(sLock);
    for (i = 0; i < 3; i++) {
        threads[i] = NewThread(EnterAndLog);
        ThreadSetPriority(threads[i], 0, 3 - i);
        threadRun(threads[i]);
    }
    criticalsection_leave(sLock);
    MainYields(20);
    Print("waiters: ");
    PrintLog();

    /* The owner enters twice; the other thread gets in after the second Leave only. */
    criticalsection_enter(sLock);
    criticalsection_enter(sLock);
    criticalsection_leave(sLock);
    other = NewThread(TryThenEnter);
    threadRun(other);
    MainYields(20);
    Print(sTried ? "reentered: tried in" : "reentered: tried out");
    Print(sLogLength ? " entered early" : " waits");
    criticalsection_leave(sLock);
    Print(sLogLength ? " entered at last Leave\n" : " still out\n");
    sLogLength = 0;
    for (i = 0; i < 3; i++) RuntimeUnlockObject(threads[i]);
    RuntimeUnlockObject(other);
    RuntimeUnlockObject(sLock);
}

/* A lock waiter that is resumed stays out of the lock until it is handed over. */
static void QV_CDECL EnterOnce(ObjectHeader* self) {
    (void)self;
    criticalsection_enter(sLock);
    Log('I');
    criticalsection_leave(sLock);
}

static void ResumedWaiter(void) {
    ObjectHeader* waiter = NewThread(EnterOnce);
    sLock = NewLock(QV_LITERAL("CriticalSection"));
    criticalsection_enter(sLock);
    threadRun(waiter);
    ThreadResume(waiter);
    MainYields(20);
    Print(sLogLength ? "resumed: got in while held" : "resumed: stays out");
    criticalsection_leave(sLock);
    Print(sLogLength ? ", in after Leave\n" : ", never in\n");
    RuntimeUnlockObject(waiter);
    RuntimeUnlockObject(sLock);
}

/* Every thread blocked for good: the holder of the lock suspends itself, the main thread waits. */
static void QV_CDECL HoldAndSuspend(ObjectHeader* self) {
    criticalsection_enter(sLock);
    ThreadSuspend(self);
}

static void Deadlock(void) {
    ObjectHeader* holder = NewThread(HoldAndSuspend);
    sLock = NewLock(QV_LITERAL("CriticalSection"));
    threadRun(holder);
    Print("deadlock: main waits\n");
    criticalsection_enter(sLock);
    Print("deadlock: main got in\n");
}

void QvMain(void) {
    ClassRecord* threadBase;
    ClassRecord* appBase;
    ObjectHeader* thread;

    RuntimeInit();
    RuntimeInitExternalClasses();
    threadBase = RuntimeLookupClass(QV_LITERAL("Thread"));
    sBodyOffset = threadBase->instanceSize;
    sThreadClass = Subclass(threadBase, QV_LITERAL("WorkerThread"), (int32_t)sizeof(Body), "Run",
                            (void*)OnRun);
    appBase = RuntimeLookupClass(QV_LITERAL("Application"));
    sApplication = RuntimeNewObject(Subclass(appBase, QV_LITERAL("ThreadsApp"), 0,
                                             "UnhandledException", (void*)OnUnhandledException));
    RuntimeRegisterAppObject(sApplication);
    RuntimeUnlockObject(sApplication);

    if (EnvironmentIs("QV_TEST_SCENARIO", "order")) Schedule(5, 5, "order: ");
    if (EnvironmentIs("QV_TEST_SCENARIO", "priority")) Schedule(1, 10, "priority: ");
    if (EnvironmentIs("QV_TEST_SCENARIO", "sleep")) Sleeping();
    if (EnvironmentIs("QV_TEST_SCENARIO", "states")) States();
    if (EnvironmentIs("QV_TEST_SCENARIO", "overflow")) {
        thread = NewThread(Overflowing);
        threadRun(thread);
        while (ThreadGetState(thread) != 4) YieldToNextThread();
        Print(", thread ended\n");
        RuntimeUnlockObject(thread);
    }
    if (EnvironmentIs("QV_TEST_SCENARIO", "unhandled")) {
        thread = NewThread(Raising);
        threadRun(thread);
        while (ThreadGetState(thread) != 4) YieldToNextThread();
        Print("thread ended, main goes on\n");
        RuntimeUnlockObject(thread);
    }
    if (EnvironmentIs("QV_TEST_SCENARIO", "semaphore")) SemaphoreOfTwo();
    if (EnvironmentIs("QV_TEST_SCENARIO", "errors")) LockErrors();
    if (EnvironmentIs("QV_TEST_SCENARIO", "waiters")) Waiters();
    if (EnvironmentIs("QV_TEST_SCENARIO", "resumed")) ResumedWaiter();
    if (EnvironmentIs("QV_TEST_SCENARIO", "deadlock")) Deadlock();
    RuntimeExit();
}
