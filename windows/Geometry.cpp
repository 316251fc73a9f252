#include "Geometry.h"

Rect16& OffsetRect16(Rect16& rect, int16_t dx, int16_t dy) {
    rect.left = static_cast<int16_t>(rect.left + dx);
    rect.right = static_cast<int16_t>(rect.right + dx);
    rect.top = static_cast<int16_t>(rect.top + dy);
    rect.bottom = static_cast<int16_t>(rect.bottom + dy);
    return rect;
}
