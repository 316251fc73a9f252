// Language threads for tests: a subclass of Thread as compiled code builds it, whose Run event
// calls a C++ body kept beside the object, and a fixture that gives the main thread its run-queue
// slots and waits for every thread to finish before the next test.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>

#include "core/DefinitionConversion.h"
#include "core/ObjectModel.h"
#include "host/CooperativeThreads.h"

namespace threadtesting {

using Body = std::function<void(ObjectHeader* self)>;

inline int32_t& BaseInstanceSize() {
    static int32_t size = 0;
    return size;
}

inline void OnRun(ObjectHeader* self) {
    auto* body = *reinterpret_cast<Body**>(reinterpret_cast<char*>(self) + BaseInstanceSize());
    if (body && *body) (*body)(self);
}

inline ClassRecord* TestThreadClass() {
    static ClassRecord* record = [] {
        ClassRecord* base = LookupObjectDefinition(Thread());
        ClassRecord* own = RuntimeNewClass(base, base->methodCount, base->interfaceCount,
                                           base->eventCount, base->accessorCount,
                                           base->propertyCount);
        own->name = string("WorkerThread").Detach();
        BaseInstanceSize() = base->instanceSize;
        own->instanceSize = base->instanceSize + static_cast<int32_t>(sizeof(Body*));
        for (int32_t i = 0; i < own->eventCount; ++i)
            if (string::CompareNoCase(string(own->events[i].name), string("Run")) == 0)
                own->events[i].vector = reinterpret_cast<void*>(&OnRun);
        return own;
    }();
    return record;
}

class ThreadFixture : public testing::Test {
protected:
    void SetUp() override {
        StackCheckerInit(kMainStackCheckSize);
        SetThreadClock(nullptr);
    }

    void TearDown() override {
        FinishAll();
        for (ObjectHeader* thread : mThreads) RuntimeUnlockObject(thread);
        mThreads.clear();
        SetThreadClock(nullptr);
    }

    // A new Thread object (held by the fixture) whose Run event runs the body.
    ObjectHeader* NewThread(Body body) {
        mBodies.push_back(std::move(body));
        ObjectHeader* thread = RuntimeNewObject(TestThreadClass());
        *reinterpret_cast<Body**>(reinterpret_cast<char*>(thread) + BaseInstanceSize()) =
            &mBodies.back();
        mThreads.push_back(thread);
        return thread;
    }

    ObjectHeader* Start(Body body) {
        ObjectHeader* thread = NewThread(std::move(body));
        threadRun(thread);
        return thread;
    }

    // Yields from the main thread until no language thread is left, then once more so that the
    // finished records are freed.
    void FinishAll() {
        for (int i = 0; i < 100000 && DebuggerThreadCount() > 0; ++i) YieldToNextThread();
        EXPECT_EQ(DebuggerThreadCount(), 0) << "a thread was left running";
        YieldToNextThread();
    }

    void Log(const std::string& entry) { mLog += entry; }

    std::string mLog;
    std::deque<Body> mBodies;
    std::deque<ObjectHeader*> mThreads;
};

// A clock the test moves by hand.
inline uint32_t& FakeNow() {
    static uint32_t now = 0;
    return now;
}
inline uint32_t FakeClock() { return FakeNow(); }

}  // namespace threadtesting
