// A test fixture with a folder of its own in the temporary folder, removed with the files it holds
// (read-only ones included); it also ends any forced platform branch.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "StringTesting.h"
#include "core/Platform.h"

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
        WIN32_FIND_DATAW entry;
        HANDLE find = FindFirstFileW((folder + L"*").c_str(), &entry);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                SetFileAttributesW((folder + entry.cFileName).c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW((folder + entry.cFileName).c_str());
            } while (FindNextFileW(find, &entry));
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

    std::wstring folder;

private:
    const wchar_t* mPrefix;
};
