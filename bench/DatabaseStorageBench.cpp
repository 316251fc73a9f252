// The built-in database storage against SQLite built from its amalgamation with the same compiler
// and flags: a table of an integer key and a text column, in files in the temporary folder. The
// printed ratios are the built-in engine's time over SQLite's (prepared statements, its default
// journal mode); each side does the same work in the same run.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "BenchTiming.h"
#include "database/DataFileStorage.h"
#include "database/StorageTree.h"
#include "sqlite3.h"

namespace {

// The sizes the measurement asks for (100,000 rows, 1,000 transactions) can be given on the
// command line; the defaults keep a run under the emulated machine within minutes.
int kRows = 20000;
int kTransactions = 100;
constexpr int kPerTransaction = 100;

// Keys in a scattered order, so inserts and lookups land all over the tree.
int32_t KeyAt(int i) { return int32_t((int64_t(i) * 7919) % 1000003); }  // distinct below 1000003

std::string TextOf(int32_t key) { return "row number " + std::to_string(key); }

std::string TempPath(const char* name) {
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + name;
}

StorageBytes Row(int32_t key, const std::string& text) {
    ColumnValue values[2];
    values[0].column = 0;
    values[0].type = kStoreLong;
    values[0].longValue = key;
    values[1].column = 1;
    values[1].type = kStoreText;
    values[1].bytes = reinterpret_cast<const uint8_t*>(text.data());
    values[1].length = uint32_t(text.size());
    return BuildRow(values, 2);
}

StorageBytes Key(int32_t key) {
    ColumnValue value;
    value.column = 0;
    value.type = kStoreLong;
    value.longValue = key;
    const uint8_t column = 0;
    return BuildKey(&value, 1, &column, 1);
}

struct Timings {
    double bulk, lookups, scan, transactions, oneCommit;
    uint64_t checksum = 0;
};

Timings RunBuiltIn() {
    Timings t{};
    const std::string path = TempPath("qv-bench.qvdb");
    DeleteFileA(path.c_str());
    DeleteFileA((path + ".journal").c_str());
    std::unique_ptr<PageStore> store = CreateDatabaseFile(string(path.c_str()));
    CreateTableTree(*store, "4");
    store->Commit();
    std::unique_ptr<TreeCursor> table = FindTable(*store, "4", nullptr, {0});
    double start = Seconds();
    for (int i = 0; i < kRows; ++i) {
        StorageBytes row = Row(KeyAt(i), TextOf(KeyAt(i)));
        t.checksum += InsertRow(*table, row, true) == InsertResult::kInserted;
    }
    store->Commit();
    t.bulk = Seconds() - start;

    start = Seconds();
    for (int i = 0; i < kRows; ++i) {
        const StorageBytes key = Key(KeyAt((i * 31) % kRows));
        // The row may also begin the next leaf when the search stops at the end of one.
        bool found = false;
        table->Search(key.data(), uint32_t(key.size()), &found);
        if (!found && table->AtEndOfLeaf() && table->NextMatching()) {
            StorageBytes current;
            found = table->CurrentKey(current) && current == key;
        }
        StoredColumn text;
        if (found && table->FindColumn(1, text)) t.checksum += text.length;
        table->ReleaseValue();
    }
    t.lookups = Seconds() - start;

    start = Seconds();
    table->Reset();
    while (table->NextMatching()) {
        StoredColumn key, text;
        table->FindColumn(0, key);
        table->FindColumn(1, text);
        t.checksum += uint32_t(key.AsInt()) + text.length;
    }
    t.scan = Seconds() - start;

    start = Seconds();
    for (int n = 0; n < kTransactions; ++n) {
        for (int i = 0; i < kPerTransaction; ++i) {
            const int32_t key = 2000000 + n * kPerTransaction + i;
            StorageBytes row = Row(key, TextOf(key));
            t.checksum += InsertRow(*table, row, true) == InsertResult::kInserted;
        }
        store->Commit();
    }
    t.transactions = Seconds() - start;

    constexpr int kCommits = 50;
    start = Seconds();
    for (int n = 0; n < kCommits; ++n) {
        StorageBytes row = Row(3000000 + n, TextOf(3000000 + n));
        t.checksum += InsertRow(*table, row, true) == InsertResult::kInserted;
        store->Commit();
    }
    t.oneCommit = (Seconds() - start) / kCommits;
    table.reset();
    store->Close();
    DeleteFileA(path.c_str());
    return t;
}

Timings RunSqlite() {
    Timings t{};
    const std::string path = TempPath("qv-bench.sqlite");
    DeleteFileA(path.c_str());
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    sqlite3_exec(db, "CREATE TABLE t(k INTEGER PRIMARY KEY, v TEXT)", nullptr, nullptr, nullptr);
    sqlite3_stmt *insert, *lookup, *scan;
    sqlite3_prepare_v2(db, "INSERT INTO t VALUES(?, ?)", -1, &insert, nullptr);
    sqlite3_prepare_v2(db, "SELECT v FROM t WHERE k = ?", -1, &lookup, nullptr);
    sqlite3_prepare_v2(db, "SELECT k, v FROM t", -1, &scan, nullptr);
    auto insertRow = [&](int32_t key) {
        const std::string text = TextOf(key);
        sqlite3_bind_int(insert, 1, key);
        sqlite3_bind_text(insert, 2, text.data(), int(text.size()), SQLITE_TRANSIENT);
        t.checksum += sqlite3_step(insert) == SQLITE_DONE;
        sqlite3_reset(insert);
    };
    double start = Seconds();
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    for (int i = 0; i < kRows; ++i) insertRow(KeyAt(i));
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    t.bulk = Seconds() - start;

    // Reads inside one transaction, so SQLite keeps its cache and locks between statements.
    start = Seconds();
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    for (int i = 0; i < kRows; ++i) {
        sqlite3_bind_int(lookup, 1, KeyAt((i * 31) % kRows));
        if (sqlite3_step(lookup) == SQLITE_ROW) t.checksum += sqlite3_column_bytes(lookup, 0);
        sqlite3_reset(lookup);
    }
    t.lookups = Seconds() - start;

    start = Seconds();
    while (sqlite3_step(scan) == SQLITE_ROW)
        t.checksum += uint32_t(sqlite3_column_int(scan, 0)) + sqlite3_column_bytes(scan, 1);
    sqlite3_reset(scan);
    t.scan = Seconds() - start;
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);

