#include "controls/ControlClasses.h"

#include <windows.h>

#include "controls/ContextualMenuControl.h"
#include "core/DefinitionConversion.h"
#include "core/Exceptions.h"
#include "core/FailureReport.h"
#include "core/IntrinsicRegistry.h"
#include "core/MethodSlotNames.h"
#include "graphics/GraphicsClass.h"
#include "graphics/GraphicsImp.h"
#include "graphics/PictureClass.h"
#include "graphics/PictureImp.h"
#include "host/EventLoop.h"
#include "core/IntrinsicTypes.h"
#include "core/PropertyAccessors.h"
#include "windows/MouseCursor.h"
#include "windows/Pane.h"
#include "windows/WindowObject.h"

namespace {

ControlRecord* C(ObjectHeader* control) { return ControlFields(control); }
CanvasRecord* CanvasFields(ObjectHeader* canvas) {
    return reinterpret_cast<CanvasRecord*>(canvas);
}

void ReplaceString(StringRecord*& field, StringRecord* value) {
    RuntimeLockString(value);
    StringRecord* old = field;
    field = value;
    RuntimeUnlockString(old);
}

enum ControlEvent : int32_t {
    kCreatePane, kOpen, kClose, kMouseMove, kMouseEnter, kMouseExit, kDropObject, kMouseWheel,
    kConstructContextualMenu, kContextualMenuAction, kPaint, kEventCount
};
EventDefinition* sEvents[kEventCount] = {};

void* Handler(ObjectHeader* control, ControlEvent event) {
    return control && sEvents[event] ? FindEventInstance(control, sEvents[event]) : nullptr;
}

void Fire(ObjectHeader* control, ControlEvent event) {
    if (auto handler = reinterpret_cast<void (*)(ObjectHeader*)>(Handler(control, event)))
        handler(control);
}

// The pane of a Canvas: it paints the Backdrop and fires Paint; the pane of an
// EmbeddedWindowControl paints its guest window's Backdrop and Paint instead.
class CanvasPane : public BasicPane {
public:
    CanvasPane(ObjectHeader* control, SubPane* parentPane)
        : BasicPane(parentPane, C(control)->tabPanelIndex, C(control)->geometry.bounds, string(),
                    "QV_CanvasPane", 0, 0),
          mControl(control) {}

    void Paint(GraphicsImp* graphics) override {
        if (!graphics || !mRunControl) return;
        ObjectHeader* control = mControl;
        if (IsEmbeddedWindowControl(control)) {
            ObjectHeader* guest =
                reinterpret_cast<EmbeddedWindowControlRecord*>(control)->embeddedWindow;
            if (guest) PaintWith(graphics, WindowFields(guest)->mBackdrop, guest,
                                 WindowEventHandler(guest, kWindowPaint));
            return;
        }
        PaintWith(graphics, CanvasFields(control)->backdrop, control, Handler(control, kPaint));
    }

private:
    void PaintWith(GraphicsImp* graphics, ObjectHeader* backdrop, ObjectHeader* owner,
                   void* handler) {
        if (PictureImp* picture = backdrop ? PictureImplementation(backdrop) : nullptr) {
            int32_t w = 0, h = 0;
            picture->GetSize(w, h);
            graphics->DrawPicturePart(bounds.left, bounds.top, picture, 0, 0, w, h,
                                      reinterpret_cast<PictureObject*>(backdrop)->transparent != 0);
        }
        if (!handler) return;
        ObjectHeader* g = NewGraphicsObject(graphics);
        RetainObject(owner);
        reinterpret_cast<void (*)(ObjectHeader*, ObjectHeader*)>(handler)(owner, g);
        ReleaseObject(owner);
        reinterpret_cast<GraphicsObject*>(g)->imp = nullptr;
        ReleaseObject(g);
    }

