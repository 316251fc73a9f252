// Rectangle helpers of the window system, and conversions between the coordinates a pane tree
// uses: window coordinates (the client area of the top-level window), the client coordinates of a
// native parent window, and the screen.
#pragma once

#include <cstdint>

#include "core/Rect16.h"

// A point as panes take it: vertical first.
struct PanePoint {
    int32_t v;
    int32_t h;
};

Rect16& SetRect16(Rect16& rect, int16_t left, int16_t top, int16_t right, int16_t bottom);
Rect16& OffsetRect16(Rect16& rect, int16_t dh, int16_t dv);
bool EqualRect16(const Rect16& a, const Rect16& b);
// Right and bottom edges lie outside.
bool PointInRect16(PanePoint point, const Rect16& rect);
// An inset that turns the rectangle inside out leaves all four values 0.
void InsetRect16(Rect16& rect, int16_t dh, int16_t dv);
// Rectangles that only touch do not intersect; out becomes all zeros then. out may be a or b.
bool IntersectRect16(const Rect16& a, const Rect16& b, Rect16& out);
inline bool IsEmptyRect16(const Rect16& rect) {
    return rect.right <= rect.left || rect.bottom <= rect.top;
}
