// The life of a window pane: its native window of a kind, the requested showing and bounds the
// event loop applies, the title, named properties, the modal run, the front-window searches and
// the placement of new windows.
#include <windows.h>

#include "core/FailureReport.h"
#include "core/ObjectModel.h"
#include "core/Platform.h"
#include "core/Exceptions.h"
#include "graphics/GraphicsImp.h"
#include "host/EventLoop.h"
#include "core/EncodingConversion.h"
#include "windows/Pane.h"
#include "windows/Screens.h"
#include "windows/SystemPrimitives.h"
#include "windows/TopLevelWindowClass.h"
#include "windows/WindowDropTarget.h"
#include "windows/WindowList.h"
#include "windows/WindowServices.h"

WindowPane* gWindowPaneList = nullptr;
WindowPane* gMainDocumentWindow = nullptr;

namespace {

constexpr const char* kSource = "window";

struct KindStyle {
    DWORD style;
    DWORD exStyle;
    bool owned;  // owned by the front visible window
};

// Kinds 0 to 10; 11 and 12 have become 8 and 1 before the table is read.
constexpr KindStyle kKindStyles[] = {
    {WS_CAPTION, 0, false},
    {WS_POPUP | WS_CAPTION, WS_EX_TOOLWINDOW | WS_EX_WINDOWEDGE, true},
    {WS_POPUP | WS_DLGFRAME, 0, true},
    {WS_POPUP | WS_CAPTION, WS_EX_DLGMODALFRAME, true},
    {WS_POPUP | WS_BORDER, 0, false},
    {WS_POPUP | WS_BORDER, WS_EX_CLIENTEDGE, false},
    {WS_CAPTION, 0, false},
    {WS_POPUP | WS_BORDER, WS_EX_TOOLWINDOW | WS_EX_WINDOWEDGE, true},
    {WS_CAPTION, 0, false},
    {WS_POPUP | WS_CAPTION, WS_EX_TOOLWINDOW | WS_EX_WINDOWEDGE | WS_EX_TOPMOST, true},
    {WS_POPUP | WS_CAPTION, WS_EX_DLGMODALFRAME, true},
};

int32_t MapKind(int32_t kind) {
    if (kind == 12) return 1;
    if (kind == 11) return 8;
    return kind >= 0 && kind <= 10 ? kind : 8;
}

int16_t Clamp16(LONG value) {
    return static_cast<int16_t>(value < -32768 ? -32768 : value > 32767 ? 32767 : value);
}

bool IsFloatingKind(int32_t kind) { return kind == 1 || kind == 7 || kind == 9; }

}  // namespace

void WindowPane::Link() {
    panelIndex = -1;
    active = false;
    nextWindow = gWindowPaneList;
    gWindowPaneList = this;
    if (!IsMDIMode() && !gMainDocumentWindow && (kind == 0 || kind == 8))
        gMainDocumentWindow = this;
}

