// The disk folder items under Wine, each test in a folder of its own in the temporary folder.
#include <gtest/gtest.h>
#include <windows.h>
#include <objidl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "StringTesting.h"
#include "TemporaryFolder.h"
#include "core/Platform.h"
#include "files/DataFile.h"
#include "files/FolderItemImpWin32.h"
#include "files/Registry.h"

namespace {

using Imp = std::unique_ptr<FolderItemImp>;

std::string Text(const string& s) { return std::string(BytesOf(s.ToUTF8())); }
string Runtime(const std::string& s) {
    string text;
    text.SetBytes(s.data(), static_cast<int32_t>(s.size()));
    text.SetEncoding(kEncodingUTF8);
    return text;
}
std::wstring Wide(const std::string& s) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring wide(n, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), wide.data(), n);
    return wide;
}

bool Exists(const std::string& path) { return GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(Wide(path).c_str(), std::ios::binary);
    std::stringstream contents;
    contents << in.rdbuf();
    return contents.str();
}

void MakeShortcut(const std::string& shortcut, const std::string& target) {
    static const CLSID kShellLink = {0x00021401, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
    IShellLinkW* link = nullptr;
    ASSERT_TRUE(SUCCEEDED(CoCreateInstance(kShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                           reinterpret_cast<void**>(&link))));
    link->SetPath(Wide(target).c_str());
    IPersistFile* file = nullptr;
    ASSERT_TRUE(SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))));
    EXPECT_TRUE(SUCCEEDED(file->Save(Wide(shortcut).c_str(), TRUE)));
    file->Release();
    link->Release();
}

class FolderItemWin32 : public testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        char narrow[MAX_PATH * 3];
        WideCharToMultiByte(CP_UTF8, 0, temp, -1, narrow, sizeof narrow, nullptr, nullptr);
        root = std::string(narrow) + "qv-folder-items-" + std::to_string(GetCurrentProcessId());
        RemoveFolderTree(Wide(root));
        ASSERT_TRUE(CreateDirectoryW(Wide(root).c_str(), nullptr));
        CoInitialize(nullptr);
    }
    void TearDown() override {
        SetUnicodePlatformOverride(UnicodePlatformOverride::None);
        RemoveFolderTree(Wide(root));
        CoUninitialize();
    }
    Imp Item(const std::string& relative) { return std::make_unique<FolderItemImpWin32>(Runtime(root + "\\" + relative)); }
    std::string In(const std::string& relative) const { return root + "\\" + relative; }

    std::string root;
};

TEST_F(FolderItemWin32, PathsRootsAndTheFailedFlag) {
    wchar_t module[MAX_PATH];
    GetModuleFileNameW(nullptr, module, MAX_PATH);
    std::wstring folder(module);
    folder.resize(folder.find_last_of(L'\\'));
    FolderItemImpWin32 beside(string("data\\x.txt"), true);
    EXPECT_EQ(Wide(Text(beside.GetAbsolutePath())), folder + L"\\data\\x.txt");

    bool failed = false;
    FolderItemImpWin32 missingFile(Runtime(In("nothing.txt")), false, false, &failed);
    EXPECT_FALSE(failed);
    FolderItemImpWin32 missingFolder(Runtime(In("no-folder\\nothing.txt")), false, false, &failed);
    EXPECT_TRUE(failed);

    CreateDirectoryW(Wide(In("dir")).c_str(), nullptr);
    FolderItemImpWin32 dir(Runtime(In("dir\\")));
    EXPECT_EQ(Text(dir.Path()), In("dir"));
    EXPECT_EQ(Text(dir.GetAbsolutePath()), In("dir\\"));
    EXPECT_EQ(Text(dir.GetName()), "dir");

    FolderItemImpWin32 drive(string("C:\\"));
    EXPECT_TRUE(drive.IsRoot());
    EXPECT_EQ(Text(drive.GetName()), "C:");
    EXPECT_EQ(Text(drive.GetAbsolutePath()), "C:\\");
    EXPECT_TRUE(drive.IsDirectory());
    EXPECT_TRUE(drive.Exists());
    EXPECT_EQ(drive.GetParent(), nullptr);
    EXPECT_EQ(drive.GetLength(), 0);
    EXPECT_TRUE(FolderItemImpWin32(string("C:")).Exists());

    FolderItemImpWin32 share(string("\\\\server\\share\\"));
    EXPECT_TRUE(share.IsRoot());
    EXPECT_EQ(Text(share.GetName()), "share");
    EXPECT_EQ(share.GetParent(), nullptr);

    // The parents of D:\a\b, D:\a and a share's entry.
    const struct {
        const char* path;
        const char* parent;
        bool root;
    } parents[] = {{"D:\\a\\b", "D:\\a", false}, {"D:\\a", "D:", true}, {"\\\\server\\share\\x", "\\\\server\\share", true}};
    for (const auto& row : parents) {
        Imp parent(FolderItemImpWin32(string(row.path)).GetParent());
        ASSERT_NE(parent, nullptr) << row.path;
        EXPECT_EQ(Text(static_cast<FolderItemImpWin32*>(parent.get())->Path()), row.parent);
        EXPECT_EQ(static_cast<FolderItemImpWin32*>(parent.get())->IsRoot(), row.root) << row.path;
    }
}

