#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "FailureRecorder.h"
#include "StringTesting.h"
#include "core/Platform.h"
#include "host/ResourceManager.h"
#include "core/EncodingConversion.h"
#include "windows/MouseCursor.h"

namespace {

// Resource data must outlive the table, which never forgets an entry.
const char* Keep(const std::string& bytes) { return (new std::string(bytes))->data(); }

void AddResource(uint32_t type, uint32_t id, const std::string& bytes, uint32_t fileOffset = 0) {
    ResourceManager::Add(type, id, Keep(bytes), static_cast<uint32_t>(bytes.size()), fileOffset);
}

std::string BytesOf(const ResourceEntry& entry) {
    return entry.data ? std::string(static_cast<const char*>(entry.data), entry.length) : "";
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

// A new, empty folder of this test process under the system's temporary folder (as it was before
// any test moved it).
std::wstring NewPrivateFolder(const wchar_t* tag) {
    static const std::wstring base = [] {
        wchar_t path[MAX_PATH + 1];
        GetTempPathW(MAX_PATH + 1, path);
        return std::wstring(path);
    }();
    // Process ids come round again, so a folder of an earlier run may exist: only a folder this
    // call creates is taken, empty.
    static int made = 0;
    for (;;) {
        const std::wstring folder = base + L"qv-" + tag + L"-" +
                                    std::to_wstring(GetCurrentProcessId()) + L"-" +
                                    std::to_wstring(++made);
        if (CreateDirectoryW(folder.c_str(), nullptr)) return folder;
    }
}

std::vector<std::string> FilesIn(const std::wstring& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") names.push_back(Narrow(name));
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

std::string ReadWholeFile(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<missing>";
    std::string bytes(GetFileSize(file, nullptr), '\0');
    DWORD read = 0;
    ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(file);
    return bytes;
}

void WriteWholeFile(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

bool IsNumberWithExtension(const std::string& name, const std::string& extension) {
    const size_t stem = name.size() - extension.size();
    if (name.size() <= extension.size() || name.compare(stem, std::string::npos, extension) != 0)
        return false;
    const int number = std::atoi(name.substr(0, stem).c_str());
    return name.find_first_not_of("0123456789") == stem && number >= 0 && number <= 32767;
}

void Release(ObjectHeader* object) { ReleaseObject(object); }

}  // namespace

// --- the table ---

TEST(ResourceTable, FindComparesTypeAndLowSixteenBitsOfIdFirstEntryWins) {
    AddResource(kResourceText, 5, "first", 100);
    AddResource(kResourceText, 5, "second", 200);
    AddResource(kResourceText, 0x10006, "high bits", 300);
    AddResource(kResourceBitmap, 7, "bitmap", 400);
    const struct {
        uint32_t type;
        uint32_t id;
        const char* expected;  // null: no entry
    } cases[] = {
        {kResourceText, 5, "first"},          {kResourceText, 0x10005, "first"},
        {kResourceText, 0xFFFF0005, "first"}, {kResourceText, 6, "high bits"},
        {kResourceBitmap, 5, nullptr},        {kResourceText, 7, nullptr},
        {kResourceBitmap, 0x20007, "bitmap"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.type << " id " << c.id);
        const ResourceEntry entry = ResourceManager::Find(c.type, c.id);
        if (!c.expected) {
            EXPECT_EQ(entry.type, 0u);
            EXPECT_EQ(entry.data, nullptr);
            EXPECT_EQ(entry.length, 0u);
            continue;
        }
        EXPECT_EQ(entry.type, c.type);
        EXPECT_EQ(BytesOf(entry), c.expected);
    }
    EXPECT_EQ(ResourceManager::Find(kResourceText, 5).fileOffset, 100u);
}

// The plug-in installer walks the table by index for the 'QVPl' entries.
TEST(ResourceTable, PluginResourcesAreEnumeratedInRegistrationOrder) {
    const uint32_t before = ResourceManager::GetCount();
    AddResource(kResourcePlugin, 0xFFFF, "\x05one.dll", 1000);
    AddResource(kResourceText, 10, "text");
    AddResource(kResourcePlugin, 0xFFFF, "\x05two.dll", 2000);
    ASSERT_EQ(ResourceManager::GetCount(), before + 3);

    std::vector<std::string> plugins;
    for (uint32_t i = 0; i < ResourceManager::GetCount(); ++i) {
        const ResourceEntry entry = ResourceManager::GetAt(i);
        if (entry.type == kResourcePlugin)
            plugins.push_back(BytesOf(entry) + "@" + std::to_string(entry.fileOffset));
    }
    EXPECT_EQ(plugins, (std::vector<std::string>{"\x05one.dll@1000", "\x05two.dll@2000"}));

    FailureRecorder recorder;
    const ResourceEntry past = ResourceManager::GetAt(ResourceManager::GetCount());
    ASSERT_EQ(recorder.Count(), 1u);
    EXPECT_EQ(recorder.Last().file, "ResourceManagerCommon");
    EXPECT_EQ(recorder.Last().condition, "index < GetCount()");
    EXPECT_EQ(past.type, 0u);
    EXPECT_EQ(past.data, nullptr);
}

// --- the getters ---

TEST(ResourceTable, TextBecomesAStringInTheSystemEncoding) {
    AddResource(kResourceText, 20, "Caf\xE9\r\nline two");
    const string text = string::Adopt(RuntimeGetTextFileFromResourceManager(0x10014));
    EXPECT_EQ(BytesOf(text), "Caf\xE9\r\nline two");
    EXPECT_EQ(text.Encoding(), SystemTextEncoding());
    ASSERT_NE(text.Record(), nullptr);
    EXPECT_EQ(text.Record()->refCount, 1);
    // The string is a copy: the resource's bytes are not the string's buffer.
    EXPECT_NE(reinterpret_cast<const void*>(text.CString()),
              ResourceManager::Find(kResourceText, 20).data);
}

TEST(ResourceTable, MissingResourcesGiveNil) {
    ResourceManager& manager = ResourceManager::Instance();
    constexpr uint32_t kAbsent = 999;
    EXPECT_EQ(manager.GetDatabase(kAbsent), nullptr);
    EXPECT_EQ(manager.GetBitmap(kAbsent), nullptr);
    EXPECT_EQ(manager.GetText(kAbsent), nullptr);
    EXPECT_EQ(manager.GetCursor(kAbsent), nullptr);
    EXPECT_EQ(manager.GetMovie(kAbsent), nullptr);
    EXPECT_EQ(manager.GetSound(kAbsent), nullptr);
    EXPECT_EQ(RuntimeGetBitmapFromResourceManager(kAbsent), nullptr);
    EXPECT_EQ(RuntimeGetTextFileFromResourceManager(kAbsent), nullptr);
    EXPECT_EQ(RuntimeGetCursorFromResourceManager(kAbsent), nullptr);
    EXPECT_EQ(RuntimeGetSoundFromResourceManager(kAbsent), nullptr);

    // A record too short to be a cursor is no cursor either.
    AddResource(kResourceCursor, 31, std::string(kCursorRecordSize - 1, '\0'));
    EXPECT_EQ(manager.GetCursor(31), nullptr);
}

TEST(ResourceTable, DatabaseRecordIsReadWithinItsLength) {
    const struct {
        const char* name;
        std::string bytes;
        bool ok;
        const char* engine;
        const char* data;
    } cases[] = {
        {"well formed", std::string("\x06\0\0\0quordb\x04\0\0\0DATA", 18), true, "quordb", "DATA"},
        {"no data", std::string("\x02\0\0\0db\0\0\0\0", 10), true, "db", ""},
        {"trailing bytes ignored", std::string("\x01\0\0\0x\x01\0\0\0yz", 11), true, "x", "y"},
        {"shorter than a length", std::string("\x06\0\0", 3), false, "", ""},
        {"name runs past the end", std::string("\x07\0\0\0quordb\x04\0\0\0", 14), false, "", ""},
        {"data run past the end", std::string("\x02\0\0\0db\x05\0\0\0DATA", 14), false, "", ""},
        {"huge name length", std::string("\xFF\xFF\xFF\xFF\0\0\0\0", 8), false, "", ""},
        {"huge data length", std::string("\0\0\0\0\xFF\xFF\xFF\xFF", 8), false, "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ResourceEntry entry{kResourceDatabase, 1, c.bytes.data(),
                                  static_cast<uint32_t>(c.bytes.size()), 0};
        string engine;
        const void* data = nullptr;
        uint32_t length = 0;
        ASSERT_EQ(ReadDatabaseRecord(entry, &engine, &data, &length), c.ok);
        if (!c.ok) continue;
        EXPECT_EQ(BytesOf(engine), c.engine);
        EXPECT_EQ(std::string(static_cast<const char*>(data), length), c.data);
    }
}

// The 16 x 16 record becomes the top-left quarter of a 32 x 32 cursor.
TEST(ResourceTable, CursorRecordBecomesAMouseCursorWithItsHotSpot) {
    std::string record(kCursorRecordSize, '\0');
    record[0] = '\xF0', record[1] = '\x0F';    // image, row 0
    record[32] = '\xFF', record[33] = '\x00';  // mask, row 0
    record[34] = '\x80', record[35] = '\x01';  // mask, row 1
    record[64] = 0, record[65] = 3;            // hot spot v (row)
    record[66] = 0, record[67] = 12;           // hot spot h (column)
    AddResource(kResourceCursor, 30, record);

    ObjectHeader* cursor = RuntimeGetCursorFromResourceManager(0x1001E);
    ASSERT_NE(cursor, nullptr);
    EXPECT_TRUE(ObjectIsaDefinition(cursor, MouseCursor()));
    EXPECT_EQ(cursor->refCount, 1);
    ASSERT_NE(MouseCursorHolder(cursor), nullptr);
    HCURSOR handle = MouseCursorHolder(cursor)->handle;
    ASSERT_NE(handle, nullptr);

    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(handle, &info));
    EXPECT_FALSE(info.fIcon);
    EXPECT_EQ(info.xHotspot, 12u);
    EXPECT_EQ(info.yHotspot, 3u);
    // A monochrome cursor: one bitmap, the AND plane above the XOR plane.
    EXPECT_EQ(info.hbmColor, nullptr);
    BITMAP shape = {};
    ASSERT_TRUE(GetObjectW(info.hbmMask, sizeof shape, &shape));
    ASSERT_EQ(shape.bmWidth, 32);
    ASSERT_EQ(shape.bmHeight, 64);
    ASSERT_EQ(shape.bmWidthBytes, 4);
    unsigned char planes[64 * 4] = {};
    ASSERT_EQ(GetBitmapBits(info.hbmMask, sizeof planes, planes), LONG(sizeof planes));
    auto row = [&planes](int index) {
        return std::vector<int>(planes + index * 4, planes + index * 4 + 4);
    };
    const int kXor = 32;
    EXPECT_EQ(row(0), (std::vector<int>{0x00, 0xFF, 0xFF, 0xFF}));  // NOT mask
    EXPECT_EQ(row(kXor + 0), (std::vector<int>{0x0F, 0x0F, 0x00, 0x00}));  // image XOR mask
    EXPECT_EQ(row(1), (std::vector<int>{0x7F, 0xFE, 0xFF, 0xFF}));
    EXPECT_EQ(row(kXor + 1), (std::vector<int>{0x80, 0x01, 0x00, 0x00}));
    EXPECT_EQ(row(20), (std::vector<int>{0xFF, 0xFF, 0xFF, 0xFF}));  // transparent below
    EXPECT_EQ(row(kXor + 20), (std::vector<int>{0x00, 0x00, 0x00, 0x00}));
    DeleteObject(info.hbmMask);

    Release(cursor);
}

// --- temporary files ---

namespace {

// Points the system's temporary folder (GetTempPath reads TMP) at a folder of the test's own.
class ResourceTemporaryFiles : public testing::Test {
protected:
    void SetUp() override {
        mFolder = NewPrivateFolder(L"resources");
        SetEnvironmentVariableW(L"TMP", (mFolder + L"\\").c_str());
        SetEnvironmentVariableW(L"TEMP", (mFolder + L"\\").c_str());
    }
    void TearDown() override {
        DestroyShutdownContexts();
        for (const std::string& name : FilesIn(mFolder)) DeleteFileW(PathOf(name).c_str());
        RemoveDirectoryW(mFolder.c_str());
    }

    std::wstring PathOf(const std::string& name) const { return mFolder + L"\\" + Wide(name); }

    std::wstring mFolder;
};

uint32_t sNextMovieId = 40;

// Registers a movie resource and asks for it; the temporary file it leaves is what the tests
// look at.
void AskForMovie(const std::string& bytes) {
    const uint32_t id = sNextMovieId++;
    AddResource(kResourceMovie, id, bytes);
    Release(ResourceManager::Instance().GetMovie(id));
}

}  // namespace

TEST_F(ResourceTemporaryFiles, MovieIsWrittenAsAviOrMovAndDeletedAtShutdown) {
    const struct {
        const char* name;
        std::string bytes;
        const char* extension;
    } cases[] = {
        {"RIFF with AVI", std::string("RIFF\x10\0\0\0AVI LIST", 16), ".avi"},
        {"RIFF with WAVE", std::string("RIFF\x10\0\0\0WAVEfmt ", 16), ".mov"},
        {"RIFF cut short of AVI", std::string("RIFF\0\0\0\0AV", 10), ".mov"},
        {"AVI without RIFF", std::string("LIST\0\0\0\0AVI ", 12), ".mov"},
        {"other data", "movie data", ".mov"},
        {"empty", "", ".mov"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        AskForMovie(c.bytes);
        const std::vector<std::string> files = FilesIn(mFolder);
        ASSERT_EQ(files.size(), 1u);
        EXPECT_TRUE(IsNumberWithExtension(files[0], c.extension)) << files[0];
        EXPECT_EQ(ReadWholeFile(PathOf(files[0])), c.bytes);

        DestroyShutdownContexts();
        EXPECT_TRUE(FilesIn(mFolder).empty());
    }
}

// A name the tick-seeded number picks may already be taken: by another resource's file made in
// the same millisecond, or by a file that is somebody else's. Neither is overwritten or deleted.
// The seed's clock stands still, so every file is asked for in the same millisecond; the name it
// picks and the three after it belong to somebody else.
TEST_F(ResourceTemporaryFiles, TemporaryFilesNeverTakeOverAnExistingFile) {
    constexpr DWORD kTick = 123456789;
    std::srand(kTick);
    const int first = std::rand();
    std::set<std::string> taken;
    for (int i = 0; i < 4; ++i) taken.insert(std::to_string((first + i) % 32768) + ".mov");
    for (const std::string& name : taken) WriteWholeFile(PathOf(name), "somebody else's");

    SetTickSeedClockForTesting([]() -> DWORD { return kTick; });
    AskForMovie("movie one");
    AskForMovie("movie two");
    AskForMovie("movie three");
    SetTickSeedClockForTesting(nullptr);

    std::vector<std::string> written;
    for (const std::string& name : FilesIn(mFolder)) {
        EXPECT_TRUE(IsNumberWithExtension(name, ".mov")) << name;
        const std::string contents = ReadWholeFile(PathOf(name));
        if (taken.count(name))
            EXPECT_EQ(contents, "somebody else's") << name;
        else
            written.push_back(contents);
    }
    std::sort(written.begin(), written.end());
    EXPECT_EQ(written, (std::vector<std::string>{"movie one", "movie three", "movie two"}));

    DestroyShutdownContexts();
    const std::vector<std::string> left = FilesIn(mFolder);
    EXPECT_EQ(std::set<std::string>(left.begin(), left.end()), taken);
}

TEST_F(ResourceTemporaryFiles, SoundsPlayFromMemoryBeforeAnyFileIsWritten) {
    // WAVE and raw sounds play from the resource's memory even when a MIDI of the id exists.
    AddResource(kResourceWave, 50, "RIFF\0\0\0\0WAVE");
    AddResource(kResourceMidi, 50, "MThd wave's twin");
    AddResource(kResourceSound, 51, "raw sound");
    AddResource(kResourceMidi, 51, "MThd raw's twin");
    Release(RuntimeGetSoundFromResourceManager(50));
    Release(RuntimeGetSoundFromResourceManager(51));
    EXPECT_TRUE(FilesIn(mFolder).empty());

    // MIDI and MPEG sounds play from temporary files; MIDI comes first.
    const struct {
        uint32_t id;
        const char* extension;
        const char* bytes;
    } cases[] = {{52, ".mid", "MThd alone"}, {53, ".mp3", "ID3 alone"}, {54, ".mid", "MThd first"}};
    AddResource(kResourceMidi, 52, "MThd alone");
    AddResource(kResourceMpeg, 53, "ID3 alone");
    AddResource(kResourceMpeg, 54, "ID3 second");
    AddResource(kResourceMidi, 54, "MThd first");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        Release(RuntimeGetSoundFromResourceManager(c.id));
        const std::vector<std::string> files = FilesIn(mFolder);
        ASSERT_EQ(files.size(), 1u);
        EXPECT_TRUE(IsNumberWithExtension(files[0], c.extension)) << files[0];
        EXPECT_EQ(ReadWholeFile(PathOf(files[0])), c.bytes);
        DestroyShutdownContexts();
        EXPECT_TRUE(FilesIn(mFolder).empty());
    }
}

TEST_F(ResourceTemporaryFiles, UnusableTemporaryFolderGivesNil) {
    SetEnvironmentVariableW(L"TMP", (mFolder + L"\\missing\\").c_str());
    SetEnvironmentVariableW(L"TEMP", (mFolder + L"\\missing\\").c_str());
    AddResource(kResourceMovie, 60, "movie data");
    AddResource(kResourceMidi, 60, "MThd");
    EXPECT_EQ(ResourceManager::Instance().GetMovie(60), nullptr);
    EXPECT_EQ(RuntimeGetSoundFromResourceManager(60), nullptr);
    DestroyShutdownContexts();
    EXPECT_TRUE(FilesIn(mFolder).empty());
}

// --- the application cursor table ---

namespace {

std::string BigEndian(uint32_t value) {
    return {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
}

// Moves the test process into a folder of its own, holding the given "data3.dat" when not null.
void EnterFolderWithCursorTable(const wchar_t* tag, const std::string* table) {
    const std::wstring folder = NewPrivateFolder(tag);
    if (table) WriteWholeFile(folder + L"\\data3.dat", *table);
    SetCurrentDirectoryW(folder.c_str());
}

}  // namespace

// Three records after a count of 3 and three offsets, stored out of order.
class CursorTable : public testing::Test {
protected:
    static void SetUpTestSuite() {
        std::string table = BigEndian(3) + BigEndian(136) + BigEndian(0) + BigEndian(68);
        table += std::string(kCursorRecordSize, '\x02');
        table += std::string(kCursorRecordSize, '\x03');
        table += std::string(kCursorRecordSize, '\x01');
        EnterFolderWithCursorTable(L"cursors", &table);
    }
};

TEST_F(CursorTable, RecordOfAnIdIsFoundAfterTheOffsets) {
    const struct {
        int32_t id;
        bool found;
        uint32_t position;
    } cases[] = {{1, true, 16 + 136}, {2, true, 16},  {3, true, 16 + 68},
                 {0, false, 0},       {-1, false, 0}, {4, false, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        HFILE file = HFILE_ERROR;
        uint32_t position = 0;
        ASSERT_EQ(LocateCursorRecord(c.id, &file, &position), c.found);
        if (!c.found) continue;
        EXPECT_EQ(position, c.position);
        unsigned char record[kCursorRecordSize] = {};
        ASSERT_EQ(_llseek(file, static_cast<LONG>(position), FILE_BEGIN), LONG(position));
        ASSERT_EQ(_lread(file, record, sizeof record), sizeof record);
        EXPECT_EQ(record[0], c.id);
        EXPECT_EQ(record[kCursorRecordSize - 1], c.id);
    }
}

class CursorTableMissing : public testing::Test {
protected:
    static void SetUpTestSuite() { EnterFolderWithCursorTable(L"no-cursors", nullptr); }
};

// The first call decides for the whole run: a table that appears later is not read.
TEST_F(CursorTableMissing, EveryLookupFails) {
    HFILE file = HFILE_ERROR;
    uint32_t position = 0;
    EXPECT_FALSE(LocateCursorRecord(1, &file, &position));

    std::string table = BigEndian(1) + BigEndian(0) + std::string(kCursorRecordSize, '\x01');
    WriteWholeFile(L"data3.dat", table);
    EXPECT_FALSE(LocateCursorRecord(1, &file, &position));
}
