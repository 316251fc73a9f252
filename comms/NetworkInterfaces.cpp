#include "NetworkInterfaces.h"

#include <winsock2.h>
#include <iphlpapi.h>
#include <ws2tcpip.h>

#include <cstring>

#include "SocketCore.h"
#include "WinsockTables.h"
#include "core/DefinitionConversion.h"
#include "core/Exceptions.h"
#include "core/FailureReport.h"
#include "core/IntrinsicTypes.h"

static_assert(sizeof(IP_ADAPTER_INFO) == 640, "the platform's adapter record");

namespace {

constexpr const char* kSource = "RunSystem";
constexpr uint32_t kLoopbackAddress = 0x0100007F;  // 127.0.0.1 in network order
constexpr uint32_t kAllOnes = 0xFFFFFFFFu;

const WinsockLoader* sLoader = SystemLibraryLoader();

// One IP Helper function with its own library handle; the load and the lookup are each tried once.
struct HelperEntry {
    const char* name;
    bool loadTried;
    bool lookupTried;
    HMODULE library;
    FARPROC function;
};
HelperEntry sNumberOfInterfaces = {"GetNumberOfInterfaces", false, false, nullptr, nullptr};
HelperEntry sAdaptersInfo = {"GetAdaptersInfo", false, false, nullptr, nullptr};
HelperEntry sNetworkParams = {"GetNetworkParams", false, false, nullptr, nullptr};

bool LoadHelperLibrary(HelperEntry& entry) {
    if (!entry.loadTried) {
        entry.loadTried = true;
        entry.library = sLoader->load("iphlpapi.dll");
    }
    return entry.library != nullptr;
}

template <typename F>
F* HelperFunction(HelperEntry& entry) {
    if (!LoadHelperLibrary(entry)) return nullptr;
    if (!entry.lookupTried) {
        entry.lookupTried = true;
        entry.function = sLoader->resolve(entry.library, entry.name);
    }
    return reinterpret_cast<F*>(reinterpret_cast<void*>(entry.function));
}

void ForgetHelper(HelperEntry& entry) {
    if (entry.library) sLoader->release(entry.library);
    entry = {entry.name, false, false, nullptr, nullptr};
}

using NumberOfInterfacesFunction = DWORD WINAPI(DWORD*);
using AdaptersInfoFunction = DWORD WINAPI(IP_ADAPTER_INFO*, ULONG*);
using NetworkParamsFunction = DWORD WINAPI(FIXED_INFO*, ULONG*);
using NetworkAliveFunction = BOOL WINAPI(DWORD*);

// Copies the record of the adapter; index -1 stands for 0.
bool GetAdapterRecord(IP_ADAPTER_INFO* destination, int32_t index) {
    if (index == -1) index = 0;
    auto* getAdaptersInfo = HelperFunction<AdaptersInfoFunction>(sAdaptersInfo);
    if (!getAdaptersInfo) return false;
    ULONG size = 0;
    if (getAdaptersInfo(nullptr, &size) != ERROR_BUFFER_OVERFLOW || size == 0) return false;
    auto* block = static_cast<IP_ADAPTER_INFO*>(GuardedNew(size));
    if (!block) return false;
    std::memset(block, 0, size);
    bool found = false;
    if (getAdaptersInfo(block, &size) == 0) {
        int32_t position = 0;
        for (IP_ADAPTER_INFO* adapter = block; adapter; adapter = adapter->Next, ++position) {
            if (position == index) {
                std::memcpy(destination, adapter, sizeof *destination);
                destination->Next = nullptr;
                found = true;
                break;
            }
        }
    }
    GuardedDelete(block);
    return found;
}

StringRecord* DottedResult(uint32_t address) { return FormatDottedAddress(address).Detach(); }

int32_t IndexOf(ObjectHeader* networkInterface, int32_t line) {
    if (!networkInterface) {
        ReportAssertion(kSource, line, "networkInterfaceObject");
        return -1;
    }
    return reinterpret_cast<NetworkInterfaceObject*>(networkInterface)->index;
}

// --- the classes ---

PropertyEntry kNetworkInterfaceProperties[] = {
    QV_READ_ONLY_ROW(0, "MACAddress", AsType(&kStringType), SystemGetMACAddress, 0),
    QV_READ_ONLY_ROW(0, "IPAddress", AsType(&kStringType), SystemGetIPAddress, 0),
    QV_READ_ONLY_ROW(0, "SubnetMask", AsType(&kStringType), SystemGetSubnetMask, 0),
};

MethodEntry kNetworkInterfaceMethods[] = {
    {"NetworkInterface", nullptr, nullptr, 0,
     Function(NetworkInterfaceCtor, "NetworkInterfaceCtor"), {}, kMethodPlain, 0, 0},
};

const ClassRows kNetworkInterfaceRows = {
    .className = "NetworkInterface",
    .superclass = nullptr,
    .objectSize = sizeof(NetworkInterfaceObject),
    .properties = kNetworkInterfaceProperties,
    .methods = kNetworkInterfaceMethods,
};

ParameterEntry kLookupIPParameter[] = {{"DNSAddress", AsType(&kStringType), 0, 0, 0, 0}};
ParameterEntry kLookupDNSParameter[] = {{"IPAddress", AsType(&kStringType), 0, 0, 0, 0}};

MethodEntry kNetworkMethods[] = {
    {"IsConnected", AsType(&kBooleanType), nullptr, 0,
     Function(NetworkSafeToConnect, "NetworkSafeToConnect"), {}, kMethodPlain, 0, 0},
    {"LookupIPAddress", AsType(&kStringType), kLookupIPParameter, 1,
     Function(NetworkLookupIPAddress, "NetworkLookupIPAddress"), {}, kMethodPlain, 0, 0},
    {"LookupDNSAddress", AsType(&kStringType), kLookupDNSParameter, 1,
     Function(NetworkLookupDNSAddress, "NetworkLookupDNSAddress"), {}, kMethodPlain, 0, 0},
};

const ClassRows kNetworkRows = {
    .className = "Network",
    .superclass = nullptr,
    .objectSize = kObjectHeaderSize,
    .methods = kNetworkMethods,
};

}  // namespace

