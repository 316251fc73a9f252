#include "TCPSocketPosix.h"

#include "SocketClasses.h"
#include "WinsockTables.h"
#include "core/Exceptions.h"

namespace {

// Received bytes pass through this buffer, shared by every core, on their way to a queue.
uint8_t* ScratchBuffer() {
    static uint8_t* buffer =
        static_cast<uint8_t*>(GuardedNew(TCPSocketPosix::kRequestedBufferSize));
    return buffer;
}

SOCKET Native(int32_t handle) { return static_cast<SOCKET>(static_cast<intptr_t>(handle)); }

sockaddr_in IPv4Address(uint32_t address, int32_t port) {
    sockaddr_in result = {};
    result.sin_family = AF_INET;
    result.sin_port = gWinsock.htons(static_cast<u_short>(port));
    result.sin_addr.s_addr = address;
    return result;
}

// An accept that finds no connection after all, or one that was reset or aborted before it was
// taken, leaves the listener as it was.
bool AcceptFailureKeepsListening(int32_t number) {
    return number == 35 || number == 36 || number == 37 || number == 53 || number == 54;
}

}  // namespace

TCPSocketPosix::TCPSocketPosix(ObjectHeader* ownerObject, SocketListener* reportTo)
    : TCPSocketImp(ownerObject, reportTo) {
    receiveQueue = new MemoryManager();
    sendQueue = new MemoryManager();
    bufferSize = kDefaultBufferSize;
    TCPSocketPosix::Reset(true);
}

TCPSocketPosix::~TCPSocketPosix() { TCPSocketPosix::Close(true); }

void TCPSocketPosix::Reset(bool clearData) {
    TCPSocketImp::Reset(clearData);
    accepting = 0;
    sendBlocked = 0;
    handle = -1;
    if (clearData) {
        delete receiveQueue;
        delete sendQueue;
        receiveQueue = new MemoryManager();
        sendQueue = new MemoryManager();
    }
}

void TCPSocketPosix::Close(bool keepOwnerReference) {
    if (handle != -1) gWinsock.closesocket(Native(handle));
    handle = -1;
    if (keepOwnerReference) {
        delete receiveQueue;
        delete sendQueue;
        receiveQueue = nullptr;
        sendQueue = nullptr;
    }
    TCPSocketImp::Close(keepOwnerReference);
}

bool TCPSocketPosix::RequireNetworking() {
    if (StartNetworking() == 0) return true;
    SetError(kSocketOpenDriverError);
    return false;
}

bool TCPSocketPosix::CreateSocket() {
    const SOCKET created = gWinsock.socket(AF_INET, SOCK_STREAM, 0);
    if (created == INVALID_SOCKET) {
        SetError(PlatformErrno());
        return false;
    }
    handle = static_cast<int32_t>(created);
    SetBufferSizes(kRequestedBufferSize);
    SetBlocking(false);
    return true;
}

void TCPSocketPosix::SetBufferSizes(int32_t size) {
    // Sizes the platform refuses are lowered by a quarter at a time; at 8192 or less its own stay.
    for (; size > kDefaultBufferSize; size = static_cast<int32_t>(size * 3LL / 4)) {
        if (gWinsock.setsockopt(Native(handle), SOL_SOCKET, SO_SNDBUF,
                                reinterpret_cast<const char*>(&size), sizeof size) != 0)
            continue;
        gWinsock.setsockopt(Native(handle), SOL_SOCKET, SO_RCVBUF,
                            reinterpret_cast<const char*>(&size), sizeof size);
        bufferSize = size;
        return;
    }
}

void TCPSocketPosix::SetBlocking(bool blocking) {
    u_long nonBlocking = blocking ? 0 : 1;
    gWinsock.ioctlsocketBlocking(Native(handle), FIONBIO, &nonBlocking);
}

void TCPSocketPosix::Connect(const string& address, int32_t newPort) {
    Reset(true);
    TCPSocketImp::Connect(address, newPort);
    // Each failure below is reported at once, and its Error handler may destroy this core: the
    // first one ends the connect.
    if (!RequireNetworking() || !CreateSocket()) return;
    const uint32_t* resolved = ResolveAddress(address.CString());
    if (!resolved) {
        SetError(kSocketNameResolutionError);
        return;
    }
    const sockaddr_in target = IPv4Address(*resolved, newPort);
    // A socket given a NetworkInterface leaves from that interface's address.
    if (const uint32_t interfaceAddress = SocketBindAddress(owner)) {
        const sockaddr_in local = IPv4Address(interfaceAddress, 0);
        if (gWinsock.bind(Native(handle), reinterpret_cast<const sockaddr*>(&local),
                          sizeof local) != 0) {
            SetError(PlatformErrno());
            return;
        }
    }
    if (gWinsock.connect(Native(handle), reinterpret_cast<const sockaddr*>(&target),
                         sizeof target) == 0) {
        isConnected = 1;
        connectPending = 1;
        DispatchEvents();
        return;
    }
    if (IsWouldBlock()) return;
    SetError(PlatformErrno());
}

