// The part of a language control object that the pane layer reads and writes: the lock flags and
// the bounds (window coordinates), the flags one byte each just before the bounds.
//
// The least the window system needs until the control classes come: it lacks the object header,
// the name, index, panel, visibility and enabling fields, the owner window and every accessor.
#pragma once

#include <cstdint>

#include "core/Rect16.h"

struct ControlObject {
    uint8_t lockLeft;
    uint8_t lockTop;
    uint8_t lockRight;
    uint8_t lockBottom;
    Rect16 bounds;
};
static_assert(sizeof(ControlObject) == 12);
