#include "UDPSocketPosix.h"

#include <ws2tcpip.h>

#include <cstring>

#include "NetworkInterfaces.h"
#include "SocketClasses.h"
#include "WinsockTables.h"
#include "core/Exceptions.h"

namespace {

SOCKET Native(int32_t handle) { return static_cast<SOCKET>(static_cast<intptr_t>(handle)); }

struct ErrorTranslation {
    int32_t platformNumber;
    int32_t code;
};
constexpr ErrorTranslation kUDPErrorTranslations[] = {
    {1, 107},  {13, 107}, {49, 107},             // not permitted, access denied, unavailable
    {51, 103}, {57, 103}, {60, 103}, {61, 103},  // unreachable, not connected, timed out, refused
    {12, 108}, {23, 108}, {55, 108},             // no memory, no buffers
    {32, 102}, {53, 102},                        // broken, aborted
    {48, 105},                                   // address in use
};

// A receive that meets the port-unreachable answer to an earlier send of this socket.
constexpr int32_t kConnectionReset = 54;
constexpr int32_t kOptionNotSupported = 42;
// The written-out limited broadcast, which inet_addr cannot tell from a failure.
constexpr const char* kLimitedBroadcast = "255.255.255.255";

}  // namespace

int32_t TranslateUDPSocketError(int32_t platformNumber) {
    for (const ErrorTranslation& row : kUDPErrorTranslations)
        if (row.platformNumber == platformNumber) return row.code;
    return platformNumber;
}

UDPSocketPosix::UDPSocketPosix(ObjectHeader* ownerObject) : UDPSocketImp(ownerObject) {
    UDPSocketPosix::Reset(true);
}

UDPSocketPosix::~UDPSocketPosix() { UDPSocketPosix::Close(true); }

void UDPSocketPosix::Close(bool keepOwnerReference) {
    if (handle != -1) gWinsock.closesocket(Native(handle));
    handle = -1;
    UDPSocketImp::Close(keepOwnerReference);
}

void UDPSocketPosix::Reset(bool clearData) {
    handle = -1;
    UDPSocketImp::Reset(clearData);
}

void UDPSocketPosix::SetError(int32_t code) {
    if (code == 0) return;
    lastError = code;
    if (owner) reinterpret_cast<SocketCoreObject*>(owner)->lastErrorCode = code;
    lastError = TranslateUDPSocketError(code);
    eventWord |= kSocketEventError;
    DispatchEvents();
}

uint32_t UDPSocketPosix::OwnerInterfaceAddress() {
    ObjectHeader* networkInterface =
        owner ? reinterpret_cast<SocketCoreObject*>(owner)->networkInterface : nullptr;
    return networkInterface ? GetInterfaceIPAddress(NetworkInterfaceIndex(networkInterface)) : 0;
}

void UDPSocketPosix::Bind(int32_t newPort) {
    // A socket whose error was delivered is still listed and still holds its platform socket.
    Close(false);
    Reset(true);
    UDPSocketImp::Bind(newPort);
    if (StartNetworking() != 0) {
        SetError(kSocketOpenDriverError);
        return;
    }
    const SOCKET created = gWinsock.socket(AF_INET, SOCK_DGRAM, 0);
    if (created == INVALID_SOCKET) {
        SetError(kSocketOpenDriverError);
        return;
    }
    handle = static_cast<int32_t>(created);
    sockaddr_in local = {};
    local.sin_family = AF_INET;
    local.sin_port = gWinsock.htons(static_cast<u_short>(newPort));
    local.sin_addr.s_addr = OwnerInterfaceAddress();
    if (gWinsock.bind(Native(handle), reinterpret_cast<const sockaddr*>(&local), sizeof local) !=
        0) {
        SetError(PlatformErrno());
        return;
    }
    const int32_t on = 1;
    if (gWinsock.setsockopt(Native(handle), SOL_SOCKET, SO_BROADCAST,
                            reinterpret_cast<const char*>(&on), sizeof on) != 0) {
        SetError(PlatformErrno());
        return;
    }
    // Never waited on: a send the platform cannot take now stays queued for a later poll.
    u_long nonBlocking = 1;
    gWinsock.ioctlsocketBlocking(Native(handle), FIONBIO, &nonBlocking);
    isConnected = 1;
}

