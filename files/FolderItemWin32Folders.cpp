// The disk folder item's parent, folder entries, shortcuts, special folders and file URLs.
#include <windows.h>
#include <objidl.h>
#include <shlobj.h>

#include <cstring>
#include <functional>

#include "FolderItemImpRecycleBin.h"
#include "FolderItemImpWin32.h"
#include "PathMarshalling.h"
#include "core/Platform.h"

namespace {

constexpr DWORD kPathBuffer = 1024;

bool IsDotEntry(std::string_view name) { return name == "." || name == ".."; }

// Calls visit with each entry name (UTF-8) of a folder in the file system's order, "." and ".."
// left out, until it answers false.
void ForEachEntry(const string& folder, const std::function<bool(const string&)>& visit) {
    const SystemPath pattern(StringConcat(folder, string("\\*.*")));
    if (pattern.IsWide()) {
        WIN32_FIND_DATAW data;
        const HANDLE search = FindFirstFileW(pattern.Wide(), &data);
        if (search == INVALID_HANDLE_VALUE) return;
        do {
            const string name = PathFromWide(data.cFileName);
            if (!IsDotEntry(TextView(name)) && !visit(name)) break;
        } while (FindNextFileW(search, &data));
        FindClose(search);
    } else {
        WIN32_FIND_DATAA data;
        const HANDLE search = FindFirstFileA(pattern.Ansi(), &data);
        if (search == INVALID_HANDLE_VALUE) return;
        do {
            const string name = PathFromSystem(data.cFileName);
            if (!IsDotEntry(TextView(name)) && !visit(name)) break;
        } while (FindNextFileA(search, &data));
        FindClose(search);
    }
}

string ChildPath(const string& folder, const string& name) {
    return Utf8Text(std::string(TextView(folder)).append("\\").append(TextView(name.ToUTF8())));
}

bool PathExists(const string& path) {
    const SystemPath native(path);
    return (native.IsWide() ? GetFileAttributesW(native.Wide()) : GetFileAttributesA(native.Ansi())) !=
           INVALID_FILE_ATTRIBUTES;
}

// Where the special folders come from: a shell folder, with a system folder to fall back on.
enum class Fallback : uint8_t { None, System, Windows };
struct SpecialFolder {
    uint16_t code;
    int16_t csidl;  // -1: the temporary folder
    Fallback fallback;
};

constexpr SpecialFolder kSpecialFolders[] = {
    {1001, -1, Fallback::None},
    {1002, CSIDL_FONTS, Fallback::None},
    {1003, CSIDL_APPDATA, Fallback::None},
    {1005, CSIDL_STARTUP, Fallback::None},
    {1006, CSIDL_APPDATA, Fallback::None},
    {1007, CSIDL_SYSTEM, Fallback::System},
    {1009, CSIDL_DESKTOPDIRECTORY, Fallback::None},
    {1010, CSIDL_PERSONAL, Fallback::None},
    {1011, CSIDL_PROGRAMS, Fallback::None},
    {1012, CSIDL_SYSTEM, Fallback::System},
    {1013, CSIDL_COMMON_APPDATA, Fallback::None},
    {1014, CSIDL_COMMON_DESKTOPDIRECTORY, Fallback::None},
    {1015, CSIDL_FAVORITES, Fallback::None},
    {1016, CSIDL_COMMON_FAVORITES, Fallback::None},
    {1017, CSIDL_COMMON_DOCUMENTS, Fallback::None},
    {1018, CSIDL_COOKIES, Fallback::None},
    {1019, CSIDL_HISTORY, Fallback::None},
    {1020, CSIDL_INTERNET_CACHE, Fallback::None},
    {1021, CSIDL_MYMUSIC, Fallback::None},
    {1022, CSIDL_MYPICTURES, Fallback::None},
    {1023, CSIDL_PROGRAM_FILES, Fallback::None},
    {1024, CSIDL_PROGRAM_FILES_COMMON, Fallback::None},
    {1025, CSIDL_RECENT, Fallback::None},
    {1026, CSIDL_SENDTO, Fallback::None},
    {1027, CSIDL_WINDOWS, Fallback::Windows},
    {1028, CSIDL_WINDOWS, Fallback::Windows},
    {1029, CSIDL_COMMON_STARTUP, Fallback::None},
    {1030, CSIDL_TEMPLATES, Fallback::None},
    {1031, CSIDL_COMMON_TEMPLATES, Fallback::None},
    {1032, CSIDL_NETHOOD, Fallback::None},
    {1033, CSIDL_PRINTHOOD, Fallback::None},
    {1046, CSIDL_COMMON_APPDATA, Fallback::None},
};

}  // namespace

