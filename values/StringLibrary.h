// The language's string library as compiled code calls it: substrings, lengths and codes, case,
// comparison and trimming, search, replacement, fields, splitting and joining.
//
// Value forms take borrowed record pointers and return a new reference. Handle forms construct
// their result in the uninitialised handle storage they are given and take the arguments as
// pointers to handles. Language positions are 1-based with 0 for "not found"; the internal
// search operations are 0-based with -1. The text forms ignore case; the B forms match bytes.
#pragma once

#include <cstdint>

#include "core/ArrayRecord.h"
#include "core/RuntimeString.h"
#include "core/SimpleVector.h"

extern "C" {
// Substrings, lengths and codes: plain names count bytes, DBCS names count characters (code
// points for UTF-8, units for UTF-16, one or two bytes for a double-byte code page).
StringRecord* StringLeft(StringRecord* s, int32_t n);
StringRecord* StringDBCSLeft(StringRecord* s, int32_t n);
StringRecord* StringRight(StringRecord* s, int32_t n);
StringRecord* StringDBCSRight(StringRecord* s, int32_t n);
StringRecord* StringMid2(StringRecord* s, int32_t start);
StringRecord* StringDBCSMid2(StringRecord* s, int32_t start);
StringRecord* StringMid3(StringRecord* s, int32_t start, int32_t count);
StringRecord* StringDBCSMid3(StringRecord* s, int32_t start, int32_t count);
int32_t StringLen(StringRecord* s);
int32_t StringDBCSLen(StringRecord* s);
int32_t StringAsc(StringRecord* s);
int32_t StringDBCSAsc(StringRecord* s);
StringRecord* StringChr(int32_t code);
StringRecord* StringDBCSChr(int32_t code);

// Case and comparison.
StringRecord* StringLCase(StringRecord* s);
StringRecord* StringUCase(StringRecord* s);
StringRecord* StringTitleCase(StringRecord* s);
int32_t StringStrCompare(StringRecord* a, StringRecord* b, int32_t mode);
int32_t RuntimeStringCompare(StringRecord* a, StringRecord* b);

// Trimming of the white space of every Unicode script.
StringRecord* runLTrim(StringRecord* s);
StringRecord* runRTrim(StringRecord* s);
StringRecord* runTrim(StringRecord* s);

// Search.
int32_t StringInStr(int32_t start, StringRecord* s, StringRecord* find);
int32_t StringExtendsInStr(StringRecord* s, int32_t start, StringRecord* find);
int32_t StringInStrB(int32_t start, StringRecord* s, StringRecord* find);
int32_t StringExtendsInStrB(StringRecord* s, int32_t start, StringRecord* find);
int32_t StringDBCSInStr(int32_t start, StringRecord* s, StringRecord* find);

// Replacement, handle and value forms.
void replace(string* result, const string* s, const string* find, const string* replacement);
void replaceB(string* result, const string* s, const string* find, const string* replacement);
void replaceAll(string* result, const string* s, const string* find, const string* replacement);
void replaceAllB(string* result, const string* s, const string* find, const string* replacement);
StringRecord* StringReplace(StringRecord* s, StringRecord* find, StringRecord* replacement);
StringRecord* StringReplaceB(StringRecord* s, StringRecord* find, StringRecord* replacement);
StringRecord* StringReplaceAll(StringRecord* s, StringRecord* find, StringRecord* replacement);
StringRecord* StringReplaceAllB(StringRecord* s, StringRecord* find, StringRecord* replacement);

// Fields.
int32_t countFields(const string* s, const string* delimiter);
int32_t countFieldsB(const string* s, const string* delimiter);
void nthField(string* result, const string* s, const string* delimiter, int32_t n);
void nthFieldB(string* result, const string* s, const string* delimiter, int32_t n);
int32_t StringCountFields(StringRecord* s, StringRecord* delimiter);
int32_t StringCountFieldsB(StringRecord* s, StringRecord* delimiter);
StringRecord* StringNthField(StringRecord* s, StringRecord* delimiter, int32_t n);
StringRecord* StringNthFieldB(StringRecord* s, StringRecord* delimiter, int32_t n);

// Splitting into a new String array, and joining one.
ArrayRecord* StringSplit(StringRecord* s, StringRecord* delimiter);
ArrayRecord* StringSplitB(StringRecord* s, StringRecord* delimiter);
StringRecord* StringJoin(ArrayRecord* array, StringRecord* delimiter);
}

// Handle forms of the above for runtime code.
string DBCSLeft(const string& s, int32_t n);
string DBCSRight(const string& s, int32_t n);
string DBCSMid2(const string& s, int32_t start);
string DBCSMid3(const string& s, int32_t start, int32_t count);
int32_t DBCSLen(const string& s);
string UpperCase(const string& s);
string LowerCase(const string& s);
string TitleCase(const string& s);
int32_t CompareStrings(const string& a, const string& b, bool ignoreCase);
// The locale comparison (CompareStringW or A under the user's locale) of both texts.
int32_t CompareStringsLocale(const string& a, const string& b, uint32_t flags);
string ReplaceAllText(const string& s, const string& find, const string& replacement);
int32_t CountFieldsText(const string& s, const string& delimiter);
string NthFieldText(const string& s, const string& delimiter, int32_t n);

// The internal searches.
int32_t InStrCore(int32_t start, const string& s, const string& find, bool byteOffsets);
int32_t DBCSInStrCaseless(int32_t start, const string& s, const string& find);
inline int32_t FindString(int32_t start0, const string& s, const string& find, bool byteOffsets) {
    return InStrCore(start0 + 1, s, find, byteOffsets) - 1;
}
inline int32_t FindStringDBCS(int32_t start0, const string& s, const string& find) {
    return DBCSInStrCaseless(start0 + 1, s, find) - 1;
}

// Cuts s at each occurrence of the delimiter (every character for an empty one) into parts.
void SplitStringCore(const string& s, const string& delimiter, SimpleVector<string>& parts,
                     bool exact);
void SplitStringToVector(const string& s, const string& delimiter, SimpleVector<string>& parts);
