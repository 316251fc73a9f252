#include "ArraySort.h"

#include <cstdarg>
#include <cstring>
#include <utility>

#include "ArrayKinds.h"
#include "Exceptions.h"
#include "FailureReport.h"
#include "GuardedMemory.h"
#include "SimpleVector.h"

namespace {

StackCheckFunction sStackCheck = nullptr;

int32_t CompareBytesNoCase(StringRecord* a, StringRecord* b) {
    return string::CompareNoCase(string(a), string(b));
}

StringOrderFunction sStringOrder = &CompareBytesNoCase;

// --- the engine ---

// Greater(x, y) over the items the sort moves.
template <typename Item, class Greater>
void InsertionSortRange(Item* a, int32_t lo, int32_t hi, const Greater& greater) {
    for (int32_t i = lo + 1; i <= hi; ++i) {
        const Item v = a[i];
        int32_t j = i;
        for (; j > lo && greater(a[j - 1], v); --j) a[j] = a[j - 1];
        a[j] = v;
    }
}

// Recurses into the smaller part and loops on the larger, so the depth stays logarithmic; once
// the stack test has raised, it returns at once.
template <typename Item, class Greater>
void QuickSortRange(Item* a, int32_t lo, int32_t hi, const Greater& greater) {
    while (lo < hi) {
        if (hi - lo < kInsertionSortLimit) {
            InsertionSortRange(a, lo, hi, greater);
            return;
        }
        if (sStackCheck) sStackCheck();
        if (ExceptionInFlight()) return;
        const Item pivot = a[lo + (hi - lo) / 2];
        int32_t i = lo;
        int32_t lt = lo;
        int32_t gt = hi;
        while (i <= gt) {
            if (greater(a[gt], pivot)) {
                --gt;
                continue;
            }
            std::swap(a[i], a[gt]);
            if (greater(pivot, a[i])) std::swap(a[lt++], a[i]);
            ++i;
        }
        // a[lo..lt-1] < pivot, a[lt..gt] equal to it, a[gt+1..hi] greater.
        if (lt - lo < hi - gt) {
            QuickSortRange(a, lo, lt - 1, greater);
            lo = gt + 1;
        } else {
            QuickSortRange(a, gt + 1, hi, greater);
            hi = lt - 1;
        }
        if (ExceptionInFlight()) return;
    }
}

// The orders: a kind's own, or the string comparator.
template <class Kind>
struct ElementOrder {
    using Stored = typename Kind::Stored;
    bool operator()(Stored x, Stored y) const { return x > y; }
};

template <>
struct ElementOrder<StringKind> {
    bool operator()(StringRecord* x, StringRecord* y) const { return sStringOrder(x, y) > 0; }
};

// The same order asked of the keys that two permutation entries name.
template <class Kind>
struct PermutedOrder {
    const typename Kind::Stored* keys;
    bool operator()(int32_t x, int32_t y) const { return ElementOrder<Kind>()(keys[x], keys[y]); }
};

template <typename Element>
void ApplyPermutationOf(Element* a, const int32_t* permutation, int32_t n) {
    auto* visited = static_cast<uint8_t*>(GuardedNew(size_t(n)));
    std::memset(visited, 0, size_t(n));
    int32_t i = 0;
    int32_t done = 0;
    while (done < n) {
        for (; i < n && (visited[i] || permutation[i] == i); ++i) {
            if (!visited[i]) {
                visited[i] = 1;
                ++done;
            }
        }
        if (i >= n) break;
        const int32_t start = i++;
        const Element saved = a[start];
        int32_t current = start;
        for (int32_t next = permutation[current]; next != start; next = permutation[current]) {
            a[current] = a[next];
            visited[current] = 1;
            ++done;
            current = next;
        }
        a[current] = saved;
        visited[current] = 1;
        ++done;
    }
    GuardedDelete(visited);
}

// What SortWith sees of a further array; a cast view answers for the array it views.
const ArrayRecord* ShapeOf(const ArrayRecord* array) {
    if (array->operations == &kArrayCastWrapperOperations)
        return reinterpret_cast<const ArrayCastWrapper*>(array)->viewedArray;
    return array;
}

template <class Kind>
void SortWithArrays(ArrayRecord* array, const SimpleVector<ArrayRecord*>& arrays) {
    using Stored = typename Kind::Stored;
    const int32_t n = array->upperBound[0] + 1;
    if (n <= 0 || !array->data) return;
    auto* permutation = static_cast<int32_t*>(GuardedNew(size_t(n) * sizeof(int32_t)));
    for (int32_t k = 0; k < n; ++k) permutation[k] = k;
    const auto* keys = static_cast<const Stored*>(array->data);
    QuickSortRange(permutation, 0, n - 1, PermutedOrder<Kind>{keys});
    // A sort that the stack test stopped moves nothing, so the arrays stay in step.
    if (!ExceptionInFlight()) {
        ApplyPermutation(array->data, sizeof(Stored), permutation, n);
        for (uint32_t i = 0; i < arrays.size(); ++i) {
            ArrayRecord* further = arrays[i];
            // A cast view has no element size of its own: its elements stay where they are.
            if (!further->operations->ElementSize || !further->data) continue;
            ApplyPermutation(further->data, further->operations->ElementSize(), permutation, n);
        }
    }
    GuardedDelete(permutation);
}

}  // namespace

