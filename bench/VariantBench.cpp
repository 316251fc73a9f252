// Variant hashing and equality against the C++ library on the plain values, measured side by side
// in one run: VariantHash and VariantEqual of boxed strings and integers against std::hash and ==.
// The Variant side finds the class's operator through its per-class cache on every call.
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "BenchTiming.h"
#include "core/RuntimeString.h"
#include "core/SmallBlockAllocator.h"
#include "values/Variant.h"

namespace {

constexpr int kCount = 20000;

}  // namespace

int main() {
    InitAllocatorLock();
    InitStringLock();
    std::vector<std::string> plainStrings;
    std::vector<int32_t> plainIntegers;
    std::vector<ObjectHeader*> strings, integers;
    for (int i = 0; i < kCount; ++i) {
        plainStrings.push_back("key number " + std::to_string(i * 7919));
        plainIntegers.push_back(i * 7919);
        const string text(plainStrings.back().c_str());
        strings.push_back(stringToVariant(text.Record()));
        integers.push_back(intToVariant(plainIntegers.back()));
    }
    uint64_t checksum = 0;

    auto variantHash = [&](const std::vector<ObjectHeader*>& values) {
        return Best([&] {
            uint64_t sum = 0;
            for (ObjectHeader* v : values) sum += uint32_t(VariantHash(v));
            return sum;
        }, checksum);
    };
    // Each value against its neighbour: mostly unequal, as in a hash chain.
    auto variantEqual = [&](const std::vector<ObjectHeader*>& values) {
        return Best([&] {
            uint64_t sum = 0;
            for (size_t i = 1; i < values.size(); ++i) sum += VariantEqual(values[i], values[i - 1]);
            for (ObjectHeader* v : values) sum += VariantEqual(v, v);
            return sum;
        }, checksum);
    };
    auto plainHash = [&](const auto& values) {
        return Best([&] {
            uint64_t sum = 0;
            for (const auto& v : values) sum += std::hash<std::decay_t<decltype(v)>>()(v);
            return sum;
        }, checksum);
    };
    auto plainEqual = [&](const auto& values) {
        return Best([&] {
            uint64_t sum = 0;
            for (size_t i = 1; i < values.size(); ++i) sum += values[i] == values[i - 1];
            for (const auto& v : values) sum += v == v;
            return sum;
        }, checksum);
    };

    const double stringHash = variantHash(strings) / plainHash(plainStrings);
    const double integerHash = variantHash(integers) / plainHash(plainIntegers);
    const double stringEqual = variantEqual(strings) / plainEqual(plainStrings);
    const double integerEqual = variantEqual(integers) / plainEqual(plainIntegers);

    std::printf("VariantHash / std::hash, strings:   %.2f\n", stringHash);
    std::printf("VariantHash / std::hash, integers:  %.2f\n", integerHash);
    std::printf("VariantEqual / ==, strings:         %.2f\n", stringEqual);
    std::printf("VariantEqual / ==, integers:        %.2f\n", integerEqual);
    std::printf("(checksum %llu)\n", static_cast<unsigned long long>(checksum));
    for (ObjectHeader* v : strings) ReleaseObject(v);
    for (ObjectHeader* v : integers) ReleaseObject(v);
    return 0;
}
