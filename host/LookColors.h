// The colours of the look that compiled code asks for by name, in the language's colour layout
// (0x00RRGGBB, red in the high byte), and the three-dimensional look setting.
#pragma once

#include <cstdint>

// Windows' 0x00BBGGRR to the language's 0x00RRGGBB.
constexpr int32_t ColorFromColorRef(uint32_t colorRef) {
    return static_cast<int32_t>((colorRef & 0xFF) << 16 | (colorRef & 0xFF00) |
                                (colorRef >> 16 & 0xFF));
}

extern "C" {
int32_t getFrameColor();
int32_t getFillColor();
int32_t getTextColor();
int32_t getLightTingeColor();
int32_t getDarkTingeColor();
int32_t getLightBevelColor();
int32_t getDarkBevelColor();
int32_t GetDisabledTextColor();
int32_t getHilightColor();
bool RuntimeThreed();
}
