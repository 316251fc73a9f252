#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "FailureRecorder.h"
#include "core/Utf8Codec.h"

namespace {
using Bytes = std::vector<unsigned char>;

const unsigned char* U(const char* text) { return reinterpret_cast<const unsigned char*>(text); }
}  // namespace

TEST(Utf8Codec, EncodeWritesBytesAndAZero) {
    struct Case {
        uint32_t codePoint;
        Bytes bytes;
    } cases[] = {
        {0x0, {0x00}},
        {0x7F, {0x7F}},
        {0x80, {0xC2, 0x80}},
        {0x7FF, {0xDF, 0xBF}},
        {0x800, {0xE0, 0xA0, 0x80}},
        {0x20AC, {0xE2, 0x82, 0xAC}},
        {0xD800, {0xED, 0xA0, 0x80}},  // surrogates are encoded like any other code point
        {0xFFFF, {0xEF, 0xBF, 0xBF}},
        {0x10000, {0xF0, 0x90, 0x80, 0x80}},
        {0x1FFFFF, {0xF7, 0xBF, 0xBF, 0xBF}},
        {0x200000, {}},
        {0xFFFFFFFF, {}},
    };
    for (const Case& c : cases) {
        unsigned char out[6];
        std::fill(std::begin(out), std::end(out), 0xEE);
        const int32_t count = Utf8Encode(c.codePoint, out);
        ASSERT_EQ(count, int32_t(c.bytes.size())) << std::hex << c.codePoint;
        EXPECT_EQ(Bytes(out, out + count), c.bytes) << std::hex << c.codePoint;
        EXPECT_EQ(out[count], 0) << std::hex << c.codePoint;
        EXPECT_EQ(out[count + 1], 0xEE) << std::hex << c.codePoint;
    }
    EXPECT_EQ(Utf8Encode(0x41, nullptr), 0);
}

// Every form of the decoder over whole texts: the code point and how far the cursor moves.
TEST(Utf8Codec, DecodeFollowsTheLeadByte) {
    struct Case {
        Bytes bytes;
        uint32_t codePoint;
        int32_t advance;
    } cases[] = {
        {{0x41}, 0x41, 1},
        {{0xC3, 0xA9}, 0xE9, 2},
        {{0xE2, 0x82, 0xAC}, 0x20AC, 3},
        {{0xF0, 0x9F, 0x98, 0x80}, 0x1F600, 4},
        {{0xED, 0xA0, 0x80}, 0xD800, 3},
        // No validation: the announced bytes are taken whatever they are.
        {{0xC3, 0x41}, 0xC1, 2},
        {{0x80, 0x81, 0x82, 0x83}, 0x1083, 4},  // a stray continuation byte takes three more
        {{0xFF, 0x80, 0x80, 0x81}, 0x1C0001, 4},
    };
    for (const Case& c : cases) {
        Bytes text = c.bytes;
        const unsigned char* start = text.data();
        const unsigned char* end = start + text.size();
        EXPECT_EQ(Utf8Decode(start, end), c.codePoint);
        const unsigned char* cursor = start;
        EXPECT_EQ(Utf8DecodeNext(cursor, end), c.codePoint);
        EXPECT_EQ(cursor - start, c.advance);

        text.push_back(0);  // the unbounded forms need the terminator
        start = text.data();
        EXPECT_EQ(Utf8Decode(start), c.codePoint);
        cursor = start;
        EXPECT_EQ(Utf8DecodeNext(cursor), c.codePoint);
        EXPECT_EQ(cursor - start, c.advance);
    }
}

