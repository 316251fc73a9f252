// The thread locks Semaphore, CriticalSection and Mutex. They are built on the cooperative
// scheduler, not on the operating system: a thread that must wait joins the lock's wait list and
// yields; the thread that frees the lock takes the first waiter off the list, reserves the lock for
// it and switches to it at once. A Mutex also holds a lock file in the temporary folder open while
// it is held, so that it excludes other processes that use the same name.
#pragma once

#include <cstdint>

#include "core/ClassDefinition.h"
#include "core/ObjectModel.h"

ObjectDefinition* Semaphore();
ObjectDefinition* CriticalSection();
ObjectDefinition* Mutex();
void RegisterThreadLockClasses();

// ErrorNumbers of the IllegalLockingException the locks raise.
enum LockError : int32_t {
    kLockSemaphoreOverReleased = 0,
    kLockSemaphoreBadCount = 1,
    kLockSectionNotOwner = 2,
    kLockMutexNotOwner = 3,
    kLockDestroyedWhileWaiting = 4,
};

// How often a thread kept out by another process's hold on a lock file tries the file again.
constexpr int32_t kLockFileRetryMs = 10;

extern "C" {
void SemaphoreInitializer(ObjectHeader* semaphore);
void SemaphoreFinalizer(ObjectHeader* semaphore);
void Semaphore_Constructor(ObjectHeader* semaphore, int32_t initialCount);
void Semaphore_Signal(ObjectHeader* semaphore);
bool Semaphore_TrySignal(ObjectHeader* semaphore);
void semaphore_release(ObjectHeader* semaphore);

void CriticalSectionInitializer(ObjectHeader* section);
void CriticalSectionFinalizer(ObjectHeader* section);
void criticalsection_enter(ObjectHeader* section);
bool CriticalSection_TryEnter(ObjectHeader* section);
void criticalsection_leave(ObjectHeader* section);

void MutexInitializer(ObjectHeader* mutex);
void MutexFinalizer(ObjectHeader* mutex);
void MutexContructor(ObjectHeader* mutex, StringRecord* name);
void MutexLock(ObjectHeader* mutex);
bool MutexTryLock(ObjectHeader* mutex);
void MutexUnlock(ObjectHeader* mutex);
}

// For tests: a Semaphore's count, a section's entry count and owner, a Mutex's lock file.
int32_t SemaphoreCount(ObjectHeader* semaphore);
int32_t CriticalSectionEntryCount(ObjectHeader* section);
struct RuntimeThread* CriticalSectionOwner(ObjectHeader* section);
ObjectHeader* MutexLockFile(ObjectHeader* mutex);
bool MutexHoldsLockFile(ObjectHeader* mutex);
