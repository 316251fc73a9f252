// Where windows go: the screen a rectangle lies on, keeping a rectangle inside a screen's work
// area, the placements of a new window, and the limits of a window being sized. Pure logic over
// screen lists the caller gives, free of the platform.
#pragma once

#include <cstdint>

#include "core/Rect16.h"

struct ScreenArea {
    Rect16 full;
    Rect16 available;  // the work area
};

// The screen with the largest overlap (the earlier on a tie); while none overlaps, the one whose
// top-left corner is nearest to the rectangle's. 0 when there is no screen.
int32_t FindScreenOfRect(const Rect16& rect, const ScreenArea* screens, int32_t count);

// Moves the rectangle, keeping its size, to 2 pixels inside the left, right and bottom of its
// screen's work area and at least 25 pixels below its top.
void ConstrainRectToScreen(Rect16& rect, const ScreenArea* screens, int32_t count);

enum WindowPlacement : int32_t {
    kPlacementDefault = 0,
    kPlacementParent = 1,
    kPlacementMainScreen = 2,
    kPlacementParentScreen = 3,
    kPlacementStagger = 4,
    kPlacementAlert = 5,  // the message dialog's
};

// Moves a rectangle whose left and top are offsets to where a new window goes, relative to the
// client bounds on screen of the front window of its kind group (null: there is none), then keeps
// it on its screen.
void PlaceRect(Rect16& rect, int32_t placement, const Rect16* reference, const ScreenArea* screens,
               int32_t count);

// An outer window rectangle as sizing proposes it.
struct SizingRect {
    int32_t left, top, right, bottom;
};
struct SizingFrame {
    int32_t frameX, frameY;  // the sizing border
    int32_t caption;         // the caption's height, 0 without one
    int32_t menu;            // the menu bar's height, 0 without one
};

// Keeps the proposed rectangle of a window being sized by an edge (WMSZ_LEFT 1 to WMSZ_BOTTOMRIGHT
// 8) within its size limits: minimum height, minimum width, maximum height and maximum width in the
// top, left, bottom and right of limits. A limit of 0 is no limit. client is the window's client
// rectangle on screen.
void ConstrainSizingRect(int32_t edge, SizingRect& rect, const SizingRect& client,
                         const Rect16& limits, const SizingFrame& frame);
