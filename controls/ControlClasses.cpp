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
#include "host/IntrinsicTypes.h"
#include "host/PropertyAccessors.h"
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
    kOpen, kClose, kCreatePane, kMouseEnter, kMouseExit, kMouseMove, kMouseWheel, kDropObject,
    kPaint, kEventCount
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

void ControlInitializer(ObjectHeader* control) {
    C(control)->index = kNoControlIndex;
    C(control)->visible = 1;
    C(control)->enabled = 1;
}

void ControlFinalizer(ObjectHeader* control) {
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

bool ControlVisibleGetter(ObjectHeader* control, int32_t) { return control && C(control)->visible; }

void ControlVisibleSetter(ObjectHeader* control, int32_t, bool value) {
    if (!control) return;
    C(control)->visible = value;
    if (C(control)->pane) C(control)->pane->StateChanged(value ? 7 : 8);
}

bool controlEnabledGetter(ObjectHeader* control, int32_t) { return control && C(control)->enabled; }

void controlEnabledSetter(ObjectHeader* control, int32_t, bool value) {
    if (!control) return;
    C(control)->enabled = value;
    if (C(control)->pane) C(control)->pane->StateChanged(value ? 5 : 6);
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
    if (C(control)->pane)
        C(control)->pane->SetBounds(b, true);
    else
        C(control)->geometry.bounds = b;
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

int32_t controlMouseXGetter(ObjectHeader*, int32_t) { return 0; }
int32_t controlMouseYGetter(ObjectHeader*, int32_t) { return 0; }

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
    if (C(control)->pane) C(control)->pane->SetPanelIndex(index);
}

ObjectHeader* ControlParentGetter(ObjectHeader* control, int32_t) {
    if (!control) return nullptr;
    RetainObject(C(control)->parentControl);
    return C(control)->parentControl;
}

void ControlParentSetter(ObjectHeader* control, int32_t, ObjectHeader* parent) {
    if (!control) return;
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
    QV_PROPERTY_ROW(0, "Name", kString, stringGetter, stringSetter, offsetof(ControlRecord, name)),
    QV_PROPERTY_ROW(0, "Index", kInteger, intGetter, intSetter, offsetof(ControlRecord, index)),
    QV_READ_ONLY_ROW(0, "Window", nullptr, controlWindowGetter, 0),
};

PropertyEntry kRectControlProperties[] = {
    QV_PROPERTY_ROW(0, "Left", kInteger, ctlPosGetter, ctlPosSetter, 0),
    QV_PROPERTY_ROW(0, "Top", kInteger, ctlPosGetter, ctlPosSetter, 1),
    QV_PROPERTY_ROW(0, "Width", kInteger, ctlPosGetter, ctlPosSetter, 2),
    QV_PROPERTY_ROW(0, "Height", kInteger, ctlPosGetter, ctlPosSetter, 3),
    QV_PROPERTY_ROW(0, "LockLeft", kBoolean, boolGetter, boolSetter,
                    offsetof(ControlRecord, geometry) + offsetof(ControlObject, lockLeft)),
    QV_PROPERTY_ROW(0, "LockTop", kBoolean, boolGetter, boolSetter,
                    offsetof(ControlRecord, geometry) + offsetof(ControlObject, lockTop)),
    QV_PROPERTY_ROW(0, "LockRight", kBoolean, boolGetter, boolSetter,
                    offsetof(ControlRecord, geometry) + offsetof(ControlObject, lockRight)),
    QV_PROPERTY_ROW(0, "LockBottom", kBoolean, boolGetter, boolSetter,
                    offsetof(ControlRecord, geometry) + offsetof(ControlObject, lockBottom)),
    QV_PROPERTY_ROW(0, "Visible", kBoolean, ControlVisibleGetter, ControlVisibleSetter, 0),
    QV_PROPERTY_ROW(0, "Enabled", kBoolean, controlEnabledGetter, controlEnabledSetter, 0),
    QV_PROPERTY_ROW(0, "TabPanelIndex", kInteger, intGetter, ControlTabPanelIndexSetter,
                    offsetof(ControlRecord, tabPanelIndex)),
    QV_PROPERTY_ROW(0, "HelpTag", kString, stringGetter, controlHelpTagSetter,
                    offsetof(ControlRecord, helpTag)),
    QV_PROPERTY_ROW(0, "AutoDeactivate", kBoolean, boolGetter, controlAutoDeactivateSetter,
                    offsetof(ControlRecord, autoDeactivate)),
    QV_PROPERTY_ROW(0, "Parent", nullptr, ControlParentGetter, ControlParentSetter, 0),
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

EventEntry kControlEvents[] = {
    {0, "Open", "", "", &sEvents[kOpen], 0},
    {0, "Close", "", "", &sEvents[kClose], 0},
    {0x40, "CreatePane", "", "", &sEvents[kCreatePane], 0},
};

EventEntry kRectControlEvents[] = {
    {0, "MouseEnter", "", "", &sEvents[kMouseEnter], 0},
    {0, "MouseExit", "", "", &sEvents[kMouseExit], 0},
    {0, "MouseMove", "X As Integer, Y As Integer", "", &sEvents[kMouseMove], 0},
    {0, "MouseWheel", "X As Integer, Y As Integer, Delta as Integer", "Boolean",
     &sEvents[kMouseWheel], 0},
    {0, "DropObject", "obj As DragItem", "", &sEvents[kDropObject], 0},
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
    .initializer = Function(RowFunction(ControlInitializer), "ControlInitializer"),
    .finalizer = Function(RowFunction(ControlFinalizer), "ControlFinalizer"),
    .properties = kControlProperties,
    .events = kControlEvents,
};

const ClassRows kRectControlRows = {
    .className = "RectControl",
    .superclass = Control,
    .objectSize = static_cast<int32_t>(sizeof(ControlRecord)),
    .properties = kRectControlProperties,
    .events = kRectControlEvents,
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
    if (definition.className.IsEmpty()) kRectControlProperties[13].type = definition.AsType();
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
