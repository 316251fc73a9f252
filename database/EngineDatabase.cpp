#include "EngineDatabase.h"

#include <algorithm>
#include <cstring>

namespace {

bool SameNameNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = char(x - 32);
        if (y >= 'a' && y <= 'z') y = char(y - 32);
        if (x != y) return false;
    }
    return true;
}

StorageBytes IdKey(uint32_t id) {
    ColumnValue value;
    value.column = 0;
    value.type = kStoreLong;
    value.longValue = int32_t(id);
    const uint8_t keyColumn = 0;
    return BuildKey(&value, 1, &keyColumn, 1);
}

ColumnValue LongValue(uint8_t column, int32_t v) {
    ColumnValue value;
    value.column = column;
    value.type = kStoreLong;
    value.longValue = v;
    return value;
}

ColumnValue ShortValue(uint8_t column, int32_t v) {
    ColumnValue value;
    value.column = column;
    value.type = kStoreShort;
    value.shortValue = int16_t(v);
    return value;
}

ColumnValue TextValue(uint8_t column, std::string_view text) {
    ColumnValue value;
    value.column = column;
    value.type = kStoreText;
    value.bytes = reinterpret_cast<const uint8_t*>(text.data());
    value.length = uint32_t(text.size());
    return value;
}

std::string_view StoredText(const StoredColumn& column) {
    return {reinterpret_cast<const char*>(column.value), column.length};
}

bool HasPrefix(const StorageBytes& key, const StorageBytes& prefix) {
    return key.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), key.begin());
}

// Blobs a failed step wrote are taken back.
void DeleteBlobs(PageStore& store, const std::vector<uint32_t>& blobs) {
    for (uint32_t id : blobs) DeleteBlob(store, id);
}

}  // namespace

bool IsStorableType(int32_t type) {
    return type >= 2 && type <= 16 && type != 4 && type != 10 && type != 11 && type != 13;
}

const ColumnInfo* TableInfo::Column(std::string_view name) const {
    for (const ColumnInfo& column : columns)
        if (SameNameNoCase(column.name, name)) return &column;
    return nullptr;
}

// --- the database ---

EngineDatabase::EngineDatabase(std::unique_ptr<PageStore> store) : mStore(std::move(store)) {
    mStore->SetErrorSink(this);
    LoadTables();
}

EngineDatabase::~EngineDatabase() { Close(); }

void EngineDatabase::StorageError(int32_t code, const char* text) { SetError(code, text); }

void EngineDatabase::ClearError() {
    mErrorCode = 0;
    mErrorText.clear();
}

void EngineDatabase::SetError(int32_t code, std::string text) {
    mErrorCode = code;
    mErrorText = std::move(text);
}

// The store's own report (a read-only file, a failed write) names the cause better.
void EngineDatabase::InternalError(const std::string& table) {
    if (!mErrorCode) SetError(2001, "Unable to create " + table + " due to an internal error");
}

std::shared_ptr<TableInfo> EngineDatabase::FindTableInfo(std::string_view name) const {
    for (auto it = mTables.rbegin(); it != mTables.rend(); ++it)
        if (SameNameNoCase((*it)->name, name)) return *it;
    return nullptr;
}

void EngineDatabase::LoadTables() {
    mTables.clear();
    std::vector<std::pair<uint32_t, std::string>> found;
    {
        std::unique_ptr<TreeCursor> tables = FindTable(*mStore, kSysTables, nullptr, {1});
        if (!tables) return;
        while (tables->NextMatching()) {
            StoredColumn id, name;
            if (!tables->FindColumn(0, id) || !tables->FindColumn(1, name)) continue;
            if (id.type != kStoreLong || name.type != kStoreText) continue;
            found.emplace_back(uint32_t(id.AsInt()), std::string(StoredText(name)));
        }
    }
    for (auto& [id, name] : found) mTables.push_back(LoadTable(id, std::move(name)));
}

std::shared_ptr<TableInfo> EngineDatabase::LoadTable(uint32_t id, std::string name) {
    auto table = std::make_shared<TableInfo>();
    table->name = std::move(name);
    table->id = id;
    const std::string decimal = std::to_string(id);
    table->catalogName.assign(decimal.begin(), decimal.end());
    table->damaged = !LoadColumns(*table);
    return table;
}

