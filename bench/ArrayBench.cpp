// Array element access and growth through the operation table, as compiled code does it (the
// table read from the array, then an indirect call), against std::vector doing the same work:
// bounds-checked reads and writes, appends, and inserts at the front.
#include <windows.h>

#include <cstdio>
#include <vector>

#include "BenchTiming.h"
#include "core/ArrayRecord.h"
#include "core/SmallBlockAllocator.h"

namespace {

constexpr int32_t kElements = 1'000'000;
constexpr int kPasses = 20;
// Insert's step doubles up to 131072 elements and then stays, so appends beyond a few hundred
// thousand elements copy the whole buffer every 131072 elements; both regimes are measured.
constexpr int32_t kAppends = 250'000;
constexpr int32_t kLongAppends = 4'000'000;
constexpr int32_t kFrontInserts = 20'000;

using Get = int32_t (*)(ArrayRecord* array, int32_t index);
using Set = void (*)(ArrayRecord* array, int32_t value, int32_t index);
using Insert = void (*)(ArrayRecord* array, int32_t index, int32_t value);

// Keeps each access a step of its own on both sides, as compiled code's would be: nothing is
// hoisted, merged or vectorised across iterations.
inline void Barrier() { asm volatile("" : : : "memory"); }

volatile int64_t gSink;

void RuntimeGets(ArrayRecord* array) {
    int64_t sum = 0;
    for (int pass = 0; pass < kPasses; ++pass) {
        for (int32_t i = 0; i < kElements; ++i) {
            sum += reinterpret_cast<Get>(array->operations->Get)(array, i);
            Barrier();
        }
    }
    gSink = sum;
}

void VectorGets(std::vector<int32_t>& vector) {
    int64_t sum = 0;
    for (int pass = 0; pass < kPasses; ++pass) {
        for (int32_t i = 0; i < kElements; ++i) {
            sum += vector.at(i);
            Barrier();
        }
    }
    gSink = sum;
}

void RuntimeSets(ArrayRecord* array) {
    for (int pass = 0; pass < kPasses; ++pass) {
        for (int32_t i = 0; i < kElements; ++i) {
            reinterpret_cast<Set>(array->operations->Set)(array, i + pass, i);
            Barrier();
        }
    }
}

void VectorSets(std::vector<int32_t>& vector) {
    for (int pass = 0; pass < kPasses; ++pass) {
        for (int32_t i = 0; i < kElements; ++i) {
            vector.at(i) = i + pass;
            Barrier();
        }
    }
}

// Appending as compiled code does: UBound, then Insert one past it.
void RuntimeAppends(int32_t count) {
    ArrayRecord* array = CreateArray(1, kArrayInt32, -1);
    for (int32_t i = 0; i < count; ++i) {
        const int32_t end = array->operations->UBound(array, 1) + 1;
        reinterpret_cast<Insert>(array->operations->Insert)(array, end, i);
        Barrier();
    }
    RuntimeUnlockArray(array);
}

void VectorAppends(int32_t count) {
    std::vector<int32_t> vector;
    for (int32_t i = 0; i < count; ++i) {
        vector.push_back(i);
        Barrier();
    }
}

void RuntimeFrontInserts() {
    ArrayRecord* array = CreateArray(1, kArrayInt32, -1);
    for (int32_t i = 0; i < kFrontInserts; ++i) {
        reinterpret_cast<Insert>(array->operations->Insert)(array, 0, i);
        Barrier();
    }
    RuntimeUnlockArray(array);
}

void VectorFrontInserts() {
    std::vector<int32_t> vector;
    for (int32_t i = 0; i < kFrontInserts; ++i) {
        vector.insert(vector.begin(), i);
        Barrier();
    }
}

void Report(const char* what, long long count, double runtime, double vector) {
    std::printf("  %lld %s\n", count, what);
    std::printf("    operation table           %8.1f ms\n", runtime * 1e3);
    std::printf("    std::vector               %8.1f ms   ratio %.2f\n", vector * 1e3,
                vector / runtime);
}

}  // namespace

int main() {
    InitAllocatorLock();
    InitStringLock();

    ArrayRecord* array = CreateArray(1, kArrayInt32, kElements - 1);
    std::vector<int32_t> vector(kElements);
    const double runtimeSets = Best([&] { RuntimeSets(array); });
    const double vectorSets = Best([&] { VectorSets(vector); });
    const double runtimeGets = Best([&] { RuntimeGets(array); });
    const double vectorGets = Best([&] { VectorGets(vector); });
    RuntimeUnlockArray(array);
    const double runtimeAppends = Best([] { RuntimeAppends(kAppends); });
    const double vectorAppends = Best([] { VectorAppends(kAppends); });
    const double runtimeLongAppends = Best([] { RuntimeAppends(kLongAppends); });
    const double vectorLongAppends = Best([] { VectorAppends(kLongAppends); });
    const double runtimeInserts = Best(RuntimeFrontInserts);
    const double vectorInserts = Best(VectorFrontInserts);

    std::printf("Int32 arrays, best of %d rounds\n", kRounds);
    Report("bounds-checked reads (Get / at)", 1LL * kPasses * kElements, runtimeGets, vectorGets);
    Report("bounds-checked writes (Set / at)", 1LL * kPasses * kElements, runtimeSets, vectorSets);
    Report("appends (UBound + Insert / push_back)", kAppends, runtimeAppends, vectorAppends);
    Report("appends, past the largest step", kLongAppends, runtimeLongAppends, vectorLongAppends);
    Report("inserts at the front (Insert / insert)", kFrontInserts, runtimeInserts, vectorInserts);
    std::printf("(ratio above 1: the runtime is that many times faster)\n");
    return 0;
}
