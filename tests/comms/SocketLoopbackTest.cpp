#include <gtest/gtest.h>

#include <winsock2.h>
#include <windows.h>

#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "CompiledSubclass.h"
#include "RaisedExceptions.h"
#include "SocketEventLog.h"
#include "comms/SocketClasses.h"
#include "comms/NetworkInterfaces.h"
#include "comms/TCPSocketCore.h"
#include "host/Application.h"
#include "core/PropertyAccessors.h"
#include "values/TextEncodingObjects.h"
#include "core/DefinitionConversion.h"
#include "host/EventLoop.h"

// TCPSocket and ServerSocket objects over real loopback connections to the Python peers
// (peers/socket_peers.py), driven as the event loop drives them.

namespace {

std::vector<std::string>& sLog = SocketLog();
std::string sReceived;
bool sCancelSends = false;
int64_t sReportedSent = 0;
bool sReadOnData = false;
ObjectHeader*& sDroppedInError = DroppedInError();
bool sCloseAndDoEventsOnData = false;
bool sAddSocketGivesNil = false;
int32_t sAddSockets = 0;

std::map<std::string, int> PeerPorts() {
    std::map<std::string, int> ports;
    const char* text = std::getenv("QV_PEER_PORTS");
    if (!text) return ports;
    std::istringstream words(text);
    std::string word;
    while (words >> word) {
        const size_t equals = word.find('=');
        ports[word.substr(0, equals)] = std::atoi(word.c_str() + equals + 1);
    }
    return ports;
}

std::string Text(StringRecord* record) {
    std::string text = record ? std::string(reinterpret_cast<const char*>(record->buffer + 1),
                                            static_cast<size_t>(record->length))
                              : std::string();
    RuntimeUnlockString(record);
    return text;
}

void OnDataAvailable(ObjectHeader* self) {
    sLog.emplace_back("DataAvailable");
    if (sReadOnData) sReceived += Text(SocketReadAll(self, nullptr));
    if (sCloseAndDoEventsOnData) {
        socketClose(self);
        RuntimeDoEvents(nullptr, -1);
    }
}
bool OnSendProgress(ObjectHeader*, int32_t sent, int32_t left) {
    LogSendProgress(sent, left);
    sReportedSent += sent;
    return sCancelSends;
}

// A pooled socket of the server tests answers every line it receives with the same line.
void OnEchoData(ObjectHeader* self) {
    StringRecord* line = SocketReadAll(self, nullptr);
    SocketWrite(self, line);
    RuntimeUnlockString(line);
}

ClassRecord* LoggingSocketClass() {
    static ClassRecord* record =
        CompiledSubclass(TCPSocket(), "LoggingSocket",
                         {{"Connected", HandlerAddress(LogConnected)},
                          {"DataAvailable", HandlerAddress(OnDataAvailable)},
                          {"SendComplete", HandlerAddress(LogSendComplete)},
                          {"SendProgress", HandlerAddress(OnSendProgress)},
                          {"Error", HandlerAddress(LogError)}});
    return record;
}

ClassRecord* EchoingSocketClass() {
    static ClassRecord* record = CompiledSubclass(TCPSocket(), "EchoingSocket",
                                                  {{"Connected", HandlerAddress(LogConnected)},
                                                   {"DataAvailable", HandlerAddress(OnEchoData)},
                                                   {"Error", HandlerAddress(LogError)}});
    return record;
}

ObjectHeader* OnAddSocket(ObjectHeader*) {
    ++sAddSockets;
    return sAddSocketGivesNil ? nullptr : RuntimeNewObject(EchoingSocketClass());
}
void OnServerError(ObjectHeader*, int32_t code) {
    sLog.push_back("ServerError(" + std::to_string(code) + ")");
}

ClassRecord* ServerClass() {
    static ClassRecord* record = CompiledSubclass(
        ServerSocket(), "TestServer",
        {{"AddSocket", HandlerAddress(OnAddSocket)}, {"Error", HandlerAddress(OnServerError)}});
    return record;
}

template <typename Done>
bool PollUntil(Done done, DWORD milliseconds = 10000) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > milliseconds) return false;
        PollAllSockets(false);
    }
    return true;
}

