// The language's built-in global functions, in table order. Each area adds its rows at their place
// as it is built; the table will hold 219 rows.
#include <cstring>

#include "core/ClassDefinition.h"
#include "core/RuntimeDebug.h"
#include "files/ObjectDump.h"
#include "host/ConsoleApplication.h"
#include "host/ExternalCallStrings.h"
#include "core/IntrinsicTypes.h"
#include "host/LookColors.h"
#include "host/RuntimeWiring.h"
#include "host/WindowLookups.h"
#include "values/Bitwise.h"
#include "values/ColorValues.h"
#include "values/EndOfLine.h"
#include "values/MathFunctions.h"
#include "values/MemoryBlock.h"
#include "values/NumberText.h"
#include "core/Rnd.h"
#include "values/StringLibrary.h"
#include "values/ExternalFunctions.h"
#include "values/TextEncodingObjects.h"
#include "controls/MsgBox.h"
#include "values/TextServices.h"
#include "values/Date.h"
#include "values/Variant.h"
#include "database/BuiltinDatabaseClass.h"
#include "database/DatabaseObjects.h"
#include "files/FolderItem.h"
#include "files/RegistryAccessors.h"
#include "windows/Keyboard.h"
#include "windows/MouseCursor.h"
#include "windows/Screens.h"

