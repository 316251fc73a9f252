// The life of a Window up to the moment it runs: the class constructor, implicit instances, the
// stand-alone window with its frame table, the Open events, opening each control, the control
// map and menu handlers, the ContainerControl and its embedding, and the class destructor.
#include <windows.h>

#include "controls/ControlClasses.h"
#include "core/DefinitionConversion.h"
#include "core/Exceptions.h"
#include "core/FailureReport.h"
#include "core/IntrinsicRegistry.h"
#include "host/Application.h"
#include "host/EventLoopApplication.h"
#include "core/IntrinsicTypes.h"
#include "host/MainLoopFrame.h"
#include "host/WindowLookups.h"
#include "windows/MenuItemClass.h"
#include "windows/RuntimeViewWindow.h"
#include "windows/WindowList.h"
#include "windows/WindowObject.h"

namespace {

constexpr const char* kSource = "CommonRunView";

WindowObject* F(ObjectHeader* window) { return WindowFields(window); }

StringMap<ObjectHeader*>* sImplicitWindows = nullptr;

struct FrameEntry {
    int32_t placement;
    int32_t kind;
};
constexpr FrameEntry kFrames[] = {
    {4, 8}, {2, 3}, {2, 2}, {0, 1}, {2, 4}, {2, 5}, {4, 6}, {0, 9}, {0, 10}, {4, 11}, {0, 12},
};

// A Frame outside the table is a Document.
const FrameEntry& FrameOf(int32_t frame) {
    return frame >= 0 && frame <= 10 ? kFrames[frame] : kFrames[0];
}

string ClassNameOf(ObjectHeader* object) {
    return string(object && object->classPtr ? object->classPtr->name : nullptr);
}

// The values of a map in insertion order, each with a reference the caller releases.
void SnapshotValues(StringMap<ObjectHeader*>* map, SimpleVector<ObjectHeader*>& out) {
    if (!map) return;
    StringMapIterator<ObjectHeader*>* it = map->NewIterator();
    ObjectHeader* value = nullptr;
    while (it->Next(value)) {
        if (!value) continue;
        RetainObject(value);
        out.push_back(value);
    }
    delete it;
}

void ReleaseAll(SimpleVector<ObjectHeader*>& items) {
    while (items.size() > 0) ReleaseObject(items.pop_back());
}

// The delegate of every control pane a window opens: it holds the control while the pane lives.
class RunViewDelegate : public PaneDelegate, public RuntimeAllocated {
public:
    explicit RunViewDelegate(ObjectHeader* control) : mControl(control) { RetainObject(control); }
    ~RunViewDelegate() override { ReleaseObject(mControl); }

    void PaneClosing(SubPane* pane) override {
        if (pane->mDelegate != this) ReportAssertion(kSource, 2604, "ctl->mDelegate == this");
        pane->mDelegate = nullptr;
        if (ControlFields(mControl)->pane == pane) ControlFields(mControl)->pane = nullptr;
        delete this;
    }
    void DropObject(SubPane* pane, int32_t, int32_t) override {
        if (ObjectHeader* item = pane->GetCurrentDragItem()) FireControlDropObject(mControl, item);
    }
    bool Focus() override {
        SubPane* pane = ControlFields(mControl)->pane;
        SubPane* up = pane ? pane->GetParentPane() : nullptr;
        return up ? (up->Focus(), true) : false;
    }
    bool Unfocus() override {
        SubPane* pane = ControlFields(mControl)->pane;
        SubPane* up = pane ? pane->GetParentPane() : nullptr;
        return up ? (up->Unfocus(), true) : false;
    }
    void AdjustRect(SubPane*, Rect16& rect) override {
        SubPane* pane = ControlFields(mControl)->pane;
        SubPane* up = pane ? pane->GetParentPane() : nullptr;
        if (!up) return;
        const Rect16& b = up->bounds;
        Rect16 r = {std::max(rect.top, b.top), std::max(rect.left, b.left),
                    std::min(rect.bottom, b.bottom), std::min(rect.right, b.right)};
        if (r.top >= r.bottom || r.left >= r.right) r = Rect16{0, 0, 0, 0};
        rect = r;
    }

private:
    ObjectHeader* mControl;
};

void OpenEventsBody(void* window) {
    ObjectHeader* w = static_cast<ObjectHeader*>(window);
    SimpleVector<ObjectHeader*> values;
    SnapshotValues(F(w)->mControls, values);
    for (uint32_t i = 0; i < values.size() && !ExceptionInFlight(); ++i) {
        ObjectHeader* value = values[i];
        if (IsContainerControl(value)) {
            FireWindowOpenEvents(value);
            if (!ExceptionInFlight()) FireEWindowInitialResizeEvent(value);
        } else if (IsControl(value)) {
            FireControlOpen(value);
        }
    }
    ReleaseAll(values);
    if (ExceptionInFlight()) return;
    FireWindowEvent(w, kWindowOpen);
    if (!ExceptionInFlight() && IsMDIMode()) FireApplicationActivate();
}

}  // namespace

