#include <gtest/gtest.h>

#include <string>

#include "FailureRecorder.h"
#include "StringTesting.h"
#include "VectorStream.h"
#include "core/DefinitionConversion.h"
#include "core/ObjectModel.h"
#include "files/BinaryStream.h"

#undef EOF

namespace {

// A BinaryStream over a vector stream that the test keeps looking at.
struct Fixture {
    Fixture() : stream(new VectorStream), object(NewBinaryStream(stream)) {}
    ~Fixture() { RuntimeUnlockObject(object); }

    VectorStream* stream;
    ObjectHeader* object;
};

std::string Adopted(StringRecord* record) {
    const string text = string::Adopt(record);
    return std::string(text.CString(), text.Length());
}

TEST(BinaryStream, ByteImagesAreBigEndianUnlessLittleEndian) {
    const struct {
        const char* what;
        bool littleEndian;
        void (*write)(ObjectHeader*);
        std::vector<unsigned char> image;
    } table[] = {
        {"WriteShort 258", false, [](ObjectHeader* o) { BinaryStreamWriteShort(o, 258); }, Bytes({1, 2})},
        {"WriteShort 258 LE", true, [](ObjectHeader* o) { BinaryStreamWriteShort(o, 258); }, Bytes({2, 1})},
        {"WriteLong", false, [](ObjectHeader* o) { BinaryStreamWriteLong(o, 0x01020304); }, Bytes({1, 2, 3, 4})},
        {"WriteLong LE", true, [](ObjectHeader* o) { BinaryStreamWriteLong(o, 0x01020304); }, Bytes({4, 3, 2, 1})},
        {"WriteSingle 1.5", false, [](ObjectHeader* o) { BinaryStreamWriteFloat(o, 1.5); }, Bytes({0x3F, 0xC0, 0, 0})},
        {"WriteDouble 1.5", false, [](ObjectHeader* o) { BinaryStreamWriteDouble(o, 1.5); }, Bytes({0x3F, 0xF8, 0, 0, 0, 0, 0, 0})},
        {"WriteDouble 1.5 LE", true, [](ObjectHeader* o) { BinaryStreamWriteDouble(o, 1.5); }, Bytes({0, 0, 0, 0, 0, 0, 0xF8, 0x3F})},
        {"WriteByte low bits", false, [](ObjectHeader* o) { BinaryStreamWriteByte(o, 0x1FF); }, Bytes({0xFF})},
        {"WriteBoolean", true, [](ObjectHeader* o) { BinaryStreamWriteBoolean(o, true); BinaryStreamWriteBoolean(o, false); }, Bytes({1, 0})},
        {"WritePString empty", false, [](ObjectHeader* o) { BinaryStreamWritePString(o, nullptr); }, Bytes({0})},
        {"Write", false, [](ObjectHeader* o) { BinaryStreamWrite(o, string("ab").Record()); BinaryStreamWrite(o, nullptr); }, Bytes({'a', 'b'})},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.what);
        Fixture f;
        reinterpret_cast<BinaryStreamObject*>(f.object)->LittleEndian = row.littleEndian;
        row.write(f.object);
        EXPECT_EQ(f.stream->bytes, row.image);
    }
}

TEST(BinaryStream, TypedReadsTakeWholeValuesOrZero) {
    Fixture f;
    f.stream->bytes = Bytes({0xFF, 0xFE, 0x3F, 0xC0, 0, 0, 0x80, 0, 0, 0, 2, 7});
    EXPECT_EQ(BinaryStreamReadShort(f.object), -2);
    EXPECT_EQ(BinaryStreamReadFloat(f.object), 1.5);
    EXPECT_EQ(BinaryStreamReadLong(f.object), INT32_MIN);
    EXPECT_TRUE(BinaryStreamReadBoolean(f.object));
    EXPECT_EQ(BinaryStreamReadLong(f.object), 0);  // one byte left
    EXPECT_TRUE(BinaryStreamEOF(f.object));
    EXPECT_EQ(BinaryStreamReadByte(f.object), 0);
    EXPECT_FALSE(BinaryStreamReadBoolean(f.object));
    EXPECT_EQ(BinaryStreamReadDouble(f.object), 0.0);

    f.stream->position = 0;
    reinterpret_cast<BinaryStreamObject*>(f.object)->LittleEndian = 1;
    EXPECT_EQ(BinaryStreamReadShort(f.object), static_cast<int16_t>(0xFEFF));
}