namespace {

ParameterEntry kPathParameter[] = {
    {"path", AsType(&kStringType), 0, 0, 0, 0},
};

const ArrayType kStringArrayType = {kTypeArray, AsType(&kStringType), 1};

ParameterEntry StringParameter(const char* name) {
    return {name, AsType(&kStringType), 0, 0, 0, 0};
}
ParameterEntry IntegerParameter(const char* name) {
    return {name, AsType(&kIntegerType), 0, 0, 0, 0};
}

ParameterEntry DoubleParameter(const char* name) {
    return {name, AsType(&kDoubleType), 0, 0, 0, 0};
}

ParameterEntry kValueParameter[] = {DoubleParameter("value")};
ParameterEntry kATan2Parameters[] = {DoubleParameter("y"), DoubleParameter("x")};
ParameterEntry kPowParameters[] = {DoubleParameter("base"), DoubleParameter("exponent")};
ParameterEntry kMaxMinParameters[] = {DoubleParameter("value1"), DoubleParameter("value2"),
                                      {"moreValues", AsType(&kDoubleType), 0, 0, 0, 1}};
ParameterEntry kRGBParameters[] = {IntegerParameter("red"), IntegerParameter("green"),
                                   IntegerParameter("blue")};
ParameterEntry kHSVParameters[] = {DoubleParameter("hue"), DoubleParameter("saturation"),
                                   DoubleParameter("value")};
ParameterEntry kCMYParameters[] = {DoubleParameter("cyan"), DoubleParameter("magenta"),
                                   DoubleParameter("yellow")};
ParameterEntry kBitwiseParameters[] = {IntegerParameter("value"), IntegerParameter("value2")};
// Parameters of a class type; the types are filled in when the table is loaded.
ParameterEntry kVariantValueParameter[] = {{"value", nullptr, 0, 0, 0, 0}};
ParameterEntry kParseDateParameters[] = {StringParameter("text"), {"date", nullptr, 1, 0, 0, 0}};
ParameterEntry kScreenParameters[] = {IntegerParameter("value")};
ParameterEntry kFormatParameters[] = {DoubleParameter("number"), StringParameter("format")};
ParameterEntry kSizeParameter[] = {IntegerParameter("size")};
ParameterEntry kFolderItemPathParameters[] = {StringParameter("path"),
                                              {"pathMode", AsType(&kIntegerType), 0, 1, 0, 0}};
ParameterEntry kFilterParameter[] = {StringParameter("filter")};
ParameterEntry kSaveFilterParameters[] = {StringParameter("filter"), StringParameter("defaultName")};
ParameterEntry kVolumeParameter[] = {IntegerParameter("index")};
ParameterEntry kDatabaseFileParameter[] = {{"f", nullptr, 0, 0, 0, 0}};

ParameterEntry kMsgBoxParameters[] = {StringParameter("message")};
ParameterEntry kCodedMsgBoxParameters[] = {
    StringParameter("message"),
    IntegerParameter("buttons"),
    {"title", AsType(&kStringType), 0, 0, 0, 0},
};
ParameterEntry kReplaceLineEndingsParameters[] = {StringParameter("source"),
                                                  StringParameter("replaceWith")};
ParameterEntry kSourceParameter[] = {StringParameter("source")};
ParameterEntry kSourceCountParameters[] = {StringParameter("source"), IntegerParameter("count")};
ParameterEntry kCodeParameter[] = {IntegerParameter("value")};
ParameterEntry kExternalFunctionParameters[] = {StringParameter("functionName"),
                                                StringParameter("libraryName")};
ParameterEntry kReplaceParameters[] = {StringParameter("source"), StringParameter("oldString"),
                                       StringParameter("newString")};
ParameterEntry kFieldsParameters[] = {StringParameter("source"), StringParameter("delimiter")};
ParameterEntry kNthFieldParameters[] = {StringParameter("source"), StringParameter("delimiter"),
                                        IntegerParameter("fieldNumber")};
// The delimiter's default, one space, is filled in when the table is loaded.
ParameterEntry kSplitParameters[] = {StringParameter("source"), StringParameter("delimiter")};
ParameterEntry kJoinParameters[] = {{"source", AsType(&kStringArrayType), 0, 0, 0, 0},
                                    StringParameter("delimiter")};
ParameterEntry kStrCompParameters[] = {StringParameter("string1"), StringParameter("string2"),
                                       IntegerParameter("mode")};
ParameterEntry kInStrParameters[] = {{"start", AsType(&kIntegerType), 0, 1, 1, 0},
                                     StringParameter("source"), StringParameter("find")};
ParameterEntry kExtendsInStrParameters[] = {StringParameter("source"),
                                            {"start", AsType(&kIntegerType), 0, 1, 1, 0},
                                            StringParameter("find")};
ParameterEntry kMidParameters[] = {StringParameter("source"), IntegerParameter("start")};
ParameterEntry kMidCountParameters[] = {StringParameter("source"), IntegerParameter("start"),
                                        IntegerParameter("length")};

// Encoding parameters are typed TextEncoding when the table is loaded.
ParameterEntry kEncodingParameters[] = {StringParameter("source"), {"encoding", nullptr, 0, 0, 0, 0}};
ParameterEntry kTextEncodingParameters[] = {IntegerParameter("base"),
                                            {"variant", AsType(&kIntegerType), 0, 1, 0, 0},
                                            {"format", AsType(&kIntegerType), 0, 1, 0, 0}};
ParameterEntry kNameParameter[] = {StringParameter("name")};
ParameterEntry kURLParameter[] = {StringParameter("url")};
ParameterEntry kConverterParameters[] = {{"sourceEncoding", nullptr, 0, 0, 0, 0},
                                         {"destinationEncoding", nullptr, 0, 0, 0, 0}};

// A row of the string library: a global function, or (kMethodExtends) a method of String values
// whose first parameter is the value.
template <typename F, size_t N>
MethodEntry StringRow(const char* name, const TypeDescriptor* result,
                                ParameterEntry (&parameters)[N], F* function, const char* link,
                                int32_t kind = kMethodPlain) {
    return {name, result, parameters, static_cast<int32_t>(N), Function(function, link), {}, kind,
            kRowAttr4, 0};
}

const TypeDescriptor* const kString = AsType(&kStringType);
const TypeDescriptor* const kInteger = AsType(&kIntegerType);
const TypeDescriptor* const kStringArray = AsType(&kStringArrayType);
const TypeDescriptor* const kDouble = AsType(&kDoubleType);
const TypeDescriptor* const kColor = AsType(&kColorType);
const TypeDescriptor* const kBoolean = AsType(&kBooleanType);

}  // namespace

