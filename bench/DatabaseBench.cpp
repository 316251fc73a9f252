// The database classes against the engine words they call, measured side by side over the test
// engine's in-memory table; the printed ratios are runtime time over direct time.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "BenchTiming.h"
#include "core/DefinitionConversion.h"
#include "core/SmallBlockAllocator.h"
#include "database/DatabaseObjects.h"
#include "files/DataFile.h"
#include "tests/database/TestEngine.h"
#include "host/RuntimeWiring.h"

namespace {

constexpr int kRows = 100000;

// IntegerValue and StringValue of every row through RecordSet fields, against ColumnValue and
// ReleaseValue called directly with the conversions done by hand.
void FieldReads(TestEngine& engine) {
    uint64_t sum = 0;
    const double ours = Best(
        [&] {
            uint64_t total = 0;
            ObjectHeader* cursor = engine.NewCursor(&engine.table);
            ObjectHeader* number = cursorGetFieldByIndex(cursor, 1);
            ObjectHeader* text = cursorGetFieldByIndex(cursor, 2);
            while (!AsCursor(cursor)->eof) {
                total += static_cast<uint32_t>(cursorFieldIntegerValueGetter(number));
                StringRecord* s = cursorFieldStringValueGetter(text);
                total += s ? s->length : 0;
                StringRecord::Release(s);
                cursorMoveNext(cursor);
            }
            RuntimeUnlockObject(number);
            RuntimeUnlockObject(text);
            RuntimeUnlockObject(cursor);
            return total;
        },
        sum);
    const double direct = Best(
        [&] {
            uint64_t total = 0;
            TestCursor handle(&engine.table);
            const PluginDBCursorRecord& r = engine.cursor;
            while (r.NextRow(&handle)) {
                const void* bytes;
                uint8_t type;
                int32_t length;
                r.ColumnValue(&handle, 0, &bytes, &type, &length);
                int32_t n;
                std::memcpy(&n, bytes, 4);
                total += static_cast<uint32_t>(static_cast<int32_t>(static_cast<double>(n)));
                r.ReleaseValue(&handle);
                r.ColumnValue(&handle, 1, &bytes, &type, &length);
                string s;
                s.SetBytes(bytes, length);
                total += s.Length();
                r.ReleaseValue(&handle);
            }
            return total;
        },
        sum);
    std::printf("IntegerValue and StringValue over %d rows, fields against engine words: %.2f\n", kRows,
                ours / direct);
}

// A ScrollableCursor filled from the cursor and read at pseudo-random rows, against the same row
// texts kept in a std::vector.
void Scrollable(TestEngine& engine) {
    uint64_t sum = 0;
    const double ours = Best(
        [&] {
            uint64_t total = 0;
            ObjectHeader* cursor = engine.NewCursor(&engine.table);
            ObjectHeader* scrollable = CreateInstance(GetScrollableCursorDefinition());
            scrollableCursorConstructor(scrollable, cursor);
            uint32_t seed = 1;
            for (int i = 0; i < kRows; ++i) {
                seed = seed * 1103515245u + 12345u;
                ObjectHeader* row = scrollableCursorGetRow(scrollable, 1 + static_cast<int32_t>(seed % kRows));
                total += reinterpret_cast<DatabaseRecordObject*>(row)->columns->value->length;
                RuntimeUnlockObject(row);
            }
            RuntimeUnlockObject(scrollable);
            RuntimeUnlockObject(cursor);
            return total;
        },
        sum);
    const double direct = Best(
        [&] {
            uint64_t total = 0;
            std::vector<std::vector<std::string>> rows;
            for (const auto& row : engine.table.rows) {
                std::vector<std::string> texts;
                int32_t n;
                std::memcpy(&n, row[0].bytes.data(), 4);
                texts.push_back(std::to_string(n));
                texts.emplace_back(row[1].bytes.begin(), row[1].bytes.end());
                rows.push_back(std::move(texts));
            }
            uint32_t seed = 1;
            for (int i = 0; i < kRows; ++i) {
                seed = seed * 1103515245u + 12345u;
                total += rows[seed % kRows][0].size();
            }
            return total;
        },
        sum);
    std::printf("ScrollableCursor of %d rows filled and read at random, against a std::vector: %.2f\n",
                kRows, ours / direct);
}

}  // namespace

int main() {
    InstallRuntimeWiring();
    InitAllocatorLock();
    InitStringLock();
    InitializeDataFileLock();
    TestEngine engine;
    engine.table.columns = {"n", "s"};
    for (int i = 0; i < kRows; ++i) engine.table.rows.push_back({Long(i), Text("row " + std::to_string(i))});
    FieldReads(engine);
    Scrollable(engine);
    return 0;
}
