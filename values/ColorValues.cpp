#include "values/ColorValues.h"

#include "core/NumberConversion.h"

namespace {

int32_t Clamp(int32_t component) { return component < 0 ? 0 : (component > 255 ? 255 : component); }

uint32_t Combine(int32_t red, int32_t green, int32_t blue) {
    return static_cast<uint32_t>(Clamp(red) << 16 | Clamp(green) << 8 | Clamp(blue));
}

int32_t FromUnit(double x) { return TruncateToInt32(x * 255.0); }

uint32_t RGBFromUnit(double red, double green, double blue) {
    return Combine(FromUnit(red), FromUnit(green), FromUnit(blue));
}

struct HSV {
    double hue, saturation, value;
};

HSV ColorToHSV(uint32_t color) {
    const double r = readColorRed(color) / 255.0;
    const double g = readColorGreen(color) / 255.0;
    const double b = readColorBlue(color) / 255.0;
    const double max = r > g ? (r > b ? r : b) : (g > b ? g : b);
    const double min = r < g ? (r < b ? r : b) : (g < b ? g : b);
    HSV hsv{0.0, max == 0.0 ? 0.0 : (max - min) / max, max};
    if (hsv.saturation == 0.0) return hsv;
    const double d = max - min;
    double hue = r == max ? (g - b) / d : g == max ? 2.0 + (b - r) / d : 4.0 + (r - g) / d;
    hue /= 6.0;
    if (hue < 0) hue += 1.0;
    hsv.hue = hue;
    return hsv;
}

}  // namespace

extern "C" {

uint32_t RuntimeRGB(int32_t red, int32_t green, int32_t blue) { return Combine(red, green, blue); }

uint32_t RuntimeHSV(double h, double s, double v) {
    if (s == 0.0) return static_cast<uint32_t>(Clamp(FromUnit(v))) * 0x010101;
    if (h >= 1.0 || h < 0.0) h = 0.0;
    const double x = h * 6.0;
    const int32_t i = TruncateToInt32(x);
    const double f = x - i;
    const double p = (1 - s) * v, q = (1 - s * f) * v, t = (1 - (1 - f) * s) * v;
    switch (i) {
        case 0: return RGBFromUnit(v, t, p);
        case 1: return RGBFromUnit(q, v, p);
        case 2: return RGBFromUnit(p, v, t);
        case 3: return RGBFromUnit(p, q, v);
        case 4: return RGBFromUnit(t, p, v);
        case 5: return RGBFromUnit(v, p, q);
        default: return 0;  // a hue that is not a number
    }
}

uint32_t RuntimeCMY(double c, double m, double y) { return RGBFromUnit(1.0 - c, 1.0 - m, 1.0 - y); }

int32_t readColorRed(uint32_t color) { return (color >> 16) & 0xFF; }
int32_t readColorGreen(uint32_t color) { return (color >> 8) & 0xFF; }
int32_t readColorBlue(uint32_t color) { return color & 0xFF; }
double readColorHue(uint32_t color) { return ColorToHSV(color).hue; }
double readColorSaturation(uint32_t color) { return ColorToHSV(color).saturation; }
double readColorValue(uint32_t color) { return ColorToHSV(color).value; }
double readColorCyan(uint32_t color) { return (255 - readColorRed(color)) / 255.0; }
double readColorMagenta(uint32_t color) { return (255 - readColorGreen(color)) / 255.0; }
double readColorYellow(uint32_t color) { return (255 - readColorBlue(color)) / 255.0; }

}
