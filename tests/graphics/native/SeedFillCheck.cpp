// The seed fill on plain memory under AddressSanitizer: four-connected regions (a diagonal gap
// stops it), the compared value per depth, and a fill whose pending segments pass the stack's
// 10,000 entries, which stops short without harm.
#include <cstdint>
#include <cstdio>
#include <vector>

#include "NativeCheck.h"
#include "graphics/SeedFill.h"

namespace {


struct Surface {
    Surface(int32_t w, int32_t h, int32_t depth)
        : bits(static_cast<size_t>(h) * w * (depth / 8), 0),
          view{nullptr, depth, w * (depth / 8), w, h} {
        view.bits = bits.data();
    }
    uint32_t Get(int32_t x, int32_t y) const {
        const uint8_t* p = &bits[static_cast<size_t>(y) * view.rowBytes + x * (view.depth / 8)];
        if (view.depth == 16) return p[0] | (p[1] << 8);
        uint32_t v = p[0] | (p[1] << 8) | (p[2] << 16);
        if (view.depth == 32) v |= static_cast<uint32_t>(p[3]) << 24;
        return v;
    }
    void Set(int32_t x, int32_t y, uint32_t v) {
        uint8_t* p = &bits[static_cast<size_t>(y) * view.rowBytes + x * (view.depth / 8)];
        for (int k = 0; k < view.depth / 8; ++k) p[k] = (v >> (8 * k)) & 0xFF;
    }
    int Count(uint32_t v) const {
        int n = 0;
        for (int32_t y = 0; y < view.height; ++y)
            for (int32_t x = 0; x < view.width; ++x) n += Get(x, y) == v;
        return n;
    }
    std::vector<uint8_t> bits;
    FillSurface view;
};

}  // namespace

int main() {
    // Two squares that touch only at a corner: the fill stays in the first.
    {
        Surface s(8, 8, 24);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) s.Set(x, y, 0xFFFFFF);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 3; ++x) s.Set(x, y, 0x000001), s.Set(x + 3, y + 3, 0x000001);
        CHECK(SeedFill(s.view, 1, 1, 0x00FF00));
        CHECK(s.Count(0x00FF00) == 9);
        CHECK(s.Get(4, 4) == 0x000001);
        CHECK(s.Get(3, 2) == 0xFFFFFF);
    }
    // A ring: the fill goes round it and leaves the inside.
    {
        Surface s(10, 10, 32);
        for (int i = 2; i < 8; ++i) s.Set(i, 2, 7), s.Set(i, 7, 7), s.Set(2, i, 7), s.Set(7, i, 7);
        s.Set(0, 0, 0xAB000000);  // the top byte does not count: this pixel is filled too
        CHECK(SeedFill(s.view, 9, 9, 0x00123456));
        CHECK(s.Count(0x00123456) == 100 - 36);
        CHECK(s.Get(4, 4) == 0);
        CHECK(s.Get(2, 2) == 7);
    }
    // Depth 16: the colour becomes its 5-5-5 pixel; a fill with the old value changes nothing.
    {
        Surface s(4, 4, 16);
        CHECK(SeedFill(s.view, 0, 0, 0xFF8000));
        CHECK(s.Count(Pixel16FromColor(0xFF8000)) == 16);
        CHECK(Pixel16FromColor(0xFF8000) == 0x7E00);
        CHECK(SeedFill(s.view, 0, 0, 0xFF8000));
        CHECK(!SeedFill(s.view, 4, 0, 0));
        CHECK(!SeedFill(s.view, 0, -1, 0));
    }
    // Teeth: an open top row over columns walled apart. Each tooth is a pending segment; 5,000
    // fit the stack, 15,000 do not and the fill stops short.
    for (int32_t width : {10000, 30000}) {
        Surface s(width, 4, 24);
        for (int y = 1; y < 4; ++y)
            for (int x = 1; x < width; x += 2) s.Set(x, y, 0x000001);
        CHECK(SeedFill(s.view, 0, 0, 0x00FF00));
        const int open = width + 3 * ((width + 1) / 2);
        const int filled = s.Count(0x00FF00);
        if (width == 10000) CHECK(filled == open);
        else CHECK(filled < open && filled >= width);
    }
    std::printf("%s\n", sFailures ? "FAILED" : "passed");
    return sFailures ? 1 : 0;
}
