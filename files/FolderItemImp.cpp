#include "FolderItemImp.h"

#include <windows.h>
#include <objidl.h>
#include <shlobj.h>

#include "DataFile.h"
#include "core/Platform.h"
#include "values/EncodingConversion.h"

namespace {

DWORD AttributesOf(const string& path) {
    if (IsUnicodePlatform()) return GetFileAttributesW(path.ToUTF16().WidePointer());
    return GetFileAttributesA(ConvertToSystemEncoding(path).CString());
}

string TemporaryFolderPath() {
    string path;
    if (IsUnicodePlatform()) {
        wchar_t buffer[MAX_PATH + 1];
        const DWORD length = GetTempPathW(MAX_PATH + 1, buffer);
        if (length == 0 || length > MAX_PATH) return path;
        string wide;
        wide.SetWideText(reinterpret_cast<const uint16_t*>(buffer), static_cast<int32_t>(length));
        return wide.ToUTF8();
    }
    char buffer[MAX_PATH + 1];
    const DWORD length = GetTempPathA(MAX_PATH + 1, buffer);
    if (length == 0 || length > MAX_PATH) return path;
    path.SetBytes(buffer, static_cast<int32_t>(length));
    path.SetEncoding(SystemTextEncoding());
    return path;
}

string Utf8FromWide(const wchar_t* text) {
    string wide;
    wide.SetWideText(reinterpret_cast<const uint16_t*>(text), static_cast<int32_t>(lstrlenW(text)));
    return wide.ToUTF8();
}

bool EndsWithShortcutExtension(const string& path) {
    const int32_t length = path.Length();
    return length >= 4 && lstrcmpiA(path.CString() + length - 4, ".lnk") == 0;
}

// The target of a shell shortcut file; empty when the file is none or its target is unknown. COM
// must be initialised on the thread (start-up does so).
string ShortcutTarget(const string& path) {
    static const CLSID kShellLink = {0x00021401, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
    IShellLinkW* link = nullptr;
    if (FAILED(CoCreateInstance(kShellLink, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IShellLinkW),
                                reinterpret_cast<void**>(&link))))
        return string();
    string target;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(__uuidof(IPersistFile), reinterpret_cast<void**>(&file)))) {
        const string wide = path.ToUTF8().ToUTF16();
        wchar_t buffer[MAX_PATH];
        if (SUCCEEDED(file->Load(wide.WidePointer(), STGM_READ)) &&
            SUCCEEDED(link->GetPath(buffer, MAX_PATH, nullptr, 0)) && buffer[0])
            target = Utf8FromWide(buffer);
        file->Release();
    }
    link->Release();
    return target;
}

}  // namespace

FolderItemImp* FolderItemImp::FindFolder(uint32_t code) {
    if (code != kTemporaryFolderCode) return nullptr;
    const string path = TemporaryFolderPath();
    return path.IsEmpty() ? nullptr : new FolderItemImpWin32(path);
}

FolderItemImp* FolderItemImp::NewTemporaryFile() {
    const string folder = TemporaryFolderPath();
    if (folder.IsEmpty()) return nullptr;
    if (IsUnicodePlatform()) {
        wchar_t name[MAX_PATH + 1];
        if (!GetTempFileNameW(folder.ToUTF16().WidePointer(), L"qvt", 0, name)) return nullptr;
        return new FolderItemImpWin32(Utf8FromWide(name));
    }
    char name[MAX_PATH + 1];
    if (!GetTempFileNameA(ConvertToSystemEncoding(folder).CString(), "qvt", 0, name)) return nullptr;
    string path;
    path.SetBytes(name, lstrlenA(name));
    path.SetEncoding(SystemTextEncoding());
    return new FolderItemImpWin32(path);
}

FolderItemImp* FolderItemImpWin32::Clone() const { return new FolderItemImpWin32(mPath); }

bool FolderItemImpWin32::Exists() const { return AttributesOf(mPath) != INVALID_FILE_ATTRIBUTES; }

