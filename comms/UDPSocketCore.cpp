#include "UDPSocketCore.h"

#include <cstring>

#include "SocketClasses.h"
#include "UDPSocketPosix.h"
#include "core/Exceptions.h"

DatagramRecord* NewDatagramRecord(const char* address, int32_t port, const void* data,
                                  int32_t length) {
    auto* record = static_cast<DatagramRecord*>(GuardedNew(sizeof(DatagramRecord)));
    if (!record) return nullptr;
    record->address = static_cast<char*>(GuardedNew(16));
    record->data = static_cast<char*>(GuardedNew(static_cast<size_t>(length) + 1));
    if (!record->address || !record->data) {
        FreeDatagramRecord(record);
        return nullptr;
    }
    std::memset(record->address, 0, 16);
    if (address) std::strncpy(record->address, address, 15);
    record->port = port;
    if (length > 0) std::memcpy(record->data, data, static_cast<size_t>(length));
    record->data[length] = 0;
    record->length = length;
    return record;
}

void FreeDatagramRecord(DatagramRecord* record) {
    if (!record) return;
    GuardedDelete(record->address);
    GuardedDelete(record->data);
    GuardedDelete(record);
}

UDPSocketImp* NewUDPSocketCore(ObjectHeader* owner) { return new UDPSocketPosix(owner); }

UDPSocketImp::UDPSocketImp(ObjectHeader* ownerObject) : SocketImp(ownerObject) {
    StartNetworking();
    UDPSocketImp::Reset(true);
}

UDPSocketImp::~UDPSocketImp() {
    SocketImp::Close(true);
    DiscardIncoming();
    DiscardOutgoing();
}

void UDPSocketImp::DiscardIncoming() {
    while (incomingDatagrams.size() > 0) FreeDatagramRecord(incomingDatagrams.pop_back());
}

void UDPSocketImp::DiscardOutgoing() {
    while (outgoingRequests.size() > 0) {
        QueuedDatagram* request = outgoingRequests.pop_back();
        GuardedDelete(request->data);
        delete request;
    }
}

void UDPSocketImp::Purge() { DiscardIncoming(); }
void UDPSocketImp::ClearOutput() { DiscardOutgoing(); }

void UDPSocketImp::Reset(bool clearData) {
    SocketImp::Reset(clearData);
    routerHops = 0;
    loopback = 1;
    if (clearData) DiscardIncoming();
    DiscardOutgoing();
}

void UDPSocketImp::QueueDatagram(const DatagramRequest& request) {
    auto* queued = new QueuedDatagram();
    queued->address = 0;
    queued->port = request.port;
    queued->length = request.length > 0 ? request.length : 0;
    queued->data = static_cast<char*>(GuardedNew(static_cast<size_t>(queued->length) + 1));
    if (queued->length > 0) std::memcpy(queued->data, request.data, queued->length);
    outgoingRequests.push_back(queued);
}

DatagramRecord* UDPSocketImp::NextDatagram() {
    if (incomingDatagrams.size() == 0) return nullptr;
    DatagramRecord* oldest = incomingDatagrams.mBuf[0];
    incomingDatagrams.remove_at(0);
    return oldest;
}

void UDPSocketImp::DispatchEvents() {
    Liveness alive(this);
    ObjectHeader* held = owner;
    if (held) RuntimeLockObject(held);
    bool deliveredError = false;
    if (!SocketEventsHeld()) {
        auto deliverError = [&] {
            isConnected = 0;
            eventWord &= ~kSocketEventError;
            deliveredError = true;
            FireSocketError(owner);
        };
        if (eventWord & kSocketEventDataAvailable) {
            eventWord &= ~kSocketEventDataAvailable;
            FireSocketDataAvailable(owner);
            // An error found while the datagram waited to be reported follows it at once, so
            // that the close-down never swallows it.
            if (alive.Alive() && !ExceptionInFlight() && (eventWord & kSocketEventError))
                deliverError();
        } else if (eventWord & kSocketEventError) {
            deliverError();
        } else if (eventWord & kSocketEventSendComplete) {
            eventWord &= ~kSocketEventSendComplete;
            FireSocketSendComplete(owner, false);
        }
    }
    if (held) RuntimeUnlockObject(held);
    // Under the hold an error waits with the rest. Once reported, the socket lets its platform
    // socket go and leaves the poll list; it keeps its code until it is bound again.
    if (!alive.Alive() || ExceptionInFlight() || SocketEventsHeld()) return;
    if (deliveredError && !isConnected) {
        Close(false);
        return;
    }
    SocketImp::DispatchEvents();
}