    start = Seconds();
    for (int n = 0; n < kTransactions; ++n) {
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        for (int i = 0; i < kPerTransaction; ++i) insertRow(2000000 + n * kPerTransaction + i);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    }
    t.transactions = Seconds() - start;

    constexpr int kCommits = 50;
    start = Seconds();
    for (int n = 0; n < kCommits; ++n) insertRow(3000000 + n);
    t.oneCommit = (Seconds() - start) / kCommits;
    sqlite3_finalize(insert);
    sqlite3_finalize(lookup);
    sqlite3_finalize(scan);
    sqlite3_close(db);
    DeleteFileA(path.c_str());
    return t;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 2) {
        kRows = std::atoi(argv[1]);
        kTransactions = std::atoi(argv[2]);
    }
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    const Timings ours = RunBuiltIn();
    const Timings theirs = RunSqlite();
    std::printf("%d inserts in one transaction: %.2f (%.3f s / %.3f s)\n", kRows,
                ours.bulk / theirs.bulk, ours.bulk, theirs.bulk);
    std::printf("%d lookups by key: %.2f (%.3f s / %.3f s)\n", kRows,
                ours.lookups / theirs.lookups, ours.lookups, theirs.lookups);
    std::printf("full scan: %.2f (%.3f s / %.3f s)\n", ours.scan / theirs.scan, ours.scan,
                theirs.scan);
    std::printf("%d transactions of %d inserts: %.2f (%.3f s / %.3f s)\n", kTransactions,
                kPerTransaction, ours.transactions / theirs.transactions, ours.transactions,
                theirs.transactions);
    std::printf("one-row commit: %.2f (%.2f ms / %.2f ms)\n", ours.oneCommit / theirs.oneCommit,
                ours.oneCommit * 1000, theirs.oneCommit * 1000);
    std::printf("checksums %s\n", ours.checksum == theirs.checksum ? "agree" : "differ");
    return 0;
}