string FolderItemImpWin32::GetAbsolutePath() const { return mPath; }

// With kFollowShortcut, a shortcut of that name (the name itself or the name with ".lnk") gives
// its target.
FolderItemImp* FolderItemImpWin32::GetChild(const string& name, uint32_t flags) const {
    if (name.IsEmpty() || mPath.IsEmpty()) return nullptr;
    const string folder = IsUTF16FamilyEncoding(mPath.Encoding()) ? mPath.ToUTF8() : mPath;
    const char last = folder.CString()[folder.Length() - 1];
    const string separated =
        last == '\\' || last == '/' ? folder : StringConcat(folder, string("\\"));
    const string child = StringConcat(separated, name);
    if (flags & kFollowShortcut) {
        string shortcut;
        if (EndsWithShortcutExtension(child) && AttributesOf(child) != INVALID_FILE_ATTRIBUTES)
            shortcut = child;
        else if (AttributesOf(child) == INVALID_FILE_ATTRIBUTES)
            shortcut = StringConcat(child, string(".lnk"));
        if (!shortcut.IsEmpty() && AttributesOf(shortcut) != INVALID_FILE_ATTRIBUTES) {
            const string target = ShortcutTarget(shortcut);
            if (!target.IsEmpty()) return new FolderItemImpWin32(target);
        }
    }
    return new FolderItemImpWin32(child);
}

ByteStream* FolderItemImpWin32::CreateNewStream(const string&) {
    DataFile* stream = NewDataFile();
    if (stream->CreateNew(mPath)) return stream;
    delete stream;
    return nullptr;
}

ByteStream* FolderItemImpWin32::CreateStream(const string&) {
    DataFile* stream = NewDataFile();
    if (stream->OpenFile(mPath, GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS)) return stream;
    mLastError = stream->LastError();
    delete stream;
    return nullptr;
}

ByteStream* FolderItemImpWin32::OpenStream(bool read, bool write, bool createMissing) {
    const uint32_t access = (read ? GENERIC_READ : 0) | (write ? GENERIC_WRITE : 0);
    DataFile* stream = NewDataFile();
    if (stream->OpenFile(mPath, access, createMissing ? OPEN_ALWAYS : OPEN_EXISTING)) {
        mLastError = 0;
        return stream;
    }
    mLastError = stream->LastError();
    delete stream;
    return nullptr;
}

// Opening without sharing fails while anyone has the file open; deleting on close then removes
// it with no moment in which another opener could slip in.
bool FolderItemImpWin32::DeleteUnlessOpen() {
    constexpr DWORD kAccess = DELETE;
    constexpr DWORD kFlags = FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE;
    HANDLE handle;
    if (IsUnicodePlatform()) {
        const string wide = mPath.ToUTF16();
        handle = CreateFileW(wide.WidePointer(), kAccess, 0, nullptr, OPEN_EXISTING, kFlags, nullptr);
    } else {
        const string ansi = ConvertToSystemEncoding(mPath);
        handle = CreateFileA(ansi.CString(), kAccess, 0, nullptr, OPEN_EXISTING, kFlags, nullptr);
    }
    if (handle == INVALID_HANDLE_VALUE) {
        mLastError = GetLastError();
        return false;
    }
    CloseHandle(handle);
    return true;
}

bool FolderItemImpWin32::Delete() {
    const DWORD attributes = AttributesOf(mPath);
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    const bool folder = attributes & FILE_ATTRIBUTE_DIRECTORY;
    if (IsUnicodePlatform()) {
        const string wide = mPath.ToUTF16();
        return folder ? RemoveDirectoryW(wide.WidePointer()) : DeleteFileW(wide.WidePointer());
    }
    const string ansi = ConvertToSystemEncoding(mPath);
    return folder ? RemoveDirectoryA(ansi.CString()) : DeleteFileA(ansi.CString());
}
