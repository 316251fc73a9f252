#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "DatabaseEntryPoints.h"
#include "TemporaryFolder.h"
#include "core/DefinitionConversion.h"
#include "database/BuiltinDatabaseClass.h"
#include "database/BuiltinEngine.h"
#include "database/Database.h"
#include "database/DatabaseObjects.h"
#include "files/FolderItem.h"
#include "values/NumberFormat.h"

#undef EOF

extern "C" {
ObjectHeader* databaseTableSchema(ObjectHeader* self);
ObjectHeader* databaseFieldSchema(ObjectHeader* self, StringRecord* table);
}

namespace {

string R(const std::string& text) {
    string s;
    if (!text.empty()) s.SetBytes(text.data(), int32_t(text.size()));
    return s;
}

std::string S(StringRecord* owned) {
    const string s = string::Adopt(owned);
    return s.IsEmpty() ? std::string() : std::string(s.CString(), size_t(s.Length()));
}

struct Column {
    std::string name;
    int32_t type;
    int32_t acceptsNull = 1;
};

// A WHERE tree whose nodes and texts live as long as it does.
class Where {
public:
    WhereNode* Leaf(const std::string& column, int32_t op, const std::string& literal, int32_t mode = 0) {
        WhereNode& node = nodes.emplace_back();
        node.op = op;
        node.comparison = mode;
        node.column = Keep(column);
        node.value = Keep(literal);
        return &node;
    }
    WhereNode* Join(int32_t op, WhereNode* left, WhereNode* right) {
        WhereNode& node = nodes.emplace_back();
        node.op = op;
        node.left = left;
        node.right = right;
        return &node;
    }

private:
    StringRecord* Keep(const std::string& text) { return texts.emplace_back(R(text)).Record(); }
    std::deque<WhereNode> nodes;
    std::deque<string> texts;
};

// One value of the current row as a text: numbers in decimal, dates Y-M-D, NULL as "-".
std::string ValueText(PluginDBCursorRecord* record, QUORdbHandle cursor, int32_t column) {
    const void* bytes = nullptr;
    uint8_t type = 0;
    int32_t length = 0;
    record->ColumnValue(cursor, column, &bytes, &type, &length);
    std::string out;
    const auto* b = static_cast<const unsigned char*>(bytes);
    switch (type) {
        case kDBTypeNull: out = "-"; break;
        case kDBTypeShort: { int16_t v; std::memcpy(&v, b, 2); out = std::to_string(v); break; }
        case kDBTypeLong: { int32_t v; std::memcpy(&v, b, 4); out = std::to_string(v); break; }
        case kDBTypeFloat: { float v; std::memcpy(&v, b, 4); out = numbertext::FormatDouble(v, -1, 7); break; }
        case kDBTypeDouble: { double v; std::memcpy(&v, b, 8); out = numbertext::FormatDouble(v, -1, 7); break; }
        case kDBTypeDate:
        case kDBTypeTime:
            for (int i = 0; i < 3; ++i)
                out += (i ? (type == kDBTypeDate ? "-" : ":") : "") + std::to_string(b[2 * i] << 8 | b[2 * i + 1]);
            break;
        case kDBTypeBoolean: out = b[0] ? "true" : "false"; break;
        default: out.assign(reinterpret_cast<const char*>(b), size_t(length));
    }
    if (record->ReleaseValue) record->ReleaseValue(cursor);
    return out;
}

// A built-in database over a memory file, driven through the engine record only.
class Engine {
public:
    Engine() : contents(std::make_shared<MemoryStorageFile::Contents>()) {
        Open(CreateDatabase(std::make_unique<MemoryStorageFile>(contents)));
    }
    ~Engine() { Close(); }

    void Close() {
        if (!object) return;
        databaseClose(object);
        RuntimeUnlockObject(object);
        object = nullptr;
    }
    void Reopen() {
        Close();
        Open(PageStore::Open(std::make_unique<MemoryStorageFile>(contents)));
    }

