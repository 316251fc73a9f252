// Sort and SortWith of 100,000 elements against std::sort doing the same work, measured side by
// side in one run. Strings compare with the runtime's comparator on both sides, so the ratio is
// the sort engine's; SortWith is measured against std::sort of an index vector followed by the
// reordering of both arrays.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <numeric>
#include <vector>

#include "BenchTiming.h"
#include "core/ArrayRecord.h"
#include "core/RuntimeString.h"
#include "values/StringLibrary.h"
#include "host/RuntimeWiring.h"

namespace {

constexpr int32_t kCount = 100000;

uint32_t Next(uint32_t& seed) { return (seed = seed * 1664525u + 1013904223u) >> 8; }

void Line(const char* what, double runtime, double standard) {
    std::printf("  %-44s %8.2f ms  %8.2f ms   ratio %5.2f\n", what, runtime * 1e3, standard * 1e3,
                standard / runtime);
}

template <typename T>
ArrayRecord* ArrayOf(ArrayElementKind kind, const std::vector<T>& values) {
    ArrayRecord* array = CreateArray(1, kind, int32_t(values.size()) - 1);
    std::memcpy(array->data, values.data(), values.size() * sizeof(T));
    return array;
}

// Each round sorts the same unsorted input: both sides copy it in first.
// Equal keys may end in either order; the results agree when no element is less than the other's.
template <typename T, typename Less>
bool SameOrder(const T* a, const std::vector<T>& b, Less less) {
    for (size_t i = 0; i < b.size(); ++i)
        if (less(a[i], b[i]) || less(b[i], a[i])) return false;
    return true;
}

template <typename T, typename Less>
void CompareSort(const char* what, ArrayElementKind kind, const std::vector<T>& input, Less less) {
    ArrayRecord* array = ArrayOf(kind, input);
    std::vector<T> copy = input;
    const double runtime = Best([&] {
        std::memcpy(array->data, input.data(), input.size() * sizeof(T));
        array->operations->Sort(array);
    });
    const double standard = Best([&] {
        std::memcpy(copy.data(), input.data(), input.size() * sizeof(T));
        std::sort(copy.begin(), copy.end(), less);
    });
    Line(what, runtime, standard);
    if (!SameOrder(static_cast<const T*>(array->data), copy, less))
        std::printf("  (the two sorts disagree)\n");
    // String records move as raw values: the array's copies are the input's own records.
    if (kind == kArrayString) std::memset(array->data, 0, input.size() * sizeof(T));
    RuntimeUnlockArray(array);
}

}  // namespace

int main() {
    InstallRuntimeWiring();
    std::printf("Array sorting, %d elements (runtime vs std::sort; ratio > 1: the runtime is faster)\n",
                kCount);
    uint32_t seed = 11;
    std::vector<int32_t> integers(kCount);
    for (int32_t& v : integers) v = int32_t(Next(seed) % 1000000) - 500000;
    std::vector<double> doubles(kCount);
    for (double& v : doubles) v = double(Next(seed)) / 3.0 - 1e6;
    std::vector<string> texts(kCount);
    std::vector<StringRecord*> records(kCount);
    for (int32_t i = 0; i < kCount; ++i) {
        char word[12];
        const int length = 3 + int(Next(seed) % 8);
        for (int k = 0; k < length; ++k) word[k] = char((Next(seed) % 2 ? 'a' : 'A') + Next(seed) % 26);
        texts[i].SetBytes(word, length);
        texts[i].SetEncoding(kEncodingASCII);
        records[i] = texts[i].Record();
    }

    CompareSort("Sort Int32", kArrayInt32, integers, std::less<int32_t>());
    CompareSort("Sort Double", kArrayDouble, doubles, std::less<double>());
    CompareSort("Sort String (the runtime's comparator)", kArrayString, records,
                [](StringRecord* a, StringRecord* b) { return RuntimeStringCompare(a, b) < 0; });

    // SortWith: Int32 keys carrying a Double array.
    ArrayRecord* keys = ArrayOf(kArrayInt32, integers);
    ArrayRecord* carried = ArrayOf(kArrayDouble, doubles);
    std::vector<int32_t> keyCopy = integers;
    std::vector<double> carriedCopy = doubles;
    std::vector<int32_t> index(kCount);
    std::vector<int32_t> sortedKeys(kCount);
    std::vector<double> sortedCarried(kCount);
    const double runtime = Best([&] {
        std::memcpy(keys->data, integers.data(), kCount * sizeof(int32_t));
        std::memcpy(carried->data, doubles.data(), kCount * sizeof(double));
        keys->operations->SortWith(keys, carried, nullptr);
    });
    const double standard = Best([&] {
        std::memcpy(keyCopy.data(), integers.data(), kCount * sizeof(int32_t));
        std::memcpy(carriedCopy.data(), doubles.data(), kCount * sizeof(double));
        std::iota(index.begin(), index.end(), 0);
        std::sort(index.begin(), index.end(), [&](int32_t a, int32_t b) { return keyCopy[a] < keyCopy[b]; });
        for (int32_t i = 0; i < kCount; ++i) {
            sortedKeys[i] = keyCopy[index[i]];
            sortedCarried[i] = carriedCopy[index[i]];
        }
        keyCopy.swap(sortedKeys);
        carriedCopy.swap(sortedCarried);
    });
    Line("SortWith Int32 keys and a Double array", runtime, standard);
    if (std::memcmp(keys->data, keyCopy.data(), kCount * sizeof(int32_t)) != 0)
        std::printf("  (the two sorts disagree)\n");
    RuntimeUnlockArray(keys);
    RuntimeUnlockArray(carried);
    return 0;
}