void TCPSocketPosix::Listen(int32_t newPort) {
    Reset(true);
    TCPSocketImp::Listen(newPort);
    if (!RequireNetworking() || !CreateSocket()) return;
    // SO_REUSEADDR lets a server listen again at once on a port whose old connections linger.
    const int32_t reuse = 1;
    if (gWinsock.setsockopt(Native(handle), SOL_SOCKET, SO_REUSEADDR,
                            reinterpret_cast<const char*>(&reuse), sizeof reuse) != 0) {
        SetError(PlatformErrno());
        return;
    }
    const sockaddr_in local = IPv4Address(SocketBindAddress(owner), newPort);
    if (gWinsock.bind(Native(handle), reinterpret_cast<const sockaddr*>(&local), sizeof local) !=
        0) {
        int32_t number = PlatformErrno();
        // With SO_REUSEADDR a port that another socket holds answers "access denied", as a port
        // the platform forbids does; asked once more without the option, a held port tells
        // itself apart as "address in use".
        if (number == 13) {
            const int32_t noReuse = 0;
            gWinsock.setsockopt(Native(handle), SOL_SOCKET, SO_REUSEADDR,
                                reinterpret_cast<const char*>(&noReuse), sizeof noReuse);
            if (gWinsock.bind(Native(handle), reinterpret_cast<const sockaddr*>(&local),
                              sizeof local) == 0) {
                // Free after all; listen with the option as asked.
                gWinsock.setsockopt(Native(handle), SOL_SOCKET, SO_REUSEADDR,
                                    reinterpret_cast<const char*>(&reuse), sizeof reuse);
                number = 0;
            } else {
                number = PlatformErrno();
            }
        }
        if (number != 0) {
            SetError(number);
            return;
        }
    }
    accepting = 1;
    if (gWinsock.listen(Native(handle), 5) != 0) {
        SetError(PlatformErrno());
        return;
    }
    if (pool) isListening = 1;
}

void TCPSocketPosix::Poll() {
    if (handle == -1) return;
    Liveness alive(this);
    fd_set readSet, writeSet, errorSet;
    FD_ZERO(&readSet);
    FD_ZERO(&writeSet);
    FD_ZERO(&errorSet);
    const bool wantRead = isConnected || accepting;
    const bool wantWrite = !isConnected || sendBlocked || IsSending();
    if (wantRead) FD_SET(Native(handle), &readSet);
    if (wantWrite) FD_SET(Native(handle), &writeSet);
    FD_SET(Native(handle), &errorSet);
    const timeval zero = {0, 0};
    const int found = gWinsock.select(handle + 1, wantRead ? &readSet : nullptr,
                                      wantWrite ? &writeSet : nullptr, &errorSet, &zero);
    if (found < 0) {
        SetError(PlatformErrno());
        return;
    }
    if (found > 0) {
        if (handle != -1 && wantRead && gWinsock.WSAFDIsSet(Native(handle), &readSet)) {
            if (accepting) {
                // A pool still waiting for its sockets gets them first: a client that arrives
                // before the first refill would otherwise find no ready socket and be closed.
                if (pool && poolRefillPending) {
                    DispatchEvents();
                    if (!alive.Alive() || ExceptionInFlight() || handle == -1) return;
                }
                if (!DoAccept()) return;
            } else if (!isConnected) {
                // The connection is complete; its data, if any, is read on a later poll.
                isConnected = 1;
                connectPending = 1;
            } else if (!RecvToBuffer()) {
                return;
            }
        }
        if (handle != -1 && wantWrite && gWinsock.WSAFDIsSet(Native(handle), &writeSet)) {
            if (!isConnected && !(eventWord & kSocketEventError)) {
                sockaddr_in peer;
                int length = sizeof peer;
                if (gWinsock.getpeername(Native(handle), reinterpret_cast<sockaddr*>(&peer),
                                         &length) != 0) {
                    SetError(PlatformErrno());
                    return;
                }
                isConnected = 1;
                connectPending = 1;
            } else {
                sendBlocked = 0;
                SendFromBuffer();
                if (!alive.Alive() || ExceptionInFlight()) return;
            }
        }
        if (handle != -1 && gWinsock.WSAFDIsSet(Native(handle), &errorSet) &&
            !(eventWord & kSocketEventError)) {
            SetError(isConnected ? kSocketLostConnection : kSocketNameResolutionError);
            return;
        }
    }
    DispatchEvents();
}

bool TCPSocketPosix::RecvToBuffer() {
    uint8_t* scratch = ScratchBuffer();
    const int received =
        gWinsock.recv(Native(handle), reinterpret_cast<char*>(scratch), bufferSize, 0);
    if (received > 0) {
        receiveQueue->Append(scratch, received);
        dataPending = 1;
        return true;
    }
    if (received == 0) {
        SetError(kSocketLostConnection);
        return false;
    }
    if (IsWouldBlock()) return true;
    SetError(PlatformErrno());
    return false;
}

