// Digits of a power-of-two base read into a 32-bit value: pure logic over bytes, free of the
// runtime's string types, so that the number readers built on it also build natively.
#pragma once

#include <cstdint>

// The value of a hexadecimal digit, or -1.
int HexDigitValue(unsigned char c);

// The value of length characters, wrapping at 32 bits. error, when not null, is cleared and then
// set by any character that is not a digit of the base; such a character is skipped.
uint32_t ParseHex(const char* text, int32_t length, bool* error);
uint32_t ParseOctal(const char* text, int32_t length, bool* error);
uint32_t ParseBinary(const char* text, int32_t length, bool* error);
