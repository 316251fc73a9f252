// Small text services: backslash escapes, the removal of "&" mnemonic markers from captions, and
// the splitting of a name-value list. The language's two message boxes are controls/MsgBox.h.
#pragma once

#include <cstdint>

#include "core/RuntimeString.h"

extern "C" {
// The text with its backslash escapes decoded (tagged UTF-8), or with escapes for quotes, the
// question mark, the backslash and every byte outside 0x20 to 0x7E (tagged ASCII).
void DecodeBackslashEscape(string* result, const string* text);
void EncodeBackslashEscape(string* result, const string* text);
}

// Removes every "&" marker of s ("&&" leaves one "&") and sets *mnemonic (when not null) to the
// character the last designating marker designated, 0 when none did.
void StripAmpersands(string& s, int32_t* mnemonic);
string StripAmpersandsCopy(const string& source, int32_t* mnemonic);

// Cuts text into items at itemSeparator and each item into a name and a value at pairSeparator,
// skipping items without one. With more than one item, *names and *values receive arrays (from
// GuardedNewArray, for the caller to free with GuardedDeleteArray) of as many handles as items;
// the result is the number of pairs filled in. A text of one item gives 0 and no arrays.
int32_t SplitNameValueList(const string& text, const string& pairSeparator,
                           const string& itemSeparator, string** names, string** values);
