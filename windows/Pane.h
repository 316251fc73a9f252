// Panes: anything a Graphics draws into, the current drawing pane, and the panes that own native
// windows.
//
// A SubPane owns one native child window sitting exactly over its bounds, possibly inside the
// native window of an enclosing pane, and has a place in a tree of panes whose root is the pane of
// a top-level window. It routes mouse moves, presses and cursors to its children, takes the
// keyboard focus, carries help texts and the data and file types it accepts in drops.
//
// WindowPane is the top-level pane of a native window, on the list of window panes: it routes
// presses and the wheel to its controls, keeps their tab order and focus chain, the default button
// and a back colour, and applies the requested showing and bounds at each event-loop step.
#pragma once

#include <windows.h>

#include <cstdint>

#include "core/GuardedMemory.h"
#include "core/ObjectModel.h"
#include "core/Rect16.h"
#include "core/RuntimeString.h"
#include "core/SimpleVector.h"
#include "graphics/RGBColor16.h"
#include "windows/Drawing.h"
#include "windows/Geometry.h"

class BalloonHelpToolTip;
class GraphicsImp;
class WindowDropTarget;
struct MouseCursorHandle;
class ToolTipOwner;
struct ControlObject;
class Pane;
class SubPane;
class WindowPane;

// Lets the owner of an embedded or composite pane adjust it without subclassing. Every base
// operation does nothing and answers false or null.
class PaneDelegate {
public:
    virtual ~PaneDelegate() = default;
    virtual void PaneClosing(SubPane*) {}
    virtual void DropObject(SubPane*, int32_t, int32_t) {}
    virtual bool Focus() { return false; }
    virtual bool Unfocus() { return false; }
    virtual void AdjustRect(SubPane*, Rect16&) {}
    virtual SubPane* ChooseParent(SubPane*) { return nullptr; }
};

class Pane : public RuntimeAllocated {
public:
    explicit Pane(Rect16 rect);
    virtual ~Pane();
    Pane(const Pane&) = delete;
    Pane& operator=(const Pane&) = delete;

    virtual void SetTextSize(int32_t size) { textSize = size; }
    // The two steps of becoming the current pane, and leaving it. Answer whether handled.
    virtual bool Focus() { return false; }
    virtual void FocusContents() {}
    virtual bool Unfocus() { return false; }
    virtual void Paint(GraphicsImp*) {}
    virtual bool HasWindow() { return false; }
    virtual bool ReservedQuery() { return false; }
    virtual bool IsOffscreen() { return false; }
    // Paints into a new graphics of the pane, when one can be made.
    virtual void Redraw();
    virtual bool MouseDown(int32_t, int32_t, int32_t) { return false; }
    virtual bool ContextualMouseDown(int32_t, int32_t, int32_t) { return false; }
    virtual bool ReservedEvent(int32_t, int32_t, int32_t) { return false; }
    // (x, y) in window coordinates.
    virtual void MouseDrag(int32_t, int32_t) {}
    virtual void MouseMove(int32_t, int32_t) {}
    virtual void MouseUp(int32_t, int32_t) {}
    virtual void MouseEnter() {}
    virtual void MouseExit() {}
    // A GDI graphics with the pane's text state, owned by the caller.
    virtual GraphicsImp* NewGraphics();
    virtual void NextPage();
    virtual bool GetBackColor(RGBColor16&) { return false; }
    virtual void ValidateAll() {}
    virtual void Validate(const Rect16&) {}
    // The device context to draw into; mustRelease says whether ReleaseDC has to give it back.
    virtual HDC AcquireDC(bool& mustRelease) {
        mustRelease = false;
        return nullptr;
    }
    virtual void ReleaseDC(bool) {}

    // A pane takes one delegate for its life; a second one is reported and replaces the first.
    void SetDelegate(PaneDelegate* delegate);
    PaneDelegate* Delegate() const { return mDelegate; }

    // Makes this pane the current drawing target.
    void MakeCurrent();

