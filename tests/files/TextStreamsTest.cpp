#include <gtest/gtest.h>

#include <string>

#include "FailureRecorder.h"
#include "StringTesting.h"
#include "VectorStream.h"
#include "core/ObjectModel.h"
#include "files/MemoryStream.h"
#include "files/TextStreams.h"
#include "values/TextEncodingObjects.h"

#undef EOF

namespace {

std::string Text(const string& s) { return std::string(s.CString(), s.Length()); }

std::string Adopted(StringRecord* record) { return Text(string::Adopt(record)); }

// A TextInputStream over a string's bytes.
class TextInput {
public:
    explicit TextInput(const std::string& bytes) {
        text.SetBytes(bytes.data(), static_cast<int32_t>(bytes.size()));
        StringStream* stream = new StringStream;
        stream->SetString(text);
        object = NewTextInputStream(stream);
    }
    ~TextInput() { RuntimeUnlockObject(object); }
    std::string Line(uint32_t encoding = kEncodingUnknown) {
        return Text(TextInputReadLine(object, encoding));
    }
    bool EOF() { return TextInputStreamEOF(object); }
    int32_t Position() { return TextInputStreamGetPosition(object, 0); }

    string text;
    ObjectHeader* object;
};

TEST(TextInputStream, CrLfAndCrLfEachEndOneLine) {
    TextInput input("a\r\nb\n\rc");
    const char* lines[] = {"a", "b", "", "c"};
    for (const char* line : lines) {
        EXPECT_FALSE(input.EOF());
        EXPECT_EQ(input.Line(), line);
    }
    EXPECT_TRUE(input.EOF());
    EXPECT_EQ(input.Line(), "");
    EXPECT_TRUE(input.EOF());
}

// A new stream's Encoding is the UTF-8 object, which tags what is read unless a read names
// another encoding.
TEST(TextInputStream, EncodingPropertyTagsReads) {
    TextInput input("one\ntwo\nthree");
    ObjectHeader* utf8 = GetEncodingObjectFromCode(kEncodingUTF8);
    EXPECT_EQ(reinterpret_cast<TextInputStreamObject*>(input.object)->Encoding, utf8);
    EXPECT_EQ(string::Adopt(TextInputStreamReadLine(input.object, nullptr)).Encoding(),
              kEncodingUTF8);
    ObjectHeader* latin = GetEncodingObjectFromCode(0x500);
    EXPECT_EQ(string::Adopt(TextInputStreamReadLine(input.object, latin)).Encoding(), 0x500u);
    EXPECT_EQ(string::Adopt(TextInputStreamReadAll(input.object, nullptr)).Encoding(),
              kEncodingUTF8);
    ReleaseObject(latin);
    ReleaseObject(utf8);
}

// Lines that cross the 1024-byte buffer: a CR as its last byte takes the LF of the next fill, and
// a line of any length comes whole.
TEST(TextInputStream, LinesAcrossTheBuffer) {
    TextInput crAtEnd(std::string(1023, 'x').append("\r\nnext\n"));
    EXPECT_EQ(crAtEnd.Line(), std::string(1023, 'x'));
    EXPECT_EQ(crAtEnd.Position(), 1025);
    EXPECT_EQ(crAtEnd.Line(), "next");
    EXPECT_TRUE(crAtEnd.EOF());

    std::string long3000;
    for (int i = 0; i < 3000; ++i) long3000 += static_cast<char>('a' + i % 26);
    TextInput whole(long3000);
    EXPECT_EQ(whole.Line(), long3000);
    EXPECT_TRUE(whole.EOF());
}

TEST(TextInputStream, ReadAndPositionsFollowTheBuffer) {
    TextInput input("first\r\n0123456789rest");
    EXPECT_EQ(Text(TextInputRead(input.object, 0, kEncodingUTF8)), "");
    EXPECT_EQ(Text(TextInputReadAll(input.object, kEncodingUTF8)), "first\r\n0123456789rest");
    EXPECT_EQ(Text(TextInputReadAll(input.object, kEncodingUTF8)), "");
    TextInputStreamSetPosition(input.object, 0, -3);
    EXPECT_EQ(input.Position(), 0);
    EXPECT_EQ(input.Line(), "first");
    EXPECT_EQ(input.Position(), 7);
    const string five = TextInputRead(input.object, 5, kEncodingUTF8);
    EXPECT_EQ(Text(five), "01234");
    EXPECT_EQ(five.Encoding(), kEncodingUTF8);
    EXPECT_EQ(input.Position(), 12);
    // Past what the buffer holds, the rest comes straight from the stream.
    EXPECT_EQ(Text(TextInputRead(input.object, 100, kEncodingUTF8)), "56789rest");
    EXPECT_TRUE(input.EOF());
    TextInputStreamSetPosition(input.object, 0, 17);
    EXPECT_EQ(input.Line(), "rest");
}

TEST(TextInputStream, Utf16LinesEndAtWholeUnits) {
    // x CR LF y, then a line whose unit 0x0D0A is no terminator, then z CR at the end.
    const std::string bytes("x\0\r\0\n\0y\0\n\0\x0a\x0d\n\0z\0\r\0", 18);
    TextInput input(bytes);
    EXPECT_EQ(input.Line(kEncodingUTF16), std::string("x\0", 2));
    const string y = TextInputReadLine(input.object, kEncodingUTF16);
    EXPECT_EQ(Text(y), std::string("y\0", 2));
    EXPECT_EQ(y.Encoding(), kEncodingUTF16);
    EXPECT_EQ(input.Line(kEncodingUTF16), "\x0a\x0d");
    EXPECT_EQ(input.Line(kEncodingUTF16), std::string("z\0", 2));
    EXPECT_TRUE(input.EOF());
}

// A stream that never admits its end and has nothing to give.
class EndlessEmptyStream : public VectorStream {
public:
    bool EOF() override { return false; }
    int32_t Length() override { return 100; }
};

TEST(TextInputStream, ARefillThatBringsNothingEndsTheLine) {
    EndlessEmptyStream* stream = new EndlessEmptyStream;
    stream->bytes = Bytes({'a', 'b'});
    ObjectHeader* object = NewTextInputStream(stream);
    EXPECT_EQ(Text(TextInputReadLine(object, kEncodingUnknown)), "ab");
    EXPECT_EQ(Text(TextInputReadLine(object, kEncodingUnknown)), "");
    RuntimeUnlockObject(object);
}

// After Close nothing is read and the code of the stream stays; EOF answers False, as it did not
// before the end was reached, unlike a closed BinaryStream's.
TEST(TextInputStream, AClosedStreamReadsNothingAndIsNotAtItsEnd) {
    VectorStream* stream = new VectorStream;
    stream->bytes = Bytes({'a', '\n', 'b'});
    stream->SetError(38);
    ObjectHeader* object = NewTextInputStream(stream);
    EXPECT_EQ(TextInputStreamLastErrorGetter(object, 0), 38);
    EXPECT_EQ(Adopted(TextInputStreamReadAll(object, nullptr)), "a\nb");
    EXPECT_TRUE(TextInputStreamEOF(object));
    TextInputStreamClose(object);
    EXPECT_FALSE(TextInputStreamEOF(object));
    EXPECT_EQ(Adopted(TextInputStreamReadLine(object, nullptr)), "");
    EXPECT_EQ(Adopted(TextInputStreamReadAll(object, nullptr)), "");
    EXPECT_EQ(Adopted(TextInputStreamRead(object, 1, nullptr)), "");
    EXPECT_EQ(TextInputStreamGetPosition(object, 0), 0);
    EXPECT_EQ(TextInputStreamLastErrorGetter(object, 0), 38);
    RuntimeUnlockObject(object);
}

TEST(TextOutputStream, WriteLineEndsWithTheDelimiterInTheLinesEncoding) {
    string wide;
    const uint16_t units[] = {'h', 'i'};
    wide.SetWideText(units, 2);
    const struct {
        const char* what;
        string line;
        string delimiter;
        std::vector<unsigned char> bytes;
    } table[] = {
        {"ASCII, default", string("abc"), string(), Bytes({'a', 'b', 'c', 13, 10})},
        {"ASCII, semicolon", string("abc"), string(";"), Bytes({'a', 'b', 'c', ';'})},
        {"empty line", string(), string(), Bytes({13, 10})},
        {"UTF-16, default", wide, string(), Bytes({'h', 0, 'i', 0, 13, 0, 10, 0})},
        {"UTF-16, semicolon", wide, string(";"), Bytes({'h', 0, 'i', 0, ';', 0})},
        {"delimiter without encoding", wide, Tagged("|", kEncodingUnknown), Bytes({'h', 0, 'i', 0, '|'})},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.what);
        VectorStream* stream = new VectorStream;
        ObjectHeader* object = NewTextOutputStream(stream);
        reinterpret_cast<TextOutputStreamObject*>(object)->Delimiter =
            string(row.delimiter).Detach();
        TextOutputStreamWriteLine(object, row.line.Record());
        EXPECT_EQ(stream->bytes, row.bytes);
        RuntimeUnlockObject(object);
    }
}

TEST(TextOutputStream, WriteIsTheBytesAsTheyAreAndNothingOnceClosed) {
    VectorStream* stream = new VectorStream;
    ObjectHeader* object = NewTextOutputStream(stream);
    TextOutputStreamWrite(object, Tagged("caf\xC3\xA9").Record());
    EXPECT_EQ(stream->bytes, Bytes({'c', 'a', 'f', 0xC3, 0xA9}));
    stream->SetError(112);
    TextOutputStreamFlush(object);
    TextOutputStreamClose(object);
    TextOutputStreamWrite(object, string("more").Record());
    TextOutputStreamWriteLine(object, string("more").Record());
    EXPECT_EQ(TextOutputStreamLastErrorGetter(object, 0), 112);
    FailureRecorder recorder;
    TextOutputStreamFlush(object);
    ASSERT_EQ(recorder.Count(), 1u);
    EXPECT_EQ(recorder.Last().condition, "obj->mechanism");
    RuntimeUnlockObject(object);
}

}  // namespace
