#include "BlockMap.h"

#include "core/FailureReport.h"

namespace {

void PutBig32(unsigned char* at, uint32_t value) {
    at[0] = static_cast<unsigned char>(value >> 24);
    at[1] = static_cast<unsigned char>(value >> 16);
    at[2] = static_cast<unsigned char>(value >> 8);
    at[3] = static_cast<unsigned char>(value);
}

uint32_t GetBig32(const unsigned char* at) {
    return (uint32_t(at[0]) << 24) | (uint32_t(at[1]) << 16) | (uint32_t(at[2]) << 8) | at[3];
}

// Block offsets step by the block length, which would put them all in one bucket of the integer
// map; folding the high bits in (reversibly) spreads them.
uint32_t OffsetKey(uint32_t offset) { return offset ^ (offset >> 10); }

}  // namespace

BlockMap::~BlockMap() { Clear(); }

void BlockMap::Clear() {
    for (uint32_t i = 0; i < mEntries.size(); ++i) GuardedDelete(mEntries[i]);
    mEntries = SimpleVector<BlockMapEntry*>();
    mFreeCount = 0;
    delete mFirstBlocks;
    delete mOffsets;
    mFirstBlocks = nullptr;
    mOffsets = nullptr;
}

void BlockMap::NoteFirstBlock(uint32_t index) {
    const BlockMapEntry* entry = mEntries.mBuf[index];
    if (entry->mOwner == 0 || entry->mBlockIndex != 0) return;
    if (!mFirstBlocks) mFirstBlocks = new IntKeyMap<int32_t>();
    int32_t known = -1;
    if (!mFirstBlocks->GetEntry(entry->mOwner, known) || known < 0 || static_cast<uint32_t>(known) > index)
        mFirstBlocks->SetEntry(entry->mOwner, static_cast<int32_t>(index));
}

void BlockMap::ForgetFirstBlock(uint32_t index) {
    const BlockMapEntry* entry = mEntries.mBuf[index];
    int32_t known = -1;
    if (mFirstBlocks && entry->mOwner != 0 && mFirstBlocks->GetEntry(entry->mOwner, known) &&
        known == static_cast<int32_t>(index))
        mFirstBlocks->SetEntry(entry->mOwner, -1);
}

bool BlockMap::Add(uint32_t owner, uint32_t offset, uint32_t blockIndex) {
    auto* entry = static_cast<BlockMapEntry*>(GuardedNew(sizeof(BlockMapEntry)));
    *entry = {offset, owner, blockIndex};
    mEntries.push_back(entry);
    if (owner == 0) ++mFreeCount;
    const uint32_t index = mEntries.size() - 1;
    if (!mOffsets) mOffsets = new IntKeyMap<int32_t>();
    int32_t known = -1;
    if (!mOffsets->GetEntry(OffsetKey(offset), known)) mOffsets->SetEntry(OffsetKey(offset), static_cast<int32_t>(index));
    NoteFirstBlock(index);
    return CheckValid();
}

bool BlockMap::SetOwner(uint32_t offset, uint32_t owner, int32_t blockIndex) {
    int32_t found = -1;
    if (!mOffsets || !mOffsets->GetEntry(OffsetKey(offset), found)) return true;
    {
        const uint32_t i = static_cast<uint32_t>(found);
        BlockMapEntry* entry = mEntries.mBuf[i];
        ForgetFirstBlock(i);
        if (entry->mOwner == 0 && owner != 0)
            --mFreeCount;
        else if (entry->mOwner != 0 && owner == 0)
            ++mFreeCount;
        entry->mOwner = owner;
        if (blockIndex != kKeepBlockIndex) entry->mBlockIndex = static_cast<uint32_t>(blockIndex);
        NoteFirstBlock(i);
        return CheckValid();
    }
}

int32_t BlockMap::Find(uint32_t owner, int32_t& offset, int32_t start, uint32_t blockIndex) const {
    int32_t known = -1;
    if (owner != 0 && blockIndex == 0 && start <= 0 && mFirstBlocks && mFirstBlocks->GetEntry(owner, known) &&
        known >= 0) {
        offset = static_cast<int32_t>(mEntries.mBuf[known]->mOffset);
        return known;
    }
    for (uint32_t i = start < 0 ? 0 : static_cast<uint32_t>(start); i < mEntries.size(); ++i) {
        const BlockMapEntry* entry = mEntries[i];
        if (entry->mOwner == owner && entry->mBlockIndex == blockIndex) {
            offset = static_cast<int32_t>(entry->mOffset);
            return static_cast<int32_t>(i);
        }
    }
    offset = -1;
    return -1;
}

uint32_t BlockMap::Serialize(unsigned char*& image) const {
    const uint32_t size = 12 * mEntries.size() + 8;
    image = static_cast<unsigned char*>(GuardedNew(size));
    PutBig32(image, kBlockMapMagic);
    PutBig32(image + 4, mEntries.size());
    unsigned char* at = image + 8;
    for (uint32_t i = 0; i < mEntries.size(); ++i, at += 12) {
        PutBig32(at, mEntries[i]->mOffset);
        PutBig32(at + 4, mEntries[i]->mOwner);
        PutBig32(at + 8, mEntries[i]->mBlockIndex);
    }
    return size;
}

bool BlockMap::Parse(const unsigned char* image, uint32_t size) {
    if (!image) {
        ReportAssertion("BlockMap", __LINE__, "buffer");
        return false;
    }
    if (size < 8 || GetBig32(image) != kBlockMapMagic) return false;
    const uint32_t count = GetBig32(image + 4);
    // Divided rather than multiplied, so a huge count cannot wrap past the test.
    if (count > (size - 8) / 12) return false;
    for (uint32_t i = 0; i < count; ++i) {
        const unsigned char* at = image + 8 + 12 * i;
        Add(GetBig32(at + 4), GetBig32(at), GetBig32(at + 8));
    }
    return CheckValid();
}
