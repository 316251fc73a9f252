// The Winsock back end of the UDP cores: a non-blocking datagram socket. Each poll takes at most
// one waiting datagram and sends at most one queued one; a datagram the platform cannot take yet
// stays queued for a later poll.
#pragma once

#include "UDPSocketCore.h"

class UDPSocketPosix final : public UDPSocketImp {
public:
    explicit UDPSocketPosix(ObjectHeader* owner);
    ~UDPSocketPosix() override;

    void Poll() override;
    int32_t GetLocalPort() override;
    int32_t GetHandle() override { return handle; }
    void Close(bool keepOwnerReference) override;
    void Reset(bool clearData) override;
    void Bind(int32_t newPort) override;
    void QueueDatagram(const DatagramRequest& request) override;
    bool JoinMulticastGroup(const string& group) override;
    void LeaveMulticastGroup(const string& group) override;
    void SetLoopback(bool flag) override;
    void SetRouterHops(int32_t hops) override;
    string GetBroadcastAddress() override;

    // Records an error and dispatches at once; the dispatch may destroy the core.
    void SetError(int32_t code);

    int32_t handle = -1;

private:
    // Each answers false when an error was reported (and the core may be gone).
    // Takes the next datagram, of the size FIONREAD gave.
    bool ReceiveOne(int32_t waiting);
    bool SendOne();
    bool SetMembership(const string& group, bool join);
    bool SetIntegerOption(int32_t winsock2Option, int32_t winsock1Option, int32_t value);
    bool UsableForOptions();
    // The address of the owner's NetworkInterface, 0 (any) without one.
    uint32_t OwnerInterfaceAddress();
};

// Platform numbers and the socket error codes they stand for on a UDP socket; other numbers are
// kept. Differs from the TCP table: 49 is 107 here, 2, 52 and 54 are kept.
int32_t TranslateUDPSocketError(int32_t platformNumber);
