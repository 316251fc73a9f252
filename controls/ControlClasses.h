// The language control classes the window layer builds on: Control, RectControl, Canvas and
// EmbeddedWindowControl (the Canvas that stands for a ContainerControl inside its host window),
// the _PaneChild interface, and the control accessors a Window embedded in a control forwards to.
//
// Still missing: drag items (NewDragItem answers nil), focus rings and keyboard handling of
// controls; a Canvas pane paints its Backdrop and fires Paint, and takes no presses of its own;
// the drop-acceptance forwarders record nothing.
#pragma once

#include <cstddef>
#include <cstdint>

#include "controls/ControlObject.h"
#include "core/ClassDefinition.h"
#include "core/ObjectModel.h"
#include "core/RuntimeString.h"
#include "core/StringMap.h"

class SubPane;
class GraphicsImp;

// Index of a control that is not in a control array.
constexpr int32_t kNoControlIndex = static_cast<int32_t>(0x80000000);

// The Control record after the object header; RectControl adds no field. Compiled control
// classes and plug-in controls place their own fields after it.
struct ControlRecord {
    ObjectHeader header;
    ObjectHeader* parentControl;       // the initial parent; no reference; null: the window
    SubPane* pane;                     // the control's pane, or null; owned
    StringRecord* name;                // retained
    int32_t index;                     // kNoControlIndex outside a control array
    int32_t tabPanelIndex;             // 0: on no panel
    uint8_t visible;
    uint8_t enabled;
    uint8_t autoDeactivate;
    uint8_t mouseInside;               // set and cleared by the window's mouse tracking
    ControlObject geometry;            // the lock flags and the bounds (window coordinates)
    SubPane* ownerPane;                // the window pane the control's pane goes into
    ObjectHeader* window;              // owner Window; no reference
    ObjectHeader* mouseCursor;         // retained
    StringRecord* balloonHelp;         // retained
    StringRecord* disabledBalloonHelp; // retained
    StringRecord* helpTag;             // retained
    StringMap<void*>* menuHandlers;    // owned, made on first use
    ObjectHeader* peer;                // no reference
    // The runtime's two words.
    uint8_t createdThroughWindow;      // made by a Window's __New
    uint8_t reserved[7];
};

struct CanvasRecord {
    ControlRecord control;
    ObjectHeader* backdrop;  // retained
    ObjectHeader* graphics;  // the Graphics the Graphics property made; retained
    uint8_t acceptFocus;
    uint8_t acceptTabs;
    uint8_t useFocusRing;
    uint8_t eraseBackground;
};

struct EmbeddedWindowControlRecord {
    CanvasRecord canvas;
    ObjectHeader* embeddedWindow;  // the ContainerControl it stands for; no reference
};

#ifndef _WIN64
static_assert(offsetof(ControlRecord, parentControl) == 24);
static_assert(offsetof(ControlRecord, pane) == 28);
static_assert(offsetof(ControlRecord, name) == 32);
static_assert(offsetof(ControlRecord, index) == 36);
static_assert(offsetof(ControlRecord, tabPanelIndex) == 40);
static_assert(offsetof(ControlRecord, visible) == 44);
static_assert(offsetof(ControlRecord, mouseInside) == 47);
static_assert(offsetof(ControlRecord, geometry) == 48);
static_assert(offsetof(ControlRecord, geometry) + offsetof(ControlObject, bounds) == 52);
static_assert(offsetof(ControlRecord, ownerPane) == 60);
static_assert(offsetof(ControlRecord, window) == 64);
static_assert(offsetof(ControlRecord, mouseCursor) == 68);
static_assert(offsetof(ControlRecord, balloonHelp) == 72);
static_assert(offsetof(ControlRecord, helpTag) == 80);
static_assert(offsetof(ControlRecord, menuHandlers) == 84);
static_assert(offsetof(ControlRecord, peer) == 88);
static_assert(offsetof(ControlRecord, createdThroughWindow) == 92);
static_assert(sizeof(ControlRecord) == 100);
static_assert(offsetof(CanvasRecord, backdrop) == 100);
static_assert(sizeof(CanvasRecord) == 112);
static_assert(offsetof(EmbeddedWindowControlRecord, embeddedWindow) == 112);
#endif

ObjectDefinition* Control();
ObjectDefinition* RectControl();
ObjectDefinition* Canvas();
ObjectDefinition* EmbeddedWindowControl();
ObjectDefinition* PaneChild();
// Registers the classes above in the user-interface order.
void RegisterControlClasses();

inline ControlRecord* ControlFields(ObjectHeader* control) {
    return reinterpret_cast<ControlRecord*>(control);
}
bool IsControl(ObjectHeader* object);
bool IsEmbeddedWindowControl(ObjectHeader* object);
// The control object a pane's mRunControl belongs to.
ObjectHeader* ControlOfRunControl(ControlObject* runControl);
ControlObject* RunControlOf(ObjectHeader* control);

// Fires the control events the window layer drives. Each answers what the handler answered
// (false without one).
bool FireControlCreatePane(ObjectHeader* control);
void FireControlOpen(ObjectHeader* control);
void FireControlClose(ObjectHeader* control);
void FireControlMouseEnter(ObjectHeader* control);
void FireControlMouseExit(ObjectHeader* control);
void FireControlMouseMove(ObjectHeader* control, int32_t x, int32_t y);
bool FireControlMouseWheel(ObjectHeader* control, int32_t x, int32_t y, int32_t delta);
void FireControlDropObject(ObjectHeader* control, ObjectHeader* item);
// ConstructContextualMenu with the base menu and a point in the control's client coordinates;
// implemented tells whether the control has a handler.
bool FireRectControlConstructContextualMenu(ObjectHeader* control, ObjectHeader* base, int32_t x,
                                            int32_t y, bool& implemented);