    int32_t textSize = 12;
    PaneDelegate* mDelegate = nullptr;
    Rect16 bounds;
    Rect16 previousBounds;
    int32_t width;
    int32_t height;
    string fontName;  // empty: the default font
    int32_t textStyle = 0;
    bool mouseInside = false;
};

// The current drawing pane, or null.
Pane* CurrentPane();

// A name in a pane's list of accepted drop types.
struct AcceptedType : RuntimeAllocated {
    AcceptedType* next = nullptr;
    string name;
};


class SubPane : public Pane {
public:
    // A pane without a native window or a parent.
    SubPane();
    // An empty class name makes no native window. The parent may be null.
    SubPane(SubPane* parent, int32_t panelIndex, Rect16 rect, const string& title,
            const char* className, DWORD style, DWORD exStyle);
    ~SubPane() override;

    bool Focus() override;
    bool Unfocus() override;
    bool HasWindow() override { return true; }
    void Redraw() override;
    void ValidateAll() override;
    void Validate(const Rect16& rect) override;
    HDC AcquireDC(bool& mustRelease) override;
    void ReleaseDC(bool mustRelease) override;

    // Tree and lifetime.
    virtual bool LockChain();
    // True when the pane or an ancestor is gone or closing: the caller must not touch it.
    virtual bool UnlockChain();
    // The pane that takes the keyboard focus for this one.
    virtual SubPane* GetOuterPane() { return this; }
    virtual SubPane* GetInnerPane() { return this; }
    virtual SubPane* GetParentPane();
    virtual bool ContainsPane(SubPane* pane, bool deep);
    virtual bool Encloses(SubPane* other, bool visibleOnly, bool samePanel);
    virtual bool IsWindow() { return false; }
    virtual WindowPane* AsWindowPane() { return nullptr; }
    virtual void Lock() { ++mLockCount; }
    // Answers true when the unlock deleted the pane.
    virtual bool Unlock();
    virtual bool Close();
    virtual bool AddChild(SubPane* pane);
    virtual void RemoveChild(SubPane* pane);
    virtual void AttachToEnclosingPane(bool visibleOnly, bool samePanel);
    virtual void SetParentPane(SubPane* newParent);
    virtual void ReleaseChildPanes();
    virtual bool ForEachLeafPane(bool (*function)(SubPane*, void*), void* data);

    // Focus as the event loop uses it.
    virtual void LostFocus() {}
    virtual void GotFocus() {}
    // Called once per event-loop step on the focus pane.
    virtual void Idle() {}

    // Mouse. Presses and the wheel go to the inner pane; (x, y) in window coordinates.
    bool MouseDown(int32_t x, int32_t y, int32_t modifiers) override;
    bool ContextualMouseDown(int32_t x, int32_t y, int32_t modifiers) override;
    // (x, y) local to this pane; delivers every child's exit before any child's enter.
    void MouseMove(int32_t x, int32_t y) override;
    virtual bool MouseWheel(int32_t x, int32_t y, int32_t delta);
    virtual void MouseDragDone() {}
    // True: a press this pane did not handle goes on to the panes below it.
    virtual bool LetsClickThrough() { return true; }
    // Lets the front child under the point choose the cursor, else sets this pane's own.
    virtual bool AdjustCursor(int32_t x, int32_t y);
    virtual bool DetectDrag();
    // Sets the cursor of the pane under the mouse and remembers it (the cursor is not owned).
    void SetCursor(MouseCursorHandle* newCursor);
    // The cursor position in the client coordinates of the pane's window.
    PanePoint GetMousePosition();

    // Keys. A character code of 128 or more is not a key for KeyDown.
    virtual bool KeyDown(uint8_t, uint8_t, int32_t) { return false; }
    virtual bool UnhandledKeyDown(uint8_t character, uint8_t keyCode, int32_t modifiers);
    virtual bool KeyChar(int32_t character, uint8_t keyCode, int32_t modifiers);
    // True: keys without modifiers may match shortcuts and the arrows move the focus.
    virtual bool LetsKeysNavigate() { return true; }
    static int32_t GetAsyncKeyModifiers();

