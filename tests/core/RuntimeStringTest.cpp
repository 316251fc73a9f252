#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <string_view>
#include <thread>

#include "FailureRecorder.h"
#include "StringTesting.h"
#include "core/RuntimeString.h"
#include "core/SmallBlockAllocator.h"
#include "core/TextEncodings.h"

namespace {

int32_t RefCount(const string& s) { return s.Record() ? s.Record()->refCount : 0; }

// The buffer invariants every record the runtime makes keeps.
void ExpectWellFormed(const string& s) {
    const StringRecord* r = s.Record();
    if (!r) return;
    ASSERT_GE(r->length, 1);
    EXPECT_GE(r->bufferSize, r->length + 2);
    EXPECT_EQ(r->buffer[r->length + 1], 0);
}

}  // namespace

TEST(StringRecordLayout, FieldsAndBufferShape) {
#ifndef _WIN64
    EXPECT_EQ(sizeof(StringRecord), 20u);
#endif
    const string s = Tagged("hello", kEncodingASCII);
    const StringRecord* r = s.Record();
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->refCount, 1);
    EXPECT_EQ(r->length, 5);
    EXPECT_EQ(r->bufferSize, 7);
    EXPECT_EQ(r->buffer[0], 5);
    EXPECT_EQ(std::memcmp(r->buffer + 1, "hello", 6), 0);
    EXPECT_EQ(s.PString(), r->buffer);
    EXPECT_EQ(StringRecord::CString(r), s.CString());
    EXPECT_STREQ(StringRecord::CString(nullptr), "");
    EXPECT_EQ(StringRecord::Length(nullptr), 0);
}

TEST(StringConstruction, ByteConstructors) {
    string s;
    EXPECT_EQ(s.AllocateBytes(0), nullptr);
    EXPECT_EQ(s.AllocateBytes(-3), nullptr);
    EXPECT_EQ(s.SetBytes("abc", 0), nullptr);
    EXPECT_TRUE(s.IsEmpty());

    // Null bytes leave the content to the caller; the last text byte and the terminator are zero.
    char* text = s.AllocateBytes(4);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text[3], 0);
    EXPECT_EQ(s.Encoding(), kEncodingUnknown);
    ExpectWellFormed(s);

    // Embedded zero bytes are text; the length bounds it.
    s.SetBytes("a\0b", 3);
    EXPECT_EQ(BytesOf(s), std::string_view("a\0b", 3));

    const std::string longText(300, 'x');
    s.SetBytes(longText.data(), 300);
    EXPECT_EQ(s.Length(), 300);
    EXPECT_EQ(s.PString()[0], 255);
    ExpectWellFormed(s);

    // A constructor may be fed from the record it replaces.
    s.SetBytes(s.CString() + 290, 10);
    EXPECT_EQ(BytesOf(s), "xxxxxxxxxx");

    // The copy takes the bytes, not the tag.
    const string source = Tagged("tag", kEncodingWindowsLatin1);
    string copy;
    copy.CopyRecordBytes(source.Record());
    EXPECT_EQ(BytesOf(copy), "tag");
    EXPECT_EQ(copy.Encoding(), kEncodingUnknown);
    EXPECT_NE(copy.Record(), source.Record());
    copy.CopyRecordBytes(nullptr);
    EXPECT_TRUE(copy.IsEmpty());
}

TEST(StringConstruction, LiteralsAreAscii) {
    const string s("literal");
    EXPECT_EQ(BytesOf(s), "literal");
    EXPECT_EQ(s.Encoding(), kEncodingASCII);
    EXPECT_TRUE(string("").IsEmpty());
    EXPECT_TRUE(string(static_cast<const char*>(nullptr)).IsEmpty());
}

