// Substrings, lengths and character codes in their byte and character forms.
#include <algorithm>

#include "CharacterTables.h"
#include "StringLibrary.h"
#include "TextForm.h"
#include "core/Utf8Codec.h"

namespace {

// Positions arrive as any 32-bit value; products and sums are taken in 64 bits and brought back
// into the range the byte operations accept.
int32_t Clamp(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

// count bytes from the 0-based offset start; a negative start shortens the count.
string BytesFrom(const string& s, int64_t start, int64_t count) {
    if (start < 0) {
        count += start;
        start = 0;
    }
    if (start >= s.Length() || count <= 0) return string();
    return MidBytes(s, static_cast<int32_t>(start), Clamp(std::min<int64_t>(count, s.Length())));
}

// The bytes from the 0-based offset on: the whole text from 0 or below.
string BytesFromOffset(const string& s, int64_t offset) {
    if (offset <= 0) return s;
    if (offset >= s.Length()) return string();
    return MidBytesFrom(s, static_cast<int32_t>(offset));
}

int32_t Utf8Offset(const TextView& text, int64_t characters) {
    if (characters <= 0) return 0;
    return static_cast<int32_t>(
        Utf8AdvanceChars(text.begin, text.end, Clamp(characters)) - text.begin);
}

}  // namespace

string DBCSLeft(const string& s, int32_t n) {
    if (s.IsEmpty() || n < 1) return string();
    switch (TextFormOf(s)) {
    case TextForm::kUTF8: return LeftBytes(s, Utf8Offset(TextView(s), n));
    case TextForm::kUTF16: return LeftBytes(s, Clamp(2 * int64_t(n)));
    case TextForm::kDoubleByte: return LeftBytes(s, DBCSCharEnd(s, n));
    case TextForm::kBytes: break;
    }
    return LeftBytes(s, n);
}

string DBCSRight(const string& s, int32_t n) {
    if (s.IsEmpty() || n < 1) return string();
    switch (TextFormOf(s)) {
    case TextForm::kUTF8: {
        const TextView text(s);
        return RightBytes(s, static_cast<int32_t>(text.end - Utf8RetreatChars(text.end, text.begin, n)));
    }
    case TextForm::kUTF16: return RightBytes(s, Clamp(2 * int64_t(n)));
    case TextForm::kDoubleByte: {
        const TextView text(s);
        const int32_t count = DBCSCharCount(text.begin, s.Length());
        if (n >= count) return s;
        return RightBytes(s, s.Length() + 1 - DBCSCharStart(s, count - n + 1));
    }
    case TextForm::kBytes: break;
    }
    return RightBytes(s, n);
}

string DBCSMid2(const string& s, int32_t start) {
    if (s.IsEmpty()) return string();
    int64_t position = start;
    switch (TextFormOf(s)) {
    case TextForm::kUTF8: position = start > 0 ? Utf8Offset(TextView(s), start - int64_t(1)) + 1 : 1; break;
    case TextForm::kUTF16: position = 2 * int64_t(start) - 1; break;
    case TextForm::kDoubleByte: position = DBCSCharStart(s, start); break;
    case TextForm::kBytes: break;
    }
    return BytesFromOffset(s, position - 1);
}

string DBCSMid3(const string& s, int32_t start, int32_t count) {
    if (s.IsEmpty() || count < 1) return string();
    int64_t first = start;
    int64_t characters = count;
    if (first < 1) {
        characters -= 1 - first;
        first = 1;
    }
    if (characters < 1) return string();
    switch (TextFormOf(s)) {
    case TextForm::kUTF8: {
        const TextView text(s);
        const int32_t b1 = Utf8Offset(text, first - 1);
        const int32_t b2 = b1 + static_cast<int32_t>(
            Utf8AdvanceChars(text.begin + b1, text.end, Clamp(characters)) - (text.begin + b1));
        return BytesFrom(s, b1, b2 - b1);
    }
    case TextForm::kUTF16: return BytesFrom(s, 2 * (first - 1), 2 * characters);
    case TextForm::kDoubleByte: {
        const int32_t from = DBCSCharStart(s, Clamp(first));
        const int32_t through = DBCSCharEnd(s, Clamp(first + characters - 1));
        return BytesFrom(s, from - 1, int64_t(through) - from + 1);
    }
    case TextForm::kBytes: break;
    }
    return BytesFrom(s, first - 1, characters);
}

int32_t DBCSLen(const string& s) {
    if (s.IsEmpty()) return 0;
    const TextView text(s);
    switch (TextFormOf(s)) {
    case TextForm::kUTF8:
        return static_cast<int32_t>(std::count_if(text.begin, text.end, [](unsigned char b) {
            return (b & 0xC0) != 0x80;
        }));
    case TextForm::kUTF16: return s.Length() / 2;
    case TextForm::kDoubleByte: return DBCSCharCount(text.begin, s.Length());
    case TextForm::kBytes: break;
    }
    return s.Length();
}

extern "C" {

StringRecord* StringLeft(StringRecord* s, int32_t n) { return LeftBytes(string(s), n).Detach(); }

StringRecord* StringDBCSLeft(StringRecord* s, int32_t n) { return DBCSLeft(string(s), n).Detach(); }

StringRecord* StringRight(StringRecord* s, int32_t n) { return RightBytes(string(s), n).Detach(); }

StringRecord* StringDBCSRight(StringRecord* s, int32_t n) {
    return DBCSRight(string(s), n).Detach();
}

StringRecord* StringMid2(StringRecord* s, int32_t start) {
    return BytesFromOffset(string(s), int64_t(start) - 1).Detach();
}

StringRecord* StringDBCSMid2(StringRecord* s, int32_t start) {
    return DBCSMid2(string(s), start).Detach();
}

StringRecord* StringMid3(StringRecord* s, int32_t start, int32_t count) {
    return BytesFrom(string(s), int64_t(start) - 1, count).Detach();
}

StringRecord* StringDBCSMid3(StringRecord* s, int32_t start, int32_t count) {
    return DBCSMid3(string(s), start, count).Detach();
}

int32_t StringLen(StringRecord* s) { return StringRecord::Length(s); }

int32_t StringDBCSLen(StringRecord* s) { return DBCSLen(string(s)); }

int32_t StringAsc(StringRecord* s) {
    return StringRecord::Length(s) ? static_cast<unsigned char>(StringRecord::CString(s)[0]) : 0;
}

int32_t StringDBCSAsc(StringRecord* record) {
    const string s(record);
    if (s.IsEmpty()) return 0;
    const TextView text(s);
    switch (TextFormOf(s)) {
    case TextForm::kUTF8: return static_cast<int32_t>(Utf8Decode(text.begin, text.end));
    case TextForm::kUTF16:
        if (s.Length() >= 2) return text.begin[0] | text.begin[1] << 8;
        break;
    case TextForm::kDoubleByte:
        if (s.Length() >= 2 && CurrentLeadTable()[text.begin[0]]) return text.begin[0] * 256 + text.begin[1];
        break;
    case TextForm::kBytes: break;
    }
    return text.begin[0];
}

StringRecord* StringChr(int32_t code) {
    const unsigned char byte = static_cast<unsigned char>(code);
    string s;
    s.SetBytes(&byte, 1);
    s.SetEncoding(code >= 0 && code <= 127 ? kEncodingASCII : kEncodingUnknown);
    return s.Detach();
}

StringRecord* StringDBCSChr(int32_t code) {
    if (code < 256) return StringChr(code);
    const unsigned char bytes[2] = {static_cast<unsigned char>(code >> 8),
                                    static_cast<unsigned char>(code)};
    string s;
    s.SetBytes(bytes, 2);
    s.SetEncoding(kEncodingUnknown);
    return s.Detach();
}

}  // extern "C"
