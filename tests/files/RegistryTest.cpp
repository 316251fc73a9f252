#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <map>
#include <memory>
#include <string>

#include "CompiledSubclass.h"
#include "FailureRecorder.h"
#include "RaisedExceptions.h"
#include "StringTesting.h"
#include "core/ObjectModel.h"
#include "core/Platform.h"
#include "files/Registry.h"
#include "files/RegistryAccessors.h"
#include "values/Date.h"
#include "values/MemoryBlock.h"
#include "values/Variant.h"

namespace {

std::string Text(const string& s) { return std::string(s.CString(), s.Length()); }

// Runs the system's reg.exe, a program outside the runtime, and answers its exit code; its
// output goes to *output.
DWORD RunReg(const std::string& arguments, std::string* output = nullptr) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string file = std::string(temp) + "qv-reg-" + std::to_string(GetCurrentProcessId());
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE out = CreateFileA(file.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             &inherit, CREATE_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = out;
    startup.hStdError = out;
    PROCESS_INFORMATION process = {};
    std::string command = "reg.exe " + arguments;
    DWORD code = 99;
    if (CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                       &startup, &process)) {
        WaitForSingleObject(process.hProcess, 60000);
        GetExitCodeProcess(process.hProcess, &code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    if (output) {
        SetFilePointer(out, 0, nullptr, FILE_BEGIN);
        output->assign(GetFileSize(out, nullptr), '\0');
        DWORD read = 0;
        ReadFile(out, output->data(), static_cast<DWORD>(output->size()), &read, nullptr);
        output->resize(read);
    }
    CloseHandle(out);
    return code;
}

// Every test works under a key of its own process, removed afterwards and checked gone from
// outside.
class Registry : public testing::Test {
protected:
    void SetUp() override {
        sub = "Software\\QVTest-" + std::to_string(GetCurrentProcessId());
        base = "HKEY_CURRENT_USER\\" + sub;
    }
    void TearDown() override {
        SetUnicodePlatformOverride(UnicodePlatformOverride::None);
        if (raw) RegCloseKey(raw);
        RegDeleteTreeA(HKEY_CURRENT_USER, sub.c_str());
        EXPECT_EQ(RunReg("query \"" + base + "\""), 1u) << "the test key is left behind";
    }
    // The test key as the system's own handle, for looking at stored sizes; closed at tear-down.
    HKEY Raw() {
        if (!raw) RegOpenKeyExA(HKEY_CURRENT_USER, sub.c_str(), 0, KEY_READ, &raw);
        return raw;
    }
    bool Exists(const std::string& path) { return RunReg("query \"" + path + "\"") == 0; }
    std::string Query(const std::string& path, const std::string& value) {
        std::string output;
        RunReg("query \"" + path + "\" /v \"" + value + "\"", &output);
        return output;
    }
    std::unique_ptr<RegistryKey> Open(const std::string& path, bool create) {
        auto key = std::make_unique<RegistryKey>();
        if (!key->Open(string(path.c_str()), create)) return nullptr;
        return key;
    }

    std::string sub, base;
    HKEY raw = nullptr;
};

TEST_F(Registry, OpeningWithoutCreateMakesNothing) {
    const std::string lower = "hkey_current_user\\" + sub + "\\a\\b";
    EXPECT_EQ(Open(lower, false), nullptr);
    EXPECT_FALSE(Exists(base));

    auto key = Open(lower, true);
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(Text(key->GetPath()), lower);
    EXPECT_EQ(Text(key->GetParentPath()), "hkey_current_user\\" + sub + "\\a");
    EXPECT_TRUE(Exists(base + "\\a\\b"));
    EXPECT_NE(Open(lower, false), nullptr);
}

TEST_F(Registry, RootNamesAndTheSeparator) {
    EXPECT_EQ(Open("HKLM\\Software", true), nullptr);
    EXPECT_EQ(Open("HKCU\\" + sub, true), nullptr);
    EXPECT_FALSE(Exists(base));

    auto root = Open("HKEY_LOCAL_MACHINE", false);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(Text(root->GetParentPath()), "");
    EXPECT_EQ(root->OpenParent(), nullptr);
    EXPECT_GT(root->SubKeyCount(), 0);

    // The character after the root name is skipped unexamined.
    ASSERT_NE(Open(base, true), nullptr);
    auto skipped = Open("HKEY_CURRENT_USERX" + sub, false);
    ASSERT_NE(skipped, nullptr);
    EXPECT_TRUE(skipped->SetIntegerValue(string("marker"), 5));
    EXPECT_NE(Query(base, "marker").find("0x5"), std::string::npos);
}

TEST_F(Registry, ChildrenAndParents) {
    auto key = Open(base, true);
    ASSERT_NE(key, nullptr);
    std::unique_ptr<RegistryKey> made(key->CreateChild(string("S")));
    ASSERT_NE(made, nullptr);
    EXPECT_TRUE(Exists(base + "\\S"));
    std::unique_ptr<RegistryKey> child(key->OpenChild(string("S")));
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(Text(child->GetPath()), base + "\\S");
    EXPECT_EQ(Text(child->GetParentPath()), base);
    EXPECT_EQ(key->OpenChild(string("missing")), nullptr);
    EXPECT_FALSE(Exists(base + "\\missing"));
    EXPECT_EQ(key->SubKeyCount(), 1);
    EXPECT_EQ(Text(key->SubKeyNameAt(0)), "S");
    EXPECT_EQ(Text(key->SubKeyNameAt(1)), "");
    std::unique_ptr<RegistryKey> parent(child->OpenParent());
    ASSERT_NE(parent, nullptr);
    EXPECT_EQ(Text(parent->GetPath()), base);
    EXPECT_EQ(parent->SubKeyCount(), 1);

    // A copy holds a handle of its own that outlives the original.
    auto copy = std::make_unique<RegistryKey>(*child);
    child.reset();
    EXPECT_TRUE(copy->SetIntegerValue(string("v"), 1));
    EXPECT_EQ(Text(copy->GetPath()), base + "\\S");

    std::unique_ptr<RegistryKey> deep(made->CreateChild(string("T")));
    ASSERT_NE(deep, nullptr);
    deep.reset();
    made.reset();
    copy.reset();
    EXPECT_TRUE(key->DeleteSubKey(string("S")));
    EXPECT_FALSE(Exists(base + "\\S"));
}

TEST_F(Registry, IntegerAndBinaryValues) {
    auto key = Open(base, true);
    ASSERT_NE(key, nullptr);
    const unsigned char bytes[4] = {1, 2, 3, 4};
    ASSERT_TRUE(key->SetIntegerValue(string("seven"), 7));
    ASSERT_TRUE(key->SetBinaryValue(string("four"), bytes, 4));
    EXPECT_EQ(key->GetIntegerValue(string("seven")), 7);
    EXPECT_EQ(key->GetIntegerValue(string("four")), -1);
    EXPECT_EQ(key->GetIntegerValue(string("none")), -1);
    EXPECT_EQ(key->GetValueKind(string("seven")), kRegistryInteger);
    EXPECT_EQ(key->GetValueKind(string("four")), kRegistryBinary);
    EXPECT_EQ(key->GetValueKind(string("none")), kRegistryUnknown);
    uint32_t size = 0;
    void* block = key->GetBinaryValue(string("four"), &size);
    ASSERT_EQ(size, 4u);
    EXPECT_EQ(std::memcmp(block, bytes, 4), 0);
    GuardedDelete(block);
    EXPECT_EQ(key->GetBinaryValue(string("seven"), &size), nullptr);
    EXPECT_EQ(size, 0u);
    FailureRecorder recorder;
    EXPECT_EQ(key->GetBinaryValue(string("four"), nullptr), nullptr);
    ASSERT_EQ(recorder.Count(), 1u);
    EXPECT_EQ(recorder.Last().line, 502);
    EXPECT_NE(Query(base, "four").find("01020304"), std::string::npos);
    EXPECT_TRUE(key->HasValue(string("four")));
    EXPECT_TRUE(key->DeleteValue(string("four")));
    EXPECT_FALSE(key->HasValue(string("four")));
    EXPECT_EQ(key->ValueCount(), 1);
    EXPECT_EQ(Text(key->ValueNameAt(0)), "seven");
    EXPECT_EQ(Text(key->ValueNameAt(-1)), "");
    EXPECT_EQ(Text(key->ValueNameAt(5)), "");
}

TEST_F(Registry, ExpandableTextKeepsItsKind) {
    auto key = Open(base, true);
    ASSERT_NE(key, nullptr);
    ASSERT_TRUE(key->SetTextValue(string("path"), string("%SystemRoot%\\x"), true));
    EXPECT_NE(Query(base, "path").find("REG_EXPAND_SZ"), std::string::npos);
    EXPECT_EQ(key->GetValueKind(string("path")), kRegistryText);
    char root[MAX_PATH];
    GetEnvironmentVariableA("SystemRoot", root, MAX_PATH);
    EXPECT_EQ(Text(key->GetTextValue(string("path"), true)), std::string(root) + "\\x");
    EXPECT_EQ(Text(key->GetTextValue(string("path"), false)), "%SystemRoot%\\x");

    std::unique_ptr<RegistryValue> value(key->GetValue(string("path"), false));
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->GetKind(), kRegistryExpandText);
    value->SetName(string("copy"));
    ASSERT_TRUE(key->SetValue(*value));
    EXPECT_NE(Query(base, "copy").find("REG_EXPAND_SZ"), std::string::npos);
    EXPECT_EQ(Text(key->GetTextValue(string("copy"), false)), "%SystemRoot%\\x");

    // The default value through an index of -1.
    ASSERT_TRUE(key->SetDefaultText(string("dflt")));
    std::unique_ptr<RegistryValue> byIndex(key->GetValueAt(-1, false));
    ASSERT_NE(byIndex, nullptr);
    uint32_t size = 0;
    const void* data = byIndex->GetData(&size);
    EXPECT_EQ(std::string(static_cast<const char*>(data), size), "dflt");
}

// Text is stored as REG_SZ with its terminator on both sides; text the code page cannot hold
// goes through the wide call as REG_MULTI_SZ, expandable or not, and comes back whole.
TEST_F(Registry, TextOnBothSides) {
    const string plain("abc");
    const string beyond = Tagged("\xE2\x82\xAC \xCE\xA9 \xE4\xB8\xAD");  // euro, omega, a CJK sign
    for (const auto mode : {UnicodePlatformOverride::ForceWide, UnicodePlatformOverride::ForceAnsi}) {
        const bool wide = mode == UnicodePlatformOverride::ForceWide;
        SCOPED_TRACE(wide ? "wide" : "ANSI");
        SetUnicodePlatformOverride(mode);
        auto key = Open(base, true);
        ASSERT_NE(key, nullptr);
        ASSERT_TRUE(key->SetTextValue(string("plain"), plain, false));
        EXPECT_NE(Query(base, "plain").find("REG_SZ"), std::string::npos);
        DWORD size = 0;
        EXPECT_EQ(RegQueryValueExA(Raw(), "plain", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
        EXPECT_EQ(size, 4u);
        EXPECT_EQ(Text(key->GetTextValue(string("plain"), true)), "abc");
        EXPECT_EQ(key->GetValueKind(string("plain")), kRegistryText);
        if (wide) {
            for (const bool expandable : {false, true}) {
                ASSERT_TRUE(key->SetTextValue(string("beyond"), beyond, expandable));
                EXPECT_NE(Query(base, "beyond").find("REG_MULTI_SZ"), std::string::npos);
                EXPECT_EQ(key->GetValueKind(string("beyond")), kRegistryMultiText);
                EXPECT_EQ(string::Compare(key->GetTextValue(string("beyond"), true), beyond), 0);
            }
        }
        EXPECT_EQ(Text(key->GetTextValue(string("none"), true)), "");
    }
}

// Text stored as a multi-string with one zero unit, as this runtime stores wide text, and text
// imported without a terminator, read back whole.
TEST_F(Registry, TextWrittenByOthers) {
    auto key = Open(base, true);
    ASSERT_NE(key, nullptr);
    const wchar_t old[] = L"old way";
    HKEY raw = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, sub.c_str(), 0, KEY_ALL_ACCESS, &raw), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(raw, L"multi", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(old),
                             sizeof old),
              ERROR_SUCCESS);
    RegCloseKey(raw);
    EXPECT_EQ(key->GetValueKind(string("multi")), kRegistryMultiText);
    EXPECT_EQ(Text(key->GetTextValue(string("multi"), true)), "old way");

    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string file = std::string(temp) + "qv-import-" + sub.substr(16) + ".reg";
    // Version 5 files are UTF-16: their hex(1) data is stored as it stands, here without a
    // terminator.
    const std::string text = "Windows Registry Editor Version 5.00\r\n\r\n[" + base +
                             "]\r\n\"open\"=hex(1):61,00,62,00,63,00\r\n";
    std::wstring fixture = L"\xFEFF";
    fixture.append(text.begin(), text.end());
    HANDLE handle = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(handle, fixture.data(), static_cast<DWORD>(fixture.size() * 2), &written, nullptr);
    CloseHandle(handle);
    EXPECT_EQ(RunReg("import \"" + file + "\""), 0u);
    DeleteFileA(file.c_str());
    // Wine appends a terminator to text stored without one, by import or by a program (the
    // stored size is 8 for 6 bytes given): whatever the system keeps must read back whole.
    HKEY writable = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, sub.c_str(), 0, KEY_ALL_ACCESS, &writable),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(writable, L"bare", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"abc"), 6),
              ERROR_SUCCESS);
    RegCloseKey(writable);
    for (const auto mode : {UnicodePlatformOverride::ForceWide, UnicodePlatformOverride::ForceAnsi}) {
        SetUnicodePlatformOverride(mode);
        EXPECT_EQ(Text(key->GetTextValue(string("open"), true)), "abc");
        EXPECT_EQ(Text(key->GetTextValue(string("bare"), true)), "abc");
    }
}

