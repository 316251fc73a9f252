#include <gtest/gtest.h>

#include <winsock2.h>
#include <ws2tcpip.h>

#include <string>
#include <vector>

#include "CompiledSubclass.h"
#include "SocketEventLog.h"
#include "comms/SocketClasses.h"
#include "comms/UDPSocketPosix.h"
#include "comms/WinsockTables.h"
#include "core/DefinitionConversion.h"
#include "core/Platform.h"
#include "core/PropertyAccessors.h"
#include "values/TextEncodingObjects.h"

// UDPSocket objects over loopback against a peer datagram socket of the test's own, polled as the
// event loop polls them; the Winsock entries may be replaced to give the platform's failures.

namespace {

std::vector<std::string>& sLog = SocketLog();

void LogData(ObjectHeader*) { sLog.emplace_back("DataAvailable"); }

ClassRecord* LoggingUDPClass() {
    static ClassRecord* record =
        CompiledSubclass(UDPSocket(), "LoggingUDPSocket",
                         {{"DataAvailable", HandlerAddress(LogData)},
                          {"SendComplete", HandlerAddress(LogSendComplete)},
                          {"Error", HandlerAddress(LogError)}});
    return record;
}

std::string Text(StringRecord* record) {
    std::string text = record ? std::string(reinterpret_cast<const char*>(record->buffer + 1),
                                            static_cast<size_t>(record->length))
                              : std::string();
    return text;
}

std::string Joined() {
    std::string text;
    for (const std::string& entry : sLog) text += (text.empty() ? "" : " ") + entry;
    return text;
}

// The test's end of the conversation: a blocking datagram socket on 127.0.0.1 that gives up
// waiting after two seconds.
struct Peer {
    Peer() {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
        handle = socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in local = {};
        local.sin_family = AF_INET;
        local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(handle, reinterpret_cast<sockaddr*>(&local), sizeof local);
        int length = sizeof local;
        getsockname(handle, reinterpret_cast<sockaddr*>(&local), &length);
        port = ntohs(local.sin_port);
        const DWORD timeout = 2000;
        setsockopt(handle, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout),
                   sizeof timeout);
    }
    ~Peer() {
        closesocket(handle);
        WSACleanup();
    }
    // The next datagram and the port it came from; "<none>" after the timeout.
    std::string Receive(int* fromPort = nullptr) {
        char buffer[2048];
        sockaddr_in from = {};
        int length = sizeof from;
        const int n = recvfrom(handle, buffer, sizeof buffer, 0,
                               reinterpret_cast<sockaddr*>(&from), &length);
        if (n < 0) return "<none>";
        if (fromPort) *fromPort = ntohs(from.sin_port);
        return std::string(buffer, static_cast<size_t>(n));
    }
    void SendTo(int toPort, const std::string& bytes) {
        sockaddr_in to = {};
        to.sin_family = AF_INET;
        to.sin_port = htons(static_cast<u_short>(toPort));
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        sendto(handle, bytes.data(), static_cast<int>(bytes.size()), 0,
               reinterpret_cast<sockaddr*>(&to), sizeof to);
    }
    SOCKET handle;
    int port = 0;
};

// Replaced entries: what the next recvfrom or sendto of the runtime fails with (0: the system's).
int sRecvFailure = 0;
int sSendFailure = 0;
int sSendFailuresLeft = 0;
bool sNoWinsock = false;

using RecvFrom = int(WSAAPI*)(SOCKET, char*, int, int, sockaddr*, int*);
using SendTo = int(WSAAPI*)(SOCKET, const char*, int, int, const sockaddr*, int);

template <typename F>
F System(const char* name) {
    return reinterpret_cast<F>(
        reinterpret_cast<void*>(GetProcAddress(LoadLibraryA("ws2_32.dll"), name)));
}