// One blocking command on the peers' control port.
std::string Control(int port, const std::string& command) {
    SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) return "no control";
    const std::string line = command + "\n";
    send(s, line.data(), static_cast<int>(line.size()), 0);
    std::string reply;
    char buffer[256];
    while (reply.find('\n') == std::string::npos) {
        const int n = recv(s, buffer, sizeof buffer, 0);
        if (n <= 0) break;
        reply.append(buffer, static_cast<size_t>(n));
    }
    closesocket(s);
    return reply.substr(0, reply.find('\n'));
}

class SocketLoopback : public testing::Test {
protected:
    void SetUp() override {
        ports = PeerPorts();
        if (ports.empty()) GTEST_SKIP() << "run through peers/with-peers.sh";
        sLog.clear();
        sReceived.clear();
        sCancelSends = false;
        sReportedSent = 0;
        sReadOnData = false;
        sDroppedInError = nullptr;
        sCloseAndDoEventsOnData = false;
        sAddSocketGivesNil = false;
        sAddSockets = 0;
        ASSERT_EQ(StartNetworking(), 0);
    }
    void TearDown() override {
        for (ObjectHeader* object : objects) {
            socketClose(object);
            ReleaseObject(object);
        }
        while (ActiveSocketCount() > 0) socketClose(ActiveSocketAt(0)->owner);
    }
    ObjectHeader* Connect(const char* role, const char* address = "127.0.0.1") {
        ObjectHeader* socket = RuntimeNewObject(LoggingSocketClass());
        objects.push_back(socket);
        string text(address);
        socketDirectConnect(socket, text.Record(), ports[role]);
        return socket;
    }
    ObjectHeader* Server(int32_t minimum, int32_t maximum, int port = 0) {
        ObjectHeader* server = RuntimeNewObject(ServerClass());
        objects.push_back(server);
        ServerSocketSetMinSockets(server, 0, minimum);
        ServerSocketSetMaxSockets(server, 0, maximum);
        ServerSocketPortSetter(server, 0, port);
        return server;
    }
    std::map<std::string, int> ports;
    std::vector<ObjectHeader*> objects;
};

TEST_F(SocketLoopback, ConnectsToLocalHostInAnyCase) {
    ObjectHeader* socket = Connect("echo", "LocalHost");
    ASSERT_TRUE(PollUntil([] { return Logged("Connected"); }));
    EXPECT_TRUE(SocketIsConnected(socket));
    EXPECT_EQ(Text(socketRemoteAddressGetter(socket)), "127.0.0.1");
    EXPECT_NE(SocketPortGetter(socket, 0), ports["echo"]);  // the local port of the connection
}

TEST_F(SocketLoopback, ThreeMegabytesLeaveInPiecesAndComeBackIdentical) {
    sReadOnData = true;
    ObjectHeader* socket = Connect("echo");
    ASSERT_TRUE(PollUntil([] { return Logged("Connected"); }));
    std::string data(3000000, '\0');
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 7 + i / 251);
    string text;
    text.SetBytes(data.data(), static_cast<int32_t>(data.size()));
    SocketWrite(socket, text.Record());
    EXPECT_EQ(TCPSocketBytesLeftToSend(socket), 3000000);
    ASSERT_TRUE(PollUntil(
        [&] { return sReceived.size() >= data.size() && Logged("SendComplete(False)"); }, 30000));
    EXPECT_TRUE(sReceived == data);
    int64_t sent = 0;
    size_t lastProgress = 0;
    for (size_t i = 0; i < sLog.size(); ++i) {
        int32_t piece = 0, left = 0;
        if (std::sscanf(sLog[i].c_str(), "SendProgress(%d,%d)", &piece, &left) == 2) {
            EXPECT_LE(piece, 65536);
            sent += piece;
            lastProgress = i;
        }
    }
    EXPECT_EQ(sent, 3000000);
    EXPECT_EQ(sLog[lastProgress],
              "SendProgress(" + std::to_string(std::stoi(sLog[lastProgress].substr(13))) + ",0)");
    // SendComplete comes with the dispatch after the last progress, before any later send report.
    size_t complete = lastProgress + 1;
    while (complete < sLog.size() && sLog[complete] == "DataAvailable") ++complete;
    ASSERT_LT(complete, sLog.size());
    EXPECT_EQ(sLog[complete], "SendComplete(False)");
}

