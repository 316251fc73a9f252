#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "files/ByteStream.h"

#undef EOF

namespace {

// A growable stream over a byte vector that records the size of every Write.
class VectorStream : public ByteStream {
public:
    bool Read(void* buffer, int32_t length, int32_t* count) override {
        const int32_t n = std::min<int32_t>(length, static_cast<int32_t>(bytes.size()) - position);
        if (count) *count = n < 0 ? 0 : n;
        if (n <= 0) return length == 0;
        std::memcpy(buffer, bytes.data() + position, static_cast<size_t>(n));
        position += n;
        return true;
    }
    bool Write(const void* buffer, int32_t length) override {
        writes.push_back(length);
        const auto* p = static_cast<const unsigned char*>(buffer);
        bytes.insert(bytes.end(), p, p + length);
        return true;
    }
    bool Close() override { return true; }
    bool EOF() override { return position >= static_cast<int32_t>(bytes.size()); }
    bool SetPosition(int32_t p) override {
        position = p;
        return true;
    }
    int32_t Length() override { return static_cast<int32_t>(bytes.size()); }
    bool SetLength(int32_t) override { return false; }
    int32_t Position() override { return position; }

    void SwapDoubles(bool swap) { SetSwapDoubles(swap); }

    std::vector<unsigned char> bytes;
    std::vector<int32_t> writes;
    int32_t position = 0;
};

std::vector<unsigned char> Bytes(std::initializer_list<int> values) {
    return std::vector<unsigned char>(values.begin(), values.end());
}

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
