// Numbers to text and back as compiled code calls them: Str, CStr's number text, Format, Val, CDbl,
// the user locale's separators, and the numeric tests and conversions of the runtime's globals.
#pragma once

#include <cstdint>

#include "core/RuntimeString.h"

// The user locale's separators, each as UTF-8 text; a null output is skipped.
void GetLocaleSeparators(string* thousands, string* decimal, string* date, string* time);

// Str's text with the user's decimal separator for the first ".".
string FormatCStr(double x);
// x by the Format picture, tagged with the picture's encoding (ASCII for the empty picture).
string FormatWithSpec(double x, const string& picture);
// A Single's text as plug-ins receive it: seven significant digits, tagged ASCII.
string SingleText(float x);
// Val's reading of a runtime string of any encoding; see numbertext::ParseNumberText.
double ParseNumber(const string& s, bool* notNumber);
// Whether a text is a number to IsNumeric: "NaN", "Inf" and their "(ddd)" forms, or a complete
// number once the user's thousands separators are dropped and the decimal one made a ".".
bool IsNumericText(const string& s);

extern "C" {
StringRecord* StringStr(double x);
StringRecord* StringFormat(double x, StringRecord* picture);
double StringVal(StringRecord* s);
double runCDbl(StringRecord* s);

// 0 not numeric, 1 an integer, 2 a floating-point number.
int32_t RuntimeTypeOfNumeric(StringRecord* s);
// Truncation toward zero; out of range gives the processor's integer-indefinite 0x80000000.
int32_t FPToInt(double x);
int32_t SingleToInt(float x);
double IntToFP(int32_t x);
StringRecord* RuntimeBin(int32_t value);
StringRecord* RuntimeHex(int32_t value);
StringRecord* RuntimeOct(int32_t value);
// Microseconds at the resolution of the millisecond tick count.
double RuntimeMicroseconds();
}
