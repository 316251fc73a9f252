#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "FailureRecorder.h"
#include "core/ObjectModel.h"
#include "windows/MouseCursor.h"

namespace {

using Record = std::vector<uint8_t>;

// A record from 16 rows of art: '#' black, '.' white, ' ' outside the mask, '~' an image bit
// outside the mask (inverts the screen).
Record MakeRecord(const char* const rows[16], int16_t v, int16_t h, bool bigEndian) {
    Record record(kCursorRecordSize, 0);
    for (int row = 0; row < 16; ++row) {
        for (int column = 0; column < 16; ++column) {
            const char c = rows[row][column];
            const uint8_t bit = static_cast<uint8_t>(0x80 >> (column % 8));
            const int at = row * 2 + column / 8;
            if (c == '#' || c == '~') record[at] |= bit;
            if (c == '#' || c == '.') record[32 + at] |= bit;
        }
    }
    for (int i = 0; i < 2; ++i) {
        const uint16_t value = static_cast<uint16_t>(i == 0 ? v : h);
        record[64 + 2 * i] = static_cast<uint8_t>(bigEndian ? value >> 8 : value & 0xFF);
        record[65 + 2 * i] = static_cast<uint8_t>(bigEndian ? value & 0xFF : value >> 8);
    }
    return record;
}

struct Planes {
    int hotX = -1, hotY = -1;
    int width = 0, height = 0;
    std::vector<uint8_t> andBits, xorBits;  // 32 rows of 4 bytes each
};

// Both planes of a monochrome cursor as the system keeps them (GetIconInfo).
Planes ReadPlanes(HCURSOR cursor) {
    Planes planes;
    ICONINFO info = {};
    if (!GetIconInfo(cursor, &info)) return planes;
    planes.hotX = static_cast<int>(info.xHotspot);
    planes.hotY = static_cast<int>(info.yHotspot);
    BITMAP bitmap = {};
    GetObjectA(info.hbmMask, sizeof bitmap, &bitmap);
    planes.width = bitmap.bmWidth;
    planes.height = bitmap.bmHeight;  // the AND plane above the XOR plane when there is no colour
    std::vector<uint8_t> bits(static_cast<size_t>(bitmap.bmWidthBytes * bitmap.bmHeight));
    GetBitmapBits(info.hbmMask, static_cast<LONG>(bits.size()), bits.data());
    for (int row = 0; row < bitmap.bmHeight; ++row) {
        for (int b = 0; b < 4; ++b) {
            const uint8_t value = bits[static_cast<size_t>(row * bitmap.bmWidthBytes + b)];
            (row < 32 ? planes.andBits : planes.xorBits).push_back(value);
        }
    }
    DeleteObject(info.hbmMask);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    return planes;
}

// Checks the planes against the record: the top-left 16 x 16 from the record, the rest
// transparent.
void ExpectPlanesOf(const Planes& planes, const Record& record, int hotX, int hotY) {
    EXPECT_EQ(planes.hotX, hotX);
    EXPECT_EQ(planes.hotY, hotY);
    EXPECT_EQ(planes.width, 32);
    ASSERT_EQ(planes.andBits.size(), 128u);
    ASSERT_EQ(planes.xorBits.size(), 128u);
    for (int row = 0; row < 32; ++row) {
        for (int b = 0; b < 4; ++b) {
            uint8_t andBits = 0xFF, xorBits = 0;
            if (row < 16 && b < 2) {
                const uint8_t image = record[static_cast<size_t>(row * 2 + b)];
                const uint8_t mask = record[static_cast<size_t>(32 + row * 2 + b)];
                andBits = static_cast<uint8_t>(~mask);
                xorBits = static_cast<uint8_t>(image ^ mask);
            }
            EXPECT_EQ(planes.andBits[static_cast<size_t>(row * 4 + b)], andBits) << row << "/" << b;
            EXPECT_EQ(planes.xorBits[static_cast<size_t>(row * 4 + b)], xorBits) << row << "/" << b;
        }
    }
}

const char* const kArrowArt[16] = {
    "#               ", "##              ", "#.#             ", "#..#            ",
    "#...#           ", "#....#          ", "#.....#         ", "#......#        ",
    "#.......#   ~~~ ", "#....#####  ~~~ ", "#..#..#         ", "#.# #..#        ",
    "##  #..#        ", "#    #..#       ", "     #..#      #", "      ##       #",
};
const char* const kInvertOnlyArt[16] = {
    "~~~~~~~~~~~~~~~~", "~              ~", "~              ~", "~              ~",
    "~              ~", "~              ~", "~              ~", "~              ~",
    "~              ~", "~              ~", "~              ~", "~              ~",
    "~              ~", "~              ~", "~              ~", "~~~~~~~~~~~~~~~~",
};

std::string WriteCursorTable(const std::vector<Record>& records, size_t cutLast) {
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    std::string directory = std::string(folder) + "qv-cursor-table-" +
                            std::to_string(GetCurrentProcessId());
    CreateDirectoryA(directory.c_str(), nullptr);
    std::string bytes;
    auto big32 = [&bytes](uint32_t value) {
        for (int shift = 24; shift >= 0; shift -= 8) bytes += static_cast<char>(value >> shift);
    };
    big32(static_cast<uint32_t>(records.size()));
    for (size_t i = 0; i < records.size(); ++i) big32(static_cast<uint32_t>(i * kCursorRecordSize));
    for (const Record& record : records) bytes.append(record.begin(), record.end());
    bytes.resize(bytes.size() - cutLast);
    HANDLE file = CreateFileA((directory + "\\data3.dat").c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return directory;
}

}  // namespace

TEST(CursorRecords, BothPlanesAndTheHotSpotComeFromTheRecord) {
    struct Case {
        const char* name;
        const char* const* art;
        int16_t v, h;
    } cases[] = {
        {"an arrow with image bits outside its mask", kArrowArt, 3, 1},
        {"an all-zero mask: transparent, inverting where the image is set", kInvertOnlyArt, 15, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Record native = MakeRecord(c.art, c.v, c.h, false);
        MouseCursorHandle* fromMemory = NewCursorFromImage(native.data());
        ASSERT_NE(fromMemory->handle, nullptr);
        ExpectPlanesOf(ReadPlanes(fromMemory->handle), native, c.h, c.v);
        delete fromMemory;

        const Record big = MakeRecord(c.art, c.v, c.h, true);
        HCURSOR fromTable = CursorFromRecord(big.data(), true);
        ExpectPlanesOf(ReadPlanes(fromTable), big, c.h, c.v);
        DestroyCursor(fromTable);
    }
    // The hot spot bytes 0x0300 read big-endian are row 3; in the machine's order row 768.
    const Record big = MakeRecord(kArrowArt, 3, 1, true);
    HCURSOR misread = CursorFromRecord(big.data(), false);
    EXPECT_NE(ReadPlanes(misread).hotY, 3);
    DestroyCursor(misread);

    FailureRecorder recorder;
    MouseCursorHandle* none = NewCursorFromImage(nullptr);
    EXPECT_EQ(none->handle, nullptr);
    ASSERT_EQ(recorder.Count(), 1u);
    EXPECT_EQ(recorder.Last().file, "mouseCursor");
    EXPECT_EQ(recorder.Last().line, 106);
    EXPECT_EQ(recorder.Last().condition, "cursor");
    delete none;
    MouseCursorHandle* empty = NewArrowCursorHandle(true);
    EXPECT_EQ(empty->handle, nullptr);
    delete empty;
}

TEST(CursorTable, RecordsLoadByIdAndBadOnesLeaveTheArrow) {
    const Record first = MakeRecord(kArrowArt, 2, 5, true);
    const Record second = MakeRecord(kInvertOnlyArt, 7, 9, true);
    const std::string directory = WriteCursorTable({first, second}, 10);
    char previous[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryA(directory.c_str()));

    MouseCursorHandle* loaded = LoadCursorHandle(1, 0);
    ASSERT_NE(loaded->handle, nullptr);
    ExpectPlanesOf(ReadPlanes(loaded->handle), first, 5, 2);

    HCURSOR ibeam = LoadCursorA(nullptr, IDC_IBEAM);
    HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
    struct Case {
        const char* name;
        MouseCursorHandle* holder;
    } failures[] = {
        {"a record cut short by the end of the table", LoadCursorHandle(2, 0)},
        {"an id the table lacks", LoadCursorHandle(3, 0)},
        {"an id below 1", LoadCursorHandle(0, 0)},
        {"a resource the executable lacks", LoadCursorHandle(4321, 1)},
    };
    for (const Case& c : failures) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.holder->handle, nullptr);
        SetCursor(ibeam);
        SetCursorFromHandle(c.holder);
        EXPECT_EQ(GetCursor(), arrow) << "the pointer never vanishes";
        delete c.holder;
    }
    SetCursorFromHandle(loaded);
    EXPECT_EQ(GetCursor(), loaded->handle);
    SetCursorFromHandle(nullptr);
    EXPECT_EQ(GetCursor(), loaded->handle) << "no holder sets nothing";
    SetCursor(arrow);
    delete loaded;

