// Pixel turns on plain buffers under AddressSanitizer: the quarter turn as an exact index
// mapping, 3π/2 as −π/2, angle 0 as identity, fill and edge corners, and the blend of a half-pixel
// shift (red, green and blue split, bits 24-31 moved whole).
#include <cstdint>
#include <cstdio>
#include <vector>

#include "NativeCheck.h"
#include "graphics/PixMapRotate.h"

namespace {


constexpr double kHalfPi = 1.5707963267948966;
constexpr int N = 16;

struct Map {
    std::vector<uint32_t> pixels = std::vector<uint32_t>(N * N);
    uint32_t& at(int x, int y) { return pixels[y * N + x]; }
};

// Every pixel a distinct value: y in bits 8-15, x in bits 0-7.
Map Numbered() {
    Map map;
    for (int y = 0; y < N; ++y)
        for (int x = 0; x < N; ++x) map.at(x, y) = static_cast<uint32_t>(y << 8 | x);
    return map;
}

Map Turn(Map source, double angle, int32_t flags, uint32_t background = 0x123456) {
    Map destination;
    for (uint32_t& p : destination.pixels) p = background;
    CHECK(RotatePixels(source.pixels.data(), N * 4, destination.pixels.data(), N * 4, N, N, angle,
                       flags) == 0);
    return destination;
}

bool Central(int x, int y) { return (x - 8) * (x - 8) + (y - 8) * (y - 8) <= 30; }

}  // namespace

int main() {
    // π/2 turns counterclockwise on the screen about the centre corner: destination (x, y) holds
    // source (N − y, x), exactly, over the middle of the map.
    const Map quarter = Turn(Numbered(), kHalfPi, kRotateFill);
    Map numbered = Numbered();
    for (int y = 0; y < N; ++y)
        for (int x = 0; x < N; ++x)
            if (Central(x, y) && quarter.pixels[y * N + x] != numbered.at(N - y, x)) {
                ++sFailures;
                std::printf("FAILED quarter turn at %d,%d\n", x, y);
            }
    // 3π/2 takes the same path as −π/2.
    CHECK(Turn(Numbered(), 3 * kHalfPi, kRotateFill).pixels ==
          Turn(Numbered(), -kHalfPi, kRotateFill).pixels);
    // Angle 0 leaves the picture as it was, in both modes; so does a whole turn.
    for (int32_t flags : {kRotateFill, kRotateEdge}) {
        CHECK(Turn(Numbered(), 0, flags).pixels == Numbered().pixels);
        CHECK(Turn(Numbered(), 4 * kHalfPi, flags).pixels == Numbered().pixels);
    }
    // Corners the turned picture leaves are white in fill mode; in edge mode they are not.
    Map black;
    const Map filled = Turn(black, 0.6, kRotateFill);
    const Map edged = Turn(black, 0.6, kRotateEdge);
    CHECK(filled.pixels[0] == kRotateWhite && filled.pixels[N * N - 1] == kRotateWhite);
    CHECK(edged.pixels[0] != kRotateWhite && edged.pixels[N * N - 1] != kRotateWhite);
    CHECK(filled.pixels[8 * N + 8] == 0 && edged.pixels[8 * N + 8] == 0);

    // Half a pixel to the right: each of red, green and blue splits between neighbours, truncated,
    // while bits 24-31 stay where the integer shift puts them.
    {
        const uint32_t row[4] = {0xAAC8C864, 0x00000000, 0x00000000, 0x00000000};
        uint32_t out[4] = {};
        ShearRows(row, 16, out, 16, 4, 1, -1.0, kRotateEdge);
        CHECK(out[0] == 0xAA646432 + 0x00646432);
        CHECK(out[1] == 0x00646432);
        uint32_t white[4] = {};
        ShearRows(row, 16, white, 16, 4, 1, -1.0, kRotateFill);
        CHECK(white[0] == 0xAA646432 + 0x007F7F7F);
    }
    // A turned grey disc on white has no colour fringes: blue blends like red at its edges.
    {
        Map grey;
        for (int y = 0; y < N; ++y)
            for (int x = 0; x < N; ++x) grey.at(x, y) = Central(x, y) ? 0x00808080 : kRotateWhite;
        const Map turned = Turn(grey, 0.3, kRotateFill);
        int blended = 0;
        for (int y = 0; y < N; ++y)
            for (int x = 0; x < N; ++x) {
                const uint32_t p = turned.pixels[y * N + x];
                blended += (p & 0xFF) != 0x80 && (p & 0xFF) != 0xFF;
                if ((p & 0xFF) != ((p >> 16) & 0xFF) || (p & 0xFF) != ((p >> 8) & 0xFF)) {
                    ++sFailures;
                    std::printf("FAILED fringe at %d,%d: %08X\n", x, y, p);
                }
            }
        CHECK(blended > 0);
    }
    if (sFailures) {
        std::printf("%d failures\n", sFailures);
        return 1;
    }
    std::printf("pixel map rotation checks passed\n");
    return 0;
}
