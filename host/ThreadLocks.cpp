#include "ThreadLocks.h"

#include <cstddef>

#include "CooperativeThreads.h"
#include "core/Exceptions.h"
#include "core/FailureReport.h"
#include "core/SimpleVector.h"
#include "files/ByteStream.h"
#include "files/FolderItem.h"
#include "core/IntrinsicRegistry.h"
#include "core/IntrinsicTypes.h"

namespace {

constexpr const char* kSource = "RuntimeThread";

// Waiters in arrival order: appended at the end, taken from the front.
struct WaitList : RuntimeAllocated, SimpleVector<RuntimeThread*> {};

struct SemaphoreObject {
    ObjectHeader header;
    int32_t initialCount;
    int32_t count;
    WaitList* waitList;
};

struct CriticalSectionObject {
    ObjectHeader header;
    int32_t entryCount;
    RuntimeThread* owner;  // also the waiter a hand-over reserved the lock for
    WaitList* waitList;
};

struct MutexObject {
    CriticalSectionObject section;
    ObjectHeader* mLockFile;
    ByteStream* lockStream;
};

#ifndef _WIN64
static_assert(sizeof(SemaphoreObject) == 36 && sizeof(CriticalSectionObject) == 36);
static_assert(sizeof(MutexObject) == 44);
#endif

SemaphoreObject* AsSemaphore(ObjectHeader* object) { return reinterpret_cast<SemaphoreObject*>(object); }
CriticalSectionObject* AsSection(ObjectHeader* object) {
    return reinterpret_cast<CriticalSectionObject*>(object);
}
MutexObject* AsMutex(ObjectHeader* object) { return reinterpret_cast<MutexObject*>(object); }

void RaiseLockError(const char* message, LockError number) {
    RaiseExceptionWithMessage(IllegalLockingException(), string(message), number);
}

// --- waiting and handing over ---

// Waits until a hand-over takes the current thread off the list. False when the lock was
// destroyed meanwhile: IllegalLockingException is then raised and the lock must not be touched.
bool WaitOn(WaitList* list) {
    RuntimeThread* self = CurrentRuntimeThread();
    list->push_back(self);
    self->waitList = list;
    self->state |= RuntimeThread::kWaiting;
    YieldThread();
    self->state &= ~RuntimeThread::kWaiting;
    if (!self->waitAborted) return true;
    self->waitAborted = false;
    RaiseLockError("The lock was destroyed while the thread waited on it.", kLockDestroyedWhileWaiting);
    return false;
}

RuntimeThread* TakeFirstWaiter(WaitList* list) {
    if (!list || list->size() == 0) return nullptr;
    RuntimeThread* waiter = list->mBuf[0];
    list->remove_at(0);
    waiter->waitList = nullptr;
    waiter->state &= ~RuntimeThread::kWaiting;
    return waiter;
}

// Runs the woken waiter at once unless a Suspend still holds it; the caller stays ready.
void RunWaiter(RuntimeThread* waiter) {
    if (waiter && waiter->MayRun()) SwitchToRuntimeThread(waiter);
}

// The lock goes away: its waiters become ready and raise the error when they run.
void DestroyWaitList(WaitList*& list) {
    while (RuntimeThread* waiter = TakeFirstWaiter(list)) waiter->waitAborted = true;
    delete list;
    list = nullptr;
}

bool HeldByAnother(const CriticalSectionObject* section) {
    return section->owner && section->owner != CurrentRuntimeThread();
}

// Frees a section or Mutex whose count came back to 0 and hands it to the first waiter.
void HandOverSection(CriticalSectionObject* section) {
    section->owner = TakeFirstWaiter(section->waitList);
    RunWaiter(section->owner);
}

// --- the Mutex's lock file ---

bool TryOpenLockFile(MutexObject* mutex) {
    FolderItemImp* file = FolderItemImpOf(mutex->mLockFile);
    if (!file) {
        ReportAssertion(kSource, __LINE__, "file");
        return false;
    }
    // Opened, never truncated, and created again when another process deleted it.
    mutex->lockStream = file->OpenStream(true, true, true);
    return mutex->lockStream != nullptr;
}

void CloseLockFile(MutexObject* mutex) {
    if (!mutex->lockStream) return;
    mutex->lockStream->Close();
    delete mutex->lockStream;
    mutex->lockStream = nullptr;
}

// --- the class rows ---

ParameterEntry kSemaphoreConstructorParameters[] = {
    {"initialCount", AsType(&kIntegerType), 0, 1, 1, 0},
};

MethodEntry kSemaphoreMethods[] = {
    {"Signal", nullptr, nullptr, 0, Function(Semaphore_Signal, "Semaphore_Signal"), {}, kMethodPlain,
     0, 0},
    {"TrySignal", AsType(&kBooleanType), nullptr, 0,
     Function(Semaphore_TrySignal, "Semaphore_TrySignal"), {}, kMethodPlain, 0, 0},
    {"Release", nullptr, nullptr, 0, Function(semaphore_release, "semaphore_release"), {},
     kMethodPlain, 0, 0},
    {"Constructor", nullptr, kSemaphoreConstructorParameters, 1,
     Function(Semaphore_Constructor, "Semaphore_Constructor"), {}, kMethodPlain, 0, 0},
};

MethodEntry kCriticalSectionMethods[] = {
    {"Enter", nullptr, nullptr, 0, Function(criticalsection_enter, "criticalsection_enter"), {},
     kMethodPlain, 0, 0},
    {"TryEnter", AsType(&kBooleanType), nullptr, 0,
     Function(CriticalSection_TryEnter, "CriticalSection_TryEnter"), {}, kMethodPlain, 0, 0},
    {"Leave", nullptr, nullptr, 0, Function(criticalsection_leave, "criticalsection_leave"), {},
     kMethodPlain, 0, 0},
};

ParameterEntry kMutexConstructorParameters[] = {
    {"name", AsType(&kStringType), 0, 0, 0, 0},
};

MethodEntry kMutexMethods[] = {
    {"Enter", nullptr, nullptr, 0, Function(MutexLock, "MutexLock"), {}, kMethodPlain, 0, 0},
    {"TryEnter", AsType(&kBooleanType), nullptr, 0, Function(MutexTryLock, "MutexTryLock"), {},
     kMethodPlain, 0, 0},
    {"Leave", nullptr, nullptr, 0, Function(MutexUnlock, "MutexUnlock"), {}, kMethodPlain, 0, 0},
    {"Constructor", nullptr, kMutexConstructorParameters, 1,
     Function(MutexContructor, "MutexContructor"), {}, kMethodPlain, 0, 0},
};

const ClassRows kSemaphoreRows = {
    .className = "Semaphore",
    .superclass = nullptr,
    .objectSize = sizeof(SemaphoreObject),
    .initializer = Function(SemaphoreInitializer, "SemaphoreInitializer"),
    .finalizer = Function(SemaphoreFinalizer, "SemaphoreFinalizer"),
    .methods = kSemaphoreMethods,
};

const ClassRows kCriticalSectionRows = {
    .className = "CriticalSection",
    .superclass = nullptr,
    .objectSize = sizeof(CriticalSectionObject),
    .initializer = Function(CriticalSectionInitializer, "CriticalSectionInitializer"),
    .finalizer = Function(CriticalSectionFinalizer, "CriticalSectionFinalizer"),
    .methods = kCriticalSectionMethods,
};

const ClassRows kMutexRows = {
    .className = "Mutex",
    .superclass = CriticalSection,
    .objectSize = sizeof(MutexObject),
    .initializer = Function(MutexInitializer, "MutexInitializer"),
    .finalizer = Function(MutexFinalizer, "MutexFinalizer"),
    .methods = kMutexMethods,
};

}  // namespace

