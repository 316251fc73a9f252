// The cooperative threads as the event loop calls them.
//
// A stand-in: cooperative threads are not built yet, so the main thread is the only one and is
// always current. The yields find no other thread to run and return at once; sleeping the current
// thread blocks the process's thread (Sleep).
#pragma once

#include <cstdint>

// True when the running thread is the main one.
bool IsMainThread();

// The non-blocking yield at the end of every event-loop step.
void YieldFromEventLoop();

// Gives the processor to the next thread of the run queue.
void YieldToNextThread();

extern "C" {
// Sleeps the current thread for the milliseconds.
void ThreadSleepCurrent(int32_t milliseconds);
}
