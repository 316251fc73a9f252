#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "comms/SocketClasses.h"
#include "comms/TCPSocketPosix.h"
#include "comms/WinsockTables.h"
#include "core/DefinitionConversion.h"

// The Winsock back end over entry points of the tests' own: the loader gives the system's entries
// except those a test replaces or leaves out.

namespace {

std::vector<int32_t> sSendBufferSizesTried;
int32_t sLargestSendBuffer = 0;
int sHostLookups = 0;
const char* sMissingEntry = nullptr;
int sAcceptFailure = 0;  // the Winsock error the next accept fails with, 0 for none

using SetSockOpt = int(WSAAPI*)(SOCKET, int, int, const char*, int);

int WSAAPI RefusingSetSockOpt(SOCKET s, int level, int option, const char* value, int length) {
    static SetSockOpt real = reinterpret_cast<SetSockOpt>(
        reinterpret_cast<void*>(GetProcAddress(LoadLibraryA("ws2_32.dll"), "setsockopt")));
    if (level == SOL_SOCKET && option == SO_SNDBUF) {
        const int32_t size = *reinterpret_cast<const int32_t*>(value);
        sSendBufferSizesTried.push_back(size);
        if (size > sLargestSendBuffer) return SOCKET_ERROR;
    }
    return real(s, level, option, value, length);
}

hostent* WSAAPI NoHostByName(const char*) {
    ++sHostLookups;
    return nullptr;
}

using Accept = SOCKET(WSAAPI*)(SOCKET, sockaddr*, int*);

// An accept that meets a connection reset before it was taken, or finds none after all.
SOCKET WSAAPI FailingAccept(SOCKET s, sockaddr* address, int* length) {
    static Accept real = reinterpret_cast<Accept>(
        reinterpret_cast<void*>(GetProcAddress(LoadLibraryA("ws2_32.dll"), "accept")));
    if (sAcceptFailure == 0) return real(s, address, length);
    WSASetLastError(sAcceptFailure);
    return INVALID_SOCKET;
}

HMODULE Load(const char* library) { return LoadLibraryA(library); }
void Release(HMODULE library) { FreeLibrary(library); }
FARPROC Resolve(HMODULE library, const char* name) {
    if (sMissingEntry && std::string(name) == sMissingEntry) return nullptr;
    if (std::string(name) == "setsockopt")
        return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(RefusingSetSockOpt));
    if (std::string(name) == "accept")
        return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(FailingAccept));
    if (std::string(name) == "gethostbyname")
        return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(NoHostByName));
    return GetProcAddress(library, name);
}
const WinsockLoader kFakeLoader = {Load, Resolve, Release};

class WinsockEntries : public testing::Test {
protected:
    void SetUp() override {
        sSendBufferSizesTried.clear();
        sLargestSendBuffer = 0x7fffffff;
        sHostLookups = 0;
        sMissingEntry = nullptr;
        sAcceptFailure = 0;
        SetNetworkingLoader(&kFakeLoader);
    }
    void TearDown() override {
        for (ObjectHeader* object : objects) ReleaseObject(object);
        EXPECT_EQ(ActiveSocketCount(), 0);
        SetNetworkingLoader(nullptr);
    }
    ObjectHeader* NewSocket() {
        ObjectHeader* socket = CreateInstance(TCPSocket());
        objects.push_back(socket);
        return socket;
    }
    std::vector<ObjectHeader*> objects;
};

TCPSocketPosix* Posix(ObjectHeader* object) {
    return static_cast<TCPSocketPosix*>(TCPCoreOf(object));
}

TEST(SocketErrorTranslation, MapsWinsockNumbersToSocketCodes) {
    const struct {
        int32_t platform;
        int32_t code;
    } rows[] = {{1, 107},  {13, 107}, {2, 103},  {51, 103},  {57, 103}, {60, 103}, {61, 103},
                {12, 108}, {23, 108}, {55, 108}, {32, 102},  {52, 102}, {53, 102}, {54, 102},
                {48, 105}, {35, 35},  {49, 49},  {102, 102}, {0, 0}};
    for (const auto& row : rows)
        EXPECT_EQ(TranslateSocketError(row.platform), row.code) << row.platform;
}

