// The Window class: its definition rows, and the accessors and methods compiled code calls, each
// acting on the pane, the embedded control or the stored field.
#include <windows.h>

#include "controls/ControlClasses.h"
#include "core/DefinitionConversion.h"
#include "core/Exceptions.h"
#include "core/FailureReport.h"
#include "core/IntrinsicRegistry.h"
#include "graphics/GraphicsClass.h"
#include "graphics/GraphicsImp.h"
#include "graphics/PictureClass.h"
#include "host/Application.h"
#include "host/EventLoop.h"
#include "core/IntrinsicTypes.h"
#include "core/PropertyAccessors.h"
#include "host/WindowLookups.h"
#include "windows/MenuItemClass.h"
#include "windows/MouseCursor.h"
#include "windows/RuntimeViewWindow.h"
#include "windows/Screens.h"
#include "windows/Win32Menu.h"
#include "windows/WindowList.h"
#include "windows/WindowObject.h"
#include "windows/WindowServices.h"

namespace {

constexpr const char* kSource = "RuntimeWindow";

WindowObject* F(ObjectHeader* window) { return WindowFields(window); }

ObjectHeader* Embedded(ObjectHeader* window) {
    WindowObject* w = F(window);
    return w->mPane ? nullptr : w->mEmbeddedWindowControl;
}

ObjectHeader* Retained(ObjectHeader* object) {
    RetainObject(object);
    return object;
}

void ReplaceString(StringRecord*& field, StringRecord* value) {
    RuntimeLockString(value);
    StringRecord* old = field;
    field = value;
    RuntimeUnlockString(old);
}

void ReplaceObject(ObjectHeader*& field, ObjectHeader* value) {
    RetainObject(value);
    ObjectHeader* old = field;
    field = value;
    ReleaseObject(old);
}

// --- full screen ---

void MakeWindowFullScreen(ObjectHeader* window) {
    WindowObject* w = F(window);
    const int32_t index = FindScreenOfRect(w->mBounds);
    ObjectHeader* screen = getScreen(index);
    if (!screen) return;
    w->mRestoreBounds = w->mBounds;
    HWND hwnd = w->mPane->GetHWND();
    SetWindowLongA(hwnd, GWL_STYLE,
                   static_cast<LONG>(GetWindowLongA(hwnd, GWL_STYLE) & 0xFF3BFFFF));
    MoveWindow(hwnd, screenLeftGetter(screen), screenTopGetter(screen), screenWidthGetter(screen),
               screenHeightGetter(screen), TRUE);
    ReleaseObject(screen);
}

void FrameSizes(WindowObject* w, int32_t& fx, int32_t& fy) {
    fx = GetSystemMetrics(w->mGrowIcon ? SM_CXFRAME : SM_CXDLGFRAME);
    fy = GetSystemMetrics(w->mGrowIcon ? SM_CYFRAME : SM_CYDLGFRAME);
}

void RestoreFromFullScreen(ObjectHeader* window) {
    WindowObject* w = F(window);
    w->mBounds = w->mRestoreBounds;
    HWND hwnd = w->mPane->GetHWND();
    LONG style = GetWindowLongA(hwnd, GWL_STYLE);
    style |= (w->mFrame == 4 || w->mFrame == 2) ? WS_BORDER : WS_CAPTION;
    if (w->mGrowIcon) style |= WS_THICKFRAME;
    SetWindowLongA(hwnd, GWL_STYLE, style);
    const int32_t c = w->mFrame == 4   ? 0
                      : w->mFrame == 3 ? GetSystemMetrics(SM_CYSMCAPTION)
                                       : GetSystemMetrics(SM_CYCAPTION);
    int32_t fx, fy;
    FrameSizes(w, fx, fy);
    const Rect16& b = w->mBounds;
    w->mPane->SetSize(b.right - b.left + 2 * fx, b.bottom - b.top + c + 2 * fy, true);
    w->mPane->SetPosition(b.left - fx, b.top - c - fy, true);
}

// Moves the native window to the frame around the content rectangle at once.
void MoveNativeToBounds(WindowObject* w) {
    if (w->mFrame == 4 || w->mFrame == 2) return;
    HWND hwnd = w->mPane->GetHWND();
    if (!hwnd) return;
    const int32_t m = (!IsMDIMode() && GetMenu(hwnd)) ? GetSystemMetrics(SM_CYMENU) : 0;
    int32_t fx, fy;
    FrameSizes(w, fx, fy);
    int32_t c = 0;
    if (w->mFrame == 3 || w->mFrame == 7)
        c = GetSystemMetrics(SM_CYSMCAPTION);
    else if (GetWindowLongA(hwnd, GWL_STYLE) & WS_CAPTION)
        c = GetSystemMetrics(SM_CYCAPTION);
    const Rect16& b = w->mBounds;
    MoveWindow(hwnd, b.left - fx, b.top - m - c - fy, b.right - b.left + 2 * fx,
               b.bottom - b.top + m + c + 2 * fy, TRUE);
}

// --- rows ---

EventDefinition* sEvents[kWindowEventCount] = {};

EventEntry kWindowEvents[] = {
    {0x40, "Layout", "", "", &sEvents[kWindowLayout], 0},
    {0x40, "CreateControls", "", "", &sEvents[kWindowCreateControls], 0},
    {0x40, "AddMenuHandlers", "MenuHandlerSourceWindow as Window", "",
     &sEvents[kWindowAddMenuHandlers], 0},
    {0x40, "SetupBindings", "", "", &sEvents[kWindowSetupBindings], 0},
    {0, "Open", "", "", &sEvents[kWindowOpen], 0},
    {0, "Close", "", "", &sEvents[kWindowClose], 0},
    {0, "CancelClose", "appQuitting as Boolean", "Boolean", &sEvents[kWindowCancelClose], 0},
    {0, "KeyDown", "Key As String", "Boolean", &sEvents[kWindowKeyDown], 0},
    {0, "MouseMove", "X As Integer, Y As Integer", "", &sEvents[kWindowMouseMove], 0},
    {0, "MouseEnter", "", "", &sEvents[kWindowMouseEnter], 0},
    {0, "MouseExit", "", "", &sEvents[kWindowMouseExit], 0},
    {0, "Paint", "g As Graphics", "", &sEvents[kWindowPaint], 0},
    {0, "MouseDown", "X As Integer, Y As Integer", "Boolean", &sEvents[kWindowMouseDown], 0},
    {0, "MouseDrag", "X As Integer, Y As Integer", "", &sEvents[kWindowMouseDrag], 0},
    {0, "MouseUp", "X As Integer, Y As Integer", "", &sEvents[kWindowMouseUp], 0},
    {0, "EnableMenuItems", "", "", &sEvents[kWindowEnableMenuItems], 0},
    {0, "Resized", "", "", &sEvents[kWindowResized], 0},
    {0, "Resizing", "", "", &sEvents[kWindowResizing], 0},
    {0, "Moved", "", "", &sEvents[kWindowMoved], 0},
    {0, "DropObject", "obj As DragItem", "", &sEvents[kWindowDropObject], 0},
    {0, "Activate", "", "", &sEvents[kWindowActivate], 0},
    {0, "Deactivate", "", "", &sEvents[kWindowDeactivate], 0},
    {0, "Minimize", "", "", &sEvents[kWindowMinimize], 0},
    {0, "Maximize", "", "", &sEvents[kWindowMaximize], 0},
    {0, "Restore", "", "", &sEvents[kWindowRestore], 0},
    {0, "MouseWheel", "X As Integer, Y As Integer, Delta as Integer", "Boolean",
     &sEvents[kWindowMouseWheel], 0},
    {0, "ConstructContextualMenu", "base as MenuItem, x as Integer, y as Integer", "Boolean",
     &sEvents[kWindowConstructContextualMenu], 0},
    {0, "ContextualMenuAction", "hitItem as MenuItem", "Boolean",
     &sEvents[kWindowContextualMenuAction], 0},
};

ConstantEntry kWindowConstants[] = {
    {0, "FrameTypeDocument", 1, "0"},        {0, "FrameTypeMovableModal", 1, "1"},
    {0, "FrameTypeModal", 1, "2"},           {0, "FrameTypeFloating", 1, "3"},
    {0, "FrameTypePlain", 1, "4"},           {0, "FrameTypeShadowed", 1, "5"},
    {0, "FrameTypeRounded", 1, "6"},         {0, "FrameTypeGlobalFloating", 1, "7"},
    {0, "FrameTypeSheet", 1, "8"},           {0, "FrameTypeMetal", 1, "9"},
    {0, "FrameTypeDrawer", 1, "10"},         {0, "PlacementDefault", 1, "0"},
    {0, "PlacementParent", 1, "1"},          {0, "PlacementMainScreen", 1, "2"},
    {0, "PlacementParentScreen", 1, "3"},    {0, "PlacementStagger", 1, "4"},
    {0, "PlacementDrawerTopLeft", 1, "0"},   {0, "PlacementDrawerCenter", 1, "1"},
    {0, "PlacementDrawerBottomRight", 1, "2"}, {0, "ShowWithinDefault", 1, "-1"},
    {0, "ShowWithinTop", 1, "0"},            {0, "ShowWithinBottom", 1, "1"},
    {0, "ShowWithinRight", 1, "2"},          {0, "ShowWithinLeft", 1, "3"},
};

}  // namespace

