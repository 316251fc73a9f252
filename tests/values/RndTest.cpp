#include <gtest/gtest.h>

#include "core/Rnd.h"

namespace {

// The minimal standard generator's states from a seed of 1; rnd gives their low 20 bits.
constexpr int32_t kStatesFromOne[] = {16807, 282475249, 1622650073, 984943658, 1144108930};

double Low20(int32_t state) { return (state & 0xFFFFF) / 1048576.0; }

TEST(Rnd, FollowsTheMinimalStandardSequence) {
    srnd(1);
    for (int32_t state : kStatesFromOne) EXPECT_EQ(rnd(), Low20(state));
    EXPECT_EQ(srnd(1), double(kStatesFromOne[4]));

    // The same seed repeats the same numbers.
    srnd(12345);
    const double first = rnd(), second = rnd();
    srnd(12345);
    EXPECT_EQ(rnd(), first);
    EXPECT_EQ(rnd(), second);
}

TEST(Rnd, SeedsTruncateTowardZero) {
    const struct {
        double seed;
        double state;
    } cases[] = {
        {7.9, 7.0},
        {-7.9, -7.0},
        {2147483647.0, 2147483647.0},
        {1e10, -2147483648.0},  // out of range: the integer-indefinite value
    };
    for (const auto& c : cases) {
        srnd(c.seed);
        EXPECT_EQ(srnd(0), c.state) << c.seed;
    }

    // Negative states still give numbers in [0, 1).
    srnd(-5);
    for (int i = 0; i < 1000; ++i) {
        const double r = rnd();
        ASSERT_GE(r, 0.0);
        ASSERT_LT(r, 1.0);
    }
}

TEST(Rnd, ASeedOfZeroSeedsFromTheClock) {
    srnd(0);
    const double r = rnd();
    EXPECT_GE(r, 0.0);
    EXPECT_LT(r, 1.0);
    const double state = srnd(0);
    EXPECT_GT(state, 0.0);
    EXPECT_LE(state, 2147483647.0);
}

}  // namespace