// --- the language class ---

class RegistryItem : public Registry {
protected:
    ObjectHeader* NewItem(const std::string& path, bool create) {
        ObjectHeader* item = CreateInstance(GetRegistryItemDefinition());
        RegistryItemPathCtor(item, string(path.c_str()).Record(), create);
        return item;
    }
    static std::string Path(ObjectHeader* item) {
        return Text(string::Adopt(RegistryItemPathGetter(item, 0)));
    }
    RaisedExceptions raised;
};

TEST_F(RegistryItem, ConstructingWithoutCreateOnAMissingKeyRaises) {
    ObjectHeader* missing = NewItem(base + "\\x", false);
    EXPECT_EQ(raised.Take(), "RegistryAccessErrorException");
    EXPECT_FALSE(Exists(base));
    // An item without a key raises from its members instead of touching a null key, and so does
    // a copy of it.
    EXPECT_EQ(RegistryItemFolderCountGetter(missing, 0), 0);
    EXPECT_EQ(raised.Take(), "RegistryAccessErrorException");
    ObjectHeader* copy = CreateInstance(GetRegistryItemDefinition());
    RegistryItemCopyCtor(copy, missing);
    EXPECT_EQ(RegistryItemChild(copy, string("x").Record()), nullptr);
    EXPECT_EQ(raised.Take(), "RegistryAccessErrorException");
    RegistryItemDelete(copy, string("x").Record());
    EXPECT_EQ(raised.Take(), "RegistryAccessErrorException");
    RuntimeUnlockObject(copy);
    RuntimeUnlockObject(missing);

    ObjectHeader* made = NewItem(base, true);
    EXPECT_EQ(raised.Take(), "");
    EXPECT_EQ(Path(made), base);
    EXPECT_TRUE(Exists(base));
    RuntimeUnlockObject(made);

    EXPECT_EQ(RegistryItemKeyCountGetter(nullptr, 0), 0);
    EXPECT_EQ(raised.Take(), "NilObjectException");
}

