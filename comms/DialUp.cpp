#include "DialUp.h"

#include <cstring>

#include "SocketClasses.h"
#include "WinsockTables.h"
#include "controls/MessageDialog.h"
#include "core/FailureReport.h"
#include "core/GuardedMemory.h"
#include "core/EncodingConversion.h"

namespace {

constexpr const char* kSource = "PPPSocketWin";
constexpr DWORD kBufferTooSmall = 603;

const WinsockLoader* sLoader = SystemLibraryLoader();

// Written by the service's notification, possibly on another thread.
volatile LONG sPPPState = 0;
volatile LONG sPPPConnection = 0;

using EnumConnections = DWORD WINAPI(RasConnection*, DWORD*, DWORD*);
using GetConnectStatus = DWORD WINAPI(HANDLE, RasConnectionStatus*);
using GetErrorString = DWORD WINAPI(UINT, char*, DWORD);
using EnumEntries = DWORD WINAPI(const char*, const char*, RasEntryName*, DWORD*, DWORD*);
using GetEntryDialParams = DWORD WINAPI(const char*, RasDialParameters*, BOOL*);
using GetEntryProperties = DWORD WINAPI(const char*, const char*, RasEntry*, DWORD*, BYTE*,
                                        DWORD*);
using Dial = DWORD WINAPI(RasDialExtensions*, const char*, RasDialParameters*, DWORD, void*,
                          HANDLE*);
using HangUp = DWORD WINAPI(HANDLE);
using PhonebookDialog = BOOL WINAPI(const char*, const char*, RasPhonebookDialog*);

template <typename F>
F* Lookup(HMODULE library, const char* name) {
    return library ? reinterpret_cast<F*>(reinterpret_cast<void*>(sLoader->resolve(library, name)))
                   : nullptr;
}

// A zero-filled block from the system heap, released with Free.
void* Block(DWORD size) { return HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, size); }
void Free(void* block) {
    if (block) HeapFree(GetProcessHeap(), 0, block);
}

// The two libraries of one operation.
struct RasLibraries {
    HMODULE api = nullptr;
    HMODULE dialog = nullptr;
    void Release() {
        if (api) sLoader->release(api);
        if (dialog) sLoader->release(dialog);
        api = nullptr;
        dialog = nullptr;
    }
};

void ReportRasError(GetErrorString* getErrorString, DWORD code) {
    char text[255] = {};
    if (getErrorString) getErrorString(code, text, sizeof text);
    MessageDialog box;
    box.title = string("RAS Error");
    string message(text);
    message.SetEncoding(SystemTextEncoding());
    box.message = message;
    box.icon = kGraphicNone;
    box.systemBox = true;
    box.Display();
}

void SetConnection(HANDLE connection) {
    InterlockedExchange(&sPPPConnection, static_cast<LONG>(reinterpret_cast<intptr_t>(connection)));
}

// The phone-book dialog: the user picks an entry and dials in it.
void ConnectThroughDialog(RasLibraries& libraries, PhonebookDialog* phonebookDialog,
                          GetErrorString* getErrorString) {
    SetPPPState(kPPPConnectionOpening);
    RasPhonebookDialog dialog = {};
    dialog.dwSize = sizeof dialog;
    if (!phonebookDialog(nullptr, nullptr, &dialog)) {
        SetPPPState(kPPPNoConnection);
        return;
    }
    auto* enumConnections = Lookup<EnumConnections>(libraries.api, "RasEnumConnectionsA");
    if (!enumConnections) {
        SetPPPState(kPPPNoConnection);
        return;
    }
    auto* list = static_cast<RasConnection*>(Block(sizeof(RasConnection)));
    if (!list) {
        SetPPPState(kPPPNoConnection);
        return;
    }
    list->dwSize = sizeof(RasConnection);
    DWORD size = sizeof(RasConnection);
    DWORD count = 0;
    const DWORD result = enumConnections(list, &size, &count);
    if (result != 0) {
        ReportRasError(getErrorString, result);
        SetPPPState(kPPPNoConnection);
    } else {
        SetConnection(count > 0 ? list->hrasconn : nullptr);
        SetPPPState(kPPPConnected);
    }
    Free(list);
}

