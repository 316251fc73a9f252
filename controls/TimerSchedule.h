// The arithmetic of a Timer's periods: when its platform timer is armed, with how long, and
// whether an expiry fires Action. Platform-free; the clock and the platform timer come through
// TimerClock, so tests drive time by hand.
#pragma once

#include <cstdint>

constexpr int32_t kTimerModeOff = 0;
constexpr int32_t kTimerModeSingle = 1;
constexpr int32_t kTimerModeMultiple = 2;

// The Timer fields the schedule works on, in the order the Timer record holds them.
struct TimerState {
    int32_t mode;
    int32_t period;      // milliseconds, at least 1
    uint32_t lastStart;  // tick count at which the current period began
    int32_t enabled;
    int32_t timerSet;    // the platform timer has been armed by Mode or Reset
};

class TimerClock {
public:
    virtual uint32_t Now() = 0;
    // Arms (or re-arms) the platform timer of id to expire after milliseconds.
    virtual void Arm(const void* id, uint32_t milliseconds) = 0;
    virtual void Disarm(const void* id) = 0;

protected:
    ~TimerClock() = default;
};

void TimerInitialize(TimerState& state, TimerClock& clock);
void TimerSetMode(TimerState& state, const void* id, int32_t mode, TimerClock& clock);
void TimerSetPeriod(TimerState& state, const void* id, int32_t period, TimerClock& clock);
void TimerReset(TimerState& state, const void* id, TimerClock& clock);

// The wait left of a running period once its length becomes period: what remains of it counted
// from lastStart, or the whole period when that has already run out.
uint32_t TimerRemaining(int32_t period, uint32_t lastStart, uint32_t now);

// An expiry of the platform timer at tick. Answers whether Action fires. A disabled or suspended
// Timer lets its platform timer run on and fires at a later expiry, without catching up.
bool TimerExpire(TimerState& state, const void* id, uint32_t tick, bool suspended,
                 bool hasHandler, TimerClock& clock);
