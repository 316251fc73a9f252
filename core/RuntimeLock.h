// A process-wide recursive lock (a critical section on Windows) that the runtime creates once and
// never destroys. Kept free of <windows.h> so that pure code using it builds natively too.
#pragma once

class RuntimeLock {
public:
    void Create();
    bool Exists() const { return mCreated; }
    void Enter();
    void Leave();

private:
    alignas(8) unsigned char mStorage[40] = {};
    bool mCreated = false;
};

class RuntimeLockGuard {
public:
    explicit RuntimeLockGuard(RuntimeLock& lock) : mLock(lock) { mLock.Enter(); }
    ~RuntimeLockGuard() { mLock.Leave(); }
    RuntimeLockGuard(const RuntimeLockGuard&) = delete;
    RuntimeLockGuard& operator=(const RuntimeLockGuard&) = delete;

private:
    RuntimeLock& mLock;
};
