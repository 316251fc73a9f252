#include "core/EncodingConversion.h"

#include <windows.h>


#include "core/FailureReport.h"
#include "core/SmallBlockAllocator.h"

namespace {

// The last conversion: the source keeps its record alive, so comparing pointers is sound.
constinit string sCachedSource;
constinit string sCachedResult;

constinit uint32_t sSystemCodePage = 0;  // 0 until first needed
constinit uint32_t sSystemEncoding = kEncodingUnknown;
constinit uint32_t sSystemEncodingForConversion = kEncodingUnknown;
constinit uint32_t sFontEncoding = kEncodingASCII;

struct CodePageEntry {
    uint16_t base;
    uint16_t codePage;
};

constexpr CodePageEntry kCodePages[] = {
    // Mac
    {0x00, 10000}, {0x01, 10001}, {0x02, 10002}, {0x03, 10003}, {0x04, 10004}, {0x05, 10005},
    {0x06, 10006}, {0x07, 10007}, {0x15, 10021}, {0x19, 10008}, {0x1D, 10029}, {0x23, 10081},
    {0x24, 10082}, {0x25, 10079}, {0x26, 10010},
    // ISO
    {0x201, 28591}, {0x202, 28592}, {0x203, 28593}, {0x204, 28594}, {0x205, 28595}, {0x206, 708},
    {0x207, 28597}, {0x208, 28598}, {0x209, 28599}, {0x20F, 28605},
    // DOS
    {0x400, 437}, {0x405, 737}, {0x406, 775}, {0x410, 850}, {0x411, 851}, {0x412, 852},
    {0x413, 855}, {0x414, 857}, {0x415, 860}, {0x416, 861}, {0x417, 862}, {0x418, 863},
    {0x419, 864}, {0x41A, 865}, {0x41B, 866}, {0x41C, 869}, {0x41D, 874}, {0x420, 932},
    {0x421, 936}, {0x422, 949}, {0x423, 950},
    // Windows
    {0x500, 1252}, {0x501, 1250}, {0x502, 1251}, {0x503, 1253}, {0x504, 1254}, {0x505, 1255},
    {0x506, 1256}, {0x507, 1257}, {0x508, 1258}, {0x510, 1361},
    // Others
    {0x631, 936}, {0xA01, 932}, {0xC01, 37}, {0xC02, 37},
};

uint32_t SystemCodePage() {
    if (sSystemCodePage == 0) {
        const uint32_t encoding = SystemTextEncoding();
        uint32_t codePage = 0;
        if ((encoding & 0xFFFF) == 0xFFFF || !CodePageForEncoding(codePage, encoding, 0, 0))
            codePage = 1252;
        sSystemCodePage = codePage;
    }
    return sSystemCodePage;
}

// The Japanese byte converters write into a scratch run of a known largest size and make the
// string in one step. Built byte by byte through StringAppendByte the tag would be ASCII when
// every byte is below 0x80 and unknown otherwise; the result keeps that rule.
class ByteWriter {
public:
    // At least a pointer's size: the allocator links free blocks through their first bytes.
    explicit ByteWriter(int32_t capacity)
        : mCapacity(capacity > 0 && capacity < int32_t(sizeof(void*)) ? int32_t(sizeof(void*)) : capacity),
          mBytes(static_cast<unsigned char*>(AllocateMemory(mCapacity, 1))) {}
    ~ByteWriter() { FreeMemory(mBytes, mCapacity); }
    ByteWriter(const ByteWriter&) = delete;
    ByteWriter& operator=(const ByteWriter&) = delete;

