#include "PixMapRotate.h"

#include <cmath>
#include <cstring>

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kHalfPi = 1.5707963267948966;

// The share of a pixel that moves on to the next position at the fraction f. Red, green and blue
// (bits 0-23) are blended; bits 24-31 stay with the integer shift.
uint32_t Part(uint32_t v, double f) {
    if (f < 0.0039) return 0;
    if (f > 0.96) return v;
    const uint32_t r = static_cast<uint32_t>(((v >> 16) & 0xFF) * f);
    const uint32_t g = static_cast<uint32_t>(((v >> 8) & 0xFF) * f);
    const uint32_t b = static_cast<uint32_t>((v & 0xFF) * f);
    return (r << 16) | (g << 8) | b;
}

// One line of count pixels, step words apart, moved by s positions.
void ShearLine(const uint32_t* source, int32_t sourceStep, uint32_t* destination,
               int32_t destinationStep, int32_t count, double s, int32_t flags) {
    const int32_t n = s >= 0 ? static_cast<int32_t>(s) : static_cast<int32_t>(s - 1);
    const double f = s - n;
    const bool edge = (flags & kRotateEdge) != 0;
    if (flags & kRotateFill) {
        if (n >= 1) {
            for (int32_t j = 0; j < n && j < count; ++j) destination[j * destinationStep] = kRotateWhite;
        } else if (n < 0) {
            for (int32_t j = count + n + 1 < 0 ? 0 : count + n + 1; j < count; ++j)
                destination[j * destinationStep] = kRotateWhite;
        }
    }
    const uint32_t first = edge ? source[0] : kRotateWhite;
    uint32_t carry = Part(first, f);
    for (int32_t j = 0; j < count; ++j) {
        const uint32_t v = source[j * sourceStep];
        const uint32_t p = Part(v, f);
        const int32_t target = j + n;
        if (target >= 0 && target < count) destination[target * destinationStep] = v - p + carry;
        carry = p;
    }
    const int32_t trailing = count + n;
    if (trailing >= 0 && trailing < count) {
        const uint32_t last = edge ? source[(count - 1) * sourceStep] : kRotateWhite;
        destination[trailing * destinationStep] = last - Part(last, f) + carry;
    }
}

}  // namespace

void ShearRows(const uint32_t* source, int32_t sourceStride, uint32_t* destination,
               int32_t destinationStride, int32_t width, int32_t height, double factor,
               int32_t flags) {
    double s = height * -0.5 * factor;
    for (int32_t i = 0; i < height; ++i, s += factor)
        ShearLine(source + static_cast<intptr_t>(i) * (sourceStride / 4), 1,
                  destination + static_cast<intptr_t>(i) * (destinationStride / 4), 1, width, s,
                  flags);
}

void ShearColumns(const uint32_t* source, int32_t sourceStride, uint32_t* destination,
                  int32_t destinationStride, int32_t width, int32_t height, double factor,
                  int32_t flags) {
    double s = width * -0.5 * factor;
    for (int32_t i = 0; i < width; ++i, s += factor)
        ShearLine(source + i, sourceStride / 4, destination + i, destinationStride / 4, height, s,
                  flags);
}

void CopyPixelRows(const uint32_t* from, int32_t fromStride, uint32_t* to, int32_t,
                   int32_t rows) {
    std::memcpy(to, from, static_cast<size_t>(fromStride) * static_cast<size_t>(rows));
}

int32_t RotatePixels(uint32_t* source, int32_t sourceStride, uint32_t* destination,
                     int32_t destinationStride, int32_t width, int32_t height, double angle,
                     int32_t flags) {
    auto shears = [&](double rows, double columns) {
        ShearRows(source, sourceStride, destination, destinationStride, width, height, rows, flags);
        ShearColumns(destination, destinationStride, source, sourceStride, width, height, columns,
                     flags);
        ShearRows(source, sourceStride, destination, destinationStride, width, height, rows, flags);
    };
    double c = std::fmod(angle, 2 * kPi);
    if (c > kPi) c -= 2 * kPi;
    if (c < -kPi) c += 2 * kPi;
    if (c >= kHalfPi || c <= -kHalfPi) {
        const double k = c >= kHalfPi ? 1.0 : -1.0;
        shears(k, -k);
        c -= k * kHalfPi;
        if (c > -0.0001 && c < 0.0001) return 0;
        CopyPixelRows(destination, destinationStride, source, sourceStride, height);
    }
    const double t = -std::tan(-c * 0.5);
    shears(t, -2 * t / (t * t + 1));
    return 0;
}
