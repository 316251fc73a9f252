#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "MessagePump.h"
#include "RaisedExceptions.h"
#include "comms/PollableObjects.h"
#include "core/Exceptions.h"
#include "host/EventLoop.h"
#include "host/EventLoopApplication.h"
#include "host/PeriodicTasks.h"
#include "host/TickCount.h"
#include "windows/Pane.h"

namespace {

// The order of what one step did, one letter per call.
std::string sLog;

// A hidden window that counts its WM_USER messages; wParam 1 also sets the quit flag, wParam 2
// raises an exception from the handler.
int sDispatched = 0;

LRESULT CALLBACK CountingWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_USER) return DefWindowProcA(window, message, wParam, lParam);
    ++sDispatched;
    sLog += 'M';
    if (wParam == 1) SetQuitFlag();
    if (wParam == 2) RaiseOutOfBoundsException();
    return 0;
}

HWND MakeCountingWindow() { return MakeProbeWindow("QvEventLoopProbe", CountingWindowProc); }

// Sets the quit flag when it fires, so that a loop waiting for a message that never comes ends.
bool sWatchdogFired = false;

void CALLBACK WatchdogProc(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    sWatchdogFired = true;
    SetQuitFlag();
}

class Watchdog {
public:
    explicit Watchdog(UINT milliseconds) : mId(SetTimer(nullptr, 0, milliseconds, WatchdogProc)) {
        sWatchdogFired = false;
    }
    ~Watchdog() { KillTimer(nullptr, mId); }

private:
    UINT_PTR mId;
};

// Records each poll and whether the user-cancel flag was still set then.
class RecordingPollable final : public PollableObject {
public:
    explicit RecordingPollable(char name) : mName(name) {}
    void Poll() override {
        sLog += mName;
        ++mPolls;
        mSawCancel = getUserCancelled();
    }
    char mName;
    int mPolls = 0;
    bool mSawCancel = false;
};

class RecordingPane final : public SubPane {
public:
    void Idle() override { sLog += 'I'; }
};

// A task without a system timer, due at every step.
class RecordingTask final : public PeriodicTask {
public:
    RecordingTask() : PeriodicTask(0) { StopTimer(); }
    void Run() override {
        sLog += 'T';
        ++mRuns;
        mSawCancel = getUserCancelled();
    }
    int mRuns = 0;
    bool mSawCancel = false;
};

void SendEscape(bool down) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = VK_ESCAPE;
    input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    SendInput(1, &input, sizeof input);
}

// Presses Esc for the life of the object; the user-cancel flag cannot be set another way.
class EscapeHeld {
public:
    EscapeHeld() { SendEscape(true); }
    ~EscapeHeld() { SendEscape(false); }
    static bool Down() { return GetAsyncKeyState(VK_ESCAPE) < 0; }
};

class EventLoopStep : public testing::Test {
protected:
    void SetUp() override {
        sLog.clear();
        sDispatched = 0;
        mWindow = MakeCountingWindow();
        ASSERT_NE(mWindow, nullptr);
        // Nothing left over from another test may count as this test's messages.
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {}
    }
    void TearDown() override { DestroyWindow(mWindow); }

    void Post(WPARAM wParam = 0) { PostMessageA(mWindow, WM_USER, wParam, 0); }

    HWND mWindow = nullptr;
};

}  // namespace

TEST_F(EventLoopStep, NonBlockingStepReturnsOnAnEmptyQueue) {
    // A step that blocked would wait for the watchdog's message; the bound leaves room for slow
    // machines. The first step also sets up the thread's input, so it is not timed.
    Watchdog watchdog(10000);
    DoEventsStep(false);
    const DWORD start = GetTickCount();
    for (int i = 0; i < 50; ++i) DoEventsStep(false);
    EXPECT_LT(GetTickCount() - start, 5000u);
    EXPECT_FALSE(sWatchdogFired);
    EXPECT_FALSE(IsQuitting());

    // DoEvents leaves the loop's own steps blocking again: this one waits for the timer's message.
    SetTimer(mWindow, 1, 200, nullptr);
    const DWORD waitStart = GetTickCount();
    RunEventLoopStep(EventLoopIteration);
    KillTimer(mWindow, 1);
    EXPECT_GE(GetTickCount() - waitStart, 150u);
    EXPECT_FALSE(sWatchdogFired);
}

