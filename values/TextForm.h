// How the string functions walk a string's text: by UTF-8 code points, UTF-16 units, the
// characters of a double-byte code page, or bytes.
#pragma once

#include "CharacterTables.h"
#include "core/RuntimeString.h"

enum class TextForm { kUTF8, kUTF16, kDoubleByte, kBytes };

// Selects the character tables of a tag that is not UTF-8, UTF-16 or ASCII, as a side effect.
inline TextForm TextFormOfTag(uint32_t tag) {
    if (tag == kEncodingUTF8) return TextForm::kUTF8;
    if (tag == kEncodingUTF16) return TextForm::kUTF16;
    if (tag != kEncodingASCII && SelectCharacterTables(tag)) return TextForm::kDoubleByte;
    return TextForm::kBytes;
}

inline TextForm TextFormOf(const string& s) { return TextFormOfTag(s.Encoding()); }

// The text's bytes as a range.
struct TextView {
    explicit TextView(const string& s)
        : begin(reinterpret_cast<const unsigned char*>(s.CString())), end(begin + s.Length()) {}
    const unsigned char* begin;
    const unsigned char* end;
};
