// A loopback transfer through the socket cores against the same transfer between raw
// non-blocking Winsock sockets. The runtime side sends from a connected TCPSocket and receives on
// one that a ServerSocket handed a connection (and the other way round), polled back to back by
// PollAllSockets or by an application loop that calls DoEvents; its handlers write 1 MB whenever
// less is queued and read everything that arrives. The raw side makes the calls a poll makes: per
// step one zero-timeout select for each socket, at most 64 KB sent and the cores' receive size
// taken; against DoEvents it also makes the loop step's own call for window messages. So each
// ratio is the runtime's own overhead. Then 20,000 datagrams of 1,000 bytes taken one per poll
// against a raw FIONREAD and recvfrom per datagram. A command-line number replaces the 256 MB.
#include <winsock2.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "BenchTiming.h"
#include "comms/SocketClasses.h"
#include "comms/TCPSocketPosix.h"
#include "core/DefinitionConversion.h"
#include "host/EventLoop.h"
#include "tests/support/CompiledSubclass.h"

namespace {

int64_t sTotal = 256LL << 20;
constexpr int32_t kChunk = 1 << 20;

int64_t sReceived = 0;

void OnData(ObjectHeader* self) {
    StringRecord* bytes = SocketReadAll(self, nullptr);
    if (bytes) sReceived += bytes->length;
    RuntimeUnlockString(bytes);
}

ObjectHeader* OnAddSocket(ObjectHeader*);

ClassRecord* ReaderClass() {
    static ClassRecord* record =
        CompiledSubclass(TCPSocket(), "Reader", {{"DataAvailable", HandlerAddress(OnData)}});
    return record;
}

ObjectHeader* OnAddSocket(ObjectHeader*) { return RuntimeNewObject(ReaderClass()); }

ClassRecord* ServerClass() {
    static ClassRecord* record =
        CompiledSubclass(ServerSocket(), "Server", {{"AddSocket", HandlerAddress(OnAddSocket)}});
    return record;
}

// A connected TCPSocket and the pooled socket its connection was handed to.
struct RuntimePair {
    ObjectHeader* server;
    ObjectHeader* client;
    ObjectHeader* pooled;
};

RuntimePair OpenRuntimePair() {
    RuntimePair pair{};
    pair.server = RuntimeNewObject(ServerClass());
    ServerSocketListen(pair.server);
    const int32_t port = ServerSocketPortGetter(pair.server, 0);
    pair.client = RuntimeNewObject(ReaderClass());
    string address("127.0.0.1");
    socketDirectConnect(pair.client, address.Record(), port);
    TCPSocketImp* listening = TCPCoreOf(pair.server);
    while (!pair.pooled) {
        RuntimeDoEvents(nullptr, -1);
        if (listening->pool && listening->pool->connectedSockets.size() > 0)
            pair.pooled = listening->pool->connectedSockets[0];
    }
    while (!SocketIsConnected(pair.client)) RuntimeDoEvents(nullptr, -1);
    return pair;
}

void CloseRuntimePair(RuntimePair& pair) {
    socketClose(pair.client);
    socketClose(pair.pooled);
    ServerSocketClose(pair.server);
    ReleaseObject(pair.client);
    ReleaseObject(pair.server);
}

// Sends sTotal bytes from one socket of the pair to the other through the event loop.
void RuntimeTransfer(ObjectHeader* sender, int64_t total, void (*step)()) {
    static string chunk = [] {
        string s;
        char* bytes = s.AllocateBytes(kChunk);
        for (int32_t i = 0; i < kChunk; ++i) bytes[i] = static_cast<char>(i);
        return s;
    }();
    sReceived = 0;
    int64_t written = 0;
    while (sReceived < total) {
        if (written < total && TCPSocketBytesLeftToSend(sender) < kChunk) {
            SocketWrite(sender, chunk.Record());
            written += kChunk;
        }
        step();
    }
}

void DoEventsStep() { RuntimeDoEvents(nullptr, -1); }
void PollStep() { PollAllSockets(false); }

// --- raw sockets ---

struct RawPair {
    SOCKET a;
    SOCKET b;
};

RawPair OpenRawPair() {
    SOCKET listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(listener, 1);
    int length = sizeof address;
    getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    RawPair pair;
    pair.a = socket(AF_INET, SOCK_STREAM, 0);
    const int size = 1 << 20;
    setsockopt(pair.a, SOL_SOCKET, SO_SNDBUF, reinterpret_cast<const char*>(&size), sizeof size);
    setsockopt(pair.a, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&size), sizeof size);
    connect(pair.a, reinterpret_cast<sockaddr*>(&address), sizeof address);
    pair.b = accept(listener, nullptr, nullptr);
    setsockopt(pair.b, SOL_SOCKET, SO_SNDBUF, reinterpret_cast<const char*>(&size), sizeof size);
    setsockopt(pair.b, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&size), sizeof size);
    closesocket(listener);
    u_long nonBlocking = 1;
    ioctlsocket(pair.a, FIONBIO, &nonBlocking);
    ioctlsocket(pair.b, FIONBIO, &nonBlocking);
    return pair;
}

