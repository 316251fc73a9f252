#include "SystemPrimitives.h"

#include <windows.h>

int32_t DoubleClickTicks() {
    return static_cast<int32_t>(static_cast<uint64_t>(GetDoubleClickTime()) * 3 / 50);
}

void Beep() { MessageBeep(0); }

void InitAppearance() {}

int32_t GetAppearanceVersion() { return 0; }

bool AppearanceIsFlat() { return false; }

void GetStandardColor(int32_t kind, RGBColor16* colour, int32_t* packed) {
    static constexpr int kSystemIndex[] = {COLOR_WINDOWFRAME, COLOR_BTNFACE, COLOR_BTNTEXT, -1,
                                           -1, COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW};
    RGBColor16 value{0, 0, 0};
    if (kind == 3) {
        value = {0xFFFF, 0xFFFF, 0xFFFF};
    } else if (kind == 4) {
        value = {0xAAAA, 0xAAAA, 0xAAAA};
    } else if (kind >= 0 && kind <= 6) {
        const COLORREF system = GetSysColor(kSystemIndex[kind]);
        value = {static_cast<uint16_t>(GetRValue(system) * 257),
                 static_cast<uint16_t>(GetGValue(system) * 257),
                 static_cast<uint16_t>(GetBValue(system) * 257)};
    }
    if (colour) *colour = value;
    if (packed)
        *packed = (value.red / 257) << 16 | (value.green / 257) << 8 | value.blue / 257;
}
