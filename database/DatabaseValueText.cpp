#include "DatabaseValueText.h"

#include <windows.h>

#include <cmath>
#include <string>

#include "core/Platform.h"
#include "core/EncodingConversion.h"
#include "values/NumberFormat.h"

namespace {

string FromStd(const std::string& text) {
    string result;
    result.SetBytes(text.data(), static_cast<int32_t>(text.size()));
    result.SetEncoding(kEncodingASCII);
    return result;
}

// The system's text of the date or time in the user's default locale, or the fallback when the
// system refuses it.
string SystemFormatted(bool date, const SYSTEMTIME& time, const char* picture, const char* fallback) {
    if (IsUnicodePlatform()) {
        wchar_t widePicture[32];
        int n = 0;
        for (; picture[n]; ++n) widePicture[n] = static_cast<wchar_t>(picture[n]);
        widePicture[n] = 0;
        wchar_t buffer[64];
        const int length = date ? GetDateFormatW(LOCALE_USER_DEFAULT, 0, &time, widePicture, buffer, 64)
                                : GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &time, widePicture, buffer, 64);
        if (length <= 1) return string(fallback);
        string result;
        result.SetWideText(reinterpret_cast<const uint16_t*>(buffer), length - 1);
        return result.ToUTF8();
    }
    char buffer[64];
    const int length = date ? GetDateFormatA(LOCALE_USER_DEFAULT, 0, &time, picture, buffer, 64)
                            : GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &time, picture, buffer, 64);
    if (length <= 1) return string(fallback);
    string result;
    result.SetBytes(buffer, length - 1);
    result.SetEncoding(SystemTextEncoding());
    return result;
}

SYSTEMTIME Time(int32_t year, int32_t month, int32_t day, int32_t hour, int32_t minute, int32_t second) {
    SYSTEMTIME time = {};
    time.wYear = static_cast<WORD>(year);
    time.wMonth = static_cast<WORD>(month);
    time.wDay = static_cast<WORD>(day);
    time.wHour = static_cast<WORD>(hour);
    time.wMinute = static_cast<WORD>(minute);
    time.wSecond = static_cast<WORD>(second);
    return time;
}

constexpr const char* kDateFallback = "0-00-00";
constexpr const char* kTimeFallback = "00:00:00";

}  // namespace

string DBDoubleText(double value, int digits) {
    return FromStd(numbertext::FormatDouble(value, numbertext::kAutomatic, digits));
}

string DBIntegerText(int32_t value) { return FromStd(std::to_string(value)); }

string DBBooleanText(bool value) { return string(value ? "true" : "false"); }

bool DBTextIsTrue(const string& text) {
    const char first = text.Length() > 0 ? text.CString()[0] : 0;
    return first == 't' || first == 'T';
}

int32_t DBTruncatedInteger(double value) {
    if (!(value > -2147483649.0 && value < 2147483648.0)) return INT32_MIN;
    return static_cast<int32_t>(value);
}

string DBDateText(int32_t year, int32_t month, int32_t day) {
    return SystemFormatted(true, Time(year, month, day, 0, 0, 0), "yyyy-MM-dd", kDateFallback);
}

string DBTimeText(int32_t hour, int32_t minute, int32_t second) {
    // The date part only has to be one the system accepts.
    return SystemFormatted(false, Time(2000, 1, 1, hour, minute, second), "HH':'mm':'ss",
                           kTimeFallback);
}

string DBTimeStampText(const uint16_t f[6]) {
    string text = DBDateText(f[0], f[1], f[2]);
    text.AppendCString(" ");
    text.Append(DBTimeText(f[3], f[4], f[5]));
    return text;
}
