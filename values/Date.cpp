#include "values/Date.h"

#include <windows.h>

#include <cmath>
#include <string_view>

#include "core/ByteUtilities.h"
#include "core/DefinitionConversion.h"
#include "core/Exceptions.h"
#include "core/FailureReport.h"
#include "core/IntrinsicTypes.h"
#include "values/DateCalendar.h"
#include "core/EncodingConversion.h"
#include "values/NumberFormat.h"

namespace {

constexpr const char* kImpSource = "DateImpWin32";
constexpr const char* kCommonSource = "DateCommon";

const int64_t kDays1904 = DaysFromCivil(1904, 1, 1);

// Carries value into next by limit, keeping value in 0 .. limit - 1.
void Carry(int32_t& value, int32_t& next, int32_t limit) {
    int32_t quotient = value / limit;
    if (value % limit < 0) --quotient;
    next += quotient;
    value -= quotient * limit;
}

SYSTEMTIME AsSystemTime(const DateImp& d) {
    SYSTEMTIME t{};
    t.wYear = static_cast<WORD>(d.year);
    t.wMonth = static_cast<WORD>(d.month);
    t.wDay = static_cast<WORD>(d.day);
    t.wHour = static_cast<WORD>(d.hour);
    t.wMinute = static_cast<WORD>(d.minute);
    t.wSecond = static_cast<WORD>(d.second);
    t.wMilliseconds = static_cast<WORD>(d.milliseconds);
    t.wDayOfWeek = static_cast<WORD>(d.dayOfWeek - 1);
    return t;
}

std::string LocaleText(LCTYPE type) {
    char buffer[256] = {};
    const int length = GetLocaleInfoA(LOCALE_USER_DEFAULT, type, buffer, sizeof buffer);
    return length > 1 ? std::string(buffer, static_cast<size_t>(length - 1)) : std::string();
}

// "MMMM" becomes "MMM" and "dddd" becomes "ddd" outside quotes, until nothing changes.
std::string AbbreviatedPicture(std::string picture) {
    for (;;) {
        std::string out;
        for (size_t i = 0; i < picture.size();) {
            if (picture[i] == '\'') {
                const size_t end = picture.find('\'', i + 1);
                const size_t stop = end == std::string::npos ? picture.size() : end + 1;
                out.append(picture, i, stop - i);
                i = stop;
            } else if (picture.compare(i, 4, "MMMM") == 0 || picture.compare(i, 4, "dddd") == 0) {
                out.append(picture, i, 3);
                i += 4;
            } else {
                out.push_back(picture[i++]);
            }
        }
        if (out.size() == picture.size()) return out;
        picture = out;
    }
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const char x = a[i] >= 'A' && a[i] <= 'Z' ? a[i] | 0x20 : a[i];
        const char y = b[i] >= 'A' && b[i] <= 'Z' ? b[i] | 0x20 : b[i];
        if (x != y) return false;
    }
    return true;
}

class DateImpWin32 final : public DateImp {
public:
    void Normalize() override {
        if (!changed || normalising) return;
        normalising = 1;
        int32_t s = second, mi = minute, h = hour, d = day, m = month - 1, y = year;
        Carry(s, mi, 60);
        Carry(mi, h, 60);
        Carry(h, d, 24);
        Carry(m, y, 12);
        second = static_cast<int16_t>(s);
        minute = static_cast<int16_t>(mi);
        hour = static_cast<int16_t>(h);
        month = static_cast<int16_t>(m + 1);
        year = static_cast<int16_t>(y);
        day = 1;
        // The day carries through the day count, which every year a Date can hold fits.
        SetDays(DaysFromCivil(year, month, 1) + d - 1);
        isSet = 1;
        changed = 0;
        normalising = 0;
    }

    void SetToNow() override {
        if (isSet) return;
        SYSTEMTIME now;
        GetLocalTime(&now);
        SetFromSystemTime(now);
        isSet = 1;
    }