    // Keyboard focus.
    virtual bool AcceptsFocus() { return false; }
    virtual void TabbedInto() {}
    virtual bool HasFocusableDescendant(SubPane* except);
    virtual void Activate();
    virtual void Deactivate() {}
    // Gives this pane the keyboard focus when it accepts it; a window never activated only
    // remembers it.
    void TakeFocus();

    // Menus, default and cancel buttons.
    virtual void EnableMenuItems();
    virtual bool HandleMenuCommand(int32_t command);
    virtual bool MenuItemAction(ObjectHeader* item);
    virtual void UpdateDefaultButton(SubPane* defaultButton);
    virtual SubPane* FindDefaultButton();
    virtual SubPane* FindCancelButton();
    virtual void Push() {}
    virtual void Deselect() {}

    // Help texts: a help tag wins over balloon help.
    virtual void SetHelpTag(const string& text);
    virtual void SetBalloonHelp(const string& text);
    virtual void SetDisabledBalloonHelp(const string&) {}

    // Drops. Type names are kept once each, letter case aside.
    virtual void AcceptDataDrop(const string& typeName);
    virtual void AcceptFileDrop(const string& fileTypeName);
    bool AcceptsFileName(const string& fileName);
    // The front pane under a screen point that accepts some type, or null.
    virtual SubPane* FindDropTarget(int32_t screenX, int32_t screenY, ObjectHeader* item);
    virtual void DropObject(int32_t x, int32_t y);
    // The DragItem being delivered; none until windows have drop targets.
    virtual ObjectHeader* GetCurrentDragItem() { return nullptr; }
    virtual bool DragOver(int32_t x, int32_t y, ObjectHeader* item);
    virtual void DragEnter(ObjectHeader*) {}
    virtual void DragExit(ObjectHeader*) {}

    // Bounds.
    virtual void SetBounds(const Rect16& rect, bool repaint);
    virtual void BoundsChanged() {}
    virtual void Resize(const Rect16& rect, bool flag);
    virtual void GetBounds(Rect16& out) { out = bounds; }
    virtual bool GetVisibleBounds(Rect16& out);
    virtual bool GetCoverRect(Rect16&) { return false; }

    // Visibility, enabling and panels.
    virtual void StateChanged(int32_t state);
    virtual void SetEnabled(bool enable, bool redraw);
    virtual void SetVisible(bool visibility);
    virtual void SetShown(bool show);
    virtual void ShowNative(bool show);
    virtual void SetPanelIndex(int32_t panel);
    virtual bool IsPagePanel() { return false; }
    virtual bool IsTabPanel() { return false; }
    virtual bool IsInTabPanel();
    // The 1-based panel a page or tab panel shows; 0 for other panes.
    virtual int32_t CurrentPanel() { return 0; }

    // Painting.
    virtual void HandlePaint();
    virtual void Invalidate(bool erase);
    virtual bool GetExtraInvalidRect(Rect16&) { return false; }
    virtual bool GetBaseline(int32_t&) { return false; }
    virtual void DrawTree(GraphicsImp* graphics);
    virtual void DrawTreeAt(GraphicsImp* graphics, int32_t x, int32_t y);
    virtual void DrawContent(GraphicsImp* graphics, bool flag);
    virtual HWND GetHWND() { return hwnd; }
    virtual void ScrollRect(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t dx,
                            int32_t dy);

    void InvalidateArea(Rect16 rect, bool erase);
    void InvalidateCoords(int32_t left, int32_t top, int32_t right, int32_t bottom, bool erase);
    void UpdateNow();
    void RedrawImmediately();

    void SetRunControl(ControlObject* control);
    void ApplyChildLocks(bool flag);
    // Moves the bounds of the pane and its descendants; native windows stay put.
    static void OffsetTree(SubPane* pane, int16_t dh, int16_t dv);