TEST_F(RegistryItem, DeleteTakesAValueBeforeAKey) {
    ObjectHeader* item = NewItem(base, true);
    auto key = Open(base, true);
    ASSERT_NE(key, nullptr);
    std::unique_ptr<RegistryKey>(key->CreateChild(string("x")));
    key->SetIntegerValue(string("x"), 1);
    RegistryItemDelete(item, string("x").Record());
    EXPECT_FALSE(key->HasValue(string("x")));
    EXPECT_TRUE(Exists(base + "\\x"));
    RegistryItemDelete(item, string("x").Record());
    EXPECT_FALSE(Exists(base + "\\x"));
    RegistryItemDelete(item, string("x").Record());
    EXPECT_EQ(raised.Take(), "");
    RuntimeUnlockObject(item);
}

TEST_F(RegistryItem, IndexesAndKinds) {
    ObjectHeader* item = NewItem(base, true);
    auto key = Open(base, true);
    std::unique_ptr<RegistryKey>(key->CreateChild(string("k")));
    key->SetTextValue(string("t"), string("%SystemRoot%"), true);
    key->SetIntegerValue(string("i"), 3);
    RegSetKeyValueA(HKEY_CURRENT_USER, sub.c_str(), "m", REG_MULTI_SZ, "a\0b\0", 5);
    RegSetKeyValueA(HKEY_CURRENT_USER, sub.c_str(), "n", REG_NONE, "", 0);
    EXPECT_EQ(RegistryItemKeyCountGetter(item, 0), 4);
    EXPECT_EQ(RegistryItemFolderCountGetter(item, 0), 1);
    std::map<std::string, int32_t> kinds;
    for (int32_t i = 0; i < 4; ++i)
        kinds[Text(string::Adopt(RegistryItemNameGetter(item, i)))] = RegistryItemKeyTypeGetter(item, i);
    EXPECT_EQ(kinds, (std::map<std::string, int32_t>{{"t", 0}, {"i", 1}, {"m", 3}, {"n", -1}}));
    // Past the last value: the default value's kind and name.
    EXPECT_EQ(RegistryItemKeyTypeGetter(item, 4), -1);
    EXPECT_EQ(Text(string::Adopt(RegistryItemNameGetter(item, 4))), "");
    key->SetDefaultInteger(9);
    EXPECT_EQ(RegistryItemKeyTypeGetter(item, 5), 1);

    for (const int32_t index : {1, -1}) {
        EXPECT_EQ(RegistryItemItem(item, index), nullptr);
        EXPECT_EQ(raised.Take(), "OutOfBoundsException") << index;
    }
    ObjectHeader* child = RegistryItemItem(item, 0);
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(Path(child), base + "\\k");
    RuntimeUnlockObject(child);
    EXPECT_EQ(raised.Take(), "");
    RuntimeUnlockObject(item);
}