    void SetField(int32_t index, int32_t value) override {
        changed = 1;
        const int16_t low = static_cast<int16_t>(value);
        switch (index) {
            case kDateYear: year = low; break;
            case kDateMonth: month = low; break;
            case kDateDay: day = low; break;
            case kDateHour: hour = low; break;
            case kDateMinute: minute = low; break;
            case kDateSecond:
                second = low;
                milliseconds = 0;
                break;
            default:
                ReportFailure(kFailureCode, kFailedAssertion, kImpSource, __LINE__, "0",
                              "Trying to set a non-existant long field on a date.");
        }
    }

    int32_t GetField(int32_t index) override {
        Read();
        switch (index) {
            case kDateYear: return year;
            case kDateMonth: return month;
            case kDateDay: return day;
            case kDateHour: return hour;
            case kDateMinute: return minute;
            case kDateSecond: return second;
            case kDateDayOfWeek: return dayOfWeek;
            case kDateDayOfYear: return static_cast<int32_t>(DayOfYearIndex()) + 1;
            case kDateWeekOfYear: {
                const int64_t january1 = DaysFromCivil(year, 1, 1);
                return static_cast<int32_t>((DayOfYearIndex() + WeekdayOfDays(january1)) / 7.0 + 1.0);
            }
            default:
                ReportFailure(kFailureCode, kFailedAssertion, kImpSource, __LINE__, "0",
                              "You are trying to get a field on a date that does not exist.");
                return 0;
        }
    }

    void GetDateString(string* result, int32_t index) override {
        Read();
        const SYSTEMTIME t = AsSystemTime(*this);
        char buffer[256] = {};
        int length = 0;
        switch (index) {
            case kShortDate:
                length = GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &t, nullptr, buffer, 256);
                break;
            case kLongDate:
                length = GetDateFormatA(LOCALE_USER_DEFAULT, DATE_LONGDATE, &t, nullptr, buffer, 256);
                break;
            case kAbbreviatedDate: {
                const std::string picture = AbbreviatedPicture(LocaleText(LOCALE_SLONGDATE));
                length = GetDateFormatA(LOCALE_USER_DEFAULT, 0, &t, picture.c_str(), buffer, 256);
                break;
            }
            case kShortTime:
                length = GetTimeFormatA(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &t, nullptr, buffer, 256);
                break;
            case kLongTime:
                length = GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &t, nullptr, buffer, 256);
                break;
            default:
                ReportFailure(kFailureCode, kFailedAssertion, kImpSource, __LINE__, "0",
                              "You are trying to get a non-existant date string.");
        }
        string text;
        if (length > 1) {
            text.SetBytes(buffer, length - 1);
            text.SetEncoding(SystemTextEncoding());
        }
        *result = text;
    }

    double GetTotalSeconds() override {
        Read();
        const int64_t days = DaysFromCivil(year, month, day) - kDays1904;
        return static_cast<double>(days * 86400 + hour * 3600 + minute * 60 + second) +
               milliseconds / 1000.0;
    }

    void SetTotalSeconds(double seconds) override {
        // Far beyond any year a Date can hold (or not a number): the fields stay.
        if (!(seconds > -1e15 && seconds < 1e15)) return;
        // Whole seconds and the fraction apart, so that far years keep their milliseconds.
        const double whole = std::floor(seconds);
        const int64_t total = static_cast<int64_t>(whole);
        int64_t days = total / 86400, rest = total % 86400;
        if (rest < 0) {
            rest += 86400;
            --days;
        }
        SetDays(kDays1904 + days);
        hour = static_cast<int16_t>(rest / 3600);
        minute = static_cast<int16_t>(rest / 60 % 60);
        second = static_cast<int16_t>(rest % 60);
        milliseconds = static_cast<int16_t>((seconds - whole) * 1000.0);
        isSet = 1;
        changed = 0;
    }

    bool ParseDate(const string& text) override;

    void SetFileTime(int64_t fileTime) override {
        SYSTEMTIME utc, local;
        FILETIME ft;
        ft.dwLowDateTime = static_cast<DWORD>(fileTime);
        ft.dwHighDateTime = static_cast<DWORD>(static_cast<uint64_t>(fileTime) >> 32);
        // The zone's rule for that date, so that a summer file time reads in summer time.
        if (FileTimeToSystemTime(&ft, &utc) && SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local))
            SetFromSystemTime(local);
        else
            SetFromFields(FieldsFromFileTime(fileTime));
        changed = 1;
        isSet = 1;
    }

    bool GetFileTime(int64_t* fileTime) override {
        Read();
        SYSTEMTIME local = AsSystemTime(*this), utc;
        FILETIME ft;
        if (!TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc) || !SystemTimeToFileTime(&utc, &ft))
            return false;
        *fileTime = static_cast<int64_t>((static_cast<uint64_t>(ft.dwHighDateTime) << 32) |
                                         ft.dwLowDateTime);
        return true;
    }

