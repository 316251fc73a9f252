// The runtime string and StringMap against the standard library doing the same work, measured
// side by side in one run: joins, compares, byte searches and map lookups by case-insensitive key.
#include <windows.h>

#include <cstdio>
#include <string>
#include <unordered_map>
#include <vector>

#include "BenchTiming.h"
#include "core/ByteUtilities.h"
#include "core/RuntimeString.h"
#include "core/SmallBlockAllocator.h"
#include "core/StringMap.h"
#include "core/StringUtilities.h"

namespace {

string Utf8(const std::string& text) {
    string s;
    s.SetBytes(text.data(), int32_t(text.size()));
    s.SetEncoding(kEncodingUTF8);
    return s;
}

// Words of 3 to 20 letters, mixed case, as identifiers and keys look.
std::vector<std::string> MakeWords(int count, uint32_t seed) {
    auto next = [&seed] { return (seed = seed * 1664525u + 1013904223u) >> 8; };
    std::vector<std::string> words(count);
    for (std::string& w : words) {
        w.resize(3 + next() % 18);
        for (char& c : w) c = char((next() % 2 ? 'a' : 'A') + next() % 26);
    }
    return words;
}

std::string Folded(std::string text) {
    for (char& c : text) c = char(FoldTable[static_cast<unsigned char>(c)]);
    return text;
}

struct FoldHash {
    size_t operator()(const std::string& key) const {
        uint32_t h = 0;
        for (unsigned char c : key) h = h * 31 + FoldTable[c];
        return h;
    }
};
struct FoldEqual {
    bool operator()(const std::string& a, const std::string& b) const {
        return CompareBytesNoCase(a.data(), int32_t(a.size()), b.data(), int32_t(b.size())) == 0;
    }
};

void Line(const char* what, double runtime, double standard) {
    std::printf("  %-44s %8.2f ms  %8.2f ms   ratio %5.2f\n", what, runtime * 1e3, standard * 1e3,
                standard / runtime);
}

}  // namespace