extern "C" {
// --- accessors ---

bool WindowVisibleGetter(ObjectHeader* window, int32_t) {
    if (!window) return false;
    if (F(window)->mPane) return F(window)->mPane->IsShown();
    return F(window)->mVisible != 0;
}

void WindowVisibleSetter(ObjectHeader* window, int32_t, bool value) {
    if (!window) {
        ReportAssertion(kSource, 286, "view");
        return;
    }
    WindowObject* w = F(window);
    w->mVisible = value;
    if (RuntimeWindowRecord* record = FindRuntimeWindow(window)) record->visible = value;
    if (w->mPane) {
        if (value)
            w->mPane->RequestShow();
        else
            w->mPane->Hide();
    } else if (w->mEmbeddedWindowControl) {
        ControlVisibleSetter(w->mEmbeddedWindowControl, 0, value);
    }
}

int32_t windowPosGetter(ObjectHeader* window, int32_t selector) {
    if (!window) return 0;
    if (ObjectHeader* control = Embedded(window)) return ctlPosGetter(control, selector);
    const Rect16& b = F(window)->mBounds;
    switch (selector) {
    case 0: return b.left;
    case 1: return b.top;
    case 2: return b.right - b.left;
    case 3: return b.bottom - b.top;
    default: return 0;
    }
}

void windowPosSetter(ObjectHeader* window, int32_t selector, int32_t value) {
    if (!window) {
        ReportAssertion(kSource, 367, "view");
        return;
    }
    WindowObject* w = F(window);
    if (w->mFullScreen) return;
    if (ObjectHeader* control = Embedded(window)) {
        ctlPosSetter(control, selector, value);
        return;
    }
    Rect16& b = w->mBounds;
    const int16_t v = static_cast<int16_t>(value);
    switch (selector) {
    case 0: b.right = static_cast<int16_t>(b.right - b.left + v); b.left = v; break;
    case 1: b.bottom = static_cast<int16_t>(b.bottom - b.top + v); b.top = v; break;
    case 2: b.right = static_cast<int16_t>(b.left + v); break;
    case 3: b.bottom = static_cast<int16_t>(b.top + v); break;
    default: return;
    }
    if (!w->mPane) return;
    if (selector < 2)
        w->mPane->SetPosition(b.left, b.top, true);
    else
        w->mPane->SetSize(b.right - b.left, b.bottom - b.top, true);
    if (w->mPlacement != 0)
        w->mPane->ApplyPendingBounds();
    else
        MoveNativeToBounds(w);
}

int32_t windowPlacementGetter(ObjectHeader* window, int32_t) {
    return window ? F(window)->mPlacement : 0;
}
void windowPlacementSetter(ObjectHeader* window, int32_t, int32_t value) {
    if (window) F(window)->mPlacement = value;
}

StringRecord* windowTitleGetter(ObjectHeader* window, int32_t) {
    if (!window) return nullptr;
    RuntimeLockString(F(window)->mTitle);
    return F(window)->mTitle;
}

void windowTitleSetter(ObjectHeader* window, int32_t, StringRecord* value) {
    if (!window) {
        ReportAssertion(kSource, 1138, "view",
                        "Trying to set the window's title, but there was no window");
        return;
    }
    ReplaceString(F(window)->mTitle, value);
    if (F(window)->mPane) F(window)->mPane->SetTitle(string(value));
}

bool windowFullScreenGetter(ObjectHeader* window, int32_t) {
    return window && F(window)->mFullScreen;
}

void windowFullScreenSetter(ObjectHeader* window, int32_t, bool value) {
    if (!window) {
        ReportAssertion(kSource, 1380, "view");
        return;
    }
    WindowObject* w = F(window);
    if (!w->mPane) {
        w->mFullScreenPending = value;
        return;
    }
    if ((w->mFullScreen != 0) == value) return;
    w->mFullScreen = value;
    if (value)
        MakeWindowFullScreen(window);
    else
        RestoreFromFullScreen(window);
}

bool windowMenusVisibleGetter(ObjectHeader* window, int32_t) {
    return window && F(window)->mMenuBarVisible;
}

void windowMenusVisibleSetter(ObjectHeader* window, int32_t, bool value) {
    if (!window) return;
    F(window)->mMenuBarVisible = value;
    if (F(window)->mPane && F(window)->mPane->GetHWND() == GetForegroundWindow()) {
        if (value)
            ShowMenuBar();
        else
            HideMenuBar();
    }
}

#define QV_BYTE_ACCESSORS(stem, field)                                          \
    bool window##stem##Getter(ObjectHeader* window, int32_t) {                  \
        return window && F(window)->field;                                      \
    }                                                                           \
    void window##stem##Setter(ObjectHeader* window, int32_t, bool value) {      \
        if (window) F(window)->field = value;                                   \
    }
