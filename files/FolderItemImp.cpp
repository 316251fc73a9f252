#include "FolderItemImp.h"

#include <windows.h>

#include "FileStream.h"
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

}  // namespace

FolderItemImp* FolderItemImp::FindFolder(uint32_t code) {
    if (code != kTemporaryFolderCode) return nullptr;
    const string path = TemporaryFolderPath();
    return path.IsEmpty() ? nullptr : new FolderItemImpWin32(path);
}

FolderItemImp* FolderItemImpWin32::Clone() const { return new FolderItemImpWin32(mPath); }

bool FolderItemImpWin32::Exists() const { return AttributesOf(mPath) != INVALID_FILE_ATTRIBUTES; }

string FolderItemImpWin32::GetAbsolutePath() const { return mPath; }

FolderItemImp* FolderItemImpWin32::GetChild(const string& name, uint32_t) const {
    if (name.IsEmpty() || mPath.IsEmpty()) return nullptr;
    const string folder = IsUTF16FamilyEncoding(mPath.Encoding()) ? mPath.ToUTF8() : mPath;
    const char last = folder.CString()[folder.Length() - 1];
    const string separated =
        last == '\\' || last == '/' ? folder : StringConcat(folder, string("\\"));
    return new FolderItemImpWin32(StringConcat(separated, name));
}

ByteStream* FolderItemImpWin32::CreateNewStream(const string&) {
    FileStream* stream = NewDataFile();
    if (stream->CreateNew(mPath)) return stream;
    delete stream;
    return nullptr;
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
