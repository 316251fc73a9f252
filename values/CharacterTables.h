// Lead-byte and case tables of the Windows code pages, one block per text encoding, built from the
// system's national-language calls on first use and kept for the whole run. The string functions
// select the block of their string's encoding and then read the current tables.
#pragma once

#include <cstdint>

#include "core/RuntimeString.h"

struct CharacterTables {
    unsigned char lead[256];   // 1 for a byte that begins a double-byte character
    unsigned char upper[256];  // single-byte code pages only; all zero for double-byte ones
    unsigned char lower[256];
    unsigned char hasLeadBytes;
};

// Makes the encoding's block current, building it first; true for a double-byte code page. An
// encoding without a usable code page (UTF-16 among them) answers false and changes nothing.
bool SelectCharacterTables(uint32_t encoding);
bool SelectSystemCharacterTables();
void MakeCharacterTablesCurrent(const CharacterTables* block);
// True when the system code page is double-byte and the byte is one of its lead bytes.
bool IsSystemLeadByte(unsigned char byte);

// The current tables. Until a selection succeeds they are those of the ASCII letters, so the
// single-byte paths never read through a null table.
const unsigned char* CurrentLeadTable();
const unsigned char* CurrentUpperTable();
const unsigned char* CurrentLowerTable();
bool CurrentHasLeadBytes();

// 1-based byte positions of the first and the last byte of the n-th character under the current
// lead table; 0 for an empty s or an n below 1, just past the text for an n beyond it.
int32_t DBCSCharStart(const string& s, int32_t n);
int32_t DBCSCharEnd(const string& s, int32_t n);
// Characters of the text under the current lead table; a lead byte at the end counts as one.
int32_t DBCSCharCount(const unsigned char* bytes, int32_t length);

// True exactly for the bytes "0" to "9".
inline bool IsDecimalDigit(char c) {
    return static_cast<signed char>(c - 0x30) >= 0 && static_cast<signed char>(c - 0x30) <= 9;
}

// The text in the system script's code page (932, 950 or 1252), for ANSI window and menu calls.
string ConvertToSystemScriptEncoding(const string& s);

// The system script: 13 for the Japanese user language, 21 for the Chinese ones, else 0. Start-up
// sets it from the user language, and selects the system's tables, before anything else runs.
int32_t SystemScriptForLanguage(uint16_t languageId);
int32_t SystemScript();
void InitializeSystemScript();
