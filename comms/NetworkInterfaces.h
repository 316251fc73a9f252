// The machine's network as the language sees it: the adapters (NetworkInterface objects, counted
// from 0 in the order the IP Helper lists them, -1 naming the default interface), whether the
// network is up, and forward and reverse name lookups (the Network object).
//
// The IP Helper ("iphlpapi.dll") and network-sense ("SensApi.dll") libraries are loaded by name
// through one loader that tests replace; the socket layer's Winsock tables serve the host name and
// the lookups. A missing library or function never raises: each operation falls back as it says.
#pragma once

#include <cstdint>

#include "core/ClassDefinition.h"
#include "core/ObjectModel.h"
#include "core/RuntimeString.h"

struct WinsockLoader;

struct NetworkInterfaceObject {
    ObjectHeader header;
    int32_t index;
};

ObjectDefinition* NetworkInterface();
ObjectDefinition* Network();

// The index of a NetworkInterface object, -1 (the default interface) for nil.
int32_t NetworkInterfaceIndex(ObjectHeader* networkInterface);

// The adapters without the loopback interface; -1 when the IP Helper is missing or fails, 0 when
// its count function is missing.
int32_t CountNetworkInterfaces();
// IPv4 addresses in network order; 0 is no address. Adapters that are not found give the
// fallbacks: the local host address, 0, or for the broadcast address 255.255.255.255.
uint32_t GetInterfaceIPAddress(int32_t index);
uint32_t GetInterfaceSubnetMask(int32_t index);
uint32_t GetInterfaceRouterAddress(int32_t index);
uint32_t GetInterfaceBroadcastAddress(int32_t index);
uint32_t GetPrimaryDNSServerAddress(int32_t index);
// Upper-case hexadecimal pairs joined by ":"; empty when the adapter is not found.
string GetInterfaceMACAddress(int32_t index);
// The address the host name resolves to; 127.0.0.1 when it does not or networking cannot start.
uint32_t GetLocalHostAddress();
// inet_addr of the text: 0xFFFFFFFF when it does not parse, 0 without networking.
uint32_t ParseIPv4Address(const char* text);
bool CheckNetworkAlive();
// The first IPv4 address of a name; "" when it does not resolve or without networking.
string LookupHostAddress(const string& name);
// The name of an address text; the text itself when no name is known or without networking.
string LookupHostName(const string& address);

// Test hook: replaces how "iphlpapi.dll" and "SensApi.dll" are reached (null restores the
// system's) and forgets what was loaded through the previous loader.
void SetNetworkInformationLoader(const WinsockLoader* loader);

extern "C" {
void NetworkInterfaceCtor(ObjectHeader* object);
StringRecord* SystemGetMACAddress(ObjectHeader* networkInterface);
StringRecord* SystemGetIPAddress(ObjectHeader* networkInterface);
StringRecord* SystemGetSubnetMask(ObjectHeader* networkInterface);
StringRecord* SystemGetPrimaryDNSAddress(ObjectHeader* networkInterface);
StringRecord* SystemGetRouterAddress(ObjectHeader* networkInterface);
bool NetworkSafeToConnect(ObjectHeader* network);
StringRecord* NetworkLookupIPAddress(ObjectHeader* network, StringRecord* name);
StringRecord* NetworkLookupDNSAddress(ObjectHeader* network, StringRecord* address);
// The System members: the instance is not used.
int32_t SystemGetNetworkInterfaceCount(ObjectHeader* system);
ObjectHeader* GetNetworkInterfaceObject(ObjectHeader* system, int32_t index);
ObjectHeader* SystemGetNetwork(ObjectHeader* system);
}