bool EngineDatabase::LoadColumns(TableInfo& table) {
    std::vector<ColumnInfo> columns;
    std::vector<uint8_t> keyColumns;
    bool sound = true;
    const bool scanned = ScanByKey(*mStore, kSysFields, IdKey(table.id), {0},
                                   [&](const uint8_t* row, uint32_t length) {
        StoredColumn number, name, acceptsNull, type, position;
        if (!FindColumnInRow(row, length, 1, number) || !FindColumnInRow(row, length, 2, name) ||
            !FindColumnInRow(row, length, 3, acceptsNull) || !FindColumnInRow(row, length, 4, type) ||
            !FindColumnInRow(row, length, 5, position)) {
            sound = false;
            return;
        }
        const int32_t columnNumber = number.AsInt();
        const int32_t keyPosition = position.type == kStoreNull ? 0 : position.AsInt();
        // Numbers outside these bounds would index past the key-column table.
        if (columnNumber < 0 || columnNumber > 255 || keyPosition < 0 || keyPosition > 256) {
            ReportStorageDamage(__LINE__, "0");
            sound = false;
            return;
        }
        ColumnInfo column;
        column.number = int16_t(columnNumber);
        column.name = std::string(StoredText(name));
        column.acceptsNull = acceptsNull.type != kStoreNull && acceptsNull.AsInt() != 0;
        column.type = type.AsInt();
        if (keyPosition) {
            if (keyColumns.size() < size_t(keyPosition)) keyColumns.resize(size_t(keyPosition));
            keyColumns[size_t(keyPosition - 1)] = uint8_t(columnNumber);
        }
        columns.push_back(std::move(column));
    });
    table.columns = std::move(columns);
    table.keyColumns = std::move(keyColumns);
    return scanned && sound;
}

void EngineDatabase::Close() {
    if (!mStore) return;
    for (EngineCursor* cursor : mCursors) {
        cursor->Finish();
        cursor->mDatabase = nullptr;
    }
    mCursors.clear();
    mTables.clear();
    mStore->Close();
    mStore.reset();
}

void EngineDatabase::CreateTable(std::string_view table, const std::vector<ColumnDefinition>& columns,
                                 const std::vector<int32_t>& keyPositions) {
    ClearError();
    const std::string name(table);
    if (FindTableInfo(table)) {
        SetError(2000, "Unable to create " + name + " because it already exists");
        return;
    }
    const uint32_t id = mStore->NextId();
    if (!CreateTableTree(*mStore, std::to_string(id).c_str())) {
        InternalError(name);
        return;
    }
    bool storable = columns.size() <= 256;
    for (const ColumnDefinition& column : columns) storable = storable && IsStorableType(column.type);
    if (!storable) {
        SetError(2002, "Unable to create " + name + " because an unsupported column type was used");
        return;
    }
    ColumnValue tableRow[2] = {LongValue(0, int32_t(id)), TextValue(1, table)};
    StorageBytes row = BuildRow(tableRow, 2);
    const InsertResult result = InsertRow(*mStore, kSysTables, row, {1}, true);
    if (result != InsertResult::kInserted) {
        if (result == InsertResult::kFailed)
            InternalError(name);
        return;
    }
    for (size_t i = 0; i < columns.size(); ++i) {
        int32_t position = 0;
        for (size_t k = 0; k < keyPositions.size(); ++k)
            if (keyPositions[k] == int32_t(i)) position = int32_t(k + 1);
        ColumnValue field[6] = {LongValue(0, int32_t(id)), LongValue(1, int32_t(i)),
                                TextValue(2, columns[i].name), ShortValue(3, columns[i].acceptsNull),
                                ShortValue(4, columns[i].type), ShortValue(5, position)};
        row = BuildRow(field, position ? 6 : 5);
        const InsertResult fieldResult = InsertRow(*mStore, kSysFields, row, {0, 2}, true);
        if (fieldResult != InsertResult::kInserted) {
            if (fieldResult == InsertResult::kFailed)
                InternalError(name);
            break;
        }
    }
    mTables.push_back(LoadTable(id, name));
}

