// The folder-item implementation of files and folders inside a virtual volume. Like a path on
// disk, an item is a name inside a folder and may name nothing yet: every operation looks the name
// up in the folder again, ignoring case. Only the root (and a parent that is the root) is held
// resolved. The item holds the VirtualVolume object, which keeps the volume open.
#pragma once

#include "FolderItemImp.h"
#include "VHFS.h"

class FolderItemImpVirtual final : public FolderItemImp {
public:
    // An item for the root entry of the volume; any other entry is a failed assertion and gives
    // an empty item.
    FolderItemImpVirtual(ObjectHeader* volume, const VHFSEntry& root);
    ~FolderItemImpVirtual() override;

    FolderItemImp& Assign(const FolderItemImp& other) override;
    FolderItemImp* Clone() const override;
    bool Exists() const override;
    bool IsDirectory() const override;
    bool IsVirtual() const override { return true; }
    string GetName() const override { return mName; }
    bool SetName(const string& name) override;
    string GetAbsolutePath() const override;
    string GetType() const override;
    uint32_t GetMacType() const override;
    bool SetMacType(uint32_t code) override;
    double GetCreationDate() const override;
    bool SetCreationDate(double seconds) override;
    double GetModificationDate() const override;
    bool SetModificationDate(double seconds) override;
    int32_t GetMacDirID() const override;
    int32_t GetLength() const override;
    bool SetLength(int32_t length) override;
    ByteStream* OpenStream(bool read, bool write, bool createMissing = false) override;
    FolderItemImp* GetParent() const override;
    int32_t GetCount() const override;
    FolderItemImp* GetItem(int32_t index, uint32_t flags) const override;
    FolderItemImp* GetChild(const string& name, uint32_t flags) const override;
    bool CreateAsFolder() override;
    ByteStream* CreateStream(const string& fileType) override;
    bool Delete() override;
    bool MoveFileTo(FolderItemImp* destination) override;

    ObjectHeader* VolumeObject() const { return mVolume; }

private:
    FolderItemImpVirtual(ObjectHeader* volume, const string& name, const VHFSEntry& entry, bool resolved);
    VHFS* Volume() const;
    // The item's own entry; the empty entry when it does not exist.
    VHFSEntry ResolveEntry() const;
    bool SetDate(bool creation, double seconds);
    // Ends a failed operation: 101 when the item does not exist, else the volume's one code.
    bool Failed(const VHFSEntry& entry);

    ObjectHeader* mVolume = nullptr;
    string mName;
    VHFSEntry mEntry;  // resolved: the item's entry; otherwise the folder holding it
    bool mResolved = false;
};

// The code of a failed operation on an existing item inside a volume.
constexpr int32_t kVolumeOperationFailed = 102;
