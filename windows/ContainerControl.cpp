// The ContainerControl: a Window shown inside another window through an EmbeddedWindowControl,
// its pass-through properties and the embedding of its controls into the top-level window.
#include "controls/ControlClasses.h"
#include "core/DefinitionConversion.h"
#include "core/Exceptions.h"
#include "core/FailureReport.h"
#include "core/IntrinsicRegistry.h"
#include "core/IntrinsicTypes.h"
#include "host/WindowLookups.h"
#include "windows/RuntimeViewWindow.h"
#include "windows/WindowObject.h"

namespace {

constexpr const char* kSource = "CommonRunView";

WindowObject* F(ObjectHeader* window) { return WindowFields(window); }

ObjectHeader* EmbeddedOf(ObjectHeader* window) {
    return window ? F(window)->mEmbeddedWindowControl : nullptr;
}

void OffsetRect(Rect16& r, int32_t dx, int32_t dy) {
    r.left = static_cast<int16_t>(r.left + dx);
    r.right = static_cast<int16_t>(r.right + dx);
    r.top = static_cast<int16_t>(r.top + dy);
    r.bottom = static_cast<int16_t>(r.bottom + dy);
}

// The pass-through fields of the embedded control, by property parameter.
enum PassThrough : int32_t {
    kLockLeft, kLockTop, kLockRight, kLockBottom, kEnabled, kAutoDeactivate, kAcceptFocus,
    kAcceptTabs, kUseFocusRing, kEraseBackground, kTabPanelIndex, kHelpTag,
    kDisabledBalloonHelp
};

uint8_t* BoolField(ObjectHeader* control, int32_t which) {
    auto* e = reinterpret_cast<EmbeddedWindowControlRecord*>(control);
    ControlRecord& c = e->canvas.control;
    switch (which) {
    case kLockLeft: return &c.geometry.lockLeft;
    case kLockTop: return &c.geometry.lockTop;
    case kLockRight: return &c.geometry.lockRight;
    case kLockBottom: return &c.geometry.lockBottom;
    case kEnabled: return &c.enabled;
    case kAutoDeactivate: return &c.autoDeactivate;
    case kAcceptFocus: return &e->canvas.acceptFocus;
    case kAcceptTabs: return &e->canvas.acceptTabs;
    case kUseFocusRing: return &e->canvas.useFocusRing;
    case kEraseBackground: return &e->canvas.eraseBackground;
    default: return nullptr;
    }
}

}  // namespace

