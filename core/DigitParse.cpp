#include "DigitParse.h"

namespace {

uint32_t ParseDigits(const char* text, int32_t length, bool* error, int bitsPerDigit) {
    if (error) *error = false;
    const int base = 1 << bitsPerDigit;
    uint32_t value = 0;
    for (int32_t i = 0; text && i < length; ++i) {
        const int digit = HexDigitValue(static_cast<unsigned char>(text[i]));
        if (digit < 0 || digit >= base) {
            if (error) *error = true;
            continue;
        }
        value = (value << bitsPerDigit) | uint32_t(digit);
    }
    return value;
}

}  // namespace

int HexDigitValue(unsigned char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

uint32_t ParseHex(const char* text, int32_t length, bool* error) { return ParseDigits(text, length, error, 4); }
uint32_t ParseOctal(const char* text, int32_t length, bool* error) { return ParseDigits(text, length, error, 3); }
uint32_t ParseBinary(const char* text, int32_t length, bool* error) { return ParseDigits(text, length, error, 1); }