ObjectDefinition* NetworkInterface() {
    static ObjectDefinition definition;
    return FillClassDefinition(definition, kNetworkInterfaceRows);
}

ObjectDefinition* Network() {
    static ObjectDefinition definition;
    return FillClassDefinition(definition, kNetworkRows);
}

int32_t NetworkInterfaceIndex(ObjectHeader* networkInterface) {
    return networkInterface ? reinterpret_cast<NetworkInterfaceObject*>(networkInterface)->index
                            : -1;
}

void SetNetworkInformationLoader(const WinsockLoader* loader) {
    ForgetHelper(sNumberOfInterfaces);
    ForgetHelper(sAdaptersInfo);
    ForgetHelper(sNetworkParams);
    sLoader = loader ? loader : SystemLibraryLoader();
}

// --- the interface operations ---

int32_t CountNetworkInterfaces() {
    if (!LoadHelperLibrary(sNumberOfInterfaces)) return -1;
    auto* getNumberOfInterfaces = HelperFunction<NumberOfInterfacesFunction>(sNumberOfInterfaces);
    if (!getNumberOfInterfaces) return 0;
    DWORD count = 0;
    if (getNumberOfInterfaces(&count) != 0) return -1;
    return static_cast<int32_t>(count) - 1;
}

uint32_t GetLocalHostAddress() {
    if (StartNetworking() != 0 || !gSecondaryWinsock.gethostname ||
        !gSecondaryWinsock.gethostbyname)
        return kLoopbackAddress;
    char name[255] = {};
    if (gSecondaryWinsock.gethostname(name, sizeof name) != 0) return kLoopbackAddress;
    hostent* host = gSecondaryWinsock.gethostbyname(name);
    if (!host || !host->h_addr_list || !host->h_addr_list[0]) return kLoopbackAddress;
    uint32_t address;
    std::memcpy(&address, host->h_addr_list[0], sizeof address);
    return address;
}

uint32_t ParseIPv4Address(const char* text) {
    if (StartNetworking() != 0 || !gSecondaryWinsock.inet_addr) return 0;
    return static_cast<uint32_t>(gSecondaryWinsock.inet_addr(text));
}

