// A native check of the number texts' digits against glibc's printf, which rounds exactly:
// Str's texts (FormatDouble with 7 digits) and the digit texts behind Format, for a million
// random doubles over the whole exponent range, or as many as the first argument says. The
// host-labelled test values.number_format_native builds and runs it; by hand:
//   g++ -std=c++20 -O2 -I. tests/values/native/NumberFormatCheck.cpp values/NumberFormat.cpp
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "values/NumberFormat.h"

namespace {

// What the digit texts promise, made by printf: two-digit exponents lose a leading zero when
// positive, and zero texts lose their sign.
std::string Expected(double x, bool fixed, int digits) {
    if (std::isnan(x)) return "NaN";
    if (x == 0) x = 0.0;
    int precision = fixed ? digits : digits - 1;
    if (precision < 0) precision = 0;
    std::string text(size_t(precision) + 400, '\0');
    const int n = std::snprintf(text.data(), text.size(), fixed ? "%.*f" : "%.*e", precision, x);
    text.resize(size_t(n));
    if (!fixed) {
        const size_t e = text.find("e+0");
        if (e != std::string::npos) text.erase(e + 2, 1);
    }
    if (text.size() > 1 && text[0] == '-' &&
        text.find_first_not_of("0.", 1) == std::string::npos)
        text.erase(0, 1);
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    const long count = argc > 1 ? std::atol(argv[1]) : 1000000;
    std::mt19937_64 random(20261210);
    int failures = 0;
    for (long i = 0; i < count && failures < 10; ++i) {
        // Every other value is an ordinary one, where Str's fixed texts lie.
        double x;
        const uint64_t bits = random();
        std::memcpy(&x, &bits, sizeof x);
        if (i % 2) x = std::ldexp(double(int64_t(bits >> 11) - (int64_t(1) << 52)), -int(random() % 80));
        if (std::isinf(x)) continue;
        const int digits = int(random() % 20);
        const bool fixed = (random() & 1) && std::fabs(x) < 1e30;
        const std::string got = numbertext::FormatDigits(x, fixed, digits);
        const std::string want = Expected(x, fixed, digits);
        if (got != want) {
            std::printf("%a %s %d: %s != %s\n", x, fixed ? "fixed" : "scientific", digits,
                        got.c_str(), want.c_str());
            ++failures;
        }
    }
    if (failures)
        std::printf("FAILED\n");
    else
        std::printf("%ld doubles agree\n", count);
    return failures ? 1 : 0;
}
