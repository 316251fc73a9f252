#include "FolderItemImpRecycleBin.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include "PathMarshalling.h"
#include "core/Exceptions.h"

static_assert(sizeof(SHQUERYRBINFO) == 20, "the Recycle Bin query record is packed for 32-bit programs");

namespace {

using StrRetToStrFunction = HRESULT(WINAPI*)(STRRET*, LPCITEMIDLIST, LPSTR*);

bool gQueryOverridden = false;
RecycleBinQuery gQuery = nullptr;

template <typename Function>
Function LookUp(HMODULE library, const char* name) {
    return library ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name))) : nullptr;
}

// The display name of a listed item, in the system encoding as the shell gives it.
string DisplayName(IShellFolder* folder, LPCITEMIDLIST item) {
    STRRET name{};
    if (FAILED(folder->GetDisplayNameOf(item, SHGDN_INFOLDER, &name))) return string();
    const HMODULE shlwapi = LoadLibraryA("Shlwapi.dll");
    const auto toText = LookUp<StrRetToStrFunction>(shlwapi, "StrRetToStrA");
    char* text = nullptr;
    const bool converted = toText && SUCCEEDED(toText(&name, item, &text));
    if (shlwapi) FreeLibrary(shlwapi);
    if (!toText) {
        RaiseExceptionWithMessage(ServiceNotAvailableException(),
                                  string("StrRetToStr requires Win 98 (or Win 95 & IE 5.0 or greater) or Win2k "
                                         "(or NT 4 with IE 5.0 or greater)"),
                                  0);
        return string();
    }
    if (!converted) return string();
    const string answer = PathFromSystem(text);
    CoTaskMemFree(text);
    return answer;
}

}  // namespace

void OverrideRecycleBinQuery(bool overridden, RecycleBinQuery query) {
    gQueryOverridden = overridden;
    gQuery = query;
}

FolderItemImpRecycleBin::~FolderItemImpRecycleBin() {
    if (mDesktopFolder) mDesktopFolder->Release();
}

string FolderItemImpRecycleBin::GetName() const { return string("Recycle Bin"); }

string FolderItemImpRecycleBin::GetAbsolutePath() const {
    FolderItemImp* desktop = FindFolder(kDesktopFolderCode);
    if (!desktop) return string();
    const string path = StringConcat(StringConcat(desktop->GetAbsolutePath(), GetName()), string("\\"));
    delete desktop;
    return path;
}

int32_t FolderItemImpRecycleBin::GetCount() const {
    const HMODULE shell = LoadLibraryA("Shell32.dll");
    const RecycleBinQuery query =
        gQueryOverridden ? gQuery : LookUp<RecycleBinQuery>(shell, "SHQueryRecycleBinA");
    SHQUERYRBINFO info{};
    info.cbSize = sizeof info;
    // A failed query leaves the record unfilled: nothing is counted then.
    const bool counted = query && SUCCEEDED(query("c:\\", &info));
    if (shell) FreeLibrary(shell);
    if (!query) {
        RaiseExceptionWithMessage(ServiceNotAvailableException(),
                                  string("SHQueryRecycleBin requires Windows 95/NT4 with IE greater than 4.0"), 0);
        return 0;
    }
    return counted ? static_cast<int32_t>(info.i64NumItems) : 0;
}

FolderItemImp* FolderItemImpRecycleBin::GetItem(int32_t index, uint32_t) const { return Find(index, string()); }

FolderItemImp* FolderItemImpRecycleBin::GetChild(const string& name, uint32_t) const { return Find(-1, name); }

FolderItemImp* FolderItemImpRecycleBin::Find(int32_t index, const string& name) const {
    if (!mDesktopFolder && FAILED(SHGetDesktopFolder(&mDesktopFolder))) {
        mDesktopFolder = nullptr;
        return nullptr;
    }
    LPITEMIDLIST location = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_BITBUCKET, &location))) return nullptr;
    IShellFolder* bin = nullptr;
    const HRESULT bound = mDesktopFolder->BindToObject(location, nullptr, IID_IShellFolder, reinterpret_cast<void**>(&bin));
    CoTaskMemFree(location);
    if (FAILED(bound) || !bin) return nullptr;
    IEnumIDList* entries = nullptr;
    if (FAILED(bin->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, &entries)) || !entries) {
        bin->Release();
        return nullptr;
    }
    FolderItemImp* found = nullptr;
    LPITEMIDLIST entry = nullptr;
    ULONG fetched = 0;
    for (int32_t at = 0; !found && entries->Next(1, &entry, &fetched) == S_OK && fetched == 1 && entry; ++at) {
        const string entryName = DisplayName(bin, entry);
        CoTaskMemFree(entry);
        if (ExceptionInFlight()) break;
        if ((index != -1 && index == at) || string::CompareNoCase(entryName, name) == 0) {
            auto* item = new FolderItemImpWin32(StringConcat(GetAbsolutePath(), entryName));
            item->Seal();
            found = item;
        }
    }
    entries->Release();
    bin->Release();
    return found;
}
