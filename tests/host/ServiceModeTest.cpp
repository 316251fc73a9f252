// Service mode against a double of the service control manager: Wine's manager runs the packed
// service (apps.service.controlled) but refuses SHUTDOWN from ControlService, as only the system
// sends it; the double delivers it, and records every status report in order.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "CompiledSubclass.h"
#include "FailureRecorder.h"
#include "MessagePump.h"
#include "core/DefinitionConversion.h"
#include "host/ConsoleApplication.h"
#include "host/CooperativeThreads.h"
#include "host/ServiceMode.h"
#include "windows/TimerWindow.h"

namespace {

const auto kHandle = reinterpret_cast<SERVICE_STATUS_HANDLE>(0x5E4C);

// The double's record, written by the dispatcher's threads and the service thread.
struct Manager {
    CRITICAL_SECTION lock;
    std::vector<DWORD> states;
    SERVICE_STATUS last = {};
    std::string tableName, handlerName;
    bool tableEnds = false;
    LPHANDLER_FUNCTION handler = nullptr;
    LPSERVICE_MAIN_FUNCTIONA serviceMain = nullptr;
    HANDLE serviceThread = nullptr;
    DWORD serviceThreadId = 0;
    volatile bool serviceThreadDone = false;
    bool reachedEveryState = true;

