#include "Array.h"

#include <cstring>

#include "FailureReport.h"
#include "SmallBlockAllocator.h"
#include "core/ByteHandle.h"

namespace {
constexpr int32_t kInitialGrowthStep = 16;
constexpr int32_t kLargestGrowthStep = 4096;
}  // namespace

Array::Array()
    : mStore(nullptr),
      mCount(0),
      mCapacity(0),
      mElementSize(sizeof(void*)),
      mGrowthStep(kInitialGrowthStep) {}

Array::~Array() {
    if (mStore) DisposeByteHandle(mStore);
}

void** Array::Entries() const { return mStore ? static_cast<void**>(mStore->data) : nullptr; }

void Array::SetStoreEntries(int32_t entries) {
    if (mStore)
        SetByteHandleSize(mStore, entries * mElementSize);
    else if (entries)
        mStore = NewByteHandle(entries * mElementSize);
}

void Array::Resize(int32_t n) {
    if (n < 0) n = 0;
    SetStoreEntries(n);
    if (n > mCount) std::memset(Entries() + mCount, 0, sizeof(void*) * (n - mCount));
    mCount = n;
    mCapacity = n;
}

void* Array::Get(int32_t index) const {
    if (index < 0 || index >= mCount) {
        ReportAssertion("array", 70, "0");
        return nullptr;
    }
    return Entries()[index];
}

void Array::Set(int32_t index, void* value) {
    if (index < 0 || index >= mCount) {
        ReportAssertion("array", 90, "0");
        return;
    }
    Entries()[index] = value;
}

void Array::Insert(int32_t index, void* value) {
    if (index < 0 || index > mCount) {
        ReportAssertion("array", 125, "0");
        return;
    }
    if (mCount == mCapacity) {
        mCapacity += mGrowthStep;
        mGrowthStep = mGrowthStep * 2 > kLargestGrowthStep ? kLargestGrowthStep : mGrowthStep * 2;
        SetStoreEntries(mCapacity);
    }
    void** entries = Entries();
    std::memmove(entries + index + 1, entries + index, sizeof(void*) * (mCount - index));
    entries[index] = value;
    ++mCount;
}

void Array::Remove(int32_t index) {
    if (index < 0 || index >= mCount) {
        ReportAssertion("array", 175, "not (idx < 0 || idx >= lCount)");
        return;
    }
    void** entries = Entries();
    std::memmove(entries + index, entries + index + 1, sizeof(void*) * (mCount - index - 1));
    --mCount;
    mGrowthStep = kInitialGrowthStep;
}

void Array::SwapRanges(int32_t startA, int32_t countA, int32_t startB, int32_t countB) {
    // Runs outside the list or overlapping each other would scramble entries: leave the list alone.
    if (countA < 0 || countB < 0 || startA < 0 || startB < 0 || startA + countA > mCount ||
        startB + countB > mCount || (startA < startB + countB && startB < startA + countA))
        return;
    void** entries = Entries();
    if (countA == countB) {
        for (int32_t k = 0; k < countA; ++k) {
            void* held = entries[startA + k];
            entries[startA + k] = entries[startB + k];
            entries[startB + k] = held;
        }
        return;
    }
    const bool aFirst = startA < startB;
    const int32_t firstStart = aFirst ? startA : startB;
    const int32_t firstCount = aFirst ? countA : countB;
    const int32_t secondStart = aFirst ? startB : startA;
    const int32_t secondCount = aFirst ? countB : countA;
    const int32_t betweenCount = secondStart - (firstStart + firstCount);

    const int32_t firstBytes = firstCount * mElementSize;
    const int32_t secondBytes = secondCount * mElementSize;
    void* firstCopy = AllocateMemory(firstBytes, 0);
    void* secondCopy = AllocateMemory(secondBytes, 0);
    if (firstBytes) std::memcpy(firstCopy, entries + firstStart, firstBytes);
    if (secondBytes) std::memcpy(secondCopy, entries + secondStart, secondBytes);
    std::memmove(entries + firstStart + secondCount, entries + firstStart + firstCount,
                 sizeof(void*) * betweenCount);
    if (secondBytes) std::memcpy(entries + firstStart, secondCopy, secondBytes);
    if (firstBytes)
        std::memcpy(entries + firstStart + secondCount + betweenCount, firstCopy, firstBytes);
    FreeMemory(firstCopy, firstBytes);
    FreeMemory(secondCopy, secondBytes);
}
