#include "WinsockTables.h"

#include <ws2tcpip.h>

#include <cstddef>

#include "core/Platform.h"

WinsockTable gWinsock = {};
SecondaryWinsockTable gSecondaryWinsock = {};

namespace {

enum Library : uint8_t { kWsock32, kWs2_32, kOptionsLibrary };

// One entry of a table: its export name, the library it comes from, whether the table needs it,
// and where it goes.
struct EntryRow {
    const char* name;
    Library library;
    bool required;
    size_t offset;
};

#define QV_MAIN(field, library, required) \
    { #field, library, required, offsetof(WinsockTable, field) }
#define QV_MAIN_AS(name, field, library, required) \
    { name, library, required, offsetof(WinsockTable, field) }

// The first four are resolved before the rest; the loading stops when one of them is missing.
constexpr EntryRow kFirstMainRows[] = {
    QV_MAIN(WSAGetLastError, kWsock32, true),
    QV_MAIN(WSAStartup, kWsock32, true),
    QV_MAIN(WSACleanup, kWsock32, true),
    QV_MAIN_AS("__WSAFDIsSet", WSAFDIsSet, kWsock32, true),
};

constexpr EntryRow kMainRows[] = {
    QV_MAIN(gethostbyname, kWsock32, true),
    QV_MAIN(htons, kWsock32, true),
    QV_MAIN(htonl, kWsock32, true),
    QV_MAIN(inet_ntoa, kWsock32, true),
    QV_MAIN(select, kWsock32, true),
    QV_MAIN(send, kWsock32, true),
    QV_MAIN(bind, kWsock32, true),
    QV_MAIN(connect, kWsock32, true),
    QV_MAIN(listen, kWsock32, true),
    QV_MAIN(accept, kWsock32, true),
    QV_MAIN(recv, kWsock32, true),
    QV_MAIN(socket, kWsock32, true),
    QV_MAIN(getpeername, kWsock32, true),
    QV_MAIN(getsockname, kWsock32, true),
    QV_MAIN(recvfrom, kWsock32, true),
    QV_MAIN(sendto, kWsock32, true),
    QV_MAIN(inet_addr, kWsock32, true),
    QV_MAIN(closesocket, kWsock32, true),
    QV_MAIN(ntohs, kWsock32, false),
    QV_MAIN(ntohl, kWsock32, false),
    QV_MAIN_AS("ioctlsocket", ioctlsocketBlocking, kWsock32, true),
    QV_MAIN_AS("ioctlsocket", ioctlsocketCount, kWsock32, true),
    QV_MAIN(getsockopt, kOptionsLibrary, true),
    QV_MAIN(setsockopt, kOptionsLibrary, true),
    QV_MAIN(getaddrinfo, kWs2_32, false),
    QV_MAIN(freeaddrinfo, kWs2_32, false),
};

#define QV_SECONDARY(field, library) \
    { #field, library, false, offsetof(SecondaryWinsockTable, field) }

constexpr EntryRow kSecondaryRows[] = {
    QV_SECONDARY(WSAStartup, kWsock32),
    QV_SECONDARY(WSACleanup, kWsock32),
    QV_SECONDARY(socket, kWsock32),
    QV_SECONDARY(closesocket, kWsock32),
    QV_SECONDARY(inet_addr, kWsock32),
    QV_SECONDARY(connect, kWsock32),
    QV_SECONDARY(bind, kWsock32),
    QV_SECONDARY(send, kWsock32),
    QV_SECONDARY(recv, kWsock32),
    QV_SECONDARY(ioctlsocket, kWsock32),
    QV_SECONDARY(gethostbyname, kWsock32),
    QV_SECONDARY(WSAAsyncSelect, kWsock32),
    QV_SECONDARY(WSAGetLastError, kWsock32),
    QV_SECONDARY(accept, kWsock32),
    QV_SECONDARY(listen, kWsock32),
    QV_SECONDARY(getsockname, kWsock32),
    QV_SECONDARY(gethostname, kWsock32),
    QV_SECONDARY(getpeername, kWsock32),
    QV_SECONDARY(recvfrom, kWsock32),
    QV_SECONDARY(sendto, kWsock32),
    QV_SECONDARY(setsockopt, kWs2_32),
};

HMODULE SystemLoad(const char* library) { return LoadLibraryA(library); }
FARPROC SystemResolve(HMODULE library, const char* name) { return GetProcAddress(library, name); }
void SystemRelease(HMODULE library) { FreeLibrary(library); }

constexpr WinsockLoader kSystemLoader = {SystemLoad, SystemResolve, SystemRelease};
const WinsockLoader* sLoader = &kSystemLoader;

bool sLoadAttempted = false;
bool sLoadOutcome = false;
bool sNameInfoResolved = false;

// Winsock errors and the socket error codes they stand for (numbers are the error - 10000).
struct ErrorTranslation {
    int32_t platformNumber;
    int32_t code;
};
constexpr ErrorTranslation kErrorTranslations[] = {
    {1, 107},  {13, 107},  // not permitted, access denied
    {2, 103},  {51, 103}, {57, 103}, {60, 103},
    {61, 103},                                   // unreachable, not connected, timed out, refused
    {12, 108}, {23, 108}, {55, 108},             // no memory, no buffers
    {32, 102}, {52, 102}, {53, 102}, {54, 102},  // broken, dropped, aborted, reset
    {48, 105},                                   // address in use
};

HMODULE LibraryFor(Library library, HMODULE wsock32, HMODULE ws2_32) {
    if (library == kWsock32) return wsock32;
    if (library == kWs2_32) return ws2_32;
    return IsUnicodePlatform() ? ws2_32 : wsock32;
}

// Fills the entries of the rows; false when a required one is missing.
template <size_t N>
bool Resolve(void* table, const EntryRow (&rows)[N], HMODULE wsock32, HMODULE ws2_32) {
    bool complete = true;
    for (const EntryRow& row : rows) {
        FARPROC entry = sLoader->resolve(LibraryFor(row.library, wsock32, ws2_32), row.name);
        *reinterpret_cast<FARPROC*>(static_cast<char*>(table) + row.offset) = entry;
        if (!entry && row.required) complete = false;
    }
    return complete;
}

void ReleaseLibraries(HMODULE& wsock32, HMODULE& ws2_32) {
    if (wsock32) sLoader->release(wsock32);
    if (ws2_32) sLoader->release(ws2_32);
    wsock32 = nullptr;
    ws2_32 = nullptr;
}

}  // namespace

bool LoadWinsock() {
    if (sLoadAttempted) return sLoadOutcome;
    sLoadAttempted = true;
    sLoadOutcome = false;
    gWinsock = {};
    gWinsock.wsock32 = sLoader->load("wsock32.dll");
    gWinsock.ws2_32 = sLoader->load("ws2_32.dll");
    if (!gWinsock.wsock32 || !gWinsock.ws2_32) return false;
    if (!Resolve(&gWinsock, kFirstMainRows, gWinsock.wsock32, gWinsock.ws2_32)) return false;
    const bool complete = Resolve(&gWinsock, kMainRows, gWinsock.wsock32, gWinsock.ws2_32);
    WSADATA data;
    gWinsock.WSAStartup(MAKEWORD(1, 1), &data);
    sLoadOutcome = complete;
    return complete;
}

void UnloadWinsock() {
    if (gWinsock.WSACleanup) gWinsock.WSACleanup();
    ReleaseLibraries(gWinsock.wsock32, gWinsock.ws2_32);
}

bool LoadSecondaryWinsockTable() {
    HMODULE wsock32 = sLoader->load("wsock32.dll");
    if (!wsock32) return false;
    HMODULE ws2_32 = sLoader->load("ws2_32.dll");
    if (!ws2_32) {
        sLoader->release(wsock32);
        return false;
    }
    // Each call holds the libraries once more; one table keeps the handles of the last call.
    ReleaseLibraries(gSecondaryWinsock.wsock32, gSecondaryWinsock.ws2_32);
    gSecondaryWinsock.wsock32 = wsock32;
    gSecondaryWinsock.ws2_32 = ws2_32;
    Resolve(&gSecondaryWinsock, kSecondaryRows, wsock32, ws2_32);
    return true;
}

void UnloadSecondaryWinsockTable() {
    ReleaseLibraries(gSecondaryWinsock.wsock32, gSecondaryWinsock.ws2_32);
}

const WinsockLoader* SystemLibraryLoader() { return &kSystemLoader; }

int32_t LocalPortOf(int32_t handle) {
    if (handle == -1) return -1;
    sockaddr_in local;
    int length = sizeof local;
    if (gWinsock.getsockname(static_cast<SOCKET>(handle), reinterpret_cast<sockaddr*>(&local),
                             &length) != 0)
        return -1;
    return gWinsock.ntohs ? gWinsock.ntohs(local.sin_port) : ntohs(local.sin_port);
}

void SetWinsockLoader(const WinsockLoader* loader) {
    if (sLoadAttempted) UnloadWinsock();
    UnloadSecondaryWinsockTable();
    gWinsock = {};
    gSecondaryWinsock = {};
    sLoader = loader ? loader : &kSystemLoader;
    sLoadAttempted = false;
    sLoadOutcome = false;
    sNameInfoResolved = false;
}

// The options library is chosen as LibraryFor chooses it.
bool SetSockOptFromWinsock2() { return IsUnicodePlatform(); }

int32_t PlatformErrno() {
    return gWinsock.WSAGetLastError ? gWinsock.WSAGetLastError() - 10000 : 0;
}

bool IsWouldBlock() {
    const int32_t number = PlatformErrno();
    return number == 35 || number == 36 || number == 37;
}

int32_t TranslateSocketError(int32_t platformNumber) {
    for (const ErrorTranslation& row : kErrorTranslations)
        if (row.platformNumber == platformNumber) return row.code;
    return platformNumber;
}

const uint32_t* ResolveAddress(const char* text) {
    static uint32_t sResolved;
    const unsigned long dotted = gWinsock.inet_addr(text);
    if (dotted != INADDR_NONE) {
        sResolved = static_cast<uint32_t>(dotted);
        return &sResolved;
    }
    hostent* host = gWinsock.gethostbyname(text);
    if (!host || !host->h_addr_list || !host->h_addr_list[0]) return nullptr;
    return reinterpret_cast<const uint32_t*>(host->h_addr_list[0]);
}

int32_t GetNameInfo(int32_t family, const void* addressPointer, char* hostBuffer,
                    int32_t hostLength, bool nameRequired) {
    if (!sNameInfoResolved) {
        sNameInfoResolved = true;
        if (gWinsock.ws2_32)
            gWinsock.getnameinfo = reinterpret_cast<decltype(gWinsock.getnameinfo)>(
                reinterpret_cast<void*>(sLoader->resolve(gWinsock.ws2_32, "getnameinfo")));
    }
    if (!gWinsock.getnameinfo) return -1;
    const bool ipv4 = family == AF_INET;
    const sockaddr* address = reinterpret_cast<const sockaddr*>(
        static_cast<const char*>(addressPointer) - (ipv4 ? 4 : 8));
    return gWinsock.getnameinfo(address, ipv4 ? 16 : 28, hostBuffer, static_cast<DWORD>(hostLength),
                                nullptr, 0, nameRequired ? NI_NAMEREQD : NI_NUMERICHOST);
}

int32_t GetNumericNameInfo(int32_t family, const void* addressPointer, char* hostBuffer,
                           int32_t hostLength) {
    return GetNameInfo(family, addressPointer, hostBuffer, hostLength, false);
}
