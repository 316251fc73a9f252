// The drawing model that every drawing in the runtime follows, and the one set of colour
// conversions.
//
// - Coordinates handed to a graphics are in the space of its owner pane's window: a pane's bounds
//   are expressed there, so callers add the pane's left and top to pane-local coordinates. Each
//   drawing operation subtracts the graphics' origin before it draws; the device context a pane
//   hands out has its viewport origin at the pane's position, so the result lands in the pane.
//   Clip regions are in device units: window coordinates less the origin and less the pane's left
//   and top.
// - Rectangles are Rect16 (top, left, bottom, right, signed 16-bit); a rectangle covers its left
//   and top edges and stops before its right and bottom edges.
// - One graphics draws at a time: the current graphics holds the device context from its first
//   drawing call until another graphics begins to draw or EndAllDrawing ends it. Code that reads
//   pixels through another device context ends all drawing first.
// - Colours: a language Color is 0x00RRGGBB; RGBColor16 keeps each byte times 257; a COLORREF is
//   0x00BBGGRR, made from the high byte of each RGBColor16 channel.
#pragma once

#include <windows.h>

#include <cstdint>

#include "core/Rect16.h"
#include "graphics/RGBColor16.h"

constexpr RGBColor16 RGBColor16FromColor(uint32_t color) {
    return RGBColor16{static_cast<uint16_t>(((color >> 16) & 0xFF) * 257),
                      static_cast<uint16_t>(((color >> 8) & 0xFF) * 257),
                      static_cast<uint16_t>((color & 0xFF) * 257)};
}

constexpr uint32_t ColorFromRGBColor16(RGBColor16 colour) {
    return (static_cast<uint32_t>(colour.red >> 8) << 16) |
           (static_cast<uint32_t>(colour.green >> 8) << 8) | (colour.blue >> 8);
}

constexpr COLORREF RGBColor16ToCOLORREF(RGBColor16 colour) {
    return static_cast<COLORREF>((colour.red >> 8) | ((colour.green >> 8) << 8) |
                                 ((colour.blue >> 8) << 16));
}

constexpr RGBColor16 ColorRefToRGBColor16(COLORREF colour) {
    return RGBColor16{static_cast<uint16_t>((colour & 0xFF) * 257),
                      static_cast<uint16_t>(((colour >> 8) & 0xFF) * 257),
                      static_cast<uint16_t>(((colour >> 16) & 0xFF) * 257)};
}

constexpr bool operator==(RGBColor16 a, RGBColor16 b) {
    return a.red == b.red && a.green == b.green && a.blue == b.blue;
}

constexpr Rect16 MakeRect16(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    return Rect16{static_cast<int16_t>(top), static_cast<int16_t>(left),
                  static_cast<int16_t>(bottom), static_cast<int16_t>(right)};
}

// A rectangle moved by minus an origin, as GDI takes it.
constexpr RECT DeviceRect(const Rect16& rect, int32_t originX, int32_t originY) {
    return RECT{rect.left - originX, rect.top - originY, rect.right - originX,
                rect.bottom - originY};
}

// The rectangle with left not above right and top not above bottom.
constexpr RECT OrderedRect(RECT rect) {
    if (rect.left > rect.right) {
        const LONG swap = rect.left;
        rect.left = rect.right;
        rect.right = swap;
    }
    if (rect.top > rect.bottom) {
        const LONG swap = rect.top;
        rect.top = rect.bottom;
        rect.bottom = swap;
    }
    return rect;
}
