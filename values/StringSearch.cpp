// InStr in its forms, and the searches that replacement, fields and splitting share.
#include <cstring>

#include "CharacterTables.h"
#include "core/EncodingConversion.h"
#include "StringLibrary.h"
#include "TextForm.h"
#include "TextSearch.h"
#include "UnicodeCase.h"
#include "core/Utf8Codec.h"
#include "core/StringUtilities.h"

namespace {

inline uint32_t UpperOf(uint32_t codePoint) {
    if (codePoint < 0x80) return codePoint - 'a' < 26u ? codePoint - 32 : codePoint;
    return UnicodeToUpper(codePoint);
}

inline bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// A double-byte block has no case tables; its text is then compared by the ASCII letters.
const unsigned char* SingleByteUpperTable() {
    static const unsigned char* const kAscii = [] {
        static unsigned char table[256];
        for (int b = 0; b < 256; ++b)
            table[b] = static_cast<unsigned char>(b >= 'a' && b <= 'z' ? b - 32 : b);
        return table;
    }();
    return CurrentHasLeadBytes() ? kAscii : CurrentUpperTable();
}

int32_t FindUtf16(int32_t k, const string& s, const string& find) {
    const auto* text = reinterpret_cast<const uint16_t*>(s.CString());
    const auto* pattern = reinterpret_cast<const uint16_t*>(find.CString());
    const int32_t n = s.Length() / 2;
    const int32_t m = find.Length() / 2;
    for (int32_t i = k; i + m <= n; ++i) {
        int32_t j = 0;
        while (j < m && (text[i + j] == pattern[j] ||
                         UnicodeToUpper(text[i + j]) == UnicodeToUpper(pattern[j])))
            ++j;
        if (j == m) return i + 1;
    }
    return 0;
}

// The code points of pattern match those of the text from at, ignoring case.
bool Utf8MatchesAt(const unsigned char* at, const unsigned char* end, const unsigned char* pattern,
                   const unsigned char* patternEnd) {
    while (pattern < patternEnd) {
        if (at >= end) return false;
        if (UpperOf(Utf8DecodeNext(at, end)) != UpperOf(Utf8DecodeNext(pattern, patternEnd)))
            return false;
    }
    return true;
}

int32_t FindUtf8(int32_t k, const string& s, const string& find, bool byteOffsets) {
    const TextView text(s);
    const TextView pattern(find);
    const unsigned char* p = byteOffsets
                                 ? text.begin + k
                                 : Utf8AdvanceChars(text.begin, text.end, k);
    const unsigned char* afterFirst = pattern.begin;
    const uint32_t first = UpperOf(Utf8DecodeNext(afterFirst, pattern.end));
    // The bytes at which a match can begin: the ASCII forms of the first code point, and the
    // first byte of every longer character. The scan skips all others without decoding.
    bool startable[256] = {};
    for (int b = 0xC0; b < 256; ++b) startable[b] = true;
    for (int b = 0; b < 0x80; ++b) startable[b] = UpperOf(uint32_t(b)) == first;
    const unsigned char* const last = text.end - find.Length();  // the last place a match fits
    for (; p <= last; ++p) {
        if (!startable[*p]) continue;
        const unsigned char* next = p;
        const uint32_t c = *p < 0x80 ? (++next, UpperOf(*p)) : UpperOf(Utf8DecodeNext(next, text.end));
        if (c != first || !Utf8MatchesAt(next, text.end, afterFirst, pattern.end)) continue;
        const int32_t offset = static_cast<int32_t>(p - text.begin);
        if (byteOffsets) return offset + 1;
        int32_t characters = 0;
        for (const unsigned char* q = text.begin; q <= p; ++q) characters += !IsContinuation(*q);
        return characters;
    }
    return 0;
}

int32_t FindBytesCaseless(int32_t k, const string& s, const string& find) {
    const unsigned char* upper = SingleByteUpperTable();
    const TextView text(s);
    const TextView pattern(find);
    const int32_t m = find.Length();
    const unsigned char first = upper[pattern.begin[0]];
    for (int32_t i = k; i + m <= s.Length(); ++i) {
        if (upper[text.begin[i]] != first) continue;
        int32_t j = 1;
        while (j < m && upper[text.begin[i + j]] == upper[pattern.begin[j]]) ++j;
        if (j == m) return i + 1;
    }
    return 0;
}

// The 0-based byte offset of pattern in the upper-cased text from k, stepping over whole
// characters, or -1.
int32_t FindUpperDoubleByte(int32_t k, const string& text, const string& pattern, bool units) {
    const unsigned char* lead = CurrentLeadTable();
    const TextView t(text);
    const int32_t m = pattern.Length();
    const int32_t n = text.Length();
    while (k + m <= n && k >= 0) {
        if (std::memcmp(t.begin + k, pattern.CString(), m) == 0) return k;
        k += units || lead[t.begin[k]] ? 2 : 1;
    }
    return -1;
}

bool SingleByteHasNoCase(const string& delimiter) {
    const unsigned char* upper = CurrentUpperTable();
    const unsigned char* lower = CurrentLowerTable();
    const TextView text(delimiter);
    for (const unsigned char* p = text.begin; p < text.end; ++p)
        if (upper[*p] != lower[*p]) return false;
    return true;
}

}  // namespace

