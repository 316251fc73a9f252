// The platform-independent part of a TCP socket core: the stream operations, the dispatch that
// turns the back end's pending flags into reports in a fixed order, and the server-socket pool
// that hands each incoming connection of a ServerSocket to a ready TCPSocket.
//
// The operations of this class keep their bytes in two Strings; the Winsock back end
// (TCPSocketPosix.h) overrides them with byte queues.
#pragma once

#include "SocketCore.h"
#include "core/SimpleVector.h"

class TCPSocketImp;

// The ready and connected sockets of a listening ServerSocket core; owned by that core.
struct ServerSocketPool : RuntimeAllocated {
    SimpleVector<ObjectHeader*> readySockets;      // TCPSockets, one reference held on each
    SimpleVector<ObjectHeader*> connectedSockets;  // TCPSockets handed a connection, not held
    int32_t minimumAvailable = 0;
    int32_t connectionsLeft = 0;
    ObjectHeader* mServerSocketControl = nullptr;  // the ServerSocket, not held
    uint8_t filled = 0;
};

class TCPSocketImp : public SocketImp {
public:
    TCPSocketImp(ObjectHeader* owner, SocketListener* listener);
    ~TCPSocketImp() override;

    void Listen(int32_t port) override;
    void DispatchEvents() override;
    bool IsSending() override { return !outputBuffer.IsEmpty(); }
    void Purge() override { inputBuffer = string(); }
    void ClearOutput() override { outputBuffer = string(""); }
    void Close(bool keepOwnerReference) override;
    void Reset(bool clearData) override;
    TCPSocketImp* AsTCP() override { return this; }

    virtual void Connect(const string& address, int32_t port);
    virtual void Write(const string& data) { outputBuffer.Append(data); }
    virtual string Read(int32_t count);
    virtual string ReadAll();
    virtual string GetRemoteAddress() { return string(); }
    // Records an error: false for 0, else true.
    virtual bool SetError(int32_t code);
    virtual void ChildClosed(TCPSocketImp* child);
    virtual int32_t BytesAvailable() { return inputBuffer.Length(); }
    virtual int32_t BytesLeftToSend() { return outputBuffer.Length(); }
    virtual string Lookahead() { return inputBuffer; }
    // Gives a pooled core the platform socket of a connection handed off to it.
    virtual void TakeConnection(int32_t) {}

    // Hands the platform socket of an accepted connection to the last ready socket of the pool;
    // false when the pool has none or may take no more (the caller closes the platform socket).
    bool HandOffConnection(int32_t platformSocket);

    SocketListener* Listener() const { return listener; }
    void SetListener(SocketListener* newListener) { listener = newListener; }

    string remoteAddress;
    string outputBuffer;
    string inputBuffer;
    SocketListener* listener;
    uint8_t isListening = 0;
    uint8_t listenMode = 0;
    // A SendProgress handler of this core answered True: the rest of its output is dropped and its
    // next SendComplete reports userAborted.
    uint8_t sendCancelRequested = 0;
    ServerSocketPool* pool = nullptr;
    TCPSocketImp* parent = nullptr;
    // The pool that lists this core's owner among its ready sockets, not owned.
    ServerSocketPool* readyIn = nullptr;

private:
    enum class RefillResult { Full, NotFull, GaveUp };
    RefillResult RefillPool();
    bool AddPooledSocket();
    void FreePool(bool closeReadySockets);
    // Whether a report can go out now: to the listener, or as a language event of the owner
    // while events are not held.
    bool CanDeliver() const;
};

// A new TCP core (the Winsock back end) for owner, which may be null, reporting to listener when
// one is given.
TCPSocketImp* NewTCPSocketCore(ObjectHeader* owner, SocketListener* listener);

// Test hook: while set, NewTCPSocketCore makes its cores with this function.
void SetTCPSocketCoreFactory(TCPSocketImp* (*factory)(ObjectHeader* owner,
                                                      SocketListener* listener));
