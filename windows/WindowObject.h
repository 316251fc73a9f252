// The language Window and ContainerControl: the object record, the class definitions, and the
// operations of a window's life that the rest of the runtime calls (creation, implicit instances,
// opening controls, embedding, closing).
//
// A Window works in three situations, tested in this order by almost every accessor: it has a
// pane (its native window), it is embedded in a host window through an EmbeddedWindowControl
// (ContainerControl only), or neither (before the pane exists or after the window closed), when
// only the stored fields change and take effect when a pane is made.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/ClassDefinition.h"
#include "core/ObjectModel.h"
#include "core/Rect16.h"
#include "core/RuntimeString.h"
#include "core/SimpleVector.h"
#include "core/StringMap.h"

class RuntimeViewWindow;
class SubPane;

struct WindowObject {
    ObjectHeader header;
    uint8_t mVisible;
    uint8_t mCloseBox;
    uint8_t mGrowIcon;
    uint8_t mZoomIcon;
    uint8_t mComposite;
    uint8_t mLiveResize;
    RuntimeViewWindow* mPane;
    ObjectHeader* mGraphics;
    Rect16 mBounds;
    Rect16 mRestoreBounds;
    StringRecord* mTitle;
    ObjectHeader* mBackdrop;
    int32_t mFrame;
    int32_t mPlacement;
    uint32_t mBackColor;
    int16_t mMinWidth;
    int16_t mMinHeight;
    int16_t mMaxWidth;
    int16_t mMaxHeight;
    ObjectHeader* mMouseCursor;
    StringRecord* mBalloonHelp;
    uint8_t mHasBackColor;
    uint8_t mMenuBarVisible;
    uint8_t mFullScreen;
    uint8_t mFullScreenPending;
    StringRecord* mFloaterProcess;
    int32_t mMacProcId;
    StringMap<ObjectHeader*>* mControls;
    ObjectHeader* mMenuBar;
    uint8_t mControlsCreated;
    StringMap<void*>* mMenuHandlers;
    ObjectHeader* mEmbeddedWindowControl;
    ObjectHeader* mContainingWindow;
    uint8_t mDirectInput;
    StringRecord* mInitialParent;
};

#ifndef _WIN64
static_assert(offsetof(WindowObject, mVisible) == 24);
static_assert(offsetof(WindowObject, mLiveResize) == 29);
static_assert(offsetof(WindowObject, mPane) == 32);
static_assert(offsetof(WindowObject, mGraphics) == 36);
static_assert(offsetof(WindowObject, mBounds) == 40);
static_assert(offsetof(WindowObject, mRestoreBounds) == 48);
static_assert(offsetof(WindowObject, mTitle) == 56);
static_assert(offsetof(WindowObject, mBackdrop) == 60);
static_assert(offsetof(WindowObject, mFrame) == 64);
static_assert(offsetof(WindowObject, mPlacement) == 68);
static_assert(offsetof(WindowObject, mBackColor) == 72);
static_assert(offsetof(WindowObject, mMinWidth) == 76);
static_assert(offsetof(WindowObject, mMaxHeight) == 82);
static_assert(offsetof(WindowObject, mMouseCursor) == 84);
static_assert(offsetof(WindowObject, mBalloonHelp) == 88);
static_assert(offsetof(WindowObject, mHasBackColor) == 92);
static_assert(offsetof(WindowObject, mFullScreenPending) == 95);
static_assert(offsetof(WindowObject, mFloaterProcess) == 96);
static_assert(offsetof(WindowObject, mMacProcId) == 100);
static_assert(offsetof(WindowObject, mControls) == 104);
static_assert(offsetof(WindowObject, mMenuBar) == 108);
static_assert(offsetof(WindowObject, mControlsCreated) == 112);
static_assert(offsetof(WindowObject, mMenuHandlers) == 116);
static_assert(offsetof(WindowObject, mEmbeddedWindowControl) == 120);
static_assert(offsetof(WindowObject, mContainingWindow) == 124);
static_assert(offsetof(WindowObject, mDirectInput) == 128);
static_assert(offsetof(WindowObject, mInitialParent) == 132);
static_assert(sizeof(WindowObject) == 136);
#endif

inline WindowObject* WindowFields(ObjectHeader* window) {
    return reinterpret_cast<WindowObject*>(window);
}

ObjectDefinition* Window();
ObjectDefinition* ContainerControl();
// Registers Window and ContainerControl.
void RegisterWindowObjectClasses();

bool IsWindowObject(ObjectHeader* object);
bool IsContainerControl(ObjectHeader* object);