    void CreateTable(const std::string& table, const std::vector<Column>& columns,
                     const std::vector<uint8_t>& keys) {
        std::deque<ColumnDefinitionNode> nodes(columns.size());
        std::deque<string> names;
        for (size_t i = 0; i < columns.size(); ++i) {
            nodes[i].name = names.emplace_back(R(columns[i].name)).Record();
            nodes[i].type = columns[i].type;
            nodes[i].acceptsNull = columns[i].acceptsNull;
            nodes[i].next = i + 1 < columns.size() ? &nodes[i + 1] : nullptr;
        }
        e->CreateTable(h(), R(table).Record(), nodes.empty() ? nullptr : &nodes[0], keys.data(),
                       int32_t(keys.size()));
    }
    // Values by name; "\x01" stands for a column given without a value.
    void Insert(const std::string& table, const std::vector<std::pair<std::string, std::string>>& values) {
        std::deque<RecordColumnNode> nodes(values.size());
        std::deque<string> texts;
        for (size_t i = 0; i < values.size(); ++i) {
            nodes[i].name = texts.emplace_back(R(values[i].first)).Record();
            nodes[i].value = values[i].second == "\x01" ? nullptr : texts.emplace_back(R(values[i].second)).Record();
            nodes[i].type = kDBTypeText;
            nodes[i].next = i + 1 < values.size() ? &nodes[i + 1] : nullptr;
        }
        e->AddTableRecord(h(), R(table).Record(), nodes.empty() ? nullptr : &nodes[0]);
    }
    ObjectHeader* Cursor(const std::string& table, WhereNode* where = nullptr) {
        string star("*");
        ColumnNameNode columns{nullptr, star.Record()};
        return e->OpenTableCursor(h(), R(table).Record(), &columns, where);
    }
    // Every row of a cursor object (released here), its values joined by "|", rows by " ".
    static std::string Rows(ObjectHeader* cursor) {
        if (!cursor) return "none";
        CursorObject* c = AsCursor(cursor);
        std::string out;
        for (bool on = !c->eof; on; on = c->record->NextRow(c->handle)) {
            if (!out.empty()) out += " ";
            for (int32_t i = 0; i < c->record->ColumnCount(c->handle); ++i)
                out += (i ? "|" : "") + ValueText(c->record, c->handle, i);
        }
        RuntimeUnlockObject(cursor);
        return out;
    }
    std::string Select(const std::string& table, WhereNode* where = nullptr) { return Rows(Cursor(table, where)); }
    std::string Error() {
        const int32_t code = e->LastErrorCode(h());
        return code ? std::to_string(code) + " " + S(e->LastErrorText(h())) : "0";
    }
    std::string Schema(const std::string& table) {
        ObjectHeader* cursor = e->FieldSchemaCursor(h(), R(table).Record());
        return Rows(cursor);
    }

