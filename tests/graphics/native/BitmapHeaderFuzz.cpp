// libFuzzer target over the BMP and DIB header reader: every accepted file is read to its last
// pixel, so a layout that promises more than the bytes hold shows as a read outside them.
#include <cstddef>
#include <cstdint>

#include "graphics/BitmapHeader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    BitmapLayout layout;
    if (!ReadBMPLayout(data, size, layout)) return 0;
    uint32_t sum = 0;
    for (int32_t y = 0; y < layout.height; ++y)
        for (int32_t x = 0; x < layout.width; ++x)
            sum += ReadBitmapPixel(layout, data + kFileHeaderSize, x, y);
    return sum == 0x12345678 ? 0 : 0;
}
