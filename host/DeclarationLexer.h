// The lexer of the language's tokens that reads the declaration texts of plug-in members: keywords,
// identifiers, numbers, colour literals, strings, operators, comments and "#" directives.
//
// It has one process-wide state: the texts are short, and declarations are read on the
// application's thread one at a time.
#pragma once

#include <cstdint>

#include "core/RuntimeString.h"

// Token numbers beside the keywords (257 + the keyword's position in the table) and the single
// characters, which are their own codes.
enum DeclarationToken : int32_t {
    kTokenEnd = -1,
    kTokenDirective = 35,  // "#" and a word that is no known directive
    kTokenFirstKeyword = 257,
    kTokenSub = 258,
    kTokenFunction = 259,
    kTokenAs = 261,
    kTokenInteger = 262,
    kTokenString = 270,
    kTokenSingle = 277,
    kTokenDouble = 278,
    kTokenRem = 283,  // also "//" and "'"
    kTokenByRef = 289,
    kTokenBoolean = 290,
    kTokenColor = 302,
    kTokenPragma = 305,
    kTokenByVal = 307,  // "Const" too
    kTokenConst = 309,
    kTokenIf = 310,
    kTokenElse = 311,
    kTokenEndIf = 312,
    kTokenExtends = 334,
    kTokenAssigns = 335,
    kTokenElseIf = 341,
    kTokenObject = 342,
    kTokenIdentifier = 400,
    kTokenIntegerNumber = 401,
    kTokenStringLiteral = 402,
    kTokenAssign = 403,        // :=
    kTokenGreaterEqual = 404,  // >=
    kTokenLessEqual = 405,     // <=
    kTokenNotEqual = 406,      // <>
    kTokenEllipsis = 407,      // ...
    kTokenRange = 408,         // ..
    kTokenFloatNumber = 409,
    kTokenColorLiteral = 410,
    kTokenOpenString = 601,   // a string without its closing quote
    kTokenLongColor = 602,    // &C with more than 6 digits
};

constexpr int32_t kKeywordCount = 86;
constexpr int32_t kTokenTextSize = 2048;

// The keyword at a position of the table, or null outside it.
const char* KeywordAt(int32_t position);

void LexerSetInput(const char* text);
int32_t LexerGetChar();
void LexerUngetChar(int32_t c);
int32_t LexerPosition();
void LexerSkipToEnd();
void BuildKeywordMap();
int32_t LexerScanToken(int32_t first);
int32_t LexerNextToken();
int32_t LexerNextSignificantToken();
// The text of the last identifier, number, string, "&" literal or "#" word.
const char* LexerTokenText();
