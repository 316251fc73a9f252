#include "SeedFill.h"

namespace {

struct Segment {
    int16_t y, xl, xr, dy;
};

class Filler {
public:
    Filler(const FillSurface& s, uint32_t fill) : mS(s), mFill(fill) {}

    // The value a pixel compares by: 24 colour bits at depths 24 and 32, the 16-bit value at 16.
    uint32_t Read(int32_t x, int32_t y) const {
        const uint8_t* p = Address(x, y);
        if (mS.depth == 16) return p[0] | (p[1] << 8);
        return p[0] | (p[1] << 8) | (p[2] << 16);
    }
    void Write(int32_t x, int32_t y) const {
        uint8_t* p = Address(x, y);
        if (mS.depth == 16) {
            p[0] = mFill & 0xFF;
            p[1] = (mFill >> 8) & 0xFF;
            return;
        }
        p[0] = mFill & 0xFF;
        p[1] = (mFill >> 8) & 0xFF;
        p[2] = (mFill >> 16) & 0xFF;
        if (mS.depth == 32) p[3] = (mFill >> 24) & 0xFF;
    }

    void Push(int32_t y, int32_t xl, int32_t xr, int32_t dy) {
        if (mCount >= kSeedFillStackSize || y + dy < 0 || y + dy >= mS.height) return;
        mStack[mCount++] = Segment{static_cast<int16_t>(y), static_cast<int16_t>(xl),
                                   static_cast<int16_t>(xr), static_cast<int16_t>(dy)};
    }

    void Run(int32_t seedX, int32_t seedY) {
        const uint32_t old = Read(seedX, seedY);
        const uint32_t compared = mS.depth == 16 ? mFill & 0xFFFF : mFill & 0xFFFFFF;
        if (old == compared) return;
        Push(seedY, seedX, seedX, 1);
        Push(seedY + 1, seedX, seedX, -1);
        while (mCount > 0) {
            const Segment s = mStack[--mCount];
            const int32_t y = s.y + s.dy;
            const int32_t x1 = s.xl, x2 = s.xr, dy = s.dy;
            int32_t x = x1;
            while (x >= 0 && Read(x, y) == old) Write(x--, y);
            int32_t l;
            if (x >= x1) goto skip;
            l = x + 1;
            if (l < x1) Push(y, l, x1 - 1, -dy);
            x = x1 + 1;
            do {
                while (x < mS.width && Read(x, y) == old) Write(x++, y);
                Push(y, l, x - 1, dy);
                if (x > x2 + 1) Push(y, x2 + 1, x - 1, -dy);
            skip:
                for (++x; x <= x2 && Read(x, y) != old; ++x) {
                }
                l = x;
            } while (x <= x2);
        }
    }

private:
    uint8_t* Address(int32_t x, int32_t y) const {
        return mS.bits + static_cast<int64_t>(y) * mS.rowBytes + x * (mS.depth / 8);
    }

    const FillSurface& mS;
    uint32_t mFill;
    Segment mStack[kSeedFillStackSize];
    int32_t mCount = 0;
};

}  // namespace

bool SeedFill(const FillSurface& surface, int32_t x, int32_t y, uint32_t colour) {
    if (x < 0 || y < 0 || x >= surface.width || y >= surface.height) return false;
    if (surface.depth != 16 && surface.depth != 24 && surface.depth != 32) return true;
    const uint32_t fill = surface.depth == 16 ? Pixel16FromColor(colour) : colour;
    // The segment stack is 80,000 bytes: it lives on the heap, not on the caller's stack.
    Filler* filler = new Filler(surface, fill);
    filler->Run(x, y);
    delete filler;
    return true;
}
