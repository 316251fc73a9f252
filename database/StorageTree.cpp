#include "StorageTree.h"

#include <algorithm>
#include <cstring>
#include <unordered_set>

#include "core/FailureReport.h"

namespace {

// Deeper paths can only come from branch pages that lead back to themselves.
constexpr size_t kMaxDepth = 32;

// The key of a row of a table without key columns, read as a big-endian number: the row id's
// bytes in reverse order, least significant first.
uint32_t RowIdKey(const uint8_t* row) {
    return uint32_t(row[9]) << 24 | uint32_t(row[8]) << 16 | uint32_t(row[7]) << 8 | row[6];
}

void StoreRowIdKey(StorageBytes& key, uint32_t id) {
    key.clear();
    for (int i = 0; i < 4; ++i) key.push_back(uint8_t(id >> (8 * i)));
}

bool EqualNoCase(const uint8_t* a, uint32_t aLength, const uint8_t* b, uint32_t bLength) {
    if (aLength != bLength) return false;
    for (uint32_t i = 0; i < aLength; ++i) {
        uint8_t x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x -= 32;
        if (y >= 'a' && y <= 'z') y -= 32;
        if (x != y) return false;
    }
    return true;
}

// The stored (big-endian) bytes of a value, for keys.
uint32_t StoredBytes(const ColumnValue& value, uint8_t* out) {
    switch (value.type) {
    case kStoreShort: Store16(out, uint16_t(value.shortValue)); return 2;
    case kStoreLong:
    case kStoreLongText:
    case kStoreLongBinary: Store32(out, uint32_t(value.longValue)); return 4;
    case kStoreFloat: {
        uint32_t bits;
        std::memcpy(&bits, &value.floatValue, 4);
        Store32(out, bits);
        return 4;
    }
    case kStoreDouble: {
        uint64_t bits;
        std::memcpy(&bits, &value.doubleValue, 8);
        Store32(out, uint32_t(bits >> 32));
        Store32(out + 4, uint32_t(bits));
        return 8;
    }
    case kStoreDate:
    case kStoreTime:
        for (int i = 0; i < 3; ++i) Store16(out + 2 * i, value.parts[i]);
        return 6;
    case kStoreBoolean: out[0] = value.booleanValue; return 1;
    default: return 0;
    }
}

const ColumnValue* FindValue(const ColumnValue* values, size_t count, uint8_t column) {
    for (size_t i = 0; i < count; ++i)
        if (values[i].column == column) return &values[i];
    return nullptr;
}

}  // namespace

const char kSysTables[] = "sys$tables";
const char kSysFields[] = "sys$fields";
const char kSysBlob[] = "sys$blob";

void ReportStorageDamage(int32_t line, const char* condition) {
    ReportAssertion("qvdbTamble", line, condition);
}

int32_t StoredColumn::AsInt() const {
    if (type == kStoreShort) return int16_t(Load16(value));
    if (type == kStoreLong || type == kStoreLongText || type == kStoreLongBinary)
        return int32_t(Load32(value));
    return 0;
}

double StoredColumn::AsDouble() const {
    if (type == kStoreFloat) {
        const uint32_t bits = Load32(value);
        float result;
        std::memcpy(&result, &bits, 4);
        return result;
    }
    if (type == kStoreDouble) {
        const uint64_t bits = uint64_t(Load32(value)) << 32 | Load32(value + 4);
        double result;
        std::memcpy(&result, &bits, 8);
        return result;
    }
    return AsInt();
}

StorageBytes BuildRow(const ColumnValue* values, size_t count) {
    size_t size = kRowFixed;
    for (size_t i = 0; i < count; ++i) {
        const uint8_t type = values[i].type;
        if (type == kStoreText || type == kStoreBinary)
            size += 6 + values[i].length;
        else if (type != kStoreNull) {
            uint8_t scratch[8];
            const uint32_t width = StoredBytes(values[i], scratch);
            if (width) size += 2 + width;
        }
    }
    StorageBytes row(size);
    uint8_t* out = row.data() + kRowFixed;
    for (size_t i = 0; i < count; ++i) {
        const ColumnValue& value = values[i];
        if (value.type == kStoreText || value.type == kStoreBinary) {
            *out++ = value.column;
            *out++ = value.type;
            Store32(out, value.length);
            if (value.length) std::memcpy(out + 4, value.bytes, value.length);
            out += 4 + value.length;
        } else if (value.type != kStoreNull) {
            const uint32_t width = StoredBytes(value, out + 2);
            if (!width) continue;
            out[0] = value.column;
            out[1] = value.type;
            out += 2 + width;
        }
    }
    if (size_t(out - row.data()) != size) ReportStorageDamage(__LINE__, "offset == size");
    Store16(row.data(), size > 0xFFFF ? 0xFFFF : uint32_t(size));
    return row;
}

StorageBytes BuildKey(const ColumnValue* values, size_t count, const uint8_t* keyColumns,
                      size_t keyCount) {
    StorageBytes key;
    for (size_t k = 0; k < keyCount; ++k) {
        const ColumnValue* value = FindValue(values, count, keyColumns[k]);
        if (!value || value->type == kStoreNull) {
            key.push_back(0x00);
        } else if (value->type == kStoreText || value->type == kStoreBinary) {
            key.push_back(0x01);
            for (uint32_t i = 0; i < value->length; ++i)
                key.push_back(kCollationWeights[value->bytes[i]]);
            key.push_back(0x00);
        } else {
            uint8_t stored[8];
            if (StoredBytes(*value, stored)) AppendKeyPart(key, value->type, stored);
        }
    }
    return key;
}

