// Points of the window system, in the coordinates a pane tree uses: window coordinates (the client
// area of the top-level window), the client coordinates of a native parent window, and the
// screen. The rectangle helpers are core's (core/Rect16.h).
#pragma once

#include <cstdint>

#include "core/Rect16.h"

// A point as panes take it: vertical first.
struct PanePoint {
    int32_t v;
    int32_t h;
};

// Right and bottom edges lie outside.
bool PointInRect16(PanePoint point, const Rect16& rect);
