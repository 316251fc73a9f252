// The white mask and the masked blend on plain memory, under AddressSanitizer: the whiteness
// rules of every depth, the blend arithmetic, nearest-neighbour scaling, a work area wider than
// the destination, and a source rectangle reaching outside the picture, which reads nothing
// there and leaves the background.
#include <cstdint>
#include <cstdio>
#include <vector>

#include "NativeCheck.h"
#include "graphics/PictureBlend.h"

namespace {


using Bytes = std::vector<uint8_t>;

// The mask bit of column c in row 0.
bool MaskBit(const Bytes& mask, int c) { return (mask[c / 8] >> (7 - c % 8)) & 1; }

}  // namespace

int main() {
    // Whiteness per depth: one row each, the mask bits and the copy's black.
    struct Row { int depth, width; Bytes pixels; std::vector<bool> white; Bytes copy; } rows[] = {
        {32, 3, {255, 255, 255, 0, 254, 255, 255, 0, 255, 255, 255, 128}, {true, false, true},
         {0, 0, 0, 0, 254, 255, 255, 0, 0, 0, 0, 0}},
        {24, 2, {255, 255, 255, 255, 254, 255, 0, 0}, {true, false}, {0, 0, 0, 255, 254, 255, 0, 0}},
        {16, 2, {0xFF, 0x7F, 0xFE, 0xFF}, {true, false}, {0, 0, 0xFE, 0xFF}},
        {8, 3, {215, 0, 214, 0}, {true, false, false}, {0, 0, 214, 0}},
        {4, 3, {0x0F, 0x00, 0, 0}, {true, false, true}, {0xFF, 0xF0, 0, 0}},
        {1, 9, {0xAA, 0x80, 0, 0}, {false, true, false, true, false, true, false, true, false},
         {0xFF, 0xFF, 0, 0}},
    };
    for (Row& r : rows) {
        const int32_t rowBytes = static_cast<int32_t>(r.pixels.size());
        const PixelRows picture{r.pixels.data(), r.depth, rowBytes, r.width, 1};
        Bytes mask(4, 0xCC);
        Bytes copy = r.pixels;
        CHECK(BuildWhiteMaskRows(picture, mask.data(), copy.data()));
        for (int c = 0; c < r.width; ++c) {
            if (MaskBit(mask, c) != r.white[c]) {
                ++sFailures;
                std::printf("FAILED depth %d column %d\n", r.depth, c);
            }
        }
        if (r.depth != 1) CHECK(copy == r.copy);
        else CHECK(copy[0] == 0xFF && (copy[1] & 0x80) == 0x80);
    }
    {
        Bytes pixels(4, 0), mask(4), copy(4);
        const PixelRows depth2{pixels.data(), 2, 4, 4, 1};
        CHECK(!BuildWhiteMaskRows(depth2, mask.data(), copy.data()));
    }

    // Blend: a 3 x 1 32-bit picture (blue 200, green 100, red 50) over grey 100 through masks
    // 0, 128 and 255.
    {
        Bytes pixels = {200, 100, 50, 0, 200, 100, 50, 0, 200, 100, 50, 0};
        Bytes mask = {0, 0, 0, 0, 0, 128, 0, 0, 0, 255, 0, 0};
        const PixelRows picture{pixels.data(), 32, 12, 3, 1};
        Bytes work(12, 100);  // 3 destination pixels on a row of 4 (the 4th stays)
        BlendThroughMask(picture, mask.data(), 12, 0, 0, 3, 1, work.data(), 12, 3, 1);
        const Bytes expected = {200, 100, 50,
                                static_cast<uint8_t>(200 * 127 / 255 + 100 * 128 / 255),
                                static_cast<uint8_t>(100 * 127 / 255 + 100 * 128 / 255),
                                static_cast<uint8_t>(50 * 127 / 255 + 100 * 128 / 255),
                                100, 100, 100, 100, 100, 100};
        CHECK(work == expected);
    }
    // Nearest-neighbour: (0, 0)-(10, 10) into 20 x 20 repeats each source pixel in 2 x 2.
    {
        Bytes pixels(10 * 30);
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 10; ++x) pixels[y * 30 + 3 * x] = static_cast<uint8_t>(10 * y + x);
        Bytes mask(10 * 40, 0);
        const PixelRows picture{pixels.data(), 24, 30, 10, 10};
        Bytes work(20 * 60, 7);
        BlendThroughMask(picture, mask.data(), 40, 0, 0, 10, 10, work.data(), 60, 20, 20);
        bool blocks = true;
        for (int i = 0; i < 20; ++i)
            for (int j = 0; j < 20; ++j)
                blocks &= work[(19 - i) * 60 + 3 * j] == 10 * (i / 2) + j / 2;
        CHECK(blocks);
    }
    // A masked 10 x 10 picture drawn from (-5, -5) over 20 x 20 source pixels into 40 x 40: only
    // the picture's own pixels are read, the rest keeps the background.
    {
        Bytes pixels(10 * 40, 9);
        Bytes mask(10 * 40, 0);
        const PixelRows picture{pixels.data(), 32, 40, 10, 10};
        Bytes work(40 * 120, 7);
        BlendThroughMask(picture, mask.data(), 40, -5, -5, 20, 20, work.data(), 120, 40, 40);
        int drawn = 0, kept = 0;
        for (int i = 0; i < 40; ++i)
            for (int j = 0; j < 40; ++j) {
                const uint8_t v = work[(39 - i) * 120 + 3 * j];
                drawn += v == 9;
                kept += v == 7;
            }
        CHECK(drawn == 20 * 20);
        CHECK(kept == 40 * 40 - 20 * 20);
    }
    std::printf("%s\n", sFailures ? "FAILED" : "passed");
    return sFailures ? 1 : 0;
}