bool FindColumnInRow(const uint8_t* row, uint32_t length, uint8_t column, StoredColumn& out) {
    out = StoredColumn();
    uint32_t offset = kRowFixed;
    while (offset < length) {
        if (length - offset < 2) {
            ReportStorageDamage(__LINE__, "0");
            return false;
        }
        const uint8_t type = row[offset + 1];
        const int32_t width = StoredValueWidth(type, row + offset + 2, length - offset - 2);
        if (width < 0) {
            ReportStorageDamage(__LINE__, "0");
            return false;
        }
        if (row[offset] == column) {
            out.type = type;
            const bool sized = type == kStoreText || type == kStoreBinary;
            out.value = row + offset + 2 + (sized ? 4 : 0);
            out.length = uint32_t(width) - (sized ? 4 : 0);
            return true;
        }
        offset += 2 + uint32_t(width);
    }
    return true;
}

bool RowKey(const uint8_t* row, uint32_t length, const uint8_t* keyColumns, size_t keyCount,
            StorageBytes& key) {
    key.clear();
    if (length < kRowFixed) {
        ReportStorageDamage(__LINE__, "0");
        return false;
    }
    if (!keyCount) {
        StoreRowIdKey(key, Load32(row + 6));
        return true;
    }
    for (size_t k = 0; k < keyCount; ++k) {
        StoredColumn column;
        if (!FindColumnInRow(row, length, keyColumns[k], column)) return false;
        if (column.type == kStoreNull) {
            key.push_back(0x00);
            continue;
        }
        const bool sized = column.type == kStoreText || column.type == kStoreBinary;
        if (!AppendKeyPart(key, column.type, column.value - (sized ? 4 : 0))) {
            ReportStorageDamage(__LINE__, "0");
            return false;
        }
    }
    return true;
}

TreeCursor::TreeCursor(PageStore& store) : mStore(store) {}

TreeCursor::TreeCursor(PageStore& store, StorageBytes catalogName, std::vector<uint8_t> keyColumns,
                       const KeyRange* range)
    : mStore(store), mCatalogName(std::move(catalogName)), mKeyColumns(std::move(keyColumns)) {
    if (range) {
        mHasRange = true;
        mRange = *range;
    }
}

TreeCursor::~TreeCursor() {
    ReleaseValue();
    if (!mParked.empty() || mParkedFileLength) FinishPending();
    mStore.RemovePending(this);
}

CachedPage* TreeCursor::Load(uint32_t number, size_t depth) {
    if (depth >= kMaxDepth) {
        ReportStorageDamage(__LINE__, "0");
        return nullptr;
    }
    CachedPage* page = mStore.LoadPage(number);
    if (!page) return nullptr;
    const uint32_t tag = page->Tag();
    if ((tag != kTagBranch && tag != LeafTag()) || page->Used() > kPageDataSize) {
        mStore.ReleasePage(page);
        ReportStorageDamage(__LINE__, "0");
        return nullptr;
    }
    return page;
}

bool TreeCursor::EntryLength(CachedPage* page, uint32_t offset, uint32_t& length) {
    const uint32_t used = page->Used();
    const uint32_t minimum = page->Tag() == kTagBranch   ? kBranchEntryFixed
                             : page->Tag() == kTagTableLeaf ? kRowFixed
                                                          : kCatalogEntryFixed;
    if (offset + 2 <= used) {
        length = Load16(page->Data() + offset);
        if (length >= minimum && length <= used - offset) return true;
    }
    ReportStorageDamage(__LINE__, "0");
    return false;
}

// The catalog's root is in the header; a table's in its catalog entry, looked up again only when
// some root may have moved.
bool TreeCursor::RootPage(uint32_t& root) {
    if (IsCatalog()) {
        root = mStore.CatalogRoot();
        return true;
    }
    if (mRoot != kNoPage && mRootEpoch == mStore.RootEpoch()) {
        root = mRoot;
        return true;
    }
    TreeCursor catalog(mStore);
    StorageBytes key;
    CatalogKey(key, mCatalogName.data(), uint32_t(mCatalogName.size()));
    bool found = false;
    uint32_t length;
    if (!catalog.Search(key.data(), uint32_t(key.size()), &found) || !found) return false;
    const uint8_t* entry = catalog.Entry(&length);
    if (!entry) return false;
    mRoot = root = Load32(entry + 10);
    mRootEpoch = mStore.RootEpoch();
    return true;
}

bool TreeCursor::Reset() {
    ReleaseValue();
    mPath.clear();
    mFresh = true;
    mEnded = false;
    uint32_t root;
    if (!RootPage(root)) return false;
    mPath.push_back({root, 0});
    return true;
}