ObjectDefinition* Semaphore() {
    static ObjectDefinition definition;
    return FillClassDefinition(definition, kSemaphoreRows);
}

ObjectDefinition* CriticalSection() {
    static ObjectDefinition definition;
    return FillClassDefinition(definition, kCriticalSectionRows);
}

ObjectDefinition* Mutex() {
    static ObjectDefinition definition;
    return FillClassDefinition(definition, kMutexRows);
}

void RegisterThreadLockClasses() {
    RegisterIntrinsicClass(Semaphore());
    RegisterIntrinsicClass(CriticalSection());
    RegisterIntrinsicClass(Mutex());
}

int32_t SemaphoreCount(ObjectHeader* semaphore) { return AsSemaphore(semaphore)->count; }
int32_t CriticalSectionEntryCount(ObjectHeader* section) { return AsSection(section)->entryCount; }
RuntimeThread* CriticalSectionOwner(ObjectHeader* section) { return AsSection(section)->owner; }
ObjectHeader* MutexLockFile(ObjectHeader* mutex) { return AsMutex(mutex)->mLockFile; }
bool MutexHoldsLockFile(ObjectHeader* mutex) { return AsMutex(mutex)->lockStream != nullptr; }

extern "C" {

// --- Semaphore ---

void SemaphoreInitializer(ObjectHeader* semaphore) {
    SemaphoreObject* fields = AsSemaphore(semaphore);
    fields->initialCount = 1;
    fields->count = 1;
    fields->waitList = new WaitList;
}

void SemaphoreFinalizer(ObjectHeader* semaphore) { DestroyWaitList(AsSemaphore(semaphore)->waitList); }

void Semaphore_Constructor(ObjectHeader* semaphore, int32_t initialCount) {
    if (!semaphore) return RaiseNilObjectException();
    if (initialCount <= 0)
        return RaiseLockError("Illegal initialCount for the Semaphore.", kLockSemaphoreBadCount);
    AsSemaphore(semaphore)->initialCount = initialCount;
    AsSemaphore(semaphore)->count = initialCount;
}

void Semaphore_Signal(ObjectHeader* semaphore) {
    if (!semaphore) return RaiseNilObjectException();
    SemaphoreObject* fields = AsSemaphore(semaphore);
    // The decrement takes the unit; a waiter woken by Release owns it.
    if (--fields->count < 0) WaitOn(fields->waitList);
}

bool Semaphore_TrySignal(ObjectHeader* semaphore) {
    if (!semaphore) {
        RaiseNilObjectException();
        return false;
    }
    SemaphoreObject* fields = AsSemaphore(semaphore);
    if (fields->count - 1 < 0) return false;
    --fields->count;
    return true;
}

void semaphore_release(ObjectHeader* semaphore) {
    if (!semaphore) return RaiseNilObjectException();
    SemaphoreObject* fields = AsSemaphore(semaphore);
    if (++fields->count > fields->initialCount) {
        fields->count = fields->initialCount;
        return RaiseLockError("Called Semaphore.Release too many times.", kLockSemaphoreOverReleased);
    }
    RunWaiter(TakeFirstWaiter(fields->waitList));
}

// --- CriticalSection ---

void CriticalSectionInitializer(ObjectHeader* section) {
    CriticalSectionObject* fields = AsSection(section);
    fields->entryCount = 0;
    fields->owner = nullptr;
    fields->waitList = new WaitList;
}

void CriticalSectionFinalizer(ObjectHeader* section) {
    CriticalSectionObject* fields = AsSection(section);
    fields->owner = nullptr;
    DestroyWaitList(fields->waitList);
}

void criticalsection_enter(ObjectHeader* section) {
    if (!section) return RaiseNilObjectException();
    CriticalSectionObject* fields = AsSection(section);
    // A waiter wakes owning the lock: the hand-over reserved it.
    if (HeldByAnother(fields) && !WaitOn(fields->waitList)) return;
    fields->owner = CurrentRuntimeThread();
    ++fields->entryCount;
}

bool CriticalSection_TryEnter(ObjectHeader* section) {
    if (!section) {
        RaiseNilObjectException();
        return false;
    }
    CriticalSectionObject* fields = AsSection(section);
    if (HeldByAnother(fields)) return false;
    fields->owner = CurrentRuntimeThread();
    ++fields->entryCount;
    return true;
}

void criticalsection_leave(ObjectHeader* section) {
    if (!section) return RaiseNilObjectException();
    CriticalSectionObject* fields = AsSection(section);
    if (fields->owner != CurrentRuntimeThread())
        return RaiseLockError(
            "The thread which Entered the CriticalSection must be the thread to Leave the "
            "CriticalSection",
            kLockSectionNotOwner);
    if (--fields->entryCount > 0) return;
    if (fields->entryCount < 0) {
        ReportAssertion(kSource, __LINE__, "0");
        fields->entryCount = 0;
    }
    HandOverSection(fields);
}

// --- Mutex ---

void MutexInitializer(ObjectHeader* mutex) {
    MutexObject* fields = AsMutex(mutex);
    fields->section.entryCount = 0;
    fields->section.owner = nullptr;
    fields->mLockFile = nullptr;
    fields->lockStream = nullptr;
}

// The lock file is deleted only when no one has it open: a file another process holds, or will
// open again, stays theirs.
void MutexFinalizer(ObjectHeader* mutex) {
    MutexObject* fields = AsMutex(mutex);
    if (!fields->mLockFile) return;
    CloseLockFile(fields);
    if (FolderItemImp* file = FolderItemImpOf(fields->mLockFile)) file->DeleteUnlessOpen();
    ReleaseObject(fields->mLockFile);
    fields->mLockFile = nullptr;
}

void MutexContructor(ObjectHeader* mutex, StringRecord* name) {
    if (!mutex) return ReportAssertion(kSource, __LINE__, "mutex");
    MutexObject* fields = AsMutex(mutex);
    ObjectHeader* folder = getTemporaryItemsFolder();
    if (!folder) return ReportAssertion(kSource, __LINE__, "tempFolder");
    CloseLockFile(fields);
    ReleaseObject(fields->mLockFile);
    fields->mLockFile = string(name).IsEmpty() ? getTemporaryFolderItem() : FolderChild(folder, name);
    ReleaseObject(folder);
    FolderItemImp* file = FolderItemImpOf(fields->mLockFile);
    if (!file) return ReportAssertion(kSource, __LINE__, "mutex->mLockFile");
    // Made when missing; an existing file, perhaps held by another process, is left as it is.
    delete file->OpenStream(true, true, true);
}

void MutexLock(ObjectHeader* mutex) {
    if (!mutex) return ReportAssertion(kSource, __LINE__, "mutex");
    MutexObject* fields = AsMutex(mutex);
    CriticalSectionObject* section = &fields->section;
    for (;;) {
        if (section->owner == CurrentRuntimeThread() && fields->lockStream) break;
        if (HeldByAnother(section)) {
            if (!WaitOn(section->waitList)) return;
            continue;
        }
        if (TryOpenLockFile(fields)) break;
        // Another process holds the file: try again after a short sleep, as a sleeper rather
        // than a waiter, since no Leave in this process will wake the thread.
        ThreadSleepCurrent(kLockFileRetryMs);
    }
    section->owner = CurrentRuntimeThread();
    ++section->entryCount;
}

bool MutexTryLock(ObjectHeader* mutex) {
    if (!mutex) {
        ReportAssertion(kSource, __LINE__, "mutex");
        return false;
    }
    MutexObject* fields = AsMutex(mutex);
    CriticalSectionObject* section = &fields->section;
    const bool reentry = section->owner == CurrentRuntimeThread() && fields->lockStream;
    if (!reentry && (HeldByAnother(section) || !TryOpenLockFile(fields))) return false;
    section->owner = CurrentRuntimeThread();
    ++section->entryCount;
    return true;
}

void MutexUnlock(ObjectHeader* mutex) {
    if (!mutex) return ReportAssertion(kSource, __LINE__, "mutex");
    MutexObject* fields = AsMutex(mutex);
    CriticalSectionObject* section = &fields->section;
    if (section->owner != CurrentRuntimeThread())
        return RaiseLockError(
            "The thread which Signaled the Mutex must be the thread to Release the Mutex",
            kLockMutexNotOwner);
    if (--section->entryCount > 0) return;
    if (section->entryCount < 0) {
        ReportAssertion(kSource, __LINE__, "0");
        section->entryCount = 0;
    }
    CloseLockFile(fields);
    HandOverSection(section);
}

}  // extern "C"
