#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "RaisedExceptions.h"
#include "core/DefinitionConversion.h"
#include "values/Date.h"
#include "values/DateCalendar.h"

namespace {

std::string Text(StringRecord* record) {
    const string s = string::Adopt(record);
    return std::string(s.CString(), static_cast<size_t>(s.Length()));
}

class DateTest : public ::testing::Test {
protected:
    ObjectHeader* At(int32_t year, int32_t month, int32_t day, int32_t hour = 0,
                     int32_t minute = 0, int32_t second = 0) {
        ObjectHeader* date = NewDateFromFields(year, month, day, hour, minute, second);
        mDates.push_back(date);
        return date;
    }
    std::string SQL(ObjectHeader* date) { return Text(dateSQLDateTimeGetter(date, 0)); }
    ~DateTest() override {
        for (ObjectHeader* date : mDates) RuntimeUnlockObject(date);
    }
    std::vector<ObjectHeader*> mDates;
};

TEST_F(DateTest, SettersNormaliseLazily) {
    const struct {
        int32_t year, month, day, hour, minute, second;
        int32_t field, value;
        const char* expected;
    } cases[] = {
        {2005, 1, 31, 0, 0, 0, kDateMonth, 13, "2006-01-31 00:00:00"},
        {2005, 3, 15, 0, 0, 0, kDateDay, 0, "2005-02-28 00:00:00"},
        {2005, 1, 1, 10, 20, 30, kDateSecond, 75, "2005-01-01 10:21:15"},
        {2005, 1, 1, 10, 20, 30, kDateMinute, -60, "2005-01-01 09:00:30"},
        {2005, 1, 1, 0, 0, 0, kDateSecond, -1, "2004-12-31 23:59:59"},
        {2005, 1, 31, 0, 0, 0, kDateDay, 32, "2005-02-01 00:00:00"},
        {2005, 1, 15, 0, 0, 0, kDateMonth, -1, "2004-11-15 00:00:00"},
    };
    for (const auto& c : cases) {
        ObjectHeader* date = At(c.year, c.month, c.day, c.hour, c.minute, c.second);
        dateFieldSetter(date, c.field, c.value);
        EXPECT_EQ(SQL(date), c.expected) << c.field << " " << c.value;
    }
}

TEST_F(DateTest, DaysAndWeeksOfTheYear) {
    // 2005-01-01 was a Saturday: the Sunday after it starts week 2.
    ObjectHeader* january1 = At(2005, 1, 1);
    EXPECT_EQ(dateFieldGetter(january1, kDateDayOfYear), 1);
    EXPECT_EQ(dateFieldGetter(january1, kDateWeekOfYear), 1);
    EXPECT_EQ(dateFieldGetter(january1, kDateDayOfWeek), 7);
    ObjectHeader* sunday = At(2005, 1, 2);
    EXPECT_EQ(dateFieldGetter(sunday, kDateWeekOfYear), 2);
    EXPECT_EQ(dateFieldGetter(sunday, kDateDayOfWeek), 1);
    EXPECT_EQ(dateFieldGetter(At(2004, 12, 31), kDateDayOfYear), 366);
}

TEST_F(DateTest, TotalSecondsCountFrom1904) {
    EXPECT_EQ(dateTotalSecondsGetter(At(1904, 1, 1), 0), 0.0);
    EXPECT_EQ(dateTotalSecondsGetter(At(1904, 1, 2), 0), 86400.0);
    ObjectHeader* date = At(2000, 1, 1);
    dateTotalSecondsSetter(date, 0, 1.5);
    EXPECT_EQ(SQL(date), "1904-01-01 00:00:01");
    EXPECT_EQ(reinterpret_cast<DateObject*>(date)->imp->milliseconds, 500);

    // Years outside 1601 .. 30827 keep to the same calendar.
    for (int32_t year : {1200, 1, 31000}) {
        ObjectHeader* far = At(year, 2, 29 - (year % 4 != 0), 13, 14, 15);
        const double seconds = dateTotalSecondsGetter(far, 0);
        ObjectHeader* copy = At(2000, 1, 1);
        dateTotalSecondsSetter(copy, 0, seconds);
        EXPECT_EQ(SQL(copy), SQL(far)) << year;
        EXPECT_EQ(DateCompare(copy, far), 0) << year;
    }
    EXPECT_EQ(dateFieldGetter(At(1200, 1, 1), kDateDayOfWeek),
              WeekdayOfDays(DaysFromCivil(1200, 1, 1)) + 1);
}

TEST_F(DateTest, CompareOrdersNilFirst) {
    ObjectHeader* early = At(2005, 1, 1);
    ObjectHeader* late = At(2005, 1, 2);
    EXPECT_EQ(DateCompare(nullptr, early), -1);
    EXPECT_EQ(DateCompare(early, nullptr), 1);
    EXPECT_EQ(DateCompare(nullptr, nullptr), 0);
    EXPECT_EQ(DateCompare(early, late), -1);
    EXPECT_EQ(DateCompare(late, early), 1);
}

TEST_F(DateTest, SQLForms) {
    EXPECT_EQ(Text(dateSQLDateGetter(At(5, 7, 5), 0)), "0005-07-05");
    EXPECT_EQ(SQL(At(2005, 7, 5, 9, 3, 0)), "2005-07-05 09:03:00");

    RaisedExceptions raised;
    ObjectHeader* date = At(2000, 1, 1, 8, 9, 10);
    string withTime("2005-07-15 10:20:30");
    dateSQLDateSetter(date, 0, withTime.Record());
    EXPECT_EQ(SQL(date), "2005-07-15 08:09:10");
    string slashes("2005/07/15");
    dateSQLDateSetter(date, 0, slashes.Record());
    EXPECT_EQ(raised.Take(), "UnsupportedFormatException");
    EXPECT_EQ(SQL(date), "2005-07-15 08:09:10");

    string dateOnly("2006-08-16");
    dateSQLDateTimeSetter(date, 0, dateOnly.Record());
    EXPECT_EQ(SQL(date), "2006-08-16 00:00:00");
    string shortTime("2005-07-15 10:20");
    dateSQLDateTimeSetter(date, 0, shortTime.Record());
    EXPECT_EQ(raised.Take(), "UnsupportedFormatException");
    EXPECT_EQ(SQL(date), "2006-08-16 00:00:00");
    string full("2005-07-15 10:20:30");
    ObjectHeader* made = NewDateFromSQLDateTime(full);
    EXPECT_EQ(SQL(made), "2005-07-15 10:20:30");
    RuntimeUnlockObject(made);
    EXPECT_TRUE(raised.Names().empty());
}

// Runs under an M/d/yyyy locale as a test of its own.
TEST(DateParseUS, ParsesInTheLocaleOrder) {
    const char* language = std::getenv("LANG");
    if (!language || std::strncmp(language, "en_US", 5) != 0) GTEST_SKIP() << "needs LANG=en_US";
    ObjectHeader* date = nullptr;
    string numbers("7/15/05");
    ASSERT_EQ(parseDate(numbers.Record(), &date), 1);
    // Two digits of year take the current century.
    EXPECT_EQ(dateFieldGetter(date, kDateYear) % 100, 5);
    EXPECT_GE(dateFieldGetter(date, kDateYear), 2000);
    EXPECT_EQ(Text(dateSQLDateTimeGetter(date, 0)).substr(4), "-07-15 00:00:00");
    ObjectHeader* first = date;
    string named("15 Jul 2005");
    ASSERT_EQ(parseDate(named.Record(), &date), 1);
    EXPECT_NE(date, first);
    EXPECT_EQ(Text(dateSQLDateTimeGetter(date, 0)), "2005-07-15 00:00:00");
    ObjectHeader* kept = date;
    for (const char* bad : {"Jul 2005", "2/30/2005", "15 Foo 2005"}) {
        string text(bad);
        EXPECT_EQ(parseDate(text.Record(), &date), 0) << bad;
        EXPECT_EQ(date, kept);
    }
    // Today's date parsed still starts at midnight.
    ObjectHeader* now = NewDateFromFields(0, 0, 0, 13, 14, 15);
    const std::string iso = Text(dateSQLDateGetter(now, 0));
    const std::string us = std::to_string(std::stoi(iso.substr(5, 2))) + "/" +
                           std::to_string(std::stoi(iso.substr(8, 2))) + "/" + iso.substr(0, 4);
    string todayText(us.c_str());
    ASSERT_EQ(parseDate(todayText.Record(), &date), 1);
    EXPECT_EQ(Text(dateSQLDateTimeGetter(date, 0)), iso + " 00:00:00");
    RuntimeUnlockObject(now);
    RuntimeUnlockObject(date);
}

// Runs under a zone with daylight saving as a test of its own: file times are UTC.
TEST(DateFileTimeZone, FileTimesFollowTheZoneRuleOfTheirDate) {
    const char* zone = std::getenv("TZ");
    if (!zone || std::strcmp(zone, "Europe/Berlin") != 0) GTEST_SKIP() << "needs TZ=Europe/Berlin";
    const struct {
        int32_t month;
        const char* local;
    } cases[] = {{1, "2005-01-15 13:00:00"}, {7, "2005-07-15 14:00:00"}};
    for (const auto& c : cases) {
        CalendarFields utc{2005, c.month, 15, 12, 0, 0, 0, 0};
        const int64_t fileTime = FileTimeFromFields(utc);
        ObjectHeader* date = CreateInstance(GetDateDefinition());
        DateImp* imp = reinterpret_cast<DateObject*>(date)->imp;
        imp->SetFileTime(fileTime);
        EXPECT_EQ(Text(dateSQLDateTimeGetter(date, 0)), c.local);
        int64_t back = 0;
        EXPECT_TRUE(imp->GetFileTime(&back));
        EXPECT_EQ(back, fileTime);
        RuntimeUnlockObject(date);
    }
}

}  // namespace
