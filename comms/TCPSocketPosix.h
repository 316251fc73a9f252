// The Winsock back end of the TCP cores: a non-blocking stream socket that is never waited on.
// Each poll asks the platform, with a zero timeout, whether the socket is readable, writable or in
// error and completes a connection, accepts one, moves received bytes into the receive queue or
// hands queued bytes to the platform; what it finds becomes pending flags that the inherited
// dispatch reports.
#pragma once

#include "MemoryManager.h"
#include "TCPSocketCore.h"

class TCPSocketPosix final : public TCPSocketImp {
public:
    // The buffer size a core has until the platform grants a larger one, and the size it asks for.
    static constexpr int32_t kDefaultBufferSize = 8192;
    static constexpr int32_t kRequestedBufferSize = 1048576;
    // The most bytes one poll offers the platform.
    static constexpr int32_t kMaximumSendPiece = 65536;

    TCPSocketPosix(ObjectHeader* owner, SocketListener* listener);
    ~TCPSocketPosix() override;

    void Listen(int32_t port) override;
    void Poll() override;
    bool IsSending() override;
    bool HasIncomingData() override;
    void Purge() override;
    void ClearOutput() override;
    int32_t GetLocalPort() override;
    int32_t GetHandle() override { return handle; }
    void Close(bool keepOwnerReference) override;
    void Reset(bool clearData) override;
    void Connect(const string& address, int32_t port) override;
    void Write(const string& data) override;
    string Read(int32_t count) override;
    string ReadAll() override;
    string GetRemoteAddress() override;
    bool SetError(int32_t code) override;
    int32_t BytesAvailable() override;
    int32_t BytesLeftToSend() override;
    string Lookahead() override;
    void TakeConnection(int32_t platformSocket) override;

    int32_t handle = -1;
    int32_t bufferSize = kDefaultBufferSize;
    MemoryManager* receiveQueue = nullptr;
    MemoryManager* sendQueue = nullptr;
    uint8_t accepting = 0;
    uint8_t sendBlocked = 0;

private:
    // Each of these may report an error, which dispatches at once and may destroy the core: they
    // answer false when the caller must stop.
    bool CreateSocket();
    void SetBufferSizes(int32_t size);
    void SetBlocking(bool blocking);
    void SendFromBuffer();
    bool RecvToBuffer();
    bool DoAccept();
    // Reports the error unless networking could be started; false when it could not.
    bool RequireNetworking();
    string TakeFromQueue(int32_t count, bool remove);
};
