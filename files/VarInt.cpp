#include "VarInt.h"

namespace {

constexpr uint8_t kMore = 0x80;
constexpr uint8_t kSign = 0x40;

}  // namespace

// The most negative value has no positive counterpart: it goes out as its magnitude without the
// sign bit, and the reader maps that magnitude back to it.
int EncodeVarInt(int32_t value, uint8_t out[kVarIntMaxBytes]) {
    const bool negative = value < 0 && value != INT32_MIN;
    const uint32_t magnitude = negative ? 0u - static_cast<uint32_t>(value)
                                        : static_cast<uint32_t>(value);
    out[0] = static_cast<uint8_t>((magnitude & 0x3F) | (negative ? kSign : 0));
    int count = 1;
    for (int shift = 6; shift < 32 && (magnitude >> shift) != 0; shift += 7) {
        out[count - 1] |= kMore;
        out[count++] = static_cast<uint8_t>((magnitude >> shift) & 0x7F);
    }
    return count;
}

// Groups past the fifth never come from the writer; they land at their start bit modulo 32.
bool VarIntDecoder::Take(uint8_t byte) {
    if (!mStarted) {
        mStarted = true;
        mNegative = byte & kSign;
        mValue = byte & 0x3F;
        mShift = 6;
    } else {
        mValue |= static_cast<uint32_t>(byte & 0x7F) << mShift;
        mShift = (mShift + 7) % 32;
    }
    return byte & kMore;
}

int32_t VarIntDecoder::Value() const {
    if (mValue == 0x80000000u) return INT32_MIN;
    return static_cast<int32_t>(mNegative ? 0u - mValue : mValue);
}
