// Ticks: sixtieths of a second since the system started, the time unit of periodic work.
#pragma once

#include <cstdint>

// The system's millisecond count (GetTickCount, unsigned) times 0.06, truncated toward zero. It
// runs from 0 to 257,698,037 and then starts again from 0, about every 49.7 days.
int32_t TickCount60();

// The number of ticks the counter takes to come round once.
constexpr int32_t kTickCounterRange = 257698038;

// The ticks from one reading of TickCount60 to a later one, also across the counter's wrap: the
// counter moves forwards only, so a later reading that is smaller has come round.
int32_t TicksElapsed(int32_t from, int32_t to);

// A number of ticks as milliseconds, truncated toward zero (5 ticks are 83 ms), for the timers of
// periodic tasks. Negative periods give 0 and periods beyond the range of signed 32-bit
// milliseconds the longest interval.
int32_t TicksToMilliseconds(int32_t ticks);

// Test hook: the millisecond clock TickCount60 reads instead of GetTickCount (null restores it).
void SetMillisecondClock(uint32_t (*clock)());
