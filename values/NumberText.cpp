#include "values/NumberText.h"

#include <windows.h>

#include <string_view>

#include "core/Platform.h"
#include "core/StringUtilities.h"
#include "core/EncodingConversion.h"
#include "core/NumberConversion.h"
#include "values/NumberFormat.h"
#include "values/NumberParse.h"
#include "values/StringLibrary.h"

namespace {

std::string_view Bytes(const string& s) {
    return std::string_view(s.CString(), static_cast<size_t>(s.Length()));
}

string AsciiString(const std::string& text) {
    string s;
    s.SetBytes(text.data(), static_cast<int32_t>(text.size()));
    s.SetEncoding(kEncodingASCII);
    return s;
}

// UTF-16 and the other tags of its family are read as UTF-8.
string ReadableText(const string& s) {
    const uint32_t tag = s.Encoding();
    if (tag != kEncodingUTF8 && (tag & 0x100)) return ConvertStringEncoding(s, kEncodingUTF8);
    return s;
}

// Four characters is the longest these settings may be.
string LocaleSetting(LCTYPE type) {
    string setting;
    if (IsUnicodePlatform()) {
        wchar_t buffer[4] = {};
        const int length = GetLocaleInfoW(LOCALE_USER_DEFAULT, type, buffer, 4);
        if (length <= 1) return setting;
        setting.SetWideText(reinterpret_cast<const uint16_t*>(buffer), length - 1);
    } else {
        char buffer[4] = {};
        const int length = GetLocaleInfoA(LOCALE_USER_DEFAULT, type, buffer, 4);
        if (length <= 1) return setting;
        setting.SetBytes(buffer, length - 1);
        setting.SetEncoding(SystemTextEncoding());
    }
    return setting.ToUTF8();
}

// The text with the user's thousands separators dropped and the decimal separator made a ".".
string WithPlainSeparators(const string& s) {
    string thousands, decimal;
    GetLocaleSeparators(&thousands, &decimal, nullptr, nullptr);
    string text = s;
    if (!thousands.IsEmpty()) text = ReplaceAllText(text, thousands, string());
    if (!decimal.IsEmpty()) text = ReplaceAllText(text, decimal, string("."));
    return text;
}

bool EqualsNoCase(const char* a, const char* b, int n) {
    for (int i = 0; i < n; ++i)
        if ((a[i] | 0x20) != (b[i] | 0x20)) return false;
    return true;
}

bool IsSpecialValueText(std::string_view text) {
    auto special = [&] { return EqualsNoCase(text.data(), "nan", 3) || EqualsNoCase(text.data(), "inf", 3); };
    if (text.size() == 3) return special();
    if (text.size() == 8 && special() && text[3] == '(' && text[7] == ')') {
        for (int i = 4; i < 7; ++i)
            if (text[i] < '0' || text[i] > '9') return false;
        return true;
    }
    return false;
}

}  // namespace

void GetLocaleSeparators(string* thousands, string* decimal, string* date, string* time) {
    if (thousands) *thousands = LocaleSetting(LOCALE_STHOUSAND);
    if (decimal) *decimal = LocaleSetting(LOCALE_SDECIMAL);
    if (date) *date = LocaleSetting(LOCALE_SDATE);
    if (time) *time = LocaleSetting(LOCALE_STIME);
}

string SingleText(float x) {
    return AsciiString(numbertext::FormatDouble(x, numbertext::kAutomatic, 7));
}

string FormatCStr(double x) {
    string decimal;
    GetLocaleSeparators(nullptr, &decimal, nullptr, nullptr);
    const std::string text = numbertext::FormatDouble(x, numbertext::kAutomatic, 7);
    const size_t dot = text.find('.');
    if (dot == std::string::npos || decimal.IsEmpty()) return AsciiString(text);
    string result;
    const std::string_view separator = Bytes(decimal);
    const std::string joined = text.substr(0, dot) + std::string(separator) + text.substr(dot + 1);
    result.SetBytes(joined.data(), static_cast<int32_t>(joined.size()));
    result.SetEncoding(decimal.IsASCII() ? kEncodingASCII : kEncodingUTF8);
    return result;
}

