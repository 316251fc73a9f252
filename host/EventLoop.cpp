#include "EventLoop.h"

#include <windows.h>

#include "CooperativeThreads.h"
#include "EventLoopApplication.h"
#include "PeriodicTasks.h"
#include "TickCount.h"
#include "comms/PollableObjects.h"
#include "comms/Sockets.h"
#include "core/Exceptions.h"
#include "core/Platform.h"
#include "windows/Pane.h"
#include "windows/EventLoopWindows.h"

// Every call below that can run compiled code (event handlers, panes, polls, tasks) is followed by
// an ExceptionInFlight check: a raise has rewritten a return address, and the way to the handler is
// to return at once.

namespace {

bool sQuit = false;
bool sMayBlock = true;
SubPane* sFocusPane = nullptr;
SubPane* sCapturePane = nullptr;
HWND sWindowUnderMouse = nullptr;
int32_t sLastTrackedH = 0;
int32_t sLastTrackedV = 0;
bool sUserCancel = false;
int32_t sLastBackgroundTick = 0;
int32_t sLastEscSampleTick = 0;

constexpr int32_t kEscSampleTicks = 60;

// The loop takes and dispatches messages with the wide functions on the Unicode platform: taken
// with the ANSI ones, a character outside the system code page reaches the runtime's wide window
// classes as "?".
BOOL TakeMessage(MSG& message) {
    return IsUnicodePlatform() ? PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)
                               : PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE);
}

BOOL WaitForMessage(MSG& message) {
    return IsUnicodePlatform() ? GetMessageW(&message, nullptr, 0, 0)
                               : GetMessageA(&message, nullptr, 0, 0);
}

// Keyboard pre-translation first, then the MDI accelerators; a message neither consumed is
// dispatched.
void OfferMessage(MSG& message) {
    if (TranslateKeyMessage(&message) || ExceptionInFlight()) return;
    if (TranslateMDIAccelerators(&message) || ExceptionInFlight()) return;
    TranslateMessage(&message);
    if (IsUnicodePlatform())
        DispatchMessageW(&message);
    else
        DispatchMessageA(&message);
}

void RunIdleWork() {
    if (sFocusPane) {
        sFocusPane->Idle();
        if (ExceptionInFlight()) return;
    }
    PollAllPollableObjects();
    if (ExceptionInFlight()) return;
    RunFireSerial();
    if (ExceptionInFlight()) return;
    PollAllSockets(false);
    if (ExceptionInFlight()) return;
    ClearUserCancel();
    RunDuePeriodicTasks(true);
    if (ExceptionInFlight()) return;
    YieldFromEventLoop();
}

void ForgetWindowUnderMouse() {
    HWND window = sWindowUnderMouse;
    sWindowUnderMouse = nullptr;
    if (WindowPane* pane = FindWindowPaneByHWND(window)) pane->MouseExit();
}

HWND TopLevelWindowAt(int32_t h, int32_t v) {
    HWND window = WindowFromPoint(POINT{h, v});
    while (window && (GetWindowLongA(window, GWL_STYLE) & WS_CHILD)) {
        HWND parent = GetParent(window);
        if (!parent) break;
        window = parent;
    }
    return window;
}

}  // namespace

void RunUntilQuit() {
    while (!sQuit) RunEventLoopStep(EventLoopIteration);
    CloseAllViewWindows();
    if (ObjectHeader* application = EventLoopApplication()) RuntimeUnlockObject(application);
}

void RunEventLoopStep(LoopStep step) { RunMainLoopFrame(step); }
void RunEventLoopStep(void (*step)(void*), void* context) { RunMainLoopFrame(step, context); }

void EventLoopIteration() {
    ShowDeferredWindows();
    if (ExceptionInFlight()) return;

    MSG message;
    if (sCapturePane || !sMayBlock) {
        TrackMouseAtCursor();
        if (ExceptionInFlight()) return;
        if (TakeMessage(message)) {
            // A WM_QUIT taken here (DoEvents, a drag) ends the loop as the blocking step does.
            if (message.message == WM_QUIT) {
                SetQuitFlag();
                return;
            }
            OfferMessage(message);
            if (ExceptionInFlight()) return;
        }
    } else {
        const BOOL result = WaitForMessage(message);
        if (result == 0) {
            // WM_QUIT: the loop ends without this step's idle work.
            SetQuitFlag();
            return;
        }
        TrackMouseAtCursor();
        if (ExceptionInFlight()) return;
        // A failed call (-1) filled in no message: there is nothing to offer, only the idle work.
        if (result != -1) {
            OfferMessage(message);
            if (ExceptionInFlight()) return;
        }
    }

    RunIdleWork();
    if (ExceptionInFlight()) return;

    if (IsWindowListEmpty() && !sQuit && RuntimeRunIsRunning() && ApplicationAutoQuitRequested())
        QuitApplication(EventLoopApplication(), false);
}

