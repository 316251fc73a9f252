#include "values/NumberParse.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

#include "core/DigitParse.h"

namespace numbertext {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsExponentLetter(char c) { return c == 'e' || c == 'E' || c == 'd' || c == 'D'; }
// The white space that atof skips.
bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

}  // namespace

bool IsCompleteNumber(std::string_view text) {
    size_t i = 0;
    const size_t n = text.size();
    while (i < n && IsBlank(text[i])) ++i;
    if (i == n) return false;
    const char first = text[i];
    if (!IsDigit(first) && first != '+' && first != '-' && first != '.') return false;

    enum { kInteger, kFraction, kExponent } part = kInteger;
    if (first == '+' || first == '-' || first == '.') {
        part = first == '.' ? kFraction : kInteger;
        if (++i == n) return false;
    }
    bool integerDigit = false;
    for (; i < n && part != kExponent; ++i) {
        const char c = text[i];
        if (IsDigit(c)) {
            integerDigit |= part == kInteger;
        } else if (part == kInteger && c == ',') {
        } else if (part == kInteger && c == '.') {
            part = kFraction;
        } else if (IsExponentLetter(c) && (part == kFraction || integerDigit)) {
            part = kExponent;
        } else {
            return false;
        }
    }
    if (part != kExponent) return true;

    // The exponent wants a digit: neither its letter nor its sign may end the text.
    if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
    bool exponentDigit = false;
    for (; i < n; ++i) {
        if (IsDigit(text[i]))
            exponentDigit = true;
        else if (!IsBlank(text[i]))
            return false;
    }
    return exponentDigit;
}

double ReadLeadingNumber(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && IsSpace(text[i])) ++i;
    bool negate = false;
    if (i < text.size() && text[i] == '+') {
        // std::from_chars takes no "+", and atof no second sign after it.
        if (++i < text.size() && text[i] == '-') return 0.0;
    }
    double value = 0.0;
    const char* begin = text.data() + i;
    const char* end = text.data() + text.size();
    if (begin < end && *begin == '-') {
        negate = true;
        ++begin;
        if (begin < end && (*begin == '-' || *begin == '+')) return 0.0;
    }
    // The grammar wants a digit before or just after the point; from_chars would also read
    // "inf", "infinity" and "nan".
    const char* digit = begin < end && *begin == '.' ? begin + 1 : begin;
    if (digit >= end || !IsDigit(*digit)) return 0.0;
    const auto result = std::from_chars(begin, end, value, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        // Too large or too small for a double: atof gives an infinity or zero.
        bool negativeExponent = false;
        for (const char* p = begin; p < result.ptr; ++p)
            if (*p == 'e' || *p == 'E') negativeExponent = p + 1 < result.ptr && p[1] == '-';
        value = negativeExponent ? 0.0 : std::numeric_limits<double>::infinity();
    } else if (result.ec != std::errc()) {
        return 0.0;
    }
    return negate ? -value : value;
}

double ParseNumberText(std::string_view text, bool* notNumber) {
    if (text.empty()) {
        if (notNumber) *notNumber = true;
        return 0.0;
    }
    if (text.size() >= 2 && text[0] == '&') {
        const char* digits = text.data() + 2;
        const int32_t length = static_cast<int32_t>(text.size() - 2);
        uint32_t value;
        switch (text[1]) {
            case 'h': case 'H': value = ParseHex(digits, length, notNumber); break;
            case 'o': case 'O': value = ParseOctal(digits, length, notNumber); break;
            case 'b': case 'B': value = ParseBinary(digits, length, notNumber); break;
            default:
                // An unknown base is no number, so IsNumeric does not take it for one.
                if (notNumber) *notNumber = true;
                return 0.0;
        }
        return static_cast<int32_t>(value);
    }
    if (notNumber) *notNumber = !IsCompleteNumber(text);
    return ReadLeadingNumber(text);
}

}  // namespace numbertext
