#include "host/LookColors.h"

#include <windows.h>

#include "windows/SystemPrimitives.h"

namespace {

int32_t StandardColor(int32_t kind) {
    int32_t packed = 0;
    GetStandardColor(kind, nullptr, &packed);
    return packed;
}

}  // namespace

extern "C" {

int32_t getFrameColor() { return StandardColor(0); }
int32_t getFillColor() { return StandardColor(1); }
int32_t getTextColor() { return StandardColor(2); }
int32_t getLightTingeColor() { return StandardColor(3); }
int32_t getDarkTingeColor() { return StandardColor(4); }
int32_t getLightBevelColor() { return StandardColor(5); }
int32_t getDarkBevelColor() { return StandardColor(6); }

int32_t GetDisabledTextColor() { return ColorFromColorRef(GetSysColor(COLOR_GRAYTEXT)); }
int32_t getHilightColor() { return ColorFromColorRef(GetSysColor(COLOR_HIGHLIGHT)); }

// The three-dimensional setting is on from start and never changed.
bool RuntimeThreed() { return !AppearanceIsFlat(); }

}  // extern "C"