// Dials the first entry of the default phone book; false when the libraries must be released.
bool DialFirstEntry(RasLibraries& libraries, GetErrorString* getErrorString) {
    auto* enumEntries = Lookup<EnumEntries>(libraries.api, "RasEnumEntriesA");
    if (!enumEntries) {
        SetPPPState(kPPPNoConnection);
        return false;
    }
    auto* entries = static_cast<RasEntryName*>(Block(sizeof(RasEntryName)));
    if (!entries) return false;
    entries->dwSize = sizeof(RasEntryName);
    DWORD size = sizeof(RasEntryName);
    DWORD count = 0;
    DWORD result = enumEntries(nullptr, nullptr, entries, &size, &count);
    if (result == kBufferTooSmall) {
        Free(entries);
        entries = static_cast<RasEntryName*>(Block(size));
        if (!entries) {
            SetPPPState(kPPPNoConnection);
            return false;
        }
        entries->dwSize = sizeof(RasEntryName);
        result = enumEntries(nullptr, nullptr, entries, &size, &count);
    }
    RasDialParameters* parameters = nullptr;
    RasEntry* entry = nullptr;
    bool keepLibraries = false;
    auto fail = [&](DWORD code) {
        if (code != 0) ReportRasError(getErrorString, code);
        SetPPPState(kPPPNoConnection);
    };
    if (result != 0) {
        fail(result);
    } else if (count == 0) {
        // No entry to dial: nothing is asked of the user and nothing is reported.
        SetPPPState(kPPPNoConnection);
    } else if (auto* getDialParams =
                   Lookup<GetEntryDialParams>(libraries.api, "RasGetEntryDialParamsA");
               !getDialParams) {
        fail(0);
    } else if (!(parameters = static_cast<RasDialParameters*>(Block(sizeof(RasDialParameters))))) {
        fail(0);
    } else {
        parameters->dwSize = sizeof(RasDialParameters);
        std::memcpy(parameters->szEntryName, entries->szEntryName, sizeof parameters->szEntryName);
        BOOL password = FALSE;
        result = getDialParams(nullptr, parameters, &password);
        if (result != 0) {
            fail(result);
        } else {
            bool dial = true;
            if (auto* getProperties =
                    Lookup<GetEntryProperties>(libraries.api, "RasGetEntryPropertiesA")) {
                DWORD entrySize = 0;
                getProperties(nullptr, parameters->szEntryName, nullptr, &entrySize, nullptr,
                              nullptr);
                if (entrySize < sizeof(RasEntry)) entrySize = sizeof(RasEntry);
                entry = static_cast<RasEntry*>(Block(entrySize));
                if (!entry) {
                    ReportAssertion(kSource, __LINE__, "entry");
                    fail(0);
                    dial = false;
                } else {
                    entry->dwSize = sizeof(RasEntry);
                    result = getProperties(nullptr, parameters->szEntryName, entry, &entrySize,
                                           nullptr, nullptr);
                    if (result != 0) {
                        fail(result);
                        dial = false;
                    } else {
                        std::memcpy(parameters->szPhoneNumber, entry->szLocalPhoneNumber,
                                    sizeof parameters->szPhoneNumber);
                    }
                }
            }
            if (dial) {
                SetPPPState(kPPPConnectionOpening);
                auto* rasDial = Lookup<Dial>(libraries.api, "RasDialA");
                if (!rasDial) {
                    SetPPPState(kPPPNoConnection);
                    SetConnection(nullptr);
                } else {
                    RasDialExtensions extensions = {};
                    extensions.dwSize = sizeof extensions;
                    HANDLE connection = nullptr;
                    result = rasDial(&extensions, nullptr, parameters, 0,
                                     reinterpret_cast<void*>(RasDialNotify), &connection);
                    if (result != 0) {
                        ReportRasError(getErrorString, result);
                        SetPPPState(kPPPNoConnection);
                        SetConnection(nullptr);
                    } else {
                        // The dial goes on in the background and reports through the libraries.
                        if (connection) SetConnection(connection);
                        keepLibraries = true;
                    }
                }
            }
        }
    }
    Free(entry);
    Free(parameters);
    Free(entries);
    return keepLibraries;
}

}  // namespace

void SetPPPState(int32_t value) { InterlockedExchange(&sPPPState, value); }

HANDLE PPPConnection() {
    return reinterpret_cast<HANDLE>(
        static_cast<intptr_t>(InterlockedCompareExchange(&sPPPConnection, 0, 0)));
}

