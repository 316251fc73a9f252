// A growable stream over a byte vector for tests, recording the size of every Write.
#pragma once

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <vector>

#include "files/ByteStream.h"

#undef EOF

class VectorStream : public ByteStream {
public:
    bool Read(void* buffer, int32_t length, int32_t* count) override {
        const int32_t n = std::min<int32_t>(length, static_cast<int32_t>(bytes.size()) - position);
        if (count) *count = n < 0 ? 0 : n;
        if (n <= 0) return length == 0;
        std::memcpy(buffer, bytes.data() + position, static_cast<size_t>(n));
        position += n;
        return true;
    }
    bool Write(const void* buffer, int32_t length) override {
        writes.push_back(length);
        const auto* p = static_cast<const unsigned char*>(buffer);
        bytes.insert(bytes.end(), p, p + length);
        return true;
    }
    bool Close() override { return true; }
    bool EOF() override { return position >= static_cast<int32_t>(bytes.size()); }
    bool SetPosition(int32_t p) override {
        position = p;
        return true;
    }
    int32_t Length() override { return static_cast<int32_t>(bytes.size()); }
    bool SetLength(int32_t) override { return false; }
    int32_t Position() override { return position; }

    void SwapDoubles(bool swap) { SetSwapDoubles(swap); }
    void SetError(int32_t code) { mLastError = code; }

    std::vector<unsigned char> bytes;
    std::vector<int32_t> writes;
    int32_t position = 0;
};

inline std::vector<unsigned char> Bytes(std::initializer_list<int> values) {
    return std::vector<unsigned char>(values.begin(), values.end());
}