void EngineDatabase::AddTableColumn(std::string_view table, const ColumnDefinition& column) {
    ClearError();
    std::shared_ptr<TableInfo> info = FindTableInfo(table);
    if (!info || info->damaged) {
        SetError(2003, "Unable to add column " + column.name + " because table '" + std::string(table) +
                           "' doesn't exist");
        return;
    }
    int32_t number = 0;
    for (bool used = true; used; ++number) {
        used = false;
        for (const ColumnInfo& c : info->columns) used = used || c.number == number;
        if (!used) break;
    }
    if (!IsStorableType(column.type) || number > 255) {
        SetError(2002, "Unable to add " + column.name + " because an unsupported  type was used");
        return;
    }
    ColumnValue field[5] = {LongValue(0, int32_t(info->id)), LongValue(1, number),
                            TextValue(2, column.name), ShortValue(3, column.acceptsNull),
                            ShortValue(4, column.type)};
    StorageBytes row = BuildRow(field, 5);
    InsertRow(*mStore, kSysFields, row, {0, 2}, true);
    info->damaged = !LoadColumns(*info);
}

bool EngineDatabase::Convert(const ColumnInfo& column, const std::string& text, ColumnValue& value,
                             std::vector<uint32_t>& blobs) {
    value.column = uint8_t(column.number);
    value.type = uint8_t(column.type);
    switch (column.type) {
        case kStoreShort: value.shortValue = int16_t(TextToInteger(text)); return true;
        case kStoreLong: value.longValue = TextToInteger(text); return true;
        case kStoreFloat: value.floatValue = float(TextToReal(text)); return true;
        case kStoreDouble: value.doubleValue = TextToReal(text); return true;
        case kStoreBoolean: value.booleanValue = TextToBoolean(text); return true;
        case kStoreDate:
        case kStoreTime: {
            int16_t parts[3];
            if (!(column.type == kStoreDate ? ParseDate(text, parts) : ParseTime(text, parts))) {
                SetError(2003, column.type == kStoreDate ? "Invalid date format" : "Invalid time format");
                return false;
            }
            for (int i = 0; i < 3; ++i) value.parts[i] = uint16_t(parts[i]);
            return true;
        }
        case kStoreLongText:
        case kStoreLongBinary: {
            const uint32_t id = WriteBlob(*mStore, reinterpret_cast<const uint8_t*>(text.data()),
                                          uint32_t(text.size()));
            if (!id) {
                SetError(2004, "Error writing BLOB");
                return false;
            }
            blobs.push_back(id);
            value.longValue = int32_t(id);
            return true;
        }
        default:  // text and binary
            value.bytes = reinterpret_cast<const uint8_t*>(text.data());
            value.length = uint32_t(text.size());
            return true;
    }
}

void EngineDatabase::AddTableRecord(std::string_view table, const std::vector<ColumnText>& values) {
    ClearError();
    std::shared_ptr<TableInfo> info = FindTableInfo(table);
    if (!info || info->damaged) {
        SetError(2003, "Unknown table " + std::string(table));
        return;
    }
    std::vector<const ColumnInfo*> found(values.size());
    for (size_t i = 0; i < values.size(); ++i) found[i] = info->Column(values[i].name);
    for (const ColumnInfo& column : info->columns) {
        if (column.acceptsNull) continue;
        bool given = false;
        for (size_t i = 0; i < values.size(); ++i) given = given || (found[i] == &column && values[i].present);
        if (!given) {
            SetError(2003, "NotNull column violation");
            return;
        }
    }
    for (size_t i = 0; i < values.size(); ++i)
        if (!found[i]) {
            SetError(2003, "Unknown column " + values[i].name);
            return;
        }
    std::vector<ColumnValue> row;
    std::vector<uint32_t> blobs;
    row.reserve(values.size());
    for (size_t i = 0; i < values.size(); ++i) {
        if (!values[i].present) continue;
        bool repeated = false;
        for (const ColumnValue& earlier : row) repeated = repeated || earlier.column == found[i]->number;
        if (repeated) continue;
        row.emplace_back();
        if (!Convert(*found[i], values[i].text, row.back(), blobs)) {
            DeleteBlobs(*mStore, blobs);
            return;
        }
    }
    StorageBytes bytes = BuildRow(row.data(), row.size());
    TreeCursor tree(*mStore, info->catalogName, info->keyColumns, nullptr);
    if (!tree.Reset() || InsertRow(tree, bytes, !info->keyColumns.empty()) != InsertResult::kInserted)
        DeleteBlobs(*mStore, blobs);
}