// --- collections ---

void CollectAllEmbeddedWindows(ObjectHeader* window, SimpleVector<ObjectHeader*>& out) {
    if (!window) return;
    out.push_back(window);
    if (!F(window)->mControls) return;
    StringMapIterator<ObjectHeader*>* it = F(window)->mControls->NewIterator();
    ObjectHeader* value = nullptr;
    while (it->Next(value)) {
        if (!IsEmbeddedWindowControl(value)) continue;
        ObjectHeader* guest = reinterpret_cast<EmbeddedWindowControlRecord*>(value)->embeddedWindow;
        if (guest && guest != window) CollectAllEmbeddedWindows(guest, out);
    }
    delete it;
}

void CollectDirectInputWindows(ObjectHeader* window, SimpleVector<ObjectHeader*>& out) {
    if (!window) return;
    if (F(window)->mVisible) out.push_back(window);
    if (!F(window)->mControls) return;
    StringMapIterator<ObjectHeader*>* it = F(window)->mControls->NewIterator();
    ObjectHeader* value = nullptr;
    while (it->Next(value)) {
        if (!IsEmbeddedWindowControl(value)) continue;
        ObjectHeader* guest = reinterpret_cast<EmbeddedWindowControlRecord*>(value)->embeddedWindow;
        if (guest && guest != window && F(guest)->mDirectInput)
            CollectDirectInputWindows(guest, out);
    }
    delete it;
}

void CollectWindowObjects(ObjectHeader* window, SimpleVector<ObjectHeader*>& out) {
    SimpleVector<ObjectHeader*> windows;
    CollectAllEmbeddedWindows(window, windows);
    for (uint32_t i = 0; i < windows.size(); ++i) {
        if (!F(windows[i])->mControls) continue;
        StringMapIterator<ObjectHeader*>* it = F(windows[i])->mControls->NewIterator();
        ObjectHeader* value = nullptr;
        while (it->Next(value))
            if (value) out.push_back(value);
        delete it;
    }
}

void CollectWindowControls(ObjectHeader* window, SimpleVector<ObjectHeader*>& out) {
    SimpleVector<ObjectHeader*> objects;
    CollectWindowObjects(window, objects);
    for (uint32_t i = 0; i < objects.size(); ++i)
        if (IsControl(objects[i])) out.push_back(objects[i]);
}

// --- creation ---