QV_BYTE_ACCESSORS(CloseBox, mCloseBox)
QV_BYTE_ACCESSORS(GrowIcon, mGrowIcon)
QV_BYTE_ACCESSORS(ZoomIcon, mZoomIcon)
#undef QV_BYTE_ACCESSORS

int32_t windowFrameGetter(ObjectHeader* window, int32_t) { return window ? F(window)->mFrame : 0; }
void windowFrameSetter(ObjectHeader* window, int32_t, int32_t value) {
    if (window) F(window)->mFrame = value;
}

bool windowLiveResizeGetter(ObjectHeader* window, int32_t) {
    if (!window) {
        ReportAssertion(kSource, 832, "window");
        return false;
    }
    if (F(window)->mPane) return F(window)->mPane->IsLiveResize();
    return F(window)->mLiveResize;
}

void windowLiveResizeSetter(ObjectHeader* window, int32_t, bool value) {
    if (!window) {
        ReportAssertion(kSource, 854, "window");
        return;
    }
    if (F(window)->mPane)
        F(window)->mPane->SetLiveResize(value);
    else
        F(window)->mLiveResize = value;
}

ObjectHeader* windowBackdropGetter(ObjectHeader* window, int32_t) {
    return window ? Retained(F(window)->mBackdrop) : nullptr;
}

void windowBackdropSetter(ObjectHeader* window, int32_t, ObjectHeader* picture) {
    if (!window) return;
    ReplaceObject(F(window)->mBackdrop, picture);
    if (F(window)->mPane)
        F(window)->mPane->Invalidate(true);
    else if (ObjectHeader* control = F(window)->mEmbeddedWindowControl)
        canvasBackdropSetter(control, 0, picture);
}

ObjectHeader* windowGraphicsGetter(ObjectHeader* window, int32_t) {
    if (!window) return nullptr;
    WindowObject* w = F(window);
    if (w->mPane) {
        if (!w->mGraphics) w->mGraphics = NewGraphicsObject(w->mPane->NewGraphics());
        return Retained(w->mGraphics);
    }
    if (ObjectHeader* control = Embedded(window)) return canvasGraphicsGetter(control, 0);
    return nullptr;
}

bool windowHasBackColorGetter(ObjectHeader* window, int32_t) {
    return window && F(window)->mHasBackColor;
}

void windowHasBackColorSetter(ObjectHeader* window, int32_t, bool value) {
    if (!window) return;
    F(window)->mHasBackColor = value;
    if (!F(window)->mPane) return;
    if (value)
        F(window)->mPane->SetBackColor(F(window)->mBackColor);
    else
        F(window)->mPane->ClearBackColor();
}

uint32_t windowBackColorGetter(ObjectHeader* window, int32_t) {
    return window ? F(window)->mBackColor : 0;
}

void windowBackColorSetter(ObjectHeader* window, int32_t, uint32_t colour) {
    if (!window) return;
    F(window)->mBackColor = colour;
    if (F(window)->mHasBackColor && F(window)->mPane) F(window)->mPane->SetBackColor(colour);
}

