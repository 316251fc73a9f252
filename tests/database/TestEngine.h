// An engine over one in-memory table for the database classes' tests: static records whose words
// a test may empty, and a log of every call it receives.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "core/RuntimeString.h"
#include "sdk/QuorvaneDatabaseEngine.h"

struct TestValue {
    uint8_t type = kDBTypeNull;
    std::vector<unsigned char> bytes;
};

inline TestValue Text(const std::string& text) {
    return {kDBTypeText, std::vector<unsigned char>(text.begin(), text.end())};
}
inline TestValue Long(int32_t v) {
    TestValue value{kDBTypeLong, std::vector<unsigned char>(4)};
    std::memcpy(value.bytes.data(), &v, 4);
    return value;
}
inline TestValue Double(double v) {
    TestValue value{kDBTypeDouble, std::vector<unsigned char>(8)};
    std::memcpy(value.bytes.data(), &v, 8);
    return value;
}
inline TestValue Single(float v) {
    TestValue value{kDBTypeFloat, std::vector<unsigned char>(4)};
    std::memcpy(value.bytes.data(), &v, 4);
    return value;
}
inline TestValue Raw(uint8_t type, std::vector<unsigned char> bytes) { return {type, std::move(bytes)}; }

struct TestTable {
    std::vector<std::string> columns;
    std::vector<std::vector<TestValue>> rows;
};

struct TestCursor {
    explicit TestCursor(TestTable* t) : table(t) {}
    TestTable* table;
    int32_t row = -1;
    std::string lentKey, lentCondition;
};

class TestEngine {
public:
    // Both records full; a test empties the words it wants missing.
    TestEngine();

    static std::vector<std::string>& Log();
    static std::string Joined();  // the log's entries joined by " | "

    // A new cursor object over the table, as engines make them.
    ObjectHeader* NewCursor(TestTable* table);
    // A new Database object over this engine.
    ObjectHeader* NewDatabase();

    PluginDBEngineRecord engine{};
    PluginDBCursorRecord cursor{};
    TestTable table;  // what SelectSQL answers
    int32_t lastErrorCode = 0;
};

// Everything is reached through one engine at a time.
TestEngine& CurrentEngine();