void UDPSocketPosix::Poll() {
    if (handle == -1) return;
    u_long waiting = 0;
    if (isConnected) gWinsock.ioctlsocketCount(Native(handle), FIONREAD, &waiting);
    if (!isConnected || (waiting == 0 && !IsSending())) {
        // An empty datagram shows no bytes waiting, yet holds back those behind it.
        if (isConnected && waiting == 0) {
            fd_set readSet;
            FD_ZERO(&readSet);
            FD_SET(Native(handle), &readSet);
            const timeval zero = {0, 0};
            char first;
            if (gWinsock.select(handle + 1, &readSet, nullptr, nullptr, &zero) > 0 &&
                gWinsock.recvfrom(Native(handle), &first, 1, MSG_PEEK, nullptr, nullptr) == 0)
                gWinsock.recvfrom(Native(handle), &first, 1, 0, nullptr, nullptr);
        }
        // Events kept while they were held go out now; a SendComplete alone waits.
        if (eventWord & (kSocketEventDataAvailable | kSocketEventError)) DispatchEvents();
        return;
    }
    Liveness alive(this);
    if (waiting > 0 && !ReceiveOne(static_cast<int32_t>(waiting))) return;
    if (!alive.Alive() || ExceptionInFlight()) return;
    if (IsSending() && !SendOne()) return;
    if (!alive.Alive() || ExceptionInFlight()) return;
    DispatchEvents();
}

bool UDPSocketPosix::ReceiveOne(int32_t waiting) {
    char* buffer = static_cast<char*>(GuardedNew(waiting + 1));
    if (!buffer) {
        SetError(kSocketOutOfMemoryError);
        return false;
    }
    sockaddr_in sender = {};
    int senderLength = sizeof sender;
    const int received =
        gWinsock.recvfrom(Native(handle), buffer, static_cast<int>(waiting), 0,
                          reinterpret_cast<sockaddr*>(&sender), &senderLength);
    if (received > 0) {
        const char* text = gWinsock.inet_ntoa(sender.sin_addr);
        const int32_t senderPort =
            gWinsock.ntohs ? gWinsock.ntohs(sender.sin_port) : ntohs(sender.sin_port);
        DatagramRecord* record = NewDatagramRecord(text, senderPort, buffer, received);
        GuardedDelete(buffer);
        if (!record) {
            SetError(kSocketOutOfMemoryError);
            return false;
        }
        incomingDatagrams.push_back(record);
        eventWord |= kSocketEventDataAvailable;
        return true;
    }
    GuardedDelete(buffer);
    if (received == 0) return true;
    const int32_t number = PlatformErrno();
    // The answer to an earlier datagram that found no listener says nothing about this socket,
    // and a datagram taken by someone else leaves nothing to read.
    if (number == kConnectionReset || IsWouldBlock()) return true;
    SetError(number);
    return false;
}

bool UDPSocketPosix::SendOne() {
    QueuedDatagram* request = outgoingRequests.mBuf[0];
    sockaddr_in target = {};
    target.sin_family = AF_INET;
    target.sin_port = gWinsock.htons(static_cast<u_short>(request->port));
    target.sin_addr.s_addr = request->address;
    const int sent = gWinsock.sendto(Native(handle), request->data, request->length, 0,
                                     reinterpret_cast<const sockaddr*>(&target), sizeof target);
    if (sent < 0 && IsWouldBlock()) return true;  // tried again at the next poll
    outgoingRequests.remove_at(0);
    GuardedDelete(request->data);
    delete request;
    if (sent < 0) {
        SetError(PlatformErrno());
        return false;
    }
    eventWord |= kSocketEventSendComplete;
    return true;
}

