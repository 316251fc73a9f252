#include "ServiceMode.h"

#include <cstdio>
#include <cstring>

#include "ConsoleApplication.h"
#include "CooperativeThreads.h"
#include "EventLoop.h"
#include "Startup.h"
#include "core/ClassDefinition.h"
#include "core/DefinitionConversion.h"
#include "core/ExitCodes.h"
#include "core/FailureReport.h"
#include "windows/TimerWindow.h"

namespace {

constexpr const char* kSource = "ConsoleApplication";
constexpr uint32_t kOwnProcess = SERVICE_WIN32_OWN_PROCESS;
constexpr uint32_t kControlsAccepted =
    SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_PAUSE_CONTINUE | SERVICE_ACCEPT_SHUTDOWN;

ServiceControlCalls sCalls = SystemServiceControlCalls();

// The service being run, with a reference of its own until the start-up thread has it back. The
// handler thread reads only its status, under the lock.
ServiceApplicationObject* sService = nullptr;
// The service thread, which the start-up thread waits for.
HANDLE sServiceThread = nullptr;
// Set while the service thread runs the event loop: requests posted after it are dropped.
bool sLoopRunning = false;

CRITICAL_SECTION& StatusLock() {
    static CRITICAL_SECTION* const lock = [] {
        static CRITICAL_SECTION section;
        InitializeCriticalSection(&section);
        return &section;
    }();
    return *lock;
}

ServiceApplicationObject* AsService(ObjectHeader* application) {
    return reinterpret_cast<ServiceApplicationObject*>(application);
}

bool IsStopping(uint32_t state) { return state == SERVICE_STOP_PENDING || state == SERVICE_STOPPED; }

// Stores the state (0 keeps the stored one) and reports the status. A service already stopping
// keeps its state when keepStopping is set, and false is returned. The manager is called outside
// the lock, since it may be delivering a request to the handler at the same time.
bool ReportState(ServiceApplicationObject* service, uint32_t state, bool keepStopping) {
    EnterCriticalSection(&StatusLock());
    const bool stopping = IsStopping(service->status.currentState);
    const bool changed = state != 0 && !(keepStopping && stopping);
    if (changed) service->status.currentState = state;
    SERVICE_STATUS status;
    static_assert(sizeof status == sizeof service->status);
    memcpy(&status, &service->status, sizeof status);
    auto* handle = static_cast<SERVICE_STATUS_HANDLE>(service->statusHandle);
    LeaveCriticalSection(&StatusLock());
    sCalls.setStatus(handle, &status);
    return changed || state == 0;
}

template <typename... Arguments>
void FireServiceEvent(ObjectHeader* application, ServiceEvent event, Arguments... arguments) {
    auto* handler = reinterpret_cast<void (*)(ObjectHeader*, Arguments...)>(
        FindEventInstance(application, ServiceEventDefinition(event)));
    if (handler) handler(application, arguments...);
}

// On the service thread, from its timer window.
void RunServiceControl(int32_t control) {
    if (!sLoopRunning || !sService) return;
    ObjectHeader* application = &sService->header;
    switch (control) {
    case SERVICE_CONTROL_STOP:
        return ServiceStop(application, false);
    case SERVICE_CONTROL_SHUTDOWN:
        return ServiceStop(application, true);
    case SERVICE_CONTROL_PAUSE:
        return ServicePause(application);
    case SERVICE_CONTROL_CONTINUE:
        return ServiceContinue(application);
    default:
        return;
    }
}

void ReportNotStarted(const char* condition, const char* text) {
    ReportAssertion(kSource, __LINE__, condition, text);
    EndProcess(kExitServiceNotStarted);
}

}  // namespace

ServiceControlCalls SystemServiceControlCalls() {
    return {StartServiceCtrlDispatcherA, RegisterServiceCtrlHandlerA, SetServiceStatus};
}

void SetServiceControlCalls(const ServiceControlCalls& calls) { sCalls = calls; }

