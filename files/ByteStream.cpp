#include "ByteStream.h"

#include <cstring>
#include <utility>

#include "VarInt.h"

namespace {

template <typename T>
T Reversed(T value) {
    unsigned char bytes[sizeof(T)];
    std::memcpy(bytes, &value, sizeof(T));
    for (size_t i = 0; i < sizeof(T) / 2; ++i) std::swap(bytes[i], bytes[sizeof(T) - 1 - i]);
    std::memcpy(&value, bytes, sizeof(T));
    return value;
}

}  // namespace

ByteStream::~ByteStream() = default;

void ByteStream::Flush() {}

void ByteStream::SwapOn() { mSwapBytes = 1; }

void ByteStream::SwapOff() { mSwapBytes = 0; }

bool ByteStream::WriteInt16(int32_t value) {
    int16_t half = static_cast<int16_t>(value);
    if (mSwapBytes) half = Reversed(half);
    return Write(&half, sizeof half);
}

bool ByteStream::WriteInt32(int32_t value) {
    if (mSwapBytes) value = Reversed(value);
    return Write(&value, sizeof value);
}

bool ByteStream::WriteDouble(double value) {
    if (mSwapBytes && mSwapDoubles) value = Reversed(value);
    return Write(&value, sizeof value);
}

bool ByteStream::WriteVarInt(int32_t value) {
    uint8_t bytes[kVarIntMaxBytes];
    return Write(bytes, EncodeVarInt(value, bytes));
}

bool ByteStream::ReadInt16(int16_t& value) {
    int32_t count = 0;
    if (!Read(&value, sizeof value, &count)) return false;
    if (mSwapBytes) value = Reversed(value);
    return count == sizeof value;
}

bool ByteStream::ReadInt32(int32_t& value) {
    int32_t count = 0;
    if (!Read(&value, sizeof value, &count)) return false;
    if (mSwapBytes) value = Reversed(value);
    return count == sizeof value;
}

bool ByteStream::ReadDouble(double& value) {
    int32_t count = 0;
    if (!Read(&value, sizeof value, &count)) return false;
    if (mSwapBytes && mSwapDoubles) value = Reversed(value);
    return count == sizeof value;
}

bool ByteStream::ReadVarInt(int32_t& value) {
    VarIntDecoder decoder;
    uint8_t byte = 0;
    do {
        int32_t count = 0;
        if (!Read(&byte, 1, &count) || count != 1) return false;
    } while (decoder.Take(byte));
    value = decoder.Value();
    return true;
}
