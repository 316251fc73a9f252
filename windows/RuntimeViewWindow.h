// The native top-level window of a language Window: a WindowPane that turns the operations the
// window procedures call into the Window's events, serves the mouse, keys and the wheel to the
// window's controls, runs the close sequence, and keeps every such window on the view-window list.
#pragma once

#include "core/ObjectModel.h"
#include "windows/Pane.h"

// The WindowPane that answers that a Window object is attached.
class RunViewPane : public WindowPane {
public:
    RunViewPane(const string& title, Rect16 rect, int32_t kind, bool closeBox, bool resizable,
                bool zoomBox, int32_t procId, bool composite, bool liveResize);
    ~RunViewPane() override = default;
    bool HasWindowObject() override { return true; }
};

class RuntimeViewWindow : public RunViewPane {
public:
    // Makes the native window of the Window object, runs CreateControls, AddMenuHandlers, the
    // control panes and SetupBindings.
    RuntimeViewWindow(ObjectHeader* window, int32_t kind);
    ~RuntimeViewWindow() override;

    bool MouseDown(int32_t x, int32_t y, int32_t modifiers) override;
    bool ContextualMouseDown(int32_t x, int32_t y, int32_t modifiers) override;
    void MouseDrag(int32_t x, int32_t y) override;
    void MouseMove(int32_t x, int32_t y) override;
    void MouseUp(int32_t x, int32_t y) override;
    void Activate() override;
    void Deactivate() override;
    void DropObject(int32_t x, int32_t y) override;
    bool KeyDown(uint8_t character, uint8_t keyCode, int32_t modifiers) override;
    bool KeyChar(int32_t code, uint8_t keyCode, int32_t modifiers) override;
    bool Close() override;
    bool MouseWheel(int32_t x, int32_t y, int32_t delta) override;
    bool ContextualMenu(int32_t x, int32_t y) override;
    void FirePaint(GraphicsImp* graphics) override;
    void MouseEnter() override;
    void MouseExit() override;
    void Moved() override;
    void Resizing(const Rect16& client) override;
    void Resized() override;
    void GetSizeLimits(Rect16& limits) override;
    bool CloseRequested() override;
    void Minimize() override;
    void Maximize() override;
    void Restore() override;

    ObjectHeader* mWindow;  // one reference; null after Close
    RuntimeViewWindow* mNextViewWindow = nullptr;
    void* mOnMinimize = nullptr;
    void* mOnMaximize = nullptr;
    void* mOnRestore = nullptr;

private:
    void ExitControls(const SimpleVector<ObjectHeader*>& controls, bool pointTest, int32_t x,
                      int32_t y);
};

// Every view window, newest first.
extern RuntimeViewWindow* gViewWindows;
// The cursor of the control the mouse is over, or null.
extern struct MouseCursorHandle* gControlCursor;

// The language Window of a window pane (null: the foreground window's pane); for a pane of no
// Window, the active window of the window list.
ObjectHeader* WindowObjectOfPane(WindowPane* pane);
// Closes every view window.
void CloseAllRuntimeViewWindows();