int32_t InStrCore(int32_t start, const string& source, const string& target, bool byteOffsets) {
    if (source.IsEmpty()) return 0;
    string s = source;
    string find = target;
    if (!find.IsEmpty() && s.Encoding() != find.Encoding()) ReconcileStringEncodings(&s, &find);
    const uint32_t tag = s.Encoding();
    if (SelectCharacterTables(tag)) return DBCSInStrCaseless(start, s, find);
    if (find.IsEmpty()) return start;
    const int32_t k = start <= 1 ? 0 : start - 1;
    if (k >= s.Length() || s.Length() - k < find.Length()) return 0;
    if (tag == kEncodingUTF16) return FindUtf16(k, s, find);
    if (tag == kEncodingUTF8) return FindUtf8(k, s, find, byteOffsets);
    return FindBytesCaseless(k, s, find);
}

int32_t DBCSInStrCaseless(int32_t start, const string& s, const string& find) {
    if (s.IsEmpty()) return 0;
    if (find.IsEmpty()) return start;
    const int32_t k = start <= 1 ? 0 : start - 1;
    if (k >= s.Length()) return 0;
    return FindUpperDoubleByte(k, UpperCase(s), UpperCase(find), s.Encoding() == kEncodingUTF16) + 1;
}

string InEncodingOf(const string& text, uint32_t tag) {
    if (text.IsEmpty() || text.Encoding() == tag) return text;
    // ASCII text is UTF-8 text as it stands.
    if (text.Encoding() == kEncodingASCII && tag == kEncodingUTF8) return text;
    string converted = ConvertStringEncoding(text, tag);
    return converted.IsEmpty() ? text : converted;
}

SearchMode FieldSearchMode(const string& s, const string& delimiter) {
    const uint32_t tag = s.Encoding();
    if (tag == kEncodingUTF16) return SearchMode::kCaseless;
    if (SelectCharacterTables(tag)) return SearchMode::kDoubleByte;
    const TextView text(delimiter);
    const bool noCase = tag == kEncodingUTF8 ? Utf8HasNoCase(text.begin, delimiter.Length())
                                             : SingleByteHasNoCase(delimiter);
    return noCase ? SearchMode::kExact : SearchMode::kCaseless;
}

OccurrenceSearch::OccurrenceSearch(const string& text, const string& pattern, SearchMode mode)
    : mText(text), mPattern(pattern), mMode(mode) {
    if (mode == SearchMode::kDoubleByte) {
        mUpperText = UpperCase(text);
        mUpperPattern = UpperCase(pattern);
    }
}

int32_t OccurrenceSearch::Next(int32_t from) const {
    if (from > mText.Length()) return -1;
    switch (mMode) {
    case SearchMode::kExact:
        // A one-byte delimiter, the common case of fields and splits, needs no more than memchr.
        if (mPattern.Length() == 1) {
            if (from < 0) from = 0;
            const char* text = mText.CString();
            const void* at = std::memchr(text + from, mPattern.CString()[0], size_t(mText.Length() - from));
            return at ? int32_t(static_cast<const char*>(at) - text) : -1;
        }
        return FindSubstring(from, mText, mPattern);
    case SearchMode::kDoubleByte:
        return FindUpperDoubleByte(from, mUpperText, mUpperPattern, mText.Encoding() == kEncodingUTF16);
    case SearchMode::kCaseless: break;
    }
    if (mText.Encoding() == kEncodingUTF16) {
        const int32_t unit = InStrCore(from / 2 + 1, mText, mPattern, true) - 1;
        return unit < 0 ? -1 : 2 * unit;
    }
    return InStrCore(from + 1, mText, mPattern, true) - 1;
}

extern "C" {

int32_t StringInStr(int32_t start, StringRecord* s, StringRecord* find) {
    return InStrCore(start, string(s), string(find), false);
}

int32_t StringExtendsInStr(StringRecord* s, int32_t start, StringRecord* find) {
    return StringInStr(start, s, find);
}

int32_t StringInStrB(int32_t start, StringRecord* s, StringRecord* find) {
    const string text(s);
    const string pattern(find);
    // An empty pattern answers the start; an empty text answers nothing.
    if (text.IsEmpty()) return 0;
    if (pattern.IsEmpty()) return start;
    const int32_t k = start <= 1 ? 0 : start - 1;
    return FindSubstring(k, text, pattern) + 1;
}

int32_t StringExtendsInStrB(StringRecord* s, int32_t start, StringRecord* find) {
    return StringInStrB(start, s, find);
}

int32_t StringDBCSInStr(int32_t start, StringRecord* record, StringRecord* findRecord) {
    if (!SelectSystemCharacterTables()) return StringInStr(start, record, findRecord);
    const string s(record);
    const string find(findRecord);
    const int32_t byte = DBCSInStrCaseless(DBCSCharStart(s, start), s, find);
    if (byte <= 0) return byte;
    const unsigned char* lead = CurrentLeadTable();
    const TextView text(s);
    int32_t characters = 0;
    for (int32_t p = 1; p <= byte && p <= s.Length(); p += lead[text.begin[p - 1]] + 1) ++characters;
    return characters;
}

}  // extern "C"
