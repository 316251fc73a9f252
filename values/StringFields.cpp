// CountFields, NthField, Split and Join.
#include <cstring>
#include <new>

#include "CharacterTables.h"
#include "core/EncodingConversion.h"
#include "StringLibrary.h"
#include "TextForm.h"
#include "TextSearch.h"
#include "core/Utf8Codec.h"
#include "core/FailureReport.h"
#include "core/StringUtilities.h"

namespace {

int32_t CountOccurrences(const OccurrenceSearch& search) {
    int32_t count = 0;
    for (int32_t p = search.Next(0); p >= 0; p = search.Next(p + search.PatternBytes())) ++count;
    return count;
}

string NthFieldBy(const string& s, const OccurrenceSearch& search, int32_t n) {
    int32_t i = 1;
    int32_t fieldStart = 0;
    int32_t p = search.Next(0);
    while (p >= 0 && i != n) {
        ++i;
        fieldStart = p + search.PatternBytes();
        p = search.Next(fieldStart);
    }
    if (i != n) return string();
    return MidBytes(s, fieldStart, (p >= 0 ? p : s.Length()) - fieldStart);
}

string BytesAsPart(const string& s, int32_t from, int32_t count, uint32_t tag) {
    string part;
    if (part.SetBytes(s.CString() + from, count)) part.SetEncoding(tag);
    return part;
}

// s cut into its characters, each tagged tag.
void SplitCharacters(const string& s, uint32_t tag, bool exact, SimpleVector<string>& parts) {
    const TextView text(s);
    const TextForm form = exact ? TextForm::kBytes : TextFormOfTag(tag);
    const unsigned char* lead = CurrentLeadTable();
    for (const unsigned char* p = text.begin; p < text.end;) {
        const unsigned char* next = p + 1;
        switch (form) {
        case TextForm::kUTF8: Utf8DecodeNext(next = p, text.end); break;
        case TextForm::kUTF16: next = p + 2 <= text.end ? p + 2 : text.end; break;
        case TextForm::kDoubleByte: next = lead[*p] && p + 2 <= text.end ? p + 2 : p + 1; break;
        case TextForm::kBytes: break;
        }
        if (next == p) next = p + 1;
        parts.push_back(BytesAsPart(s, int32_t(p - text.begin), int32_t(next - p), tag));
        p = next;
    }
}

const ArrayFunction& SetterOf(ArrayRecord* array) { return array->operations->Set; }

ArrayRecord* ArrayOfParts(const SimpleVector<string>& parts) {
    ArrayRecord* array = CreateArray(1, kArrayString, int32_t(parts.size()) - 1);
    if (!array) return nullptr;
    const auto set = reinterpret_cast<void (*)(ArrayRecord*, StringRecord*, int32_t)>(SetterOf(array));
    for (uint32_t i = 0; i < parts.size(); ++i) set(array, parts[i].Record(), int32_t(i));
    return array;
}

ArrayRecord* Split(StringRecord* s, StringRecord* delimiter, bool exact) {
    SimpleVector<string> parts;
    SplitStringCore(string(s), string(delimiter), parts, exact);
    return ArrayOfParts(parts);
}

// Element i of a String array as a borrowed handle.
const string& ElementAt(const ArrayRecord* array, int32_t i) {
    return reinterpret_cast<const string*>(array->data)[i];
}

}  // namespace

int32_t CountFieldsText(const string& s, const string& delimiterText) {
    if (s.IsEmpty()) return 0;
    if (delimiterText.IsEmpty()) return 1;
    const string delimiter = InEncodingOf(delimiterText, s.Encoding());
    const OccurrenceSearch search(s, delimiter, FieldSearchMode(s, delimiter));
    return CountOccurrences(search) + 1;
}

string NthFieldText(const string& s, const string& delimiterText, int32_t n) {
    if (s.IsEmpty() || delimiterText.IsEmpty() || n < 1) return string();
    const string delimiter = InEncodingOf(delimiterText, s.Encoding());
    const OccurrenceSearch search(s, delimiter, FieldSearchMode(s, delimiter));
    return NthFieldBy(s, search, n);
}

void SplitStringCore(const string& s, const string& delimiterText, SimpleVector<string>& parts,
                     bool exact) {
    SimpleVector<string>().swap(parts);
    if (s.IsEmpty()) return;
    const uint32_t tag = exact ? kEncodingUnknown : s.Encoding();
    if (delimiterText.IsEmpty()) {
        SplitCharacters(s, tag, exact, parts);
        return;
    }
    const string delimiter = exact ? delimiterText : InEncodingOf(delimiterText, tag);
    const OccurrenceSearch search(s, delimiter,
                                  exact ? SearchMode::kExact : FieldSearchMode(s, delimiter));
    int32_t partStart = 0;
    for (int32_t p = search.Next(0); p >= 0; p = search.Next(partStart)) {
        parts.push_back(MidBytes(s, partStart, p - partStart));
        partStart = p + search.PatternBytes();
    }
    parts.push_back(MidBytesFrom(s, partStart));
}

