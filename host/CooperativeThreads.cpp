#include "CooperativeThreads.h"

#include <windows.h>

bool IsMainThread() { return true; }

void YieldFromEventLoop() {}

void YieldToNextThread() {}

void ThreadSleepCurrent(int32_t milliseconds) { Sleep(milliseconds < 0 ? 0 : static_cast<DWORD>(milliseconds)); }