uint32_t GetInterfaceIPAddress(int32_t index) {
    if (index == -1) return GetLocalHostAddress();
    IP_ADAPTER_INFO adapter;
    if (!GetAdapterRecord(&adapter, index)) return GetLocalHostAddress();
    return ParseIPv4Address(adapter.IpAddressList.IpAddress.String);
}

uint32_t GetInterfaceSubnetMask(int32_t index) {
    IP_ADAPTER_INFO adapter;
    if (!GetAdapterRecord(&adapter, index)) return 0;
    return ParseIPv4Address(adapter.IpAddressList.IpMask.String);
}

uint32_t GetInterfaceRouterAddress(int32_t index) {
    IP_ADAPTER_INFO adapter;
    if (!GetAdapterRecord(&adapter, index)) return 0;
    return ParseIPv4Address(adapter.GatewayList.IpAddress.String);
}

uint32_t GetInterfaceBroadcastAddress(int32_t index) {
    if (index == -1) return kAllOnes;
    return GetInterfaceIPAddress(index) | ~GetInterfaceSubnetMask(index);
}

string GetInterfaceMACAddress(int32_t index) {
    IP_ADAPTER_INFO adapter;
    if (!GetAdapterRecord(&adapter, index)) return string();
    static const char kDigits[] = "0123456789ABCDEF";
    // The record holds 8 address bytes; a larger length is read as 8.
    const uint32_t length = adapter.AddressLength < MAX_ADAPTER_ADDRESS_LENGTH
                                ? adapter.AddressLength
                                : MAX_ADAPTER_ADDRESS_LENGTH;
    char text[3 * MAX_ADAPTER_ADDRESS_LENGTH] = {};
    int32_t used = 0;
    for (uint32_t i = 0; i < length; ++i) {
        if (i > 0) text[used++] = ':';
        text[used++] = kDigits[adapter.Address[i] >> 4];
        text[used++] = kDigits[adapter.Address[i] & 15];
    }
    return string(text);
}

uint32_t GetPrimaryDNSServerAddress(int32_t) {
    auto* getNetworkParams = HelperFunction<NetworkParamsFunction>(sNetworkParams);
    if (!getNetworkParams) return 0;
    ULONG size = 0;
    if (getNetworkParams(nullptr, &size) != ERROR_BUFFER_OVERFLOW || size == 0) return 0;
    auto* block = static_cast<FIXED_INFO*>(GuardedNew(size));
    if (!block) return 0;
    std::memset(block, 0, size);
    uint32_t address = 0;
    if (getNetworkParams(block, &size) == 0) {
        const IP_ADDR_STRING* server =
            block->CurrentDnsServer ? block->CurrentDnsServer : &block->DnsServerList;
        address = ParseIPv4Address(server->IpAddress.String);
    }
    GuardedDelete(block);
    return address;
}

bool CheckNetworkAlive() {
    HMODULE library = sLoader->load("SensApi.dll");
    if (!library) return false;
    auto* isNetworkAlive = reinterpret_cast<NetworkAliveFunction*>(
        reinterpret_cast<void*>(sLoader->resolve(library, "IsNetworkAlive")));
    DWORD flags = 0;
    const bool alive = isNetworkAlive && isNetworkAlive(&flags) != 0;
    sLoader->release(library);
    return alive;
}

string LookupHostAddress(const string& name) {
    if (StartNetworking() != 0) return string();
    if (gWinsock.getaddrinfo && gWinsock.freeaddrinfo) {
        addrinfo hints = {};
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* list = nullptr;
        if (gWinsock.getaddrinfo(name.CString(), nullptr, &hints, &list) != 0) return string();
        string result = name;
        for (addrinfo* entry = list; entry; entry = entry->ai_next) {
            char text[46] = {};
            const sockaddr* address = entry->ai_addr;
            const void* inner =
                entry->ai_family == AF_INET
                    ? static_cast<const void*>(
                          &reinterpret_cast<const sockaddr_in*>(address)->sin_addr)
                    : static_cast<const void*>(
                          &reinterpret_cast<const sockaddr_in6*>(address)->sin6_addr);
            GetNumericNameInfo(entry->ai_family, inner, text, sizeof text);
            result = string(text);
            result.SetEncoding(kEncodingUnknown);
            if (entry->ai_family == AF_INET) break;
        }
        gWinsock.freeaddrinfo(list);
        return result;
    }
    hostent* host = gWinsock.gethostbyname(name.CString());
    if (!host || !host->h_addr_list || !host->h_addr_list[0]) return name;
    in_addr first;
    std::memcpy(&first, host->h_addr_list[0], sizeof first);
    return string(gWinsock.inet_ntoa(first));
}

