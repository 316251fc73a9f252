#include "WindowPlacement.h"

#include <algorithm>
#include <limits>

#include "Geometry.h"

namespace {

int64_t Area(const Rect16& rect) {
    return static_cast<int64_t>(rect.right - rect.left) * (rect.bottom - rect.top);
}

int64_t SquaredDistance(int32_t h1, int32_t v1, int32_t h2, int32_t v2) {
    const int64_t dh = h1 - h2, dv = v1 - v2;
    return dh * dh + dv * dv;
}

void MoveBy(Rect16& rect, int32_t dh, int32_t dv) {
    OffsetRect16(rect, static_cast<int16_t>(dh), static_cast<int16_t>(dv));
}

enum Edge : int32_t {
    kEdgeLeft = 1,
    kEdgeRight = 2,
    kEdgeTop = 3,
    kEdgeTopLeft = 4,
    kEdgeTopRight = 5,
    kEdgeBottom = 6,
    kEdgeBottomLeft = 7,
    kEdgeBottomRight = 8,
};

void ClampBottom(SizingRect& rect, const SizingRect& client, const Rect16& limits, int32_t fy) {
    if (limits.bottom) rect.bottom = std::min(rect.bottom, client.top + limits.bottom + fy);
    if (limits.top) rect.bottom = std::max(rect.bottom, client.top + limits.top + fy);
}

}  // namespace

int32_t FindScreenOfRect(const Rect16& rect, const ScreenArea* screens, int32_t count) {
    int32_t chosen = -1;
    int64_t bestArea = 0;
    int64_t bestDistance = std::numeric_limits<int64_t>::max();
    for (int32_t i = 0; i < count; ++i) {
        Rect16 overlap;
        const int64_t area =
            IntersectRect16(rect, screens[i].full, overlap) ? Area(overlap) : 0;
        if (area > bestArea) {
            bestArea = area;
            chosen = i;
        } else if (bestArea == 0) {
            const int64_t distance = SquaredDistance(screens[i].full.left, screens[i].full.top,
                                                     rect.left, rect.top);
            if (distance < bestDistance) {
                bestDistance = distance;
                chosen = i;
            }
        }
    }
    return chosen < 0 ? 0 : chosen;
}

void ConstrainRectToScreen(Rect16& rect, const ScreenArea* screens, int32_t count) {
    if (count <= 0) return;
    const Rect16& avail = screens[FindScreenOfRect(rect, screens, count)].available;
    const int32_t width = rect.right - rect.left;
    const int32_t height = rect.bottom - rect.top;
    int32_t left = rect.left, top = rect.top;
    if (left < avail.left) left = avail.left + 2;
    if (rect.bottom > avail.bottom) top -= rect.bottom - avail.bottom + 2;
    if (rect.right > avail.right) left -= rect.right - avail.right + 2;
    if (top < avail.top + 25) top = avail.top + 25;
    rect.left = static_cast<int16_t>(left);
    rect.top = static_cast<int16_t>(top);
    rect.right = static_cast<int16_t>(left + width);
    rect.bottom = static_cast<int16_t>(top + height);
}

void PlaceRect(Rect16& rect, int32_t placement, const Rect16* reference, const ScreenArea* screens,
               int32_t count) {
    const int32_t width = rect.right - rect.left;
    const int32_t height = rect.bottom - rect.top;
    if (placement == kPlacementParent && !reference) placement = kPlacementMainScreen;
    switch (placement) {
        case kPlacementDefault: MoveBy(rect, 4, 100); break;
        case kPlacementParent: {
            const int32_t referenceWidth = reference->right - reference->left;
            MoveBy(rect, (referenceWidth - width) / 2 + reference->left, reference->top + 30);
            break;
        }
        case kPlacementMainScreen:
        case kPlacementParentScreen:
        case kPlacementAlert: {
            if (count <= 0) break;
            const Rect16 none = {0, 0, 0, 0};
            const int32_t index = placement == kPlacementMainScreen
                                      ? 0
                                      : FindScreenOfRect(reference ? *reference : none, screens, count);
            const Rect16& screen = screens[index].full;
            const int32_t divisor = placement == kPlacementAlert ? 2 : 3;
            MoveBy(rect, (screen.right - screen.left - width) / 2 + screen.left,
                   (screen.bottom - screen.top - height) / divisor + screen.top);
            break;
        }
        case kPlacementStagger: {
            if (reference && count > 0) {
                const Rect16& avail =
                    screens[FindScreenOfRect(*reference, screens, count)].available;
                if (reference->right + 20 <= avail.right && reference->bottom + 20 <= avail.bottom) {
                    MoveBy(rect, reference->left + 20, reference->top + 20);
                    break;
                }
            }
            MoveBy(rect, 10, 50);
            break;
        }
        default: break;
    }
    ConstrainRectToScreen(rect, screens, count);
}

void ConstrainSizingRect(int32_t edge, SizingRect& rect, const SizingRect& client,
                         const Rect16& limits, const SizingFrame& frame) {
    if (!limits.top && !limits.left && !limits.bottom && !limits.right) return;
    const int32_t fx = frame.frameX, fy = frame.frameY;
    switch (edge) {
        case kEdgeRight:
        case kEdgeTopRight:
        case kEdgeBottom:
        case kEdgeBottomRight:
            if (limits.right) rect.right = std::min(rect.right, client.left + limits.right + fx);
            if (limits.left) rect.right = std::max(rect.right, client.left + limits.left + fx);
            if (edge != kEdgeTopRight) {
                ClampBottom(rect, client, limits, fy);
                return;
            }
            break;
        case kEdgeLeft:
        case kEdgeTop:
        case kEdgeTopLeft:
        case kEdgeBottomLeft: {
            const int32_t width = rect.right - rect.left - 2 * fx;
            if (limits.right && width > limits.right) rect.left = rect.right - limits.right - 2 * fx;
            if (limits.left && width < limits.left) rect.left = rect.right - limits.left - 2 * fx;
            if (edge == kEdgeBottomLeft) {
                ClampBottom(rect, client, limits, fy);
                return;
            }
            break;
        }
        default: return;
    }
    const int32_t chrome = 2 * fy + frame.caption + frame.menu;
    const int32_t inner = rect.bottom - rect.top - chrome;
    if (limits.bottom && inner > limits.bottom) rect.top = rect.bottom - limits.bottom - chrome;
    if (limits.top && inner < limits.top) rect.top = rect.bottom - limits.top - chrome;
}