void windowBalloonHelpSetter(ObjectHeader* window, int32_t, StringRecord* text) {
    if (!window) return;
    ReplaceString(F(window)->mBalloonHelp, text);
    if (F(window)->mPane)
        F(window)->mPane->SetBalloonHelp(string(text));
    else if (ObjectHeader* control = F(window)->mEmbeddedWindowControl)
        controlBalloonHelpSetter(control, 0, text);
}

int32_t windowMinMaxWidthHeightGetter(ObjectHeader* window, int32_t selector) {
    if (!window) {
        ReportAssertion(kSource, 938, "window");
        return 0;
    }
    if (selector < 0 || selector > 3) return 0;
    return (&F(window)->mMinWidth)[selector];
}

void windowMinMaxWidthHeightSetter(ObjectHeader* window, int32_t selector, int32_t value) {
    if (!window) {
        ReportAssertion(kSource, 902, "window");
        return;
    }
    if (selector >= 0 && selector <= 3)
        (&F(window)->mMinWidth)[selector] = static_cast<int16_t>(value);
}

void formMouseCursorSetter(ObjectHeader* window, int32_t, ObjectHeader* cursor) {
    if (!window) return;
    ReplaceObject(F(window)->mMouseCursor, cursor);
    if (F(window)->mPane)
        F(window)->mPane->SetCursor(cursor ? MouseCursorHolder(cursor) : nullptr);
    else if (ObjectHeader* control = F(window)->mEmbeddedWindowControl)
        controlMouseCursorSetter(control, 0, cursor);
}

int32_t windowControlCountGetter(ObjectHeader* window, int32_t) {
    if (!window || !F(window)->mControls) return 0;
    int32_t count = 0;
    StringMapIterator<ObjectHeader*>* it = F(window)->mControls->NewIterator();
    ObjectHeader* value = nullptr;
    while (it->Next(value))
        if (IsControl(value)) ++count;
    delete it;
    return count;
}

int32_t windowMouseXGetter(ObjectHeader* window, int32_t) {
    if (!window) return 0;
    if (F(window)->mPane) return F(window)->mPane->GetMousePosition().h;
    if (ObjectHeader* control = Embedded(window)) return controlMouseXGetter(control, 0);
    return 0;
}

int32_t windowMouseYGetter(ObjectHeader* window, int32_t) {
    if (!window) return 0;
    if (F(window)->mPane) return F(window)->mPane->GetMousePosition().v;
    if (ObjectHeader* control = Embedded(window)) return controlMouseYGetter(control, 0);
    return 0;
}

int32_t windowWindowPtrGetter(ObjectHeader*, int32_t) { return 0; }

int32_t WindowHandleGetter(ObjectHeader* window, int32_t) {
    if (!window || !F(window)->mPane) return 0;
    return static_cast<int32_t>(reinterpret_cast<intptr_t>(F(window)->mPane->GetHWND()));
}

int32_t windowHWNDGetter(ObjectHeader* window, int32_t parameter) {
    return WindowHandleGetter(window, parameter);
}

ObjectHeader* WindowDockItemGetter(ObjectHeader* window, int32_t) {
    if (!window) ReportAssertion(kSource, 1493, "win");
    return nullptr;
}

ObjectHeader* WindowMenuBarGetter(ObjectHeader* window, int32_t) {
    if (!window) {
        ReportAssertion(kSource, 970, "window");
        return nullptr;
    }
    return Retained(F(window)->mMenuBar);
}

void WindowMenuBarSetter(ObjectHeader* window, int32_t, ObjectHeader* menuBar) {
    if (!window) {
        ReportAssertion(kSource, 990, "window");
        return;
    }
    ReplaceObject(F(window)->mMenuBar, menuBar);
    if (RuntimeWindowRecord* record = FindRuntimeWindow(window)) record->menuBar = menuBar;
    if (F(window)->mPane) InstallWindowMenuBar(window);
}

ObjectHeader* WindowFocusGetter(ObjectHeader*, int32_t) {
    SubPane* focus = GetFocusPane();
    if (!focus || !focus->mRunControl) return nullptr;
    return Retained(ControlOfRunControl(focus->mRunControl));
}

void WindowFocusSetter(ObjectHeader*, int32_t, ObjectHeader* control) {
    if (!control || !IsControl(control) || !ControlFields(control)->pane) return;
    SetFocusPane(ControlFields(control)->pane);
}

// --- methods ---

void WindowShow(ObjectHeader* window) {
    if (!window) return;
    WindowObject* w = F(window);
    w->mVisible = true;
    if (RuntimeWindowRecord* record = FindRuntimeWindow(window)) record->visible = true;
    if (w->mPane) {
        w->mPane->RequestShow();
        w->mPane->ShowAndRaise();
        if (w->mFullScreen) MakeWindowFullScreen(window);
    } else if (w->mEmbeddedWindowControl) {
        ControlVisibleSetter(w->mEmbeddedWindowControl, 0, true);
    }
}

void WindowHide(ObjectHeader* window) {
    if (!window) return;
    WindowObject* w = F(window);
    w->mVisible = false;
    if (RuntimeWindowRecord* record = FindRuntimeWindow(window)) record->visible = false;
    if (w->mPane)
        w->mPane->Hide();
    else if (w->mEmbeddedWindowControl)
        ControlVisibleSetter(w->mEmbeddedWindowControl, 0, false);
}

// Runs loop steps while the window keeps a shown pane; the Window is held meanwhile, so a
// handler that closes it leaves the test readable.
void RunWhileShown(ObjectHeader* window) {
    RetainObject(window);
    while (F(window)->mPane && F(window)->mPane->IsShown() && !IsQuitting()) {
        DoEventsStep(true);
        if (ExceptionInFlight()) break;
    }
    ReleaseObject(window);
}

