// The language's MouseCursor objects and the native cursors they hold.
//
// A stand-in for the window system's cursors, holding only what the resource table makes: the
// holder of one native cursor and the bare MouseCursor class around it. It lacks the rest: the
// standard and built-in cursors (_Cursors, ArrowCursor and the like), loading cursors from the
// executable or the application's cursor table, and setting a cursor on panes or the screen. The
// class is not yet among the registered built-in classes.
#pragma once

#include <windows.h>

#include "core/ClassDefinition.h"
#include "core/GuardedMemory.h"
#include "core/ObjectModel.h"

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

extern "C" {
// The finalizer: deletes the holder, destroying its cursor.
void mouseCursorDestructor(ObjectHeader* cursor);
}
