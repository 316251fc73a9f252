// The disk folder item's path model, names, attributes, dates and length.
#include "FolderItemImpWin32.h"

#include <windows.h>

#include "FileType.h"
#include "PathMarshalling.h"
#include "Registry.h"
#include "core/FailureReport.h"
#include "core/Platform.h"
#include "values/Date.h"

namespace {

constexpr DWORD kPathBuffer = 1024;

string Combine(const string& base, const string& other, bool append) {
    return Utf8Text(CombineWin32Path(TextView(base.ToUTF8()), TextView(other.ToUTF8()), append));
}

// What the file system says of one item. A root answers from itself (its own attributes, no
// length), never from the first entry of its listing. One attribute query rather than a
// directory search: it answers the same fields without reading the folder, and a name with
// wildcards matches nothing.
struct EntryData {
    bool found = false;
    DWORD attributes = 0;
    FILETIME created{};
    FILETIME written{};
    DWORD sizeLow = 0;
};

EntryData Search(const string& path, bool root) {
    EntryData entry;
    const SystemPath native(root ? StringConcat(path, string("\\")) : path);
    WIN32_FILE_ATTRIBUTE_DATA data;
    entry.found = native.IsWide() ? GetFileAttributesExW(native.Wide(), GetFileExInfoStandard, &data)
                                  : GetFileAttributesExA(native.Ansi(), GetFileExInfoStandard, &data);
    if (entry.found) {
        entry.attributes = data.dwFileAttributes;
        entry.created = data.ftCreationTime;
        entry.written = data.ftLastWriteTime;
        entry.sizeLow = root ? 0 : data.nFileSizeLow;
    }
    return entry;
}

DWORD AttributesOf(const string& path) {
    const SystemPath native(path);
    return native.IsWide() ? GetFileAttributesW(native.Wide()) : GetFileAttributesA(native.Ansi());
}

bool WriteAttributes(const string& path, DWORD attributes) {
    const SystemPath native(path);
    return native.IsWide() ? SetFileAttributesW(native.Wide(), attributes)
                           : SetFileAttributesA(native.Ansi(), attributes);
}

HANDLE OpenFileHandle(const string& path, DWORD access, DWORD share, DWORD flags) {
    const SystemPath native(path);
    return native.IsWide()
               ? CreateFileW(native.Wide(), access, share, nullptr, OPEN_EXISTING, flags, nullptr)
               : CreateFileA(native.Ansi(), access, share, nullptr, OPEN_EXISTING, flags, nullptr);
}

double SecondsOfFileTime(const FILETIME& time) {
    DateImp* date = NewDateImp();
    date->SetFileTime(static_cast<int64_t>(static_cast<uint64_t>(time.dwHighDateTime) << 32 |
                                           time.dwLowDateTime));
    const double seconds = date->GetTotalSeconds();
    delete date;
    return seconds;
}

bool SetFileDate(const string& path, double seconds, bool creation) {
    DateImp* date = NewDateImp();
    date->SetTotalSeconds(seconds);
    int64_t value = 0;
    const bool converted = date->GetFileTime(&value);
    delete date;
    if (!converted) return false;
    const HANDLE file = OpenFileHandle(path, GENERIC_WRITE, 0, 0);
    if (file == INVALID_HANDLE_VALUE) return false;
    FILETIME time;
    time.dwLowDateTime = static_cast<DWORD>(value);
    time.dwHighDateTime = static_cast<DWORD>(static_cast<uint64_t>(value) >> 32);
    SetFileTime(file, creation ? &time : nullptr, nullptr, creation ? nullptr : &time);
    CloseHandle(file);
    return true;
}

}  // namespace