void WindowShowModal(ObjectHeader* window) {
    if (!window) return;
    WindowObject* w = F(window);
    if (!w->mPane) CreateStandAloneWindow(window);
    if (ExceptionInFlight() || !w->mPane) return;
    w->mPane->RequestShow();
    w->mPane->ShowAndRaise();
    RunWhileShown(window);
}

void RuntimeShowWithinWindow(ObjectHeader* window, ObjectHeader* parent, int32_t facing) {
    if (!window) return;
    if (!parent) {
        WindowShow(window);
        return;
    }
    WindowObject* w = F(window);
    w->mVisible = true;
    if (!w->mPane) {
        CreateStandAloneWindow(window);
        return;
    }
    w->mPane->RequestShow();
    w->mPane->ShowWith(F(parent)->mPane, facing);
    if (w->mFullScreen) MakeWindowFullScreen(window);
}

void RuntimeShowModalWithinWindow(ObjectHeader* window, ObjectHeader* parent) {
    if (!window) return;
    WindowObject* w = F(window);
    if (!w->mPane) CreateStandAloneWindow(window);
    if (ExceptionInFlight() || !w->mPane) return;
    w->mVisible = true;
    w->mPane->RequestShow();
    w->mPane->ShowWith(parent ? F(parent)->mPane : nullptr, -1);
    RunWhileShown(window);
}

void formRefresh(ObjectHeader* window, bool erase) {
    if (!window) return;
    if (F(window)->mPane) {
        F(window)->mPane->Invalidate(erase);
        F(window)->mPane->UpdateNow();
    } else if (ObjectHeader* control = Embedded(window)) {
        RuntimeControlRefresh(control, erase);
    }
}

void formRefreshRect(ObjectHeader* window, int32_t x, int32_t y, int32_t width, int32_t height,
                     bool erase) {
    if (!window) return;
    if (F(window)->mPane) {
        F(window)->mPane->InvalidateCoords(x, y, x + width, y + height, erase);
        F(window)->mPane->UpdateNow();
    } else if (ObjectHeader* control = Embedded(window)) {
        RuntimeControlRefreshRect(control, x, y, width, height, erase);
    }
}

void formAcceptTextDrop(ObjectHeader* window) {
    if (!window) return;
    if (F(window)->mPane) {
        F(window)->mPane->AcceptDataDrop(string("utxt"));
        F(window)->mPane->AcceptDataDrop(string("TEXT"));
    } else if (ObjectHeader* control = Embedded(window)) {
        controlAcceptTextDrop(control);
    }
}

void formAcceptPictureDrop(ObjectHeader* window) {
    if (!window) return;
    if (F(window)->mPane)
        F(window)->mPane->AcceptDataDrop(string("PICT"));
    else if (ObjectHeader* control = Embedded(window))
        controlAcceptPictureDrop(control);
}

void formAcceptFileDrop(ObjectHeader* window, StringRecord* type) {
    if (!window) return;
    if (F(window)->mPane)
        F(window)->mPane->AcceptFileDrop(string(type));
    else if (ObjectHeader* control = Embedded(window))
        controlAcceptFileDrop(control, type);
}

void formAcceptMacDataDrop(ObjectHeader* window, StringRecord* type) {
    if (!window) return;
    if (F(window)->mPane)
        F(window)->mPane->AcceptDataDrop(string(type));
    else if (ObjectHeader* control = Embedded(window))
        controlAcceptMacDataDrop(control, type);
}

ObjectHeader* formNewDragItem(ObjectHeader*, int32_t, int32_t, int32_t, int32_t) {
    return nullptr;
}

ObjectHeader* windowControl(ObjectHeader* window, int32_t index) {
    if (!window) {
        RaiseNilObjectException();
        return nullptr;
    }
    int32_t seen = 0;
    ObjectHeader* found = nullptr;
    if (F(window)->mControls && index >= 0) {
        StringMapIterator<ObjectHeader*>* it = F(window)->mControls->NewIterator();
        ObjectHeader* value = nullptr;
        while (!found && it->Next(value))
            if (IsControl(value) && seen++ == index) found = value;
        delete it;
    }
    if (!found) {
        RaiseOutOfBoundsException();
        return nullptr;
    }
    return Retained(found);
}

void formDrawInto(ObjectHeader* window, ObjectHeader* g, int32_t x, int32_t y, bool) {
    if (!window) return;
    GraphicsImp* imp = GraphicsImplementation(g);
    if (F(window)->mPane) {
        if (!imp) return;
        const int32_t originX = imp->OriginX();
        const int32_t originY = imp->OriginY();
        imp->SetOrigin(originX - x, originY - y);
        F(window)->mPane->DrawTree(imp);
        imp->SetOrigin(originX, originY);
    } else if (ObjectHeader* control = Embedded(window)) {
        RuntimeControlDrawInto(control, g, x, y);
    }
}

void formDrawBackground(ObjectHeader* window, ObjectHeader* g, int32_t, int32_t, int32_t, int32_t,
                        int32_t srcLeft, int32_t srcTop) {
    GraphicsImp* imp = GraphicsImplementation(g);
    if (!window || !imp) return;
    if (RuntimeViewWindow* pane = F(window)->mPane) {
        pane->DrawBackground(imp);
        SubPane::OffsetTree(pane, static_cast<int16_t>(-srcLeft), static_cast<int16_t>(-srcTop));
        pane->FirePaint(imp);
        SubPane::OffsetTree(pane, static_cast<int16_t>(srcLeft), static_cast<int16_t>(srcTop));
    } else if (ObjectHeader* control = Embedded(window)) {
        if (SubPane* pane = ControlFields(control)->pane) {
            SubPane::OffsetTree(pane, static_cast<int16_t>(-srcLeft),
                                static_cast<int16_t>(-srcTop));
            pane->Paint(imp);
            SubPane::OffsetTree(pane, static_cast<int16_t>(srcLeft), static_cast<int16_t>(srcTop));
        }
    }
}

