#include "MouseCursor.h"

namespace {

const ClassRows kMouseCursorRows = {
    .className = "MouseCursor",
    .superclass = nullptr,
    .objectSize = kObjectHeaderSize + static_cast<int32_t>(sizeof(MouseCursorHandle*)),
    .initializer = {},
    .finalizer = Function(mouseCursorDestructor, "mouseCursorDestructor"),
};

}  // namespace

MouseCursorHandle::~MouseCursorHandle() {
    if (handle) DestroyCursor(handle);
}

ObjectDefinition* MouseCursor() {
    static ObjectDefinition definition;
    return FillClassDefinition(definition, kMouseCursorRows);
}

extern "C" void mouseCursorDestructor(ObjectHeader* cursor) {
    if (!cursor) return;
    delete MouseCursorHolder(cursor);
    MouseCursorHolder(cursor) = nullptr;
}