bool TreeCursor::EntryKey(uint32_t tag, const uint8_t* entry, uint32_t length,
                          const uint8_t*& key, uint32_t& keyLength) {
    if (tag == kTagBranch) {
        key = entry + kBranchEntryFixed;
        keyLength = length - kBranchEntryFixed;
        return true;
    }
    if (tag == kTagCatalogLeaf) {
        const uint32_t nameLength = Load32(entry + 14);
        if (nameLength > length - kCatalogEntryFixed) {
            ReportStorageDamage(__LINE__, "0");
            return false;
        }
        CatalogKey(mKey, entry + kCatalogEntryFixed, nameLength);
    } else if (!RowKey(entry, length, mKeyColumns.data(), mKeyColumns.size(), mKey)) {
        return false;
    }
    key = mKey.data();
    keyLength = uint32_t(mKey.size());
    return true;
}

bool TreeCursor::Search(const uint8_t* key, uint32_t keyLength, bool* found) {
    if (found) *found = false;
    if (!Reset()) return false;
    for (;;) {
        Level& level = mPath.back();
        CachedPage* page = Load(level.page, mPath.size());
        if (!page) return false;
        const uint32_t tag = page->Tag();
        const uint8_t* data = page->Data();
        const uint32_t used = page->Used();
        int64_t last = -1;
        uint32_t offset = 0;
        while (offset < used) {
            uint32_t length;
            if (!EntryLength(page, offset, length)) {
                mStore.ReleasePage(page);
                return false;
            }
            const uint8_t* entry = data + offset;
            if (entry[2] != kMarkDeleted) {
                const uint8_t* entryKey;
                uint32_t entryKeyLength;
                if (!EntryKey(tag, entry, length, entryKey, entryKeyLength)) {
                    mStore.ReleasePage(page);
                    return false;
                }
                const int order = CompareKeys(key, keyLength, entryKey, entryKeyLength);
                if (order <= 0) {
                    if (order == 0 && tag != kTagBranch && found) *found = true;
                    break;
                }
                last = offset;
            }
            offset += length;
        }
        if (tag != kTagBranch) {
            level.offset = offset;
            mStore.ReleasePage(page);
            return true;
        }
        // A separator equal to the key is not taken: equal keys may also end the left child.
        const uint32_t through = last >= 0 ? uint32_t(last) : offset;
        if (through >= used) {
            mStore.ReleasePage(page);
            return false;
        }
        level.offset = through;
        const uint32_t child = Load32(data + through + 8);
        mStore.ReleasePage(page);
        mPath.push_back({child, 0});
    }
}

bool TreeCursor::Next() {
    ReleaseValue();
    if (mEnded || (mPath.empty() && !Reset())) return false;
    while (!mPath.empty()) {
        CachedPage* page = Load(mPath.back().page, mPath.size());
        if (!page) return false;
        uint32_t length;
        if (mPath.back().offset < page->Used() && !mFresh) {
            if (!EntryLength(page, mPath.back().offset, length)) {
                mStore.ReleasePage(page);
                return false;
            }
            mPath.back().offset += length;
        }
        mFresh = false;
        while (mPath.back().offset >= page->Used()) {
            mStore.ReleasePage(page);
            mPath.pop_back();
            if (mPath.empty()) {
                mEnded = true;
                return false;
            }
            page = Load(mPath.back().page, mPath.size());
            if (!page) return false;
            if (!EntryLength(page, mPath.back().offset, length)) {
                mStore.ReleasePage(page);
                return false;
            }
            mPath.back().offset += length;
        }
        if (page->Tag() != kTagBranch) {
            mStore.ReleasePage(page);
            return true;
        }
        if (!EntryLength(page, mPath.back().offset, length)) {
            mStore.ReleasePage(page);
            return false;
        }
        const uint32_t child = Load32(page->Data() + mPath.back().offset + 8);
        mStore.ReleasePage(page);
        if (mPath.size() >= kMaxDepth) {
            ReportStorageDamage(__LINE__, "0");
            return false;
        }
        mPath.push_back({child, 0});
        CachedPage* childPage = Load(child, mPath.size());
        if (!childPage) return false;
        mFresh = childPage->Used() > 0;
        mStore.ReleasePage(childPage);
    }
    return false;
}

const uint8_t* TreeCursor::Entry(uint32_t* length) {
    if (mPath.empty()) return nullptr;
    if (!mHeld) {
        mHeld = Load(mPath.back().page, mPath.size());
        if (!mHeld) return nullptr;
    }
    uint32_t entryLength;
    if (mHeld->Tag() == kTagBranch || mPath.back().offset >= mHeld->Used() ||
        !EntryLength(mHeld, mPath.back().offset, entryLength))
        return nullptr;
    if (length) *length = entryLength;
    return mHeld->Data() + mPath.back().offset;
}

void TreeCursor::ReleaseValue() {
    if (mHeld) {
        mStore.ReleasePage(mHeld);
        mHeld = nullptr;
    }
}

bool TreeCursor::CurrentKey(StorageBytes& key) {
    uint32_t length;
    const uint8_t* entry = Entry(&length);
    const uint8_t* entryKey;
    uint32_t keyLength;
    if (!entry || !EntryKey(LeafTag(), entry, length, entryKey, keyLength)) return false;
    key.assign(entryKey, entryKey + keyLength);
    return true;
}

bool TreeCursor::IsLiveInRange() {
    uint32_t length;
    const uint8_t* entry = Entry(&length);
    if (!entry || entry[2] == kMarkDeleted) return false;
    if (!mHasRange) return true;
    const uint8_t* key;
    uint32_t keyLength;
    if (!EntryKey(LeafTag(), entry, length, key, keyLength)) return false;
    return keyLength >= mRange.key.size() &&
           std::memcmp(key, mRange.key.data(), mRange.key.size()) == 0;
}