    // Points between screen and window coordinates.
    PanePoint ScreenToWindow(PanePoint point);
    PanePoint WindowToScreen(PanePoint point);
    // True while the primary mouse button is down (swapped buttons respected).
    static bool IsMouseButtonDown();

    int32_t ChildCount() const { return static_cast<int32_t>(children.size()); }
    SubPane* ChildAt(int32_t index) const { return children[static_cast<uint32_t>(index)]; }

    int32_t mLockCount = 0;
    ControlObject* mRunControl = nullptr;
    int32_t panelIndex = 0;
    bool visible = true;
    bool shown = true;
    bool enabled = true;
    bool active = true;
    bool closing = false;
    SubPane* parent = nullptr;
    SimpleVector<SubPane*> children;
    MouseCursorHandle* cursor = nullptr;  // not owned
    AcceptedType* acceptedDataTypes = nullptr;  // owned
    AcceptedType* acceptedFileTypes = nullptr;  // owned
    HWND hwnd = nullptr;
    HDC paintDC = nullptr;
    HDC acquiredDC = nullptr;
    int32_t dcCount = 0;
    WindowDropTarget* dropTarget = nullptr;  // not owned
    ToolTipOwner* helpTagTip;         // owned
    BalloonHelpToolTip* balloonTip;  // owned

private:
    void PrepareDC(HDC dc);
};

// The concrete pane through which native panes are made.
class BasicPane : public SubPane {
public:
    using SubPane::SubPane;
};

// A named property of a window: names match without regard to case.
struct WindowNamedProperty : RuntimeAllocated {
    string name;
    int32_t value = 0;
};

// The top-level pane of a native window of the class "QVWindow". Its kind (0 to 12) decides the
// native styles, the owner and whether it is modal. Showing and bounds are requests that the event
// loop applies at its next step (ShowDeferredWindows), so that a window made and hidden at once
// never flashes on screen. The operations that report events do nothing here: the Window layer
// overrides them.
class WindowPane : public BasicPane {
public:
    // Makes the pane and its hidden native window of a kind around the wanted client rectangle in
    // screen coordinates. Owner value, proc id and composite are accepted for the Window layer
    // and not used; live resizing follows the system setting. A window that cannot be made is
    // reported and leaves the pane without a native window.
    WindowPane(const string& title, Rect16 rect, int32_t kind, bool closeBox, void* owner,
               bool resizable, bool zoomBox, int32_t procId, bool composite, bool liveResize);
    // Takes over a native window made elsewhere, of kind 8 (panes over windows of other classes).
    explicit WindowPane(HWND window);
    ~WindowPane() override;

    bool IsWindow() override { return true; }
    WindowPane* AsWindowPane() override { return this; }
    // A window ends the drawing-focus chain.
    bool Focus() override { return false; }
    bool Unfocus() override { return false; }
    void Paint(GraphicsImp* graphics) override;
    // Presses and the wheel go to the front-most control under the point; a control that lets
    // clicks through passes an unhandled press to the controls behind it.
    bool MouseDown(int32_t x, int32_t y, int32_t modifiers) override;
    bool MouseWheel(int32_t x, int32_t y, int32_t delta) override;
    bool KeyDown(uint8_t, uint8_t, int32_t) override { return false; }
    bool UnhandledKeyDown(uint8_t, uint8_t, int32_t) override { return false; }
    bool GetBackColor(RGBColor16& out) override;
    void Activate() override;
    void Deactivate() override;
    // Hides the window first.
    bool Close() override;