int main() {
    InitAllocatorLock();
    InitStringLock();
    uint64_t checksum = 0;

    const std::vector<std::string> words = MakeWords(1000, 99);
    std::vector<string> runtimeWords;
    for (const std::string& w : words) runtimeWords.push_back(Utf8(w));
    const int n = int(words.size());

    std::printf("string bench: runtime string and StringMap against std, best of %d rounds\n", kRounds);
    std::printf("  %-44s %11s  %11s\n", "", "runtime", "std");

    constexpr int kJoins = 1'000'000;
    const double joinRuntime = Best([&] {
        uint64_t sum = 0;
        for (int i = 0; i < kJoins; ++i) {
            string joined = StringConcat(runtimeWords[i % n], runtimeWords[(i * 7 + 1) % n]);
            sum += uint32_t(joined.Length());
        }
        return sum;
    }, checksum);
    const double joinStd = Best([&] {
        uint64_t sum = 0;
        for (int i = 0; i < kJoins; ++i) {
            std::string joined = words[i % n] + words[(i * 7 + 1) % n];
            sum += joined.size();
        }
        return sum;
    }, checksum);
    Line("join two words (1M)", joinRuntime, joinStd);

    constexpr int kAppends = 10'000;
    const double appendRuntime = Best([&] {
        string text;
        for (int i = 0; i < kAppends; ++i) text = StringConcat(text, runtimeWords[i % n]);
        return uint64_t(text.Length());
    }, checksum);
    const double appendStd = Best([&] {
        std::string text;
        for (int i = 0; i < kAppends; ++i) text = text + words[i % n];
        return uint64_t(text.size());
    }, checksum);
    Line("grow one text by 10K joins (new value each)", appendRuntime, appendStd);

    // Compares over pairs that share long prefixes, so the byte loops do the work.
    std::vector<std::string> prefixed;
    for (const std::string& w : words) prefixed.push_back("common/prefix/of/a/path/" + w);
    std::vector<string> runtimePrefixed;
    for (const std::string& w : prefixed) runtimePrefixed.push_back(Utf8(w));
    constexpr int kCompares = 4'000'000;
    const double compareRuntime = Best([&] {
        uint64_t sum = 0;
        for (int i = 0; i < kCompares; ++i)
            sum += uint32_t(string::Compare(runtimePrefixed[i % n], runtimePrefixed[(i + 1) % n]) + 1);
        return sum;
    }, checksum);
    const double compareStd = Best([&] {
        uint64_t sum = 0;
        for (int i = 0; i < kCompares; ++i) {
            const int c = prefixed[i % n].compare(prefixed[(i + 1) % n]);
            sum += uint32_t((c > 0) - (c < 0) + 1);
        }
        return sum;
    }, checksum);
    Line("binary compare (4M)", compareRuntime, compareStd);

    const double noCaseRuntime = Best([&] {
        uint64_t sum = 0;
        for (int i = 0; i < kCompares; ++i)
            sum += uint32_t(string::CompareNoCase(runtimePrefixed[i % n], runtimePrefixed[(i + 1) % n]) + 1);
        return sum;
    }, checksum);
    const double noCaseStd = Best([&] {
        uint64_t sum = 0;
        for (int i = 0; i < kCompares; ++i) {
            const std::string& a = prefixed[i % n];
            const std::string& b = prefixed[(i + 1) % n];
            sum += uint32_t(CompareBytesNoCase(a.data(), int32_t(a.size()), b.data(), int32_t(b.size())) + 1);
        }
        return sum;
    }, checksum);
    Line("case-insensitive compare (4M)", noCaseRuntime, noCaseStd);

    // Searches in a 64 KB text: a short pattern (the plain scan) and a long one (Boyer-Moore).
    std::string haystack;
    for (int i = 0; haystack.size() < 65536; ++i) haystack += words[i % n] + ' ';
    haystack += "<the end marker>";
    const string runtimeHaystack = Utf8(haystack);
    struct Search {
        const char* what;
        std::string pattern;
        int repeats;
    } searches[] = {
        {"search 3-byte pattern, absent (64 KB)", "q#z", 200},
        {"search 24-byte pattern, absent (64 KB)", "the pattern is not there", 200},
        {"search 16-byte pattern at the end (64 KB)", "<the end marker>", 200},
    };
    for (const Search& s : searches) {
        const string pattern = Utf8(s.pattern);
        const double searchRuntime = Best([&] {
            uint64_t sum = 0;
            for (int i = 0; i < s.repeats; ++i) sum += uint32_t(FindSubstring(i % 7, runtimeHaystack, pattern));
            return sum;
        }, checksum);
        const double searchStd = Best([&] {
            uint64_t sum = 0;
            for (int i = 0; i < s.repeats; ++i) sum += uint32_t(int32_t(haystack.find(s.pattern, i % 7)));
            return sum;
        }, checksum);
        Line(s.what, searchRuntime, searchStd);
    }

    // Lookups by keys in other letter cases, as identifiers are looked up.
    StringMap<int> map(256);
    std::unordered_map<std::string, int, FoldHash, FoldEqual> standardMap;
    for (int i = 0; i < n; ++i) {
        map.SetEntry(runtimeWords[i], i);
        standardMap[words[i]] = i;
    }
    std::vector<string> upperKeys, asciiKeys;
    std::vector<std::string> upperWords;
    for (const std::string& w : words) {
        upperWords.push_back(Folded(w));
        upperKeys.push_back(Utf8(upperWords.back()));
        asciiKeys.push_back(string(upperWords.back().c_str()));  // tagged ASCII: converted per lookup
    }
    constexpr int kLookups = 2'000'000;
    const double stdLookup = Best([&] {
        uint64_t sum = 0;
        for (int i = 0; i < kLookups; ++i) {
            auto found = standardMap.find(upperWords[i % n]);
            if (found != standardMap.end()) sum += uint32_t(found->second);
        }
        return sum;
    }, checksum);
    const double mapLookup = Best([&] {
        uint64_t sum = 0;
        for (int i = 0; i < kLookups; ++i) {
            int value;
            if (map.GetEntry(upperKeys[i % n], value)) sum += uint32_t(value);
        }
        return sum;
    }, checksum);
    Line("StringMap lookup, UTF-8 keys (2M)", mapLookup, stdLookup);
    const double asciiLookup = Best([&] {
        uint64_t sum = 0;
        for (int i = 0; i < kLookups / 10; ++i) {
            int value;
            if (map.GetEntry(asciiKeys[i % n], value)) sum += uint32_t(value);
        }
        return sum;
    }, checksum);
    Line("StringMap lookup, ASCII-tagged keys (200K)", asciiLookup, stdLookup / 10);

    std::printf("(ratio above 1: the runtime is that many times faster; checksum %llu)\n",
                (unsigned long long)checksum);
    return 0;
}
