#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "FailureRecorder.h"
#include "StringTesting.h"
#include "core/StringMap.h"
#include "core/TextEncodings.h"

namespace {

std::string Key(int i) { return "key" + std::to_string(i); }

std::vector<int> Drain(StringMapIterator<int>* it) {
    std::vector<int> values;
    for (int v; it->Next(v);) values.push_back(v);
    return values;
}

std::vector<int> InOrder(StringMap<int>& map) {
    StringMapIterator<int>* it = map.NewIterator();
    std::vector<int> values = Drain(it);
    delete it;
    return values;
}

}  // namespace

TEST(StringMap, GrowsPastThreeQuartersByDoubling) {
    struct Case {
        uint32_t initial;
        std::vector<std::pair<int, uint32_t>> entriesToBuckets;
    } cases[] = {
        {256, {{0, 256}, {192, 256}, {193, 512}, {384, 512}, {385, 1024}}},
        {1, {{1, 2}, {2, 4}, {3, 4}, {4, 8}, {6, 8}, {7, 16}}},
        {0, {{0, 1}, {1, 2}}},  // no buckets at all would leave nothing to hash into
        {10, {{7, 10}, {8, 20}}},
    };
    for (const Case& c : cases) {
        StringMap<int> map(c.initial);
        int added = 0;
        for (auto [entries, buckets] : c.entriesToBuckets) {
            while (added < entries) {
                map.SetEntry(Tagged(Key(added)), added);
                ++added;
            }
            EXPECT_EQ(map.BucketCount(), buckets) << "initial " << c.initial << ", " << entries;
            EXPECT_EQ(map.Count(), uint32_t(entries));
        }
        // Every entry is still found after the rehashes, and the order is the insertion order.
        std::vector<int> expected;
        for (int i = 0; i < added; ++i) {
            int value = -1;
            EXPECT_TRUE(map.GetEntry(Tagged(Key(i)), value));
            EXPECT_EQ(value, i);
            expected.push_back(i);
        }
        EXPECT_EQ(InOrder(map), expected);
    }
}

TEST(StringMap, ResizeKeepsEntriesAndRefusesZero) {
    StringMap<int> map(4);
    map.Resize(64);  // before the first entry: only the count changes
    EXPECT_EQ(map.BucketCount(), 64u);
    for (int i = 0; i < 20; ++i) map.SetEntry(Tagged(Key(i)), i);
    map.Resize(3);
    EXPECT_EQ(map.BucketCount(), 3u);
    {
        FailureRecorder recorder;
        map.Resize(0);
        ASSERT_EQ(recorder.Count(), 1u);
        EXPECT_EQ(recorder.Last().kind, kFailedAssertion);
        EXPECT_EQ(recorder.Last().file, "stringmap");
        EXPECT_EQ(recorder.Last().condition, "newSize > 0");
    }
    EXPECT_EQ(map.BucketCount(), 3u);
    for (int i = 0; i < 20; ++i) EXPECT_TRUE(map.HasEntry(Tagged(Key(i)))) << i;
    EXPECT_EQ(InOrder(map).size(), 20u);
}

TEST(StringMap, HashFoldsAsciiLettersAndTakesHighBytesAsNegative) {
    struct Case {
        std::string_view key;
        uint32_t hash;
    } cases[] = {
        {"", 0},
        {"a", 65},
        {"A", 65},
        {"ab", 65 * 31 + 66},
        {"z{", 90 * 31 + 123},  // only a-z fold
        {"\xC3\xA9", uint32_t(-61 * 31 - 87)},
        {"\xFF", uint32_t(-1)},
    };
    for (const Case& c : cases) EXPECT_EQ(StringMap<int>::Hash(Tagged(c.key)), c.hash) << c.key;
}

