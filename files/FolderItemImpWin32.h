// The folder-item implementation for files and folders of the Windows file system.
//
// The item is its path, UTF-8, in its long form where the file system gives one, with one
// trailing backslash dropped: a drive root is stored as "D:", a share root as "\\server\share",
// and the root flag makes them answer as folders. Each operation asks the file system afresh;
// failing operations that record errors leave a FolderItem error code (Win32PathText.h) or a
// platform error number in LastError().
#pragma once

#include "FolderItemImp.h"

class FolderItemImpWin32 : public FolderItemImp {
public:
    // With relativeToApplication, the path is taken relative to the executable's folder (an
    // absolute path stays as it is). isRoot marks a root the text does not show as one. When
    // failed is given, it is set when the path cannot be examined for any reason but that the
    // item does not exist, and left alone otherwise.
    explicit FolderItemImpWin32(const string& path, bool relativeToApplication = false,
                                bool isRoot = false, bool* failed = nullptr);
    ~FolderItemImpWin32() override = default;

    FolderItemImp& Assign(const FolderItemImp& other) override;
    FolderItemImp* Clone() const override;
    bool Exists() const override;
    bool IsAlias() const override;
    bool IsDirectory() const override;
    string GetName() const override;
    bool SetName(const string& name) override;
    string GetAbsolutePath() const override;
    bool GetExtensionVisible() const override;
    bool GetVisible() const override;
    bool SetVisible(bool visible) override;
    bool GetLocked() const override;
    bool SetLocked(bool locked) override;
    string GetType() const override;
    // SaveInfo.cpp: the data of this item, written as SaveInfoRecord.h lays it out.
    string GetSaveInfo(const FolderItemImp* relativeTo, int32_t mode) const override;
    string GetShellPath() const override;
    string GetURLPath() const override;
    double GetCreationDate() const override;
    bool SetCreationDate(double seconds) override;
    double GetModificationDate() const override;
    bool SetModificationDate(double seconds) override;
    int32_t GetNumericTag() const override { return mNumericTag; }
    bool SetNumericTag(int32_t tag) override;
    bool IsReadable() const override;
    int32_t GetLength() const override;
    ByteStream* OpenStream(bool read, bool write, bool createMissing = false) override;
    FolderItemImp* GetParent() const override;
    FolderItemImp* FindFolder(uint32_t code) const override;
    int32_t GetCount() const override;
    FolderItemImp* GetItem(int32_t index, uint32_t flags) const override;
    FolderItemImp* GetChild(const string& name, uint32_t flags) const override;
    FolderItemImp* ResolveAlias(uint32_t flags) override;
    void RevealInShell() override;
    bool CreateAsFolder() override;
    ByteStream* CreateStream(const string& fileType) override;
    bool Delete() override;
    bool CopyFileTo(FolderItemImp* destination) override;
    bool MoveFileTo(FolderItemImp* destination) override;
    bool Launch(const string& parameters, bool activate) override;
    bool MoveToTrash() override;
    ByteStream* CreateNewStream(const string& fileType) override;
    bool DeleteUnlessOpen() override;

    const string& Path() const { return mPath; }
    bool IsRoot() const { return mIsRoot; }
    // Items handed out by the Recycle Bin and items made from SaveInfo offer no children and no
    // contents.
    void Seal() { mSealed = true; }

    // A new item whose path is taken exactly as given, neither looked up nor lengthened, as
    // SaveInfo data stores it.
    static FolderItemImpWin32* WithStoredPath(const string& path, bool isRoot, bool sealed);

protected:
    // An item without a path, for implementations that have none of their own.
    FolderItemImpWin32() = default;

private:
    // The error code of a Windows error number, kept in LastError().
    void StoreWin32Error(uint32_t code) { mLastError = MapWin32Error(code); }

    int32_t mNumericTag = 0;
    string mPath;
    bool mIsRoot = false;
    bool mCreated = false;
    bool mSealed = false;
};

// Path texts (UTF-8) through the file system.
string ToLongPathName(const string& path);
// The folder that holds the executable: D:\App for D:\App\run.exe, D:\ for D:\run.exe.
string ApplicationFolderPath();
// The target of a shortcut file (resolved first when asked), or the item's own path when it is
// none or its target cannot be had.
string ResolveShortcut(const FolderItemImpWin32& item, bool resolveFirst);
// The path a file URL names, with the separator; empty for any other text.
string FileURLToPath(const string& url, char separator);
// Items of the disk made from a file URL (null when it names no path) and from a shell path.
FolderItemImp* FolderItemImpFromURLPath(const string& url);
FolderItemImp* FolderItemImpFromShellPath(const string& path);
// Folders the system names, UTF-8, empty when it names none: a shell folder by its CSIDL, the
// system and the Windows directories, and the temporary folder with its trailing backslash.
string ShellFolderPath(int csidl);
string SystemDirectoryPath();
string WindowsDirectoryPath();
string TemporaryFolderPath();
