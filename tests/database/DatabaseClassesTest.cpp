#include <gtest/gtest.h>
#include <windows.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "CompiledSubclass.h"
#include "DatabaseEntryPoints.h"
#include "TestEngine.h"
#include "controls/BindingInterfaces.h"
#include "core/DefinitionConversion.h"
#include "database/DatabaseShutdownContext.h"
#include "database/PluginDatabaseEngines.h"
#include "values/Date.h"
#include "values/Variant.h"

namespace {

std::string S(StringRecord* owned) {
    const string s = string::Adopt(owned);
    return std::string(s.CString(), s.Length());
}

string R(const std::string& text) {
    string s;
    s.SetBytes(text.data(), static_cast<int32_t>(text.size()));
    return s;
}

// The SQL date-time text of a Date the caller owns, releasing it; "nil" for none.
std::string DateText(ObjectHeader* date) {
    if (!date) return "nil";
    string text;
    DateToSQLDateTime(&text, date);
    RuntimeUnlockObject(date);
    return std::string(text.CString(), text.Length());
}

// A field of the cursor's 1-based column, released with the scope.
struct Field {
    Field(ObjectHeader* cursor, int32_t index) : object(cursorGetFieldByIndex(cursor, index)) {}
    ~Field() { RuntimeUnlockObject(object); }
    std::string String() const { return S(cursorFieldStringValueGetter(object)); }
    ObjectHeader* object;
};

struct Released {
    explicit Released(ObjectHeader* o) : object(o) {}
    ~Released() { RuntimeUnlockObject(object); }
    ObjectHeader* object;
};

class DatabaseFixture : public testing::Test {
protected:
    TestEngine engine;
};

// --- the interface ---

TEST(EngineInterface, RegistrationTouchesOnlyTheSystemWord) {
    PluginDBEngineRecord engineRecord;
    PluginDBCursorRecord cursorRecord;
    std::memset(&engineRecord, 0xA5, sizeof engineRecord);
    std::memset(&cursorRecord, 0xA5, sizeof cursorRecord);
    PluginRegisterDBEngine(&engineRecord);
    PluginRegisterDBCursor(&cursorRecord);
    const auto* e = reinterpret_cast<const unsigned char*>(&engineRecord);
    const auto* c = reinterpret_cast<const unsigned char*>(&cursorRecord);
    for (size_t i = 0; i < 72; ++i) {
        EXPECT_EQ(e[i], i == 4 ? 0x00 : 0xA5) << "engine byte " << i;
        EXPECT_EQ(c[i], i >= 4 && i < 8 ? 0x00 : 0xA5) << "cursor byte " << i;
    }
    // A record with every word 0 but its version is accepted, and serves empty results.
    PluginDBCursorRecord bare{};
    bare.version = kDBRecordVersion;
    PluginRegisterDBCursor(&bare);
    static int handle;
    Released cursor(WrapEngineCursor(&handle, &bare));
    ASSERT_NE(cursor.object, nullptr);
    EXPECT_TRUE(cursorBOFGetter(cursor.object) && cursorEOFGetter(cursor.object));
    EXPECT_EQ(cursorFieldCount(cursor.object), 0);
    EXPECT_EQ(cursorGetFieldByIndex(cursor.object, 1), nullptr);
    EXPECT_EQ(cursorGetFieldByName(cursor.object, R("a").Record()), nullptr);
    EXPECT_EQ(RecordSetRecordCount(cursor.object), -1);
    EXPECT_EQ(RecordSetColumnType(cursor.object, 0), -1);
    EXPECT_EQ(WrapEngineCursor(nullptr, &bare), nullptr);
    EXPECT_EQ(QUORdbDatabaseFromDBDatabase(nullptr, nullptr), nullptr);
}

TEST_F(DatabaseFixture, EmptyWordsFallBack) {
    engine.table = {{"a", "b"}, {{Text("x"), Text("y")}}};
    engine.cursor.ColumnName = nullptr;
    engine.cursor.RowCount = nullptr;
    engine.cursor.ColumnType = nullptr;
    Released cursor(engine.NewCursor(&engine.table));
    EXPECT_EQ(S(cursorFieldNameGetter(Field(cursor.object, 2).object)), "field2");
    Released byName(cursorGetFieldByName(cursor.object, R("FIELD1").Record()));
    ASSERT_NE(byName.object, nullptr);
    EXPECT_EQ(S(cursorFieldStringValueGetter(byName.object)), "x");
    EXPECT_EQ(RecordSetRecordCount(cursor.object), -1);
    EXPECT_EQ(RecordSetColumnType(cursor.object, 0), -1);
}

TEST_F(DatabaseFixture, EmptyResultIsAtBothEndsAndReadsEmptyValues) {
    engine.table = {{"a"}, {}};
    Released cursor(engine.NewCursor(&engine.table));
    EXPECT_TRUE(cursorBOFGetter(cursor.object));
    EXPECT_TRUE(cursorEOFGetter(cursor.object));
    Field a(cursor.object, 1);
    EXPECT_EQ(a.String(), "");
    EXPECT_EQ(cursorFieldDoubleValueGetter(a.object), 0.0);
    EXPECT_EQ(CursorFieldBooleanValueGetter(a.object), 0);
    EXPECT_EQ(cursorFieldDateValueGetter(a.object), nullptr);
    EXPECT_EQ(CursorFieldValueGetter(a.object), nullptr);
    EXPECT_EQ(S(cursorFieldNativeValueGetter(a.object)), "");
}

TEST_F(DatabaseFixture, FieldsByNameIgnoreCaseAndByIndexWithinTheColumns) {
    engine.table = {{"id", "name"}, {{Long(1), Text("Ann")}}};
    Released cursor(engine.NewCursor(&engine.table));
    EXPECT_EQ(cursorFieldCount(cursor.object), 2);
    Released named(cursorGetFieldByName(cursor.object, R("NAME").Record()));
    ASSERT_NE(named.object, nullptr);
    EXPECT_EQ(S(cursorFieldStringValueGetter(named.object)), "Ann");
    EXPECT_EQ(cursorGetFieldByName(cursor.object, R("nope").Record()), nullptr);
    EXPECT_EQ(cursorGetFieldByIndex(cursor.object, 0), nullptr);
    EXPECT_EQ(cursorGetFieldByIndex(cursor.object, 3), nullptr);
    EXPECT_EQ(RecordSetRecordCount(cursor.object), 1);
    EXPECT_EQ(RecordSetColumnType(cursor.object, -1), -1);
}

// --- reading values ---

struct Reading {
    const char* what;
    TestValue value;
    const char* string;
    double number;
    int32_t integer;
    bool boolean;
    const char* date;
};

TEST(ValueReading, ConversionTable) {
    TestEngine engine;
    StringRecord* record = R("a string record").Detach();
    std::vector<unsigned char> pointer(4);
    std::memcpy(pointer.data(), &record, 4);
    const Reading cases[] = {
        {"double 0.1", Double(0.1), "0.1", 0.1, 0, true, "nil"},
        {"float 0.1", Single(0.1f), "0.1", static_cast<double>(0.1f), 0, true, "nil"},
        {"double 1/3", Double(1.0 / 3), "0.3333333333", 1.0 / 3, 0, true, "nil"},
        {"float 1/3", Single(1.0f / 3), "0.3333333", static_cast<double>(1.0f / 3), 0, true, "nil"},
        {"2.9", Double(2.9), "2.9", 2.9, 2, true, "nil"},
        {"-2.9", Double(-2.9), "-2.9", -2.9, -2, true, "nil"},
        {"1e10", Double(1e10), "1.000000000e+10", 1e10, INT32_MIN, true, "nil"},
        {"long", Long(-7), "-7", -7, -7, true, "nil"},
        {"short", Raw(kDBTypeShort, {0xFE, 0xFF}), "-2", -2, -2, true, "nil"},
        {"True", Text("True"), "True", 0, 0, true, "nil"},
        {"tomorrow", Text("tomorrow"), "tomorrow", 0, 0, true, "nil"},
        {"T", Text("T"), "T", 0, 0, true, "nil"},
        {"1", Text("1"), "1", 1, 1, false, "nil"},
        {"yes", Text("yes"), "yes", 0, 0, false, "nil"},
        {"boolean", Raw(kDBTypeBoolean, {1}), "true", 1, 1, true, "nil"},
        {"date", Raw(kDBTypeDate, {0x07, 0xD5, 0x00, 0x07, 0x00, 0x0F}), "2005-07-15", 0, 0, false,
         "2005-07-15 00:00:00"},
        {"time", Raw(kDBTypeTime, {0x00, 0x0D, 0x00, 0x05, 0x00, 0x09}), "13:05:09", 0, 0, false,
         "0001-01-01 13:05:09"},
        {"timestamp", Raw(kDBTypeTimeStamp, {0x07, 0xD5, 0, 7, 0, 15, 0, 13, 0, 5, 0, 9}),
         "2005-07-15 13:05:09", 0, 0, false, "2005-07-15 13:05:09"},
        {"year 0", Raw(kDBTypeDate, {0, 0, 0, 1, 0, 1}), "0-00-00", 0, 0, false, nullptr},
        {"string record", Raw(kDBTypeString, pointer), "a string record", 0, 0, false, "nil"},
        {"null", Raw(kDBTypeNull, {}), "", 0, 0, false, "nil"},
        {"unknown type 11", Raw(11, {1, 2, 3, 4}), "", 0, 0, false, "nil"},
        {"long too short", Raw(kDBTypeLong, {1}), "", 0, 0, false, "nil"},
    };
    for (const Reading& c : cases) {
        engine.table = {{"v"}, {{c.value}}};
        Released cursor(engine.NewCursor(&engine.table));
        Field v(cursor.object, 1);
        EXPECT_EQ(v.String(), c.string) << c.what;
        EXPECT_EQ(cursorFieldDoubleValueGetter(v.object), c.number) << c.what;
        EXPECT_EQ(cursorFieldIntegerValueGetter(v.object), c.integer) << c.what;
        EXPECT_EQ(CursorFieldBooleanValueGetter(v.object) != 0, c.boolean) << c.what;
        if (c.date) {
            EXPECT_EQ(DateText(cursorFieldDateValueGetter(v.object)), c.date) << c.what;
        }
        EXPECT_EQ(S(cursorFieldNativeValueGetter(v.object)),
                  std::string(c.value.bytes.begin(), c.value.bytes.end())) << c.what;
    }
    StringRecord::Release(record);
}

TEST(ValueReading, YearOneAndNaN) {
    TestEngine engine;
    engine.table = {{"d", "n"}, {{Raw(kDBTypeDate, {0, 1, 0, 1, 0, 1}), Double(std::nan(""))}}};
    Released cursor(engine.NewCursor(&engine.table));
    // Year 1 is before the system's calendar: it falls back.
    EXPECT_EQ(Field(cursor.object, 1).String(), "0-00-00");
    EXPECT_EQ(cursorFieldIntegerValueGetter(Field(cursor.object, 2).object), INT32_MIN);
}

TEST(ValueReading, VariantsByKind) {
    TestEngine engine;
    engine.table = {{"l", "d", "t", "b", "time", "n"},
                    {{Long(5), Double(2.5), Text("hi"), Raw(kDBTypeBoolean, {0}),
                      Raw(kDBTypeTime, {0, 13, 0, 5, 0, 9}), Raw(kDBTypeNull, {})}}};
    Released cursor(engine.NewCursor(&engine.table));
    const int32_t kinds[] = {kVariantInteger, kVariantDouble, kVariantString, kVariantBoolean,
                             kVariantDate, kVariantNil};
    for (int32_t i = 0; i < 6; ++i) {
        Released value(CursorFieldValueGetter(Field(cursor.object, i + 1).object));
        EXPECT_EQ(VarType(value.object), kinds[i]) << i;
    }
    Released time(CursorFieldValueGetter(Field(cursor.object, 5).object));
    ObjectHeader* date = nullptr;
    ASSERT_TRUE(ConvertObjectToDate(time.object, &date));
    const std::string text = DateText(date);
    EXPECT_EQ(text.substr(text.size() - 8), "13:05:09");
}

// --- editing ---

TEST_F(DatabaseFixture, SettersNeedEditAndKeepOneEditPerColumnUntilTheNextMove) {
    engine.table = {{"a", "b"}, {{Text("x"), Text("y")}, {Text("x2"), Text("y2")}}};
    Released cursor(engine.NewCursor(&engine.table));
    Field a(cursor.object, 1);
    cursorFieldStringValueSetter(a.object, R("ignored").Record());
    EXPECT_EQ(a.String(), "x");
    cursorEdit(cursor.object);
    cursorFieldStringValueSetter(a.object, R("first").Record());
    cursorFieldStringValueSetter(a.object, R("second").Record());
    EXPECT_EQ(a.String(), "second");
    ASSERT_NE(AsCursor(cursor.object)->edits, nullptr);
    EXPECT_EQ(AsCursor(cursor.object)->edits->next, nullptr);
    // True reads back True from the edit, as do non-zero numbers.
    Field b(cursor.object, 2);
    CursorFieldBooleanValueSetter(b.object, 1);
    EXPECT_EQ(CursorFieldBooleanValueGetter(b.object), 1);
    cursorFieldStringValueSetter(b.object, R("3").Record());
    EXPECT_EQ(CursorFieldBooleanValueGetter(b.object), 1);
    cursorFieldStringValueSetter(b.object, R("1e10").Record());
    EXPECT_EQ(cursorFieldIntegerValueGetter(b.object), INT32_MIN);
    cursorMoveNext(cursor.object);
    EXPECT_EQ(a.String(), "x2");
    EXPECT_EQ(AsCursor(cursor.object)->edits, nullptr);
}

TEST_F(DatabaseFixture, UpdateWithoutEngineUpdatesRunsOneStatementPerTableAndCondition) {
    engine.cursor.UpdateRow = nullptr;
    engine.engine.UpdateFields = nullptr;
    engine.table = {{"a", "b", "c", "id"}, {{Text("x"), Text("y"), Text("z"), Long(5)}}};
    Released database(engine.NewDatabase());
    Released cursor(databaseSQLSelect(database.object, R("select * from t").Record()));
    ASSERT_NE(cursor.object, nullptr);
    cursorEdit(cursor.object);
    cursorFieldIntegerValueSetter(Field(cursor.object, 1).object, 1);
    cursorFieldIntegerValueSetter(Field(cursor.object, 2).object, 2);
    cursorUpdate(cursor.object);
    cursorEdit(cursor.object);
    cursorFieldStringValueSetter(Field(cursor.object, 1).object, R("O'Neil").Record());
    cursorFieldStringValueSetter(Field(cursor.object, 3).object, nullptr);
    cursorFieldStringValueSetter(Field(cursor.object, 4).object, R("9").Record());  // no key
    cursorUpdate(cursor.object);
    // The edits stay until the next move, so the second Update writes b again; setters after
    // Update are outside Edit.
    cursorFieldStringValueSetter(Field(cursor.object, 1).object, R("late").Record());
    EXPECT_EQ(Field(cursor.object, 1).String(), "O'Neil");
    EXPECT_EQ(TestEngine::Joined(),
              "SelectSQL select * from t | EditRow | UPDATE [t] SET [a] = '1', [b] = '2' WHERE id = 5 | "
              "EditRow | UPDATE [t] SET [a] = 'O''Neil', [b] = '2', [c] = NULL WHERE id = 5");
}

TEST_F(DatabaseFixture, UpdateGoesToTheEngineWordsWhenTheyExist) {
    engine.table = {{"a", "b"}, {{Text("x"), Text("y")}}};
    Released database(engine.NewDatabase());
    Released cursor(databaseSQLSelect(database.object, R("s").Record()));
    cursorEdit(cursor.object);
    cursorFieldStringValueSetter(Field(cursor.object, 1).object, R("1").Record());
    cursorFieldStringValueSetter(Field(cursor.object, 2).object, R("2").Record());
    cursorUpdate(cursor.object);
    engine.cursor.UpdateRow = nullptr;
    cursorEdit(cursor.object);
    cursorFieldStringValueSetter(Field(cursor.object, 1).object, R("3").Record());
    cursorUpdate(cursor.object);
    EXPECT_EQ(TestEngine::Joined(),
              "SelectSQL s | EditRow | UpdateRow 1=2 0=1 | EditRow | UpdateFields t!a@id = 5=3 t!b@id = 5=2");
}

TEST_F(DatabaseFixture, ValueSetterTextsByKind) {
    engine.table = {{"a"}, {{Text("x")}}};
    Released cursor(engine.NewCursor(&engine.table));
    Field a(cursor.object, 1);
    cursorEdit(cursor.object);
    struct Case {
        ObjectHeader* value;
        std::string text;
        bool null;
    } cases[] = {
        {intToVariant(42), "42", false},
        {doubleToVariant(0.1), "0.10000000000000000555", false},
        {booleanToVariant(1), "true", false},
        {stringToVariant(nullptr), std::string(1, '\0'), false},
        {nullptr, "", true},
    };
    for (const Case& c : cases) {
        CursorFieldValueSetter(a.object, c.value);
        EXPECT_EQ(AsCursor(cursor.object)->edits->value == nullptr, c.null) << c.text;
        EXPECT_EQ(a.String(), c.text);
        RuntimeUnlockObject(c.value);
    }
    // No JPEG writer: a picture is stored as NULL and reads as nil.
    Released picture(CreateInstance(GetDatabaseRecordDefinition()));
    cursorFieldJPEGSetter(a.object, picture.object);
    EXPECT_EQ(AsCursor(cursor.object)->edits->value, nullptr);
    EXPECT_EQ(cursorFieldJPEGGetter(a.object), nullptr);
}

TEST_F(DatabaseFixture, ClosedCursorKeepsItsFlagsAndNeverCallsItsEngine) {
    engine.table = {{"a"}, {{Text("x")}, {Text("y")}}};
    Released cursor(engine.NewCursor(&engine.table));
    Field a(cursor.object, 1);
    cursorClose(cursor.object);
    cursorClose(cursor.object);
    TestEngine::Log().clear();
    EXPECT_FALSE(cursorEOFGetter(cursor.object));
    cursorMoveNext(cursor.object);
    CursorMoveFirst(cursor.object);
    cursorEdit(cursor.object);
    cursorDeleteRecord(cursor.object);
    EXPECT_EQ(a.String(), "");
    EXPECT_EQ(cursorFieldCount(cursor.object), 0);
    EXPECT_EQ(RecordSetRecordCount(cursor.object), -1);
    EXPECT_EQ(S(cursorFieldNameGetter(a.object)), "field1");
    EXPECT_FALSE(cursorEOFGetter(cursor.object));
    EXPECT_EQ(TestEngine::Joined(), "");
}

// --- the database ---

TEST_F(DatabaseFixture, InsertRecordBuildsItsStatementQuotingEveryText) {
    engine.engine.AddTableRecord = nullptr;
    Released database(engine.NewDatabase());
    Released record(CreateInstance(GetDatabaseRecordDefinition()));
    setDatabaseRecordColumn(record.object, R("a").Record(), R("O'Neil").Record());
    setDatabaseRecordIntegerColumn(record.object, R("b").Record(), 5);
    databaseInsertRecord(database.object, R("t").Record(), record.object);
    // A column first set as a number keeps its type; its text goes in quoted unless a number.
    setDatabaseRecordColumn(record.object, R("B").Record(), R("1); drop table t").Record());
    databaseInsertRecord(database.object, R("t").Record(), record.object);
    engine.engine.AddTableRecord = CurrentEngine().engine.AddTableRecord;
    EXPECT_EQ(TestEngine::Joined(), "insert into t(b,a) values (5,'O''Neil') | "
                                    "insert into t(b,a) values ('1); drop table t','O''Neil')");
}

TEST_F(DatabaseFixture, InsertRecordHandsTheColumnsToAddTableRecord) {
    Released database(engine.NewDatabase());
    Released record(CreateInstance(GetDatabaseRecordDefinition()));
    setDatabaseRecordColumn(record.object, R("a").Record(), R("x").Record());
    setDatabaseRecordIntegerColumn(record.object, R("b").Record(), 5);
    databaseInsertRecord(database.object, R("t").Record(), record.object);
    EXPECT_EQ(TestEngine::Joined(), "AddTableRecord t b=5:3 a=x:5");
}

TEST_F(DatabaseFixture, ErrorStateAndTransactions) {
    Released database(engine.NewDatabase());
    QUORDatabaseSetError(database.object, 200, "Expected 'SELECT'");
    EXPECT_EQ(databaseErrorCodeGetter(database.object), 200);
    EXPECT_EQ(S(databaseErrorStringGetter(database.object)), "Expected 'SELECT'");
    EXPECT_TRUE(databaseErrorGetter(database.object));
    Released cursor(databaseSQLSelect(database.object, R("s").Record()));
    engine.lastErrorCode = 7;
    EXPECT_EQ(databaseErrorCodeGetter(database.object), 7);
    EXPECT_EQ(S(databaseErrorStringGetter(database.object)), "engine says");
    engine.lastErrorCode = 0;
    EXPECT_FALSE(databaseErrorGetter(database.object));

    databaseCommit(database.object);
    engine.engine.Commit = nullptr;
    databaseCommit(database.object);
    engine.engine.ExecuteSQL = nullptr;
    databaseCommit(database.object);
    databaseRollback(database.object);
    EXPECT_FALSE(DatabaseConnect(database.object));
    EXPECT_EQ(TestEngine::Joined(),
              "SelectSQL s | LastErrorCode | LastErrorText | LastErrorCode | Commit | commit | Rollback");
}

TEST_F(DatabaseFixture, ClosingClosesItsCursorsFirstOnceAndLeavesTheEngineAlone) {
    Released database(engine.NewDatabase());
    Released cursor(databaseSQLSelect(database.object, R("s").Record()));
    databaseClose(database.object);
    databaseClose(database.object);
    databaseCommit(database.object);
    databaseRollback(database.object);
    EXPECT_EQ(databaseErrorCodeGetter(database.object), 0);
    EXPECT_EQ(databaseErrorStringGetter(database.object), nullptr);
    EXPECT_EQ(databaseSQLSelect(database.object, R("again").Record()), nullptr);
    EXPECT_EQ(TestEngine::Joined(), "SelectSQL s | Close | CloseDatabase");
    EXPECT_EQ(AsCursor(cursor.object)->database, nullptr);
}

TEST_F(DatabaseFixture, NeverConnectedAndDisconnectedDatabasesAnswerNothing) {
    Released bare(CreateInstance(GetDatabaseDefinition()));
    EXPECT_EQ(databaseSQLSelect(bare.object, R("s").Record()), nullptr);
    EXPECT_EQ(databaseErrorCodeGetter(bare.object), 0);
    Released database(engine.NewDatabase());
    QUORSetDBIsConnected(database.object, 256);
    EXPECT_EQ(databaseSQLSelect(database.object, R("s").Record()), nullptr);
    QUORSetDBIsConnected(database.object, 1);
    Released cursor(databaseSQLSelect(database.object, R("s").Record()));
    EXPECT_NE(cursor.object, nullptr);
    EXPECT_EQ(QUORGetDBFromQUORdbDatabase(database.object), AsDatabase(database.object)->handle);
    EXPECT_EQ(QUORGetCursorFromQUORdbCursor(cursor.object), AsCursor(cursor.object)->handle);
    EXPECT_EQ(TestEngine::Joined(), "SelectSQL s");
}

TEST_F(DatabaseFixture, TheEndOfTheApplicationClosesHeldCursorsBeforeTheirDatabase) {
    ObjectHeader* database = engine.NewDatabase();
    ObjectHeader* cursor = databaseSQLSelect(database, R("s").Record());
    DestroyShutdownContexts();
    EXPECT_EQ(TestEngine::Joined(), "SelectSQL s | Close | CloseDatabase");
    RuntimeUnlockObject(cursor);
    RuntimeUnlockObject(database);
    EXPECT_EQ(TestEngine::Joined(), "SelectSQL s | Close | CloseDatabase");
}

// --- DatabaseRecord ---

TEST(DatabaseRecordColumns, NamesIgnoreCaseAndKeepTheirFirstType) {
    Released record(CreateInstance(GetDatabaseRecordDefinition()));
    EXPECT_EQ(getDatabaseRecordFieldCount(record.object), 0);
    setDatabaseRecordColumn(record.object, R("a").Record(), R("x").Record());
    setDatabaseRecordIntegerColumn(record.object, R("A").Record(), 5);
    ASSERT_EQ(getDatabaseRecordFieldCount(record.object), 1);
    RecordColumnNode* node = reinterpret_cast<DatabaseRecordObject*>(record.object)->columns;
    EXPECT_EQ(S(getDatabaseRecordColumn(record.object, R("a").Record())), "5");
    EXPECT_EQ(node->type, kDBTypeText);
    setDatabaseRecordColumn(record.object, R("b").Record(), R("TRUE").Record());
    EXPECT_EQ(S(getDatabaseRecordIndString(record.object, 1)), "TRUE");
    EXPECT_EQ(S(getDatabaseRecordIndString(record.object, 2)), "5");
    EXPECT_EQ(getDatabaseRecordIndString(record.object, 3), nullptr);
    setDatabaseRecordColumn(record.object, R("c").Record(), R("yes").Record());
    EXPECT_TRUE(GetDatabaseRecordBooleanColumn(record.object, R("b").Record()));
    EXPECT_FALSE(GetDatabaseRecordBooleanColumn(record.object, R("c").Record()));
    EXPECT_EQ(S(getDatabaseRecordColumn(record.object, R("missing").Record())), "");
}

// --- ScrollableCursor ---

int32_t TemporaryFileCount() {
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((std::string(folder) + "qvt*.tmp").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    int32_t count = 0;
    do ++count;
    while (FindNextFileA(search, &found));
    FindClose(search);
    return count;
}

ObjectHeader* NewScrollable(ObjectHeader* cursor) {
    ObjectHeader* scrollable = CreateInstance(GetScrollableCursorDefinition());
    scrollableCursorConstructor(scrollable, cursor);
    return scrollable;
}

TEST_F(DatabaseFixture, ScrollableCursorCopiesTheRemainingRows) {
    engine.table = {{"a", "b"}, {{Text("skipped"), Text("")}, {Text("x"), Text("")}, {Text("p"), Text("q")}}};
    Released cursor(engine.NewCursor(&engine.table));
    cursorMoveNext(cursor.object);
    Released scrollable(NewScrollable(cursor.object));
    EXPECT_TRUE(cursorEOFGetter(cursor.object));
    ASSERT_EQ(scrollableCursorGetCount(scrollable.object), 2);
    EXPECT_EQ(scrollableCursorGetRow(scrollable.object, 0), nullptr);
    EXPECT_EQ(scrollableCursorGetRow(scrollable.object, 3), nullptr);
    Released second(scrollableCursorGetRow(scrollable.object, 2));
    EXPECT_EQ(S(getDatabaseRecordIndString(second.object, 1)), "p");
    EXPECT_EQ(S(getDatabaseRecordIndString(second.object, 2)), "q");
    Released first(scrollableCursorGetRow(scrollable.object, 1));
    EXPECT_EQ(S(getDatabaseRecordIndString(first.object, 1)), "x");
    EXPECT_EQ(S(getDatabaseRecordIndString(first.object, 2)), "");
    EXPECT_EQ(getDatabaseRecordColumn(first.object, R("a").Record()), nullptr);

    engine.table.rows.clear();
    Released empty(engine.NewCursor(&engine.table));
    Released none(NewScrollable(empty.object));
    EXPECT_EQ(scrollableCursorGetCount(none.object), 0);
    EXPECT_EQ(scrollableCursorGetRow(none.object, 1), nullptr);
}

TEST_F(DatabaseFixture, ScrollableCursorOfManyRowsLeavesNoTemporaryFile) {
    const int32_t before = TemporaryFileCount();
    for (int32_t i = 0; i < 10000; ++i) engine.table.rows.push_back({Long(i), Text("row " + std::to_string(i))});
    engine.table.columns = {"n", "s"};
    Released cursor(engine.NewCursor(&engine.table));
    ObjectHeader* scrollable = NewScrollable(cursor.object);
    EXPECT_EQ(TemporaryFileCount(), before + 2);
    ASSERT_EQ(scrollableCursorGetCount(scrollable), 10000);
    Released row(scrollableCursorGetRow(scrollable, 7778));
    EXPECT_EQ(S(getDatabaseRecordIndString(row.object, 2)), "row 7777");
    RuntimeUnlockObject(scrollable);
    EXPECT_EQ(TemporaryFileCount(), before);
}

// --- DatabaseQuery ---

int sCompleted = 0;
int sReloads = 0;
void QueryComplete(ObjectHeader*) { ++sCompleted; }
void ListDataReload(ObjectHeader*) { ++sReloads; }

TEST_F(DatabaseFixture, QueryRunsWithItsParameterAndNotifiesAfterExplicitRuns) {
    engine.table = {{"name"}, {{Text("Smith")}, {Text("Jones")}}};
    ClassRecord* own = CompiledSubclass(GetDatabaseQueryDefinition(), "MyQuery",
                                        {{"QueryComplete", HandlerAddress(QueryComplete)}});
    Released query(RuntimeNewObject(own));
    ClassRecord* receiverClass = RuntimeNewClass(nullptr, 0, 1, 0, 0, 0);
    receiverClass->instanceSize = kObjectHeaderSize;
    static MethodSlot reload = {HandlerAddress(ListDataReload), string("listDataReload%%").Detach()};
    receiverClass->interfaces[0] = {LookupObjectDefinition(ListDataNotificationReceiverInterface()), 1, &reload};
    Released receiver(RuntimeNewObject(receiverClass));
    databaseQueryAddLDNR(query.object, receiver.object);

    EXPECT_EQ(databaseQueryGetCount(query.object), 0);
    EXPECT_EQ(sCompleted, 0);
    DatabaseQueryObject* q = reinterpret_cast<DatabaseQueryObject*>(query.object);
    q->database = engine.NewDatabase();
    q->sqlQuery = R("select * from t where name = '%1' or '%1%'").Detach();
    q->ran = 0;
    EXPECT_EQ(databaseQueryGetCount(query.object), 2);
    EXPECT_EQ(sCompleted, 1);
    EXPECT_EQ(sReloads, 0);
    databaseQuerySetParameter(query.object, R("Smith").Record());
    EXPECT_EQ(sCompleted, 2);
    EXPECT_EQ(sReloads, 1);
    Released row(databaseQueryGetRow(query.object, 2));
    EXPECT_EQ(S(getDatabaseRecordIndString(row.object, 1)), "Jones");
    EXPECT_EQ(TestEngine::Joined(),
              "SelectSQL select * from t where name = '' or '%' | Close | "
              "SelectSQL select * from t where name = 'Smith' or 'Smith%' | Close");
}

}  // namespace
