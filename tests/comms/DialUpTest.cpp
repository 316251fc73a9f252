#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "comms/DialUp.h"
#include "comms/SocketClasses.h"
#include "comms/WinsockTables.h"
#include "controls/MessageDialog.h"
#include "core/DefinitionConversion.h"

// Dial-up networking through Remote Access entries of the test's own, scripted per test, which log
// each call with the size fields they were handed; and through the system's libraries, with the
// phone-book dialog left out (Wine's aborts the process).

namespace {

std::vector<std::string> sCalls;
std::vector<std::string> sBoxes;

struct Script {
    bool noApi = false;
    bool noDialog = false;
    bool systemApi = false;  // the system's RasApi32 instead of the fakes
    DWORD entries = 1;
    DWORD connections = 0;
    DWORD dialResult = 0;
    BOOL dialogResult = TRUE;
    bool notifyConnected = false;  // RasDialA reports the connection from a thread of its own
    DWORD keptStatus = 0;
} sScript;

const HMODULE kFakeApi = reinterpret_cast<HMODULE>(0x3000);
const HMODULE kFakeDialog = reinterpret_cast<HMODULE>(0x4000);
HANDLE const kDialled = reinterpret_cast<HANDLE>(0x77);

void Log(const std::string& name, DWORD size) { sCalls.push_back(name + " " + std::to_string(size)); }

DWORD WINAPI FakeEnumConnections(RasConnection* list, DWORD* size, DWORD* count) {
    Log("RasEnumConnectionsA", list->dwSize);
    const DWORD needed = sScript.connections * sizeof(RasConnection);
    *count = sScript.connections;
    if (*size < needed) {
        *size = needed;
        return 603;
    }
    for (DWORD i = 0; i < sScript.connections; ++i)
        list[i].hrasconn = reinterpret_cast<HANDLE>(static_cast<intptr_t>(0x100 + i));
    return 0;
}

DWORD WINAPI FakeGetConnectStatus(HANDLE, RasConnectionStatus* status) {
    Log("RasGetConnectStatusA", status->dwSize);
    status->rasconnstate = sScript.keptStatus;
    return 0;
}

DWORD WINAPI FakeGetErrorString(UINT code, char* text, DWORD size) {
    Log("RasGetErrorStringA", size);
    std::snprintf(text, size, "fake RAS failure %u", code);
    return 0;
}

DWORD WINAPI FakeEnumEntries(const char*, const char*, RasEntryName* list, DWORD* size,
                             DWORD* count) {
    Log("RasEnumEntriesA", list->dwSize);
    *count = sScript.entries;
    if (sScript.entries > 0) std::strcpy(list->szEntryName, "Office");
    (void)size;
    return 0;
}

DWORD WINAPI FakeGetEntryDialParams(const char*, RasDialParameters* parameters, BOOL*) {
    Log("RasGetEntryDialParamsA " + std::string(parameters->szEntryName), parameters->dwSize);
    std::strcpy(parameters->szUserName, "user");
    return 0;
}

DWORD WINAPI FakeGetEntryProperties(const char*, const char* name, RasEntry* entry, DWORD* size,
                                    BYTE*, DWORD*) {
    if (!entry) {
        *size = sizeof(RasEntry);
        return 603;
    }
    Log("RasGetEntryPropertiesA " + std::string(name), entry->dwSize);
    std::strcpy(entry->szLocalPhoneNumber, "5550100");
    return 0;
}

DWORD WINAPI NotifyConnected(void* notifier) {
    Sleep(20);
    reinterpret_cast<void(WINAPI*)(UINT, DWORD, DWORD)>(notifier)(0, kRasConnected, 0);
    return 0;
}

DWORD WINAPI FakeDial(RasDialExtensions* extensions, const char*, RasDialParameters* parameters,
                      DWORD notifierType, void* notifier, HANDLE* connection) {
    Log("RasDialA " + std::to_string(extensions->dwSize) + " " + parameters->szPhoneNumber,
        parameters->dwSize);
    EXPECT_EQ(notifierType, 0u);
    EXPECT_EQ(notifier, reinterpret_cast<void*>(RasDialNotify));
    if (sScript.dialResult != 0) return sScript.dialResult;
    *connection = kDialled;
    if (sScript.notifyConnected) CloseHandle(CreateThread(nullptr, 0, NotifyConnected, notifier, 0, nullptr));
    return 0;
}

DWORD WINAPI FakeHangUp(HANDLE connection) {
    Log("RasHangUpA", static_cast<DWORD>(reinterpret_cast<intptr_t>(connection)));
    return 0;
}

BOOL WINAPI FakePhonebookDialog(const char*, const char*, RasPhonebookDialog* dialog) {
    Log("RasPhonebookDlgA", dialog->dwSize);
    if (sScript.dialogResult) sScript.connections = 1;
    return sScript.dialogResult;
}

HMODULE Load(const char* library) {
    const std::string name = library;
    if (name == "RasApi32.dll") {
        if (sScript.noApi) return nullptr;
        return sScript.systemApi ? LoadLibraryA(library) : kFakeApi;
    }
    return sScript.noDialog ? nullptr : kFakeDialog;
}
FARPROC Resolve(HMODULE library, const char* name) {
    if (library != kFakeApi && library != kFakeDialog) return GetProcAddress(library, name);
    const std::string n = name;
    void* entry = n == "RasEnumConnectionsA"      ? reinterpret_cast<void*>(FakeEnumConnections)
                  : n == "RasGetConnectStatusA"   ? reinterpret_cast<void*>(FakeGetConnectStatus)
                  : n == "RasGetErrorStringA"     ? reinterpret_cast<void*>(FakeGetErrorString)
                  : n == "RasEnumEntriesA"        ? reinterpret_cast<void*>(FakeEnumEntries)
                  : n == "RasGetEntryDialParamsA" ? reinterpret_cast<void*>(FakeGetEntryDialParams)
                  : n == "RasGetEntryPropertiesA" ? reinterpret_cast<void*>(FakeGetEntryProperties)
                  : n == "RasDialA"               ? reinterpret_cast<void*>(FakeDial)
                  : n == "RasHangUpA"             ? reinterpret_cast<void*>(FakeHangUp)
                  : n == "RasPhonebookDlgA"       ? reinterpret_cast<void*>(FakePhonebookDialog)
                                                  : nullptr;
    return reinterpret_cast<FARPROC>(entry);
}
void Release(HMODULE library) {
    if (library != kFakeApi && library != kFakeDialog) FreeLibrary(library);
}
const WinsockLoader kFakeLoader = {Load, Resolve, Release};

int32_t RecordBox(const MessageBoxRecord& box, void*) {
    sBoxes.push_back(std::string(box.caption.CString()) + ": " + box.text.CString());
    return IDOK;
}

class DialUp : public testing::Test {
protected:
    void SetUp() override {
        sCalls.clear();
        sBoxes.clear();
        sScript = Script();
        SetDialUpLoader(&kFakeLoader);
        SetMessageBoxResponder(RecordBox, nullptr);
    }
    void TearDown() override {
        SetMessageBoxResponder(nullptr, nullptr);
        SetDialUpLoader(nullptr);
    }
    std::vector<std::string> Calls() {
        std::vector<std::string> calls;
        calls.swap(sCalls);
        return calls;
    }
};

TEST_F(DialUp, DialingWithoutTheUserReportsOpeningThenConnectedThenNoConnection) {
    sScript.notifyConnected = true;
    socketPPPConnect(nullptr, false);
    EXPECT_EQ(socketPPPStatus(), kPPPConnectionOpening);
    EXPECT_EQ(Calls(), (std::vector<std::string>{
                           "RasEnumEntriesA 264", "RasGetEntryDialParamsA Office 1052",
                           "RasGetEntryPropertiesA Office 1768", "RasDialA 16 5550100 1052"}));
    for (int i = 0; i < 200 && socketPPPStatus() != kPPPConnected; ++i) Sleep(5);
    EXPECT_EQ(socketPPPStatus(), kPPPConnected);
    EXPECT_EQ(PPPConnection(), kDialled);
    RasDialNotify(0, kRasDisconnected, 0);
    EXPECT_EQ(PPPConnection(), nullptr);
    EXPECT_EQ(socketPPPStatus(), kPPPNoConnection);
    EXPECT_TRUE(sBoxes.empty());
}

TEST_F(DialUp, ATCPSocketDialsWithoutTheUserWhateverFollowsIt) {
    ObjectHeader* socket = CreateInstance(TCPSocket());
    socketPPPConnect(socket, true);
    EXPECT_EQ(Calls().front(), "RasEnumEntriesA 264");
    ReleaseObject(socket);
}

TEST_F(DialUp, AFailingDialShowsTheServicesTextAndEndsWithNoConnection) {
    sScript.dialResult = 678;
    socketPPPConnect(nullptr, false);
    EXPECT_EQ(sBoxes, (std::vector<std::string>{"RAS Error: fake RAS failure 678"}));
    EXPECT_EQ(PPPConnection(), nullptr);
    EXPECT_EQ(socketPPPStatus(), kPPPNoConnection);
}

TEST_F(DialUp, ThePhoneBookDialogConnectsWhenConfirmedAndNotWhenCancelled) {
    sScript.dialogResult = FALSE;
    socketPPPConnect(nullptr, true);
    EXPECT_EQ(Calls(), (std::vector<std::string>{"RasPhonebookDlgA 40"}));
    EXPECT_EQ(socketPPPStatus(), kPPPNoConnection);
    sScript.dialogResult = TRUE;
    sCalls.clear();
    socketPPPConnect(nullptr, true);
    EXPECT_EQ(Calls(), (std::vector<std::string>{"RasPhonebookDlgA 40", "RasEnumConnectionsA 412"}));
    EXPECT_EQ(socketPPPStatus(), kPPPConnected);
    EXPECT_EQ(PPPConnection(), reinterpret_cast<HANDLE>(0x100));
    // While the kept connection is up, a second PPPConnect dials nothing.
    sCalls.clear();
    sScript.keptStatus = kRasConnected;
    socketPPPConnect(nullptr, true);
    EXPECT_EQ(Calls(), (std::vector<std::string>{"RasGetConnectStatusA 160"}));
    EXPECT_EQ(socketPPPStatus(), kPPPConnected);
}

TEST_F(DialUp, AConnectionMadeElsewhereCountsAndDisconnectHangsUpEveryOne) {
    sScript.connections = 2;
    EXPECT_EQ(socketPPPStatus(), kPPPConnected);
    sCalls.clear();
    socketPPPDisconnect();
    EXPECT_EQ(Calls(), (std::vector<std::string>{"RasEnumConnectionsA 412",
                                                 "RasEnumConnectionsA 412", "RasHangUpA 256",
                                                 "RasHangUpA 257"}));
    sScript.connections = 0;
    EXPECT_EQ(socketPPPStatus(), kPPPNoConnection);
}

TEST_F(DialUp, MissingEntriesLibrariesOrFunctionsEndQuietlyWithNoConnection) {
    const struct {
        const char* what;
        Script script;
        bool userInteraction;
    } cases[] = {
        {"no phone-book entries", [] { Script s; s.entries = 0; return s; }(), false},
        {"no RasApi32", [] { Script s; s.noApi = true; return s; }(), true},
        {"no libraries", [] { Script s; s.noApi = true; s.noDialog = true; return s; }(), true},
        {"the system's RasApi32 without RasDlg",
         [] { Script s; s.systemApi = true; s.noDialog = true; return s; }(), true},
    };
    for (const auto& c : cases) {
        sScript = c.script;
        sCalls.clear();
        socketPPPConnect(nullptr, c.userInteraction);
        EXPECT_EQ(socketPPPStatus(), kPPPNoConnection) << c.what;
        EXPECT_TRUE(sBoxes.empty()) << c.what;
        for (const std::string& call : sCalls)
            EXPECT_EQ(call.find("RasGetEntryDialParamsA"), std::string::npos) << c.what;
        socketPPPDisconnect();
        EXPECT_EQ(socketPPPStatus(), kPPPNoConnection) << c.what;
    }
}

}  // namespace