void RunApplicationAsService(ObjectHeader* application) {
    // Only a ServiceApplication holds the status words the reports write.
    if (!application ||
        !RuntimeObjectIsa(application, LookupObjectDefinition(ServiceApplication()))) {
        return ReportNotStarted("obj", "Service mode needs a ServiceApplication.");
    }
    RetainObject(application);
    sService = AsService(application);
    SERVICE_TABLE_ENTRYA table[] = {{const_cast<char*>(kServiceName), ServiceMain},
                                    {nullptr, nullptr}};
    if (!sCalls.startDispatcher(table)) {
        char text[160];
        std::snprintf(text, sizeof text,
                      "The service control manager did not start this application as a service "
                      "(error %lu).",
                      static_cast<unsigned long>(GetLastError()));
        return ReportNotStarted("StartServiceCtrlDispatcherA", text);
    }
    // The dispatcher may return before the service thread's last steps; runtime code goes on here
    // only once that thread has ended.
    if (sServiceThread) {
        WaitForSingleObject(sServiceThread, INFINITE);
        CloseHandle(sServiceThread);
        sServiceThread = nullptr;
    }
    MoveTimersToThisThread();
    sService = nullptr;
    ReleaseObject(application);
}

void WINAPI ServiceMain(DWORD, LPSTR*) {
    DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &sServiceThread,
                    SYNCHRONIZE, FALSE, 0);
    // The runtime's thread-bound parts follow the application to this thread.
    MoveTimersToThisThread();
    const MainThreadHold startupHold = MoveMainThreadHere(kMainStackCheckSize);
    OleInitialize(nullptr);  // RuntimeRun ends it
    RegisterServiceHandler(&sService->header);
    sLoopRunning = true;
    FireApplicationOpenEvents();
    RuntimeRun();
    sLoopRunning = false;
    RestoreMainThreadHold(startupHold);
    ReportState(sService, SERVICE_STOPPED, false);
}

void RegisterServiceHandler(ObjectHeader* application) {
    if (!application) return ReportAssertion(kSource, __LINE__, "obj");
    ServiceApplicationObject* service = AsService(application);
    SERVICE_STATUS_HANDLE handle = sCalls.registerHandler(kServiceName, ServiceControlHandler);
    EnterCriticalSection(&StatusLock());
    service->statusHandle = handle;
    service->status = {};
    service->status.serviceType = kOwnProcess;
    service->status.controlsAccepted = kControlsAccepted;
    LeaveCriticalSection(&StatusLock());
    ReportState(service, SERVICE_RUNNING, false);
}

void WINAPI ServiceControlHandler(DWORD control) {
    ServiceApplicationObject* service = sService;
    if (!service) return;
    uint32_t pending;
    switch (control) {
    case SERVICE_CONTROL_STOP:
    case SERVICE_CONTROL_SHUTDOWN:
        pending = SERVICE_STOP_PENDING;
        break;
    case SERVICE_CONTROL_PAUSE:
        pending = SERVICE_PAUSE_PENDING;
        break;
    case SERVICE_CONTROL_CONTINUE:
        pending = SERVICE_CONTINUE_PENDING;
        break;
    case SERVICE_CONTROL_INTERROGATE:
        ReportState(service, 0, false);
        return;
    default:
        return;
    }
    // A service already stopping only repeats its state.
    if (ReportState(service, pending, true))
        PostTimerWindowCall(RunServiceControl, static_cast<int32_t>(control));
}

void ServiceStop(ObjectHeader* application, bool shuttingDown) {
    if (!application) return ReportAssertion(kSource, __LINE__, "obj");
    FireServiceEvent(application, kServiceStop, shuttingDown);
    SetQuitFlag();
}

void ServicePause(ObjectHeader* application) {
    if (!application) return ReportAssertion(kSource, __LINE__, "obj");
    FireServiceEvent(application, kServicePause);
    ReportState(AsService(application), SERVICE_PAUSED, true);
}

void ServiceContinue(ObjectHeader* application) {
    if (!application) return ReportAssertion(kSource, __LINE__, "obj");
    FireServiceEvent(application, kServiceContinue);
    ReportState(AsService(application), SERVICE_RUNNING, true);
}
