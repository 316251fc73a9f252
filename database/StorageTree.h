// The tree layer of the built-in database: the catalog tree and one B-tree per table on the pages
// of a PageStore, searched and walked in key order, with inserts that split pages and grow new
// roots; rows and keys built from column values; rows parked by key-changing updates; long values
// kept as chains of blob rows.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "PageStore.h"

// One column value for BuildRow and BuildKey. Type 0 is NULL (left out of rows). Text and binary
// values are bytes and a length; the other types use the matching member.
struct ColumnValue {
    uint8_t column = 0;
    uint8_t type = kStoreNull;
    int16_t shortValue = 0;
    int32_t longValue = 0;  // long, and the blob id of long text and long binary
    float floatValue = 0;
    double doubleValue = 0;
    uint16_t parts[3] = {};  // year, month, day or hour, minute, second
    uint8_t booleanValue = 0;
    const uint8_t* bytes = nullptr;
    uint32_t length = 0;
};

// A column found in a stored row: type 0 when the row does not hold it. value points at the
// stored (big-endian) bytes, past the length word for text and binary; length is their count.
struct StoredColumn {
    uint8_t type = kStoreNull;
    const uint8_t* value = nullptr;
    uint32_t length = 0;
    int32_t AsInt() const;      // short and long (sign-extended), blob ids
    double AsDouble() const;    // float and double
};

// A prefix range: entries whose key begins with these bytes.
struct KeyRange {
    StorageBytes key;
};

StorageBytes BuildRow(const ColumnValue* values, size_t count);
StorageBytes BuildKey(const ColumnValue* values, size_t count, const uint8_t* keyColumns,
                      size_t keyCount);
// Finds a column of a stored row; false (reported) when the row is damaged.
bool FindColumnInRow(const uint8_t* row, uint32_t length, uint8_t column, StoredColumn& out);
// The key of a stored row for the key columns (the reversed row id without any); false when the
// row is damaged.
bool RowKey(const uint8_t* row, uint32_t length, const uint8_t* keyColumns, size_t keyCount,
            StorageBytes& key);

// Reports damage found in keys, rows and pages.
void ReportStorageDamage(int32_t line, const char* condition);

class TreeCursor final : private PageStore::PendingWork {
public:
    // On the catalog tree.
    explicit TreeCursor(PageStore& store);
    // On a table's tree, named by its catalog name.
    TreeCursor(PageStore& store, StorageBytes catalogName, std::vector<uint8_t> keyColumns,
               const KeyRange* range);
    // Lands parked rows first.
    ~TreeCursor() override;
    TreeCursor(const TreeCursor&) = delete;
    TreeCursor& operator=(const TreeCursor&) = delete;

    // Back to the root; the next Next yields the first entry.
    bool Reset();
    // Stands at the first live entry whose key is not below the key, or at the end of the leaf
    // the search reaches; found tells whether that entry's key equals it. False on a read
    // failure or damage.
    bool Search(const uint8_t* key, uint32_t length, bool* found = nullptr);
    // The next entry in key order, deleted ones included; false at the end.
    bool Next();
    bool IsLiveInRange();
    bool NextMatching();
    // The current entry's bytes, valid until the cursor moves or ReleaseValue.
    const uint8_t* Entry(uint32_t* length);
    bool FindColumn(uint8_t column, StoredColumn& out);
    void ReleaseValue();
    // The current entry's key through this cursor's key columns.
    bool CurrentKey(StorageBytes& key);
    bool InsertHere(const uint8_t* entry, uint32_t length);
    bool DeleteCurrent();
    // Replaces the live current row. A row keeping its key goes in front of the old version;
    // a row changing it is parked and lands, through the duplicate test when asked for, before
    // the next commit or when the cursor is deleted. Fails keeping the old row when the row is
    // too long (2006) or its new key is taken (2005).
    bool UpdateCurrent(const StorageBytes& row, const StorageBytes& rowKey, bool duplicateTest);
    // True when a live entry has the key: the one where a search for it stops or, when that is
    // the end of a leaf, the next live one beyond.
    bool HasLiveKey(const uint8_t* key, uint32_t length);
    // True when a search stopped past the last entry of its leaf.
    bool AtEndOfLeaf();