// Every Variant kind written through Value and read back, with the kind each is stored as.
TEST_F(RegistryItem, ValuesOfEveryKind) {
    ObjectHeader* item = NewItem(base, true);
    auto key = Open(base, true);
    ASSERT_NE(key, nullptr);
    ObjectHeader* date = NewDateFromFields(2024, 3, 5, 6, 7, 8);
    const StringRecord* dateText = variantToString(date);
    const std::string dateString = Text(string::Adopt(const_cast<StringRecord*>(dateText)));
    struct Case {
        const char* name;
        ObjectHeader* value;
        int32_t kind;          // as stored; -1 nothing written
        std::string readBack;  // the String conversion of what Value returns
    } cases[] = {
        {"int", intToVariant(-7), kRegistryInteger, "-7"},
        {"uint", uintToVariant(0xFFFFFFFEu), kRegistryInteger, "-2"},
        {"true", booleanToVariant(1), kRegistryInteger, "1"},
        {"false", booleanToVariant(0), kRegistryInteger, "0"},
        {"color", colorToVariant(0x00FF8000), kRegistryInteger, std::to_string(0x00FF8000)},
        {"double", doubleToVariant(2.5), kRegistryText, "2.5"},
        {"text", stringToVariant(string("abc").Record()), kRegistryText, "abc"},
        {"date", date, kRegistryText, dateString},
        {"object", item, -1, ""},
        {"nil", nullptr, -1, ""},
    };
    for (const Case& c : cases) {
        RegistryItemValueSetter(item, string(c.name).Record(), c.value);
        EXPECT_EQ(raised.Take(), "") << c.name;
        EXPECT_EQ(key->GetValueKind(string(c.name)), c.kind) << c.name;
        ObjectHeader* read = RegistryItemValueGetter(item, string(c.name).Record());
        if (c.kind < 0) {
            EXPECT_EQ(read, nullptr) << c.name;
        } else {
            EXPECT_EQ(VarType(read), c.kind == kRegistryInteger ? kVariantInteger : kVariantString)
                << c.name;
            EXPECT_EQ(Text(string::Adopt(variantToString(read))), c.readBack) << c.name;
        }
        RuntimeUnlockObject(read);
    }
    EXPECT_NE(Query(base, "true").find("0x1"), std::string::npos);
    EXPECT_NE(Query(base, "double").find("REG_SZ"), std::string::npos);

    // A MemoryBlock is written as binary bytes and binary bytes read as a MemoryBlock; an empty
    // block gives an empty value and an empty block.
    ObjectHeader* block = newMemoryBlock(3);
    string bytes;
    bytes.SetBytes("x\0z", 3);
    memorySetString(block, 0, 3, bytes.Record());
    RegistryItemValueSetter(item, string("block").Record(), block);
    EXPECT_EQ(key->GetValueKind(string("block")), kRegistryBinary);
    EXPECT_NE(Query(base, "block").find("REG_BINARY"), std::string::npos);
    ObjectHeader* empty = newMemoryBlock(0);
    RegistryItemValueSetter(item, string("empty").Record(), empty);
    EXPECT_EQ(key->GetValueKind(string("empty")), kRegistryBinary);
    RegistryItemDefaultValueSetter(item, block);  // the default value takes no bytes
    EXPECT_EQ(key->GetValueKind(string()), kRegistryUnknown);
    EXPECT_EQ(raised.Take(), "");
    for (const auto& [name, expected] : std::map<std::string, std::string>{
             {"block", std::string("x\0z", 3)}, {"empty", ""}}) {
        ObjectHeader* read = RegistryItemValueGetter(item, string(name.c_str()).Record());
        ASSERT_TRUE(IsMemoryBlock(read)) << name;
        EXPECT_EQ(memoryBlockGetSize(read, 0), static_cast<int32_t>(expected.size())) << name;
        EXPECT_EQ(Text(string::Adopt(MemoryBlockToStringOperator(read))), expected) << name;
        RuntimeUnlockObject(read);
    }
    RuntimeUnlockObject(empty);
    RuntimeUnlockObject(block);
    key->DeleteValue(string("block"));
    key->DeleteValue(string("empty"));

    // Expanded text, text lists and missing values.
    key->SetTextValue(string("expand"), string("%SystemRoot%"), true);
    RegSetKeyValueA(HKEY_CURRENT_USER, sub.c_str(), "multi", REG_MULTI_SZ, "a\0", 3);
    ObjectHeader* expanded = RegistryItemValueGetter(item, string("expand").Record());
    const std::string expandedText = Text(string::Adopt(variantToString(expanded)));
    EXPECT_EQ(expandedText.find('%'), std::string::npos) << expandedText;
    EXPECT_FALSE(expandedText.empty());
    ObjectHeader* multi = RegistryItemValueGetter(item, string("multi").Record());
    EXPECT_EQ(VarType(multi), kVariantString);
    EXPECT_EQ(RegistryItemValueGetter(item, string("missing").Record()), nullptr);
    EXPECT_EQ(raised.Take(), "");
    RuntimeUnlockObject(expanded);
    RuntimeUnlockObject(multi);

    // By index: the value at the index, and the count's bounds.
    const int32_t count = RegistryItemKeyCountGetter(item, 0);
    ObjectHeader* seven = intToVariant(7);
    for (const int32_t index : {count, -1}) {
        EXPECT_EQ(RegistryItemNumValueGetter(item, index), nullptr);
        EXPECT_EQ(raised.Take(), "OutOfBoundsException") << index;
        RegistryItemNumValueSetter(item, index, seven);
        EXPECT_EQ(raised.Take(), "OutOfBoundsException") << index;
    }
    EXPECT_EQ(RegistryItemKeyCountGetter(item, 0), count);
    const string first = string::Adopt(RegistryItemNameGetter(item, 0));
    RegistryItemNumValueSetter(item, 0, seven);
    EXPECT_EQ(key->GetIntegerValue(first), 7);
    ObjectHeader* read = RegistryItemNumValueGetter(item, 0);
    EXPECT_EQ(variantToInt(read), 7);
    RuntimeUnlockObject(read);

    // The default value: text and integers only.
    EXPECT_EQ(RegistryItemDefaultValueGetter(item), nullptr);
    RegistryItemDefaultValueSetter(item, seven);
    EXPECT_EQ(key->GetValueKind(string()), kRegistryInteger);
    read = RegistryItemDefaultValueGetter(item);
    EXPECT_EQ(variantToInt(read), 7);
    RuntimeUnlockObject(read);
    ObjectHeader* half = doubleToVariant(0.5);
    RegistryItemDefaultValueSetter(item, half);
    read = RegistryItemDefaultValueGetter(item);
    EXPECT_EQ(Text(string::Adopt(variantToString(read))), "5.0e-01");
    RuntimeUnlockObject(read);
    RegistryItemDefaultValueSetter(item, item);
    EXPECT_EQ(key->GetValueKind(string()), kRegistryText);
    key->SetBinaryValue(string(), "xyz", 3);
    EXPECT_EQ(RegistryItemDefaultValueGetter(item), nullptr);
    EXPECT_EQ(raised.Take(), "");

    RegistryItemValueSetter(nullptr, string("x").Record(), seven);
    EXPECT_EQ(raised.Take(), "NilObjectException");
    {
        FailureRecorder recorder;
        EXPECT_EQ(RegistryItemValueGetter(nullptr, string("x").Record()), nullptr);
        ASSERT_EQ(recorder.Count(), 1u);
        EXPECT_EQ(recorder.Last().condition, "obj");
    }
    RuntimeUnlockObject(half);
    RuntimeUnlockObject(seven);
    for (const Case& c : cases)
        if (c.value != item) RuntimeUnlockObject(c.value);
    RuntimeUnlockObject(item);
}

