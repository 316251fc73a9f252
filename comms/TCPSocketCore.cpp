#include "TCPSocketCore.h"

#include "SocketClasses.h"
#include "TCPSocketPosix.h"
#include "core/Exceptions.h"
#include "core/FailureReport.h"

namespace {

// A pool refill is under way somewhere up the stack; only one runs at a time in the process.
bool sRefillGuard = false;

TCPSocketImp* (*sCoreFactory)(ObjectHeader*, SocketListener*) = nullptr;

// Ready sockets added by each refill step beyond the first fill.
constexpr int32_t kRefillStep = 10;

void RemoveObject(SimpleVector<ObjectHeader*>& vector, ObjectHeader* object) {
    for (uint32_t i = vector.size(); i-- > 0;)
        if (vector.mBuf[i] == object) vector.remove_at(i);
}

}  // namespace

TCPSocketImp* NewTCPSocketCore(ObjectHeader* owner, SocketListener* listener) {
    if (sCoreFactory) return sCoreFactory(owner, listener);
    return new TCPSocketPosix(owner, listener);
}

void SetTCPSocketCoreFactory(TCPSocketImp* (*factory)(ObjectHeader*, SocketListener*)) {
    sCoreFactory = factory;
}

TCPSocketImp::TCPSocketImp(ObjectHeader* ownerObject, SocketListener* reportTo)
    : SocketImp(ownerObject), listener(reportTo) {
    TCPSocketImp::Reset(true);
}

TCPSocketImp::~TCPSocketImp() {
    TCPSocketImp::Close(true);
    FreePool(false);
}

void TCPSocketImp::Connect(const string& address, int32_t newPort) {
    Register(owner != nullptr, newPort);
    listenMode = 0;
    remoteAddress = address;
}

void TCPSocketImp::Listen(int32_t newPort) {
    SocketImp::Listen(newPort);
    listenMode = 1;
    if (pool) {
        pool->minimumAvailable = reinterpret_cast<ServerSocketObject*>(pool->mServerSocketControl)
                                     ->minimumSocketsAvailable;
        poolRefillPending = 1;
    }
}

void TCPSocketImp::FreePool(bool closeReadySockets) {
    if (!pool) return;
    ServerSocketPool* old = pool;
    pool = nullptr;
    // Closing a ready socket gives back the reference the pool held, which may destroy it.
    while (old->readySockets.size() > 0) {
        ObjectHeader* socket = old->readySockets.pop_back();
        if (TCPSocketImp* core = TCPCoreOf(socket)) {
            core->readyIn = nullptr;
            if (closeReadySockets) core->Close(false);
        }
    }
    delete old;
}

void TCPSocketImp::Close(bool keepOwnerReference) {
    if (pool) {
        for (int32_t i = ActiveSocketCount(); i-- > 0;) {
            TCPSocketImp* child = ActiveSocketAt(i)->AsTCP();
            if (child && child->parent == this) child->parent = nullptr;
        }
        if (!keepOwnerReference) FreePool(true);
    } else if (parent) {
        TCPSocketImp* listening = parent;
        parent = nullptr;
        listening->ChildClosed(this);
    }
    // A ready socket closed by its application leaves its pool, which would otherwise hand a
    // connection to it after its reference was given back.
    if (readyIn) {
        RemoveObject(readyIn->readySockets, owner);
        readyIn = nullptr;
    }
    SocketImp::Close(keepOwnerReference);
}

void TCPSocketImp::Reset(bool clearData) {
    SocketImp::Reset(clearData);
    remoteAddress = string();
    listenMode = 0;
    outputBuffer = string();
    if (clearData) inputBuffer = string();
    bytesSentSinceProgress = 0;
    sendCancelRequested = 0;
    // A pool still holding ready sockets here was not stopped first; they are let go with it.
    FreePool(true);
    parent = nullptr;
    isListening = 0;
    if (owner && ObjectIsaDefinition(owner, ServerSocket())) {
        ServerSocketObject* server = reinterpret_cast<ServerSocketObject*>(owner);
        pool = new ServerSocketPool();
        pool->minimumAvailable = server->minimumSocketsAvailable;
        pool->connectionsLeft = server->maximumSocketsConnected;
        pool->mServerSocketControl = owner;
        pool->filled = 0;
    }
}