TEST(StringConstruction, WideConstructors) {
    const uint16_t units[] = {0x3042, 0x0041};
    string text;
    text.SetWideText(units, 2);
    const StringRecord* r = text.Record();
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->length, 4);
    EXPECT_EQ(r->bufferSize, 7);
    EXPECT_EQ(r->encoding, kEncodingUTF16);
    EXPECT_EQ(r->buffer[0], 4);
    EXPECT_EQ(std::memcmp(r->buffer + 1, units, 4), 0);
    EXPECT_EQ(r->buffer[5], 0);  // the 16-bit terminator
    EXPECT_EQ(r->buffer[6], 0);
    EXPECT_EQ(std::memcmp(text.WString(), units, 4), 0);

    string bytes;
    bytes.SetWideBytes(units, 2);
    EXPECT_EQ(bytes.Record()->bufferSize, 6);
    EXPECT_EQ(bytes.Record()->length, 4);
    EXPECT_EQ(bytes.Encoding(), kEncodingUTF16);
    ExpectWellFormed(bytes);

    // The length byte holds the low eight bits of the byte length, not a capped length.
    string wide;
    wide.SetWideText(nullptr, 200);
    EXPECT_EQ(wide.Length(), 400);
    EXPECT_EQ(wide.PString()[0], 400 & 0xFF);

    // Sizes whose buffer cannot be counted in 32 bits give the empty string, not a short buffer.
    EXPECT_EQ(wide.SetWideText(nullptr, INT32_MAX), nullptr);
    EXPECT_EQ(wide.SetWideBytes(nullptr, INT32_MAX / 2 + 1), nullptr);
    EXPECT_EQ(wide.AllocateBytes(INT32_MAX), nullptr);

    EXPECT_EQ(wide.SetWideText(units, 0), nullptr);
    EXPECT_TRUE(wide.IsEmpty());
    EXPECT_EQ(wide.SetWideBytes(units, -1), nullptr);
    EXPECT_TRUE(wide.IsEmpty());
}

TEST(StringAccessors, EmptyString) {
    const string empty;
    EXPECT_STREQ(empty.CString(), "");
    EXPECT_EQ(empty.PString()[0], 0);
    EXPECT_EQ(empty.WString()[0], 0);
    EXPECT_EQ(empty.WidePointer()[0], 0);
    EXPECT_EQ(empty.Length(), 0);
    EXPECT_EQ(empty.Encoding(), kEncodingASCII);
    EXPECT_TRUE(empty.IsASCII());
}

TEST(StringAccessors, WStringOfNonUtf16Asserts) {
    FailureRecorder recorder;
    const string s = Tagged("ab", kEncodingUTF8);
    EXPECT_EQ(s.WString()[0], 0);
    ASSERT_EQ(recorder.Count(), 1u);
    EXPECT_EQ(recorder.Last().kind, kFailedAssertion);
    EXPECT_EQ(recorder.Last().file, "string");
    EXPECT_EQ(recorder.Last().line, 674);
    EXPECT_EQ(recorder.Last().condition, "0");
    // WidePointer does not look at the tag.
    EXPECT_EQ(static_cast<const void*>(s.WidePointer()), static_cast<const void*>(s.CString()));
}