string TemporaryFolderPath() {
    if (IsUnicodePlatform()) {
        wchar_t buffer[kPathBuffer];
        const DWORD length = GetTempPathW(kPathBuffer, buffer);
        return length >= 1 && length < kPathBuffer ? PathFromWide(buffer, static_cast<int32_t>(length)) : string();
    }
    char buffer[kPathBuffer];
    const DWORD length = GetTempPathA(kPathBuffer, buffer);
    return length >= 1 && length < kPathBuffer ? PathFromSystem(buffer, static_cast<int32_t>(length)) : string();
}

string ShellFolderPath(int csidl) {
    IMalloc* allocator = nullptr;
    if (FAILED(SHGetMalloc(&allocator))) return string();
    string path;
    LPITEMIDLIST list = nullptr;
    bool located = SUCCEEDED(SHGetSpecialFolderLocation(nullptr, csidl, &list));
    if (located) {
        if (IsUnicodePlatform()) {
            wchar_t buffer[MAX_PATH];
            if (SHGetPathFromIDListW(list, buffer)) path = PathFromWide(buffer);
        } else {
            char buffer[MAX_PATH];
            if (SHGetPathFromIDListA(list, buffer)) path = PathFromSystem(buffer);
        }
        allocator->Free(list);
    }
    allocator->Release();
    return path;
}

namespace {

string SystemFolderPath(Fallback fallback) {
    if (IsUnicodePlatform()) {
        wchar_t buffer[kPathBuffer];
        const UINT length = fallback == Fallback::System ? GetSystemDirectoryW(buffer, kPathBuffer)
                                                         : GetWindowsDirectoryW(buffer, kPathBuffer);
        return length >= 1 && length < kPathBuffer ? PathFromWide(buffer, static_cast<int32_t>(length)) : string();
    }
    char buffer[kPathBuffer];
    const UINT length = fallback == Fallback::System ? GetSystemDirectoryA(buffer, kPathBuffer)
                                                     : GetWindowsDirectoryA(buffer, kPathBuffer);
    return length >= 1 && length < kPathBuffer ? PathFromSystem(buffer, static_cast<int32_t>(length)) : string();
}

}  // namespace

string SystemDirectoryPath() { return SystemFolderPath(Fallback::System); }

string WindowsDirectoryPath() { return SystemFolderPath(Fallback::Windows); }

FolderItemImp* FolderItemImpWin32::GetParent() const {
    if (mIsRoot) return nullptr;
    const Win32PathParts parts = SplitWin32Path(TextView(mPath));
    if (!parts.directory.empty())
        return new FolderItemImpWin32(Utf8Text(std::string(parts.root).append(parts.directory)));
    if (parts.root.empty()) return nullptr;
    return new FolderItemImpWin32(Utf8Text(std::string(parts.root)), false, true);
}

int32_t FolderItemImpWin32::GetCount() const {
    if (mSealed) return 0;
    int32_t count = 0;
    ForEachEntry(mPath, [&count](const string&) {
        ++count;
        return true;
    });
    return count;
}

FolderItemImp* FolderItemImpWin32::GetItem(int32_t index, uint32_t flags) const {
    if (mSealed || index < 0) return nullptr;
    int32_t counter = -1;
    string found;
    ForEachEntry(mPath, [&](const string& name) {
        if (++counter < index) return true;
        found = name;
        return false;
    });
    if (counter < index) return nullptr;
    FolderItemImpWin32* item = new FolderItemImpWin32(ChildPath(mPath, found));
    if (!flags) return item;
    FolderItemImp* resolved = item->ResolveAlias(flags);
    delete item;
    return resolved;
}

// With the follow flag, a name that is missing while a shortcut of that name with ".lnk" exists
// names the shortcut, as the shell shows shortcuts without their extension.
FolderItemImp* FolderItemImpWin32::GetChild(const string& name, uint32_t flags) const {
    if (mSealed || !IsDirectory()) return nullptr;
    string path = ChildPath(mPath, name);
    if (flags && !PathExists(path)) {
        const string shortcut = StringConcat(path, string(".lnk"));
        if (PathExists(shortcut)) path = shortcut;
    }
    FolderItemImpWin32* item = new FolderItemImpWin32(path);
    if (!flags) return item;
    FolderItemImp* resolved = item->ResolveAlias(flags);
    delete item;
    return resolved;
}

