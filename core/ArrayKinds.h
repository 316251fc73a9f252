// What the array operations know of each element kind: the stored type, the type values cross the
// table in, equality and whether elements are retained. Every operation is one template over
// these, instantiated once per kind, so no operation switches on the kind at run time.
#pragma once

#include <cstdarg>
#include <cstdint>

#include "ArrayRecord.h"

// The source every array assertion names.
constexpr const char* kArraySource = "RuntimeArrayFoundation";

// The signature of the RetainElement and ReleaseElement slots.
using ElementFunction = void (*)(void* element);

// Integers and floating point. Narrow integers travel in 32-bit values of their signedness: the
// store keeps the low bits, the load widens them again.
template <typename StoredType, typename ValueType, ArrayElementKind kElementKind>
struct ScalarKind {
    using Stored = StoredType;
    using Value = ValueType;
    static constexpr ArrayElementKind kKind = kElementKind;
    static constexpr bool kRetained = false;
    static constexpr ElementFunction kRetainElement = nullptr;
    static constexpr ElementFunction kReleaseElement = nullptr;

    static Stored Store(Value value) { return static_cast<Stored>(value); }
    static Value Load(Stored element) { return element; }
    static void Retain(Stored) {}
    static void Release(Stored) {}
    // Floating point compares as such, so a NaN equals nothing.
    static bool Equal(Stored a, Stored b) { return a == b; }
};

using Int32Kind = ScalarKind<int32_t, int32_t, kArrayInt32>;
using SingleKind = ScalarKind<float, float, kArraySingle>;
using DoubleKind = ScalarKind<double, double, kArrayDouble>;
using UInt8Kind = ScalarKind<uint8_t, uint32_t, kArrayUInt8>;
using Int8Kind = ScalarKind<int8_t, int32_t, kArrayInt8>;
using UInt16Kind = ScalarKind<uint16_t, uint32_t, kArrayUInt16>;
using Int16Kind = ScalarKind<int16_t, int32_t, kArrayInt16>;
using UInt32Kind = ScalarKind<uint32_t, uint32_t, kArrayUInt32>;

// Strings compare as text without regard to case; null is the empty string.
struct StringKind {
    using Stored = StringRecord*;
    using Value = StringRecord*;
    static constexpr ArrayElementKind kKind = kArrayString;
    static constexpr bool kRetained = true;
    // The table slots are the entry points themselves.
    static inline const ElementFunction kRetainElement =
        ElementFunction(ArrayFunction(&RuntimeLockString));
    static inline const ElementFunction kReleaseElement =
        ElementFunction(ArrayFunction(&RuntimeUnlockString));

    static Stored Store(Value value) { return value; }
    static Value Load(Stored element) { return element; }
    static void Retain(Stored element) { RuntimeLockString(element); }
    static void Release(Stored element) { RuntimeUnlockString(element); }
    // A stored record is read in place as a handle: comparing takes no reference.
    static bool Equal(const Stored& a, const Stored& b) {
        return string::CompareNoCase(reinterpret_cast<const string&>(a),
                                     reinterpret_cast<const string&>(b)) == 0;
    }
};

// Objects are equal when they are the same object.
struct ObjectKind {
    using Stored = ObjectHeader*;
    using Value = ObjectHeader*;
    static constexpr ArrayElementKind kKind = kArrayObject;
    static constexpr bool kRetained = true;
    static inline const ElementFunction kRetainElement =
        ElementFunction(ArrayFunction(&RuntimeLockObject));
    static inline const ElementFunction kReleaseElement =
        ElementFunction(ArrayFunction(&RuntimeUnlockObject));

    static Stored Store(Value value) { return value; }
    static Value Load(Stored element) { return element; }
    static void Retain(Stored element) { RuntimeLockObject(element); }
    static void Release(Stored element) { RuntimeUnlockObject(element); }
    static bool Equal(Stored a, Stored b) { return a == b; }
};

// The operations that size, search and shuffle an array, one set per kind (ArrayOperations.cpp
// instantiates them for the ten kinds). The N-dimensional Redim names its first bound so that the
// variable part is plain 32-bit integers.
template <class Kind>
struct ArraySizing {
    using Value = typename Kind::Value;
    static void Redim(ArrayRecord* array, int32_t upperBound);
    static void RedimDimensions(ArrayRecord* array, int32_t firstUpperBound, ...);
    static void Insert(ArrayRecord* array, int32_t index, Value value);
    static void Remove(ArrayRecord* array, int32_t index);
    static int32_t IndexOf(ArrayRecord* array, Value value, int32_t start);
    static void Shuffle(ArrayRecord* array);
    static int32_t ElementSize();
};

// Shared by every table.
int32_t ArrayUBound(ArrayRecord* array, int32_t dimension);
void DisposeArray(ArrayRecord* array);

// Signed 0 <= index <= upperBound in one unsigned compare; an upper bound of -1 admits nothing.
inline bool IndexInBounds(int32_t index, int32_t upperBound) {
    return static_cast<uint32_t>(index) < static_cast<uint32_t>(upperBound) + 1u;
}

// The bytes that elements of the given bounds fill; false when that would not fit a 32-bit length.
bool ArrayByteLength(const int32_t* upperBounds, int32_t dimensions, int32_t elementSize,
                     int32_t* byteLength);
