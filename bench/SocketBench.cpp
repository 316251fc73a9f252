// A loopback transfer through the socket cores against the same transfer between raw
// non-blocking Winsock sockets. The runtime side sends from a connected TCPSocket and receives on
// one that a ServerSocket handed a connection (and the other way round), polled back to back as an
// application loop that calls DoEvents does; its handlers write 1 MB whenever less is queued and
// read everything that arrives. The raw side drives a connected pair with a zero-timeout select
// per step, sending up to 256 KB (and once more the cores' 64 KB) and receiving up to 1 MB per
// readiness. A command-line number replaces the 256 MB.
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

void RawTransfer(SOCKET sender, SOCKET receiver, int64_t total, size_t piece = 256 << 10) {
    static std::vector<char> out(256 << 10, 'x');
    static std::vector<char> in(1 << 20);
    int64_t sent = 0, received = 0;
    timeval zero = {0, 0};
    while (received < total) {
        fd_set readable, writable;
        FD_ZERO(&readable);
        FD_ZERO(&writable);
        FD_SET(receiver, &readable);
        if (sent < total) FD_SET(sender, &writable);
        if (select(0, &readable, sent < total ? &writable : nullptr, nullptr, &zero) <= 0) continue;
        if (sent < total && FD_ISSET(sender, &writable)) {
            const int64_t want = total - sent < static_cast<int64_t>(piece) ? total - sent : piece;
            const int n = send(sender, out.data(), static_cast<int>(want), 0);
            if (n > 0) sent += n;
        }
        if (FD_ISSET(receiver, &readable)) {
            const int n = recv(receiver, in.data(), static_cast<int>(in.size()), 0);
            if (n > 0) received += n;
        }
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

    const double rawOut = Best([&] { RawTransfer(raw.a, raw.b, sTotal); });
    const double coreOut = Best([&] { RuntimeTransfer(runtime.client, sTotal, DoEventsStep); });
    std::printf(
        "connected core -> handed-off core: raw %.3f s, cores %.3f s, ratio %.2f (%.0f MB/s)\n",
        rawOut, coreOut, rawOut / coreOut, mb / coreOut);

    const double rawBack = Best([&] { RawTransfer(raw.b, raw.a, sTotal); });
    const double coreBack = Best([&] { RuntimeTransfer(runtime.pooled, sTotal, DoEventsStep); });
    std::printf(
        "handed-off core -> connected core: raw %.3f s, cores %.3f s, ratio %.2f (%.0f MB/s)\n",
        rawBack, coreBack, rawBack / coreBack, mb / coreBack);

    const double raw64 = Best([&] { RawTransfer(raw.a, raw.b, sTotal, 65536); });
    std::printf("raw with the cores' 64 KB pieces: %.3f s, ratio to the cores %.2f\n", raw64,
                raw64 / coreOut);
    const double bare = Best([&] { RuntimeTransfer(runtime.client, sTotal, PollStep); });
    std::printf("cores polled without the rest of the loop: ratio %.2f\n", rawOut / bare);
    // The handed-off core receiving only its default 8,192 bytes per poll.
    pooledCore->bufferSize = TCPSocketPosix::kDefaultBufferSize;
    const double small = Best([&] { RuntimeTransfer(runtime.client, sTotal, DoEventsStep); });
    pooledCore->bufferSize = platformSize;
    std::printf("the same with 8,192 bytes taken per poll instead of %d: ratio to raw %.2f\n",
                platformSize, rawOut / small);

    CloseRuntimePair(runtime);
    closesocket(raw.a);
    closesocket(raw.b);
    return 0;
}
