// The built-in engine over memory files, built natively under the sanitizers: its table slots,
// cursors, WHERE evaluation (against a model of the rows, and with trees deeper than any stack),
// LIKE's bounded time and the error texts. Leaves a database file that the independent reader
// must list (engine.qvdb and engine.dump).
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "database/EngineDatabase.h"
#include "tests/database/native/StorageTestKit.h"

int gReports = 0;
extern "C" void ReportFailure(int32_t, int16_t, const char*, int32_t, const char*, const char*) { ++gReports; }

namespace {

int failures = 0;

void Expect(bool ok, const std::string& what) {
    if (ok) return;
    ++failures;
    std::printf("FAIL %s\n", what.c_str());
}

void ExpectEqual(const std::string& got, const std::string& want, const std::string& what) {
    Expect(got == want, what + ": got \"" + got + "\", want \"" + want + "\"");
}

std::string ValueText(EngineCursor& cursor, int32_t column) {
    const void* bytes;
    uint8_t type;
    int32_t length;
    cursor.ColumnValue(column, &bytes, &type, &length);
    const auto* b = static_cast<const unsigned char*>(bytes);
    std::string out;
    switch (type) {
        case 0: out = "-"; break;
        case 2: { int16_t v; std::memcpy(&v, b, 2); out = std::to_string(v); break; }
        case 3: { int32_t v; std::memcpy(&v, b, 4); out = std::to_string(v); break; }
        case 7: { double v; std::memcpy(&v, b, 8); out = std::to_string(v); break; }
        case 8: out = std::to_string(b[0] << 8 | b[1]) + "-" + std::to_string(b[2] << 8 | b[3]) + "-" +
                      std::to_string(b[4] << 8 | b[5]); break;
        case 12: out = b[0] ? "true" : "false"; break;
        default: out.assign(reinterpret_cast<const char*>(b), size_t(length));
    }
    cursor.ReleaseValue();
    return out;
}

std::string Rows(EngineDatabase& db, EngineCursor* cursor) {
    if (!cursor) return "none";
    std::string out;
    while (cursor->NextRow()) {
        if (!out.empty()) out += " ";
        for (int32_t i = 0; i < cursor->ColumnCount(); ++i) out += (i ? "|" : "") + ValueText(*cursor, i);
    }
    db.CloseCursor(cursor);
    return out;
}

std::string Error(EngineDatabase& db) {
    return db.LastErrorCode() ? std::to_string(db.LastErrorCode()) + " " + db.LastErrorText() : "0";
}

struct Tree {
    WhereCopy copy;
    int32_t Leaf(const std::string& column, int32_t op, const std::string& literal, int32_t mode = 0) {
        WhereTerm term;
        term.op = op;
        term.mode = mode;
        term.column = column;
        term.literal = literal;
        copy.terms.push_back(term);
        return copy.root = int32_t(copy.terms.size() - 1);
    }
    int32_t Join(int32_t op, int32_t left, int32_t right) {
        WhereTerm term;
        term.op = op;
        term.left = left;
        term.right = right;
        copy.terms.push_back(term);
        return copy.root = int32_t(copy.terms.size() - 1);
    }
};

ColumnText Named(const std::string& name, const std::string& text, bool present = true) {
    return {name, -1, present, text};
}

void TablesAndRecords(EngineDatabase& db) {
    db.CreateTable("People", {{"id", kStoreLong, 1}, {"bad", 4, 1}}, {0});
    ExpectEqual(Error(db), "2002 Unable to create People because an unsupported column type was used", "2002");
    db.CreateTable("People", {{"Name", kStoreText, 0}, {"born", kStoreDate, 1}, {"ok", kStoreBoolean, 1},
                              {"memo", kStoreLongText, 1}},
                   {0});
    ExpectEqual(Error(db), "0", "CreateTable after the orphan");
    const std::string memo(10000, 'm');
    const struct {
        std::vector<ColumnText> values;
        const char* error;
    } records[] = {
        {{Named("Name", "O'Hara"), Named("born", "1999-12-31"), Named("ok", "TRUE"), Named("memo", memo)}, "0"},
        {{Named("name", "Smith"), Named("ok", "yes")}, "0"},
        {{Named("born", "2000-1-1")}, "2003 NotNull column violation"},
        {{Named("Name", "", false)}, "2003 NotNull column violation"},
        {{Named("Name", "X"), Named("born", "31.12.1999")}, "2003 Invalid date format"},
        {{Named("Name", "Smith")}, "2005 Insert failed: primary key violation"},
        {{Named("Name", "Y"), Named("nope", "1")}, "2003 Unknown column nope"},
    };
    for (const auto& r : records) {
        db.AddTableRecord("people", r.values);
        ExpectEqual(Error(db), r.error, "AddTableRecord " + r.values[0].text);
    }
    EngineCursor* all = db.OpenTableCursor("People", {"*"}, {});
    std::string rows = Rows(db, all);
    const size_t at = rows.find(memo);
    if (at != std::string::npos) rows.replace(at, memo.size(), "<memo>");
    ExpectEqual(rows, "1999-12-31|<memo>|O'Hara|true -|-|Smith|false", "rows in collation order");
    ExpectEqual(Rows(db, db.FieldSchemaCursor("people")),
                "born|8|false|false|0 memo|15|false|false|0 Name|5|true|true|0 ok|12|false|false|0",
                "FieldSchema");
    EngineCursor* keyed = db.OpenTableCursor("People", {"*"}, {});
    keyed->NextRow();
    std::string_view key, condition;
    Expect(keyed->RowKey(3, &key, &condition), "RowKey");
    ExpectEqual(std::string(key) + " " + std::string(condition), "People!ok Name='O''Hara'", "RowKey texts");
    db.CloseCursor(keyed);
}

void Comparisons(EngineDatabase& db) {
    db.CreateTable("W", {{"v", kStoreText, 1}, {"b", kStoreBoolean, 1}, {"z", kStoreLong, 1}}, {});
    for (const char* v : {"abcd", "abc", "ab", "ABCD"})
        db.AddTableRecord("W", {Named("v", v), Named("b", "true")});
    const struct {
        const char* column;
        int32_t op, mode;
        const char* literal;
        const char* rows;
    } cases[] = {
        {"v", kOpLike, 0, "a_c%", "abcd abc"},   {"v", kOpLike, 1, "a_c%", "abcd abc ABCD"},
        {"v", kOpNotLike, 0, "a_c%", "ab ABCD"}, {"v", kOpEqual, 3, "abcd", "abcd ABCD"},
        {"z", kOpIsNull, 0, "", "abcd abc ab ABCD"}, {"z", kOpIsNotNull, 0, "", ""},
    };
    for (const auto& c : cases) {
        Tree tree;
        tree.Leaf(c.column, c.op, c.literal, c.mode);
        ExpectEqual(Rows(db, db.OpenTableCursor("W", {"v"}, tree.copy)), c.rows,
                    std::string("WHERE ") + c.column + " " + std::to_string(c.op) + " " + c.literal);
    }
    for (int32_t op = kOpEqual; op <= kOpNotLike; ++op)
        for (const char* column : {"b", "z"}) {
            Tree tree;
            tree.Leaf(column, op, "1");
            ExpectEqual(Rows(db, db.OpenTableCursor("W", {"v"}, tree.copy)), "",
                        std::string("boolean and NULL are false: ") + column + std::to_string(op));
        }
    Tree deep;
    int32_t chain = deep.Leaf("v", kOpLike, "%b%");
    for (int i = 0; i < 100000; ++i) chain = deep.Join(kOpAnd, deep.Leaf("v", kOpNotEqual, "x"), chain);
    deep.Join(kOpOr, deep.Leaf("v", kOpEqual, "none"), chain);
    ExpectEqual(Rows(db, db.OpenTableCursor("W", {"v"}, deep.copy)), "abcd abc ab", "a chain of 100,000");
    const std::string text(20000, 'a');
    std::string pattern;
    for (int i = 0; i < 200; ++i) pattern += "%a";
    pattern += "b";
    const auto start = std::chrono::steady_clock::now();
    Expect(!LikeMatch(text, pattern), "LIKE without a match");
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    Expect(seconds < 5, "LIKE took " + std::to_string(seconds) + " s");
}

void Updates(EngineDatabase& db) {
    db.CreateTable("U", {{"id", kStoreLong, 0}, {"day", kStoreDate, 1}, {"note", kStoreText, 1}}, {0});
    for (const char* id : {"1", "2", "3"})
        db.AddTableRecord("U", {Named("id", id), Named("day", "2001-02-03"), Named("note", "n")});
    EngineCursor* cursor = db.OpenTableCursor("U", {"*"}, {});  // day, id, note
    cursor->NextRow();
    cursor->UpdateRow({{"", 2, true, "changed"}});
    cursor->NextRow();
    cursor->UpdateRow({{"", 1, true, "3"}});
    ExpectEqual(Error(db), "2005 Insert failed: primary key violation", "colliding key");
    cursor->UpdateRow({{"", 0, true, "soon"}});
    ExpectEqual(Error(db), "2003 Invalid date format", "UpdateRow date");
    cursor->UpdateRow({{"", 1, true, "10"}});
    ExpectEqual(Error(db), "0", "key change");
    Expect(cursor->NextRow() && ValueText(*cursor, 1) == "3", "the row after the moved one");
    Expect(!cursor->NextRow(), "the moved row is not met again");
    db.CloseCursor(cursor);
    ExpectEqual(Rows(db, db.OpenTableCursor("U", {"*"}, {})),
                "2001-2-3|1|changed 2001-2-3|3|n 2001-2-3|10|n", "after the walk");
}

// A memory file whose temporary files refuse writes after a budget (none: cannot be made).
class FlakyTemporaries final : public StorageFile {
public:
    FlakyTemporaries(std::shared_ptr<MemoryStorageFile::Contents> contents, int budget)
        : mFile(std::move(contents)), mBudget(budget) {}
    bool ReadAt(uint32_t offset, void* buffer, uint32_t length) override { return mFile.ReadAt(offset, buffer, length); }
    bool WriteAt(uint32_t offset, const void* buffer, uint32_t length) override {
        return mFile.WriteAt(offset, buffer, length);
    }
    uint32_t Length() override { return mFile.Length(); }
    bool SetLength(uint32_t length) override { return mFile.SetLength(length); }
    bool Flush() override { return true; }
    bool IsReadOnly() const override { return false; }
    std::unique_ptr<StorageFile> OpenJournal(bool create) override { return mFile.OpenJournal(create); }
    bool RemoveJournal() override { return mFile.RemoveJournal(); }
    std::unique_ptr<StorageFile> CreateTemporary() override {
        if (mBudget < 0) return nullptr;
        return std::make_unique<Budgeted>(mBudget);
    }

private:
    class Budgeted final : public StorageFile {
    public:
        explicit Budgeted(int budget) : mLeft(budget) {}
        bool ReadAt(uint32_t offset, void* buffer, uint32_t length) override { return mFile.ReadAt(offset, buffer, length); }
        bool WriteAt(uint32_t offset, const void* buffer, uint32_t length) override {
            return mLeft-- > 0 && mFile.WriteAt(offset, buffer, length);
        }
        uint32_t Length() override { return mFile.Length(); }
        bool SetLength(uint32_t length) override { return mFile.SetLength(length); }
        bool Flush() override { return true; }
        bool IsReadOnly() const override { return false; }
        std::unique_ptr<StorageFile> OpenJournal(bool) override { return nullptr; }
        bool RemoveJournal() override { return false; }

