// libFuzzer target: opens mutated database files in memory and walks every table, reading every
// column and blob, then again through the engine with a WHERE tree, looking for crashes, hangs and
// memory faults (damage itself is reported, not fatal).
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "database/EngineDatabase.h"

extern "C" void ReportFailure(int32_t, int16_t, const char*, int32_t, const char*, const char*) {}

namespace {

// A seed database made through the engine: a keyed table across several pages, with long texts
// of one and of two blob chunks.
StorageBytes Seed() {
    auto contents = std::make_shared<MemoryStorageFile::Contents>();
    EngineDatabase db(CreateDatabase(std::make_unique<MemoryStorageFile>(contents)));
    db.CreateTable("T", {{"k", kStoreLong, 0}, {"v", kStoreText, 1}, {"m", kStoreLongText, 1}}, {0});
    const std::string text = "some text that fills the page";
    for (int32_t i = 0; i < 40; ++i) {
        std::vector<ColumnText> values = {{"k", -1, true, std::to_string(i)},
                                          {"v", -1, true, text.substr(0, size_t(i % 28))}};
        if (i % 13 == 0) values.push_back({"m", -1, true, std::string(i ? 4100 : 90, char('a' + i % 26))});
        db.AddTableRecord("T", values);
    }
    db.Close();
    return contents->bytes;
}

// Every table through the engine, with a WHERE tree over the seed's columns (or none when the
// damage lost them), reading every value and row key.
void WalkThroughEngine(std::shared_ptr<MemoryStorageFile::Contents> contents) {
    std::unique_ptr<PageStore> store = PageStore::Open(std::make_unique<MemoryStorageFile>(contents));
    if (!store) return;
    store->SetCacheLimit(8);
    EngineDatabase db(std::move(store));
    std::vector<std::string> tables;
    if (EngineCursor* schema = db.TableSchemaCursor()) {
        for (int steps = 0; schema->NextRow() && steps < 1000; ++steps) {
            const void* bytes;
            uint8_t type;
            int32_t length;
            schema->ColumnValue(0, &bytes, &type, &length);
            if (type == kStoreText) tables.emplace_back(static_cast<const char*>(bytes), size_t(length));
            schema->ReleaseValue();
        }
        db.CloseCursor(schema);
    }
    WhereCopy where;
    where.terms.resize(5);
    where.terms[0] = {-1, -1, kOpLike, kModeNoCase, "v", "%E_%", -1, 0};
    where.terms[1] = {-1, -1, kOpGreater, 0, "k", "3", -1, 0};
    where.terms[2] = {-1, -1, kOpIsNotNull, 0, "m", "", -1, 0};
    where.terms[3] = {1, 2, kOpAnd, 0, "", "", -1, 0};
    where.terms[4] = {0, 3, kOpOr, 0, "", "", -1, 0};
    where.root = 4;
    for (const std::string& table : tables) {
        EngineCursor* cursor = db.OpenTableCursor(table, {"*"}, where);
        if (!cursor) cursor = db.OpenTableCursor(table, {"*"}, {});
        if (EngineCursor* fields = db.FieldSchemaCursor(table)) {
            while (fields->NextRow()) {}
            db.CloseCursor(fields);
        }
        if (!cursor) continue;
        for (int steps = 0; cursor->NextRow() && steps < 10000; ++steps) {
            for (int32_t i = 0; i < cursor->ColumnCount(); ++i) {
                const void* bytes;
                uint8_t type;
                int32_t length;
                cursor->ColumnValue(i, &bytes, &type, &length);
                cursor->ReleaseValue();
            }
            std::string_view key, condition;
            cursor->RowKey(0, &key, &condition);
        }
        db.CloseCursor(cursor);
    }
    db.Rollback();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const StorageBytes seed = Seed();
    // The input patches the seed: pairs of a 3-byte offset and a byte; a tail shortens the file.
    auto contents = std::make_shared<MemoryStorageFile::Contents>();
    contents->bytes = seed;
    size_t at = 0;
    for (; at + 4 <= size; at += 4) {
        const uint32_t offset = (uint32_t(data[at]) << 16 | uint32_t(data[at + 1]) << 8 | data[at + 2]) %
                                uint32_t(seed.size());
        contents->bytes[offset] = data[at + 3];
    }
    if (size - at == 3) contents->bytes.resize(contents->bytes.size() - (data[at] * 64 % contents->bytes.size()));
    std::unique_ptr<PageStore> store = PageStore::Open(std::make_unique<MemoryStorageFile>(contents));
    if (!store) return 0;
    store->SetCacheLimit(8);
    for (const char* name : {kSysTables, kSysFields, kSysBlob, "4"}) {
        std::unique_ptr<TreeCursor> table = FindTable(*store, name, nullptr, {0});
        for (int steps = 0; table && table->Next() && steps < 100000; ++steps) {
            StoredColumn column;
            table->FindColumn(0, column);
            table->FindColumn(1, column);
            StorageBytes key;
            table->CurrentKey(key);
            uint32_t length;
            const uint8_t* row = table->Entry(&length);
            if (row && name == kSysBlob) {
                StorageBytes value;
                ReadBlob(*store, Load32(row + 6), value);
            }
        }
    }
    StorageBytes key(5, 0);
    key[0] = 1;
    key[1] = 0x80;
    ScanByKey(*store, "4", key, {0}, [](const uint8_t*, uint32_t) {});
    StorageBytes row(30, 0);
    InsertRow(*store, "4", row, {0}, true);
    store->Rollback();
    store.reset();
    WalkThroughEngine(contents);
    return 0;
}