    QUORdbHandle h() const { return AsDatabase(object)->handle; }
    std::shared_ptr<MemoryStorageFile::Contents> contents;
    ObjectHeader* object = nullptr;
    PluginDBEngineRecord* e = nullptr;

private:
    void Open(std::unique_ptr<PageStore> store) {
        object = WrapEngineStore(std::move(store));
        ASSERT_NE(object, nullptr);
        e = AsDatabase(object)->engine;
    }
};

// --- tables and records ---

TEST(BuiltinEngine, CreateTableErrorsKeepTheListAndTheCatalogConsistent) {
    Engine db;
    db.CreateTable("People", {{"id", kDBTypeLong}, {"bad", 4}}, {0});
    EXPECT_EQ(db.Error(), "2002 Unable to create People because an unsupported column type was used");
    db.CreateTable("People", {{"id", kDBTypeLong, 0}, {"name", kDBTypeText}}, {0});
    EXPECT_EQ(db.Error(), "0");
    db.CreateTable("PEOPLE", {{"x", kDBTypeLong}}, {});
    EXPECT_EQ(db.Error(), "2000 Unable to create PEOPLE because it already exists");
    const struct {
        const char* column;
        int32_t type;
        const char* table;
        const char* error;
    } additions[] = {
        {"when", kDBTypeDate, "People", "0"},
        {"odd", 10, "People", "2002 Unable to add odd because an unsupported  type was used"},
        {"c", kDBTypeLong, "Nobody", "2003 Unable to add column c because table 'Nobody' doesn't exist"},
    };
    for (const auto& a : additions) {
        string name = R(a.column);
        ColumnDefinitionNode node{nullptr, name.Record(), a.type, 1};
        db.e->AddTableColumn(db.h(), R(a.table).Record(), &node);
        EXPECT_EQ(db.Error(), a.error) << a.column;
    }
    ObjectHeader* tables = db.e->TableSchemaCursor(db.h());
    EXPECT_EQ(Engine::Rows(tables), "People");
    EXPECT_EQ(db.Schema("people"), "id|3|true|true|0 name|5|false|false|0 when|8|false|false|0");
    db.Reopen();
    EXPECT_EQ(Engine::Rows(db.e->TableSchemaCursor(db.h())), "People");
    EXPECT_EQ(db.Schema("People"), "id|3|true|true|0 name|5|false|false|0 when|8|false|false|0");
}

TEST(BuiltinEngine, AddTableRecordConvertsByDeclaredTypeAndReportsEachFault) {
    Engine db;
    db.CreateTable("T", {{"k", kDBTypeLong, 0}, {"s", kDBTypeShort}, {"d", kDBTypeDate}, {"t", kDBTypeTime},
                         {"b", kDBTypeBoolean}, {"r", kDBTypeDouble}, {"x", kDBTypeText}, {"m", kDBTypeLongText}},
                   {0});
    const std::string longText(10000, 'q');
    const struct {
        std::vector<std::pair<std::string, std::string>> values;
        const char* error;
    } cases[] = {
        {{{"k", "1"}, {"s", "70000"}, {"d", "2005-07-15 09:48:26"}, {"t", "2005-07-15 09:48:26"}, {"b", "TRUE"},
          {"r", "-1.5"}, {"x", "O'Hara"}, {"m", longText}},
         "0"},
        {{{"k", "2"}, {"b", "yes"}, {"x", "\x01"}}, "0"},
        {{{"x", "no key"}}, "2003 NotNull column violation"},
        {{{"k", "\x01"}, {"x", "null key"}}, "2003 NotNull column violation"},
        {{{"k", "3"}, {"zz", "1"}}, "2003 Unknown column zz"},
        {{{"k", "4"}, {"d", "15.7.2005"}}, "2003 Invalid date format"},
        {{{"k", "5"}, {"t", "9h"}}, "2003 Invalid time format"},
        {{{"k", "1"}, {"x", "again"}}, "2005 Insert failed: primary key violation"},
        {{{"k", "6"}, {"x", std::string(9000, 'w')}}, "2006 Insert failed: data too long"},
    };
    for (const auto& c : cases) {
        db.Insert("t", c.values);
        EXPECT_EQ(db.Error(), c.error) << c.values[0].second;
    }
    db.Insert("Nowhere", {{"a", "1"}});
    EXPECT_EQ(db.Error(), "2003 Unknown table Nowhere");
    // Columns come in collation order of their names: b, d, k, m, r, s, t, x.
    const auto rows = [&] {
        std::string text = db.Select("T");
        const size_t at = text.find(longText);
        return at == std::string::npos ? text : text.replace(at, longText.size(), "<long text>");
    };
    const char* expected = "true|2005-7-15|1|<long text>|-1.5|4464|9:48:26|O'Hara false|-|2|-|-|-|-|-";
    EXPECT_EQ(rows(), expected);
    db.Reopen();
    EXPECT_EQ(rows(), expected);
}

// --- WHERE ---

TEST(BuiltinEngine, WhereLeavesCompareByTheStoredType) {
    Engine db;
    db.CreateTable("W", {{"n", kDBTypeLong}, {"v", kDBTypeText}, {"b", kDBTypeBoolean}, {"z", kDBTypeText}}, {});
    for (const char* v : {"abcd", "abc", "ab", "ABCD"}) db.Insert("W", {{"n", "1"}, {"v", v}, {"b", "true"}});
    const struct {
        const char* column;
        int32_t op;
        const char* literal;
        int32_t mode;
        const char* rows;
    } cases[] = {
        {"v", kWhereLike, "a_c%", 0, "abcd abc"},
        {"v", kWhereLike, "a_c%", 1, "abcd abc ABCD"},
        {"v", kWhereNotLike, "a_c%", 0, "ab ABCD"},
        {"v", kWhereEqual, "ABC", 1, "abc"},
        {"v", kWhereEqual, "ABCD", 2, "abcd ABCD"},
        {"v", kWhereLess, "abc", 0, "ab ABCD"},
        {"n", kWhereNotLike, "1", 0, ""},
        {"n", kWhereGreaterOrEqual, "1", 0, "abcd abc ab ABCD"},
        {"z", kWhereIsNull, "", 0, "abcd abc ab ABCD"},
    };
    for (const auto& c : cases) {
        Where where;
        string v("v");
        ColumnNameNode columns{nullptr, v.Record()};
        ObjectHeader* cursor = db.e->OpenTableCursor(db.h(), R("W").Record(), &columns,
                                                     where.Leaf(c.column, c.op, c.literal, c.mode));
        EXPECT_EQ(Engine::Rows(cursor), c.rows) << c.column << " " << c.op << " " << c.literal << " " << c.mode;
    }
    // Booleans and NULL values satisfy no comparison at all.
    for (int32_t op = kWhereEqual; op <= kWhereNotLike; ++op)
        for (const char* column : {"b", "z"})
            for (const char* literal : {"true", "1", "", "%"}) {
                Where where;
                EXPECT_EQ(db.Select("W", where.Leaf(column, op, literal)), "") << column << op << literal;
            }
    Where unknown;
    EXPECT_EQ(db.Select("W", unknown.Leaf("nope", kWhereEqual, "1")), "none");
    EXPECT_EQ(db.Error(), "0");
}

TEST(BuiltinEngine, DeepWhereChainsAreCopiedEvaluatedAndFreedWithoutRecursion) {
    Engine db;
    db.CreateTable("C", {{"n", kDBTypeLong}}, {});
    db.Insert("C", {{"n", "7"}});
    db.Insert("C", {{"n", "8"}});
    Where where;
    WhereNode* chain = where.Leaf("n", kWhereGreater, "0");
    for (int i = 0; i < 100000; ++i) chain = where.Join(kWhereAnd, where.Leaf("n", kWhereLess, "100"), chain);
    EXPECT_EQ(db.Select("C", where.Join(kWhereAnd, chain, where.Leaf("n", kWhereEqual, "8"))), "8");
}

// Random trees over a keyed table agree with a model of the rows, whether or not their equality
// leaves narrow the walk by the key.
TEST(BuiltinEngine, RandomTreesSelectTheRowsOfTheModel) {
    Engine db;
    db.CreateTable("K", {{"a", kDBTypeLong, 0}, {"b", kDBTypeText, 0}, {"c", kDBTypeShort}}, {0, 1});
    std::mt19937 random(7);
    std::map<std::pair<int, std::string>, int> rows;
    for (int i = 0; i < 400; ++i) {
        const int a = int(random() % 20) - 5;
        const std::string b(1, char('a' + random() % 6));
        const int c = int(random() % 50);
        db.Insert("K", {{"a", std::to_string(a)}, {"b", b}, {"c", std::to_string(c)}});
        rows.emplace(std::make_pair(a, b), c);
    }
    const char* names[] = {"a", "b", "c"};
    for (int round = 0; round < 150; ++round) {
        Where where;
        struct Leaf {
            int column, op;
            std::string literal;
        };
        std::vector<Leaf> leaves;
        WhereNode* tree = nullptr;
        const bool useOr = round % 3 == 2;
        const int count = 1 + int(random() % 3);
        for (int i = 0; i < count; ++i) {
            Leaf leaf{int(random() % 3), random() % 3 ? kWhereEqual : int(random() % 6), {}};
            leaf.literal = leaf.column == 1 ? std::string(1, char('a' + random() % 6))
                                            : std::to_string(int(random() % 25) - 5);
            leaves.push_back(leaf);
            WhereNode* node = where.Leaf(names[leaf.column], leaf.op, leaf.literal);
            tree = tree ? where.Join(useOr ? kWhereOr : kWhereAnd, tree, node) : node;
        }
        std::string expected;
        for (const auto& [key, c] : rows) {
            bool all = !useOr;
            for (const Leaf& leaf : leaves) {
                int order;
                if (leaf.column == 1) order = key.second.compare(leaf.literal);
                else {
                    const int v = leaf.column == 0 ? key.first : c, w = std::stoi(leaf.literal);
                    order = (v > w) - (v < w);
                }
                const bool pass[] = {order == 0, order < 0, order > 0, order <= 0, order >= 0, order != 0};
                all = useOr ? all || pass[leaf.op] : all && pass[leaf.op];
            }
            if (!all) continue;
            if (!expected.empty()) expected += " ";
            expected += std::to_string(key.first) + "|" + key.second + "|" + std::to_string(c);
        }
        ASSERT_EQ(db.Select("K", tree), expected) << "round " << round;
    }
}

// --- cursors ---

TEST(BuiltinEngine, RowKeyWritesTheConditionOfTheCurrentRow) {
    Engine db;
    const struct {
        int32_t type;
        const char* value;
        const char* condition;
    } cases[] = {
        {kDBTypeText, "O'Hara", "Name='O''Hara'"},
        {kDBTypeDate, "2024-02-29", "Name='2024-2-29'"},
        {kDBTypeTime, "7:05", "Name='7:5:0'"},
        {kDBTypeDouble, "-1234567.125", "Name=-1.234567e+6"},
        {kDBTypeShort, "-12", "Name=-12"},
        {kDBTypeBoolean, "true", nullptr},
    };
    int n = 0;
    for (const auto& c : cases) {
        const std::string table = "R" + std::to_string(n++);
        db.CreateTable(table, {{"Name", c.type}, {"other", kDBTypeLong}}, {0});
        db.Insert(table, {{"Name", c.value}, {"other", "5"}});
        ObjectHeader* cursor = db.Cursor(table);
        CursorObject* o = AsCursor(cursor);
        const void *key = nullptr, *condition = nullptr;
        int32_t keyLength = 0, conditionLength = 0;
        const bool ok = o->record->RowKey(o->handle, 1, &key, &keyLength, &condition, &conditionLength);
        if (!c.condition) {
            EXPECT_FALSE(ok);
        } else {
            ASSERT_TRUE(ok) << c.value;
            EXPECT_EQ(std::string(static_cast<const char*>(key), size_t(keyLength)), table + "!other");
            EXPECT_EQ(std::string(static_cast<const char*>(condition), size_t(conditionLength)), c.condition);
        }
        RuntimeUnlockObject(cursor);
    }
}

PendingEdit Edit(int32_t column, string& value, PendingEdit* next = nullptr) {
    return PendingEdit{next, column, value.Record()};
}

TEST(BuiltinEngine, UpdateRowKeepsOtherColumnsAndLandsKeyChangesAfterTheWalk) {
    Engine db;
    db.CreateTable("U", {{"id", kDBTypeLong, 0}, {"day", kDBTypeDate}, {"note", kDBTypeText}, {"memo", kDBTypeLongText}}, {0});
    for (const char* id : {"1", "2", "3"})
        db.Insert("U", {{"id", id}, {"day", "2001-02-03"}, {"note", std::string("n") + id}, {"memo", "m"}});
    // Columns in collation order: day, id, memo, note.
    ObjectHeader* cursor = db.Cursor("U");
    CursorObject* c = AsCursor(cursor);
    string note("changed"), newId("10"), takenId("3"), badDay("tomorrow"), memo = R(std::string(9000, 'z'));
    PendingEdit changeNote = Edit(3, note);
    c->record->UpdateRow(c->handle, &changeNote);
    EXPECT_EQ(db.Error(), "0");
    ASSERT_TRUE(c->record->NextRow(c->handle));
    PendingEdit collide = Edit(1, takenId);
    c->record->UpdateRow(c->handle, &collide);
    EXPECT_EQ(db.Error(), "2005 Insert failed: primary key violation");
    PendingEdit invalid = Edit(0, badDay);
    c->record->UpdateRow(c->handle, &invalid);
    EXPECT_EQ(db.Error(), "2003 Invalid date format");
    PendingEdit grow = Edit(3, memo);
    c->record->UpdateRow(c->handle, &grow);
    EXPECT_EQ(db.Error(), "2006 Insert failed: data too long");
    PendingEdit move = Edit(1, newId);
    c->record->UpdateRow(c->handle, &move);
    EXPECT_EQ(db.Error(), "0");
    ASSERT_TRUE(c->record->NextRow(c->handle));
    EXPECT_EQ(ValueText(c->record, c->handle, 1), "3");
    PendingEdit bigMemo = Edit(2, memo);
    c->record->UpdateRow(c->handle, &bigMemo);
    EXPECT_FALSE(c->record->NextRow(c->handle));  // the moved row is not met again
    RuntimeUnlockObject(cursor);
    EXPECT_EQ(db.Select("U"), "2001-2-3|1|m|changed 2001-2-3|3|" + std::string(9000, 'z') + "|n3 2001-2-3|10|m|n2");
    db.e->Rollback(db.h());
    EXPECT_EQ(db.Select("U"), "none");
}

TEST(BuiltinEngine, DeleteRowCommitAndRollback) {
    Engine db;
    db.CreateTable("D", {{"id", kDBTypeLong}}, {0});
    db.e->Commit(db.h());
    for (const char* id : {"1", "2", "3"}) db.Insert("D", {{"id", id}});
    db.e->Commit(db.h());
    Where where;
    ObjectHeader* cursor = db.Cursor("D", where.Leaf("id", kWhereEqual, "2"));
    AsCursor(cursor)->record->DeleteRow(AsCursor(cursor)->handle);
    RuntimeUnlockObject(cursor);
    EXPECT_EQ(db.Select("D"), "1 3");
    db.e->Rollback(db.h());
    EXPECT_EQ(db.Select("D"), "1 2 3");
    db.CreateTable("Gone", {{"x", kDBTypeLong}}, {});
    db.e->Rollback(db.h());
    EXPECT_EQ(Engine::Rows(db.e->TableSchemaCursor(db.h())), "D");
    db.Reopen();
    EXPECT_EQ(db.Select("D"), "1 2 3");
}

// --- the built-in database class and files ---

class BuiltinDatabaseFiles : public TemporaryFolderTest {
protected:
    BuiltinDatabaseFiles() : TemporaryFolderTest(L"qv-qdb-") {}
    ObjectHeader* Item(const std::wstring& name) {
        const std::wstring wide = folder + name;
        std::string path(wide.begin(), wide.end());
        return NewFolderItemForPath(R(path));
    }
};

TEST_F(BuiltinDatabaseFiles, FunctionsAndTheClassCreateOpenAndConnect) {
    ObjectHeader* item = Item(L"shop.qvdb");
    ObjectHeader* made = newQUORDatabase(item);
    ASSERT_NE(made, nullptr);
    PluginDBEngineRecord* e = AsDatabase(made)->engine;
    string name("Name");
    ColumnDefinitionNode column{nullptr, name.Record(), kDBTypeText, 0};
    e->CreateTable(AsDatabase(made)->handle, R("Customers").Record(), &column, nullptr, 0);
    databaseCommit(made);
    EXPECT_EQ(databaseErrorCodeGetter(made), 0);

    ObjectHeader* database = CreateInstance(GetQUORDatabaseOldFormatDefinition());
    ASSERT_NE(database, nullptr);
    EXPECT_EQ(QUORDatabaseConnect(database), 0);
    EXPECT_EQ(S(databaseErrorStringGetter(database)), "A Database file was not specified");
    EXPECT_EQ(databaseErrorCodeGetter(database), 1);
    QUORDatabaseFolderItemSetter(database, 0, Item(L"missing\\deeper\\x.qvdb"));
    EXPECT_EQ(QUORDatabaseCreateDatabaseFile(database), 0);
    EXPECT_EQ(QUORDatabaseConnect(database), 0);
    // The file is held by the first Database: a second connection is refused.
    QUORDatabaseFolderItemSetter(database, 0, item);
    EXPECT_EQ(QUORDatabaseConnect(database), 0);
    databaseClose(made);
    RuntimeUnlockObject(made);
    ASSERT_EQ(QUORDatabaseConnect(database), 1);
    const QUORdbHandle first = AsDatabase(database)->handle;
    EXPECT_EQ(Engine::Rows(databaseTableSchema(database)), "Customers");
    // Connecting again while connected: the file is still held, the first handle stays.
    EXPECT_EQ(QUORDatabaseConnect(database), 0);
    EXPECT_EQ(AsDatabase(database)->handle, first);
    ObjectHeader* held = QUORDatabaseFolderItemGetter(database, 0);
    EXPECT_EQ(held, item);
    RuntimeUnlockObject(held);
    RuntimeUnlockObject(database);
    ObjectHeader* reopened = openQUORDatabase(item);
    ASSERT_NE(reopened, nullptr);
    EXPECT_EQ(Engine::Rows(databaseFieldSchema(reopened, R("customers").Record())), "Name|5|false|true|0");
    databaseClose(reopened);
    RuntimeUnlockObject(reopened);
    RuntimeUnlockObject(item);
}

TEST_F(BuiltinDatabaseFiles, ResourceReferencesNameFilesBesideTheExecutable) {
    wchar_t executable[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, executable, MAX_PATH);
    std::wstring besides(executable, length);
    besides.resize(besides.find_last_of(L'\\') + 1);
    CreateDirectoryW((besides + L"Data").c_str(), nullptr);
    const struct {
        const wchar_t* file;
        std::string reference;
    } cases[] = {
        {L"Customers", std::string("ZDisk:Data:Customers\x01\x01", 22)},
        {L"Data\\Customers", std::string("ZDisk:Data:Customers\x01" "Data:Customers\x01", 36)},
    };
    for (const auto& c : cases) {
        const std::wstring path = besides + c.file;
        std::string narrow(path.begin(), path.end());
        ObjectHeader* item = NewFolderItemForPath(R(narrow));
        ObjectHeader* made = newQUORDatabase(item);
        ASSERT_NE(made, nullptr);
        ColumnDefinitionNode column{nullptr, nullptr, kDBTypeLong, 1};
        string name(narrow.c_str());
        column.name = name.Record();
        AsDatabase(made)->engine->CreateTable(AsDatabase(made)->handle, R("T").Record(), &column, nullptr, 0);
        databaseClose(made);
        RuntimeUnlockObject(made);
        ObjectHeader* opened = OpenDatabaseResource(string("quordb"), c.reference.data(), uint32_t(c.reference.size()));
        ASSERT_NE(opened, nullptr);
        EXPECT_EQ(Engine::Rows(databaseFieldSchema(opened, R("T").Record())), narrow + "|3|false|false|0");
        databaseClose(opened);
        RuntimeUnlockObject(opened);
        RuntimeUnlockObject(item);
        DeleteFileW(path.c_str());
    }
    RemoveDirectoryW((besides + L"Data").c_str());
    EXPECT_EQ(OpenDatabaseResource(string("quordb"), "Q", 1), nullptr);
}

}  // namespace

