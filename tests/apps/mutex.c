/* Two processes sharing a Mutex by name. Run as "holder" it enters the Mutex, makes the file
 * "held" in the folder QV_MUTEX_DIR names, waits there for the file "release", waits a little
 * longer so that the probe is already waiting, and leaves. Run as "probe" it waits for "held",
 * checks that TryEnter fails, destroys a second Mutex of the same name and checks that the first
 * still excludes, makes "release", enters (waiting until the holder leaves), leaves and enters
 * once more with TryEnter once the holder has destroyed its Mutex. Each step prints a word on
 * one line. */
#include "AppSupport.h"

QV_DECLARE_FUNCTION(kernel32, GetCommandLineA, const char*, (void));
QV_DECLARE_FUNCTION(kernel32, GetFileAttributesA, uint32_t, (const char* path));
QV_DECLARE_FUNCTION(kernel32, CreateFileA, void*,
                    (const char* path, uint32_t access, uint32_t share, void* security,
                     uint32_t disposition, uint32_t flags, void* pattern));
QV_DECLARE_FUNCTION(kernel32, CloseHandle, int32_t, (void* handle));

static char sPath[300];

/* QV_MUTEX_DIR\name into sPath. */
static const char* InFolder(const char* name) {
    uint32_t length = GetEnvironmentVariableA("QV_MUTEX_DIR", sPath, 260);
    uint32_t i = 0;
    if (length >= 260) length = 0;
    sPath[length++] = '\\';
    while (name[i] && length < sizeof sPath - 1) sPath[length++] = name[i++];
    sPath[length] = 0;
    return sPath;
}

static int Exists(const char* name) { return GetFileAttributesA(InFolder(name)) != 0xFFFFFFFFu; }

static void Touch(const char* name) {
    CloseHandle(CreateFileA(InFolder(name), 0x40000000u /* GENERIC_WRITE */, 0, 0, 2 /* CREATE_ALWAYS */,
                            0x80 /* FILE_ATTRIBUTE_NORMAL */, 0));
}

/* Sleeps the main thread (the event loop steps once first) until the file exists; false after
 * about 20 seconds. */
static int WaitForFile(const char* name) {
    int32_t i;
    for (i = 0; i < 1000; i++) {
        if (Exists(name)) return 1;
        RuntimeDoEvents(0, 20);
    }
    return 0;
}

static int Argument(const char* word) {
    const char* line = GetCommandLineA();
    const char* p = line;
    int32_t i;
    while (*p) {
        for (i = 0; word[i] && p[i] == word[i]; i++) {}
        if (!word[i] && (p[i] == 0 || p[i] == ' ' || p[i] == '"')) return 1;
        p++;
    }
    return 0;
}

static ObjectHeader* NewMutex(void) {
    ObjectHeader* mutex = RuntimeNewObject(RuntimeLookupClass(QV_LITERAL("Mutex")));
    MutexContructor(mutex, QV_LITERAL("qv-test-two-processes.lock"));
    return mutex;
}

void QvMain(void) {
    ObjectHeader* mutex;
    RuntimeInit();
    RuntimeInitExternalClasses();
    mutex = NewMutex();
    if (Argument("holder")) {
        MutexLock(mutex);
        Touch("held");
        Print("holder: entered\n");
        if (!WaitForFile("release")) Print("holder: no release asked\n");
        RuntimeDoEvents(0, 500);
        MutexUnlock(mutex);
        Print("holder: left\n");
        /* Destroying the Mutex looks at the file with no sharing; the probe's last TryEnter
           comes after that. */
        RuntimeUnlockObject(mutex);
        mutex = 0;
        Touch("done");
    } else {
        ObjectHeader* second;
        if (!WaitForFile("held")) Print("probe: no holder\n");
        Print(MutexTryLock(mutex) ? "probe: TryEnter true while held\n"
                                  : "probe: TryEnter false while held\n");
        second = NewMutex();
        RuntimeUnlockObject(second);
        Print(MutexTryLock(mutex) ? "probe: TryEnter true after another Mutex died\n"
                                  : "probe: TryEnter false after another Mutex died\n");
        Touch("release");
        MutexLock(mutex);
        Print("probe: Enter returned after the holder left\n");
        MutexUnlock(mutex);
        if (!WaitForFile("done")) Print("probe: the holder never finished\n");
        Print(MutexTryLock(mutex) ? "probe: TryEnter true after the last Leave\n"
                                  : "probe: TryEnter false after the last Leave\n");
        MutexUnlock(mutex);
    }
    if (mutex) RuntimeUnlockObject(mutex);
    RuntimeExit();
}
