#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>

#include "StringTesting.h"
#include "core/Platform.h"
#include "files/FileStream.h"

#undef EOF

namespace {

// A folder of its own in the temporary folder, removed with what it holds.
class DataFile : public testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        folder = std::wstring(temp) + L"qv-files-" + std::to_wstring(GetCurrentProcessId()) + L"\\";
        ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    }
    void TearDown() override {
        SetUnicodePlatformOverride(UnicodePlatformOverride::None);
        WIN32_FIND_DATAW entry;
        HANDLE find = FindFirstFileW((folder + L"*").c_str(), &entry);
        if (find != INVALID_HANDLE_VALUE) {
            do DeleteFileW((folder + entry.cFileName).c_str());
            while (FindNextFileW(find, &entry));
            FindClose(find);
        }
        EXPECT_TRUE(RemoveDirectoryW(folder.c_str()));
    }

    // The path of a name in the folder as a UTF-8 runtime string.
    string PathOf(const std::wstring& name) const {
        const std::wstring path = folder + name;
        char utf8[4 * MAX_PATH];
        const int n = WideCharToMultiByte(CP_UTF8, 0, path.c_str(), -1, utf8, sizeof utf8,
                                          nullptr, nullptr);
        return Tagged(std::string_view(utf8, n - 1), kEncodingUTF8);
    }

    // The bytes of the file, read with plain Win32; "<missing>" when it cannot be opened.
    std::string Contents(const std::wstring& name) const {
        HANDLE file = CreateFileW((folder + name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) return "<missing>";
        std::string bytes(GetFileSize(file, nullptr), '\0');
        DWORD read = 0;
        ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
        CloseHandle(file);
        bytes.resize(read);
        return bytes;
    }

    void WriteRaw(const std::wstring& name, const std::string& bytes) {
        HANDLE file = CreateFileW((folder + name).c_str(), GENERIC_WRITE, 0, nullptr,
                                  CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(file);
    }

    std::wstring folder;
};

// Both forms of the Win32 call reach the same file for a path with a character beyond ASCII:
// the wide one through UTF-16, the ANSI one through the system encoding.
TEST_F(DataFile, WritesLinesToTheFileAtThePathOnBothPlatformBranches) {
    for (const auto mode : {UnicodePlatformOverride::ForceWide, UnicodePlatformOverride::ForceAnsi}) {
        SCOPED_TRACE(mode == UnicodePlatformOverride::ForceWide ? "wide" : "ANSI");
        SetUnicodePlatformOverride(mode);
        FileStream* file = NewDataFile();
        ASSERT_TRUE(file->Create(PathOf(L"dump \u00e9.txt")));
        file->WriteLine(string("12 used in heap1"));
        file->WriteLine(string());
        file->WriteLine(Tagged("Caf\xC3\xA9"));  // the bytes as they are, not converted
        delete file;
        EXPECT_EQ(Contents(L"dump \u00e9.txt"), "12 used in heap1\r\n\r\nCaf\xC3\xA9\r\n");
        DeleteFileW((folder + L"dump \u00e9.txt").c_str());
    }
}

TEST_F(DataFile, CreateReplacesAnExistingFile) {
    WriteRaw(L"old.txt", std::string(100, 'x'));
    std::unique_ptr<FileStream> file(NewDataFile());
    ASSERT_TRUE(file->Create(PathOf(L"old.txt")));
    file->WriteLine(string("new"));
    file.reset();
    EXPECT_EQ(Contents(L"old.txt"), "new\r\n");
}

// Deleting the stream closes the file: nobody else could open it without sharing otherwise.
TEST_F(DataFile, DeletingTheStreamClosesTheFile) {
    FileStream* file = NewDataFile();
    ASSERT_TRUE(file->Create(PathOf(L"closed.txt")));
    file->WriteLine(string("x"));
    delete file;
    HANDLE exclusive = CreateFileW((folder + L"closed.txt").c_str(), GENERIC_READ | GENERIC_WRITE,
                                   0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(exclusive, INVALID_HANDLE_VALUE);
    CloseHandle(exclusive);
}

// A stream whose creation failed, or that was never created, writes nothing and does no harm.
TEST_F(DataFile, AStreamWithoutAFileWritesNothing) {
    struct Case {
        const char* what;
        bool create;
        std::wstring name;
    };
    const Case cases[] = {
        {"never created", false, L""},
        {"folder missing", true, L"no such folder\\dump.txt"},
        {"bad name", true, L"a<b>.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::unique_ptr<FileStream> file(NewDataFile());
        if (c.create) {
            EXPECT_FALSE(file->Create(PathOf(c.name)));
        }
        file->WriteLine(string("lost"));
        EXPECT_FALSE(file->Write("x", 1));
        EXPECT_EQ(file->Length(), 0);
        EXPECT_TRUE(file->EOF());
        EXPECT_TRUE(file->Close());
    }
    EXPECT_FALSE(std::unique_ptr<FileStream>(NewDataFile())->Create(string()));
}

TEST_F(DataFile, PositionLengthAndSeekingFollowTheHandle) {
    std::unique_ptr<FileStream> file(NewDataFile());
    ASSERT_TRUE(file->Create(PathOf(L"seek.bin")));
    EXPECT_TRUE(file->Write("abcdef", 6));
    EXPECT_EQ(file->Position(), 6);
    EXPECT_EQ(file->Length(), 6);
    EXPECT_TRUE(file->EOF());
    EXPECT_TRUE(file->SetPosition(2));
    EXPECT_FALSE(file->EOF());
    EXPECT_TRUE(file->Write("XY", 2));
    EXPECT_TRUE(file->SetLength(5));
    EXPECT_EQ(file->Position(), 4);
    EXPECT_EQ(file->Length(), 5);
    EXPECT_FALSE(file->SetPosition(-1));
    file->Flush();
    // The file is open for writing only.
    char buffer[4];
    int32_t got = -1;
    EXPECT_FALSE(file->Read(buffer, 4, &got));
    EXPECT_EQ(got, 0);
    file.reset();
    EXPECT_EQ(Contents(L"seek.bin"), "abXYe");
}

}  // namespace