bool TreeCursor::NextMatching() {
    while (Next())
        if (IsLiveInRange()) return true;
    return false;
}

bool TreeCursor::FindColumn(uint8_t column, StoredColumn& out) {
    uint32_t length;
    const uint8_t* entry = Entry(&length);
    if (!entry || IsCatalog()) return false;
    return FindColumnInRow(entry, length, column, out);
}

bool TreeCursor::DeleteCurrent() {
    uint32_t length;
    uint8_t* entry = const_cast<uint8_t*>(Entry(&length));
    if (!entry || !mStore.MarkChanged(mHeld)) return false;
    StoreMark(entry, kMarkDeleted, mStore.CurrentMark());
    return true;
}

bool TreeCursor::RunCount(uint32_t tag, const uint8_t* run, uint32_t length, uint32_t& count) {
    count = 0;
    for (uint32_t offset = 0; offset < length;) {
        const uint32_t entryLength = offset + 2 <= length ? Load16(run + offset) : 0;
        if (entryLength < kEntryHeaderSize || entryLength > length - offset) {
            ReportStorageDamage(__LINE__, "0");
            return false;
        }
        count += tag == kTagBranch ? Load16(run + offset + 6) : 1;
        offset += entryLength;
    }
    if (count > 0xFFFF) count = 0xFFFF;
    return true;
}

// A new root above the page at path[level]: a branch whose one entry, with the empty key, leads to
// it. The tree's root pointer follows: the header word for the catalog, the catalog entry's root
// word for a table.
bool TreeCursor::GrowRoot(size_t& level) {
    CachedPage* root = mStore.NewPage(kTagBranch, kNoPage);
    if (!root) return false;
    const uint32_t oldRoot = mPath[level].page;
    uint8_t* entry = root->Data();
    Store16(entry, kBranchEntryFixed);
    StoreMark(entry, kMarkLive, mStore.CurrentMark());
    Store16(entry + 6, 0);
    Store32(entry + 8, oldRoot);
    root->SetUsed(kBranchEntryFixed);
    const uint32_t rootNumber = root->Number();
    mStore.ReleasePage(root);
    bool ok;
    if (IsCatalog()) {
        ok = mStore.SetCatalogRoot(rootNumber);
    } else {
        TreeCursor catalog(mStore);
        StorageBytes key;
        CatalogKey(key, mCatalogName.data(), uint32_t(mCatalogName.size()));
        bool found = false;
        uint32_t length;
        ok = catalog.Search(key.data(), uint32_t(key.size()), &found) && found;
        uint8_t* catalogEntry = ok ? const_cast<uint8_t*>(catalog.Entry(&length)) : nullptr;
        ok = catalogEntry && mStore.MarkChanged(catalog.mHeld);
        if (ok) Store32(catalogEntry + 10, rootNumber);
    }
    if (!ok) return false;
    mStore.RootsMoved();
    mRoot = rootNumber;
    mRootEpoch = mStore.RootEpoch();
    mPath.insert(mPath.begin() + level, Level{rootNumber, 0});
    ++level;
    return true;
}

bool TreeCursor::InsertSeparator(size_t& level, uint32_t count, uint32_t child,
                                 const uint8_t* key, uint32_t keyLength) {
    if (level == 0 && !GrowRoot(level)) return false;
    StorageBytes separator(kBranchEntryFixed + keyLength);
    Store16(separator.data(), uint32_t(separator.size()));
    StoreMark(separator.data(), kMarkLive, mStore.CurrentMark());
    Store16(separator.data() + 6, count);
    Store32(separator.data() + 8, child);
    if (keyLength) std::memcpy(separator.data() + kBranchEntryFixed, key, keyLength);
    size_t parent = level - 1;
    CachedPage* page = Load(mPath[parent].page, parent + 1);
    uint32_t length;
    if (!page) return false;
    const bool ok = EntryLength(page, mPath[parent].offset, length);
    mStore.ReleasePage(page);
    bool split = false;
    if (!ok || !InsertAt(parent, mPath[parent].offset + length, separator.data(),
                         uint32_t(separator.size()), split))
        return false;
    level = parent + 1;
    return true;
}

