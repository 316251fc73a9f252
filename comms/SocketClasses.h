// The socket language classes SocketCore, TCPSocket (and its older name Socket), ServerSocket,
// UDPSocket and Datagram, and the events their cores fire on them.
#pragma once

#include <cstdint>

#include "core/ClassDefinition.h"
#include "core/ObjectModel.h"

class SocketImp;
class TCPSocketImp;

struct SocketCoreObject {
    ObjectHeader header;
    SocketImp* socket;
    int32_t port;
    int32_t lastErrorCode;
    ObjectHeader* networkInterface;
};

struct TCPSocketObject {
    SocketCoreObject core;
    StringRecord* address;
};

struct UDPSocketObject {
    SocketCoreObject core;
    int32_t routerHops;
    int32_t sendToSelf;  // a Boolean in a whole word: read by its first byte, written whole
};

struct DatagramObject {
    ObjectHeader header;
    StringRecord* address;
    StringRecord* data;
    int32_t port;
};

struct ServerSocketObject {
    ObjectHeader header;
    SocketImp* socket;
    int32_t port;
    ObjectHeader* networkInterface;
    int32_t minimumSocketsAvailable;
    int32_t maximumSocketsConnected;
};

ObjectDefinition* SocketCore();
ObjectDefinition* TCPSocket();
ObjectDefinition* ServerSocket();
ObjectDefinition* Socket();
ObjectDefinition* UDPSocket();
ObjectDefinition* Datagram();

// The core in the object's socket field (SocketCore and ServerSocket both keep it first).
SocketImp* SocketCoreOf(ObjectHeader* object);
TCPSocketImp* TCPCoreOf(ObjectHeader* object);
// The NetworkInterface a socket object (SocketCore or ServerSocket) binds to, or null.
ObjectHeader* SocketNetworkInterface(ObjectHeader* object);
// The IPv4 address (network order) a socket object binds to: its NetworkInterface's, 0 (any)
// without one.
uint32_t SocketBindAddress(ObjectHeader* object);

// Test hook: how long Flush waits without progress before it gives the connection up (60 s).
void SetFlushStallLimit(uint32_t milliseconds);

// The events, each doing nothing for a null object or one that does not implement it.
void FireSocketConnected(ObjectHeader* object);
void FireSocketDataAvailable(ObjectHeader* object);
void FireSocketSendComplete(ObjectHeader* object, bool userAborted);
bool FireSocketSendProgress(ObjectHeader* object, int32_t bytesSent, int32_t bytesLeft);
// Copies the core's lastError into LastErrorCode, then fires Error.
void FireSocketError(ObjectHeader* object);
// Fires AddSocket with a reference on the server held for the duration; the socket returned, with
// the reference the handler gave, or null after raising NilObjectException into the application
// (a missing handler, nil, or an object that is not a TCPSocket).
ObjectHeader* FireServerSocketAddSocket(ObjectHeader* server);

extern "C" {
void ServerSocketFireErrorEvent(ObjectHeader* server, int32_t code);

void RuntimeSocketConstructor(ObjectHeader* object);
void RuntimeSocketDestructor(ObjectHeader* object);
void RuntimeServerSocketConstructor(ObjectHeader* object);
void RuntimeServerSocketDestructor(ObjectHeader* object);
void SocketCoreCtor();
void TCPSocketCtor();
void UDPSocketCtor();
void RuntimeUDPSocketConstructor(ObjectHeader* object);
void RuntimeUDPSocketDestructor(ObjectHeader* object);
void RuntimeDatagramFinalizer(ObjectHeader* object);

int32_t SocketPortGetter(ObjectHeader* object, int32_t parameter);
void SocketPortSetter(ObjectHeader* object, int32_t parameter, int32_t value);
int32_t socketLastErrorCode(ObjectHeader* object);
bool SocketIsConnected(ObjectHeader* object);
int32_t SocketGetHandle(ObjectHeader* object);
void socketClose(ObjectHeader* object);
void socketPoll(ObjectHeader* object);
void SocketPurge(ObjectHeader* object);
void SocketConnect(ObjectHeader* object);

StringRecord* socketRemoteAddressGetter(ObjectHeader* object);
int32_t SocketBytesAvailable(ObjectHeader* object);
int32_t TCPSocketBytesLeftToSend(ObjectHeader* object);
void SocketListen(ObjectHeader* object);
StringRecord* socketRead(ObjectHeader* object, int32_t byteCount, ObjectHeader* encoding);
StringRecord* SocketReadAll(ObjectHeader* object, ObjectHeader* encoding);
void SocketWrite(ObjectHeader* object, StringRecord* text);
void SocketDisconnect(ObjectHeader* object);
StringRecord* socketLookahead(ObjectHeader* object, ObjectHeader* encoding);
StringRecord* socketLocalAddressGetter(ObjectHeader* object);
bool TCPSocketEof(ObjectHeader* object);
void TCPSocketFlush(ObjectHeader* object);

void UDPSocketRouterHops(ObjectHeader* object, int32_t parameter, int32_t hops);
void UDPSocketSetLoopback(ObjectHeader* object, int32_t parameter, int32_t flag);
int32_t PacketsAvailableGetter(ObjectHeader* object);
StringRecord* UDPSocketGetBroadcast(ObjectHeader* object);
int32_t UDPSocketPacketsLeftToSend(ObjectHeader* object);
bool SocketJoinMulticastGroup(ObjectHeader* object, StringRecord* group);
void SocketLeaveMulticastGroup(ObjectHeader* object, StringRecord* group);
void UDPSocketWrite(ObjectHeader* object, StringRecord* address, StringRecord* data);
void UDPSocketWriteDatagram(ObjectHeader* object, ObjectHeader* datagram);
ObjectHeader* UDPReadDatagram(ObjectHeader* object, ObjectHeader* encoding);
void UDPSocketBind(ObjectHeader* object);
bool UDPSocketIsBound(ObjectHeader* object);

int32_t ServerSocketPortGetter(ObjectHeader* object, int32_t parameter);
void ServerSocketPortSetter(ObjectHeader* object, int32_t parameter, int32_t value);
void ServerSocketSetMinSockets(ObjectHeader* object, int32_t parameter, int32_t value);
void ServerSocketSetMaxSockets(ObjectHeader* object, int32_t parameter, int32_t value);
bool serverSocketIsListening(ObjectHeader* object);
int32_t ServerSocketGetHandle(ObjectHeader* object);
void ServerSocketListen(ObjectHeader* object);
void ServerSocketClose(ObjectHeader* object);
struct ArrayRecord* ServerSocketGetActiveSockets(ObjectHeader* object);

void socketDirectConnect(ObjectHeader* object, StringRecord* address, int32_t port);
void pluginSocketListen(ObjectHeader* object);
StringRecord* pluginSocketRead(ObjectHeader* object, int32_t count);
StringRecord* pluginSocketReadAll(ObjectHeader* object);
StringRecord* pluginSocketLookahead(ObjectHeader* object);
}