int WSAAPI FailingRecvFrom(SOCKET s, char* buffer, int length, int flags, sockaddr* from,
                           int* fromLength) {
    const int n = System<RecvFrom>("recvfrom")(s, buffer, length, flags, from, fromLength);
    if (sRecvFailure == 0 || n < 0) return n;
    WSASetLastError(sRecvFailure);
    return SOCKET_ERROR;
}

int WSAAPI FailingSendTo(SOCKET s, const char* data, int length, int flags, const sockaddr* to,
                         int toLength) {
    if (sSendFailure != 0 && sSendFailuresLeft > 0) {
        --sSendFailuresLeft;
        WSASetLastError(sSendFailure);
        return SOCKET_ERROR;
    }
    return System<SendTo>("sendto")(s, data, length, flags, to, toLength);
}

HMODULE Load(const char* library) { return sNoWinsock ? nullptr : LoadLibraryA(library); }
void Release(HMODULE library) { FreeLibrary(library); }
FARPROC Resolve(HMODULE library, const char* name) {
    if (std::string(name) == "recvfrom")
        return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(FailingRecvFrom));
    if (std::string(name) == "sendto")
        return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(FailingSendTo));
    return GetProcAddress(library, name);
}
const WinsockLoader kFakeLoader = {Load, Resolve, Release};

class UDPSockets : public testing::Test {
protected:
    void SetUp() override {
        sLog.clear();
        sRecvFailure = 0;
        sSendFailure = 0;
        sSendFailuresLeft = 0;
        sNoWinsock = false;
        SetNetworkingLoader(&kFakeLoader);
    }
    void TearDown() override {
        for (ObjectHeader* object : objects) ReleaseObject(object);
        EXPECT_EQ(ActiveSocketCount(), 0);
        SetNetworkingLoader(nullptr);
        SetUnicodePlatformOverride(UnicodePlatformOverride::None);
    }
    // A new logging UDPSocket bound to an ephemeral port.
    ObjectHeader* Bound() {
        ObjectHeader* socket = RuntimeNewObject(LoggingUDPClass());
        objects.push_back(socket);
        SocketConnect(socket);
        return socket;
    }
    void Write(ObjectHeader* socket, const std::string& address, const std::string& data) {
        string a, d;
        a.SetBytes(address.data(), static_cast<int32_t>(address.size()));
        d.SetBytes(data.data(), static_cast<int32_t>(data.size()));
        UDPSocketWrite(socket, a.Record(), d.Record());
    }
    // Polls the socket until the predicate holds, for at most two seconds.
    template <typename Done>
    bool PollUntil(ObjectHeader* socket, Done done) {
        const DWORD start = GetTickCount();
        while (!done()) {
            if (GetTickCount() - start > 2000) return false;
            socketPoll(socket);
            Sleep(1);
        }
        return true;
    }
    std::vector<ObjectHeader*> objects;
};

std::string AllBytes() {
    std::string bytes;
    for (int i = 0; i < 256; ++i) bytes.push_back(static_cast<char>(i));
    return bytes;
}

TEST_F(UDPSockets, PortZeroBindsAnEphemeralPortAndTheSocketReadsIt) {
    ObjectHeader* socket = RuntimeNewObject(LoggingUDPClass());
    objects.push_back(socket);
    EXPECT_FALSE(UDPSocketIsBound(socket));
    EXPECT_EQ(SocketPortGetter(socket, 0), 0);
    EXPECT_EQ(intGetter(socket, offsetof(UDPSocketObject, routerHops)), 1);
    EXPECT_NE(boolGetter(socket, offsetof(UDPSocketObject, sendToSelf)), 0);
    SocketConnect(socket);
    EXPECT_TRUE(UDPSocketIsBound(socket));
    EXPECT_GT(SocketPortGetter(socket, 0), 0);
    // Without a NetworkInterface the broadcast address is the limited one.
    StringRecord* broadcast = UDPSocketGetBroadcast(socket);
    EXPECT_EQ(Text(broadcast), "255.255.255.255");
    RuntimeUnlockString(broadcast);
    EXPECT_EQ(socketLastErrorCode(socket), 0);
    EXPECT_EQ(ActiveSocketCount(), 1);
    // Binding again starts over on a new platform socket, listed once.
    SocketConnect(socket);
    EXPECT_TRUE(UDPSocketIsBound(socket));
    EXPECT_EQ(ActiveSocketCount(), 1);
    socketClose(socket);
    EXPECT_FALSE(UDPSocketIsBound(socket));
    EXPECT_EQ(ActiveSocketCount(), 0);
}