private:
    void Read() {
        SetToNow();
        Normalize();
    }

    CalendarFields Fields() const {
        return {year, month, day, hour, minute, second, milliseconds, dayOfWeek};
    }

    void SetFromFields(const CalendarFields& f) {
        year = static_cast<int16_t>(f.year);
        month = static_cast<int16_t>(f.month);
        day = static_cast<int16_t>(f.day);
        hour = static_cast<int16_t>(f.hour);
        minute = static_cast<int16_t>(f.minute);
        second = static_cast<int16_t>(f.second);
        milliseconds = static_cast<int16_t>(f.milliseconds);
        dayOfWeek = static_cast<int16_t>(f.dayOfWeek);
    }

    void SetFromSystemTime(const SYSTEMTIME& t) {
        SetFromFields({t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds,
                       t.wDayOfWeek + 1});
    }

    // Year, month, day and day of week from a day count; the time stays.
    void SetDays(int64_t days) {
        const CalendarFields f = FieldsFromDays(days);
        year = static_cast<int16_t>(f.year);
        month = static_cast<int16_t>(f.month);
        day = static_cast<int16_t>(f.day);
        dayOfWeek = static_cast<int16_t>(f.dayOfWeek);
    }

    int64_t DayOfYearIndex() const {
        return DaysFromCivil(year, month, day) - DaysFromCivil(year, 1, 1);
    }
};

bool DateImpWin32::ParseDate(const string& text) {
    SetToNow();
    // Positions of month, day and year in the locale's short-date picture.
    const std::string picture = LocaleText(LOCALE_SSHORTDATE);
    int position[3] = {-1, -1, -1};  // M, d, y
    int next = 0;
    for (char c : picture) {
        const int which = c == 'M' ? 0 : c == 'd' ? 1 : c == 'y' ? 2 : -1;
        if (which >= 0 && position[which] < 0) position[which] = next++;
    }
    for (int& p : position)
        if (p < 0) p = next++;

    const std::string_view bytes(text.CString(), static_cast<size_t>(text.Length()));
    std::string parts[3];
    int partCount = 0, monthPart = -1;
    for (size_t i = 0; i < bytes.size() && partCount < 3;) {
        auto isDigit = [&](size_t j) { return bytes[j] >= '0' && bytes[j] <= '9'; };
        auto isLetter = [&](size_t j) {
            return (bytes[j] >= 'A' && bytes[j] <= 'Z') || (bytes[j] >= 'a' && bytes[j] <= 'z');
        };
        size_t j = i;
        if (isDigit(i)) {
            while (j < bytes.size() && isDigit(j)) ++j;
            parts[partCount++] = std::string(bytes.substr(i, j - i));
        } else if (isLetter(i)) {
            while (j < bytes.size() && isLetter(j)) ++j;
            if (j - i >= 3 && monthPart < 0) {
                monthPart = partCount;
                parts[partCount++] = std::string(bytes.substr(i, 3));
            }
        } else {
            ++j;
        }
        i = j;
    }
    if (partCount < 3) return false;

    int32_t newMonth, newDay, newYear;
    std::string dayText, yearText;
    if (monthPart < 0) {
        newMonth = CStringToInteger(parts[position[0]].c_str());
        dayText = parts[position[1]];
        yearText = parts[position[2]];
    } else {
        newMonth = 0;
        for (int m = 1; m <= 12 && newMonth == 0; ++m) {
            const std::string name = LocaleText(LOCALE_SMONTHNAME1 + m - 1).substr(0, 3);
            if (EqualNoCase(name, parts[monthPart])) newMonth = m;
        }
        std::string others[2];
        int n = 0;
        for (int p = 0; p < 3; ++p)
            if (p != monthPart) others[n++] = parts[p];
        const bool dayFirst = position[1] < position[2];
        dayText = dayFirst ? others[0] : others[1];
        yearText = dayFirst ? others[1] : others[0];
    }
    newDay = CStringToInteger(dayText.c_str());
    newYear = CStringToInteger(yearText.c_str());
    if (yearText.size() <= 2) {
        SYSTEMTIME utc;
        GetSystemTime(&utc);
        newYear += utc.wYear / 100 * 100;
    }
    if (!IsValidDate(newYear, newMonth, newDay) || newYear > 32767) return false;
    // The parsed date always starts at midnight, also when it is the date already held.
    day = static_cast<int16_t>(newDay);
    month = static_cast<int16_t>(newMonth);
    year = static_cast<int16_t>(newYear);
    hour = minute = second = milliseconds = 0;
    changed = 1;
    return true;
}