TEST(Utf8Codec, TruncatedSequenceYieldsReplacementAndStops) {
    // The bytes past the given end would complete the sequence; the bounded decoder must not see
    // them.
    struct Case {
        Bytes bytes;
        int32_t length;
    } cases[] = {
        {{0xC3, 0xA9}, 1},
        {{0xE2, 0x82, 0xAC}, 1},
        {{0xE2, 0x82, 0xAC}, 2},
        {{0xF0, 0x9F, 0x98, 0x80}, 3},
        {{0xE2, 0x41, 0x41}, 2},  // announced three bytes, two are left
        {{0x80, 0x80, 0x80, 0x80}, 1},
    };
    for (const Case& c : cases) {
        const unsigned char* start = c.bytes.data();
        const unsigned char* end = start + c.length;
        EXPECT_EQ(Utf8Decode(start, end), kReplacementCharacter);
        const unsigned char* cursor = start;
        EXPECT_EQ(Utf8DecodeNext(cursor, end), kReplacementCharacter);
        EXPECT_EQ(cursor, end);
        EXPECT_EQ(Utf8DecodeNext(cursor, end), 0u);  // at the end: nothing, the cursor stays
        EXPECT_EQ(cursor, end);

        // NUL-terminated text: the NUL ends the sequence and the cursor stops on it.
        Bytes terminated(c.bytes.begin(), c.bytes.begin() + c.length);
        terminated.push_back(0);
        terminated.push_back(0x80);  // past the terminator: never read as a continuation
        cursor = terminated.data();
        EXPECT_EQ(Utf8DecodeNext(cursor), kReplacementCharacter);
        EXPECT_EQ(cursor, terminated.data() + c.length);
        EXPECT_EQ(Utf8DecodeNext(cursor), 0u);
        EXPECT_EQ(cursor, terminated.data() + c.length);
    }
}

TEST(Utf8Codec, DecodeOfNothingIsZero) {
    const unsigned char* cursor = nullptr;
    EXPECT_EQ(Utf8DecodeNext(cursor), 0u);
    EXPECT_EQ(Utf8DecodeNext(cursor, cursor), 0u);
    EXPECT_EQ(Utf8Decode(nullptr), 0u);
    const unsigned char* text = U("abc");
    cursor = text + 2;
    EXPECT_EQ(Utf8DecodeNext(cursor, text + 1), 0u);  // cursor past end
    EXPECT_EQ(cursor, text + 2);
}

TEST(Utf8Codec, AdvanceAndRetreatMoveByCharacters) {
    // "a", U+00E9 (two bytes), U+20AC (three bytes), "z": offsets 0, 1, 3, 6, end 7.
    const unsigned char* text = U("a\xC3\xA9\xE2\x82\xAC" "z");
    const unsigned char* end = text + 7;
    struct Case {
        int32_t from;
        int32_t n;
        int32_t advanced;
        int32_t retreated;
    } cases[] = {
        {0, 0, 0, 0},
        {0, 1, 1, 0},
        {1, 1, 3, 0},   // over the two-byte character
        {0, 3, 6, 0},
        {0, 4, 7, 0},
        {0, 5, 7, 0},   // more characters than the text holds stops at the end
        {7, 1, 7, 6},
        {7, 2, 7, 3},
        {7, 3, 7, 1},
        {7, 9, 7, 0},   // never before the start
        {2, 1, 3, 1},   // from inside a character
        {3, -1, 3, 3},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Utf8AdvanceChars(text + c.from, end, c.n) - text, c.advanced)
            << "from " << c.from << " by " << c.n;
        EXPECT_EQ(Utf8RetreatChars(text + c.from, text, c.n) - text, c.retreated)
            << "from " << c.from << " by " << c.n;
    }

    // A trailing run of continuation bytes is skipped only up to the end given.
    const unsigned char* tail = U("a\x80\x80\x80");
    EXPECT_EQ(Utf8AdvanceChars(tail, tail + 2, 1) - tail, 2);
    EXPECT_EQ(Utf8RetreatChars(tail + 3, tail + 2, 1) - tail, 2);
    EXPECT_EQ(Utf8AdvanceChars(nullptr, end, 2), nullptr);
    EXPECT_EQ(Utf8RetreatChars(nullptr, text, 2), nullptr);
}
