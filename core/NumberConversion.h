// Conversions between doubles and 32-bit integers with the processor's rules but without C++'s
// undefined behaviour: a value out of range (or not a number) gives the integer-indefinite value.
#pragma once

#include <cstdint>

// Truncation toward zero; out of the signed range gives INT32_MIN (0x80000000).
inline int32_t TruncateToInt32(double value) {
    if (!(value > -2147483649.0 && value < 2147483648.0)) return INT32_MIN;
    return static_cast<int32_t>(value);
}

// Truncation toward zero to 64 bits, the low 32 kept; out of the 64-bit range gives the 64-bit
// indefinite value, whose low half is 0.
inline uint32_t TruncateToUInt32(double value) {
    if (!(value >= -9223372036854775808.0 && value < 9223372036854775808.0)) return 0;
    return static_cast<uint32_t>(static_cast<uint64_t>(static_cast<int64_t>(value)));
}
