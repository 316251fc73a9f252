// The socket language classes SocketCore, TCPSocket and ServerSocket, and the events their cores
// fire on them.
//
// The least of these classes that drives a TCP core: their fields, constants, events in declared
// order, constructors and destructors, and Connect, Listen, Write, Read, ReadAll, Lookahead, Poll,
// Close, Disconnect, StopListening and ActiveConnections with the properties they need. Not built
// yet: Socket, UDPSocket and Datagram, the Readable and Writeable interfaces of TCPSocket with EOF,
// Flush, ReadError and WriteError, dial-up, LocalAddress and binding to a NetworkInterface (the
// property is stored but not used), and text encodings on reads (results carry no encoding tag).
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

// The core in the object's socket field (SocketCore and ServerSocket both keep it first).
SocketImp* SocketCoreOf(ObjectHeader* object);
TCPSocketImp* TCPCoreOf(ObjectHeader* object);

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