void WindowForceUpdateFrontBuffer(ObjectHeader*) {}

void WindowMaximize(ObjectHeader* window) {
    if (window && F(window)->mPane) F(window)->mPane->MaximizeWindow();
}
void WindowMinimize(ObjectHeader* window) {
    if (window && F(window)->mPane) F(window)->mPane->MinimizeWindow();
}
void WindowRestore(ObjectHeader* window) {
    if (window && F(window)->mPane) F(window)->mPane->RestoreWindow();
}

void WindowMove(ObjectHeader* window, int32_t left, int32_t top, int32_t width, int32_t height) {
    if (!window || (!F(window)->mPane && !F(window)->mEmbeddedWindowControl)) return;
    windowPosSetter(window, 0, left);
    windowPosSetter(window, 1, top);
    windowPosSetter(window, 2, width);
    windowPosSetter(window, 3, height);
}

void WindowSetFocus(ObjectHeader* window) {
    if (!window) return;
    if (F(window)->mPane) {
        SetFocusPane(F(window)->mPane);
        SetFocus(nullptr);
    } else if (ObjectHeader* control = Embedded(window)) {
        RuntimeSetFocus(control);
    }
}

bool GetWindowContextualMenu(ObjectHeader* window, ObjectHeader* base, int32_t x, int32_t y) {
    auto handler = reinterpret_cast<bool (*)(ObjectHeader*, ObjectHeader*, int32_t, int32_t)>(
        WindowEventHandler(window, kWindowConstructContextualMenu));
    return handler ? handler(window, base, x, y) : false;
}

bool FireWindowContextualMenuAction(ObjectHeader* window, ObjectHeader* item) {
    auto handler = reinterpret_cast<bool (*)(ObjectHeader*, ObjectHeader*)>(
        WindowEventHandler(window, kWindowContextualMenuAction));
    if (!handler) return false;
    RetainObject(item);
    const bool result = handler(window, item);
    ReleaseObject(item);
    return result;
}

ObjectHeader* WindowControlFromPoint(ObjectHeader*, int32_t, int32_t) { return nullptr; }

}  // extern "C"

// --- definition ---