extern "C" {

void eWindowInitialParentSetter(ObjectHeader* window, int32_t, StringRecord* name) {
    if (!window) return;
    RuntimeLockString(name);
    RuntimeUnlockString(F(window)->mInitialParent);
    F(window)->mInitialParent = name;
}

int32_t eWindowIntPassThroughGetter(ObjectHeader* window, int32_t) {
    ObjectHeader* control = EmbeddedOf(window);
    return control ? ControlFields(control)->tabPanelIndex : 0;
}

void eWindowTabPanelIndexSetter(ObjectHeader* window, int32_t, int32_t value) {
    if (ObjectHeader* control = EmbeddedOf(window)) ControlTabPanelIndexSetter(control, 0, value);
}

ObjectHeader* eWindowParentGetter(ObjectHeader* window, int32_t) {
    ObjectHeader* control = EmbeddedOf(window);
    return control ? ControlParentGetter(control, 0) : nullptr;
}

void eWindowParentSetter(ObjectHeader* window, int32_t, ObjectHeader* parent) {
    if (ObjectHeader* control = EmbeddedOf(window)) ControlParentSetter(control, 0, parent);
}

ObjectHeader* eWindowContainingWindowGettter(ObjectHeader* window, int32_t) {
    ObjectHeader* control = EmbeddedOf(window);
    return control ? controlWindowGetter(control, 0) : nullptr;
}

ObjectHeader* eWindowControlGetter(ObjectHeader* window, int32_t) {
    ObjectHeader* control = EmbeddedOf(window);
    RetainObject(control);
    return control;
}

bool eWindowBoolPassThroughGetter(ObjectHeader* window, int32_t which) {
    ObjectHeader* control = EmbeddedOf(window);
    uint8_t* field = control ? BoolField(control, which) : nullptr;
    return field && *field;
}

void eWindowBoolPassThroughSetter(ObjectHeader* window, int32_t which, bool value) {
    ObjectHeader* control = EmbeddedOf(window);
    if (uint8_t* field = control ? BoolField(control, which) : nullptr) *field = value;
}

void eWindowEnabledSetter(ObjectHeader* window, int32_t, bool value) {
    if (ObjectHeader* control = EmbeddedOf(window)) controlEnabledSetter(control, 0, value);
}

void eWindowAutoDeactivateSetter(ObjectHeader* window, int32_t, bool value) {
    if (ObjectHeader* control = EmbeddedOf(window)) controlAutoDeactivateSetter(control, 0, value);
}

StringRecord* eWindowStringPassThroughGetter(ObjectHeader* window, int32_t which) {
    ObjectHeader* control = EmbeddedOf(window);
    if (!control) return nullptr;
    StringRecord* value = which == kHelpTag ? ControlFields(control)->helpTag
                                            : ControlFields(control)->disabledBalloonHelp;
    RuntimeLockString(value);
    return value;
}

void eWindowHelpTagSetter(ObjectHeader* window, int32_t, StringRecord* text) {
    if (ObjectHeader* control = EmbeddedOf(window)) controlHelpTagSetter(control, 0, text);
}

void eWindowDisabledBalloonHelpSetter(ObjectHeader* window, int32_t, StringRecord* text) {
    if (ObjectHeader* control = EmbeddedOf(window))
        controlDisabledBalloonHelpSetter(control, 0, text);
}

void EmbedWithin(ObjectHeader* window, ObjectHeader* host, int32_t left, int32_t top,
                 int32_t width, int32_t height) {
    if (!window) {
        ReportAssertion(kSource, 632, "templateWindow");
        return;
    }
    ObjectHeader* control = EmbeddedOf(window);
    if (!control) {
        ReportAssertion(kSource, 601, "embeddedWindowControl");
        return;
    }
    const Rect16 savedWindow = F(window)->mBounds;
    const Rect16 savedControl = ControlFields(control)->geometry.bounds;
    OffsetRect(F(window)->mBounds, -savedWindow.left, -savedWindow.top);
    OffsetRect(ControlFields(control)->geometry.bounds, -savedControl.left, -savedControl.top);
    EmbedWithinInternal(window, host, left, top, width, height, false);
    F(window)->mBounds = savedWindow;
    if (!ControlFields(control)->pane) ControlFields(control)->geometry.bounds = savedControl;
}

void EmbedWithinControl(ObjectHeader* window, ObjectHeader* hostControl, int32_t left,
                        int32_t top, int32_t width, int32_t height) {
    if (!window) {
        ReportAssertion(kSource, 547, "templateWindow");
        return;
    }
    if (!hostControl) {
        RaiseNilObjectException();
        return;
    }
    ObjectHeader* control = EmbeddedOf(window);
    if (control && hostControl && ControlFields(hostControl)->pane &&
        ControlFields(hostControl)->pane->IsPagePanel() && ControlFields(control)->tabPanelIndex == 0)
        ControlFields(control)->tabPanelIndex = ControlFields(hostControl)->pane->CurrentPanel();
    ObjectHeader* host = ControlFields(hostControl)->window;
    if (!host) {
        RaiseExceptionDefinition(InvalidParentException());
        return;
    }
    eWindowInitialParentSetter(window, 0, ControlFields(hostControl)->name);
    EmbedWithin(window, host, left + ctlPosGetter(hostControl, 0),
                top + ctlPosGetter(hostControl, 1), width, height);
}

void EmbedWithinPanel(ObjectHeader* window, ObjectHeader* panel, int32_t page, int32_t left,
                      int32_t top, int32_t width, int32_t height) {
    ObjectHeader* control = EmbeddedOf(window);
    if (!window || !control) {
        ReportAssertion(kSource, 521, "templateWindow and templateWindow->mEmbeddedWindowControl");
        return;
    }
    ControlFields(control)->tabPanelIndex = page + 1;
    EmbedWithinControl(window, panel, left, top, width, height);
}

}  // extern "C"

