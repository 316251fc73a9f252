#include <gtest/gtest.h>

#include <memory>

#include "FailureRecorder.h"
#include "core/IntKeyMap.h"
#include "core/SmallBlockAllocator.h"

TEST(IntKeyMap, SetReplacesAndGetFinds) {
    auto map = std::make_unique<IntKeyMap<int32_t>>();
    int32_t value = -1;
    EXPECT_FALSE(map->GetEntry(0, value));
    EXPECT_EQ(value, -1);  // untouched when absent

    map->SetEntry(7, 70);
    map->SetEntry(0xFFFFFFFFu, 1);
    map->SetEntry(7, 71);  // replaces
    ASSERT_TRUE(map->GetEntry(7, value));
    EXPECT_EQ(value, 71);
    ASSERT_TRUE(map->GetEntry(0xFFFFFFFFu, value));
    EXPECT_EQ(value, 1);
    EXPECT_FALSE(map->GetEntry(8, value));
}

TEST(IntKeyMap, KeysSharingABucketAreAllFound) {
    // (key * 13) & 0x3FF: keys that differ by 1,024 always share a bucket.
    EXPECT_EQ(IntKeyMap<int>::BucketOf(5), IntKeyMap<int>::BucketOf(5 + 1024));
    EXPECT_EQ(IntKeyMap<int>::BucketOf(1), 13u);
    EXPECT_EQ(IntKeyMap<int>::BucketOf(0x80000000u), 0u);  // the product wraps

    auto map = std::make_unique<IntKeyMap<int32_t>>();
    for (int32_t i = 0; i < 50; ++i) map->SetEntry(3 + 1024u * i, i);
    map->SetEntry(3 + 1024u * 20, 2000);  // replacing inside a long chain
    for (int32_t i = 0; i < 50; ++i) {
        int32_t value = -1;
        ASSERT_TRUE(map->GetEntry(3 + 1024u * i, value)) << i;
        EXPECT_EQ(value, i == 20 ? 2000 : i);
    }
}

TEST(IntKeyMap, PointerKeysCompareWhole) {
    int objects[2];
    auto map = std::make_unique<IntKeyMap<const char*, const int*>>();
    map->SetEntry(&objects[0], "first");
    map->SetEntry(&objects[1], "second");
    const char* value = nullptr;
    ASSERT_TRUE(map->GetEntry(&objects[1], value));
    EXPECT_STREQ(value, "second");
    EXPECT_FALSE(map->GetEntry(nullptr, value));
}

TEST(IntKeyMap, DestructorFreesEveryNode) {
    const int32_t before = SmallBlockBytesInUse();
    {
        IntKeyMap<int32_t>* map = new IntKeyMap<int32_t>();
        for (uint32_t i = 0; i < 3000; ++i) map->SetEntry(i * 7, int32_t(i));
        EXPECT_GT(SmallBlockBytesInUse(), before);
        delete map;
    }
    EXPECT_EQ(SmallBlockBytesInUse(), before);
}
