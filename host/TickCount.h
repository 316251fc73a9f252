// Ticks: sixtieths of a second since the system started, the time unit of periodic work.
#pragma once

#include <cstdint>

// The system's 64-bit millisecond count times 0.06, truncated toward zero, as 32 bits. It goes on
// past the 49.7 days after which the 32-bit millisecond count comes round, and comes round
// itself only after 2^32 ticks (about 2.3 years), through negative values.
int32_t TickCount60();

// The ticks from one reading of TickCount60 to a later one, by unsigned difference, so also across
// the counter's wrap.
int32_t TicksElapsed(int32_t from, int32_t to);

// A number of ticks as milliseconds, truncated toward zero (5 ticks are 83 ms), for the timers of
// periodic tasks. Negative periods give 0 and periods beyond the range of signed 32-bit
// milliseconds the longest interval.
int32_t TicksToMilliseconds(int32_t ticks);

// Test hook: the millisecond clock TickCount60 reads instead of the system's (null restores it).
void SetMillisecondClock(uint64_t (*clock)());
