// A rectangle of four signed 16-bit values in the order the runtime stores them, and its helpers.
#pragma once

#include <cstdint>

struct Rect16 {
    int16_t top;
    int16_t left;
    int16_t bottom;
    int16_t right;
};
static_assert(sizeof(Rect16) == 8);

Rect16& SetRect16(Rect16& rect, int16_t left, int16_t top, int16_t right, int16_t bottom);
Rect16& OffsetRect16(Rect16& rect, int16_t dh, int16_t dv);
bool EqualRect16(const Rect16& a, const Rect16& b);
// An inset that turns the rectangle inside out leaves all four values 0.
void InsetRect16(Rect16& rect, int16_t dh, int16_t dv);
// Rectangles that only touch do not intersect; out becomes all zeros then. out may be a or b.
bool IntersectRect16(const Rect16& a, const Rect16& b, Rect16& out);
inline bool IsEmptyRect16(const Rect16& rect) {
    return rect.right <= rect.left || rect.bottom <= rect.top;
}
