#include "TickCount.h"

#include <windows.h>

namespace {

uint64_t (*sMillisecondClock)() = nullptr;

using TickCount64Function = ULONGLONG(WINAPI*)();

// GetTickCount64 where the system has it; elsewhere the 32-bit count, carried on past its wrap.
// The 32-bit count is read at least once a day by any running loop, so no wrap goes unseen.
uint64_t SystemMilliseconds() {
    static const TickCount64Function tickCount64 = reinterpret_cast<TickCount64Function>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32"), "GetTickCount64")));
    if (tickCount64) return tickCount64();
    static uint32_t last = 0;
    static uint64_t high = 0;
    const uint32_t now = GetTickCount();
    if (now < last) high += uint64_t{1} << 32;
    last = now;
    return high | now;
}

}  // namespace

int32_t TickCount60() {
    const uint64_t milliseconds = sMillisecondClock ? sMillisecondClock() : SystemMilliseconds();
    // The exact product: milliseconds times 0.06 is milliseconds times 3, over 50.
    return static_cast<int32_t>(static_cast<uint32_t>(milliseconds * 3 / 50));
}

int32_t TicksElapsed(int32_t from, int32_t to) {
    return static_cast<int32_t>(static_cast<uint32_t>(to) - static_cast<uint32_t>(from));
}

int32_t TicksToMilliseconds(int32_t ticks) {
    if (ticks <= 0) return 0;
    const int64_t milliseconds = static_cast<int64_t>(ticks) * 1000 / 60;
    return milliseconds > INT32_MAX ? INT32_MAX : static_cast<int32_t>(milliseconds);
}

void SetMillisecondClock(uint64_t (*clock)()) { sMillisecondClock = clock; }
