// The proleptic Gregorian calendar of every year a Date can hold, with file times (100-nanosecond
// units since 1601-01-01) extended below 1601 and past 30827 instead of failing there. Pure logic.
#pragma once

#include <cstdint>

struct CalendarFields {
    int32_t year, month, day, hour, minute, second, milliseconds;
    int32_t dayOfWeek;  // 1 Sunday .. 7 Saturday, set by FieldsFromFileTime
};

constexpr int64_t kFileTimeDay = 864000000000LL;
constexpr int64_t kFileTimeSecond = 10000000LL;

// Days since 1970-01-01 of a date; the month must be 1 .. 12, the day may be any.
int64_t DaysFromCivil(int64_t year, int32_t month, int32_t day);
// 0 Sunday .. 6 Saturday.
int32_t WeekdayOfDays(int64_t days);

// Year, month, day and day of week of a day count since 1970-01-01; the time fields are 0.
CalendarFields FieldsFromDays(int64_t days);

// File times reach from 1601 to 30828 only; Dates convert through day counts elsewhere.
int64_t FileTimeFromFields(const CalendarFields& fields);
CalendarFields FieldsFromFileTime(int64_t fileTime);
// Whether the date is a real day of the calendar (month 1 .. 12, day within the month).
bool IsValidDate(int32_t year, int32_t month, int32_t day);