namespace {

std::vector<std::wstring> TemporaryRowFiles() {
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((std::wstring(folder) + L"qvt*.tmp").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do names.push_back(found.cFileName);
    while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

// The temporary row files made since the list was taken (other files may come and go meanwhile).
std::vector<std::wstring> NewRowFiles(const std::vector<std::wstring>& before) {
    std::vector<std::wstring> made;
    for (const std::wstring& name : TemporaryRowFiles())
        if (std::find(before.begin(), before.end(), name) == before.end()) made.push_back(name);
    return made;
}

// Updates every row of a keyless table (each one parks its new version) through the records.
void UpdateEveryRow(ObjectHeader* database, const std::string& value, bool rollBackFirst,
                    const std::vector<std::wstring>& before, bool* sawFile) {
    CursorObject* c = nullptr;
    PluginDBEngineRecord* e = AsDatabase(database)->engine;
    string star("*"), table("Keyless"), text = R(value);
    ColumnNameNode columns{nullptr, star.Record()};
    ObjectHeader* cursor = e->OpenTableCursor(AsDatabase(database)->handle, table.Record(), &columns, nullptr);
    c = AsCursor(cursor);
    for (bool on = !c->eof; on; on = c->record->NextRow(c->handle)) {
        PendingEdit edit{nullptr, 1, text.Record()};
        c->record->UpdateRow(c->handle, &edit);
        if (!*sawFile) *sawFile = !NewRowFiles(before).empty();
    }
    if (rollBackFirst) e->Rollback(AsDatabase(database)->handle);
    RuntimeUnlockObject(cursor);
}

TEST_F(BuiltinDatabaseFiles, ParkedRowsGoThroughATemporaryFileThatDoesNotOutliveTheWalk) {
    const std::vector<std::wstring> before = TemporaryRowFiles();
    ObjectHeader* item = Item(L"parked.qvdb");
    ObjectHeader* database = newQUORDatabase(item);
    ASSERT_NE(database, nullptr);
    PluginDBEngineRecord* e = AsDatabase(database)->engine;
    const QUORdbHandle h = AsDatabase(database)->handle;
    string n("n"), v("v"), table("Keyless");
    ColumnDefinitionNode second{nullptr, v.Record(), kDBTypeText, 1};
    ColumnDefinitionNode first{&second, n.Record(), kDBTypeLong, 1};
    e->CreateTable(h, table.Record(), &first, nullptr, 0);
    constexpr int kRows = 20000;
    for (int i = 0; i < kRows; ++i) {
        string number = R(std::to_string(i)), text("old");
        RecordColumnNode b{nullptr, v.Record(), text.Record(), kDBTypeText};
        RecordColumnNode a{&b, n.Record(), number.Record(), kDBTypeLong};
        e->AddTableRecord(h, table.Record(), &a);
    }
    e->Commit(h);
    bool sawFile = false;
    UpdateEveryRow(database, "new", false, before, &sawFile);
    EXPECT_TRUE(sawFile);
    EXPECT_EQ(NewRowFiles(before), std::vector<std::wstring>());
    e->Commit(h);
    sawFile = false;
    UpdateEveryRow(database, "rolled back", true, before, &sawFile);
    EXPECT_TRUE(sawFile);
    EXPECT_EQ(NewRowFiles(before), std::vector<std::wstring>());
    // Every row once, each with the value of the first walk.
    string star("*");
    ColumnNameNode columns{nullptr, star.Record()};
    ObjectHeader* cursor = e->OpenTableCursor(h, table.Record(), &columns, nullptr);
    CursorObject* c = AsCursor(cursor);
    std::vector<int> seen(kRows);
    int newValues = 0, rows = 0;
    for (bool on = !c->eof; on; on = c->record->NextRow(c->handle), ++rows) {
        const int number = std::stoi(ValueText(c->record, c->handle, 0));
        if (number >= 0 && number < kRows) ++seen[size_t(number)];
        newValues += ValueText(c->record, c->handle, 1) == "new";
    }
    RuntimeUnlockObject(cursor);
    EXPECT_EQ(rows, kRows);
    EXPECT_EQ(newValues, kRows);
    EXPECT_EQ(std::count(seen.begin(), seen.end(), 1), kRows);
    databaseClose(database);
    RuntimeUnlockObject(database);
    RuntimeUnlockObject(item);
}

}  // namespace

namespace {

std::string Utf8(const std::wstring& wide) {
    std::string out(size_t(WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr)), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, out.data(), int(out.size()), nullptr, nullptr);
    out.resize(out.size() - 1);
    return out;
}

// A database made, closed and opened again at the item: the table it made is there.
std::string RoundTrip(const std::string& path) {
    string text;
    text.SetBytes(path.data(), int32_t(path.size()));
    text.SetEncoding(kEncodingUTF8);
    ObjectHeader* item = NewFolderItemForPath(text);
    if (!item) return "no item";
    ObjectHeader* made = newQUORDatabase(item);
    if (!made) {
        RuntimeUnlockObject(item);
        return "not made";
    }
    string name("Kept");
    ColumnDefinitionNode column{nullptr, name.Record(), kDBTypeLong, 1};
    AsDatabase(made)->engine->CreateTable(AsDatabase(made)->handle, R("T").Record(), &column, nullptr, 0);
    databaseClose(made);
    RuntimeUnlockObject(made);
    ObjectHeader* opened = openQUORDatabase(item);
    std::string fields = opened ? Engine::Rows(databaseFieldSchema(opened, R("T").Record())) : "not opened";
    if (opened) databaseClose(opened);
    RuntimeUnlockObject(opened);
    RuntimeUnlockObject(item);
    return fields;
}

TEST_F(BuiltinDatabaseFiles, PathsOfAnyLengthAndScript) {
    const std::wstring accented = folder + L"Daten \u00fcber \u00e9t\u00e9 \u6570\u636e";
    ASSERT_TRUE(CreateDirectoryW(accented.c_str(), nullptr));
    EXPECT_EQ(RoundTrip(Utf8(accented + L"\\b\u00e4se.qvdb")), "Kept|3|false|false|0");
    std::wstring deep = folder;
    for (int i = 0; i < 6; ++i) {
        deep += std::wstring(180, wchar_t(L'a' + i)) + L"\\";
        ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + deep).c_str(), nullptr)) << i;
    }
    ASSERT_GT(deep.size(), 1024u);
    EXPECT_EQ(RoundTrip(Utf8(deep + L"long.qvdb")), "Kept|3|false|false|0");
    DeleteFileW((L"\\\\?\\" + deep + L"long.qvdb").c_str());
    for (int i = 0; i < 6; ++i) {
        RemoveDirectoryW((L"\\\\?\\" + deep).c_str());
        deep.resize(deep.find_last_of(L'\\', deep.size() - 2) + 1);
    }
}

