// The runtime's internal growable list of pointer-sized entries (child lists, registries). The list
// never retains, releases or frees what its entries point to.
#pragma once

#include <cstdint>

#include "GuardedMemory.h"

struct ByteHandle;

class Array : public RuntimeAllocated {
public:
    Array();
    ~Array();
    Array(const Array&) = delete;
    Array& operator=(const Array&) = delete;

    int32_t Count() const { return mCount; }
    void Resize(int32_t n);
    void* Get(int32_t index) const;
    void Set(int32_t index, void* value);
    void Insert(int32_t index, void* value);
    void Append(void* value) { Insert(mCount, value); }
    void Remove(int32_t index);
    void SwapRanges(int32_t startA, int32_t countA, int32_t startB, int32_t countB);

    int32_t Capacity() const { return mCapacity; }
    int32_t GrowthStep() const { return mGrowthStep; }

private:
    void** Entries() const;
    void SetStoreEntries(int32_t entries);

    ByteHandle* mStore;
    int32_t mCount;
    int32_t mCapacity;
    int32_t mElementSize;
    int32_t mGrowthStep;
};