    bool Ok() const { return mBytes != nullptr; }
    void Put(int32_t byte) {
        if (mCount < mCapacity) mBytes[mCount++] = static_cast<unsigned char>(byte);
    }
    void Put(const char* text) {
        while (*text) Put(*text++);
    }
    string Finish() const {
        string result;
        if (!mBytes || !result.SetBytes(mBytes, mCount)) return result;
        bool ascii = true;
        for (int32_t i = 0; i < mCount && ascii; ++i) ascii = mBytes[i] < 0x80;
        result.SetEncoding(ascii ? kEncodingASCII : kEncodingUnknown);
        return result;
    }

private:
    int32_t mCapacity;
    unsigned char* mBytes;
    int32_t mCount = 0;
};

// Reads a string's bytes one at a time; -1 past the end.
class ByteReader {
public:
    explicit ByteReader(const string& s)
        : mText(reinterpret_cast<const unsigned char*>(s.CString())), mLength(s.Length()) {}
    int32_t Next() { return mPos < mLength ? mText[mPos++] : -1; }
    int32_t Peek() const { return mPos < mLength ? mText[mPos] : -1; }

private:
    const unsigned char* mText;
    int32_t mLength;
    int32_t mPos = 0;
};

// Whether 7-bit text in an encoding means what it means in ASCII. ISO-2022-JP keeps two-byte
// text in 7-bit bytes behind escapes, and EBCDIC places its letters elsewhere, so their text
// must be converted even when no byte is 0x80 or above.
inline bool ReadsAsAscii(uint32_t encoding) {
    return encoding != kEncodingISO2022JP && encoding != 0xC01 && encoding != 0xC02;
}

inline bool InRange(int32_t c, int32_t lo, int32_t hi) { return c >= lo && c <= hi; }
inline bool IsSjisLead(int32_t c) { return InRange(c, 0x81, 0x9F) || InRange(c, 0xE0, 0xEF); }

// Makes a UTF-16 record of the text of s, read in code page cpFrom.
bool ToWide(string& wide, const string& s, uint32_t cpFrom) {
    const int units = MultiByteToWideChar(cpFrom, 0, s.CString(), s.Length(), nullptr, 0);
    if (units <= 0) return false;
    char* text = wide.SetWideText(nullptr, units);
    if (!text) return false;
    return MultiByteToWideChar(cpFrom, 0, s.CString(), s.Length(), reinterpret_cast<LPWSTR>(text),
                               units) == units;
}

}  // namespace

bool CodePageForEncoding(uint32_t& codePage, uint32_t value, int32_t /*variant*/, int32_t format) {
    codePage = 0;
    if (IsCodePageEncoding(value)) {
        codePage = value & 0xFFFF;
    } else {
        const uint32_t base = value & 0xFFFF;
        switch (base) {
            case 0x100:
            case 0x101:
            case 0x103:
                if (format == 2 || value == kEncodingUTF8) codePage = 65001;
                else if (format == 0) codePage = 1200;
                else if (format == 1) codePage = 65000;
                return codePage != 0;
            case 0x600:
                codePage = IsValidCodePage(20127) ? 20127 : GetACP();
                break;
            case 0x820:
                codePage = kCodePageISO2022JP;
                return true;
            case 0x920:
                codePage = kCodePageEUCJP;
                return true;
            case 0xFFFF:
                codePage = SystemCodePage();
                break;
            default:
                for (const CodePageEntry& entry : kCodePages) {
                    if (entry.base == base) {
                        codePage = entry.codePage;
                        break;
                    }
                }
                break;
        }
    }
    return codePage != 0 && IsValidCodePage(codePage);
}

string ConvertThroughUTF16(const string& s, uint32_t from, uint32_t to) {
    if (from == to) return s;
    uint32_t cpFrom = 0;
    uint32_t cpTo = 0;
    if (!CodePageForEncoding(cpFrom, from, 0, 0) || !CodePageForEncoding(cpTo, to, 0, 0))
        return string();

    string text = s;
    if (cpFrom == kCodePageEUCJP) {
        text = EucToSjisText(text);
        cpFrom = 932;
    } else if (cpFrom == kCodePageISO2022JP) {
        text = JisToSjisText(text);
        cpFrom = 932;
    }

    if (cpTo == kCodePageEUCJP || cpTo == kCodePageISO2022JP) {
        // The platform has no such code page: any other source goes to Shift-JIS first.
        if (cpFrom != 932) {
            text = ConvertThroughUTF16(text, from, kEncodingShiftJIS);
            if (text.IsEmpty()) return text;
        }
        string result = cpTo == kCodePageEUCJP ? SjisToEucText(text) : SjisToJisText(text);
        result.SetEncoding(to);
        return result;
    }

    // UTF-16 bytes are already the units; any other text goes through the platform.
    string wide;
    const uint16_t* units = nullptr;
    int count = 0;
    if (text.Encoding() == kEncodingUTF16 || cpFrom == 1200) {
        units = reinterpret_cast<const uint16_t*>(text.CString());
        count = text.Length() / 2;
        if (cpTo == 1200) wide.SetWideText(units, count);
    } else {
        if (!ToWide(wide, text, cpFrom)) return string();
        units = reinterpret_cast<const uint16_t*>(wide.CString());
        count = wide.Length() / 2;
    }
    if (cpTo == 1200) {
        wide.SetEncoding(to);
        return wide;
    }
    if (count <= 0) return string();

    const auto* wideUnits = reinterpret_cast<LPCWCH>(units);
    const int needed = WideCharToMultiByte(cpTo, 0, wideUnits, count, nullptr, 0, nullptr, nullptr);
    string result;
    if (needed <= 0) return result;
    char* bytes = result.AllocateBytes(needed);
    if (!bytes) return result;
    if (WideCharToMultiByte(cpTo, 0, wideUnits, count, bytes, needed, nullptr, nullptr) != needed)
        return string();
    result.SetEncoding(to);
    return result;
}