EngineCursor* EngineDatabase::OpenTableCursor(std::string_view table,
                                              const std::vector<std::string>& columns, WhereCopy where) {
    ClearError();
    std::shared_ptr<TableInfo> info = FindTableInfo(table);
    if (!info || info->damaged) return nullptr;
    for (WhereTerm& term : where.terms) {
        if (term.op < kOpEqual || term.op > kOpIsNotNull) continue;
        const ColumnInfo* column = info->Column(term.column);
        if (!column) return nullptr;
        term.number = column->number;
        term.type = column->type;
    }
    std::unique_ptr<EngineCursor> cursor(new EngineCursor(this, EngineCursor::Kind::kTable));
    for (const std::string& name : columns) {
        if (name == "*") {
            for (const ColumnInfo& column : info->columns)
                cursor->mColumns.push_back({column.name, column.number, int16_t(column.type)});
            continue;
        }
        const ColumnInfo* column = info->Column(name);
        if (!column) return nullptr;
        cursor->mColumns.push_back({column->name, column->number, int16_t(column->type)});
    }
    cursor->mTree = std::make_unique<TreeCursor>(*mStore, info->catalogName, info->keyColumns, nullptr);
    if (!cursor->mTree->Reset()) return nullptr;
    // Equality leaves joined by AND on the leading key columns fix the start and end of the walk.
    std::vector<const WhereTerm*> equalities;
    std::vector<int32_t> pending;
    if (where.root >= 0) pending.push_back(where.root);
    while (!pending.empty()) {
        const WhereTerm& term = where.terms[size_t(pending.back())];
        pending.pop_back();
        if (term.op == kOpAnd) {
            if (term.left >= 0) pending.push_back(term.left);
            if (term.right >= 0) pending.push_back(term.right);
        } else if (term.op == kOpEqual && term.mode == kModeAsStored) {
            equalities.push_back(&term);
        }
    }
    for (uint8_t keyColumn : info->keyColumns) {
        ColumnValue value;
        bool exact = false;
        for (const WhereTerm* term : equalities) {
            if (term->number != keyColumn) continue;
            value.column = keyColumn;
            value.type = uint8_t(term->type);
            if (term->type == kStoreLong) {
                value.longValue = TextToInteger(term->literal);
                exact = true;
            } else if (term->type == kStoreShort) {
                const int32_t v = TextToInteger(term->literal);
                value.shortValue = int16_t(v);
                exact = v >= -32768 && v <= 32767;
            } else if (term->type == kStoreText) {
                value.bytes = reinterpret_cast<const uint8_t*>(term->literal.data());
                value.length = uint32_t(term->literal.size());
                exact = true;
            }
            if (exact) break;
        }
        if (!exact) break;
        const StorageBytes part = BuildKey(&value, 1, &keyColumn, 1);
        cursor->mPrefix.insert(cursor->mPrefix.end(), part.begin(), part.end());
        cursor->mNarrowed = true;
    }
    cursor->mTableName = std::string(table);
    cursor->mTable = std::move(info);
    cursor->mWhere = std::move(where);
    mCursors.push_back(cursor.get());
    return cursor.release();
}

EngineCursor* EngineDatabase::TableSchemaCursor() {
    ClearError();
    std::unique_ptr<EngineCursor> cursor(new EngineCursor(this, EngineCursor::Kind::kTableSchema));
    cursor->mTree = FindTable(*mStore, kSysTables, nullptr, {1});
    if (!cursor->mTree) return nullptr;
    cursor->mColumns.push_back({"TableName", 1, kStoreText});
    mCursors.push_back(cursor.get());
    return cursor.release();
}

