// The built-in database engine through its engine and cursor records, as the database classes
// call it, against SQLite's prepared statements (built from its amalgamation with the same
// compiler and flags): a table of an integer key, a text and a double, in files in the temporary
// folder. The printed ratios are SQLite's time over the engine's; each side does the same work in
// the same run.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "BenchTiming.h"
#include "core/SmallBlockAllocator.h"
#include "database/BuiltinEngine.h"
#include "database/DataFileStorage.h"
#include "database/DatabaseObjects.h"
#include "files/DataFile.h"
#include "sqlite3.h"

namespace {

// The measurement's sizes (100,000 rows, 1,000 transactions) can be given on the command line; the
// defaults keep a run under the emulated machine within minutes.
int kRows = 20000;
int kLookups = 5000;
int kTransactions = 100;
constexpr int kPerTransaction = 100;

int32_t KeyAt(int i) { return int32_t((int64_t(i) * 7919) % 1000003); }
std::string TextOf(int32_t key) { return "row number " + std::to_string(key); }
double DoubleOf(int32_t key) { return key * 0.25; }

std::string TempPath(const char* name) {
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + name;
}

string R(const std::string& text) {
    string s;
    s.SetBytes(text.data(), int32_t(text.size()));
    return s;
}

struct Timings {
    double inserts, lookups, like, updates, transactions;
    uint64_t checksum = 0;
};

class Engine {
public:
    explicit Engine(const std::string& path) {
        object = WrapEngineStore(CreateDatabaseFile(R(path)));
        e = AsDatabase(object)->engine;
        h = AsDatabase(object)->handle;
        string names[3] = {R("k"), R("v"), R("d")};
        ColumnDefinitionNode columns[3] = {{&columns[1], names[0].Record(), kDBTypeLong, 0},
                                           {&columns[2], names[1].Record(), kDBTypeText, 1},
                                           {nullptr, names[2].Record(), kDBTypeDouble, 1}};
        const uint8_t key = 0;
        e->CreateTable(h, table.Record(), columns, &key, 1);
        e->Commit(h);
    }
    ~Engine() {
        e->CloseDatabase(h);
        AsDatabase(object)->handle = nullptr;
        RuntimeUnlockObject(object);
    }
    bool Insert(int32_t key) {
        string k = R(std::to_string(key)), v = R(TextOf(key)), d = R(std::to_string(DoubleOf(key)));
        RecordColumnNode nodes[3] = {{&nodes[1], kName.Record(), k.Record(), kDBTypeLong},
                                     {&nodes[2], vName.Record(), v.Record(), kDBTypeText},
                                     {nullptr, dName.Record(), d.Record(), kDBTypeDouble}};
        e->AddTableRecord(h, table.Record(), nodes);
        return e->LastErrorCode(h) == 0;
    }
    ObjectHeader* Open(WhereNode* where) {
        ColumnNameNode columns{nullptr, star.Record()};
        return e->OpenTableCursor(h, table.Record(), &columns, where);
    }

