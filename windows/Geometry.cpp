#include "Geometry.h"

bool PointInRect16(PanePoint point, const Rect16& rect) {
    return rect.left <= point.h && point.h < rect.right && rect.top <= point.v &&
           point.v < rect.bottom;
}
