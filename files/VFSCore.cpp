#include "VFSCore.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/FailureReport.h"

namespace {

constexpr const char* kSource = "VFSCore";
constexpr int32_t kLogLevel = 10;
constexpr double kFirstBlockOffset = 8.0;
constexpr double kMetadataBlockLength = 40.0;
constexpr double kSmallestBlock = 32.0;
constexpr int16_t kMostHandles = 0x7FFF;

uint32_t Swap32(uint32_t v) {
    return (v >> 24) | ((v >> 8) & 0xFF00) | ((v << 8) & 0xFF0000) | (v << 24);
}

void ReverseBytes(unsigned char* bytes, int n) {
    for (int i = 0; i < n / 2; ++i) {
        const unsigned char t = bytes[i];
        bytes[i] = bytes[n - 1 - i];
        bytes[n - 1 - i] = t;
    }
}

// Disk positions go to the stream as 32-bit integers, truncated toward zero.
int32_t DiskPosition(double offset) { return static_cast<int32_t>(offset); }

bool InsideDisk(double offset, double length, double diskLength) {
    return offset >= kFirstBlockOffset && offset + length <= diskLength && offset < 2147483647.0;
}

}  // namespace

VFSCore::VFSCore() { SetDefaults(); }

unsigned char* VFSCore::NewBlockCache() { return static_cast<unsigned char*>(GuardedNew(kCachedBlockBytes)); }

void VFSCore::SetDefaults() {
    mOpen = false;
    mDisk = nullptr;
    mOwnsDisk = false;
    mCounterPosition = -1.0;
    mMap.Clear();
    mZeroFill = true;
    mSmallestReusable = 256.0;
    mNewBlockLength = 1024.0;
    mLargestReusable = 16384.0;
    mVersion = kVolumeVersion;
    if (!mBlockCache) mBlockCache = NewBlockCache();
    mCachedBlock = -1.0;
}

VFSCore* VFSCore::Create(ByteStream* disk, bool ownsDisk) {
    if (!disk) {
        ReportAssertion(kSource, __LINE__, "diskFile");
        return nullptr;
    }
    disk->SetLength(0);
    auto* core = new VFSCore();
    // Held even when the first writes fail, so that the core closes (and deletes) it.
    core->mDisk = disk;
    core->mOwnsDisk = ownsDisk;
    disk->SetPosition(0);
    if (!disk->WriteInt32(static_cast<int32_t>(kVolumeMagic)) || !disk->WriteInt32(kVolumeVersion))
        return core;
    core->mDiskLength = 8.0;
    const VFSBlockHeader metadata = {kBlockMagic, kMetadataIDnum, 0, kMetadataBlockLength, 0.0};
    bool ok = core->WriteBlockHeader(kFirstBlockOffset, metadata);
    core->mCounterPosition = kFirstBlockOffset + kBlockHeaderSize;
    ok = ok && disk->WriteInt32(2) && disk->WriteInt32(0) &&
         disk->WriteInt32(static_cast<int32_t>(kBlockTrailer));
    core->mDiskLength = kFirstBlockOffset + kMetadataBlockLength;
    core->mAppendOffset = core->mDiskLength;
    core->mOpen = ok;
    return core;
}

