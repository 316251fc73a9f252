// A child process drives the built-in engine's records over a real file and ends itself with
// TerminateProcess after the k-th write, length change or flush of a commit, for every k; the
// file, opened again as an application opens it, must show exactly the state before or after.
#include <gtest/gtest.h>
#include <windows.h>

#include <deque>
#include <string>
#include <vector>

#include "TemporaryFolder.h"
#include "database/BuiltinDatabaseClass.h"
#include "database/BuiltinEngine.h"
#include "database/DataFileStorage.h"
#include "database/DatabaseObjects.h"
#include "files/FolderItem.h"

#undef EOF

extern "C" void databaseClose(ObjectHeader* self);

namespace {

string R(const std::string& text) {
    string s;
    if (!text.empty()) s.SetBytes(text.data(), int32_t(text.size()));
    return s;
}

std::string Narrow(const std::wstring& wide) { return std::string(wide.begin(), wide.end()); }

int gStepsLeft = 0;  // 0: no crash

void Step() {
    if (gStepsLeft > 0 && --gStepsLeft == 0) TerminateProcess(GetCurrentProcess(), 7);
}

// The file layer of a process that ends after a number of steps that reach the disk.
class CrashingFile final : public StorageFile {
public:
    explicit CrashingFile(std::unique_ptr<StorageFile> file) : mFile(std::move(file)) {}
    bool ReadAt(uint32_t offset, void* buffer, uint32_t length) override { return mFile->ReadAt(offset, buffer, length); }
    bool WriteAt(uint32_t offset, const void* buffer, uint32_t length) override {
        const bool ok = mFile->WriteAt(offset, buffer, length);
        Step();
        return ok;
    }
    uint32_t Length() override { return mFile->Length(); }
    bool SetLength(uint32_t length) override {
        const bool ok = mFile->SetLength(length);
        Step();
        return ok;
    }
    bool Flush() override {
        const bool ok = mFile->Flush();
        Step();
        return ok;
    }
    bool IsReadOnly() const override { return mFile->IsReadOnly(); }
    std::unique_ptr<StorageFile> OpenJournal(bool create) override {
        std::unique_ptr<StorageFile> journal = mFile->OpenJournal(create);
        if (!journal) return nullptr;
        return std::make_unique<CrashingFile>(std::move(journal));
    }
    bool RemoveJournal() override {
        const bool ok = mFile->RemoveJournal();
        Step();
        return ok;
    }
    std::unique_ptr<StorageFile> CreateTemporary() override { return mFile->CreateTemporary(); }

private:
    std::unique_ptr<StorageFile> mFile;
};

struct Values {
    std::vector<std::pair<std::string, std::string>> columns;
};

void AddRecord(PluginDBEngineRecord* e, QUORdbHandle h, const std::string& table, const Values& values) {
    std::deque<RecordColumnNode> nodes(values.columns.size());
    std::deque<string> texts;
    for (size_t i = 0; i < nodes.size(); ++i) {
        nodes[i].name = texts.emplace_back(R(values.columns[i].first)).Record();
        nodes[i].value = texts.emplace_back(R(values.columns[i].second)).Record();
        nodes[i].type = kDBTypeText;
        nodes[i].next = i + 1 < nodes.size() ? &nodes[i + 1] : nullptr;
    }
    e->AddTableRecord(h, R(table).Record(), &nodes[0]);
}

// Every table through the schema cursor and a table cursor, each value's type and bytes.
std::string State(ObjectHeader* database) {
    PluginDBEngineRecord* e = AsDatabase(database)->engine;
    const QUORdbHandle h = AsDatabase(database)->handle;
    std::vector<std::string> tables;
    ObjectHeader* schema = e->TableSchemaCursor(h);
    for (CursorObject* c = AsCursor(schema); !c->eof; c->eof = !c->record->NextRow(c->handle)) {
        const void* bytes;
        uint8_t type;
        int32_t length;
        c->record->ColumnValue(c->handle, 0, &bytes, &type, &length);
        tables.emplace_back(static_cast<const char*>(bytes), size_t(length));
        c->record->ReleaseValue(c->handle);
    }
    RuntimeUnlockObject(schema);
    std::string out;
    for (const std::string& table : tables) {
        out += table + ":";
        string star("*");
        ColumnNameNode columns{nullptr, star.Record()};
        ObjectHeader* cursor = e->OpenTableCursor(h, R(table).Record(), &columns, nullptr);
        for (CursorObject* c = AsCursor(cursor); !c->eof; c->eof = !c->record->NextRow(c->handle)) {
            out += " (";
            for (int32_t i = 0; i < c->record->ColumnCount(c->handle); ++i) {
                const void* bytes;
                uint8_t type;
                int32_t length;
                c->record->ColumnValue(c->handle, i, &bytes, &type, &length);
                out += std::to_string(type) + ":" +
                       (length > 40 ? std::to_string(length) + " bytes"
                                    : std::string(static_cast<const char*>(bytes), size_t(length))) +
                       ";";
                c->record->ReleaseValue(c->handle);
            }
            out += ")";
        }
        RuntimeUnlockObject(cursor);
        out += "\n";
    }
    return out;
}

// The changes, each ended by a commit.
void RunScenario(ObjectHeader* database, int scenario) {
    PluginDBEngineRecord* e = AsDatabase(database)->engine;
    const QUORdbHandle h = AsDatabase(database)->handle;
    string star("*"), k("k"), two("2"), four("4"), twenty("20");
    ColumnNameNode columns{nullptr, star.Record()};
    switch (scenario) {
        case 0: {
            string a("a"), b("b");
            ColumnDefinitionNode second{nullptr, b.Record(), kDBTypeText, 1};
            ColumnDefinitionNode first{&second, a.Record(), kDBTypeLong, 0};
            const uint8_t key = 0;
            e->CreateTable(h, R("Made").Record(), &first, &key, 1);
            break;
        }
        case 1: AddRecord(e, h, "T", {{{"k", "10"}, {"v", "ten"}}}); break;
        case 2:
        case 3: {
            WhereNode leaf{nullptr, nullptr, kWhereEqual, 0, k.Record(), (scenario == 2 ? two : four).Record()};
            ObjectHeader* cursor = e->OpenTableCursor(h, R("T").Record(), &columns, &leaf);
            CursorObject* c = AsCursor(cursor);
            if (scenario == 2) {
                PendingEdit edit{nullptr, 0, twenty.Record()};  // columns: k, m, v
                c->record->UpdateRow(c->handle, &edit);
            } else {
                c->record->DeleteRow(c->handle);
            }
            RuntimeUnlockObject(cursor);
            break;
        }
        case 4: AddRecord(e, h, "T", {{{"k", "11"}, {"m", std::string(10000, 'L')}}}); break;
    }
}

constexpr int kScenarios = 5;

// Run as a child by the next test.
TEST(EngineCrashChild, ChangesAndCommits) {
    wchar_t path[1024], scenario[16], step[16];
    if (!GetEnvironmentVariableW(L"QV_ENGINE_CRASH_FILE", path, 1024)) GTEST_SKIP();
    GetEnvironmentVariableW(L"QV_ENGINE_CRASH_SCENARIO", scenario, 16);
    GetEnvironmentVariableW(L"QV_ENGINE_CRASH_STEP", step, 16);
    if (_wtoi(scenario) < 0) {  // only tries to open the file: 1 when it opens
        ObjectHeader* item = NewFolderItemForPath(R(Narrow(path)));
        ObjectHeader* database = openQUORDatabase(item);
        ExitProcess(database ? 1 : 0);
    }
    std::unique_ptr<DataFileStorage> file = DataFileStorage::Open(R(Narrow(path)));
    if (!file) ExitProcess(3);
    std::unique_ptr<PageStore> store = PageStore::Open(std::make_unique<CrashingFile>(std::move(file)));
    if (!store) ExitProcess(4);
    ObjectHeader* database = WrapEngineStore(std::move(store));
    RunScenario(database, _wtoi(scenario));
    gStepsLeft = _wtoi(step);
    AsDatabase(database)->engine->Commit(AsDatabase(database)->handle);
    gStepsLeft = 0;
    databaseClose(database);
    RuntimeUnlockObject(database);
    ExitProcess(0);
}

class EngineCrash : public TemporaryFolderTest {
protected:
    EngineCrash() : TemporaryFolderTest(L"qv-crash-") {}

