/* Timers as compiled code uses them: subclasses of Timer with Action handlers, their Period and
 * Mode applied from a packed design-time stream through RuntimeMassPropertySetter, driven by the
 * event loop. Prints one line with what fired. */
#include "AppSupport.h"

/* The Timer's fields: Mode at 28, Enabled at 40; its property rows: Mode 0, Period 1, Enabled 2. */
enum { kModeField = 28, kPeriodField = 32, kEnabledField = 40 };

static int32_t sSingle, sMultiple, sDisabled, sReleased;

static void QV_CDECL OnSingle(ObjectHeader* self) {
    (void)self;
    sSingle++;
}
static void QV_CDECL OnMultiple(ObjectHeader* self) {
    if (++sMultiple == 3) timerModeSetter(self, 0, 0);
}
static void QV_CDECL OnDisabled(ObjectHeader* self) {
    (void)self;
    sDisabled++;
}
static void QV_CDECL OnReleased(ObjectHeader* self) {
    (void)self;
    sReleased++;
}

/* Period 20 then Mode, as set-up code packs them: index 1 'i' 20, index 0 'i' the mode. The
 * bytes hold zeros, which literals cannot: they are written into a fresh 12-byte string. */
static void SetUp(ObjectHeader* timer, int32_t mode) {
    const unsigned char bytes[12] = {0, 1, 0, 0, 0, 20, 0, 0, 0, 0, 0, (unsigned char)mode};
    StringRecord* stream = RuntimeAddString(QV_LITERAL("012345"), QV_LITERAL("6789ab"));
    int32_t i;
    for (i = 0; i < 12; i++) stream->buffer[1 + i] = bytes[i];
    RuntimeMassPropertySetter(timer, stream);
    RuntimeUnlockString(stream);
}

void QvMain(void) {
    ClassRecord* base;
    ObjectHeader *fresh, *single, *multiple, *disabled, *released;
    int32_t i;

    RuntimeInitExternalClasses();
    base = RuntimeLookupClass(QV_LITERAL("Timer"));
    fresh = RuntimeNewObject(base);
    single = RuntimeNewObject(Subclass(base, QV_LITERAL("SingleTimer"), 0, "Action", (void*)OnSingle));
    multiple = RuntimeNewObject(Subclass(base, QV_LITERAL("MultipleTimer"), 0, "Action", (void*)OnMultiple));
    disabled = RuntimeNewObject(Subclass(base, QV_LITERAL("DisabledTimer"), 0, "Action", (void*)OnDisabled));
    released = RuntimeNewObject(Subclass(base, QV_LITERAL("ReleasedTimer"), 0, "Action", (void*)OnReleased));

    Print("timers: new mode ");
    PrintInt(intGetter(fresh, kModeField));
    Print(" period ");
    PrintInt(intGetter(fresh, kPeriodField));
    Print(" enabled ");
    PrintInt(intGetter(fresh, kEnabledField));
    RuntimeUnlockObject(fresh);

    SetUp(single, 1);
    SetUp(multiple, 2);
    intSetter(disabled, kEnabledField, 0);
    SetUp(disabled, 2);
    timerPeriodSetter(released, 0, 20);
    RuntimeTimerReset(released);
    RuntimeUnlockObject(released);
    for (i = 0; i < 100 && sMultiple < 3; i++) RuntimeDoEvents(0, 20);
    RuntimeDoEvents(0, 100);

    Print(", single ");
    PrintInt(sSingle);
    Print(" then mode ");
    PrintInt(intGetter(single, kModeField));
    Print(", multiple ");
    PrintInt(sMultiple);
    Print(" then mode ");
    PrintInt(intGetter(multiple, kModeField));
    Print(", disabled ");
    PrintInt(sDisabled);
    Print(", reset and released ");
    PrintInt(sReleased);
    Print("\n");
    timerModeSetter(disabled, 0, 0);
    RuntimeUnlockObject(single);
    RuntimeUnlockObject(multiple);
    RuntimeUnlockObject(disabled);
}
