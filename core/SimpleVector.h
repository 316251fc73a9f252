// The runtime's growable vector. Storage comes from the guarded operators; elements with a
// destructor (string handles) are destroyed with the storage, plain pointers are left to their owner.
//
// Non-const indexing is the write access: reaching an element at or past the count extends the
// count to it. Const indexing is the read access.
#pragma once

#include <cstdint>
#include <utility>

#include "FailureReport.h"
#include "GuardedMemory.h"

template <typename T>
class SimpleVector {
public:
    uint32_t mGrowthStep = 0;
    T* mBuf = nullptr;
    uint32_t mCount = 0;
    uint32_t mCapacity = 0;

    SimpleVector() = default;
    explicit SimpleVector(uint32_t growthStep) : mGrowthStep(growthStep) {}

    SimpleVector(const SimpleVector& other)
        : mGrowthStep(other.mGrowthStep), mCount(other.mCount), mCapacity(other.mCapacity) {
        if (mCapacity) {
            mBuf = GuardedNewArray<T>(mCapacity);
            if (!mBuf) ReportAssertion("SimpleVector", 186, "mBuf");
            for (uint32_t i = 0; i < mCount; ++i) mBuf[i] = other.mBuf[i];
        }
    }

    SimpleVector& operator=(const SimpleVector& other) {
        if (this != &other) {
            SimpleVector copy(other);
            swap(copy);
        }
        return *this;
    }

    ~SimpleVector() { GuardedDeleteArray(mBuf); }

    void swap(SimpleVector& other) {
        std::swap(mGrowthStep, other.mGrowthStep);
        std::swap(mBuf, other.mBuf);
        std::swap(mCount, other.mCount);
        std::swap(mCapacity, other.mCapacity);
    }

    uint32_t size() const { return mCount; }

    const T& operator[](uint32_t i) const {
        if (i >= mCapacity) {
            ReportAssertion("SimpleVector", 237, "0");
            return Missing();
        }
        return mBuf[i];
    }

    T& operator[](uint32_t i) {
        // Past the storage the vector grows rather than letting the write land outside it.
        if (i >= mCapacity) GrowToHold(i + 1);
        if (i >= mCount) mCount = i + 1;
        return mBuf[i];
    }

    void push_back(T x) {
        GrowToHold(mCount + 1);
        mBuf[mCount++] = std::move(x);
    }

    void push_front(T x) {
        GrowToHold(mCount + 1);
        for (uint32_t i = mCount; i > 0; --i) mBuf[i] = std::move(mBuf[i - 1]);
        mBuf[0] = std::move(x);
        ++mCount;
    }

    void remove_at(uint32_t i) {
        if (i >= mCount) return;
        for (uint32_t k = i + 1; k < mCount; ++k) mBuf[k - 1] = std::move(mBuf[k]);
        --mCount;
        if (mGrowthStep) {
            if (2 * mGrowthStep < mCapacity - mCount)
                set_capacity((mCount / mGrowthStep + 1) * mGrowthStep);
        } else if (2 * mCount < mCapacity - mCount) {
            set_capacity((mCount / 16 + 1) * 16);
        }
    }

    T pop_back() {
        if (mCount == 0 || mCount > mCapacity) {
            ReportAssertion("SimpleVector", 264, "0");
            return T();
        }
        --mCount;
        return mBuf[mCount];
    }

    T peek_back() const {
        if (mCount == 0 || mCount > mCapacity) {
            ReportAssertion("SimpleVector", 276, "0");
            return T();
        }
        return mBuf[mCount - 1];
    }

    void set_capacity(uint32_t n) {
        if (n == mCapacity) return;
        T* storage = n ? GuardedNewArray<T>(n) : nullptr;
        const uint32_t kept = mCount < n ? mCount : n;
        for (uint32_t i = 0; i < kept; ++i) storage[i] = std::move(mBuf[i]);
        GuardedDeleteArray(mBuf);
        mBuf = storage;
        mCapacity = n;
        if (mCount > n) mCount = n;
    }

private:
    void GrowToHold(uint32_t count) {
        while (count > mCapacity) {
            uint32_t step = mGrowthStep ? mGrowthStep : mCapacity;
            if (step < 16) step = 16;
            set_capacity(mCapacity + step);
        }
    }

    static const T& Missing() {
        static const T missing{};
        return missing;
    }
};
