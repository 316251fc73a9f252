#include "EndOfLine.h"

#include "StringLibrary.h"
#include "core/DefinitionConversion.h"
#include "core/IntrinsicTypes.h"

namespace {

constexpr const char kWindowsEnding[] = "\r\n";

// Made on first use and released at exit.
const string& KeptEnding(const char* text) {
    static const string mac("\r");
    static const string windows(kWindowsEnding);
    static const string unix("\n");
    return text[0] == '\n' ? unix : text[1] ? windows : mac;
}

ParameterEntry kValueParameter[] = {
    {"value", AsType(&kStringType), 0, 0, 0, 0},
};

PropertyEntry kEndOfLineProperties[] = {
    {kRowAttr4, "Macintosh", AsType(&kStringType), RowFunction(getMacEndOfLine), "getMacEndOfLine",
     nullptr, nullptr, 0, 0},
    {kRowAttr4, "Windows", AsType(&kStringType), RowFunction(getWin32EndOfLine),
     "getWin32EndOfLine", nullptr, nullptr, 0, 0},
    {kRowAttr4, "UNIX", AsType(&kStringType), RowFunction(getUNIXEndOfLine), "getUNIXEndOfLine",
     nullptr, nullptr, 0, 0},
};

MethodEntry kEndOfLineMethods[] = {
    {"Operator_Convert", AsType(&kStringType), nullptr, 0,
     Function(RuntimeEndOfLine, "RuntimeEndOfLine"), {}, kMethodPlain, kRowAttr4, 0},
    {"Operator_Add", AsType(&kStringType), kValueParameter, 1,
     Function(RuntimeEndOfLineAdd, "RuntimeEndOfLineAdd"), {}, kMethodPlain, kRowAttr4, 0},
    {"Operator_AddRight", AsType(&kStringType), kValueParameter, 1,
     Function(RuntimeEndOfLineAddRight, "RuntimeEndOfLineAddRight"), {}, kMethodPlain, kRowAttr4, 0},
    {"Operator_Compare", AsType(&kIntegerType), kValueParameter, 1,
     Function(RuntimeEndOfLineCompare, "RuntimeEndOfLineCompare"), {}, kMethodPlain, kRowAttr4, 0},
};

const ClassRows kEndOfLineRows = {
    .className = "EndOfLine",
    .superclass = nullptr,
    .objectSize = kObjectHeaderSize,
    .properties = kEndOfLineProperties,
    .methods = kEndOfLineMethods,
};

}  // namespace

ObjectDefinition* GetEndOfLineDefinition() {
    static ObjectDefinition definition;
    return FillClassDefinition(definition, kEndOfLineRows);
}

extern "C" {

StringRecord* RuntimeEndOfLine() { return string(kWindowsEnding).Detach(); }

StringRecord* getMacEndOfLine(ObjectHeader*) { return string(KeptEnding("\r")).Detach(); }
StringRecord* getWin32EndOfLine(ObjectHeader*) { return string(KeptEnding("\r\n")).Detach(); }
StringRecord* getUNIXEndOfLine(ObjectHeader*) { return string(KeptEnding("\n")).Detach(); }

StringRecord* RuntimeEndOfLineAdd(ObjectHeader*, StringRecord* value) {
    return StringConcat(string(kWindowsEnding), string(value)).Detach();
}

StringRecord* RuntimeEndOfLineAddRight(ObjectHeader*, StringRecord* value) {
    return StringConcat(string(value), string(kWindowsEnding)).Detach();
}

int32_t RuntimeEndOfLineCompare(ObjectHeader*, StringRecord* value) {
    return string::Compare(string(kWindowsEnding), string(value));
}

ObjectHeader* RuntimeGetEndOfLineObject() { return CreateInstance(GetEndOfLineDefinition()); }

StringRecord* RuntimeReplaceLineEndings(StringRecord* sourceRecord, StringRecord* replaceWith) {
    const string source(sourceRecord);
    if (source.IsEmpty()) return nullptr;
    const string lineFeed("\n");
    const string unixText = ReplaceAllText(ReplaceAllText(source, string("\r\n"), lineFeed),
                                           string("\r"), lineFeed);
    return ReplaceAllText(unixText, lineFeed, string(replaceWith)).Detach();
}

}  // extern "C"