// Inserts at byte offset a of the page at path[level]. A full page splits three ways: the tail
// moves to a new page (the entry fits behind the head), the entry leads the tail on a new page,
// or the entry and the tail get a new page each. Separators go into the parent after the entry
// that leads to this page, which never moves, so the path above stays valid; a root split adds a
// level above and moves level down by one.
bool TreeCursor::InsertAt(size_t& level, uint32_t a, const uint8_t* entry, uint32_t length,
                          bool& split) {
    CachedPage* page = Load(mPath[level].page, level + 1);
    if (!page) return false;
    const uint32_t used = page->Used();
    if (a > used || !mStore.MarkChanged(page)) {
        mStore.ReleasePage(page);
        return false;
    }
    uint8_t* data = page->Data();
    const uint32_t tail = used - a;
    if (used + length <= kPageDataSize) {
        std::memmove(data + a + length, data + a, tail);
        std::memcpy(data + a, entry, length);
        page->SetUsed(used + length);
        if (mPath[level].offset >= a) mPath[level].offset += length;
        mStore.ReleasePage(page);
        return true;
    }
    split = true;
    const uint32_t tag = page->Tag();
    const uint32_t origin = Load32(page->Bytes() + kPageOrigin);
    uint32_t tailCount = 0, entryCount = 0;
    const uint8_t* key;
    uint32_t keyLength;
    bool ok = RunCount(tag, data + a, tail, tailCount) && RunCount(tag, entry, length, entryCount);
    // The page stays pinned while separators go up, so its bytes cannot move away.
    if (ok && a + length <= kPageDataSize) {
        CachedPage* right = mStore.NewPage(tag, origin);
        ok = right && EntryKey(tag, data + a, Load16(data + a), key, keyLength);
        StorageBytes separatorKey = ok ? StorageBytes(key, key + keyLength) : StorageBytes();
        if (ok) {
            std::memcpy(right->Data(), data + a, tail);
            right->SetUsed(tail);
            std::memset(data + a, 0, tail);
            std::memcpy(data + a, entry, length);
            page->SetUsed(a + length);
            const uint32_t rightNumber = right->Number();
            mStore.ReleasePage(right);
            ok = InsertSeparator(level, tailCount, rightNumber, separatorKey.data(),
                                 uint32_t(separatorKey.size()));
        } else if (right) {
            mStore.ReleasePage(right);
        }
    } else if (ok && length + tail <= kPageDataSize) {
        CachedPage* right = mStore.NewPage(tag, origin);
        ok = right && EntryKey(tag, entry, length, key, keyLength);
        StorageBytes separatorKey = ok ? StorageBytes(key, key + keyLength) : StorageBytes();
        if (ok) {
            std::memcpy(right->Data(), entry, length);
            std::memcpy(right->Data() + length, data + a, tail);
            right->SetUsed(length + tail);
            std::memset(data + a, 0, tail);
            page->SetUsed(a);
            const uint32_t rightNumber = right->Number();
            mStore.ReleasePage(right);
            ok = InsertSeparator(level, tailCount + entryCount, rightNumber, separatorKey.data(),
                                 uint32_t(separatorKey.size()));
        } else if (right) {
            mStore.ReleasePage(right);
        }
    } else if (ok) {
        CachedPage* alone = mStore.NewPage(tag, origin);
        CachedPage* right = alone ? mStore.NewPage(tag, origin) : nullptr;
        ok = right && EntryKey(tag, data + a, Load16(data + a), key, keyLength);
        StorageBytes tailKey = ok ? StorageBytes(key, key + keyLength) : StorageBytes();
        ok = ok && EntryKey(tag, entry, length, key, keyLength);
        StorageBytes entryKey = ok ? StorageBytes(key, key + keyLength) : StorageBytes();
        uint32_t aloneNumber = 0, rightNumber = 0;
        if (ok) {
            std::memcpy(alone->Data(), entry, length);
            alone->SetUsed(length);
            std::memcpy(right->Data(), data + a, tail);
            right->SetUsed(tail);
            std::memset(data + a, 0, tail);
            page->SetUsed(a);
            aloneNumber = alone->Number();
            rightNumber = right->Number();
        }
        if (alone) mStore.ReleasePage(alone);
        if (right) mStore.ReleasePage(right);
        ok = ok &&
             InsertSeparator(level, tailCount, rightNumber, tailKey.data(),
                             uint32_t(tailKey.size())) &&
             InsertSeparator(level, entryCount, aloneNumber, entryKey.data(),
                             uint32_t(entryKey.size()));
    }
    mStore.ReleasePage(page);
    return ok;
}

bool TreeCursor::InsertHere(const uint8_t* entry, uint32_t length) {
    if (length > kPageDataSize) {
        ReportStorageDamage(__LINE__, "dataLen <= maxRecordBlockLength");
        return false;
    }
    if (mPath.empty() && !Reset()) return false;
    ReleaseValue();
    size_t level = mPath.size() - 1;
    bool split = false;
    if (!InsertAt(level, mPath.back().offset, entry, length, split)) return false;
    return !split || Relocate(entry, length);
}

// After a split the path is found again: the cursor then stands on the inserted entry.
bool TreeCursor::Relocate(const uint8_t* entry, uint32_t length) {
    const uint8_t* key;
    uint32_t keyLength;
    if (!EntryKey(LeafTag(), entry, length, key, keyLength)) return false;
    const StorageBytes wanted(key, key + keyLength);
    const StorageBytes copy(entry, entry + length);
    if (!Search(wanted.data(), uint32_t(wanted.size()))) return false;
    mFresh = true;
    while (Next()) {
        uint32_t currentLength;
        const uint8_t* current = Entry(&currentLength);
        if (current && currentLength == length && std::memcmp(current, copy.data(), length) == 0)
            return true;
        if (current && current[2] != kMarkDeleted && EntryKey(LeafTag(), current, currentLength,
                                                              key, keyLength) &&
            CompareKeys(key, keyLength, wanted.data(), uint32_t(wanted.size())) > 0)
            break;
    }
    ReportStorageDamage(__LINE__, "0");
    return false;
}

