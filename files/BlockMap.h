// The block map of a virtual volume: every block the volume has recorded, with its disk offset,
// the idnum of the volume file that owns it (0 = free) and its index in that file's chain.
// Saved into the volume's metadata file as a big-endian image: 'BMap', the entry count, then
// offset, owner and index of each entry, 12 bytes apiece.
#pragma once

#include <cstdint>

#include "core/GuardedMemory.h"
#include "core/IntKeyMap.h"
#include "core/SimpleVector.h"

struct BlockMapEntry {
    uint32_t mOffset;
    uint32_t mOwner;
    uint32_t mBlockIndex;
};

constexpr uint32_t kBlockMapMagic = 0x424D6170;  // 'BMap'
constexpr int32_t kKeepBlockIndex = -1;

class BlockMap : public RuntimeAllocated {
public:
    BlockMap() = default;
    BlockMap(const BlockMap&) = delete;
    BlockMap& operator=(const BlockMap&) = delete;
    ~BlockMap();

    // Appends an entry; a free one (owner 0) counts toward the free blocks.
    bool Add(uint32_t owner, uint32_t offset, uint32_t blockIndex);
    // Updates the first entry at that offset; an index of kKeepBlockIndex keeps its index.
    bool SetOwner(uint32_t offset, uint32_t owner, int32_t blockIndex);
    // The first entry at or after start with that owner and index, and its offset; -1 (offset
    // -1) when there is none.
    int32_t Find(uint32_t owner, int32_t& offset, int32_t start, uint32_t blockIndex) const;
    // A new image (GuardedNew, the caller frees it with GuardedDelete) and its size.
    uint32_t Serialize(unsigned char*& image) const;
    // Appends the entries of an image; false, adding nothing, for a wrong magic or a count that
    // the size cannot hold.
    bool Parse(const unsigned char* image, uint32_t size);
    bool CheckValid() const { return true; }
    // Forgets every entry.
    void Clear();

    uint32_t Count() const { return mEntries.size(); }
    int32_t FreeCount() const { return mFreeCount; }
    const BlockMapEntry& EntryAt(uint32_t index) const { return *mEntries[index]; }

private:
    // Where a file's first block is, the lowest entry with that owner and index 0 (-1 when
    // unknown), and the first entry at each offset: lookups by idnum and offset skip the walk.
    void NoteFirstBlock(uint32_t entry);
    void ForgetFirstBlock(uint32_t entry);

    SimpleVector<BlockMapEntry*> mEntries;
    int32_t mFreeCount = 0;
    IntKeyMap<int32_t>* mFirstBlocks = nullptr;
    IntKeyMap<int32_t>* mOffsets = nullptr;
};
