// Single and Double results as compiled code receives them: in the x87 register, used at once.
// Each entry point is called through a pointer typed to return the register's full 80 bits, so
// no store to a float or double rounds the value before the comparison.
#include <gtest/gtest.h>

#include <cstdint>

#include "core/RuntimeString.h"
#include "values/ColorValues.h"
#include "values/MathFunctions.h"
#include "values/NumberText.h"
#include "core/Rnd.h"

namespace {

template <typename F, typename... A>
long double InRegister(F* function, A... arguments) {
    return reinterpret_cast<long double (*)(A...)>(reinterpret_cast<void (*)()>(function))(
        arguments...);
}

long double ValInRegister(const char* text) {
    string s(text);
    return InRegister(StringVal, s.Record());
}

}  // namespace

TEST(FloatingResults, SinglesAreRoundedToSingle) {
    const struct {
        const char* call;
        long double result;
        float rounded;
    } cases[] = {
        {"IntToFloat(16777217)", InRegister(RuntimeIntToFloat, int32_t{16777217}), 16777216.0f},
        {"IntToFloat(-16777217)", InRegister(RuntimeIntToFloat, int32_t{-16777217}), -16777216.0f},
        {"IntToFloat(16777219)", InRegister(RuntimeIntToFloat, int32_t{16777219}), 16777220.0f},
        {"IntToFloat(2147483647)", InRegister(RuntimeIntToFloat, int32_t{2147483647}), 2147483648.0f},
        {"UIntToFloat(4294967295)", InRegister(RuntimeUIntToFloat, uint32_t{4294967295u}), 4294967296.0f},
        {"UIntToFloat(16777217)", InRegister(RuntimeUIntToFloat, uint32_t{16777217u}), 16777216.0f},
    };
    for (const auto& c : cases) EXPECT_EQ(c.result, static_cast<long double>(c.rounded)) << c.call;
}

TEST(FloatingResults, DoublesCarryNoExcessPrecision) {
    const struct {
        const char* call;
        long double result;
    } cases[] = {
        {"Sqrt(2)", InRegister(RuntimeSqrt, 2.0)},
        {"Exp(1)", InRegister(RuntimeExp, 1.0)},
        {"Log(10)", InRegister(RuntimeLog, 10.0)},
        {"Sin(1)", InRegister(RuntimeSin, 1.0)},
        {"Cos(1)", InRegister(RuntimeCos, 1.0)},
        {"Tan(1)", InRegister(RuntimeTan, 1.0)},
        {"ATan(1)", InRegister(RuntimeATan, 1.0)},
        {"ASin(0.3)", InRegister(RuntimeASin, 0.3)},
        {"ACos(0.3)", InRegister(RuntimeACos, 0.3)},
        {"Pow(2, 0.5)", InRegister(RuntimePow, 2.0, 0.5)},
        {"Pow(10, -3)", InRegister(RuntimePow, 10.0, -3.0)},
        {"ATan2(1, 3)", InRegister(RuntimeATan2, 1.0, 3.0)},
        {"IntToDouble(2147483647)", InRegister(RuntimeIntToDouble, int32_t{2147483647})},
        {"UIntToDouble(4294967295)", InRegister(RuntimeUIntToDouble, uint32_t{4294967295u})},
        {"Rnd", InRegister(rnd)},
        {"Hue(&c102030)", InRegister(readColorHue, uint32_t{0x102030})},
        {"Saturation(&c102030)", InRegister(readColorSaturation, uint32_t{0x102030})},
        {"Value(&c102030)", InRegister(readColorValue, uint32_t{0x102030})},
        {"Cyan(&c102030)", InRegister(readColorCyan, uint32_t{0x102030})},
        {"Magenta(&c102030)", InRegister(readColorMagenta, uint32_t{0x102030})},
        {"Yellow(&c102030)", InRegister(readColorYellow, uint32_t{0x102030})},
        {"Val(\"0.1\")", ValInRegister("0.1")},
        {"Val(\"3.3e-7\")", ValInRegister("3.3e-7")},
        {"Val(\"123456789.123456789\")", ValInRegister("123456789.123456789")},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.result, static_cast<long double>(static_cast<double>(c.result))) << c.call;
    }
    EXPECT_EQ(InRegister(RuntimeSqrt, 2.0), static_cast<long double>(1.4142135623730951)) << "Sqrt(2)";
    EXPECT_EQ(ValInRegister("0.1"), static_cast<long double>(0.1)) << "Val(\"0.1\")";
    EXPECT_EQ(ValInRegister("3.3e-7"), static_cast<long double>(3.3e-7)) << "Val(\"3.3e-7\")";
}