string TCPSocketImp::Read(int32_t count) {
    string taken = LeftBytes(inputBuffer, count);
    inputBuffer = MidBytesFrom(inputBuffer, taken.Length() + 1);
    return taken;
}

string TCPSocketImp::ReadAll() {
    string taken = inputBuffer;
    inputBuffer = string();
    return taken;
}

bool TCPSocketImp::SetError(int32_t code) {
    if (code == 0) return false;
    lastError = code;
    return false;
}

bool TCPSocketImp::CanDeliver() const { return listener || (!SocketEventsHeld() && owner); }

void TCPSocketImp::DispatchEvents() {
    Liveness alive(this);
    ObjectHeader* held = owner;
    if (held) RuntimeLockObject(held);
    // After each report the core may be gone (its owner dropped elsewhere) or an exception may be
    // on its way to a handler: either way the dispatch ends there.
    auto stopped = [&] {
        if (alive.Alive() && !ExceptionInFlight()) return false;
        if (held) RuntimeUnlockObject(held);
        return true;
    };

    if (connectPending && CanDeliver()) {
        connectPending = 0;
        isConnected = 1;
        eventWord |= kSocketEventConnected;
        if (listener)
            listener->Connected(this);
        else
            FireSocketConnected(owner);
        if (stopped()) return;
    }
    if (dataPending && CanDeliver()) {
        dataPending = 0;
        eventWord |= kSocketEventDataAvailable;
        if (listener)
            listener->DataAvailable(this);
        else
            FireSocketDataAvailable(owner);
        if (stopped()) return;
    }
    if (sendCompletePending && CanDeliver()) {
        sendCompletePending = 0;
        eventWord |= kSocketEventSendComplete;
        const bool aborted = sendCancelRequested != 0;
        sendCancelRequested = 0;
        if (listener)
            listener->SendComplete(this);
        else
            FireSocketSendComplete(owner, aborted);
        if (stopped()) return;
    }
    if (poolRefillPending) {
        if (sRefillGuard) {
            if (held) RuntimeUnlockObject(held);
            return;
        }
        sRefillGuard = true;
        eventWord |= kSocketEventPoolRefill;
        if (!SocketEventsHeld()) {
            if (!pool) {
                poolRefillPending = 0;
            } else {
                // Each step adds ready sockets until the pool is full enough; a step in which
                // AddSocket gave no socket ends the refill for now and leaves it pending.
                for (;;) {
                    const RefillResult result = RefillPool();
                    if (!alive.Alive() || ExceptionInFlight()) break;
                    if (result == RefillResult::Full) poolRefillPending = 0;
                    if (result != RefillResult::NotFull) break;
                }
            }
        }
        sRefillGuard = false;
        if (stopped()) return;
    }
    if (progressPending && CanDeliver()) {
        progressPending = 0;
        eventWord |= kSocketEventSendProgress;
        const int32_t sent = bytesSentSinceProgress;
        const int32_t left = BytesLeftToSend();
        if (listener) {
            listener->SendProgress(this, sent, left);
        } else {
            sendCancelRequested = FireSocketSendProgress(owner, sent, left) ? 1 : 0;
        }
        if (stopped()) return;
        // Bytes sent by a poll that the handler ran are reported next time.
        bytesSentSinceProgress = bytesSentSinceProgress > sent ? bytesSentSinceProgress - sent : 0;
        if (BytesLeftToSend() == 0 || sendCancelRequested) {
            if (sendCancelRequested) ClearOutput();
            sendCompletePending = 1;
            eventWord |= kSocketEventSendComplete;
        }
    }
    if (errorPending && CanDeliver()) {
        errorPending = 0;
        eventWord |= kSocketEventError;
        isConnected = 0;
        if (listener)
            listener->Error(this, lastError);
        else if (pool)
            ServerSocketFireErrorEvent(pool->mServerSocketControl, lastError);
        else
            FireSocketError(owner);
        if (stopped()) return;
    } else if (errorPending && !owner && !SocketEventsHeld()) {
        // Nobody to tell: the error still closes the core.
        errorPending = 0;
        eventWord |= kSocketEventError;
        isConnected = 0;
    }
    if (held) {
        RuntimeUnlockObject(held);
        if (!alive.Alive()) return;
    }
    SocketImp::DispatchEvents();
}