    SetCurrentDirectoryA(previous);
    DeleteFileA((directory + "\\data3.dat").c_str());
    RemoveDirectoryA(directory.c_str());
}

TEST(StandardCursors, KeptObjectsBuiltInHotSpotsAndSystemKinds) {
    ObjectHeader* cursors = GetCursorsClass(nullptr);
    ASSERT_NE(cursors, nullptr);
    EXPECT_EQ(GetCursorsClass(nullptr), cursors);
    RuntimeUnlockObject(cursors);

    struct Built {
        ObjectHeader* (*getter)(ObjectHeader*);
        int hotX, hotY;
    } built[] = {
        {GetHandOpenCursor, 8, 9},         {GetHandClosedCursor, 8, 9},
        {GetFingerPointerCursor, 7, 0},    {GetSplitterEastWestCursor, 8, 8},
        {GetSplitterNorthSouthCursor, 8, 8},
    };
    for (const Built& b : built) {
        ObjectHeader* first = b.getter(cursors);
        ObjectHeader* again = b.getter(cursors);
        ASSERT_NE(first, nullptr);
        EXPECT_EQ(first, again) << "made once and kept";
        ASSERT_NE(MouseCursorHolder(first), nullptr);
        const Planes planes = ReadPlanes(MouseCursorHolder(first)->handle);
        EXPECT_EQ(planes.hotX, b.hotX);
        EXPECT_EQ(planes.hotY, b.hotY);
        EXPECT_EQ(planes.width, 32);
        RuntimeUnlockObject(first);
        RuntimeUnlockObject(again);
    }
    struct System {
        ObjectHeader* (*getter)(ObjectHeader*);
        LPCSTR id;
    } system[] = {
        {GetEastWestCursor, IDC_SIZEWE},          {GetNorthSouthCursor, IDC_SIZENS},
        {GetNorthEastSouthWestCursor, IDC_SIZENESW}, {GetNorthWestSouthEastCursor, IDC_SIZENWSE},
        {GetAllDirectionsCursor, IDC_SIZEALL},    {GetStandardPointerCursor, IDC_ARROW},
        {GetTheIBeamCursor, IDC_IBEAM},           {GetWaitCursor, IDC_WAIT},
    };
    for (const System& s : system) {
        ObjectHeader* cursor = s.getter(cursors);
        ASSERT_NE(cursor, nullptr);
        EXPECT_EQ(MouseCursorHolder(cursor)->handle, LoadCursorA(nullptr, s.id));
        RuntimeUnlockObject(cursor);
    }
    MouseCursorHandle* unknown = GetStandardCursorHandle(99);
    EXPECT_EQ(unknown->handle, LoadCursorA(nullptr, IDC_ARROW));
    unknown->handle = nullptr;  // a shared system cursor
    delete unknown;

    struct Global {
        ObjectHeader* (*function)();
        LPCSTR id;
    } globals[] = {{getArrowCursor, IDC_ARROW}, {getWatchCursor, IDC_WAIT}, {getIBeamCursor, IDC_IBEAM}};
    for (const Global& g : globals) {
        ObjectHeader* first = g.function();
        ObjectHeader* second = g.function();
        ASSERT_NE(first, nullptr);
        EXPECT_NE(first, second) << "a new object on every call";
        EXPECT_TRUE(ObjectIsaDefinition(first, MouseCursor()));
        EXPECT_EQ(MouseCursorHolder(first)->handle, LoadCursorA(nullptr, g.id));
        RuntimeUnlockObject(first);
        RuntimeUnlockObject(second);
    }
}
