#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "FailureRecorder.h"
#include "core/ObjectModel.h"
#include "core/LinkTable.h"

namespace {

constexpr int32_t kFullStaticRowCount = 2149;

// The inventory as the tests read it: row names with their marks, and the names without a row.
struct InventoryRow {
    const char* name;
    const char* function;
    bool alias;
    bool repeated;
};

#define QV_ROW(folder, function) {#function, #function, false, false},
#define QV_ALIAS_ROW(folder, name, function) {#name, #function, true, false},
#define QV_REPEATED_ROW(folder, function) {#function, #function, false, true},
const InventoryRow kInventory[] = {
#include "host/LinkInventory.inc"
};

#define QV_NO_ROW(name) #name,
const char* const kNoRowNames[] = {
#include "host/LinkInventory.inc"
};

// The rows whose name is not their function's export name, with the function where it has a
// name of its own.
const std::map<std::string, const char*> kAliases = {
    {"CREATEINSTANCE", "RuntimeNewObject"},
    {"GETTERWINHWND", "windowHWNDGetter"},
    {"GETCONTROLBOUNDS", "PluginGetControlBounds"},
    {"PLUGINOBJECTTYPE", nullptr},
    {"DRAGITEMDRAG", nullptr},
    {"REGISTERPLUGINEXPORTS", nullptr},
    {"GETEVENTINSTANCEPPC", nullptr},
    {"QUORDBCURSORFROMDBCURSOR", nullptr},
    {"QUORGETSTACKLIMIT", nullptr},
    {"QUORSETSTACKLIMIT", nullptr},
    {"QUORINITSTACKCHECKER", nullptr},
};

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

const RelocEntry* Lookup(const std::string& name) { return LookupRelocEntry(string(name.c_str())); }

// The static rows by upper-cased name.
std::map<std::string, std::vector<int32_t>> StaticRowsByName() {
    std::map<std::string, std::vector<int32_t>> rows;
    for (int32_t i = 0; i < StaticRelocEntryCount(); ++i)
        rows[Upper(RelocEntryAt(i)->name)].push_back(i);
    return rows;
}

// Distinct bodies, so that no optimisation gives two of them one address.
int LinkTestFirst() { return 1; }
int LinkTestSecond() { return 2; }
int LinkTestThird() { return 3; }

}  // namespace

TEST(LinkTableIndex, FirstLookupBuildsItFromTheStaticRows) {
    ASSERT_EQ(RelocEntryCount(), StaticRelocEntryCount());
    const RelocEntry* entry = Lookup("RuntimeLockString");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->code, reinterpret_cast<void*>(&RuntimeLockString));
    EXPECT_EQ(LinkTableNameMap()->Count(), StaticRowsByName().size());
    EXPECT_EQ(RelocEntryCount(), StaticRelocEntryCount());
}

TEST(LinkTableStatic, EveryRowIsFoundByItsNameInAnyCase) {
    std::printf("link table: %d of %d static rows\n", StaticRelocEntryCount(), kFullStaticRowCount);
    ASSERT_EQ(static_cast<size_t>(StaticRelocEntryCount()), std::size(kInventory));
    for (int32_t i = 0; i < StaticRelocEntryCount(); ++i) {
        const RelocEntry* row = RelocEntryAt(i);
        ASSERT_NE(row->name, nullptr) << i;
        ASSERT_STREQ(row->name, kInventory[i].name);
        EXPECT_NE(row->code, nullptr) << row->name;
        EXPECT_EQ(row->reserved[0], 0u);
        EXPECT_EQ(row->reserved[1], 0u);
        for (const std::string& name :
             {std::string(row->name), Upper(row->name), Lower(row->name)}) {
            const RelocEntry* found = Lookup(name);
            ASSERT_NE(found, nullptr) << name;
            EXPECT_EQ(found->code, row->code) << name;
        }
    }
    EXPECT_EQ(Lookup("RuntimeNoSuchFunction"), nullptr);
    EXPECT_EQ(LookupRelocEntry(string()), nullptr);
}

TEST(LinkTableStatic, AliasesPointWhereTheyShould) {
    const RelocEntry* createInstance = Lookup("CREATEINSTANCE");
    ASSERT_NE(createInstance, nullptr);
    EXPECT_EQ(createInstance->code, reinterpret_cast<void*>(&RuntimeNewObject));

    for (const InventoryRow& row : kInventory) {
        const auto alias = kAliases.find(Upper(row.name));
        EXPECT_EQ(row.alias, alias != kAliases.end()) << row.name;
        if (!row.alias) continue;
        EXPECT_STRNE(row.name, row.function);
        if (alias != kAliases.end() && alias->second) {
            EXPECT_STREQ(row.function, alias->second);
        }
    }
}