    DWORD RunChild(const std::wstring& file, int scenario, int step) {
        wchar_t self[MAX_PATH];
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        SetEnvironmentVariableW(L"QV_ENGINE_CRASH_FILE", file.c_str());
        SetEnvironmentVariableW(L"QV_ENGINE_CRASH_SCENARIO", std::to_wstring(scenario).c_str());
        SetEnvironmentVariableW(L"QV_ENGINE_CRASH_STEP", std::to_wstring(step).c_str());
        std::wstring command = L"\"" + std::wstring(self) + L"\" --gtest_filter=EngineCrashChild.*";
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        const BOOL started = CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                            &startup, &process);
        SetEnvironmentVariableW(L"QV_ENGINE_CRASH_FILE", nullptr);
        if (!started) return 98;
        DWORD code = 99;
        if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0) GetExitCodeProcess(process.hProcess, &code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        return code;
    }

    std::string StateOf(const std::wstring& file) {
        ObjectHeader* item = NewFolderItemForPath(R(Narrow(file)));
        ObjectHeader* database = openQUORDatabase(item);
        std::string state = database ? State(database) : "cannot be opened";
        if (database) {
            databaseClose(database);
            RuntimeUnlockObject(database);
        }
        RuntimeUnlockObject(item);
        return state;
    }
};

