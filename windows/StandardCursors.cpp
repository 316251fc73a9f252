// The Cursors object and its thirteen standard cursors: system cursors and five images of the
// runtime's own.
#include "MouseCursor.h"

#include "core/DefinitionConversion.h"

namespace {

// hot spot (9, 8)
constexpr uint8_t kOpenHand[kCursorRecordSize] = {
    0x01, 0x80, 0x1A, 0x70, 0x26, 0x48, 0x26, 0x4A, 0x12, 0x4D, 0x12, 0x49, 0x68, 0x09, 0x98, 0x01,
    0x88, 0x02, 0x40, 0x02, 0x20, 0x02, 0x20, 0x04, 0x10, 0x04, 0x08, 0x08, 0x04, 0x08, 0x04, 0x08,
    0x01, 0x80, 0x1B, 0xF0, 0x3F, 0xF8, 0x3F, 0xFA, 0x1F, 0xFF, 0x1F, 0xFF, 0x6F, 0xFF, 0xFF, 0xFF,
    0xFF, 0xFE, 0x7F, 0xFE, 0x3F, 0xFE, 0x3F, 0xFC, 0x1F, 0xFC, 0x0F, 0xF8, 0x07, 0xF8, 0x07, 0xF8,
    0x09, 0x00, 0x08, 0x00,
};

// hot spot (9, 8)
constexpr uint8_t kClosedHand[kCursorRecordSize] = {
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x0D, 0xB0, 0x12, 0x4C, 0x10, 0x05, 0x08, 0x01,
    0x18, 0x01, 0x28, 0x01, 0x20, 0x01, 0x10, 0x01, 0x10, 0x02, 0x08, 0x02, 0x04, 0x04, 0x04, 0x04,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x0D, 0xB0, 0x1F, 0xFC, 0x1F, 0xFF, 0x0F, 0xFF,
    0x1F, 0xFF, 0x3F, 0xFF, 0x3F, 0xFF, 0x1F, 0xFF, 0x1F, 0xFE, 0x0F, 0xFE, 0x07, 0xFC, 0x07, 0xFC,
    0x09, 0x00, 0x08, 0x00,
};

// hot spot (0, 7)
constexpr uint8_t kFingerPointer[kCursorRecordSize] = {
    0x03, 0x00, 0x04, 0x80, 0x04, 0x80, 0x04, 0x80, 0x04, 0xE0, 0x04, 0x9C, 0x04, 0x92, 0x74, 0x93,
    0x4C, 0x01, 0x44, 0x01, 0x20, 0x01, 0x10, 0x01, 0x10, 0x02, 0x08, 0x02, 0x04, 0x04, 0x07, 0xFC,
    0x03, 0x00, 0x07, 0x80, 0x07, 0x80, 0x07, 0x80, 0x07, 0xE0, 0x07, 0xFC, 0x07, 0xFE, 0x77, 0xFF,
    0x7F, 0xFF, 0x7F, 0xFF, 0x3F, 0xFF, 0x1F, 0xFF, 0x1F, 0xFE, 0x0F, 0xFE, 0x07, 0xFC, 0x07, 0xFC,
    0x00, 0x00, 0x07, 0x00,
};

// hot spot (8, 8)
constexpr uint8_t kSplitterEastWest[kCursorRecordSize] = {
    0x02, 0x40, 0x02, 0x40, 0x02, 0x40, 0x02, 0x40, 0x12, 0x48, 0x2A, 0x54, 0x4E, 0x72, 0x80, 0x01,
    0x80, 0x01, 0x4E, 0x72, 0x2A, 0x54, 0x12, 0x48, 0x02, 0x40, 0x02, 0x40, 0x02, 0x40, 0x02, 0x40,
    0x03, 0xC0, 0x03, 0xC0, 0x03, 0xC0, 0x03, 0xC0, 0x13, 0xC8, 0x3B, 0xDC, 0x7F, 0xFE, 0xFF, 0xFF,
    0xFF, 0xFF, 0x7F, 0xFE, 0x3B, 0xDC, 0x13, 0xC8, 0x03, 0xC0, 0x03, 0xC0, 0x03, 0xC0, 0x03, 0xC0,
    0x08, 0x00, 0x08, 0x00,
};

// hot spot (8, 8)
constexpr uint8_t kSplitterNorthSouth[kCursorRecordSize] = {
    0x01, 0x80, 0x02, 0x40, 0x04, 0x20, 0x08, 0x10, 0x06, 0x60, 0x02, 0x40, 0xFE, 0x7F, 0x00, 0x00,
    0x00, 0x00, 0xFE, 0x7F, 0x02, 0x40, 0x06, 0x60, 0x08, 0x10, 0x04, 0x20, 0x02, 0x40, 0x01, 0x80,
    0x01, 0x80, 0x03, 0xC0, 0x07, 0xE0, 0x0F, 0xF0, 0x07, 0xE0, 0x03, 0xC0, 0xFF, 0xFF, 0xFF, 0xFF,
    0xFF, 0xFF, 0xFF, 0xFF, 0x03, 0xC0, 0x07, 0xE0, 0x0F, 0xF0, 0x07, 0xE0, 0x03, 0xC0, 0x01, 0x80,
    0x08, 0x00, 0x08, 0x00,
};

struct StandardCursor {
    const char* property;
    ObjectHeader* (*getter)(ObjectHeader*);
    const char* getterName;
    int32_t kind;
};

const StandardCursor kStandardCursors[] = {
    {"HandOpen", GetHandOpenCursor, "GetHandOpenCursor", kCursorHandOpen},
    {"HandClosed", GetHandClosedCursor, "GetHandClosedCursor", kCursorHandClosed},
    {"FingerPointer", GetFingerPointerCursor, "GetFingerPointerCursor", kCursorFingerPointer},
    {"ArrowEastWest", GetEastWestCursor, "GetEastWestCursor", kCursorEastWest},
    {"ArrowNorthSouth", GetNorthSouthCursor, "GetNorthSouthCursor", kCursorNorthSouth},
    {"ArrowNortheastSouthwest", GetNorthEastSouthWestCursor, "GetNorthEastSouthWestCursor",
     kCursorNorthEastSouthWest},
    {"ArrowNorthwestSoutheast", GetNorthWestSouthEastCursor, "GetNorthWestSouthEastCursor",
     kCursorNorthWestSouthEast},
    {"ArrowAllDirections", GetAllDirectionsCursor, "GetAllDirectionsCursor", kCursorAllDirections},
    {"SplitterEastWest", GetSplitterEastWestCursor, "GetSplitterEastWestCursor",
     kCursorSplitterEastWest},
    {"SplitterNorthSouth", GetSplitterNorthSouthCursor, "GetSplitterNorthSouthCursor",
     kCursorSplitterNorthSouth},
    {"StandardPointer", GetStandardPointerCursor, "GetStandardPointerCursor",
     kCursorStandardPointer},
    {"IBeam", GetTheIBeamCursor, "GetTheIBeamCursor", kCursorIBeam},
    {"Wait", GetWaitCursor, "GetWaitCursor", kCursorWait},
};
constexpr int kStandardCursorCount = sizeof kStandardCursors / sizeof kStandardCursors[0];

PropertyEntry kCursorsProperties[kStandardCursorCount];

void FillCursorsProperties() {
    for (int i = 0; i < kStandardCursorCount; ++i) {
        const StandardCursor& c = kStandardCursors[i];
        kCursorsProperties[i] = {0,       c.property, MouseCursor()->AsType(), RowFunction(c.getter),
                                 c.getterName, nullptr,    nullptr,                 0, 0};
    }
}

const ClassRows kCursorsRows = {
    .className = "_Cursors",
    .superclass = nullptr,
    .objectSize = kObjectHeaderSize,
    .properties = kCursorsProperties,
};

// Made on its first call and kept for the run; each call adds a reference for the caller.
ObjectHeader* KeptCursor(ObjectHeader*& kept, int32_t kind) {
    if (!kept) {
        kept = CreateInstance(MouseCursor());
        if (!kept) return nullptr;
        MouseCursorHolder(kept) = GetStandardCursorHandle(kind);
    }
    RuntimeLockObject(kept);
    return kept;
}

ObjectHeader* sKeptCursors[kStandardCursorCount];

ObjectHeader* StandardCursorObject(int index) {
    return KeptCursor(sKeptCursors[index], kStandardCursors[index].kind);
}

}  // namespace

