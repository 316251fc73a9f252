// The Timer class: a plain object (no pane) whose Action fires after its Period, once or
// repeatedly, driven by a platform timer on one hidden "QVTimer" window shared by every Timer.
#pragma once

#include <cstddef>
#include <cstdint>

#include "controls/NotificationReceiverList.h"
#include "controls/TimerSchedule.h"
#include "core/ClassDefinition.h"
#include "core/ObjectModel.h"

struct TimerRecord {
    ObjectHeader header;
    TimerRecord* next;  // the live Timers, newest first
    TimerState state;   // Mode, Period, last start, Enabled, the platform timer flag
    int32_t unused[2];
    NotificationReceiverList actionReceivers;
};

#ifndef _WIN64
static_assert(offsetof(TimerRecord, next) == 24);
static_assert(offsetof(TimerRecord, state) + offsetof(TimerState, mode) == 28);
static_assert(offsetof(TimerRecord, state) + offsetof(TimerState, period) == 32);
static_assert(offsetof(TimerRecord, state) + offsetof(TimerState, lastStart) == 36);
static_assert(offsetof(TimerRecord, state) + offsetof(TimerState, enabled) == 40);
static_assert(offsetof(TimerRecord, state) + offsetof(TimerState, timerSet) == 44);
static_assert(offsetof(TimerRecord, actionReceivers) == 56);
static_assert(sizeof(TimerRecord) == 60);
#endif

ObjectDefinition* Timer();

extern "C" {
void RuntimeTimerConstructor(ObjectHeader* timer);
void RuntimeTimerDestructor(ObjectHeader* timer);
void timerModeSetter(ObjectHeader* timer, int32_t, int32_t mode);
void timerPeriodSetter(ObjectHeader* timer, int32_t, int32_t period);
void RuntimeTimerReset(ObjectHeader* timer);
void TimerAddActionNotificationReceiver(ObjectHeader* timer, ObjectHeader* receiver);
void TimerRemoveActionNotificationReceiver(ObjectHeader* timer, ObjectHeader* receiver);
// While the debugger holds the program no Timer fires; each fires again at its next expiry.
void SuspendTimers();
void ResumeTimers();
}
