// SubPane input: mouse routing with enter and exit tracking, cursors, keys, the keyboard focus,
// menus and default buttons, help texts, drop types, and the weak pane references.
#include <windows.h>

#include "files/FileType.h"
#include "host/Application.h"
#include "host/EventLoop.h"
#include "windows/Keyboard.h"
#include "windows/MouseCursor.h"
#include "windows/Pane.h"
#include "windows/Tooltips.h"

namespace {

WeakPaneRef* sWeakPaneRefs = nullptr;

// A child's rectangle for hit tests: its bounds, adjusted by its delegate.
Rect16 HitRect(SubPane* child) {
    Rect16 rect = child->bounds;
    if (child->mDelegate) child->mDelegate->AdjustRect(child, rect);
    return rect;
}

bool IsShowing(SubPane* pane) { return pane->visible && pane->shown; }

void AddAcceptedType(AcceptedType*& list, const string& name) {
    for (AcceptedType* entry = list; entry; entry = entry->next)
        if (string::CompareNoCase(entry->name, name) == 0) return;
    AcceptedType* entry = new AcceptedType;
    entry->next = list;
    entry->name = name;
    list = entry;
}

}  // namespace

// --- mouse ---

bool SubPane::MouseDown(int32_t x, int32_t y, int32_t modifiers) {
    SubPane* inner = GetInnerPane();
    return inner == this ? false : inner->MouseDown(x, y, modifiers);
}

bool SubPane::MouseWheel(int32_t x, int32_t y, int32_t delta) {
    SubPane* inner = GetInnerPane();
    return inner == this ? false : inner->MouseWheel(x, y, delta);
}

bool SubPane::ContextualMouseDown(int32_t x, int32_t y, int32_t modifiers) {
    for (int32_t i = ChildCount() - 1; i >= 0; --i) {
        SubPane* child = ChildAt(i);
        if (IsShowing(child) && PointInRect16({y, x}, HitRect(child)) &&
            child->ContextualMouseDown(x, y, modifiers))
            return true;
    }
    return false;
}

void SubPane::MouseMove(int32_t x, int32_t y) {
    const PanePoint point = IsWindow() ? PanePoint{y, x} : PanePoint{y + bounds.top, x + bounds.left};
    for (int32_t i = 0; i < ChildCount(); ++i) {
        SubPane* child = ChildAt(i);
        if (!child->mouseInside) continue;
        if (!IsShowing(child) || !PointInRect16(point, HitRect(child))) {
            child->mouseInside = false;
            child->MouseExit();
        }
    }
    for (int32_t i = 0; i < ChildCount(); ++i) {
        SubPane* child = ChildAt(i);
        if (!IsShowing(child)) continue;
        const Rect16 rect = HitRect(child);
        if (!PointInRect16(point, rect)) continue;
        if (!child->mouseInside) {
            child->mouseInside = true;
            child->MouseEnter();
        }
        child->MouseMove(point.h - rect.left, point.v - rect.top);
    }
}

bool SubPane::AdjustCursor(int32_t x, int32_t y) {
    for (int32_t i = ChildCount() - 1; i >= 0; --i) {
        SubPane* child = ChildAt(i);
        if (IsShowing(child) && PointInRect16({y, x}, HitRect(child)) && child->AdjustCursor(x, y))
            return true;
    }
    if (!cursor) return false;
    SetCursorFromHandle(cursor);
    return true;
}

void SubPane::SetCursor(MouseCursorHandle* newCursor) {
    cursor = newCursor;
    CursorChanged();
    ObjectHeader* application = ApplicationObjectOrNull();
    if (application && reinterpret_cast<ApplicationObject*>(application)->mouseCursor) return;
    WindowPane* window = FindWindowPane(this);
    if (!window) return;
    const PanePoint mouse = GetMousePosition();
    for (int32_t i = static_cast<int32_t>(window->controls.size()) - 1; i >= 0; --i) {
        SubPane* control = window->controls[static_cast<uint32_t>(i)];
        if (!IsShowing(control) || !PointInRect16(mouse, control->bounds)) continue;
        MouseCursorHandle* chosen = control == this ? newCursor : control->cursor;
        if (chosen && chosen->handle) {
            gRememberedCursor = chosen->handle;
            ::SetCursor(chosen->handle);
        } else {
            gRememberedCursor = nullptr;
            ::SetCursor(LoadCursorA(nullptr, IDC_ARROW));
        }
        return;
    }
}

PanePoint SubPane::GetMousePosition() {
    POINT mouse = {0, 0};
    GetCursorPos(&mouse);
    return ScreenToWindow({mouse.y, mouse.x});
}

bool SubPane::DetectDrag() {
    POINT mouse = {0, 0};
    GetCursorPos(&mouse);
    return DragDetect(GetHWND(), mouse) != FALSE;
}

// --- keys ---

bool SubPane::UnhandledKeyDown(uint8_t character, uint8_t keyCode, int32_t modifiers) {
    SubPane* up = GetParentPane();
    return up ? up->UnhandledKeyDown(character, keyCode, modifiers) : false;
}