    ObjectHeader* mControl;  // no reference: the pane's delegate holds one
};

ClassRecord* PaneChildClass() { return LookupObjectDefinition(PaneChild()); }

void* PaneChildMethod(ObjectHeader* object, const char* name) {
    return FindInterfaceMethod(object, PaneChildClass(), string(name));
}

// The controls inside K with a pane, in map order: those of K's window whose panes K's pane
// contains, or for an EmbeddedWindowControl every control of its ContainerControl.
template <typename Visit>
void ForEachInnerControl(ObjectHeader* k, Visit visit) {
    SubPane* pane = C(k)->pane;
    const bool embedded = IsEmbeddedWindowControl(k);
    ObjectHeader* window =
        embedded ? reinterpret_cast<EmbeddedWindowControlRecord*>(k)->embeddedWindow : C(k)->window;
    if (!pane || !window || !WindowFields(window)->mControls) return;
    StringMapIterator<ObjectHeader*>* it = WindowFields(window)->mControls->NewIterator();
    ObjectHeader* x = nullptr;
    while (it->Next(x)) {
        if (x == k || !IsControl(x) || !C(x)->pane) continue;
        if (embedded || pane->ContainsPane(C(x)->pane, true)) visit(x);
    }
    delete it;
}

// Passes a state on to the controls inside K, each keeping its own Visible or Enabled: hiding a
// container hides every inner pane, showing it shows only those that are themselves Visible.
// state: 5 enable, 6 disable, 7 show, 8 hide.
void PropagateState(ObjectHeader* k, int32_t state) {
    ForEachInnerControl(k, [state](ObjectHeader* x) {
        int32_t own = state;
        if (state <= 6 && !C(x)->enabled) own = 6;
        if (state >= 7 && !C(x)->visible) own = 8;
        C(x)->pane->StateChanged(own);
        if (IsEmbeddedWindowControl(x)) PropagateState(x, state);
    });
}

// The controls inside K move to K's panel with it.
void SetInnerPanels(ObjectHeader* k, int32_t panel) {
    ForEachInnerControl(k, [panel](ObjectHeader* x) {
        C(x)->tabPanelIndex = panel;
        if (IsEmbeddedWindowControl(x)) SetInnerPanels(x, panel);
    });
}

}  // namespace

// --- events ---

bool FireControlCreatePane(ObjectHeader* control) {
    auto handler = reinterpret_cast<void (*)(ObjectHeader*)>(Handler(control, kCreatePane));
    if (!handler) return false;
    handler(control);
    return true;
}

void FireControlOpen(ObjectHeader* control) { Fire(control, kOpen); }
void FireControlClose(ObjectHeader* control) { Fire(control, kClose); }
void FireControlMouseEnter(ObjectHeader* control) { Fire(control, kMouseEnter); }
void FireControlMouseExit(ObjectHeader* control) { Fire(control, kMouseExit); }

void FireControlMouseMove(ObjectHeader* control, int32_t x, int32_t y) {
    if (auto handler = reinterpret_cast<void (*)(ObjectHeader*, int32_t, int32_t)>(
            Handler(control, kMouseMove)))
        handler(control, x, y);
}

bool FireControlMouseWheel(ObjectHeader* control, int32_t x, int32_t y, int32_t delta) {
    auto handler = reinterpret_cast<bool (*)(ObjectHeader*, int32_t, int32_t, int32_t)>(
        Handler(control, kMouseWheel));
    return handler && handler(control, x, y, delta);
}

void FireControlDropObject(ObjectHeader* control, ObjectHeader* item) {
    if (auto handler = reinterpret_cast<void (*)(ObjectHeader*, ObjectHeader*)>(
            Handler(control, kDropObject)))
        handler(control, item);
}

bool FireRectControlConstructContextualMenu(ObjectHeader* control, ObjectHeader* base, int32_t x,
                                            int32_t y, bool& implemented) {
    auto handler = reinterpret_cast<bool (*)(ObjectHeader*, ObjectHeader*, int32_t, int32_t)>(
        Handler(control, kConstructContextualMenu));
    implemented = handler != nullptr;
    if (!handler) return false;
    RetainObject(control);
    const bool result = handler(control, base, x, y);
    ReleaseObject(control);
    return result;
}

extern "C" bool FireRectControlContextualMenuAction(ObjectHeader* control, ObjectHeader* item) {
    auto handler = reinterpret_cast<bool (*)(ObjectHeader*, ObjectHeader*)>(
        Handler(control, kContextualMenuAction));
    if (!handler) return false;
    RetainObject(control);
    RetainObject(item);
    const bool result = handler(control, item);
    ReleaseObject(item);
    ReleaseObject(control);
    return result;
}

bool IsControl(ObjectHeader* object) { return ObjectIsaDefinition(object, Control()); }

bool IsEmbeddedWindowControl(ObjectHeader* object) {
    return ObjectIsaDefinition(object, EmbeddedWindowControl());
}

ObjectHeader* ControlOfRunControl(ControlObject* runControl) {
    if (!runControl) return nullptr;
    return reinterpret_cast<ObjectHeader*>(reinterpret_cast<char*>(runControl) -
                                           offsetof(ControlRecord, geometry));
}

ControlObject* RunControlOf(ObjectHeader* control) { return control ? &C(control)->geometry : nullptr; }

bool HasPaneChildInterface(ObjectHeader* object) {
    return object && object->classPtr && RuntimeObjectIsa(object, PaneChildClass());
}
PaneChildSetWindow PaneChildSetWindowOf(ObjectHeader* object) {
    return reinterpret_cast<PaneChildSetWindow>(PaneChildMethod(object, "_SetWindow"));
}
PaneChildIndex PaneChildIndexOf(ObjectHeader* object) {
    return reinterpret_cast<PaneChildIndex>(PaneChildMethod(object, "_Index"));
}
PaneChildSetIndex PaneChildSetIndexOf(ObjectHeader* object) {
    return reinterpret_cast<PaneChildSetIndex>(PaneChildMethod(object, "_SetIndex"));
}

