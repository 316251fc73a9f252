#include "values/DateCalendar.h"

namespace {

int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

const int64_t kDays1601 = DaysFromCivil(1601, 1, 1);

}  // namespace

int64_t DaysFromCivil(int64_t year, int32_t month, int32_t day) {
    year -= month <= 2;
    const int64_t era = FloorDiv(year, 400);
    const int64_t yearOfEra = year - era * 400;
    const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

int32_t WeekdayOfDays(int64_t days) {
    // 1970-01-01 was a Thursday.
    return static_cast<int32_t>(FloorDiv(days + 4, 7) * -7 + days + 4);
}

int64_t FileTimeFromFields(const CalendarFields& f) {
    const int64_t days = DaysFromCivil(f.year, f.month, f.day) - kDays1601;
    const int64_t seconds = days * 86400 + f.hour * 3600LL + f.minute * 60LL + f.second;
    return seconds * kFileTimeSecond + f.milliseconds * 10000LL;
}

CalendarFields FieldsFromFileTime(int64_t fileTime) {
    const int64_t days = FloorDiv(fileTime, kFileTimeDay);
    int64_t rest = fileTime - days * kFileTimeDay;
    CalendarFields f{};
    f.milliseconds = static_cast<int32_t>(rest % kFileTimeSecond / 10000);
    rest /= kFileTimeSecond;
    f.second = static_cast<int32_t>(rest % 60);
    f.minute = static_cast<int32_t>(rest / 60 % 60);
    f.hour = static_cast<int32_t>(rest / 3600);

    const CalendarFields date = FieldsFromDays(days + kDays1601);
    f.year = date.year;
    f.month = date.month;
    f.day = date.day;
    f.dayOfWeek = date.dayOfWeek;
    return f;
}

CalendarFields FieldsFromDays(int64_t days) {
    CalendarFields f{};
    const int64_t z = days + 719468;
    const int64_t era = FloorDiv(z, 146097);
    const int64_t dayOfEra = z - era * 146097;
    const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t mp = (5 * dayOfYear + 2) / 153;
    f.day = static_cast<int32_t>(dayOfYear - (153 * mp + 2) / 5 + 1);
    f.month = static_cast<int32_t>(mp < 10 ? mp + 3 : mp - 9);
    f.year = static_cast<int32_t>(yearOfEra + era * 400 + (f.month <= 2));
    f.dayOfWeek = WeekdayOfDays(days) + 1;
    return f;
}

bool IsValidDate(int32_t year, int32_t month, int32_t day) {
    if (month < 1 || month > 12 || day < 1) return false;
    const int32_t next = month == 12 ? 1 : month + 1;
    const int64_t length = DaysFromCivil(month == 12 ? year + 1 : year, next, 1) -
                           DaysFromCivil(year, month, 1);
    return day <= length;
}