EngineCursor* EngineDatabase::FieldSchemaCursor(std::string_view table) {
    ClearError();
    std::shared_ptr<TableInfo> info = FindTableInfo(table);
    if (!info) return nullptr;
    std::unique_ptr<EngineCursor> cursor(new EngineCursor(this, EngineCursor::Kind::kFieldSchema));
    KeyRange range{IdKey(info->id)};
    cursor->mTree = FindTable(*mStore, kSysFields, &range, {0, 2});
    if (!cursor->mTree) return nullptr;
    cursor->mPrefix = range.key;
    cursor->mNarrowed = true;
    cursor->mColumns = {{"ColumnName", 2, kStoreText},
                        {"FieldType", 4, kStoreShort},
                        {"IsPrimary", 5, kStoreShort},
                        {"NotNull", 3, kStoreShort},
                        {"Length", 6, kStoreLong}};
    cursor->mTableName = std::string(table);
    cursor->mTable = std::move(info);
    mCursors.push_back(cursor.get());
    return cursor.release();
}

void EngineDatabase::CloseCursor(EngineCursor* cursor) {
    if (!cursor) return;
    mCursors.erase(std::remove(mCursors.begin(), mCursors.end(), cursor), mCursors.end());
    delete cursor;
}

void EngineDatabase::Commit() {
    ClearError();
    mStore->Commit();
}

void EngineDatabase::Rollback() {
    ClearError();
    mStore->Rollback();
    // Tables made in the dropped transaction are gone from the file: read the list again.
    LoadTables();
}

// --- cursors ---

EngineCursor::~EngineCursor() { Finish(); }

void EngineCursor::Finish() {
    ReleaseValue();
    mOnRow = false;
    mTree.reset();
}

std::string EngineCursor::ColumnName(int32_t index) const {
    if (index < 0 || index >= ColumnCount()) return {};
    return mColumns[size_t(index)].name;
}

bool EngineCursor::NextRow() {
    mOnRow = false;
    if (!mTree) return false;
    if (!mStarted) {
        mStarted = true;
        if (mNarrowed && !mTree->Search(mPrefix.data(), uint32_t(mPrefix.size()))) {
            Finish();
            return false;
        }
    }
    while (mTree->Next()) {
        if (!mTree->IsLiveInRange()) continue;
        if (mNarrowed) {
            if (!mTree->CurrentKey(mKeyScratch)) break;
            if (!HasPrefix(mKeyScratch, mPrefix)) break;
        }
        if (Evaluate()) {
            mOnRow = true;
            return true;
        }
    }
    Finish();
    return false;
}

bool EngineCursor::Decode(const StoredColumn& stored, EngineValue& value, StorageBytes& blob) {
    value = EngineValue();
    value.type = stored.type;
    switch (stored.type) {
        case kStoreShort:
        case kStoreLong: value.integer = stored.AsInt(); return true;
        case kStoreFloat:
        case kStoreDouble: value.real = stored.AsDouble(); return true;
        case kStoreDate:
        case kStoreTime:
            for (int i = 0; i < 3; ++i) value.parts[i] = int16_t(Load16(stored.value + 2 * i));
            return true;
        case kStoreBoolean: value.integer = stored.value[0]; return true;
        case kStoreText:
        case kStoreBinary: value.text = StoredText(stored); return true;
        case kStoreLongText:
        case kStoreLongBinary:
            blob.clear();
            if (!mDatabase || !ReadBlob(*mDatabase->mStore, uint32_t(stored.AsInt()), blob)) blob.clear();
            value.text = std::string_view(reinterpret_cast<const char*>(blob.data()), blob.size());
            return true;
        default: return true;
    }
}

