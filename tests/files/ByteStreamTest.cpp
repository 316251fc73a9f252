#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "VectorStream.h"

#undef EOF

namespace {

TEST(ByteStreamVarInt, ReproducesTheTableBothWaysInOneWriteOfAtMostFiveBytes) {
    const struct {
        int32_t value;
        std::vector<unsigned char> bytes;
    } table[] = {
        {0, Bytes({0x00})},
        {63, Bytes({0x3F})},
        {64, Bytes({0x80, 0x01})},
        {300, Bytes({0xAC, 0x04})},
        {-1, Bytes({0x41})},
        {-64, Bytes({0xC0, 0x01})},
        {8192, Bytes({0x80, 0x80, 0x01})},
        {134217984, Bytes({0x80, 0x84, 0x80, 0x80, 0x01})},
        {2147483647, Bytes({0xBF, 0xFF, 0xFF, 0xFF, 0x0F})},
        {-2147483647 - 1, Bytes({0x80, 0x80, 0x80, 0x80, 0x10})},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.value);
        VectorStream stream;
        ASSERT_TRUE(stream.WriteVarInt(row.value));
        EXPECT_EQ(stream.bytes, row.bytes);
        EXPECT_EQ(stream.writes, std::vector<int32_t>{static_cast<int32_t>(row.bytes.size())});
        int32_t back = 12345;
        stream.bytes.push_back(0x77);  // the next value's byte stays unread
        ASSERT_TRUE(stream.ReadVarInt(back));
        EXPECT_EQ(back, row.value);
        EXPECT_EQ(stream.position, static_cast<int32_t>(row.bytes.size()));
    }
}

// Each magnitude range takes one byte more than the one below it.
TEST(ByteStreamVarInt, LengthGrowsAtEachSevenBitBoundary) {
    const struct {
        int32_t value;
        size_t length;
    } table[] = {{63, 1}, {64, 2},        {8191, 2},       {8192, 3},         {1048575, 3},
                 {1048576, 4}, {134217727, 4}, {134217728, 5}, {-134217728, 5}, {-63, 1}};
    for (const auto& row : table) {
        SCOPED_TRACE(row.value);
        VectorStream stream;
        stream.WriteVarInt(row.value);
        EXPECT_EQ(stream.bytes.size(), row.length);
        int32_t back = 0;
        ASSERT_TRUE(stream.ReadVarInt(back));
        EXPECT_EQ(back, row.value);
    }
}

// A value cut short by the end of the stream is a failure, not a guess.
TEST(ByteStreamVarInt, ATruncatedValueFails) {
    VectorStream stream;
    stream.bytes = Bytes({0x80, 0x84});
    int32_t value = 0;
    EXPECT_FALSE(stream.ReadVarInt(value));
    VectorStream empty;
    EXPECT_FALSE(empty.ReadVarInt(value));
}

TEST(ByteStreamTyped, IntegersFollowTheSwapSetting) {
    VectorStream stream;
    ASSERT_TRUE(stream.WriteInt16(0x12340102));  // the low 16 bits only
    ASSERT_TRUE(stream.WriteInt32(0x01020304));
    stream.SwapOn();
    EXPECT_TRUE(stream.SwapsBytes());
    ASSERT_TRUE(stream.WriteInt16(258));
    ASSERT_TRUE(stream.WriteInt32(258));
    EXPECT_EQ(stream.bytes, Bytes({0x02, 0x01, 0x04, 0x03, 0x02, 0x01, 0x01, 0x02, 0, 0, 1, 2}));

    int16_t half = 0;
    int32_t word = 0;
    ASSERT_TRUE(stream.SetPosition(6));
    ASSERT_TRUE(stream.ReadInt16(half));
    EXPECT_EQ(half, 258);
    ASSERT_TRUE(stream.ReadInt32(word));
    EXPECT_EQ(word, 258);
    stream.SwapOff();
    ASSERT_TRUE(stream.SetPosition(0));
    ASSERT_TRUE(stream.ReadInt16(half));
    EXPECT_EQ(half, 0x0102);
}

TEST(ByteStreamTyped, ShortReadsFail) {
    VectorStream stream;
    stream.bytes = Bytes({1, 2, 3});
    int32_t word = 0;
    EXPECT_FALSE(stream.ReadInt32(word));
    double value = 0;
    stream.position = 0;
    EXPECT_FALSE(stream.ReadDouble(value));
    stream.position = 2;
    int16_t half = 0;
    EXPECT_FALSE(stream.ReadInt16(half));
}

// Doubles are reversed only when both settings are on.
TEST(ByteStreamTyped, DoublesSwapOnlyWithBothSettings) {
    const std::vector<unsigned char> little = Bytes({0, 0, 0, 0, 0, 0, 0xF8, 0x3F});  // 1.5
    const std::vector<unsigned char> big = Bytes({0x3F, 0xF8, 0, 0, 0, 0, 0, 0});
    const struct {
        bool swapBytes, swapDoubles;
        const std::vector<unsigned char>& image;
    } table[] = {{false, false, little}, {true, false, little}, {false, true, little},
                 {true, true, big}};
    for (const auto& row : table) {
        SCOPED_TRACE(testing::Message() << row.swapBytes << row.swapDoubles);
        VectorStream stream;
        if (row.swapBytes) stream.SwapOn();
        stream.SwapDoubles(row.swapDoubles);
        ASSERT_TRUE(stream.WriteDouble(1.5));
        EXPECT_EQ(stream.bytes, row.image);
        double back = 0;
        ASSERT_TRUE(stream.ReadDouble(back));
        EXPECT_EQ(back, 1.5);
    }
}

TEST(ByteStreamTyped, WriteLineIsOneWriteEndingInCrLfInTheTextsEncoding) {
    VectorStream ascii;
    ASSERT_TRUE(ascii.WriteLine(string("abc")));
    EXPECT_EQ(ascii.bytes, Bytes({'a', 'b', 'c', '\r', '\n'}));
    EXPECT_EQ(ascii.writes, std::vector<int32_t>{5});

    VectorStream empty;
    ASSERT_TRUE(empty.WriteLine(string()));
    EXPECT_EQ(empty.bytes, Bytes({'\r', '\n'}));

    string wide;
    const uint16_t units[] = {'h', 'i'};
    wide.SetWideText(units, 2);
    VectorStream utf16;
    ASSERT_TRUE(utf16.WriteLine(wide));
    EXPECT_EQ(utf16.bytes, Bytes({'h', 0, 'i', 0, '\r', 0, '\n', 0}));
}

TEST(ByteStreamTyped, ANewStreamHasNoErrorAndNoSwap) {
    VectorStream stream;
    EXPECT_EQ(stream.LastError(), 0);
    EXPECT_FALSE(stream.SwapsBytes());
    stream.Flush();
    EXPECT_TRUE(stream.bytes.empty());
}

}  // namespace
