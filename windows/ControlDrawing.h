// Control parts the runtime draws itself so that they look like the native controls: themed when
// visual styles are in use and a theme opens for the context's window, classic lines otherwise.
#pragma once

#include <windows.h>

#include <cstdint>

void DrawCheckBoxFrame(HDC dc, int left, int top, int right, int bottom, bool checked);
void DrawTreeGlyph(HDC dc, int left, int top, int right, int bottom, bool expanded);
// Glyph kinds: 0 first, 1 previous, 4 last, 5 next (others none); states: 0 normal, 1 hot,
// 2 pressed, 3 disabled.
void DrawButtonPart(HDC dc, int left, int top, int right, int bottom, int32_t glyph,
                    int32_t state);
void DrawEditFrame(HDC dc, int left, int top, int right, int bottom, bool enabled,
                   bool classicOnly);