TEST_F(UDPSockets, EveryByteValueGoesOutAndComesBackAsADatagram) {
    Peer peer;
    ObjectHeader* socket = Bound();
    const int ownPort = SocketPortGetter(socket, 0);
    Write(socket, "127.0.0.1:" + std::to_string(peer.port), AllBytes());
    EXPECT_EQ(UDPSocketPacketsLeftToSend(socket), 0);
    int from = 0;
    EXPECT_EQ(peer.Receive(&from), AllBytes());
    EXPECT_EQ(from, ownPort);

    EXPECT_EQ(UDPReadDatagram(socket, nullptr), nullptr);  // nothing waiting
    peer.SendTo(ownPort, AllBytes());
    ASSERT_TRUE(PollUntil(socket, [&] { return PacketsAvailableGetter(socket) == 1; }));
    EXPECT_EQ(sLog, (std::vector<std::string>{"DataAvailable"}));
    ObjectHeader* utf8 = getTextEncoding(0x100, 0, 2);
    ObjectHeader* datagram = UDPReadDatagram(socket, utf8);
    ASSERT_NE(datagram, nullptr);
    const DatagramObject* fields = reinterpret_cast<DatagramObject*>(datagram);
    EXPECT_EQ(Text(fields->data), AllBytes());
    EXPECT_EQ(Text(fields->address), "127.0.0.1");
    EXPECT_EQ(fields->port, peer.port);
    EXPECT_EQ(fields->data->encoding, GetEncodingFromTEObject(utf8));
    EXPECT_EQ(PacketsAvailableGetter(socket), 0);
    // Written back whole, as a Datagram.
    UDPSocketWriteDatagram(socket, datagram);
    EXPECT_EQ(peer.Receive(), AllBytes());
    ReleaseObject(datagram);
    ReleaseObject(utf8);
}

TEST_F(UDPSockets, ADatagramsOwnPortWinsOverTheSocketsAndItsAddressStaysWhole) {
    Peer peer;
    ObjectHeader* socket = Bound();
    SocketPortSetter(socket, 0, 1);
    ObjectHeader* datagram = CreateInstance(Datagram());
    string address("127.0.0.1");
    string data("to the datagram's port");
    stringSetter(datagram, offsetof(DatagramObject, address), address.Record());
    stringSetter(datagram, offsetof(DatagramObject, data), data.Record());
    intSetter(datagram, offsetof(DatagramObject, port), peer.port);
    UDPSocketWriteDatagram(socket, datagram);
    EXPECT_EQ(peer.Receive(), "to the datagram's port");
    // With a port of its own the text after a colon is part of the address, which does not resolve.
    string withPort(("127.0.0.1:" + std::to_string(peer.port)).c_str());
    stringSetter(datagram, offsetof(DatagramObject, address), withPort.Record());
    UDPSocketWriteDatagram(socket, datagram);
    EXPECT_EQ(socketLastErrorCode(socket), kSocketNameResolutionError);
    EXPECT_EQ(sLog, (std::vector<std::string>{"Error(103)"}));
    ReleaseObject(datagram);
}

TEST_F(UDPSockets, NamesAreLookedUpAndOneThatDoesNotResolveSendsNothing) {
    Peer peer;
    ObjectHeader* socket = Bound();
    Write(socket, "LocalHost:" + std::to_string(peer.port), "by name");
    EXPECT_EQ(peer.Receive(), "by name");
    Write(socket, "no-such-host.invalid:" + std::to_string(peer.port), "lost");
    EXPECT_EQ(socketLastErrorCode(socket), kSocketNameResolutionError);
    EXPECT_EQ(UDPSocketPacketsLeftToSend(socket), 0);
    EXPECT_FALSE(UDPSocketIsBound(socket));
    // Unbound, writes are refused.
    sLog.clear();
    Write(socket, "127.0.0.1:" + std::to_string(peer.port), "unbound");
    EXPECT_EQ(socketLastErrorCode(socket), kSocketInvalidStateError);
    EXPECT_EQ(sLog, (std::vector<std::string>{"Error(106)"}));
}

