#include "controls/TimerClass.h"

#include <windows.h>

#include "controls/BindingInterfaces.h"
#include "core/FailureReport.h"
#include "core/IntrinsicTypes.h"
#include "core/PropertyAccessors.h"

namespace {

TimerRecord* sLiveTimers = nullptr;
HWND sTimerWindow = nullptr;
bool sClassUnregistered = true;
bool sSuspended = false;
EventDefinition* sAction = nullptr;

TimerRecord* T(ObjectHeader* timer) { return reinterpret_cast<TimerRecord*>(timer); }

bool IsLive(const TimerRecord* timer) {
    for (const TimerRecord* t = sLiveTimers; t; t = t->next)
        if (t == timer) return true;
    return false;
}

void CALLBACK TimerProcedure(HWND, UINT, UINT_PTR id, DWORD tick);

// The platform timers: one per Timer on the shared window, the Timer's address as identifier.
class WindowsTimerClock final : public TimerClock {
public:
    uint32_t Now() override { return GetTickCount(); }
    void Arm(const void* id, uint32_t milliseconds) override {
        SetTimer(sTimerWindow, reinterpret_cast<UINT_PTR>(id), milliseconds, TimerProcedure);
    }
    void Disarm(const void* id) override {
        KillTimer(sTimerWindow, reinterpret_cast<UINT_PTR>(id));
    }
};

WindowsTimerClock sClock;

void CALLBACK TimerProcedure(HWND, UINT, UINT_PTR id, DWORD tick) {
    auto* timer = reinterpret_cast<TimerRecord*>(id);
    // A WM_TIMER still queued when its Timer died names memory that is no Timer any more.
    if (!IsLive(timer)) return;
    auto* object = &timer->header;
    auto handler = sAction ? reinterpret_cast<void (*)(ObjectHeader*)>(
                                 FindEventInstance(object, sAction))
                           : nullptr;
    // Receivers added through actionSource (an actionBinder's dest) act as a handler does.
    const bool acts = handler || timer->actionReceivers.head;
    if (!TimerExpire(timer->state, timer, tick, sSuspended, acts, sClock)) return;
    // A handler that drops the last reference must not free the Timer under itself.
    RuntimeLockObject(object);
    if (handler) handler(object);
    timer->actionReceivers.SendPerformAction();
    RuntimeUnlockObject(object);
}

void CreateTimerWindow() {
    if (!sClassUnregistered) return;
    sClassUnregistered = false;
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "QVTimer";
    RegisterClassA(&windowClass);
    sTimerWindow =
        CreateWindowExA(0, "QVTimer", "", 0, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
}

}  // namespace

extern "C" {

void RuntimeTimerConstructor(ObjectHeader* timer) {
    CreateTimerWindow();
    TimerInitialize(T(timer)->state, sClock);
    T(timer)->next = sLiveTimers;
    sLiveTimers = T(timer);
}

void RuntimeTimerDestructor(ObjectHeader* timer) {
    for (TimerRecord** link = &sLiveTimers; *link; link = &(*link)->next) {
        if (*link != T(timer)) continue;
        *link = T(timer)->next;
        break;
    }
    if (T(timer)->state.timerSet) sClock.Disarm(timer);
    T(timer)->actionReceivers.RemoveAll();
}

void timerModeSetter(ObjectHeader* timer, int32_t, int32_t mode) {
    if (timer) TimerSetMode(T(timer)->state, timer, mode, sClock);
}

void timerPeriodSetter(ObjectHeader* timer, int32_t, int32_t period) {
    if (timer) TimerSetPeriod(T(timer)->state, timer, period, sClock);
}

void RuntimeTimerReset(ObjectHeader* timer) {
    if (!timer) {
        ReportAssertion("RunTimer", __LINE__, "obj");
        return;
    }
    TimerReset(T(timer)->state, timer, sClock);
}

void TimerAddActionNotificationReceiver(ObjectHeader* timer, ObjectHeader* receiver) {
    if (timer) T(timer)->actionReceivers.Add(receiver);
}

void TimerRemoveActionNotificationReceiver(ObjectHeader* timer, ObjectHeader* receiver) {
    if (timer) T(timer)->actionReceivers.Remove(receiver);
}

void SuspendTimers() { sSuspended = true; }
void ResumeTimers() { sSuspended = false; }

}  // extern "C"

namespace {

constexpr int32_t kIntegerTypeCode = 1;  // of constant rows
constexpr intptr_t kStateOffset = offsetof(TimerRecord, state);

PropertyEntry kTimerProperties[] = {
    QV_PROPERTY_ROW(0, "Mode", AsType(&kIntegerType), intGetter, timerModeSetter,
                    kStateOffset + offsetof(TimerState, mode)),
    QV_PROPERTY_ROW(0, "Period", AsType(&kIntegerType), intGetter, timerPeriodSetter,
                    kStateOffset + offsetof(TimerState, period)),
    QV_PROPERTY_ROW(0, "Enabled", AsType(&kBooleanType), intGetter, intSetter,
                    kStateOffset + offsetof(TimerState, enabled)),
};

// The receiver types are set when the definition is built.
ParameterEntry kReceiverParameter[] = {{"receiver", nullptr, 0, 0, 0, 0}};

#define QV_METHOD(name, parameters, count, function) \
    {name, nullptr, parameters, count, Function(function, #function), {}, kMethodPlain, 0, 0}
MethodEntry kTimerMethods[] = {
    QV_METHOD("Reset", nullptr, 0, RuntimeTimerReset),
    QV_METHOD("addActionNotificationReceiver", kReceiverParameter, 1,
              TimerAddActionNotificationReceiver),
    QV_METHOD("removeActionNotificationReceiver", kReceiverParameter, 1,
              TimerRemoveActionNotificationReceiver),
};
#undef QV_METHOD

ConstantEntry kTimerConstants[] = {
    {0, "ModeOff", kIntegerTypeCode, "0"},
    {0, "ModeSingle", kIntegerTypeCode, "1"},
    {0, "ModeMultiple", kIntegerTypeCode, "2"},
};

EventEntry kTimerEvents[] = {{0, "Action", "", "", &sAction, 0}};

const DefinitionFunction kTimerInterfaces[] = {ActionSourceInterface};

const ClassRows kTimerRows = {
    .className = "Timer",
    .superclass = nullptr,
    .objectSize = sizeof(TimerRecord),
    .initializer = Function(RuntimeTimerConstructor, "RuntimeTimerConstructor"),
    .finalizer = Function(RuntimeTimerDestructor, "RuntimeTimerDestructor"),
    .properties = kTimerProperties,
    .events = kTimerEvents,
    .methods = kTimerMethods,
    .constants = kTimerConstants,
    .interfaces = kTimerInterfaces,
};

}  // namespace

ObjectDefinition* Timer() {
    static ObjectDefinition definition;
    if (definition.className.IsEmpty())
        kReceiverParameter[0].parameterType = ActionNotificationReceiverInterface()->AsType();
    return FillClassDefinition(definition, kTimerRows);
}