// --- the pool ---

bool TCPSocketImp::AddPooledSocket() {
    ServerSocketPool* filling = pool;
    ObjectHeader* socket = FireServerSocketAddSocket(pool->mServerSocketControl);
    if (!socket) return false;
    if (pool != filling) {
        // The handler stopped or restarted the server: the socket is not wanted.
        RuntimeUnlockObject(socket);
        return false;
    }
    TCPSocketImp* core = TCPCoreOf(socket);
    if (core->holdsOwnerReference)
        RuntimeUnlockObject(socket);  // already held by its own open core
    else
        core->holdsOwnerReference = 1;
    core->readyIn = pool;
    pool->readySockets.push_back(socket);
    AddActiveSocket(core);
    return true;
}

TCPSocketImp::RefillResult TCPSocketImp::RefillPool() {
    Liveness alive(this);
    ServerSocketPool* filling = pool;
    if (!pool->filled) {
        if (!pool->mServerSocketControl) {
            ReportAssertion(
                "TCPSocket", __LINE__, "ss->mServerSocketControl",
                "Trying to fill the server socket up, but there was no control specified");
            return RefillResult::GaveUp;
        }
        ObjectHeader* server = pool->mServerSocketControl;
        RuntimeLockObject(server);
        const int32_t count = pool->minimumAvailable + kRefillStep;
        bool gaveUp = false;
        for (int32_t i = 0; i < count && !gaveUp; ++i) {
            if (!AddPooledSocket() || !alive.Alive() || pool != filling) gaveUp = true;
        }
        if (alive.Alive() && pool == filling) pool->filled = 1;
        RuntimeUnlockObject(server);
        return gaveUp ? RefillResult::GaveUp : RefillResult::Full;
    }
    if (static_cast<int32_t>(pool->readySockets.size()) >= pool->minimumAvailable)
        return RefillResult::Full;
    for (int32_t i = 0; i < kRefillStep; ++i) {
        if (!AddPooledSocket() || !alive.Alive() || pool != filling) return RefillResult::GaveUp;
    }
    return static_cast<int32_t>(pool->readySockets.size()) >= pool->minimumAvailable
               ? RefillResult::Full
               : RefillResult::NotFull;
}

bool TCPSocketImp::HandOffConnection(int32_t platformSocket) {
    if (!pool || pool->readySockets.size() == 0 || pool->connectionsLeft == 0) return false;
    ObjectHeader* socket = pool->readySockets.pop_back();
    TCPSocketImp* child = socket ? TCPCoreOf(socket) : nullptr;
    if (!child) return false;
    pool->connectedSockets.push_back(socket);
    child->readyIn = nullptr;
    child->parent = this;
    child->TakeConnection(platformSocket);
    child->isConnected = 1;
    pool->connectionsLeft -= 1;
    poolRefillPending = 1;
    child->connectPending = 1;
    child->DispatchEvents();
    return true;
}

void TCPSocketImp::ChildClosed(TCPSocketImp* child) {
    if (!pool) return;
    pool->connectionsLeft += 1;
    poolRefillPending = 1;
    RemoveObject(pool->connectedSockets, child->owner);
}