TEST_F(EngineCrash, EveryCutOfACommitLeavesTheStateBeforeOrAfter) {
    const std::wstring base = folder + L"base.qvdb", work = folder + L"work.qvdb";
    {
        ObjectHeader* item = NewFolderItemForPath(R(Narrow(base)));
        ObjectHeader* database = newQUORDatabase(item);
        ASSERT_NE(database, nullptr);
        PluginDBEngineRecord* e = AsDatabase(database)->engine;
        const QUORdbHandle h = AsDatabase(database)->handle;
        string k("k"), v("v"), m("m");
        ColumnDefinitionNode third{nullptr, m.Record(), kDBTypeLongText, 1};
        ColumnDefinitionNode second{&third, v.Record(), kDBTypeText, 1};
        ColumnDefinitionNode first{&second, k.Record(), kDBTypeLong, 0};
        const uint8_t key = 0;
        e->CreateTable(h, R("T").Record(), &first, &key, 1);
        for (int i = 1; i <= 5; ++i) AddRecord(e, h, "T", {{{"k", std::to_string(i)}, {"v", "row " + std::to_string(i)}}});
        databaseClose(database);
        RuntimeUnlockObject(database);
        RuntimeUnlockObject(item);
    }
    const std::string before = StateOf(base);
    // Each repaired file is left beside the test program for the independent reader.
    wchar_t self[MAX_PATH];
    std::wstring kept(self, GetModuleFileNameW(nullptr, self, MAX_PATH));
    kept.resize(kept.find_last_of(L'\\') + 1);
    kept += L"engine-crash\\";
    CreateDirectoryW(kept.c_str(), nullptr);
    const auto fresh = [&] {
        DeleteFileW((work + L".journal").c_str());
        return CopyFileW(base.c_str(), work.c_str(), FALSE);
    };
    for (int scenario = 0; scenario < kScenarios; ++scenario) {
        ASSERT_TRUE(fresh());
        ASSERT_EQ(RunChild(work, scenario, 0), 0u) << "scenario " << scenario;
        const std::string after = StateOf(work);
        ASSERT_NE(after, before) << "scenario " << scenario;
        bool finished = false;
        int step = 1;
        for (; step < 200 && !finished; ++step) {
            ASSERT_TRUE(fresh());
            const DWORD code = RunChild(work, scenario, step);
            ASSERT_TRUE(code == 0 || code == 7) << "scenario " << scenario << " step " << step << " exit " << code;
            finished = code == 0;
            const std::string state = StateOf(work);
            CopyFileW(work.c_str(), (kept + std::to_wstring(scenario) + L"-" + std::to_wstring(step) + L".qvdb").c_str(),
                      FALSE);
            EXPECT_TRUE(state == before || state == after)
                << "scenario " << scenario << " cut after step " << step << ":\n" << state;
            if (finished) {
                EXPECT_EQ(state, after);
            }
        }
        EXPECT_TRUE(finished) << "scenario " << scenario;
        // The journal, the pages, the header and their flushes each were cut.
        EXPECT_GT(step, 6) << "scenario " << scenario;

    }
}

// A file an open database holds, with or without a transaction open, is refused to another
// process; once it is closed the other process opens it.
TEST_F(EngineCrash, AnotherProcessCannotOpenAHeldFile) {
    const std::wstring path = folder + L"held.qvdb";
    ObjectHeader* item = NewFolderItemForPath(R(Narrow(path)));
    ObjectHeader* database = newQUORDatabase(item);
    ASSERT_NE(database, nullptr);
    EXPECT_EQ(RunChild(path, -1, 0), 0u) << "with the creating transaction open";
    AsDatabase(database)->engine->Commit(AsDatabase(database)->handle);
    EXPECT_EQ(RunChild(path, -1, 0), 0u) << "committed";
    databaseClose(database);
    RuntimeUnlockObject(database);
    EXPECT_EQ(RunChild(path, -1, 0), 1u) << "closed";
    RuntimeUnlockObject(item);
}

}  // namespace