DateImp* Imp(ObjectHeader* date) {
    return date ? reinterpret_cast<DateObject*>(date)->imp : nullptr;
}

string Padded(int32_t value, const char* picture) {
    const std::string text = numbertext::FormatWithPicture(value, picture, false, ",", ".");
    string s;
    s.SetBytes(text.data(), static_cast<int32_t>(text.size()));
    s.SetEncoding(kEncodingASCII);
    return s;
}

string SQLDate(DateImp* imp) {
    string text = Padded(imp->GetField(kDateYear), "0000");
    text.Append(string("-"));
    text.Append(Padded(imp->GetField(kDateMonth), "00"));
    text.Append(string("-"));
    text.Append(Padded(imp->GetField(kDateDay), "00"));
    text.SetEncoding(kEncodingASCII);
    return text;
}

// The pieces of text between separators.
int SplitFields(std::string_view text, char separator, std::string (&fields)[3]) {
    int count = 0;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find(separator, start);
        const std::string_view piece = text.substr(start, end == std::string_view::npos ? end : end - start);
        if (count < 3) fields[count] = std::string(piece);
        ++count;
        if (end == std::string_view::npos) return count;
        start = end + 1;
    }
}

void RaiseUnsupportedFormat() { RaiseExceptionDefinition(UnsupportedFormatException()); }

PropertyEntry FieldRow(const char* name, int32_t index, bool settable) {
    return {kRowAttr4, name, AsType(&kIntegerType), RowFunction(dateFieldGetter), "dateFieldGetter",
            settable ? RowFunction(dateFieldSetter) : nullptr,
            settable ? "dateFieldSetter" : nullptr, index, 0};
}

PropertyEntry StringRow(const char* name, int32_t index) {
    return {kRowAttr4, name, AsType(&kStringType), RowFunction(dateStringGetter), "dateStringGetter",
            nullptr, nullptr, index, 0};
}

PropertyEntry kDateProperties[] = {
    FieldRow("Year", kDateYear, true),
    FieldRow("Month", kDateMonth, true),
    FieldRow("Day", kDateDay, true),
    FieldRow("Hour", kDateHour, true),
    FieldRow("Minute", kDateMinute, true),
    FieldRow("Second", kDateSecond, true),
    FieldRow("DayOfWeek", kDateDayOfWeek, false),
    FieldRow("DayOfYear", kDateDayOfYear, false),
    FieldRow("WeekOfYear", kDateWeekOfYear, false),
    StringRow("ShortDate", kShortDate),
    StringRow("LongDate", kLongDate),
    StringRow("AbbreviatedDate", kAbbreviatedDate),
    StringRow("ShortTime", kShortTime),
    StringRow("LongTime", kLongTime),
    {kRowAttr4, "TotalSeconds", AsType(&kDoubleType), RowFunction(dateTotalSecondsGetter),
     "dateTotalSecondsGetter", RowFunction(dateTotalSecondsSetter), "dateTotalSecondsSetter", 0, 0},
    {kRowAttr4, "SQLDate", AsType(&kStringType), RowFunction(dateSQLDateGetter), "dateSQLDateGetter",
     RowFunction(dateSQLDateSetter), "dateSQLDateSetter", 0, 0},
    {kRowAttr4, "SQLDateTime", AsType(&kStringType), RowFunction(dateSQLDateTimeGetter),
     "dateSQLDateTimeGetter", RowFunction(dateSQLDateTimeSetter), "dateSQLDateTimeSetter", 0, 0},
};