TEST_F(FolderItemWin32, RenameFollowsTheItemAndFailsWhileTheFileIsHeld) {
    WriteFileBytes(In("a.txt"), "abc");
    Imp item = Item("a.txt");
    EXPECT_TRUE(item->SetName(string("b.txt")));
    EXPECT_EQ(Text(item->GetAbsolutePath()), In("b.txt"));
    EXPECT_TRUE(Exists(In("b.txt")));

    DataFile* held = NewDataFile();
    ASSERT_TRUE(held->Open(Runtime(In("b.txt")), kOpenForReadingAndWriting));
    EXPECT_FALSE(item->SetName(string("c.txt")));
    EXPECT_EQ(item->LastError(), kFileInUse);
    EXPECT_EQ(Text(item->GetAbsolutePath()), In("b.txt"));
    delete held;
}

TEST_F(FolderItemWin32, AttributesDatesAndLength) {
    WriteFileBytes(In("f.txt"), "12345");
    Imp item = Item("f.txt");
    EXPECT_TRUE(item->GetVisible());
    EXPECT_TRUE(item->SetVisible(false));
    EXPECT_FALSE(item->GetVisible());
    EXPECT_TRUE(GetFileAttributesW(Wide(In("f.txt")).c_str()) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_TRUE(item->SetVisible(true));
    EXPECT_TRUE(item->GetVisible());

    EXPECT_FALSE(item->GetLocked());
    EXPECT_TRUE(item->SetLocked(true));
    EXPECT_TRUE(item->GetLocked());
    EXPECT_TRUE(GetFileAttributesW(Wide(In("f.txt")).c_str()) & FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(item->SetLocked(false));
    EXPECT_FALSE(item->GetLocked());

    Imp missing = Item("missing.txt");
    EXPECT_TRUE(missing->SetLocked(true));
    EXPECT_FALSE(Exists(In("missing.txt")));
    EXPECT_FALSE(missing->GetLocked());
    EXPECT_TRUE(missing->GetVisible());
    EXPECT_FALSE(missing->SetVisible(false));
    EXPECT_EQ(missing->GetModificationDate(), 0.0);

    // Modification dates round-trip through the Date's seconds (Wine keeps no creation date).
    const double seconds = 3600.0 * 24 * 365 * 100 + 12345.0;
    EXPECT_TRUE(item->SetModificationDate(seconds));
    EXPECT_EQ(item->GetModificationDate(), seconds);
    EXPECT_TRUE(item->SetCreationDate(seconds));
    Imp folder = Item("");
    EXPECT_FALSE(folder->SetModificationDate(seconds));

    EXPECT_EQ(item->GetLength(), 5);
    EXPECT_TRUE(item->IsReadable());
    EXPECT_FALSE(missing->IsReadable());

    // Only the low 32 bits of a length beyond 4 GiB.
    HANDLE big = CreateFileW(Wide(In("big.bin")).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    LARGE_INTEGER size;
    size.QuadPart = (int64_t{1} << 32) + 10;
    ASSERT_TRUE(SetFilePointerEx(big, size, nullptr, FILE_BEGIN));
    ASSERT_TRUE(SetEndOfFile(big));
    CloseHandle(big);
    EXPECT_EQ(Item("big.bin")->GetLength(), 10);
}

TEST_F(FolderItemWin32, RootAnswersFromItself) {
    FolderItemImpWin32 drive(string("C:\\"));
    const DWORD attributes = GetFileAttributesW(L"C:\\");
    EXPECT_EQ(drive.GetVisible(), !(attributes & FILE_ATTRIBUTE_HIDDEN));
    EXPECT_EQ(drive.GetLocked(), (attributes & FILE_ATTRIBUTE_READONLY) != 0);
    EXPECT_NE(drive.GetModificationDate(), 0.0);
    // Wine keeps no read-only state on the root: setting it answers, reading it shows the file
    // system's word.
    EXPECT_TRUE(drive.SetLocked(true));
    EXPECT_EQ(drive.GetLocked(), (GetFileAttributesW(L"C:\\") & FILE_ATTRIBUTE_READONLY) != 0);
    drive.SetLocked(false);
    // Counting every entry of the root, which has no "." or "..".
    int32_t count = 0;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(L"C:\\*.*", &found);
    do {
        if (std::wstring(found.cFileName) != L"." && std::wstring(found.cFileName) != L"..") ++count;
    } while (FindNextFileW(search, &found));
    FindClose(search);
    EXPECT_EQ(drive.GetCount(), count);
    EXPECT_GT(count, 0);
}

TEST_F(FolderItemWin32, ExtensionVisibilityFollowsHideFileExt) {
    const string keyPath("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced");
    const string value("HideFileExt");
    RegistryKey key;
    ASSERT_TRUE(key.Open(keyPath, true));
    const bool had = key.HasValue(value);
    const int32_t old = key.GetIntegerValue(value);
    FolderItemImpWin32 item(Runtime(In("x.txt")));
    const struct {
        int32_t setting;  // -2: missing
        bool visible;
    } rows[] = {{0, true}, {1, false}, {-2, true}, {2, true}};
    for (const auto& row : rows) {
        if (row.setting == -2)
            key.DeleteValue(value);
        else
            key.SetIntegerValue(value, row.setting);
        EXPECT_EQ(item.GetExtensionVisible(), row.visible) << row.setting;
    }
    if (had)
        key.SetIntegerValue(value, old);
    else
        key.DeleteValue(value);
}

TEST_F(FolderItemWin32, EntriesByIndexAndByName) {
    CreateDirectoryW(Wide(In("list")).c_str(), nullptr);
    for (const char* name : {"one", "two", "three"}) WriteFileBytes(In(std::string("list\\") + name), name);
    Imp folder = Item("list");
    ASSERT_EQ(folder->GetCount(), 3);
    std::string seen;
    for (int32_t i = 0; i < 3; ++i) {
        Imp entry(folder->GetItem(i, 0));
        ASSERT_NE(entry, nullptr);
        const std::string name = Text(entry->GetName());
        EXPECT_NE(name, ".");
        EXPECT_NE(name, "..");
        seen += name + ";";
    }
    for (const char* name : {"one;", "two;", "three;"}) EXPECT_NE(seen.find(name), std::string::npos) << seen;
    EXPECT_EQ(folder->GetItem(-1, 0), nullptr);
    EXPECT_EQ(folder->GetItem(3, 0), nullptr);

    Imp missing(folder->GetChild(string("absent"), 0));
    ASSERT_NE(missing, nullptr);
    EXPECT_FALSE(missing->Exists());
    Imp file = Item("list\\one");
    EXPECT_EQ(file->GetChild(string("x"), 0), nullptr);
    Imp empty = Item("list\\none");
    EXPECT_EQ(empty->GetCount(), 0);
}

TEST_F(FolderItemWin32, ShortcutsResolveOnlyWhenAsked) {
    WriteFileBytes(In("target.txt"), "t");
    MakeShortcut(In("link.lnk"), In("target.txt"));
    Imp folder = Item("");
    Imp asFile(folder->GetChild(string("link.lnk"), 0));
    EXPECT_EQ(Text(asFile->GetAbsolutePath()), In("link.lnk"));
    EXPECT_TRUE(asFile->IsAlias());
    Imp resolved(folder->GetChild(string("link.lnk"), kFollowShortcut));
    EXPECT_EQ(CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, Wide(Text(resolved->GetAbsolutePath())).c_str(), -1,
                             Wide(In("target.txt")).c_str(), -1),
              CSTR_EQUAL)
        << Text(resolved->GetAbsolutePath());
    Imp plain = Item("target.txt");
    EXPECT_FALSE(plain->IsAlias());
    Imp same(plain->ResolveAlias(kFollowShortcut));
    EXPECT_NE(same.get(), plain.get());
    EXPECT_EQ(Text(same->GetAbsolutePath()), In("target.txt"));

    // Through the index too: followed, the shortcut's entry answers its target.
    int targets = 0;
    for (int32_t i = 0; i < folder->GetCount(); ++i) {
        Imp followed(folder->GetItem(i, kFollowShortcut));
        Imp unfollowed(folder->GetItem(i, 0));
        EXPECT_NE(Text(followed->GetName()), "link.lnk");
        targets += Text(followed->GetName()) == "target.txt";
        EXPECT_EQ(Text(unfollowed->GetName()) == "link.lnk", unfollowed->IsAlias());
    }
    EXPECT_EQ(targets, 2);
}

TEST_F(FolderItemWin32, ResolvingAShortcutWithAMissingTargetReturns) {
    WriteFileBytes(In("gone.txt"), "t");
    MakeShortcut(In("stale.lnk"), In("gone.txt"));
    DeleteFileW(Wide(In("gone.txt")).c_str());
    Imp link = Item("stale.lnk");
    // Resolve with flags 0 may search for the target; it must come back on its own.
    struct Work {
        FolderItemImp* link;
        string answer;
    } work{link.get(), string()};
    struct Resolver {
        static DWORD WINAPI Run(void* context) {
            auto* w = static_cast<Work*>(context);
            CoInitialize(nullptr);
            w->answer = ResolveShortcut(*static_cast<FolderItemImpWin32*>(w->link), true);
            CoUninitialize();
            return 0;
        }
    };
    HANDLE thread = CreateThread(nullptr, 0, Resolver::Run, &work, 0, nullptr);
    ASSERT_EQ(WaitForSingleObject(thread, 20000), WAIT_OBJECT_0) << "Resolve did not return";
    CloseHandle(thread);
    // The stored target stands: the link names the missing file.
    EXPECT_EQ(lstrcmpiW(Wide(Text(work.answer)).c_str(), Wide(In("gone.txt")).c_str()), 0) << Text(work.answer);
}

TEST_F(FolderItemWin32, SpecialFolders) {
    FolderItemImpWin32 any{string()};
    for (uint32_t code = 999; code <= 1047; ++code) {
        Imp folder(any.FindFolder(code));
        const bool none = code < 1000 || code == 1004 || code == 1008 || (code >= 1034 && code <= 1045) || code > 1046;
        if (none) {
            EXPECT_EQ(folder, nullptr) << code;
            continue;
        }
        ASSERT_NE(folder, nullptr) << code;
        EXPECT_EQ(folder->IsTrash(), code == kTrashFolderCode) << code;
        if (code == kTrashFolderCode) continue;
        const std::string path = Text(static_cast<FolderItemImpWin32*>(folder.get())->Path());
        ASSERT_GT(path.size(), 3u) << code;
        EXPECT_NE(path.back(), '\\') << code;
    }
    Imp temporary(any.FindFolder(kTemporaryFolderCode));
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    EXPECT_EQ(Wide(Text(static_cast<FolderItemImpWin32*>(temporary.get())->Path())) + L"\\", std::wstring(temp));
    Imp system(any.FindFolder(1012));
    wchar_t systemPath[MAX_PATH];
    GetSystemDirectoryW(systemPath, MAX_PATH);
    EXPECT_EQ(lstrcmpiW(Wide(Text(static_cast<FolderItemImpWin32*>(system.get())->Path())).c_str(), systemPath), 0);
}

TEST_F(FolderItemWin32, FileURLsBothWays) {
    const struct {
        const char* path;
        const char* url;
    } rows[] = {
        {"D:\\a b\\c.txt", "file:///D:/a%20b/c.txt"},
        {"\\\\server\\share\\x", "file://///server/share/x"},
        {"D:\\\xC3\xA9t\xC3\xA9\\\xE6\x97\xA5.txt", "file:///D:/%C3%A9t%C3%A9/%E6%97%A5.txt"},
    };
    for (const auto& row : rows) {
        FolderItemImpWin32 item(Runtime(row.path));
        EXPECT_EQ(Text(item.GetURLPath()), row.url);
        Imp back(FolderItemImpFromURLPath(Runtime(row.url)));
        ASSERT_NE(back, nullptr);
        EXPECT_EQ(Text(static_cast<FolderItemImpWin32*>(back.get())->Path()), row.path);
    }
    CreateDirectoryW(Wide(In("d")).c_str(), nullptr);
    EXPECT_EQ(Text(Item("d")->GetURLPath()).back(), '/');
    EXPECT_EQ(FolderItemImpFromURLPath(string("file://D:/x")), nullptr);
    EXPECT_EQ(FolderItemImpFromURLPath(string("D:\\x")), nullptr);
    Imp shell(FolderItemImpFromShellPath(string("C:\\windows")));
    EXPECT_EQ(Text(shell->GetAbsolutePath()).substr(0, 3), "C:\\");
}

TEST_F(FolderItemWin32, FileOperationsAndTheirErrors) {
    WriteFileBytes(In("src.txt"), "source");
    WriteFileBytes(In("dst.txt"), "other");
    Imp source = Item("src.txt");
    Imp existing = Item("dst.txt");
    EXPECT_FALSE(source->CopyFileTo(existing.get()));
    EXPECT_EQ(source->LastError(), 80);
    EXPECT_EQ(ReadFileBytes(In("dst.txt")), "other");
    EXPECT_FALSE(source->CopyFileTo(nullptr));
    EXPECT_EQ(source->LastError(), kDestDoesNotExistError);
    EXPECT_FALSE(source->MoveFileTo(nullptr));
    EXPECT_EQ(source->LastError(), kDestDoesNotExistError);

    Imp folder = Item("sub");
    EXPECT_TRUE(folder->CreateAsFolder());
    EXPECT_TRUE(source->CopyFileTo(folder.get()));
    EXPECT_EQ(ReadFileBytes(In("sub\\src.txt")), "source");
    EXPECT_EQ(source->LastError(), 0);

    Imp nested = Item("no\\such");
    EXPECT_FALSE(nested->CreateAsFolder());
    EXPECT_EQ(nested->LastError(), kFileNotFound);

    EXPECT_FALSE(folder->Delete());
    EXPECT_EQ(folder->LastError(), 145);

    Imp missing = Item("missing.txt");
    EXPECT_EQ(missing->OpenStream(true, false), nullptr);
    EXPECT_EQ(missing->LastError(), 2);

    ByteStream* created = existing->CreateStream(string("text"));
    ASSERT_NE(created, nullptr);
    delete created;
    EXPECT_EQ(ReadFileBytes(In("dst.txt")), "");

    Imp moved = Item("moved.txt");
    EXPECT_TRUE(existing->MoveFileTo(moved.get()));
    EXPECT_EQ(Text(existing->GetAbsolutePath()), In("dst.txt"));
    EXPECT_FALSE(existing->Exists());
    EXPECT_TRUE(moved->Exists());
    EXPECT_TRUE(moved->Delete());
    EXPECT_FALSE(moved->Delete());
    EXPECT_EQ(moved->LastError(), kFileNotFound);
}

TEST_F(FolderItemWin32, DeletingTheCurrentDirectoryStepsOutToItsParent) {
    wchar_t saved[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, saved);
    CreateDirectoryW(Wide(In("cwd")).c_str(), nullptr);
    CreateDirectoryW(Wide(In("cwd\\inner")).c_str(), nullptr);
    ASSERT_TRUE(SetCurrentDirectoryW(Wide(In("cwd\\inner")).c_str()));
    Imp inner = Item("cwd\\inner");
    EXPECT_TRUE(inner->Delete());
    EXPECT_FALSE(Exists(In("cwd\\inner")));
    wchar_t now[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, now);
    EXPECT_EQ(lstrcmpiW(now, Wide(In("cwd")).c_str()), 0);
    // A busy folder that does not hold the current directory leaves it alone.
    Imp busy = Item("cwd");
    HANDLE held = CreateFileW(Wide(In("cwd")).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    SetCurrentDirectoryW(Wide(root).c_str());
    busy->Delete();
    GetCurrentDirectoryW(MAX_PATH, now);
    EXPECT_EQ(lstrcmpiW(now, Wide(root).c_str()), 0);
    CloseHandle(held);
    SetCurrentDirectoryW(saved);
}

TEST_F(FolderItemWin32, MoveToTrashReachesTheRecycleBin) {
    const std::string name = "qv-trash-" + std::to_string(GetCurrentProcessId()) + ".txt";
    WriteFileBytes(In(name), "rubbish");
    SHQUERYRBINFO before{};
    SHQUERYRBINFO after{};
    before.cbSize = after.cbSize = sizeof(SHQUERYRBINFO);
    ASSERT_EQ(SHQueryRecycleBinW(L"C:\\", &before), S_OK);
    Imp item = Item(name);
    EXPECT_TRUE(item->MoveToTrash());
    EXPECT_FALSE(Exists(In(name)));
    ASSERT_EQ(SHQueryRecycleBinW(L"C:\\", &after), S_OK);
    EXPECT_EQ(after.i64NumItems, before.i64NumItems + 1);

    // Only this test's own entry leaves the trash again: Wine keeps the Recycle Bin as the
    // desktop's trash folder in the Unix home.
    wchar_t home[MAX_PATH] = {};
    ASSERT_GT(GetEnvironmentVariableW(L"WINEHOMEDIR", home, MAX_PATH), 4u);
    const std::wstring trash = std::wstring(home + 4) + L"\\.local\\share\\Trash\\";
    EXPECT_TRUE(DeleteFileW((trash + L"files\\" + Wide(name)).c_str()));
    EXPECT_TRUE(DeleteFileW((trash + L"info\\" + Wide(name) + L".trashinfo").c_str()));
    SHQUERYRBINFO cleaned{};
    cleaned.cbSize = sizeof cleaned;
    SHQueryRecycleBinW(L"C:\\", &cleaned);
    EXPECT_EQ(cleaned.i64NumItems, before.i64NumItems);

    // Paths longer than the shell takes are refused before it sees them (Wine's shell overruns
    // its own buffers on a path of 1,100 characters), and the refusal shows.
    for (const size_t length : {size_t{300}, size_t{1100}}) {
        Imp longItem = Item(std::string(length, 'x'));
        EXPECT_FALSE(longItem->MoveToTrash()) << length;
        EXPECT_EQ(longItem->LastError(), ERROR_FILENAME_EXCED_RANGE) << length;
    }
}

TEST_F(FolderItemWin32, LaunchPassesParametersAndTheShowCommand) {
    wchar_t module[MAX_PATH];
    GetModuleFileNameW(nullptr, module, MAX_PATH);
    std::wstring folder(module);
    folder.resize(folder.find_last_of(L'\\'));
    char narrow[MAX_PATH * 3];
    WideCharToMultiByte(CP_UTF8, 0, (folder + L"\\LaunchMarker.exe").c_str(), -1, narrow, sizeof narrow, nullptr, nullptr);
    FolderItemImpWin32 program(Runtime(narrow));
    ASSERT_TRUE(program.Exists());
    const struct {
        bool activate;
        int show;
    } rows[] = {{true, SW_SHOW}, {false, SW_SHOWNOACTIVATE}};
    for (const auto& row : rows) {
        const std::string marker = In(row.activate ? "shown.txt" : "quiet.txt");
        EXPECT_TRUE(program.Launch(Runtime("\"" + marker + "\" second"), row.activate));
        for (int i = 0; i < 200 && ReadFileBytes(marker).find('\n') == std::string::npos; ++i) Sleep(50);
        Sleep(100);
        const std::string written = ReadFileBytes(marker);
        ASSERT_FALSE(written.empty()) << "the program did not run";
        EXPECT_EQ(std::stoi(written), row.show) << written;
        EXPECT_NE(written.find("second"), std::string::npos) << written;
    }
    Imp missing = Item("none.exe");
    EXPECT_FALSE(missing->Launch(string(), true));
    EXPECT_EQ(missing->LastError(), kFileNotFound);
}

TEST_F(FolderItemWin32, WriteabilityProbeOnDisk) {
    WriteFileBytes(In("w.txt"), "data");
    Imp file = Item("w.txt");
    // Dates travel as whole seconds, so the file starts on one.
    ASSERT_TRUE(file->SetModificationDate(3600.0 * 24 * 365 * 100));
    const double before = file->GetModificationDate();
    EXPECT_TRUE(file->IsWriteable());
    EXPECT_EQ(ReadFileBytes(In("w.txt")), "data");
    EXPECT_EQ(file->GetModificationDate(), before);
    Imp folder = Item("");
    EXPECT_TRUE(folder->IsWriteable());
    EXPECT_FALSE(Exists(In("$$TestFile$$")));
}

// The same operations through the ANSI calls.
TEST_F(FolderItemWin32, AnsiCallsAgree) {
    WriteFileBytes(In("ansi.txt"), "abc");
    CreateDirectoryW(Wide(In("adir")).c_str(), nullptr);
    SetUnicodePlatformOverride(UnicodePlatformOverride::ForceAnsi);
    Imp item = Item("ansi.txt");
    EXPECT_TRUE(item->Exists());
    EXPECT_EQ(item->GetLength(), 3);
    EXPECT_EQ(Text(item->GetName()), "ansi.txt");
    EXPECT_FALSE(item->IsDirectory());
    Imp folder = Item("adir");
    EXPECT_TRUE(folder->IsDirectory());
    EXPECT_EQ(Text(folder->GetAbsolutePath()), In("adir\\"));
    EXPECT_TRUE(item->CopyFileTo(folder.get()));
    EXPECT_EQ(folder->GetCount(), 1);
    Imp copy(folder->GetItem(0, 0));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(Text(copy->GetName()), "ansi.txt");
    EXPECT_TRUE(copy->SetName(string("renamed.txt")));
    EXPECT_TRUE(Exists(In("adir\\renamed.txt")));
    EXPECT_TRUE(copy->Delete());
    EXPECT_TRUE(folder->Delete());
    Imp temporary(FolderItemImp::FindSpecialFolder(kTemporaryFolderCode));
    ASSERT_NE(temporary, nullptr);
    EXPECT_TRUE(temporary->Exists());
    FolderItemImpWin32 beside(string("x.txt"), true);
    EXPECT_EQ(Text(beside.GetName()), "x.txt");
    bool failed = false;
    FolderItemImpWin32 missingFolder(Runtime(In("no-folder\\x")), false, false, &failed);
    EXPECT_TRUE(failed);
}

}  // namespace