    // The operations through which the Window layer hears of the window; (x, y) in window
    // coordinates.
    virtual bool ContextualMenu(int32_t, int32_t) { return false; }
    virtual void FirePaint(GraphicsImp*) {}
    // Shows the window (zoomed windows keep their zoom) and brings it to the top.
    virtual bool ShowAndRaise();
    virtual void RedrawNow() { RedrawImmediately(); }
    // Kinds 2, 3, 5 and 10.
    virtual bool IsModal();
    virtual bool HasWindowObject() { return false; }
    // Requests to move (to a client left and top on screen) and to size the client area; applied
    // at the next event-loop step, firing Moved or Resized only when fire is set.
    virtual void SetPosition(int32_t left, int32_t top, bool fire);
    virtual void SetSize(int32_t newWidth, int32_t newHeight, bool fire);
    virtual void Moved() {}
    // A resize inside the user's size-move loop; with live resizing it is reported as Resized.
    virtual void Resizing(const Rect16& client);
    virtual void Resized() {}
    // Minimum height and width in top and left, maximum height and width in bottom and right;
    // left unchanged (all 0: no limits).
    virtual void GetSizeLimits(Rect16&) {}
    // The caption height that sizing counts for this window.
    virtual int32_t SizingCaptionHeight();
    // The user or the system asks the window to close; the window is not destroyed here.
    virtual bool CloseRequested() { return false; }
    virtual void Minimize() { minimized = true; }
    virtual void Maximize() { maximized = true; }
    virtual void Restore() { maximized = minimized = false; }

    // (v, h); answers false on this platform.
    virtual bool AfterMouseMove(int32_t, int32_t) { return false; }

    // The focus chain over the controls in tab order: the remembered focus pane while it is
    // visible and shown, else the first control that accepts the focus, else the window.
    virtual SubPane* GetFocusControl();
    // The control after (before) a pane's outer pane that accepts the focus, wrapping round; null
    // when none does.
    virtual SubPane* PreviousFocusControl(SubPane* pane);
    virtual SubPane* NextFocusControl(SubPane* pane);
    // Moves a pane to the front of the tab order (before null) or just after before; after the
    // last when before is not one of the controls.
    virtual void ReorderControl(SubPane* pane, SubPane* before);
    // The focused button, else the window's default button, becomes the default of every pane.
    void RefreshDefaultButton();

    // Requested visibility: RequestShow takes effect at the next event-loop step, Hide at once.
    void RequestShow() { showRequested = true; }
    bool IsShown() const { return showRequested; }
    void Hide();
    void ShowWith(WindowPane* window, int32_t edge);
    void MaximizeWindow();
    void MinimizeWindow();
    void SetMinimized(bool flag);
    void RestoreWindow();
    // The system's full-window-drag setting, read once.
    bool IsLiveResize();
    void SetLiveResize(bool value);
    void SetTitle(const string& newTitle);
    // colour: red in bits 16 to 23, green 8 to 15, blue 0 to 7.
    void SetBackColor(uint32_t colour);
    void ClearBackColor();
    // Paints the bounds in the back colour, else the button face.
    void DrawBackground(GraphicsImp* graphics);
    void SetNamedProperty(const string& name, int32_t value);
    bool GetNamedProperty(const string& name, int32_t& value);
    // Runs event-loop steps while the window is to be shown and the application is not quitting.
    void RunModal();
    // The client rectangle on screen.
    void GetClientBoundsOnScreen(Rect16& out);
    void UpdateBoundsFromWindow();
    // Moves the native window to the requested bounds and reports the changes the fire flags ask
    // for, and any the user made, as Moved and Resized.
    void ApplyPendingBounds();

    bool liveResizeKnown = false;
    bool liveResize = false;
    bool maximized = false;
    bool minimized = false;
    WindowPane* nextWindow = nullptr;  // in WindowPaneList
    WindowPane* showWithinWindow = nullptr;
    int32_t showWithinEdge = 2;
    int32_t drawerAlignment = -2;
    int32_t kind = 8;
    bool showRequested = true;
    bool fireResizedOnApply = false;
    bool fireMovedOnApply = false;
    bool hasBackColor = false;
    bool isMDIChild = false;
    // The native window is being destroyed from outside: the window cannot refuse to close.
    bool nativeDestroyed = false;
    COLORREF backColor = RGB(255, 255, 255);
    WindowPane** backReferenceSlot = nullptr;   // nulled at destruction
    ObjectHeader** heldObjectSlot = nullptr;    // released and nulled at destruction
    // The pane that had the focus when the window was last active, or null.
    SubPane* focusPane = nullptr;
    SubPane* defaultButton = nullptr;
    SimpleVector<WindowNamedProperty*> namedProperties;  // owned
    string title;
    // The panes of the window's controls, in tab order.
    SimpleVector<SubPane*> controls;
    bool pendingMove = false;
    bool pendingResize = false;
    Rect16 windowRect = {};  // the client rectangle on screen, wanted or last seen
    int32_t wheelRemainder = 0;  // wheel turns below a line, in 120ths of a line
    int32_t mClientWidth = 0;
    int32_t mClientHeight = 0;

private:
    void Link();
};

