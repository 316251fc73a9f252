#include "ByteOrder.h"

#include <cstring>

int32_t ByteSwapRange(void* bytes, int32_t count) {
    auto* b = static_cast<unsigned char*>(bytes);
    for (int32_t i = 0, j = count - 1; i < j; ++i, --j) {
        const unsigned char held = b[i];
        b[i] = b[j];
        b[j] = held;
    }
    return count / 2;
}

uint32_t SwapBytes32(uint32_t value) { return __builtin_bswap32(value); }

uint16_t SwapBytes16(uint16_t value) { return static_cast<uint16_t>(value << 8 | value >> 8); }

double SwapDoubleBytes(double value) {
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    bits = __builtin_bswap64(bits);
    std::memcpy(&value, &bits, sizeof bits);
    return value;
}
