// Element access for every kind and shape, and the thirty operation tables that compiled code
// calls through. The one- and two-dimensional accessors take fixed arguments and index directly:
// they are the hot path, a bounds test and a load or store. The N-dimensional ones walk their
// argument list, naming the first index so that what varies is plain 32-bit integers.
#include "ArrayKinds.h"
#include "ArraySort.h"
#include "Exceptions.h"
#include "FailureReport.h"

namespace {

// A bad index raises and yields 0, 0.0 or null. Kept out of line so that the accessors' fast path
// needs no frame and reaches it by a jump.
template <typename Value>
[[gnu::noinline]] Value OutOfBounds() {
    RaiseOutOfBoundsException();
    return Value{};
}

// The flat index of the arguments of an N-dimensional access: the first index runs fastest. A
// checked access stops at the first index outside its bound and reports false.
bool FlatIndex(const ArrayRecord* array, int32_t first, va_list rest, bool checked,
               int32_t* flat) {
    int32_t index = first;
    int32_t position = 0;
    int32_t stride = 1;
    for (int32_t d = 0;;) {
        if (checked && !IndexInBounds(index, array->upperBound[d])) return false;
        position += index * stride;
        if (++d == array->dimensions) break;
        stride *= array->upperBound[d - 1] + 1;
        index = va_arg(rest, int32_t);
    }
    *flat = position;
    return true;
}

template <class Kind>
struct Access {
    using Stored = typename Kind::Stored;
    using Value = typename Kind::Value;

    static Stored* Elements(const ArrayRecord* array) { return static_cast<Stored*>(array->data); }

    // The caller owns the reference a retained kind adds.
    static Value Load(const ArrayRecord* array, int32_t flat) {
        const Stored element = Elements(array)[flat];
        Kind::Retain(element);
        return Kind::Load(element);
    }

    // The new reference comes before the old one goes, so storing the stored element keeps it.
    static void Store(ArrayRecord* array, int32_t flat, Value value) {
        Stored* slot = Elements(array) + flat;
        const Stored element = Kind::Store(value);
        Kind::Retain(element);
        Kind::Release(*slot);
        *slot = element;
    }

    static int32_t Flat2(const ArrayRecord* array, int32_t i, int32_t j) {
        return i + j * (array->upperBound[0] + 1);
    }
    static bool InBounds2(const ArrayRecord* array, int32_t i, int32_t j) {
        return IndexInBounds(i, array->upperBound[0]) && IndexInBounds(j, array->upperBound[1]);
    }

    // One dimension.
    static Value Get1(ArrayRecord* array, int32_t index) {
        if (!IndexInBounds(index, array->upperBound[0])) [[unlikely]]
            return OutOfBounds<Value>();
        return Load(array, index);
    }
    static void Set1(ArrayRecord* array, Value value, int32_t index) {
        if (!IndexInBounds(index, array->upperBound[0])) [[unlikely]] {
            RaiseOutOfBoundsException();
            return;
        }
        Store(array, index, value);
    }
    static Value GetUnchecked1(ArrayRecord* array, int32_t index) { return Load(array, index); }
    static void SetUnchecked1(ArrayRecord* array, Value value, int32_t index) {
        Store(array, index, value);
    }

    // Two dimensions.
    static Value Get2(ArrayRecord* array, int32_t i, int32_t j) {
        if (!InBounds2(array, i, j)) [[unlikely]]
            return OutOfBounds<Value>();
        return Load(array, Flat2(array, i, j));
    }
    static void Set2(ArrayRecord* array, Value value, int32_t i, int32_t j) {
        if (!InBounds2(array, i, j)) [[unlikely]] {
            RaiseOutOfBoundsException();
            return;
        }
        Store(array, Flat2(array, i, j), value);
    }
    static Value GetUnchecked2(ArrayRecord* array, int32_t i, int32_t j) {
        return Load(array, Flat2(array, i, j));
    }
    static void SetUnchecked2(ArrayRecord* array, Value value, int32_t i, int32_t j) {
        Store(array, Flat2(array, i, j), value);
    }

