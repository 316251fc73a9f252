#include <windows.h>

#include "FolderItemImp.h"
#include "core/Platform.h"
#include "values/EncodingConversion.h"

// The executable's full path with its last component replaced by the relative path.
FolderItemImp* FolderItemImp::RelativeToExecutable(const string& relative) {
    string path;
    if (IsUnicodePlatform()) {
        wchar_t buffer[MAX_PATH + 1];
        const DWORD length = GetModuleFileNameW(nullptr, buffer, MAX_PATH + 1);
        if (length == 0 || length > MAX_PATH) return nullptr;
        string wide;
        wide.SetWideText(reinterpret_cast<const uint16_t*>(buffer), static_cast<int32_t>(length));
        path = wide.ToUTF8();
    } else {
        char buffer[MAX_PATH + 1];
        const DWORD length = GetModuleFileNameA(nullptr, buffer, MAX_PATH + 1);
        if (length == 0 || length > MAX_PATH) return nullptr;
        path.SetBytes(buffer, static_cast<int32_t>(length));
        path.SetEncoding(SystemTextEncoding());
        path = path.ToUTF8();
    }
    int32_t folderEnd = path.Length();
    while (folderEnd > 0 && path.CString()[folderEnd - 1] != '\\' && path.CString()[folderEnd - 1] != '/')
        --folderEnd;
    string folder = LeftBytes(path, folderEnd);
    if (!relative.IsEmpty()) folder = StringConcat(folder, relative.ToUTF8());
    folder.SetEncoding(kEncodingUTF8);
    return folder.IsEmpty() ? nullptr : new FolderItemImpWin32(folder);
}
