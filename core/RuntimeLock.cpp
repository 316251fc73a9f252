#include "RuntimeLock.h"

#include <new>

#ifdef _WIN32
#include <windows.h>
using LockImpl = CRITICAL_SECTION;
static void InitImpl(LockImpl* lock) { InitializeCriticalSection(lock); }
static void EnterImpl(LockImpl* lock) { EnterCriticalSection(lock); }
static void LeaveImpl(LockImpl* lock) { LeaveCriticalSection(lock); }
#else
#include <mutex>
using LockImpl = std::recursive_mutex;
static void InitImpl(LockImpl* lock) { new (lock) LockImpl; }
static void EnterImpl(LockImpl* lock) { lock->lock(); }
static void LeaveImpl(LockImpl* lock) { lock->unlock(); }
#endif

static_assert(sizeof(LockImpl) <= 40, "RuntimeLock storage too small");

void RuntimeLock::Create() {
    InitImpl(reinterpret_cast<LockImpl*>(mStorage));
    mCreated = true;
}
void RuntimeLock::Enter() { EnterImpl(reinterpret_cast<LockImpl*>(mStorage)); }
void RuntimeLock::Leave() { LeaveImpl(reinterpret_cast<LockImpl*>(mStorage)); }