TEST(BinaryStream, PStringsAreCutAt255Bytes) {
    Fixture f;
    const std::string long300(300, 'p');
    BinaryStreamWritePString(f.object, string(long300.c_str()).Record());
    ASSERT_EQ(f.stream->bytes.size(), 256u);
    EXPECT_EQ(f.stream->bytes[0], 0xFF);
    const string back = string::Adopt(BinaryStreamReadPString(f.object, nullptr));
    EXPECT_EQ(std::string(back.CString(), back.Length()), std::string(255, 'p'));
    EXPECT_EQ(back.Encoding(), kEncodingUnknown);
    EXPECT_TRUE(BinaryStreamEOF(f.object));
    EXPECT_EQ(BinaryStreamReadPString(f.object, nullptr), nullptr);

    // A length byte promising more than is there gives what arrived.
    Fixture cut;
    cut.stream->bytes = Bytes({5, 'a', 'b'});
    EXPECT_EQ(Adopted(BinaryStreamReadPString(cut.object, nullptr)), "ab");
}

TEST(BinaryStream, ReadIsCutAtTheEndAndIgnoresCountsBelowOne) {
    Fixture f;
    f.stream->bytes = Bytes({'0', '1', '2', '3', '4', '5', '6', '7'});
    BinaryStreamSetPosition(f.object, 0, 4);
    EXPECT_EQ(Adopted(BinaryStreamRead(f.object, 0, nullptr)), "");
    EXPECT_EQ(Adopted(BinaryStreamRead(f.object, -1, nullptr)), "");
    EXPECT_EQ(BinaryStreamGetPosition(f.object, 0), 4);
    EXPECT_FALSE(BinaryStreamEOF(f.object));
    EXPECT_EQ(Adopted(BinaryStreamRead(f.object, 10, nullptr)), "4567");
    EXPECT_TRUE(BinaryStreamEOF(f.object));
    EXPECT_EQ(Adopted(BinaryStreamRead(f.object, INT32_MAX, nullptr)), "");
}

TEST(BinaryStream, AStreamOnAStringIsReadOnly) {
    ObjectHeader* object = CreateInstance(GetBinaryStreamDefinition());
    ASSERT_NE(object, nullptr);
    BinaryStringStringCtor(object, string("abc").Record());
    EXPECT_EQ(BinaryStreamReadByte(object), 97);
    EXPECT_EQ(BinaryStreamGetLength(object, 0), 3);
    EXPECT_EQ(BinaryStreamLastErrorGetter(object, 0), 0);
    BinaryStreamWriteByte(object, 1);
    EXPECT_EQ(BinaryStreamLastErrorGetter(object, 0), 100);
    EXPECT_EQ(BinaryStreamGetLength(object, 0), 3);
    BinaryStreamSetLength(object, 0, 0);
    EXPECT_EQ(BinaryStreamGetLength(object, 0), 3);
    EXPECT_EQ(Adopted(BinaryStreamRead(object, 5, nullptr)), "bc");
    RuntimeUnlockObject(object);
}

// Closing deletes the stream but keeps its last code; every member then finds nothing to do.
TEST(BinaryStream, MembersAfterCloseKeepTheLastErrorCode) {
    Fixture f;
    f.stream->bytes = Bytes({1, 2, 3, 4, 5});
    f.stream->SetError(5);
    BinaryStreamClose(f.object);
    f.stream = nullptr;
    EXPECT_TRUE(BinaryStreamEOF(f.object));
    EXPECT_EQ(BinaryStreamGetLength(f.object, 0), 0);
    EXPECT_EQ(BinaryStreamGetPosition(f.object, 0), 0);
    EXPECT_EQ(BinaryStreamReadLong(f.object), 0);
    EXPECT_EQ(Adopted(BinaryStreamRead(f.object, 2, nullptr)), "");
    BinaryStreamFlush(f.object);
    BinaryStreamWriteLong(f.object, 1);
    BinaryStreamSetPosition(f.object, 0, 1);
    BinaryStreamClose(f.object);
    EXPECT_EQ(BinaryStreamLastErrorGetter(f.object, 0), 5);
}

TEST(BinaryStream, AMissingObjectIsAFailedAssertion) {
    FailureRecorder recorder;
    EXPECT_EQ(BinaryStreamReadLong(nullptr), 0);
    ASSERT_EQ(recorder.Count(), 1u);
    EXPECT_EQ(recorder.Last().condition, "stream");
    EXPECT_EQ(recorder.Last().file, "runFileAccess");
    EXPECT_EQ(BinaryStreamLastErrorGetter(nullptr, 0), 0);
    EXPECT_EQ(recorder.Last().condition, "obj");
    EXPECT_EQ(recorder.Last().message, "No binary stream to get last error code on!");
    BinaryStreamFlush(nullptr);
    EXPECT_EQ(recorder.Count(), 2u);
}

}  // namespace
