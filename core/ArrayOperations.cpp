// The operations that change the size of an array, search it and shuffle it, once per element
// kind. Redim and Remove make the buffer exact; only Insert leaves room, growing by a step that
// doubles up to 131072 elements so that a run of appends seldom copies the buffer.
#include <cstring>

#include "ArrayKinds.h"
#include "Exceptions.h"
#include "FailureReport.h"
#include "GuardedMemory.h"
#include "SimpleVector.h"
#include "SmallBlockAllocator.h"
#include "core/Rnd.h"

namespace {

constexpr int32_t kInitialGrowthStep = 16;
constexpr int32_t kLargestGrowthStep = 131072;

// A length past the 32-bit range is more memory than the process can have.
int32_t CheckedLength(int64_t bytes) {
    if (bytes > INT32_MAX) ExitOutOfMemory();
    return static_cast<int32_t>(bytes);
}

char* Bytes(void* data) { return static_cast<char*>(data); }

int32_t FlatIndexOf(const SimpleVector<int32_t>& index, const int32_t* upperBounds) {
    int32_t flat = 0;
    int32_t stride = 1;
    for (uint32_t d = 0; d < index.size(); ++d) {
        flat += index[d] * stride;
        stride *= upperBounds[d] + 1;
    }
    return flat;
}

bool IndexesWithinBounds(const SimpleVector<int32_t>& index, const SimpleVector<int32_t>& bounds) {
    for (uint32_t d = 0; d < index.size(); ++d)
        if (index[d] > bounds[d]) return false;
    return true;
}

}  // namespace

template <class Kind>
int32_t ArraySizing<Kind>::ElementSize() {
    return sizeof(typename Kind::Stored);
}

template <class Kind>
void ArraySizing<Kind>::Redim(ArrayRecord* array, int32_t upperBound) {
    using Stored = typename Kind::Stored;
    if (!array) {
        ReportAssertion(kArraySource, 996, "array");
        return;
    }
    if (array->dimensions != 1) {
        ReportAssertion(kArraySource, 997, "1 == array->dimensions");
        return;
    }
    if (upperBound < -1) {
        RaiseOutOfBoundsException();
        return;
    }
    const int32_t oldUpperBound = array->upperBound[0];
    if (upperBound == oldUpperBound) return;

    Stored* elements = static_cast<Stored*>(array->data);
    if constexpr (Kind::kRetained)
        for (int32_t i = upperBound + 1; i <= oldUpperBound; ++i) Kind::Release(elements[i]);

    const int32_t oldLength = array->bufferLength;
    const int32_t length = CheckedLength((int64_t(upperBound) + 1) * sizeof(Stored));
    // Even no element gets a block, so that data is never null after a Redim.
    void* buffer = GuardedNew(length);
    if (array->data) {
        std::memcpy(buffer, array->data, oldLength < length ? oldLength : length);
        GuardedDelete(array->data);
    }
    if (upperBound > oldUpperBound)
        std::memset(Bytes(buffer) + (oldUpperBound + 1) * sizeof(Stored), 0,
                    (upperBound - oldUpperBound) * sizeof(Stored));
    array->data = buffer;
    array->bufferLength = length;
    array->growthStep = kInitialGrowthStep;
    array->upperBound[0] = upperBound;
}

// Elements keep their index tuple, not their flat position: the old elements are walked like an
// odometer, first index fastest, and each one that fits the new bounds is copied to its new place.
template <class Kind>
void ArraySizing<Kind>::RedimDimensions(ArrayRecord* array, int32_t firstUpperBound, ...) {
    using Stored = typename Kind::Stored;
    const int32_t dimensions = array->dimensions;
    SimpleVector<int32_t> bounds;
    bounds.push_back(firstUpperBound);
    va_list rest;
    va_start(rest, firstUpperBound);
    for (int32_t d = 1; d < dimensions; ++d) bounds.push_back(va_arg(rest, int32_t));
    va_end(rest);
    for (int32_t d = 0; d < dimensions; ++d) {
        if (bounds[d] < -1) {
            RaiseOutOfBoundsException();
            return;
        }
    }

    int32_t length;
    if (!ArrayByteLength(bounds.mBuf, dimensions, sizeof(Stored), &length)) ExitOutOfMemory();
    void* buffer = nullptr;
    if (length > 0) {
        buffer = GuardedNew(length);
        std::memset(buffer, 0, length);
    }

    if (array->data) {
        Stored* oldElements = static_cast<Stored*>(array->data);
        Stored* newElements = static_cast<Stored*>(buffer);
        int32_t oldLength;
        ArrayByteLength(array->upperBound, dimensions, sizeof(Stored), &oldLength);
        SimpleVector<int32_t> index;
        for (int32_t d = 0; d < dimensions; ++d) index.push_back(0);
        for (bool more = oldLength > 0; more;) {
            const int32_t from = FlatIndexOf(index, array->upperBound);
            if (IndexesWithinBounds(index, bounds))
                newElements[FlatIndexOf(index, bounds.mBuf)] = oldElements[from];
            else
                Kind::Release(oldElements[from]);
            more = false;
            for (int32_t d = 0; d < dimensions; ++d) {
                if (index[d] < array->upperBound[d]) {
                    ++index[d];
                    more = true;
                    break;
                }
                index[d] = 0;
            }
        }
        GuardedDelete(array->data);
    }

    array->data = buffer;
    array->bufferLength = length;
    array->growthStep = kInitialGrowthStep;
    for (int32_t d = 0; d < dimensions; ++d) array->upperBound[d] = bounds[d];
}