string ConvertStringEncoding(const string& s, uint32_t to) {
    const uint32_t tag = s.Encoding();
    if (to == kEncodingUnknown || s.IsEmpty() || tag == kEncodingUnknown || tag == to) return s;
    if (sCachedSource.Record() == s.Record() && !sCachedResult.IsEmpty() &&
        sCachedResult.Encoding() == to)
        return sCachedResult;

    sCachedSource = s;
    const bool toUnicode = to >= 0x100 && to <= 0x200 && to != kEncodingUTF8;
    if (toUnicode || !ReadsAsAscii(tag) || !ReadsAsAscii(to) ||
        (tag != kEncodingASCII && !s.IsASCII())) {
        sCachedResult = ConvertThroughUTF16(s, tag, to);
    } else {
        // Plain ASCII reads the same in every 8-bit encoding: only the tag changes.
        string copy;
        if (copy.CopyRecordBytes(s.Record())) copy.SetEncoding(to);
        sCachedResult = std::move(copy);
    }
    return sCachedResult;
}

void ForgetStringConversion(const StringRecord* record) {
    if (record && sCachedSource.Record() == record) {
        sCachedSource = string();
        sCachedResult = string();
    }
}

string ConvertToSystemEncoding(const string& s) {
    if (sSystemEncodingForConversion == kEncodingUnknown)
        sSystemEncodingForConversion = SystemTextEncoding();
    return ConvertStringEncoding(s, sSystemEncodingForConversion);
}

uint32_t SystemTextEncoding() {
    if (sSystemEncoding == kEncodingUnknown) sSystemEncoding = FontTextEncoding(string("System"));
    return sSystemEncoding;
}

uint32_t FontTextEncoding(const string& fontName) {
    if (fontName.IsEmpty()) return sFontEncoding;
    switch (GetUserDefaultLangID()) {
        case 1028:
        case 2052:
        case 3076:
        case 4100:
            sFontEncoding = kEncodingDOSChineseTrad;
            break;
        case 1041:
            sFontEncoding = kEncodingShiftJIS;
            break;
        default:
            sFontEncoding = kEncodingWindowsLatin1;
            break;
    }
    return sFontEncoding;
}

uint32_t ConcatenationEncoding(uint32_t a, uint32_t b, bool choose) {
    if (a == b) return a;
    const auto isAsciiOrUtf8 = [](uint32_t e) { return e == kEncodingASCII || e == kEncodingUTF8; };
    if (isAsciiOrUtf8(a) && isAsciiOrUtf8(b)) return kEncodingUTF8;
    if (a == kEncodingASCII && !IsUTF16FamilyEncoding(b)) return b;
    if (b == kEncodingASCII && !IsUTF16FamilyEncoding(a)) return a;
    if (!choose) return kEncodingUnknown;
    if ((a == kEncodingUTF16 || b == kEncodingUTF16) && a != kEncodingUTF8 && b != kEncodingUTF8)
        return kEncodingUTF16;
    return kEncodingUTF8;
}

uint32_t ReconcileStringEncodings(string* s1, string* s2) {
    if (!s1 || !s2) {
        ReportAssertion("TextEncodingUtil", 1249, "s1 and s2");
        return kEncodingUnknown;
    }
    const uint32_t tag1 = s1->Encoding();
    const uint32_t tag2 = s2->Encoding();
    if (s1->IsEmpty()) return tag2;
    if (s2->IsEmpty()) return tag1;
    if (tag1 == tag2) return tag1;
    if (tag1 == kEncodingUnknown || tag2 == kEncodingUnknown) return kEncodingUnknown;
    const uint32_t joined = ConcatenationEncoding(tag1, tag2, false);
    if (joined != kEncodingUnknown) return joined;

    const uint32_t target =
        (tag1 == kEncodingUTF16 || tag2 == kEncodingUTF16) && tag1 != kEncodingUTF8 &&
                tag2 != kEncodingUTF8
            ? kEncodingUTF16
            : kEncodingUTF8;
    for (string* side : {s1, s2}) {
        if (side->Encoding() == target) continue;
        string converted = ConvertStringEncoding(*side, target);
        if (converted.IsEmpty()) return kEncodingUnknown;
        *side = std::move(converted);
    }
    return target;
}

// --- Japanese byte converters ---

void JisToSjis(int32_t& c1, int32_t& c2) {
    if (c1 & 1) c2 += c2 < 0x60 ? 0x1F : 0x20;
    else c2 += 0x7E;
    c1 = ((c1 + 1) >> 1) + (c1 < 0x5F ? 0x70 : 0xB0);
}

