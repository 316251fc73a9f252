// The language's Date: a local calendar date and time of day held by a DateImp, normalised lazily
// after out-of-range fields are set, converted to and from TotalSeconds (seconds since
// 1904-01-01 00:00:00), file times, the locale's texts and the SQL forms.
#pragma once

#include <cstdint>

#include "core/ClassDefinition.h"
#include "core/GuardedMemory.h"
#include "core/ObjectModel.h"
#include "core/RuntimeString.h"

// Field indexes of SetField, GetField and the property rows.
enum DateField : int32_t {
    kDateYear, kDateMonth, kDateDay, kDateHour, kDateMinute, kDateSecond,
    kDateDayOfWeek, kDateDayOfYear, kDateWeekOfYear,
};
// String indexes of GetDateString.
enum DateString : int32_t { kShortDate, kLongDate, kAbbreviatedDate, kShortTime, kLongTime };

class DateImp : public RuntimeAllocated {
public:
    virtual ~DateImp() = default;
    virtual void Normalize() = 0;
    virtual void SetToNow() = 0;
    virtual void SetField(int32_t index, int32_t value) = 0;
    virtual int32_t GetField(int32_t index) = 0;
    virtual void GetDateString(string* result, int32_t index) = 0;
    virtual double GetTotalSeconds() = 0;
    virtual void SetTotalSeconds(double seconds) = 0;
    virtual bool ParseDate(const string&) { return false; }
    virtual void SetFileTime(int64_t fileTime) = 0;
    virtual bool GetFileTime(int64_t* fileTime) = 0;

    uint8_t isSet = 0;
    uint8_t changed = 0;
    int16_t day = 0;
    int16_t month = 0;
    int16_t year = 0;
    int16_t hour = 0;
    int16_t minute = 0;
    int16_t second = 0;
    int16_t dayOfWeek = 0;
    int16_t milliseconds = 0;
    uint8_t normalising = 0;
};

DateImp* NewDateImp();

struct DateObject {
    ObjectHeader header;
    DateImp* imp;
};

ObjectDefinition* GetDateDefinition();

// A new Date; year, month and day are set only when all three are non-zero.
ObjectHeader* NewDateFromFields(int32_t year, int32_t month, int32_t day, int32_t hour,
                                int32_t minute, int32_t second);
ObjectHeader* NewDateFromSQLDateTime(const string& text);
void DateToSQLDateTime(string* result, ObjectHeader* date);

extern "C" {
void AutoInitDate(ObjectHeader* date);
void DateFinalizer(ObjectHeader* date);
int32_t dateFieldGetter(ObjectHeader* date, int32_t index);
void dateFieldSetter(ObjectHeader* date, int32_t index, int32_t value);
StringRecord* dateStringGetter(ObjectHeader* date, int32_t index);
double dateTotalSecondsGetter(ObjectHeader* date, int32_t parameter);
void dateTotalSecondsSetter(ObjectHeader* date, int32_t parameter, double seconds);
StringRecord* dateSQLDateGetter(ObjectHeader* date, int32_t parameter);
StringRecord* dateSQLDateTimeGetter(ObjectHeader* date, int32_t parameter);
void dateSQLDateSetter(ObjectHeader* date, int32_t parameter, StringRecord* text);
void dateSQLDateTimeSetter(ObjectHeader* date, int32_t parameter, StringRecord* text);
int32_t DateCompare(ObjectHeader* a, ObjectHeader* b);
// The global ParseDate: on success the variable gets a new Date (its old one released) and 1.
int32_t parseDate(StringRecord* text, ObjectHeader** date);
}