VFSCore::VFSCore(ByteStream* disk, bool ownsDisk) {
    SetDefaults();
    if (!disk) {
        ReportAssertion(kSource, __LINE__, "diskFile");
        return;
    }
    disk->SetPosition(0);
    int32_t magic = 0;
    int32_t version = 0;
    bool good = disk->ReadInt32(magic) && static_cast<uint32_t>(magic) == kVolumeMagic;
    if (!good) {
        DebugLog("Invalid magic code for VFS volume file.", kLogLevel);
    } else {
        good = disk->ReadInt32(version) && version <= kVolumeVersion;
        if (!good) DebugLog("VFS volume format version is too advanced for me.", kLogLevel);
        disk->SetSwapDoubles(version != 1);
        mVersion = version;
    }
    if (!good) {
        if (ownsDisk) delete disk;
        return;
    }
    mDisk = disk;
    mOwnsDisk = ownsDisk;
    mOpen = true;
    mDiskLength = disk->Length();

    VFSBlockHeader metadata;
    if (!ReadValidBlock(kFirstBlockOffset, metadata) || metadata.mIDnum != kMetadataIDnum ||
        metadata.mBlockIndex != 0 || metadata.mBlockLength < 36.0) {
        DebugLog("VFS volume metadata (idnum 1) header is invalid.", kLogLevel);
        mOpen = false;
        return;
    }
    mCounterPosition = kFirstBlockOffset + kBlockHeaderSize;

    // The saved map's size word is big-endian whatever the version; a size the disk cannot hold
    // is damage, not an allocation to attempt.
    bool parsed = false;
    uint32_t size = 0;
    const int16_t handle = OpenFile(kMetadataIDnum);
    if (handle >= 0) {
        unsigned char word[4];
        double count = 4;
        if (SeekFile(handle, 4) && ReadFile(handle, count, word)) {
            size = (uint32_t(word[0]) << 24) | (uint32_t(word[1]) << 16) | (uint32_t(word[2]) << 8) | word[3];
            if (size >= 8 && size <= mDiskLength) {
                auto* image = static_cast<unsigned char*>(GuardedNew(size));
                count = size;
                parsed = ReadFile(handle, count, image) && mMap.Parse(image, size);
                GuardedDelete(image);
            }
        }
        CloseFile(handle);
    }
    if (parsed && FindAppendOffset()) {
        char line[96];
        std::snprintf(line, sizeof line, "The VirtualVolume contains a valid block map of size: %u",
                      static_cast<unsigned>(size));
        DebugLog(line, kLogLevel);
        return;
    }
    DebugLog("The VirtualVolume does not contain a valid block map", kLogLevel);
    RebuildBlockMap();
    FlushBlockMap();
}

VFSCore::~VFSCore() {
    if (mOpen) FlushBlockMap();
    if (mDisk) {
        mDisk->Close();
        if (mOwnsDisk) delete mDisk;
        mDisk = nullptr;
    }
    for (uint32_t i = 0; i < mFiles.size(); ++i) GuardedDelete(mFiles[i]);
    for (uint32_t i = 0; i < mLengths.size(); ++i) GuardedDelete(mLengths[i]);
    GuardedDelete(mBlockCache);
}

// --- block headers ---

void VFSCore::DecodeHeader(const unsigned char* at, VFSBlockHeader& header) const {
    unsigned char bytes[kBlockHeaderSize];
    std::memcpy(bytes, at, kBlockHeaderSize);
    const bool swapInts = mDisk->SwapsBytes();
    uint32_t words[3];
    std::memcpy(words, bytes, sizeof words);
    if (swapInts)
        for (uint32_t& word : words) word = Swap32(word);
    if (swapInts && mDisk->SwapsDoubles()) {
        ReverseBytes(bytes + 12, 8);
        ReverseBytes(bytes + 20, 8);
    }
    header.mMagic = words[0];
    header.mIDnum = words[1];
    header.mBlockIndex = words[2];
    std::memcpy(&header.mBlockLength, bytes + 12, 8);
    std::memcpy(&header.mNextBlock, bytes + 20, 8);
}

void VFSCore::EncodeHeader(const VFSBlockHeader& header, unsigned char* bytes) const {
    uint32_t words[3] = {header.mMagic, header.mIDnum, header.mBlockIndex};
    const bool swapInts = mDisk->SwapsBytes();
    if (swapInts)
        for (uint32_t& word : words) word = Swap32(word);
    std::memcpy(bytes, words, sizeof words);
    std::memcpy(bytes + 12, &header.mBlockLength, 8);
    std::memcpy(bytes + 20, &header.mNextBlock, 8);
    if (swapInts && mDisk->SwapsDoubles()) {
        ReverseBytes(bytes + 12, 8);
        ReverseBytes(bytes + 20, 8);
    }
}