TEST(LinkTableStatic, NamesWithoutRowsAreOnlyAliasRows) {
    std::set<std::string> noRow;
    for (const char* name : kNoRowNames) noRow.insert(Upper(name));
    EXPECT_EQ(std::size(kNoRowNames), 115u);
    EXPECT_EQ(noRow.size(), std::size(kNoRowNames)) << "a name is listed twice";

    // CreateInstance and pluginObjectType keep their names, for other functions.
    for (const InventoryRow& row : kInventory) {
        if (noRow.count(Upper(row.name))) {
            EXPECT_TRUE(row.alias) << row.name;
        }
    }
}

TEST(LinkTableStatic, RepeatedRowsShareOneFunction) {
    for (const auto& [name, rows] : StaticRowsByName()) {
        for (int32_t i : rows) {
            EXPECT_EQ(kInventory[i].repeated, rows.size() > 1) << name;
            EXPECT_EQ(RelocEntryAt(i)->code, RelocEntryAt(rows[0])->code) << name;
        }
    }
}

TEST(LinkTableRegistration, EntriesFollowTheStaticRowsInOrder) {
    const int32_t before = RelocEntryCount();
    RegisterRelocEntry("LinkTestFirst", &LinkTestFirst);
    RegisterRelocEntry("LinkTestSecond", &LinkTestSecond);
    RegisterRelocEntry("LinkTestIgnored", static_cast<void*>(nullptr));
    ASSERT_EQ(RelocEntryCount(), before + 2);
    EXPECT_STREQ(RelocEntryAt(before)->name, "LinkTestFirst");
    EXPECT_EQ(RelocEntryAt(before)->code, reinterpret_cast<void*>(&LinkTestFirst));
    EXPECT_EQ(RelocEntryAt(before + 1)->code, reinterpret_cast<void*>(&LinkTestSecond));
    EXPECT_EQ(RelocEntryAt(before + 1)->reserved[0], 0u);
    EXPECT_EQ(RelocEntryAt(before + 1)->reserved[1], 0u);
    EXPECT_EQ(RelocEntryAt(before + 2), nullptr);
    EXPECT_EQ(RelocEntryAt(-1), nullptr);
    EXPECT_EQ(Lookup("linktestsecond"), RelocEntryAt(before + 1));
    EXPECT_EQ(Lookup("LinkTestIgnored"), nullptr);
}

TEST(LinkTableRegistration, KnownNameWithItsOwnFunctionAddsNothing) {
    RegisterRelocEntry("LinkTestFirst", &LinkTestFirst);
    const int32_t before = RelocEntryCount();
    RegisterRelocEntry("LinkTestFirst", &LinkTestFirst);
    RegisterRelocEntry("LINKTESTFIRST", &LinkTestFirst);
    RegisterRelocEntry("runtimelockstring", &RuntimeLockString);
    EXPECT_EQ(RelocEntryCount(), before);
}

TEST(LinkTableRegistration, KnownNameWithAnotherFunctionIsReportedAndKeepsTheFirst) {
    RegisterRelocEntry("LinkTestFirst", &LinkTestFirst);
    const int32_t before = RelocEntryCount();
    const struct {
        const char* name;
        void* first;
    } cases[] = {
        {"runtimelockstring", reinterpret_cast<void*>(&RuntimeLockString)},  // a static row
        {"LINKTESTFIRST", reinterpret_cast<void*>(&LinkTestFirst)},          // a registered entry
    };
    for (const auto& c : cases) {
        FailureRecorder recorder;
        RegisterRelocEntry(c.name, &LinkTestThird);
        ASSERT_EQ(recorder.Count(), 1u) << c.name;
        EXPECT_EQ(recorder.Last().kind, kFailedAssertion);
        EXPECT_EQ(recorder.Last().file, "relocentry");
        EXPECT_EQ(recorder.Last().condition, "functionPtr == oldEntry->code");
        EXPECT_EQ(recorder.Last().message, "");
        const RelocEntry* kept = Lookup(c.name);
        ASSERT_NE(kept, nullptr);
        EXPECT_EQ(kept->code, c.first) << c.name;
    }
    EXPECT_EQ(RelocEntryCount(), before);
}

TEST(LinkTableRegistration, NullNameCountsButIsReachableByIndexOnly) {
    const int32_t before = RelocEntryCount();
    RegisterRelocEntry(nullptr, &LinkTestFirst);
    // Never found by name, so another nameless entry is no conflict.
    RegisterRelocEntry(nullptr, &LinkTestSecond);
    ASSERT_EQ(RelocEntryCount(), before + 2);
    EXPECT_EQ(RelocEntryAt(before)->name, nullptr);
    EXPECT_EQ(RelocEntryAt(before)->code, reinterpret_cast<void*>(&LinkTestFirst));
    EXPECT_EQ(RelocEntryAt(before + 1)->code, reinterpret_cast<void*>(&LinkTestSecond));
    EXPECT_EQ(LookupRelocEntry(string()), nullptr);
    EXPECT_EQ(Lookup(""), nullptr);
}
