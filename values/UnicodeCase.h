// Unicode case mapping of single code points and of UTF-8 and UTF-16 text, and three-way compares
// that can ignore case. Mappings are the simple (one-to-one) ones for code points up to U+FFFF;
// code points above that are left as they are. The lookup maps are built on first use.
#pragma once

#include <cstdint>

// The white space that trims remove and that starts a word in title case: U+0009 to U+000D,
// U+0020, U+0085, U+00A0, U+1680, U+180E, U+2000 to U+200A, U+2028, U+2029, U+202F, U+205F, U+3000.
bool IsUnicodeWhiteSpace(uint32_t codePoint);

// The simple upper-case mapping (U+03C2 ς gives U+03A3 Σ); cp itself when it has none.
uint32_t UnicodeToUpper(uint32_t codePoint);
// The simple case folding (U+212A Kelvin sign gives U+006B k), which never gives a capital: the
// Cherokee capitals give their small letters, which stay as they are; cp itself when it has none.
uint32_t UnicodeToLower(uint32_t codePoint);

// Map length bytes of UTF-8 text into a new NUL-terminated block from GuardedNew (the caller frees
// it with GuardedDelete) and give its byte length. With a null resultOut only the length is given;
// with both outs null nothing is done. Title case upper-cases the first character and every one
// after white space and lower-cases the rest.
void Utf8ToUpper(const unsigned char* bytes, int32_t length, unsigned char** resultOut,
                 int32_t* resultLengthOut);
void Utf8ToLower(const unsigned char* bytes, int32_t length, unsigned char** resultOut,
                 int32_t* resultLengthOut);
void Utf8ToTitle(const unsigned char* bytes, int32_t length, unsigned char** resultOut,
                 int32_t* resultLengthOut);

// Map byteLength / 2 UTF-16 units, each on its own (surrogates pass unchanged), into a new block
// from GuardedNew of twice byteLength bytes; the caller frees it with GuardedDelete.
uint16_t* Utf16ToUpper(const uint16_t* units, int32_t byteLength);
uint16_t* Utf16ToLower(const uint16_t* units, int32_t byteLength);
uint16_t* Utf16ToTitle(const uint16_t* units, int32_t byteLength);

// True when no code point of the UTF-8 text has a case mapping or is the target of one.
bool Utf8HasNoCase(const unsigned char* bytes, int32_t length);

// Three-way compares (-1, 0, 1) by code point (UTF-8) or by unit (UTF-16), upper-casing both sides
// when ignoreCase; when one text is a prefix of the other the shorter sorts first.
int32_t CompareUtf8(const unsigned char* a, int32_t lengthA, const unsigned char* b,
                    int32_t lengthB, bool ignoreCase);
int32_t CompareUtf16(const uint16_t* a, int32_t byteLengthA, const uint16_t* b,
                     int32_t byteLengthB, bool ignoreCase);
