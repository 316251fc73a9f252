#include <gtest/gtest.h>

#include <string>

#include "FailureRecorder.h"
#include "core/Array.h"

namespace {

void* Entry(intptr_t value) { return reinterpret_cast<void*>(value); }

std::string Letters(const Array& list) {
    std::string letters;
    for (int32_t i = 0; i < list.Count(); ++i)
        letters += static_cast<char>(reinterpret_cast<intptr_t>(list.Get(i)));
    return letters;
}

void Fill(Array& list, const char* letters) {
    for (const char* p = letters; *p; ++p) list.Append(Entry(*p));
}

}  // namespace

TEST(Array, GrowsByDoublingStepsUpTo4096) {
    Array list;
    std::vector<int32_t> capacities;
    for (int i = 0; i < 4081; ++i) {
        list.Append(Entry(i));
        if (capacities.empty() || capacities.back() != list.Capacity())
            capacities.push_back(list.Capacity());
    }
    EXPECT_EQ(capacities, (std::vector<int32_t>{16, 48, 112, 240, 496, 1008, 2032, 4080, 8176}));
    EXPECT_EQ(list.Get(4080), Entry(4080));
    EXPECT_EQ(list.Get(17), Entry(17));
}

TEST(Array, RemovalResetsTheGrowthStep) {
    Array list;
    for (int i = 0; i < 17; ++i) list.Append(Entry(i));
    EXPECT_EQ(list.Capacity(), 48);
    EXPECT_EQ(list.GrowthStep(), 64);
    list.Remove(0);
    EXPECT_EQ(list.GrowthStep(), 16);
    while (list.Count() < 49) list.Append(nullptr);
    EXPECT_EQ(list.Capacity(), 64);
    EXPECT_EQ(list.Get(0), Entry(1));
}

TEST(Array, InsertAndRemoveKeepOrder) {
    Array list;
    Fill(list, "ACE");
    list.Insert(1, Entry('B'));
    list.Insert(3, Entry('D'));
    list.Insert(0, Entry('@'));
    EXPECT_EQ(Letters(list), "@ABCDE");
    list.Remove(5);
    list.Remove(0);
    EXPECT_EQ(Letters(list), "ABCD");
    list.Set(3, Entry('Z'));
    EXPECT_EQ(Letters(list), "ABCZ");
}

TEST(Array, BadIndexesAreReportedAndChangeNothing) {
    Array list;
    Fill(list, "PQ");
    FailureRecorder recorder;
    list.Insert(3, Entry('X'));
    EXPECT_EQ(list.Get(-1), nullptr);
    list.Set(2, Entry('X'));
    list.Remove(2);
    EXPECT_EQ(Letters(list), "PQ");
    ASSERT_EQ(recorder.Count(), 4u);
    EXPECT_EQ(recorder.Reports()[0].line, 125);
    EXPECT_EQ(recorder.Reports()[1].line, 70);
    EXPECT_EQ(recorder.Reports()[2].line, 90);
    EXPECT_EQ(recorder.Reports()[3].line, 175);
    EXPECT_EQ(recorder.Reports()[3].condition, "not (idx < 0 || idx >= lCount)");
    EXPECT_EQ(recorder.Reports()[0].file, "array");
}

TEST(Array, ResizeFillsWithNullAndKeepsThePrefix) {
    Array list;
    list.Resize(10);
    EXPECT_EQ(list.Count(), 10);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(list.Get(i), nullptr);
    list.Set(0, Entry('a'));
    list.Set(1, Entry('b'));
    list.Resize(2);
    EXPECT_EQ(list.Capacity(), 2);
    EXPECT_EQ(Letters(list), "ab");
    list.Append(Entry('c'));
    EXPECT_EQ(Letters(list), "abc");
}

TEST(Array, SwapRanges) {
    struct Case {
        int32_t a, m, b, n;
        const char* expected;
    } cases[] = {
        {0, 1, 3, 2, "STQRP"},
        {3, 2, 0, 1, "STQRP"},  // the same exchange named the other way round
        {0, 2, 3, 2, "STRPQ"},  // equal lengths swap in place
        {1, 1, 2, 3, "PRSTQ"},  // adjacent runs
        {0, 0, 4, 1, "TPQRS"},  // an empty run
    };
    for (const Case& c : cases) {
        Array list;
        Fill(list, "PQRST");
        list.SwapRanges(c.a, c.m, c.b, c.n);
        EXPECT_EQ(Letters(list), c.expected) << c.a << "," << c.m << "," << c.b << "," << c.n;
    }
    Array list;
    Fill(list, "PQRST");
    list.SwapRanges(0, 3, 2, 2);  // overlapping runs leave the list alone
    list.SwapRanges(3, 1, 4, 2);  // so does a run past the end
    EXPECT_EQ(Letters(list), "PQRST");
}