void DoEventsStep(bool mayBlock) {
    if (!IsMainThread()) {
        YieldToNextThread();
        return;
    }
    sMayBlock = mayBlock;
    RunEventLoopStep(EventLoopIteration);
    sMayBlock = true;
}

bool IsQuitting() { return sQuit; }

void SetQuitFlag() { sQuit = true; }

void TrackMouse(int32_t h, int32_t v) {
    if (sCapturePane) {
        const PanePoint point = sCapturePane->ScreenToWindow(PanePoint{v, h});
        if (SubPane::IsMouseButtonDown()) sCapturePane->MouseDrag(point.h, point.v);
        return;
    }
    if (h == sLastTrackedH && v == sLastTrackedV) return;
    sLastTrackedH = h;
    sLastTrackedV = v;

    HWND window = TopLevelWindowAt(h, v);
    if (!window) {
        if (sWindowUnderMouse) ForgetWindowUnderMouse();
        return;
    }
    if (sWindowUnderMouse && sWindowUnderMouse != window) {
        ForgetWindowUnderMouse();
        if (ExceptionInFlight()) return;
    }
    WindowPane* pane = FindWindowPaneByHWND(window);
    if (!pane) return;
    // No window is modal in front of another on this platform, so none blocks the pane here.
    pane->MakeCurrent();
    POINT client = {h, v};
    ScreenToClient(window, &client);
    if (client.x < 0 || client.x >= pane->mClientWidth || client.y < 0 ||
        client.y >= pane->mClientHeight)
        return;
    if (!sWindowUnderMouse) {
        sWindowUnderMouse = window;
        pane->MouseEnter();
        if (ExceptionInFlight()) return;
    }
    pane->MouseMove(client.x, client.y);
    if (ExceptionInFlight()) return;
    pane->AfterMouseMove(client.y, client.x);
}

void TrackMouseAtCursor() {
    POINT cursor;
    if (!GetCursorPos(&cursor)) return;
    TrackMouse(cursor.x, cursor.y);
}

SubPane* GetFocusPane() { return sFocusPane; }

void SetFocusPane(SubPane* pane) {
    SubPane* target = pane ? pane->GetOuterPane() : nullptr;
    if (target == sFocusPane) return;
    SubPane* old = sFocusPane;
    sFocusPane = nullptr;
    if (old) {
        old->LostFocus();
        if (ExceptionInFlight()) return;
    }
    // LostFocus may have moved the focus elsewhere; then the target does not get it.
    if (!sFocusPane && target) {
        sFocusPane = target;
        target->GotFocus();
    }
}

SubPane* GetCapturePane() { return sCapturePane; }

void SetCapturePane(SubPane* pane) {
    if (WindowPane* window = FindWindowPane(pane))
        SetCapture(window->GetHWND());
    else if (sCapturePane)
        ReleaseCapture();
    sCapturePane = pane;
}

void ReleaseCapturePane() {
    if (sCapturePane) ReleaseCapture();
    sCapturePane = nullptr;
}

void PollEscapeKey() { sUserCancel = GetAsyncKeyState(VK_ESCAPE) < 0; }

void ClearUserCancel() { sUserCancel = false; }

void CursorChanged() {}

void* FrontModalWindow() { return nullptr; }

bool IsCancelKeyChord(int32_t, int32_t, int32_t) { return false; }

void RuntimeDoEvents(ObjectHeader*, int32_t milliseconds) {
    DoEventsStep(false);
    if (milliseconds >= 0) ThreadSleepCurrent(milliseconds);
}

void RuntimeBackgroundTask() {
    const int32_t now = TickCount60();
    if (now == sLastBackgroundTick) return;
    sLastBackgroundTick = now;
    RunDuePeriodicTasks(false);
    if (ExceptionInFlight()) return;
    // By unsigned difference: across the counter's wrap too, and a reading below the last sample
    // counts as long past.
    if (static_cast<uint32_t>(TicksElapsed(sLastEscSampleTick, now)) > kEscSampleTicks) {
        PollEscapeKey();
        sLastEscSampleTick = now;
    }
    if (InDebugMode()) {
        PollAllSockets(true);
        if (ExceptionInFlight()) return;
        PollAllPollableObjects();
        if (ExceptionInFlight()) return;
        if (GetAsyncKeyState(VK_CANCEL) < 0) DebugBreakASAP();
    }
    // The time spent here does not count towards the next call.
    sLastBackgroundTick = TickCount60();
}

bool getUserCancelled() { return sUserCancel; }