void EmbedWithinInternal(ObjectHeader* window, ObjectHeader* host, int32_t left, int32_t top,
                         int32_t width, int32_t height, bool nested) {
    if (!window) {
        ReportAssertion(kSource, 632, "templateWindow");
        return;
    }
    ObjectHeader* e = EmbeddedOf(window);
    if (!e) {
        ReportAssertion(kSource, 639, "templateWindow->mEmbeddedWindowControl");
        return;
    }
    if (!host) {
        RaiseNilObjectException();
        return;
    }
    WindowObject* w = F(window);
    ControlRecord* ec = ControlFields(e);
    w->mContainingWindow = host;
    OffsetRect(w->mBounds, left, top);
    if (width != -1) w->mBounds.right = static_cast<int16_t>(w->mBounds.left + width);
    if (height != -1) w->mBounds.bottom = static_cast<int16_t>(w->mBounds.top + height);
    ObjectHeader* top_ = host;
    int32_t dx = left, dy = top;
    while (F(top_)->mContainingWindow) {
        dx += F(top_)->mBounds.left;
        dy += F(top_)->mBounds.top;
        top_ = F(top_)->mContainingWindow;
    }
    OffsetRect(ec->geometry.bounds, dx, dy);
    string key("_");
    key.Append(string(window->classPtr ? window->classPtr->name : nullptr));
    WindowAddControl(host, key.Record(), e);
    if (ExceptionInFlight()) return;
    ControlInitialParentSetter(e, 0, w->mInitialParent);
    if (!ec->parentControl && F(host)->mContainingWindow && F(host)->mEmbeddedWindowControl) {
        ec->tabPanelIndex = ControlFields(F(host)->mEmbeddedWindowControl)->tabPanelIndex;
        ec->parentControl = F(host)->mEmbeddedWindowControl;
    }
    ec->window = top_;
    ec->ownerPane = F(top_)->mPane;
    OpenControlPane(e);
    if (ExceptionInFlight()) return;
    if (!ec->parentControl) ControlParentSetter(e, 0, nullptr);
    if (SubPane* pane = ec->pane) {
        if (pane->parent) pane->parent->SetShown(pane->parent->shown);
        if (pane->visible && pane->shown) pane->Invalidate(true);
    }
    ec->window = host;
    if (!reinterpret_cast<EmbeddedWindowControlRecord*>(e)->canvas.acceptFocus)
        w->mDirectInput = true;
    if (auto add = reinterpret_cast<void (*)(ObjectHeader*, ObjectHeader*)>(
            WindowEventHandler(window, kWindowAddMenuHandlers)))
        add(window, window);
    if (ExceptionInFlight()) return;
    if (!w->mDirectInput && w->mMenuHandlers) {
        StringMapIterator<void*>* it = w->mMenuHandlers->NewIterator();
        void* handler = nullptr;
        while (it->Next(handler))
            ControlAddMenuHandler(e, it->CurrentKey().Record(), handler);
        delete it;
    }
    // Opening a guest's controls may embed further containers, which adds entries: the walk
    // starts again after each; a container whose embedding failed is not tried again.
    SimpleVector<ObjectHeader*> tried;
    bool restart = true;
    while (restart && !ExceptionInFlight()) {
        restart = false;
        StringMapIterator<ObjectHeader*>* it = w->mControls->NewIterator();
        ObjectHeader* value = nullptr;
        while (!restart && it->Next(value)) {
            if (IsControl(value) && !IsEmbeddedWindowControl(value)) {
                ControlRecord* c = ControlFields(value);
                if (c->pane) continue;
                if (!c->parentControl) {
                    c->tabPanelIndex = ec->tabPanelIndex;
                    c->parentControl = e;
                }
                OffsetRect(c->geometry.bounds, ec->geometry.bounds.left, ec->geometry.bounds.top);
                c->window = top_;
                c->ownerPane = F(top_)->mPane;
                OpenControlPane(value);
                c->window = window;
            } else if (IsContainerControl(value) && !F(value)->mContainingWindow) {
                bool seen = false;
                for (uint32_t i = 0; i < tried.size(); ++i) seen = seen || tried[i] == value;
                if (seen) continue;
                tried.push_back(value);
                EmbedWithinInternal(value, window, 0, 0, -1, -1, true);
                restart = true;
            }
            if (ExceptionInFlight()) break;
        }
        delete it;
    }
    if (ExceptionInFlight()) return;
    if (ec->pane) ec->pane->SetShown(ec->pane->shown);
    if (width != -1) ec->geometry.bounds.right = static_cast<int16_t>(ec->geometry.bounds.left + width);
    if (height != -1)
        ec->geometry.bounds.bottom = static_cast<int16_t>(ec->geometry.bounds.top + height);
    if (!nested) {
        FireWindowOpenEvents(window);
        if (!ExceptionInFlight()) FireEWindowInitialResizeEvent(window);
    }
}