bool VFSCore::DiskWrite(double offset, const void* bytes, int32_t count) {
    mCachedBlock = -1.0;
    return mDisk->SetPosition(DiskPosition(offset)) && mDisk->Write(bytes, count);
}

bool VFSCore::ReadBlockHeader(double offset, VFSBlockHeader& header) {
    unsigned char bytes[kBlockHeaderSize];
    int32_t count = 0;
    if (!mDisk->SetPosition(DiskPosition(offset)) || !mDisk->Read(bytes, kBlockHeaderSize, &count) ||
        count != kBlockHeaderSize)
        return false;
    DecodeHeader(bytes, header);
    return true;
}

bool VFSCore::WriteBlockHeader(double offset, const VFSBlockHeader& header) {
    unsigned char bytes[kBlockHeaderSize];
    EncodeHeader(header, bytes);
    return DiskWrite(offset, bytes, kBlockHeaderSize);
}

// One read takes in a whole block of the usual sizes, header and trailer included, and keeps it
// for the payload reads that follow; any write forgets it.
bool VFSCore::ReadValidBlock(double offset, VFSBlockHeader& header) {
    if (!InsideDisk(offset, kBlockHeaderSize, mDiskLength)) return false;
    if (offset == mCachedBlock) {
        DecodeHeader(mBlockCache, header);
        return true;
    }
    const double left = mDiskLength - offset;
    const int32_t want = left < kCachedBlockBytes ? static_cast<int32_t>(left) : kCachedBlockBytes;
    int32_t count = 0;
    mCachedBlock = -1.0;
    if (!mDisk->SetPosition(DiskPosition(offset)) || !mDisk->Read(mBlockCache, want, &count) ||
        count < kBlockHeaderSize)
        return false;
    DecodeHeader(mBlockCache, header);
    const double length = header.mBlockLength;
    if (header.mMagic != kBlockMagic || !(length >= kSmallestBlock) || !InsideDisk(offset, length, mDiskLength))
        return false;
    uint32_t trailer = 0;
    if (length <= count) {
        std::memcpy(&trailer, mBlockCache + static_cast<int32_t>(length) - 4, 4);
        if (mDisk->SwapsBytes()) trailer = Swap32(trailer);
        if (trailer != kBlockTrailer) return false;
        mCachedBlock = offset;
        mCachedLength = static_cast<int32_t>(length);
        return true;
    }
    int32_t word = 0;
    return mDisk->SetPosition(DiskPosition(offset + length - 4)) && mDisk->ReadInt32(word) &&
           static_cast<uint32_t>(word) == kBlockTrailer;
}

bool VFSCore::LoadBlockHeader(VFSFileInfo& record, double offset, uint32_t blockIndex) {
    const uint32_t idnum = record.mBlockHeader.mIDnum;
    VFSBlockHeader header;
    if (!ReadValidBlock(offset, header) || header.mIDnum != idnum || header.mBlockIndex != blockIndex) {
        record.mBlockHeader.mIDnum = 0;
        return false;
    }
    record.mBlockHeader = header;
    record.mBlockStart = offset;
    record.mPosWithinBlock = kBlockHeaderSize;
    return true;
}

bool VFSCore::WriteWordAt(double offset, uint32_t value) {
    mCachedBlock = -1.0;
    return mDisk->SetPosition(DiskPosition(offset)) && mDisk->WriteInt32(static_cast<int32_t>(value));
}

// --- the block map ---

void VFSCore::RebuildBlockMap() {
    mMap.Clear();
    mRebuilt = true;
    double offset = kFirstBlockOffset;
    VFSBlockHeader header;
    // Each step moves on by at least 32 bytes inside the disk, so the walk ends.
    while (ReadValidBlock(offset, header)) {
        mMap.Add(header.mIDnum, static_cast<uint32_t>(offset), header.mIDnum ? header.mBlockIndex : 0);
        offset += header.mBlockLength;
    }
    mAppendOffset = offset;
}