void UDPSocketPosix::QueueDatagram(const DatagramRequest& request) {
    if (!isConnected || handle == -1) {
        SetError(kSocketInvalidStateError);
        return;
    }
    const char* text = request.address ? request.address : "";
    uint32_t destination = 0xFFFFFFFFu;
    if (std::strcmp(text, kLimitedBroadcast) != 0) {
        // A name is looked up as a TCP connect does; one that does not resolve sends nothing.
        const uint32_t* resolved = ResolveAddress(text);
        if (!resolved) {
            SetError(kSocketNameResolutionError);
            return;
        }
        destination = *resolved;
    }
    UDPSocketImp::QueueDatagram(request);
    outgoingRequests.mBuf[outgoingRequests.size() - 1]->address = destination;
    // Sent at once when the platform takes it and nothing is queued before it.
    if (outgoingRequests.size() == 1) SendOne();
}

int32_t UDPSocketPosix::GetLocalPort() { return LocalPortOf(handle); }

bool UDPSocketPosix::SetMembership(const string& group, bool join) {
    if (handle == -1 || !isConnected) {
        SetError(kSocketInvalidStateError);
        return false;
    }
    struct {
        uint32_t group;
        uint32_t interfaceAddress;
    } membership = {static_cast<uint32_t>(gWinsock.inet_addr(group.CString())),
                    OwnerInterfaceAddress()};
    const bool winsock2 = SetSockOptFromWinsock2();
    const int option = join ? (winsock2 ? 12 : 5) : (winsock2 ? 13 : 6);
    if (gWinsock.setsockopt(Native(handle), IPPROTO_IP, option,
                            reinterpret_cast<const char*>(&membership), sizeof membership) != 0) {
        SetError(PlatformErrno());
        return false;
    }
    return true;
}

bool UDPSocketPosix::JoinMulticastGroup(const string& group) { return SetMembership(group, true); }

void UDPSocketPosix::LeaveMulticastGroup(const string& group) { SetMembership(group, false); }

bool UDPSocketPosix::UsableForOptions() {
    if (GetLocalPort() == -1) return false;
    if (handle != -1 && isConnected) return true;
    SetError(kSocketInvalidStateError);
    return false;
}

bool UDPSocketPosix::SetIntegerOption(int32_t winsock2Option, int32_t winsock1Option,
                                      int32_t value) {
    const int option = SetSockOptFromWinsock2() ? winsock2Option : winsock1Option;
    if (gWinsock.setsockopt(Native(handle), IPPROTO_IP, option,
                            reinterpret_cast<const char*>(&value), sizeof value) == 0)
        return true;
    const int32_t number = PlatformErrno();
    if (number != kOptionNotSupported) SetError(number);
    return false;
}

void UDPSocketPosix::SetLoopback(bool flag) {
    loopback = flag ? 1 : 0;
    if (!UsableForOptions()) return;
    SetIntegerOption(11, 4, flag ? 1 : 0);
}

void UDPSocketPosix::SetRouterHops(int32_t hops) {
    routerHops = hops;
    if (!UsableForOptions()) return;
    const int option = SetSockOptFromWinsock2() ? 4 : 7;
    gWinsock.setsockopt(Native(handle), IPPROTO_IP, option, reinterpret_cast<const char*>(&hops),
                        sizeof hops);
    SetIntegerOption(10, 3, hops);
}

string UDPSocketPosix::GetBroadcastAddress() {
    ObjectHeader* networkInterface =
        owner ? reinterpret_cast<SocketCoreObject*>(owner)->networkInterface : nullptr;
    return FormatDottedAddress(GetInterfaceBroadcastAddress(NetworkInterfaceIndex(networkInterface)));
}
