#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "FailureRecorder.h"
#include "StringTesting.h"
#include "TemporaryFolder.h"
#include "core/Platform.h"
#include "database/DataFileStorage.h"
#include "native/StorageModel.h"

#undef EOF

using namespace storage_kit;

namespace {

// A folder of its own in the temporary folder, removed with what it holds.
class DatabaseFiles : public TemporaryFolderTest {
protected:
    DatabaseFiles() : TemporaryFolderTest(L"qv-db-") {}
    std::string Contents(const std::wstring& name) const {
        HANDLE file = CreateFileW((folder + name).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) return "<missing>";
        std::string bytes(GetFileSize(file, nullptr), '\0');
        DWORD read = 0;
        ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
        CloseHandle(file);
        bytes.resize(read);
        return bytes;
    }
    uint32_t WordOf(const std::wstring& name, uint32_t offset) const {
        const std::string bytes = Contents(name);
        return bytes.size() >= offset + 4
                   ? Load32(reinterpret_cast<const uint8_t*>(bytes.data()) + offset)
                   : 0xDEADBEEF;
    }
    std::string Scan(PageStore& store) {
        std::string out;
        std::unique_ptr<TreeCursor> cursor = FindTable(store, "4", nullptr, {0});
        while (cursor && cursor->NextMatching()) {
            StoredColumn key;
            cursor->FindColumn(0, key);
            out += std::to_string(key.AsInt()) + "=" + RowText(*cursor) + " ";
        }
        return out;
    }

};

// Fails every page write once the journal has been made: a commit that dies after saving the
// images it would overwrite.
class PageWritesFail final : public StorageFile {
public:
    explicit PageWritesFail(std::unique_ptr<StorageFile> file) : mFile(std::move(file)) {}
    bool ReadAt(uint32_t offset, void* buffer, uint32_t length) override {
        return mFile->ReadAt(offset, buffer, length);
    }
    bool WriteAt(uint32_t offset, const void* buffer, uint32_t length) override {
        return !(mJournalMade && offset >= kStoreHeaderSize) && mFile->WriteAt(offset, buffer, length);
    }
    uint32_t Length() override { return mFile->Length(); }
    bool SetLength(uint32_t length) override { return mFile->SetLength(length); }
    bool Flush() override { return mFile->Flush(); }
    bool IsReadOnly() const override { return false; }
    std::unique_ptr<StorageFile> OpenJournal(bool create) override {
        mJournalMade = mJournalMade || create;
        return mFile->OpenJournal(create);
    }
    bool RemoveJournal() override { return !mJournalMade && mFile->RemoveJournal(); }

private:
    std::unique_ptr<StorageFile> mFile;
    bool mJournalMade = false;
};

struct Errors : StorageErrorSink {
    std::string last;
    void StorageError(int32_t code, const char* text) override {
        last = std::to_string(code) + " " + text;
    }
};

}  // namespace

TEST_F(DatabaseFiles, NewFileIsTheHeaderAndFourPagesOnBothPlatformSides) {
    for (auto side : {UnicodePlatformOverride::ForceWide, UnicodePlatformOverride::ForceAnsi}) {
        SetUnicodePlatformOverride(side);
        std::unique_ptr<PageStore> store = CreateDatabaseFile(PathOf(L"new.qvdb"));
        ASSERT_NE(store, nullptr);
        ASSERT_TRUE(store->Close());
        EXPECT_EQ(Contents(L"new.qvdb").size(), 32832u);
        const uint32_t header[] = {0xFEEDDBDB, 1, 1, 0, 4, 0};
        for (uint32_t i = 0; i < 6; ++i) EXPECT_EQ(WordOf(L"new.qvdb", 4 * i), header[i]);
        EXPECT_EQ(Contents(L"new.qvdb.journal"), "<missing>");
    }
    EXPECT_EQ(CreateDatabaseFile(PathOf(L"no such folder\\x.qvdb")), nullptr);
    EXPECT_EQ(OpenDatabaseFile(PathOf(L"missing.qvdb")), nullptr);
}

