#include "values/MathFunctions.h"

#include <cmath>
#include <cstring>

#include "core/NumberConversion.h"

namespace {

// The single-precision NaN 0x7FFFFFFF, widened.
double DomainError() {
    const uint32_t bits = 0x7FFFFFFF;
    float nan;
    std::memcpy(&nan, &bits, sizeof nan);
    return nan;
}

// The C library's routines leave their result in the x87 register at full width, and a result
// handed straight back would reach compiled code so. Passing it through an SSE register rounds it
// to Double.
double Rounded(double value) {
#if defined(__SSE2__)
    asm("" : "+x"(value));
#endif
    return value;
}

// Folds the elements of a ParamArray of Doubles into result, keeping those that better wins.
template <typename Better>
double FoldMore(double result, ArrayRecord* more, Better better) {
    if (!more) return result;
    const int32_t upper = RuntimeUBound(more);
    auto get = reinterpret_cast<double (*)(ArrayRecord*, int32_t)>(more->operations->Get);
    for (int32_t i = 0; i <= upper; ++i) {
        const double value = get(more, i);
        if (better(value, result)) result = value;
    }
    return result;
}

}  // namespace

extern "C" {

double RuntimeACos(double x) {
    return (x < -1.0 || x > 1.0) ? DomainError() : Rounded(std::acos(x));
}
double RuntimeASin(double x) {
    return (x < -1.0 || x > 1.0) ? DomainError() : Rounded(std::asin(x));
}
double RuntimeATan(double x) { return Rounded(std::atan(x)); }
double RuntimeATan2(double y, double x) { return Rounded(std::atan2(y, x)); }
double RuntimeCos(double x) { return Rounded(std::cos(x)); }
double RuntimeSin(double x) { return Rounded(std::sin(x)); }
double RuntimeTan(double x) { return Rounded(std::tan(x)); }
double RuntimeExp(double x) { return Rounded(std::exp(x)); }
double RuntimeLog(double x) { return Rounded(std::log(x)); }
double RuntimeSqrt(double x) { return Rounded(std::sqrt(x)); }
double RuntimePow(double base, double exponent) { return Rounded(std::pow(base, exponent)); }
double RuntimeCeil(double x) { return std::ceil(x); }
double RuntimeFloor(double x) { return std::floor(x); }
// Adding 0.5 and truncating would round 0.49999999999999994 up and disturb values from 2^52 up.
double RuntimeRound(double x) { return std::round(x); }
double RuntimeAbs(double x) { return x < 0.0 ? -x : x; }
int32_t RuntimeSign(double x) { return x < 0.0 ? -1 : (x > 0.0 ? 1 : 0); }

double RuntimeMax(double a, double b, ArrayRecord* more) {
    return FoldMore(a > b ? a : b, more, [](double value, double best) { return value > best; });
}

double RuntimeMin(double a, double b, ArrayRecord* more) {
    return FoldMore(a < b ? a : b, more, [](double value, double best) { return value < best; });
}

float RuntimeIntToFloat(int32_t x) { return static_cast<float>(x); }
float RuntimeUIntToFloat(uint32_t x) { return static_cast<float>(x); }
double RuntimeIntToDouble(int32_t x) { return x; }
double RuntimeUIntToDouble(uint32_t x) { return x; }
int32_t RuntimeFloatToInt(float x) { return TruncateToInt32(x); }
int32_t RuntimeDoubleToInt(double x) { return TruncateToInt32(x); }
uint32_t RuntimeFloatToUInt(float x) { return TruncateToUInt32(x); }
uint32_t RuntimeDoubleToUInt(double x) { return TruncateToUInt32(x); }

}