TEST_F(RegistryItem, ItemsComeInTheReceiversClass) {
    ClassRecord* subclass = CompiledSubclass(GetRegistryItemDefinition(), "MyRegistryItem", {});
    ObjectHeader* item = RuntimeNewObject(subclass);
    RegistryItemPathCtor(item, string(base.c_str()).Record(), true);
    ObjectHeader* added = RegistryItemAddFolder(item, string("a").Record());
    ObjectHeader* child = RegistryItemChild(item, string("a").Record());
    ObjectHeader* first = RegistryItemItem(item, 0);
    ObjectHeader* parent = RegistryParentGetter(child, 0);
    for (ObjectHeader* made : {added, child, first, parent}) {
        ASSERT_NE(made, nullptr);
        EXPECT_EQ(RuntimeClassOf(made), subclass);
        RuntimeUnlockObject(made);
    }
    EXPECT_EQ(RegistryItemChild(item, string("none").Record()), nullptr);
    EXPECT_EQ(raised.Take(), "RegistryAccessErrorException");
    RuntimeUnlockObject(item);
}

TEST_F(RegistryItem, ParentsEndAtTheRoot) {
    ObjectHeader* software = NewItem("HKEY_CURRENT_USER\\Software", true);
    ObjectHeader* root = RegistryParentGetter(software, 0);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(Path(root), "HKEY_CURRENT_USER");
    EXPECT_EQ(RegistryParentGetter(root, 0), nullptr);
    EXPECT_EQ(raised.Take(), "RegistryAccessErrorException");
    RuntimeUnlockObject(root);
    RuntimeUnlockObject(software);
}

TEST_F(RegistryItem, TheApplicationsItem) {
    EXPECT_EQ(Text(DefaultApplicationRegistryPath(string("C:\\Apps\\App.v2.exe"))),
              "HKEY_LOCAL_MACHINE\\Software\\Made With Quorvane\\App");
    ObjectHeader* item = RuntimeGetDefaultApplicationRegistryItem();
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(raised.Take(), "");
    EXPECT_EQ(Path(item), "HKEY_LOCAL_MACHINE\\Software\\Made With Quorvane\\files_tests");
    RuntimeUnlockObject(item);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Made With Quorvane\\files_tests");
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Made With Quorvane");  // only when empty

    ObjectHeader* ide = GetIDERegistryKey();
    ASSERT_NE(ide, nullptr);
    EXPECT_EQ(Path(ide), "HKEY_CURRENT_USER\\Software\\Quorvane\\");
    RuntimeUnlockObject(ide);
}

}  // namespace
