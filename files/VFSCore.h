// The engine of a virtual volume: one disk file holding numbered volume files as chains of blocks.
//
// The disk file starts with the magic 'VFSv' and the format version (3 is written, 1 to 3 are
// read), then blocks back to back: a 28-byte header {'BlkS', owner idnum (0 = free), index in the
// chain, block length, offset of the next block}, the payload and the trailer 'BlkE'. Idnum 1 is
// the metadata file (next idnum, then the saved block map), idnum 2 the root folder; idnums only
// grow. Integers on disk go through the disk stream's swapped typed operations (big-endian);
// header doubles are little-endian in version 1, values written with WriteUInt32 and WriteDouble
// are big-endian only from version 3 on.
//
// Nothing in the file is trusted: a block is used only when its header carries the magic, its
// trailer and a length of at least 32 inside the disk, and every chain step must reach a block of
// the same idnum with the next index, so damaged chains end every walk. The saved block map is a
// hint: a block is reused only when its header on disk says free, a first block only when its
// header says so, and a mismatch rebuilds the map from the blocks (once per opening).
#pragma once

#include <cstdint>

#include "BlockMap.h"
#include "ByteStream.h"
#include "core/GuardedMemory.h"
#include "core/SimpleVector.h"

constexpr uint32_t kVolumeMagic = 0x56465376;   // 'VFSv'
constexpr int32_t kVolumeVersion = 3;
constexpr uint32_t kBlockMagic = 0x426C6B53;    // 'BlkS'
constexpr uint32_t kBlockTrailer = 0x426C6B45;  // 'BlkE'
constexpr int32_t kBlockHeaderSize = 28;
constexpr uint32_t kMetadataIDnum = 1;
constexpr uint32_t kRootDirectoryIDnum = 2;

struct VFSBlockHeader {
    uint32_t mMagic;
    uint32_t mIDnum;
    uint32_t mBlockIndex;
    double mBlockLength;
    double mNextBlock;
};

// One open handle. mPosWithinBlock counts from the block start: 28 is the first payload byte.
struct VFSFileInfo {
    VFSBlockHeader mBlockHeader;
    double mPosition;
    double mBlockStart;
    double mPosWithinBlock;
    double mFirstBlock;
};

// The data length that every stream open on one volume file shares.
struct VFSSharedLength {
    uint32_t idnum;
    int32_t length;
    int32_t users;
};

class VFSCore : public RuntimeAllocated {
public:
    // A new, empty volume written into the stream (truncated first); null only for a null stream.
    // The caller has set the stream's byte swapping and double swapping.
    static VFSCore* Create(ByteStream* disk, bool ownsDisk);
    // Opens the volume in the stream; IsOpen tells whether it was one.
    VFSCore(ByteStream* disk, bool ownsDisk);
    VFSCore(const VFSCore&) = delete;
    VFSCore& operator=(const VFSCore&) = delete;
    // Saves the block map, closes and (when owned) deletes the disk stream.
    virtual ~VFSCore();

    bool IsOpen() const { return mOpen; }
    int32_t Version() const { return mVersion; }
    ByteStream* Disk() const { return mDisk; }
    const BlockMap& Map() const { return mMap; }

    // A new volume file of one block; its idnum, 0 on failure.
    uint32_t CreateFile();
    // Frees the chain of a file that no handle has open.
    bool DeleteFile(uint32_t idnum);
    // A handle at position 0, -1 on failure.
    int16_t OpenFile(uint32_t idnum);
    void CloseFile(int16_t handle);
    bool IsFileOpen(uint32_t idnum) const;
    // Moves within the chain; never beyond the end of the last block's payload.
    bool SeekFile(int16_t handle, double position);
    // True when all requested bytes were read; count comes back as the number read.
    bool ReadFile(int16_t handle, double& count, void* buffer);
    // Extends the chain as needed.
    bool WriteFile(int16_t handle, const void* buffer, double count);
    bool WriteUInt32(int16_t handle, uint32_t value);
    bool WriteDouble(int16_t handle, double value);
    bool ReadUInt32(int16_t handle, uint32_t& value);
    bool ReadDouble(int16_t handle, double& value);
    // Saves the block map and flushes the disk stream.
    void Flush();
    // Saves the block map into the metadata file.
    bool FlushBlockMap();

    // The length record of a file's open streams, made from the stored length by the first.
    VFSSharedLength* AcquireLength(uint32_t idnum, int32_t storedLength);
    void ReleaseLength(VFSSharedLength* shared);

private:
    VFSCore();
    void SetDefaults();
    VFSFileInfo* Record(int16_t handle) const;
    bool ReadBlockHeader(double offset, VFSBlockHeader& header);
    bool WriteBlockHeader(double offset, const VFSBlockHeader& header);
    // A readable header with magic, trailer and a length of at least 32 inside the disk.
    bool ReadValidBlock(double offset, VFSBlockHeader& header);
    // A valid block of that idnum and index; anything else kills the handle's record.
    bool LoadBlockHeader(VFSFileInfo& record, double offset, uint32_t blockIndex);
    bool FindFirstBlock(uint32_t idnum, VFSBlockHeader& header, double& offset);
    // A block owned by that idnum at that index, reused or appended; its offset, -1 on failure.
    double AllocateBlock(double& length, uint32_t owner, uint32_t blockIndex);
    void DecodeHeader(const unsigned char* at, VFSBlockHeader& header) const;
    void EncodeHeader(const VFSBlockHeader& header, unsigned char* bytes) const;
    bool DiskWrite(double offset, const void* bytes, int32_t count);
    static unsigned char* NewBlockCache();
    void RebuildBlockMap();
    // The end of the last valid block, walking from the highest block the map knows; false when
    // that block is not valid.
    bool FindAppendOffset();
    bool StepToNextBlock(VFSFileInfo& record);
    bool ExtendChain(VFSFileInfo& record);
    bool WriteWordAt(double offset, uint32_t value);

    bool mOpen = false;
    ByteStream* mDisk = nullptr;
    bool mOwnsDisk = false;
    double mCounterPosition = -1.0;
    double mSmallestReusable = 256.0;
    double mNewBlockLength = 1024.0;
    double mLargestReusable = 16384.0;
    SimpleVector<VFSFileInfo*> mFiles;
    uint32_t mEmptySlots = 0;
    BlockMap mMap;
    bool mZeroFill = true;
    int32_t mVersion = kVolumeVersion;
    // Where the next appended block goes, and the disk's length as the core left it.
    double mAppendOffset = 0.0;
    double mDiskLength = 0.0;
    bool mRebuilt = false;
    // The last block read whole, by disk offset (-1 when none).
    static constexpr int32_t kCachedBlockBytes = 1024;
    unsigned char* mBlockCache = nullptr;
    double mCachedBlock = -1.0;
    int32_t mCachedLength = 0;
    SimpleVector<VFSSharedLength*> mLengths;
};
