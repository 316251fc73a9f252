#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "FailureRecorder.h"
#include "core/ByteOrder.h"
#include "core/ByteUtilities.h"
#include "core/SmallBlockAllocator.h"

TEST(ByteUtilities, CStringToInteger) {
    struct Case {
        const char* text;
        int32_t value;
    } cases[] = {
        {"  -42abc", -42}, {"+7", 7}, {"x", 0}, {"", 0}, {"\t5", 0}, {"--3", 0},
        {"2147483647", 2147483647}, {"4294967297", 1},  // 32-bit arithmetic without a check
    };
    for (const Case& c : cases) EXPECT_EQ(CStringToInteger(c.text), c.value) << c.text;
}

TEST(ByteUtilities, Compares) {
    EXPECT_EQ(CStringCompareNoCase("abc", "ABD"), -1);
    EXPECT_EQ(CStringCompareNoCase("ABC", "abc"), 0);
    EXPECT_EQ(CStringCompareNoCase(nullptr, "a"), -1);
    EXPECT_EQ(CStringCompareNoCase("a", nullptr), 1);
    EXPECT_EQ(CStringCompareNoCase(nullptr, nullptr), 0);
    EXPECT_EQ(CStringCompare("abc", "abd"), -1);
    EXPECT_EQ(CStringCompare("ab", "a"), 1);
    EXPECT_EQ(CStringCompare("\xE9", "z"), 1);  // bytes compare unsigned
    EXPECT_EQ(CompareBytes("ab", 2, "abc", 3), -1);
    EXPECT_EQ(CompareBytes("a\0c", 3, "a\0b", 3), 1);  // zero bytes count like any other
    EXPECT_EQ(CompareBytesNoCase("hello", 5, "HELLO", 5), 0);
    EXPECT_EQ(CompareBytesNoCase("\x8A", 1, "\x80", 1), 0);  // Mac Roman a-umlaut folds to its capital
}

TEST(ByteUtilities, FoldTableChangesLettersOnly) {
    int changed = 0;
    for (int c = 0; c < 256; ++c) changed += FoldTable[c] != c;
    EXPECT_EQ(changed, 56);
    EXPECT_EQ(FoldTable['q'], 'Q');
    EXPECT_EQ(FoldTable['Q'], 'Q');
    EXPECT_EQ(FoldTable[0xF5], 0x49);
    EXPECT_EQ(FoldTable[0xD8], 0xD9);
    EXPECT_EQ(FoldTable['['], '[');
}

TEST(ByteUtilities, CStringLengthOfNullIsReported) {
    FailureRecorder recorder;
    EXPECT_EQ(CStringLength(nullptr), 0);
    ASSERT_EQ(recorder.Count(), 1u);
    EXPECT_EQ(recorder.Last().file, "utility");
    EXPECT_EQ(recorder.Last().line, 490);
    EXPECT_EQ(recorder.Last().condition, "str");
    EXPECT_EQ(CStringLength("four"), 4);
}

TEST(ByteUtilities, ByteRuns) {
    char text[] = "abcdef";
    CopyBytes(text + 1, text, 4);  // overlapping moves are allowed
    EXPECT_STREQ(text, "aabcdf");
    EXPECT_EQ(FillBytes(text, 0x141, 3), 3);
    EXPECT_STREQ(text, "AAAcdf");
    ZeroBytes(text + 5, 1);
    EXPECT_STREQ(text, "AAAcd");
    EXPECT_EQ(FindByteSequence("xxsigxx", "sig", 3, 7), 2);
    EXPECT_EQ(FindByteSequence("sig", "sig", 3, 3), 0);
    EXPECT_EQ(FindByteSequence("sih", "sig", 3, 3), -1);
    char* copy = DuplicateCString("dup");
    EXPECT_STREQ(copy, "dup");
    FreeBlock(copy);
}

TEST(ByteUtilities, ByteOrder) {
    const unsigned char le[] = {0x34, 0x12};
    EXPECT_EQ(UInt16FromBytesLE(le), 0x1234);
    const unsigned char be[] = {0x12, 0x34, 0x56, 0x78};
    EXPECT_EQ(UInt32FromBytesBE(be), 0x12345678u);
    unsigned char three[] = {1, 2, 3};
    EXPECT_EQ(ByteSwapRange(three, 3), 1);
    EXPECT_EQ(three[0], 3);
    EXPECT_EQ(three[2], 1);
    EXPECT_EQ(SwapBytes32(0x11223344u), 0x44332211u);
    EXPECT_EQ(SwapBytes16(0xAABB), 0xBBAA);
    EXPECT_EQ(SwapDoubleBytes(SwapDoubleBytes(1.5)), 1.5);
}

TEST(ByteUtilities, Rectangles) {
    const Rect16 r{10, 20, 30, 60};
    EXPECT_TRUE(RectInsideRect(r, r));
    EXPECT_FALSE(RectSmallerThan(r, r));
    EXPECT_TRUE(RectSmallerThan(Rect16{0, 0, 19, 39}, r));
    EXPECT_FALSE(RectSmallerThan(Rect16{0, 0, 19, 40}, r));
    EXPECT_FALSE(RectInsideRect(Rect16{9, 20, 30, 60}, r));
    const Rect16 moved = RectAtOrigin(r);
    EXPECT_EQ(moved.top, 0);
    EXPECT_EQ(moved.left, 0);
    EXPECT_EQ(moved.bottom, 20);
    EXPECT_EQ(moved.right, 40);
}

namespace {
struct SortSubject {
    std::vector<int> values;
    int swaps = 0;
};
int CompareAt(int32_t i, int32_t j, void* data) {
    auto& v = static_cast<SortSubject*>(data)->values;
    return (v[i] > v[j]) - (v[i] < v[j]);
}
void SwapAt(int32_t i, int32_t j, void* data) {
    auto* s = static_cast<SortSubject*>(data);
    std::swap(s->values[i], s->values[j]);
    ++s->swaps;
}
}  // namespace

TEST(ByteUtilities, SortByIndexSortsWhatItSeesThroughCallbacks) {
    std::mt19937 random(7);
    for (int size : {0, 1, 2, 3, 5, 16, 17, 100, 1000}) {
        for (int spread : {3, 1000}) {
            SortSubject subject;
            for (int k = 0; k < size; ++k) subject.values.push_back(int(random() % spread));
            std::vector<int> expected = subject.values;
            std::sort(expected.begin(), expected.end());
            SortByIndex(0, size, CompareAt, SwapAt, &subject);
            EXPECT_EQ(subject.values, expected) << size << " values below " << spread;
        }
    }
    SortSubject descending{{9, 8, 7, 6, 5, 4, 3, 2, 1, 0}};
    SortByIndex(0, 10, CompareAt, SwapAt, &descending);
    EXPECT_EQ(descending.values, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
}

TEST(ByteUtilities, SortByIndexEdges) {
    SortSubject one{{42}};
    SortByIndex(0, 1, CompareAt, SwapAt, &one);
    EXPECT_EQ(one.swaps, 0);
    SortSubject part{{5, 4, 3, 2, 1}};
    SortByIndex(1, 4, CompareAt, SwapAt, &part);
    EXPECT_EQ(part.values, (std::vector<int>{5, 2, 3, 4, 1}));
    SortByIndex(0, 5, CompareAt, SwapAt, nullptr);  // null data sorts nothing
}
