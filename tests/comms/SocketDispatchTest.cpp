#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CompiledSubclass.h"
#include "RaisedExceptions.h"
#include "SocketEventLog.h"
#include "comms/SocketClasses.h"
#include "comms/TCPSocketCore.h"
#include "core/DefinitionConversion.h"
#include "core/RuntimeString.h"

// Dispatch and the server pool over cores without a platform socket: their bytes live in the
// core's Strings and the tests set the pending flags a back end would set.

namespace {

std::vector<std::string>& sLog = SocketLog();
ObjectHeader* sCancellingSocket = nullptr;  // its SendProgress answers True
ObjectHeader*& sDroppedInError = DroppedInError();
ObjectHeader* sPollInDataAvailable = nullptr;
bool sAddSocketGivesNil = false;
int32_t sAddSocketCount = 0;

std::string Joined() {
    std::string text;
    for (const std::string& entry : sLog) text += (text.empty() ? "" : " ") + entry;
    sLog.clear();
    return text;
}

struct FakeTCPCore : TCPSocketImp {
    using TCPSocketImp::TCPSocketImp;
    // Opening starts from a clean core, as the back end's does.
    void Listen(int32_t port) override {
        Reset(true);
        TCPSocketImp::Listen(port);
        if (pool) isListening = 1;
    }
    void Connect(const string& address, int32_t port) override {
        Reset(true);
        TCPSocketImp::Connect(address, port);
    }
    void Poll() override { DispatchEvents(); }
    void TakeConnection(int32_t handle) override { platformSocket = handle; }
    int32_t platformSocket = -1;
};

TCPSocketImp* MakeFakeCore(ObjectHeader* owner, SocketListener* listener) {
    return new FakeTCPCore(owner, listener);
}

void OnDataAvailable(ObjectHeader* self) {
    sLog.emplace_back("DataAvailable");
    if (self == sPollInDataAvailable) socketPoll(self);
}
bool OnSendProgress(ObjectHeader* self, int32_t sent, int32_t left) {
    LogSendProgress(sent, left);
    return self == sCancellingSocket;
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

ObjectHeader* OnAddSocket(ObjectHeader*) {
    ++sAddSocketCount;
    sLog.emplace_back("AddSocket");
    if (sAddSocketGivesNil) return nullptr;
    return RuntimeNewObject(LoggingSocketClass());
}
void OnServerError(ObjectHeader*, int32_t code) {
    sLog.push_back("ServerError(" + std::to_string(code) + ")");
}

ClassRecord* LoggingServerClass() {
    static ClassRecord* record = CompiledSubclass(
        ServerSocket(), "LoggingServer",
        {{"AddSocket", HandlerAddress(OnAddSocket)}, {"Error", HandlerAddress(OnServerError)}});
    return record;
}

class SocketDispatch : public testing::Test {
protected:
    void SetUp() override {
        sLog.clear();
        sCancellingSocket = nullptr;
        sDroppedInError = nullptr;
        sPollInDataAvailable = nullptr;
        sAddSocketGivesNil = false;
        sAddSocketCount = 0;
        SetTCPSocketCoreFactory(MakeFakeCore);
    }
    void TearDown() override {
        for (ObjectHeader* object : objects) ReleaseObject(object);
        EXPECT_EQ(ActiveSocketCount(), 0);
        SetTCPSocketCoreFactory(nullptr);
    }
    ObjectHeader* NewSocket() {
        ObjectHeader* socket = RuntimeNewObject(LoggingSocketClass());
        objects.push_back(socket);
        return socket;
    }
    ObjectHeader* NewServer(int32_t minimum, int32_t maximum) {
        ObjectHeader* server = RuntimeNewObject(LoggingServerClass());
        ServerSocketSetMinSockets(server, 0, minimum);
        ServerSocketSetMaxSockets(server, 0, maximum);
        objects.push_back(server);
        return server;
    }
    std::vector<ObjectHeader*> objects;
};

FakeTCPCore* Core(ObjectHeader* object) { return static_cast<FakeTCPCore*>(TCPCoreOf(object)); }

TEST_F(SocketDispatch, DeliversEveryPendingEventInItsFixedOrder) {
    ObjectHeader* socket = NewSocket();
    FakeTCPCore* core = Core(socket);
    core->progressPending = 1;
    core->sendCompletePending = 1;
    core->dataPending = 1;
    core->connectPending = 1;
    core->bytesSentSinceProgress = 12;
    core->DispatchEvents();
    EXPECT_EQ(Joined(), "Connected DataAvailable SendComplete(False) SendProgress(12,0)");
    EXPECT_EQ(core->eventWord, 0x2Du);
    // Nothing left to send: the SendComplete of that progress follows one dispatch later.
    EXPECT_EQ(core->sendCompletePending, 1);
    core->DispatchEvents();
    EXPECT_EQ(Joined(), "SendComplete(False)");
    core->DispatchEvents();
    EXPECT_EQ(Joined(), "");
}

TEST_F(SocketDispatch, HeldEventsWaitWhileListenersStillHearTheirReports) {
    struct Listener : SocketListener {
        void Connected(SocketImp*) override { sLog.emplace_back("listener Connected"); }
        void DataAvailable(SocketImp*) override { sLog.emplace_back("listener DataAvailable"); }
    } listener;
    TCPSocketImp* wire = NewTCPSocketCore(nullptr, &listener);
    ObjectHeader* socket = NewSocket();
    FakeTCPCore* core = Core(socket);
    HoldSocketEvents();
    core->connectPending = 1;
    core->dataPending = 1;
    wire->connectPending = 1;
    core->DispatchEvents();
    wire->DispatchEvents();
    EXPECT_EQ(Joined(), "listener Connected");
    EXPECT_EQ(core->connectPending, 1);
    EXPECT_EQ(core->eventWord, 0u);
    ReleaseSocketEvents();
    core->DispatchEvents();
    EXPECT_EQ(Joined(), "Connected DataAvailable");
    delete wire;
}

TEST_F(SocketDispatch, AHandlerThatPollsAgainDoesNotSeeItsEventTwice) {
    ObjectHeader* socket = NewSocket();
    sPollInDataAvailable = socket;
    Core(socket)->dataPending = 1;
    Core(socket)->DispatchEvents();
    EXPECT_EQ(Joined(), "DataAvailable");
}

TEST_F(SocketDispatch, ACancelledSendBelongsToTheSocketThatAskedForIt) {
    ObjectHeader* cancelling = NewSocket();
    ObjectHeader* other = NewSocket();
    sCancellingSocket = cancelling;
    SocketWrite(cancelling, string("unsent").Record());
    Core(cancelling)->progressPending = 1;
    Core(cancelling)->bytesSentSinceProgress = 4;
    Core(cancelling)->DispatchEvents();
    EXPECT_EQ(Joined(), "SendProgress(4,6)");
    EXPECT_EQ(TCPSocketBytesLeftToSend(cancelling), 0);
    // Another socket completing its send in between is not told it was cancelled.
    Core(other)->sendCompletePending = 1;
    Core(other)->DispatchEvents();
    Core(cancelling)->DispatchEvents();
    EXPECT_EQ(Joined(), "SendComplete(False) SendComplete(True)");
}

TEST_F(SocketDispatch, AnErrorClosesTheSocketAndClearsItWhenStillReferenced) {
    ObjectHeader* socket = NewSocket();
    FakeTCPCore* core = Core(socket);
    core->Connect(string("10.0.0.1"), 80);
    core->dataPending = 1;
    core->lastError = 102;
    core->errorPending = 1;
    core->DispatchEvents();
    EXPECT_EQ(Joined(), "DataAvailable Error(102)");
    EXPECT_EQ(ActiveSocketCount(), 0);
    EXPECT_EQ(core->eventWord, 0u);
    EXPECT_EQ(core->errorPending, 0);
    EXPECT_EQ(socket->refCount, 1);
}

TEST_F(SocketDispatch, AnErrorHandlerMayDropTheLastReferenceToItsSocket) {
    ObjectHeader* socket = RuntimeNewObject(LoggingSocketClass());
    FakeTCPCore* core = Core(socket);
    core->Connect(string("10.0.0.1"), 80);  // the open core holds its owner
    sDroppedInError = socket;               // and the handler drops the application's reference
    const int32_t live = LiveObjectCount();
    core->lastError = 103;
    core->errorPending = 1;
    core->DispatchEvents();
    EXPECT_EQ(Joined(), "Error(103)");
    EXPECT_EQ(LiveObjectCount(), live - 1);
    EXPECT_EQ(ActiveSocketCount(), 0);
}

// --- the pool ---

TCPSocketImp* ListeningCore(ObjectHeader* server) {
    ServerSocketListen(server);
    return TCPCoreOf(server);
}

int32_t ReadyCount(ObjectHeader* server) {
    return static_cast<int32_t>(TCPCoreOf(server)->pool->readySockets.size());
}

TEST_F(SocketDispatch, APoolIsFilledToItsMinimumPlusTenAndRefilledByTen) {
    ObjectHeader* server = NewServer(2, 100);
    TCPSocketImp* listening = ListeningCore(server);
    listening->Poll();
    EXPECT_EQ(sAddSocketCount, 12);
    EXPECT_EQ(ReadyCount(server), 12);
    EXPECT_EQ(ActiveSocketCount(), 13);
    EXPECT_EQ(listening->eventWord & kSocketEventPoolRefill, kSocketEventPoolRefill);
    for (int32_t i = 0; i < 10; ++i) {
        ASSERT_TRUE(listening->HandOffConnection(100 + i));
        listening->Poll();
    }
    EXPECT_EQ(sAddSocketCount, 12);
    EXPECT_EQ(ReadyCount(server), 2);
    ASSERT_TRUE(listening->HandOffConnection(110));
    listening->Poll();
    EXPECT_EQ(sAddSocketCount, 22);
    EXPECT_EQ(ReadyCount(server), 11);
    ServerSocketClose(server);
    EXPECT_EQ(ActiveSocketCount(), 11);  // the handed-off connections stay open
    for (int32_t i = 0; i < ActiveSocketCount(); ++i)
        EXPECT_EQ(ActiveSocketAt(i)->AsTCP()->parent, nullptr);
    while (ActiveSocketCount() > 0) socketClose(ActiveSocketAt(0)->owner);
}

TEST_F(SocketDispatch, AHandOffRunsConnectedAndRespectsTheMaximum) {
    ObjectHeader* server = NewServer(1, 1);
    TCPSocketImp* listening = ListeningCore(server);
    listening->Poll();
    Joined();
    ASSERT_TRUE(listening->HandOffConnection(7));
    EXPECT_EQ(Joined(), "Connected");
    ObjectHeader* first = listening->pool->connectedSockets[0];
    EXPECT_EQ(Core(first)->platformSocket, 7);
    EXPECT_TRUE(SocketIsConnected(first));
    EXPECT_FALSE(listening->HandOffConnection(8));
    RetainObject(first);
    socketClose(first);
    EXPECT_EQ(listening->pool->connectedSockets.size(), 0u);
    ASSERT_TRUE(listening->HandOffConnection(9));
    EXPECT_EQ(Joined(), "Connected");
    ReleaseObject(first);
    ServerSocketClose(server);
    while (ActiveSocketCount() > 0) socketClose(ActiveSocketAt(0)->owner);
}

TEST_F(SocketDispatch, AReadySocketClosedByTheApplicationLeavesThePool) {
    ObjectHeader* server = NewServer(1, 5);
    TCPSocketImp* listening = ListeningCore(server);
    listening->Poll();
    ASSERT_EQ(ReadyCount(server), 11);
    ObjectHeader* ready = listening->pool->readySockets[10];
    RetainObject(ready);
    socketClose(ready);
    const int32_t live = LiveObjectCount();
    ReleaseObject(ready);
    EXPECT_EQ(LiveObjectCount(), live - 1);
    EXPECT_EQ(ReadyCount(server), 10);
    ASSERT_TRUE(listening->HandOffConnection(5));
    EXPECT_NE(listening->pool->connectedSockets[0], ready);
    ServerSocketClose(server);
    while (ActiveSocketCount() > 0) socketClose(ActiveSocketAt(0)->owner);
}

TEST_F(SocketDispatch, AddSocketGivingNilRaisesOnceAndLeavesTheRefillPending) {
    RaisedExceptions raised;
    ObjectHeader* server = NewServer(2, 5);
    TCPSocketImp* listening = ListeningCore(server);
    sAddSocketGivesNil = true;
    listening->Poll();
    EXPECT_EQ(raised.Take(), "NilObjectException");
    EXPECT_EQ(sAddSocketCount, 1);
    EXPECT_EQ(listening->poolRefillPending, 1);
    EXPECT_EQ(ReadyCount(server), 0);
    // A later dispatch tries again and, with sockets given, fills the pool.
    sAddSocketGivesNil = false;
    listening->Poll();
    EXPECT_EQ(listening->poolRefillPending, 0);
    EXPECT_GE(ReadyCount(server), 2);
    ServerSocketClose(server);
}

TEST_F(SocketDispatch, ErrorsOfAListeningPoolGoToTheServer) {
    ObjectHeader* server = NewServer(1, 1);
    TCPSocketImp* listening = ListeningCore(server);
    listening->Poll();
    Joined();
    listening->lastError = 105;
    listening->errorPending = 1;
    listening->DispatchEvents();
    EXPECT_EQ(Joined(), "ServerError(105)");
    EXPECT_EQ(ActiveSocketCount(), 0);  // closed with its ready sockets
}

}  // namespace