TEST_F(SocketLoopback, ACancelledSendLeavesThePeerWithExactlyTheBytesReported) {
    sCancelSends = true;
    ObjectHeader* socket = Connect("sink");
    ASSERT_TRUE(PollUntil([] { return Logged("Connected"); }));
    std::string data(3000000, 'x');
    string text;
    text.SetBytes(data.data(), static_cast<int32_t>(data.size()));
    SocketWrite(socket, text.Record());
    ASSERT_TRUE(PollUntil([] { return Logged("SendComplete(True)"); }));
    EXPECT_EQ(TCPSocketBytesLeftToSend(socket), 0);
    EXPECT_GT(sReportedSent, 0);
    EXPECT_LT(sReportedSent, 3000000);
    socketClose(socket);
    std::string total = "pending";
    for (int i = 0; i < 100 && total == "pending"; ++i) {
        Sleep(20);
        total = Control(ports["control"], "sinktotal");
    }
    EXPECT_EQ(total, std::to_string(sReportedSent));
}

TEST_F(SocketLoopback, AClosedPortGivesNameResolutionError) {
    ObjectHeader* socket = Connect("closed");
    ASSERT_TRUE(PollUntil([] { return !sLog.empty(); }));
    EXPECT_EQ(sLog, (std::vector<std::string>{"Error(103)"}));
    EXPECT_EQ(socketLastErrorCode(socket), 103);
    EXPECT_EQ(SocketGetHandle(socket), -1);
}

TEST_F(SocketLoopback, APeerThatSendsAndClosesLeavesItsBytesReadable) {
    ObjectHeader* socket = Connect("sendclose");
    ASSERT_TRUE(PollUntil([] { return Logged("Error(102)"); }));
    EXPECT_EQ(sLog.front(), "Connected");
    EXPECT_EQ(sLog.back(), "Error(102)");
    EXPECT_TRUE(Logged("DataAvailable"));
    EXPECT_EQ(Text(SocketReadAll(socket, nullptr)), "hello from the peer");
}

TEST_F(SocketLoopback, EOFComesWhenTheConnectionIsGoneAndItsBytesAreRead) {
    ObjectHeader* socket = Connect("sendclose");
    ASSERT_TRUE(PollUntil([] { return Logged("Error(102)"); }));
    EXPECT_FALSE(TCPSocketEof(socket));  // closed, bytes left
    ObjectHeader* encoding = getTextEncoding(0x600, 0, 0);
    StringRecord* lookahead = socketLookahead(socket, encoding);
    EXPECT_EQ(lookahead->encoding, 0x600u);
    RuntimeUnlockString(lookahead);
    StringRecord* first = socketRead(socket, 5, nullptr);
    EXPECT_EQ(first->encoding, kEncodingUnknown);
    EXPECT_EQ(Text(first), "hello");
    EXPECT_EQ(Text(SocketReadAll(socket, encoding)), " from the peer");
    EXPECT_TRUE(TCPSocketEof(socket));
    EXPECT_NE(socketLastErrorCode(socket), 0);  // ReadError and WriteError
    ReleaseObject(encoding);
}

TEST_F(SocketLoopback, AfterAFailedConnectReadErrorIsTrue) {
    ObjectHeader* socket = Connect("closed");
    EXPECT_EQ(socketLastErrorCode(socket), 0);
    ASSERT_TRUE(PollUntil([] { return Logged("Error(103)"); }));
    EXPECT_NE(socketLastErrorCode(socket), 0);
    EXPECT_TRUE(TCPSocketEof(socket));
}

