// A rectangle of four signed 16-bit values in the order the runtime stores them.
#pragma once

#include <cstdint>

struct Rect16 {
    int16_t top;
    int16_t left;
    int16_t bottom;
    int16_t right;
};
static_assert(sizeof(Rect16) == 8);