bool VFSCore::FindAppendOffset() {
    double offset = kFirstBlockOffset;
    for (uint32_t i = 0; i < mMap.Count(); ++i)
        if (mMap.EntryAt(i).mOffset > offset) offset = mMap.EntryAt(i).mOffset;
    VFSBlockHeader header;
    if (!ReadValidBlock(offset, header)) return false;
    do offset += header.mBlockLength;
    while (ReadValidBlock(offset, header));
    mAppendOffset = offset;
    return true;
}

bool VFSCore::FlushBlockMap() {
    if (!mOpen) return false;
    unsigned char* image = nullptr;
    const uint32_t size = mMap.Serialize(image);
    bool ok = false;
    const int16_t handle = OpenFile(kMetadataIDnum);
    if (handle >= 0) {
        const unsigned char word[4] = {static_cast<unsigned char>(size >> 24),
                                       static_cast<unsigned char>(size >> 16),
                                       static_cast<unsigned char>(size >> 8),
                                       static_cast<unsigned char>(size)};
        ok = SeekFile(handle, 4) && WriteFile(handle, word, 4) && WriteFile(handle, image, size);
        CloseFile(handle);
    }
    GuardedDelete(image);
    return ok;
}

void VFSCore::Flush() {
    FlushBlockMap();
    if (mDisk) mDisk->Flush();
}

bool VFSCore::FindFirstBlock(uint32_t idnum, VFSBlockHeader& header, double& offset) {
    if (idnum == kMetadataIDnum) {
        offset = kFirstBlockOffset;
        while (ReadValidBlock(offset, header)) {
            if (header.mIDnum == kMetadataIDnum && header.mBlockIndex == 0) return true;
            offset += header.mBlockLength;
        }
        return false;
    }
    if (idnum == 0) return false;
    for (int attempt = 0; attempt < 2; ++attempt) {
        int32_t found = -1;
        if (mMap.Find(idnum, found, 0, 0) >= 0) {
            offset = static_cast<uint32_t>(found);
            if (ReadValidBlock(offset, header) && header.mIDnum == idnum && header.mBlockIndex == 0)
                return true;
        }
        // The saved map may predate the file or a reuse of its block: ask the blocks themselves.
        if (mRebuilt) return false;
        RebuildBlockMap();
    }
    return false;
}

double VFSCore::AllocateBlock(double& length, uint32_t owner, uint32_t blockIndex) {
    length = 0.0;
    if (!mOpen) return -1.0;
    VFSBlockHeader header;
    for (int32_t index = -1; mMap.FreeCount() > 0;) {
        int32_t found = -1;
        index = mMap.Find(0, found, index + 1, 0);
        if (index < 0) break;
        const double offset = static_cast<uint32_t>(found);
        const bool valid = ReadValidBlock(offset, header);
        if (valid && header.mIDnum == 0) {
            if (header.mBlockLength >= mSmallestReusable && header.mBlockLength <= mLargestReusable) {
                const VFSBlockHeader owned = {kBlockMagic, owner, blockIndex, header.mBlockLength, 0.0};
                if (!WriteBlockHeader(offset, owned)) return -1.0;
                mMap.SetOwner(static_cast<uint32_t>(offset), owner, static_cast<int32_t>(blockIndex));
                length = header.mBlockLength;
                return offset;
            }
            continue;
        }
        // A stale map must never hand out a live block: learn the truth once, then search again.
        if (!mRebuilt) {
            RebuildBlockMap();
            index = -1;
        } else if (valid) {
            mMap.SetOwner(static_cast<uint32_t>(offset), header.mIDnum, static_cast<int32_t>(header.mBlockIndex));
        }
    }

    // A new block at the end, whole in one write: header, zeroed payload and trailer.
    const double end = mAppendOffset;
    if (end + mNewBlockLength > 2147483647.0 || mNewBlockLength > kCachedBlockBytes) return -1.0;
    const int32_t size = static_cast<int32_t>(mNewBlockLength);
    std::memset(mBlockCache, 0, static_cast<size_t>(size));
    const VFSBlockHeader fresh = {kBlockMagic, owner, blockIndex, mNewBlockLength, 0.0};
    EncodeHeader(fresh, mBlockCache);
    uint32_t trailer = mDisk->SwapsBytes() ? Swap32(kBlockTrailer) : kBlockTrailer;
    std::memcpy(mBlockCache + size - 4, &trailer, 4);
    if (!DiskWrite(end, mBlockCache, size)) return -1.0;
    mMap.Add(owner, static_cast<uint32_t>(end), owner ? blockIndex : 0);
    mAppendOffset = end + mNewBlockLength;
    if (mAppendOffset > mDiskLength) mDiskLength = mAppendOffset;
    length = mNewBlockLength;
    return end;
}