WindowPane::WindowPane(const string& newTitle, Rect16 rect, int32_t newKind, bool closeBox, void*,
                       bool resizable, bool zoomBox, int32_t, bool, bool)
    : BasicPane() {
    width = mClientWidth = rect.right - rect.left;
    height = mClientHeight = rect.bottom - rect.top;
    SetRect16(bounds, 0, 0, static_cast<int16_t>(width), static_cast<int16_t>(height));
    previousBounds = bounds;
    EndAllDrawing();
    title = newTitle;
    windowRect = rect;

    DWORD style = 0;
    if (resizable) style |= WS_THICKFRAME;
    if (closeBox) style |= WS_SYSMENU;
    if (zoomBox) style |= WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
    kind = MapKind(newKind);
    const KindStyle& kindStyle = kKindStyles[kind];
    style |= kindStyle.style;
    // MDI children are made as ordinary top-level windows until the application has an MDI
    // client to hold them.
    Link();

    RECT outer = {rect.left, rect.top, rect.right, rect.bottom};
    AdjustWindowRect(&outer, style, FALSE);
    HWND owner = kindStyle.owned ? GetFrontVisibleHWND() : nullptr;
    const int outerWidth = outer.right - outer.left;
    const int outerHeight = outer.bottom - outer.top;
    if (IsUnicodePlatform()) {
        const string wide = title.ToUTF16();
        hwnd = CreateWindowExW(kindStyle.exStyle, L"QVWindow",
                               wide.IsEmpty() ? L"" : wide.WidePointer(), style, outer.left,
                               outer.top, outerWidth, outerHeight, owner, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    } else {
        const string text = ConvertToSystemEncoding(title);
        hwnd = CreateWindowExA(kindStyle.exStyle, "QVWindow", text.IsEmpty() ? "" : text.CString(),
                               style, outer.left, outer.top, outerWidth, outerHeight, owner,
                               nullptr, GetModuleHandleA(nullptr), nullptr);
    }
    if (!hwnd) {
        ReportAssertion(kSource, 3490, "hwnd", "The window could not be made");
        return;
    }
    if (zoomBox && !closeBox)
        EnableMenuItem(GetSystemMenu(hwnd, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
    SetWindowLongAW(hwnd, 0, reinterpret_cast<LONG>(this));
    auto* target = new WindowDropTarget(this);
    dropTarget = target;
    target->Register(hwnd);
    if (IsModal()) AddVisibleWindowHandle(hwnd);
}

WindowPane::WindowPane(HWND window) : BasicPane() {
    hwnd = window;
    RECT client = {0, 0, 0, 0};
    if (window) GetClientRect(window, &client);
    SetRect16(bounds, 0, 0, static_cast<int16_t>(client.right),
              static_cast<int16_t>(client.bottom));
    previousBounds = bounds;
    width = mClientWidth = client.right;
    height = mClientHeight = client.bottom;
    Link();
    GetClientBoundsOnScreen(windowRect);
}

WindowPane::~WindowPane() {
    // The menu bar belongs to the Window layer and outlives the native window.
    if (hwnd) SetMenu(hwnd, nullptr);
    if (gMainDocumentWindow == this) gMainDocumentWindow = nullptr;
    if (dropTarget) {
        dropTarget->Revoke(hwnd);
        dropTarget->Forget();
        dropTarget = nullptr;
    }
    if (hwnd) {
        RemoveVisibleWindowHandle(hwnd);
        SetWindowLongAW(hwnd, 0, 0);
        DestroyWindow(hwnd);
        hwnd = nullptr;
    }
    if (backReferenceSlot) *backReferenceSlot = nullptr;
    if (heldObjectSlot) {
        ObjectHeader* held = *heldObjectSlot;
        *heldObjectSlot = nullptr;
        if (held) ReleaseObject(held);
    }
    for (uint32_t i = 0; i < namedProperties.size(); ++i) delete namedProperties[i];
    SimpleVector<WindowNamedProperty*>().swap(namedProperties);
    for (WindowPane** link = &gWindowPaneList; *link; link = &(*link)->nextWindow) {
        if (*link == this) {
            *link = nextWindow;
            break;
        }
    }
    if (showWithinWindow == this) showWithinWindow = nullptr;
    for (WindowPane* other = gWindowPaneList; other; other = other->nextWindow)
        if (other->showWithinWindow == this) other->showWithinWindow = nullptr;
    SimpleVector<SubPane*>().swap(controls);
}

bool WindowPane::IsModal() { return kind == 2 || kind == 3 || kind == 5 || kind == 10; }

int32_t WindowKindGroup(int32_t kind) {
    switch (kind) {
    case 1: case 7: case 9: return 0;
    case 2: case 3: case 4: case 5: case 10: return 1;
    case 12: return 3;
    default: return 2;
    }
}

void WindowPane::Paint(GraphicsImp* graphics) {
    FirePaint(graphics);
    if (!closing) BasicPane::Paint(graphics);
}

bool WindowPane::Close() {
    Hide();
    return BasicPane::Close();
}

void WindowPane::Hide() {
    if (!showRequested) return;
    showRequested = false;
    if (hwnd) ShowWindow(hwnd, SW_HIDE);
}

bool WindowPane::ShowAndRaise() {
    showWithinWindow = nullptr;
    showRequested = true;
    if (hwnd) {
        ShowWindow(hwnd, IsZoomed(hwnd) ? SW_SHOW : SW_SHOWNORMAL);
        BringWindowToTop(hwnd);
    }
    return true;
}

void WindowPane::ShowWith(WindowPane* window, int32_t edge) {
    showWithinWindow = window;
    showWithinEdge = edge;
    showRequested = true;
    if (hwnd) {
        ShowWindow(hwnd, IsZoomed(hwnd) ? SW_SHOW : SW_SHOWNORMAL);
        BringWindowToTop(hwnd);
    }
}

void WindowPane::MaximizeWindow() {
    if (maximized) return;
    maximized = true;
    if (hwnd) ShowWindow(hwnd, SW_SHOWMAXIMIZED);
}

void WindowPane::MinimizeWindow() {
    if (!minimized) SetMinimized(true);
}

void WindowPane::SetMinimized(bool flag) {
    if (flag == minimized) return;
    if (!flag) {
        RestoreWindow();
        return;
    }
    minimized = true;
    if (hwnd) ShowWindow(hwnd, SW_MINIMIZE);
}

void WindowPane::RestoreWindow() {
    if (maximized) {
        if (hwnd) ShowWindow(hwnd, SW_RESTORE);
        maximized = false;
    } else if (minimized) {
        if (hwnd) ShowWindow(hwnd, SW_RESTORE);
        minimized = false;
    }
}

bool WindowPane::IsLiveResize() {
    if (!liveResizeKnown) {
        BOOL full = FALSE;
        liveResize = SystemParametersInfoA(SPI_GETDRAGFULLWINDOWS, 0, &full, 0) && full;
        liveResizeKnown = true;
    }
    return liveResize;
}

// The system's setting wins over the one asked for, as every window of the system sizes alike.
void WindowPane::SetLiveResize(bool) { liveResize = IsLiveResize(); }

void WindowPane::Resizing(const Rect16&) {
    if (IsLiveResize()) Resized();
}

int32_t WindowPane::SizingCaptionHeight() { return GetSystemMetrics(SM_CYCAPTION); }

void WindowPane::SetTitle(const string& newTitle) {
    title = newTitle;
    if (!hwnd) return;
    if (IsUnicodePlatform()) {
        const string wide = title.ToUTF16();
        SetWindowTextW(hwnd, wide.IsEmpty() ? L"" : wide.WidePointer());
    } else {
        const string text = ConvertToSystemEncoding(title);
        SetWindowTextA(hwnd, text.IsEmpty() ? "" : text.CString());
    }
}

void WindowPane::ClearBackColor() {
    if (!hasBackColor) return;
    hasBackColor = false;
    Invalidate(true);
}

void WindowPane::DrawBackground(GraphicsImp* graphics) {
    if (!graphics) {
        ReportAssertion(kSource, 3956, "gfx");
        return;
    }
    RGBColor16 colour = {};
    if (hasBackColor)
        ColorRefToRGBColor16(colour, backColor);
    else
        GetStandardColor(1, &colour, nullptr);
    graphics->SetForeColor(colour);
    graphics->PaintRect(bounds);
}

void WindowPane::SetNamedProperty(const string& name, int32_t value) {
    for (uint32_t i = 0; i < namedProperties.size(); ++i) {
        if (string::CompareNoCase(namedProperties[i]->name, name) == 0) {
            namedProperties[i]->value = value;
            return;
        }
    }
    auto* property = new WindowNamedProperty;
    property->name = name;
    property->value = value;
    namedProperties.push_back(property);
}

bool WindowPane::GetNamedProperty(const string& name, int32_t& value) {
    for (uint32_t i = 0; i < namedProperties.size(); ++i) {
        if (string::CompareNoCase(namedProperties[i]->name, name) == 0) {
            value = namedProperties[i]->value;
            return true;
        }
    }
    value = 0;
    return false;
}

void WindowPane::RunModal() {
    // The pane may close while the loop runs: a lock keeps it readable until the run ends.
    Lock();
    while (showRequested && !closing && !IsQuitting()) DoEventsStep(true);
    Unlock();
}

void WindowPane::GetClientBoundsOnScreen(Rect16& out) {
    if (!hwnd) {
        out = windowRect;
        return;
    }
    RECT client = {0, 0, 0, 0};
    GetClientRect(hwnd, &client);
    ClientToScreen(hwnd, reinterpret_cast<POINT*>(&client.left));
    ClientToScreen(hwnd, reinterpret_cast<POINT*>(&client.right));
    SetRect16(out, Clamp16(client.left), Clamp16(client.top), Clamp16(client.right),
              Clamp16(client.bottom));
}

void WindowPane::UpdateBoundsFromWindow() {
    GetClientBoundsOnScreen(windowRect);
    width = mClientWidth = windowRect.right - windowRect.left;
    height = mClientHeight = windowRect.bottom - windowRect.top;
    SetRect16(bounds, 0, 0, static_cast<int16_t>(width), static_cast<int16_t>(height));
}

void WindowPane::SetPosition(int32_t left, int32_t top, bool fire) {
    if (!pendingMove && !pendingResize) GetClientBoundsOnScreen(windowRect);
    const int32_t dx = left - windowRect.left;
    const int32_t dy = top - windowRect.top;
    SetRect16(windowRect, static_cast<int16_t>(windowRect.left + dx),
              static_cast<int16_t>(windowRect.top + dy),
              static_cast<int16_t>(windowRect.right + dx),
              static_cast<int16_t>(windowRect.bottom + dy));
    pendingMove = true;
    if (fire) fireMovedOnApply = true;
}

void WindowPane::SetSize(int32_t newWidth, int32_t newHeight, bool fire) {
    if (!pendingMove && !pendingResize) GetClientBoundsOnScreen(windowRect);
    windowRect.right = static_cast<int16_t>(windowRect.left + newWidth);
    windowRect.bottom = static_cast<int16_t>(windowRect.top + newHeight);
    width = mClientWidth = newWidth;
    height = mClientHeight = newHeight;
    SetRect16(bounds, 0, 0, static_cast<int16_t>(newWidth), static_cast<int16_t>(newHeight));
    pendingResize = true;
    if (fire) fireResizedOnApply = true;
}

bool gApplyingPendingBounds = false;

void WindowPane::ApplyPendingBounds() {
    if (!hwnd) return;
    const bool userChange = !pendingMove && !pendingResize;
    const Rect16 wanted = windowRect;
    Rect16 actual;
    GetClientBoundsOnScreen(actual);
    const bool moved = wanted.left != actual.left || wanted.top != actual.top;
    const bool resized = wanted.right - wanted.left != actual.right - actual.left ||
                         wanted.bottom - wanted.top != actual.bottom - actual.top;
    if ((moved && pendingMove) || (resized && pendingResize)) {
        RECT outer;
        GetWindowRect(hwnd, &outer);
        outer.left += wanted.left - actual.left;
        outer.top += wanted.top - actual.top;
        outer.right += wanted.right - actual.right;
        outer.bottom += wanted.bottom - actual.bottom;
        // The procedure sees this move as the program's own: it reports nothing for it.
        const bool outerApplying = gApplyingPendingBounds;
        gApplyingPendingBounds = true;
        MoveWindow(hwnd, outer.left, outer.top, outer.right - outer.left,
                   outer.bottom - outer.top, TRUE);
        gApplyingPendingBounds = outerApplying;
        if (!hwnd) return;
        pendingMove = pendingResize = false;
    }
    // Read again after the move, so that the next step never takes this move for the user's.
    if (moved || resized) UpdateBoundsFromWindow();
    pendingMove = pendingResize = false;
    if (moved && (fireMovedOnApply || userChange)) {
        fireMovedOnApply = false;
        Moved();
    }
    if (ExceptionInFlight() || closing) return;
    if (resized && (fireResizedOnApply || userChange)) {
        fireResizedOnApply = false;
        Resized();
    }
}

void ShowDeferredWindowPanes() {
    for (WindowPane* pane = gWindowPaneList; pane;) {
        pane->Lock();
        pane->ApplyPendingBounds();
        if (!ExceptionInFlight() && pane->hwnd && !IsWindowVisible(pane->hwnd) &&
            pane->showRequested && !pane->closing)
            ShowWindow(pane->hwnd, SW_SHOW);
        WindowPane* next = pane->nextWindow;
        const bool gone = pane->Unlock();
        if (ExceptionInFlight()) return;
        // A pane that went away may have taken others with it: start again from the head.
        pane = gone ? gWindowPaneList : next;
        if (gone) {
            // Panes already walked have nothing pending: skipping them keeps the walk finite.
            while (pane && !pane->pendingMove && !pane->pendingResize &&
                   (!pane->showRequested || !pane->hwnd || IsWindowVisible(pane->hwnd)))
                pane = pane->nextWindow;
        }
    }
}

namespace {

struct RuntimeWindowWalk {
    bool (*callback)(WindowPane*, void*);
    void* data;
    bool stopped;
};

BOOL CALLBACK VisitRuntimeWindow(HWND window, LPARAM parameter) {
    auto* walk = reinterpret_cast<RuntimeWindowWalk*>(parameter);
    WindowPane* pane = FindWindowPaneByHWND(window);
    if (pane && !walk->callback(pane, walk->data)) {
        walk->stopped = true;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

bool EnumRuntimeWindows(bool (*callback)(WindowPane*, void*), void* data) {
    RuntimeWindowWalk walk = {callback, data, false};
    EnumWindows(VisitRuntimeWindow, reinterpret_cast<LPARAM>(&walk));
    return !walk.stopped;
}

WindowPane* GetFrontWindowPane() {
    for (HWND window = GetTopWindow(nullptr); window; window = GetWindow(window, GW_HWNDNEXT)) {
        WindowPane* pane = FindWindowPaneByHWND(window);
        if (pane && IsWindowVisible(window) && pane->IsModal()) return pane;
    }
    HWND start = GetForegroundWindow();
    if (!start) start = GetTopWindow(nullptr);
    for (HWND window = start; window; window = GetWindow(window, GW_HWNDNEXT)) {
        WindowPane* pane = FindWindowPaneByHWND(window);
        if (pane && IsWindowVisible(window) && !IsFloatingKind(pane->kind)) return pane;
    }
    return nullptr;
}

WindowPane* GetActiveWindowPane() {
    // Without an MDI client the MDI frame holds no child to answer.
    return FindWindowPaneByHWND(GetForegroundWindow());
}

bool IsKeyWindowOrFloating(WindowPane* pane) {
    if (!pane) return false;
    return pane == GetFrontWindowPane() || IsFloatingKind(pane->kind);
}

void PlaceWindowBounds(Rect16* rect, int32_t placement, int32_t kind) {
    if (!rect) {
        ReportAssertion(kSource, 3514, "rBounds");
        return;
    }
    struct Match {
        int32_t group;
        WindowPane* found;
    } match = {WindowKindGroup(kind), nullptr};
    EnumRuntimeWindows(
        [](WindowPane* pane, void* data) {
            auto* state = static_cast<Match*>(data);
            if (WindowKindGroup(pane->kind) != state->group) return true;
            state->found = pane;
            return false;
        },
        &match);
    Rect16 reference = {};
    if (match.found) match.found->GetClientBoundsOnScreen(reference);
    constexpr int32_t kMostScreens = 16;
    ScreenArea screens[kMostScreens];
    const int32_t count = GetScreenAreas(screens, kMostScreens);
    PlaceRect(*rect, placement, match.found ? &reference : nullptr, screens, count);
}