TEST_F(SocketLoopback, FlushReturnsAfterTheErrorOfAResetPeer) {
    ObjectHeader* socket = Connect("reset");
    ASSERT_TRUE(PollUntil([] { return Logged("Connected"); }));
    Sleep(400);  // the peer resets the connection
    std::string data(4000000, 'r');
    string text;
    text.SetBytes(data.data(), static_cast<int32_t>(data.size()));
    SocketWrite(socket, text.Record());
    TCPSocketFlush(socket);
    EXPECT_TRUE(Logged("Error(102)"));
    EXPECT_EQ(TCPSocketBytesLeftToSend(socket), 0);
}

TEST_F(SocketLoopback, FlushGivesUpOnAPeerThatStopsReading) {
    // The held port listens but never takes its connections: the buffers fill and stay full.
    SetFlushStallLimit(300);
    ObjectHeader* socket = Connect("held");
    ASSERT_TRUE(PollUntil([] { return Logged("Connected"); }));
    std::string data(40000000, 's');
    string text;
    text.SetBytes(data.data(), static_cast<int32_t>(data.size()));
    SocketWrite(socket, text.Record());
    const DWORD start = GetTickCount();
    TCPSocketFlush(socket);
    SetFlushStallLimit(60000);
    EXPECT_LT(GetTickCount() - start, 20000u);
    EXPECT_EQ(sLog.back(), "Error(102)");
    EXPECT_EQ(socketLastErrorCode(socket), 102);
    EXPECT_EQ(TCPSocketBytesLeftToSend(socket), 0);
}

TEST_F(SocketLoopback, SocketIsATCPSocketThatReadsAndWrites) {
    ObjectHeader* socket = CreateInstance(Socket());
    objects.push_back(socket);
    EXPECT_TRUE(ObjectIsaDefinition(socket, TCPSocket()));
    EXPECT_TRUE(ObjectIsaDefinition(socket, Readable()));
    EXPECT_TRUE(ObjectIsaDefinition(socket, Writeable()));
    string address("localhost");
    socketDirectConnect(socket, address.Record(), ports["echo"]);
    ASSERT_TRUE(PollUntil([&] { return SocketIsConnected(socket); }));
    string line("ping");
    SocketWrite(socket, line.Record());
    TCPSocketFlush(socket);
    ASSERT_TRUE(PollUntil([&] { return SocketBytesAvailable(socket) == 4; }));
    EXPECT_EQ(Text(SocketReadAll(socket, nullptr)), "ping");
}

TEST_F(SocketLoopback, AConnectionBoundToANetworkInterfaceLeavesFromItsAddress) {
    // The default interface is the address the host name resolves to.
    const uint32_t interfaceAddress = GetLocalHostAddress();
    SOCKET listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in local = {};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = interfaceAddress;
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&local), sizeof local), 0);
    int length = sizeof local;
    getsockname(listener, reinterpret_cast<sockaddr*>(&local), &length);
    listen(listener, 1);

    ObjectHeader* socket = RuntimeNewObject(LoggingSocketClass());
    objects.push_back(socket);
    ObjectHeader* networkInterface = GetNetworkInterfaceObject(nullptr, -1);
    if (!networkInterface) {
        closesocket(listener);
        GTEST_SKIP() << "this machine lists no network interfaces";
    }
    objSetter(socket, offsetof(SocketCoreObject, networkInterface), networkInterface);
    ReleaseObject(networkInterface);
    EXPECT_EQ(Text(socketLocalAddressGetter(socket)),
              std::string(FormatDottedAddress(interfaceAddress).CString()));
    ObjectHeader* server = Server(1, 1);
    EXPECT_EQ(Text(socketLocalAddressGetter(server)), Text(socketLocalAddressGetter(socket)));
    string address(FormatDottedAddress(interfaceAddress).CString());
    socketDirectConnect(socket, address.Record(), ntohs(local.sin_port));
    ASSERT_TRUE(PollUntil([] { return Logged("Connected"); }));
    sockaddr_in peer = {};
    length = sizeof peer;
    SOCKET accepted = accept(listener, reinterpret_cast<sockaddr*>(&peer), &length);
    EXPECT_EQ(peer.sin_addr.s_addr, interfaceAddress);
    closesocket(accepted);
    closesocket(listener);
}

