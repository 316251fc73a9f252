#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <memory>
#include <set>
#include <string>

#include "StringTesting.h"
#include "TemporaryFolder.h"
#include "core/Platform.h"
#include "files/DataFile.h"
#include "host/ShutdownContexts.h"

#undef EOF

namespace {

// A folder of its own in the temporary folder, removed with what it holds.
class DataFiles : public TemporaryFolderTest {
protected:
    DataFiles() : TemporaryFolderTest(L"qv-files-") {}

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

};

// Both forms of the Win32 call reach the same file for a path with a character beyond ASCII:
// the wide one through UTF-16, the ANSI one through the system encoding.
TEST_F(DataFiles, WritesLinesToTheFileAtThePathOnBothPlatformBranches) {
    for (const auto mode : {UnicodePlatformOverride::ForceWide, UnicodePlatformOverride::ForceAnsi}) {
        SCOPED_TRACE(mode == UnicodePlatformOverride::ForceWide ? "wide" : "ANSI");
        SetUnicodePlatformOverride(mode);
        DataFile* file = NewDataFile();
        ASSERT_TRUE(file->Create(PathOf(L"dump \u00e9.txt")));
        file->WriteLine(string("12 used in heap1"));
        file->WriteLine(string());
        file->WriteLine(Tagged("Caf\xC3\xA9"));  // the bytes as they are, not converted
        delete file;
        EXPECT_EQ(Contents(L"dump \u00e9.txt"), "12 used in heap1\r\n\r\nCaf\xC3\xA9\r\n");
        DeleteFileW((folder + L"dump \u00e9.txt").c_str());
    }
}

TEST_F(DataFiles, CreateReplacesAnExistingFile) {
    WriteRaw(L"old.txt", std::string(100, 'x'));
    std::unique_ptr<DataFile> file(NewDataFile());
    ASSERT_TRUE(file->Create(PathOf(L"old.txt")));
    file->WriteLine(string("new"));
    file.reset();
    EXPECT_EQ(Contents(L"old.txt"), "new\r\n");
}

// Deleting the stream closes the file: nobody else could open it without sharing otherwise.
TEST_F(DataFiles, DeletingTheStreamClosesTheFile) {
    DataFile* file = NewDataFile();
    ASSERT_TRUE(file->Create(PathOf(L"closed.txt")));
    file->WriteLine(string("x"));
    delete file;
    HANDLE exclusive = CreateFileW((folder + L"closed.txt").c_str(), GENERIC_READ | GENERIC_WRITE,
                                   0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(exclusive, INVALID_HANDLE_VALUE);
    CloseHandle(exclusive);
}

// A stream whose creation failed, or that was never created, writes nothing and does no harm.
TEST_F(DataFiles, AStreamWithoutAFileWritesNothing) {
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
        std::unique_ptr<DataFile> file(NewDataFile());
        if (c.create) {
            EXPECT_FALSE(file->Create(PathOf(c.name)));
        }
        file->WriteLine(string("lost"));
        EXPECT_FALSE(file->Write("x", 1));
        EXPECT_EQ(file->Length(), 0);
        EXPECT_TRUE(file->EOF());
        EXPECT_TRUE(file->Close());
    }
    EXPECT_FALSE(std::unique_ptr<DataFile>(NewDataFile())->Create(string()));
}

TEST_F(DataFiles, PositionLengthAndSeekingFollowTheHandle) {
    std::unique_ptr<DataFile> file(NewDataFile());
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
    file->Flush();
    // Created for reading too.
    char buffer[8];
    int32_t got = -1;
    ASSERT_TRUE(file->SetPosition(0));
    EXPECT_TRUE(file->Read(buffer, 8, &got));
    EXPECT_EQ(std::string(buffer, got), "abXYe");
    // At the end a read succeeds with nothing, and a read of nothing touches nothing.
    got = -1;
    EXPECT_TRUE(file->Read(buffer, 4, &got));
    EXPECT_EQ(got, 0);
    EXPECT_TRUE(file->EOF());
    got = -1;
    EXPECT_TRUE(file->Read(nullptr, 0, &got));
    EXPECT_EQ(got, 0);
    EXPECT_EQ(file->LastError(), 0);
    file.reset();
    EXPECT_EQ(Contents(L"seek.bin"), "abXYe");
}

TEST_F(DataFiles, SetLengthKeepsThePositionEvenPastTheNewEnd) {
    WriteRaw(L"hundred.bin", std::string(100, 'x'));
    std::unique_ptr<DataFile> file(NewDataFile());
    ASSERT_TRUE(file->Open(PathOf(L"hundred.bin"), kOpenForReadingAndWriting));
    ASSERT_TRUE(file->SetPosition(50));
    EXPECT_TRUE(file->SetLength(10));
    EXPECT_EQ(file->Length(), 10);
    EXPECT_EQ(file->Position(), 50);
}

// A seek that the system refuses is reported, and a resize to a place that cannot be reached
// cuts nothing: the file would otherwise end wherever the pointer happened to be.
TEST_F(DataFiles, AFailedSeekIsReportedAndCutsNothing) {
    WriteRaw(L"keep.bin", "abcdef");
    std::unique_ptr<DataFile> file(NewDataFile());
    ASSERT_TRUE(file->Open(PathOf(L"keep.bin"), kOpenForReadingAndWriting));
    ASSERT_TRUE(file->SetPosition(2));
    EXPECT_FALSE(file->SetPosition(-1));
    EXPECT_EQ(file->LastError(), ERROR_NEGATIVE_SEEK);
    EXPECT_EQ(file->Position(), 2);
    EXPECT_FALSE(file->SetLength(-1));
    EXPECT_EQ(file->Length(), 6);
    EXPECT_EQ(file->Position(), 2);
}

// Every open lets others only read beside it.
TEST_F(DataFiles, OpenErrorsCarryThePlatformCode) {
    WriteRaw(L"shared.txt", "text");
    const string path = PathOf(L"shared.txt");
    std::unique_ptr<DataFile> missing(NewDataFile());
    EXPECT_FALSE(missing->Open(PathOf(L"missing.txt"), kOpenForReading));
    EXPECT_EQ(missing->LastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(missing->Close());
    EXPECT_TRUE(missing->Close());

    std::unique_ptr<DataFile> reader1(NewDataFile()), reader2(NewDataFile());
    EXPECT_TRUE(reader1->Open(path, kOpenForReading));
    EXPECT_TRUE(reader2->Open(path, kOpenForReading));
    std::unique_ptr<DataFile> writer(NewDataFile());
    EXPECT_FALSE(writer->Open(path, kOpenForReadingAndWriting));
    EXPECT_EQ(writer->LastError(), ERROR_SHARING_VIOLATION);
    reader1.reset();
    reader2.reset();

    ASSERT_TRUE(writer->Open(path, kOpenForReadingAndWriting));
    for (const bool create : {false, true}) {
        std::unique_ptr<DataFile> other(NewDataFile());
        EXPECT_FALSE(create ? other->Create(path) : other->Open(path, kOpenForReading));
        EXPECT_EQ(other->LastError(), ERROR_SHARING_VIOLATION) << create;
    }
}

// The names of the temporary files of the temporary folder.
std::set<std::wstring> TemporaryDataFiles() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::set<std::wstring> names;
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((std::wstring(temp) + L"qvt*.tmp").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return names;
    do names.insert(std::wstring(temp) + entry.cFileName);
    while (FindNextFileW(find, &entry));
    FindClose(find);
    return names;
}

std::wstring NewTemporaryDataFile(const std::set<std::wstring>& before) {
    for (const std::wstring& name : TemporaryDataFiles())
        if (!before.count(name)) return name;
    return std::wstring();
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A temporary data file lives while it is open and goes when it is closed, by its owner or by the
// end of the application.
TEST_F(DataFiles, TemporaryFilesAreDeletedWhenClosed) {
    for (const bool atShutdown : {false, true}) {
        SCOPED_TRACE(atShutdown ? "at shut-down" : "closed by the owner");
        const auto before = TemporaryDataFiles();
        std::unique_ptr<DataFile> file(NewDataFile());
        ASSERT_TRUE(file->CreateTemporary(string()));
        const std::wstring name = NewTemporaryDataFile(before);
        ASSERT_FALSE(name.empty());
        EXPECT_TRUE(file->Write("scratch", 7));
        ASSERT_TRUE(file->SetPosition(0));
        int32_t count = 0;
        char buffer[7];
        EXPECT_TRUE(file->Read(buffer, 7, &count));
        EXPECT_EQ(count, 7);
        EXPECT_TRUE(Exists(name));
        if (atShutdown) {
            DestroyShutdownContexts();
            EXPECT_TRUE(file->EOF());
            EXPECT_FALSE(file->Write("x", 1));
        } else {
            EXPECT_TRUE(file->Close());
        }
        EXPECT_FALSE(Exists(name));
        EXPECT_TRUE(file->Close());
    }
}

// A named file opened as temporary goes too; a missing one fails and registers nothing.
TEST_F(DataFiles, TemporaryOpenOfANamedFile) {
    WriteRaw(L"scratch.tmp", "abc");
    std::unique_ptr<DataFile> file(NewDataFile());
    ASSERT_TRUE(file->CreateTemporary(PathOf(L"scratch.tmp")));
    EXPECT_EQ(file->Length(), 3);
    file.reset();
    EXPECT_FALSE(Exists(folder + L"scratch.tmp"));

    std::unique_ptr<DataFile> missing(NewDataFile());
    EXPECT_FALSE(missing->CreateTemporary(PathOf(L"none.tmp")));
    EXPECT_EQ(missing->LastError(), ERROR_FILE_NOT_FOUND);
    DestroyShutdownContexts();  // nothing was registered that could touch the stream
    EXPECT_EQ(missing->LastError(), ERROR_FILE_NOT_FOUND);
}

// Run as a child by the next test: makes a temporary data file, names it, and ends the process
// with the file still open.
TEST(DataFileChild, ExitsWithATemporaryFileOpen) {
    if (!GetEnvironmentVariableW(L"QV_DATA_FILE_CHILD", nullptr, 0)) GTEST_SKIP();
    const auto before = TemporaryDataFiles();
    DataFile* file = NewDataFile();
    if (!file->CreateTemporary(string())) ExitProcess(2);
    const std::wstring name = NewTemporaryDataFile(before);
    std::fputws((name + L"\n").c_str(), stdout);
    std::fflush(stdout);
    ExitProcess(Exists(name) ? 0 : 3);
}

TEST(DataFileProcess, AnEndedProcessLeavesNoTemporaryFile) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring output = std::wstring(temp) + L"qv-child-" +
                                std::to_wstring(GetCurrentProcessId()) + L".txt";
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE out = CreateFileW(output.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                             &inherit, CREATE_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    ASSERT_NE(out, INVALID_HANDLE_VALUE);
    SetEnvironmentVariableW(L"QV_DATA_FILE_CHILD", L"1");
    std::wstring command = L"\"" + std::wstring(self) +
                           L"\" --gtest_filter=DataFileChild.*";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = out;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                               nullptr, &startup, &process));
    SetEnvironmentVariableW(L"QV_DATA_FILE_CHILD", nullptr);
    ASSERT_EQ(WaitForSingleObject(process.hProcess, 120000), WAIT_OBJECT_0);
    DWORD code = 99;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    EXPECT_EQ(code, 0u);

    SetFilePointer(out, 0, nullptr, FILE_BEGIN);
    std::string text(GetFileSize(out, nullptr), '\0');
    DWORD read = 0;
    ReadFile(out, text.data(), static_cast<DWORD>(text.size()), &read, nullptr);
    CloseHandle(out);
    // The child names its file on the last line it writes.
    const size_t end = text.rfind(".tmp");
    ASSERT_NE(end, std::string::npos) << text;
    const size_t start = text.rfind('\n', end);
    const std::string name = text.substr(start == std::string::npos ? 0 : start + 1,
                                         end + 4 - (start == std::string::npos ? 0 : start + 1));
    EXPECT_NE(name.find("qvt"), std::string::npos) << name;
    EXPECT_EQ(GetFileAttributesA(name.c_str()), INVALID_FILE_ATTRIBUTES) << name;
}

}  // namespace
