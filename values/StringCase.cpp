// Case conversion, comparison and trimming.
#include <windows.h>

#include "CharacterTables.h"
#include "core/EncodingConversion.h"
#include "StringLibrary.h"
#include "TextForm.h"
#include "UnicodeCase.h"
#include "core/Utf8Codec.h"
#include "core/GuardedMemory.h"
#include "core/Platform.h"

namespace {

enum class Case { kUpper, kLower, kTitle };

string FromBlock(void* block, int32_t length, uint32_t tag) {
    string result;
    if (result.SetBytes(block, length)) result.SetEncoding(tag);
    GuardedDelete(block);
    return result;
}

// Title case of 8-bit and double-byte text by the locale's character types, a character at a
// time under the system lead table.
void TitleCaseBytes(char* text, int32_t length) {
    SelectSystemCharacterTables();
    const unsigned char* lead = CurrentLeadTable();
    bool wordStart = true;
    for (int32_t i = 0; i < length;) {
        const int32_t size = lead[static_cast<unsigned char>(text[i])] ? 2 : 1;
        if (i + size > length) break;
        WORD types[2] = {0, 0};
        GetStringTypeExA(LOCALE_USER_DEFAULT, CT_CTYPE1, text + i, size, types);
        if (types[0] & (C1_SPACE | C1_BLANK)) {
            wordStart = true;
        } else if (wordStart) {
            wordStart = false;
            if (!(types[0] & C1_UPPER)) CharUpperBuffA(text + i, size);
        } else if (types[0] & C1_UPPER) {
            CharLowerBuffA(text + i, size);
        }
        i += size;
    }
}

string ConvertCase(const string& s, Case mode) {
    if (s.IsEmpty()) return string();
    const auto* bytes = reinterpret_cast<const unsigned char*>(s.CString());
    const uint32_t tag = s.Encoding();
    if (tag == kEncodingUTF8) {
        unsigned char* out = nullptr;
        int32_t length = 0;
        (mode == Case::kUpper   ? Utf8ToUpper
         : mode == Case::kLower ? Utf8ToLower
                                : Utf8ToTitle)(bytes, s.Length(), &out, &length);
        return FromBlock(out, length, kEncodingUTF8);
    }
    if (tag == kEncodingUTF16) {
        const auto* units = reinterpret_cast<const uint16_t*>(bytes);
        uint16_t* out = (mode == Case::kUpper   ? Utf16ToUpper
                         : mode == Case::kLower ? Utf16ToLower
                                                : Utf16ToTitle)(units, s.Length());
        return FromBlock(out, s.Length(), kEncodingUTF16);
    }
    string result;
    char* text = result.CopyRecordBytes(s.Record());
    if (!text) return result;
    result.SetEncoding(tag);
    switch (mode) {
    case Case::kUpper: CharUpperBuffA(text, s.Length()); break;
    case Case::kLower: CharLowerBuffA(text, s.Length()); break;
    case Case::kTitle: TitleCaseBytes(text, s.Length()); break;
    }
    return result;
}

int32_t CompareBytes(const string& a, const string& b) {
    const auto* x = reinterpret_cast<const unsigned char*>(a.CString());
    const auto* y = reinterpret_cast<const unsigned char*>(b.CString());
    const int32_t n = std::min(a.Length(), b.Length());
    for (int32_t i = 0; i < n; ++i)
        if (x[i] != y[i]) return x[i] < y[i] ? -1 : 1;
    return a.Length() < b.Length() ? -1 : a.Length() > b.Length() ? 1 : 0;
}

// UTF-16 for the locale comparison; short texts stay on the stack, as a sort compares often.
class WideText {
public:
    explicit WideText(const string& s) {
        const int32_t length = s.Length();
        if (length > kInline)
            mUnits = static_cast<wchar_t*>(GuardedNewElements(length, sizeof(wchar_t)));
        mCount = MultiByteToWideChar(CP_ACP, 0, s.CString(), length, mUnits, length);
    }
    ~WideText() {
        if (mUnits != mInline) GuardedDelete(mUnits);
    }
    WideText(const WideText&) = delete;
    WideText& operator=(const WideText&) = delete;
    const wchar_t* Units() const { return mUnits; }
    int32_t Count() const { return mCount; }

private:
    static constexpr int32_t kInline = 128;
    wchar_t mInline[kInline];
    wchar_t* mUnits = mInline;
    int32_t mCount = 0;
};

int32_t LocaleResult(int result, int32_t lengthA, int32_t lengthB) {
    switch (result) {
    case CSTR_LESS_THAN: return -1;
    case CSTR_GREATER_THAN: return 1;
    case CSTR_EQUAL: return lengthA == lengthB ? 0 : lengthA < lengthB ? -1 : 1;
    default: return 0;
    }
}

// Both texts in one encoding: copies are reconciled only when the tags differ.
int32_t CompareText(const string& a, const string& b, bool ignoreCase) {
    string x = a;
    string y = b;
    if (x.Encoding() != y.Encoding()) ReconcileStringEncodings(&x, &y);
    const auto* px = reinterpret_cast<const unsigned char*>(x.CString());
    const auto* py = reinterpret_cast<const unsigned char*>(y.CString());
    if (x.Encoding() == kEncodingUTF8 && y.Encoding() == kEncodingUTF8)
        return CompareUtf8(px, x.Length(), py, y.Length(), ignoreCase);
    if (x.Encoding() == kEncodingUTF16 && y.Encoding() == kEncodingUTF16)
        return CompareUtf16(reinterpret_cast<const uint16_t*>(px), x.Length(),
                            reinterpret_cast<const uint16_t*>(py), y.Length(), ignoreCase);
    return CompareStringsLocale(x, y, ignoreCase ? NORM_IGNORECASE : 0);
}

// --- trimming ---

// Bytes of white space at the start, and the offset where the white run at the end begins.
struct WhiteRuns {
    int32_t leading = 0;
    int32_t trailingStart = 0;
};

WhiteRuns MeasureWhiteRuns(const string& s) {
    WhiteRuns runs;
    const TextView text(s);
    const int32_t length = s.Length();
    if (s.Encoding() == kEncodingUTF16) {
        const auto* units = reinterpret_cast<const uint16_t*>(text.begin);
        const int32_t count = length / 2;
        int32_t first = 0;
        while (first < count && IsUnicodeWhiteSpace(units[first])) ++first;
        int32_t last = count;
        while (last > first && IsUnicodeWhiteSpace(units[last - 1])) --last;
        runs.leading = 2 * first;
        runs.trailingStart = last == count ? length : 2 * last;
        return runs;
    }
    const unsigned char* p = text.begin;
    while (p < text.end) {
        const unsigned char* next = p;
        if (!IsUnicodeWhiteSpace(Utf8DecodeNext(next, text.end)) || next == p) break;
        p = next;
    }
    runs.leading = static_cast<int32_t>(p - text.begin);
    const unsigned char* q = text.end;
    while (q > p) {
        const unsigned char* previous = Utf8RetreatChars(q, p, 1);
        if (!IsUnicodeWhiteSpace(Utf8Decode(previous, q))) break;
        q = previous;
    }
    runs.trailingStart = static_cast<int32_t>(q - text.begin);
    return runs;
}

enum class TrimEnds { kLeading, kTrailing, kBoth };

string TrimWhite(const string& s, TrimEnds ends) {
    if (s.IsEmpty()) return string();
    const uint32_t tag = s.Encoding();
    const bool measurable = tag == kEncodingUTF8 || tag == kEncodingUTF16 || tag == kEncodingASCII;
    const string text = measurable ? s : s.ToUTF16();
    const WhiteRuns runs = MeasureWhiteRuns(text);
    const int32_t from = ends == TrimEnds::kTrailing ? 0 : runs.leading;
    const int32_t to = ends == TrimEnds::kLeading ? text.Length() : runs.trailingStart;
    if (from == 0 && to == text.Length()) return s;
    if (to <= from) return string();
    string trimmed = MidBytes(text, from, to - from);
    if (measurable) return trimmed;
    if (tag != kEncodingUnknown) return ConvertStringEncoding(trimmed, tag);
    string back = ConvertStringEncoding(trimmed, SystemTextEncoding());
    back.SetEncoding(kEncodingUnknown);
    return back;
}

}  // namespace