void SjisToJis(int32_t& c1, int32_t& c2) {
    const int32_t adjust = c2 < 0x9F ? 1 : 0;
    c1 = c1 < 0xA0 ? 2 * c1 - adjust - 0xE0 : 2 * c1 - adjust - 0x160;
    if (c2 > 0x9E) c2 -= 0x7E;
    else if (c2 >= 0x80) c2 -= 0x20;
    else c2 -= 0x1F;
}

// A lead byte that ends the text is copied as it is.

string EucToSjisText(const string& s) {
    ByteWriter out(s.Length());
    if (!out.Ok()) return string();
    ByteReader in(s);
    for (int32_t c = in.Next(); c >= 0; c = in.Next()) {
        const int32_t next = in.Peek();
        if (InRange(c, 0xA1, 0xFE) && next >= 0) {
            int32_t c1 = c;
            int32_t c2 = in.Next();
            if (InRange(c2, 0xA1, 0xFE)) {
                c1 -= 0x80;
                c2 -= 0x80;
                JisToSjis(c1, c2);
            }
            out.Put(c1);
            out.Put(c2);
        } else if (c == 0x8E && next >= 0) {
            const int32_t c2 = in.Next();
            if (!InRange(c2, 0xA1, 0xDF)) out.Put(c);
            out.Put(c2);
        } else {
            out.Put(c);
        }
    }
    return out.Finish();
}

string JisToSjisText(const string& s) {
    enum Mode { kSingle, kDouble, kKana } mode = kSingle;
    ByteWriter out(s.Length());
    if (!out.Ok()) return string();
    ByteReader in(s);
    for (int32_t c = in.Next(); c >= 0; c = in.Next()) {
        if (c == 0x1B) {
            const int32_t c2 = in.Next();
            if (c2 == '(') {
                const int32_t c3 = in.Next();
                mode = c3 == 'I' ? kKana : kSingle;
            } else if (c2 == '$') {
                in.Next();
                mode = kDouble;
            } else {
                mode = c2 == 'K' ? kDouble : kSingle;
            }
        } else if (c == '\r' || c == '\n') {
            mode = kSingle;
            out.Put(c);
        } else if (mode == kDouble && in.Peek() >= 0) {
            int32_t c1 = c;
            int32_t c2 = in.Next();
            JisToSjis(c1, c2);
            out.Put(c1);
            out.Put(c2);
        } else if (mode == kKana) {
            out.Put(c + 0x80);
        } else {
            out.Put(c);
        }
    }
    return out.Finish();
}

string SjisToEucText(const string& s) {
    ByteWriter out(2 * s.Length());
    if (!out.Ok()) return string();
    ByteReader in(s);
    for (int32_t c = in.Next(); c >= 0; c = in.Next()) {
        if (IsSjisLead(c) && in.Peek() >= 0) {
            int32_t c1 = c;
            int32_t c2 = in.Next();
            if (InRange(c2, 0x40, 0xFC)) {
                SjisToJis(c1, c2);
                c1 += 0x80;
                c2 += 0x80;
            }
            out.Put(c1);
            out.Put(c2);
        } else if (InRange(c, 0xA1, 0xDF)) {
            out.Put(0x8E);
            out.Put(c);
        } else {
            out.Put(c);
        }
    }
    return out.Finish();
}

string SjisToJisText(const string& s) {
    enum Mode { kSingle, kDouble, kKana } mode = kSingle;
    // Each byte may open a mode (three bytes) before it; the end may close one.
    ByteWriter out(4 * s.Length() + 3);
    if (!out.Ok()) return string();
    const auto switchTo = [&](Mode wanted) {
        if (mode == wanted) return;
        mode = wanted;
        out.Put(0x1B);
        out.Put(wanted == kDouble ? "$B" : wanted == kKana ? "(I" : "(J");
    };
    ByteReader in(s);
    for (int32_t c = in.Next(); c >= 0; c = in.Next()) {
        if (IsSjisLead(c) && in.Peek() >= 0) {
            int32_t c1 = c;
            int32_t c2 = in.Next();
            if (InRange(c2, 0x40, 0xFC)) {
                switchTo(kDouble);
                SjisToJis(c1, c2);
            }
            out.Put(c1);
            out.Put(c2);
        } else if (InRange(c, 0xA1, 0xDF)) {
            switchTo(kKana);
            out.Put(c - 0x80);
        } else {
            switchTo(kSingle);
            out.Put(c);
        }
    }
    switchTo(kSingle);
    return out.Finish();
}