void UpdatePanelControlsVisibility(SubPane* windowPane) {
    if (!windowPane) return;
    for (int32_t i = 0; i < windowPane->ChildCount(); ++i) {
        SubPane* child = windowPane->ChildAt(i);
        if (child->IsPagePanel() || child->IsTabPanel()) child->SetShown(child->shown);
    }
}

extern "C" {

// Visible and Enabled start true here too, so that controls made by the runtime itself show
// without the set-up code compiled controls run.
void RuntimeControlInitializer(ObjectHeader* control) {
    C(control)->index = kNoControlIndex;
    C(control)->visible = 1;
    C(control)->enabled = 1;
}

void RuntimeControlFinalizer(ObjectHeader* control) {
    ControlRecord* c = C(control);
    for (StringRecord** s : {&c->name, &c->balloonHelp, &c->disabledBalloonHelp, &c->helpTag}) {
        RuntimeUnlockString(*s);
        *s = nullptr;
    }
    ReleaseObject(c->mouseCursor);
    c->mouseCursor = nullptr;
    delete c->menuHandlers;
    c->menuHandlers = nullptr;
}

void CanvasFinalizer(ObjectHeader* canvas) {
    ReleaseObject(CanvasFields(canvas)->backdrop);
    CanvasFields(canvas)->backdrop = nullptr;
    ReleaseObject(CanvasFields(canvas)->graphics);
    CanvasFields(canvas)->graphics = nullptr;
}

void NilCreatePane(ObjectHeader*) {}

void CanvasCreatePane(ObjectHeader* canvas) {
    ControlRecord* c = C(canvas);
    if (c->pane || !c->ownerPane) return;
    c->pane = new CanvasPane(canvas, c->ownerPane);
}

void ControlClose(ObjectHeader* control) {
    if (!control) return;
    RetainObject(control);
    ControlRecord* c = C(control);
    if (SubPane* pane = c->pane) {
        c->pane = nullptr;
        pane->Close();
    }
    if (IsEmbeddedWindowControl(control)) {
        ObjectHeader* guest =
            reinterpret_cast<EmbeddedWindowControlRecord*>(control)->embeddedWindow;
        if (guest && WindowFields(guest)->mEmbeddedWindowControl == control)
            TryCloseWindowObject(guest, false);
    }
    if (c->window) RemoveWindowControl(c->window, control);
    ReleaseObject(control);
}

void ControlAddMenuHandler(ObjectHeader* control, StringRecord* name, void* function) {
    if (!control || !name) return;
    if (!C(control)->menuHandlers) C(control)->menuHandlers = new StringMap<void*>(256);
    C(control)->menuHandlers->SetEntry(string(name), function);
}

bool controlVisibleGetter(ObjectHeader* control, int32_t) { return control && C(control)->visible; }

void ControlVisibleSetter(ObjectHeader* control, int32_t, bool value) {
    if (!control) return;
    C(control)->visible = value;
    if (!C(control)->pane) return;
    C(control)->pane->StateChanged(value ? 7 : 8);
    PropagateState(control, value ? 7 : 8);
}

bool controlEnabledGetter(ObjectHeader* control, int32_t) { return control && C(control)->enabled; }

void controlEnabledSetter(ObjectHeader* control, int32_t, bool value) {
    if (!control) return;
    C(control)->enabled = value;
    if (!C(control)->pane) return;
    C(control)->pane->StateChanged(value ? 5 : 6);
    PropagateState(control, value ? 5 : 6);
}

// The offset of the window the control sits in from the top-level window it is drawn in.
static void ContainingOffset(ObjectHeader* control, int32_t& dx, int32_t& dy) {
    dx = dy = 0;
    ObjectHeader* window = C(control)->window;
    while (window && WindowFields(window)->mContainingWindow) {
        dx += WindowFields(window)->mBounds.left;
        dy += WindowFields(window)->mBounds.top;
        window = WindowFields(window)->mContainingWindow;
    }
}

int32_t ctlPosGetter(ObjectHeader* control, int32_t selector) {
    if (!control) return 0;
    const Rect16& b = C(control)->geometry.bounds;
    int32_t dx, dy;
    ContainingOffset(control, dx, dy);
    switch (selector) {
    case 0: return b.left - dx;
    case 1: return b.top - dy;
    case 2: return b.right - b.left;
    case 3: return b.bottom - b.top;
    default: return 0;
    }
}

// New bounds go to the pane, which moves its window and repaints; without one they are stored.
static void ApplyBounds(ObjectHeader* control, const Rect16& bounds) {
    if (C(control)->pane)
        C(control)->pane->SetBounds(bounds, true);
    else
        C(control)->geometry.bounds = bounds;
}

void RuntimeControlMove(ObjectHeader* control, int32_t left, int32_t top, int32_t width,
                        int32_t height) {
    if (!control) return;
    int32_t dx, dy;
    ContainingOffset(control, dx, dy);
    Rect16 b;
    b.left = static_cast<int16_t>(left + dx);
    b.top = static_cast<int16_t>(top + dy);
    b.right = static_cast<int16_t>(b.left + width);
    b.bottom = static_cast<int16_t>(b.top + height);
    ApplyBounds(control, b);
}

void ctlPosSetter(ObjectHeader* control, int32_t selector, int32_t value) {
    if (!control) return;
    Rect16 b = C(control)->geometry.bounds;
    int32_t dx, dy;
    ContainingOffset(control, dx, dy);
    switch (selector) {
    case 0: b.right = static_cast<int16_t>(b.right - b.left + value + dx); b.left = static_cast<int16_t>(value + dx); break;
    case 1: b.bottom = static_cast<int16_t>(b.bottom - b.top + value + dy); b.top = static_cast<int16_t>(value + dy); break;
    case 2: b.right = static_cast<int16_t>(b.left + value); break;
    case 3: b.bottom = static_cast<int16_t>(b.top + value); break;
    default: return;
    }
    ApplyBounds(control, b);
}

void controlBalloonHelpSetter(ObjectHeader* control, int32_t, StringRecord* text) {
    if (!control) return;
    ReplaceString(C(control)->balloonHelp, text);
    if (C(control)->pane) C(control)->pane->SetBalloonHelp(string(text));
}

void controlDisabledBalloonHelpSetter(ObjectHeader* control, int32_t, StringRecord* text) {
    if (!control) return;
    ReplaceString(C(control)->disabledBalloonHelp, text);
    if (C(control)->pane) C(control)->pane->SetDisabledBalloonHelp(string(text));
}

void controlHelpTagSetter(ObjectHeader* control, int32_t, StringRecord* text) {
    if (!control) return;
    ReplaceString(C(control)->helpTag, text);
    if (C(control)->pane) C(control)->pane->SetHelpTag(string(text));
}

void controlAutoDeactivateSetter(ObjectHeader* control, int32_t, bool value) {
    if (control) C(control)->autoDeactivate = value;
}

void controlMouseCursorSetter(ObjectHeader* control, int32_t, ObjectHeader* cursor) {
    if (!control) return;
    // Kept, so that a pane made later shows it and the holder the pane uses stays alive.
    RetainObject(cursor);
    ReleaseObject(C(control)->mouseCursor);
    C(control)->mouseCursor = cursor;
    if (C(control)->pane) C(control)->pane->SetCursor(cursor ? MouseCursorHolder(cursor) : nullptr);
}

int32_t controlMouseXGetter(ObjectHeader* control, int32_t) {
    return control && C(control)->pane ? C(control)->pane->GetMousePosition().h : 0;
}
int32_t controlMouseYGetter(ObjectHeader* control, int32_t) {
    return control && C(control)->pane ? C(control)->pane->GetMousePosition().v : 0;
}

int32_t ControlPanelIndexGetter(ObjectHeader* control, int32_t) {
    return control ? C(control)->tabPanelIndex - 1 : 0;
}
void ControlPanelIndexSetter(ObjectHeader* control, int32_t, int32_t panel) {
    ControlTabPanelIndexSetter(control, 0, panel + 1);
}

int32_t controlMacControlHandleGetter(ObjectHeader* control, int32_t) {
    SubPane* pane = control ? C(control)->pane : nullptr;
    return pane ? static_cast<int32_t>(reinterpret_cast<intptr_t>(pane->GetHWND())) : 0;
}

bool controlActiveGetter(ObjectHeader* control, int32_t) {
    return control && C(control)->pane && C(control)->pane->active;
}

bool controlAutoDeactivateGetter(ObjectHeader* control, int32_t) {
    return control && C(control)->autoDeactivate;
}

// The locks live in the block the panes read when their window is resized.
#define QV_LOCK_ACCESSORS(side, field)                                         \
    bool controlLock##side##Getter(ObjectHeader* control, int32_t) {           \
        return control && C(control)->geometry.field;                         \
    }                                                                          \
    void controlLock##side##Setter(ObjectHeader* control, int32_t, bool value) { \
        if (control) C(control)->geometry.field = value;                       \
    }
