// Dictionary against std::unordered_map doing the same work, measured side by side in one run:
// filling a new dictionary and reading every key back, with string keys (the map hashing and
// comparing them without case, as the Dictionary does) and with integer keys.
#include <cctype>
#include <cstdio>
#include <string>
#include <unordered_map>
#include <vector>

#include "BenchTiming.h"
#include "core/DefinitionConversion.h"
#include "core/RuntimeString.h"
#include "core/SmallBlockAllocator.h"
#include "values/Dictionary.h"
#include "values/Variant.h"

namespace {

constexpr int kCount = 20000;

struct FoldedHash {
    size_t operator()(const std::string& s) const {
        size_t h = 2166136261u;
        for (unsigned char c : s) h = (h ^ static_cast<size_t>(std::tolower(c))) * 16777619u;
        return h;
    }
};
struct FoldedEqual {
    bool operator()(const std::string& a, const std::string& b) const {
        if (a.size() != b.size()) return false;
        for (size_t i = 0; i < a.size(); ++i)
            if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
                return false;
        return true;
    }
};

}  // namespace

int main() {
    InitAllocatorLock();
    InitStringLock();
    std::vector<std::string> plainStrings;
    std::vector<int32_t> plainIntegers;
    std::vector<ObjectHeader*> strings, integers;
    for (int i = 0; i < kCount; ++i) {
        plainStrings.push_back("Key Number " + std::to_string(i * 7919));
        plainIntegers.push_back(i * 7919);
        const string text(plainStrings.back().c_str());
        strings.push_back(stringToVariant(text.Record()));
        integers.push_back(intToVariant(plainIntegers.back()));
    }
    uint64_t checksum = 0;

    // Set: a new dictionary filled with every key (the integers as values). Get: every key read
    // back from a filled one.
    auto dictionarySet = [&](const std::vector<ObjectHeader*>& keys) {
        return Best([&] {
            ObjectHeader* d = CreateInstance(GetDictionaryDefinition());
            for (size_t i = 0; i < keys.size(); ++i) dictionaryValueSetter(d, keys[i], integers[i]);
            const uint64_t count = uint64_t(dictionaryCount(d));
            ReleaseObject(d);
            return count;
        }, checksum);
    };
    auto dictionaryGet = [&](const std::vector<ObjectHeader*>& keys) {
        ObjectHeader* d = CreateInstance(GetDictionaryDefinition());
        for (size_t i = 0; i < keys.size(); ++i) dictionaryValueSetter(d, keys[i], integers[i]);
        const double seconds = Best([&] {
            uint64_t sum = 0;
            for (ObjectHeader* key : keys) {
                ObjectHeader* value = dictionaryValueGetter(d, key);
                sum += uint32_t(reinterpret_cast<BoxedInteger*>(value)->value);
                ReleaseObject(value);
            }
            return sum;
        }, checksum);
        ReleaseObject(d);
        return seconds;
    };
    auto mapSet = [&](const auto& keys, auto map) {
        return Best([&] {
            decltype(map) m;
            for (size_t i = 0; i < keys.size(); ++i) m[keys[i]] = plainIntegers[i];
            return uint64_t(m.size());
        }, checksum);
    };
    auto mapGet = [&](const auto& keys, auto map) {
        for (size_t i = 0; i < keys.size(); ++i) map[keys[i]] = plainIntegers[i];
        return Best([&] {
            uint64_t sum = 0;
            for (const auto& key : keys) sum += uint32_t(map.find(key)->second);
            return sum;
        }, checksum);
    };
    using StringMap = std::unordered_map<std::string, int32_t, FoldedHash, FoldedEqual>;
    using IntegerMap = std::unordered_map<int32_t, int32_t>;

    const double stringSet = dictionarySet(strings) / mapSet(plainStrings, StringMap());
    const double stringGet = dictionaryGet(strings) / mapGet(plainStrings, StringMap());
    const double integerSet = dictionarySet(integers) / mapSet(plainIntegers, IntegerMap());
    const double integerGet = dictionaryGet(integers) / mapGet(plainIntegers, IntegerMap());

    std::printf("Dictionary / unordered_map, set, string keys:   %.2f\n", stringSet);
    std::printf("Dictionary / unordered_map, get, string keys:   %.2f\n", stringGet);
    std::printf("Dictionary / unordered_map, set, integer keys:  %.2f\n", integerSet);
    std::printf("Dictionary / unordered_map, get, integer keys:  %.2f\n", integerGet);
    std::printf("(checksum %llu)\n", static_cast<unsigned long long>(checksum));
    for (ObjectHeader* v : strings) ReleaseObject(v);
    for (ObjectHeader* v : integers) ReleaseObject(v);
    return 0;
}
