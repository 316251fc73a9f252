// Dial-up networking over the Remote Access Service: PPPConnect dials the first entry of the
// default phone book (or lets the user dial in the system's phone-book dialog), PPPDisconnect
// hangs up every connection, PPPStatus tells the state. "RasApi32.dll" and "RasDlg.dll" are loaded
// by name on every call and always used through their ANSI functions; a missing library or function
// ends the operation quietly with no connection. Failing calls show the service's error text in a
// "RAS Error" box.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <cstdint>

#include "core/ObjectModel.h"

struct WinsockLoader;

// The states PPPStatus reports (the System constants).
constexpr int32_t kPPPNoConnection = 0;
constexpr int32_t kPPPConnectionClosing = 3;
constexpr int32_t kPPPConnectionOpening = 4;
constexpr int32_t kPPPConnected = 5;

// The platform's records in the sizes this runtime gives their size fields (the first versions,
// whose layouts every version of the service accepts).
struct RasConnection {
    DWORD dwSize;
    HANDLE hrasconn;
    char szEntryName[257];
    char szDeviceType[17];
    char szDeviceName[129];
};
struct RasConnectionStatus {
    DWORD dwSize;
    DWORD rasconnstate;
    DWORD dwError;
    char szDeviceType[17];
    char szDeviceName[129];
};
struct RasPhonebookDialog {
    DWORD dwSize;
    HWND hwndOwner;
    DWORD dwFlags;
    LONG xDlg;
    LONG yDlg;
    ULONG_PTR dwCallbackId;
    void* pCallback;
    DWORD dwError;
    ULONG_PTR reserved;
    ULONG_PTR reserved2;
};
struct RasEntryName {
    DWORD dwSize;
    char szEntryName[257];
};
struct RasDialParameters {
    DWORD dwSize;
    char szEntryName[257];
    char szPhoneNumber[129];
    char szCallbackNumber[129];
    char szUserName[257];
    char szPassword[257];
    char szDomain[16];
};
struct RasEntry {
    DWORD dwSize;
    DWORD dwfOptions;
    DWORD dwCountryID;
    DWORD dwCountryCode;
    char szAreaCode[11];
    char szLocalPhoneNumber[129];
    DWORD dwAlternateOffset;
    DWORD ipaddr[5];
    DWORD dwFrameSize;
    DWORD dwfNetProtocols;
    DWORD dwFramingProtocol;
    char szScript[MAX_PATH];
    char szAutodialDll[MAX_PATH];
    char szAutodialFunc[MAX_PATH];
    char szDeviceType[17];
    char szDeviceName[129];
    char szX25PadType[33];
    char szX25Address[201];
    char szX25Facilities[201];
    char szX25UserData[201];
    DWORD dwChannels;
    DWORD dwReserved1;
    DWORD dwReserved2;
};
struct RasDialExtensions {
    DWORD dwSize;
    DWORD dwfOptions;
    HWND hwndParent;
    ULONG_PTR reserved;
};

static_assert(sizeof(RasConnection) == 412);
static_assert(sizeof(RasConnectionStatus) == 160);
static_assert(sizeof(RasPhonebookDialog) == 40);
static_assert(sizeof(RasEntryName) == 264);
static_assert(sizeof(RasDialParameters) == 1052);
static_assert(sizeof(RasEntry) == 1768);
static_assert(sizeof(RasDialExtensions) == 16);

// The connection states of the notifications this runtime acts on.
constexpr DWORD kRasConnected = 0x2000;
constexpr DWORD kRasDisconnected = 0x2001;

void DialUpConnect(bool userInteraction);
void DialUpDisconnect();
int32_t GetPPPState();
void SetPPPState(int32_t value);
// The number of active connections; with hangUp set each is hung up.
int32_t ListRasConnections(bool hangUp);
// The kept connection's handle, 0 for none.
HANDLE PPPConnection();

// The notification the service calls while a dial goes on, possibly from a thread of its own.
void WINAPI RasDialNotify(UINT message, DWORD state, DWORD error);

// Test hook: replaces how "RasApi32.dll" and "RasDlg.dll" are reached (null restores the
// system's) and forgets the kept state.
void SetDialUpLoader(const WinsockLoader* loader);

extern "C" {
// Reached with a System instance and its UserInteraction argument, or from TCPSocket.PPPConnect
// with the socket alone: a TCPSocket dials without the user.
void socketPPPConnect(ObjectHeader* instance, bool userInteraction);
void socketPPPDisconnect();
int32_t socketPPPStatus();
}
