#include "windows/RuntimeViewWindow.h"

#include "comms/SocketClasses.h"
#include "controls/ControlClasses.h"
#include "controls/ContextualMenuProtocol.h"
#include "core/DefinitionConversion.h"
#include "core/Exceptions.h"
#include "core/FailureReport.h"
#include "graphics/GraphicsClass.h"
#include "graphics/GraphicsImp.h"
#include "graphics/PictureClass.h"
#include "graphics/PictureImp.h"
#include "host/EventLoop.h"
#include "core/EncodingConversion.h"
#include "windows/TopLevelWindowClass.h"
#include "windows/WindowMessages.h"
#include "windows/WindowList.h"
#include "windows/WindowObject.h"
#include "windows/WindowServices.h"

RuntimeViewWindow* gViewWindows = nullptr;
MouseCursorHandle* gControlCursor = nullptr;

namespace {

constexpr const char* kSource = "CommonRunView";

WindowObject* F(ObjectHeader* window) { return WindowFields(window); }

// Holds every object of a collection with a reference while handlers run, so a handler that
// closes a window leaves nothing freed behind in the walk.
struct HeldObjects {
    SimpleVector<ObjectHeader*> items;
    ~HeldObjects() {
        for (uint32_t i = 0; i < items.size(); ++i) ReleaseObject(items[i]);
    }
    void HoldAll() {
        for (uint32_t i = 0; i < items.size(); ++i) RetainObject(items[i]);
    }
    int32_t Count() const { return static_cast<int32_t>(items.size()); }
    ObjectHeader* operator[](int32_t i) const { return items[static_cast<uint32_t>(i)]; }
};

bool ContainsPoint(const Rect16& r, int32_t x, int32_t y) {
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

bool PaneVisibleAndShown(SubPane* pane) { return pane && pane->visible && pane->shown; }

// The window-list entry points at this window's closing: CancelClose through TryCloseWindow,
// a forced close through the pane.
bool ListCancelClose(ObjectHeader* window, bool appQuitting) {
    return TryCloseWindowObject(window, appQuitting);
}

void ListClose(ObjectHeader* window) {
    if (RuntimeViewWindow* pane = F(window)->mPane) pane->Close();
}

void ListEnableMenuItems(ObjectHeader* window) {
    FireWindowEvent(window, kWindowEnableMenuItems);
}

bool FireBoolXY(ObjectHeader* window, WindowEvent event, int32_t x, int32_t y) {
    auto handler = reinterpret_cast<bool (*)(ObjectHeader*, int32_t, int32_t)>(
        WindowEventHandler(window, event));
    return handler && handler(window, x, y);
}

void FireXY(ObjectHeader* window, WindowEvent event, int32_t x, int32_t y) {
    auto handler = reinterpret_cast<void (*)(ObjectHeader*, int32_t, int32_t)>(
        WindowEventHandler(window, event));
    if (handler) handler(window, x, y);
}

bool FireKeyDown(ObjectHeader* window, const string& key) {
    auto handler = reinterpret_cast<bool (*)(ObjectHeader*, StringRecord*)>(
        WindowEventHandler(window, kWindowKeyDown));
    return handler && handler(window, key.Record());
}

}  // namespace

RunViewPane::RunViewPane(const string& newTitle, Rect16 rect, int32_t newKind, bool closeBox,
                         bool resizable, bool zoomBox, int32_t procId, bool composite,
                         bool liveResizeFlag)
    : WindowPane(newTitle, rect, newKind, closeBox, nullptr, resizable, zoomBox, procId, composite,
                 liveResizeFlag) {}

RuntimeViewWindow::RuntimeViewWindow(ObjectHeader* window, int32_t newKind)
    : RunViewPane(string(F(window)->mTitle), F(window)->mBounds, newKind, F(window)->mCloseBox,
                  F(window)->mGrowIcon, F(window)->mZoomIcon, F(window)->mMacProcId,
                  F(window)->mComposite, F(window)->mLiveResize),
      mWindow(window) {
    // The maker unlocks once it is done: a window closed by its own construction handlers is
    // deleted then, not under the constructor's feet.
    Lock();
    WindowObject* w = F(window);
    SetNamedProperty(string("RuntimeViewWindow"), 1);
    mNextViewWindow = gViewWindows;
    gViewWindows = this;
    RetainObject(window);
    mOnMinimize = WindowEventHandler(window, kWindowMinimize);
    mOnMaximize = WindowEventHandler(window, kWindowMaximize);
    mOnRestore = WindowEventHandler(window, kWindowRestore);
    w->mPane = this;
    RuntimeWindowRecord* record = AddRuntimeWindow(window);
    record->menuBar = w->mMenuBar;
    record->menuHandlers = w->mMenuHandlers;
    record->visible = w->mVisible;
    record->cancelClose = ListCancelClose;
    record->close = ListClose;
    record->enableMenuItems = ListEnableMenuItems;

    WindowsActivatedOnce = false;
    if (w->mMenuBar) InstallWindowMenuBar(window);
    if (!w->mVisible) Hide();
    if (!w->mControlsCreated) {
        FireWindowEvent(window, kWindowCreateControls);
        w->mControlsCreated = true;
        if (ExceptionInFlight() || closing) {
            WindowsActivatedOnce = true;
            return;
        }
    }
    if (auto add = reinterpret_cast<void (*)(ObjectHeader*, ObjectHeader*)>(
            WindowEventHandler(window, kWindowAddMenuHandlers)))
        add(window, window);
    if (ExceptionInFlight() || closing) {
        WindowsActivatedOnce = true;
        return;
    }
    // Embedding adds entries to the map, so the walk starts again after each; a container whose
    // embedding failed is not tried again.
    SimpleVector<ObjectHeader*> tried;
    bool restart = true;
    while (restart && !closing && !ExceptionInFlight()) {
        restart = false;
        StringMapIterator<ObjectHeader*>* it = w->mControls->NewIterator();
        ObjectHeader* value = nullptr;
        while (!restart && it->Next(value)) {
            if (IsControl(value)) {
                if (!ControlFields(value)->pane) {
                    ControlFields(value)->ownerPane = this;
                    OpenControlPane(value);
                }
            } else if (IsContainerControl(value) && !F(value)->mContainingWindow) {
                bool seen = false;
                for (uint32_t i = 0; i < tried.size(); ++i) seen = seen || tried[i] == value;
                if (seen) continue;
                tried.push_back(value);
                EmbedWithinInternal(value, window, 0, 0, -1, -1, true);
                restart = true;
            }
            if (ExceptionInFlight() || closing) break;
        }
        delete it;
    }
    if (ExceptionInFlight() || closing) {
        WindowsActivatedOnce = true;
        return;
    }
    if (w->mHasBackColor) SetBackColor(w->mBackColor);
    SetBalloonHelp(string(w->mBalloonHelp));
    WindowsActivatedOnce = true;
    if (w->mFullScreenPending) {
        ApplyPendingFullScreen(window);
    }
    FireWindowEvent(window, kWindowSetupBindings);
    if (ExceptionInFlight() || closing) return;
    if (w->mVisible) Invalidate(true);
}

RuntimeViewWindow::~RuntimeViewWindow() {
    for (RuntimeViewWindow** link = &gViewWindows; *link; link = &(*link)->mNextViewWindow) {
        if (*link == this) {
            *link = mNextViewWindow;
            break;
        }
    }
    if (ObjectHeader* window = mWindow) {
        mWindow = nullptr;
        RemoveRuntimeWindow(window);
        if (F(window)->mPane == this) F(window)->mPane = nullptr;
        ReleaseObject(window);
    }
}

bool RuntimeViewWindow::MouseDown(int32_t x, int32_t y, int32_t modifiers) {
    WeakPaneRef self(this);
    if (WindowPane::MouseDown(x, y, modifiers)) return true;
    if (!self.pane || closing || !mWindow) return true;
    const bool track = FireBoolXY(mWindow, kWindowMouseDown, x, y);
    if (!self.pane || ExceptionInFlight()) return true;
    if (closing) return true;
    if (track) SetCapturePane(this);
    return track;
}

bool RuntimeViewWindow::ContextualMouseDown(int32_t x, int32_t y, int32_t modifiers) {
    ContextualClickFlag = true;
    const bool result = MouseDown(x, y, modifiers);
    ContextualClickFlag = false;
    return result;
}

void RuntimeViewWindow::MouseDrag(int32_t x, int32_t y) {
    if (mWindow) FireXY(mWindow, kWindowMouseDrag, x, y);
}

void RuntimeViewWindow::MouseUp(int32_t x, int32_t y) {
    if (mWindow) FireXY(mWindow, kWindowMouseUp, x, y);
}

void RuntimeViewWindow::ExitControls(const SimpleVector<ObjectHeader*>& controls, bool pointTest,
                                     int32_t x, int32_t y) {
    for (int32_t i = static_cast<int32_t>(controls.size()) - 1; i >= 0; --i) {
        ObjectHeader* control = controls[static_cast<uint32_t>(i)];
        ControlRecord* c = ControlFields(control);
        if (!c->mouseInside) continue;
        if (pointTest && PaneVisibleAndShown(c->pane) && ContainsPoint(c->geometry.bounds, x, y))
            continue;
        gControlCursor = nullptr;
        if (c->pane) c->pane->MouseExit();
        FireControlMouseExit(control);
        c->mouseInside = 0;
        if (ExceptionInFlight()) return;
    }
}

void RuntimeViewWindow::MouseMove(int32_t x, int32_t y) {
    if (closing || !mWindow) return;
    ObjectHeader* window = mWindow;
    RetainObject(window);
    HeldObjects held;
    {
        PaneChainLock lock(this);
        if (!lock.Locked()) {
            ReleaseObject(window);
            return;
        }
        CollectWindowControls(window, held.items);
        held.HoldAll();
        ExitControls(held.items, true, x, y);
        if (lock.Release() || closing || ExceptionInFlight()) {
            ReleaseObject(window);
            return;
        }
    }
    {
        PaneChainLock lock(this);
        if (!lock.Locked()) {
            ReleaseObject(window);
            return;
        }
        for (int32_t i = held.Count() - 1; i >= 0 && !ExceptionInFlight(); --i) {
            ObjectHeader* control = held[i];
            ControlRecord* c = ControlFields(control);
            if (!PaneVisibleAndShown(c->pane) || !ContainsPoint(c->geometry.bounds, x, y)) continue;
            if (!c->mouseInside) {
                gControlCursor = c->pane->cursor;
                c->pane->MouseEnter();
                FireControlMouseEnter(control);
                c->mouseInside = 1;
                if (ExceptionInFlight() || !c->pane) continue;
            }
            const int32_t lx = x - c->geometry.bounds.left;
            const int32_t ly = y - c->geometry.bounds.top;
            c->pane->MouseMove(lx, ly);
            FireControlMouseMove(control, lx, ly);
        }
        const bool gone = lock.Release();
        if (!gone && !closing && !ExceptionInFlight()) FireXY(window, kWindowMouseMove, x, y);
    }
    ReleaseObject(window);
}

void RuntimeViewWindow::MouseEnter() {
    if (mWindow) FireWindowEvent(mWindow, kWindowMouseEnter);
}

void RuntimeViewWindow::MouseExit() {
    if (closing || !mWindow) return;
    ObjectHeader* window = mWindow;
    RetainObject(window);
    HeldObjects held;
    PaneChainLock lock(this);
    if (lock.Locked()) {
        CollectWindowControls(window, held.items);
        held.HoldAll();
        ExitControls(held.items, false, 0, 0);
        const bool gone = lock.Release();
        if (!gone && !closing && !ExceptionInFlight()) FireWindowEvent(window, kWindowMouseExit);
    }
    ReleaseObject(window);
}

void RuntimeViewWindow::Activate() {
    if (!closing) WindowPane::Activate();
    if (!mWindow) return;
    SetActiveRuntimeWindow(mWindow);
    FireWindowActivate(mWindow);
}

void RuntimeViewWindow::Deactivate() {
    if (mWindow) {
        if (GetActiveWindowObject() == mWindow) SetActiveRuntimeWindow(nullptr);
        FireWindowDeactivate(mWindow);
        if (ExceptionInFlight()) return;
    }
    if (!closing) WindowPane::Deactivate();
}

void RuntimeViewWindow::DropObject(int32_t, int32_t) {
    ObjectHeader* item = GetCurrentDragItem();
    if (!item || !mWindow) return;
    if (auto handler = reinterpret_cast<void (*)(ObjectHeader*, ObjectHeader*)>(
            WindowEventHandler(mWindow, kWindowDropObject)))
        handler(mWindow, item);
}

bool RuntimeViewWindow::KeyDown(uint8_t character, uint8_t keyCode, int32_t modifiers) {
    if (!mWindow) return WindowPane::KeyDown(character, keyCode, modifiers);
    string key;
    key.SetBytes(&character, 1);
    key.SetEncoding(SystemTextEncoding());
    HeldObjects held;
    CollectDirectInputWindows(mWindow, held.items);
    held.HoldAll();
    WeakPaneRef self(this);
    for (int32_t i = held.Count() - 1; i >= 0; --i) {
        if (!F(held[i])->mDirectInput) continue;
        if (FireKeyDown(held[i], key)) return true;
        if (!self.pane || closing || ExceptionInFlight()) return true;
    }
    return WindowPane::KeyDown(character, keyCode, modifiers);
}

bool RuntimeViewWindow::KeyChar(int32_t code, uint8_t keyCode, int32_t modifiers) {
    if (code < 128) return KeyDown(static_cast<uint8_t>(code), keyCode, modifiers);
    if (mWindow) {
        char bytes[4];
        int32_t count;
        const uint32_t c = static_cast<uint32_t>(code);
        if (c < 0x800) {
            bytes[0] = static_cast<char>(0xC0 | (c >> 6));
            bytes[1] = static_cast<char>(0x80 | (c & 0x3F));
            count = 2;
        } else if (c < 0x10000) {
            bytes[0] = static_cast<char>(0xE0 | (c >> 12));
            bytes[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            bytes[2] = static_cast<char>(0x80 | (c & 0x3F));
            count = 3;
        } else {
            bytes[0] = static_cast<char>(0xF0 | (c >> 18));
            bytes[1] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            bytes[2] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            bytes[3] = static_cast<char>(0x80 | (c & 0x3F));
            count = 4;
        }
        string key;
        key.SetBytes(bytes, count);
        key.SetEncoding(kEncodingUTF8);
        ObjectHeader* window = mWindow;
        RetainObject(window);
        WeakPaneRef self(this);
        const bool handled = FireKeyDown(window, key);
        ReleaseObject(window);
        if (handled || !self.pane || closing || ExceptionInFlight()) return true;
    }
    return SubPane::KeyChar(code, keyCode, modifiers);
}

bool RuntimeViewWindow::MouseWheel(int32_t x, int32_t y, int32_t delta) {
    for (int32_t i = ChildCount() - 1; i >= 0; --i) {
        SubPane* child = ChildAt(i);
        if (!PaneVisibleAndShown(child)) continue;
        Rect16 r = child->bounds;
        if (child->Delegate()) child->Delegate()->AdjustRect(child, r);
        if (!ContainsPoint(r, x, y)) continue;
        if (mWindow) {
            PaneChainLock lock(child);
            if (!lock.Locked()) return true;
            bool handled = false;
            if (child->mRunControl && !closing) {
                ObjectHeader* control = ControlOfRunControl(child->mRunControl);
                const Rect16& b = child->mRunControl->bounds;
                handled = FireControlMouseWheel(control, x - b.left, y - b.top, delta);
            }
            if (lock.Release() || closing || handled || ExceptionInFlight()) return true;
        }
        if (child->MouseWheel(x, y, delta)) return true;
        break;
    }
    auto handler = reinterpret_cast<bool (*)(ObjectHeader*, int32_t, int32_t, int32_t)>(
        WindowEventHandler(mWindow, kWindowMouseWheel));
    return handler && handler(mWindow, x, y, delta);
}

bool RuntimeViewWindow::ContextualMenu(int32_t x, int32_t y) {
    SubPane* current = this;
    SubPane* enteredFrom = nullptr;
    ObjectHeader* object = nullptr;
    bool found = false;
    while (!found) {
        SubPane* hit = nullptr;
        for (int32_t i = current->ChildCount() - 1; i >= 0 && !hit; --i) {
            SubPane* child = current->ChildAt(i);
            if (!PaneVisibleAndShown(child)) continue;
            Rect16 r = child->bounds;
            if (child->Delegate()) child->Delegate()->AdjustRect(child, r);
            if (ContainsPoint(r, x, y)) hit = child;
        }
        if (!hit) {
            if (enteredFrom && enteredFrom->mRunControl)
                object = ControlOfRunControl(enteredFrom->mRunControl);
            found = true;
        } else if (hit->IsWindow()) {
            enteredFrom = current;
            current = hit;
        } else {
            if (hit->mRunControl) object = ControlOfRunControl(hit->mRunControl);
            found = true;
        }
    }
    if (!object) object = mWindow;
    if (!object) return false;
    RetainObject(object);
    const bool result = DisplayObjectContextualMenu(object, x, y);
    ReleaseObject(object);
    return result;
}

void RuntimeViewWindow::FirePaint(GraphicsImp* graphics) {
    Pane* target = graphics ? graphics->GetPane() : nullptr;
    if (!target) {
        ReportAssertion(kSource, 2115, "thePane");
        target = this;
    }
    if (!mWindow || !graphics) return;
    const int32_t left = target->bounds.left;
    const int32_t top = target->bounds.top;
    if (ObjectHeader* backdrop = F(mWindow)->mBackdrop) {
        if (PictureImp* picture = PictureImplementation(backdrop)) {
            int32_t pw = 0, ph = 0;
            picture->GetSize(pw, ph);
            const bool transparent =
                reinterpret_cast<PictureObject*>(backdrop)->transparent != 0;
            graphics->DrawPicturePart(left, top, picture, 0, 0, pw, ph, transparent);
        }
    }
    auto handler = reinterpret_cast<void (*)(ObjectHeader*, ObjectHeader*)>(
        WindowEventHandler(mWindow, kWindowPaint));
    if (!handler) return;
    ObjectHeader* g = NewGraphicsObject(graphics);
    ObjectHeader* window = mWindow;
    RetainObject(window);
    handler(window, g);
    // The Graphics borrowed the pane's graphics only for the event.
    reinterpret_cast<GraphicsObject*>(g)->imp = nullptr;
    ReleaseObject(g);
    ReleaseObject(window);
}

void RuntimeViewWindow::Moved() {
    if (!mWindow) return;
    GetClientBoundsOnScreen(F(mWindow)->mBounds);
    FireWindowEvent(mWindow, kWindowMoved);
}

void RuntimeViewWindow::Resizing(const Rect16& client) {
    if (!mWindow) return;
    if (IsLiveResize()) {
        F(mWindow)->mBounds = client;
        ApplyChildLocks(true);
    }
    FireWindowEvent(mWindow, kWindowResizing);
}

void RuntimeViewWindow::Resized() {
    WindowPane::Resized();
    if (!mWindow) return;
    GetClientBoundsOnScreen(F(mWindow)->mBounds);
    ApplyChildLocks(false);
    if (!closing && F(mWindow)->mControlsCreated) FireWindowEvent(mWindow, kWindowResized);
}

void RuntimeViewWindow::GetSizeLimits(Rect16& limits) {
    WindowPane::GetSizeLimits(limits);
    if (!mWindow) return;
    WindowObject* w = F(mWindow);
    if (w->mMinWidth) limits.left = w->mMinWidth;
    if (w->mMinHeight) limits.top = w->mMinHeight;
    if (w->mMaxWidth) limits.right = w->mMaxWidth;
    if (w->mMaxHeight) limits.bottom = w->mMaxHeight;
}

bool RuntimeViewWindow::CloseRequested() {
    if (!mWindow) return false;
    ObjectHeader* window = mWindow;
    RetainObject(window);
    WeakPaneRef self(this);
    const bool cancelled = TryCloseWindowObject(window, false);
    // A native window that is being destroyed cannot stay: it closes whatever the answer.
    if (cancelled && self.pane && nativeDestroyed && !closing) Close();
    ReleaseObject(window);
    return cancelled && self.pane && !nativeDestroyed;
}

void RuntimeViewWindow::Minimize() {
    minimized = true;
    if (mOnMinimize && mWindow) reinterpret_cast<void (*)(ObjectHeader*)>(mOnMinimize)(mWindow);
}

void RuntimeViewWindow::Maximize() {
    maximized = true;
    if (mOnMaximize && mWindow) reinterpret_cast<void (*)(ObjectHeader*)>(mOnMaximize)(mWindow);
}

void RuntimeViewWindow::Restore() {
    maximized = minimized = false;
    if (mOnRestore && mWindow) reinterpret_cast<void (*)(ObjectHeader*)>(mOnRestore)(mWindow);
}

bool RuntimeViewWindow::Close() {
    if (closing) return false;
    closing = true;
    Lock();
    ObjectHeader* window = mWindow;
    if (window) {
        RetainObject(window);
        HeldObjects controls;
        CollectWindowControls(window, controls.items);
        controls.HoldAll();
        for (int32_t i = controls.Count() - 1; i >= 0 && !ExceptionInFlight(); --i) {
            SubPane* pane = ControlFields(controls[i])->pane;
            if (pane && GetFocusPane() == pane) ClearKeyboardFocus();
            FireControlClose(controls[i]);
        }
        if (!ExceptionInFlight()) FireWindowEvent(window, kWindowClose);
        HeldObjects objects;
        CollectWindowObjects(window, objects.items);
        objects.HoldAll();
        for (int32_t i = 0; i < objects.Count(); ++i) {
            if (ObjectIsaDefinition(objects[i], ServerSocket()))
                ServerSocketClose(objects[i]);
            else if (ObjectIsaDefinition(objects[i], SocketCore()))
                socketClose(objects[i]);
        }
        ReleaseObject(window);
    }
    if (Unlock()) return true;
    if (ObjectHeader* w = mWindow) {
        WindowObject* fields = F(w);
        ForgetImplicitWindow(w);
        RemoveRuntimeWindow(w);
        if (GetActiveWindowObject() == w) SetActiveRuntimeWindow(nullptr);
        if (fields->mControls) {
            StringMapIterator<ObjectHeader*>* it = fields->mControls->NewIterator();
            ObjectHeader* value = nullptr;
            while (it->Next(value)) {
                if (!value) continue;
                if (!IsControl(value) || value->refCount <= 1) it->RemoveCurrent();
                ReleaseObject(value);
            }
            delete it;
        }
        delete fields->mMenuHandlers;
        fields->mMenuHandlers = nullptr;
        // The Window's Graphics drew into this pane; code still holding it draws nothing now.
        if (fields->mGraphics) {
            GraphicsObject* g = reinterpret_cast<GraphicsObject*>(fields->mGraphics);
            if (g->imp) DisposeGraphicsImp(g->imp);
            g->imp = nullptr;
        }
        fields->mPane = nullptr;
        mWindow = nullptr;
        ReleaseObject(w);
    }
    return WindowPane::Close();
}

ObjectHeader* WindowObjectOfPane(WindowPane* pane) {
    if (!pane) pane = GetActiveWindowPane();
    if (pane && pane->HasWindowObject()) return static_cast<RuntimeViewWindow*>(pane)->mWindow;
    return GetActiveWindowObject();
}

void CloseAllRuntimeViewWindows() {
    while (gViewWindows) {
        RuntimeViewWindow* head = gViewWindows;
        head->Close();
        if (gViewWindows == head) break;
    }
}

RuntimeViewWindow* FindViewWindowByHWND(HWND window) {
    for (RuntimeViewWindow* v = gViewWindows; v; v = v->mNextViewWindow)
        if (v->GetHWND() == window) return v;
    return nullptr;
}

// --- window events that embedded controls also fire ---

extern "C" void FireWindowActivate(ObjectHeader* window) {
    if (!window) return;
    if (F(window)->mPane) {
        if (F(window)->mMenuBarVisible)
            ShowMenuBar();
        else
            HideMenuBar();
    }
    FireWindowEvent(window, kWindowActivate);
}

extern "C" void FireWindowDeactivate(ObjectHeader* window) {
    FireWindowEvent(window, kWindowDeactivate);
}

bool TryCloseWindowObject(ObjectHeader* window, bool appQuitting) {
    if (!window) return false;
    WindowObject* w = F(window);
    SubPane* pane = w->mPane;
    if (!pane && w->mEmbeddedWindowControl) pane = ControlFields(w->mEmbeddedWindowControl)->pane;
    if (!pane) return false;
    RetainObject(window);
    pane->Lock();
    HeldObjects windows;
    CollectAllEmbeddedWindows(window, windows.items);
    windows.HoldAll();
    for (int32_t i = windows.Count() - 1; i >= 0; --i) {
        ObjectHeader* each = windows[i];
        if (!each) {
            ReportAssertion("RuntimeWindow", 2380, "form");
            continue;
        }
        RuntimeViewWindow* own = F(each)->mPane;
        if (!own || own->closing) continue;
        auto handler = reinterpret_cast<bool (*)(ObjectHeader*, bool)>(
            WindowEventHandler(each, kWindowCancelClose));
        const bool cancel = handler && handler(each, appQuitting);
        if (cancel || ExceptionInFlight()) {
            pane->Unlock();
            ReleaseObject(window);
            return true;
        }
    }
    if (!pane->Unlock()) {
        if (w->mPane) {
            w->mPane->Close();
        } else if (ObjectHeader* control = w->mEmbeddedWindowControl) {
            w->mEmbeddedWindowControl = nullptr;
            ControlClose(control);
            ReleaseObject(control);
        }
    }
    if (w->mPane) {
        if (!gViewWindows || !gViewWindows->mWindow || F(gViewWindows->mWindow)->mMenuBarVisible)
            ShowMenuBar();
        else
            HideMenuBar();
    }
    w->mPane = nullptr;
    w->mEmbeddedWindowControl = nullptr;
    ReleaseObject(window);
    return false;
}