string UpperCase(const string& s) { return ConvertCase(s, Case::kUpper); }
string LowerCase(const string& s) { return ConvertCase(s, Case::kLower); }
string TitleCase(const string& s) { return ConvertCase(s, Case::kTitle); }

int32_t CompareStringsLocale(const string& a, const string& b, uint32_t flags) {
    if (IsUnicodePlatform()) {
        const WideText x(a);
        const WideText y(b);
        return LocaleResult(CompareStringW(LOCALE_USER_DEFAULT, flags, x.Units(), x.Count(),
                                           y.Units(), y.Count()),
                            x.Count(), y.Count());
    }
    return LocaleResult(CompareStringA(LOCALE_USER_DEFAULT, flags, a.CString(), a.Length(),
                                       b.CString(), b.Length()),
                        a.Length(), b.Length());
}

int32_t CompareStrings(const string& a, const string& b, bool ignoreCase) {
    if (a.Record() == b.Record()) return 0;
    if (a.IsEmpty()) return -1;
    if (b.IsEmpty()) return 1;
    return CompareText(a, b, ignoreCase);
}

extern "C" {

StringRecord* StringLCase(StringRecord* s) { return LowerCase(string(s)).Detach(); }
StringRecord* StringUCase(StringRecord* s) { return UpperCase(string(s)).Detach(); }
StringRecord* StringTitleCase(StringRecord* s) { return TitleCase(string(s)).Detach(); }

int32_t StringStrCompare(StringRecord* a, StringRecord* b, int32_t mode) {
    const string x(a);
    const string y(b);
    if (a == b) return 0;
    if (x.IsEmpty()) return -1;
    if (y.IsEmpty()) return 1;
    return mode == 0 ? CompareBytes(x, y) : CompareText(x, y, false);
}

int32_t RuntimeStringCompare(StringRecord* a, StringRecord* b) {
    return CompareStrings(string(a), string(b), true);
}

StringRecord* runLTrim(StringRecord* s) { return TrimWhite(string(s), TrimEnds::kLeading).Detach(); }
StringRecord* runRTrim(StringRecord* s) { return TrimWhite(string(s), TrimEnds::kTrailing).Detach(); }
StringRecord* runTrim(StringRecord* s) { return TrimWhite(string(s), TrimEnds::kBoth).Detach(); }

}  // extern "C"
