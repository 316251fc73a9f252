#include <gtest/gtest.h>

#include "FailureRecorder.h"
#include "core/SimpleVector.h"

TEST(SimpleVector, GrowthFollowsTheStep) {
    struct Case {
        uint32_t step;
        std::vector<std::pair<uint32_t, uint32_t>> countToCapacity;
    } cases[] = {
        {0, {{1, 16}, {16, 16}, {17, 32}, {32, 32}, {33, 64}}},
        {100, {{1, 100}, {100, 100}, {101, 200}}},
        {5, {{1, 16}, {17, 32}}},  // a step below 16 grows by 16
    };
    for (const Case& c : cases) {
        SimpleVector<int> v(c.step);
        uint32_t pushed = 0;
        for (auto [count, capacity] : c.countToCapacity) {
            while (pushed < count) v.push_back(int(pushed++));
            EXPECT_EQ(v.mCapacity, capacity) << "step " << c.step << ", count " << count;
        }
        for (uint32_t i = 0; i < pushed; ++i) EXPECT_EQ(std::as_const(v)[i], int(i));
    }
}

TEST(SimpleVector, RemovalShrinksOnlyPastTwiceTheUsedPart) {
    SimpleVector<int> v;
    for (int i = 0; i < 64; ++i) v.push_back(i);
    ASSERT_EQ(v.mCapacity, 64u);
    while (v.size() > 22) v.remove_at(0);
    EXPECT_EQ(v.mCapacity, 64u);
    v.remove_at(0);
    EXPECT_EQ(v.size(), 21u);
    EXPECT_EQ(v.mCapacity, 32u);
    EXPECT_EQ(std::as_const(v)[0], 43);
    EXPECT_EQ(std::as_const(v)[20], 63);

    SimpleVector<int> stepped(10);
    for (int i = 0; i < 100; ++i) stepped.push_back(i);
    while (stepped.size() > 80) stepped.remove_at(stepped.size() - 1);
    EXPECT_EQ(stepped.mCapacity, 100u);
    stepped.remove_at(5);
    EXPECT_EQ(stepped.mCapacity, 80u);
    EXPECT_EQ(std::as_const(stepped)[5], 6);
}

TEST(SimpleVector, PushFrontAndCapacity) {
    SimpleVector<int> v;
    for (int i = 0; i < 10; ++i) v.push_front(i);
    EXPECT_EQ(std::as_const(v)[0], 9);
    EXPECT_EQ(std::as_const(v)[9], 0);
    v.set_capacity(4);
    EXPECT_EQ(v.size(), 4u);
    EXPECT_EQ(v.mCapacity, 4u);
    EXPECT_EQ(std::as_const(v)[3], 6);
    EXPECT_EQ(v.pop_back(), 6);
    EXPECT_EQ(v.peek_back(), 7);
    EXPECT_EQ(v.mCapacity, 4u);
}

TEST(SimpleVector, WriteAccessExtendsTheCount) {
    SimpleVector<int> v;
    for (int i = 0; i < 3; ++i) v.push_back(i);
    ASSERT_EQ(v.mCapacity, 16u);
    v[5] = 50;
    EXPECT_EQ(v.size(), 6u);
    v[1] = 10;
    EXPECT_EQ(v.size(), 6u);
    // Past the storage the vector grows instead of writing outside it.
    v[40] = 400;
    EXPECT_EQ(v.size(), 41u);
    EXPECT_GE(v.mCapacity, 41u);
    EXPECT_EQ(std::as_const(v)[5], 50);
    EXPECT_EQ(std::as_const(v)[40], 400);
}

TEST(SimpleVector, MisuseIsReported) {
    SimpleVector<int> v;
    v.push_back(1);
    v.pop_back();
    FailureRecorder recorder;
    EXPECT_EQ(std::as_const(v)[20], 0);
    EXPECT_EQ(v.pop_back(), 0);
    EXPECT_EQ(v.peek_back(), 0);
    ASSERT_EQ(recorder.Count(), 3u);
    EXPECT_EQ(recorder.Reports()[0].file, "SimpleVector");
    EXPECT_EQ(recorder.Reports()[0].line, 237);
    EXPECT_EQ(recorder.Reports()[1].line, 264);
    EXPECT_EQ(recorder.Reports()[2].line, 276);
    EXPECT_EQ(v.size(), 0u);
}

TEST(SimpleVector, CopyHasItsOwnStorage) {
    SimpleVector<int> v(5);
    for (int i = 0; i < 3; ++i) v.push_back(i);
    SimpleVector<int> copy(v);
    EXPECT_EQ(copy.size(), 3u);
    EXPECT_EQ(copy.mCapacity, 16u);
    EXPECT_EQ(copy.mGrowthStep, 5u);
    EXPECT_NE(copy.mBuf, v.mBuf);
    copy[0] = 99;
    EXPECT_EQ(std::as_const(v)[0], 0);
}

TEST(SimpleVector, ElementsWithDestructorsGoWithTheStorage) {
    static int live = 0;
    struct Handle {
        Handle() { ++live; }
        Handle(const Handle&) { ++live; }
        Handle& operator=(const Handle&) = default;
        ~Handle() { --live; }
    };
    {
        SimpleVector<Handle> v;
        for (int i = 0; i < 20; ++i) v.push_back(Handle());
        EXPECT_EQ(live, 32);  // every slot of the storage holds one
    }
    EXPECT_EQ(live, 0);
}