TEST(StringMap, KeysMatchAcrossEncodingsAndAsciiCase) {
    struct Case {
        const char* what;
        string first;
        string second;
        bool sameKey;
    } cases[] = {
        {"ASCII case", Tagged("abc", kEncodingASCII), Tagged("ABC", kEncodingASCII), true},
        {"UTF-8 and UTF-16", Tagged("Stra\xC3\x9F" "e"), Wide(u"STRA\u00DFE"), true},
        {"Latin-1 and UTF-8", Tagged("caf\xE9", kEncodingWindowsLatin1), Tagged("CAF\xC3\xA9"), true},
        {"ASCII and UTF-16", Tagged("Name", kEncodingASCII), Wide(u"nAME"), true},
        {"empty keys", string(), Wide(u""), true},
        {"different text", Tagged("abc"), Tagged("abd"), false},
        {"prefix", Tagged("abc"), Tagged("ab"), false},
        {"embedded zero", Tagged(std::string_view("a\0b", 3)), Tagged("a"), false},
        // Only ASCII letters fold; accented capitals are other keys.
        {"non-ASCII case", Tagged("\xC3\xA9"), Tagged("\xC3\x89"), false},
        // These two share a bucket in a small map; they must stay two keys.
        {"letters a fold table would join", Tagged("\xC3\x80"), Tagged("\xC3\x8A"), false},
        {"letter beside a high byte", Tagged("i"), Tagged("\xF5"), false},
    };
    for (const Case& c : cases) {
        StringMap<int> map(1);
        map.SetEntry(c.first, 1);
        map.SetEntry(c.second, 2);
        int value = 0;
        EXPECT_EQ(map.Count(), c.sameKey ? 1u : 2u) << c.what;
        EXPECT_TRUE(map.GetEntry(c.first, value)) << c.what;
        EXPECT_EQ(value, c.sameKey ? 2 : 1) << c.what;
        EXPECT_TRUE(map.HasEntry(c.second)) << c.what;
        EXPECT_TRUE(map.RemoveEntry(c.second)) << c.what;
        EXPECT_EQ(map.HasEntry(c.first), !c.sameKey) << c.what;
    }
}

TEST(StringMap, EmptyMapAnswersNothing) {
    StringMap<int> map(256);
    int value = 7;
    EXPECT_FALSE(map.GetEntry(Tagged("a"), value));
    EXPECT_EQ(value, 7);
    EXPECT_FALSE(map.HasEntry(string()));
    EXPECT_FALSE(map.RemoveEntry(Tagged("a")));
    StringMapIterator<int>* it = map.NewIterator();
    EXPECT_FALSE(it->Next(value));
    it->RemoveCurrent();  // nothing to remove
    delete it;
    map.SetEntry(Tagged("a"), 1);
    EXPECT_FALSE(map.RemoveEntry(Tagged("b")));
    EXPECT_EQ(map.Count(), 1u);
}

TEST(StringMap, HoldsOneReferenceToEachKey) {
    string key = Tagged("owned");
    ASSERT_EQ(key.Record()->refCount, 1);
    {
        StringMap<int> map(8);
        map.SetEntry(key, 1);
        EXPECT_EQ(key.Record()->refCount, 2);
        map.SetEntry(key, 2);  // a replaced value keeps the stored key
        EXPECT_EQ(key.Record()->refCount, 2);
        EXPECT_TRUE(map.RemoveEntry(key));
        EXPECT_EQ(key.Record()->refCount, 1);
        map.SetEntry(key, 3);
        EXPECT_EQ(key.Record()->refCount, 2);
    }
    EXPECT_EQ(key.Record()->refCount, 1);
}

TEST(StringMap, RemovalKeepsInsertionOrder) {
    StringMap<int> map(4);
    const int order[] = {5, 3, 9, 0, 7, 1, 8, 2, 6, 4};
    for (int i : order) map.SetEntry(Tagged(Key(i)), i);
    EXPECT_EQ(InOrder(map), std::vector<int>(std::begin(order), std::end(order)));

    EXPECT_TRUE(map.RemoveEntry(Tagged("KEY5")));  // first
    EXPECT_TRUE(map.RemoveEntry(Tagged("key4")));  // last
    EXPECT_TRUE(map.RemoveEntry(Tagged("key7")));  // middle
    EXPECT_FALSE(map.RemoveEntry(Tagged("key7")));
    EXPECT_EQ(InOrder(map), (std::vector<int>{3, 9, 0, 1, 8, 2, 6}));
    map.SetEntry(Tagged("key5"), 50);  // back, at the end
    map.SetEntry(Tagged("key11"), 11);
    map.SetEntry(Tagged("KEY3"), 30);  // replaced in place
    EXPECT_EQ(InOrder(map), (std::vector<int>{30, 9, 0, 1, 8, 2, 6, 50, 11}));
    EXPECT_EQ(map.Count(), 9u);
}