namespace {

// Only a file that begins with the shell-link header (its size, 0x4C, then the class of the shell
// link) can be a shortcut. Anything else is answered without setting up COM and the shell's link
// object, which would refuse it anyway, at many times the cost of reading 20 bytes.
bool HasShellLinkHeader(const string& path) {
    static const unsigned char kHeader[20] = {0x4C, 0, 0, 0, 0x01, 0x14, 0x02, 0, 0, 0,
                                              0,    0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46};
    const SystemPath native(path);
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    HANDLE file = native.IsWide()
                      ? CreateFileW(native.Wide(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr)
                      : CreateFileA(native.Ansi(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    unsigned char header[sizeof kHeader];
    DWORD count = 0;
    const bool read = ReadFile(file, header, sizeof header, &count, nullptr) && count == sizeof header;
    CloseHandle(file);
    return read && std::memcmp(header, kHeader, sizeof header) == 0;
}

}  // namespace

string ResolveShortcut(const FolderItemImpWin32& item, bool resolveFirst) {
    static const CLSID kShellLink = {0x00021401, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
    string answer = item.Path();
    if (!HasShellLinkHeader(answer)) return answer;
    const HRESULT initialized = CoInitialize(nullptr);
    IShellLinkA* link = nullptr;
    if (SUCCEEDED(CoCreateInstance(kShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link)))) {
        IPersistFile* file = nullptr;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            const string wide = item.Path().ToUTF16();
            if (SUCCEEDED(file->Load(wide.WidePointer(), STGM_READ))) {
                if (resolveFirst) link->Resolve(nullptr, 0);
                char buffer[kPathBuffer] = {};
                WIN32_FIND_DATAA data;
                if (SUCCEEDED(link->GetPath(buffer, kPathBuffer, &data, SLGP_SHORTPATH)) && buffer[0])
                    answer = ToLongPathName(PathFromSystem(buffer));
            }
            file->Release();
        }
        link->Release();
    }
    if (SUCCEEDED(initialized)) CoUninitialize();
    return answer;
}

bool FolderItemImpWin32::IsAlias() const {
    return string::CompareNoCase(ResolveShortcut(*this, false), mPath) != 0;
}

FolderItemImp* FolderItemImpWin32::ResolveAlias(uint32_t) {
    return new FolderItemImpWin32(ResolveShortcut(*this, true));
}

FolderItemImp* FolderItemImpWin32::FindFolder(uint32_t code) const {
    if (code == kTrashFolderCode) return new FolderItemImpRecycleBin;
    for (const SpecialFolder& folder : kSpecialFolders) {
        if (folder.code != code) continue;
        string path = folder.csidl < 0 ? TemporaryFolderPath() : ShellFolderPath(folder.csidl);
        if (path.IsEmpty() && folder.fallback != Fallback::None) path = SystemFolderPath(folder.fallback);
        return path.IsEmpty() ? nullptr : new FolderItemImpWin32(path);
    }
    return nullptr;
}

FolderItemImp* FolderItemImp::FindSpecialFolder(uint32_t code) {
    const FolderItemImpWin32 any{string()};
    return any.FindFolder(code);
}

string FolderItemImpWin32::GetURLPath() const {
    std::vector<std::string> entries;
    const FolderItemImp* item = this;
    FolderItemImp* parent = GetParent();
    while (parent) {
        entries.insert(entries.begin(), PercentEncodeName(TextView(item->GetName().ToUTF8())));
        if (item != this) delete item;
        item = parent;
        parent = item->GetParent();
    }
    const string top = item->GetAbsolutePath().ToUTF8();
    const std::string_view topPath = TextView(top);
    entries.insert(entries.begin(), topPath.substr(0, 2) == "\\\\" ? ShareRootURLEntry(topPath)
                                                                 : std::string(TextView(item->GetName().ToUTF8())));
    if (item != this) delete item;
    return Utf8Text(JoinFileURL(entries, IsDirectory()));
}

string FileURLToPath(const string& url, char separator) {
    return Utf8Text(FileURLToPath(TextView(url.ToUTF8()), separator));
}

FolderItemImp* FolderItemImpFromURLPath(const string& url) {
    const string path = FileURLToPath(url, '\\');
    return path.IsEmpty() ? nullptr : new FolderItemImpWin32(path);
}

FolderItemImp* FolderItemImpFromShellPath(const string& path) { return new FolderItemImpWin32(path, true); }
