// The disk folder item's file operations (folders, deleting, copying, moving, the Recycle Bin,
// launching) and its streams.
#include <windows.h>
#include <shellapi.h>

#include <cstring>
#include <cwchar>
#include <vector>

#include "DataFile.h"
#include "FolderItemImpWin32.h"
#include "PathMarshalling.h"
#include "core/FailureReport.h"
#include "core/Platform.h"

static_assert(sizeof(SHFILEOPSTRUCTW) == 30 && sizeof(SHFILEOPSTRUCTA) == 30,
              "the shell's file-operation record is packed for 32-bit programs");

namespace {

constexpr DWORD kPathBuffer = 1024;

string CurrentDirectory() {
    if (IsUnicodePlatform()) {
        wchar_t buffer[kPathBuffer];
        const DWORD length = GetCurrentDirectoryW(kPathBuffer, buffer);
        return length >= 1 && length < kPathBuffer ? PathFromWide(buffer, static_cast<int32_t>(length)) : string();
    }
    char buffer[kPathBuffer];
    const DWORD length = GetCurrentDirectoryA(kPathBuffer, buffer);
    return length >= 1 && length < kPathBuffer ? PathFromSystem(buffer, static_cast<int32_t>(length)) : string();
}

// True when the current directory is the folder or lies in it.
bool CurrentDirectoryIsIn(const string& folder) {
    const string current = CurrentDirectory();
    const std::string_view path = StripTrailingBackslash(TextView(current));
    const std::string_view inside = TextView(folder);
    if (path.size() < inside.size() || (path.size() > inside.size() && path[inside.size()] != '\\'))
        return false;
    return string::CompareNoCase(Utf8Text(std::string(path.substr(0, inside.size()))), folder) == 0;
}

bool RemoveFolder(const string& path) {
    const SystemPath native(path);
    return native.IsWide() ? RemoveDirectoryW(native.Wide()) : RemoveDirectoryA(native.Ansi());
}

string TargetPath(const FolderItemImp& destination, const string& sourcePath) {
    string target = destination.GetAbsolutePath().ToUTF8();
    if (destination.IsDirectory())
        target = Utf8Text(std::string(TextView(target)).append(SplitWin32Path(TextView(sourcePath)).file));
    return target;
}

}  // namespace

bool FolderItemImpWin32::CreateAsFolder() {
    mLastError = kNoError;
    const SystemPath native(mPath);
    if (native.IsWide() ? CreateDirectoryW(native.Wide(), nullptr) : CreateDirectoryA(native.Ansi(), nullptr))
        return true;
    StoreWin32Error(GetLastError());
    return false;
}

bool FolderItemImpWin32::Delete() {
    mLastError = kNoError;
    bool deleted;
    if (IsDirectory()) {
        deleted = RemoveFolder(mPath);
        if (!deleted) StoreWin32Error(GetLastError());
        // A folder that is the current directory, or holds it, is busy: step out and retry.
        if (!deleted && mLastError == kFileInUse && CurrentDirectoryIsIn(mPath)) {
            mLastError = kNoError;
            if (FolderItemImp* parent = GetParent()) {
                const SystemPath outside(parent->GetAbsolutePath());
                if (outside.IsWide())
                    SetCurrentDirectoryW(outside.Wide());
                else
                    SetCurrentDirectoryA(outside.Ansi());
                delete parent;
            }
            deleted = RemoveFolder(mPath);
        }
    } else {
        const SystemPath native(mPath);
        deleted = native.IsWide() ? DeleteFileW(native.Wide()) : DeleteFileA(native.Ansi());
    }
    if (!deleted) StoreWin32Error(GetLastError());
    return deleted;
}

bool FolderItemImpWin32::CopyFileTo(FolderItemImp* destination) {
    mLastError = kNoError;
    if (!destination) {
        mLastError = kDestDoesNotExistError;
        return false;
    }
    if (destination->IsVirtual()) return GenericCopyFileTo(*this, destination);
    const SystemPath from(mPath), to(TargetPath(*destination, mPath));
    const bool copied = from.IsWide() ? CopyFileW(from.Wide(), to.Wide(), TRUE)
                                      : CopyFileA(from.Ansi(), to.Ansi(), TRUE);
    if (!copied) StoreWin32Error(GetLastError());
    return copied;
}

bool FolderItemImpWin32::MoveFileTo(FolderItemImp* destination) {
    mLastError = kNoError;
    if (!destination) {
        mLastError = kDestDoesNotExistError;
        return false;
    }
    if (destination->IsTrash()) return MoveToTrash();
    if (destination->IsVirtual()) return GenericCopyFileTo(*this, destination) && Delete();
    const SystemPath from(mPath), to(TargetPath(*destination, mPath));
    const bool moved = from.IsWide() ? MoveFileW(from.Wide(), to.Wide()) : MoveFileA(from.Ansi(), to.Ansi());
    if (!moved) StoreWin32Error(GetLastError());
    return moved;
}

