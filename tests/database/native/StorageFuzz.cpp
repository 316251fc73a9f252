// libFuzzer target: opens mutated database files in memory and walks every table, reading every
// column and blob, looking for crashes, hangs and memory faults (damage itself is reported, not
// fatal).
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "database/StorageTree.h"

extern "C" void ReportFailure(int32_t, int16_t, const char*, int32_t, const char*, const char*) {}

namespace {

// A seed database: a keyed table across several pages, and a blob of two chunks.
StorageBytes Seed() {
    auto contents = std::make_shared<MemoryStorageFile::Contents>();
    std::unique_ptr<PageStore> store = CreateDatabase(std::make_unique<MemoryStorageFile>(contents));
    CreateTableTree(*store, "4");
    for (int32_t i = 0; i < 40; ++i) {
        ColumnValue values[2];
        values[0].column = 0;
        values[0].type = kStoreLong;
        values[0].longValue = i;
        const char text[] = "some text that fills the page";
        values[1].column = 1;
        values[1].type = kStoreText;
        values[1].bytes = reinterpret_cast<const uint8_t*>(text);
        values[1].length = uint32_t(i * 13 % 400 + 1) > sizeof text ? sizeof text : uint32_t(i % 28);
        StorageBytes row = BuildRow(values, 2);
        InsertRow(*store, "4", row, {0}, true);
    }
    const StorageBytes blob(4100, 7);
    WriteBlob(*store, blob.data(), uint32_t(blob.size()));
    store->Close();
    return contents->bytes;
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
    return 0;
}