// --- files ---

uint32_t VFSCore::CreateFile() {
    if (!mOpen) return 0;
    int32_t next = 0;
    if (!mDisk->SetPosition(DiskPosition(mCounterPosition)) || !mDisk->ReadInt32(next)) return 0;
    const uint32_t idnum = static_cast<uint32_t>(next);
    // 0 and 1 are not file numbers, and the counter never wraps onto used ones.
    if (idnum < kRootDirectoryIDnum || idnum == 0xFFFFFFFFu) return 0;
    if (!WriteWordAt(mCounterPosition, idnum + 1)) return 0;
    double length = 0.0;
    return AllocateBlock(length, idnum, 0) < 0 ? 0 : idnum;
}

bool VFSCore::IsFileOpen(uint32_t idnum) const {
    for (uint32_t i = 0; i < mFiles.size(); ++i)
        if (mFiles[i] && mFiles[i]->mBlockHeader.mIDnum == idnum) return true;
    return false;
}

bool VFSCore::DeleteFile(uint32_t idnum) {
    if (!mOpen || idnum <= kMetadataIDnum || IsFileOpen(idnum)) return false;
    VFSFileInfo record;
    double offset = 0;
    if (!FindFirstBlock(idnum, record.mBlockHeader, offset)) return false;
    // Every step needs the next index of the same file, so a cycle ends the walk.
    for (;;) {
        if (!WriteWordAt(offset + 4, 0)) return false;
        mMap.SetOwner(static_cast<uint32_t>(offset), 0, 0);
        const double next = record.mBlockHeader.mNextBlock;
        if (!(next > 0) || !LoadBlockHeader(record, next, record.mBlockHeader.mBlockIndex + 1)) break;
        offset = next;
    }
    return true;
}

int16_t VFSCore::OpenFile(uint32_t idnum) {
    if (!mOpen) return -1;
    uint32_t slot = mFiles.size();
    if (mEmptySlots > 0)
        for (uint32_t i = mFiles.size(); i-- > 0;)
            if (!mFiles.mBuf[i]) {
                slot = i;
                break;
            }
    // The table never shrinks, so only a table without an empty slot is full.
    if (slot >= static_cast<uint32_t>(kMostHandles)) return -1;
    VFSBlockHeader header;
    double offset = 0;
    if (!FindFirstBlock(idnum, header, offset)) return -1;
    auto* record = static_cast<VFSFileInfo*>(GuardedNew(sizeof(VFSFileInfo)));
    *record = {header, 0.0, offset, static_cast<double>(kBlockHeaderSize), offset};
    if (slot == mFiles.size()) {
        mFiles.push_back(record);
    } else {
        mFiles.mBuf[slot] = record;
        --mEmptySlots;
    }
    return static_cast<int16_t>(slot);
}

VFSFileInfo* VFSCore::Record(int16_t handle) const {
    if (!mOpen || handle < 0 || static_cast<uint32_t>(handle) >= mFiles.size()) return nullptr;
    return mFiles.mBuf[handle];
}

void VFSCore::CloseFile(int16_t handle) {
    VFSFileInfo* record = Record(handle);
    if (!record) return;
    GuardedDelete(record);
    mFiles.mBuf[handle] = nullptr;
    ++mEmptySlots;
}

bool VFSCore::StepToNextBlock(VFSFileInfo& record) {
    const double next = record.mBlockHeader.mNextBlock;
    return next > 0 && LoadBlockHeader(record, next, record.mBlockHeader.mBlockIndex + 1);
}

