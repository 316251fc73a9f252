#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "FailureRecorder.h"
#include "StringTesting.h"
#include "core/LinkTable.h"
#include "host/Startup.h"
#include "values/CharacterTables.h"
#include "windows/CommandLine.h"

namespace {

// The link names registered while the runtime starts that have no fixed row, with the reason.
const std::map<std::string, const char*> kNamesWithoutRows = {
    {"StringCountFieldsB", "an exported name without a row; the function table registers it"},
    {"DebuggerThreadCount", "published by the Thread definition for the debugger stub"},
    {"DebuggerThreadLookup", "published by the Thread definition for the debugger stub"},
    {"DebuggerSocketCount", "published by the SocketCore definition for the debugger stub"},
    {"DebuggerSocketLookup", "published by the SocketCore definition for the debugger stub"},
    {"dictionaryValueByIndex", "published by the Dictionary definition when it is built"},
};

std::vector<std::string> Names(const char* arguments) {
    const SimpleVector<string> names = DocumentNames(Tagged(arguments, kEncodingUTF8));
    std::vector<std::string> out;
    for (uint32_t i = 0; i < names.size(); ++i) out.emplace_back(BytesOf(names[i]));
    return out;
}

}  // namespace

TEST(Startup, SystemScriptFollowsTheUserLanguage) {
    struct Case {
        uint16_t language;
        int32_t script;
    } cases[] = {{0x0411, 13}, {0x0404, 21}, {0x0804, 21}, {0x0C04, 21}, {0x1004, 21},
                 {0x0409, 0},  {0x0004, 0},  {0x0407, 0}};
    for (const Case& c : cases) EXPECT_EQ(SystemScriptForLanguage(c.language), c.script) << c.language;
}

// A suite of its own, so that no string function has selected tables before start-up does.
TEST(StartupTables, SystemTablesSelectedAtStartUp) {
    InitializeSystemScript();
    const unsigned char* atStartUp = CurrentUpperTable();
    SelectSystemCharacterTables();
    EXPECT_EQ(CurrentUpperTable(), atStartUp);
}

TEST(Startup, DocumentNamesFromTheArguments) {
    using V = std::vector<std::string>;
    EXPECT_EQ(Names(" a.txt \"My File.txt\"  b.txt"), (V{"a.txt", "My File.txt", "b.txt"}));
    EXPECT_EQ(Names("\"no closing quote.txt"), (V{"no closing quote.txt"}));
    EXPECT_EQ(Names("   "), V{});
    EXPECT_EQ(Names(""), V{});
    EXPECT_EQ(Names("one"), (V{"one"}));
}

TEST(Startup, TheProgramPathIsNeverADocument) {
    const string module = Tagged("C:\\Program Files\\App\\app.exe", kEncodingUTF8);
    struct Case {
        const char* line;
        const char* arguments;
    } cases[] = {
        {"\"C:\\Program Files\\App\\app.exe\" a.txt", " a.txt"},
        {"C:\\Program Files\\App\\app.exe a.txt", " a.txt"},  // unquoted, with a space inside
        {"c:\\program files\\app\\APP.EXE", ""},
        {"app.exe \"My File.txt\"", " \"My File.txt\""},     // another spelling: the first word
        {"\"app.exe\" b.txt", " b.txt"},
        {"app.exe", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(std::string(BytesOf(CommandLineArguments(Tagged(c.line, kEncodingUTF8), module))),
                  c.arguments)
            << c.line;
    }
}

TEST(StartupClasses, ExternalClassesRegisterWithoutConflicts) {
    // Every function a definition names under a link name is the one the fixed rows name, and
    // every such name has its fixed row: compiled code links before these registrations happen.
    FailureRecorder recorder;
    const int32_t before = RelocEntryCount();
    RuntimeInitExternalClasses();
    for (const RecordedFailure& r : recorder.Reports()) ADD_FAILURE() << r.file << ": " << r.condition << " " << r.message;
    EXPECT_EQ(recorder.Count(), 0u);

    std::set<std::string> registered;
    for (int32_t i = before; i < RelocEntryCount(); ++i)
        if (const char* name = RelocEntryAt(i)->name) registered.insert(name);
    for (const std::string& name : registered)
        EXPECT_TRUE(kNamesWithoutRows.count(name)) << name << " has no fixed row";
}
