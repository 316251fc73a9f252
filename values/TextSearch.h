// The searches behind replacement, fields and splitting: successive non-overlapping occurrences
// of one pattern in one text, byte-exact, case-insensitive, or case-insensitive over the
// characters of a double-byte code page.
#pragma once

#include <cstdint>

#include "core/RuntimeString.h"

enum class SearchMode { kExact, kCaseless, kDoubleByte };

class OccurrenceSearch {
public:
    // The pattern must already be in the text's encoding. kDoubleByte relies on the text's
    // character tables being current.
    OccurrenceSearch(const string& text, const string& pattern, SearchMode mode);
    OccurrenceSearch(const OccurrenceSearch&) = delete;
    OccurrenceSearch& operator=(const OccurrenceSearch&) = delete;

    // The byte offset of the first occurrence at or after byte offset from, or -1.
    int32_t Next(int32_t from) const;
    int32_t PatternBytes() const { return mPattern.Length(); }

private:
    int32_t NextDoubleByte(int32_t from) const;

    string mText;
    string mPattern;
    SearchMode mMode;
    string mUpperText;  // kDoubleByte: both texts upper-cased once
    string mUpperPattern;
};

// How countFields, nthField and the text split search for a delimiter in s: over double-byte
// characters when s's tables are double-byte, byte-exact when the delimiter has no case (the same
// occurrences, found faster), case-insensitive otherwise. Selects s's tables.
SearchMode FieldSearchMode(const string& s, const string& delimiter);

// The text in encoding tag; a text whose conversion fails stays as it is.
string InEncodingOf(const string& text, uint32_t tag);
