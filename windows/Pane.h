// Panes: anything a Graphics draws into, the current drawing pane, and the panes that own native
// windows.
//
// SubPane here is a stand-in for the native pane tree: it holds the operations the event loop
// calls (focus, idle, mouse drag) over the Pane base; it lacks native child windows, the tree,
// locking and painting. WindowPane is a stand-in for the top-level pane of a native window.
#pragma once

#include <windows.h>

#include <cstdint>

#include "core/GuardedMemory.h"
#include "core/Rect16.h"
#include "core/RuntimeString.h"
#include "core/SimpleVector.h"
#include "graphics/RGBColor16.h"
#include "windows/Drawing.h"
#include "windows/Geometry.h"

class GraphicsImp;
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


class SubPane : public Pane {
public:
    SubPane() : Pane(Rect16{0, 0, 0, 0}) {}

    // The pane that takes the keyboard focus for this one.
    virtual SubPane* GetOuterPane() { return this; }
    virtual void LostFocus() {}
    virtual void GotFocus() {}
    // Called once per event-loop step on the focus pane.
    virtual void Idle() {}

    // The containing pane, or null at the top; there is no pane tree yet.
    virtual SubPane* GetParentPane() { return nullptr; }
    virtual WindowPane* AsWindowPane() { return nullptr; }

    // A screen point in the coordinates of the pane's window.
    PanePoint ScreenToWindow(PanePoint point);
    // True while the primary mouse button is down (swapped buttons respected).
    static bool IsMouseButtonDown();
};

// The top-level pane of a native window.
class WindowPane : public SubPane {
public:
    explicit WindowPane(HWND window) : mWindow(window) {}

    WindowPane* AsWindowPane() override { return this; }
    HWND GetHWND() const { return mWindow; }

    // (v, h); answers false on this platform.
    virtual bool AfterMouseMove(int32_t, int32_t) { return false; }

    int32_t mClientWidth = 0;
    int32_t mClientHeight = 0;

private:
    HWND mWindow;
};

// The window pane that contains a pane (its root when that is a window), null for null.
WindowPane* FindWindowPane(SubPane* pane);