string FormatWithSpec(double x, const string& picture) {
    string thousands, decimal;
    GetLocaleSeparators(&thousands, &decimal, nullptr, nullptr);
    const bool utf8Text = picture.Encoding() == kEncodingUTF8 && !picture.IsASCII();
    const std::string text = numbertext::FormatWithPicture(x, Bytes(picture), utf8Text,
                                                           Bytes(thousands), Bytes(decimal));
    string result;
    result.SetBytes(text.data(), static_cast<int32_t>(text.size()));
    result.SetEncoding(picture.IsEmpty() ? kEncodingASCII : picture.Encoding());
    return result;
}

double ParseNumber(const string& s, bool* notNumber) {
    if (s.IsEmpty()) {
        if (notNumber) *notNumber = true;
        return 0.0;
    }
    const string text = ReadableText(s);
    return numbertext::ParseNumberText(Bytes(text), notNumber);
}

bool IsNumericText(const string& s) {
    if (s.IsEmpty()) return false;
    if (IsSpecialValueText(Bytes(s))) return true;
    bool notNumber = true;
    ParseNumber(WithPlainSeparators(s), &notNumber);
    return !notNumber;
}

extern "C" StringRecord* StringStr(double x) {
    return AsciiString(numbertext::FormatDouble(x, numbertext::kAutomatic, 7)).Detach();
}

extern "C" StringRecord* StringFormat(double x, StringRecord* picture) {
    return FormatWithSpec(x, string(picture)).Detach();
}

extern "C" double StringVal(StringRecord* s) { return ParseNumber(string(s), nullptr); }

extern "C" double runCDbl(StringRecord* s) {
    if (!s) return 0.0;
    return ParseNumber(WithPlainSeparators(ReadableText(string(s))), nullptr);
}

extern "C" int32_t RuntimeTypeOfNumeric(StringRecord* s) {
    const std::string_view text = Bytes(string(s));
    const size_t n = text.size();
    if (n == 0) return 0;
    auto all = [&](size_t from, auto accept) {
        for (size_t i = from; i < n; ++i)
            if (!accept(text[i])) return false;
        return true;
    };
    auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    if (text[0] == '&') {
        if (n < 2) return 0;
        switch (text[1]) {
            case 'b': case 'B': return all(2, [](char c) { return c == '0' || c == '1'; }) ? 1 : 0;
            case 'o': case 'O': return all(2, [](char c) { return c >= '0' && c <= '7'; }) ? 1 : 0;
            case 'h': case 'H':
                return all(2, [](char c) {
                           return (c >= '0' && c <= '9') || ((c | 0x20) >= 'a' && (c | 0x20) <= 'f');
                       }) ? 1 : 0;
            default: return 0;
        }
    }
    if (!isDigit(text[0]) && text[0] != '.') return 0;
    size_t i = 0;
    double value = 0;
    bool digits = false, floating = false;
    for (; i < n && isDigit(text[i]); ++i, digits = true) value = value * 10 + (text[i] - '0');
    if (i < n && text[i] == '.') {
        floating = true;
        for (++i; i < n && isDigit(text[i]); ++i) digits = true;
    }
    if (digits && i < n && (text[i] == 'e' || text[i] == 'E')) {
        floating = true;
        ++i;
        if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
        while (i < n && isDigit(text[i])) ++i;
    }
    if (i != n) return 0;
    return (floating || value > 2147483647.0) ? 2 : 1;
}

extern "C" int32_t FPToInt(double x) { return TruncateToInt32(x); }
extern "C" int32_t SingleToInt(float x) { return TruncateToInt32(x); }
extern "C" double IntToFP(int32_t x) { return x; }

extern "C" StringRecord* RuntimeBin(int32_t value) {
    return FormatBinary(static_cast<uint32_t>(value)).Detach();
}
extern "C" StringRecord* RuntimeHex(int32_t value) {
    return FormatHex(static_cast<uint32_t>(value)).Detach();
}
extern "C" StringRecord* RuntimeOct(int32_t value) {
    return FormatOctal(static_cast<uint32_t>(value)).Detach();
}

extern "C" double RuntimeMicroseconds() { return static_cast<double>(GetTickCount()) * 1000.0; }
