// The socket core shared by every network socket, and the polling that drives all of them.
//
// Sockets are polled, never driven by notifications. A core that has been opened (Listen, Connect
// or Bind) is in the active socket list; PollAllSockets walks the list from the last core to the
// first and asks each to poll its platform socket and turn what it found into reports: listener
// calls for native users (the debugger's wire), events of the owning language object otherwise.
//
// Who holds whom:
// - An open core whose owner is a TCPSocket holds one reference on it (holdsOwnerReference) until
//   it closes, so a connected socket lives on without other references. A ServerSocket is not held
//   by its listening core.
// - A server pool holds one reference on each of its ready TCPSockets; handed-off sockets are
//   listed but not held.
// - A dispatch holds its owner for as long as it runs the owner's handlers.
// - The active list, the listener and a handed-off core's parent hold nothing.
// Event handlers run inside Poll and DispatchEvents and may close, reopen or destroy any core, the
// running one too (dropping an owner's last reference destroys its core). After every call that
// may run application code, a core either re-reads what it uses or stops: SocketImp::Liveness tells
// it whether it still exists, and PollAllSockets re-reads its list entry after each Poll.
#pragma once

#include <cstdint>

#include "core/GuardedMemory.h"
#include "core/ObjectModel.h"
#include "core/RuntimeString.h"

// Socket error codes, the constants of the language class SocketCore. Any other value is a
// Winsock error number minus 10000.
enum SocketError : int32_t {
    kSocketNoError = 0,
    kSocketOpenDriverError = 100,
    kSocketLostConnection = 102,
    kSocketNameResolutionError = 103,
    kSocketAddressInUseError = 105,
    kSocketInvalidStateError = 106,
    kSocketInvalidPortError = 107,
    kSocketOutOfMemoryError = 108,
};

// The bits of a core's event word.
enum SocketEventBit : uint32_t {
    kSocketEventConnected = 0x01,
    kSocketEventError = 0x02,
    kSocketEventDataAvailable = 0x04,
    kSocketEventSendComplete = 0x08,
    kSocketEventPoolRefill = 0x10,
    kSocketEventSendProgress = 0x20,
};

class SocketImp;

// Native code that takes a core's reports instead of language events. Not owned by the core.
class SocketListener {
public:
    virtual ~SocketListener() = default;
    virtual void Connected(SocketImp*) {}
    virtual void DataAvailable(SocketImp*) {}
    virtual void SendComplete(SocketImp*) {}
    virtual void Error(SocketImp*, int32_t /*code*/) {}
    virtual void SendProgress(SocketImp*, int32_t /*bytesSent*/, int32_t /*bytesLeft*/) {}
};

class SocketImp : public RuntimeAllocated {
public:
    explicit SocketImp(ObjectHeader* owner);
    virtual ~SocketImp();
    SocketImp(const SocketImp&) = delete;
    SocketImp& operator=(const SocketImp&) = delete;

    virtual void Listen(int32_t port);
    virtual void Poll() {}
    virtual void DispatchEvents();
    virtual bool IsSending() { return false; }
    virtual bool HasIncomingData() { return false; }
    virtual void Purge() {}
    virtual void ClearOutput() {}
    virtual int32_t GetLocalPort() { return -1; }
    virtual int32_t GetHandle() { return 0; }
    virtual void Close(bool keepOwnerReference);
    virtual void Reset(bool clearData);
    // The core as a TCP core, or null.
    virtual class TCPSocketImp* AsTCP() { return nullptr; }

    // Tells whether a core still exists after a call that may have destroyed it. Made on the
    // stack around such calls; the core's destructor marks every one of its watches.
    class Liveness {
    public:
        explicit Liveness(SocketImp* core);
        ~Liveness();
        Liveness(const Liveness&) = delete;
        Liveness& operator=(const Liveness&) = delete;
        bool Alive() const { return mCore != nullptr; }

    private:
        friend class SocketImp;
        SocketImp* mCore;
        Liveness* mNext;
    };

    ObjectHeader* owner;
    int32_t bytesSentSinceProgress = 0;
    int32_t port = 0;
    uint8_t connectPending = 0;
    uint8_t dataPending = 0;
    uint8_t sendCompletePending = 0;
    uint8_t errorPending = 0;
    uint8_t poolRefillPending = 0;
    uint8_t progressPending = 0;
    int32_t lastError = 0;
    uint32_t eventWord = 0;
    uint8_t isConnected = 0;
    uint8_t holdsOwnerReference = 0;

protected:
    // Enters the core in the active list and takes the reference on an owner when asked to.
    void Register(bool holdOwner, int32_t newPort);

private:
    Liveness* mWatches = nullptr;
};

// --- networking as a whole ---

// 0 when networking is (already) started, 100 when the Winsock libraries or entry points cannot be
// loaded; a failed start is tried again at the next call.
int32_t StartNetworking();
bool NetworkingStarted();
// Unloads both Winsock entry-point tables when networking was started; open sockets stay as they
// are.
void ShutdownSockets();

// Polls every core of the active list (only those without an owner when onlyUnowned is set); true
// when any polled core still had bytes to send or unread bytes in its platform socket.
bool PollAllSockets(bool onlyUnowned);

// The active list, in registration order; the list does not own its cores.
int32_t ActiveSocketCount();
SocketImp* ActiveSocketAt(int32_t index);
// Appends the core at the end of the list; no duplicate check is made.
void AddActiveSocket(SocketImp* core);
// Removes the last entry of the core, keeping the order of the others; false when it is not listed.
bool RemoveActiveSocket(SocketImp* core);

// The shared poll timer: a periodic task of 5 ticks while it has users, parked at 0x7fffffff ticks
// (never due) otherwise. Sockets, serial ports and inter-process transports are its users.
void AcquireNetworkPollTimer();
void ReleaseNetworkPollTimer();
// The timer's period in ticks, 0 before its first use.
int32_t NetworkPollTimerPeriod();

// The debugger's hold: while held, cores without a listener keep their events pending.
void HoldSocketEvents();
void ReleaseSocketEvents();
bool SocketEventsHeld();

// The text of an IPv4 address held in network byte order: "a.b.c.d".
string FormatDottedAddress(uint32_t address);

// Test hook: stops networking and replaces how the Winsock tables reach their libraries (null
// restores the system's); the next StartNetworking loads them through it.
void SetNetworkingLoader(const struct WinsockLoader* loader);

// Test hook: the message pump PollAllSockets runs every 13 cores while 25 or more are listed
// (null restores the window system's).
void SetSocketMessagePump(bool (*pump)());

extern "C" {
// The event word of the object's core, cleared; 0 for a null object or one without a core.
uint32_t socketGetEvents(ObjectHeader* socketObject);
int32_t DebuggerSocketCount();
ObjectHeader* DebuggerSocketLookup(int32_t ignored, int32_t index);
}
