// UTF-8 encoder and the decoders that walk text by characters. No validation: a lead byte decides
// how many continuation bytes follow and each contributes its low six bits. A sequence cut short
// by the end of the text (or by a NUL in the unbounded forms) yields U+FFFD and stops there, so
// nothing is read past the text.
#pragma once

#include <cstdint>

constexpr uint32_t kReplacementCharacter = 0xFFFD;

// Writes the UTF-8 bytes of codePoint and a zero byte to out (room for 5 bytes); returns the byte
// count, 0 for code points above 0x1FFFFF. Surrogates are encoded like any other code point.
int32_t Utf8Encode(uint32_t codePoint, unsigned char* out);

// The code point that begins at bytes. The unbounded form is for NUL-terminated text only.
uint32_t Utf8Decode(const unsigned char* bytes);
uint32_t Utf8Decode(const unsigned char* bytes, const unsigned char* end);

// The code point at the cursor; the cursor moves past it (1 to 4 bytes, never past end or a NUL
// that cuts a sequence short). At the end of the text (end, or the NUL for the unbounded form) they
// yield 0 and leave the cursor where it is.
uint32_t Utf8DecodeNext(const unsigned char*& cursor);
uint32_t Utf8DecodeNext(const unsigned char*& cursor, const unsigned char* end);

// Moves forward by n characters (a lead byte and the continuation bytes after it), never past end.
const unsigned char* Utf8AdvanceChars(const unsigned char* pointer, const unsigned char* end,
                                      int32_t n);
// Moves back by n characters, never before start.
const unsigned char* Utf8RetreatChars(const unsigned char* pointer, const unsigned char* start,
                                      int32_t n);
