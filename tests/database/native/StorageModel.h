// A model check of the tree layer: random inserts, deletes, updates (keeping and changing the
// key) and lookups on a table of a long key and a text, against a std::map, with commits,
// rollbacks (often right after a split), reopenings and a small cache bound, compared by full
// scans. Returns the first difference, or nothing.
#pragma once

#include <fstream>
#include <map>
#include <random>
#include <string>

#include "StorageTestKit.h"

namespace storage_kit {

// Stands the cursor on the live row with the key; false when there is none.
inline bool FindLive(TreeCursor& table, const StorageBytes& key) {
    if (!table.Search(key.data(), uint32_t(key.size()))) return false;
    StorageBytes current;
    while (table.Next()) {
        if (!table.IsLiveInRange()) continue;
        if (!table.CurrentKey(current)) return false;
        return current == key;
    }
    return false;
}

inline std::string RowText(TreeCursor& table) {
    StoredColumn text;
    if (!table.FindColumn(1, text) || text.type != kStoreText) return "<no text>";
    return std::string(reinterpret_cast<const char*>(text.value), text.length);
}

inline std::string CompareScan(PageStore& store, const std::string& name,
                               const std::map<int32_t, std::string>& model) {
    std::unique_ptr<TreeCursor> table = FindTable(store, name.c_str(), nullptr, {0});
    if (!table) return "table lost";
    auto expected = model.begin();
    while (table->NextMatching()) {
        StoredColumn key;
        if (!table->FindColumn(0, key)) return "unreadable row";
        if (expected == model.end()) return "extra row " + std::to_string(key.AsInt());
        if (key.AsInt() != expected->first || RowText(*table) != expected->second)
            return "scan has " + std::to_string(key.AsInt()) + ", model " +
                   std::to_string(expected->first);
        ++expected;
    }
    if (expected != model.end()) return "missing row " + std::to_string(expected->first);
    return "";
}

// With a path, the final file is left there.
inline std::string RunStorageModel(uint32_t seed, int steps, uint32_t cacheLimit,
                                   const std::string& leavePath = "") {
    std::mt19937 random(seed);
    auto contents = std::make_shared<MemoryStorageFile::Contents>();
    std::unique_ptr<PageStore> store = CreateDatabase(std::make_unique<MemoryStorageFile>(contents));
    if (!store) return "create failed";
    const std::string name =
        CreateUserTable(*store, "Model", {{0, "Key", kStoreLong, 1}, {1, "Text", kStoreText, 0}});
    if (name.empty() || !store->Commit()) return "table not made";
    store->SetCacheLimit(cacheLimit);
    std::map<int32_t, std::string> current, committed;
    auto text = [&](int32_t key) {
        const int length = random() % 16 == 0 ? 1500 + int(random() % 1500) : int(random() % 120);
        return std::to_string(key) + "-" + std::string(size_t(length), char('a' + random() % 26));
    };
    const int32_t keySpace = 3000;
    for (int step = 0; step < steps; ++step) {
        const std::string where = " at step " + std::to_string(step);
        const uint32_t pagesBefore = store->PageCount();
        const int32_t key = int32_t(random() % keySpace) - keySpace / 3;
        const uint32_t action = random() % 100;
        if (action < 45) {
            const std::string value = text(key);
            StorageBytes row = KeyedRow(key, value);
            const InsertResult result = InsertRow(*store, name.c_str(), row, {0}, true);
            const bool present = current.count(key) != 0;
            if (result != (present ? InsertResult::kDuplicateKey : InsertResult::kInserted))
                return "insert of " + std::to_string(key) + " gave the wrong answer" + where;
            if (!present) current[key] = value;
        } else if (action < 60) {
            std::unique_ptr<TreeCursor> table = FindTable(*store, name.c_str(), nullptr, {0});
            const bool found = table && FindLive(*table, LongKey(key));
            if (found != (current.count(key) != 0)) return "delete lookup differs" + where;
            if (found) {
                if (!table->DeleteCurrent()) return "delete failed" + where;
                current.erase(key);
            }
        } else if (action < 75) {
            std::unique_ptr<TreeCursor> table = FindTable(*store, name.c_str(), nullptr, {0});
            const bool found = table && FindLive(*table, LongKey(key));
            if (found != (current.count(key) != 0)) return "update lookup differs" + where;
            if (!found) continue;
            const int32_t newKey = random() % 2 ? key : int32_t(random() % keySpace) - keySpace / 3;
            const std::string newText = text(newKey);
            const StorageBytes row = KeyedRow(newKey, newText);
            const bool taken = newKey != key && current.count(newKey) != 0;
            if (table->UpdateCurrent(row, LongKey(newKey), true) == taken)
                return "update answer differs" + where;
            if (!taken) {
                current.erase(key);
                current[newKey] = newText;
            }
        } else if (action < 95) {
            std::unique_ptr<TreeCursor> table = FindTable(*store, name.c_str(), nullptr, {0});
            const bool found = table && FindLive(*table, LongKey(key));
            const auto expected = current.find(key);
            if (found != (expected != current.end())) return "lookup differs" + where;
            if (found && RowText(*table) != expected->second) return "lookup text differs" + where;
        } else if (action < 98) {
            if (!store->Commit()) return "commit failed" + where;
            committed = current;
        } else {
            if (!store->Rollback()) return "rollback failed" + where;
            current = committed;
        }
        // Rollbacks right after splits and new roots.
        if (store->PageCount() > pagesBefore && random() % 4 == 0) {
            if (!store->Rollback()) return "rollback after split failed" + where;
            current = committed;
            const std::string difference = CompareScan(*store, name, current);
            if (!difference.empty()) return difference + " after a rolled-back split" + where;
        }
        if (random() % 700 == 0) {
            if (!store->Close()) return "close failed" + where;
            committed = current;
            store = PageStore::Open(std::make_unique<MemoryStorageFile>(contents));
            if (!store) return "reopen failed" + where;
            store->SetCacheLimit(cacheLimit);
        }
        if (step % 500 == 499) {
            const std::string difference = CompareScan(*store, name, current);
            if (!difference.empty()) return difference + where;
        }
    }
    if (!store->Close()) return "final close failed";
    store = PageStore::Open(std::make_unique<MemoryStorageFile>(contents));
    if (!store) return "final reopen failed";
    const std::string difference = CompareScan(*store, name, current);
    if (!leavePath.empty()) {
        std::string dump;
        DumpStore(*store, dump);
        store->Close();
        std::ofstream(leavePath + ".qvdb", std::ios::binary)
            .write(reinterpret_cast<const char*>(contents->bytes.data()),
                   std::streamsize(contents->bytes.size()));
        std::ofstream(leavePath + ".dump") << dump;
    }
    return difference.empty() ? "" : difference + " after the final reopening";
}

}  // namespace storage_kit