bool FolderItemImpWin32::MoveToTrash() {
    using OperationW = int(WINAPI*)(LPSHFILEOPSTRUCTW);
    using OperationA = int(WINAPI*)(LPSHFILEOPSTRUCTA);
    static const HMODULE shell = LoadLibraryA("Shell32.dll");
    if (!shell) {
        ReportAssertion("FolderItemImpWin32", __LINE__, "hLib", "Could not find, or load, Shell32.dll");
        return false;
    }
    static const auto operationW = reinterpret_cast<OperationW>(reinterpret_cast<void*>(GetProcAddress(shell, "SHFileOperationW")));
    static const auto operationA = reinterpret_cast<OperationA>(reinterpret_cast<void*>(GetProcAddress(shell, "SHFileOperationA")));
    mLastError = kNoError;
    const SystemPath native(mPath);
    // The shell's file operations take paths below MAX_PATH only, and some shells overrun their
    // own buffers on longer ones: such a path is refused here.
    const size_t pathLength = native.IsWide() ? std::wcslen(native.Wide()) : std::strlen(native.Ansi());
    if (pathLength >= MAX_PATH) {
        mLastError = ERROR_FILENAME_EXCED_RANGE;
        return false;
    }
    int result;
    // The source list ends with two NULs.
    if (native.IsWide()) {
        if (!operationW) return false;
        std::vector<wchar_t> source(kPathBuffer, 0);
        std::copy(native.Wide(), native.Wide() + pathLength, source.begin());
        SHFILEOPSTRUCTW operation{};
        operation.wFunc = FO_DELETE;
        operation.pFrom = source.data();
        operation.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION;
        result = operationW(&operation);
    } else {
        if (!operationA) return false;
        std::vector<char> source(kPathBuffer, 0);
        std::copy(native.Ansi(), native.Ansi() + pathLength, source.begin());
        SHFILEOPSTRUCTA operation{};
        operation.wFunc = FO_DELETE;
        operation.pFrom = source.data();
        operation.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION;
        result = operationA(&operation);
    }
    // A refusal must show: the shell's own result stays in the error code.
    if (result != 0) mLastError = result;
    return result == 0;
}

bool FolderItemImpWin32::Launch(const string& parameters, bool activate) {
    mLastError = kNoError;
    const int show = activate ? SW_SHOW : SW_SHOWNOACTIVATE;
    const SystemPath file(mPath);
    INT_PTR result;
    if (file.IsWide()) {
        const string wideParameters = parameters.ToUTF8().ToUTF16();
        result = reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, L"open", file.Wide(),
                                                         parameters.IsEmpty() ? nullptr : wideParameters.WidePointer(),
                                                         nullptr, show));
    } else {
        const SystemPath ansiParameters(parameters);
        result = reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, "open", file.Ansi(),
                                                         parameters.IsEmpty() ? nullptr : ansiParameters.Ansi(),
                                                         nullptr, show));
    }
    if (result > 32) return true;
    StoreWin32Error(static_cast<uint32_t>(result));
    return false;
}

void FolderItemImpWin32::RevealInShell() {
    const string parameters =
        Utf8Text(std::string("/select, \"").append(TextView(GetAbsolutePath())).append("\""));
    const SystemPath native(parameters);
    if (native.IsWide())
        ShellExecuteW(nullptr, L"open", L"explorer", native.Wide(), nullptr, SW_SHOW);
    else
        ShellExecuteA(nullptr, "open", "explorer", native.Ansi(), nullptr, SW_SHOW);
}

ByteStream* FolderItemImpWin32::OpenStream(bool read, bool write, bool createMissing) {
    DataFile* stream = NewDataFile();
    const bool opened = createMissing
                            ? stream->OpenFile(mPath, (read ? GENERIC_READ : 0) | (write ? GENERIC_WRITE : 0), OPEN_ALWAYS)
                            : stream->Open(mPath, read && !write ? kOpenForReading : kOpenForReadingAndWriting);
    if (opened) return stream;
    mLastError = stream->LastError();
    delete stream;
    return nullptr;
}

ByteStream* FolderItemImpWin32::CreateStream(const string&) {
    if (mSealed) return nullptr;
    DataFile* stream = NewDataFile();
    if (stream->Create(mPath)) {
        mCreated = true;
        return stream;
    }
    mLastError = stream->LastError();
    delete stream;
    return nullptr;
}

ByteStream* FolderItemImpWin32::CreateNewStream(const string&) {
    DataFile* stream = NewDataFile();
    if (stream->CreateNew(mPath)) return stream;
    mLastError = stream->LastError();
    delete stream;
    return nullptr;
}

// Opening without sharing fails while anyone has the file open; deleting on close then removes
// it with no moment in which another opener could slip in.
bool FolderItemImpWin32::DeleteUnlessOpen() {
    constexpr DWORD kFlags = FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE;
    const SystemPath native(mPath);
    const HANDLE handle =
        native.IsWide() ? CreateFileW(native.Wide(), DELETE, 0, nullptr, OPEN_EXISTING, kFlags, nullptr)
                        : CreateFileA(native.Ansi(), DELETE, 0, nullptr, OPEN_EXISTING, kFlags, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        mLastError = static_cast<int32_t>(GetLastError());
        return false;
    }
    CloseHandle(handle);
    return true;
}

FolderItemImp* FolderItemImp::NewTemporaryFile() {
    FolderItemImp* folder = FindSpecialFolder(kTemporaryFolderCode);
    if (!folder) return nullptr;
    const SystemPath native(folder->GetAbsolutePath());
    delete folder;
    if (native.IsWide()) {
        wchar_t name[MAX_PATH + 1];
        if (!GetTempFileNameW(native.Wide(), L"qvt", 0, name)) return nullptr;
        return new FolderItemImpWin32(PathFromWide(name));
    }
    char name[MAX_PATH + 1];
    if (!GetTempFileNameA(native.Ansi(), "qvt", 0, name)) return nullptr;
    return new FolderItemImpWin32(PathFromSystem(name));
}
