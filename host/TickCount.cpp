#include "TickCount.h"

#include <windows.h>

namespace {

uint32_t (*sMillisecondClock)() = nullptr;

}  // namespace

int32_t TickCount60() {
    const uint32_t milliseconds = sMillisecondClock ? sMillisecondClock() : GetTickCount();
    // The exact product: milliseconds times 0.06 is milliseconds times 3, over 50.
    return static_cast<int32_t>(static_cast<uint64_t>(milliseconds) * 3 / 50);
}

int32_t TicksElapsed(int32_t from, int32_t to) {
    int64_t elapsed = (static_cast<int64_t>(to) - from) % kTickCounterRange;
    if (elapsed < 0) elapsed += kTickCounterRange;
    return static_cast<int32_t>(elapsed);
}

int32_t TicksToMilliseconds(int32_t ticks) {
    if (ticks <= 0) return 0;
    const int64_t milliseconds = static_cast<int64_t>(ticks) * 1000 / 60;
    return milliseconds > INT32_MAX ? INT32_MAX : static_cast<int32_t>(milliseconds);
}

void SetMillisecondClock(uint32_t (*clock)()) { sMillisecondClock = clock; }
