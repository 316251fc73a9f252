// Byte-order reversal.
#pragma once

#include <cstdint>

int32_t ByteSwapRange(void* bytes, int32_t count);
uint32_t SwapBytes32(uint32_t value);
uint16_t SwapBytes16(uint16_t value);
double SwapDoubleBytes(double value);