bool TreeCursor::HasLiveKey(const uint8_t* key, uint32_t keyLength) {
    TreeCursor probe(mStore, mCatalogName, mKeyColumns, nullptr);
    bool found = false;
    if (!probe.Search(key, keyLength, &found)) return false;
    if (found) return true;
    // The search may stop at the end of a leaf whose right neighbour begins with the key.
    while (probe.Next()) {
        uint32_t length;
        const uint8_t* entry = probe.Entry(&length);
        if (!entry) return false;
        if (entry[2] == kMarkDeleted) continue;
        const uint8_t* entryKey;
        uint32_t entryKeyLength;
        return probe.EntryKey(LeafTag(), entry, length, entryKey, entryKeyLength) &&
               CompareKeys(key, keyLength, entryKey, entryKeyLength) == 0;
    }
    return false;
}

bool TreeCursor::AtEndOfLeaf() {
    if (mPath.empty()) return false;
    CachedPage* page = Load(mPath.back().page, mPath.size());
    if (!page) return false;
    const bool atEnd = page->Tag() != kTagBranch && mPath.back().offset >= page->Used();
    mStore.ReleasePage(page);
    return atEnd;
}

bool TreeCursor::UpdateCurrent(const StorageBytes& row, const StorageBytes& rowKey,
                               bool duplicateTest) {
    if (IsCatalog() || row.size() < kRowFixed) return false;
    if (row.size() > kPageDataSize) {
        mStore.ReportError(2006, "Insert failed: data too long");
        return false;
    }
    uint32_t length;
    const uint8_t* entry = Entry(&length);
    if (!entry || entry[2] == kMarkDeleted) return false;
    const uint8_t* key;
    uint32_t keyLength;
    if (!EntryKey(LeafTag(), entry, length, key, keyLength)) return false;
    const bool sameKey = CompareKeys(key, keyLength, rowKey.data(), uint32_t(rowKey.size())) == 0;
    if (!sameKey && duplicateTest && HasLiveKey(rowKey.data(), uint32_t(rowKey.size()))) {
        mStore.ReportError(2005, "Insert failed: primary key violation");
        return false;
    }
    StorageBytes stamped(row);
    Store16(stamped.data(), uint32_t(stamped.size()));
    StoreMark(stamped.data(), kMarkLive, mStore.CurrentMark());
    Store32(stamped.data() + 6, mStore.NextId());
    if (!DeleteCurrent()) return false;
    if (sameKey) return InsertHere(stamped.data(), uint32_t(stamped.size()));
    Park(stamped);
    mParkedDuplicateTest = mParkedDuplicateTest || duplicateTest;
    mStore.AddPending(this);
    return true;
}

void TreeCursor::Park(const StorageBytes& row) {
    uint8_t word[4];
    Store32(word, uint32_t(row.size()));
    if (!mParkedFile && !mParkedFileFailed) {
        mParkedFile = mStore.CreateTemporaryFile();
        mParkedFileFailed = !mParkedFile;
    }
    if (!mParkedFileFailed && mParkedFile->WriteAt(mParkedFileLength, word, 4) &&
        mParkedFile->WriteAt(mParkedFileLength + 4, row.data(), uint32_t(row.size()))) {
        mParkedFileLength += 4 + uint32_t(row.size());
        return;
    }
    mParkedFileFailed = true;
    mParked.insert(mParked.end(), word, word + 4);
    mParked.insert(mParked.end(), row.begin(), row.end());
}

bool TreeCursor::FinishPending() {
    StorageBytes parked;
    parked.swap(mParked);
    std::unique_ptr<StorageFile> file = std::move(mParkedFile);
    const uint32_t fileLength = mParkedFileLength;
    mParkedFileLength = 0;
    mParkedFileFailed = false;
    mStore.RemovePending(this);
    bool ok = true;
    StorageBytes key, row;
    const auto land = [&](const uint8_t* bytes, uint32_t length) {
        if (!RowKey(bytes, length, mKeyColumns.data(), mKeyColumns.size(), key)) {
            ok = false;
            return;
        }
        if (mParkedDuplicateTest && HasLiveKey(key.data(), uint32_t(key.size()))) {
            mStore.ReportError(2005, "Insert failed: primary key violation");
            ok = false;
            return;
        }
        ok = Search(key.data(), uint32_t(key.size())) && InsertHere(bytes, length) && ok;
    };
    for (uint32_t offset = 0; offset + 4 <= fileLength;) {
        uint8_t word[4];
        if (!file->ReadAt(offset, word, 4)) {
            ok = false;
            break;
        }
        const uint32_t length = Load32(word);
        row.resize(length);
        if (length > kPageDataSize || !file->ReadAt(offset + 4, row.data(), length)) {
            ok = false;
            break;
        }
        offset += 4 + length;
        land(row.data(), length);
    }
    file.reset();
    for (size_t offset = 0; offset + 4 <= parked.size();) {
        const uint32_t length = Load32(parked.data() + offset);
        const uint8_t* bytes = parked.data() + offset + 4;
        offset += 4 + length;
        land(bytes, length);
    }
    mParkedDuplicateTest = false;
    Reset();
    return ok;
}

void TreeCursor::DropPending() {
    mParked.clear();
    mParkedFile.reset();
    mParkedFileLength = 0;
    mParkedFileFailed = false;
    mParkedDuplicateTest = false;
}