bool EngineCursor::Evaluate() {
    if (mWhere.root < 0) return true;
    struct Frame {
        int32_t term;
        uint8_t stage;
    };
    std::vector<Frame> stack{{mWhere.root, 0}};
    bool value = false;
    while (!stack.empty()) {
        const size_t top = stack.size() - 1;
        const WhereTerm& term = mWhere.terms[size_t(stack[top].term)];
        if (term.op != kOpAnd && term.op != kOpOr) {
            value = false;
            if (term.op >= kOpEqual && term.op <= kOpIsNotNull) {
                StoredColumn stored;
                EngineValue decoded;
                if (mTree->FindColumn(uint8_t(term.number), stored) && Decode(stored, decoded, mEvalBlob))
                    value = CompareWithLiteral(decoded, term.op, term.mode, term.literal);
            }
            stack.pop_back();
            continue;
        }
        // A missing child stands for no condition; an AND or OR without children is true.
        const bool isAnd = term.op == kOpAnd;
        if (stack[top].stage == 0) {
            stack[top].stage = 1;
            if (term.left >= 0) {
                stack.push_back({term.left, 0});
                continue;
            }
            value = isAnd || term.right < 0;
        }
        if (stack[top].stage == 1) {
            if (term.left >= 0 && value != isAnd) {  // decided by the left child
                stack.pop_back();
                continue;
            }
            stack[top].stage = 2;
            if (term.right >= 0) {
                stack.push_back({term.right, 0});
                continue;
            }
        }
        stack.pop_back();  // stage 2: the right child's value stands
    }
    return value;
}

bool EngineCursor::Stored(int32_t index, StoredColumn& out) {
    out = StoredColumn();
    if (!mTree || !mOnRow || index < 0 || index >= ColumnCount()) return false;
    return mTree->FindColumn(uint8_t(mColumns[size_t(index)].number), out);
}

void EngineCursor::ColumnValue(int32_t index, const void** bytes, uint8_t* type, int32_t* length) {
    *bytes = nullptr;
    *type = 0;
    *length = 0;
    StoredColumn stored;
    if (!Stored(index, stored)) return;
    uint8_t storedType = stored.type;
    int32_t integer = stored.AsInt();
    if (mKind == Kind::kFieldSchema) {
        switch (index) {
            case 1:
                storedType = kStoreShort;
                if (stored.type != kStoreShort) integer = 255;
                break;
            case 2:
                storedType = kStoreBoolean;
                integer = stored.type != kStoreNull && integer != 0;
                break;
            case 3:
                storedType = kStoreBoolean;
                integer = stored.type == kStoreNull || integer == 0;
                break;
            case 4:
                storedType = kStoreLong;
                integer = 0;
                break;
            default: break;
        }
    }
    *type = storedType;
    switch (storedType) {
        case kStoreNull: ReleaseValue(); return;
        case kStoreShort: {
            const int16_t v = int16_t(integer);
            std::memcpy(mScratch, &v, 2);
            *length = 2;
            break;
        }
        case kStoreLong: std::memcpy(mScratch, &integer, 4); *length = 4; break;
        case kStoreFloat: {
            const float v = float(stored.AsDouble());
            std::memcpy(mScratch, &v, 4);
            *length = 4;
            break;
        }
        case kStoreDouble: {
            const double v = stored.AsDouble();
            std::memcpy(mScratch, &v, 8);
            *length = 8;
            break;
        }
        case kStoreBoolean: mScratch[0] = uint8_t(stored.type == kStoreBoolean ? stored.value[0] : integer); *length = 1; break;
        case kStoreLongText:
        case kStoreLongBinary:
            mBlob.clear();
            if (mDatabase && ReadBlob(*mDatabase->mStore, uint32_t(integer), mBlob)) {
                *bytes = mBlob.data();
                *length = int32_t(mBlob.size());
            }
            return;
        default:  // text, binary, date and time: the stored bytes
            *bytes = stored.value;
            *length = int32_t(stored.length);
            return;
    }
    *bytes = mScratch;
}

void EngineCursor::ReleaseValue() {
    if (mTree) mTree->ReleaseValue();
    StorageBytes().swap(mBlob);
}

int32_t EngineCursor::ColumnType(int32_t index) {
    StoredColumn stored;
    if (!Stored(index, stored)) return 0;
    return stored.type;
}

void EngineCursor::DeleteRow() {
    if (mDatabase) mDatabase->ClearError();
    if (mTree && mOnRow) mTree->DeleteCurrent();
}