QV_LOCK_ACCESSORS(Left, lockLeft)
QV_LOCK_ACCESSORS(Top, lockTop)
QV_LOCK_ACCESSORS(Right, lockRight)
QV_LOCK_ACCESSORS(Bottom, lockBottom)
#undef QV_LOCK_ACCESSORS

ObjectHeader* controlNewDragItem(ObjectHeader*, int32_t, int32_t, int32_t, int32_t) {
    return nullptr;
}

void RectControlDefaultConstructor(ObjectHeader*) {}

void controlAcceptTextDrop(ObjectHeader* control) {
    if (control && C(control)->pane) {
        C(control)->pane->AcceptDataDrop(string("utxt"));
        C(control)->pane->AcceptDataDrop(string("TEXT"));
    }
}
void controlAcceptPictureDrop(ObjectHeader* control) {
    if (control && C(control)->pane) C(control)->pane->AcceptDataDrop(string("PICT"));
}
void controlAcceptMacDataDrop(ObjectHeader* control, StringRecord* type) {
    if (control && C(control)->pane) C(control)->pane->AcceptDataDrop(string(type));
}
void controlAcceptFileDrop(ObjectHeader* control, StringRecord* type) {
    if (control && C(control)->pane) C(control)->pane->AcceptFileDrop(string(type));
}