string LookupHostName(const string& address) {
    if (StartNetworking() != 0) return address;
    if (gWinsock.getaddrinfo && gWinsock.freeaddrinfo) {
        addrinfo hints = {};
        hints.ai_flags = AI_PASSIVE | AI_CANONNAME;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* list = nullptr;
        if (gWinsock.getaddrinfo(address.CString(), nullptr, &hints, &list) != 0)
            return string();
        string result = address;
        if (list) {
            char text[1025] = {};
            const sockaddr* first = list->ai_addr;
            const void* inner =
                list->ai_family == AF_INET
                    ? static_cast<const void*>(&reinterpret_cast<const sockaddr_in*>(first)->sin_addr)
                    : static_cast<const void*>(
                          &reinterpret_cast<const sockaddr_in6*>(first)->sin6_addr);
            if (GetNameInfo(list->ai_family, inner, text, sizeof text, true) == 0 && text[0]) {
                result = string(text);
                result.SetEncoding(kEncodingUnknown);
            }
        }
        gWinsock.freeaddrinfo(list);
        return result;
    }
    const unsigned long parsed = gWinsock.inet_addr(address.CString());
    if (parsed == INADDR_NONE) return address;
    in_addr value;
    value.s_addr = parsed;
    return string(gWinsock.inet_ntoa(value));
}

// --- entry points ---

extern "C" {

void NetworkInterfaceCtor(ObjectHeader*) {}

StringRecord* SystemGetMACAddress(ObjectHeader* networkInterface) {
    const int32_t index = IndexOf(networkInterface, __LINE__);
    return GetInterfaceMACAddress(index).Detach();
}

StringRecord* SystemGetIPAddress(ObjectHeader* networkInterface) {
    return DottedResult(GetInterfaceIPAddress(IndexOf(networkInterface, __LINE__)));
}

StringRecord* SystemGetSubnetMask(ObjectHeader* networkInterface) {
    return DottedResult(GetInterfaceSubnetMask(IndexOf(networkInterface, __LINE__)));
}

StringRecord* SystemGetPrimaryDNSAddress(ObjectHeader* networkInterface) {
    return DottedResult(GetPrimaryDNSServerAddress(IndexOf(networkInterface, __LINE__)));
}

StringRecord* SystemGetRouterAddress(ObjectHeader* networkInterface) {
    return DottedResult(GetInterfaceRouterAddress(IndexOf(networkInterface, __LINE__)));
}

bool NetworkSafeToConnect(ObjectHeader*) { return CheckNetworkAlive(); }

StringRecord* NetworkLookupIPAddress(ObjectHeader*, StringRecord* name) {
    return LookupHostAddress(string(name)).Detach();
}

StringRecord* NetworkLookupDNSAddress(ObjectHeader*, StringRecord* address) {
    return LookupHostName(string(address)).Detach();
}

int32_t SystemGetNetworkInterfaceCount(ObjectHeader*) { return CountNetworkInterfaces(); }

ObjectHeader* GetNetworkInterfaceObject(ObjectHeader*, int32_t index) {
    const int32_t count = CountNetworkInterfaces();
    if (index < -1 || index > count - 1) {
        RaiseOutOfBoundsException();
        return nullptr;
    }
    ObjectHeader* object = CreateInstance(NetworkInterface());
    if (!object) {
        ReportAssertion(kSource, __LINE__, "ret");
        return nullptr;
    }
    reinterpret_cast<NetworkInterfaceObject*>(object)->index = index;
    return object;
}

ObjectHeader* SystemGetNetwork(ObjectHeader*) { return CreateInstance(Network()); }

}  // extern "C"