    // Any number of dimensions.
    template <bool kChecked>
    static Value GetN(ArrayRecord* array, int32_t first, ...) {
        va_list rest;
        va_start(rest, first);
        int32_t flat;
        const bool found = FlatIndex(array, first, rest, kChecked, &flat);
        va_end(rest);
        if (!found) return OutOfBounds<Value>();
        return Load(array, flat);
    }
    template <bool kChecked>
    static void SetN(ArrayRecord* array, Value value, int32_t first, ...) {
        va_list rest;
        va_start(rest, first);
        int32_t flat;
        const bool found = FlatIndex(array, first, rest, kChecked, &flat);
        va_end(rest);
        if (!found) {
            RaiseOutOfBoundsException();
            return;
        }
        StoreArrayElement(array, flat, value);
    }
    static void StoreArrayElement(ArrayRecord* array, int32_t flat, Value value) {
        if (!array) {
            ReportAssertion(kArraySource, 1044, "array");
            return;
        }
        Store(array, flat, value);
    }
};

// Object arrays have no order: their Sort and SortWith slots stay empty.
template <class Kind>
constexpr void (*kSortSlot)(ArrayRecord*) = &ArraySorting<Kind>::Sort;
template <>
constexpr void (*kSortSlot<ObjectKind>)(ArrayRecord*) = nullptr;
template <class Kind>
constexpr void (*kSortWithSlot)(ArrayRecord*, ...) = &ArraySorting<Kind>::SortWith;
template <>
constexpr void (*kSortWithSlot<ObjectKind>)(ArrayRecord*, ...) = nullptr;

// The tables, one per kind and shape. Slots are written as plain address casts so that the
// tables are constant data.
template <class Kind>
struct OneDimensional {
    static const ArrayOperations kTable;
};

template <class Kind>
const ArrayOperations OneDimensional<Kind>::kTable = {
    ArrayFunction(&Access<Kind>::Get1),
    ArrayFunction(&Access<Kind>::Set1),
    ArrayFunction(&Access<Kind>::GetUnchecked1),
    ArrayFunction(&Access<Kind>::SetUnchecked1),
    ArrayFunction(&ArraySizing<Kind>::Redim),
    ArrayFunction(&ArraySizing<Kind>::Insert),
    &ArraySizing<Kind>::Remove,
    kSortSlot<Kind>,
    kSortWithSlot<Kind>,
    ArrayFunction(&ArraySizing<Kind>::IndexOf),
    &ArraySizing<Kind>::Shuffle,
    &ArrayUBound,
    Kind::kRetainElement,
    Kind::kReleaseElement,
    &DisposeArray,
    &ArraySizing<Kind>::ElementSize,
};

template <class Kind>
struct TwoDimensional {
    static const ArrayOperations kTable;
};

template <class Kind>
const ArrayOperations TwoDimensional<Kind>::kTable = {
    ArrayFunction(&Access<Kind>::Get2),
    ArrayFunction(&Access<Kind>::Set2),
    ArrayFunction(&Access<Kind>::GetUnchecked2),
    ArrayFunction(&Access<Kind>::SetUnchecked2),
    ArrayFunction(&ArraySizing<Kind>::RedimDimensions),
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    &ArraySizing<Kind>::Shuffle,
    &ArrayUBound,
    Kind::kRetainElement,
    Kind::kReleaseElement,
    &DisposeArray,
    &ArraySizing<Kind>::ElementSize,
};

template <class Kind>
struct ManyDimensional {
    static const ArrayOperations kTable;
};

template <class Kind>
const ArrayOperations ManyDimensional<Kind>::kTable = {
    ArrayFunction(&Access<Kind>::template GetN<true>),
    ArrayFunction(&Access<Kind>::template SetN<true>),
    ArrayFunction(&Access<Kind>::template GetN<false>),
    ArrayFunction(&Access<Kind>::template SetN<false>),
    ArrayFunction(&ArraySizing<Kind>::RedimDimensions),
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    &ArraySizing<Kind>::Shuffle,
    &ArrayUBound,
    Kind::kRetainElement,
    Kind::kReleaseElement,
    &DisposeArray,
    &ArraySizing<Kind>::ElementSize,
};

template <class... Kinds>
constexpr bool InCodeOrder() {
    int32_t code = 0;
    return ((Kinds::kKind == code++) && ...);
}

// The tables of one shape, indexed by kind code.
template <template <class> class Shape, class... Kinds>
struct ShapeTables {
    static_assert(InCodeOrder<Kinds...>());
    static constexpr const ArrayOperations* kByKind[] = {&Shape<Kinds>::kTable...};
};

template <template <class> class Shape>
using TablesOf = ShapeTables<Shape, Int32Kind, SingleKind, DoubleKind, StringKind, ObjectKind,
                             UInt8Kind, Int8Kind, UInt16Kind, Int16Kind, UInt32Kind>;

}  // namespace

const ArrayOperations* SelectArrayOperations(int32_t dimensions, int32_t kind) {
    const bool known = kind >= 0 && kind < kArrayKindCount;
    switch (dimensions) {
    case 1:
        if (known) return TablesOf<OneDimensional>::kByKind[kind];
        ReportAssertion(kArraySource, 2157, "0");
        return nullptr;
    case 2:
        if (known) return TablesOf<TwoDimensional>::kByKind[kind];
        ReportAssertion(kArraySource, 2171, "0");
        return nullptr;
    default:
        if (known) return TablesOf<ManyDimensional>::kByKind[kind];
        ReportAssertion(kArraySource, 2185, "0");
        return nullptr;
    }
}

int32_t ArrayElementSize(int32_t kind) {
    if (kind < 0 || kind >= kArrayKindCount) {
        ReportAssertion(kArraySource, 130, "0");
        return 0;
    }
    return TablesOf<OneDimensional>::kByKind[kind]->ElementSize();
}