// The _PaneChild methods of an object, null when its class lacks the interface.
using PaneChildSetWindow = void (*)(ObjectHeader*, ObjectHeader*);
using PaneChildIndex = int32_t (*)(ObjectHeader*);
using PaneChildSetIndex = void (*)(ObjectHeader*, int32_t);
bool HasPaneChildInterface(ObjectHeader* object);
PaneChildSetWindow PaneChildSetWindowOf(ObjectHeader* object);
PaneChildIndex PaneChildIndexOf(ObjectHeader* object);
PaneChildSetIndex PaneChildSetIndexOf(ObjectHeader* object);

// Every page and tab panel of the window pane applies its shown state again (none exists yet).
void UpdatePanelControlsVisibility(SubPane* windowPane);

extern "C" {
// Destroys the control's pane, closes the ContainerControl an EmbeddedWindowControl stands for
// and takes the control out of its window's control map.
void ControlClose(ObjectHeader* control);
// The CreatePane of controls without a pane.
void NilCreatePane(ObjectHeader* control);
void ControlAddMenuHandler(ObjectHeader* control, StringRecord* name, void* function);

// ContextualMenuAction with the chosen item; false without a handler.
bool FireRectControlContextualMenuAction(ObjectHeader* control, ObjectHeader* item);
void ControlVisibleSetter(ObjectHeader* control, int32_t, bool value);
bool controlVisibleGetter(ObjectHeader* control, int32_t);
void controlEnabledSetter(ObjectHeader* control, int32_t, bool value);
bool controlEnabledGetter(ObjectHeader* control, int32_t);
// selector 0 to 3: Left, Top, Width, Height; Left and Top relative to the containing window.
int32_t ctlPosGetter(ObjectHeader* control, int32_t selector);
void ctlPosSetter(ObjectHeader* control, int32_t selector, int32_t value);
// Left, Top, Width and Height at once: one move of the pane.
void RuntimeControlMove(ObjectHeader* control, int32_t left, int32_t top, int32_t width,
                        int32_t height);
// PanelIndex: TabPanelIndex less one.
int32_t ControlPanelIndexGetter(ObjectHeader* control, int32_t);
void ControlPanelIndexSetter(ObjectHeader* control, int32_t, int32_t panel);
// The pane's native window, 0 without a pane.
int32_t controlMacControlHandleGetter(ObjectHeader* control, int32_t);
bool controlActiveGetter(ObjectHeader* control, int32_t);
bool controlAutoDeactivateGetter(ObjectHeader* control, int32_t);
bool controlLockLeftGetter(ObjectHeader* control, int32_t);
void controlLockLeftSetter(ObjectHeader* control, int32_t, bool value);
bool controlLockTopGetter(ObjectHeader* control, int32_t);
void controlLockTopSetter(ObjectHeader* control, int32_t, bool value);
bool controlLockRightGetter(ObjectHeader* control, int32_t);
void controlLockRightSetter(ObjectHeader* control, int32_t, bool value);
bool controlLockBottomGetter(ObjectHeader* control, int32_t);
void controlLockBottomSetter(ObjectHeader* control, int32_t, bool value);
// Nil until drag items exist.
ObjectHeader* controlNewDragItem(ObjectHeader* control, int32_t x, int32_t y, int32_t width,
                                 int32_t height);
void RectControlDefaultConstructor(ObjectHeader* control);
void controlBalloonHelpSetter(ObjectHeader* control, int32_t, StringRecord* text);
void controlDisabledBalloonHelpSetter(ObjectHeader* control, int32_t, StringRecord* text);
void controlHelpTagSetter(ObjectHeader* control, int32_t, StringRecord* text);
void controlAutoDeactivateSetter(ObjectHeader* control, int32_t, bool value);
void controlMouseCursorSetter(ObjectHeader* control, int32_t, ObjectHeader* cursor);
int32_t controlMouseXGetter(ObjectHeader* control, int32_t);
int32_t controlMouseYGetter(ObjectHeader* control, int32_t);
void controlAcceptTextDrop(ObjectHeader* control);
void controlAcceptPictureDrop(ObjectHeader* control);
void controlAcceptMacDataDrop(ObjectHeader* control, StringRecord* type);
void controlAcceptFileDrop(ObjectHeader* control, StringRecord* type);
void RuntimeControlDrawInto(ObjectHeader* control, ObjectHeader* graphics, int32_t x, int32_t y);
void RuntimeControlRefresh(ObjectHeader* control, bool erase);
void RuntimeControlRefreshRect(ObjectHeader* control, int32_t x, int32_t y, int32_t width,
                               int32_t height, bool erase);
void canvasBackdropSetter(ObjectHeader* canvas, int32_t, ObjectHeader* picture);
ObjectHeader* canvasGraphicsGetter(ObjectHeader* canvas, int32_t);
void ControlTabPanelIndexSetter(ObjectHeader* control, int32_t, int32_t index);
ObjectHeader* ControlParentGetter(ObjectHeader* control, int32_t);
void ControlParentSetter(ObjectHeader* control, int32_t, ObjectHeader* parent);
ObjectHeader* controlWindowGetter(ObjectHeader* control, int32_t);
void ControlInitialParentSetter(ObjectHeader* control, int32_t, StringRecord* name);
void RuntimeSetFocus(ObjectHeader* control);
}