bool IsContainerControl(ObjectHeader* object) {
    return ObjectIsaDefinition(object, ContainerControl());
}

// --- definition ---

namespace {

const TypeDescriptor* const kBoolean = AsType(&kBooleanType);
const TypeDescriptor* const kInteger = AsType(&kIntegerType);
const TypeDescriptor* const kString = AsType(&kStringType);

#define QV_BOOL_PASS(label, setter, which)                                                   \
    {0, label, kBoolean, RowFunction(eWindowBoolPassThroughGetter),                         \
     "eWindowBoolPassThroughGetter", RowFunction(setter), #setter, which, 0}
#define QV_HIDDEN(flags, label, type) {flags, label, type, nullptr, nullptr, nullptr, nullptr, 0, 0}

PropertyEntry kContainerProperties[] = {
    {0x40, "InitialParent", kString, nullptr, nullptr, RowFunction(eWindowInitialParentSetter),
     "eWindowInitialParentSetter", 0, 0},
    QV_PROPERTY_ROW(0x41, "TabPanelIndex", kInteger, eWindowIntPassThroughGetter,
                    eWindowTabPanelIndexSetter, kTabPanelIndex),
    QV_PROPERTY_ROW(0x1, "Parent", nullptr, eWindowParentGetter, eWindowParentSetter, 0),
    {0x1, "Window", nullptr, RowFunction(eWindowContainingWindowGettter),
     "eWindowContainingWindowGettter", nullptr, nullptr, 0, 0},
    {0x41, "_Control", nullptr, RowFunction(eWindowControlGetter), "eWindowControlGetter",
     nullptr, nullptr, 0, 0},
    QV_BOOL_PASS("LockLeft", eWindowBoolPassThroughSetter, kLockLeft),
    QV_BOOL_PASS("LockTop", eWindowBoolPassThroughSetter, kLockTop),
    QV_BOOL_PASS("LockRight", eWindowBoolPassThroughSetter, kLockRight),
    QV_BOOL_PASS("LockBottom", eWindowBoolPassThroughSetter, kLockBottom),
    QV_BOOL_PASS("Enabled", eWindowEnabledSetter, kEnabled),
    QV_BOOL_PASS("AutoDeactivate", eWindowAutoDeactivateSetter, kAutoDeactivate),
    QV_BOOL_PASS("AcceptFocus", eWindowBoolPassThroughSetter, kAcceptFocus),
    QV_BOOL_PASS("AcceptTabs", eWindowBoolPassThroughSetter, kAcceptTabs),
    QV_BOOL_PASS("UseFocusRing", eWindowBoolPassThroughSetter, kUseFocusRing),
    QV_PROPERTY_ROW(0, "HelpTag", kString, eWindowStringPassThroughGetter, eWindowHelpTagSetter,
                    kHelpTag),
    QV_PROPERTY_ROW(0, "DisabledBalloonHelp", kString, eWindowStringPassThroughGetter,
                    eWindowDisabledBalloonHelpSetter, kDisabledBalloonHelp),
    QV_BOOL_PASS("EraseBackground", eWindowBoolPassThroughSetter, kEraseBackground),
    QV_HIDDEN(0x14040, "Placement", kInteger),
    QV_HIDDEN(0x14040, "Title", kString),
    QV_HIDDEN(0x14040, "FullScreen", kBoolean),
    QV_HIDDEN(0x14040, "MenuBarVisible", kBoolean),
    QV_HIDDEN(0x1C040, "CloseBox", kBoolean),
    QV_HIDDEN(0x14040, "CloseButton", kBoolean),
    QV_HIDDEN(0x1C040, "GrowIcon", kBoolean),
    QV_HIDDEN(0x14040, "Resizeable", kBoolean),
    QV_HIDDEN(0x1C040, "ZoomIcon", kBoolean),
    QV_HIDDEN(0x14040, "MaximizeButton", kBoolean),
    QV_HIDDEN(0x14040, "Frame", kInteger),
    QV_HIDDEN(0x14042, "Composite", kBoolean),
    QV_HIDDEN(0x14040, "LiveResize", kBoolean),
    QV_HIDDEN(0x14040, "MacProcId", kInteger),
    QV_HIDDEN(0x14040, "FloaterProcess", kString),
    QV_HIDDEN(0x1C040, "MacWindowPtr", kInteger),
    QV_HIDDEN(0x1C040, "WinHWND", kInteger),
    QV_HIDDEN(0x14041, "DockItem", nullptr),
    QV_HIDDEN(0x14040, "MenuBar", nullptr),
};

ParameterEntry kEmbedParameters[] = {{"containingWindow", nullptr, 0, 0, 0, 0},
                                     {"left", kInteger, 0, 1, 0, 0},
                                     {"top", kInteger, 0, 1, 0, 0},
                                     {"width", kInteger, 0, 1, static_cast<uintptr_t>(-1), 0},
                                     {"height", kInteger, 0, 1, static_cast<uintptr_t>(-1), 0}};
ParameterEntry kEmbedControlParameters[] = {
    {"containingControl", nullptr, 0, 0, 0, 0},
    {"left", kInteger, 0, 1, 0, 0},
    {"top", kInteger, 0, 1, 0, 0},
    {"width", kInteger, 0, 1, static_cast<uintptr_t>(-1), 0},
    {"height", kInteger, 0, 1, static_cast<uintptr_t>(-1), 0}};
ParameterEntry kEmbedPanelParameters[] = {
    {"containingPanel", nullptr, 0, 0, 0, 0},
    {"page", kInteger, 0, 0, 0, 0},
    {"left", kInteger, 0, 1, 0, 0},
    {"top", kInteger, 0, 1, 0, 0},
    {"width", kInteger, 0, 1, static_cast<uintptr_t>(-1), 0},
    {"height", kInteger, 0, 1, static_cast<uintptr_t>(-1), 0}};

#define QV_METHOD(flags, label, parameters, count, function)                                  \
    {label, nullptr, parameters, count, Function(RowFunction(function), #function), {},      \
     kMethodPlain, flags, 0}

MethodEntry kContainerMethods[] = {
    QV_METHOD(0, "EmbedWithin", kEmbedParameters, 5, EmbedWithin),
    QV_METHOD(0, "EmbedWithin", kEmbedControlParameters, 5, EmbedWithinControl),
    QV_METHOD(0, "EmbedWithinPanel", kEmbedPanelParameters, 6, EmbedWithinPanel),
    QV_METHOD(0x14000, "Show", nullptr, 0, RuntimeShowWindow),
    QV_METHOD(0x14000, "Hide", nullptr, 0, RuntimeHideWindow),
};

EventDefinition* sGotFocus = nullptr;
EventDefinition* sLostFocus = nullptr;
EventEntry kContainerEvents[] = {
    {0, "GotFocus", "", "", &sGotFocus, 0},
    {0, "LostFocus", "", "", &sLostFocus, 0},
};

const ClassRows kContainerRows = {
    .className = "ContainerControl",
    .superclass = Window,
    .objectSize = static_cast<int32_t>(sizeof(WindowObject)),
    .properties = kContainerProperties,
    .events = kContainerEvents,
    .methods = kContainerMethods,
};

}  // namespace

ObjectDefinition* ContainerControl() {
    static ObjectDefinition definition;
    if (definition.className.IsEmpty()) {
        const TypeDescriptor* rect = RectControl()->AsType();
        kContainerProperties[2].type = rect;
        kContainerProperties[3].type = Window()->AsType();
        kContainerProperties[4].type = rect;
        kEmbedParameters[0].parameterType = Window()->AsType();
        kEmbedControlParameters[0].parameterType = rect;
        kEmbedPanelParameters[0].parameterType = rect;
    }
    return FillClassDefinition(definition, kContainerRows);
}

void RegisterWindowObjectClasses() {
    RegisterIntrinsicClass(Window());
    RegisterIntrinsicClass(ContainerControl());
}
