#include "host/WindowLookups.h"

#include <windows.h>

#include "core/IntKeyMap.h"
#include "host/Application.h"
#include "host/EventLoop.h"
#include "windows/MenuItemClass.h"
#include "windows/Win32Menu.h"
#include "windows/WindowList.h"
#include "windows/WindowMessages.h"
#include "windows/WindowObject.h"
#include "core/Exceptions.h"

namespace {

IntKeyMap<ControlNameMap*, ObjectHeader*>& ControlMaps() {
    static auto* maps = new IntKeyMap<ControlNameMap*, ObjectHeader*>;
    return *maps;
}

bool sContextualMenuClick = false;

ObjectHeader* Retained(ObjectHeader* object) {
    RetainObject(object);
    return object;
}

// The first item of the tree named name (without regard to case), with a reference; null.
ObjectHeader* FindMenuItemNamed(ObjectHeader* item, const string& name) {
    Win32Menu* imp = item ? MenuItemImplementation(item) : nullptr;
    if (!imp) return nullptr;
    if (string::CompareNoCase(imp->GetName(), name) == 0) return Retained(item);
    for (int32_t i = 0; i < imp->ChildCount(); ++i) {
        ObjectHeader* child = imp->ChildAt(i);
        ObjectHeader* found = FindMenuItemNamed(child, name);
        ReleaseObject(child);
        if (found) return found;
    }
    return nullptr;
}

}  // namespace

void SetWindowControlMap(ObjectHeader* window, ControlNameMap* controls) {
    ControlMaps().SetEntry(window, controls);
}

void SetContextualMenuClick(bool contextual) { sContextualMenuClick = contextual; }

extern "C" {

ObjectHeader* RuntimeControlFetch(ObjectHeader* window, StringRecord* name) {
    ControlNameMap* controls = nullptr;
    if (!window || !ControlMaps().GetEntry(window, controls) || !controls) return nullptr;
    ObjectHeader* control = nullptr;
    return controls->GetEntry(string(name), control) ? control : nullptr;
}

ObjectHeader* RuntimeControlReference(ObjectHeader* window, StringRecord* name) {
    return Retained(RuntimeControlFetch(window, name));
}

ObjectHeader* RuntimeControlArrayItemReference(ObjectHeader* window, StringRecord* name,
                                               int32_t index) {
    string key(name);
    key.AppendCString("$");
    key.Append(StringFromInteger(index));
    return RuntimeControlReference(window, key.Record());
}

int32_t getWindowCount() { return RuntimeWindowCount(); }

ObjectHeader* getWindow(int32_t index) {
    if (index < 0 || index >= RuntimeWindowCount()) return nullptr;
    return Retained(RuntimeWindowAt(index)->window);
}

ObjectHeader* RuntimeMenuReference(StringRecord* name) {
    ObjectHeader* window = GetActiveWindowObject();
    if (!window) return nullptr;
    const string wanted(name);
    if (ObjectHeader* bar = WindowMenuBar(window)) return FindMenuItemNamed(bar, wanted);
    if (!IsMDIMode()) return nullptr;
    ObjectHeader* application = getAppObject();
    ObjectHeader* bar = application ? AppMenuBarGetter(application, 0) : nullptr;
    ObjectHeader* found = FindMenuItemNamed(bar, wanted);
    ReleaseObject(bar);
    ReleaseObject(application);
    return found;
}

// Objects that are not language Windows are those entered into the window list by other layers;
// for them showing and hiding only set the list's visible flag.
void RuntimeShowAsWindow(ObjectHeader* window) {
    if (window && IsWindowObject(window) && !WindowFields(window)->mPane &&
        !WindowFields(window)->mEmbeddedWindowControl) {
        CreateStandAloneWindow(window);
        if (ExceptionInFlight()) return;
    }
    RuntimeShowWindow(window);
}

void RuntimeShowWindow(ObjectHeader* window) {
    if (window && IsWindowObject(window)) {
        WindowShow(window);
        return;
    }
    if (RuntimeWindowRecord* record = window ? FindRuntimeWindow(window) : nullptr)
        record->visible = true;
}

void RuntimeHideWindow(ObjectHeader* window) {
    if (window && IsWindowObject(window)) {
        WindowHide(window);
        return;
    }
    if (RuntimeWindowRecord* record = window ? FindRuntimeWindow(window) : nullptr)
        record->visible = false;
}

void RuntimeCloseWindow(ObjectHeader* window) {
    if (!window) return;
    if (IsWindowObject(window))
        TryCloseWindowObject(window, false);
    else
        TryCloseWindow(window, false);
}

void RuntimeShowModal(ObjectHeader* window) {
    if (window && IsWindowObject(window))
        WindowShowModal(window);
    else
        RuntimeShowWindow(window);
}

void formSetFocus(ObjectHeader* window) {
    if (window && IsWindowObject(window)) WindowSetFocus(window);
}

void clearFocus() {
    SetFocusPane(nullptr);
    SetFocus(nullptr);
}

void* WindowToWindowPtr(ObjectHeader* window) {
    if (!window || !IsWindowObject(window)) return nullptr;
    return reinterpret_cast<void*>(static_cast<intptr_t>(WindowHandleGetter(window, 0)));
}

bool IsCMMClick() { return sContextualMenuClick || ContextualClickFlag; }

}  // extern "C"
