#include "host/DeclarationLexer.h"

#include <cstring>

#include "core/StringMap.h"

namespace {

constexpr const char* kKeywords[kKeywordCount] = {
    "If",       "Sub",        "Function", "Until",     "As",         "Integer",   "End",
    "Mod",      "Dim",        "Then",     "Else",      "While",      "Wend",      "String",
    "Raise",    "For",        "Exception", "Array",    "Of",         "Not",       "Single",
    "Double",   "GoTo",       "And",      "Or",        "Nil",        "Rem",       "Next",
    "ElseIf",   "To",         "True",     "False",     "ByRef",      "Boolean",   "New",
    "Select",   "Case",       "Return",   "Self",      "Do",         "Loop",      "Exit",
    "Redim",    "downto",     "step",     "color",     "isa",        "me",        "#pragma",
    "",         "ByVal",      "Optional", "Const",     "#if",        "#else",     "#endif",
    "Declare",  "Private",    "Protected", "Class",    "Interface",  "Implements", "Inherits",
    "Public",   "Shared",     "Namespace", "Module",   "Static",     "Event",     "Handles",
    "Each",     "In",         "Catch",    "Try",       "Finally",    "Super",     "Lib",
    "Extends",  "Assigns",    "Call",     "Is",        "AddressOf",  "Delegate",  "ParamArray",
    "#ElseIf",  "Object",
};

struct LexerState {
    const char* input = "";
    int32_t position = 0;
    int32_t pushed[2] = {0, 0};
    int32_t pushedCount = 0;
    char text[kTokenTextSize] = {};
    int32_t textLength = 0;
};

LexerState sLexer;
StringMap<int32_t>* sKeywordMap = nullptr;

bool IsLetter(int32_t c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(int32_t c) { return c >= '0' && c <= '9'; }
bool IsHexDigit(int32_t c) {
    return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
bool IsHigh(int32_t c) { return c >= 0x80; }
int32_t Upper(int32_t c) { return c >= 'a' && c <= 'z' ? c - 32 : c; }

void ClearText() {
    sLexer.textLength = 0;
    sLexer.text[0] = 0;
}

// Characters beyond the buffer are dropped.
void AddText(int32_t c) {
    if (sLexer.textLength >= kTokenTextSize - 1) return;
    sLexer.text[sLexer.textLength++] = static_cast<char>(c);
    sLexer.text[sLexer.textLength] = 0;
}

// Collects characters while the test holds and gives back the first other one.
template <typename Test>
void Collect(Test test) {
    int32_t c = LexerGetChar();
    while (c != 0 && test(c)) {
        AddText(c);
        c = LexerGetChar();
    }
    LexerUngetChar(c);
}

bool TextEquals(const char* word) {
    const int32_t length = static_cast<int32_t>(std::strlen(word));
    if (length != sLexer.textLength) return false;
    for (int32_t i = 0; i < length; ++i)
        if (Upper(static_cast<unsigned char>(sLexer.text[i])) != Upper(static_cast<unsigned char>(word[i])))
            return false;
    return true;
}

int32_t ScanNumber(int32_t first) {
    ClearText();
    AddText(first);
    Collect(IsDigit);
    bool floating = false;
    int32_t c = LexerGetChar();
    if (c == '.') {
        floating = true;
        AddText(c);
        Collect(IsDigit);
        c = LexerGetChar();
    }
    if (c == 'e' || c == 'E') {
        floating = true;
        AddText(c);
        c = LexerGetChar();
        if (c == '+' || c == '-')
            AddText(c);
        else
            LexerUngetChar(c);
        Collect(IsDigit);
    } else {
        LexerUngetChar(c);
    }
    if (floating) return kTokenFloatNumber;
    if (sLexer.textLength < 10) return kTokenIntegerNumber;
    if (sLexer.textLength > 10) return kTokenFloatNumber;
    return std::strcmp(sLexer.text, "2147483647") > 0 ? kTokenFloatNumber : kTokenIntegerNumber;
}

int32_t ScanString() {
    ClearText();
    for (;;) {
        int32_t c = LexerGetChar();
        if (c == 0) return kTokenOpenString;
        if (c == '"') {
            c = LexerGetChar();
            if (c != '"') {
                LexerUngetChar(c);
                return kTokenStringLiteral;
            }
        }
        if (sLexer.textLength < kTokenTextSize - 2) AddText(c);
    }
}

int32_t ScanDirective() {
    ClearText();
    AddText('#');
    Collect([](int32_t c) { return IsLetter(c) || IsDigit(c) || c == '_'; });
    if (TextEquals("#pragma")) return kTokenPragma;
    if (TextEquals("#if")) return kTokenIf;
    if (TextEquals("#elseif")) return kTokenElseIf;
    if (TextEquals("#else")) return kTokenElse;
    if (TextEquals("#endif")) return kTokenEndIf;
    return kTokenDirective;
}

int32_t ScanAmpersand() {
    const int32_t c = LexerGetChar();
    const int32_t kind = Upper(c);
    ClearText();
    AddText('&');
    switch (kind) {
    case 'H':
        AddText('H');
        Collect(IsHexDigit);
        return kTokenIntegerNumber;
    case 'O':
        AddText('O');
        Collect([](int32_t d) { return d >= '0' && d <= '7'; });
        return kTokenIntegerNumber;
    case 'B':
        AddText('B');
        Collect([](int32_t d) { return d == '0' || d == '1'; });
        return kTokenIntegerNumber;
    case 'C':
        AddText('C');
        Collect(IsHexDigit);
        return sLexer.textLength <= 8 ? kTokenColorLiteral : kTokenLongColor;
    default:
        LexerUngetChar(c);
        return '&';
    }
}

int32_t ScanWord(int32_t first) {
    ClearText();
    AddText(first);
    Collect([](int32_t c) { return IsLetter(c) || IsDigit(c) || c == '_' || IsHigh(c); });
    BuildKeywordMap();
    int32_t token = 0;
    if (sKeywordMap->GetEntry(string(sLexer.text), token))
        return token == kTokenConst ? kTokenByVal : token;
    return kTokenIdentifier;
}

void ReplaceText(const char* text) {
    ClearText();
    for (const char* p = text; *p; ++p) AddText(static_cast<unsigned char>(*p));
}

}  // namespace

const char* KeywordAt(int32_t position) {
    return position >= 0 && position < kKeywordCount ? kKeywords[position] : nullptr;
}

void LexerSetInput(const char* text) {
    sLexer.input = text ? text : "";
    sLexer.position = 0;
    sLexer.pushedCount = 0;
}

int32_t LexerGetChar() {
    if (sLexer.pushedCount > 0) {
        const int32_t c = sLexer.pushed[0];
        sLexer.pushed[0] = sLexer.pushed[1];
        --sLexer.pushedCount;
        return c;
    }
    const int32_t c = static_cast<unsigned char>(sLexer.input[sLexer.position]);
    if (c != 0) ++sLexer.position;
    return c;
}

void LexerUngetChar(int32_t c) {
    if (c == 0 || sLexer.pushedCount >= 2) return;
    sLexer.pushed[sLexer.pushedCount++] = c;
}

int32_t LexerPosition() { return sLexer.position - sLexer.pushedCount; }

void LexerSkipToEnd() {
    sLexer.pushedCount = 0;
    sLexer.position = static_cast<int32_t>(std::strlen(sLexer.input));
}

void BuildKeywordMap() {
    if (sKeywordMap) return;
    auto* map = new StringMap<int32_t>(256);
    for (int32_t i = 0; i < kKeywordCount; ++i)
        if (kKeywords[i][0]) map->SetEntry(string(kKeywords[i]), kTokenFirstKeyword + i);
    sKeywordMap = map;
}

int32_t LexerScanToken(int32_t c) {
    if (c == '/') {
        const int32_t next = LexerGetChar();
        if (next == '/') return kTokenRem;
        LexerUngetChar(next);
        return '/';
    }
    if (c == 0) return kTokenEnd;
    if (IsLetter(c) || c == '_' || c == '~' || IsHigh(c)) return ScanWord(c);
    if (IsDigit(c)) return ScanNumber(c);
    switch (c) {
    case '"':
        return ScanString();
    case '#':
        return ScanDirective();
    case '&':
        return ScanAmpersand();
    case '\'':
        return kTokenRem;
    case '.': {
        const int32_t next = LexerGetChar();
        if (next == '.') {
            const int32_t third = LexerGetChar();
            if (third == '.') return kTokenEllipsis;
            LexerUngetChar(third);
            return kTokenRange;
        }
        if (IsDigit(next)) {
            ClearText();
            AddText('.');
            AddText(next);
            Collect(IsDigit);
            return kTokenFloatNumber;
        }
        LexerUngetChar(next);
        return '.';
    }
    case ':': {
        const int32_t next = LexerGetChar();
        if (next == '=') return kTokenAssign;
        LexerUngetChar(next);
        return ':';
    }
    case '<': {
        const int32_t next = LexerGetChar();
        if (next == '=') return kTokenLessEqual;
        if (next == '>') return kTokenNotEqual;
        LexerUngetChar(next);
        return '<';
    }
    case '>': {
        const int32_t next = LexerGetChar();
        if (next == '=') return kTokenGreaterEqual;
        LexerUngetChar(next);
        return '>';
    }
    default:
        return c;
    }
}

int32_t LexerNextToken() {
    int32_t c = LexerGetChar();
    while (c == ' ' || c == '\t') c = LexerGetChar();
    const int32_t token = LexerScanToken(c);
    if (TextEquals("DatabaseCursor"))
        ReplaceText("RecordSet");
    else if (TextEquals("DatabaseCursorField"))
        ReplaceText("DatabaseField");
    return token;
}

int32_t LexerNextSignificantToken() {
    const int32_t token = LexerNextToken();
    if (token != kTokenRem) return token;
    LexerSkipToEnd();
    return kTokenEnd;
}

const char* LexerTokenText() { return sLexer.text; }
