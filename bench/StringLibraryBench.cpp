// The string library against std::string code doing the same work, measured side by side in one
// run: case-insensitive search in UTF-8 and single-byte text, ReplaceAll, Split and NthField.
// The standard code folds ASCII letters only; the runtime folds every letter of the text's
// encoding.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "BenchTiming.h"
#include "core/ArrayRecord.h"
#include "core/RuntimeString.h"
#include "values/StringLibrary.h"
#include "core/TextEncodings.h"

namespace {

string Tagged(const std::string& text, uint32_t tag) {
    string s;
    s.SetBytes(text.data(), int32_t(text.size()));
    s.SetEncoding(tag);
    return s;
}

// Words of 2 to 9 letters, mixed case, separated by single spaces.
std::string MakeText(int words, uint32_t seed) {
    auto next = [&seed] { return (seed = seed * 1664525u + 1013904223u) >> 8; };
    std::string text;
    for (int i = 0; i < words; ++i) {
        const int length = 2 + int(next() % 8);
        for (int k = 0; k < length; ++k) text += char((next() % 3 ? 'a' : 'A') + next() % 26);
        text += ' ';
    }
    return text;
}

char Fold(char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; }

size_t FindNoCase(const std::string& text, const std::string& pattern, size_t from) {
    const auto at = std::search(text.begin() + ptrdiff_t(from), text.end(), pattern.begin(),
                                pattern.end(), [](char a, char b) { return Fold(a) == Fold(b); });
    return at == text.end() ? std::string::npos : size_t(at - text.begin());
}

std::string ReplaceAllNoCase(const std::string& text, const std::string& find,
                             const std::string& replacement) {
    std::string out;
    size_t from = 0;
    for (size_t p; (p = FindNoCase(text, find, from)) != std::string::npos; from = p + find.size())
        out.append(text, from, p - from).append(replacement);
    return out.append(text, from, std::string::npos);
}

std::vector<std::string> SplitAt(const std::string& text, char delimiter) {
    std::vector<std::string> parts;
    size_t from = 0;
    for (size_t p; (p = text.find(delimiter, from)) != std::string::npos; from = p + 1)
        parts.push_back(text.substr(from, p - from));
    parts.push_back(text.substr(from));
    return parts;
}

std::string NthFieldAt(const std::string& text, char delimiter, int n) {
    size_t from = 0;
    for (int i = 1; i < n; ++i) {
        const size_t p = text.find(delimiter, from);
        if (p == std::string::npos) return std::string();
        from = p + 1;
    }
    const size_t end = text.find(delimiter, from);
    return text.substr(from, end == std::string::npos ? std::string::npos : end - from);
}

void Line(const char* what, double runtime, double standard) {
    std::printf("  %-44s %8.2f ms  %8.2f ms   ratio %5.2f\n", what, runtime * 1e3, standard * 1e3,
                standard / runtime);
}

}  // namespace

int main() {
    std::printf("String library (runtime vs std::string; ratio > 1: the runtime is faster)\n");
    const std::string text = MakeText(20000, 7);
    const std::string needle = "QzXwV";  // not in the text: every search runs to the end
    uint64_t sink = 0;

    for (uint32_t tag : {kEncodingUTF8, kEncodingWindowsLatin1}) {
        const string s = Tagged(text, tag);
        const string find = Tagged(needle, tag);
        const double runtime = Best([&] {
            uint64_t found = 0;
            for (int i = 0; i < 20; ++i) found += StringInStr(1 + i, s.Record(), find.Record());
            return found + 1;
        }, sink);
        const double standard = Best([&] {
            uint64_t found = 0;
            for (int i = 0; i < 20; ++i) found += FindNoCase(text, needle, size_t(i)) + 1;
            return found;
        }, sink);
        Line(tag == kEncodingUTF8 ? "InStr, case-insensitive, UTF-8 (20 x 110 KB)"
                                  : "InStr, case-insensitive, Latin-1 (20 x 110 KB)",
             runtime, standard);
    }

    const string s = Tagged(text, kEncodingUTF8);
    const string space = Tagged(" ", kEncodingASCII);
    const string find = Tagged("AB", kEncodingASCII);
    const string replacement = Tagged("xyz", kEncodingASCII);
    Line("ReplaceAll, case-insensitive (10 x 110 KB)",
         Best([&] {
             uint64_t length = 0;
             for (int i = 0; i < 10; ++i)
                 length += string::Adopt(StringReplaceAll(s.Record(), find.Record(), replacement.Record())).Length();
             return length;
         }, sink),
         Best([&] {
             uint64_t length = 0;
             for (int i = 0; i < 10; ++i) length += ReplaceAllNoCase(text, "AB", "xyz").size();
             return length;
         }, sink));

    Line("Split at spaces (10 x 20,000 fields)",
         Best([&] {
             uint64_t parts = 0;
             for (int i = 0; i < 10; ++i) {
                 ArrayRecord* array = StringSplit(s.Record(), space.Record());
                 parts += uint64_t(array->upperBound[0] + 1);
                 RuntimeUnlockArray(array);
             }
             return parts;
         }, sink),
         Best([&] {
             uint64_t parts = 0;
             for (int i = 0; i < 10; ++i) parts += SplitAt(text, ' ').size();
             return parts;
         }, sink));

    const std::string shortText = text.substr(0, 4000);
    const string shortString = Tagged(shortText, kEncodingUTF8);
    Line("NthField, every field of a 4 KB text",
         Best([&] {
             uint64_t length = 0;
             for (int n = 1; n <= 700; ++n)
                 length += string::Adopt(StringNthField(shortString.Record(), space.Record(), n)).Length();
             return length;
         }, sink),
         Best([&] {
             uint64_t length = 0;
             for (int n = 1; n <= 700; ++n) length += NthFieldAt(shortText, ' ', n).size();
             return length;
         }, sink));
    std::printf("  (checksum %llu)\n", static_cast<unsigned long long>(sink));
    return 0;
}
