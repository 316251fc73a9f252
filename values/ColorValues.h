// Colour values: 0x00RRGGBB, made from RGB, HSV or CMY components and read back as any of them.
// HSV and CMY components are fractions 0.0 .. 1.0 (hue of the full circle).
#pragma once

#include <cstdint>

extern "C" {
uint32_t RuntimeRGB(int32_t red, int32_t green, int32_t blue);
uint32_t RuntimeHSV(double hue, double saturation, double value);
uint32_t RuntimeCMY(double cyan, double magenta, double yellow);

int32_t readColorRed(uint32_t color);
int32_t readColorGreen(uint32_t color);
int32_t readColorBlue(uint32_t color);
double readColorHue(uint32_t color);
double readColorSaturation(uint32_t color);
double readColorValue(uint32_t color);
double readColorCyan(uint32_t color);
double readColorMagenta(uint32_t color);
double readColorYellow(uint32_t color);
}
