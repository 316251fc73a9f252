// Conversion of runtime strings between encodings through UTF-16 and the platform's code pages,
// the encoding of a join, and the system's default encoding.
#pragma once

#include <cstdint>

#include "core/RuntimeString.h"
#include "core/TextEncodings.h"

// The Windows code page of an encoding, or false (also when the platform lacks the code page).
// The variant is not used.
bool CodePageForEncoding(uint32_t& codePage, uint32_t value, int32_t variant, int32_t format);

// The empty string when a code page is missing or the platform conversion fails.
string ConvertThroughUTF16(const string& s, uint32_t from, uint32_t to);
// Keeps the last conversion: converting the same record again answers the same result record.
string ConvertStringEncoding(const string& s, uint32_t to);
// Drops the kept conversion of a record whose tag was changed in place.
void ForgetStringConversion(const StringRecord* record);
// Text for an ANSI Win32 call.
string ConvertToSystemEncoding(const string& s);

// 0xA01 for a Japanese user language, 0x423 for a Chinese one, 0x500 otherwise; computed once.
uint32_t SystemTextEncoding();
// The same choice for text in a font; the empty name answers the previous computation.
uint32_t FontTextEncoding(const string& fontName);

uint32_t ConcatenationEncoding(uint32_t a, uint32_t b, bool choose);
// Brings two handles to one encoding, converting either in place, and returns it
// (kEncodingUnknown when a side is unknown or a conversion fails; nothing is converted then).
uint32_t ReconcileStringEncodings(string* s1, string* s2);

// One two-byte character in place between JIS X 0208 row and cell and Shift-JIS.
void JisToSjis(int32_t& c1, int32_t& c2);
void SjisToJis(int32_t& c1, int32_t& c2);
string EucToSjisText(const string& s);
string JisToSjisText(const string& s);
string SjisToEucText(const string& s);
string SjisToJisText(const string& s);
