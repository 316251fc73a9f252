#include "SpecialFolders.h"

#include <windows.h>
#include <shlobj.h>

#include "FolderItem.h"
#include "FolderItemImpWin32.h"

namespace {

// A new FolderItem over a path the system gave, taken as it is; nil for no path.
ObjectHeader* ItemForSystemPath(const string& path) {
    return path.IsEmpty() ? nullptr : NewFolderItemForImp(new FolderItemImpWin32(path));
}

ObjectHeader* ShellFolder(int csidl) { return ItemForSystemPath(ShellFolderPath(csidl)); }

// The application-data folder, or the Windows directory on a system without one.
ObjectHeader* ApplicationDataFolder() {
    string path = ShellFolderPath(CSIDL_APPDATA);
    if (path.IsEmpty()) path = WindowsDirectoryPath();
    return ItemForSystemPath(path);
}

int32_t DriveCount(DWORD drives) {
    int32_t count = 0;
    for (; drives; drives &= drives - 1) ++count;
    return count;
}

}  // namespace

extern "C" {

int32_t getVolumeCount() { return DriveCount(GetLogicalDrives()); }

// Drives C: to Z: come first, the floppy drives A: and B: last.
ObjectHeader* getVolume(int32_t index) {
    const DWORD drives = GetLogicalDrives();
    if (index < 0 || index >= DriveCount(drives)) return nullptr;
    int32_t counted = -1;
    for (int32_t step = 0; step < 32; ++step) {
        const int32_t bit = (step + 2) % 32;
        if (!(drives & (DWORD{1} << bit)) || ++counted != index) continue;
        const char root[3] = {static_cast<char>('A' + bit), ':', 0};
        return ItemForSystemPath(string(root));
    }
    return nullptr;
}

ObjectHeader* getAppleMenuFolder() { return ShellFolder(CSIDL_PROGRAMS); }
ObjectHeader* getControlPanelsFolder() { return ShellFolder(CSIDL_CONTROLS); }
ObjectHeader* getDesktopFolder() { return ShellFolder(CSIDL_DESKTOPDIRECTORY); }
ObjectHeader* getExtensionsFolder() { return getSystemFolder(); }
ObjectHeader* getPreferencesFolder() { return ApplicationDataFolder(); }
ObjectHeader* getStartupItemsFolder() { return ShellFolder(CSIDL_STARTUP); }
ObjectHeader* getShutdownItemsFolder() { return nullptr; }
ObjectHeader* getApplicationSupportFolder() { return ApplicationDataFolder(); }
ObjectHeader* getFontsFolder() { return ShellFolder(CSIDL_FONTS); }
ObjectHeader* getTrashFolder() { return NewFolderItemForImp(FolderItemImp::FindSpecialFolder(kTrashFolderCode)); }
ObjectHeader* getSystemFolder() { return ItemForSystemPath(SystemDirectoryPath()); }
ObjectHeader* getTemporaryItemsFolder() { return ItemForSystemPath(TemporaryFolderPath()); }
ObjectHeader* GetDocumentsFolder() { return ShellFolder(CSIDL_PERSONAL); }
ObjectHeader* getTemporaryFolderItem() { return NewFolderItemForImp(FolderItemImp::NewTemporaryFile()); }

}  // extern "C"