TEST(StringMapIterator, SurvivesRemoval) {
    // Each case: the values 0..4 inserted in order, then the steps; the values the iterator
    // produces after the steps.
    enum Step { kNext, kRemove0, kRemove2, kRemove4, kRemoveCurrent, kAdd5 };
    struct Case {
        const char* what;
        std::vector<Step> steps;
        std::vector<int> rest;
    } cases[] = {
        {"removing the current entry", {kNext, kNext, kNext, kRemove2}, {3, 4}},
        {"removing the last current entry", {kNext, kNext, kNext, kNext, kNext, kRemove4}, {}},
        {"removing another entry", {kNext, kRemove2}, {1, 3, 4}},
        {"removing the entry under a fresh iterator", {kRemove0}, {1, 2, 3, 4}},
        {"RemoveCurrent", {kNext, kNext, kRemoveCurrent}, {2, 3, 4}},
        {"RemoveCurrent before Next", {kRemoveCurrent}, {0, 1, 2, 3, 4}},
        {"RemoveCurrent twice", {kNext, kRemoveCurrent, kRemoveCurrent}, {1, 2, 3, 4}},
        {"an entry added during the iteration", {kNext, kAdd5}, {1, 2, 3, 4, 5}},
        {"an entry added after the end", {kNext, kNext, kNext, kNext, kNext, kNext, kAdd5}, {}},
    };
    for (const Case& c : cases) {
        StringMap<int> map(2);
        for (int i = 0; i < 5; ++i) map.SetEntry(Tagged(Key(i)), i);
        StringMapIterator<int>* it = map.NewIterator();
        for (Step step : c.steps) {
            int value;
            switch (step) {
                case kNext: it->Next(value); break;
                case kRemove0: map.RemoveEntry(Tagged("key0")); break;
                case kRemove2: map.RemoveEntry(Tagged("key2")); break;
                case kRemove4: map.RemoveEntry(Tagged("key4")); break;
                case kRemoveCurrent: it->RemoveCurrent(); break;
                case kAdd5: map.SetEntry(Tagged("key5"), 5); break;
            }
        }
        EXPECT_EQ(Drain(it), c.rest) << c.what;
        delete it;
    }
}

TEST(StringMapIterator, RemovingEveryEntryWhileIterating) {
    StringMap<int> map(4);
    for (int i = 0; i < 40; ++i) map.SetEntry(Tagged(Key(i)), i);
    StringMapIterator<int>* all = map.NewIterator();
    StringMapIterator<int>* odd = map.NewIterator();
    std::vector<int> seen;
    for (int v; odd->Next(v);) {
        seen.push_back(v);
        if (v % 2) odd->RemoveCurrent();
    }
    EXPECT_EQ(seen.size(), 40u);
    EXPECT_EQ(map.Count(), 20u);
    // The other iterator, still on the first entry, sees only what is left.
    std::vector<int> rest = Drain(all);
    ASSERT_EQ(rest.size(), 20u);
    for (size_t i = 0; i < rest.size(); ++i) EXPECT_EQ(rest[i], int(2 * i));
    delete odd;
    delete all;

    StringMapIterator<int>* it = map.NewIterator();
    for (int v; it->Next(v);) it->RemoveCurrent();
    EXPECT_EQ(map.Count(), 0u);
    delete it;
    EXPECT_EQ(InOrder(map), std::vector<int>{});
    map.SetEntry(Tagged("again"), 1);
    EXPECT_EQ(InOrder(map), std::vector<int>{1});
}

TEST(StringMapIterator, MisuseAndMapDeletion) {
    {
        FailureRecorder recorder;
        auto* orphan = new StringMapIterator<int>(nullptr);
        int value;
        EXPECT_FALSE(orphan->Next(value));
        delete orphan;
        ASSERT_EQ(recorder.Count(), 2u);
        EXPECT_EQ(recorder.Reports()[0].condition, "p");
        EXPECT_EQ(recorder.Reports()[1].condition, "map");
        EXPECT_EQ(recorder.Reports()[1].file, "stringmap");
    }
    // A map deleted with iterators attached deletes them itself, without a report.
    auto* map = new StringMap<int>(8);
    map->SetEntry(Tagged("a"), 1);
    StringMapIterator<int>* first = map->NewIterator();
    StringMapIterator<int>* second = map->NewIterator();
    int value;
    EXPECT_TRUE(first->Next(value));
    delete second;  // detaching from the middle of the list leaves the rest attached
    delete map;
}
