#include "controls/TimerSchedule.h"

void TimerInitialize(TimerState& state, TimerClock& clock) {
    state.period = 1000;
    state.timerSet = 0;
    state.lastStart = clock.Now();
    state.enabled = 1;
}

void TimerSetMode(TimerState& state, const void* id, int32_t mode, TimerClock& clock) {
    state.mode = mode;
    state.lastStart = clock.Now();
    if (mode != kTimerModeOff) {
        state.timerSet = 1;
        clock.Arm(id, static_cast<uint32_t>(state.period));
    } else if (state.timerSet) {
        clock.Disarm(id);
    }
}

uint32_t TimerRemaining(int32_t period, uint32_t lastStart, uint32_t now) {
    const auto whole = static_cast<uint32_t>(period);
    // Unsigned: a period already run out wraps above the whole period.
    const uint32_t remaining = whole - (now - lastStart);
    return remaining > whole ? whole : remaining;
}

void TimerSetPeriod(TimerState& state, const void* id, int32_t period, TimerClock& clock) {
    state.period = period < 1 ? 1 : period;
    if (state.mode == kTimerModeOff || !state.timerSet) return;
    clock.Arm(id, TimerRemaining(state.period, state.lastStart, clock.Now()));
}

void TimerReset(TimerState& state, const void* id, TimerClock& clock) {
    state.lastStart = clock.Now();
    // The platform timer runs from here on, so the destructor and Mode 0 must kill it.
    state.timerSet = 1;
    clock.Arm(id, static_cast<uint32_t>(state.period));
}

bool TimerExpire(TimerState& state, const void* id, uint32_t tick, bool suspended,
                 bool hasHandler, TimerClock& clock) {
    if (!state.enabled || suspended) return false;
    clock.Disarm(id);
    if (state.mode != kTimerModeMultiple) {
        state.timerSet = 0;
        state.mode = kTimerModeOff;
        return hasHandler;
    }
    if (hasHandler) clock.Arm(id, static_cast<uint32_t>(state.period));
    state.lastStart = tick;
    return hasHandler;
}
