// The Recycle Bin item under Wine, whose trash is the desktop's trash folder in the Unix home.
// The tests assert only what their own items change there, and take those items out again.
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>

#include <cctype>
#include <memory>
#include <string>
#include <vector>

#include "RaisedExceptions.h"
#include "StringTesting.h"
#include "TemporaryFolder.h"
#include "files/FolderItemImpRecycleBin.h"

namespace {

using Imp = std::unique_ptr<FolderItemImp>;

std::string Text(const string& s) { return std::string(BytesOf(s.ToUTF8())); }
std::string PathText(const FolderItemImp* item) {
    return item ? Text(static_cast<const FolderItemImpWin32*>(item)->Path()) : "(nil)";
}

long __stdcall FailingQuery(const char*, void*) { return E_FAIL; }

class RecycleBin : public TemporaryFolderTest {
protected:
    RecycleBin() : TemporaryFolderTest(L"qv-recycle-") {}
    void SetUp() override {
        TemporaryFolderTest::SetUp();
        CoInitialize(nullptr);
    }
    void TearDown() override {
        OverrideRecycleBinQuery(false, nullptr);
        for (const std::wstring& name : mTrashed) {
            DeleteFileW((TrashFolder() + L"files\\" + name).c_str());
            DeleteFileW((TrashFolder() + L"info\\" + name + L".trashinfo").c_str());
        }
        CoUninitialize();
        TemporaryFolderTest::TearDown();
    }

    // A new file of the test's moved to the trash, to be taken out of it again.
    void Trash(const std::wstring& name) {
        const std::wstring path = folder + name;
        const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        CloseHandle(file);
        mTrashed.push_back(name);
        FolderItemImpWin32 item(PathOf(name));
        ASSERT_TRUE(item.MoveToTrash());
    }

    // Wine keeps the Recycle Bin as the desktop's trash folder of the Unix home.
    static std::wstring TrashFolder() {
        wchar_t home[MAX_PATH] = {};
        GetEnvironmentVariableW(L"WINEHOMEDIR", home, MAX_PATH);
        return std::wstring(home + 4) + L"\\.local\\share\\Trash\\";
    }

