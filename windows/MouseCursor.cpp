#include "MouseCursor.h"

#include <cstring>

#include "core/DefinitionConversion.h"
#include "core/FailureReport.h"
#include "host/ResourceManager.h"

HCURSOR gRememberedCursor = nullptr;

namespace {

const ClassRows kMouseCursorRows = {
    .className = "MouseCursor",
    .superclass = nullptr,
    .objectSize = kObjectHeaderSize + static_cast<int32_t>(sizeof(MouseCursorHandle*)),
    .initializer = {},
    .finalizer = Function(mouseCursorDestructor, "mouseCursorDestructor"),
};

constexpr int kCursorSide = 32;
constexpr int kPlaneRowBytes = kCursorSide / 8;

int16_t HotSpotValue(const uint8_t* bytes, bool bigEndian) {
    if (bigEndian) return static_cast<int16_t>(bytes[0] << 8 | bytes[1]);
    int16_t value;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}

ObjectHeader* NewCursorObject(MouseCursorHandle* holder) {
    ObjectHeader* cursor = CreateInstance(MouseCursor());
    if (!cursor) {
        delete holder;
        return nullptr;
    }
    MouseCursorHolder(cursor) = holder;
    return cursor;
}

}  // namespace

MouseCursorHandle::~MouseCursorHandle() {
    if (handle) DestroyCursor(handle);
}

ObjectDefinition* MouseCursor() {
    static ObjectDefinition definition;
    return FillClassDefinition(definition, kMouseCursorRows);
}

HCURSOR CursorFromRecord(const uint8_t* record, bool bigEndianHotSpot) {
    const uint8_t* image = record;
    const uint8_t* mask = record + 32;
    uint8_t andPlane[kCursorSide * kPlaneRowBytes];
    uint8_t xorPlane[kCursorSide * kPlaneRowBytes];
    std::memset(andPlane, 0xFF, sizeof andPlane);
    std::memset(xorPlane, 0x00, sizeof xorPlane);
    for (int row = 0; row < 16; ++row) {
        for (int column = 0; column < 2; ++column) {
            const int from = row * 2 + column;
            andPlane[row * kPlaneRowBytes + column] = static_cast<uint8_t>(~mask[from]);
            xorPlane[row * kPlaneRowBytes + column] = static_cast<uint8_t>(image[from] ^ mask[from]);
        }
    }
    const int v = HotSpotValue(record + 64, bigEndianHotSpot);
    const int h = HotSpotValue(record + 66, bigEndianHotSpot);
    return CreateCursor(GetModuleHandleA(nullptr), h, v, kCursorSide, kCursorSide, andPlane,
                        xorPlane);
}

MouseCursorHandle* NewArrowCursorHandle(bool empty) {
    return new MouseCursorHandle(empty ? nullptr : LoadCursorA(nullptr, IDC_ARROW));
}

MouseCursorHandle* WrapCursorHandle(HCURSOR cursor) { return new MouseCursorHandle(cursor); }

MouseCursorHandle* LoadCursorHandle(int32_t id, int32_t fromExecutable) {
    MouseCursorHandle* holder = new MouseCursorHandle;
    if (fromExecutable == 1) {
        holder->handle = static_cast<HCURSOR>(
            LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id & 0xFFFF), IMAGE_CURSOR, 0,
                       0, LR_DEFAULTSIZE));
        return holder;
    }
    HFILE table = HFILE_ERROR;
    uint32_t position = 0;
    if (!LocateCursorRecord(id, &table, &position)) return holder;
    uint8_t record[kCursorRecordSize];
    // A record cut short by the end of the table builds nothing.
    if (_llseek(table, static_cast<LONG>(position), FILE_BEGIN) != static_cast<LONG>(position) ||
        _lread(table, record, kCursorRecordSize) != kCursorRecordSize)
        return holder;
    holder->handle = CursorFromRecord(record, true);
    return holder;
}

MouseCursorHandle* NewCursorFromImage(const uint8_t* record) {
    if (!record) {
        ReportAssertion("mouseCursor", 106, "cursor");
        return new MouseCursorHandle;
    }
    return new MouseCursorHandle(CursorFromRecord(record, false));
}

void SetCursorFromHandle(MouseCursorHandle* holder) {
    if (!holder) return;
    SetCursor(holder->handle ? holder->handle : LoadCursorA(nullptr, IDC_ARROW));
}

ObjectHeader* NewSystemCursor(LPCSTR systemCursorId) {
    return NewCursorObject(WrapCursorHandle(LoadCursorA(nullptr, systemCursorId)));
}

extern "C" {

void mouseCursorDestructor(ObjectHeader* cursor) {
    if (!cursor) return;
    delete MouseCursorHolder(cursor);
    MouseCursorHolder(cursor) = nullptr;
}

ObjectHeader* getArrowCursor() { return NewSystemCursor(IDC_ARROW); }
ObjectHeader* getWatchCursor() { return NewSystemCursor(IDC_WAIT); }
ObjectHeader* getIBeamCursor() { return NewSystemCursor(IDC_IBEAM); }

}  // extern "C"
