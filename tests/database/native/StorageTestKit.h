// Fixtures shared by the storage checks: rows of a long key and a text, user tables registered in
// the system tables as the engine does, and a dump of every table that the independent reader
// (tools/qvdb_dump.py) must reproduce from the file's bytes alone.
#pragma once

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "database/StorageTree.h"

namespace storage_kit {

inline ColumnValue Long(uint8_t column, int32_t value) {
    ColumnValue v;
    v.column = column;
    v.type = kStoreLong;
    v.longValue = value;
    return v;
}

inline ColumnValue Short(uint8_t column, int16_t value) {
    ColumnValue v;
    v.column = column;
    v.type = kStoreShort;
    v.shortValue = value;
    return v;
}

inline ColumnValue Text(uint8_t column, std::string_view text) {
    ColumnValue v;
    v.column = column;
    v.type = kStoreText;
    v.bytes = reinterpret_cast<const uint8_t*>(text.data());
    v.length = uint32_t(text.size());
    return v;
}

inline ColumnValue Double(uint8_t column, double value) {
    ColumnValue v;
    v.column = column;
    v.type = kStoreDouble;
    v.doubleValue = value;
    return v;
}

// A row of key column 0 (long) and column 1 (text).
inline StorageBytes KeyedRow(int32_t key, const std::string& text) {
    const ColumnValue values[] = {Long(0, key), Text(1, text)};
    return BuildRow(values, 2);
}

inline StorageBytes LongKey(int32_t key) {
    const ColumnValue value = Long(0, key);
    const uint8_t column = 0;
    return BuildKey(&value, 1, &column, 1);
}

struct ColumnDefinition {
    int32_t number;
    const char* name;
    int16_t type;
    int16_t keyPosition;  // 0 outside the key
};

// Registers a table in sys$tables and sys$fields and makes its tree; returns its catalog name.
inline std::string CreateUserTable(PageStore& store, const char* name,
                                   const std::vector<ColumnDefinition>& columns) {
    const int32_t id = int32_t(store.NextId());
    const std::string catalogName = std::to_string(id);
    {
        const ColumnValue values[] = {Long(0, id), Text(1, name)};
        StorageBytes row = BuildRow(values, 2);
        if (InsertRow(store, kSysTables, row, {1}, true) != InsertResult::kInserted) return "";
    }
    for (const ColumnDefinition& column : columns) {
        std::vector<ColumnValue> values = {Long(0, id), Long(1, column.number),
                                           Text(2, column.name), Short(3, 1),
                                           Short(4, column.type)};
        if (column.keyPosition) values.push_back(Short(5, column.keyPosition));
        StorageBytes row = BuildRow(values.data(), values.size());
        if (InsertRow(store, kSysFields, row, {0, 2}, true) != InsertResult::kInserted) return "";
    }
    return CreateTableTree(store, catalogName.c_str()) ? catalogName : "";
}

inline std::string Hex(const uint8_t* bytes, uint32_t length) {
    std::string text;
    char digits[3];
    for (uint32_t i = 0; i < length; ++i) {
        std::snprintf(digits, sizeof digits, "%02x", bytes[i]);
        text += digits;
    }
    return text;
}

// Every live row of a table in tree order: its id, then column:type:value with integers in
// decimal and everything else as the stored bytes in hexadecimal.
inline bool DumpTable(PageStore& store, const std::string& catalogName, std::string& out) {
    std::unique_ptr<TreeCursor> table = FindTable(store, catalogName.c_str(), nullptr, {});
    if (!table) return false;
    out += "table " + catalogName + "\n";
    while (table->Next()) {
        uint32_t length;
        const uint8_t* row = table->Entry(&length);
        if (!row) return false;
        if (row[2] == kMarkDeleted) continue;
        out += "row " + std::to_string(Load32(row + 6));
        for (uint32_t offset = kRowFixed; offset < length;) {
            const uint8_t column = row[offset], type = row[offset + 1];
            const int32_t width = StoredValueWidth(type, row + offset + 2, length - offset - 2);
            if (width < 0) return false;
            StoredColumn value;
            FindColumnInRow(row, length, column, value);
            out += " " + std::to_string(column) + ":" + std::to_string(type) + ":";
            if (type == kStoreShort || type == kStoreLong || type == kStoreLongText ||
                type == kStoreLongBinary)
                out += std::to_string(value.AsInt());
            else
                out += Hex(value.value, value.length);
            offset += 2 + uint32_t(width);
        }
        out += "\n";
    }
    return true;
}

// The dump of the whole file: catalog names in catalog order, then each table.
inline bool DumpStore(PageStore& store, std::string& out) {
    std::vector<std::string> names;
    TreeCursor catalog(store);
    while (catalog.Next()) {
        uint32_t length;
        const uint8_t* entry = catalog.Entry(&length);
        if (!entry) return false;
        if (entry[2] == kMarkDeleted) continue;
        names.emplace_back(reinterpret_cast<const char*>(entry + kCatalogEntryFixed),
                           Load32(entry + 14));
    }
    out.clear();
    for (const std::string& name : names) out += "catalog " + name + "\n";
    for (const std::string& name : names)
        if (!DumpTable(store, name, out)) return false;
    return true;
}

}  // namespace storage_kit

namespace storage_kit {

// A memory file whose process "ends" after a number of steps that reach the disk (writes, length
// changes, flushes, journal creation and removal): from then on nothing more arrives, though the
// code runs on as if it did.
class CrashingFile final : public StorageFile {
public:
    CrashingFile(std::shared_ptr<MemoryStorageFile::Contents> contents,
                 std::shared_ptr<int> stepsLeft)
        : mFile(std::move(contents)), mStepsLeft(std::move(stepsLeft)) {}

    bool ReadAt(uint32_t offset, void* buffer, uint32_t length) override {
        return mFile.ReadAt(offset, buffer, length);
    }
    bool WriteAt(uint32_t offset, const void* buffer, uint32_t length) override {
        return !Step() || mFile.WriteAt(offset, buffer, length);
    }
    uint32_t Length() override { return mFile.Length(); }
    bool SetLength(uint32_t length) override { return !Step() || mFile.SetLength(length); }
    bool Flush() override { return true; }
    bool IsReadOnly() const override { return false; }
    std::unique_ptr<StorageFile> OpenJournal(bool create) override {
        if (create && !Step()) return std::make_unique<CrashingFile>(
            std::make_shared<MemoryStorageFile::Contents>(), mStepsLeft);
        std::unique_ptr<StorageFile> journal = mFile.OpenJournal(create);
        if (!journal) return nullptr;
        auto* memory = static_cast<MemoryStorageFile*>(journal.get());
        return std::make_unique<CrashingFile>(memory->Shared(), mStepsLeft);
    }
    bool RemoveJournal() override { return !Step() || mFile.RemoveJournal(); }
    bool Dead() const { return *mStepsLeft <= 0; }

private:
    // True while the process still lives.
    bool Step() { return (*mStepsLeft)-- > 0; }

    MemoryStorageFile mFile;
    std::shared_ptr<int> mStepsLeft;
};

}  // namespace storage_kit