bool SubPane::KeyChar(int32_t character, uint8_t keyCode, int32_t modifiers) {
    if (character >= 128) return false;
    return KeyDown(static_cast<uint8_t>(character), keyCode, modifiers);
}

int32_t SubPane::GetAsyncKeyModifiers() { return ::GetAsyncKeyModifiers(); }

// --- focus ---

bool SubPane::HasFocusableDescendant(SubPane* except) {
    if (this != except && AcceptsFocus()) return true;
    for (int32_t i = 0; i < ChildCount(); ++i) {
        SubPane* child = ChildAt(i);
        if (child != except && child->AcceptsFocus()) return true;
        if (child->HasFocusableDescendant(except)) return true;
    }
    return false;
}

void SubPane::Activate() {
    if (!closing && !active) active = true;
}

void SubPane::TakeFocus() {
    WindowPane* window = FindWindowPane(this);
    if (!window || !AcceptsFocus()) return;
    window->focusPane = this;
    if (!window->active) return;
    ::SetFocus(GetHWND());
    SetFocusPane(this);
}

void ClearKeyboardFocus() {
    SetFocusPane(nullptr);
    ::SetFocus(nullptr);
}

// --- menus, default and cancel buttons ---

void SubPane::EnableMenuItems() {
    if (SubPane* up = GetParentPane()) up->EnableMenuItems();
}

bool SubPane::HandleMenuCommand(int32_t command) {
    SubPane* up = GetParentPane();
    return up ? up->HandleMenuCommand(command) : false;
}

bool SubPane::MenuItemAction(ObjectHeader* item) {
    SubPane* up = GetParentPane();
    return up ? up->MenuItemAction(item) : false;
}

void SubPane::UpdateDefaultButton(SubPane* defaultButton) {
    for (int32_t i = 0; i < ChildCount(); ++i) ChildAt(i)->UpdateDefaultButton(defaultButton);
}

SubPane* SubPane::FindDefaultButton() {
    for (int32_t i = 0; i < ChildCount(); ++i)
        if (SubPane* found = ChildAt(i)->FindDefaultButton()) return found;
    return nullptr;
}

SubPane* SubPane::FindCancelButton() {
    for (int32_t i = 0; i < ChildCount(); ++i)
        if (SubPane* found = ChildAt(i)->FindCancelButton()) return found;
    return nullptr;
}

// --- help texts ---

void SubPane::SetHelpTag(const string& text) {
    if (balloonTip->GetToolTipHWND() && !text.IsEmpty()) balloonTip->SetText(GetHWND(), string(""));
    helpTagTip->SetText(GetHWND(), text);
}

void SubPane::SetBalloonHelp(const string& text) {
    if (helpTagTip->GetToolTipHWND() && !text.IsEmpty()) return;
    balloonTip->SetText(GetHWND(), text);
}

// --- drops ---

void SubPane::AcceptDataDrop(const string& typeName) { AddAcceptedType(acceptedDataTypes, typeName); }

void SubPane::AcceptFileDrop(const string& fileTypeName) {
    AddAcceptedType(acceptedFileTypes, fileTypeName);
}

bool SubPane::AcceptsFileName(const string& fileName) {
    for (AcceptedType* entry = acceptedFileTypes; entry; entry = entry->next) {
        const FileType* type = FindFileType(entry->name);
        if (type && type->MatchFileName(fileName) != 0) return true;
    }
    return false;
}

SubPane* SubPane::FindDropTarget(int32_t screenX, int32_t screenY, ObjectHeader* item) {
    const PanePoint point = ScreenToWindow({screenY, screenX});
    for (int32_t i = ChildCount() - 1; i >= 0; --i) {
        SubPane* child = ChildAt(i);
        if (child->GetParentPane() != this || !IsShowing(child) ||
            !PointInRect16(point, child->bounds))
            continue;
        if (SubPane* found = child->FindDropTarget(screenX, screenY, item)) return found;
    }
    return acceptedDataTypes || acceptedFileTypes ? this : nullptr;
}

void SubPane::DropObject(int32_t x, int32_t y) {
    if (mDelegate) mDelegate->DropObject(this, x, y);
}

bool SubPane::DragOver(int32_t, int32_t, ObjectHeader*) {
    ::SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    return true;
}

// --- weak references ---

WeakPaneRef::WeakPaneRef(SubPane* p) { RegisterWeakPaneRef(this, p); }

WeakPaneRef::~WeakPaneRef() { UnregisterWeakPaneRef(this); }

void RegisterWeakPaneRef(WeakPaneRef* record, SubPane* pane) {
    record->pane = pane;
    record->next = sWeakPaneRefs;
    sWeakPaneRefs = record;
}

void UnregisterWeakPaneRef(WeakPaneRef* record) {
    for (WeakPaneRef** link = &sWeakPaneRefs; *link; link = &(*link)->next) {
        if (*link == record) {
            *link = record->next;
            return;
        }
    }
}

void ClearWeakPaneRefs(SubPane* pane) {
    for (WeakPaneRef* record = sWeakPaneRefs; record; record = record->next)
        if (record->pane == pane) record->pane = nullptr;
}
