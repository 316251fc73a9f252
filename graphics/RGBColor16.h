// A colour of three 16-bit channels (a byte channel c becomes c x 257).
#pragma once

#include <cstdint>

struct RGBColor16 {
    uint16_t red;
    uint16_t green;
    uint16_t blue;
};
static_assert(sizeof(RGBColor16) == 6);
