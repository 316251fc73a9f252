// A test fixture with a folder of its own in the temporary folder, removed with the files and
// folders it holds (read-only ones included); it also ends any forced platform branch.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "StringTesting.h"
#include "core/Platform.h"

// Removes a folder with everything in it; path has no trailing backslash.
inline void RemoveFolderTree(const std::wstring& path) {
    WIN32_FIND_DATAW data;
    const HANDLE search = FindFirstFileW((path + L"\\*").c_str(), &data);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring child = path + L"\\" + name;
            SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveFolderTree(child);
            else
                DeleteFileW(child.c_str());
        } while (FindNextFileW(search, &data));
        FindClose(search);
    }
    RemoveDirectoryW(path.c_str());
}

class TemporaryFolderTest : public testing::Test {
protected:
    // The folder is named after the prefix and the process.
    explicit TemporaryFolderTest(const wchar_t* prefix) : mPrefix(prefix) {}

    void SetUp() override {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        folder = std::wstring(temp) + mPrefix + std::to_wstring(GetCurrentProcessId()) + L"\\";
        ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    }

    void TearDown() override {
        SetUnicodePlatformOverride(UnicodePlatformOverride::None);
        RemoveFolderTree(folder.substr(0, folder.size() - 1));
        EXPECT_EQ(GetFileAttributesW(folder.c_str()), INVALID_FILE_ATTRIBUTES);
    }

    // The path of a name in the folder as a UTF-8 runtime string.
    string PathOf(const std::wstring& name) const {
        const std::wstring path = folder + name;
        char utf8[4 * MAX_PATH];
        const int n = WideCharToMultiByte(CP_UTF8, 0, path.c_str(), -1, utf8, sizeof utf8,
                                          nullptr, nullptr);
        return Tagged(std::string_view(utf8, n - 1), kEncodingUTF8);
    }

    std::wstring folder;

private:
    const wchar_t* mPrefix;
};