    private:
        MemoryStorageFile mFile;
        int mLeft;
    };
    MemoryStorageFile mFile;
    int mBudget;
};

// Key-changing updates of a keyless table keep every row whether the temporary file for the
// parked rows fails at once, midway or never.
void FailingTemporaryFiles() {
    for (int budget : {-1, 0, 7, 1000000}) {
        auto contents = std::make_shared<MemoryStorageFile::Contents>();
        EngineDatabase db(CreateDatabase(std::make_unique<FlakyTemporaries>(contents, budget)));
        db.CreateTable("L", {{"n", kStoreLong, 1}}, {});
        for (int i = 0; i < 50; ++i) db.AddTableRecord("L", {Named("n", std::to_string(i))});
        EngineCursor* cursor = db.OpenTableCursor("L", {"*"}, {});
        while (cursor->NextRow()) cursor->UpdateRow({{"", 0, true, std::to_string(1000 + TextToInteger(ValueText(*cursor, 0)))}});
        db.CloseCursor(cursor);
        int64_t sum = 0, rows = 0;
        cursor = db.OpenTableCursor("L", {"*"}, {});
        while (cursor->NextRow()) sum += TextToInteger(ValueText(*cursor, 0)), ++rows;
        db.CloseCursor(cursor);
        Expect(rows == 50 && sum == 50 * 1000 + 49 * 50 / 2,
               "parked rows with a temporary budget of " + std::to_string(budget) + ": " + std::to_string(rows) +
                   " rows, sum " + std::to_string(sum));
    }
}

// A "sys$fields" row whose key position or column number is out of bounds makes its table
// unreadable, with a damage report, instead of a write past the key-column table.
void DamagedCatalogRows() {
    for (const auto& [number, position] : {std::pair{1, 300}, std::pair{1, -2}, std::pair{256, 1}, std::pair{-1, 0}}) {
        auto contents = std::make_shared<MemoryStorageFile::Contents>();
        uint32_t id;
        {
            EngineDatabase db(CreateDatabase(std::make_unique<MemoryStorageFile>(contents)));
            db.CreateTable("D", {{"a", kStoreLong, 1}}, {0});
            id = db.FindTableInfo("D")->id;
            const ColumnValue field[] = {storage_kit::Long(0, int32_t(id)), storage_kit::Long(1, number),
                                         storage_kit::Text(2, "z"), storage_kit::Short(3, 1),
                                         storage_kit::Short(4, kStoreLong), storage_kit::Short(5, int16_t(position))};
            StorageBytes row = BuildRow(field, 6);
            InsertRow(*db.Store(), kSysFields, row, {0, 2}, true);
        }
        const int reports = gReports;
        EngineDatabase db(PageStore::Open(std::make_unique<MemoryStorageFile>(contents)));
        Expect(gReports == reports + 1, "a damage report for " + std::to_string(number) + "/" + std::to_string(position));
        gReports = reports;
        Expect(db.OpenTableCursor("D", {"*"}, {}) == nullptr, "no cursor over the damaged table");
        db.AddTableRecord("D", {Named("a", "1")});
        ExpectEqual(Error(db), "2003 Unknown table D", "no rows into the damaged table");
    }
}

// Random trees over a keyed table: the rows of a model, whether the equality leaves narrow the
// walk by the key or not.
void RandomTrees(EngineDatabase& db) {
    db.CreateTable("K", {{"a", kStoreLong, 0}, {"b", kStoreText, 0}, {"c", kStoreShort, 1}}, {0, 1});
    std::mt19937 random(11);
    std::map<std::pair<int, std::string>, int> model;
    for (int i = 0; i < 600; ++i) {
        const int a = int(random() % 30) - 10, c = int(random() % 40);
        const std::string b(1 + random() % 2, char('a' + random() % 5));
        db.AddTableRecord("K", {Named("a", std::to_string(a)), Named("b", b), Named("c", std::to_string(c))});
        model.emplace(std::make_pair(a, b), c);
    }
    const char* names[] = {"a", "b", "c"};
    for (int round = 0; round < 300; ++round) {
        Tree tree;
        struct Leaf {
            int column, op;
            std::string literal;
        };
        std::vector<Leaf> leaves;
        const int32_t joiner = round % 4 == 3 ? kOpOr : kOpAnd;
        int32_t root = -1;
        for (int i = 0, n = 1 + int(random() % 3); i < n; ++i) {
            Leaf leaf{int(random() % 3), random() % 2 ? kOpEqual : int(random() % 6), {}};
            leaf.literal = leaf.column == 1 ? std::string(1 + random() % 2, char('a' + random() % 5))
                                            : std::to_string(int(random() % 40) - 10);
            if (leaf.column == 2 && random() % 4 == 0) leaf.literal = "70000";  // no short
            leaves.push_back(leaf);
            const int32_t node = tree.Leaf(names[leaf.column], leaf.op, leaf.literal);
            root = root < 0 ? node : tree.Join(joiner, root, node);
        }
        std::string expected;
        for (const auto& [key, c] : model) {
            bool all = joiner == kOpAnd;
            for (const Leaf& leaf : leaves) {
                int order;
                if (leaf.column == 1) {
                    order = key.second.compare(leaf.literal);
                } else {
                    const int v = leaf.column == 0 ? key.first : c, w = std::stoi(leaf.literal);
                    order = (v > w) - (v < w);
                }
                const bool pass[] = {order == 0, order < 0, order > 0, order <= 0, order >= 0, order != 0};
                all = joiner == kOpOr ? all || pass[leaf.op] : all && pass[leaf.op];
            }
            if (!all) continue;
            if (!expected.empty()) expected += " ";
            expected += std::to_string(key.first) + "|" + key.second + "|" + std::to_string(c);
        }
        ExpectEqual(Rows(db, db.OpenTableCursor("K", {"*"}, tree.copy)), expected, "random tree " + std::to_string(round));
        if (failures > 5) return;
    }
}

}  // namespace