MethodEntry gIntrinsicFunctionRows[] = {
    {"WatchCursor", nullptr, nullptr, 0, Function(getWatchCursor, "getWatchCursor"), {},
     kMethodPlain, 0, 0},
    {"IBeamCursor", nullptr, nullptr, 0, Function(getIBeamCursor, "getIBeamCursor"), {},
     kMethodPlain, 0, 0},
    {"ArrowCursor", nullptr, nullptr, 0, Function(getArrowCursor, "getArrowCursor"), {},
     kMethodPlain, 0, 0},
    StringRow("Screen", nullptr, kScreenParameters, getScreen, "getScreen"),
    {"ScreenCount", kInteger, nullptr, 0, Function(getScreenCount, "getScreenCount"), {},
     kMethodPlain, 0, 0},
    StringRow("MsgBox", nullptr, kMsgBoxParameters, RuntimeMsgBox, "RuntimeMsgBox"),
    StringRow("MsgBox", kInteger, kCodedMsgBoxParameters, VB_RuntimeMsgBox, "VB_RuntimeMsgBox"),
    {"Runtime", nullptr, nullptr, 0, Function(RuntimeDebugInstance, "RuntimeDebugInstance"), {},
     kMethodPlain, 0, 0},
    {"Keyboard", nullptr, nullptr, 0, Function(getKeyboardObject, "getKeyboardObject"), {},
     kMethodPlain, 0, 0},
    {"DebugDumpObjects", nullptr, kPathParameter, 1,
     Function(debugDumpObjects, "debugDumpObjects"), {}, kMethodPlain, 0, 0},
    StringRow("ReplaceLineEndings", kString, kReplaceLineEndingsParameters,
              RuntimeReplaceLineEndings, "RuntimeReplaceLineEndings"),
    {"EndOfLine", nullptr, nullptr, 0,
     Function(RuntimeGetEndOfLineObject, "RuntimeGetEndOfLineObject"),
     {}, kMethodPlain, kRowAttr4, 0},
    {"Rnd", kDouble, nullptr, 0, Function(rnd, "rnd"), {}, kMethodPlain, kRowAttr4, 0},
    {"Ticks", kInteger, nullptr, 0, Function(RuntimeTicks, "RuntimeTicks"),
     {}, kMethodPlain, kRowAttr4, 0},
    {"Microseconds", kDouble, nullptr, 0, Function(RuntimeMicroseconds, "RuntimeMicroseconds"), {},
     kMethodPlain, kRowAttr4, 0},
    {"Beep", nullptr, nullptr, 0, Function(RuntimeBeep, "RuntimeBeep"),
     {}, kMethodPlain, kRowAttr4, 0},
    StringRow("ShowURL", nullptr, kURLParameter, GlobalShowURL, "GlobalShowURL"),
    {"FrameColor", kColor, nullptr, 0, Function(getFrameColor, "getFrameColor"),
     {}, kMethodPlain, kRowAttr4, 0},
    {"FillColor", kColor, nullptr, 0, Function(getFillColor, "getFillColor"),
     {}, kMethodPlain, kRowAttr4, 0},
    {"TextColor", kColor, nullptr, 0, Function(getTextColor, "getTextColor"),
     {}, kMethodPlain, kRowAttr4, 0},
    {"LightTingeColor", kColor, nullptr, 0, Function(getLightTingeColor, "getLightTingeColor"),
     {}, kMethodPlain, kRowAttr4, 0},
    {"DarkTingeColor", kColor, nullptr, 0, Function(getDarkTingeColor, "getDarkTingeColor"),
     {}, kMethodPlain, kRowAttr4, 0},
    {"LightBevelColor", kColor, nullptr, 0, Function(getLightBevelColor, "getLightBevelColor"),
     {}, kMethodPlain, kRowAttr4, 0},
    {"DarkBevelColor", kColor, nullptr, 0, Function(getDarkBevelColor, "getDarkBevelColor"),
     {}, kMethodPlain, kRowAttr4, 0},
    {"DisabledTextColor", kColor, nullptr, 0, Function(GetDisabledTextColor, "GetDisabledTextColor"),
     {}, kMethodPlain, kRowAttr4, 0},
    {"HighlightColor", kColor, nullptr, 0, Function(getHilightColor, "getHilightColor"),
     {}, kMethodPlain, kRowAttr4, 0},
    {"WindowCount", kInteger, nullptr, 0, Function(getWindowCount, "getWindowCount"), {},
     kMethodPlain, kRowAttr4, 0},
    {"IsCMMClick", kBoolean, nullptr, 0, Function(IsCMMClick, "IsCMMClick"), {},
     kMethodPlain, kRowAttr4, 0},
    {"ClearFocus", nullptr, nullptr, 0, Function(clearFocus, "clearFocus"), {},
     kMethodPlain, kRowAttr4, 0},
    StringRow("RGB", kColor, kRGBParameters, RuntimeRGB, "RuntimeRGB"),
    StringRow("HSV", kColor, kHSVParameters, RuntimeHSV, "RuntimeHSV"),
    StringRow("CMY", kColor, kCMYParameters, RuntimeCMY, "RuntimeCMY"),
    StringRow("Val", kDouble, kSourceParameter, StringVal, "StringVal"),
    StringRow("ACos", kDouble, kValueParameter, RuntimeACos, "RuntimeACos"),
    StringRow("ASin", kDouble, kValueParameter, RuntimeASin, "RuntimeASin"),
    StringRow("ATan", kDouble, kValueParameter, RuntimeATan, "RuntimeATan"),
    StringRow("ATan2", kDouble, kATan2Parameters, RuntimeATan2, "RuntimeATan2"),
    StringRow("Cos", kDouble, kValueParameter, RuntimeCos, "RuntimeCos"),
    StringRow("Exp", kDouble, kValueParameter, RuntimeExp, "RuntimeExp"),
    StringRow("Log", kDouble, kValueParameter, RuntimeLog, "RuntimeLog"),
    StringRow("Sin", kDouble, kValueParameter, RuntimeSin, "RuntimeSin"),
    StringRow("Pow", kDouble, kPowParameters, RuntimePow, "RuntimePow"),
    StringRow("Sqrt", kDouble, kValueParameter, RuntimeSqrt, "RuntimeSqrt"),
    StringRow("Tan", kDouble, kValueParameter, RuntimeTan, "RuntimeTan"),
    StringRow("Ceil", kDouble, kValueParameter, RuntimeCeil, "RuntimeCeil"),
    StringRow("Floor", kDouble, kValueParameter, RuntimeFloor, "RuntimeFloor"),
    StringRow("Round", kDouble, kValueParameter, RuntimeRound, "RuntimeRound"),
    StringRow("Abs", kDouble, kValueParameter, RuntimeAbs, "RuntimeAbs"),
    StringRow("Sign", kInteger, kValueParameter, RuntimeSign, "RuntimeSign"),
    StringRow("Max", kDouble, kMaxMinParameters, RuntimeMax, "RuntimeMax"),
    StringRow("Min", kDouble, kMaxMinParameters, RuntimeMin, "RuntimeMin"),
    StringRow("Hex", kString, kCodeParameter, RuntimeHex, "RuntimeHex"),
    StringRow("Oct", kString, kCodeParameter, RuntimeOct, "RuntimeOct"),
    StringRow("Bin", kString, kCodeParameter, RuntimeBin, "RuntimeBin"),
    StringRow("Format", kString, kFormatParameters, StringFormat, "StringFormat"),
    StringRow("NewMemoryBlock", nullptr, kSizeParameter, newMemoryBlock, "newMemoryBlock"),
    StringRow("BitwiseAnd", kInteger, kBitwiseParameters, BitwiseAnd, "BitwiseAnd"),
    StringRow("BitwiseOr", kInteger, kBitwiseParameters, BitwiseOr, "BitwiseOr"),
    StringRow("BitwiseXor", kInteger, kBitwiseParameters, BitwiseXor, "BitwiseXor"),
    StringRow("CStr", kString, kVariantValueParameter, runCStr, "runCStr"),
    StringRow("CDbl", kDouble, kSourceParameter, runCDbl, "runCDbl"),
    StringRow("VarType", kInteger, kVariantValueParameter, VarType, "VarType"),
    StringRow("IsNumeric", kBoolean, kVariantValueParameter, RuntimeIsNumeric, "RuntimeIsNumeric"),
    StringRow("_NumericType", kInteger, kSourceParameter, RuntimeTypeOfNumeric,
              "RuntimeTypeOfNumeric"),
    {"Encodings", nullptr, nullptr, 0, Function(GetEncodingsObject, "GetEncodingsObject"), {},
     kMethodPlain, kRowAttr4, 0},
    StringRow("Encoding", nullptr, kSourceParameter, StringGetEncoding, "StringGetEncoding"),
    StringRow("DefineEncoding", kString, kEncodingParameters, StringSetEncoding, "StringSetEncoding"),
    StringRow("ConvertEncoding", kString, kEncodingParameters, StringConvertEncoding,
              "StringConvertEncoding"),
    StringRow("GetTextEncoding", nullptr, kTextEncodingParameters, getTextEncoding,
              "getTextEncoding"),
    StringRow("GetInternetTextEncoding", nullptr, kNameParameter, getInternetTextEncoding,
              "getInternetTextEncoding"),
    StringRow("GetFontTextEncoding", nullptr, kNameParameter, getFontTextEncoding,
              "getFontTextEncoding"),
    StringRow("GetTextConverter", nullptr, kConverterParameters, getTextConverter,
              "getTextConverter"),
    StringRow("GuessJapaneseEncoding", nullptr, kSourceParameter, guessJapaneseEncoding,
              "guessJapaneseEncoding"),
    StringRow("IsNull", kBoolean, kVariantValueParameter, IsNull, "IsNull"),
    StringRow("ParseDate", kBoolean, kParseDateParameters, parseDate, "parseDate"),
    StringRow("GetFolderItem", nullptr, kFolderItemPathParameters, RuntimeGetFolderItem,
              "RuntimeGetFolderItem"),
    StringRow("GetTrueFolderItem", nullptr, kFolderItemPathParameters, RuntimeGetTrueFolderItem,
              "RuntimeGetTrueFolderItem"),
    StringRow("GetOpenFolderItem", nullptr, kFilterParameter, RuntimeGetOpenFolderItem,
              "RuntimeGetOpenFolderItem"),
    StringRow("GetSaveFolderItem", nullptr, kSaveFilterParameters, RuntimeGetSaveFolderItem,
              "RuntimeGetSaveFolderItem"),
    StringRow("NewQUORDatabaseOldFormat", nullptr, kDatabaseFileParameter, newQUORDatabase,
              "newQUORDatabase"),
    StringRow("OpenQUORDatabaseOldFormat", nullptr, kDatabaseFileParameter, openQUORDatabase,
              "openQUORDatabase"),
    StringRow("Volume", nullptr, kVolumeParameter, getVolume, "getVolume"),
    {"VolumeCount", kInteger, nullptr, 0, Function(getVolumeCount, "getVolumeCount"),
     {}, kMethodPlain, kRowAttr4, 0},
    {"AppleMenuFolder", nullptr, nullptr, 0,
     Function(getAppleMenuFolder, "getAppleMenuFolder"),
     {}, kMethodPlain, kRowAttr4, 0},
    {"ControlPanelsFolder", nullptr, nullptr, 0,
     Function(getControlPanelsFolder, "getControlPanelsFolder"),
     {}, kMethodPlain, kRowAttr4, 0},
    {"DesktopFolder", nullptr, nullptr, 0,
     Function(getDesktopFolder, "getDesktopFolder"),
     {}, kMethodPlain, kRowAttr4, 0},
    {"ExtensionsFolder", nullptr, nullptr, 0,
     Function(getExtensionsFolder, "getExtensionsFolder"),
     {}, kMethodPlain, kRowAttr4, 0},
    {"PreferencesFolder", nullptr, nullptr, 0,
     Function(getPreferencesFolder, "getPreferencesFolder"),
     {}, kMethodPlain, kRowAttr4, 0},
    {"StartupItemsFolder", nullptr, nullptr, 0,
     Function(getStartupItemsFolder, "getStartupItemsFolder"),
     {}, kMethodPlain, kRowAttr4, 0},
    {"ShutdownItemsFolder", nullptr, nullptr, 0,
     Function(getShutdownItemsFolder, "getShutdownItemsFolder"),
     {}, kMethodPlain, kRowAttr4, 0},
    {"ApplicationSupportFolder", nullptr, nullptr, 0,
     Function(getApplicationSupportFolder, "getApplicationSupportFolder"),
     {}, kMethodPlain, kRowAttr4, 0},
    {"FontsFolder", nullptr, nullptr, 0,
     Function(getFontsFolder, "getFontsFolder"),
     {}, kMethodPlain, kRowAttr4, 0},
    {"TrashFolder", nullptr, nullptr, 0,
     Function(getTrashFolder, "getTrashFolder"),
     {}, kMethodPlain, kRowAttr4, 0},
    {"SystemFolder", nullptr, nullptr, 0,
     Function(getSystemFolder, "getSystemFolder"),
     {}, kMethodPlain, kRowAttr4, 0},
    {"TemporaryFolder", nullptr, nullptr, 0,
     Function(getTemporaryItemsFolder, "getTemporaryItemsFolder"),
     {}, kMethodPlain, kRowAttr4, 0},
    {"DocumentsFolder", nullptr, nullptr, 0,
     Function(GetDocumentsFolder, "GetDocumentsFolder"),
     {}, kMethodPlain, kRowAttr4, 0},
    {"GetTemporaryFolderItem", nullptr, nullptr, 0,
     Function(getTemporaryFolderItem, "getTemporaryFolderItem"),
     {}, kMethodPlain, kRowAttr4, 0},
    {"SelectFolder", nullptr, nullptr, 0,
     Function(RuntimeSelectFolder, "RuntimeSelectFolder"),
     {}, kMethodPlain, kRowAttr4, 0},
    {"GetApplicationRegistryItem", nullptr, nullptr, 0,
     Function(RuntimeGetDefaultApplicationRegistryItem, "RuntimeGetDefaultApplicationRegistryItem"),
     {}, kMethodPlain, kRowAttr4, 0},
    StringRow("Print", nullptr, kMsgBoxParameters, RuntimeConsolePrint, "RuntimeConsolePrint"),
    {"Input", kString, nullptr, 0, Function(RuntimeConsoleInput, "RuntimeConsoleInput"), {},
     kMethodPlain, kRowAttr4, 0},
    {"stdin", nullptr, nullptr, 0, Function(RuntimeGetStdIn, "RuntimeGetStdIn"), {},
     kMethodPlain, kRowAttr4, 0},
    {"stdout", nullptr, nullptr, 0, Function(RuntimeGetStdOut, "RuntimeGetStdOut"), {},
     kMethodPlain, kRowAttr4, 0},
    {"stderr", nullptr, nullptr, 0, Function(RuntimeGetStdErr, "RuntimeGetStdErr"), {},
     kMethodPlain, kRowAttr4, 0},
    StringRow("Str", kString, kValueParameter, StringStr, "StringStr"),
    StringRow("LeftB", kString, kSourceCountParameters, StringLeft, "StringLeft"),
    StringRow("Left", kString, kSourceCountParameters, StringDBCSLeft, "StringDBCSLeft"),
    StringRow("RightB", kString, kSourceCountParameters, StringRight, "StringRight"),
    StringRow("Right", kString, kSourceCountParameters, StringDBCSRight, "StringDBCSRight"),
    StringRow("LenB", kInteger, kSourceParameter, StringLen, "StringLen"),
    StringRow("Len", kInteger, kSourceParameter, StringDBCSLen, "StringDBCSLen"),
    StringRow("AscB", kInteger, kSourceParameter, StringAsc, "StringAsc"),
    StringRow("Asc", kInteger, kSourceParameter, StringDBCSAsc, "StringDBCSAsc"),
    StringRow("ChrB", kString, kCodeParameter, StringChr, "StringChr"),
    StringRow("Chr", kString, kCodeParameter, StringDBCSChr, "StringDBCSChr"),
    StringRow("Replace", kString, kReplaceParameters, StringReplace, "StringReplace"),
    StringRow("ReplaceAll", kString, kReplaceParameters, StringReplaceAll, "StringReplaceAll"),
    StringRow("ReplaceB", kString, kReplaceParameters, StringReplaceB, "StringReplaceB"),
    StringRow("ReplaceAllB", kString, kReplaceParameters, StringReplaceAllB, "StringReplaceAllB"),
    StringRow("Uppercase", kString, kSourceParameter, StringUCase, "StringUCase"),
    StringRow("Lowercase", kString, kSourceParameter, StringLCase, "StringLCase"),
    StringRow("Titlecase", kString, kSourceParameter, StringTitleCase, "StringTitleCase"),
    StringRow("CountFields", kInteger, kFieldsParameters, StringCountFields, "StringCountFields"),
    StringRow("CountFieldsB", kInteger, kFieldsParameters, StringCountFieldsB, "StringCountFieldsB"),
    StringRow("NthField", kString, kNthFieldParameters, StringNthField, "StringNthField"),
    StringRow("NthFieldB", kString, kNthFieldParameters, StringNthFieldB, "StringNthFieldB"),
    StringRow("Split", kStringArray, kSplitParameters, StringSplit, "StringSplit"),
    StringRow("SplitB", kStringArray, kSplitParameters, StringSplitB, "StringSplitB"),
    StringRow("Join", kString, kJoinParameters, StringJoin, "StringJoin"),
    StringRow("StrComp", kInteger, kStrCompParameters, StringStrCompare, "StringStrCompare"),
    StringRow("Trim", kString, kSourceParameter, runTrim, "runTrim"),
    StringRow("LTrim", kString, kSourceParameter, runLTrim, "runLTrim"),
    StringRow("RTrim", kString, kSourceParameter, runRTrim, "runRTrim"),
    StringRow("InStr", kInteger, kInStrParameters, StringInStr, "StringInStr"),
    StringRow("InStrB", kInteger, kInStrParameters, StringInStrB, "StringInStrB"),
    StringRow("Mid", kString, kMidParameters, StringDBCSMid2, "StringDBCSMid2"),
    StringRow("Mid", kString, kMidCountParameters, StringDBCSMid3, "StringDBCSMid3"),
    StringRow("MidB", kString, kMidParameters, StringMid2, "StringMid2"),
    StringRow("MidB", kString, kMidCountParameters, StringMid3, "StringMid3"),
    // The same functions as methods of String values.
    StringRow("Mid", kString, kMidParameters, StringDBCSMid2, "StringDBCSMid2", kMethodExtends),
    StringRow("Mid", kString, kMidCountParameters, StringDBCSMid3, "StringDBCSMid3", kMethodExtends),
    StringRow("MidB", kString, kMidParameters, StringMid2, "StringMid2", kMethodExtends),
    StringRow("MidB", kString, kMidCountParameters, StringMid3, "StringMid3", kMethodExtends),
    StringRow("Trim", kString, kSourceParameter, runTrim, "runTrim", kMethodExtends),
    StringRow("LTrim", kString, kSourceParameter, runLTrim, "runLTrim", kMethodExtends),
    StringRow("RTrim", kString, kSourceParameter, runRTrim, "runRTrim", kMethodExtends),
    StringRow("Replace", kString, kReplaceParameters, StringReplace, "StringReplace", kMethodExtends),
    StringRow("ReplaceAll", kString, kReplaceParameters, StringReplaceAll, "StringReplaceAll",
              kMethodExtends),
    StringRow("ReplaceB", kString, kReplaceParameters, StringReplaceB, "StringReplaceB", kMethodExtends),
    StringRow("ReplaceAllB", kString, kReplaceParameters, StringReplaceAllB, "StringReplaceAllB",
              kMethodExtends),
    StringRow("Uppercase", kString, kSourceParameter, StringUCase, "StringUCase", kMethodExtends),
    StringRow("Lowercase", kString, kSourceParameter, StringLCase, "StringLCase", kMethodExtends),
    StringRow("Titlecase", kString, kSourceParameter, StringTitleCase, "StringTitleCase",
              kMethodExtends),
    StringRow("CountFields", kInteger, kFieldsParameters, StringCountFields, "StringCountFields",
              kMethodExtends),
    StringRow("CountFieldsB", kInteger, kFieldsParameters, StringCountFieldsB, "StringCountFieldsB",
              kMethodExtends),
    StringRow("NthField", kString, kNthFieldParameters, StringNthField, "StringNthField",
              kMethodExtends),
    StringRow("NthFieldB", kString, kNthFieldParameters, StringNthFieldB, "StringNthFieldB",
              kMethodExtends),
    StringRow("LeftB", kString, kSourceCountParameters, StringLeft, "StringLeft", kMethodExtends),
    StringRow("Left", kString, kSourceCountParameters, StringDBCSLeft, "StringDBCSLeft",
              kMethodExtends),
    StringRow("RightB", kString, kSourceCountParameters, StringRight, "StringRight", kMethodExtends),
    StringRow("Right", kString, kSourceCountParameters, StringDBCSRight, "StringDBCSRight",
              kMethodExtends),
    StringRow("LenB", kInteger, kSourceParameter, StringLen, "StringLen", kMethodExtends),
    StringRow("Len", kInteger, kSourceParameter, StringDBCSLen, "StringDBCSLen", kMethodExtends),
    StringRow("AscB", kInteger, kSourceParameter, StringAsc, "StringAsc", kMethodExtends),
    StringRow("Asc", kInteger, kSourceParameter, StringDBCSAsc, "StringDBCSAsc", kMethodExtends),
    StringRow("Encoding", nullptr, kSourceParameter, StringGetEncoding, "StringGetEncoding",
              kMethodExtends),
    StringRow("DefineEncoding", kString, kEncodingParameters, StringSetEncoding, "StringSetEncoding",
              kMethodExtends),
    StringRow("ConvertEncoding", kString, kEncodingParameters, StringConvertEncoding,
              "StringConvertEncoding", kMethodExtends),
    StringRow("CDbl", kDouble, kSourceParameter, runCDbl, "runCDbl", kMethodExtends),
    StringRow("Val", kDouble, kSourceParameter, StringVal, "StringVal", kMethodExtends),
    StringRow("Split", kStringArray, kSplitParameters, StringSplit, "StringSplit", kMethodExtends),
    StringRow("SplitB", kStringArray, kSplitParameters, StringSplitB, "StringSplitB",
              kMethodExtends),
    StringRow("InStr", kInteger, kExtendsInStrParameters, StringExtendsInStr, "StringExtendsInStr",
              kMethodExtends),
    StringRow("InStrB", kInteger, kExtendsInStrParameters, StringExtendsInStrB,
              "StringExtendsInStrB", kMethodExtends),
    StringRow("IsFunctionAvailable", AsType(&kBooleanType), kExternalFunctionParameters,
              IsFunctionAvailable, "IsFunctionAvailable"),
};
const int32_t gIntrinsicFunctionRowCount =
    static_cast<int32_t>(sizeof gIntrinsicFunctionRows / sizeof gIntrinsicFunctionRows[0]);

