// Small operations on runtime strings that several parts of the runtime share: splitting at a
// separator, byte search, the base-2/8/16 texts of integers and their parsers, and the percent
// encoding of URL-like paths. Every string result is a new handle the caller owns.
#pragma once

#include <cstdint>

#include "DigitParse.h"
#include "RuntimeString.h"
#include "SimpleVector.h"

// Replaces text by its UTF-8 form and cuts it at every code point equal to separator (at most
// 255). Empty pieces between two separators are kept; a final separator adds no empty piece and
// the empty text gives none. Pieces are tagged kEncodingUTF8.
void SplitUTF8(string& text, uint32_t separator, SimpleVector<string>& pieces);

// 0-based byte offset of the first occurrence of pattern in text at or after start, or -1. An
// empty pattern answers start itself (unclamped) unless the text is empty.
int32_t FindSubstring(int32_t start, const string& text, const string& pattern);

// The Boyer-Moore search behind FindSubstring: the offset of the first occurrence of pattern in
// range, or rangeLength when there is none. The skip table is process-wide and rebuilt by every
// search, so searches are not re-entrant.
void BoyerMooreSkipTable(const void* pattern, int32_t length);
int32_t BoyerMooreSearch(const void* pattern, int32_t patternLength, const void* range,
                         int32_t rangeLength);

// Digits of the unsigned value without leading zeros ("0" for 0), tagged kEncodingASCII.
string FormatBinary(uint32_t value);
string FormatHex(uint32_t value);  // upper case
string FormatOctal(uint32_t value);

// A-Z, a-z, 0-9, "-", "_" and "." pass; every other byte becomes "%" and two upper-case hex
// digits. The result is tagged kEncodingASCII.
string PercentEncode(const string& s);
// "%" and the two characters after it become one byte (a non-hex character counts as 0); a "%"
// with fewer than two characters after it is kept as it is. The result carries encoding.
string PercentDecode(const string& s, uint32_t encoding);