int main(int argc, char** argv) {
    auto contents = std::make_shared<MemoryStorageFile::Contents>();
    {
        EngineDatabase db(CreateDatabase(std::make_unique<MemoryStorageFile>(contents)));
        TablesAndRecords(db);
        Comparisons(db);
        Updates(db);
        RandomTrees(db);
        FailingTemporaryFiles();
        DamagedCatalogRows();
        const std::string before = Rows(db, db.TableSchemaCursor()) + " / " + Rows(db, db.FieldSchemaCursor("U"));
        db.Close();
        EngineDatabase reopened(PageStore::Open(std::make_unique<MemoryStorageFile>(contents)));
        ExpectEqual(Rows(reopened, reopened.TableSchemaCursor()) + " / " + Rows(reopened, reopened.FieldSchemaCursor("U")),
                    before, "schema cursors after reopening");
    }
    Expect(gReports == 0, std::to_string(gReports) + " failure reports");
    if (argc > 1) {
        const std::string path = std::string(argv[1]) + "/engine";
        std::string dump;
        std::unique_ptr<PageStore> store = PageStore::Open(std::make_unique<MemoryStorageFile>(contents));
        Expect(store && storage_kit::DumpStore(*store, dump), "dump");
        store.reset();
        std::ofstream(path + ".qvdb", std::ios::binary)
            .write(reinterpret_cast<const char*>(contents->bytes.data()), std::streamsize(contents->bytes.size()));
        std::ofstream(path + ".dump") << dump;
    }
    std::printf("%s\n", failures ? "engine check failed" : "engine check passed");
    return failures ? 1 : 0;
}