StackCheckFunction SetSortStackCheck(StackCheckFunction check) {
    return std::exchange(sStackCheck, check);
}

void SetStringSortOrder(StringOrderFunction order) {
    sStringOrder = order ? order : &CompareBytesNoCase;
}

void ApplyPermutation(void* buffer, int32_t elementSize, const int32_t* permutation, int32_t n) {
    switch (elementSize) {
    case 1: ApplyPermutationOf(static_cast<uint8_t*>(buffer), permutation, n); break;
    case 2: ApplyPermutationOf(static_cast<uint16_t*>(buffer), permutation, n); break;
    case 4: ApplyPermutationOf(static_cast<uint32_t*>(buffer), permutation, n); break;
    case 8: ApplyPermutationOf(static_cast<uint64_t*>(buffer), permutation, n); break;
    default: break;
    }
}

template <class Kind>
void ArraySorting<Kind>::Sort(ArrayRecord* array) {
    if (!array || !array->data || array->upperBound[0] < 0) return;
    if (array->dimensions != 1) {
        ReportAssertion(kArraySource, Kind::kKind == kArrayString ? 1787 : 597,
                        "1 == array->dimensions");
        return;
    }
    QuickSortRange(static_cast<typename Kind::Stored*>(array->data), 0, array->upperBound[0],
                   ElementOrder<Kind>());
}

template <class Kind>
void ArraySorting<Kind>::SortWith(ArrayRecord* array, ...) {
    if (!array) return;
    if constexpr (Kind::kKind == kArrayString) {
        if (!array->data || array->upperBound[0] < 0) return;
        if (array->dimensions != 1) {
            ReportAssertion(kArraySource, 1794, "1 == array->dimensions");
            return;
        }
    }
    SimpleVector<ArrayRecord*> arrays;
    va_list rest;
    va_start(rest, array);
    bool fit = true;
    for (ArrayRecord* further = va_arg(rest, ArrayRecord*); further;
         further = va_arg(rest, ArrayRecord*)) {
        const ArrayRecord* shape = ShapeOf(further);
        if (!shape || shape->dimensions != 1 || shape->upperBound[0] != array->upperBound[0]) {
            fit = false;
            break;
        }
        arrays.push_back(further);
    }
    va_end(rest);
    if (!fit) {
        RaiseOutOfBoundsException();
        return;
    }
    SortWithArrays<Kind>(array, arrays);
}

template struct ArraySorting<Int32Kind>;
template struct ArraySorting<SingleKind>;
template struct ArraySorting<DoubleKind>;
template struct ArraySorting<StringKind>;
template struct ArraySorting<UInt8Kind>;
template struct ArraySorting<Int8Kind>;
template struct ArraySorting<UInt16Kind>;
template struct ArraySorting<Int16Kind>;
template struct ArraySorting<UInt32Kind>;