TEST_F(UDPSockets, EachPollTakesOneDatagramAndAnIdlePollReportsNothing) {
    Peer peer;
    ObjectHeader* socket = Bound();
    const int ownPort = SocketPortGetter(socket, 0);
    Write(socket, "127.0.0.1:" + std::to_string(peer.port), "out");
    socketPoll(socket);
    EXPECT_TRUE(sLog.empty()) << Joined();  // SendComplete waits for a poll with something to do
    peer.SendTo(ownPort, "one");
    peer.SendTo(ownPort, "two");
    Sleep(50);
    socketPoll(socket);
    EXPECT_EQ(PacketsAvailableGetter(socket), 1);
    socketPoll(socket);
    EXPECT_EQ(PacketsAvailableGetter(socket), 2);
    EXPECT_EQ(Joined(), "DataAvailable DataAvailable");
    ObjectHeader* first = UDPReadDatagram(socket, nullptr);
    ObjectHeader* second = UDPReadDatagram(socket, nullptr);
    EXPECT_EQ(Text(reinterpret_cast<DatagramObject*>(first)->data), "one");
    EXPECT_EQ(Text(reinterpret_cast<DatagramObject*>(second)->data), "two");
    EXPECT_EQ(reinterpret_cast<DatagramObject*>(first)->data->encoding, kEncodingUnknown);
    ReleaseObject(first);
    ReleaseObject(second);
}

TEST_F(UDPSockets, AnEmptyDatagramIsDroppedWithoutHoldingBackTheNext) {
    Peer peer;
    ObjectHeader* socket = Bound();
    const int ownPort = SocketPortGetter(socket, 0);
    peer.SendTo(ownPort, "");
    peer.SendTo(ownPort, "after");
    ASSERT_TRUE(PollUntil(socket, [&] { return PacketsAvailableGetter(socket) == 1; }));
    ObjectHeader* datagram = UDPReadDatagram(socket, nullptr);
    EXPECT_EQ(Text(reinterpret_cast<DatagramObject*>(datagram)->data), "after");
    ReleaseObject(datagram);
}

// The hop limits and loopback as the platform holds them, read back from the socket.
int32_t IPOption(ObjectHeader* socket, int option) {
    int32_t value = -1;
    int length = sizeof value;
    getsockopt(static_cast<SOCKET>(SocketGetHandle(socket)), IPPROTO_IP, option,
               reinterpret_cast<char*>(&value), &length);
    return value & 0xFF;
}

TEST_F(UDPSockets, RouterHopsAndSendToSelfSetBeforeBindingApplyAfterIt) {
    for (const auto mode : {UnicodePlatformOverride::ForceWide, UnicodePlatformOverride::ForceAnsi}) {
        SetUnicodePlatformOverride(mode);
        SetNetworkingLoader(&kFakeLoader);
        ObjectHeader* socket = RuntimeNewObject(LoggingUDPClass());
        objects.push_back(socket);
        UDPSocketRouterHops(socket, 0, 7);
        UDPSocketSetLoopback(socket, 0, 0);
        EXPECT_TRUE(sLog.empty()) << Joined();  // unbound: stored only
        SocketConnect(socket);
        ASSERT_TRUE(UDPSocketIsBound(socket));
        // Read with the Winsock 2 numbers, whichever table set them.
        EXPECT_EQ(IPOption(socket, IP_TTL), 7);
        EXPECT_EQ(IPOption(socket, IP_MULTICAST_TTL), 7);
        EXPECT_EQ(IPOption(socket, IP_MULTICAST_LOOP), 0);
        UDPSocketRouterHops(socket, 0, 3);
        UDPSocketSetLoopback(socket, 0, 1);
        EXPECT_EQ(IPOption(socket, IP_MULTICAST_TTL), 3);
        EXPECT_EQ(IPOption(socket, IP_MULTICAST_LOOP), 1);
        EXPECT_TRUE(sLog.empty()) << Joined();
        socketClose(socket);
    }
}