TEST(StringAccessors, IsASCII) {
    struct Case {
        std::string_view bytes;
        uint32_t tag;
        bool ascii;
    } cases[] = {
        {"plain", kEncodingUTF8, true},
        {"plain", kEncodingUnknown, true},
        {"caf\xE9", kEncodingWindowsLatin1, false},
        {"\x7F", kEncodingASCII, true},
        {"\x80", kEncodingASCII, false},
        {"ab", kEncodingUTF16, false},  // the UTF-16 family never is, whatever its bytes
        {"ab", 0x101, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Tagged(c.bytes, c.tag).IsASCII(), c.ascii) << c.bytes << " tag " << c.tag;
}

TEST(StringSharing, CountsFollowHandles) {
    string a = Tagged("shared", kEncodingASCII);
    {
        const string b = a;
        EXPECT_EQ(b.Record(), a.Record());
        EXPECT_EQ(RefCount(a), 2);
        string c;
        c.Assign(b);
        EXPECT_EQ(RefCount(a), 3);
        c.Assign(c);
        EXPECT_EQ(RefCount(a), 3);
        string moved = std::move(c);
        EXPECT_TRUE(c.IsEmpty());
        EXPECT_EQ(RefCount(a), 3);
    }
    EXPECT_EQ(RefCount(a), 1);
    StringRecord* retained = a.Retain();
    EXPECT_EQ(RefCount(a), 2);
    StringRecord::Release(retained);
    EXPECT_EQ(RefCount(a), 1);
    const string adopted = string::Adopt(a.Detach());
    EXPECT_TRUE(a.IsEmpty());
    EXPECT_EQ(RefCount(adopted), 1);
}

TEST(StringSharing, EveryRecordIsFreed) {
    const int32_t before = SmallBlockBytesInUse();
    {
        // UTF-8 joined with ASCII needs no conversion, so the conversion cache holds nothing.
        string a = Tagged("some text", kEncodingUTF8);
        string b = a;
        b.AppendCString(" more");
        a = StringTrim(StringConcat(a, b));
        a.MutableBytes(0)[0] = 'S';
        string wide = a.ToUTF16();
        const string big(std::string(400, 'z').c_str());  // a heap buffer
        a.Append(big);
    }
    EXPECT_EQ(SmallBlockBytesInUse(), before);
}

// A second OS thread runs runtime code in service mode: retains there take no lock.
TEST(StringSharing, CountChangesFromTwoThreadsDoNotRace) {
    const string s = Tagged("raced", kEncodingASCII);
    constexpr int kRounds = 200000;
    const auto churn = [&s] {
        for (int i = 0; i < kRounds; ++i) {
            StringRecord* r = RuntimeLockString(s.Record());
            const string copy = s;
            RuntimeUnlockString(r);
        }
    };
    std::thread other(churn);
    churn();
    other.join();
    EXPECT_EQ(RefCount(s), 1);
}

TEST(StringMutableBytes, CopyOnWrite) {
    string a = Tagged("abc", kEncodingWindowsLatin1);
    StringRecord* original = a.Record();
    EXPECT_EQ(a.MutableBytes(1), a.CString() + 1);  // unshared: written in place
    EXPECT_EQ(a.Record(), original);

    const string b = a;
    a.MutableBytes(1)[0] = 'X';
    EXPECT_NE(a.Record(), original);
    EXPECT_EQ(BytesOf(a), "aXc");
    EXPECT_EQ(BytesOf(b), "abc");
    EXPECT_EQ(a.Encoding(), kEncodingWindowsLatin1);  // the copy keeps the tag
    EXPECT_EQ(RefCount(b), 1);
}

TEST(StringMutableBytes, PositionsOutsideTheTextAssert) {
    FailureRecorder recorder;
    string a = Tagged("abc", kEncodingASCII);
    for (int32_t pos : {-1, 3, 1000}) {
        char* p = a.MutableBytes(pos);
        ASSERT_NE(p, nullptr);
        *p = 'Z';  // goes to the scratch byte, never past the buffer
        EXPECT_EQ(recorder.Last().line, 795);
        EXPECT_EQ(recorder.Last().condition, "not (pos < 0 || pos >= Length())");
    }
    EXPECT_EQ(BytesOf(a), "abc");
    EXPECT_EQ(recorder.Count(), 3u);

    string empty;
    *empty.MutableBytes(0) = 'Q';
    EXPECT_EQ(recorder.Count(), 3u);
    *empty.MutableBytes(2) = 'Q';
    ASSERT_EQ(recorder.Count(), 4u);
    EXPECT_EQ(recorder.Last().file, "string");
    EXPECT_EQ(recorder.Last().line, 804);
    EXPECT_EQ(recorder.Last().condition, "not pos");
    EXPECT_TRUE(empty.IsEmpty());
}

TEST(StringAppend, TagsAndSharing) {
    string s;
    s.AppendCString("");
    EXPECT_TRUE(s.IsEmpty());
    s.AppendCString("ab");
    EXPECT_EQ(s.Encoding(), kEncodingUnknown);
    s.SetEncoding(kEncodingWindowsLatin1);
    s.AppendCString("cd");
    EXPECT_EQ(BytesOf(s), "abcd");
    EXPECT_EQ(s.Encoding(), kEncodingWindowsLatin1);

    // Appending to an empty handle takes the other's tag.
    string t;
    t.Append(Tagged("x", kEncodingUTF8));
    EXPECT_EQ(t.Encoding(), kEncodingUTF8);
    StringRecord* before = t.Record();
    t.Append(string());
    EXPECT_EQ(t.Record(), before);

    // Equal tags join the bytes; different tags go through the join of encodings.
    t.Append(Tagged("y", kEncodingUTF8));
    EXPECT_EQ(BytesOf(t), "xy");
    string latin = Tagged("\xE9", kEncodingWindowsLatin1);
    latin.Append(Tagged("\xC3\xA9", kEncodingUTF8));
    EXPECT_EQ(BytesOf(latin), "\xC3\xA9\xC3\xA9");
    EXPECT_EQ(latin.Encoding(), kEncodingUTF8);
}

TEST(StringSubstrings, ByteRanges) {
    const string s = Tagged("abcdef", kEncodingWindowsLatin1);
    enum Op { kLeft, kMidFrom, kMid, kRight };
    struct Case {
        Op op;
        int32_t a, b;
        std::string_view expected;
        bool shared;
    } cases[] = {
        {kLeft, 6, 0, "abcdef", true},    {kLeft, 99, 0, "abcdef", true},
        {kLeft, 2, 0, "ab", false},       {kLeft, 0, 0, "", false},
        {kLeft, -4, 0, "", false},        {kMidFrom, 0, 0, "abcdef", true},
        {kMidFrom, -3, 0, "abcdef", true}, {kMidFrom, 2, 0, "cdef", false},
        {kMidFrom, 6, 0, "", false},      {kMidFrom, 5, 0, "f", false},
        {kMid, -2, 5, "abc", false},      {kMid, 0, 6, "abcdef", true},
        {kMid, 0, 99, "abcdef", false},   {kMid, 2, 2, "cd", false},
        {kMid, 4, 99, "ef", false},       {kMid, 6, 1, "", false},
        {kMid, 1, 0, "", false},          {kMid, -9, 3, "", false},
        {kRight, 6, 0, "abcdef", true},   {kRight, 2, 0, "ef", false},
        {kRight, 0, 0, "", false},        {kRight, -1, 0, "", false},
    };
    for (const Case& c : cases) {
        string r;
        switch (c.op) {
            case kLeft: r = LeftBytes(s, c.a); break;
            case kMidFrom: r = MidBytesFrom(s, c.a); break;
            case kMid: r = MidBytes(s, c.a, c.b); break;
            case kRight: r = RightBytes(s, c.a); break;
        }
        SCOPED_TRACE(testing::Message() << "op " << c.op << " (" << c.a << ", " << c.b << ")");
        EXPECT_EQ(BytesOf(r), c.expected);
        EXPECT_EQ(r.Record() == s.Record(), c.shared);
        if (!r.IsEmpty()) {
            EXPECT_EQ(r.Encoding(), kEncodingWindowsLatin1);
        }
        ExpectWellFormed(r);
    }
    EXPECT_EQ(RefCount(s), 1);

    const string shared = LeftBytes(s, 6);
    EXPECT_EQ(RefCount(s), 2);
    EXPECT_TRUE(MidBytes(string(), 0, 3).IsEmpty());
    EXPECT_TRUE(RightBytes(string(), 3).IsEmpty());
}

TEST(StringTrims, SpacesAndTabsOnly) {
    struct Case {
        std::string_view text;
        std::string_view left, right, both;
    } cases[] = {
        {"\t a b \t", "a b \t", "\t a b", "a b"},
        {"   ", "", "", ""},
        {"x", "x", "x", "x"},
        {"\n x\r", "\n x\r", "\n x\r", "\n x\r"},
        {" \xA0y", "\xA0y", " \xA0y", "\xA0y"},
    };
    for (const Case& c : cases) {
        const string s = Tagged(c.text, kEncodingWindowsLatin1);
        SCOPED_TRACE(c.text);
        EXPECT_EQ(BytesOf(StringLTrim(s)), c.left);
        EXPECT_EQ(BytesOf(StringRTrim(s)), c.right);
        EXPECT_EQ(BytesOf(StringTrim(s)), c.both);
        EXPECT_TRUE(StringTrim(s).IsEmpty() == c.both.empty());
    }
    const string clean = Tagged("clean", kEncodingASCII);
    EXPECT_EQ(StringTrim(clean).Record(), clean.Record());
    EXPECT_TRUE(StringTrim(string()).IsEmpty());
}

TEST(StringAppendByte, Tags) {
    struct Case {
        std::string_view text;
        uint32_t tag;
        unsigned char byte;
        uint32_t expected;
    } cases[] = {
        {"", kEncodingASCII, 'a', kEncodingASCII},
        {"", kEncodingASCII, 0xE9, kEncodingUnknown},
        {"abc", kEncodingASCII, 0xE9, kEncodingUnknown},
        {"abc", kEncodingASCII, 'd', kEncodingASCII},
        {"abc", kEncodingUTF8, 'd', kEncodingUTF8},
        {"abc", kEncodingWindowsLatin1, 'd', kEncodingWindowsLatin1},
        {"ab", kEncodingUTF16, 'd', kEncodingUnknown},
    };
    for (const Case& c : cases) {
        const string s = c.text.empty() ? string() : Tagged(c.text, c.tag);
        const string r = StringAppendByte(s, c.byte);
        EXPECT_EQ(r.Length(), s.Length() + 1);
        EXPECT_EQ(static_cast<unsigned char>(r.CString()[s.Length()]), c.byte);
        EXPECT_EQ(r.Encoding(), c.expected) << c.text << " + " << int(c.byte);
    }
}

TEST(StringCompare, BinaryAndFolded) {
    struct Case {
        std::string_view a, b;
        int binary, noCase;
    } cases[] = {
        {"abc", "abcd", -1, -1},
        {"abcd", "abc", 1, 1},
        {"ABC", "abc", -1, 0},
        {"abc", "abc", 0, 0},
        {"\x8A", "\x80", 1, 0},  // Mac Roman a-umlaut folds to A-umlaut
        {std::string_view("a\0b", 3), std::string_view("a\0c", 3), -1, -1},
        {"\xFF", "a", 1, 1},
        {"", "a", -1, -1},
        {"", "", 0, 0},
    };
    for (const Case& c : cases) {
        const string a = c.a.empty() ? string() : Tagged(c.a, kEncodingASCII);
        const string b = c.b.empty() ? string() : Tagged(c.b, kEncodingASCII);
        EXPECT_EQ(string::Compare(a, b), c.binary) << c.a << " / " << c.b;
        EXPECT_EQ(string::CompareNoCase(a, b), c.noCase) << c.a << " / " << c.b;
    }
}

TEST(StringCompare, AcrossEncodings) {
    const string latin = Tagged("caf\xE9", kEncodingWindowsLatin1);
    const string utf8 = Tagged("caf\xC3\xA9", kEncodingUTF8);
    EXPECT_EQ(string::Compare(latin, utf8), 0);  // both become UTF-8 first
    EXPECT_EQ(string::Compare(Wide(u"abc"), Tagged("abc", kEncodingWindowsLatin1)), 0);
    // An unknown side compares the bytes as they are.
    EXPECT_EQ(string::Compare(Tagged("caf\xE9", kEncodingUnknown), utf8), 1);
    // The sources are not changed.
    EXPECT_EQ(latin.Encoding(), kEncodingWindowsLatin1);
    EXPECT_EQ(latin.Length(), 4);
}

TEST(StringConcat, EncodingsOfJoins) {
    struct Case {
        std::string_view a;
        uint32_t tagA;
        std::u16string_view wideA;  // used when tagA is UTF-16
        std::string_view b;
        uint32_t tagB;
        std::u16string_view wideB;
        std::string_view expected;  // bytes of the result
        uint32_t expectedTag;
    } cases[] = {
        {"abc", kEncodingASCII, u"", "\xC3\xA9", kEncodingUTF8, u"", "abc\xC3\xA9", kEncodingUTF8},
        {"\xC3\xA9", kEncodingUTF8, u"", "abc", kEncodingASCII, u"", "\xC3\xA9" "abc", kEncodingUTF8},
        {"abc", kEncodingASCII, u"", "\xE9", kEncodingWindowsLatin1, u"", "abc\xE9", kEncodingWindowsLatin1},
        {"\xE9", kEncodingISOLatin1, u"", "", kEncodingUTF16, u"z", std::string_view("\xE9\0z\0", 4), kEncodingUTF16},
        {"", kEncodingUTF16, u"z", "\xE9", kEncodingWindowsLatin1, u"", std::string_view("z\0\xE9\0", 4), kEncodingUTF16},
        {"\xE9", kEncodingWindowsLatin1, u"", "\xE9", kEncodingISOLatin1, u"", "\xC3\xA9\xC3\xA9", kEncodingUTF8},
        {"", kEncodingUTF16, u"\u00E9", "\xC3\xA9", kEncodingUTF8, u"", "\xC3\xA9\xC3\xA9", kEncodingUTF8},
        {"\xE9", kEncodingUnknown, u"", "\xC3\xA9", kEncodingUTF8, u"", "\xE9\xC3\xA9", kEncodingUnknown},
        {"ab", kEncodingUTF8, u"", "cd", kEncodingUTF8, u"", "abcd", kEncodingUTF8},
    };
    for (const Case& c : cases) {
        const string a = c.tagA == kEncodingUTF16 ? Wide(c.wideA) : Tagged(c.a, c.tagA);
        const string b = c.tagB == kEncodingUTF16 ? Wide(c.wideB) : Tagged(c.b, c.tagB);
        const string r = StringConcat(a, b);
        SCOPED_TRACE(testing::Message() << std::hex << c.tagA << " + " << c.tagB);
        EXPECT_EQ(BytesOf(r), c.expected);
        EXPECT_EQ(r.Encoding(), c.expectedTag);
        ExpectWellFormed(r);
        EXPECT_EQ(a.Encoding(), c.tagA);  // the sources keep their encodings
        EXPECT_EQ(b.Encoding(), c.tagB);
    }
}

TEST(StringConcat, EmptySideGivesTheOtherRecord) {
    const string a = Tagged("abc", kEncodingWindowsLatin1);
    EXPECT_EQ(StringConcat(a, string()).Record(), a.Record());
    EXPECT_EQ(StringConcat(string(), a).Record(), a.Record());
    EXPECT_TRUE(StringConcat(string(), string()).IsEmpty());
}

TEST(StringConversions, ToUtf16AndBack) {
    // Three two-byte characters.
    const string utf8 = Tagged("\xC3\xA9\xC3\xA8\xC3\xAA", kEncodingUTF8);
    const string wide = utf8.ToUTF16();
    EXPECT_EQ(wide.Length(), 6);
    EXPECT_EQ(wide.Encoding(), kEncodingUTF16);
    EXPECT_EQ(std::u16string_view(reinterpret_cast<const char16_t*>(wide.CString()), 4),
              std::u16string_view(u"\u00E9\u00E8\u00EA\0", 4));  // the 16-bit terminator
    EXPECT_EQ(wide.PString()[0], 6);
    EXPECT_EQ(wide.ToUTF16().Record(), wide.Record());

    const string back = wide.ToUTF8();
    EXPECT_EQ(BytesOf(back), BytesOf(utf8));
    EXPECT_EQ(back.Encoding(), kEncodingUTF8);
    EXPECT_EQ(back.PString()[0], 6);
    EXPECT_EQ(utf8.ToUTF8().Record(), utf8.Record());
    EXPECT_TRUE(string().ToUTF8().IsEmpty());
    EXPECT_TRUE(string().ToUTF16().IsEmpty());

    // A record without the 16-bit terminator converts exactly its units.
    const uint16_t units[] = {0x20AC, 0x0041};
    string bytes;
    bytes.SetWideBytes(units, 2);
    EXPECT_EQ(BytesOf(bytes.ToUTF8()), "\xE2\x82\xAC" "A");

    // Zero bytes inside the text survive both ways.
    const string withZero = Tagged(std::string_view("a\0b", 3), kEncodingUTF8);
    EXPECT_EQ(BytesOf(withZero.ToUTF16().ToUTF8()), std::string_view("a\0b", 3));

    // Other encodings go through the conversion.
    EXPECT_EQ(BytesOf(Tagged("\xE9", kEncodingWindowsLatin1).ToUTF8()), "\xC3\xA9");
    EXPECT_EQ(BytesOf(Tagged("\xE9", kEncodingWindowsLatin1).ToUTF16()), std::string_view("\xE9\0", 2));
}

TEST(StringFromCodePoint, ByEncoding) {
    EXPECT_EQ(BytesOf(StringFromCodePoint(0x20AC, kEncodingUTF8)), "\xE2\x82\xAC");
    EXPECT_EQ(StringFromCodePoint(0x20AC, kEncodingUTF8).Encoding(), kEncodingUTF8);
    const string wide = StringFromCodePoint(0x1263A, kEncodingUTF16);
    EXPECT_EQ(BytesOf(wide), std::string_view("\x3A\x26", 2));  // the low 16 bits
    EXPECT_EQ(wide.Encoding(), kEncodingUTF16);
    const string latin = StringFromCodePoint(0xE9, kEncodingWindowsLatin1);
    EXPECT_EQ(BytesOf(latin), "\xE9");
    EXPECT_EQ(latin.Encoding(), kEncodingWindowsLatin1);
}

TEST(StringFromNumbers, TextsAndTags) {
    struct Case {
        string s;
        std::string_view expected;
        uint32_t tag;
    } cases[] = {
        {StringFromInteger(0), "0", kEncodingASCII},
        {StringFromInteger(-42), "-42", kEncodingASCII},
        {StringFromInteger(INT_MIN), "-2147483648", kEncodingASCII},
        {StringFromInteger(INT_MAX), "2147483647", kEncodingASCII},
        {StringFromHex8(255), "000000FF", kEncodingASCII},
        {StringFromHex8(0xDEADBEEF), "DEADBEEF", kEncodingASCII},
        {StringFromOSType(0x54455854), "TEXT", kEncodingMacRoman},
        {StringFromUInt16LE(0x1234), "\x34\x12", kEncodingASCII},
        {StringFromUInt16LE(0xFF00), std::string_view("\0\xFF", 2), kEncodingASCII},
        {StringFromUInt32BE(0x01020304), "\x01\x02\x03\x04", kEncodingASCII},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(BytesOf(c.s), c.expected);
        EXPECT_EQ(c.s.Encoding(), c.tag) << c.expected;
    }
}

TEST(StringEntryPoints, CountsAndJoins) {
    string a = Tagged("abc", kEncodingASCII);
    StringRecord* r = a.Record();
    EXPECT_EQ(RuntimeLockString(r), r);
    EXPECT_EQ(r->refCount, 2);
    RuntimeUnlockString(r);
    EXPECT_EQ(r->refCount, 1);
    EXPECT_EQ(RuntimeLockString(nullptr), nullptr);
    RuntimeUnlockString(nullptr);

    // Assignment of compiled code: the new one gains, the old one loses, the same one is left.
    string b = Tagged("xyz", kEncodingASCII);
    RuntimeLockUnlockStrings(r, r);
    EXPECT_EQ(r->refCount, 1);
    RuntimeLockString(b.Record());
    RuntimeLockUnlockStrings(r, b.Record());
    EXPECT_EQ(r->refCount, 2);
    EXPECT_EQ(b.Record()->refCount, 1);
    RuntimeUnlockString(r);

    // The join borrows its arguments and returns one owned reference.
    StringRecord* joined = RuntimeAddString(r, b.Record());
    EXPECT_STREQ(StringRecord::CString(joined), "abcxyz");
    EXPECT_EQ(joined->refCount, 1);
    EXPECT_EQ(r->refCount, 1);
    RuntimeUnlockString(joined);
    StringRecord* same = RuntimeAddString(r, nullptr);
    EXPECT_EQ(same, r);
    EXPECT_EQ(r->refCount, 2);
    RuntimeUnlockString(same);
    EXPECT_EQ(RuntimeAddString(nullptr, nullptr), nullptr);

    // The last release frees.
    const int32_t before = SmallBlockBytesInUse();
    const int32_t bufferSize = r->bufferSize;
    RuntimeUnlockString(a.Detach());
    EXPECT_EQ(SmallBlockBytesInUse(), before - bufferSize - static_cast<int32_t>(sizeof(StringRecord)));
}
