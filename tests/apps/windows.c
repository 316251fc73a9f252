/* Asks the Keyboard, Cursors and Screen functions as compiled code does and writes what it got on
 * one line, next to what the system itself says. */
#include "OutputLine.h"

QV_DECLARE_FUNCTION(user32, GetSystemMetrics, int32_t, (int32_t index));
QV_DECLARE_FUNCTION(user32, SystemParametersInfoA, int32_t,
                    (uint32_t action, uint32_t parameter, void* data, uint32_t update));
QV_DECLARE_FUNCTION(user32, MapVirtualKeyA, uint32_t, (uint32_t code, uint32_t mapType));
QV_DECLARE_FUNCTION(user32, GetKeyNameTextA, int32_t, (int32_t key, char* name, int32_t size));

ObjectHeader* QV_CDECL getKeyboardObject(void);
StringRecord* QV_CDECL keyboardKeyName(ObjectHeader* keyboard, int32_t keyCode);
ObjectHeader* QV_CDECL GetCursorsClass(ObjectHeader* system);
ObjectHeader* QV_CDECL GetHandOpenCursor(ObjectHeader* cursors);
ObjectHeader* QV_CDECL getArrowCursor(void);
int32_t QV_CDECL getScreenCount(void);
ObjectHeader* QV_CDECL getScreen(int32_t index);
int32_t QV_CDECL screenLeftGetter(ObjectHeader* screen);
int32_t QV_CDECL screenTopGetter(ObjectHeader* screen);
int32_t QV_CDECL screenWidthGetter(ObjectHeader* screen);
int32_t QV_CDECL screenHeightGetter(ObjectHeader* screen);
int32_t QV_CDECL intGetter(ObjectHeader* object, int32_t offset);

enum { kSpiGetWorkArea = 0x30, kCxScreen = 0, kCyScreen = 1, kCMonitors = 80 };
/* AvailableLeft to AvailableHeight follow the header (24 bytes) and five fields. */
enum { kAvailableOffset = 24 + 5 * 4 };

/* The runtime's key name, whatever its encoding, against the layout's: "same" or "differs". */
static const char* SameAsLayout(StringRecord* name, int32_t virtualKey) {
    char layout[32];
    int32_t count = GetKeyNameTextA((int32_t)(MapVirtualKeyA((uint32_t)virtualKey, 0) << 16), layout, 32);
    int32_t step = name && name->encoding == 0x100 ? 2 : 1;
    int32_t i;
    if (!name || count <= 0 || name->length != count * step) return "differs";
    for (i = 0; i < count; i++)
        if (name->buffer[1 + i * step] != (unsigned char)layout[i]) return "differs";
    return "same";
}

void QvMain(void) {
    ObjectHeader* keyboard = getKeyboardObject();
    StringRecord* enter = keyboardKeyName(keyboard, 36);
    StringRecord* letter = keyboardKeyName(keyboard, 0);
    ObjectHeader* cursors = GetCursorsClass(0);
    ObjectHeader* hand1 = GetHandOpenCursor(cursors);
    ObjectHeader* hand2 = GetHandOpenCursor(cursors);
    ObjectHeader* arrow1 = getArrowCursor();
    ObjectHeader* arrow2 = getArrowCursor();
    ObjectHeader* screen = getScreen(0);
    int32_t work[4];
    int32_t count = GetSystemMetrics(kCMonitors);
    int32_t i;

    SystemParametersInfoA(kSpiGetWorkArea, 0, work, 0);
    AppendText("windows: KeyName(36) ");
    AppendString(enter);
    AppendText(", KeyName(0) ");
    AppendText(SameAsLayout(letter, 'A'));
    AppendText(", HandOpen ");
    AppendText(hand1 && hand1 == hand2 ? "one object" : "two objects");
    AppendText(", ArrowCursor ");
    AppendText(arrow1 && arrow2 && arrow1 != arrow2 ? "two objects" : "one object");
    AppendText(", ScreenCount ");
    AppendNumber(getScreenCount());
    AppendText(" system ");
    AppendNumber(count ? count : 1);
    AppendText(", Screen(0) ");
    if (screen) {
        AppendNumber(screenLeftGetter(screen));
        AppendText(",");
        AppendNumber(screenTopGetter(screen));
        AppendText(" ");
        AppendNumber(screenWidthGetter(screen));
        AppendText("x");
        AppendNumber(screenHeightGetter(screen));
        AppendText(" available");
        for (i = 0; i < 4; i++) {
            AppendText(" ");
            AppendNumber(intGetter(screen, kAvailableOffset + 4 * i));
        }
    } else {
        AppendText("nil");
    }
    AppendText(" system 0,0 ");
    AppendNumber(GetSystemMetrics(kCxScreen));
    AppendText("x");
    AppendNumber(GetSystemMetrics(kCyScreen));
    AppendText(" available ");
    AppendNumber(work[0]);
    AppendText(" ");
    AppendNumber(work[1]);
    AppendText(" ");
    AppendNumber(work[2] - work[0]);
    AppendText(" ");
    AppendNumber(work[3] - work[1]);
    WriteLine();

    RuntimeUnlockObject(screen);
    RuntimeUnlockObject(arrow2);
    RuntimeUnlockObject(arrow1);
    RuntimeUnlockObject(hand2);
    RuntimeUnlockObject(hand1);
    RuntimeUnlockObject(cursors);
    RuntimeUnlockString(letter);
    RuntimeUnlockString(enter);
    RuntimeUnlockObject(keyboard);
}