// Whether the host lets a socket of the test's own join the group.
bool HostAllowsJoining(const char* group) {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    SOCKET probe = socket(AF_INET, SOCK_DGRAM, 0);
    ip_mreq membership = {};
    membership.imr_multiaddr.s_addr = inet_addr(group);
    const bool joined = setsockopt(probe, IPPROTO_IP, IP_ADD_MEMBERSHIP,
                                   reinterpret_cast<const char*>(&membership),
                                   sizeof membership) == 0;
    closesocket(probe);
    WSACleanup();
    return joined;
}

TEST_F(UDPSockets, JoiningAGroupNeedsABoundSocketAndWorksWithEitherOptionTable) {
    ObjectHeader* socket = RuntimeNewObject(LoggingUDPClass());
    objects.push_back(socket);
    string group("239.255.10.10");
    EXPECT_FALSE(SocketJoinMulticastGroup(socket, group.Record()));
    EXPECT_EQ(socketLastErrorCode(socket), kSocketInvalidStateError);
    EXPECT_FALSE(SocketJoinMulticastGroup(nullptr, group.Record()));
    const bool allowed = HostAllowsJoining("239.255.10.10");
    for (const auto mode : {UnicodePlatformOverride::ForceWide, UnicodePlatformOverride::ForceAnsi}) {
        SetUnicodePlatformOverride(mode);
        SetNetworkingLoader(&kFakeLoader);
        sLog.clear();
        SocketConnect(socket);
        ASSERT_TRUE(UDPSocketIsBound(socket));
        EXPECT_EQ(SocketJoinMulticastGroup(socket, group.Record()), allowed);
        EXPECT_EQ(sLog.empty(), allowed) << Joined();
        if (!allowed) continue;
        // Joined twice the platform refuses; left, it may be joined again.
        SocketLeaveMulticastGroup(socket, group.Record());
        EXPECT_TRUE(SocketJoinMulticastGroup(socket, group.Record()));
        EXPECT_TRUE(sLog.empty()) << Joined();
        socketClose(socket);
    }
}

TEST_F(UDPSockets, TheLoopbackBroadcastReachesAPeerBoundToAnyAddress) {
    ObjectHeader* sender = Bound();
    SOCKET peer = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in any = {};
    any.sin_family = AF_INET;
    ASSERT_EQ(bind(peer, reinterpret_cast<sockaddr*>(&any), sizeof any), 0);
    int length = sizeof any;
    getsockname(peer, reinterpret_cast<sockaddr*>(&any), &length);
    const DWORD timeout = 2000;
    setsockopt(peer, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout),
               sizeof timeout);
    Write(sender, "127.255.255.255:" + std::to_string(ntohs(any.sin_port)), "to everyone");
    char buffer[64];
    const int n = recv(peer, buffer, sizeof buffer, 0);
    EXPECT_EQ(std::string(buffer, n > 0 ? static_cast<size_t>(n) : 0), "to everyone");
    EXPECT_TRUE(sLog.empty()) << Joined();
    closesocket(peer);
}

TEST_F(UDPSockets, APortAnotherSocketHoldsGivesAddressInUse) {
    Peer peer;
    ObjectHeader* socket = RuntimeNewObject(LoggingUDPClass());
    objects.push_back(socket);
    SocketPortSetter(socket, 0, peer.port);
    SocketConnect(socket);
    EXPECT_FALSE(UDPSocketIsBound(socket));
    EXPECT_EQ(sLog, (std::vector<std::string>{"Error(105)"}));
}