    Manager() { InitializeCriticalSection(&lock); }
    DWORD LastState() {
        EnterCriticalSection(&lock);
        const DWORD state = states.empty() ? 0 : states.back();
        LeaveCriticalSection(&lock);
        return state;
    }
    void WaitFor(DWORD state) {
        const DWORD start = GetTickCount();
        while (LastState() != state) {
            if (GetTickCount() - start > 20000) {
                reachedEveryState = false;
                return;
            }
            Sleep(5);
        }
    }
};
Manager gManager;

SERVICE_STATUS_HANDLE WINAPI Register(LPCSTR name, LPHANDLER_FUNCTION handler) {
    gManager.handlerName = name;
    gManager.handler = handler;
    return kHandle;
}

BOOL WINAPI SetStatus(SERVICE_STATUS_HANDLE handle, LPSERVICE_STATUS status) {
    if (handle != kHandle) return FALSE;
    EnterCriticalSection(&gManager.lock);
    gManager.states.push_back(status->dwCurrentState);
    gManager.last = *status;
    LeaveCriticalSection(&gManager.lock);
    return TRUE;
}

DWORD WINAPI ServiceThread(void*) {
    char name[] = "Olvet's Service";
    LPSTR arguments[] = {name, nullptr};
    gManager.serviceMain(1, arguments);
    // Late steps of the thread: the start-up thread must not go on before they are done.
    Sleep(300);
    gManager.serviceThreadDone = true;
    return 0;
}

// Starts the service entry on a thread of its own, sends the requests from this thread, and
// returns as soon as STOPPED is reported, as a real manager may.
BOOL WINAPI Dispatch(const SERVICE_TABLE_ENTRYA* table) {
    gManager.tableName = table[0].lpServiceName;
    gManager.tableEnds = !table[1].lpServiceName && !table[1].lpServiceProc;
    gManager.serviceMain = table[0].lpServiceProc;
    gManager.serviceThread =
        CreateThread(nullptr, 0, ServiceThread, nullptr, 0, &gManager.serviceThreadId);
    gManager.WaitFor(SERVICE_RUNNING);
    if (!gManager.handler) return TRUE;
    gManager.handler(SERVICE_CONTROL_INTERROGATE);
    gManager.handler(SERVICE_CONTROL_PAUSE);
    gManager.WaitFor(SERVICE_PAUSED);
    gManager.handler(SERVICE_CONTROL_CONTINUE);
    gManager.WaitFor(SERVICE_RUNNING);
    gManager.handler(200);  // a request of the service's own: nothing to do
    gManager.handler(SERVICE_CONTROL_SHUTDOWN);
    gManager.WaitFor(SERVICE_STOPPED);
    // Once stopping, a request only hears the state again.
    gManager.handler(SERVICE_CONTROL_PAUSE);
    return TRUE;
}

struct StopCall {
    bool shuttingDown;
    DWORD thread;
};
std::vector<StopCall> gStops;

void OnStop(ObjectHeader*, bool shuttingDown) { gStops.push_back({shuttingDown, GetCurrentThreadId()}); }

std::vector<DWORD> gTimerThreads;
void OnTimer(int32_t) { gTimerThreads.push_back(GetCurrentThreadId()); }

bool FiredOn(DWORD thread) {
    for (DWORD fired : gTimerThreads)
        if (fired == thread) return true;
    return false;
}

// SHUTDOWN reports STOP_PENDING, fires Stop(True) on the service thread and ends the loop there;
// STOPPED comes after, and the start-up thread goes on only once the service thread has ended.
// PAUSE and CONTINUE without handlers pass through their pending states; INTERROGATE repeats the
// state; the timers run on the service thread while it runs the application, then come back.
TEST(ServiceMode, RequestsReachTheServiceThreadAndStoppedEndsTheRun) {
    CreateTimerWindow();
    SetServiceControlCalls({Dispatch, Register, SetStatus});
    ClassRecord* serviceClass =
        CompiledSubclass(ServiceApplication(), "TestService", {{"Stop", HandlerAddress(OnStop)}});
    const int32_t timer = AddTimerCallback(OnTimer, 10);

    ObjectHeader* service = RuntimeNewObject(serviceClass);
    RuntimeRegisterConsoleAppObject(service, true);

    EXPECT_TRUE(gManager.serviceThreadDone) << "went on before the service thread ended";
    EXPECT_TRUE(gManager.reachedEveryState);
    EXPECT_EQ(gManager.tableName, "Olvet's Service");
    EXPECT_TRUE(gManager.tableEnds);
    EXPECT_EQ(gManager.handlerName, "Olvet's Service");
    const std::vector<DWORD> expected = {
        SERVICE_RUNNING,          SERVICE_RUNNING,      SERVICE_PAUSE_PENDING,
        SERVICE_PAUSED,           SERVICE_CONTINUE_PENDING, SERVICE_RUNNING,
        SERVICE_STOP_PENDING,     SERVICE_STOPPED,      SERVICE_STOPPED};
    EXPECT_EQ(gManager.states, expected);
    EXPECT_EQ(gManager.last.dwServiceType, static_cast<DWORD>(SERVICE_WIN32_OWN_PROCESS));
    EXPECT_EQ(gManager.last.dwControlsAccepted, 7u);
    ASSERT_EQ(gStops.size(), 1u);
    EXPECT_TRUE(gStops[0].shuttingDown);
    EXPECT_EQ(gStops[0].thread, gManager.serviceThreadId);
    EXPECT_TRUE(FiredOn(gManager.serviceThreadId));

    gTimerThreads.clear();
    EXPECT_TRUE(PumpMessagesUntil([] { return !gTimerThreads.empty(); }, 5000));
    EXPECT_TRUE(FiredOn(GetCurrentThreadId())) << "the timers stayed with the ended thread";
    RemoveTimerCallback(timer);
    EXPECT_EQ(MainRuntimeThread()->fiber, nullptr);
    RuntimeUnlockObject(service);
    CloseHandle(gManager.serviceThread);
    SetServiceControlCalls(SystemServiceControlCalls());
}

BOOL WINAPI NeverDispatch(const SERVICE_TABLE_ENTRYA*) {
    std::_Exit(100);  // the dispatcher must not be reached
}

// Only a ServiceApplication has the status words: a plain ConsoleApplication in service mode is
// reported and ends the process before the dispatcher is asked.
TEST(ServiceModeRefusal, AConsoleApplicationIsNotRunAsAService) {
    EXPECT_EXIT(
        {
            FailureRecorder recorder;
            SetServiceControlCalls({NeverDispatch, Register, SetStatus});
            RuntimeRegisterConsoleAppObject(nullptr, false);
            RuntimeRegisterConsoleAppObject(CurrentConsoleApplication(), true);
        },
        testing::ExitedWithCode(6), "");
}

}  // namespace