TEST_F(EventLoopStep, EachStepDispatchesOnePostedMessage) {
    Watchdog watchdog(3000);
    for (int i = 0; i < 3; ++i) Post();
    for (int step = 1; step <= 3; ++step) {
        DoEventsStep(false);
        EXPECT_EQ(sDispatched, step);
    }
    DoEventsStep(false);
    EXPECT_EQ(sDispatched, 3);

    // A blocking step with a message waiting takes it without waiting.
    Post();
    DoEventsStep(true);
    EXPECT_EQ(sDispatched, 4);
    EXPECT_FALSE(sWatchdogFired);
}

TEST_F(EventLoopStep, PollableObjectsArePolledEveryStepLastToFirst) {
    RecordingPollable a('a'), b('b');
    AddPollableObject(&a);
    AddPollableObject(&b);
    Post();
    DoEventsStep(false);  // with a message
    DoEventsStep(false);  // without one
    EXPECT_EQ(sLog, "Mbaba");

    RemovePollableObject(&b);
    DoEventsStep(false);
    EXPECT_EQ(a.mPolls, 3);
    EXPECT_EQ(b.mPolls, 2);
    RemovePollableObject(&a);
    DoEventsStep(false);
    EXPECT_EQ(a.mPolls, 3);
}

TEST_F(EventLoopStep, APollMayRemoveEntriesWithoutSkippingOrRepeatingOthers) {
    RecordingPollable a('a'), b('b'), c('c');
    // Takes another object off the list while it is polled, and itself when asked to.
    class Remover final : public PollableObject {
    public:
        void Poll() override {
            sLog += 'r';
            RemovePollableObject(mOther);
            if (mSelf) RemovePollableObject(this);
        }
        PollableObject* mOther = nullptr;
        bool mSelf = false;
    } remover;
    AddPollableObject(&a);
    AddPollableObject(&b);
    AddPollableObject(&remover);
    AddPollableObject(&c);

    remover.mOther = &a;  // below it: the remover is not polled again, b is next
    DoEventsStep(false);
    EXPECT_EQ(sLog, "crb");

    sLog.clear();
    remover.mOther = &b;
    remover.mSelf = true;
    DoEventsStep(false);
    DoEventsStep(false);
    EXPECT_EQ(sLog, "crc");
    RemovePollableObject(&c);
}

TEST_F(EventLoopStep, IdleWorkRunsAfterTheMessageInItsOrder) {
    EscapeHeld escape;
    ASSERT_TRUE(EscapeHeld::Down()) << "Esc could not be pressed";
    RecordingPane pane;
    RecordingPollable poll('P');
    SetFocusPane(&pane);
    AddPollableObject(&poll);
    RecordingTask task;
    PollEscapeKey();
    Post();
    DoEventsStep(false);
    EXPECT_EQ(sLog, "MIPT");
    // The user-cancel flag is cleared after the pollable objects and before the periodic tasks.
    EXPECT_TRUE(poll.mSawCancel);
    EXPECT_FALSE(task.mSawCancel);
    EXPECT_FALSE(getUserCancelled());

    RemovePollableObject(&poll);
    SetFocusPane(nullptr);
}

TEST_F(EventLoopStep, ExceptionEscapingAStepLeavesTheLoopRunning) {
#ifdef _WIN64
    GTEST_SKIP() << "64-bit Windows frames do not chain through the frame pointer";
#endif
    RaisedExceptions raised;
    RecordingPollable poll('P');
    AddPollableObject(&poll);
    Post(2);
    Post();
    DoEventsStep(false);
    EXPECT_EQ(raised.Take(), "OutOfBoundsException");
    EXPECT_FALSE(ExceptionInFlight());
    // The step was abandoned at the handler: its idle work did not run.
    EXPECT_EQ(poll.mPolls, 0);

    DoEventsStep(false);
    EXPECT_EQ(sDispatched, 2);
    EXPECT_EQ(poll.mPolls, 1);
    // Without an Application to handle it, the report of the exception ends the application.
    EXPECT_TRUE(IsQuitting());
    RemovePollableObject(&poll);
}

namespace {

// Logs its focus changes; LostFocus may hand the focus to another pane.
class FocusPane final : public SubPane {
public:
    explicit FocusPane(char name, SubPane* outer = nullptr) : mName(name), mOuter(outer) {}
    SubPane* GetOuterPane() override { return mOuter ? mOuter : this; }
    void LostFocus() override {
        sLog += '-';
        sLog += mName;
        if (mFocusOnLoss) SetFocusPane(mFocusOnLoss);
    }
    void GotFocus() override {
        sLog += '+';
        sLog += mName;
    }
    void MouseDrag(int32_t, int32_t) override { sLog += 'D'; }

    char mName;
    SubPane* mOuter;
    SubPane* mFocusOnLoss = nullptr;
};

}  // namespace