TEST_F(UDPSockets, AReceiveErrorFollowsThePendingDatagramByTheUDPTableAndAResetIsIgnored) {
    const struct {
        int winsockError;
        const char* logged;
        bool staysBound;
    } cases[] = {
        {WSAEADDRNOTAVAIL, "DataAvailable Error(107)", false},  // 49: 107 here, kept by TCP
        {WSAECONNRESET, "DataAvailable", true},                 // an earlier send's answer
        {WSAENETDOWN, "DataAvailable Error(50)", false},        // untranslated
    };
    for (const auto& c : cases) {
        sLog.clear();
        Peer peer;
        ObjectHeader* socket = Bound();
        const int ownPort = SocketPortGetter(socket, 0);
        peer.SendTo(ownPort, "first");
        peer.SendTo(ownPort, "second");
        // Under the hold the datagram and then the failure of the next receive both wait.
        HoldSocketEvents();
        ASSERT_TRUE(PollUntil(socket, [&] { return PacketsAvailableGetter(socket) == 1; }));
        sRecvFailure = c.winsockError;
        socketPoll(socket);
        sRecvFailure = 0;
        EXPECT_TRUE(sLog.empty()) << Joined();
        EXPECT_TRUE(UDPSocketIsBound(socket));
        ReleaseSocketEvents();
        socketPoll(socket);
        EXPECT_EQ(Joined(), std::string(c.logged)) << c.winsockError;
        EXPECT_EQ(UDPSocketIsBound(socket), c.staysBound) << c.winsockError;
        EXPECT_EQ(ActiveSocketCount(), c.staysBound ? 1 : 0);
        socketClose(socket);
    }
}

TEST_F(UDPSockets, ASendThePlatformCannotTakeYetGoesOutAtALaterPoll) {
    Peer peer;
    ObjectHeader* socket = Bound();
    sSendFailure = WSAEWOULDBLOCK;
    sSendFailuresLeft = 1;
    Write(socket, "127.0.0.1:" + std::to_string(peer.port), "later");
    EXPECT_EQ(UDPSocketPacketsLeftToSend(socket), 1);
    EXPECT_TRUE(sLog.empty()) << Joined();
    socketPoll(socket);
    EXPECT_EQ(UDPSocketPacketsLeftToSend(socket), 0);
    EXPECT_EQ(Joined(), "SendComplete(False)");
    EXPECT_EQ(peer.Receive(), "later");
    // A send that fails for good is reported and dropped.
    sLog.clear();
    sSendFailure = WSAENOBUFS;
    sSendFailuresLeft = 1;
    Write(socket, "127.0.0.1:" + std::to_string(peer.port), "refused");
    EXPECT_EQ(UDPSocketPacketsLeftToSend(socket), 0);
    EXPECT_EQ(Joined(), "Error(108)");
}

TEST_F(UDPSockets, WithoutWinsockBindingReportsOpenDriverError) {
    sNoWinsock = true;
    SetNetworkingLoader(&kFakeLoader);
    ObjectHeader* socket = Bound();
    EXPECT_FALSE(UDPSocketIsBound(socket));
    EXPECT_EQ(sLog, (std::vector<std::string>{"Error(100)"}));
    EXPECT_EQ(ActiveSocketCount(), 0);
}

TEST_F(UDPSockets, SendToSelfReachesTheSocketItself) {
    ObjectHeader* socket = Bound();
    Write(socket, "127.0.0.1:" + std::to_string(SocketPortGetter(socket, 0)), "myself");
    ASSERT_TRUE(PollUntil(socket, [&] { return PacketsAvailableGetter(socket) == 1; }));
    ObjectHeader* datagram = UDPReadDatagram(socket, nullptr);
    EXPECT_EQ(Text(reinterpret_cast<DatagramObject*>(datagram)->data), "myself");
    EXPECT_EQ(reinterpret_cast<DatagramObject*>(datagram)->port, SocketPortGetter(socket, 0));
    ReleaseObject(datagram);
}

}  // namespace