bool VFSCore::SeekFile(int16_t handle, double target) {
    VFSFileInfo* record = Record(handle);
    if (!record || record->mBlockHeader.mIDnum == 0) return false;
    VFSFileInfo& f = *record;
    if (!(target >= 0)) return false;
    target = std::floor(target);
    if (target == f.mPosition) return true;
    double first = f.mPosition - f.mPosWithinBlock + kBlockHeaderSize;
    double end = f.mPosition + f.mBlockHeader.mBlockLength - f.mPosWithinBlock - 4;
    if (target < first) {
        if (!LoadBlockHeader(f, f.mFirstBlock, 0)) return false;
        f.mPosition = 0;
        first = 0;
        end = f.mBlockHeader.mBlockLength - kBlockHeaderSize - 4;
        if (target == 0) return true;
    }
    while (end <= target) {
        if (!(f.mBlockHeader.mNextBlock > 0)) {
            if (target > end) return false;
            break;
        }
        if (!StepToNextBlock(f)) return false;
        f.mPosition = end;
        first = end;
        end = f.mPosition + f.mBlockHeader.mBlockLength - kBlockHeaderSize - 4;
    }
    f.mPosWithinBlock += target - f.mPosition;
    f.mPosition = target;
    if (!(f.mPosWithinBlock >= kBlockHeaderSize && f.mPosWithinBlock <= f.mBlockHeader.mBlockLength - 4))
        ReportAssertion(kSource, __LINE__,
                        "finfo->mPosWithinBlock >= kBlockHeaderSize and finfo->mPosWithinBlock < "
                        "finfo->mBlockStart + finfo->mBlockHeader.mBlockLength - 4");
    return true;
}

bool VFSCore::ReadFile(int16_t handle, double& count, void* buffer) {
    if (!mOpen) return false;
    if (!buffer) {
        ReportAssertion(kSource, __LINE__, "ioBytes and outBuffer");
        return false;
    }
    VFSFileInfo* record = Record(handle);
    if (!record) return false;
    if (!(count >= 1)) return true;
    // Whole bytes only, so every pass moves on.
    double wanted = std::floor(count);
    count = 0;
    VFSFileInfo& f = *record;
    if (f.mBlockHeader.mIDnum == 0) return false;
    auto* out = static_cast<unsigned char*>(buffer);
    for (;;) {
        const double left = f.mBlockHeader.mBlockLength - f.mPosWithinBlock - 4;
        const double n = wanted < left ? wanted : left;
        if (n > 0) {
            int32_t got = 0;
            const int32_t bytes = static_cast<int32_t>(n);
            const int32_t within = static_cast<int32_t>(f.mPosWithinBlock);
            if (f.mBlockStart == mCachedBlock && within + bytes <= mCachedLength) {
                std::memcpy(out, mBlockCache + within, static_cast<size_t>(bytes));
            } else if (!mDisk->SetPosition(DiskPosition(f.mBlockStart + f.mPosWithinBlock)) ||
                       !mDisk->Read(out, bytes, &got) || got != bytes) {
                // A short disk read fails the transfer rather than leaving the handle between bytes.
                return false;
            }
            out += bytes;
            count += bytes;
            f.mPosWithinBlock += bytes;
            f.mPosition += bytes;
            wanted -= bytes;
            if (wanted <= 0) return true;
        }
        if (!StepToNextBlock(f)) return false;
    }
}