namespace {

// Rows whose result is an object: the class definitions exist only once their definition
// functions have run, so the types are filled in when the table is loaded.
struct ClassTypedResult {
    const char* row;
    DefinitionFunction type;
};

const ClassTypedResult kClassTypedResults[] = {
    {"Runtime", Runtime},
    {"EndOfLine", GetEndOfLineDefinition},
    {"Keyboard", KeyboardClass},
    {"ArrowCursor", MouseCursor},
    {"WatchCursor", MouseCursor},
    {"IBeamCursor", MouseCursor},
    {"Screen", ScreenClass},
    {"NewMemoryBlock", GetMemoryBlockDefinition},
    {"GetApplicationRegistryItem", GetRegistryItemDefinition},
    {"GetFolderItem", GetFolderItemDefinition},
    {"GetTrueFolderItem", GetFolderItemDefinition},
    {"GetOpenFolderItem", GetFolderItemDefinition},
    {"GetSaveFolderItem", GetFolderItemDefinition},
    {"NewQUORDatabaseOldFormat", GetDatabaseDefinition},
    {"OpenQUORDatabaseOldFormat", GetDatabaseDefinition},
    {"Volume", GetFolderItemDefinition},
    {"AppleMenuFolder", GetFolderItemDefinition},
    {"ControlPanelsFolder", GetFolderItemDefinition},
    {"DesktopFolder", GetFolderItemDefinition},
    {"ExtensionsFolder", GetFolderItemDefinition},
    {"PreferencesFolder", GetFolderItemDefinition},
    {"StartupItemsFolder", GetFolderItemDefinition},
    {"ShutdownItemsFolder", GetFolderItemDefinition},
    {"ApplicationSupportFolder", GetFolderItemDefinition},
    {"FontsFolder", GetFolderItemDefinition},
    {"TrashFolder", GetFolderItemDefinition},
    {"SystemFolder", GetFolderItemDefinition},
    {"TemporaryFolder", GetFolderItemDefinition},
    {"DocumentsFolder", GetFolderItemDefinition},
    {"GetTemporaryFolderItem", GetFolderItemDefinition},
    {"SelectFolder", GetFolderItemDefinition},
    {"Encodings", GetEncodingsDefinition},
    {"Encoding", GetTextEncodingDefinition},
    {"GetTextEncoding", GetTextEncodingDefinition},
    {"GetInternetTextEncoding", GetTextEncodingDefinition},
    {"GetFontTextEncoding", GetTextEncodingDefinition},
    {"GetTextConverter", GetTextConverterDefinition},
    {"GuessJapaneseEncoding", GetTextEncodingDefinition},
    {"stdin", StandardInputStream},
    {"stdout", StandardOutputStream},
    {"stderr", StandardOutputStream},
};

struct ClassTypedParameter {
    ParameterEntry* parameter;
    DefinitionFunction type;
};

const ClassTypedParameter kClassTypedParameters[] = {
    {&kVariantValueParameter[0], GetVariantDefinition},
    {&kParseDateParameters[1], GetDateDefinition},
    {&kDatabaseFileParameter[0], GetFolderItemDefinition},
    {&kEncodingParameters[1], GetTextEncodingDefinition},
    {&kConverterParameters[0], GetTextEncodingDefinition},
    {&kConverterParameters[1], GetTextEncodingDefinition},
};

}  // namespace

void CompleteIntrinsicFunctionRows() {
    for (const ClassTypedResult& result : kClassTypedResults)
        for (MethodEntry& row : gIntrinsicFunctionRows)
            if (std::strcmp(row.name, result.row) == 0) row.returnType = result.type()->AsType();
    for (const ClassTypedParameter& typed : kClassTypedParameters)
        typed.parameter->parameterType = typed.type()->AsType();
    // The delimiter of Split, SplitB and Join defaults to one space.
    const string space(" ");
    for (ParameterEntry* delimiter : {&kSplitParameters[1], &kJoinParameters[1]}) {
        delimiter->hasDefault = 1;
        delimiter->defaultValue = reinterpret_cast<uintptr_t>(string(space).Detach());
    }
}