    bool IsCatalog() const { return mCatalogName.empty(); }
    const std::vector<uint8_t>& KeyColumns() const { return mKeyColumns; }
    PageStore& Store() { return mStore; }

private:
    struct Level {
        uint32_t page;
        uint32_t offset;
    };

    uint32_t LeafTag() const { return IsCatalog() ? kTagCatalogLeaf : kTagTableLeaf; }
    bool RootPage(uint32_t& root);
    CachedPage* Load(uint32_t number, size_t depth);
    bool EntryLength(CachedPage* page, uint32_t offset, uint32_t& length);
    bool EntryKey(uint32_t tag, const uint8_t* entry, uint32_t length, const uint8_t*& key,
                  uint32_t& keyLength);
    bool RunCount(uint32_t tag, const uint8_t* run, uint32_t length, uint32_t& count);
    bool InsertAt(size_t& level, uint32_t offset, const uint8_t* entry, uint32_t length,
                  bool& split);
    bool InsertSeparator(size_t& level, uint32_t count, uint32_t child, const uint8_t* key,
                         uint32_t keyLength);
    bool GrowRoot(size_t& level);
    bool Relocate(const uint8_t* entry, uint32_t length);
    bool FinishPending() override;
    void DropPending() override;

    PageStore& mStore;
    StorageBytes mCatalogName;  // empty for the catalog cursor
    std::vector<uint8_t> mKeyColumns;
    bool mHasRange = false;
    KeyRange mRange;
    std::vector<Level> mPath;
    bool mFresh = true;
    bool mEnded = false;  // Next ran past the last entry
    CachedPage* mHeld = nullptr;
    uint32_t mRoot = kNoPage;
    uint32_t mRootEpoch = 0;
    StorageBytes mKey;     // scratch for computed keys
    // Rows parked by key-changing updates, each a length word and the row: in a temporary file
    // made on first use and, when that cannot be made or written, in memory.
    void Park(const StorageBytes& row);
    std::unique_ptr<StorageFile> mParkedFile;
    uint32_t mParkedFileLength = 0;
    bool mParkedFileFailed = false;
    StorageBytes mParked;
    bool mParkedDuplicateTest = false;
};

enum class InsertResult { kInserted, kDuplicateKey, kTooLong, kFailed };

std::unique_ptr<TreeCursor> FindTable(PageStore& store, const uint8_t* name, uint32_t length,
                                      const KeyRange* range, std::vector<uint8_t> keyColumns);
std::unique_ptr<TreeCursor> FindTable(PageStore& store, const char* name, const KeyRange* range,
                                      std::vector<uint8_t> keyColumns);
bool CreateTableTree(PageStore& store, const char* name);
// Stamps the row (mark, new row id) and stores it; errors 2005 and 2006 go to the store's sink.
InsertResult InsertRow(TreeCursor& table, StorageBytes& row, bool duplicateTest);
InsertResult InsertRow(PageStore& store, const char* table, StorageBytes& row,
                       std::vector<uint8_t> keyColumns, bool duplicateTest);
// Visits the live rows whose leading key columns equal the key.
bool ScanByKey(PageStore& store, const char* table, const StorageBytes& key,
               std::vector<uint8_t> keyColumns,
               const std::function<void(const uint8_t* row, uint32_t length)>& visit);

// The system tables and their key columns.
extern const char kSysTables[];
extern const char kSysFields[];
extern const char kSysBlob[];

// A new database: the store over an empty file with the three system tables.
std::unique_ptr<PageStore> CreateDatabase(std::unique_ptr<StorageFile> file);

// Long values: 0 on failure (ids start at 1).
uint32_t WriteBlob(PageStore& store, const uint8_t* bytes, uint32_t length);
bool ReadBlob(PageStore& store, uint32_t id, StorageBytes& out);
bool DeleteBlob(PageStore& store, uint32_t id);