// The parameter's type, Date itself, is set when the definition is first filled.
ParameterEntry kCompareParameters[] = {{"someDate", nullptr, 0, 0, 0, 0}};

MethodEntry kDateMethods[] = {
    {"Operator_Compare", AsType(&kIntegerType), kCompareParameters, 1,
     Function(DateCompare, "DateCompare"), {}, kMethodPlain, kRowAttr4, 0},
};

const ClassRows kDateRows = {
    .className = "Date",
    .superclass = nullptr,
    .objectSize = sizeof(DateObject),
    .initializer = Function(AutoInitDate, "AutoInitDate"),
    .finalizer = Function(DateFinalizer, "DateFinalizer"),
    .properties = kDateProperties,
    .methods = kDateMethods,
};

}  // namespace

DateImp* NewDateImp() { return new DateImpWin32(); }

ObjectDefinition* GetDateDefinition() {
    static ObjectDefinition definition;
    if (!kCompareParameters[0].parameterType) kCompareParameters[0].parameterType = definition.AsType();
    return FillClassDefinition(definition, kDateRows);
}

ObjectHeader* NewDateFromFields(int32_t year, int32_t month, int32_t day, int32_t hour,
                                int32_t minute, int32_t second) {
    ObjectHeader* date = CreateInstance(GetDateDefinition());
    if (!date || !Imp(date)) {
        ReportFailure(kFailureCode, kFailedAssertion, kCommonSource, __LINE__, "rv", nullptr);
        return date;
    }
    DateImp* imp = Imp(date);
    if (year && month && day) {
        imp->SetField(kDateYear, year);
        imp->SetField(kDateMonth, month);
        imp->SetField(kDateDay, day);
    }
    imp->SetField(kDateHour, hour);
    imp->SetField(kDateMinute, minute);
    imp->SetField(kDateSecond, second);
    return date;
}

ObjectHeader* NewDateFromSQLDateTime(const string& text) {
    ObjectHeader* date = CreateInstance(GetDateDefinition());
    if (!date || !Imp(date)) {
        ReportFailure(kFailureCode, kFailedAssertion, kCommonSource, __LINE__, "rv", nullptr);
        return date;
    }
    dateSQLDateTimeSetter(date, 0, text.Record());
    return date;
}

void DateToSQLDateTime(string* result, ObjectHeader* date) {
    if (!date) {
        ReportFailure(kFailureCode, kFailedAssertion, kCommonSource, __LINE__, "date", nullptr);
        new (result) string();
        return;
    }
    new (result) string(string::Adopt(dateSQLDateTimeGetter(date, 0)));
}

