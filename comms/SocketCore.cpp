#include "SocketCore.h"

#include <winsock2.h>
#include <windows.h>

#include "PollableObjects.h"
#include "SocketClasses.h"
#include "Sockets.h"
#include "WinsockTables.h"
#include "core/ClassDefinition.h"
#include "core/Exceptions.h"
#include "core/SimpleVector.h"
#include "host/PeriodicTasks.h"
#include "windows/Accelerators.h"
#include "windows/EventLoopWindows.h"

namespace {

SimpleVector<SocketImp*>& ActiveList() {
    static SimpleVector<SocketImp*> list;
    return list;
}

bool sNetworkingStarted = false;
int32_t sEventHold = 0;

// With this many cores or more, a poll hands one window message on every 13 cores.
constexpr int32_t kPumpingSocketCount = 25;
constexpr int32_t kPumpStride = 13;

constexpr int32_t kPollPeriodTicks = 5;
constexpr int32_t kParkedPeriodTicks = 0x7fffffff;

class NetworkPollTask final : public PeriodicTask {
public:
    NetworkPollTask() : PeriodicTask(kPollPeriodTicks) {}
    void Run() override {
        PollAllPollableObjects();
        if (ExceptionInFlight()) return;
        PollAllSockets(false);
        if (ExceptionInFlight()) return;
        RunFireSerial();
    }
};

NetworkPollTask* sPollTask = nullptr;
int32_t sPollTimerUsers = 0;

bool PumpOneWindowMessage() {
    MSG message;
    if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) return false;
    if (TranslateKeyMessage(&message) || ExceptionInFlight()) return true;
    if (TranslateMDIAccelerators(&message) || ExceptionInFlight()) return true;
    if (HACCEL table = FindWindowAccelerators(message.hwnd))
        if (TranslateAcceleratorA(message.hwnd, table, &message)) return true;
    TranslateMessage(&message);
    DispatchMessageA(&message);
    return true;
}

bool (*sMessagePump)() = PumpOneWindowMessage;

}  // namespace

// --- the core ---

SocketImp::Liveness::Liveness(SocketImp* core) : mCore(core), mNext(core->mWatches) {
    core->mWatches = this;
}

SocketImp::Liveness::~Liveness() {
    if (!mCore) return;
    for (Liveness** link = &mCore->mWatches; *link; link = &(*link)->mNext) {
        if (*link == this) {
            *link = mNext;
            break;
        }
    }
}

SocketImp::SocketImp(ObjectHeader* ownerObject) : owner(ownerObject) {
    StartNetworking();
    SocketImp::Reset(true);
    AcquireNetworkPollTimer();
}

SocketImp::~SocketImp() {
    SocketImp::Close(true);
    ReleaseNetworkPollTimer();
    for (Liveness* watch = mWatches; watch; watch = watch->mNext) watch->mCore = nullptr;
}

void SocketImp::Register(bool holdOwner, int32_t newPort) {
    if (holdOwner && owner && !holdsOwnerReference) {
        RuntimeLockObject(owner);
        holdsOwnerReference = 1;
    }
    AddActiveSocket(this);
    port = newPort;
}

void SocketImp::Listen(int32_t newPort) {
    Register(owner && ObjectIsaDefinition(owner, TCPSocket()), newPort);
}

void SocketImp::Close(bool keepOwnerReference) {
    RemoveActiveSocket(this);
    if (!keepOwnerReference && holdsOwnerReference) {
        holdsOwnerReference = 0;
        RuntimeUnlockObject(owner);
    }
}

void SocketImp::Reset(bool clearData) {
    isConnected = 0;
    lastError = 0;
    eventWord = 0;
    port = 0;
    holdsOwnerReference = 0;
    bytesSentSinceProgress = 0;
    connectPending = 0;
    sendCompletePending = 0;
    errorPending = 0;
    poolRefillPending = 0;
    progressPending = 0;
    if (clearData) dataPending = 0;
}

void SocketImp::DispatchEvents() {
    if (!(eventWord & kSocketEventError)) return;
    const bool shared = owner && owner->refCount > 1;
    Liveness alive(this);
    Close(false);
    if (alive.Alive() && shared) Reset(false);
}

// --- the active list ---

int32_t ActiveSocketCount() { return static_cast<int32_t>(ActiveList().size()); }

SocketImp* ActiveSocketAt(int32_t index) {
    SimpleVector<SocketImp*>& list = ActiveList();
    if (index < 0 || index >= static_cast<int32_t>(list.size())) return nullptr;
    return list.mBuf[index];
}

