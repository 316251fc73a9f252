// The built-in engine over the storage: the open database with its in-memory table list, table
// cursors with WHERE copies, schema cursors, value conversion by declared type and the engine's
// error codes 2000 to 2006. Byte strings in and out; the function records of the engine interface
// wrap it for the runtime (BuiltinEngine.cpp).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "EngineValues.h"
#include "StorageTree.h"

struct ColumnInfo {
    int16_t number = 0;
    std::string name;
    uint8_t acceptsNull = 1;
    int32_t type = 0;
};

struct TableInfo {
    std::string name;  // as the application gave it
    uint32_t id = 0;
    StorageBytes catalogName;  // the id's decimal text
    std::vector<ColumnInfo> columns;  // in collation order of the names
    std::vector<uint8_t> keyColumns;  // column numbers in key order
    bool damaged = false;  // its catalog rows are unusable: nothing reads or writes it

    const ColumnInfo* Column(std::string_view name) const;
};

// The engine's copy of a WHERE tree: nodes in one array, children by index (-1 none), so that
// trees of any depth are copied, evaluated and freed without recursion.
struct WhereTerm {
    int32_t left = -1;
    int32_t right = -1;
    int32_t op = 0;
    int32_t mode = 0;
    std::string column;
    std::string literal;
    int32_t number = -1;  // resolved column number
    int32_t type = 0;     // its declared type
};

struct WhereCopy {
    std::vector<WhereTerm> terms;
    int32_t root = -1;
};

// One column of a new table or of AddTableColumn.
struct ColumnDefinition {
    std::string name;
    int32_t type = 0;
    uint8_t acceptsNull = 1;
};

// A value text for a named column (AddTableRecord) or a cursor column (UpdateRow); absent: NULL.
struct ColumnText {
    std::string name;
    int32_t column = -1;
    bool present = false;
    std::string text;
};

class EngineDatabase;

class EngineCursor {
public:
    enum class Kind { kTable, kTableSchema, kFieldSchema };

    ~EngineCursor();
    EngineCursor(const EngineCursor&) = delete;
    EngineCursor& operator=(const EngineCursor&) = delete;

    int32_t ColumnCount() const { return int32_t(mColumns.size()); }
    // Empty outside 0 to count - 1.
    std::string ColumnName(int32_t index) const;
    bool NextRow();
    // The value of a column in the current row in the engine interface's form (host-order
    // numbers, big-endian date and time fields); lent until ReleaseValue.
    void ColumnValue(int32_t index, const void** bytes, uint8_t* type, int32_t* length);
    void ReleaseValue();
    int32_t ColumnType(int32_t index);
    void DeleteRow();
    bool RowKey(int32_t index, std::string_view* key, std::string_view* condition);
    void UpdateRow(const std::vector<ColumnText>& edits);
    Kind CursorKind() const { return mKind; }
    // Null once its database closed.
    EngineDatabase* Owner() const { return mDatabase; }

private:
    friend class EngineDatabase;
    struct Column {
        std::string name;
        int16_t number;
        int16_t type;
    };

    EngineCursor(EngineDatabase* database, Kind kind) : mDatabase(database), mKind(kind) {}
    bool Stored(int32_t index, StoredColumn& out);
    bool Decode(const StoredColumn& stored, EngineValue& value, StorageBytes& blob);
    bool Evaluate();
    // Ends the walk: the tree cursor goes, landing the rows it parked.
    void Finish();

    EngineDatabase* mDatabase;  // null once the database closed
    Kind mKind;
    std::string mTableName;
    std::shared_ptr<TableInfo> mTable;
    std::unique_ptr<TreeCursor> mTree;
    std::vector<Column> mColumns;
    WhereCopy mWhere;
    StorageBytes mPrefix;  // the walk stays within keys beginning with it
    bool mNarrowed = false;
    bool mStarted = false;
    bool mOnRow = false;
    StorageBytes mBlob;
    StorageBytes mEvalBlob;
    StorageBytes mKeyScratch;
    uint8_t mScratch[8] = {};
    std::string mRowKey, mCondition;
};

class EngineDatabase final : private StorageErrorSink {
public:
    // The handle over a store: the table list read from its catalog.
    explicit EngineDatabase(std::unique_ptr<PageStore> store);
    // Closes (commits) what CloseDatabase has not.
    ~EngineDatabase() override;
    EngineDatabase(const EngineDatabase&) = delete;
    EngineDatabase& operator=(const EngineDatabase&) = delete;

    // Ends every cursor, forgets the tables and closes the store, which commits.
    void Close();
    void CreateTable(std::string_view table, const std::vector<ColumnDefinition>& columns,
                     const std::vector<int32_t>& keyPositions);
    void AddTableColumn(std::string_view table, const ColumnDefinition& column);
    void AddTableRecord(std::string_view table, const std::vector<ColumnText>& values);
    // Null without an error for an unknown table, requested column or WHERE column.
    EngineCursor* OpenTableCursor(std::string_view table, const std::vector<std::string>& columns,
                                  WhereCopy where);
    EngineCursor* TableSchemaCursor();
    EngineCursor* FieldSchemaCursor(std::string_view table);
    void CloseCursor(EngineCursor* cursor);
    void Commit();
    void Rollback();

    int32_t LastErrorCode() const { return mErrorCode; }
    const std::string& LastErrorText() const { return mErrorText; }
    void ClearError();
    void SetError(int32_t code, std::string text);
    void InternalError(const std::string& table);
    PageStore* Store() { return mStore.get(); }
    std::shared_ptr<TableInfo> FindTableInfo(std::string_view name) const;

private:
    friend class EngineCursor;
    void StorageError(int32_t code, const char* text) override;
    void LoadTables();
    std::shared_ptr<TableInfo> LoadTable(uint32_t id, std::string name);
    bool LoadColumns(TableInfo& table);
    // Converts a value text by the declared type; 2003 or 2004 set on failure. New blob ids are
    // added to blobs.
    bool Convert(const ColumnInfo& column, const std::string& text, ::ColumnValue& value,
                 std::vector<uint32_t>& blobs);

    std::unique_ptr<PageStore> mStore;
    std::vector<std::shared_ptr<TableInfo>> mTables;  // oldest first; lookups go newest first
    std::vector<EngineCursor*> mCursors;
    int32_t mErrorCode = 0;
    std::string mErrorText;
};

// Whether a declared type can be stored in a table.
bool IsStorableType(int32_t type);