// One poll's worth of platform calls per step, as a core makes them.
void RawTransfer(SOCKET sender, SOCKET receiver, int64_t total, int32_t receiveSize,
                 bool loopCalls) {
    static std::vector<char> out(TCPSocketPosix::kMaximumSendPiece, 'x');
    static std::vector<char> in(TCPSocketPosix::kRequestedBufferSize);
    int64_t sent = 0, received = 0;
    timeval zero = {0, 0};
    while (received < total) {
        if (loopCalls) {
            MSG message;
            if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
        }
        if (sent < total) {
            fd_set writable;
            FD_ZERO(&writable);
            FD_SET(sender, &writable);
            if (select(0, nullptr, &writable, nullptr, &zero) > 0) {
                const int64_t want = total - sent < static_cast<int64_t>(out.size())
                                         ? total - sent
                                         : static_cast<int64_t>(out.size());
                const int n = send(sender, out.data(), static_cast<int>(want), 0);
                if (n > 0) sent += n;
            }
        }
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(receiver, &readable);
        if (select(0, &readable, nullptr, nullptr, &zero) > 0) {
            const int n = recv(receiver, in.data(), receiveSize, 0);
            if (n > 0) received += n;
        }
    }
}

// --- datagrams ---

constexpr int32_t kDatagrams = 20000;
constexpr int32_t kDatagramSize = 1000;
constexpr int32_t kBatch = 10;  // sent at a time, well inside the receive buffer
int32_t sDatagramsRead = 0;

void OnDatagram(ObjectHeader* self) {
    ObjectHeader* datagram = UDPReadDatagram(self, nullptr);
    if (datagram) ++sDatagramsRead;
    ReleaseObject(datagram);
}

ClassRecord* DatagramReaderClass() {
    static ClassRecord* record = CompiledSubclass(
        UDPSocket(), "DatagramReader", {{"DataAvailable", HandlerAddress(OnDatagram)}});
    return record;
}

SOCKET DatagramSocket(int* port) {
    SOCKET s = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
    int length = sizeof address;
    getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
    *port = ntohs(address.sin_port);
    const int size = 4 << 20;
    setsockopt(s, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&size), sizeof size);
    return s;
}