string ToLongPathName(const string& path) {
    using LongPathW = DWORD(WINAPI*)(LPCWSTR, LPWSTR, DWORD);
    using LongPathA = DWORD(WINAPI*)(LPCSTR, LPSTR, DWORD);
    static const HMODULE kernel = LoadLibraryA("Kernel32.dll");
    static const auto longPathW =
        kernel ? reinterpret_cast<LongPathW>(reinterpret_cast<void*>(GetProcAddress(kernel, "GetLongPathNameW"))) : nullptr;
    static const auto longPathA =
        kernel ? reinterpret_cast<LongPathA>(reinterpret_cast<void*>(GetProcAddress(kernel, "GetLongPathNameA"))) : nullptr;
    // No long form of this length fits the buffer, and some systems overrun their own buffers
    // on such paths.
    if (path.Length() >= static_cast<int32_t>(kPathBuffer)) return path.ToUTF8();
    const SystemPath native(path);
    if (native.IsWide()) {
        wchar_t buffer[kPathBuffer];
        const DWORD length = longPathW ? longPathW(native.Wide(), buffer, kPathBuffer) : 0;
        if (length >= 1 && length <= kPathBuffer) return PathFromWide(buffer, static_cast<int32_t>(length));
    } else {
        char buffer[kPathBuffer];
        const DWORD length = longPathA ? longPathA(native.Ansi(), buffer, kPathBuffer) : 0;
        if (length >= 1 && length <= kPathBuffer) return PathFromSystem(buffer, static_cast<int32_t>(length));
    }
    return path.ToUTF8();
}

string ApplicationFolderPath() {
    string file;
    if (IsUnicodePlatform()) {
        wchar_t buffer[kPathBuffer];
        const DWORD length = GetModuleFileNameW(nullptr, buffer, kPathBuffer);
        if (length == 0 || length >= kPathBuffer) return string();
        file = PathFromWide(buffer, static_cast<int32_t>(length));
    } else {
        char buffer[kPathBuffer];
        const DWORD length = GetModuleFileNameA(nullptr, buffer, kPathBuffer);
        if (length == 0 || length >= kPathBuffer) return string();
        file = PathFromSystem(buffer, static_cast<int32_t>(length));
    }
    return Utf8Text(FolderPartOfPath(TextView(file)));
}

FolderItemImpWin32::FolderItemImpWin32(const string& path, bool relativeToApplication, bool isRoot,
                                       bool* failed)
    : FolderItemImp(path) {
    const string given = path.ToUTF8();
    if (relativeToApplication) {
        const string folder = Utf8Text(std::string(StripTrailingBackslash(TextView(ApplicationFolderPath()))));
        mPath = Combine(folder, given, true);
    } else {
        mPath = given;
    }
    mPath = ToLongPathName(mPath);
    mIsRoot = IsRootPathText(TextView(given)) || isRoot;
    mPath = Utf8Text(std::string(StripTrailingBackslash(TextView(mPath))));
    if (failed && AttributesOf(mPath) == INVALID_FILE_ATTRIBUTES)
        *failed = GetLastError() != kErrorFileNotFound;
}

FolderItemImp& FolderItemImpWin32::Assign(const FolderItemImp& other) {
    if (other.IsVirtual()) {
        ReportAssertion("FolderItemImpWin32", __LINE__, "not other.IsVirtual()");
        return *this;
    }
    const auto& disk = static_cast<const FolderItemImpWin32&>(other);
    mPath = disk.mPath;
    mNumericTag = disk.mNumericTag;
    mIsRoot = disk.mIsRoot;
    mCreated = disk.mCreated;
    return *this;
}

FolderItemImp* FolderItemImpWin32::Clone() const { return new FolderItemImpWin32(mPath); }

bool FolderItemImpWin32::Exists() const {
    if (Search(mPath, mIsRoot).found) return true;
    if (mPath.Length() == 0 || mPath.CString()[mPath.Length() - 1] != ':') return false;
    // A drive without a medium still exists.
    char drives[255] = {};
    const DWORD length = GetLogicalDriveStringsA(sizeof drives, drives);
    if (length == 0 || length > sizeof drives) return false;
    const std::string_view list(drives, length);
    const std::string_view drive = TextView(mPath);
    for (size_t at = 0; at + drive.size() <= list.size(); ++at)
        if (CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, list.data() + at,
                           static_cast<int>(drive.size()), drive.data(),
                           static_cast<int>(drive.size())) == CSTR_EQUAL)
            return true;
    return false;
}

