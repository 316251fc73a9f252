#include "TextServices.h"

#include <new>

#include "EndOfLine.h"
#include "StringLibrary.h"
#include "TextForm.h"
#include "core/Utf8Codec.h"
#include "core/GuardedMemory.h"
#include "core/StringUtilities.h"

namespace {

// --- escapes ---

// Writes, or only counts, the bytes of a transformed text, so that the counting pass and the
// filling pass are one walk and cannot disagree.
class ByteSink {
public:
    explicit ByteSink(char* out) : mOut(out) {}
    void Put(char byte) {
        if (mOut) mOut[mCount] = byte;
        ++mCount;
    }
    int32_t Count() const { return mCount; }

private:
    char* mOut;
    int32_t mCount = 0;
};

char EscapedByte(char c) {
    switch (c) {
    case '"': return '"';
    case '\'': return '\'';
    case '?': return '?';
    case '\\': return '\\';
    case 'a': return 0x07;
    case 'b': return 0x08;
    case 'f': return 0x0C;
    case 'n': return 0x0A;
    case 'r': return 0x0D;
    case 't': return 0x09;
    case 'v': return 0x0B;
    default: return c;  // an unknown escape stands for the character itself
    }
}

void Decode(const char* text, int32_t length, ByteSink& sink) {
    for (int32_t i = 0; i < length;) {
        const int32_t rest = length - i;
        if (text[i] != '\\' || rest < 2) {
            sink.Put(text[i++]);
        } else if (text[i + 1] != 'x') {
            sink.Put(EscapedByte(text[i + 1]));
            i += 2;
        } else if (rest < 4) {
            // The text ends inside the escape: its bytes stay as they are.
            while (i < length) sink.Put(text[i++]);
        } else {
            sink.Put(static_cast<char>(ParseHex(text + i + 2, 2, nullptr)));
            i += 4;
        }
    }
}

const char* EscapeLetter(unsigned char byte) {
    static const char kControls[] = "abtnvfr";  // 0x07 to 0x0D
    static char letter[2];
    if (byte >= 0x07 && byte <= 0x0D) {
        letter[0] = kControls[byte - 0x07];
        return letter;
    }
    if (byte == '"' || byte == '\'' || byte == '?' || byte == '\\') {
        letter[0] = static_cast<char>(byte);
        return letter;
    }
    return nullptr;
}

void Encode(const char* text, int32_t length, ByteSink& sink) {
    static const char kHex[] = "0123456789ABCDEF";
    for (int32_t i = 0; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (const char* letter = EscapeLetter(byte)) {
            sink.Put('\\');
            sink.Put(letter[0]);
        } else if (byte >= 0x20 && byte <= 0x7E) {
            sink.Put(static_cast<char>(byte));
        } else {
            sink.Put('\\');
            sink.Put('x');
            sink.Put(kHex[byte >> 4]);
            sink.Put(kHex[byte & 0xF]);
        }
    }
}

string Transform(const string& text, void (*walk)(const char*, int32_t, ByteSink&), uint32_t tag) {
    string result;
    if (text.IsEmpty()) return result;
    ByteSink counter(nullptr);
    walk(text.CString(), text.Length(), counter);
    char* out = result.AllocateBytes(counter.Count());
    if (!out) return result;
    ByteSink filler(out);
    walk(text.CString(), text.Length(), filler);
    result.SetEncoding(tag);
    return result;
}

// --- mnemonic markers ---

// The size of the character at p under s's form; UTF-8 and single-byte text step by bytes.
int32_t CharacterSize(TextForm form, const unsigned char* p, const unsigned char* end) {
    if (form == TextForm::kUTF16) return end - p >= 2 ? 2 : 1;
    if (form == TextForm::kDoubleByte && CurrentLeadTable()[*p] && end - p >= 2) return 2;
    return 1;
}

bool IsMarker(TextForm form, const unsigned char* p, int32_t size) {
    if (form == TextForm::kUTF16) return size == 2 && p[0] == '&' && p[1] == 0;
    return size == 1 && *p == '&';
}

// The mnemonic a marker's next character gives.
int32_t MnemonicOf(TextForm form, uint32_t tag, const unsigned char* p, int32_t size,
                   const unsigned char* end) {
    switch (form) {
    case TextForm::kUTF16: return p[0] | p[1] << 8;
    case TextForm::kDoubleByte: {
        if (size == 1) return *p;
        string character;
        if (!character.SetBytes(p, size)) return 0;
        character.SetEncoding(tag);
        const string wide = character.ToUTF16();
        return wide.Length() >= 2 ? wide.WidePointer()[0] : 0;
    }
    default: break;
    }
    return tag == kEncodingUTF8 ? static_cast<int32_t>(Utf8Decode(p, end)) : *p;
}

}  // namespace

void StripAmpersands(string& s, int32_t* mnemonic) {
    int32_t scratch;
    if (!mnemonic) mnemonic = &scratch;
    *mnemonic = 0;
    if (s.IsEmpty()) return;
    const uint32_t tag = s.Encoding();
    TextForm form = TextFormOf(s);
    if (form == TextForm::kUTF8) form = TextForm::kBytes;
    const TextView text(s);

    string stripped;
    char* out = stripped.AllocateBytes(s.Length());
    if (!out) return;
    int32_t written = 0;
    bool found = false;
    for (const unsigned char* p = text.begin; p < text.end;) {
        const int32_t size = CharacterSize(form, p, text.end);
        if (!IsMarker(form, p, size)) {
            for (int32_t k = 0; k < size; ++k) out[written++] = static_cast<char>(p[k]);
            p += size;
            continue;
        }
        found = true;
        p += size;
        if (p >= text.end) break;
        // The character after the marker is kept, and passed over by the walk.
        const int32_t nextSize = CharacterSize(form, p, text.end);
        if (!IsMarker(form, p, nextSize)) *mnemonic = MnemonicOf(form, tag, p, nextSize, text.end);
        for (int32_t k = 0; k < nextSize; ++k) out[written++] = static_cast<char>(p[k]);
        p += nextSize;
    }
    if (!found) return;
    s = LeftBytes(stripped, written);
    s.SetEncoding(tag);
}

string StripAmpersandsCopy(const string& source, int32_t* mnemonic) {
    string copy = source;
    StripAmpersands(copy, mnemonic);
    return copy;
}

int32_t SplitNameValueList(const string& text, const string& pairSeparator,
                           const string& itemSeparator, string** names, string** values) {
    const int32_t n = CountFieldsText(text, itemSeparator);
    if (n <= 1) return 0;
    *names = GuardedNewArray<string>(size_t(n));
    *values = GuardedNewArray<string>(size_t(n));
    int32_t filled = 0;
    for (int32_t i = 1; i <= n; ++i) {
        const string item = NthFieldText(text, itemSeparator, i);
        if (CountFieldsText(item, pairSeparator) <= 1) continue;
        (*names)[filled] = NthFieldText(item, pairSeparator, 1);
        (*values)[filled] = NthFieldText(item, pairSeparator, 2);
        ++filled;
    }
    return filled;
}

extern "C" {

void DecodeBackslashEscape(string* result, const string* text) {
    new (result) string(Transform(*text, &Decode, kEncodingUTF8));
}

void EncodeBackslashEscape(string* result, const string* text) {
    new (result) string(Transform(*text, &Encode, kEncodingASCII));
}

}  // extern "C"
