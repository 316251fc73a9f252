// Number texts against the C++ library's conversions, measured side by side in one run: Str and
// Format against std::to_chars with the same digits, Val against std::from_chars. The runtime's
// functions make runtime strings and read the locale's separators on every Format call.
#include <charconv>
#include <cstdio>
#include <vector>

#include "BenchTiming.h"
#include "core/RuntimeString.h"
#include "values/NumberText.h"

namespace {

constexpr int kCount = 20000;

std::vector<double> MakeValues() {
    std::vector<double> values;
    uint32_t seed = 12345;
    auto next = [&seed] { return (seed = seed * 1664525u + 1013904223u) >> 8; };
    for (int i = 0; i < kCount; ++i) values.push_back((next() % 2000000) / 7.0 - 100000.0);
    return values;
}

}  // namespace

int main() {
    const std::vector<double> values = MakeValues();
    uint64_t checksum = 0;

    const double str = Best([&] {
        uint64_t sum = 0;
        for (double x : values) {
            const string s = string::Adopt(StringStr(x));
            sum += uint64_t(s.Length());
        }
        return sum;
    }, checksum);
    const double toChars = Best([&] {
        uint64_t sum = 0;
        char buffer[64];
        for (double x : values) {
            const auto r = std::to_chars(buffer, buffer + 64, x, std::chars_format::general, 7);
            sum += uint64_t(r.ptr - buffer);
        }
        return sum;
    }, checksum);

    const string picture("#,##0.00");
    const double format = Best([&] {
        uint64_t sum = 0;
        for (double x : values) {
            const string s = string::Adopt(StringFormat(x, picture.Record()));
            sum += uint64_t(s.Length());
        }
        return sum;
    }, checksum);
    const double toCharsFixed = Best([&] {
        uint64_t sum = 0;
        char buffer[64];
        for (double x : values) {
            const auto r = std::to_chars(buffer, buffer + 64, x, std::chars_format::fixed, 2);
            sum += uint64_t(r.ptr - buffer);
        }
        return sum;
    }, checksum);

    std::vector<string> texts;
    for (double x : values) texts.push_back(string::Adopt(StringStr(x)));
    const double val = Best([&] {
        double sum = 0;
        for (const string& s : texts) sum += StringVal(s.Record());
        return uint64_t(sum);
    }, checksum);
    const double fromChars = Best([&] {
        double sum = 0;
        for (const string& s : texts) {
            double x = 0;
            std::from_chars(s.CString(), s.CString() + s.Length(), x);
            sum += x;
        }
        return uint64_t(sum);
    }, checksum);

    std::printf("Str / to_chars (7 digits):         %.2f\n", str / toChars);
    std::printf("Format #,##0.00 / to_chars fixed:  %.2f\n", format / toCharsFixed);
    std::printf("Val / from_chars:                  %.2f\n", val / fromChars);
    std::printf("(checksum %llu)\n", static_cast<unsigned long long>(checksum));
    return 0;
}
