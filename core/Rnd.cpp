#include "core/Rnd.h"

#include <windows.h>

#include <cstdint>

#include "core/NumberConversion.h"

namespace {

// 0 until seeded. Every caller runs on the one OS thread, so it takes no lock.
int32_t sRndState = 0;

}  // namespace

extern "C" double rnd() {
    if (sRndState == 0) {
        sRndState = static_cast<int32_t>(GetTickCount() & 0x7FFFFFFF);
        if (sRndState == 0) sRndState = 1;
        for (int i = 0; i < 7; ++i) rnd();
    }
    // Park and Miller's minimal standard step, by Schrage's method so that nothing overflows.
    constexpr int32_t q = 127773, r = 2836, a = 16807, m = 0x7FFFFFFF;
    const int32_t hi = sRndState / q;
    const int32_t lo = sRndState % q;
    const int32_t t = a * lo - r * hi;
    sRndState = t > 0 ? t : t + m;
    return (sRndState & 0x7FFFFFFF & 0xFFFFF) / 1048576.0;
}

extern "C" double srnd(double seed) {
    const double old = sRndState;
    sRndState = TruncateToInt32(seed);
    return old;
}
