#include <windows.h>

#include <functional>
#include <string>

#include "FailureRecorder.h"
#include "RaisedExceptions.h"
#include "StringTesting.h"
#include "ThreadTesting.h"
#include "files/FolderItem.h"
#include "host/ThreadLocks.h"

using namespace threadtesting;

namespace {

class Locks : public ThreadFixture {
protected:
    ObjectHeader* NewLock(ObjectDefinition* definition) {
        ObjectHeader* lock = CreateInstance(definition);
        mLocks.push_back(lock);
        return lock;
    }
    ObjectHeader* NewSemaphore(int32_t count) {
        ObjectHeader* semaphore = NewLock(Semaphore());
        Semaphore_Constructor(semaphore, count);
        return semaphore;
    }
    ObjectHeader* NewMutex(const std::string& name) {
        ObjectHeader* mutex = NewLock(Mutex());
        MutexContructor(mutex, string(name.c_str()).Record());
        return mutex;
    }
    void TearDown() override {
        ThreadFixture::TearDown();
        for (ObjectHeader* lock : mLocks) RuntimeUnlockObject(lock);
    }

    std::deque<ObjectHeader*> mLocks;
};

std::string LockFilePath(ObjectHeader* mutex) {
    return std::string(BytesOf(string(fileAbsolutePathGetter(MutexLockFile(mutex), 0)).ToUTF8()));
}

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Another process's hold on a lock file: open for reading and writing, others may only read.
HANDLE HoldFile(const std::string& path) {
    return CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                       OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

std::string UniqueName(const char* what) {
    return std::string("qv-") + what + "-" + std::to_string(GetCurrentProcessId()) + ".lock";
}

}  // namespace

TEST_F(Locks, SemaphoreOfTwoMakesTheThirdWait) {
    ObjectHeader* semaphore = NewSemaphore(2);
    bool release = false;
    for (char id : {'1', '2', '3'}) {
        Start([&, id](ObjectHeader*) {
            Semaphore_Signal(semaphore);
            Log(std::string(1, id));
            while (!release) YieldToNextThread();
        });
    }
    EXPECT_EQ(mLog, "12");
    EXPECT_EQ(SemaphoreCount(semaphore), -1);
    EXPECT_FALSE(Semaphore_TrySignal(semaphore));
    EXPECT_EQ(SemaphoreCount(semaphore), -1);
    // The unit goes to the waiter, which runs before Release returns.
    semaphore_release(semaphore);
    EXPECT_EQ(mLog, "123");
    EXPECT_EQ(SemaphoreCount(semaphore), 0);
    release = true;
    FinishAll();
}

TEST_F(Locks, ErrorsRaiseIllegalLockingException) {
    RaisedExceptions raised;
    ObjectHeader* section = NewLock(CriticalSection());
    ObjectHeader* mutex = NewMutex(UniqueName("errors"));
    struct Case {
        const char* what;
        std::function<void()> operation;
        std::function<void()> check;
        const char* message;
        int32_t number;
    };
    ObjectHeader* zero = NewLock(Semaphore());
    ObjectHeader* full = NewSemaphore(3);
    const Case cases[] = {
        {"semaphore of 0", [&] { Semaphore_Constructor(zero, 0); },
         [&] {
             EXPECT_EQ(SemaphoreCount(zero), 1);
             semaphore_release(zero);  // the ceiling is 1
             EXPECT_EQ(SemaphoreCount(zero), 1);
             raised.Take();
         },
         "Illegal initialCount for the Semaphore.", 1},
        {"release too often", [&] { semaphore_release(full); },
         [&] { EXPECT_EQ(SemaphoreCount(full), 3); },
         "Called Semaphore.Release too many times.", 0},
        {"section left by another thread",
         [&] {
             criticalsection_enter(section);
             Start([&](ObjectHeader*) { criticalsection_leave(section); });
         },
         [&] {
             EXPECT_EQ(CriticalSectionEntryCount(section), 1);
             EXPECT_EQ(CriticalSectionOwner(section), MainRuntimeThread());
             criticalsection_leave(section);
         },
         "The thread which Entered the CriticalSection must be the thread to Leave the CriticalSection",
         2},
        {"mutex left by a thread that never entered", [&] { MutexUnlock(mutex); },
         [&] { EXPECT_EQ(CriticalSectionEntryCount(mutex), 0); },
         "The thread which Signaled the Mutex must be the thread to Release the Mutex", 3},
    };
    for (const Case& c : cases) {
        const size_t before = raised.Seen().size();
        c.operation();
        FinishAll();
        ASSERT_EQ(raised.Seen().size(), before + 1) << c.what;
        const auto& seen = raised.Seen()[before];
        EXPECT_EQ(seen.name, "IllegalLockingException") << c.what;
        EXPECT_EQ(seen.message, c.message) << c.what;
        EXPECT_EQ(seen.errorNumber, c.number) << c.what;
        c.check();
    }
}

TEST_F(Locks, WaitersAreWokenInArrivalOrder) {
    ObjectHeader* section = NewLock(CriticalSection());
    ObjectHeader* semaphore = NewSemaphore(1);
    for (ObjectHeader* lock : {section, semaphore}) {
        mLog.clear();
        const bool isSection = lock == section;
        auto enter = [&] { isSection ? criticalsection_enter(lock) : Semaphore_Signal(lock); };
        auto leave = [&] { isSection ? criticalsection_leave(lock) : semaphore_release(lock); };
        enter();
        for (char id : {'a', 'b', 'c'}) {
            Start([&, id, enter, leave](ObjectHeader*) {
                enter();
                Log(std::string(1, id));
                leave();
            });
        }
        EXPECT_EQ(mLog, "");
        leave();
        FinishAll();
        EXPECT_EQ(mLog, "abc");
    }
}

TEST_F(Locks, OwnerReentersAndOthersWaitForTheLastLeave) {
    ObjectHeader* section = NewLock(CriticalSection());
    criticalsection_enter(section);
    criticalsection_enter(section);
    criticalsection_leave(section);
    EXPECT_EQ(CriticalSectionEntryCount(section), 1);
    bool tried = true;
    Start([&](ObjectHeader*) {
        tried = CriticalSection_TryEnter(section);
        criticalsection_enter(section);
        Log("entered");
        criticalsection_leave(section);
    });
    EXPECT_FALSE(tried);
    for (int i = 0; i < 20; ++i) YieldToNextThread();
    EXPECT_EQ(mLog, "");
    criticalsection_leave(section);
    EXPECT_EQ(mLog, "entered");
    EXPECT_EQ(CriticalSectionOwner(section), nullptr);
}

// Resume does not end a lock wait, and a hand-over keeps the lock for a waiter that a Suspend
// still holds.
TEST_F(Locks, SuspendAndResumeDoNotBreakALockWait) {
    ObjectHeader* section = NewLock(CriticalSection());
    criticalsection_enter(section);
    ObjectHeader* waiter = Start([&](ObjectHeader*) {
        criticalsection_enter(section);
        Log("in");
        criticalsection_leave(section);
    });
    EXPECT_EQ(ThreadGetState(waiter), 1);
    ThreadResume(waiter);
    for (int i = 0; i < 20; ++i) YieldToNextThread();
    EXPECT_EQ(mLog, "");
    EXPECT_EQ(CriticalSectionOwner(section), MainRuntimeThread());

    ThreadSuspend(waiter);
    criticalsection_leave(section);
    EXPECT_EQ(mLog, "");
    EXPECT_EQ(CriticalSectionOwner(section), ThreadRecordOf(waiter));
    EXPECT_FALSE(CriticalSection_TryEnter(section));
    EXPECT_EQ(ThreadGetState(waiter), 2);
    ThreadResume(waiter);
    FinishAll();
    EXPECT_EQ(mLog, "in");
    EXPECT_TRUE(CriticalSection_TryEnter(section));
    criticalsection_leave(section);
}

TEST_F(Locks, DestroyedLockWakesItsWaitersWithAnError) {
    RaisedExceptions raised;
    ObjectHeader* semaphore = CreateInstance(Semaphore());
    Semaphore_Signal(semaphore);
    Start([&](ObjectHeader*) {
        Semaphore_Signal(semaphore);
        Log("woke");
    });
    Start([&](ObjectHeader*) {
        Semaphore_Signal(semaphore);
        Log("woke");
    });
    RuntimeUnlockObject(semaphore);
    FinishAll();
    ASSERT_EQ(raised.Seen().size(), 2u);
    EXPECT_EQ(raised.Seen()[0].name, "IllegalLockingException");
    EXPECT_EQ(raised.Seen()[0].errorNumber, kLockDestroyedWhileWaiting);
    EXPECT_EQ(raised.Seen()[0].message, "The lock was destroyed while the thread waited on it.");
}

TEST_F(Locks, MutexHoldsItsLockFileWhileEntered) {
    ObjectHeader* mutex = NewMutex(UniqueName("held"));
    const std::string path = LockFilePath(mutex);
    EXPECT_TRUE(FileExists(path)) << path;
    EXPECT_FALSE(MutexHoldsLockFile(mutex));

    MutexLock(mutex);
    MutexLock(mutex);
    EXPECT_TRUE(MutexTryLock(mutex));
    EXPECT_EQ(CriticalSectionEntryCount(mutex), 3);
    EXPECT_EQ(HoldFile(path), INVALID_HANDLE_VALUE);
    bool tried = true;
    Start([&](ObjectHeader*) { tried = MutexTryLock(mutex); });
    EXPECT_FALSE(tried);
    MutexUnlock(mutex);
    MutexUnlock(mutex);
    EXPECT_TRUE(MutexHoldsLockFile(mutex));
    MutexUnlock(mutex);
    EXPECT_FALSE(MutexHoldsLockFile(mutex));
    HANDLE other = HoldFile(path);
    EXPECT_NE(other, INVALID_HANDLE_VALUE);
    CloseHandle(other);
}

TEST_F(Locks, MutexExcludesAnotherProcessHoldingTheFile) {
    const std::string name = UniqueName("shared");
    ObjectHeader* mutex = NewMutex(name);
    const std::string path = LockFilePath(mutex);
    HANDLE other = HoldFile(path);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(MutexTryLock(mutex));

    // Destroying a Mutex leaves a file that another process holds.
    ObjectHeader* second = CreateInstance(Mutex());
    MutexContructor(second, string(name.c_str()).Record());
    RuntimeUnlockObject(second);
    EXPECT_TRUE(FileExists(path));

    // A thread kept out retries the file until the other process lets go.
    Start([&](ObjectHeader*) {
        MutexLock(mutex);
        Log("entered");
        MutexUnlock(mutex);
    });
    ThreadSleepCurrent(50);
    EXPECT_EQ(mLog, "");
    CloseHandle(other);
    for (int i = 0; i < 100 && mLog.empty(); ++i) ThreadSleepCurrent(20);
    EXPECT_EQ(mLog, "entered");

    // With the file deleted by another Mutex's destruction, entering makes it again.
    ObjectHeader* third = CreateInstance(Mutex());
    MutexContructor(third, string(name.c_str()).Record());
    RuntimeUnlockObject(third);
    EXPECT_FALSE(FileExists(path));
    EXPECT_TRUE(MutexTryLock(mutex));
    EXPECT_EQ(HoldFile(path), INVALID_HANDLE_VALUE);
    MutexUnlock(mutex);
}

TEST_F(Locks, MutexWithoutANameUsesItsOwnTemporaryFile) {
    ObjectHeader* mutex = CreateInstance(Mutex());
    MutexContructor(mutex, nullptr);
    const std::string path = LockFilePath(mutex);
    const std::string file = path.substr(path.find_last_of('\\') + 1);
    EXPECT_EQ(file.substr(0, 3), "qvt") << path;
    EXPECT_TRUE(FileExists(path));
    MutexLock(mutex);
    RuntimeUnlockObject(mutex);
    EXPECT_FALSE(FileExists(path));
}