TEST(EventLoopFocus, FocusMovesThroughOuterPanesOnlyOnChange) {
    sLog.clear();
    FocusPane a('a'), b('b'), c('c');
    FocusPane inner('i', &b);
    SetFocusPane(&a);
    SetFocusPane(&a);  // already focused: no events
    EXPECT_EQ(sLog, "+a");
    SetFocusPane(&inner);  // the outer pane takes the focus
    EXPECT_EQ(GetFocusPane(), &b);
    EXPECT_EQ(sLog, "+a-a+b");

    // LostFocus that moves the focus to a third pane wins over the target.
    sLog.clear();
    b.mFocusOnLoss = &c;
    SetFocusPane(&a);
    EXPECT_EQ(GetFocusPane(), &c);
    EXPECT_EQ(sLog, "-b+c");

    sLog.clear();
    SetFocusPane(nullptr);
    EXPECT_EQ(GetFocusPane(), nullptr);
    EXPECT_EQ(sLog, "-c");
}

TEST(EventLoopFocus, CapturePaneWithTheButtonUpGetsNoDrag) {
    sLog.clear();
    FocusPane pane('p');
    SetCapturePane(&pane);
    EXPECT_EQ(GetCapturePane(), &pane);
    if (!SubPane::IsMouseButtonDown()) {
        TrackMouse(10, 20);
        TrackMouse(30, 40);
        EXPECT_EQ(sLog, "");
    }
    ReleaseCapturePane();
    EXPECT_EQ(GetCapturePane(), nullptr);
}

// The quit flag is never cleared, so each suite below that sets it runs in a process of its own.

TEST(EventLoopQuit, QuitFlagEndsRunUntilQuitAndStepsStillRun) {
    sDispatched = 0;
    HWND window = MakeCountingWindow();
    Watchdog watchdog(5000);
    PostMessageA(window, WM_USER, 0, 0);
    PostMessageA(window, WM_USER, 1, 0);  // sets the quit flag
    PostMessageA(window, WM_USER, 0, 0);
    RunUntilQuit();
    EXPECT_FALSE(sWatchdogFired);
    EXPECT_TRUE(IsQuitting());
    EXPECT_EQ(sDispatched, 2);

    // After the loop, DoEvents still runs single steps.
    DoEventsStep(false);
    EXPECT_EQ(sDispatched, 3);
    RunUntilQuit();  // returns at once
    DestroyWindow(window);
}

TEST(EventLoopWmQuit, WmQuitEndsTheLoopWithoutIdleWork) {
    Watchdog watchdog(5000);
    RecordingPollable poll('P');
    AddPollableObject(&poll);
    PostQuitMessage(0);
    RunUntilQuit();
    EXPECT_FALSE(sWatchdogFired);
    EXPECT_TRUE(IsQuitting());
    EXPECT_EQ(poll.mPolls, 0);
    RemovePollableObject(&poll);
}

// A WM_QUIT that a non-blocking step takes (DoEvents) ends the loop as the blocking step's does;
// before, it was dispatched like any message and lost.
TEST(EventLoopWmQuitWhileNotWaiting, NonBlockingStepKeepsTheQuit) {
    Watchdog watchdog(5000);
    RecordingPollable poll('P');
    AddPollableObject(&poll);
    PostQuitMessage(0);
    EXPECT_FALSE(IsQuitting());
    DoEventsStep(false);
    EXPECT_TRUE(IsQuitting());
    EXPECT_EQ(poll.mPolls, 0);
    RemovePollableObject(&poll);
}

namespace {

bool sRunning = false;
ObjectHeader* sApplication = nullptr;
bool sAutoQuit = false;
int sQuits = 0;
bool sQuitRaisedEnd = true;

const EventLoopApplicationHooks kTestHooks = {
    [] { return sRunning; },
    [] { return sApplication; },
    [](ObjectHeader*) { return sAutoQuit; },
    [](ObjectHeader* application, bool raiseEnd) {
        EXPECT_EQ(application, sApplication);
        ++sQuits;
        sQuitRaisedEnd = raiseEnd;
        SetQuitFlag();
    },
};

}  // namespace

