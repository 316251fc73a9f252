#include <gtest/gtest.h>

#include "FailureRecorder.h"
#include "StringTesting.h"
#include "files/MemoryStream.h"

#undef EOF

namespace {

TEST(MemoryStream, ReadsAreCutAtTheEnd) {
    const char bytes[10] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    MemoryStream stream;
    stream.SetData(bytes, 10);
    char buffer[4] = {};
    int32_t count = -1;
    ASSERT_TRUE(stream.SetPosition(8));
    EXPECT_TRUE(stream.Read(buffer, 4, &count));
    EXPECT_EQ(count, 2);
    EXPECT_EQ(buffer[0], 8);
    EXPECT_EQ(buffer[1], 9);
    EXPECT_EQ(stream.Position(), 10);
    EXPECT_TRUE(stream.EOF());
    EXPECT_FALSE(stream.Read(buffer, 1, &count));
    EXPECT_EQ(count, 0);
    count = -1;
    EXPECT_TRUE(stream.Read(buffer, 0, &count));
    EXPECT_EQ(count, 0);
}

TEST(MemoryStream, PositionsAreClamped) {
    const char bytes[10] = {};
    MemoryStream stream;
    stream.SetData(bytes, 10);
    const struct {
        int32_t asked, got;
    } table[] = {{-5, 0}, {20, 10}, {4, 4}, {10, 10}};
    for (const auto& row : table) {
        EXPECT_TRUE(stream.SetPosition(row.asked));
        EXPECT_EQ(stream.Position(), row.got) << row.asked;
    }
}

// Writing memory the stream does not own is a programming error, reported and refused.
TEST(MemoryStream, WritingOrResizingIsAFailedAssertion) {
    const char bytes[2] = {1, 2};
    MemoryStream stream;
    stream.SetData(bytes, 2);
    FailureRecorder recorder;
    EXPECT_FALSE(stream.Write("x", 1));
    ASSERT_EQ(recorder.Count(), 1u);
    EXPECT_EQ(recorder.Last().line, 573);
    EXPECT_EQ(recorder.Last().file, "file");
    EXPECT_FALSE(stream.SetLength(1));
    ASSERT_EQ(recorder.Count(), 2u);
    EXPECT_EQ(recorder.Last().line, 605);
    EXPECT_EQ(stream.Length(), 2);
    EXPECT_EQ(stream.LastError(), 0);
}

TEST(StringStream, ReadsTheStringsBytesAndRefusesWritesWithCode100) {
    FailureRecorder recorder;
    StringStream stream;
    stream.SetString(Tagged("abc\xC3\xA9"));
    EXPECT_EQ(stream.Length(), 5);
    char buffer[8] = {};
    int32_t count = 0;
    EXPECT_TRUE(stream.Read(buffer, 8, &count));
    EXPECT_EQ(std::string(buffer, count), "abc\xC3\xA9");
    EXPECT_FALSE(stream.Write("x", 1));
    EXPECT_EQ(stream.LastError(), 100);
    EXPECT_FALSE(stream.SetLength(0));
    EXPECT_EQ(recorder.Count(), 0u);

    StringStream empty;
    empty.SetString(string());
    EXPECT_EQ(empty.Length(), 0);
    EXPECT_FALSE(empty.Read(buffer, 1, &count));
    EXPECT_FALSE(empty.Write("x", 1));
    EXPECT_EQ(empty.LastError(), 100);
}

// The stream holds its own reference: the text outlives the caller's, and Close lets it go.
TEST(StringStream, HoldsTheTextUntilClosed) {
    StringStream stream;
    {
        string text;
        text.SetBytes("held bytes", 10);
        stream.SetString(text);
        EXPECT_EQ(text.Record()->refCount, 2);
    }
    char buffer[10];
    int32_t count = 0;
    EXPECT_TRUE(stream.Read(buffer, 10, &count));
    EXPECT_EQ(std::string(buffer, count), "held bytes");
    EXPECT_TRUE(stream.Close());
    EXPECT_FALSE(stream.Read(buffer, 1, &count));
    EXPECT_TRUE(stream.Close());
}

}  // namespace