// Sends the datagrams in batches and takes each batch with the receive step before the next.
template <typename Receive>
void DatagramTransfer(SOCKET sender, int port, int32_t& received, Receive receive) {
    static std::vector<char> bytes(kDatagramSize, 'd');
    sockaddr_in to = {};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<u_short>(port));
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    received = 0;
    for (int32_t sent = 0; sent < kDatagrams; sent += kBatch) {
        for (int32_t i = 0; i < kBatch; ++i)
            sendto(sender, bytes.data(), kDatagramSize, 0, reinterpret_cast<sockaddr*>(&to),
                   sizeof to);
        // A datagram the platform dropped is not waited for longer than a second.
        const DWORD start = GetTickCount();
        while (received < sent + kBatch && GetTickCount() - start < 1000) receive();
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1) sTotal = std::atoll(argv[1]) << 20;
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    StartNetworking();
    RuntimePair runtime = OpenRuntimePair();
    RawPair raw = OpenRawPair();
    TCPSocketPosix* pooledCore = static_cast<TCPSocketPosix*>(TCPCoreOf(runtime.pooled));
    const int32_t platformSize = pooledCore->bufferSize;

    const double mb = double(sTotal) / (1 << 20);
    std::printf("socket bench: %.0f MB over loopback, best of %d rounds\n", mb, kRounds);

    auto report = [&](const char* what, double rawTime, double coreTime) {
        std::printf("%s: raw %.3f s, cores %.3f s, ratio %.2f (%.0f MB/s)\n", what, rawTime,
                    coreTime, rawTime / coreTime, mb / coreTime);
    };
    report("connected -> handed-off, PollAllSockets",
           Best([&] { RawTransfer(raw.a, raw.b, sTotal, platformSize, false); }),
           Best([&] { RuntimeTransfer(runtime.client, sTotal, PollStep); }));
    report("handed-off -> connected, PollAllSockets",
           Best([&] { RawTransfer(raw.b, raw.a, sTotal, platformSize, false); }),
           Best([&] { RuntimeTransfer(runtime.pooled, sTotal, PollStep); }));
    report("connected -> handed-off, DoEvents",
           Best([&] { RawTransfer(raw.a, raw.b, sTotal, platformSize, true); }),
           Best([&] { RuntimeTransfer(runtime.client, sTotal, DoEventsStep); }));
    report("handed-off -> connected, DoEvents",
           Best([&] { RawTransfer(raw.b, raw.a, sTotal, platformSize, true); }),
           Best([&] { RuntimeTransfer(runtime.pooled, sTotal, DoEventsStep); }));

    CloseRuntimePair(runtime);
    int rawPort = 0, senderPort = 0;
    SOCKET rawReceiver = DatagramSocket(&rawPort);
    SOCKET datagramSender = DatagramSocket(&senderPort);
    ObjectHeader* udp = RuntimeNewObject(DatagramReaderClass());
    SocketConnect(udp);
    const int udpPort = SocketPortGetter(udp, 0);
    int32_t rawRead = 0;
    static std::vector<char> datagram(kDatagramSize);
    const double rawDatagrams = Best([&] {
        DatagramTransfer(datagramSender, rawPort, rawRead, [&] {
            u_long waiting = 0;
            ioctlsocket(rawReceiver, FIONREAD, &waiting);
            if (waiting == 0) return;
            sockaddr_in from;
            int length = sizeof from;
            if (recvfrom(rawReceiver, datagram.data(), static_cast<int>(waiting), 0,
                         reinterpret_cast<sockaddr*>(&from), &length) > 0)
                ++rawRead;
        });
    });
    const double coreDatagrams = Best(
        [&] { DatagramTransfer(datagramSender, udpPort, sDatagramsRead, [] { PollStep(); }); });
    std::printf("%d datagrams of %d bytes, one per poll: raw %.3f s, cores %.3f s, ratio %.2f "
                "(lost: raw %d, cores %d)\n",
                kDatagrams, kDatagramSize, rawDatagrams, coreDatagrams,
                rawDatagrams / coreDatagrams, kDatagrams - rawRead, kDatagrams - sDatagramsRead);
    ReleaseObject(udp);
    closesocket(rawReceiver);
    closesocket(datagramSender);

    closesocket(raw.a);
    closesocket(raw.b);
    return 0;
}