std::unique_ptr<TreeCursor> FindTable(PageStore& store, const uint8_t* name, uint32_t nameLength,
                                      const KeyRange* range, std::vector<uint8_t> keyColumns) {
    TreeCursor catalog(store);
    while (catalog.Next()) {
        uint32_t length;
        const uint8_t* entry = catalog.Entry(&length);
        if (!entry) return nullptr;
        if (entry[2] == kMarkDeleted) continue;
        const uint32_t stored = Load32(entry + 14);
        if (stored > length - kCatalogEntryFixed) {
            ReportStorageDamage(__LINE__, "0");
            return nullptr;
        }
        if (EqualNoCase(entry + kCatalogEntryFixed, stored, name, nameLength)) {
            StorageBytes catalogName(entry + kCatalogEntryFixed,
                                     entry + kCatalogEntryFixed + stored);
            auto table = std::make_unique<TreeCursor>(store, std::move(catalogName),
                                                      std::move(keyColumns), range);
            if (!table->Reset()) return nullptr;
            return table;
        }
    }
    return nullptr;
}

std::unique_ptr<TreeCursor> FindTable(PageStore& store, const char* name, const KeyRange* range,
                                      std::vector<uint8_t> keyColumns) {
    return FindTable(store, reinterpret_cast<const uint8_t*>(name), uint32_t(std::strlen(name)),
                     range, std::move(keyColumns));
}

bool CreateTableTree(PageStore& store, const char* name) {
    const uint32_t nameLength = uint32_t(std::strlen(name));
    if (nameLength > kPageDataSize - kCatalogEntryFixed) return false;
    CachedPage* page = store.NewPage(kTagTableLeaf, kNoPage);
    if (!page) return false;
    const uint32_t root = page->Number();
    store.ReleasePage(page);
    StorageBytes entry(kCatalogEntryFixed + nameLength);
    Store16(entry.data(), uint32_t(entry.size()));
    StoreMark(entry.data(), kMarkLive, store.CurrentMark());
    Store32(entry.data() + 6, store.NextId());
    Store32(entry.data() + 10, root);
    Store32(entry.data() + 14, nameLength);
    std::memcpy(entry.data() + kCatalogEntryFixed, name, nameLength);
    StorageBytes key;
    CatalogKey(key, entry.data() + kCatalogEntryFixed, nameLength);
    TreeCursor catalog(store);
    return catalog.Search(key.data(), uint32_t(key.size())) &&
           catalog.InsertHere(entry.data(), uint32_t(entry.size()));
}

InsertResult InsertRow(TreeCursor& table, StorageBytes& row, bool duplicateTest) {
    PageStore& store = table.Store();
    if (row.size() < kRowFixed) return InsertResult::kFailed;
    if (row.size() > kPageDataSize) {
        store.ReportError(2006, "Insert failed: data too long");
        return InsertResult::kTooLong;
    }
    Store16(row.data(), uint32_t(row.size()));
    StoreMark(row.data(), kMarkLive, store.CurrentMark());
    Store32(row.data() + 6, store.NextId());
    StorageBytes key;
    const std::vector<uint8_t>& columns = table.KeyColumns();
    if (!RowKey(row.data(), uint32_t(row.size()), columns.data(), columns.size(), key))
        return InsertResult::kFailed;
    bool found = false;
    if (!table.Search(key.data(), uint32_t(key.size()), &found)) return InsertResult::kFailed;
    // An equal key may also begin the next leaf when the search stopped at the end of one.
    if (duplicateTest && !columns.empty() &&
        (found ||
         (table.AtEndOfLeaf() && table.HasLiveKey(key.data(), uint32_t(key.size()))))) {
        store.ReportError(2005, "Insert failed: primary key violation");
        return InsertResult::kDuplicateKey;
    }
    if (!table.InsertHere(row.data(), uint32_t(row.size()))) return InsertResult::kFailed;
    return InsertResult::kInserted;
}

InsertResult InsertRow(PageStore& store, const char* tableName, StorageBytes& row,
                       std::vector<uint8_t> keyColumns, bool duplicateTest) {
    std::unique_ptr<TreeCursor> table = FindTable(store, tableName, nullptr, std::move(keyColumns));
    if (!table) return InsertResult::kFailed;
    return InsertRow(*table, row, duplicateTest);
}

bool ScanByKey(PageStore& store, const char* tableName, const StorageBytes& key,
               std::vector<uint8_t> keyColumns,
               const std::function<void(const uint8_t* row, uint32_t length)>& visit) {
    std::unique_ptr<TreeCursor> table = FindTable(store, tableName, nullptr, std::move(keyColumns));
    if (!table || !table->Search(key.data(), uint32_t(key.size()))) return false;
    StorageBytes entryKey;
    while (table->Next()) {
        if (!table->IsLiveInRange()) continue;
        uint32_t length;
        const uint8_t* row = table->Entry(&length);
        if (!row || !table->CurrentKey(entryKey)) return false;
        const int order = CompareKeys(entryKey.data(), uint32_t(entryKey.size()), key.data(),
                                      uint32_t(key.size()));
        if (order > 0) break;
        if (order == 0) visit(row, length);
    }
    return true;
}

std::unique_ptr<PageStore> CreateDatabase(std::unique_ptr<StorageFile> file) {
    std::unique_ptr<PageStore> store = PageStore::Create(std::move(file));
    if (!store) return nullptr;
    for (const char* name : {kSysTables, kSysFields, kSysBlob})
        if (!CreateTableTree(*store, name)) return nullptr;
    return store;
}