    std::vector<std::wstring> mTrashed;
};

TEST_F(RecycleBin, FixedAnswersAndTheDesktopAsParent) {
    FolderItemImpRecycleBin bin;
    EXPECT_TRUE(bin.Exists());
    EXPECT_TRUE(bin.IsDirectory());
    EXPECT_TRUE(bin.IsTrash());
    EXPECT_TRUE(bin.GetVisible());
    EXPECT_FALSE(bin.IsAlias());
    EXPECT_FALSE(bin.GetLocked());
    EXPECT_FALSE(bin.IsReadable());
    EXPECT_FALSE(bin.IsWriteable());
    EXPECT_EQ(Text(bin.GetName()), "Recycle Bin");
    EXPECT_EQ(bin.GetName().Encoding(), kEncodingASCII);
    EXPECT_TRUE(bin.GetType().IsEmpty());
    EXPECT_EQ(bin.GetCreationDate(), 0.0);
    EXPECT_EQ(bin.GetModificationDate(), 0.0);
    EXPECT_EQ(bin.GetLength(), 0);
    EXPECT_EQ(bin.Clone(), nullptr);
    EXPECT_EQ(bin.OpenStream(true, false), nullptr);
    EXPECT_EQ(bin.CreateStream(string()), nullptr);
    EXPECT_EQ(bin.ResolveAlias(kFollowShortcut), nullptr);
    EXPECT_FALSE(bin.SetName(Tagged("Bin")));
    EXPECT_FALSE(bin.SetVisible(false));
    EXPECT_FALSE(bin.SetLocked(true));
    EXPECT_FALSE(bin.SetModificationDate(1.0e9));
    EXPECT_FALSE(bin.CreateAsFolder());
    EXPECT_FALSE(bin.Delete());
    EXPECT_FALSE(bin.MoveToTrash());
    FolderItemImpWin32 here(PathOf(L""));
    EXPECT_FALSE(bin.CopyFileTo(&here));
    EXPECT_FALSE(bin.MoveFileTo(&here));
    EXPECT_TRUE(here.Exists());

    const Imp desktop(FolderItemImp::FindSpecialFolder(FolderItemImpRecycleBin::kDesktopFolderCode));
    ASSERT_NE(desktop, nullptr);
    const Imp parent(bin.GetParent());
    ASSERT_NE(parent, nullptr);
    EXPECT_EQ(PathText(parent.get()), PathText(desktop.get()));
    EXPECT_EQ(Text(bin.GetAbsolutePath()), Text(desktop->GetAbsolutePath()) + "Recycle Bin\\");

    // The Recycle Bin is what FindFolder answers for the trash.
    const Imp trash(FolderItemImp::FindSpecialFolder(kTrashFolderCode));
    ASSERT_NE(trash, nullptr);
    EXPECT_TRUE(trash->IsTrash());
    EXPECT_EQ(Text(trash->GetName()), "Recycle Bin");
}

TEST_F(RecycleBin, ItemsMovedToTheTrashAreListedSealed) {
    const FolderItemImpRecycleBin bin;
    const int32_t before = bin.GetCount();
    const std::string suffix = std::to_string(GetCurrentProcessId());
    const std::string names[] = {"QvBinFirst" + suffix + ".txt", "qvbinsecond" + suffix + ".dat"};
    for (const std::string& name : names) Trash(std::wstring(name.begin(), name.end()));
    EXPECT_EQ(bin.GetCount(), before + 2);

    // Listed by index under their display names, each once, up to the end of the listing.
    const std::string binPath = Text(bin.GetAbsolutePath());
    int32_t listed = 0;
    int found = 0;
    for (Imp item(bin.GetItem(0, kFollowShortcut)); item; item.reset(bin.GetItem(++listed, kFollowShortcut))) {
        const std::string path = PathText(item.get());
        EXPECT_EQ(path.rfind(binPath, 0), 0u) << path;
        for (const std::string& name : names) found += path == binPath + name;
    }
    EXPECT_EQ(found, 2);
    EXPECT_GE(listed, 2);

    // By display name in another letter case; what the trash hands out has no children and no
    // contents.
    for (const std::string& name : names) {
        std::string otherCase = name;
        for (char& c : otherCase) c = static_cast<char>(isupper(c) ? tolower(c) : toupper(c));
        const Imp child(bin.GetChild(Tagged(otherCase), kFollowShortcut));
        ASSERT_NE(child, nullptr) << otherCase;
        EXPECT_EQ(PathText(child.get()), binPath + name);
        EXPECT_EQ(child->GetCount(), 0);
        EXPECT_EQ(child->GetItem(0, 0), nullptr);
        EXPECT_EQ(child->GetChild(Tagged("x"), 0), nullptr);
        EXPECT_EQ(child->CreateStream(string()), nullptr);
    }
    EXPECT_EQ(bin.GetChild(Tagged("qv-not-in-the-trash"), 0), nullptr);
}

TEST_F(RecycleBin, AFailedOrMissingQueryCountsNothing) {
    const FolderItemImpRecycleBin bin;
    OverrideRecycleBinQuery(true, FailingQuery);
    EXPECT_EQ(bin.GetCount(), 0);

    RaisedExceptions raised;
    OverrideRecycleBinQuery(true, nullptr);
    EXPECT_EQ(bin.GetCount(), 0);
    ASSERT_EQ(raised.Seen().size(), 1u);
    EXPECT_EQ(raised.Seen()[0].name, "ServiceNotAvailableException");
    EXPECT_EQ(raised.Seen()[0].message, "SHQueryRecycleBin requires Windows 95/NT4 with IE greater than 4.0");
    EXPECT_EQ(raised.Seen()[0].errorNumber, 0);
}

}  // namespace
