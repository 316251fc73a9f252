#include <gtest/gtest.h>
#include <windows.h>
#include <objidl.h>
#include <shlobj.h>

#include <memory>
#include <string>

#include "FailureRecorder.h"
#include "StringTesting.h"
#include "core/DefinitionConversion.h"
#include "files/FolderItem.h"

namespace {

std::string PathOf(ObjectHeader* item) {
    return std::string(BytesOf(string(fileAbsolutePathGetter(item, 0)).ToUTF8()));
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string Unique(const char* what) {
    return std::string("qv-") + what + "-" + std::to_string(GetCurrentProcessId());
}

void WriteFileBytes(const std::string& path, const char* bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes, static_cast<DWORD>(strlen(bytes)), &written, nullptr);
    CloseHandle(file);
}

DWORD SizeOf(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    return GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ? data.nFileSizeLow : ~0u;
}

struct Released {
    void operator()(ObjectHeader* object) const { RuntimeUnlockObject(object); }
};
using Item = std::unique_ptr<ObjectHeader, Released>;

}  // namespace

TEST(TemporaryItems, TemporaryFileIsNewEmptyAndUnique) {
    Item folder(getTemporaryItemsFolder());
    ASSERT_TRUE(folder);
    Item first(getTemporaryFolderItem());
    Item second(getTemporaryFolderItem());
    ASSERT_TRUE(first && second);
    const std::string a = PathOf(first.get()), b = PathOf(second.get());
    EXPECT_NE(a, b);
    EXPECT_EQ(a.compare(0, PathOf(folder.get()).size(), PathOf(folder.get())), 0) << a;
    EXPECT_EQ(a.substr(a.find_last_of('\\') + 1, 3), "qvt");
    EXPECT_EQ(SizeOf(a), 0u);
    FolderItemDelete(first.get());
    FolderItemDelete(second.get());
    EXPECT_FALSE(Exists(a));
    EXPECT_FALSE(Exists(b));
}

TEST(TemporaryItems, StreamsCreateOpenAndKeepTheErrorCode) {
    Item folder(getTemporaryItemsFolder());
    Item item(FolderChild(folder.get(), string(Unique("stream").c_str()).Record()));
    ASSERT_TRUE(item);
    FolderItemImp* imp = FolderItemImpOf(item.get());
    const std::string path = PathOf(item.get());

    EXPECT_EQ(imp->OpenStream(true, true), nullptr);
    EXPECT_EQ(imp->LastError(), static_cast<uint32_t>(ERROR_FILE_NOT_FOUND));

    WriteFileBytes(path, "old contents");
    // Opening, also with creation allowed, never truncates.
    delete imp->OpenStream(true, true, true);
    EXPECT_EQ(SizeOf(path), 12u);

    ByteStream* held = imp->OpenStream(true, true);
    ASSERT_NE(held, nullptr);
    EXPECT_EQ(imp->OpenStream(true, true), nullptr);
    EXPECT_EQ(imp->LastError(), static_cast<uint32_t>(ERROR_SHARING_VIOLATION));
    EXPECT_FALSE(imp->DeleteUnlessOpen());
    EXPECT_TRUE(Exists(path));
    delete held;

    // Creating replaces.
    ByteStream* created = imp->CreateStream(string("?"));
    ASSERT_NE(created, nullptr);
    EXPECT_TRUE(created->Write("ab", 2));
    delete created;
    EXPECT_EQ(SizeOf(path), 2u);

    EXPECT_TRUE(imp->DeleteUnlessOpen());
    EXPECT_FALSE(Exists(path));
}

TEST(TemporaryItems, ChildFollowsAShortcutToItsTarget) {
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    Item folder(getTemporaryItemsFolder());
    const std::string base = PathOf(folder.get());
    const std::string target = base + Unique("target") + ".txt";
    const std::string name = Unique("shortcut");
    WriteFileBytes(target, "x");

    static const CLSID kShellLink = {0x00021401, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
    IShellLinkA* link = nullptr;
    ASSERT_TRUE(SUCCEEDED(CoCreateInstance(kShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                           __uuidof(IShellLinkA), reinterpret_cast<void**>(&link))));
    link->SetPath(target.c_str());
    IPersistFile* file = nullptr;
    ASSERT_TRUE(SUCCEEDED(link->QueryInterface(__uuidof(IPersistFile), reinterpret_cast<void**>(&file))));
    const std::wstring shortcut = std::wstring(base.begin(), base.end()) +
                                  std::wstring(name.begin(), name.end()) + L".lnk";
    ASSERT_TRUE(SUCCEEDED(file->Save(shortcut.c_str(), TRUE)));
    file->Release();
    link->Release();

    for (const std::string& asked : {name, name + ".lnk"}) {
        Item child(FolderChild(folder.get(), string(asked.c_str()).Record()));
        ASSERT_TRUE(child);
        EXPECT_EQ(lstrcmpiA(PathOf(child.get()).c_str(), target.c_str()), 0) << asked;
    }
    // A name with no shortcut behind it is the plain child.
    Item plain(FolderChild(folder.get(), string("qv-no-such-item").Record()));
    EXPECT_EQ(PathOf(plain.get()), base + "qv-no-such-item");

    DeleteFileW(shortcut.c_str());
    DeleteFileA(target.c_str());
    CoUninitialize();
}

TEST(TemporaryItems, ItemWithoutImplementationIsAnAssertion) {
    FailureRecorder recorder;
    Item empty(CreateInstance(GetFolderItemDefinition()));
    EXPECT_EQ(FolderChild(empty.get(), string("x").Record()), nullptr);
    FolderItemDelete(empty.get());
    ASSERT_EQ(recorder.Count(), 2u);
    EXPECT_EQ(recorder.Last().condition, "entry->mImp");
}
