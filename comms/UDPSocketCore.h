// The platform-independent part of a UDP socket core: the queues of received datagrams and of
// datagrams waiting to go out, the multicast settings, and the dispatch that turns the event word's
// bits into the SocketCore events DataAvailable, Error and SendComplete.
//
// Unlike a TCP core, a UDP core keeps its pending events in its event word: the back end sets 0x04
// (data), 0x02 (error) or 0x08 (send complete) and the dispatch clears each bit as it delivers it.
#pragma once

#include "SocketCore.h"
#include "core/SimpleVector.h"

// One received datagram. Its taker owns the record and both buffers (FreeDatagramRecord).
struct DatagramRecord {
    char* address;  // 16 bytes: the sender's dotted address, zero-terminated
    int32_t port;
    char* data;  // length + 1 bytes, the last one zero
    int32_t length;
};
DatagramRecord* NewDatagramRecord(const char* address, int32_t port, const void* data,
                                  int32_t length);
void FreeDatagramRecord(DatagramRecord* record);

// What a writer hands QueueDatagram; its memory stays the writer's.
struct DatagramRequest {
    const char* address;  // dotted text or a host name
    int32_t port;
    const char* data;
    int32_t length;
};

// A request as the core keeps it until it has gone out: a copy with the destination resolved.
struct QueuedDatagram : RuntimeAllocated {
    uint32_t address;  // network order
    int32_t port;
    char* data;
    int32_t length;
};

class UDPSocketImp : public SocketImp {
public:
    explicit UDPSocketImp(ObjectHeader* owner);
    ~UDPSocketImp() override;

    void DispatchEvents() override;
    bool IsSending() override { return outgoingRequests.size() > 0; }
    void Purge() override;
    void ClearOutput() override;
    int32_t GetHandle() override { return 0; }
    void Reset(bool clearData) override;

    virtual void Bind(int32_t newPort) { SocketImp::Listen(newPort); }
    virtual void QueueDatagram(const DatagramRequest& request);
    // The oldest received datagram, handed to the caller, or null.
    virtual DatagramRecord* NextDatagram();
    virtual bool JoinMulticastGroup(const string&) { return false; }
    virtual void LeaveMulticastGroup(const string&) {}
    virtual void SetLoopback(bool flag) { loopback = flag ? 1 : 0; }
    virtual void SetRouterHops(int32_t hops) { routerHops = hops; }
    virtual string GetBroadcastAddress() { return string(); }
    virtual int32_t PacketsAvailable() { return static_cast<int32_t>(incomingDatagrams.size()); }
    virtual int32_t PacketsLeftToSend() { return static_cast<int32_t>(outgoingRequests.size()); }

    int32_t routerHops = 0;
    uint8_t loopback = 1;
    SimpleVector<DatagramRecord*> incomingDatagrams;
    SimpleVector<QueuedDatagram*> outgoingRequests;

protected:
    void DiscardIncoming();
    void DiscardOutgoing();
};

// A new UDP core (the Winsock back end) for a UDPSocket object.
UDPSocketImp* NewUDPSocketCore(ObjectHeader* owner);
