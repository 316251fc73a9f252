#include "StringUtilities.h"

#include <cstring>
#include <utility>

#include "FailureReport.h"

namespace {

constexpr uint32_t kNoCodePoint = 0xFFFFFFFF;

// The code point at p and its byte count, by the lead-byte rules of the runtime's UTF-8 decoder.
// A sequence stops early at the end of the text or at a byte that is no continuation byte and
// then matches nothing: a malformed sequence neither reads past the text nor swallows the
// separator after it.
uint32_t DecodeAt(const unsigned char* p, int32_t remaining, int32_t& size) {
    const unsigned char lead = p[0];
    size = 1;
    if (lead < 0x80) return lead;
    int32_t follow;
    uint32_t codePoint;
    if ((lead & 0xE0) == 0xC0) {
        follow = 1;
        codePoint = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        follow = 2;
        codePoint = lead & 0x0F;
    } else {
        follow = 3;
        codePoint = lead & 0x07;
    }
    for (; follow > 0; --follow) {
        if (size >= remaining || (p[size] & 0xC0) != 0x80) return kNoCodePoint;
        codePoint = (codePoint << 6) | (p[size] & 0x3F);
        ++size;
    }
    return codePoint;
}

void AppendPiece(SimpleVector<string>& pieces, const unsigned char* bytes, int32_t length) {
    string piece;
    piece.SetBytes(bytes, length);  // an empty piece stays the empty string
    piece.SetEncoding(kEncodingUTF8);
    pieces.push_back(std::move(piece));
}

int32_t sSkipTable[256];

string FormatDigits(uint32_t value, int bitsPerDigit) {
    static const char kDigits[] = "0123456789ABCDEF";
    const uint32_t mask = (1u << bitsPerDigit) - 1;
    char digits[32];
    int32_t first = sizeof digits;
    do {
        digits[--first] = kDigits[value & mask];
        value >>= bitsPerDigit;
    } while (value != 0);
    string result;
    result.SetBytes(digits + first, int32_t(sizeof digits) - first);
    result.SetEncoding(kEncodingASCII);
    return result;
}

bool PassesUnescaped(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '_' || c == '.';
}

}  // namespace

void SplitUTF8(string& text, uint32_t separator, SimpleVector<string>& pieces) {
    text = text.ToUTF8();
    pieces.set_capacity(0);
    if (separator > 255) ReportAssertion("StringUtils", 50, "(unsigned long)sepChar <= 255");

    const auto* bytes = reinterpret_cast<const unsigned char*>(text.CString());
    const int32_t length = text.Length();
    int32_t pieceStart = 0;
    bool endsWithSeparator = false;
    for (int32_t i = 0; i < length;) {
        int32_t size;
        const uint32_t codePoint = DecodeAt(bytes + i, length - i, size);
        endsWithSeparator = codePoint == separator;
        if (endsWithSeparator) {
            // The whole separator is cut, not only its last byte, so that a separator written
            // with two bytes leaves no half character in the piece.
            AppendPiece(pieces, bytes + pieceStart, i - pieceStart);
            pieceStart = i + size;
        }
        i += size;
    }
    if (length > 0 && !endsWithSeparator)
        AppendPiece(pieces, bytes + pieceStart, length - pieceStart);
}

int32_t FindSubstring(int32_t start, const string& text, const string& pattern) {
    const int32_t textLength = text.Length();
    const int32_t patternLength = pattern.Length();
    if (textLength == 0) return -1;
    if (patternLength == 0) return start;
    if (start < 0) start = 0;
    if (start >= textLength) return -1;
    const int32_t last = textLength - start - patternLength;  // the scan's last offset from start
    if (last < 0) return -1;

    const char* t = text.CString();
    const char* p = pattern.CString();
    if (patternLength > 4 && last > 80) {
        const int32_t found = start + BoyerMooreSearch(p, patternLength, t + start, textLength - start);
        return found < textLength ? found : -1;
    }
    const char* at = t + start;
    const char* end = t + start + last + 1;  // one past the last place a match can begin
    while (at < end) {
        at = static_cast<const char*>(std::memchr(at, p[0], size_t(end - at)));
        if (!at) return -1;
        if (std::memcmp(at + 1, p + 1, size_t(patternLength - 1)) == 0) return int32_t(at - t);
        ++at;
    }
    return -1;
}

void BoyerMooreSkipTable(const void* pattern, int32_t length) {
    const auto* bytes = static_cast<const unsigned char*>(pattern);
    for (int32_t& entry : sSkipTable) entry = length;
    for (int32_t j = 0; j < length; ++j) sSkipTable[bytes[j]] = length - j - 1;
}

int32_t BoyerMooreSearch(const void* pattern, int32_t patternLength, const void* range,
                         int32_t rangeLength) {
    const int32_t m = patternLength;
    const int32_t n = rangeLength;
    if (!pattern || !range || m < 1 || m > n) return n < 0 ? 0 : n;
    const auto* p = static_cast<const unsigned char*>(pattern);
    const auto* r = static_cast<const unsigned char*>(range);
    BoyerMooreSkipTable(p, m);
    int32_t pos = m - 1;
    int32_t i = m - 1;
    while (i >= 0) {
        if (r[pos] == p[i]) {
            --pos;
            --i;
            continue;
        }
        const int32_t skip = sSkipTable[r[pos]];
        pos += skip > m - i ? skip : m - i;
        if (pos >= n) return n;
        i = m - 1;
    }
    return pos + 1;
}

string FormatBinary(uint32_t value) { return FormatDigits(value, 1); }
string FormatHex(uint32_t value) { return FormatDigits(value, 4); }
string FormatOctal(uint32_t value) { return FormatDigits(value, 3); }

string PercentEncode(const string& s) {
    static const char kHex[] = "0123456789ABCDEF";
    const auto* source = reinterpret_cast<const unsigned char*>(s.CString());
    const int32_t length = s.Length();
    int64_t resultLength = length;
    for (int32_t i = 0; i < length; ++i)
        if (!PassesUnescaped(source[i])) resultLength += 2;
    string result;
    // A result past the largest string is a buffer that cannot be had: the empty string.
    if (resultLength > INT32_MAX) return result;
    char* out = result.AllocateBytes(int32_t(resultLength));
    if (!out) return result;
    for (int32_t i = 0; i < length; ++i) {
        const unsigned char c = source[i];
        if (PassesUnescaped(c)) {
            *out++ = char(c);
        } else {
            *out++ = '%';
            *out++ = kHex[c >> 4];
            *out++ = kHex[c & 0x0F];
        }
    }
    result.SetEncoding(kEncodingASCII);
    return result;
}

string PercentDecode(const string& s, uint32_t encoding) {
    const auto* source = reinterpret_cast<const unsigned char*>(s.CString());
    const int32_t length = s.Length();
    // The count and the copy share one rule: a "%" takes the two characters after it only when
    // both are there.
    auto escapeAt = [&](int32_t i) { return source[i] == '%' && i + 2 < length; };
    int32_t resultLength = 0;
    for (int32_t i = 0; i < length; i += escapeAt(i) ? 3 : 1) ++resultLength;

    string result;
    char* out = result.AllocateBytes(resultLength);
    if (!out) return result;
    for (int32_t i = 0; i < length;) {
        if (escapeAt(i)) {
            const int high = HexDigitValue(source[i + 1]);
            const int low = HexDigitValue(source[i + 2]);
            *out++ = char(((high < 0 ? 0 : high) << 4) | (low < 0 ? 0 : low));
            i += 3;
        } else {
            *out++ = char(source[i++]);
        }
    }
    result.SetEncoding(encoding);
    return result;
}