// The window pane that contains a pane (the root when it is a window), null for null.
WindowPane* FindWindowPane(SubPane* pane);

// Every live window pane, newest first, linked through nextWindow.
extern WindowPane* gWindowPaneList;
// The first document window (kind 0 or 8) made outside MDI mode, until it is destroyed; other
// layers use it as an owner.
extern WindowPane* gMainDocumentWindow;
// The window pane of a native window, or null (also for null).
WindowPane* FindWindowPaneByHWND(HWND window);
bool IsRuntimeWindowHandle(HWND window);
// The document window (kind 0 or 8, shown) that is the active window or contains it; the newest
// such window when no window is active; else null.
HWND GetFrontDocumentHWND();
// The visible modal window nearest the top, else the front visible window that is not floating
// (kinds 1, 7 and 9); null when none.
WindowPane* GetFrontWindowPane();
// Calls back for the pane of every runtime window, front to back, until the callback answers
// false (then false).
bool EnumRuntimeWindows(bool (*callback)(WindowPane* pane, void* data), void* data);
// The placement groups of kinds: floating 0, modal and plain 1, documents 2, drawers 3.
int32_t WindowKindGroup(int32_t kind);
// Moves a rectangle whose left and top are offsets to where a new window of a kind goes (the
// WindowPlacement values), relative to the front window of its kind group, and keeps it on its
// screen. A null rectangle is reported.
void PlaceWindowBounds(Rect16* rect, int32_t placement, int32_t kind);
// Applies the pending bounds of every window and shows those that are to be shown.
void ShowDeferredWindowPanes();

// Takes the keyboard focus from every pane and from every native window.
void ClearKeyboardFocus();

// A reference to a pane, kept on a caller's stack, that becomes null when the pane is deleted:
// handlers called from the pane may close it.
struct WeakPaneRef {
    explicit WeakPaneRef(SubPane* p);
    ~WeakPaneRef();
    WeakPaneRef(const WeakPaneRef&) = delete;
    WeakPaneRef& operator=(const WeakPaneRef&) = delete;

    WeakPaneRef* next;
    SubPane* pane;
};
void RegisterWeakPaneRef(WeakPaneRef* record, SubPane* pane);
void UnregisterWeakPaneRef(WeakPaneRef* record);
void ClearWeakPaneRefs(SubPane* pane);

// Set while a control is added to a window at run time (its pane then does not take an enclosing
// control whose left or top edge it shares as native parent).
extern bool gCreatingControlAtRunTime;

// Keeps a pane chain locked for its life; Release unlocks it once and says whether the pane is
// gone. Code that calls out (event handlers) must not touch the pane after a "gone" answer.
class PaneChainLock {
public:
    explicit PaneChainLock(SubPane* pane) : mPane(pane && pane->LockChain() ? pane : nullptr) {}
    ~PaneChainLock() { Release(); }
    PaneChainLock(const PaneChainLock&) = delete;
    PaneChainLock& operator=(const PaneChainLock&) = delete;

    bool Locked() const { return mPane != nullptr; }
    // True when the pane or an ancestor is gone or closing (also when the lock was never taken).
    bool Release() {
        if (!mPane) return true;
        SubPane* pane = mPane;
        mPane = nullptr;
        return pane->UnlockChain();
    }

private:
    SubPane* mPane;
};
