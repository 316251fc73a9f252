// Mouse cursors: the holder of one native cursor, the language's MouseCursor objects around it,
// cursors built from 68-byte cursor records, the application's cursor table, the system cursors
// and the standard cursors of the Cursors object.
//
// A cursor record is 16 rows of 16 image pixels (2 bytes a row, most significant bit leftmost, 1
// black), the mask in the same layout (1: the pixel belongs to the cursor), then the hot spot row
// and column as signed 16-bit numbers: big-endian in the application's cursor table, in the
// machine's order in the runtime's own images.
#pragma once

#include <windows.h>

#include <cstdint>

#include "core/ClassDefinition.h"
#include "core/GuardedMemory.h"
#include "core/ObjectModel.h"

constexpr uint32_t kCursorRecordSize = 68;

// Owns one native cursor (null = empty) and destroys it with itself.
struct MouseCursorHandle : RuntimeAllocated {
    MouseCursorHandle() = default;
    explicit MouseCursorHandle(HCURSOR cursor) : handle(cursor) {}
    ~MouseCursorHandle();
    MouseCursorHandle(const MouseCursorHandle&) = delete;
    MouseCursorHandle& operator=(const MouseCursorHandle&) = delete;

    HCURSOR handle = nullptr;
};

// The class "MouseCursor": no members, one instance field holding its MouseCursorHandle (owned,
// may be null).
ObjectDefinition* MouseCursor();

// The holder field of a MouseCursor object.
inline MouseCursorHandle*& MouseCursorHolder(ObjectHeader* cursor) {
    return *FieldAt<MouseCursorHandle*>(cursor, kObjectHeaderSize);
}

// The 32 x 32 native cursor of a record, or null when the system refuses it. The record fills the
// top-left quarter; the rest is transparent.
HCURSOR CursorFromRecord(const uint8_t* record, bool bigEndianHotSpot);

// A new holder of the system arrow, or an empty one.
MouseCursorHandle* NewArrowCursorHandle(bool empty);
// A new holder that takes over a native cursor.
MouseCursorHandle* WrapCursorHandle(HCURSOR cursor);
// A new holder of cursor resource id of the executable (fromExecutable 1), or of record id of the
// application's cursor table; empty when there is no such cursor or its record cannot be read whole.
MouseCursorHandle* LoadCursorHandle(int32_t id, int32_t fromExecutable);
// A new holder of the cursor of a record in memory (hot spot in the machine's order).
MouseCursorHandle* NewCursorFromImage(const uint8_t* record);
// Makes the held cursor the current one; the system arrow for a holder without a cursor, so that
// the pointer never vanishes; nothing for no holder.
void SetCursorFromHandle(MouseCursorHandle* holder);
// A new MouseCursor object holding a system cursor (IDC_ARROW and the like).
ObjectHeader* NewSystemCursor(LPCSTR systemCursorId);

// The native cursor last chosen by a pane, or null; the window procedures set it again.
extern HCURSOR gRememberedCursor;

// The kinds of the standard cursors.
enum StandardCursorKind : int32_t {
    kCursorHandOpen = 0,
    kCursorHandClosed = 1,
    kCursorEastWest = 2,
    kCursorNorthSouth = 3,
    kCursorNorthEastSouthWest = 4,
    kCursorNorthWestSouthEast = 5,
    kCursorAllDirections = 6,
    kCursorIBeam = 7,
    kCursorStandardPointer = 8,
    kCursorWait = 9,
    kCursorSplitterEastWest = 10,
    kCursorSplitterNorthSouth = 11,
    kCursorFingerPointer = 12,
};
// A new holder of a standard cursor; the system arrow for an unknown kind.
MouseCursorHandle* GetStandardCursorHandle(int32_t kind);
// The class "_Cursors".
ObjectDefinition* CursorsClass();

extern "C" {
// The finalizer: deletes the holder, destroying its cursor.
void mouseCursorDestructor(ObjectHeader* cursor);
// The global functions ArrowCursor, WatchCursor and IBeamCursor: a new object on every call.
ObjectHeader* getArrowCursor();
ObjectHeader* getWatchCursor();
ObjectHeader* getIBeamCursor();
// System.Cursors: the one _Cursors object, with a reference for the caller.
ObjectHeader* GetCursorsClass(ObjectHeader* system);
// The _Cursors getters: each cursor is made once and kept; every call adds a reference.
ObjectHeader* GetHandOpenCursor(ObjectHeader* cursors);
ObjectHeader* GetHandClosedCursor(ObjectHeader* cursors);
ObjectHeader* GetFingerPointerCursor(ObjectHeader* cursors);
ObjectHeader* GetEastWestCursor(ObjectHeader* cursors);
ObjectHeader* GetNorthSouthCursor(ObjectHeader* cursors);
ObjectHeader* GetNorthEastSouthWestCursor(ObjectHeader* cursors);
ObjectHeader* GetNorthWestSouthEastCursor(ObjectHeader* cursors);
ObjectHeader* GetAllDirectionsCursor(ObjectHeader* cursors);
ObjectHeader* GetSplitterEastWestCursor(ObjectHeader* cursors);
ObjectHeader* GetSplitterNorthSouthCursor(ObjectHeader* cursors);
ObjectHeader* GetStandardPointerCursor(ObjectHeader* cursors);
ObjectHeader* GetTheIBeamCursor(ObjectHeader* cursors);
ObjectHeader* GetWaitCursor(ObjectHeader* cursors);
}
