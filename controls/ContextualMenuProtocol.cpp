#include "controls/ContextualMenuProtocol.h"

#include <windows.h>

#include "controls/ControlClasses.h"
#include "core/DefinitionConversion.h"
#include "core/Exceptions.h"
#include "core/FailureReport.h"
#include "windows/MenuItemClass.h"
#include "windows/Pane.h"
#include "windows/RuntimeViewWindow.h"
#include "windows/Win32Menu.h"
#include "windows/WindowObject.h"

namespace {

constexpr const char* kSource = "ContextualMenuProtocol";

// Set from the start of a protocol until its menu has been shown: the object the click was on
// (retained) and the menu every handler adds to (owned).
ObjectHeader* sOrigin = nullptr;
ObjectHeader* sBase = nullptr;

// An EmbeddedWindowControl stands for the ContainerControl it shows.
ObjectHeader* Standing(ObjectHeader* object) {
    if (object && IsEmbeddedWindowControl(object))
        if (ObjectHeader* guest =
                reinterpret_cast<EmbeddedWindowControlRecord*>(object)->embeddedWindow)
            return guest;
    return object;
}

ObjectHeader* EmbeddingControl(ObjectHeader* window) {
    return WindowFields(window)->mEmbeddedWindowControl;
}

// The window a ContainerControl is shown in; null for other windows.
ObjectHeader* ContainingWindow(ObjectHeader* window) {
    ObjectHeader* e = EmbeddingControl(window);
    return e ? ControlFields(e)->window : nullptr;
}

// The control a ContainerControl is embedded in; null when it sits on its window directly.
ObjectHeader* ParentControl(ObjectHeader* window) {
    ObjectHeader* e = EmbeddingControl(window);
    return e ? ControlFields(e)->parentControl : nullptr;
}

// The first pane of the window and the windows containing it.
SubPane* FirstPane(ObjectHeader* window) {
    for (ObjectHeader* w = window; w; w = ContainingWindow(w))
        if (WindowFields(w)->mPane) return WindowFields(w)->mPane;
    return nullptr;
}

// The screen point in the window's own coordinates: its pane's, or for an embedded
// ContainerControl its host pane's less the container's place in it.
PanePoint WindowPoint(ObjectHeader* window, PanePoint screen) {
    SubPane* pane = FirstPane(window);
    if (!pane) return screen;
    PanePoint point = pane->ScreenToWindow(screen);
    if (!WindowFields(window)->mPane)
        if (ObjectHeader* e = EmbeddingControl(window)) {
            point.h -= ControlFields(e)->geometry.bounds.left;
            point.v -= ControlFields(e)->geometry.bounds.top;
        }
    return point;
}

bool EnsureBase() {
    if (!sBase) sBase = CreateInstance(MenuItem());
    if (!sBase) ReportAssertion(kSource, __LINE__, "sDisplay");
    return sBase != nullptr;
}

void ConstructFromWindow(ObjectHeader* window, PanePoint screen);

// The screen point in the client coordinates of the control's native window.
PanePoint ControlPoint(ObjectHeader* control, PanePoint screen) {
    SubPane* pane = ControlFields(control)->pane;
    HWND window = pane ? pane->GetHWND() : nullptr;
    POINT point{screen.h, screen.v};
    if (window) ScreenToClient(window, &point);
    return {point.y, point.x};
}

// Each control up the parent chain may add rows; one answering true ends the walk. Otherwise the
// window of the last one continues; a ContainerControl met on the way continues as the window it
// is.
void ConstructFromControl(ObjectHeader* control, PanePoint screen) {
    ObjectHeader* last = control;
    for (ObjectHeader* c = control; c; c = ControlFields(c)->parentControl) {
        if (Standing(c) != c) return ConstructFromWindow(Standing(c), screen);
        last = c;
        bool implemented = false;
        const PanePoint point = ControlPoint(c, screen);
        const bool handled =
            FireRectControlConstructContextualMenu(c, sBase, point.h, point.v, implemented);
        if (ExceptionInFlight() || (implemented && handled)) return;
    }
    if (ObjectHeader* window = ControlFields(last)->window) ConstructFromWindow(window, screen);
}

void ConstructFromWindow(ObjectHeader* window, PanePoint screen) {
    RetainObject(window);
    const PanePoint point = WindowPoint(window, screen);
    const bool handled = GetWindowContextualMenu(window, sBase, point.h, point.v);
    if (!handled && !ExceptionInFlight() && IsContainerControl(window)) {
        if (ObjectHeader* parent = ParentControl(window))
            ConstructFromControl(parent, screen);
        else if (ObjectHeader* containing = ContainingWindow(window))
            ConstructFromWindow(containing, screen);
    }
    ReleaseObject(window);
}

// The next object of the action chain after current, null after a plain Window.
ObjectHeader* NextInChain(ObjectHeader* current) {
    if (IsWindowObject(current)) {
        if (!IsContainerControl(current)) return nullptr;
        ObjectHeader* parent = ParentControl(current);
        return parent ? Standing(parent) : ContainingWindow(current);
    }
    ObjectHeader* parent = ControlFields(current)->parentControl;
    return parent ? Standing(parent) : ControlFields(current)->window;
}

// The chosen item goes from the origin up its chain until a handler answers true.
bool RunActionChain(ObjectHeader* item) {
    ObjectHeader* current = sOrigin;
    RetainObject(current);
    bool handled = false;
    while (current && !handled) {
        if (IsWindowObject(current))
            handled = FireWindowContextualMenuAction(current, item);
        else
            handled = FireRectControlContextualMenuAction(current, item);
        if (ExceptionInFlight()) {
            handled = false;
            break;
        }
        ObjectHeader* next = handled ? nullptr : NextInChain(current);
        RetainObject(next);
        ReleaseObject(current);
        current = next;
    }
    ReleaseObject(current);
    return handled;
}

// A trailing separator goes; a menu left without rows is not shown.
bool ShowBase(PanePoint screen) {
    Win32Menu* menu = MenuItemImplementation(sBase);
    if (!menu) return false;
    const int32_t count = menu->ChildCount();
    if (count > 0) {
        Win32Menu* last = MenuItemImplementation(menu->children[count - 1]);
        if (last && string::CompareNoCase(last->text, string("-")) == 0) menu->RemoveAt(count - 1);
    }
    if (menu->ChildCount() == 0) return false;
    ObjectHeader* chosen = RuntimeMenuItemPopUp(sBase, screen.h, screen.v);
    const bool result = chosen && !ExceptionInFlight() && sOrigin && RunActionChain(chosen);
    ReleaseObject(chosen);
    return result;
}

}  // namespace

extern "C" bool DisplayObjectContextualMenu(ObjectHeader* object, int32_t x, int32_t y) {
    object = Standing(object);
    const bool window = IsWindowObject(object);
    if (!window && !IsControl(object)) return false;
    const PanePoint given = {y, x};
    if (sOrigin) {
        if (!EnsureBase()) return false;
        window ? ConstructFromWindow(object, given) : ConstructFromControl(object, given);
        return false;
    }
    SubPane* pane = FirstPane(window ? object : ControlFields(object)->window);
    if (!pane) {
        if (window) ReportAssertion(kSource, __LINE__, "wnd");
        return false;
    }
    const PanePoint screen = pane->WindowToScreen(given);
    if (!EnsureBase()) return false;
    sOrigin = object;
    RetainObject(object);
    window ? ConstructFromWindow(object, screen) : ConstructFromControl(object, screen);
    const bool result = !ExceptionInFlight() && ShowBase(screen);
    ObjectHeader* origin = sOrigin;
    ObjectHeader* base = sBase;
    sOrigin = sBase = nullptr;
    ReleaseObject(origin);
    ReleaseObject(base);
    return result;
}
