#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/ClassDefinition.h"
#include "host/Application.h"
#include "host/DeclarationLexer.h"
#include "core/IntrinsicTypes.h"
#include "host/PluginDeclaration.h"

namespace {

struct Token {
    int32_t number;
    const char* text;  // the token text after it, or null when not checked
};

std::vector<int32_t> Scan(const char* text) {
    LexerSetInput(text);
    std::vector<int32_t> tokens;
    for (int32_t token = LexerNextSignificantToken(); token != kTokenEnd; token = LexerNextSignificantToken())
        tokens.push_back(token);
    return tokens;
}

struct LexerCase {
    const char* input;
    std::vector<Token> tokens;
};

const LexerCase kLexerCases[] = {
    {"2147483647", {{401, "2147483647"}}},
    {"2147483648", {{409, "2147483648"}}},
    {"12345678901", {{409, nullptr}}},
    {"123", {{401, "123"}}},
    {"1.5", {{409, "1.5"}}},
    {"2e10", {{409, "2e10"}}},
    {"&hFF", {{401, "&HFF"}}},
    {"&o17 &b101", {{401, "&O17"}, {401, "&B101"}}},
    {"&c00FF00", {{410, "&C00FF00"}}},
    {"&c0000000", {{602, nullptr}}},
    {"&Z", {{38, nullptr}, {400, "Z"}}},
    {"\"a\"\"b\"", {{402, "a\"b"}}},
    {"\"open", {{601, nullptr}}},
    {"x := 1", {{400, "x"}, {403, nullptr}, {401, "1"}}},
    {"a<>b", {{400, "a"}, {406, nullptr}, {400, "b"}}},
    {"a<=b>=c<d>e", {{400, nullptr}, {405, nullptr}, {400, nullptr}, {404, nullptr}, {400, nullptr},
                      {60, nullptr}, {400, nullptr}, {62, nullptr}, {400, nullptr}}},
    {"...", {{407, nullptr}}},
    {"..x", {{408, nullptr}, {400, "x"}}},
    {".5", {{409, ".5"}}},
    {"a.b", {{400, "a"}, {46, nullptr}, {400, "b"}}},
    {"function FUNCTION Function", {{259, nullptr}, {259, nullptr}, {259, nullptr}}},
    {"Const ByVal", {{307, nullptr}, {307, nullptr}}},
    {"ByRef x As DatabaseCursor", {{289, nullptr}, {400, "x"}, {261, nullptr}, {400, "RecordSet"}}},
    {"y As databasecursorfield", {{400, nullptr}, {261, nullptr}, {400, "DatabaseField"}}},
    {"Sub F // note", {{258, nullptr}, {400, "F"}}},
    {"Sub F ' note", {{258, nullptr}, {400, "F"}}},
    {"Sub F Rem note", {{258, nullptr}, {400, "F"}}},
    {"a/b", {{400, nullptr}, {47, nullptr}, {400, nullptr}}},
    {"#IF #pragma #ElseIf #else #endif #region", {{310, "#IF"}, {305, nullptr}, {341, nullptr},
                                                   {311, nullptr}, {312, nullptr}, {35, "#region"}}},
    {"Object\tcolor Extends Assigns", {{342, nullptr}, {302, nullptr}, {334, nullptr}, {335, nullptr}}},
    {"_x ~y", {{400, "_x"}, {400, "~y"}}},
};

TEST(DeclarationLexer, ScansTheTokensOfTheLanguage) {
    for (const LexerCase& c : kLexerCases) {
        LexerSetInput(c.input);
        for (const Token& expected : c.tokens) {
            EXPECT_EQ(LexerNextSignificantToken(), expected.number) << c.input;
            if (expected.text) {
                EXPECT_STREQ(LexerTokenText(), expected.text) << c.input;
            }
        }
        EXPECT_EQ(LexerNextSignificantToken(), kTokenEnd) << c.input;
    }
}

TEST(DeclarationLexer, KeywordTableNumbersFollowPositions) {
    EXPECT_STREQ(KeywordAt(0), "If");
    EXPECT_STREQ(KeywordAt(85), "Object");
    EXPECT_STREQ(KeywordAt(49), "");
    EXPECT_EQ(KeywordAt(86), nullptr);
    // Every keyword that is a word scans as 257 + its position (Const answers as ByVal).
    for (int32_t p = 0; p < kKeywordCount; ++p) {
        const char* word = KeywordAt(p);
        if (!word[0] || word[0] == '#') continue;
        const std::vector<int32_t> tokens = Scan(word);
        if (p == 26) {  // "Rem" ends the text
            EXPECT_TRUE(tokens.empty());
            continue;
        }
        ASSERT_EQ(tokens.size(), 1u) << word;
        EXPECT_EQ(tokens[0], p == 52 ? 307 : 257 + p) << word;
    }
}

TEST(DeclarationLexer, PushBackKeepsTwoAndPositionCountsThem) {
    LexerSetInput("abc");
    EXPECT_EQ(LexerGetChar(), 'a');
    EXPECT_EQ(LexerGetChar(), 'b');
    EXPECT_EQ(LexerPosition(), 2);
    LexerUngetChar('x');
    LexerUngetChar('y');
    LexerUngetChar('z');
    LexerUngetChar(0);
    EXPECT_EQ(LexerPosition(), 0);
    EXPECT_EQ(LexerGetChar(), 'x');
    EXPECT_EQ(LexerGetChar(), 'y');
    EXPECT_EQ(LexerGetChar(), 'c');
    EXPECT_EQ(LexerGetChar(), 0);
    EXPECT_EQ(LexerGetChar(), 0);
    EXPECT_EQ(LexerPosition(), 3);
}

TEST(DeclarationLexer, LongTokensAreCutNotOverrun) {
    std::string word(5000, 'w');
    LexerSetInput(word.c_str());
    EXPECT_EQ(LexerNextToken(), kTokenIdentifier);
    EXPECT_EQ(std::string(LexerTokenText()).size(), size_t(kTokenTextSize - 1));
    std::string text = "\"" + std::string(5000, 's') + "\"";
    LexerSetInput(text.c_str());
    EXPECT_EQ(LexerNextToken(), kTokenStringLiteral);
    EXPECT_EQ(std::string(LexerTokenText()).size(), size_t(kTokenTextSize - 2));
}

// --- declarations ---

struct DeclarationCase {
    const char* text;
    bool parses;
    const char* name = nullptr;
    const char* parameterText = nullptr;
    const char* returnName = nullptr;
    int32_t parameterCount = 0;
    int32_t flags = 0;
};

const DeclarationCase kDeclarations[] = {
    {"Function Foo(x As Integer, y As String) As Boolean", true, "Foo", "x As Integer, y As String",
     "Boolean", 2, 0},
    {"Sub Bar", true, "Bar", "", "", 0, 0},
    {"Baz2()", true, "Baz2", "", "", 0, 0},
    {"Sub Baz(Extends s As String, v As Integer)", true, "Baz", "Extends s As String, v As Integer", "", 2, 1},
    {"Sub Put(Assigns v As Integer)", true, "Put", "Assigns v As Integer", "", 1, 2},
    {"Sub Both(Extends a As Integer, Assigns b As Integer)", true, "Both",
     "Extends a As Integer, Assigns b As Integer", "", 2, 3},
    {"Sub Late(a As Integer, Extends b As Integer)", true, "Late", "a As Integer, Extends b As Integer", "", 2, 0},
    {"Sub G(x As Integer = -1)", true, "G", "x As Integer = -1", "", 1, 0},
    {"Sub G2(Const s As String = \"a\", ByVal t As Color)  // rest", true, "G2",
     "Const s As String = \"a\", ByVal t As Color", "", 2, 0},
    {"Function K As Color", true, "K", "", "Color", 0, 0},
    {"Function L() As Object", true, "L", "", "Object", 0, 0},
    {"Function M As Integer() trailing words", true, "M", "", "Integer()", 0, 0},
    {"Function N(p As Application) As Date", true, "N", "p As Application", "Date", 1, 0},
    {"Sub H(x)", false},
    {"Sub H(ByRef Extends x As Integer)", false},
    {"Sub H(x As NoSuchClass)", false},
    {"Sub H(x As Integer y As Integer)", false},
    {"Sub H(x( As Integer)", false},
    {"Function K As NoSuchClass", false},
    {"Function K As 12", false},
    {"Sub 12", false},
    {"Sub Function", false},
    {"", false},
};

void RegisterBuiltInClasses() {
    static const bool registered = (CreateApplicationClass(), true);
    (void)registered;
}

TEST(PluginDeclaration, ParsesTheDeclarationGrammar) {
    RegisterBuiltInClasses();
    for (const DeclarationCase& c : kDeclarations) {
        ParsedDeclaration parsed;
        ASSERT_EQ(ParsePluginDeclaration(c.text, &parsed), c.parses) << c.text;
        if (!c.parses) {
            EXPECT_EQ(parsed.parameters, nullptr) << c.text;
            continue;
        }
        EXPECT_STREQ(parsed.name.CString(), c.name) << c.text;
        EXPECT_STREQ(parsed.parameterText.CString(), c.parameterText) << c.text;
        EXPECT_STREQ(parsed.returnTypeName.CString(), c.returnName) << c.text;
        EXPECT_EQ(parsed.parameterCount, c.parameterCount) << c.text;
        EXPECT_EQ(parsed.flags, c.flags) << c.text;
        FreeParsedDeclaration(&parsed);
    }
}

TEST(PluginDeclaration, ParametersCarryTypesByRefAndDefaults) {
    ParsedDeclaration parsed;
    ASSERT_TRUE(ParsePluginDeclaration("Function F(ByRef a() As Integer, b As Double = 2) As String()", &parsed));
    ASSERT_EQ(parsed.parameterCount, 2);
    EXPECT_STREQ(parsed.parameters[0].name, "a");
    EXPECT_EQ(parsed.parameters[0].byRef, 1);
    const TypeDescriptor* array = parsed.parameters[0].parameterType;
    ASSERT_EQ(array->kind, kTypeArray);
    EXPECT_EQ(reinterpret_cast<const ArrayType*>(array)->elementType, AsType(&kIntegerType));
    EXPECT_EQ(reinterpret_cast<const ArrayType*>(array)->dimensions, 1);
    EXPECT_EQ(parsed.parameters[0].hasDefault, 0);
    EXPECT_EQ(parsed.parameters[1].parameterType, AsType(&kDoubleType));
    EXPECT_EQ(parsed.parameters[1].hasDefault, 1);
    EXPECT_EQ(parsed.returnType->kind, kTypeArray);
    EXPECT_EQ(reinterpret_cast<const ArrayType*>(parsed.returnType)->elementType, AsType(&kStringType));

    // A fresh parse makes fresh array descriptors, yet the two signatures still match.
    ParsedDeclaration again;
    ASSERT_TRUE(ParsePluginDeclaration("Function f(ByRef x() As Integer, y As Double) As String()", &again));
    EXPECT_NE(again.parameters[0].parameterType, array);
    EXPECT_TRUE(DeclarationsMatch(parsed, again.name.CString(), again.returnType, again.parameters,
                                  again.parameterCount));
    ParsedDeclaration other;
    ASSERT_TRUE(ParsePluginDeclaration("Function F(a() As Double, b As Double) As String()", &other));
    EXPECT_FALSE(DeclarationsMatch(parsed, other.name.CString(), other.returnType, other.parameters,
                                   other.parameterCount));
    FreeParsedDeclaration(&other);
    FreeParsedDeclaration(&again);
    FreeParsedDeclaration(&parsed);
}

TEST(PluginDeclaration, TypeNamesAndClassRenames) {
    RegisterBuiltInClasses();
    EXPECT_EQ(PluginTypeDescriptor(string("color")), AsType(&kColorType));
    EXPECT_EQ(PluginTypeDescriptor(string("SINGLE")), AsType(&kSingleType));
    EXPECT_EQ(PluginTypeDescriptor(string("Object")), nullptr);
    ObjectDefinition* application = FindPluginSuperclass(string("application"));
    ASSERT_NE(application, nullptr);
    EXPECT_STREQ(application->className.CString(), "Application");
    EXPECT_EQ(FindPluginSuperclass(string("NoSuchClass")), nullptr);
}

}  // namespace
