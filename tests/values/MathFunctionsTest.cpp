#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "RaisedExceptions.h"
#include "core/ArrayRecord.h"
#include "core/DefinitionConversion.h"
#include "values/Bitwise.h"
#include "values/ColorValues.h"
#include "values/MathFunctions.h"
#include "values/Random.h"

namespace {

ArrayRecord* DoubleArray(std::vector<double> values) {
    ArrayRecord* array = CreateArray(1, kArrayDouble, static_cast<int32_t>(values.size()) - 1);
    auto set = reinterpret_cast<void (*)(ArrayRecord*, double, int32_t)>(array->operations->Set);
    for (size_t i = 0; i < values.size(); ++i) set(array, values[i], static_cast<int32_t>(i));
    return array;
}

ArrayRecord* IntArray(std::vector<int32_t> values) {
    ArrayRecord* array = CreateArray(1, kArrayInt32, static_cast<int32_t>(values.size()) - 1);
    auto set = reinterpret_cast<void (*)(ArrayRecord*, int32_t, int32_t)>(array->operations->Set);
    for (size_t i = 0; i < values.size(); ++i) set(array, values[i], static_cast<int32_t>(i));
    return array;
}

TEST(MathFunctions, RoundIsExactlyHalfAwayFromZero) {
    const struct {
        double x, rounded;
    } cases[] = {
        {2.5, 3},    {-2.5, -3},  {0.49999999999999994, 0}, {-0.49999999999999994, -0},
        {1.4, 1},    {-1.6, -2},  {4503599627370497.0, 4503599627370497.0},
        {9007199254740993.0, 9007199254740993.0},
    };
    for (const auto& c : cases) EXPECT_EQ(RuntimeRound(c.x), c.rounded) << c.x;
}

TEST(MathFunctions, DomainSignAndAbs) {
    const double acos = RuntimeACos(1.5);
    uint64_t bits;
    std::memcpy(&bits, &acos, sizeof bits);
    EXPECT_TRUE(std::isnan(acos));
    EXPECT_TRUE(std::isnan(RuntimeASin(-1.01)));
    EXPECT_EQ(RuntimeACos(1.0), 0.0);
    EXPECT_EQ(RuntimeSign(-0.0), 0);
    EXPECT_EQ(RuntimeSign(-3), -1);
    EXPECT_EQ(RuntimeSign(1e-300), 1);
    EXPECT_EQ(RuntimeAbs(-2.5), 2.5);
    EXPECT_EQ(RuntimePow(2, 10), 1024.0);
    EXPECT_EQ(RuntimeATan2(1, 1), std::atan2(1.0, 1.0));
}

TEST(MathFunctions, MaxAndMinTakeTheParamArray) {
    EXPECT_EQ(RuntimeMax(1, 2, nullptr), 2);
    EXPECT_EQ(RuntimeMin(1, 2, nullptr), 1);
    ArrayRecord* more = DoubleArray({7, 3});
    EXPECT_EQ(RuntimeMax(1, 2, more), 7);
    EXPECT_EQ(RuntimeMin(1, 2, more), 1);
    RuntimeUnlockArray(more);
    ArrayRecord* none = DoubleArray({});
    EXPECT_EQ(RuntimeMin(4, 3, none), 3);
    RuntimeUnlockArray(none);
}

TEST(MathFunctions, ConversionsGiveIndefiniteOutOfRange) {
    EXPECT_EQ(RuntimeDoubleToInt(-1.9), -1);
    EXPECT_EQ(RuntimeDoubleToInt(2147483647.9), 2147483647);
    EXPECT_EQ(RuntimeDoubleToInt(-2147483648.9), INT32_MIN);
    EXPECT_EQ(RuntimeDoubleToInt(3e9), INT32_MIN);
    EXPECT_EQ(RuntimeDoubleToInt(NAN), INT32_MIN);
    EXPECT_EQ(RuntimeFloatToInt(-1e20f), INT32_MIN);
    EXPECT_EQ(RuntimeDoubleToUInt(4294967295.0), 4294967295u);
    EXPECT_EQ(RuntimeFloatToUInt(3000000000.0f), 3000000000u);
    EXPECT_EQ(RuntimeDoubleToUInt(-1.0), 4294967295u);
    EXPECT_EQ(RuntimeDoubleToUInt(1e30), 0u);
    EXPECT_EQ(RuntimeUIntToDouble(4294967295u), 4294967295.0);
    EXPECT_EQ(RuntimeUIntToFloat(4294967295u), 4294967296.0f);
    EXPECT_EQ(RuntimeIntToFloat(16777217), 16777216.0f);
    EXPECT_EQ(RuntimeIntToDouble(INT32_MIN), -2147483648.0);
}

class RandomTest : public ::testing::Test {
protected:
    ObjectHeader* Make(double seed) {
        ObjectHeader* random = CreateInstance(GetRandomDefinition());
        RandomSeedSetter(random, 0, seed);
        mObjects.push_back(random);
        return random;
    }
    ~RandomTest() override {
        for (ObjectHeader* object : mObjects) RuntimeUnlockObject(object);
    }
    std::vector<ObjectHeader*> mObjects;
};

TEST_F(RandomTest, SameSeedSameSequenceAndSeedingRestarts) {
    ObjectHeader* a = Make(42);
    ObjectHeader* b = Make(42);
    std::vector<double> first;
    for (int i = 0; i < 200; ++i) {
        const double x = RandomNumber(a);
        EXPECT_EQ(x, RandomNumber(b));
        EXPECT_GE(x, 0.0);
        EXPECT_LT(x, 1.0);
        first.push_back(x);
    }
    RandomSeedSetter(a, 0, 42);
    for (int i = 0; i < 200; ++i) EXPECT_EQ(RandomNumber(a), first[i]);

    // A new seed from the clock leaves the numbers going on until it is assigned.
    ObjectHeader* c = Make(42);
    for (int i = 0; i < 100; ++i) RandomNumber(c);
    RandomizeSeed(c);
    EXPECT_EQ(RandomNumber(c), first[100]);
}

TEST_F(RandomTest, RangesStayInside) {
    ObjectHeader* random = Make(7);
    bool sawOne = false, sawSix = false;
    for (int i = 0; i < 2000; ++i) {
        EXPECT_EQ(RandomNumberLessThan(random, 1), 0);
        EXPECT_EQ(RandomNumberLessThan(random, 0), 0);
        EXPECT_EQ(RandomNumberInRangeMinMax(random, 5, 5), 5);
        const int32_t die = RandomNumberInRangeMinMax(random, 1, 6);
        ASSERT_GE(die, 1);
        ASSERT_LE(die, 6);
        sawOne |= die == 1;
        sawSix |= die == 6;
        // The whole Integer range is a span of 2^32 values.
        (void)RandomNumberInRangeMinMax(random, INT32_MIN, INT32_MAX);
    }
    EXPECT_TRUE(sawOne && sawSix);
}

TEST_F(RandomTest, WholeRangeSpansEveryInteger) {
    ObjectHeader* random = Make(3);
    bool negative = false, positive = false;
    for (int i = 0; i < 200; ++i) {
        const int32_t x = RandomNumberInRangeMinMax(random, INT32_MIN, INT32_MAX);
        negative |= x < -1000000;
        positive |= x > 1000000;
    }
    EXPECT_TRUE(negative && positive);
}

TEST_F(RandomTest, GaussianHasUnitDeviation) {
    ObjectHeader* random = Make(12345);
    const int n = 100000;
    double sum = 0, squares = 0;
    for (int i = 0; i < n; ++i) {
        const double x = RandomGaussian(random);
        sum += x;
        squares += x * x;
    }
    const double mean = sum / n;
    const double deviation = std::sqrt(squares / n - mean * mean);
    EXPECT_NEAR(mean, 0.0, 0.02);
    EXPECT_NEAR(deviation, 1.0, 0.02);
}

TEST(ColorValues, ConstructorsClampAndWrap) {
    const struct {
        uint32_t made, expected;
    } cases[] = {
        {RuntimeRGB(300, -5, 128), 0xFF0080},
        {RuntimeHSV(0.0, 1.0, 1.0), 0xFF0000},
        {RuntimeHSV(1.0, 1.0, 1.0), 0xFF0000},
        {RuntimeHSV(0.5, 0.0, 0.5), 0x7F7F7F},
        {RuntimeHSV(1.0 / 3, 1.0, 1.0), 0x00FF00},
        {RuntimeHSV(NAN, 1.0, 1.0), 0},
        {RuntimeCMY(0, 0, 0), 0xFFFFFF},
        {RuntimeCMY(1, 0, 1), 0x00FF00},
    };
    for (size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(cases[i].made, cases[i].expected) << i;
}

TEST(ColorValues, Readers) {
    EXPECT_EQ(readColorRed(0x123456), 0x12);
    EXPECT_EQ(readColorGreen(0x123456), 0x34);
    EXPECT_EQ(readColorBlue(0x123456), 0x56);
    EXPECT_DOUBLE_EQ(readColorHue(0x00FF00), 1.0 / 3);
    EXPECT_DOUBLE_EQ(readColorHue(0xFF00FF), 5.0 / 6);
    EXPECT_EQ(readColorSaturation(0), 0.0);
    EXPECT_EQ(readColorValue(0xFF0000), 1.0);
    EXPECT_EQ(readColorCyan(0x00FFFF), 1.0);
    EXPECT_EQ(readColorMagenta(0x00FFFF), 0.0);
    EXPECT_EQ(readColorYellow(0xFFFF00), 1.0);
}

TEST(Bitwise, ShiftsWithinTheWidth) {
    const struct {
        bool left;
        int32_t value, shift, numBits, result;
    } cases[] = {
        {true, int32_t(0x80000001), 1, 32, 2},
        {true, 0xFF, 4, 8, 0xF0},
        {true, 0x1FF, 4, 8, 0x1F0},
        {false, -1, 1, 32, 0x7FFFFFFF},
        {false, 5, 32, 32, 0},
        {false, 5, -1, 32, 0},
        {true, 5, 1, 0, 0},
        {false, 0xF0F, 4, 8, 0xF00},
    };
    for (const auto& c : cases) {
        const int32_t result = c.left ? RuntimeBitwiseShiftLeft(c.value, c.shift, c.numBits)
                                      : RuntimeBitwiseShiftRight(c.value, c.shift, c.numBits);
        EXPECT_EQ(result, c.result) << c.value << " " << c.shift << " " << c.numBits;
    }
}

TEST(Bitwise, WidthAbove32Raises) {
    RaisedExceptions raised;
    EXPECT_EQ(RuntimeBitwiseShiftLeft(1, 1, 33), 0);
    EXPECT_EQ(raised.Take(), "UnsupportedFormatException");
    EXPECT_EQ(RuntimeBitwiseShiftRight(1, 1, -1), 0);
    EXPECT_EQ(raised.Take(), "UnsupportedFormatException");
}

TEST(Bitwise, FoldsTheParamArray) {
    EXPECT_EQ(RuntimeBitwiseAnd(0xFF, 0x0F, nullptr), 0x0F);
    ArrayRecord* three = IntArray({0x03});
    EXPECT_EQ(RuntimeBitwiseAnd(0xFF, 0x0F, three), 0x03);
    EXPECT_EQ(RuntimeBitwiseOr(0x10, 0x01, three), 0x13);
    RuntimeUnlockArray(three);
    ArrayRecord* none = IntArray({});
    EXPECT_EQ(RuntimeBitwiseXor(1, 1, none), 0);
    RuntimeUnlockArray(none);
    EXPECT_EQ(RuntimeOnesCompliment(0), -1);
    EXPECT_EQ(BitwiseXor(6, 3), 5);
}

}  // namespace
