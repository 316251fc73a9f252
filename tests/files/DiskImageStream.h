// A writable stream over a byte vector standing in for a volume's disk file: positioned writes,
// resizing, a read-only mode, a write that fails after a given count, and a hook that sees the
// bytes before every write (for copies taken at the moment of a crash).
#pragma once

#include <algorithm>
#include <cstring>
#include <functional>
#include <vector>

#include "files/ByteStream.h"

#undef EOF

class DiskImageStream : public ByteStream {
public:
    DiskImageStream() = default;
    explicit DiskImageStream(std::vector<unsigned char> image) : bytes(std::move(image)) {}

    // The byte swapping that the creators and openers of volumes set.
    DiskImageStream& BigEndian() {
        SwapOn();
        SetSwapDoubles(true);
        return *this;
    }

    bool Read(void* buffer, int32_t length, int32_t* count) override {
        if (count) *count = 0;
        if (length <= 0) return true;
        if (position >= static_cast<int64_t>(bytes.size())) return false;
        const int64_t n = std::min<int64_t>(length, static_cast<int64_t>(bytes.size()) - position);
        std::memcpy(buffer, bytes.data() + position, static_cast<size_t>(n));
        position += n;
        if (count) *count = static_cast<int32_t>(n);
        return true;
    }
    bool Write(const void* buffer, int32_t length) override {
        if (beforeWrite) beforeWrite(*this);
        if (readOnly || writesLeft == 0) {
            mLastError = 5;
            return false;
        }
        if (writesLeft > 0) --writesLeft;
        if (length <= 0) return true;
        if (position + length > static_cast<int64_t>(bytes.size())) bytes.resize(static_cast<size_t>(position + length));
        std::memcpy(bytes.data() + position, buffer, static_cast<size_t>(length));
        position += length;
        return true;
    }
    bool Close() override {
        ++closes;
        return true;
    }
    bool EOF() override { return position >= static_cast<int64_t>(bytes.size()); }
    bool SetPosition(int32_t p) override {
        if (p < 0) return false;
        position = p;
        return true;
    }
    int32_t Length() override { return static_cast<int32_t>(bytes.size()); }
    bool SetLength(int32_t length) override {
        if (readOnly || length < 0) return false;
        bytes.resize(static_cast<size_t>(length));
        return true;
    }
    int32_t Position() override { return static_cast<int32_t>(position); }

    std::vector<unsigned char> bytes;
    int64_t position = 0;
    bool readOnly = false;
    int64_t writesLeft = -1;  // negative: no limit
    int closes = 0;
    std::function<void(DiskImageStream&)> beforeWrite;
};