TEST_F(DatabaseFiles, CommitsSurviveReopeningAndReadOnlyFilesRefuseChanges) {
    const string path = PathOf(L"people.qvdb");
    {
        std::unique_ptr<PageStore> store = CreateDatabaseFile(path);
        ASSERT_TRUE(CreateTableTree(*store, "4"));
        for (int i = 0; i < 300; ++i) {
            StorageBytes row = KeyedRow(i, std::string(50, 'p'));
            ASSERT_EQ(InsertRow(*store, "4", row, {0}, true), InsertResult::kInserted);
        }
        ASSERT_TRUE(store->Commit());
        EXPECT_EQ(Contents(L"people.qvdb.journal"), "<missing>");
        std::unique_ptr<TreeCursor> cursor = FindTable(*store, "4", nullptr, {0});
        ASSERT_TRUE(FindLive(*cursor, LongKey(7)) && cursor->DeleteCurrent());
        cursor.reset();
        // Changes unwritten: the flag is set in the file.
        EXPECT_EQ(WordOf(L"people.qvdb", 12), 1u);
        ASSERT_TRUE(store->Close());
    }
    std::string committed;
    {
        std::unique_ptr<PageStore> store = OpenDatabaseFile(path);
        ASSERT_NE(store, nullptr);
        committed = Scan(*store);
        EXPECT_EQ(committed.find(" 7="), std::string::npos);
        EXPECT_NE(committed.find("299="), std::string::npos);
    }
    // Another reader that shares only reading leaves nothing but a read-only opening.
    HANDLE reader = CreateFileW((folder + L"people.qvdb").c_str(), GENERIC_READ, FILE_SHARE_READ,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    {
        std::unique_ptr<PageStore> store = OpenDatabaseFile(path);
        ASSERT_NE(store, nullptr);
        EXPECT_TRUE(store->IsReadOnly());
        Errors errors;
        store->SetErrorSink(&errors);
        EXPECT_EQ(Scan(*store), committed);
        StorageBytes row = KeyedRow(1000, "x");
        EXPECT_EQ(InsertRow(*store, "4", row, {0}, true), InsertResult::kFailed);
        EXPECT_EQ(errors.last, "2000 The database is read only");
    }
    CloseHandle(reader);
}

TEST_F(DatabaseFiles, FailedCommitIsReportedAndTheJournalRepairsTheFile) {
    const string path = PathOf(L"torn.qvdb");
    {
        std::unique_ptr<PageStore> store = CreateDatabaseFile(path);
        ASSERT_TRUE(CreateTableTree(*store, "4"));
        for (int i = 0; i < 200; ++i) {
            StorageBytes row = KeyedRow(i, std::string(80, 't'));
            InsertRow(*store, "4", row, {0}, true);
        }
        ASSERT_TRUE(store->Close());
    }
    std::string before;
    {
        std::unique_ptr<PageStore> store =
            PageStore::Open(std::make_unique<PageWritesFail>(DataFileStorage::Open(path)));
        ASSERT_NE(store, nullptr);
        before = Scan(*store);
        Errors errors;
        store->SetErrorSink(&errors);
        std::unique_ptr<TreeCursor> cursor = FindTable(*store, "4", nullptr, {0});
        for (int i = 0; i < 200; i += 2) ASSERT_TRUE(FindLive(*cursor, LongKey(i)) && cursor->DeleteCurrent());
        cursor.reset();
        EXPECT_FALSE(store->Commit());
        EXPECT_EQ(errors.last, "2000 The database file could not be written");
    }
    EXPECT_EQ(WordOf(L"torn.qvdb", 12), 1u);
    EXPECT_NE(Contents(L"torn.qvdb.journal"), "<missing>");
    std::unique_ptr<PageStore> store = OpenDatabaseFile(path);
    ASSERT_NE(store, nullptr);
    EXPECT_EQ(WordOf(L"torn.qvdb", 12), 0u);
    EXPECT_EQ(Contents(L"torn.qvdb.journal"), "<missing>");
    EXPECT_EQ(Scan(*store), before);
}

TEST(StorageModel, RandomWorkAgreesWithAMap) {
    FailureRecorder recorder;
    EXPECT_EQ(RunStorageModel(11, 2500, 16), "");
    EXPECT_EQ(recorder.Count(), 0u);
}