MouseCursorHandle* GetStandardCursorHandle(int32_t kind) {
    switch (kind) {
        case kCursorHandOpen: return NewCursorFromImage(kOpenHand);
        case kCursorHandClosed: return NewCursorFromImage(kClosedHand);
        case kCursorFingerPointer: return NewCursorFromImage(kFingerPointer);
        case kCursorSplitterEastWest: return NewCursorFromImage(kSplitterEastWest);
        case kCursorSplitterNorthSouth: return NewCursorFromImage(kSplitterNorthSouth);
        case kCursorEastWest: return WrapCursorHandle(LoadCursorA(nullptr, IDC_SIZEWE));
        case kCursorNorthSouth: return WrapCursorHandle(LoadCursorA(nullptr, IDC_SIZENS));
        case kCursorNorthEastSouthWest: return WrapCursorHandle(LoadCursorA(nullptr, IDC_SIZENESW));
        case kCursorNorthWestSouthEast: return WrapCursorHandle(LoadCursorA(nullptr, IDC_SIZENWSE));
        case kCursorAllDirections: return WrapCursorHandle(LoadCursorA(nullptr, IDC_SIZEALL));
        case kCursorIBeam: return WrapCursorHandle(LoadCursorA(nullptr, IDC_IBEAM));
        case kCursorWait: return WrapCursorHandle(LoadCursorA(nullptr, IDC_WAIT));
        default: return NewArrowCursorHandle(false);
    }
}

