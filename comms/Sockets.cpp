#include "Sockets.h"

#include <winsock2.h>

bool PollAllSockets(bool) { return false; }

bool InDebugMode() { return false; }

void RunFireSerial() {}

void DebugBreakASAP() {}

namespace {
bool sNetworkingStarted = false;
}  // namespace

int32_t StartNetworking() {
    if (sNetworkingStarted) return 0;
    WSADATA data;
    if (WSAStartup(MAKEWORD(1, 1), &data) != 0) return 100;
    sNetworkingStarted = true;
    return 0;
}

void ShutdownSockets() {
    if (!sNetworkingStarted) return;
    WSACleanup();
    sNetworkingStarted = false;
}