template <class Kind>
void ArraySizing<Kind>::Insert(ArrayRecord* array, int32_t index, Value value) {
    using Stored = typename Kind::Stored;
    constexpr int32_t size = sizeof(Stored);
    if (!array) {
        RaiseNilObjectException();
        return;
    }
    if (array->dimensions != 1) {
        ReportAssertion(kArraySource, 749, "1 == array->dimensions");
        return;
    }
    const int32_t upperBound = array->upperBound[0];
    if (index < 0 || int64_t(index) > int64_t(upperBound) + 1) {
        RaiseOutOfBoundsException();
        return;
    }

    const int64_t minimumBufferSize = (int64_t(upperBound) + 2) * size;
    const int32_t moved = (upperBound - index + 1) * size;  // the elements from index on
    if (minimumBufferSize <= array->bufferLength) {
        if (moved > 0)
            std::memmove(Bytes(array->data) + (index + 1) * size,
                         Bytes(array->data) + index * size, moved);
    } else {
        int64_t length = array->bufferLength + int64_t(array->growthStep) * size;
        if (length < minimumBufferSize) {
            ReportAssertion(kArraySource, 772, "array->bufferLength >= minimumBufferSize");
            length = minimumBufferSize;
        }
        void* buffer = GuardedNew(CheckedLength(length));
        if (array->growthStep < kLargestGrowthStep) array->growthStep *= 2;
        if (array->data) {
            std::memcpy(buffer, array->data, index * size);
            std::memcpy(Bytes(buffer) + (index + 1) * size, Bytes(array->data) + index * size,
                        moved);
            GuardedDelete(array->data);
        }
        array->data = buffer;
        array->bufferLength = static_cast<int32_t>(length);
    }

    array->upperBound[0] = upperBound + 1;
    const Stored element = Kind::Store(value);
    static_cast<Stored*>(array->data)[index] = element;
    Kind::Retain(element);
}

template <class Kind>
void ArraySizing<Kind>::Remove(ArrayRecord* array, int32_t index) {
    using Stored = typename Kind::Stored;
    constexpr int32_t size = sizeof(Stored);
    // Nil is NilObjectException here as it is for Insert.
    if (!array) {
        RaiseNilObjectException();
        return;
    }
    if (array->dimensions != 1) {
        ReportAssertion(kArraySource, 826, "1 == array->dimensions");
        return;
    }
    const int32_t upperBound = array->upperBound[0];
    if (!IndexInBounds(index, upperBound)) {
        RaiseOutOfBoundsException();
        return;
    }

    Kind::Release(static_cast<Stored*>(array->data)[index]);
    const int32_t length = upperBound * size;
    void* buffer = GuardedNew(length);
    std::memcpy(buffer, array->data, index * size);
    std::memcpy(Bytes(buffer) + index * size, Bytes(array->data) + (index + 1) * size,
                (upperBound - index) * size);
    GuardedDelete(array->data);
    array->data = buffer;
    array->bufferLength = length;
    array->growthStep = kInitialGrowthStep;
    array->upperBound[0] = upperBound - 1;
}

// A start of -1 searches from the first element.
template <class Kind>
int32_t ArraySizing<Kind>::IndexOf(ArrayRecord* array, Value value, int32_t start) {
    using Stored = typename Kind::Stored;
    if (!array || !array->data || array->upperBound[0] < 0) return -1;
    const int32_t upperBound = array->upperBound[0];
    if (start < -1 || start > upperBound) {
        RaiseOutOfBoundsException();
        return -1;
    }
    const Stored key = Kind::Store(value);
    const Stored* elements = static_cast<const Stored*>(array->data);
    auto search = [&] {
        for (int32_t i = start < 0 ? 0 : start; i <= upperBound; ++i)
            if (Kind::Equal(elements[i], key)) return i;
        return -1;
    };
    if constexpr (Kind::kKind == kArrayString) {
        // The searched string is held for the whole search.
        const string held(key);
        return search();
    } else {
        return search();
    }
}

// Elements change places as raw values: no reference changes hands.
template <class Kind>
void ArraySizing<Kind>::Shuffle(ArrayRecord* array) {
    using Stored = typename Kind::Stored;
    if (!array || !array->data || array->upperBound[0] < 1) return;
    // The whole flat order is mixed, across all dimensions.
    int32_t count;
    ArrayByteLength(array->upperBound, array->dimensions, 1, &count);
    Stored* elements = static_cast<Stored*>(array->data);
    for (int32_t i = count - 1; i >= 1; --i) {
        const int32_t j = static_cast<int32_t>(rnd() * (i + 1));
        const Stored exchanged = elements[i];
        elements[i] = elements[j];
        elements[j] = exchanged;
    }
}

template struct ArraySizing<Int32Kind>;
template struct ArraySizing<SingleKind>;
template struct ArraySizing<DoubleKind>;
template struct ArraySizing<StringKind>;
template struct ArraySizing<ObjectKind>;
template struct ArraySizing<UInt8Kind>;
template struct ArraySizing<Int8Kind>;
template struct ArraySizing<UInt16Kind>;
template struct ArraySizing<Int16Kind>;
template struct ArraySizing<UInt32Kind>;
