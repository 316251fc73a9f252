// The text forms in which values cross the database engine interface: numbers in decimal,
// doubles with a fixed number of significant digits, booleans as "true" and "false", dates and
// times through the system's formatting with fixed pictures.
#pragma once

#include <cstdint>

#include "core/RuntimeString.h"

// Significant digits of the double texts: single values read, double values read, and every
// double written.
constexpr int kSingleDigits = 7;
constexpr int kDoubleDigits = 10;
constexpr int kWrittenDoubleDigits = 20;

string DBDoubleText(double value, int digits);
string DBIntegerText(int32_t value);
string DBBooleanText(bool value);

// Whether a text value reads as True: it equals "true" ignoring case or begins with "t" or "T".
bool DBTextIsTrue(const string& text);

// The value truncated toward zero; NaN and values beyond 32 bits give -2147483648.
int32_t DBTruncatedInteger(double value);

// The date as "yyyy-MM-dd" and the time as "HH':'mm':'ss" through the system's formatting in the
// user's default locale; "0-00-00" and "00:00:00" where the system refuses the value.
string DBDateText(int32_t year, int32_t month, int32_t day);
string DBTimeText(int32_t hour, int32_t minute, int32_t second);
// Both, joined by a space; " 00:00:00" stands for a refused time.
string DBTimeStampText(const uint16_t fields[6]);

// A big-endian 16-bit field of a date or time value.
inline uint16_t DBBigEndian16(const unsigned char* bytes) {
    return static_cast<uint16_t>((bytes[0] << 8) | bytes[1]);
}