void CreateStandAloneWindow(ObjectHeader* window) {
    if (!window) return;
    WindowObject* w = F(window);
    w->mDirectInput = true;
    const FrameEntry& frame = FrameOf(w->mFrame);
    PlaceWindowBounds(&w->mBounds, frame.placement, frame.kind);
    w->mRestoreBounds = w->mBounds;
    // The Window stays valid for its maker whatever its construction handlers do: the pane holds
    // its own reference and gives it back when it closes.
    RetainObject(window);
    auto* pane = new RuntimeViewWindow(window, frame.kind);
    const bool gone = pane->Unlock();
    if (!gone && w->mPane == pane)
        pane->drawerAlignment = w->mPlacement == 1 ? -1 : w->mPlacement == 2 ? -3 : -2;
    if (w->mPane) UpdatePanelControlsVisibility(w->mPane);
    if (IsContainerControl(window) && !ExceptionInFlight()) FireWindowOpenEvents(window);
    ReleaseObject(window);
}

void FireWindowOpenEvents(ObjectHeader* window) {
    if (!window) return;
    RetainObject(window);
    if (RuntimeRunIsRunning())
        OpenEventsBody(window);
    else
        RunMainLoopFrame(OpenEventsBody, window);
    ReleaseObject(window);
}

void FireEWindowInitialResizeEvent(ObjectHeader* window) {
    if (!window || !F(window)->mEmbeddedWindowControl) return;
    ControlRecord* control = ControlFields(F(window)->mEmbeddedWindowControl);
    if (control->pane) control->pane->Resize(control->geometry.bounds, false);
}

void OpenControlPane(ObjectHeader* control) {
    if (!control) {
        ReportAssertion(kSource, 2494, "n", "We weren't passed in a control, we got nil.");
        return;
    }
    FireControlCreatePane(control);
    ControlRecord* c = ControlFields(control);
    SubPane* pane = c->pane;
    if (ExceptionInFlight() || !pane) return;
    pane->SetRunControl(&c->geometry);
    pane->SetPanelIndex(c->tabPanelIndex);
    if (!c->visible) pane->StateChanged(8);
    if (!c->enabled) pane->StateChanged(6);
    if (ObjectHeader* window = c->window) {
        if (F(window)->mControls) {
            StringMapIterator<ObjectHeader*>* it = F(window)->mControls->NewIterator();
            ObjectHeader* value = nullptr;
            while (it->Next(value)) {
                if (!IsControl(value) || value == control) continue;
                ControlRecord* container = ControlFields(value);
                if (!container->pane || !container->pane->ContainsPane(pane, true)) continue;
                if (!container->enabled && c->enabled) pane->StateChanged(6);
                if (!container->visible && c->visible) pane->StateChanged(8);
            }
            delete it;
        }
    }
    pane->SetBalloonHelp(string(c->balloonHelp));
    pane->SetDisabledBalloonHelp(string(c->disabledBalloonHelp));
    pane->SetHelpTag(string(c->helpTag));
    pane->SetDelegate(new RunViewDelegate(control));
}

void ForgetImplicitWindow(ObjectHeader* window) {
    if (!sImplicitWindows || !window) return;
    const string name = ClassNameOf(window);
    ObjectHeader* value = nullptr;
    if (!sImplicitWindows->GetEntry(name, value) || value != window) return;
    sImplicitWindows->RemoveEntry(name);
    ReleaseObject(window);
}

SubPane* GetWindowObjectPane(ObjectHeader* window) {
    if (!window) return nullptr;
    if (F(window)->mPane) return F(window)->mPane;
    if (ObjectHeader* control = F(window)->mEmbeddedWindowControl)
        return ControlFields(control)->ownerPane;
    return nullptr;
}

void RemoveWindowControl(ObjectHeader* window, ObjectHeader* control) {
    if (!window || !F(window)->mControls) return;
    StringMapIterator<ObjectHeader*>* it = F(window)->mControls->NewIterator();
    ObjectHeader* value = nullptr;
    bool found = false;
    while (!found && it->Next(value)) {
        if (value != control) continue;
        it->RemoveCurrent();
        found = true;
    }
    delete it;
    // While the window is open the map holds a reference; after its close it holds none.
    if (found && F(window)->mPane) ReleaseObject(control);
}

