#include "MemoryBlockStream.h"

#include <cstring>

#include "core/Exceptions.h"
#include "core/FailureReport.h"
#include "values/MemoryBlock.h"

#undef EOF

namespace {

constexpr int32_t kSmallestGrowth = 32;
constexpr int32_t kLargestGrowth = 0x100000;

}  // namespace

MemoryBlockStream::~MemoryBlockStream() { Close(); }

void MemoryBlockStream::Attach(ObjectHeader* block) {
    if (!block) {
        RaiseNilObjectException();
        return;
    }
    Close();
    RuntimeLockObject(block);
    mBlock = block;
    mPosition = 0;
    mLength = MemoryBlockFields(block)->size;
}

bool MemoryBlockStream::Read(void* buffer, int32_t length, int32_t* count) {
    if (!buffer) {
        ReportAssertion("MemoryBlock", __LINE__, "data");
        return false;
    }
    if (count) *count = 0;
    if (length <= 0) return true;
    if (!mBlock) return false;
    const MemoryBlockObject* b = MemoryBlockFields(mBlock);
    if (b->sizeKnown && static_cast<int64_t>(mPosition) + length > mLength) length = mLength - mPosition;
    if (length <= 0 || !b->data) return false;
    std::memcpy(buffer, b->data + mPosition, static_cast<size_t>(length));
    if (count) *count = length;
    mPosition += length;
    return true;
}

bool MemoryBlockStream::Write(const void* buffer, int32_t length) {
    if (!buffer || length <= 0) return true;
    if (!mBlock) return false;
    const MemoryBlockObject* b = MemoryBlockFields(mBlock);
    const int64_t end = static_cast<int64_t>(mPosition) + length;
    if (end > INT32_MAX) return false;
    if (b->sizeKnown && end >= b->size) {
        int32_t step = b->size < kSmallestGrowth ? kSmallestGrowth
                       : b->size > kLargestGrowth ? kLargestGrowth
                                                  : b->size;
        if (b->size + static_cast<int64_t>(step) < end) step += length;
        const int64_t grown = static_cast<int64_t>(b->size) + step;
        if (grown > INT32_MAX) return false;
        SetMemoryBlockSize(mBlock, static_cast<int32_t>(grown));
        if (b->size < end) return false;  // no memory: OutOfMemoryException was raised
    }
    // A block that wraps no address has nowhere to take the bytes.
    if (!b->data) return false;
    std::memcpy(b->data + mPosition, buffer, static_cast<size_t>(length));
    mPosition += length;
    if (mPosition > mLength) mLength = mPosition;
    return true;
}

// Only a block of known size is trimmed: resizing one that wraps an outside address would give it
// new, cleared bytes in place of those just written.
bool MemoryBlockStream::Close() {
    if (!mBlock) return true;
    ObjectHeader* block = mBlock;
    if (mLength > 0 && MemoryBlockFields(block)->sizeKnown) SetMemoryBlockSize(block, mLength);
    mBlock = nullptr;
    mPosition = 0;
    mLength = 0;
    RuntimeUnlockObject(block);
    return true;
}

bool MemoryBlockStream::EOF() {
    return !mBlock || (MemoryBlockFields(mBlock)->sizeKnown && mPosition >= mLength);
}

bool MemoryBlockStream::SetPosition(int32_t position) {
    if (!mBlock) return true;
    const MemoryBlockObject* b = MemoryBlockFields(mBlock);
    if (position < 0) position = 0;
    if (b->sizeKnown && position > b->size) position = b->size;
    mPosition = position;
    return true;
}

int32_t MemoryBlockStream::Length() {
    if (!mBlock) return 0;
    return MemoryBlockFields(mBlock)->sizeKnown ? mLength : -1;
}

bool MemoryBlockStream::SetLength(int32_t length) {
    if (!mBlock) return true;
    SetMemoryBlockSize(mBlock, length);
    if (MemoryBlockFields(mBlock)->size != length) return false;  // raised
    mLength = length;
    return true;
}

int32_t MemoryBlockStream::Position() { return mPosition; }
