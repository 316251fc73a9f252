#include "host/WindowLookups.h"

#include <windows.h>

#include "core/IntKeyMap.h"
#include "host/Application.h"
#include "host/EventLoop.h"
#include "windows/MenuItemClass.h"
#include "windows/Win32Menu.h"
#include "windows/WindowList.h"

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

void RuntimeShowAsWindow(ObjectHeader* window) { RuntimeShowWindow(window); }

void RuntimeShowWindow(ObjectHeader* window) {
    if (RuntimeWindowRecord* record = window ? FindRuntimeWindow(window) : nullptr)
        record->visible = true;
}

void RuntimeHideWindow(ObjectHeader* window) {
    if (RuntimeWindowRecord* record = window ? FindRuntimeWindow(window) : nullptr)
        record->visible = false;
}

void RuntimeCloseWindow(ObjectHeader* window) {
    if (window) TryCloseWindow(window, false);
}

void RuntimeShowModal(ObjectHeader* window) { RuntimeShowWindow(window); }

// A window without a pane has nothing to focus.
void formSetFocus(ObjectHeader*) {}

void clearFocus() {
    SetFocusPane(nullptr);
    SetFocus(nullptr);
}

void* WindowToWindowPtr(ObjectHeader*) { return nullptr; }

bool IsCMMClick() { return sContextualMenuClick; }

}  // extern "C"