TEST(EventLoopAutoQuit, QuitsOnlyWhenRunningWithAnAutoQuitApplication) {
    ClassRecord* applicationClass = RuntimeNewClass(nullptr, 0, 0, 0, 0, 0);
    ObjectHeader* application = RuntimeNewObject(applicationClass);
    const int32_t liveWithApplication = LiveObjectCount();
    SetEventLoopApplicationHooks(kTestHooks);

    // With no runtime window, each case lacks one of the other conditions.
    struct Case {
        const char* what;
        bool running;
        ObjectHeader* application;
        bool autoQuit;
    } cases[] = {
        {"RuntimeRun not running", false, application, true},
        {"no application object", true, nullptr, true},
        {"AutoQuit false", true, application, false},
    };
    for (const Case& c : cases) {
        sRunning = c.running;
        sApplication = c.application;
        sAutoQuit = c.autoQuit;
        DoEventsStep(false);
        EXPECT_EQ(sQuits, 0) << c.what;
        EXPECT_FALSE(IsQuitting()) << c.what;
    }

    sRunning = true;
    sApplication = application;
    sAutoQuit = true;
    DoEventsStep(false);
    EXPECT_EQ(sQuits, 1);
    EXPECT_FALSE(sQuitRaisedEnd);

    // The end of the loop drops the runtime's reference to the application.
    RunUntilQuit();
    EXPECT_EQ(LiveObjectCount(), liveWithApplication - 1);
    SetEventLoopApplicationHooks({});
}

namespace {

uint64_t sClockMilliseconds = 0;
uint64_t ReadClock() { return sClockMilliseconds; }

// The first millisecond of the tick.
void SetTick(int32_t tick) {
    sClockMilliseconds = (static_cast<uint64_t>(static_cast<uint32_t>(tick)) * 50 + 2) / 3;
}

class BackgroundTask : public testing::Test {
protected:
    void SetUp() override { SetMillisecondClock(ReadClock); }
    void TearDown() override {
        SetMillisecondClock(nullptr);
        ClearUserCancel();
    }
};

}  // namespace

TEST_F(BackgroundTask, PeriodicTasksRunAtMostOncePerTick) {
    RecordingTask task;
    SetTick(1000);
    RuntimeBackgroundTask();
    RuntimeBackgroundTask();
    EXPECT_EQ(task.mRuns, 1);
    SetTick(1001);
    RuntimeBackgroundTask();
    EXPECT_EQ(task.mRuns, 2);
}

TEST_F(BackgroundTask, EscIsSampledAtMostOnceEvery60Ticks) {
    {
        EscapeHeld escape;
        ASSERT_TRUE(EscapeHeld::Down()) << "Esc could not be pressed";
        SetTick(5000);
        RuntimeBackgroundTask();
        EXPECT_TRUE(getUserCancelled());
    }
    ASSERT_FALSE(EscapeHeld::Down());
    // Esc is up now, but the flag keeps the last sample until 60 ticks have passed.
    struct Case {
        int32_t tick;
        bool cancelled;
    } cases[] = {{5001, true}, {5030, true}, {5060, true}, {5061, false}};
    for (const Case& c : cases) {
        SetTick(c.tick);
        RuntimeBackgroundTask();
        EXPECT_EQ(getUserCancelled(), c.cancelled) << "tick " << c.tick;
    }

    // A reading below the last sample (the counter came round) samples at once.
    {
        EscapeHeld escape;
        SetTick(10);
        RuntimeBackgroundTask();
        EXPECT_TRUE(getUserCancelled());
    }
}

namespace {

wchar_t sTypedCharacter = 0;

LRESULT CALLBACK WideCharacterWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CHAR) sTypedCharacter = static_cast<wchar_t>(wParam);
    return DefWindowProcW(window, message, wParam, lParam);
}

void TypeCharacter(wchar_t character) {
    INPUT input[2] = {};
    for (int i = 0; i < 2; ++i) {
        input[i].type = INPUT_KEYBOARD;
        input[i].ki.wScan = character;
        input[i].ki.dwFlags = KEYEVENTF_UNICODE | (i ? KEYEVENTF_KEYUP : 0);
    }
    SendInput(2, input, sizeof input[0]);
}

}  // namespace

// The runtime's window classes are wide: a character outside the system code page reaches them
// intact through the loop, and only as "?" when the loop takes messages with the ANSI functions.
TEST(EventLoopCharacters, ACharacterOutsideTheCodePageArrivesIntact) {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = WideCharacterWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"QvWideCharacterProbe";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowExW(0, L"QvWideCharacterProbe", L"", WS_POPUP | WS_VISIBLE, 0, 0,
                                  50, 50, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    SetForegroundWindow(window);
    SetFocus(window);
    for (int i = 0; i < 5; ++i) DoEventsStep(false);

    TypeCharacter(0x3042);
    const DWORD start = GetTickCount();
    while (!sTypedCharacter && GetTickCount() - start < 3000) DoEventsStep(false);
    EXPECT_EQ(sTypedCharacter, 0x3042);
    DestroyWindow(window);
}