ObjectDefinition* CursorsClass() {
    static ObjectDefinition definition;
    if (!kCursorsProperties[0].name) FillCursorsProperties();
    return FillClassDefinition(definition, kCursorsRows);
}

extern "C" {

ObjectHeader* GetCursorsClass(ObjectHeader*) {
    static ObjectHeader* instance = nullptr;
    if (!instance) {
        instance = CreateInstance(CursorsClass());
        if (!instance) return nullptr;
    }
    RuntimeLockObject(instance);
    return instance;
}

ObjectHeader* GetHandOpenCursor(ObjectHeader*) { return StandardCursorObject(0); }
ObjectHeader* GetHandClosedCursor(ObjectHeader*) { return StandardCursorObject(1); }
ObjectHeader* GetFingerPointerCursor(ObjectHeader*) { return StandardCursorObject(2); }
ObjectHeader* GetEastWestCursor(ObjectHeader*) { return StandardCursorObject(3); }
ObjectHeader* GetNorthSouthCursor(ObjectHeader*) { return StandardCursorObject(4); }
ObjectHeader* GetNorthEastSouthWestCursor(ObjectHeader*) { return StandardCursorObject(5); }
ObjectHeader* GetNorthWestSouthEastCursor(ObjectHeader*) { return StandardCursorObject(6); }
ObjectHeader* GetAllDirectionsCursor(ObjectHeader*) { return StandardCursorObject(7); }
ObjectHeader* GetSplitterEastWestCursor(ObjectHeader*) { return StandardCursorObject(8); }
ObjectHeader* GetSplitterNorthSouthCursor(ObjectHeader*) { return StandardCursorObject(9); }
ObjectHeader* GetStandardPointerCursor(ObjectHeader*) { return StandardCursorObject(10); }
ObjectHeader* GetTheIBeamCursor(ObjectHeader*) { return StandardCursorObject(11); }
ObjectHeader* GetWaitCursor(ObjectHeader*) { return StandardCursorObject(12); }

}  // extern "C"