extern "C" {

void RuntimeCreateWindow(ObjectHeader* window) {
    WindowObject* w = F(window);
    const bool container = IsContainerControl(window);
    if (!container && sImplicitWindows) {
        const string name = ClassNameOf(window);
        ObjectHeader* value = nullptr;
        if (sImplicitWindows->GetEntry(name, value) && !value) {
            sImplicitWindows->SetEntry(name, window);
            RetainObject(window);
        }
    }
    if (container) {
        RetainObject(window);
        ObjectHeader* control = CreateInstance(EmbeddedWindowControl());
        reinterpret_cast<EmbeddedWindowControlRecord*>(control)->embeddedWindow = window;
        w->mEmbeddedWindowControl = control;
    }
    FireWindowEvent(window, kWindowLayout);
    w->mControls = new StringMap<ObjectHeader*>(256);
    w->mMenuHandlers = new StringMap<void*>(256);
    SetWindowControlMap(window, w->mControls);
    if (ExceptionInFlight()) return;
    if (container) {
        FireWindowEvent(window, kWindowCreateControls);
        w->mControlsCreated = true;
    } else {
        CreateStandAloneWindow(window);
    }
}

void RuntimeViewDestructor(ObjectHeader* window) {
    WindowObject* w = F(window);
    if (w->mControls) {
        StringMapIterator<ObjectHeader*>* it = w->mControls->NewIterator();
        ObjectHeader* value = nullptr;
        while (it->Next(value))
            if (IsControl(value) && ControlFields(value)->window == window)
                ControlFields(value)->window = nullptr;
        delete it;
    }
    SetWindowControlMap(window, nullptr);
    delete w->mControls;
    w->mControls = nullptr;
    delete w->mMenuHandlers;
    w->mMenuHandlers = nullptr;
    for (StringRecord** s : {&w->mTitle, &w->mBalloonHelp, &w->mFloaterProcess, &w->mInitialParent}) {
        RuntimeUnlockString(*s);
        *s = nullptr;
    }
    for (ObjectHeader** o : {&w->mGraphics, &w->mBackdrop, &w->mMouseCursor, &w->mMenuBar,
                             &w->mEmbeddedWindowControl}) {
        ObjectHeader* held = *o;
        *o = nullptr;
        ReleaseObject(held);
    }
}

ObjectHeader* RuntimeGetImplicitWindow(StringRecord* className) {
    if (!sImplicitWindows) sImplicitWindows = new StringMap<ObjectHeader*>(256);
    const string name(className);
    ObjectHeader* value = nullptr;
    if (sImplicitWindows->GetEntry(name, value)) {
        RetainObject(value);
        return value;
    }
    sImplicitWindows->SetEntry(name, nullptr);
    return nullptr;
}

// A window that closed during its own construction opens nothing.
void WindowDefaultConstructor(ObjectHeader* window) {
    if (window && !IsContainerControl(window) && F(window)->mPane) FireWindowOpenEvents(window);
}

void WindowAddControl(ObjectHeader* window, StringRecord* nameRecord, ObjectHeader* object) {
    if (!window) {
        ReportAssertion("RuntimeWindow", 538, "self");
        return;
    }
    if (!object) return;
    WindowObject* w = F(window);
    const string name(nameRecord);
    const bool control = IsControl(object);
    int32_t index = kNoControlIndex;
    if (!w->mControlsCreated) {
        if (control) {
            index = ControlFields(object)->index;
        } else if (HasPaneChildInterface(object)) {
            PaneChildIndex get = PaneChildIndexOf(object);
            if (!get)
                ReportAssertion("RuntimeWindow", 589, "fp");
            else
                index = get(object);
        }
    } else {
        for (index = 0;; ++index) {
            string key = name;
            key.AppendCString("$");
            key.Append(StringFromInteger(index));
            if (!w->mControls->HasEntry(key)) break;
        }
        if (control) {
            ControlFields(object)->index = index;
        } else if (HasPaneChildInterface(object)) {
            PaneChildSetIndex set = PaneChildSetIndexOf(object);
            if (!set)
                ReportAssertion("RuntimeWindow", 575, "fp");
            else
                set(object, index);
        }
    }
    if (control) {
        ControlRecord* c = ControlFields(object);
        c->window = window;
        c->ownerPane = w->mContainingWindow ? GetWindowObjectPane(w->mContainingWindow)
                                            : static_cast<SubPane*>(w->mPane);
        if (!c->name) {
            string copy = name;
            c->name = copy.Detach();
        }
    }
    string key = name;
    if (index >= 0) {
        key.AppendCString("$");
        key.Append(StringFromInteger(index));
    }
    RetainObject(object);
    ObjectHeader* old = nullptr;
    if (w->mControls->GetEntry(key, old) && old != object) ReleaseObject(old);
    w->mControls->SetEntry(key, object);
    if (!w->mControlsCreated || !control || IsEmbeddedWindowControl(object)) return;
    gCreatingControlAtRunTime = true;
    OpenControlPane(object);
    gCreatingControlAtRunTime = false;
    if (ExceptionInFlight()) return;
    SubPane* pane = ControlFields(object)->pane;
    if (!pane) return;
    ClassRecord* ownClass = object->classPtr;
    StringMapIterator<ObjectHeader*>* it = w->mControls->NewIterator();
    ObjectHeader* value = nullptr;
    while (it->Next(value)) {
        if (!value || value == object || value->classPtr != ownClass) continue;
        SubPane* sibling = ControlFields(value)->pane;
        if (!sibling || pane->parent != sibling) continue;
        SubPane* up = sibling->parent;
        sibling->RemoveChild(pane);
        if (up) up->AddChild(pane);
    }
    delete it;
    if (pane->parent) pane->parent->SetShown(pane->parent->shown);
    FireControlOpen(object);
    if (ExceptionInFlight()) return;
    if (ControlFields(object)->pane) ControlFields(object)->pane->Invalidate(false);
}

void WindowAddMenuHandler(ObjectHeader* window, StringRecord* name, void* handler) {
    if (!window) {
        ReportAssertion("RuntimeWindow", 702, "self");
        return;
    }
    if (!name) {
        ReportAssertion("RuntimeWindow", 703, "name");
        return;
    }
    if (!handler) return;
    WindowObject* w = F(window);
    if (!w->mMenuHandlers) w->mMenuHandlers = new StringMap<void*>(256);
    w->mMenuHandlers->SetEntry(string(name), handler);
    if (RuntimeWindowRecord* record = FindRuntimeWindow(window))
        record->menuHandlers = w->mMenuHandlers;
}

ObjectHeader* WindowAllocateObject(ObjectHeader* window, ClassRecord* classRecord) {
    ObjectHeader* object = RuntimeNewObject(classRecord);
    if (!object || ExceptionInFlight()) return object;
    if (IsControl(object)) {
        ControlFields(object)->window = window;
        ControlFields(object)->createdThroughWindow = 1;
    } else if (HasPaneChildInterface(object)) {
        PaneChildSetWindow setWindow = PaneChildSetWindowOf(object);
        PaneChildSetIndex setIndex = PaneChildSetIndexOf(object);
        if (!setWindow) ReportAssertion("RuntimeWindow", 754, "fp");
        if (!setIndex) ReportAssertion("RuntimeWindow", 765, "fp2");
        if (setWindow) setWindow(object, window);
        if (setIndex) setIndex(object, kNoControlIndex);
    } else if (ObjectIsaDefinition(object, MenuBarInstaller())) {
        InstallMenuBar(object, window ? F(window)->mMenuBar : nullptr);
    }
    return object;
}

}  // extern "C"
