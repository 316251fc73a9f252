// The folder item of the Windows Recycle Bin, which is no folder of the file system: it answers
// most operations with fixed values, counts its items through the shell's Recycle Bin query and
// lists them through the shell namespace, as disk items that offer no children and no contents.
// It has no path of its own.
#pragma once

#include "FolderItemImpWin32.h"

struct IShellFolder;

class FolderItemImpRecycleBin final : public FolderItemImpWin32 {
public:
    FolderItemImpRecycleBin() = default;
    ~FolderItemImpRecycleBin() override;

    FolderItemImp* Clone() const override { return nullptr; }
    bool Exists() const override { return true; }
    bool IsAlias() const override { return false; }
    bool IsDirectory() const override { return true; }
    bool IsTrash() const override { return true; }
    string GetName() const override;
    bool SetName(const string&) override { return false; }
    string GetAbsolutePath() const override;
    bool GetVisible() const override { return true; }
    bool SetVisible(bool) override { return false; }
    bool GetLocked() const override { return false; }
    bool SetLocked(bool) override { return false; }
    string GetType() const override { return string(); }
    double GetCreationDate() const override { return 0.0; }
    bool SetCreationDate(double) override { return false; }
    double GetModificationDate() const override { return 0.0; }
    bool SetModificationDate(double) override { return false; }
    bool IsReadable() const override { return false; }
    bool IsWriteable() override { return false; }
    int32_t GetLength() const override { return 0; }
    ByteStream* OpenStream(bool, bool, bool = false) override { return nullptr; }
    // The desktop folder.
    FolderItemImp* GetParent() const override { return FindFolder(kDesktopFolderCode); }
    // The items the shell counts in the Recycle Bin of drive C:; 0 when the query fails.
    int32_t GetCount() const override;
    // Items by their place in the shell's listing and by display name in any letter case; the
    // flags are not looked at.
    FolderItemImp* GetItem(int32_t index, uint32_t flags) const override;
    FolderItemImp* GetChild(const string& name, uint32_t flags) const override;
    FolderItemImp* ResolveAlias(uint32_t) override { return nullptr; }
    bool CreateAsFolder() override { return false; }
    ByteStream* CreateStream(const string&) override { return nullptr; }
    bool Delete() override { return false; }
    bool CopyFileTo(FolderItemImp*) override { return false; }
    bool MoveFileTo(FolderItemImp*) override { return false; }
    bool MoveToTrash() override { return false; }
    bool OpenStyledEditField(ObjectHeader*) override { return false; }
    ObjectHeader* OpenAsPicture(int32_t) override { return nullptr; }
    ObjectHeader* OpenAsMovie() override { return nullptr; }
    ObjectHeader* OpenAsSound() override { return nullptr; }
    ObjectHeader* OpenAsJPEG() override { return nullptr; }
    bool SaveAsPicture(ObjectHeader*, int32_t) override { return false; }
    bool SaveAsJPEG(ObjectHeader*) override { return false; }
    bool SaveStyledEditField(ObjectHeader*) override { return false; }

    // FindFolder's code of the desktop folder.
    static constexpr uint32_t kDesktopFolderCode = 1009;

private:
    // The entry at index, or else the first whose display name is name; null when none.
    FolderItemImp* Find(int32_t index, const string& name) const;

    mutable IShellFolder* mDesktopFolder = nullptr;
};

// For tests: the shell's Recycle Bin query as the count sees it. While overridden, query stands
// in for SHQueryRecycleBinA, a null query for a shell that lacks it.
using RecycleBinQuery = long(__stdcall*)(const char* rootPath, void* info);
void OverrideRecycleBinQuery(bool overridden, RecycleBinQuery query);
