#include "Rect16.h"

#include <algorithm>

Rect16& SetRect16(Rect16& rect, int16_t left, int16_t top, int16_t right, int16_t bottom) {
    rect.left = left;
    rect.top = top;
    rect.right = right;
    rect.bottom = bottom;
    return rect;
}

Rect16& OffsetRect16(Rect16& rect, int16_t dh, int16_t dv) {
    rect.left = static_cast<int16_t>(rect.left + dh);
    rect.right = static_cast<int16_t>(rect.right + dh);
    rect.top = static_cast<int16_t>(rect.top + dv);
    rect.bottom = static_cast<int16_t>(rect.bottom + dv);
    return rect;
}

bool EqualRect16(const Rect16& a, const Rect16& b) {
    return a.top == b.top && a.left == b.left && a.bottom == b.bottom && a.right == b.right;
}

void InsetRect16(Rect16& rect, int16_t dh, int16_t dv) {
    rect.left = static_cast<int16_t>(rect.left + dh);
    rect.right = static_cast<int16_t>(rect.right - dh);
    rect.top = static_cast<int16_t>(rect.top + dv);
    rect.bottom = static_cast<int16_t>(rect.bottom - dv);
    if (rect.left > rect.right || rect.top > rect.bottom) rect = Rect16{0, 0, 0, 0};
}

bool IntersectRect16(const Rect16& a, const Rect16& b, Rect16& out) {
    if (a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom) {
        const Rect16 result{std::max(a.top, b.top), std::max(a.left, b.left),
                            std::min(a.bottom, b.bottom), std::min(a.right, b.right)};
        out = result;
        return true;
    }
    out = Rect16{0, 0, 0, 0};
    return false;
}
