#include <gtest/gtest.h>

#include <winsock2.h>
#include <iphlpapi.h>
#include <ws2tcpip.h>

#include <cstring>
#include <string>

#include "RaisedExceptions.h"
#include "TakenText.h"
#include "comms/NetworkInterfaces.h"
#include "comms/SocketCore.h"
#include "comms/WinsockTables.h"
#include "core/DefinitionConversion.h"

// The adapters as the IP Helper lists them, through entries of the test's own (two adapters and
// the loopback interface), or the system's; and the name lookups against the hosts file.

namespace {

bool sNoHelper = false;
bool sNoSense = false;
BOOL sNetworkAlive = TRUE;
int sSenseLoads = 0;

const HMODULE kFakeHelper = reinterpret_cast<HMODULE>(0x1000);
const HMODULE kFakeSense = reinterpret_cast<HMODULE>(0x2000);

DWORD WINAPI FakeNumberOfInterfaces(DWORD* count) {
    *count = 3;
    return 0;
}

void FillAdapter(IP_ADAPTER_INFO& adapter, const char* address, const char* mask,
                 const char* gateway, UINT length) {
    std::strcpy(adapter.IpAddressList.IpAddress.String, address);
    std::strcpy(adapter.IpAddressList.IpMask.String, mask);
    std::strcpy(adapter.GatewayList.IpAddress.String, gateway);
    adapter.AddressLength = length;
    for (UINT i = 0; i < MAX_ADAPTER_ADDRESS_LENGTH; ++i)
        adapter.Address[i] = static_cast<BYTE>(0xA0 + i);
}

DWORD WINAPI FakeAdaptersInfo(IP_ADAPTER_INFO* list, ULONG* size) {
    if (!list || *size < 2 * sizeof(IP_ADAPTER_INFO)) {
        *size = 2 * sizeof(IP_ADAPTER_INFO);
        return ERROR_BUFFER_OVERFLOW;
    }
    std::memset(list, 0, 2 * sizeof(IP_ADAPTER_INFO));
    list[0].Next = &list[1];
    FillAdapter(list[0], "192.0.2.2", "255.255.255.0", "192.0.2.1", 6);
    FillAdapter(list[1], "10.1.2.3", "255.0.0.0", "10.0.0.1", 20);  // read as 8 bytes
    return 0;
}

DWORD WINAPI FakeNetworkParams(FIXED_INFO* info, ULONG* size) {
    if (!info || *size < sizeof(FIXED_INFO)) {
        *size = sizeof(FIXED_INFO);
        return ERROR_BUFFER_OVERFLOW;
    }
    std::memset(info, 0, sizeof *info);
    std::strcpy(info->DnsServerList.IpAddress.String, "198.51.100.53");
    return 0;
}

BOOL WINAPI FakeIsNetworkAlive(DWORD* flags) {
    *flags = 1;
    return sNetworkAlive;
}

HMODULE Load(const char* library) {
    if (std::string(library) == "iphlpapi.dll") return sNoHelper ? nullptr : kFakeHelper;
    ++sSenseLoads;
    return sNoSense ? nullptr : kFakeSense;
}
FARPROC Resolve(HMODULE, const char* name) {
    const std::string n = name;
    void* entry = n == "GetNumberOfInterfaces" ? reinterpret_cast<void*>(FakeNumberOfInterfaces)
                  : n == "GetAdaptersInfo"     ? reinterpret_cast<void*>(FakeAdaptersInfo)
                  : n == "GetNetworkParams"    ? reinterpret_cast<void*>(FakeNetworkParams)
                  : n == "IsNetworkAlive"      ? reinterpret_cast<void*>(FakeIsNetworkAlive)
                                               : nullptr;
    return reinterpret_cast<FARPROC>(entry);
}
void Release(HMODULE) {}
const WinsockLoader kFakeLoader = {Load, Resolve, Release};


std::string Dotted(uint32_t address) { return FormatDottedAddress(address).CString(); }

class NetworkInterfaces : public testing::Test {
protected:
    void SetUp() override {
        sNoHelper = false;
        sNoSense = false;
        sNetworkAlive = TRUE;
        sSenseLoads = 0;
        SetNetworkInformationLoader(&kFakeLoader);
    }
    void TearDown() override { SetNetworkInformationLoader(nullptr); }
    // The object of an index, or null after the exception the call raised.
    ObjectHeader* Interface(int32_t index) { return GetNetworkInterfaceObject(nullptr, index); }
};

TEST_F(NetworkInterfaces, EachAdapterReportsItsOwnRecord) {
    EXPECT_EQ(SystemGetNetworkInterfaceCount(nullptr), 2);
    const struct {
        int32_t index;
        const char* mac;
        const char* ip;
        const char* mask;
        const char* router;
        const char* broadcast;
    } rows[] = {
        {0, "A0:A1:A2:A3:A4:A5", "192.0.2.2", "255.255.255.0", "192.0.2.1", "192.0.2.255"},
        {1, "A0:A1:A2:A3:A4:A5:A6:A7", "10.1.2.3", "255.0.0.0", "10.0.0.1", "10.255.255.255"},
    };
    for (const auto& row : rows) {
        ObjectHeader* object = Interface(row.index);
        ASSERT_NE(object, nullptr);
        EXPECT_EQ(TakenText(SystemGetMACAddress(object)), row.mac);
        EXPECT_EQ(TakenText(SystemGetIPAddress(object)), row.ip);
        EXPECT_EQ(TakenText(SystemGetSubnetMask(object)), row.mask);
        EXPECT_EQ(TakenText(SystemGetRouterAddress(object)), row.router);
        EXPECT_EQ(TakenText(SystemGetPrimaryDNSAddress(object)), "198.51.100.53");
        EXPECT_EQ(Dotted(GetInterfaceBroadcastAddress(row.index)), row.broadcast);
        ReleaseObject(object);
    }
}

TEST_F(NetworkInterfaces, TheDefaultAndMissingAdaptersFallBack) {
    const std::string hostAddress = Dotted(GetLocalHostAddress());
    // -1: adapter 0's hardware address and mask, the host name's address.
    ObjectHeader* fallback = Interface(-1);
    ASSERT_NE(fallback, nullptr);
    EXPECT_EQ(TakenText(SystemGetMACAddress(fallback)), "A0:A1:A2:A3:A4:A5");
    EXPECT_EQ(TakenText(SystemGetSubnetMask(fallback)), "255.255.255.0");
    EXPECT_EQ(TakenText(SystemGetIPAddress(fallback)), hostAddress);
    EXPECT_EQ(Dotted(GetInterfaceBroadcastAddress(-1)), "255.255.255.255");
    ReleaseObject(fallback);
    // An object whose index is past the adapters.
    ObjectHeader* past = CreateInstance(NetworkInterface());
    reinterpret_cast<NetworkInterfaceObject*>(past)->index = 5;
    EXPECT_EQ(TakenText(SystemGetMACAddress(past)), "");
    EXPECT_EQ(TakenText(SystemGetSubnetMask(past)), "0.0.0.0");
    EXPECT_EQ(TakenText(SystemGetIPAddress(past)), hostAddress);
    EXPECT_EQ(Dotted(GetInterfaceBroadcastAddress(5)), "255.255.255.255");
    ReleaseObject(past);
    // The count and anything below -1 are out of bounds.
    for (int32_t index : {2, -2}) {
        RaisedExceptions raised;
        EXPECT_EQ(Interface(index), nullptr);
        EXPECT_EQ(raised.Take(), "OutOfBoundsException") << index;
    }
}

TEST_F(NetworkInterfaces, WithoutTheLibrariesNothingIsCountedAndNothingIsConnected) {
    sNoHelper = true;
    SetNetworkInformationLoader(&kFakeLoader);
    EXPECT_EQ(SystemGetNetworkInterfaceCount(nullptr), -1);
    for (int32_t index : {-1, 0}) {
        RaisedExceptions raised;
        EXPECT_EQ(Interface(index), nullptr);
        EXPECT_EQ(raised.Take(), "OutOfBoundsException") << index;
    }
    EXPECT_EQ(Dotted(GetInterfaceSubnetMask(0)), "0.0.0.0");
    EXPECT_EQ(Dotted(GetPrimaryDNSServerAddress(0)), "0.0.0.0");

    EXPECT_TRUE(NetworkSafeToConnect(nullptr));
    sNetworkAlive = FALSE;
    EXPECT_FALSE(NetworkSafeToConnect(nullptr));
    sNoSense = true;
    sNetworkAlive = TRUE;
    EXPECT_FALSE(NetworkSafeToConnect(nullptr));
    EXPECT_EQ(sSenseLoads, 3);  // loaded again on every call
}

TEST(NetworkInterfacesOfThisMachine, TheCountLeavesOutTheLoopbackInterface) {
    HMODULE helper = LoadLibraryA("iphlpapi.dll");
    ASSERT_NE(helper, nullptr);
    auto* count = reinterpret_cast<DWORD(WINAPI*)(DWORD*)>(
        reinterpret_cast<void*>(GetProcAddress(helper, "GetNumberOfInterfaces")));
    DWORD system = 0;
    ASSERT_EQ(count(&system), 0u);
    EXPECT_EQ(CountNetworkInterfaces(), static_cast<int32_t>(system) - 1);
    FreeLibrary(helper);
    // Every listed adapter's broadcast address is its address with the host bits set.
    for (int32_t index = 0; index < CountNetworkInterfaces(); ++index) {
        const uint32_t address = GetInterfaceIPAddress(index);
        const uint32_t mask = GetInterfaceSubnetMask(index);
        if (mask == 0) continue;  // listed by the count, not by the adapters
        EXPECT_EQ(GetInterfaceBroadcastAddress(index), address | ~mask) << index;
        EXPECT_EQ(GetInterfaceMACAddress(index).Length(), 17) << index;
    }
}

std::string Lookup(StringRecord* (*lookup)(ObjectHeader*, StringRecord*), const char* text) {
    string argument(text);
    return TakenText(lookup(nullptr, argument.Record()));
}

TEST(NetworkLookups, NamesAndAddressesOfTheHostsFile) {
    EXPECT_EQ(Lookup(NetworkLookupIPAddress, "localhost"), "127.0.0.1");
    EXPECT_EQ(Lookup(NetworkLookupIPAddress, "127.0.0.1"), "127.0.0.1");
    EXPECT_EQ(Lookup(NetworkLookupIPAddress, "no-such-host.invalid"), "");
    // The machine's own name gives the first IPv4 address the resolver lists for it (Wine's
    // gethostbyname answers the adapter's address instead, the hosts file here 127.0.0.1).
    char name[256] = {};
    gethostname(name, sizeof name);
    addrinfo hints = {};
    hints.ai_family = AF_INET;
    addrinfo* list = nullptr;
    ASSERT_EQ(getaddrinfo(name, nullptr, &hints, &list), 0);
    const uint32_t first = reinterpret_cast<sockaddr_in*>(list->ai_addr)->sin_addr.s_addr;
    freeaddrinfo(list);
    EXPECT_EQ(Lookup(NetworkLookupIPAddress, name), Dotted(first)) << name;
    const std::string own = Lookup(NetworkLookupDNSAddress, "127.0.0.1");
    EXPECT_FALSE(own.empty());
    EXPECT_NE(own, "127.0.0.1") << "the loopback address has a name in the hosts file";
}

TEST(NetworkLookups, WithoutGetAddrInfoTheOlderCallsAnswer) {
    static const auto resolve = [](HMODULE library, const char* name) -> FARPROC {
        if (std::string(name) == "getaddrinfo") return nullptr;
        return GetProcAddress(library, name);
    };
    static const WinsockLoader loader = {
        [](const char* library) { return LoadLibraryA(library); },
        [](HMODULE library, const char* name) { return resolve(library, name); },
        [](HMODULE library) { FreeLibrary(library); }};
    SetNetworkingLoader(&loader);
    EXPECT_EQ(Lookup(NetworkLookupIPAddress, "localhost"), "127.0.0.1");
    EXPECT_EQ(Lookup(NetworkLookupIPAddress, "no-such-host.invalid"), "no-such-host.invalid");
    EXPECT_EQ(Lookup(NetworkLookupDNSAddress, "127.0.0.1"), "127.0.0.1");
    EXPECT_EQ(Lookup(NetworkLookupDNSAddress, "not an address"), "not an address");
    // Without networking at all the lookups answer their fallbacks.
    static const WinsockLoader none = {
        [](const char*) -> HMODULE { return nullptr; },
        [](HMODULE library, const char* name) { return GetProcAddress(library, name); },
        [](HMODULE) {}};
    SetNetworkingLoader(&none);
    EXPECT_EQ(Lookup(NetworkLookupIPAddress, "localhost"), "");
    EXPECT_EQ(Lookup(NetworkLookupDNSAddress, "127.0.0.1"), "127.0.0.1");
    EXPECT_EQ(Dotted(GetLocalHostAddress()), "127.0.0.1");
    SetNetworkingLoader(nullptr);
}

}  // namespace
