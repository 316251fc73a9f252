// The folder hierarchy inside a virtual volume. Every file and folder is one volume file whose
// first 256 bytes are its entry header; the data follows. A folder's data is its child count and
// the children's idnums. The root is idnum 2, named "/".
//
// Entry header (numbers through VFSCore::WriteUInt32 and WriteDouble, so big-endian from version 3
// on): 0 data length (double), 8 type (four-character code, 'fold' for folders), 12 parent idnum
// (0 for the root), 16 creation date, 24 modification date (doubles, seconds since 1904 in local
// time), 32 the name: at most 223 bytes, zero-padded to 224.
//
// Entries are values; every operation opens the volume file by idnum afresh, so a stale entry
// simply fails.
#pragma once

#include <cstdint>
#include <string_view>

#include "VFSCore.h"
#include "core/GuardedMemory.h"
#include "core/SimpleVector.h"

class VolumeFileStream;

constexpr uint32_t kFolderType = 0x666F6C64;       // 'fold'
constexpr uint32_t kBuildingFolderType = 0x74656D70;  // 'temp', a folder under construction
constexpr uint32_t kUnknownFileType = 0x3F3F3F3F;  // '????'
constexpr int32_t kEntryHeaderSize = 256;
constexpr int32_t kEntryNameOffset = 32;
constexpr int32_t kEntryNameField = 224;
constexpr size_t kMaxEntryNameBytes = 223;

// A reference to an entry; type 0 is the empty entry, meaning no such item. The name is bytes,
// zero-terminated.
struct VHFSEntry {
    uint32_t idnum = 0;
    char name[kEntryNameField] = {};
    uint32_t type = 0;

    bool IsEmpty() const { return type == 0; }
    bool IsFolder() const { return type == kFolderType; }
    bool IsFile() const { return type != 0 && type != kFolderType; }
    std::string_view Name() const { return name; }
    // Keeps the first 223 bytes, up to a zero byte.
    void SetName(std::string_view text);
};

struct VHFSEntryInfo {
    VHFSEntry entry;
    double creationDate = 0.0;
    double modificationDate = 0.0;
    double dataLength = 0.0;
};

// The current time as seconds since 1904-01-01 in local time, for new entries' dates.
double VolumeCurrentSeconds();

class VHFS : public RuntimeAllocated {
public:
    // A new volume in the stream with its root folder; null when no core can be made.
    static VHFS* Create(ByteStream* disk, bool ownsDisk);
    // Opens the volume in the stream.
    VHFS(ByteStream* disk, bool ownsDisk);
    VHFS(const VHFS&) = delete;
    VHFS& operator=(const VHFS&) = delete;
    virtual ~VHFS();

    bool IsOpen() const { return mCore && mCore->IsOpen(); }
    VFSCore* Core() const { return mCore; }

    VHFSEntry GetRootEntry();
    // Fills type and name from the header of the entry's idnum; unchanged when it cannot.
    void LoadEntry(VHFSEntry& entry);
    // The empty entry for the root or on failure.
    VHFSEntry GetParentEntry(const VHFSEntry& entry);
    // The children in stored order.
    bool ListFolder(const VHFSEntry& folder, SimpleVector<VHFSEntry>& children);
    VHFSEntry CreateEntry(const VHFSEntry& folder, std::string_view name, uint32_t type);
    VHFSEntry CreateFolder(const VHFSEntry& folder, std::string_view name);
    // An empty folder or a closed file, never the root.
    bool DeleteEntry(const VHFSEntry& entry);
    // Refuses to move a folder into itself or below itself.
    bool MoveEntry(const VHFSEntry& entry, const VHFSEntry& folder);
    bool RenameEntry(VHFSEntry& entry, std::string_view name);
    // True when the folder is the entry or lies below it.
    bool IsInside(const VHFSEntry& folder, const VHFSEntry& entry);
    bool SetEntryType(VHFSEntry& entry, uint32_t type);
    VHFSEntryInfo GetEntryInfo(const VHFSEntry& entry);
    bool SetEntryInfo(const VHFSEntryInfo& info);
    // A stream over a file's data, positioned at its start; null for anything else.
    VolumeFileStream* OpenEntryStream(const VHFSEntry& entry);

    bool AddToFolder(const VHFSEntry& child, const VHFSEntry& folder);
    // Fails, changing nothing, when the folder does not list the child.
    bool RemoveFromFolder(const VHFSEntry& child, const VHFSEntry& folder);

private:
    VHFS() = default;
    VHFSEntry MakeEntry(const VHFSEntry& folder, std::string_view name, uint32_t type);
    bool WriteName(int16_t handle, std::string_view name);
    // The child count, refused when the data length cannot hold it.
    bool ReadChildCount(int16_t handle, uint32_t& count);
    uint32_t ParentIDnum(uint32_t idnum);

    VFSCore* mCore = nullptr;
};
