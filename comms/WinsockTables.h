// The two Winsock entry-point tables, loaded by name when networking starts, and the translation
// of Winsock errors into socket error codes.
//
// The main table serves the TCP cores and the name lookups; the secondary table gives the adapter
// queries the local host name and address parsing. Both go through one loader, which tests replace
// to give fake entries or leave some out.
#pragma once

#include <winsock2.h>

#include <cstdint>

struct addrinfo;

struct WinsockTable {
    int(WSAAPI* WSAGetLastError)();
    int(WSAAPI* WSAStartup)(WORD, LPWSADATA);
    int(WSAAPI* WSACleanup)();
    int(WSAAPI* WSAFDIsSet)(SOCKET, fd_set*);
    hostent*(WSAAPI* gethostbyname)(const char*);
    u_short(WSAAPI* htons)(u_short);
    u_long(WSAAPI* htonl)(u_long);
    char*(WSAAPI* inet_ntoa)(in_addr);
    int(WSAAPI* select)(int, fd_set*, fd_set*, fd_set*, const timeval*);
    int(WSAAPI* send)(SOCKET, const char*, int, int);
    int(WSAAPI* bind)(SOCKET, const sockaddr*, int);
    int(WSAAPI* connect)(SOCKET, const sockaddr*, int);
    int(WSAAPI* listen)(SOCKET, int);
    SOCKET(WSAAPI* accept)(SOCKET, sockaddr*, int*);
    int(WSAAPI* recv)(SOCKET, char*, int, int);
    SOCKET(WSAAPI* socket)(int, int, int);
    int(WSAAPI* getpeername)(SOCKET, sockaddr*, int*);
    int(WSAAPI* getsockname)(SOCKET, sockaddr*, int*);
    int(WSAAPI* recvfrom)(SOCKET, char*, int, int, sockaddr*, int*);
    int(WSAAPI* sendto)(SOCKET, const char*, int, int, const sockaddr*, int);
    unsigned long(WSAAPI* inet_addr)(const char*);
    int(WSAAPI* closesocket)(SOCKET);
    u_short(WSAAPI* ntohs)(u_short);
    u_long(WSAAPI* ntohl)(u_long);
    int(WSAAPI* ioctlsocketBlocking)(SOCKET, long, u_long*);
    int(WSAAPI* ioctlsocketCount)(SOCKET, long, u_long*);
    int(WSAAPI* getsockopt)(SOCKET, int, int, char*, int*);
    int(WSAAPI* setsockopt)(SOCKET, int, int, const char*, int);
    int(WSAAPI* getaddrinfo)(const char*, const char*, const addrinfo*, addrinfo**);
    void(WSAAPI* freeaddrinfo)(addrinfo*);
    int(WSAAPI* getnameinfo)(const sockaddr*, int, char*, DWORD, char*, DWORD, int);
    HMODULE wsock32;
    HMODULE ws2_32;
};

struct SecondaryWinsockTable {
    int(WSAAPI* WSAStartup)(WORD, LPWSADATA);
    int(WSAAPI* WSACleanup)();
    SOCKET(WSAAPI* socket)(int, int, int);
    int(WSAAPI* closesocket)(SOCKET);
    unsigned long(WSAAPI* inet_addr)(const char*);
    int(WSAAPI* connect)(SOCKET, const sockaddr*, int);
    int(WSAAPI* bind)(SOCKET, const sockaddr*, int);
    int(WSAAPI* send)(SOCKET, const char*, int, int);
    int(WSAAPI* recv)(SOCKET, char*, int, int);
    int(WSAAPI* ioctlsocket)(SOCKET, long, u_long*);
    hostent*(WSAAPI* gethostbyname)(const char*);
    int(WSAAPI* WSAAsyncSelect)(SOCKET, HWND, u_int, long);
    int(WSAAPI* WSAGetLastError)();
    SOCKET(WSAAPI* accept)(SOCKET, sockaddr*, int*);
    int(WSAAPI* listen)(SOCKET, int);
    int(WSAAPI* getsockname)(SOCKET, sockaddr*, int*);
    int(WSAAPI* gethostname)(char*, int);
    int(WSAAPI* getpeername)(SOCKET, sockaddr*, int*);
    int(WSAAPI* recvfrom)(SOCKET, char*, int, int, sockaddr*, int*);
    int(WSAAPI* sendto)(SOCKET, const char*, int, int, const sockaddr*, int);
    int(WSAAPI* setsockopt)(SOCKET, int, int, const char*, int);
    HMODULE wsock32;
    HMODULE ws2_32;
};

// The main table; its entries are null until LoadWinsock succeeded.
extern WinsockTable gWinsock;
extern SecondaryWinsockTable gSecondaryWinsock;

// Loads the main table once; later calls answer the first outcome.
bool LoadWinsock();
void UnloadWinsock();
// Loads the secondary table (true at once while networking is started).
bool LoadSecondaryWinsockTable();
void UnloadSecondaryWinsockTable();

// Whether the main table's setsockopt came from ws2_32, whose IP option numbers differ from
// wsock32's.
bool SetSockOptFromWinsock2();

// WSAGetLastError() - 10000.
int32_t PlatformErrno();
// The last error is 35, 36 or 37: would block, in progress, already under way.
bool IsWouldBlock();
// The platform number (a Winsock error - 10000) as the socket error code it stands for; numbers
// without a code of their own are kept.
int32_t TranslateSocketError(int32_t platformNumber);
// The IPv4 address (network order) of a dotted text or, failing that, of a host name; null when
// neither resolves. A dotted address lives in one cell that the next call overwrites.
const uint32_t* ResolveAddress(const char* text);
// The numeric or (nameRequired) resolved host text of a socket address through getnameinfo; -1
// when getnameinfo is not available. addressPointer points at the address inside the structure.
int32_t GetNameInfo(int32_t family, const void* addressPointer, char* hostBuffer,
                    int32_t hostLength, bool nameRequired);
int32_t GetNumericNameInfo(int32_t family, const void* addressPointer, char* hostBuffer,
                           int32_t hostLength);

// How the tables reach the libraries. Tests replace it (null restores the system's); a
// replacement also forgets the remembered outcome of LoadWinsock.
struct WinsockLoader {
    HMODULE (*load)(const char* library);
    FARPROC (*resolve)(HMODULE library, const char* name);
    void (*release)(HMODULE library);
};
void SetWinsockLoader(const WinsockLoader* loader);
// The system's way: LoadLibraryA, GetProcAddress and FreeLibrary. The other libraries the
// network classes load by name (IP Helper, network sense, Remote Access) start with it too.
const WinsockLoader* SystemLibraryLoader();

// The local port of a platform socket (getsockname), -1 for none or on failure.
int32_t LocalPortOf(int32_t handle);