TEST_F(BuiltinDatabaseFiles, ConnectingElsewhereClosesTheFirstFileAndReadOnlyFilesReportTheirErrors) {
    ObjectHeader* first = Item(L"first.qvdb");
    ObjectHeader* second = Item(L"second.qvdb");
    for (ObjectHeader* item : {first, second}) {
        ObjectHeader* made = newQUORDatabase(item);
        ASSERT_NE(made, nullptr);
        databaseClose(made);
        RuntimeUnlockObject(made);
    }
    ObjectHeader* database = CreateInstance(GetQUORDatabaseOldFormatDefinition());
    QUORDatabaseFolderItemSetter(database, 0, first);
    ASSERT_EQ(QUORDatabaseConnect(database), 1);
    PluginDBEngineRecord* e = AsDatabase(database)->engine;
    string name("n");
    ColumnDefinitionNode column{nullptr, name.Record(), kDBTypeLong, 1};
    e->CreateTable(AsDatabase(database)->handle, R("Pending").Record(), &column, nullptr, 0);
    QUORDatabaseFolderItemSetter(database, 0, second);
    ASSERT_EQ(QUORDatabaseConnect(database), 1);
    // The first file was closed with its change committed, so it opens again.
    ObjectHeader* again = openQUORDatabase(first);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(Engine::Rows(databaseTableSchema(again)), "Pending");
    databaseClose(again);
    RuntimeUnlockObject(again);
    RuntimeUnlockObject(database);

    // Another reader that refuses writers: the file opens for reading only.
    HANDLE reader = CreateFileW((folder + L"first.qvdb").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    ObjectHeader* readOnly = openQUORDatabase(first);
    ASSERT_NE(readOnly, nullptr);
    const QUORdbHandle h = AsDatabase(readOnly)->handle;
    e->CreateTable(h, R("More").Record(), &column, nullptr, 0);
    EXPECT_EQ(databaseErrorCodeGetter(readOnly), 2000);
    EXPECT_EQ(S(databaseErrorStringGetter(readOnly)), "The database is read only");
    EXPECT_EQ(Engine::Rows(databaseTableSchema(readOnly)), "Pending");
    databaseClose(readOnly);
    RuntimeUnlockObject(readOnly);
    CloseHandle(reader);
    RuntimeUnlockObject(first);
    RuntimeUnlockObject(second);
}

}  // namespace