extern "C" {

void AutoInitDate(ObjectHeader* date) {
    if (!date) return;
    DateObject* fields = reinterpret_cast<DateObject*>(date);
    if (!fields->imp) fields->imp = NewDateImp();
    fields->imp->SetToNow();
}

void DateFinalizer(ObjectHeader* date) {
    if (!date) return;
    DateObject* fields = reinterpret_cast<DateObject*>(date);
    delete fields->imp;
    fields->imp = nullptr;
}

int32_t dateFieldGetter(ObjectHeader* date, int32_t index) {
    DateImp* imp = Imp(date);
    return imp ? imp->GetField(index) : 0;
}

void dateFieldSetter(ObjectHeader* date, int32_t index, int32_t value) {
    if (DateImp* imp = Imp(date)) imp->SetField(index, value);
}

StringRecord* dateStringGetter(ObjectHeader* date, int32_t index) {
    DateImp* imp = Imp(date);
    if (!imp) return nullptr;
    string text;
    imp->GetDateString(&text, index);
    return text.Detach();
}

double dateTotalSecondsGetter(ObjectHeader* date, int32_t) {
    DateImp* imp = Imp(date);
    return imp ? imp->GetTotalSeconds() : 0.0;
}

void dateTotalSecondsSetter(ObjectHeader* date, int32_t, double seconds) {
    if (DateImp* imp = Imp(date)) imp->SetTotalSeconds(seconds);
}

StringRecord* dateSQLDateGetter(ObjectHeader* date, int32_t) {
    DateImp* imp = Imp(date);
    return imp ? SQLDate(imp).Detach() : nullptr;
}

StringRecord* dateSQLDateTimeGetter(ObjectHeader* date, int32_t) {
    DateImp* imp = Imp(date);
    if (!imp) return nullptr;
    string text = SQLDate(imp);
    text.Append(string(" "));
    text.Append(Padded(imp->GetField(kDateHour), "00"));
    text.Append(string(":"));
    text.Append(Padded(imp->GetField(kDateMinute), "00"));
    text.Append(string(":"));
    text.Append(Padded(imp->GetField(kDateSecond), "00"));
    text.SetEncoding(kEncodingASCII);
    return text.Detach();
}

void dateSQLDateSetter(ObjectHeader* date, int32_t, StringRecord* record) {
    DateImp* imp = Imp(date);
    if (!imp) return;
    const string text(record);
    std::string fields[3];
    if (SplitFields(std::string_view(text.CString(), size_t(text.Length())), '-', fields) != 3) {
        RaiseUnsupportedFormat();
        return;
    }
    imp->SetField(kDateYear, CStringToInteger(fields[0].c_str()));
    imp->SetField(kDateMonth, CStringToInteger(fields[1].c_str()));
    imp->SetField(kDateDay, CStringToInteger(fields[2].substr(0, 2).c_str()));
}

void dateSQLDateTimeSetter(ObjectHeader* date, int32_t, StringRecord* record) {
    DateImp* imp = Imp(date);
    if (!imp) return;
    const string text(record);
    const std::string_view bytes(text.CString(), size_t(text.Length()));
    const size_t blank = bytes.find(' ');
    const std::string_view datePart = bytes.substr(0, blank);
    std::string_view timePart;
    if (blank != std::string_view::npos) {
        timePart = bytes.substr(blank + 1);
        timePart = timePart.substr(0, timePart.find(' '));
    }
    std::string d[3], t[3] = {"0", "0", "0"};
    if (SplitFields(datePart, '-', d) != 3 || (!timePart.empty() && SplitFields(timePart, ':', t) != 3)) {
        RaiseUnsupportedFormat();
        return;
    }
    imp->SetField(kDateYear, CStringToInteger(d[0].c_str()));
    imp->SetField(kDateMonth, CStringToInteger(d[1].c_str()));
    imp->SetField(kDateDay, CStringToInteger(d[2].c_str()));
    imp->SetField(kDateHour, CStringToInteger(t[0].c_str()));
    imp->SetField(kDateMinute, CStringToInteger(t[1].c_str()));
    imp->SetField(kDateSecond, CStringToInteger(t[2].c_str()));
}

int32_t DateCompare(ObjectHeader* a, ObjectHeader* b) {
    if (!a || !b) return (a ? 1 : 0) - (b ? 1 : 0);
    const double x = dateTotalSecondsGetter(a, 0), y = dateTotalSecondsGetter(b, 0);
    return x < y ? -1 : (x > y ? 1 : 0);
}

int32_t parseDate(StringRecord* text, ObjectHeader** date) {
    ObjectHeader* parsed = CreateInstance(GetDateDefinition());
    if (!parsed) return 0;
    if (!Imp(parsed) || !Imp(parsed)->ParseDate(string(text))) {
        RuntimeUnlockObject(parsed);
        return 0;
    }
    RuntimeUnlockObject(*date);
    *date = parsed;
    return 1;
}

}