    ObjectHeader* object;
    PluginDBEngineRecord* e;
    QUORdbHandle h;
    string table = R("t"), kName = R("k"), vName = R("v"), dName = R("d"), star = R("*");
};

// The text length of column 2 (v: columns come as d, k, v) of the cursor's current row.
int32_t TextLength(CursorObject* c) {
    const void* bytes;
    uint8_t type;
    int32_t length = 0;
    c->record->ColumnValue(c->handle, 2, &bytes, &type, &length);
    c->record->ReleaseValue(c->handle);
    return length;
}

Timings RunEngine() {
    Timings t{};
    const std::string path = TempPath("qv-engine-bench.qvdb");
    DeleteFileA(path.c_str());
    DeleteFileA((path + ".journal").c_str());
    Engine db(path);
    double start = Seconds();
    for (int i = 0; i < kRows; ++i) t.checksum += db.Insert(KeyAt(i));
    db.e->Commit(db.h);
    t.inserts = Seconds() - start;

    start = Seconds();
    for (int i = 0; i < kLookups; ++i) {
        string literal = R(std::to_string(KeyAt((i * 31) % kRows)));
        WhereNode leaf{nullptr, nullptr, kWhereEqual, 0, db.kName.Record(), literal.Record()};
        ObjectHeader* cursor = db.Open(&leaf);
        CursorObject* c = AsCursor(cursor);
        if (!c->eof) t.checksum += uint32_t(TextLength(c));
        RuntimeUnlockObject(cursor);
    }
    t.lookups = Seconds() - start;

    start = Seconds();
    {
        string pattern = R("%77%");
        WhereNode leaf{nullptr, nullptr, kWhereLike, 0, db.vName.Record(), pattern.Record()};
        ObjectHeader* cursor = db.Open(&leaf);
        CursorObject* c = AsCursor(cursor);
        for (bool on = !c->eof; on; on = c->record->NextRow(c->handle)) t.checksum += uint32_t(TextLength(c));
        RuntimeUnlockObject(cursor);
    }
    t.like = Seconds() - start;

    start = Seconds();
    {
        ObjectHeader* cursor = db.Open(nullptr);
        CursorObject* c = AsCursor(cursor);
        int i = 0;
        for (bool on = !c->eof; on; on = c->record->NextRow(c->handle)) {
            string value = R(std::to_string(++i));
            PendingEdit edit{nullptr, 0, value.Record()};
            c->record->UpdateRow(c->handle, &edit);
            t.checksum += db.e->LastErrorCode(db.h) == 0;
        }
        RuntimeUnlockObject(cursor);
        db.e->Commit(db.h);
    }
    t.updates = Seconds() - start;

    start = Seconds();
    for (int n = 0; n < kTransactions; ++n) {
        for (int i = 0; i < kPerTransaction; ++i) t.checksum += db.Insert(2000000 + n * kPerTransaction + i);
        db.e->Commit(db.h);
    }
    t.transactions = Seconds() - start;
    DeleteFileA(path.c_str());
    return t;
}

Timings RunSqlite() {
    Timings t{};
    const std::string path = TempPath("qv-engine-bench.sqlite");
    DeleteFileA(path.c_str());
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    sqlite3_exec(db, "CREATE TABLE t(k INTEGER PRIMARY KEY, v TEXT, d REAL)", nullptr, nullptr, nullptr);
    sqlite3_stmt *insert, *lookup, *like, *update;
    sqlite3_prepare_v2(db, "INSERT INTO t VALUES(?, ?, ?)", -1, &insert, nullptr);
    sqlite3_prepare_v2(db, "SELECT d, k, v FROM t WHERE k = ?", -1, &lookup, nullptr);
    sqlite3_prepare_v2(db, "SELECT d, k, v FROM t WHERE v LIKE '%77%'", -1, &like, nullptr);
    sqlite3_prepare_v2(db, "UPDATE t SET d = ? WHERE k = ?", -1, &update, nullptr);
    auto insertRow = [&](int32_t key) {
        const std::string text = TextOf(key);
        sqlite3_bind_int(insert, 1, key);
        sqlite3_bind_text(insert, 2, text.data(), int(text.size()), SQLITE_TRANSIENT);
        sqlite3_bind_double(insert, 3, DoubleOf(key));
        t.checksum += sqlite3_step(insert) == SQLITE_DONE;
        sqlite3_reset(insert);
    };
    double start = Seconds();
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    for (int i = 0; i < kRows; ++i) insertRow(KeyAt(i));
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    t.inserts = Seconds() - start;

    start = Seconds();
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    for (int i = 0; i < kLookups; ++i) {
        sqlite3_bind_int(lookup, 1, KeyAt((i * 31) % kRows));
        if (sqlite3_step(lookup) == SQLITE_ROW) t.checksum += uint32_t(sqlite3_column_bytes(lookup, 2));
        sqlite3_reset(lookup);
    }
    t.lookups = Seconds() - start;
    start = Seconds();
    while (sqlite3_step(like) == SQLITE_ROW) t.checksum += uint32_t(sqlite3_column_bytes(like, 2));
    sqlite3_reset(like);
    t.like = Seconds() - start;
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);

    // Every row in key order, as the engine's cursor walks them.
    start = Seconds();
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    {
        sqlite3_stmt* keys;
        sqlite3_prepare_v2(db, "SELECT k FROM t ORDER BY k", -1, &keys, nullptr);
        int i = 0;
        while (sqlite3_step(keys) == SQLITE_ROW) {
            sqlite3_bind_double(update, 1, ++i);
            sqlite3_bind_int(update, 2, sqlite3_column_int(keys, 0));
            t.checksum += sqlite3_step(update) == SQLITE_DONE;
            sqlite3_reset(update);
        }
        sqlite3_finalize(keys);
    }
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    t.updates = Seconds() - start;

    start = Seconds();
    for (int n = 0; n < kTransactions; ++n) {
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        for (int i = 0; i < kPerTransaction; ++i) insertRow(2000000 + n * kPerTransaction + i);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    }
    t.transactions = Seconds() - start;
    for (sqlite3_stmt* statement : {insert, lookup, like, update}) sqlite3_finalize(statement);
    sqlite3_close(db);
    DeleteFileA(path.c_str());
    return t;
}

void Print(const char* what, double ours, double theirs) {
    std::printf("%s: %.2f (SQLite %.3f s / engine %.3f s)\n", what, theirs / ours, theirs, ours);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 3) {
        kRows = std::atoi(argv[1]);
        kLookups = std::atoi(argv[2]);
        kTransactions = std::atoi(argv[3]);
    }
    InitAllocatorLock();
    InitStringLock();
    InitializeDataFileLock();
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    const Timings ours = RunEngine();
    const Timings theirs = RunSqlite();
    std::printf("%d rows, %d lookups; ratios are SQLite's time over the engine's\n", kRows, kLookups);
    Print("inserts in one transaction", ours.inserts, theirs.inserts);
    Print("lookups by an equality leaf", ours.lookups, theirs.lookups);
    Print("LIKE scan", ours.like, theirs.like);
    Print("UpdateRow of every row", ours.updates, theirs.updates);
    Print("transactions of 100 inserts", ours.transactions, theirs.transactions);
    std::printf("checksums %s\n", ours.checksum == theirs.checksum ? "agree" : "differ");
    return 0;
}
