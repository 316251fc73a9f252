/* A service as compiled code writes one: a ServiceApplication subclass whose Stop handler writes a
 * line to the log file named on the command line, and a Thread subclass started before the
 * application asks for service mode, which sleeps in turns and notes when it first runs on another
 * operating-system thread than the start-up one. After RuntimeRegisterConsoleAppObject returns,
 * the start-up thread writes its last line. Without a service control manager the runtime reports
 * the failure and ends the process. */
#include "AppSupport.h"

QV_DECLARE_FUNCTION(kernel32, GetCommandLineA, const char*, (void));
QV_DECLARE_FUNCTION(kernel32, GetCurrentThreadId, uint32_t, (void));
QV_DECLARE_FUNCTION(kernel32, CreateFileA, void*,
                    (const char* name, uint32_t access, uint32_t share, void* security,
                     uint32_t disposition, uint32_t flags, void* pattern));
QV_DECLARE_FUNCTION(kernel32, CloseHandle, int32_t, (void* handle));

void QV_CDECL RuntimeRegisterConsoleAppObject(ObjectHeader* application, int32_t serviceMode);

static const char* sLogPath;
static uint32_t sStartupThread;
static volatile uint32_t sWorkerThread;

/* The log path: the command line after the program's name. */
static const char* Argument(void) {
    const char* line = GetCommandLineA();
    if (*line == '"') {
        line++;
        while (*line && *line != '"') line++;
        if (*line) line++;
    } else {
        while (*line && *line != ' ') line++;
    }
    while (*line == ' ') line++;
    return *line ? line : 0;
}

/* Appends the text to the log, or prints it when there is no log. */
static void Log(const char* text) {
    uint32_t count = 0, written;
    void* file;
    if (!sLogPath) {
        Print(text);
        return;
    }
    while (text[count]) count++;
    /* FILE_APPEND_DATA, shared for reading and writing, OPEN_ALWAYS. */
    file = CreateFileA(sLogPath, 4, 3, 0, 4, 0x80, 0);
    if (file == (void*)-1) return;
    WriteFile(file, text, count, &written, 0);
    CloseHandle(file);
}

static void QV_CDECL OnWorkerRun(ObjectHeader* self) {
    for (;;) {
        uint32_t thread = GetCurrentThreadId();
        if (thread != sStartupThread && sWorkerThread != thread) {
            sWorkerThread = thread;
            Log("thread: runs on the service thread\n");
        }
        ThreadSleep(self, 20, 0);
    }
}

static void QV_CDECL OnStop(ObjectHeader* self, bool shuttingDown) {
    uint32_t thread = GetCurrentThreadId();
    (void)self;
    Log(shuttingDown ? "Stop(True)" : "Stop(False)");
    Log(thread == sStartupThread  ? " on the start-up thread\n"
        : thread == sWorkerThread ? " on the service thread, beside the thread\n"
                                  : " on another thread\n");
}

void QvMain(void) {
    ClassRecord* serviceClass;
    ClassRecord* workerClass;
    ObjectHeader* worker;
    ObjectHeader* service;

    RuntimeInit();
    RuntimeInitExternalClasses();
    sLogPath = Argument();
    sStartupThread = GetCurrentThreadId();
    Log("start-up\n");
    workerClass = Subclass(RuntimeLookupClass(QV_LITERAL("Thread")), QV_LITERAL("Worker"), 0,
                           "Run", (void*)OnWorkerRun);
    serviceClass = Subclass(RuntimeLookupClass(QV_LITERAL("ServiceApplication")),
                            QV_LITERAL("TestService"), 0, "Stop", (void*)OnStop);
    worker = RuntimeNewObject(workerClass);
    threadRun(worker);
    service = RuntimeNewObject(serviceClass);
    RuntimeRegisterConsoleAppObject(service, 1);
    Log("start-up thread goes on\n");
    RuntimeUnlockObject(service);
    RuntimeUnlockObject(worker);
    RuntimeExit();
}