// The Window events, by declaration order.
enum WindowEvent : int32_t {
    kWindowLayout, kWindowCreateControls, kWindowAddMenuHandlers, kWindowSetupBindings,
    kWindowOpen, kWindowClose, kWindowCancelClose, kWindowKeyDown, kWindowMouseMove,
    kWindowMouseEnter, kWindowMouseExit, kWindowPaint, kWindowMouseDown, kWindowMouseDrag,
    kWindowMouseUp, kWindowEnableMenuItems, kWindowResized, kWindowResizing, kWindowMoved,
    kWindowDropObject, kWindowActivate, kWindowDeactivate, kWindowMinimize, kWindowMaximize,
    kWindowRestore, kWindowMouseWheel, kWindowConstructContextualMenu,
    kWindowContextualMenuAction, kWindowEventCount
};
// The window's handler of an event, or null.
void* WindowEventHandler(ObjectHeader* window, WindowEvent event);
// Fires an event without arguments; nothing without a handler.
void FireWindowEvent(ObjectHeader* window, WindowEvent event);

// Collections over a window and the windows embedded in it (Part of the close, key and mouse
// handling); users walk them from the end to the start.
void CollectAllEmbeddedWindows(ObjectHeader* window, SimpleVector<ObjectHeader*>& out);
void CollectDirectInputWindows(ObjectHeader* window, SimpleVector<ObjectHeader*>& out);
void CollectWindowObjects(ObjectHeader* window, SimpleVector<ObjectHeader*>& out);
void CollectWindowControls(ObjectHeader* window, SimpleVector<ObjectHeader*>& out);

// Creation and opening.
void CreateStandAloneWindow(ObjectHeader* window);
void FireWindowOpenEvents(ObjectHeader* window);
void FireEWindowInitialResizeEvent(ObjectHeader* window);
void OpenControlPane(ObjectHeader* control);
// Drops the window from the implicit-instance map when it is its class's instance.
void ForgetImplicitWindow(ObjectHeader* window);
void EmbedWithinInternal(ObjectHeader* window, ObjectHeader* host, int32_t left, int32_t top,
                         int32_t width, int32_t height, bool nested);
// The window's own pane; for an embedded window its host's pane; else null.
SubPane* GetWindowObjectPane(ObjectHeader* window);
// Takes a control out of the window's control map (the map's reference is released).
void RemoveWindowControl(ObjectHeader* window, ObjectHeader* control);
// Fires CancelClose and, unless cancelled, closes the window; true when cancelled.
bool TryCloseWindowObject(ObjectHeader* window, bool appQuitting);
// FullScreen set before the pane existed takes effect.
void ApplyPendingFullScreen(ObjectHeader* window);
// The menu bar is installed on the window's native window (or taken away for nil).
void InstallWindowMenuBar(ObjectHeader* window);

extern "C" {
void RuntimeCreateWindow(ObjectHeader* window);
void RuntimeViewDestructor(ObjectHeader* window);
ObjectHeader* RuntimeGetImplicitWindow(StringRecord* className);
void WindowDefaultConstructor(ObjectHeader* window);
void WindowAddControl(ObjectHeader* window, StringRecord* name, ObjectHeader* object);
void WindowAddMenuHandler(ObjectHeader* window, StringRecord* name, void* handler);
ObjectHeader* WindowAllocateObject(ObjectHeader* window, ClassRecord* classRecord);
void WindowMove(ObjectHeader* window, int32_t left, int32_t top, int32_t width, int32_t height);
ObjectHeader* windowControl(ObjectHeader* window, int32_t index);
int32_t windowControlCountGetter(ObjectHeader* window, int32_t);
int32_t windowPosGetter(ObjectHeader* window, int32_t selector);
void windowPosSetter(ObjectHeader* window, int32_t selector, int32_t value);
int32_t WindowHandleGetter(ObjectHeader* window, int32_t);
bool GetWindowContextualMenu(ObjectHeader* window, ObjectHeader* base, int32_t x, int32_t y);
bool FireWindowContextualMenuAction(ObjectHeader* window, ObjectHeader* item);
void FireWindowActivate(ObjectHeader* window);
void FireWindowDeactivate(ObjectHeader* window);
void WindowShow(ObjectHeader* window);
void WindowHide(ObjectHeader* window);
void WindowShowModal(ObjectHeader* window);
void WindowSetFocus(ObjectHeader* window);
void EmbedWithin(ObjectHeader* window, ObjectHeader* host, int32_t left, int32_t top,
                 int32_t width, int32_t height);
void EmbedWithinControl(ObjectHeader* window, ObjectHeader* control, int32_t left, int32_t top,
                        int32_t width, int32_t height);
void EmbedWithinPanel(ObjectHeader* window, ObjectHeader* panel, int32_t page, int32_t left,
                      int32_t top, int32_t width, int32_t height);
}
