#include <gtest/gtest.h>

#include "FailureRecorder.h"
#include "RaisedExceptions.h"
#include "core/Exceptions.h"
#include "host/MainLoopFrame.h"

namespace {

int sStepsRun = 0;
int sAfterRaise = 0;

void QuietStep() { ++sStepsRun; }

void RaisingStep() {
    ++sStepsRun;
    RaiseOutOfBoundsException();
    if (ExceptionInFlight()) return;
    ++sAfterRaise;
}

}  // namespace

TEST(MainLoopFrame, EscapedExceptionReachesTheUnhandledHook) {
#ifdef _WIN64
    GTEST_SKIP() << "64-bit Windows frames do not chain through the frame pointer";
#endif
    RaisedExceptions raised;
    const int32_t liveBefore = LiveObjectCount();
    RunMainLoopFrame(QuietStep);
    RunMainLoopFrame(RaisingStep);
    EXPECT_EQ(raised.Take(), "OutOfBoundsException");
    EXPECT_FALSE(ExceptionInFlight());
    EXPECT_EQ(sAfterRaise, 0);
    EXPECT_EQ(LiveObjectCount(), liveBefore);  // the frame dropped the exception's reference

    // The loop goes on after an abandoned step.
    RunMainLoopFrame(QuietStep);
    EXPECT_EQ(sStepsRun, 3);
}

TEST(MainLoopFrame, NullStepIsReported) {
    FailureRecorder recorder;
    RunMainLoopFrame(nullptr);
    EXPECT_EQ(recorder.Last().condition, "fp");
    EXPECT_EQ(recorder.Last().file, "runtimemainloop");
}

// Whether the frame walk gets from a window procedure, through the system's code, back to the
// loop frame: the raise finds the frame's handler (the exception is in flight) rather than ending
// unhandled. 32-bit only: 64-bit frames do not chain through the frame pointer.
#if defined(__i386__) && !defined(_WIN64)

#include <windows.h>

#include "MessagePump.h"

namespace {

bool sInFlightAfterRaise = false;
bool sInMenu = false;
int sRaises = 0;

void RaiseFromCallback() {
    ++sRaises;
    RaiseOutOfBoundsException();
    sInFlightAfterRaise = ExceptionInFlight();
}

LRESULT CALLBACK RaisingWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_USER) {
        RaiseFromCallback();
        return 0;
    }
    if (message == WM_TIMER && wParam == 1) {
        KillTimer(window, 1);
        // Called from the popup-menu loop, the handler runs in a callback frame of its own.
        if (sInMenu)
            RunInCallbackFrame([](void*) { RaiseFromCallback(); }, nullptr);
        else
            RaiseFromCallback();
        return 0;
    }
    if (message == WM_TIMER && wParam == 4) {
        KillTimer(window, 4);
        EndMenu();
        return 0;
    }
    if (message == WM_TIMER && wParam == 2) {
        // Ends the message box that the modal case runs.
        KillTimer(window, 2);
        if (HWND box = FindWindowA("#32770", "modal probe")) PostMessageA(box, WM_COMMAND, IDOK, 0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

INT_PTR CALLBACK RaisingDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        SetTimer(dialog, 1, 20, nullptr);
        return TRUE;
    }
    if (message == WM_TIMER && wParam == 1) {
        KillTimer(dialog, 1);
        RaiseFromCallback();
        // Only so the probe ends: the dialog's own loop would otherwise go on.
        EndDialog(dialog, 0);
        return TRUE;
    }
    return FALSE;
}

void CALLBACK RaisingTimerProc(HWND window, UINT, UINT_PTR id, DWORD) {
    KillTimer(window, id);
    RaiseFromCallback();
}

HWND sWindow = nullptr;

HWND ProbeWindow() { return MakeProbeWindow("QvRaiseProbe", RaisingWindowProc); }

// Pumps until the raise happened, for at most two seconds.
void PumpUntilRaised() {
    const DWORD start = GetTickCount();
    MSG message;
    while (sRaises == 0 && GetTickCount() - start < 2000) {
        if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
            if (ExceptionInFlight()) return;
        } else {
            Sleep(1);
        }
    }
}

void SendStep() {
    SendMessageA(sWindow, WM_USER, 0, 0);
}
void DispatchStep() {
    PostMessageA(sWindow, WM_USER, 0, 0);
    PumpUntilRaised();
}
void TimerMessageStep() {
    SetTimer(sWindow, 1, 10, nullptr);
    PumpUntilRaised();
}
void TimerProcStep() {
    SetTimer(sWindow, 3, 10, RaisingTimerProc);
    PumpUntilRaised();
}
void ModalDialogStep() {
    // An empty dialog: the template header with no controls, menu, class or title.
    alignas(4) WORD dialogTemplate[16] = {};
    auto* header = reinterpret_cast<DLGTEMPLATE*>(dialogTemplate);
    header->style = WS_POPUP | WS_CAPTION;
    header->cx = 50;
    header->cy = 20;
    DialogBoxIndirectParamA(GetModuleHandleA(nullptr), header, sWindow, RaisingDialogProc, 0);
}

void PopupMenuStep() {
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING, 1, "item");
    SetTimer(sWindow, 1, 50, nullptr);
    SetTimer(sWindow, 4, 300, nullptr);
    SetForegroundWindow(sWindow);
    sInMenu = true;
    TrackPopupMenu(menu, TPM_LEFTALIGN, 0, 0, 0, sWindow, nullptr);
    // A menu that could not be shown (another program holds the foreground) returns at once; the
    // callback frame is then exercised from this loop instead.
    if (sRaises == 0) PumpUntilRaised();
    sInMenu = false;
    DestroyMenu(menu);
    // Back in runtime code: the exception parked by the callback frame goes on from here.
    EXPECT_TRUE(RaiseParkedException());
    sInFlightAfterRaise = ExceptionInFlight();
}

void ModalMessageBoxStep() {
    SetTimer(sWindow, 1, 50, nullptr);
    SetTimer(sWindow, 2, 300, nullptr);
    MessageBoxA(sWindow, "probe", "modal probe", MB_OK);
}

}  // namespace

TEST(MainLoopFrame, WindowProceduresReachTheFrame) {
    RaisedExceptions raised;
    sWindow = ProbeWindow();
    ASSERT_NE(sWindow, nullptr);
    struct Case {
        const char* what;
        LoopStep step;
    } cases[] = {
        {"SendMessageA", SendStep},
        {"DispatchMessageA", DispatchStep},
        {"WM_TIMER", TimerMessageStep},
        {"timer procedure", TimerProcStep},
        {"modal message box", ModalMessageBoxStep},
        {"modal dialog", ModalDialogStep},
        {"popup menu", PopupMenuStep},
    };
    // Once a report has ended the application the frame drops what reaches it without a report, so
    // that the frame received each exception shows in the flag and in the exception being freed.
    for (const Case& c : cases) {
        sRaises = 0;
        sInFlightAfterRaise = false;
        const int32_t liveBefore = LiveObjectCount();
        RunMainLoopFrame(c.step);
        EXPECT_EQ(sRaises, 1) << c.what;
        EXPECT_TRUE(sInFlightAfterRaise) << c.what;
        EXPECT_FALSE(ExceptionInFlight()) << c.what;
        EXPECT_EQ(LiveObjectCount(), liveBefore) << c.what;
    }
    DestroyWindow(sWindow);
}

#endif