void AddActiveSocket(SocketImp* core) { ActiveList().push_back(core); }

bool RemoveActiveSocket(SocketImp* core) {
    SimpleVector<SocketImp*>& list = ActiveList();
    for (uint32_t i = list.size(); i-- > 0;) {
        if (list.mBuf[i] == core) {
            list.remove_at(i);
            return true;
        }
    }
    return false;
}

// --- networking ---

int32_t StartNetworking() {
    if (sNetworkingStarted) return 0;
    if (!LoadWinsock()) return kSocketOpenDriverError;
    if (!LoadSecondaryWinsockTable()) return kSocketOpenDriverError;
    sNetworkingStarted = true;
    return 0;
}

bool NetworkingStarted() { return sNetworkingStarted; }

void ShutdownSockets() {
    if (!sNetworkingStarted) return;
    UnloadWinsock();
    UnloadSecondaryWinsockTable();
}

void SetNetworkingLoader(const WinsockLoader* loader) {
    ShutdownSockets();
    sNetworkingStarted = false;
    SetWinsockLoader(loader);
}

bool PollAllSockets(bool onlyUnowned) {
    if (!sNetworkingStarted) return false;
    bool activity = false;
    const bool pumpMessages = ActiveSocketCount() >= kPumpingSocketCount;
    for (int32_t i = ActiveSocketCount() - 1; i >= 0 && i < ActiveSocketCount(); --i) {
        SocketImp* core = ActiveSocketAt(i);
        if (onlyUnowned && core->owner) continue;
        core->Poll();
        if (ExceptionInFlight()) return activity;
        // The poll may have closed or destroyed this core and others: read the entry again.
        // Once activity is known the platform is not asked again.
        if (SocketImp* now = ActiveSocketAt(i)) {
            if (!activity && (now->IsSending() || now->HasIncomingData())) activity = true;
        }
        if (pumpMessages && i % kPumpStride == 0) {
            sMessagePump();
            if (ExceptionInFlight()) return activity;
        }
    }
    return activity;
}

void SetSocketMessagePump(bool (*pump)()) { sMessagePump = pump ? pump : PumpOneWindowMessage; }

// --- the poll timer ---

void AcquireNetworkPollTimer() {
    ++sPollTimerUsers;
    if (!sPollTask) sPollTask = new NetworkPollTask();
    if (sPollTask->mPeriod != kPollPeriodTicks || sPollTask->mTimerId == 0) {
        sPollTask->mPeriod = kPollPeriodTicks;
        sPollTask->StartTimer();
    }
}

void ReleaseNetworkPollTimer() {
    --sPollTimerUsers;
    if (sPollTask && sPollTimerUsers <= 0) {
        sPollTask->mPeriod = kParkedPeriodTicks;
        sPollTask->StopTimer();
    }
}

int32_t NetworkPollTimerPeriod() { return sPollTask ? sPollTask->mPeriod : 0; }

// --- the hold ---

void HoldSocketEvents() { ++sEventHold; }
void ReleaseSocketEvents() { --sEventHold; }
bool SocketEventsHeld() { return sEventHold > 0; }

string FormatDottedAddress(uint32_t address) {
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(&address);
    string text = StringFromInteger(bytes[0]);
    for (int i = 1; i < 4; ++i) {
        text.AppendCString(".");
        text.Append(StringFromInteger(bytes[i]));
    }
    return text;
}

extern "C" {

uint32_t socketGetEvents(ObjectHeader* socketObject) {
    if (!socketObject) return 0;
    SocketImp* core = SocketCoreOf(socketObject);
    if (!core) return 0;
    const uint32_t events = core->eventWord;
    core->eventWord = 0;
    return events;
}

int32_t DebuggerSocketCount() {
    int32_t count = 0;
    for (int32_t i = 0; i < ActiveSocketCount(); ++i)
        if (ActiveSocketAt(i)->owner) ++count;
    return count;
}

ObjectHeader* DebuggerSocketLookup(int32_t, int32_t index) {
    for (int32_t i = 0; i < ActiveSocketCount(); ++i) {
        ObjectHeader* owner = ActiveSocketAt(i)->owner;
        if (!owner) continue;
        if (index-- == 0) {
            RuntimeLockObject(owner);
            return owner;
        }
    }
    return nullptr;
}

}  // extern "C"