void SplitStringToVector(const string& s, const string& delimiter, SimpleVector<string>& parts) {
    SimpleVector<string> found;
    SplitStringCore(s, delimiter, found, false);
    for (uint32_t i = 0; i < found.size(); ++i) parts.push_back(found[i]);
}

extern "C" {

int32_t countFields(const string* s, const string* delimiter) {
    return CountFieldsText(*s, *delimiter);
}

int32_t countFieldsB(const string* s, const string* delimiter) {
    if (s->IsEmpty()) return 0;
    if (delimiter->IsEmpty()) return 1;
    const OccurrenceSearch search(*s, *delimiter, SearchMode::kExact);
    return CountOccurrences(search) + 1;
}

void nthField(string* result, const string* s, const string* delimiter, int32_t n) {
    new (result) string(NthFieldText(*s, *delimiter, n));
}

void nthFieldB(string* result, const string* s, const string* delimiter, int32_t n) {
    if (s->IsEmpty() || delimiter->IsEmpty() || n < 1) {
        new (result) string();
        return;
    }
    const OccurrenceSearch search(*s, *delimiter, SearchMode::kExact);
    new (result) string(NthFieldBy(*s, search, n));
}

int32_t StringCountFields(StringRecord* s, StringRecord* delimiter) {
    return CountFieldsText(string(s), string(delimiter));
}

int32_t StringCountFieldsB(StringRecord* s, StringRecord* delimiter) {
    const string text(s);
    const string d(delimiter);
    return countFieldsB(&text, &d);
}

StringRecord* StringNthField(StringRecord* s, StringRecord* delimiter, int32_t n) {
    return NthFieldText(string(s), string(delimiter), n).Detach();
}

StringRecord* StringNthFieldB(StringRecord* s, StringRecord* delimiter, int32_t n) {
    const string text(s);
    const string d(delimiter);
    string result;
    nthFieldB(reinterpret_cast<string*>(&result), &text, &d, n);
    return result.Detach();
}

ArrayRecord* StringSplit(StringRecord* s, StringRecord* delimiter) { return Split(s, delimiter, false); }

ArrayRecord* StringSplitB(StringRecord* s, StringRecord* delimiter) { return Split(s, delimiter, true); }

StringRecord* StringJoin(ArrayRecord* array, StringRecord* delimiterRecord) {
    if (!array || array->upperBound[0] < 0) return nullptr;
    if (array->upperBound[0] == 0) return string(ElementAt(array, 0)).Detach();
    const int32_t count = array->upperBound[0] + 1;
    const string delimiterText(delimiterRecord);

    uint32_t tag = delimiterText.Encoding();
    if (!ElementAt(array, 0).IsEmpty()) tag = ElementAt(array, 0).Encoding();
    for (int32_t i = 1; i < count; ++i)
        if (!ElementAt(array, i).IsEmpty())
            tag = ConcatenationEncoding(tag, ElementAt(array, i).Encoding(), true);

    // Elements in another encoding are converted once and kept for the fill.
    SimpleVector<string> converted;
    int64_t total = 0;
    for (int32_t i = 0; i < count; ++i) {
        const string& element = ElementAt(array, i);
        converted.push_back(element.IsEmpty() || element.Encoding() == tag
                                ? element
                                : ConvertStringEncoding(element, tag));
        total += converted[uint32_t(i)].Length();
    }
    const string delimiter = delimiterText.IsEmpty() || delimiterText.Encoding() == tag
                                 ? delimiterText
                                 : ConvertStringEncoding(delimiterText, tag);
    total += int64_t(delimiter.Length()) * (count - 1);
    if (total <= 0 || total > INT32_MAX) return nullptr;

    string result;
    char* out = result.AllocateBytes(static_cast<int32_t>(total));
    if (!out) return nullptr;
    char* const begin = out;
    for (int32_t i = 0; i < count; ++i) {
        if (i > 0) {
            std::memcpy(out, delimiter.CString(), size_t(delimiter.Length()));
            out += delimiter.Length();
        }
        const string& part = converted[uint32_t(i)];
        std::memcpy(out, part.CString(), size_t(part.Length()));
        out += part.Length();
    }
    if (out - begin != total) ReportAssertion("basicstr", 2862, "ptr - out.CString() == totalLen");
    result.SetEncoding(tag);
    return result.Detach();
}

}  // extern "C"