void TCPSocketPosix::SendFromBuffer() {
    if (!sendQueue || sendQueue->IsEmpty()) return;
    int32_t length = 0;
    const uint8_t* piece = sendQueue->PeekContiguous(&length);
    bool cut = false;
    if (length > kMaximumSendPiece) {
        length = kMaximumSendPiece;
        cut = true;
    }
    const int sent = gWinsock.send(Native(handle), reinterpret_cast<const char*>(piece), length, 0);
    if (sent >= 0) {
        sendQueue->Consume(sent);
        sendBlocked = (sent < length || cut) ? 1 : 0;
        progressPending = 1;
        bytesSentSinceProgress += sent;
        return;
    }
    if (IsWouldBlock()) {
        sendBlocked = 1;
        return;
    }
    SetError(PlatformErrno());
}

bool TCPSocketPosix::DoAccept() {
    const SOCKET accepted = gWinsock.accept(Native(handle), nullptr, nullptr);
    if (accepted == INVALID_SOCKET) {
        const int32_t number = PlatformErrno();
        if (AcceptFailureKeepsListening(number)) return true;
        SetError(number);
        return false;
    }
    if (!pool) {
        // A TCPSocket that listens becomes its one connection.
        gWinsock.closesocket(Native(handle));
        handle = static_cast<int32_t>(accepted);
        isConnected = 1;
        connectPending = 1;
        accepting = 0;
        return true;
    }
    Liveness alive(this);
    const bool taken = HandOffConnection(static_cast<int32_t>(accepted));
    if (!taken) gWinsock.closesocket(accepted);
    return alive.Alive() && !ExceptionInFlight();
}

void TCPSocketPosix::TakeConnection(int32_t platformSocket) {
    handle = platformSocket;
    // The connection keeps the buffers of the listening socket it came from; take as many bytes
    // per poll as they hold.
    int32_t size = 0;
    int length = sizeof size;
    if (gWinsock.getsockopt(Native(handle), SOL_SOCKET, SO_RCVBUF, reinterpret_cast<char*>(&size),
                            &length) == 0 &&
        size > bufferSize)
        bufferSize = size < kRequestedBufferSize ? size : kRequestedBufferSize;
}

bool TCPSocketPosix::SetError(int32_t code) {
    TCPSocketImp::SetError(code);
    if (code == 0) return false;
    lastError = TranslateSocketError(code);
    errorPending = 1;
    // A ServerSocket has no LastErrorCode: its code goes to its Error event only.
    if (owner && ObjectIsaDefinition(owner, SocketCore()))
        reinterpret_cast<SocketCoreObject*>(owner)->lastErrorCode = lastError;
    DispatchEvents();
    return true;
}

bool TCPSocketPosix::IsSending() {
    if (!sendQueue) return TCPSocketImp::IsSending();
    return !sendQueue->IsEmpty();
}

bool TCPSocketPosix::HasIncomingData() {
    if (handle == -1) return false;
    u_long waiting = 0;
    return gWinsock.ioctlsocketCount(Native(handle), FIONREAD, &waiting) == 0 && waiting > 0;
}

void TCPSocketPosix::Purge() {
    if (receiveQueue) receiveQueue->Clear();
    inputBuffer = string();
}

void TCPSocketPosix::ClearOutput() {
    if (sendQueue) sendQueue->Clear();
    outputBuffer = string();
}

int32_t TCPSocketPosix::GetLocalPort() { return LocalPortOf(handle); }

void TCPSocketPosix::Write(const string& data) {
    if (!sendQueue) return;
    sendQueue->Append(data.CString(), data.Length());
    sendBlocked = 1;
}

string TCPSocketPosix::TakeFromQueue(int32_t count, bool remove) {
    string result;
    if (!receiveQueue || count <= 0) return result;
    if (count > receiveQueue->Total()) count = receiveQueue->Total();
    if (count <= 0) return result;
    char* bytes = result.AllocateBytes(count);
    if (!bytes) return result;
    receiveQueue->Read(bytes, count, remove);
    return result;
}

string TCPSocketPosix::Read(int32_t count) { return TakeFromQueue(count, true); }

string TCPSocketPosix::ReadAll() {
    return TakeFromQueue(receiveQueue ? receiveQueue->Total() : 0, true);
}

string TCPSocketPosix::Lookahead() {
    return TakeFromQueue(receiveQueue ? receiveQueue->Total() : 0, false);
}

int32_t TCPSocketPosix::BytesAvailable() { return receiveQueue ? receiveQueue->Total() : 0; }

int32_t TCPSocketPosix::BytesLeftToSend() {
    return sendQueue ? sendQueue->Total() : outputBuffer.Length();
}

string TCPSocketPosix::GetRemoteAddress() {
    if (handle == -1) return string();
    sockaddr_in peer;
    int length = sizeof peer;
    if (gWinsock.getpeername(Native(handle), reinterpret_cast<sockaddr*>(&peer), &length) != 0) {
        const int32_t number = PlatformErrno();
        if (!(eventWord & kSocketEventError) && number != 57) SetError(number);
        return string();
    }
    const char* text = gWinsock.inet_ntoa(peer.sin_addr);
    return string(text);
}