void RuntimeControlDrawInto(ObjectHeader* control, ObjectHeader* graphics, int32_t x, int32_t y) {
    GraphicsImp* imp = GraphicsImplementation(graphics);
    if (control && imp && C(control)->pane) C(control)->pane->DrawTreeAt(imp, x, y);
}

void RuntimeControlRefresh(ObjectHeader* control, bool erase) {
    if (control && C(control)->pane) {
        C(control)->pane->Invalidate(erase);
        C(control)->pane->UpdateNow();
    }
}

void RuntimeControlRefreshRect(ObjectHeader* control, int32_t x, int32_t y, int32_t width,
                               int32_t height, bool erase) {
    SubPane* pane = control ? C(control)->pane : nullptr;
    if (!pane) return;
    pane->InvalidateCoords(pane->bounds.left + x, pane->bounds.top + y,
                           pane->bounds.left + x + width, pane->bounds.top + y + height, erase);
    pane->UpdateNow();
}

void canvasBackdropSetter(ObjectHeader* canvas, int32_t, ObjectHeader* picture) {
    if (!canvas) return;
    RetainObject(picture);
    ReleaseObject(CanvasFields(canvas)->backdrop);
    CanvasFields(canvas)->backdrop = picture;
    if (C(canvas)->pane) C(canvas)->pane->Invalidate(true);
}

ObjectHeader* canvasGraphicsGetter(ObjectHeader* canvas, int32_t) {
    if (!canvas || !C(canvas)->pane) return nullptr;
    if (!CanvasFields(canvas)->graphics)
        CanvasFields(canvas)->graphics = NewGraphicsObject(C(canvas)->pane->NewGraphics());
    RetainObject(CanvasFields(canvas)->graphics);
    return CanvasFields(canvas)->graphics;
}

void ControlTabPanelIndexSetter(ObjectHeader* control, int32_t, int32_t index) {
    if (!control) return;
    C(control)->tabPanelIndex = index;
    SetInnerPanels(control, index);
    // The pane passes the number on to its child panes itself.
    if (C(control)->pane) C(control)->pane->SetPanelIndex(index);
}

ObjectHeader* ControlParentGetter(ObjectHeader* control, int32_t) {
    if (!control) return nullptr;
    RetainObject(C(control)->parentControl);
    return C(control)->parentControl;
}

void ControlParentSetter(ObjectHeader* control, int32_t, ObjectHeader* parent) {
    if (!control) return;
    // A parent in another window, the control itself or a control inside it would tear the pane
    // tree apart or close a loop in it.
    SubPane* own = C(control)->pane;
    SubPane* parentPane = parent && IsControl(parent) ? C(parent)->pane : nullptr;
    if (parent == control ||
        (own && parentPane &&
         (own->ContainsPane(parentPane, true) || FindWindowPane(own) != FindWindowPane(parentPane)))) {
        RaiseExceptionDefinition(InvalidParentException());
        return;
    }
    C(control)->parentControl = parent;
    SubPane* pane = C(control)->pane;
    if (!pane) return;
    SubPane* newParent = parent && C(parent)->pane ? C(parent)->pane : C(control)->ownerPane;
    if (newParent && newParent != pane->parent) pane->SetParentPane(newParent);
}

ObjectHeader* controlWindowGetter(ObjectHeader* control, int32_t) {
    if (!control) return nullptr;
    RetainObject(C(control)->window);
    return C(control)->window;
}

void ControlInitialParentSetter(ObjectHeader* control, int32_t, StringRecord* name) {
    if (!control || !name || !C(control)->window) return;
    StringMap<ObjectHeader*>* controls = WindowFields(C(control)->window)->mControls;
    if (!controls) return;
    const string wanted(name);
    StringMapIterator<ObjectHeader*>* it = controls->NewIterator();
    ObjectHeader* value = nullptr;
    while (it->Next(value)) {
        if (value == control || !IsControl(value)) continue;
        if (string::CompareNoCase(string(C(value)->name), wanted) != 0) continue;
        C(control)->parentControl = value;
        break;
    }
    delete it;
}