namespace {

uint32_t WriteBlobRow(TreeCursor& blobs, uint32_t kind, const uint8_t* bytes, uint32_t length) {
    PageStore& store = blobs.Store();
    const uint32_t id = store.NextId();
    StorageBytes row(20 + size_t(length));
    Store16(row.data(), uint32_t(row.size()));
    StoreMark(row.data(), kMarkLive, store.CurrentMark());
    Store32(row.data() + 6, id);
    row[10] = 1;
    row[11] = kStoreBinary;
    Store32(row.data() + 12, length + 4);
    Store32(row.data() + 16, kind);
    if (length) std::memcpy(row.data() + 20, bytes, length);
    StorageBytes key;
    StoreRowIdKey(key, id);
    if (!blobs.Search(key.data(), 4) || !blobs.InsertHere(row.data(), uint32_t(row.size())))
        return 0;
    return id;
}

// Stands the cursor on the live blob row of the id; its kind and bytes.
bool FindBlobRow(TreeCursor& blobs, uint32_t id, uint32_t& kind, const uint8_t*& bytes,
                 uint32_t& length) {
    StorageBytes key;
    StoreRowIdKey(key, id);
    if (!blobs.Search(key.data(), 4)) return false;
    while (blobs.Next()) {
        uint32_t rowLength;
        const uint8_t* row = blobs.Entry(&rowLength);
        if (!row) return false;
        if (row[2] == kMarkDeleted) continue;
        if (Load32(row + 6) != id) {
            // Rows are ordered by the reversed id: past it, the blob is not there.
            if (RowIdKey(row) > Load32(key.data())) return false;
            continue;
        }
        if (rowLength < 20 || row[10] != 1 || row[11] != kStoreBinary ||
            Load32(row + 12) != rowLength - 16) {
            ReportStorageDamage(__LINE__, "0");
            return false;
        }
        kind = Load32(row + 16);
        bytes = row + 20;
        length = rowLength - 20;
        return true;
    }
    return false;
}

// Walks a blob's lists depth first, in order; a list met twice is damage, not a loop.
template <typename Visit>
bool WalkBlob(TreeCursor& blobs, uint32_t id, std::unordered_set<uint32_t>& seen, Visit visit) {
    std::vector<std::pair<StorageBytes, size_t>> lists;
    auto enter = [&](uint32_t blobId) -> bool {
        uint32_t kind, length;
        const uint8_t* bytes;
        if (!seen.insert(blobId).second) {
            ReportStorageDamage(__LINE__, "0");
            return false;
        }
        if (!FindBlobRow(blobs, blobId, kind, bytes, length)) return false;
        if (kind == kBlobKindData) return visit(blobId, bytes, length);
        if (kind != kBlobKindList || length % 8) return false;
        lists.emplace_back(StorageBytes(bytes, bytes + length), 0);
        return visit(blobId, nullptr, 0);
    };
    if (!enter(id)) return false;
    while (!lists.empty()) {
        auto& [references, next] = lists.back();
        if (next >= references.size()) {
            lists.pop_back();
            continue;
        }
        const uint32_t child = Load32(references.data() + next);
        next += 8;
        if (!enter(child)) return false;
    }
    return true;
}

}  // namespace

uint32_t WriteBlob(PageStore& store, const uint8_t* bytes, uint32_t length) {
    std::unique_ptr<TreeCursor> blobs = FindTable(store, kSysBlob, nullptr, {});
    if (!blobs) return 0;
    if (length <= kBlobChunk) return WriteBlobRow(*blobs, kBlobKindData, bytes, length);
    StorageBytes list;
    for (uint32_t offset = 0; offset < length; offset += kBlobChunk) {
        if (list.size() == size_t(kBlobListCapacity) * 8) {
            const uint32_t listId =
                WriteBlobRow(*blobs, kBlobKindList, list.data(), uint32_t(list.size()));
            if (!listId) return 0;
            list.assign(8, 0);
            Store32(list.data(), listId);
        }
        const uint32_t chunk = std::min(kBlobChunk, length - offset);
        const uint32_t chunkId = WriteBlobRow(*blobs, kBlobKindData, bytes + offset, chunk);
        if (!chunkId) return 0;
        uint8_t reference[8];
        Store32(reference, chunkId);
        Store32(reference + 4, chunk);
        list.insert(list.end(), reference, reference + 8);
    }
    return WriteBlobRow(*blobs, kBlobKindList, list.data(), uint32_t(list.size()));
}

bool ReadBlob(PageStore& store, uint32_t id, StorageBytes& out) {
    out.clear();
    std::unique_ptr<TreeCursor> blobs = FindTable(store, kSysBlob, nullptr, {});
    if (!blobs) return false;
    std::unordered_set<uint32_t> seen;
    return WalkBlob(*blobs, id, seen, [&](uint32_t, const uint8_t* bytes, uint32_t length) {
        if (bytes) out.insert(out.end(), bytes, bytes + length);
        return true;
    });
}

bool DeleteBlob(PageStore& store, uint32_t id) {
    std::unique_ptr<TreeCursor> blobs = FindTable(store, kSysBlob, nullptr, {});
    if (!blobs) return false;
    std::unordered_set<uint32_t> seen;
    return WalkBlob(*blobs, id, seen,
                    [&](uint32_t, const uint8_t*, uint32_t) { return blobs->DeleteCurrent(); });
}
