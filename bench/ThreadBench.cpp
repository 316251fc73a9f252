// Cooperative threads against bare fibers: a yield ping-pong between two language threads (run
// queue pick plus switch) and a lock hand-over between them (a Semaphore each way), both against a
// loop of SwitchToFiber between two fibers doing the same number of switches.
#include <windows.h>

#include <cstdio>

#include "BenchTiming.h"
#include "core/DefinitionConversion.h"
#include "host/CooperativeThreads.h"
#include "host/ThreadLocks.h"

namespace {

constexpr int kSwitches = 200000;

// --- bare fibers ---

void* sMainFiber = nullptr;
void* sFibers[2] = {};
int sBareLeft = 0;

void WINAPI BareBody(void* index) {
    const int self = static_cast<int>(reinterpret_cast<intptr_t>(index));
    for (;;) {
        if (--sBareLeft <= 0) SwitchToFiber(sMainFiber);
        SwitchToFiber(sFibers[1 - self]);
    }
}

double BareSwitches() {
    return Best([] {
        sBareLeft = kSwitches;
        SwitchToFiber(sFibers[0]);
    });
}

// --- language threads ---

using Body = void (*)(ObjectHeader* self);
int32_t sBaseSize = 0;
int sFinished = 0;

void OnRun(ObjectHeader* self) {
    (*reinterpret_cast<Body*>(reinterpret_cast<char*>(self) + sBaseSize))(self);
    // The last one to finish wakes the main thread from its long sleep.
    if (++sFinished == 2) ResumeRuntimeThread(MainRuntimeThread());
}

ClassRecord* BenchThreadClass() {
    ClassRecord* base = LookupObjectDefinition(Thread());
    ClassRecord* own = RuntimeNewClass(base, base->methodCount, base->interfaceCount,
                                       base->eventCount, base->accessorCount, base->propertyCount);
    own->name = string("BenchThread").Detach();
    sBaseSize = base->instanceSize;
    own->instanceSize = base->instanceSize + static_cast<int32_t>(sizeof(Body));
    for (int32_t i = 0; i < own->eventCount; ++i)
        if (string::CompareNoCase(string(own->events[i].name), string("Run")) == 0)
            own->events[i].vector = reinterpret_cast<void*>(&OnRun);
    return own;
}

// Runs two threads of priority 1 with the body while the main thread sleeps, so that every pick
// alternates between them.
void RunPair(ClassRecord* threadClass, Body body) {
    sFinished = 0;
    ObjectHeader* threads[2];
    for (ObjectHeader*& thread : threads) {
        thread = RuntimeNewObject(threadClass);
        *reinterpret_cast<Body*>(reinterpret_cast<char*>(thread) + sBaseSize) = body;
        ThreadSetPriority(thread, 0, 1);
    }
    threadRun(threads[0]);
    threadRun(threads[1]);
    if (sFinished < 2) ThreadSleepCurrent(1000000000);
    for (ObjectHeader* thread : threads) RuntimeUnlockObject(thread);
}

void YieldBody(ObjectHeader*) {
    for (int i = 0; i < kSwitches / 2; ++i) YieldToNextThread();
}

ObjectHeader* sPing = nullptr;
ObjectHeader* sPong = nullptr;
ObjectHeader* sFirst = nullptr;

// Each thread waits on its own Semaphore and releases the other's: each round is one wait (a yield
// to the other thread) and one Release that hands the unit over and switches to the waiter.
void HandOverBody(ObjectHeader* self) {
    const bool first = self == sFirst;
    ObjectHeader* mine = first ? sPing : sPong;
    ObjectHeader* theirs = first ? sPong : sPing;
    for (int i = 0; i < kSwitches / 2; ++i) {
        Semaphore_Signal(mine);
        semaphore_release(theirs);
    }
}

}  // namespace

int main() {
    StackCheckerInit(kMainStackCheckSize);
    SetThreadSlotCount(nullptr, 1);
    ClassRecord* threadClass = BenchThreadClass();
    // Starting the first thread makes this OS thread a fiber.
    RunPair(threadClass, [](ObjectHeader*) {});

    sMainFiber = MainRuntimeThread()->fiber;
    sFibers[0] = CreateFiber(65536, BareBody, reinterpret_cast<void*>(0));
    sFibers[1] = CreateFiber(65536, BareBody, reinterpret_cast<void*>(1));
    const double bare = BareSwitches();

    const double yields = Best([&] { RunPair(threadClass, YieldBody); });

    const double handOvers = Best([&] {
        sPing = CreateInstance(Semaphore());
        sPong = CreateInstance(Semaphore());
        Semaphore_Signal(sPong);  // the second waits until the first releases it
        RunPair(threadClass, [](ObjectHeader* self) {
            if (!sFirst) sFirst = self;
            HandOverBody(self);
        });
        sFirst = nullptr;
        RuntimeUnlockObject(sPing);
        RuntimeUnlockObject(sPong);
    });

    const double perSwitch = 1e9 / kSwitches;
    std::printf("bare SwitchToFiber:      %7.1f ns per switch\n", bare * perSwitch);
    std::printf("yield ping-pong:         %7.1f ns per switch    %.2fx bare\n", yields * perSwitch,
                yields / bare);
    std::printf("Semaphore wait/hand-over: %6.1f ns per switch    %.2fx bare\n",
                handOvers * perSwitch, handOvers / bare);
    return 0;
}