void RuntimeSetFocus(ObjectHeader* control) {
    if (control && C(control)->pane) SetFocusPane(C(control)->pane);
}

}  // extern "C"

// --- definitions ---

namespace {

const TypeDescriptor* const kBoolean = AsType(&kBooleanType);
const TypeDescriptor* const kInteger = AsType(&kIntegerType);
const TypeDescriptor* const kString = AsType(&kStringType);


PropertyEntry kControlProperties[] = {
    QV_PROPERTY_ROW(0x84, "Name", kString, stringGetter, stringSetter, offsetof(ControlRecord, name)),
    QV_PROPERTY_ROW(0x84, "Index", kInteger, intGetter, intSetter, offsetof(ControlRecord, index)),
    QV_PROPERTY_ROW(0x41, "TabPanelIndex", kInteger, intGetter, ControlTabPanelIndexSetter,
                    offsetof(ControlRecord, tabPanelIndex)),
    QV_PROPERTY_ROW(0x1, "PanelIndex", kInteger, ControlPanelIndexGetter, ControlPanelIndexSetter, 0),
    QV_READ_ONLY_ROW(0x1, "MouseX", kInteger, controlMouseXGetter, 0),
    QV_READ_ONLY_ROW(0x1, "MouseY", kInteger, controlMouseYGetter, 0),
    QV_READ_ONLY_ROW(0x1, "Window", nullptr, controlWindowGetter, 0),
    QV_READ_ONLY_ROW(0x1, "Handle", kInteger, controlMacControlHandleGetter, 0),
};

// The MouseCursor and Parent types are set when the definition is built.
constexpr int32_t kMouseCursorRow = 3;
constexpr int32_t kParentRow = 16;
PropertyEntry kRectControlProperties[] = {
    QV_PROPERTY_ROW(0, "HelpTag", kString, stringGetter, controlHelpTagSetter,
                    offsetof(ControlRecord, helpTag)),
    QV_PROPERTY_ROW(0, "BalloonHelp", kString, stringGetter, controlBalloonHelpSetter,
                    offsetof(ControlRecord, balloonHelp)),
    QV_PROPERTY_ROW(0, "DisabledBalloonHelp", kString, stringGetter,
                    controlDisabledBalloonHelpSetter, offsetof(ControlRecord, disabledBalloonHelp)),
    QV_PROPERTY_ROW(0x1, "MouseCursor", nullptr, objGetter, controlMouseCursorSetter,
                    offsetof(ControlRecord, mouseCursor)),
    QV_PROPERTY_ROW(0, "Visible", kBoolean, controlVisibleGetter, ControlVisibleSetter, 0),
    QV_PROPERTY_ROW(0, "Left", kInteger, ctlPosGetter, ctlPosSetter, 0),
    QV_PROPERTY_ROW(0, "Top", kInteger, ctlPosGetter, ctlPosSetter, 1),
    QV_PROPERTY_ROW(0, "Width", kInteger, ctlPosGetter, ctlPosSetter, 2),
    QV_PROPERTY_ROW(0, "Height", kInteger, ctlPosGetter, ctlPosSetter, 3),
    QV_PROPERTY_ROW(0, "Enabled", kBoolean, controlEnabledGetter, controlEnabledSetter, 0),
    QV_READ_ONLY_ROW(0, "Active", kBoolean, controlActiveGetter, 0),
    QV_PROPERTY_ROW(0, "AutoDeactivate", kBoolean, controlAutoDeactivateGetter,
                    controlAutoDeactivateSetter, 0),
    QV_PROPERTY_ROW(0, "LockLeft", kBoolean, controlLockLeftGetter, controlLockLeftSetter, 0),
    QV_PROPERTY_ROW(0, "LockTop", kBoolean, controlLockTopGetter, controlLockTopSetter, 0),
    QV_PROPERTY_ROW(0, "LockRight", kBoolean, controlLockRightGetter, controlLockRightSetter, 0),
    QV_PROPERTY_ROW(0, "LockBottom", kBoolean, controlLockBottomGetter, controlLockBottomSetter, 0),
    QV_PROPERTY_ROW(0x1, "Parent", nullptr, ControlParentGetter, ControlParentSetter, 0),
    {0x40, "InitialParent", kString, nullptr, nullptr, RowFunction(ControlInitialParentSetter),
     "ControlInitialParentSetter", 0, 0},
};

PropertyEntry kCanvasProperties[] = {
    QV_PROPERTY_ROW(0, "Backdrop", nullptr, objGetter, canvasBackdropSetter,
                    offsetof(CanvasRecord, backdrop)),
    QV_READ_ONLY_ROW(0, "Graphics", nullptr, canvasGraphicsGetter, 0),
    QV_PROPERTY_ROW(0, "AcceptFocus", kBoolean, boolGetter, boolSetter,
                    offsetof(CanvasRecord, acceptFocus)),
    QV_PROPERTY_ROW(0, "AcceptTabs", kBoolean, boolGetter, boolSetter,
                    offsetof(CanvasRecord, acceptTabs)),
    QV_PROPERTY_ROW(0, "UseFocusRing", kBoolean, boolGetter, boolSetter,
                    offsetof(CanvasRecord, useFocusRing)),
    QV_PROPERTY_ROW(0, "EraseBackground", kBoolean, boolGetter, boolSetter,
                    offsetof(CanvasRecord, eraseBackground)),
};

#define QV_METHOD(name, result, parameters, count, function) \
    {name, result, parameters, count, Function(function, #function), {}, kMethodPlain, 0, 0}
#define QV_PARAMETER(name, type) {name, type, 0, 0, 0, 0}
MethodEntry kControlMethods[] = {QV_METHOD("Close", nullptr, nullptr, 0, ControlClose)};

// The Graphics type of DrawInto is set when the definition is built; DragItem does not exist yet.
ParameterEntry kDrawIntoParameters[] = {QV_PARAMETER("graphics", nullptr),
                                        QV_PARAMETER("left", kInteger), QV_PARAMETER("top", kInteger)};
ParameterEntry kRefreshParameters[] = {{"eraseBackground", kBoolean, 0, 1, 1, 0}};
ParameterEntry kRefreshRectParameters[] = {
    QV_PARAMETER("x", kInteger), QV_PARAMETER("y", kInteger), QV_PARAMETER("width", kInteger),
    QV_PARAMETER("height", kInteger), {"eraseBackground", kBoolean, 0, 1, 1, 0}};
ParameterEntry kTypeParameter[] = {QV_PARAMETER("type", kString)};
ParameterEntry kDragItemParameters[] = {QV_PARAMETER("x", kInteger), QV_PARAMETER("y", kInteger),
                                        QV_PARAMETER("width", kInteger),
                                        QV_PARAMETER("height", kInteger)};
ParameterEntry kMenuHandlerParameters[] = {QV_PARAMETER("name", kString),
                                           QV_PARAMETER("handler", AsType(&kPtrType))};
ParameterEntry kMoveParameters[] = {QV_PARAMETER("left", kInteger), QV_PARAMETER("top", kInteger),
                                    QV_PARAMETER("width", kInteger),
                                    QV_PARAMETER("height", kInteger)};
constexpr int32_t kGraphicsParameter = 0;
MethodEntry kRectControlMethods[] = {
    QV_METHOD("DrawInto", nullptr, kDrawIntoParameters, 3, RuntimeControlDrawInto),
    QV_METHOD("Refresh", nullptr, kRefreshParameters, 1, RuntimeControlRefresh),
    QV_METHOD("RefreshRect", nullptr, kRefreshRectParameters, 5, RuntimeControlRefreshRect),
    QV_METHOD("SetFocus", nullptr, nullptr, 0, RuntimeSetFocus),
    QV_METHOD("AcceptTextDrop", nullptr, nullptr, 0, controlAcceptTextDrop),
    QV_METHOD("AcceptPictureDrop", nullptr, nullptr, 0, controlAcceptPictureDrop),
    QV_METHOD("AcceptFileDrop", nullptr, kTypeParameter, 1, controlAcceptFileDrop),
    QV_METHOD("AcceptMacDataDrop", nullptr, kTypeParameter, 1, controlAcceptMacDataDrop),
    {"AcceptRawDataDrop", nullptr, kTypeParameter, 1,
     Function(controlAcceptMacDataDrop, "controlAcceptMacDataDrop"), {}, kMethodPlain, 0, 0},
    QV_METHOD("NewDragItem", nullptr, kDragItemParameters, 4, controlNewDragItem),
    QV_METHOD("_AddMenuHandler", nullptr, kMenuHandlerParameters, 2, ControlAddMenuHandler),
    QV_METHOD("RectControl", nullptr, nullptr, 0, RectControlDefaultConstructor),
    QV_METHOD("_Move", nullptr, kMoveParameters, 4, RuntimeControlMove),
};
#undef QV_PARAMETER
#undef QV_METHOD

EventEntry kControlEvents[] = {
    {0x40, "CreatePane", "", "", &sEvents[kCreatePane], 0},
    {0, "Open", "", "", &sEvents[kOpen], 0},
    {0, "Close", "", "", &sEvents[kClose], 0},
};

EventEntry kRectControlEvents[] = {
    {0, "MouseMove", "X As Integer, Y As Integer", "", &sEvents[kMouseMove], 0},
    {0, "MouseEnter", "", "", &sEvents[kMouseEnter], 0},
    {0, "MouseExit", "", "", &sEvents[kMouseExit], 0},
    {0, "DropObject", "obj As DragItem", "", &sEvents[kDropObject], 0},
    {0, "MouseWheel", "X As Integer, Y As Integer, Delta as Integer", "Boolean",
     &sEvents[kMouseWheel], 0},
    {0, "ConstructContextualMenu", "base as MenuItem, x as Integer, y as Integer", "Boolean",
     &sEvents[kConstructContextualMenu], 0},
    {0, "ContextualMenuAction", "hitItem as MenuItem", "Boolean",
     &sEvents[kContextualMenuAction], 0},
};

EventEntry kCanvasEvents[] = {{0, "Paint", "g As Graphics", "", &sEvents[kPaint], 0}};

EventImplementationEntry kCanvasImplementations[] = {
    {"CreatePane", RowFunction(CanvasCreatePane), "CanvasCreatePane", 0, {}},
};

#define QV_ABSTRACT(name, result, parameters, count) \
    {name, result, parameters, count, {}, {}, kMethodPlain, 0, 0}
ParameterEntry kWindowParameter[] = {{"w", nullptr, 0, 0, 0, 0}};
ParameterEntry kIndexParameter[] = {{"i", kInteger, 0, 0, 0, 0}};
MethodEntry kPaneChildMethods[] = {
    QV_ABSTRACT("_SetWindow", nullptr, kWindowParameter, 1),
    QV_ABSTRACT("Window", nullptr, nullptr, 0),
    QV_ABSTRACT("_Index", kInteger, nullptr, 0),
    QV_ABSTRACT("_SetIndex", nullptr, kIndexParameter, 1),
};
#undef QV_ABSTRACT

const ClassRows kControlRows = {
    .className = "Control",
    .superclass = nullptr,
    .objectSize = static_cast<int32_t>(sizeof(ControlRecord)),
    .initializer = Function(RowFunction(RuntimeControlInitializer), "RuntimeControlInitializer"),
    .finalizer = Function(RowFunction(RuntimeControlFinalizer), "RuntimeControlFinalizer"),
    .properties = kControlProperties,
    .events = kControlEvents,
    .methods = kControlMethods,
};

const ClassRows kRectControlRows = {
    .className = "RectControl",
    .superclass = Control,
    .objectSize = static_cast<int32_t>(sizeof(ControlRecord)),
    .properties = kRectControlProperties,
    .events = kRectControlEvents,
    .methods = kRectControlMethods,
};

const ClassRows kCanvasRows = {
    .className = "Canvas",
    .superclass = RectControl,
    .objectSize = static_cast<int32_t>(sizeof(CanvasRecord)),
    .finalizer = Function(RowFunction(CanvasFinalizer), "CanvasFinalizer"),
    .properties = kCanvasProperties,
    .events = kCanvasEvents,
    .eventImplementations = kCanvasImplementations,
};

const ClassRows kEmbeddedRows = {
    .className = "EmbeddedWindowControl",
    .superclass = Canvas,
    .objectSize = static_cast<int32_t>(sizeof(EmbeddedWindowControlRecord)),
};

const ClassRows kPaneChildRows = {
    .className = "_PaneChild",
    .superclass = nullptr,
    .objectSize = kObjectHeaderSize,
    .methods = kPaneChildMethods,
    .isInterface = true,
};

}  // namespace

ObjectDefinition* Control() {
    static ObjectDefinition definition;
    return FillClassDefinition(definition, kControlRows);
}

ObjectDefinition* RectControl() {
    static ObjectDefinition definition;
    if (definition.className.IsEmpty()) {
        kRectControlProperties[kParentRow].type = definition.AsType();
        kRectControlProperties[kMouseCursorRow].type = MouseCursor()->AsType();
        kDrawIntoParameters[kGraphicsParameter].parameterType = GetGraphicsDefinition()->AsType();
    }
    return FillClassDefinition(definition, kRectControlRows);
}

ObjectDefinition* Canvas() {
    static ObjectDefinition definition;
    if (definition.className.IsEmpty()) {
        kCanvasProperties[0].type = GetPictureDefinition()->AsType();
        kCanvasProperties[1].type = GetGraphicsDefinition()->AsType();
    }
    return FillClassDefinition(definition, kCanvasRows);
}

ObjectDefinition* EmbeddedWindowControl() {
    static ObjectDefinition definition;
    return FillClassDefinition(definition, kEmbeddedRows);
}

ObjectDefinition* PaneChild() {
    static ObjectDefinition definition;
    return FillClassDefinition(definition, kPaneChildRows);
}

void RegisterControlClasses() {
    RegisterIntrinsicClass(Control());
    RegisterIntrinsicClass(RectControl());
    RegisterIntrinsicClass(Canvas());
    RegisterIntrinsicClass(ContextualMenu());
    RegisterWindowObjectClasses();
    RegisterIntrinsicClass(EmbeddedWindowControl());
    RegisterIntrinsicClass(PaneChild());
}