bool FolderItemImpWin32::IsDirectory() const {
    if (mIsRoot) return true;
    const DWORD attributes = AttributesOf(mPath);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

string FolderItemImpWin32::GetName() const {
    const Win32PathParts parts = SplitWin32Path(TextView(mPath));
    return Utf8Text(std::string(parts.file.empty() ? parts.root : parts.file));
}

bool FolderItemImpWin32::SetName(const string& name) {
    mLastError = kNoError;
    const string renamed = Combine(mPath, name, false);
    const SystemPath from(mPath), to(renamed);
    const bool moved = from.IsWide() ? MoveFileW(from.Wide(), to.Wide()) : MoveFileA(from.Ansi(), to.Ansi());
    if (!moved) {
        StoreWin32Error(GetLastError());
        return false;
    }
    mPath = renamed;
    return true;
}

string FolderItemImpWin32::GetAbsolutePath() const {
    return IsDirectory() ? Utf8Text(std::string(TextView(mPath)).append("\\")) : mPath;
}

bool FolderItemImpWin32::GetExtensionVisible() const {
    RegistryKey key;
    if (!key.Open(string("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced"),
                  false))
        return true;
    const string value("HideFileExt");
    return !key.HasValue(value) || key.GetIntegerValue(value) != 1;
}

bool FolderItemImpWin32::GetVisible() const {
    const EntryData entry = Search(mPath, mIsRoot);
    return !(entry.found && (entry.attributes & FILE_ATTRIBUTE_HIDDEN));
}

bool FolderItemImpWin32::SetVisible(bool visible) {
    mLastError = kNoError;
    const EntryData entry = Search(mPath, mIsRoot);
    if (!entry.found) return false;
    const DWORD attributes = visible ? entry.attributes & ~FILE_ATTRIBUTE_HIDDEN
                                     : entry.attributes | FILE_ATTRIBUTE_HIDDEN;
    if (WriteAttributes(mPath, attributes)) return true;
    StoreWin32Error(GetLastError());
    return false;
}

bool FolderItemImpWin32::GetLocked() const {
    if (!Exists()) return false;
    const EntryData entry = Search(mPath, mIsRoot);
    return !entry.found || (entry.attributes & FILE_ATTRIBUTE_READONLY);
}

bool FolderItemImpWin32::SetLocked(bool locked) {
    mLastError = kNoError;
    if (!Exists()) return true;
    const EntryData entry = Search(mPath, mIsRoot);
    if (!entry.found) return false;
    const DWORD attributes = locked ? entry.attributes | FILE_ATTRIBUTE_READONLY
                                    : entry.attributes & ~FILE_ATTRIBUTE_READONLY;
    if (WriteAttributes(mPath, attributes)) return true;
    StoreWin32Error(GetLastError());
    return false;
}

string FolderItemImpWin32::GetType() const { return FileTypeNameForFile(mPath); }

string FolderItemImpWin32::GetShellPath() const {
    if (mPath.Length() >= static_cast<int32_t>(kPathBuffer)) return mPath;
    const SystemPath native(mPath);
    if (native.IsWide()) {
        wchar_t buffer[kPathBuffer];
        const DWORD length = GetShortPathNameW(native.Wide(), buffer, kPathBuffer);
        if (length >= 1 && length <= kPathBuffer) return PathFromWide(buffer, static_cast<int32_t>(length));
    } else {
        char buffer[kPathBuffer];
        const DWORD length = GetShortPathNameA(native.Ansi(), buffer, kPathBuffer);
        if (length >= 1 && length <= kPathBuffer) return PathFromSystem(buffer, static_cast<int32_t>(length));
    }
    return mPath;
}

double FolderItemImpWin32::GetCreationDate() const {
    const EntryData entry = Search(mPath, mIsRoot);
    return entry.found ? SecondsOfFileTime(entry.created) : 0.0;
}

double FolderItemImpWin32::GetModificationDate() const {
    const EntryData entry = Search(mPath, mIsRoot);
    return entry.found ? SecondsOfFileTime(entry.written) : 0.0;
}

bool FolderItemImpWin32::SetCreationDate(double seconds) { return SetFileDate(mPath, seconds, true); }
bool FolderItemImpWin32::SetModificationDate(double seconds) { return SetFileDate(mPath, seconds, false); }

bool FolderItemImpWin32::SetNumericTag(int32_t tag) {
    mNumericTag = tag;
    return true;
}

bool FolderItemImpWin32::IsReadable() const {
    if (IsDirectory()) return true;
    const HANDLE file = OpenFileHandle(mPath, GENERIC_READ, FILE_SHARE_READ, FILE_ATTRIBUTE_NORMAL);
    if (file == INVALID_HANDLE_VALUE) return false;
    char byte;
    DWORD count = 0;
    const bool read = ReadFile(file, &byte, 1, &count, nullptr);
    CloseHandle(file);
    return read;
}

int32_t FolderItemImpWin32::GetLength() const {
    const EntryData entry = Search(mPath, mIsRoot);
    return entry.found ? static_cast<int32_t>(entry.sizeLow) : 0;
}