namespace {


const TypeDescriptor* const kBoolean = AsType(&kBooleanType);
const TypeDescriptor* const kInteger = AsType(&kIntegerType);
const TypeDescriptor* const kString = AsType(&kStringType);

PropertyEntry kWindowProperties[] = {
    QV_PROPERTY_ROW(0, "Visible", kBoolean, WindowVisibleGetter, WindowVisibleSetter, 0),
    QV_PROPERTY_ROW(0, "Left", kInteger, windowPosGetter, windowPosSetter, 0),
    QV_PROPERTY_ROW(0, "Top", kInteger, windowPosGetter, windowPosSetter, 1),
    QV_PROPERTY_ROW(0, "Width", kInteger, windowPosGetter, windowPosSetter, 2),
    QV_PROPERTY_ROW(0, "Height", kInteger, windowPosGetter, windowPosSetter, 3),
    QV_PROPERTY_ROW(0, "Placement", kInteger, windowPlacementGetter, windowPlacementSetter, 0),
    QV_PROPERTY_ROW(0, "Title", kString, windowTitleGetter, windowTitleSetter, 0),
    QV_PROPERTY_ROW(0, "FullScreen", kBoolean, windowFullScreenGetter, windowFullScreenSetter, 0),
    QV_PROPERTY_ROW(0, "MenuBarVisible", kBoolean, windowMenusVisibleGetter,
                    windowMenusVisibleSetter, 0),
    QV_PROPERTY_ROW(0x8000, "CloseBox", kBoolean, windowCloseBoxGetter, windowCloseBoxSetter, 0),
    QV_PROPERTY_ROW(0, "CloseButton", kBoolean, windowCloseBoxGetter, windowCloseBoxSetter, 0),
    QV_PROPERTY_ROW(0x8000, "GrowIcon", kBoolean, windowGrowIconGetter, windowGrowIconSetter, 0),
    QV_PROPERTY_ROW(0, "Resizeable", kBoolean, windowGrowIconGetter, windowGrowIconSetter, 0),
    QV_PROPERTY_ROW(0x8000, "ZoomIcon", kBoolean, windowZoomIconGetter, windowZoomIconSetter, 0),
    QV_PROPERTY_ROW(0, "MaximizeButton", kBoolean, windowZoomIconGetter, windowZoomIconSetter, 0),
    QV_PROPERTY_ROW(0, "Frame", kInteger, windowFrameGetter, windowFrameSetter, 0),
    QV_PROPERTY_ROW(2, "Composite", kBoolean, boolGetter, boolSetter,
                    offsetof(WindowObject, mComposite)),
    QV_PROPERTY_ROW(0, "LiveResize", kBoolean, windowLiveResizeGetter, windowLiveResizeSetter, 0),
    QV_PROPERTY_ROW(0, "Backdrop", nullptr, windowBackdropGetter, windowBackdropSetter, 0),
    QV_READ_ONLY_ROW(0, "Graphics", nullptr, windowGraphicsGetter, 0),
    QV_PROPERTY_ROW(0, "HasBackColor", kBoolean, windowHasBackColorGetter, windowHasBackColorSetter,
                    0),
    QV_PROPERTY_ROW(0, "BackColor", AsType(&kColorType), windowBackColorGetter,
                    windowBackColorSetter, 0),
    QV_PROPERTY_ROW(0, "BalloonHelp", kString, stringGetter, windowBalloonHelpSetter,
                    offsetof(WindowObject, mBalloonHelp)),
    QV_PROPERTY_ROW(0, "MinWidth", kInteger, windowMinMaxWidthHeightGetter,
                    windowMinMaxWidthHeightSetter, 0),
    QV_PROPERTY_ROW(0, "MinHeight", kInteger, windowMinMaxWidthHeightGetter,
                    windowMinMaxWidthHeightSetter, 1),
    QV_PROPERTY_ROW(0, "MaxWidth", kInteger, windowMinMaxWidthHeightGetter,
                    windowMinMaxWidthHeightSetter, 2),
    QV_PROPERTY_ROW(0, "MaxHeight", kInteger, windowMinMaxWidthHeightGetter,
                    windowMinMaxWidthHeightSetter, 3),
    QV_PROPERTY_ROW(0, "MacProcId", kInteger, intGetter, intSetter,
                    offsetof(WindowObject, mMacProcId)),
    QV_PROPERTY_ROW(0, "MouseCursor", nullptr, objGetter, formMouseCursorSetter,
                    offsetof(WindowObject, mMouseCursor)),
    QV_READ_ONLY_ROW(0, "ControlCount", kInteger, windowControlCountGetter, 0),
    QV_PROPERTY_ROW(0, "FloaterProcess", kString, stringGetter, stringSetter,
                    offsetof(WindowObject, mFloaterProcess)),
    QV_READ_ONLY_ROW(0, "MouseX", kInteger, windowMouseXGetter, 0),
    QV_READ_ONLY_ROW(0, "MouseY", kInteger, windowMouseYGetter, 0),
    QV_READ_ONLY_ROW(0x8000, "MacWindowPtr", kInteger, windowWindowPtrGetter, 0),
    QV_READ_ONLY_ROW(0x8000, "WinHWND", kInteger, windowHWNDGetter, 0),
    QV_READ_ONLY_ROW(0, "Handle", kInteger, WindowHandleGetter, 0),
    QV_READ_ONLY_ROW(1, "DockItem", nullptr, WindowDockItemGetter, 0),
    QV_PROPERTY_ROW(0, "MenuBar", nullptr, WindowMenuBarGetter, WindowMenuBarSetter, 0),
    QV_PROPERTY_ROW(0, "Focus", nullptr, WindowFocusGetter, WindowFocusSetter, 0),
};

ParameterEntry kFacingParameters[] = {{"parentWindow", nullptr, 0, 0, 0, 0},
                                      {"facing", kInteger, 0, 1, static_cast<uintptr_t>(-1), 0}};
ParameterEntry kParentParameter[] = {{"parentWindow", nullptr, 0, 0, 0, 0}};
ParameterEntry kEraseParameter[] = {{"eraseBackground", kBoolean, 0, 1, 1, 0}};
ParameterEntry kRefreshRectParameters[] = {
    {"x", kInteger, 0, 0, 0, 0},      {"y", kInteger, 0, 0, 0, 0},
    {"width", kInteger, 0, 0, 0, 0},  {"height", kInteger, 0, 0, 0, 0},
    {"eraseBackground", kBoolean, 0, 1, 1, 0}};
ParameterEntry kRectParameters[] = {{"x", kInteger, 0, 0, 0, 0},
                                    {"y", kInteger, 0, 0, 0, 0},
                                    {"width", kInteger, 0, 0, 0, 0},
                                    {"height", kInteger, 0, 0, 0, 0}};
ParameterEntry kTypeParameter[] = {{"type", kString, 0, 0, 0, 0}};
ParameterEntry kIndexParameter[] = {{"Index", kInteger, 0, 0, 0, 0}};
ParameterEntry kDrawIntoParameters[] = {{"g", nullptr, 0, 0, 0, 0},
                                        {"x", kInteger, 0, 0, 0, 0},
                                        {"y", kInteger, 0, 0, 0, 0},
                                        {"_asActive", kBoolean, 0, 1, 0, 0}};
ParameterEntry kDrawBackgroundParameters[] = {
    {"g", nullptr, 0, 0, 0, 0},         {"x", kInteger, 0, 0, 0, 0},
    {"y", kInteger, 0, 0, 0, 0},        {"width", kInteger, 0, 0, 0, 0},
    {"height", kInteger, 0, 0, 0, 0},   {"srcLeft", kInteger, 0, 0, 0, 0},
    {"srcTop", kInteger, 0, 0, 0, 0}};
ParameterEntry kAddControlParameters[] = {{"name", kString, 0, 0, 0, 0},
                                          {"obj", nullptr, 0, 0, 0, 0}};
ParameterEntry kAddMenuHandlerParameters[] = {{"name", kString, 0, 0, 0, 0},
                                              {"handler", AsType(&kPtrType), 0, 0, 0, 0}};
ParameterEntry kNewParameters[] = {{"classToCreate", AsType(&kClassType), 0, 0, 0, 0}};
ParameterEntry kMoveParameters[] = {{"left", kInteger, 0, 0, 0, 0},
                                    {"top", kInteger, 0, 0, 0, 0},
                                    {"width", kInteger, 0, 0, 0, 0},
                                    {"height", kInteger, 0, 0, 0, 0}};

#define QV_METHOD(flags, label, result, parameters, count, function)                          \
    {label, result, parameters, count, Function(RowFunction(function), #function), {},       \
     kMethodPlain, flags, 0}

MethodEntry kWindowMethods[] = {
    QV_METHOD(0, "Show", nullptr, nullptr, 0, RuntimeShowWindow),
    QV_METHOD(0, "ShowWithin", nullptr, kFacingParameters, 2, RuntimeShowWithinWindow),
    QV_METHOD(0, "ShowModalWithin", nullptr, kParentParameter, 1, RuntimeShowModalWithinWindow),
    QV_METHOD(0, "Hide", nullptr, nullptr, 0, RuntimeHideWindow),
    QV_METHOD(0, "Close", nullptr, nullptr, 0, RuntimeCloseWindow),
    QV_METHOD(0, "Refresh", nullptr, kEraseParameter, 1, formRefresh),
    QV_METHOD(0, "RefreshRect", nullptr, kRefreshRectParameters, 5, formRefreshRect),
    QV_METHOD(0, "ShowModal", nullptr, nullptr, 0, RuntimeShowModal),
    QV_METHOD(0, "NewDragItem", nullptr, kRectParameters, 4, formNewDragItem),
    QV_METHOD(0, "AcceptTextDrop", nullptr, nullptr, 0, formAcceptTextDrop),
    QV_METHOD(0, "AcceptPictureDrop", nullptr, nullptr, 0, formAcceptPictureDrop),
    QV_METHOD(0, "AcceptFileDrop", nullptr, kTypeParameter, 1, formAcceptFileDrop),
    QV_METHOD(0x8000, "AcceptMacDataDrop", nullptr, kTypeParameter, 1, formAcceptMacDataDrop),
    QV_METHOD(0, "AcceptRawDataDrop", nullptr, kTypeParameter, 1, formAcceptMacDataDrop),
    QV_METHOD(0, "Control", nullptr, kIndexParameter, 1, windowControl),
    QV_METHOD(0, "SetFocus", nullptr, nullptr, 0, formSetFocus),
    QV_METHOD(0, "DrawInto", nullptr, kDrawIntoParameters, 4, formDrawInto),
    QV_METHOD(0, "_DrawBackground", nullptr, kDrawBackgroundParameters, 7, formDrawBackground),
    QV_METHOD(0, "UpdateNow", nullptr, nullptr, 0, WindowForceUpdateFrontBuffer),
    QV_METHOD(0, "_AddControl", nullptr, kAddControlParameters, 2, WindowAddControl),
    QV_METHOD(0, "_AddMenuHandler", nullptr, kAddMenuHandlerParameters, 2, WindowAddMenuHandler),
    QV_METHOD(0, "Window", nullptr, nullptr, 0, WindowDefaultConstructor),
    QV_METHOD(0, "Operator_Convert", AsType(&kWindowPtrType), nullptr, 0, WindowToWindowPtr),
    QV_METHOD(0, "__New", nullptr, kNewParameters, 1, WindowAllocateObject),
    QV_METHOD(0, "_Move", nullptr, kMoveParameters, 4, WindowMove),
    QV_METHOD(0, "Maximize", nullptr, nullptr, 0, WindowMaximize),
    QV_METHOD(0, "Minimize", nullptr, nullptr, 0, WindowMinimize),
    QV_METHOD(0, "Restore", nullptr, nullptr, 0, WindowRestore),
};

const ClassRows kWindowRows = {
    .className = "Window",
    .superclass = nullptr,
    .objectSize = static_cast<int32_t>(sizeof(WindowObject)),
    .initializer = Function(RowFunction(RuntimeCreateWindow), "RuntimeCreateWindow"),
    .finalizer = Function(RowFunction(RuntimeViewDestructor), "RuntimeViewDestructor"),
    .properties = kWindowProperties,
    .events = kWindowEvents,
    .methods = kWindowMethods,
    .constants = kWindowConstants,
};

}  // namespace

ObjectDefinition* Window() {
    static ObjectDefinition definition;
    if (definition.className.IsEmpty()) {
        const TypeDescriptor* self = definition.AsType();
        const TypeDescriptor* graphics = GetGraphicsDefinition()->AsType();
        kWindowProperties[18].type = GetPictureDefinition()->AsType();
        kWindowProperties[19].type = graphics;
        kWindowProperties[28].type = MouseCursor()->AsType();
        kWindowProperties[37].type = MenuBar()->AsType();
        kWindowProperties[38].type = RectControl()->AsType();
        kWindowMethods[14].returnType = Control()->AsType();
        kWindowMethods[23].returnType = Object()->AsType();
        kDrawIntoParameters[0].parameterType = graphics;
        kDrawBackgroundParameters[0].parameterType = graphics;
        kAddControlParameters[1].parameterType = Object()->AsType();
        kFacingParameters[0].parameterType = self;
        kParentParameter[0].parameterType = self;
    }
    return FillClassDefinition(definition, kWindowRows);
}

void* WindowEventHandler(ObjectHeader* window, WindowEvent event) {
    if (!window || !sEvents[event]) return nullptr;
    return FindEventInstance(window, sEvents[event]);
}

void FireWindowEvent(ObjectHeader* window, WindowEvent event) {
    if (auto handler = reinterpret_cast<void (*)(ObjectHeader*)>(WindowEventHandler(window, event)))
        handler(window);
}

bool IsWindowObject(ObjectHeader* object) { return ObjectIsaDefinition(object, Window()); }

void InstallWindowMenuBar(ObjectHeader* window) {
    WindowObject* w = F(window);
    RuntimeViewWindow* pane = w->mPane;
    if (!pane || !pane->GetHWND()) return;
    HWND hwnd = pane->GetHWND();
    if (!w->mMenuBar) {
        SetMenu(hwnd, nullptr);
        return;
    }
    Win32Menu* menu = MenuItemImplementation(w->mMenuBar);
    if (!menu) return;
    const bool hadMenu = GetMenu(hwnd) != nullptr;
    menu->SetWindowDeep(hwnd);
    SetMenu(hwnd, menu->menuHandle);
    if (!hadMenu) {
        RECT client;
        GetClientRect(hwnd, &client);
        windowPosSetter(window, 3, client.bottom + GetSystemMetrics(SM_CYMENU));
    }
}

void ApplyPendingFullScreen(ObjectHeader* window) { windowFullScreenSetter(window, 0, true); }