TEST_F(SocketLoopback, AResetConnectionGivesLostConnection) {
    Connect("reset");
    ASSERT_TRUE(PollUntil([] { return Logged("Error(102)"); }));
    EXPECT_EQ(sLog.front(), "Connected");
}

TEST_F(SocketLoopback, ListeningOnAPortAPeerHoldsGivesAddressInUse) {
    ObjectHeader* server = Server(1, 1, ports["held"]);
    ServerSocketListen(server);
    EXPECT_EQ(sLog, (std::vector<std::string>{"ServerError(105)"}));
    EXPECT_FALSE(serverSocketIsListening(server));
}

TEST_F(SocketLoopback, AServerFillsItsPoolAndServesClients) {
    ObjectHeader* server = Server(2, 10);
    ServerSocketListen(server);
    ASSERT_TRUE(serverSocketIsListening(server));
    const int port = ServerSocketPortGetter(server, 0);
    ASSERT_GT(port, 0);
    ASSERT_TRUE(PollUntil([] { return sAddSockets >= 12; }));
    EXPECT_EQ(sAddSockets, 12);
    EXPECT_EQ(Control(ports["control"], "clients " + std::to_string(port) + " 3"), "ok");
    ASSERT_TRUE(
        PollUntil([&] { return Control(ports["control"], "status").rfind("served=3", 0) == 0; }));
    EXPECT_EQ(sAddSockets, 12);
}

TEST_F(SocketLoopback, AFullServerClosesNewClientsUntilOneLeaves) {
    ObjectHeader* server = Server(1, 1);
    ServerSocketListen(server);
    const std::string port = std::to_string(ServerSocketPortGetter(server, 0));
    const int control = ports["control"];
    EXPECT_EQ(Control(control, "hold " + port + " 2"), "ok");
    // The counts of the peers add up over the whole run; other tests refuse no client.
    auto status = [&] {
        const std::string text = Control(control, "status");
        return text.substr(text.find(' ') + 1);
    };
    ASSERT_TRUE(PollUntil([&] { return status() == "refused=1 open=1"; })) << status();
    EXPECT_EQ(sLog, (std::vector<std::string>{"Connected"}));
    EXPECT_EQ(Control(control, "release"), "ok");
    ASSERT_TRUE(PollUntil([] { return Logged("Error(102)"); }));
    EXPECT_EQ(Control(control, "hold " + port + " 1"), "ok");
    ASSERT_TRUE(PollUntil([] { return sLog.back() == "Connected"; }));
    EXPECT_EQ(status(), "refused=1 open=1");
}

TEST_F(SocketLoopback, AddSocketGivingNilRaisesWithoutAHang) {
    RaisedExceptions raised;
    sAddSocketGivesNil = true;
    ObjectHeader* server = Server(2, 2);
    ServerSocketListen(server);
    PollAllSockets(false);
    EXPECT_EQ(raised.Take(), "NilObjectException");
    EXPECT_EQ(sAddSockets, 1);
    ServerSocketClose(server);
}

TEST_F(SocketLoopback, HandlersMayDropTheirSocketOrCloseItAndRunTheLoop) {
    // The Error handler gives up the application's only reference.
    ObjectHeader* dropped = RuntimeNewObject(LoggingSocketClass());
    string address("127.0.0.1");
    socketDirectConnect(dropped, address.Record(), ports["closed"]);
    sDroppedInError = dropped;
    const int32_t live = LiveObjectCount();
    ASSERT_TRUE(PollUntil([] { return Logged("Error(103)"); }));
    EXPECT_EQ(LiveObjectCount(), live - 1);
    // The DataAvailable handler closes its socket and runs the event loop once.
    sLog.clear();
    sCloseAndDoEventsOnData = true;
    ObjectHeader* socket = Connect("sendclose");
    ASSERT_TRUE(PollUntil([] { return Logged("DataAvailable"); }));
    PollUntil([] { return false; }, 300);
    EXPECT_EQ(ActiveSocketCount(), 0);
    EXPECT_FALSE(Logged("Error(102)"));
    EXPECT_FALSE(SocketIsConnected(socket));
}

}  // namespace
