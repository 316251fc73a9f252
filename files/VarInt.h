// Variable-length signed integers as byte streams store them: six bits and a sign in the first
// byte, then seven-bit groups, each byte but the last with its top bit set; at most five bytes.
#pragma once

#include <cstdint>

constexpr int kVarIntMaxBytes = 5;

// Writes the value's bytes to out and answers their number (1 to 5).
int EncodeVarInt(int32_t value, uint8_t out[kVarIntMaxBytes]);

// Takes the bytes of one value one at a time.
class VarIntDecoder {
public:
    // Answers true while the value goes on past this byte.
    bool Take(uint8_t byte);
    int32_t Value() const;

private:
    uint32_t mValue = 0;
    int32_t mShift = 0;  // the start bit of the next group
    bool mStarted = false;
    bool mNegative = false;
};