TEST_F(WinsockEntries, RefusedBufferSizesAreLoweredByAQuarter) {
    sLargestSendBuffer = 786432;
    ObjectHeader* socket = NewSocket();
    SocketPortSetter(socket, 0, 0);
    SocketListen(socket);
    EXPECT_EQ(sSendBufferSizesTried, (std::vector<int32_t>{1048576, 786432}));
    EXPECT_EQ(Posix(socket)->bufferSize, 786432);
    socketClose(socket);
    // Below 8193 bytes nothing more is asked and the platform's sizes stay.
    sSendBufferSizesTried.clear();
    sLargestSendBuffer = 1000;
    ObjectHeader* refused = NewSocket();
    SocketListen(refused);
    EXPECT_EQ(sSendBufferSizesTried.size(), 17u);
    EXPECT_EQ(sSendBufferSizesTried.back(), 10508);  // the last size above 8192
    EXPECT_EQ(Posix(refused)->bufferSize, TCPSocketPosix::kDefaultBufferSize);
    socketClose(refused);
}

TEST_F(WinsockEntries, AnUnresolvableNameFailsInsideConnectWith103) {
    ObjectHeader* socket = NewSocket();
    string name("no-such-host.invalid");
    socketDirectConnect(socket, name.Record(), 80);
    EXPECT_EQ(sHostLookups, 1);
    EXPECT_EQ(socketLastErrorCode(socket), 103);
    EXPECT_EQ(ActiveSocketCount(), 0);
    EXPECT_EQ(SocketGetHandle(socket), -1);
    // A dotted address is used without a lookup.
    string dotted("127.0.0.1");
    socketDirectConnect(socket, dotted.Record(), 1);
    EXPECT_EQ(sHostLookups, 1);
    socketClose(socket);
}

TEST_F(WinsockEntries, AnAcceptThatFindsNoConnectionLeavesTheListenerAccepting) {
    ObjectHeader* listening = NewSocket();
    SocketListen(listening);
    ASSERT_NE(SocketGetHandle(listening), -1);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(SocketPortGetter(listening, 0)));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    SOCKET client = socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_EQ(connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    for (int failure : {WSAECONNRESET, WSAEWOULDBLOCK, WSAECONNABORTED}) {
        sAcceptFailure = failure;
        socketPoll(listening);
        EXPECT_EQ(socketLastErrorCode(listening), 0) << failure;
        EXPECT_TRUE(Posix(listening)->accepting) << failure;
        EXPECT_EQ(ActiveSocketCount(), 1) << failure;
    }
    // Any other failure is the listener's error.
    sAcceptFailure = WSAENOBUFS;
    socketPoll(listening);
    EXPECT_EQ(socketLastErrorCode(listening), 108);
    EXPECT_EQ(ActiveSocketCount(), 0);
    // Listening again, the waiting client is taken.
    sAcceptFailure = 0;
    SocketListen(listening);
    SOCKET second = socket(AF_INET, SOCK_STREAM, 0);
    address.sin_port = htons(static_cast<u_short>(SocketPortGetter(listening, 0)));
    ASSERT_EQ(connect(second, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    socketPoll(listening);
    EXPECT_TRUE(SocketIsConnected(listening));
    EXPECT_FALSE(Posix(listening)->accepting);
    closesocket(client);
    closesocket(second);
    socketClose(listening);
}

TEST_F(WinsockEntries, PlatformErrorsReachTheOwnerTranslated) {
    ObjectHeader* socket = NewSocket();
    Posix(socket)->SetError(61);
    EXPECT_EQ(socketLastErrorCode(socket), 103);
    // A ServerSocket has no LastErrorCode: its fields stay as they were.
    ObjectHeader* server = CreateInstance(ServerSocket());
    objects.push_back(server);
    ServerSocketObject* fields = reinterpret_cast<ServerSocketObject*>(server);
    ObjectHeader* sentinel = reinterpret_cast<ObjectHeader*>(0x1234);
    fields->networkInterface = sentinel;
    Posix(server)->SetError(48);
    EXPECT_EQ(fields->networkInterface, sentinel);
    EXPECT_EQ(Posix(server)->lastError, 105);
    fields->networkInterface = nullptr;
}

TEST(WinsockMissingEntry, EveryStartFailsAndCoresReportOpenDriverError) {
    sMissingEntry = "select";
    SetNetworkingLoader(&kFakeLoader);
    EXPECT_EQ(StartNetworking(), 100);
    EXPECT_EQ(StartNetworking(), 100);
    EXPECT_FALSE(NetworkingStarted());
    EXPECT_FALSE(PollAllSockets(false));
    ObjectHeader* socket = CreateInstance(TCPSocket());
    string address("127.0.0.1");
    socketDirectConnect(socket, address.Record(), 80);
    EXPECT_EQ(socketLastErrorCode(socket), 100);
    EXPECT_EQ(ActiveSocketCount(), 0);
    SocketListen(socket);
    EXPECT_EQ(socketLastErrorCode(socket), 100);
    ReleaseObject(socket);
    SetNetworkingLoader(nullptr);
    EXPECT_EQ(StartNetworking(), 0);
}

}  // namespace