void SetDialUpLoader(const WinsockLoader* loader) {
    sLoader = loader ? loader : SystemLibraryLoader();
    SetPPPState(kPPPNoConnection);
    SetConnection(nullptr);
}

void WINAPI RasDialNotify(UINT, DWORD state, DWORD) {
    if (state == kRasConnected) {
        SetPPPState(kPPPConnected);
    } else if (state == kRasDisconnected) {
        SetPPPState(kPPPNoConnection);
        SetConnection(nullptr);
    }
}

void DialUpConnect(bool userInteraction) {
    RasLibraries libraries;
    libraries.dialog = sLoader->load("RasDlg.dll");
    libraries.api = sLoader->load("RasApi32.dll");
    auto* phonebookDialog = Lookup<PhonebookDialog>(libraries.dialog, "RasPhonebookDlgA");
    auto* getErrorString = Lookup<GetErrorString>(libraries.api, "RasGetErrorStringA");
    const HANDLE kept = PPPConnection();
    if (kept) {
        if (auto* getStatus = Lookup<GetConnectStatus>(libraries.api, "RasGetConnectStatusA")) {
            RasConnectionStatus status = {};
            status.dwSize = sizeof status;
            if (getStatus(kept, &status) == 0 && status.rasconnstate == kRasConnected) {
                SetPPPState(kPPPConnected);
                libraries.Release();
                return;
            }
        }
    }
    SetPPPState(kPPPNoConnection);
    if (!libraries.api) {
        libraries.Release();
        return;
    }
    if (phonebookDialog && userInteraction) {
        ConnectThroughDialog(libraries, phonebookDialog, getErrorString);
        libraries.Release();
        return;
    }
    if (!DialFirstEntry(libraries, getErrorString)) libraries.Release();
}

int32_t ListRasConnections(bool hangUp) {
    HMODULE api = sLoader->load("RasApi32.dll");
    auto* enumConnections = Lookup<EnumConnections>(api, "RasEnumConnectionsA");
    auto* hangUpConnection = Lookup<HangUp>(api, "RasHangUpA");
    auto* list = static_cast<RasConnection*>(Block(sizeof(RasConnection)));
    DWORD count = 0;
    if (enumConnections && list) {
        list->dwSize = sizeof(RasConnection);
        DWORD size = sizeof(RasConnection);
        DWORD result = enumConnections(list, &size, &count);
        // Listed again with room for every connection: at the count it gave, or at the size it
        // asked for when one entry was too small for them.
        if ((result == 0 && count > 0) || result == kBufferTooSmall) {
            const DWORD needed =
                result == 0 ? static_cast<DWORD>(count * sizeof(RasConnection)) : size;
            Free(list);
            list = static_cast<RasConnection*>(Block(needed));
            count = 0;
            if (list) {
                list->dwSize = sizeof(RasConnection);
                size = needed;
                result = enumConnections(list, &size, &count);
            }
        }
        if (result != 0 || !list) count = 0;
        if (count > 0 && hangUp && hangUpConnection) {
            for (DWORD i = 0; i < count; ++i) hangUpConnection(list[i].hrasconn);
        } else if (count == 0 && hangUp && PPPConnection()) {
            if (hangUpConnection) hangUpConnection(PPPConnection());
            SetConnection(nullptr);
        }
    }
    Free(list);
    if (api) sLoader->release(api);
    return static_cast<int32_t>(count);
}

int32_t GetPPPState() {
    if (InterlockedCompareExchange(&sPPPState, 0, 0) == kPPPNoConnection &&
        ListRasConnections(false) > 0)
        SetPPPState(kPPPConnected);
    return InterlockedCompareExchange(&sPPPState, 0, 0);
}

void DialUpDisconnect() {
    ListRasConnections(true);
    SetPPPState(kPPPNoConnection);
}

extern "C" {

void socketPPPConnect(ObjectHeader* instance, bool userInteraction) {
    const bool fromSocket = instance && ObjectIsaDefinition(instance, TCPSocket());
    DialUpConnect(fromSocket ? false : userInteraction);
}

void socketPPPDisconnect() { DialUpDisconnect(); }

int32_t socketPPPStatus() { return GetPPPState(); }

}  // extern "C"