bool VFSCore::ExtendChain(VFSFileInfo& f) {
    // Another handle on the same file may have linked a block here since this one looked.
    VFSBlockHeader current = f.mBlockHeader;
    uint32_t handles = 0;
    for (uint32_t i = 0; i < mFiles.size(); ++i)
        if (mFiles.mBuf[i] && mFiles.mBuf[i]->mBlockHeader.mIDnum == current.mIDnum) ++handles;
    if (handles > 1 && (!ReadBlockHeader(f.mBlockStart, current) || current.mIDnum != f.mBlockHeader.mIDnum ||
                        current.mBlockIndex != f.mBlockHeader.mBlockIndex)) {
        f.mBlockHeader.mIDnum = 0;
        return false;
    }
    if (current.mNextBlock > 0) {
        f.mBlockHeader.mNextBlock = current.mNextBlock;
        return StepToNextBlock(f);
    }
    // The new block is whole and owned before the chain links it: a crash in between leaves an
    // orphan block, never a broken chain.
    double length = 0.0;
    const uint32_t index = current.mBlockIndex + 1;
    const double offset = AllocateBlock(length, current.mIDnum, index);
    if (offset < 0) return false;
    current.mNextBlock = offset;
    if (!WriteBlockHeader(f.mBlockStart, current)) return false;
    f.mBlockHeader = {kBlockMagic, current.mIDnum, index, length, 0.0};
    f.mBlockStart = offset;
    f.mPosWithinBlock = kBlockHeaderSize;
    return true;
}

bool VFSCore::WriteFile(int16_t handle, const void* buffer, double count) {
    VFSFileInfo* record = Record(handle);
    if (!record || record->mBlockHeader.mIDnum == 0) return false;
    if (!(count >= 1)) return true;
    VFSFileInfo& f = *record;
    auto* in = static_cast<const unsigned char*>(buffer);
    double remaining = std::floor(count);
    for (;;) {
        const double left = f.mBlockHeader.mBlockLength - f.mPosWithinBlock - 4;
        const double n = remaining < left ? remaining : left;
        if (n > 0) {
            const int32_t bytes = static_cast<int32_t>(n);
            if (!DiskWrite(f.mBlockStart + f.mPosWithinBlock, in, bytes)) return false;
            in += bytes;
            f.mPosWithinBlock += bytes;
            f.mPosition += bytes;
            remaining -= bytes;
            if (remaining <= 0) return true;
        }
        const bool stepped = f.mBlockHeader.mNextBlock > 0 ? StepToNextBlock(f) : ExtendChain(f);
        if (!stepped) return false;
    }
}

// --- typed values: big-endian from version 3 on, little-endian before ---

bool VFSCore::WriteUInt32(int16_t handle, uint32_t value) {
    unsigned char bytes[4];
    std::memcpy(bytes, &value, 4);
    if (mVersion >= 3) ReverseBytes(bytes, 4);
    return WriteFile(handle, bytes, 4);
}

bool VFSCore::WriteDouble(int16_t handle, double value) {
    unsigned char bytes[8];
    std::memcpy(bytes, &value, 8);
    if (mVersion >= 3) ReverseBytes(bytes, 8);
    return WriteFile(handle, bytes, 8);
}

bool VFSCore::ReadUInt32(int16_t handle, uint32_t& value) {
    unsigned char bytes[4];
    double count = 4;
    if (!ReadFile(handle, count, bytes)) return false;
    if (mVersion >= 3) ReverseBytes(bytes, 4);
    std::memcpy(&value, bytes, 4);
    return true;
}

bool VFSCore::ReadDouble(int16_t handle, double& value) {
    unsigned char bytes[8];
    double count = 8;
    if (!ReadFile(handle, count, bytes)) return false;
    if (mVersion >= 3) ReverseBytes(bytes, 8);
    std::memcpy(&value, bytes, 8);
    return true;
}

// --- lengths shared by the streams of one file ---

VFSSharedLength* VFSCore::AcquireLength(uint32_t idnum, int32_t storedLength) {
    for (uint32_t i = 0; i < mLengths.size(); ++i)
        if (mLengths[i]->idnum == idnum) {
            ++mLengths[i]->users;
            return mLengths[i];
        }
    auto* shared = static_cast<VFSSharedLength*>(GuardedNew(sizeof(VFSSharedLength)));
    *shared = {idnum, storedLength, 1};
    mLengths.push_back(shared);
    return shared;
}

void VFSCore::ReleaseLength(VFSSharedLength* shared) {
    if (!shared || --shared->users > 0) return;
    for (uint32_t i = 0; i < mLengths.size(); ++i)
        if (mLengths[i] == shared) {
            mLengths.remove_at(i);
            break;
        }
    GuardedDelete(shared);
}