bool EngineCursor::RowKey(int32_t index, std::string_view* key, std::string_view* condition) {
    if (!mTree || !mOnRow || !mTable || index < 0 || index >= ColumnCount()) return false;
    std::string keyText = mTableName + "!" + mColumns[size_t(index)].name;
    std::string conditionText;
    StorageBytes blob;
    for (size_t k = 0; k < mTable->keyColumns.size(); ++k) {
        const ColumnInfo* column = nullptr;
        for (const ColumnInfo& c : mTable->columns)
            if (c.number == mTable->keyColumns[k]) column = &c;
        StoredColumn stored;
        EngineValue value;
        if (!column || !mTree->FindColumn(mTable->keyColumns[k], stored) || !Decode(stored, value, blob))
            return false;
        if (k) conditionText += " and ";
        if (!AppendKeyCondition(conditionText, column->name, value)) return false;
    }
    mRowKey = std::move(keyText);
    mCondition = std::move(conditionText);
    *key = mRowKey;
    *condition = mCondition;
    return true;
}

void EngineCursor::UpdateRow(const std::vector<ColumnText>& edits) {
    if (!mDatabase || !mTree || !mOnRow || !mTable || mKind != Kind::kTable) return;
    EngineDatabase& database = *mDatabase;
    database.ClearError();
    PageStore& store = *database.mStore;
    const TableInfo& table = *mTable;
    std::vector<::ColumnValue> values;
    std::vector<uint32_t> newBlobs, oldBlobs;
    std::vector<std::string> texts;
    texts.reserve(table.columns.size());
    values.reserve(table.columns.size());
    for (const ColumnInfo& column : table.columns) {
        const ColumnText* edit = nullptr;
        for (const ColumnText& e : edits)
            if (e.column >= 0 && e.column < ColumnCount() && mColumns[size_t(e.column)].number == column.number) {
                edit = &e;
                break;
            }
        StoredColumn stored;
        if (!mTree->FindColumn(uint8_t(column.number), stored)) {
            DeleteBlobs(store, newBlobs);
            return;
        }
        if (edit) {
            if (!edit->present) continue;
            texts.push_back(edit->text);
            ::ColumnValue value;
            if (!database.Convert(column, texts.back(), value, newBlobs)) {
                DeleteBlobs(store, newBlobs);
                return;
            }
            if ((column.type == kStoreLongText || column.type == kStoreLongBinary) &&
                (stored.type == kStoreLongText || stored.type == kStoreLongBinary))
                oldBlobs.push_back(uint32_t(stored.AsInt()));
            values.push_back(value);
            continue;
        }
        if (stored.type == kStoreNull) continue;
        const bool sameType = stored.type == column.type;
        ::ColumnValue value;
        value.column = uint8_t(column.number);
        value.type = stored.type;
        switch (stored.type) {
            case kStoreShort: if (!sameType) continue; value.shortValue = int16_t(stored.AsInt()); break;
            case kStoreLong: if (!sameType) continue; value.longValue = stored.AsInt(); break;
            case kStoreFloat: if (!sameType) continue; value.floatValue = float(stored.AsDouble()); break;
            case kStoreText:
                if (!sameType) continue;
                [[fallthrough]];
            case kStoreBinary:
                texts.emplace_back(StoredText(stored));
                value.bytes = reinterpret_cast<const uint8_t*>(texts.back().data());
                value.length = uint32_t(texts.back().size());
                break;
            case kStoreDouble: value.doubleValue = stored.AsDouble(); break;
            case kStoreDate:
            case kStoreTime:
                for (int i = 0; i < 3; ++i) value.parts[i] = Load16(stored.value + 2 * i);
                break;
            case kStoreBoolean: value.booleanValue = stored.value[0]; break;
            case kStoreLongText:
            case kStoreLongBinary: value.longValue = stored.AsInt(); break;
            default: continue;
        }
        values.push_back(value);
    }
    // texts was reserved for every column, so the values' pointers into it stay valid.
    const StorageBytes row = BuildRow(values.data(), values.size());
    const StorageBytes key = BuildKey(values.data(), values.size(), table.keyColumns.data(),
                                      table.keyColumns.size());
    if (!mTree->UpdateCurrent(row, key, !table.keyColumns.empty())) {
        if (!database.mErrorCode) database.SetError(2001, "Unable to update " + mTableName + " due to an internal error");
        DeleteBlobs(store, newBlobs);
        return;
    }
    DeleteBlobs(store, oldBlobs);
}
