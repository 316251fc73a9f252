// Replace and ReplaceAll, case-insensitive and byte-exact. Every form that finds nothing returns
// the source record; the replace-all forms count first and fill one new record.
#include <cstring>
#include <new>

#include "CharacterTables.h"
#include "StringLibrary.h"
#include "TextSearch.h"
#include "core/SimpleVector.h"
#include "core/StringUtilities.h"

namespace {

// s with find's bytes at each offset replaced; s itself when there is none.
string Substitute(const string& s, const SimpleVector<int32_t>& offsets, int32_t findLength,
                  const string& replacement) {
    if (offsets.size() == 0) return s;
    const int64_t total =
        s.Length() + int64_t(offsets.size()) * (int64_t(replacement.Length()) - findLength);
    string result;
    if (total <= 0 || total > INT32_MAX) return result;
    char* out = result.AllocateBytes(static_cast<int32_t>(total));
    if (!out) return result;
    const char* text = s.CString();
    int32_t copied = 0;
    for (uint32_t i = 0; i < offsets.size(); ++i) {
        std::memcpy(out, text + copied, size_t(offsets[i] - copied));
        out += offsets[i] - copied;
        std::memcpy(out, replacement.CString(), size_t(replacement.Length()));
        out += replacement.Length();
        copied = offsets[i] + findLength;
    }
    std::memcpy(out, text + copied, size_t(s.Length() - copied));
    result.SetEncoding(s.Encoding());
    return result;
}

// The offsets of the occurrences, each search starting past the previous one; at most limit.
SimpleVector<int32_t> Occurrences(const OccurrenceSearch& search, uint32_t limit) {
    SimpleVector<int32_t> offsets;
    for (int32_t p = search.Next(0); p >= 0 && offsets.size() < limit;
         p = search.Next(p + search.PatternBytes()))
        offsets.push_back(p);
    return offsets;
}

string ReplaceText(const string& s, const string& findText, const string& replacementText,
                   uint32_t limit) {
    if (findText.IsEmpty() || s.IsEmpty()) return s;
    const string find = InEncodingOf(findText, s.Encoding());
    const string replacement = InEncodingOf(replacementText, s.Encoding());
    SearchMode mode = SearchMode::kCaseless;
    if (SelectCharacterTables(s.Encoding())) {
        if (s.IsASCII() && !find.IsASCII()) return s;
        if (!(s.IsASCII() && replacement.IsASCII())) mode = SearchMode::kDoubleByte;
    }
    const OccurrenceSearch search(s, find, mode);
    return Substitute(s, Occurrences(search, limit), find.Length(), replacement);
}

string ReplaceBytes(const string& s, const string& find, const string& replacement,
                    uint32_t limit) {
    if (find.IsEmpty() || s.IsEmpty()) return s;
    const OccurrenceSearch search(s, find, SearchMode::kExact);
    return Substitute(s, Occurrences(search, limit), find.Length(), replacement);
}

constexpr uint32_t kAll = UINT32_MAX;

}  // namespace

string ReplaceAllText(const string& s, const string& find, const string& replacement) {
    return ReplaceText(s, find, replacement, kAll);
}

extern "C" {

void replace(string* result, const string* s, const string* find, const string* replacement) {
    new (result) string(ReplaceText(*s, *find, *replacement, 1));
}

void replaceB(string* result, const string* s, const string* find, const string* replacement) {
    new (result) string(ReplaceBytes(*s, *find, *replacement, 1));
}

void replaceAll(string* result, const string* s, const string* find, const string* replacement) {
    new (result) string(ReplaceText(*s, *find, *replacement, kAll));
}

void replaceAllB(string* result, const string* s, const string* find, const string* replacement) {
    new (result) string(ReplaceBytes(*s, *find, *replacement, kAll));
}

StringRecord* StringReplace(StringRecord* s, StringRecord* find, StringRecord* replacement) {
    return ReplaceText(string(s), string(find), string(replacement), 1).Detach();
}

StringRecord* StringReplaceB(StringRecord* s, StringRecord* find, StringRecord* replacement) {
    return ReplaceBytes(string(s), string(find), string(replacement), 1).Detach();
}

StringRecord* StringReplaceAll(StringRecord* s, StringRecord* find, StringRecord* replacement) {
    return ReplaceText(string(s), string(find), string(replacement), kAll).Detach();
}

StringRecord* StringReplaceAllB(StringRecord* s, StringRecord* find, StringRecord* replacement) {
    return ReplaceBytes(string(s), string(find), string(replacement), kAll).Detach();
}

}  // extern "C"
