// The scan-line seed fill of RGB surfaces over plain memory: four-connected, replacing the exact
// old value of the seed pixel, with a stack of 10,000 segments whose overflow leaves the dropped
// regions unfilled. Pure logic, also built natively.
#pragma once

#include <cstdint>

// Pixels of depth 16, 24 or 32 in top-down rows of rowBytes.
struct FillSurface {
    uint8_t* bits;
    int32_t depth;
    int32_t rowBytes;
    int32_t width;
    int32_t height;
};

constexpr int32_t kSeedFillStackSize = 10000;

// The 16-bit pixel of a colour 0x00RRGGBB: the top five bits of each byte.
constexpr uint16_t Pixel16FromColor(uint32_t colour) {
    return static_cast<uint16_t>(((colour >> 9) & 0x7C00) | ((colour >> 6) & 0x03E0) |
                                 ((colour >> 3) & 0x001F));
}

// Fills from (x, y) with the colour (0x00RRGGBB). False when the seed is outside the surface;
// a depth other than 16, 24 or 32 fills nothing.
bool SeedFill(const FillSurface& surface, int32_t x, int32_t y, uint32_t colour);
