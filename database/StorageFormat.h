// The byte layout of built-in database files: a 64-byte header, then pages of 8,192 bytes holding
// the entries of B-trees (catalog leaves, table leaves and branches). Every integer in the file is
// big-endian. This header fixes the constants, the raw accessors and the key encoding shared by
// the page store and the tree layer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

using StorageBytes = std::vector<uint8_t>;

constexpr uint32_t kStoreMagic = 0xFEEDDBDB;
constexpr uint32_t kStoreVersion = 1;
constexpr uint32_t kStoreHeaderSize = 64;
constexpr uint32_t kPageSize = 8192;
constexpr uint32_t kPageHeaderSize = 18;
constexpr uint32_t kPageDataSize = kPageSize - kPageHeaderSize;  // 8,174

// Header words (byte offsets).
constexpr uint32_t kHeaderMagic = 0;
constexpr uint32_t kHeaderVersion = 4;
constexpr uint32_t kHeaderCounter = 8;
constexpr uint32_t kHeaderOpenFlag = 12;
constexpr uint32_t kHeaderNextId = 16;
constexpr uint32_t kHeaderCatalogRoot = 20;

// Page header fields (byte offsets in the page).
constexpr uint32_t kPageTag = 0;
constexpr uint32_t kPageOrigin = 4;
constexpr uint32_t kPageStamp = 8;
constexpr uint32_t kPagePrevChanged = 12;
constexpr uint32_t kPageUsed = 16;

constexpr uint32_t kTagCatalogLeaf = 0xBEEF0002;
constexpr uint32_t kTagTableLeaf = 0xBEEF0003;
constexpr uint32_t kTagBranch = 0x0001BEEF;
constexpr uint32_t kNoPage = 0xFFFFFFFF;

constexpr uint32_t kEntryHeaderSize = 6;
constexpr uint8_t kMarkLive = 'A';
constexpr uint8_t kMarkDeleted = 'D';
constexpr uint32_t kBranchEntryFixed = 12;
constexpr uint32_t kCatalogEntryFixed = 18;
constexpr uint32_t kRowFixed = 10;

// Column type codes of the engine interface.
enum StorageType : uint8_t {
    kStoreNull = 0,
    kStoreShort = 2,
    kStoreLong = 3,
    kStoreText = 5,
    kStoreFloat = 6,
    kStoreDouble = 7,
    kStoreDate = 8,
    kStoreTime = 9,
    kStoreBoolean = 12,
    kStoreBinary = 14,
    kStoreLongText = 15,
    kStoreLongBinary = 16,
};

// Blob rows: chunks of at most 4,000 bytes, lists of at most 500 references.
constexpr uint32_t kBlobChunk = 4000;
constexpr uint32_t kBlobListCapacity = 500;
constexpr uint32_t kBlobKindData = 0;
constexpr uint32_t kBlobKindList = 1;

inline uint16_t Load16(const uint8_t* p) { return uint16_t(p[0] << 8 | p[1]); }
inline uint32_t Load32(const uint8_t* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}
inline void Store16(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v >> 8);
    p[1] = uint8_t(v);
}
inline void Store32(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v >> 24);
    p[1] = uint8_t(v >> 16);
    p[2] = uint8_t(v >> 8);
    p[3] = uint8_t(v);
}

// The mark word: the big-endian transaction number whose first byte is the mark letter, so the
// entry keeps the low 24 bits of the transaction.
inline void StoreMark(uint8_t* entry, uint8_t mark, uint32_t transaction) {
    Store32(entry + 2, transaction);
    entry[2] = mark;
}
inline uint32_t MarkTransaction(const uint8_t* entry) { return Load32(entry + 2) & 0xFFFFFF; }

// The sort weight of every byte of text keys; a permutation of 0-255.
extern const uint8_t kCollationWeights[256];

// The width of a stored column value (after its number and type bytes) at value, of which avail
// bytes are in the row; -1 for an unknown type or a value that runs past the row.
int32_t StoredValueWidth(uint8_t type, const uint8_t* value, uint32_t avail);

// Appends the key part of a stored value (the bytes after the column number and type, the text
// length word included) of the given type; false for a type without a key rule.
bool AppendKeyPart(StorageBytes& key, uint8_t type, const uint8_t* value);

// Unsigned byte order; a prefix sorts first.
int CompareKeys(const uint8_t* a, uint32_t aLength, const uint8_t* b, uint32_t bLength);

// The catalog key of a name: 0x01, 0x01, the collated name, 0x00.
void CatalogKey(StorageBytes& key, const uint8_t* name, uint32_t length);
