#include "SocketClasses.h"

#include <cstddef>
#include <cstring>

#include <winsock2.h>

#include "DialUp.h"
#include "NetworkInterfaces.h"
#include "TCPSocketCore.h"
#include "UDPSocketCore.h"
#include "WinsockTables.h"
#include "core/DefinitionConversion.h"
#include "core/Exceptions.h"
#include "core/FailureReport.h"
#include "core/IntrinsicTypes.h"
#include "core/LinkTable.h"
#include "core/PropertyAccessors.h"
#include "host/Application.h"
#include "values/NumberText.h"
#include "values/TextEncodingObjects.h"

namespace {

constexpr const char* kSource = "RuntimeSocketAccessors";

EventDefinition* sDataAvailable = nullptr;
EventDefinition* sError = nullptr;
EventDefinition* sSendComplete = nullptr;
EventDefinition* sConnected = nullptr;
EventDefinition* sSendProgress = nullptr;
EventDefinition* sAddSocket = nullptr;
EventDefinition* sServerError = nullptr;

SocketCoreObject* Fields(ObjectHeader* object) {
    return reinterpret_cast<SocketCoreObject*>(object);
}
TCPSocketObject* TCPFields(ObjectHeader* object) {
    return reinterpret_cast<TCPSocketObject*>(object);
}
ServerSocketObject* ServerFields(ObjectHeader* object) {
    return reinterpret_cast<ServerSocketObject*>(object);
}
UDPSocketObject* UDPFields(ObjectHeader* object) {
    return reinterpret_cast<UDPSocketObject*>(object);
}
DatagramObject* DatagramFields(ObjectHeader* object) {
    return reinterpret_cast<DatagramObject*>(object);
}

uint32_t sFlushStallLimit = 60000;
// A Flush poll that moved nothing waits this long for the socket to take more.
constexpr int32_t kFlushWaitMilliseconds = 10;

bool IsTCPSocket(ObjectHeader* object) {
    return object && ObjectIsaDefinition(object, TCPSocket());
}

bool IsUDPSocket(ObjectHeader* object) {
    return object && ObjectIsaDefinition(object, UDPSocket());
}

UDPSocketImp* UDPCoreOf(ObjectHeader* object) {
    return IsUDPSocket(object) ? static_cast<UDPSocketImp*>(SocketCoreOf(object)) : nullptr;
}

// A received text tagged with the encoding the caller named (unknown when omitted).
StringRecord* Tagged(string text, ObjectHeader* encoding) {
    text.SetEncoding(GetEncodingFromTEObject(encoding));
    return text.Detach();
}

// The core of a checked object, or null after reporting what was missing.
SocketImp* CheckedCore(ObjectHeader* object, int32_t line) {
    if (!object) {
        ReportAssertion(kSource, line, "ctl");
        return nullptr;
    }
    SocketImp* core = SocketCoreOf(object);
    if (!core) ReportAssertion(kSource, line, "ctl->socket");
    return core;
}

// Closes the core and clears its state; the close may have destroyed it with its owner.
void CloseAndReset(SocketImp* core) {
    SocketImp::Liveness alive(core);
    core->Close(false);
    if (alive.Alive()) core->Reset(true);
}

// Before a core is opened again: events it still owes are delivered, then it is closed. False when
// that destroyed it.
bool PrepareToReopen(SocketImp* core) {
    SocketImp::Liveness alive(core);
    if (core->eventWord != 0) {
        core->Poll();
        if (!alive.Alive() || ExceptionInFlight()) return false;
    }
    core->Close(false);
    if (!alive.Alive()) return false;
    core->Reset(true);
    return true;
}

StringRecord* Result(string text) { return text.Detach(); }

// --- SocketCore ---

EventEntry kSocketCoreEvents[] = {
    {0, "DataAvailable", "", "", &sDataAvailable, 0},
    {0, "Error", "", "", &sError, 0},
    {0, "SendComplete", "userAborted As Boolean", "", &sSendComplete, 0},
};

ConstantEntry kSocketCoreConstants[] = {
    {0, "NoError", 1, "0"},
    {0, "OpenDriverError", 1, "100"},
    {0, "LostConnection", 1, "102"},
    {0, "NameResolutionError", 1, "103"},
    {0, "AddressInUseError", 1, "105"},
    {0, "InvalidStateError", 1, "106"},
    {0, "InvalidPortError", 1, "107"},
    {0, "OutOfMemoryError", 1, "108"},
};

PropertyEntry kSocketCoreProperties[] = {
    {0, "Port", AsType(&kIntegerType), RowFunction(SocketPortGetter), "SocketPortGetter",
     RowFunction(SocketPortSetter), "SocketPortSetter", offsetof(SocketCoreObject, port), 0},
    QV_READ_ONLY_ROW(0, "LocalAddress", AsType(&kStringType), socketLocalAddressGetter, 0),
    {0, "LastErrorCode", AsType(&kIntegerType), RowFunction(socketLastErrorCode),
     "socketLastErrorCode", nullptr, nullptr, offsetof(SocketCoreObject, lastErrorCode), 0},
    {0, "IsConnected", AsType(&kBooleanType), RowFunction(SocketIsConnected), "SocketIsConnected",
     nullptr, nullptr, 0, 0},
    {0, "NetworkInterface", nullptr, RowFunction(objGetter), "objGetter", RowFunction(objSetter),
     "objSetter", offsetof(SocketCoreObject, networkInterface), 0},
    {0, "Handle", AsType(&kIntegerType), RowFunction(SocketGetHandle), "SocketGetHandle", nullptr,
     nullptr, 0, 0},
};

MethodEntry kSocketCoreMethods[] = {
    {"Close", nullptr, nullptr, 0, Function(socketClose, "socketClose"), {}, kMethodPlain, 0, 0},
    {"Poll", nullptr, nullptr, 0, Function(socketPoll, "socketPoll"), {}, kMethodPlain, 0, 0},
    {"Purge", nullptr, nullptr, 0, Function(SocketPurge, "SocketPurge"), {}, kMethodPlain, 0, 0},
    {"Connect",
     nullptr,
     nullptr,
     0,
     Function(SocketConnect, "SocketConnect"),
     {},
     kMethodPlain,
     0,
     0},
};

void RegisterDebuggerLookups(ObjectDefinition*) {
    RegisterRelocEntry("DebuggerSocketCount", DebuggerSocketCount);
    RegisterRelocEntry("DebuggerSocketLookup", DebuggerSocketLookup);
}

const ClassRows kSocketCoreRows = {
    .className = "SocketCore",
    .superclass = nullptr,
    .objectSize = sizeof(SocketCoreObject),
    .properties = kSocketCoreProperties,
    .events = kSocketCoreEvents,
    .methods = kSocketCoreMethods,
    .constants = kSocketCoreConstants,
    .filled = RegisterDebuggerLookups,
};

// --- TCPSocket ---

EventEntry kTCPSocketEvents[] = {
    {0, "Connected", "", "", &sConnected, 0},
    {0, "SendProgress", "bytesSent As Integer, bytesLeft As Integer", "Boolean", &sSendProgress, 0},
};

PropertyEntry kTCPSocketProperties[] = {
    {0, "Address", AsType(&kStringType), RowFunction(stringGetter), "stringGetter",
     RowFunction(stringSetter), "stringSetter", offsetof(TCPSocketObject, address), 0},
    {0, "RemoteAddress", AsType(&kStringType), RowFunction(socketRemoteAddressGetter),
     "socketRemoteAddressGetter", nullptr, nullptr, 0, 0},
    QV_READ_ONLY_ROW(0, "PPPStatus", AsType(&kIntegerType), socketPPPStatus, 0),
    {0, "BytesAvailable", AsType(&kIntegerType), RowFunction(SocketBytesAvailable),
     "SocketBytesAvailable", nullptr, nullptr, 0, 0},
    {0, "BytesLeftToSend", AsType(&kIntegerType), RowFunction(TCPSocketBytesLeftToSend),
     "TCPSocketBytesLeftToSend", nullptr, nullptr, 0, 0},
};

ParameterEntry kReadParameters[] = {
    {"byteCount", AsType(&kIntegerType), 0, 0, 0, 0},
    {"encoding", nullptr, 0, 1, 0, 0},
};
ParameterEntry kEncodingParameter[] = {{"encoding", nullptr, 0, 1, 0, 0}};
ParameterEntry kWriteParameter[] = {{"Text", AsType(&kStringType), 0, 0, 0, 0}};

MethodEntry kTCPSocketMethods[] = {
    {"Listen", nullptr, nullptr, 0, Function(SocketListen, "SocketListen"), {}, kMethodPlain, 0, 0},
    {"Read",
     AsType(&kStringType),
     kReadParameters,
     2,
     Function(socketRead, "socketRead"),
     {},
     kMethodPlain,
     0,
     0},
    {"ReadAll",
     AsType(&kStringType),
     kEncodingParameter,
     1,
     Function(SocketReadAll, "SocketReadAll"),
     {},
     kMethodPlain,
     0,
     0},
    {"Write",
     nullptr,
     kWriteParameter,
     1,
     Function(SocketWrite, "SocketWrite"),
     {},
     kMethodPlain,
     0,
     0},
    {"PPPConnect", nullptr, nullptr, 0, Function(socketPPPConnect, "socketPPPConnect"), {},
     kMethodPlain, 0, 0},
    {"PPPDisconnect", nullptr, nullptr, 0, Function(socketPPPDisconnect, "socketPPPDisconnect"),
     {}, kMethodPlain, 0, 0},
    {"Disconnect",
     nullptr,
     nullptr,
     0,
     Function(SocketDisconnect, "SocketDisconnect"),
     {},
     kMethodPlain,
     0,
     0},
    {"Lookahead",
     AsType(&kStringType),
     kEncodingParameter,
     1,
     Function(socketLookahead, "socketLookahead"),
     {},
     kMethodPlain,
     0,
     0},
    {"EOF", AsType(&kBooleanType), nullptr, 0, Function(TCPSocketEof, "TCPSocketEof"), {},
     kMethodPlain, 0, 0},
    {"ReadError", AsType(&kBooleanType), nullptr, 0,
     Function(socketLastErrorCode, "socketLastErrorCode"), {}, kMethodPlain, 0, 0},
    {"WriteError", AsType(&kBooleanType), nullptr, 0,
     Function(socketLastErrorCode, "socketLastErrorCode"), {}, kMethodPlain, 0, 0},
    {"Flush", nullptr, nullptr, 0, Function(TCPSocketFlush, "TCPSocketFlush"), {}, kMethodPlain,
     0, 0},
};

const DefinitionFunction kTCPSocketInterfaces[] = {Readable, Writeable};

const ClassRows kTCPSocketRows = {
    .className = "TCPSocket",
    .superclass = SocketCore,
    .objectSize = sizeof(TCPSocketObject),
    .initializer = Function(RuntimeSocketConstructor, "RuntimeSocketConstructor"),
    .finalizer = Function(RuntimeSocketDestructor, "RuntimeSocketDestructor"),
    .properties = kTCPSocketProperties,
    .events = kTCPSocketEvents,
    .methods = kTCPSocketMethods,
    .interfaces = kTCPSocketInterfaces,
};

// The older name of TCPSocket, with no members of its own.
const ClassRows kSocketRows = {
    .className = "Socket",
    .superclass = TCPSocket,
    .objectSize = sizeof(TCPSocketObject),
};

// --- UDPSocket and Datagram ---

PropertyEntry kUDPSocketProperties[] = {
    {0, "RouterHops", AsType(&kIntegerType), RowFunction(intGetter), "intGetter",
     RowFunction(UDPSocketRouterHops), "UDPSocketRouterHops", offsetof(UDPSocketObject, routerHops),
     0},
    {0, "SendToSelf", AsType(&kBooleanType), RowFunction(boolGetter), "boolGetter",
     RowFunction(UDPSocketSetLoopback), "UDPSocketSetLoopback",
     offsetof(UDPSocketObject, sendToSelf), 0},
    QV_READ_ONLY_ROW(0, "PacketsAvailable", AsType(&kIntegerType), PacketsAvailableGetter, 0),
    QV_READ_ONLY_ROW(0, "BroadcastAddress", AsType(&kStringType), UDPSocketGetBroadcast, 0),
    QV_READ_ONLY_ROW(0, "PacketsLeftToSend", AsType(&kIntegerType), UDPSocketPacketsLeftToSend,
                     0),
};

ParameterEntry kGroupParameter[] = {{"Group", AsType(&kStringType), 0, 0, 0, 0}};
ParameterEntry kUDPWriteParameters[] = {
    {"Address", AsType(&kStringType), 0, 0, 0, 0},
    {"Data", AsType(&kStringType), 0, 0, 0, 0},
};
ParameterEntry kDatagramParameter[] = {{"data", nullptr, 0, 0, 0, 0}};

MethodEntry kUDPSocketMethods[] = {
    {"JoinMulticastGroup", AsType(&kBooleanType), kGroupParameter, 1,
     Function(SocketJoinMulticastGroup, "SocketJoinMulticastGroup"), {}, kMethodPlain, 0, 0},
    {"LeaveMulticastGroup", nullptr, kGroupParameter, 1,
     Function(SocketLeaveMulticastGroup, "SocketLeaveMulticastGroup"), {}, kMethodPlain, 0, 0},
    {"Write", nullptr, kUDPWriteParameters, 2, Function(UDPSocketWrite, "UDPSocketWrite"), {},
     kMethodPlain, 0, 0},
    {"Write", nullptr, kDatagramParameter, 1,
     Function(UDPSocketWriteDatagram, "UDPSocketWriteDatagram"), {}, kMethodPlain, 0, 0},
    {"Read", nullptr, kEncodingParameter, 1, Function(UDPReadDatagram, "UDPReadDatagram"), {},
     kMethodPlain, 0, 0},
};

const ClassRows kUDPSocketRows = {
    .className = "UDPSocket",
    .superclass = SocketCore,
    .objectSize = sizeof(UDPSocketObject),
    .initializer = Function(RuntimeUDPSocketConstructor, "RuntimeUDPSocketConstructor"),
    .finalizer = Function(RuntimeUDPSocketDestructor, "RuntimeUDPSocketDestructor"),
    .properties = kUDPSocketProperties,
    .methods = kUDPSocketMethods,
};

PropertyEntry kDatagramProperties[] = {
    {0, "Address", AsType(&kStringType), RowFunction(stringGetter), "stringGetter",
     RowFunction(stringSetter), "stringSetter", offsetof(DatagramObject, address), 0},
    {0, "Data", AsType(&kStringType), RowFunction(stringGetter), "stringGetter",
     RowFunction(stringSetter), "stringSetter", offsetof(DatagramObject, data), 0},
    {0, "Port", AsType(&kIntegerType), RowFunction(intGetter), "intGetter", RowFunction(intSetter),
     "intSetter", offsetof(DatagramObject, port), 0},
};

const ClassRows kDatagramRows = {
    .className = "Datagram",
    .superclass = nullptr,
    .objectSize = sizeof(DatagramObject),
    .finalizer = Function(RuntimeDatagramFinalizer, "RuntimeDatagramFinalizer"),
    .properties = kDatagramProperties,
};

// --- ServerSocket ---

EventEntry kServerSocketEvents[] = {
    {0, "AddSocket", "", "TCPSocket", &sAddSocket, 0},
    {0, "Error", "ErrorCode As Integer", "", &sServerError, 0},
};

PropertyEntry kServerSocketProperties[] = {
    {0, "Port", AsType(&kIntegerType), RowFunction(ServerSocketPortGetter),
     "ServerSocketPortGetter", RowFunction(ServerSocketPortSetter), "ServerSocketPortSetter",
     offsetof(ServerSocketObject, port), 0},
    {0, "MinimumSocketsAvailable", AsType(&kIntegerType), RowFunction(intGetter), "intGetter",
     RowFunction(ServerSocketSetMinSockets), "ServerSocketSetMinSockets",
     offsetof(ServerSocketObject, minimumSocketsAvailable), 0},
    {0, "MaximumSocketsConnected", AsType(&kIntegerType), RowFunction(intGetter), "intGetter",
     RowFunction(ServerSocketSetMaxSockets), "ServerSocketSetMaxSockets",
     offsetof(ServerSocketObject, maximumSocketsConnected), 0},
    QV_READ_ONLY_ROW(0, "LocalAddress", AsType(&kStringType), socketLocalAddressGetter, 0),
    {0, "IsListening", AsType(&kBooleanType), RowFunction(serverSocketIsListening),
     "serverSocketIsListening", nullptr, nullptr, 0, 0},
    {0, "NetworkInterface", nullptr, RowFunction(objGetter), "objGetter", RowFunction(objSetter),
     "objSetter", offsetof(ServerSocketObject, networkInterface), 0},
    {0, "Handle", AsType(&kIntegerType), RowFunction(ServerSocketGetHandle),
     "ServerSocketGetHandle", nullptr, nullptr, 0, 0},
};

MethodEntry kServerSocketMethods[] = {
    {"Listen",
     nullptr,
     nullptr,
     0,
     Function(ServerSocketListen, "ServerSocketListen"),
     {},
     kMethodPlain,
     0,
     0},
    {"StopListening",
     nullptr,
     nullptr,
     0,
     Function(ServerSocketClose, "ServerSocketClose"),
     {},
     kMethodPlain,
     0,
     0},
};

const ClassRows kServerSocketRows = {
    .className = "ServerSocket",
    .superclass = nullptr,
    .objectSize = sizeof(ServerSocketObject),
    .initializer = Function(RuntimeServerSocketConstructor, "RuntimeServerSocketConstructor"),
    .finalizer = Function(RuntimeServerSocketDestructor, "RuntimeServerSocketDestructor"),
    .properties = kServerSocketProperties,
    .events = kServerSocketEvents,
    .methods = kServerSocketMethods,
};

// Object types are set on first use: the definitions they name must not be filled during static
// initialisation.
void SetClassTypes() {
    static bool set = false;
    if (set) return;
    set = true;
    const TypeDescriptor* networkInterface = NetworkInterface()->AsType();
    const TypeDescriptor* encoding = GetTextEncodingDefinition()->AsType();
    kSocketCoreProperties[4].type = networkInterface;
    kServerSocketProperties[5].type = networkInterface;
    kReadParameters[1].parameterType = encoding;
    kEncodingParameter[0].parameterType = encoding;
    kDatagramParameter[0].parameterType = Datagram()->AsType();
    kUDPSocketMethods[4].returnType = Datagram()->AsType();
}

template <typename F>
F* Handler(ObjectHeader* object, EventDefinition* event) {
    if (!object || !event) return nullptr;
    return reinterpret_cast<F*>(FindEventInstance(object, event));
}

}  // namespace

ObjectDefinition* SocketCore() {
    static ObjectDefinition definition;
    if (definition.className.IsEmpty()) SetClassTypes();
    return FillClassDefinition(definition, kSocketCoreRows);
}

ObjectDefinition* TCPSocket() {
    static ObjectDefinition definition;
    if (definition.className.IsEmpty()) SetClassTypes();
    return FillClassDefinition(definition, kTCPSocketRows);
}

ObjectDefinition* ServerSocket() {
    static ObjectDefinition definition;
    if (definition.className.IsEmpty()) SetClassTypes();
    return FillClassDefinition(definition, kServerSocketRows);
}

ObjectDefinition* Socket() {
    static ObjectDefinition definition;
    return FillClassDefinition(definition, kSocketRows);
}

ObjectDefinition* UDPSocket() {
    static ObjectDefinition definition;
    if (definition.className.IsEmpty()) SetClassTypes();
    return FillClassDefinition(definition, kUDPSocketRows);
}

ObjectDefinition* Datagram() {
    static ObjectDefinition definition;
    return FillClassDefinition(definition, kDatagramRows);
}

SocketImp* SocketCoreOf(ObjectHeader* object) { return object ? Fields(object)->socket : nullptr; }

ObjectHeader* SocketNetworkInterface(ObjectHeader* object) {
    if (!object) return nullptr;
    if (ObjectIsaDefinition(object, ServerSocket())) return ServerFields(object)->networkInterface;
    if (ObjectIsaDefinition(object, SocketCore())) return Fields(object)->networkInterface;
    return nullptr;
}

uint32_t SocketBindAddress(ObjectHeader* object) {
    ObjectHeader* networkInterface = SocketNetworkInterface(object);
    return networkInterface ? GetInterfaceIPAddress(NetworkInterfaceIndex(networkInterface)) : 0;
}

void SetFlushStallLimit(uint32_t milliseconds) { sFlushStallLimit = milliseconds; }

TCPSocketImp* TCPCoreOf(ObjectHeader* object) {
    SocketImp* core = SocketCoreOf(object);
    return core ? core->AsTCP() : nullptr;
}

// --- events ---

void FireSocketConnected(ObjectHeader* object) {
    if (auto* handler = Handler<void(ObjectHeader*)>(object, sConnected)) handler(object);
}

void FireSocketDataAvailable(ObjectHeader* object) {
    if (auto* handler = Handler<void(ObjectHeader*)>(object, sDataAvailable)) handler(object);
}

void FireSocketSendComplete(ObjectHeader* object, bool userAborted) {
    if (auto* handler = Handler<void(ObjectHeader*, bool)>(object, sSendComplete))
        handler(object, userAborted);
}

bool FireSocketSendProgress(ObjectHeader* object, int32_t bytesSent, int32_t bytesLeft) {
    auto* handler = Handler<bool(ObjectHeader*, int32_t, int32_t)>(object, sSendProgress);
    return handler ? handler(object, bytesSent, bytesLeft) : false;
}

void FireSocketError(ObjectHeader* object) {
    if (!object) return;
    if (SocketImp* core = SocketCoreOf(object)) Fields(object)->lastErrorCode = core->lastError;
    if (auto* handler = Handler<void(ObjectHeader*)>(object, sError)) handler(object);
}

ObjectHeader* FireServerSocketAddSocket(ObjectHeader* server) {
    if (!server) return nullptr;
    RuntimeLockObject(server);
    ObjectHeader* socket = nullptr;
    if (auto* handler = Handler<ObjectHeader*(ObjectHeader*)>(server, sAddSocket)) {
        socket = handler(server);
        if (ExceptionInFlight()) {
            RuntimeUnlockObject(socket);
            RuntimeUnlockObject(server);
            return nullptr;
        }
    }
    if (socket && !IsTCPSocket(socket)) {
        RuntimeUnlockObject(socket);
        socket = nullptr;
    }
    RuntimeUnlockObject(server);
    if (!socket) RaiseNilObjectException();
    return socket;
}

extern "C" {

void ServerSocketFireErrorEvent(ObjectHeader* server, int32_t code) {
    if (auto* handler = Handler<void(ObjectHeader*, int32_t)>(server, sServerError))
        handler(server, code);
}

// --- life cycle ---

void RuntimeSocketConstructor(ObjectHeader* object) {
    Fields(object)->socket = NewTCPSocketCore(object, nullptr);
}

void RuntimeSocketDestructor(ObjectHeader* object) {
    TCPSocketObject* fields = TCPFields(object);
    RuntimeUnlockString(fields->address);
    fields->address = nullptr;
    SocketImp* core = fields->core.socket;
    fields->core.socket = nullptr;
    delete core;
}

void RuntimeServerSocketConstructor(ObjectHeader* object) {
    ServerSocketObject* fields = ServerFields(object);
    if (fields->maximumSocketsConnected <= 0) fields->maximumSocketsConnected = 1;
    if (fields->minimumSocketsAvailable <= 0) fields->minimumSocketsAvailable = 1;
    fields->socket = NewTCPSocketCore(object, nullptr);
}

void RuntimeServerSocketDestructor(ObjectHeader* object) {
    ServerSocketClose(object);
    ServerSocketObject* fields = ServerFields(object);
    SocketImp* core = fields->socket;
    fields->socket = nullptr;
    delete core;
}

void SocketCoreCtor() {}
void TCPSocketCtor() {}
void UDPSocketCtor() {}

void RuntimeUDPSocketConstructor(ObjectHeader* object) {
    Fields(object)->socket = NewUDPSocketCore(object);
    UDPFields(object)->routerHops = 1;
    UDPFields(object)->sendToSelf = 1;
}

void RuntimeUDPSocketDestructor(ObjectHeader* object) {
    SocketImp* core = Fields(object)->socket;
    Fields(object)->socket = nullptr;
    delete core;
}

void RuntimeDatagramFinalizer(ObjectHeader* object) {
    DatagramObject* fields = DatagramFields(object);
    RuntimeUnlockString(fields->address);
    RuntimeUnlockString(fields->data);
    fields->address = nullptr;
    fields->data = nullptr;
}

// --- SocketCore members ---

int32_t SocketPortGetter(ObjectHeader* object, int32_t) {
    if (!object) return 0;
    SocketImp* core = SocketCoreOf(object);
    const int32_t local = core ? core->GetLocalPort() : -1;
    return local != -1 ? local : Fields(object)->port;
}

void SocketPortSetter(ObjectHeader* object, int32_t, int32_t value) {
    if (object) Fields(object)->port = value;
}

int32_t socketLastErrorCode(ObjectHeader* object) {
    return object ? Fields(object)->lastErrorCode : 0;
}

bool SocketIsConnected(ObjectHeader* object) {
    SocketImp* core = SocketCoreOf(object);
    return core && core->isConnected;
}

int32_t SocketGetHandle(ObjectHeader* object) {
    SocketImp* core = SocketCoreOf(object);
    return core ? core->GetHandle() : 0;
}

void socketClose(ObjectHeader* object) {
    if (SocketImp* core = SocketCoreOf(object)) CloseAndReset(core);
}

void socketPoll(ObjectHeader* object) {
    if (SocketImp* core = SocketCoreOf(object)) core->Poll();
}

void SocketPurge(ObjectHeader* object) {
    if (SocketImp* core = SocketCoreOf(object)) core->Purge();
}

void SocketConnect(ObjectHeader* object) {
    if (IsUDPSocket(object)) {
        Fields(object)->lastErrorCode = 0;
        UDPSocketBind(object);
        return;
    }
    if (!IsTCPSocket(object)) return;
    TCPSocketImp* core = TCPCoreOf(object);
    if (!core || !PrepareToReopen(core)) return;
    string address(TCPFields(object)->address);
    if (string::CompareNoCase(address, string("localhost")) == 0) address = string("127.0.0.1");
    Fields(object)->lastErrorCode = 0;
    core->Connect(address, Fields(object)->port);
}

// --- TCPSocket members ---

StringRecord* socketRemoteAddressGetter(ObjectHeader* object) {
    TCPSocketImp* core = TCPCoreOf(object);
    return core ? Result(core->GetRemoteAddress()) : nullptr;
}

int32_t SocketBytesAvailable(ObjectHeader* object) {
    TCPSocketImp* core = TCPCoreOf(object);
    return core ? core->BytesAvailable() : 0;
}

int32_t TCPSocketBytesLeftToSend(ObjectHeader* object) {
    if (!CheckedCore(object, __LINE__)) return 0;
    TCPSocketImp* core = TCPCoreOf(object);
    return core ? core->BytesLeftToSend() : 0;
}

void SocketListen(ObjectHeader* object) {
    TCPSocketImp* core = TCPCoreOf(object);
    if (!core || !PrepareToReopen(core)) return;
    Fields(object)->lastErrorCode = 0;
    core->Listen(Fields(object)->port);
}

StringRecord* socketRead(ObjectHeader* object, int32_t byteCount, ObjectHeader* encoding) {
    TCPSocketImp* core = TCPCoreOf(object);
    return core ? Tagged(core->Read(byteCount), encoding) : nullptr;
}

StringRecord* SocketReadAll(ObjectHeader* object, ObjectHeader* encoding) {
    TCPSocketImp* core = TCPCoreOf(object);
    return core ? Tagged(core->ReadAll(), encoding) : nullptr;
}

void SocketWrite(ObjectHeader* object, StringRecord* text) {
    if (!IsTCPSocket(object)) return;
    if (TCPSocketImp* core = TCPCoreOf(object)) core->Write(string(text));
}

void SocketDisconnect(ObjectHeader* object) {
    SocketImp* core = SocketCoreOf(object);
    if (!core || !core->isConnected) return;
    RuntimeLockObject(object);
    SocketImp::Liveness alive(core);
    CloseAndReset(core);
    if (alive.Alive()) {
        core->lastError = kSocketLostConnection;
        FireSocketError(object);
    }
    RuntimeUnlockObject(object);
}

StringRecord* socketLookahead(ObjectHeader* object, ObjectHeader* encoding) {
    TCPSocketImp* core = TCPCoreOf(object);
    return core ? Tagged(core->Lookahead(), encoding) : nullptr;
}

StringRecord* socketLocalAddressGetter(ObjectHeader* object) {
    ObjectHeader* networkInterface = SocketNetworkInterface(object);
    return Result(FormatDottedAddress(GetInterfaceIPAddress(NetworkInterfaceIndex(networkInterface))));
}

bool TCPSocketEof(ObjectHeader* object) {
    SocketImp* core = CheckedCore(object, __LINE__);
    TCPSocketImp* tcp = core ? core->AsTCP() : nullptr;
    if (!tcp) return true;
    return !tcp->isConnected && tcp->BytesAvailable() == 0;
}

void TCPSocketFlush(ObjectHeader* object) {
    SocketImp* checked = CheckedCore(object, __LINE__);
    TCPSocketImp* core = checked ? checked->AsTCP() : nullptr;
    if (!core) return;
    RuntimeLockObject(object);
    SocketImp::Liveness alive(core);
    DWORD lastProgress = GetTickCount();
    while (core->BytesLeftToSend() > 0 && core->lastError == 0 && core->GetHandle() != -1) {
        const int32_t before = core->BytesLeftToSend();
        core->Poll();
        if (!alive.Alive() || ExceptionInFlight()) break;
        if (core->BytesLeftToSend() < before) {
            lastProgress = GetTickCount();
            continue;
        }
        if (core->BytesLeftToSend() == 0 || core->lastError != 0 || core->GetHandle() == -1)
            break;
        // A peer that stops reading is waited for, not spun on, and given up after a while.
        if (GetTickCount() - lastProgress >= sFlushStallLimit) {
            core->ClearOutput();
            core->SetError(kSocketLostConnection);
            break;
        }
        if (!gWinsock.select) continue;
        fd_set writeSet;
        FD_ZERO(&writeSet);
        FD_SET(static_cast<SOCKET>(core->GetHandle()), &writeSet);
        const timeval wait = {0, kFlushWaitMilliseconds * 1000};
        gWinsock.select(core->GetHandle() + 1, nullptr, &writeSet, nullptr, &wait);
    }
    if (alive.Alive()) core->ClearOutput();
    RuntimeUnlockObject(object);
}

// --- UDPSocket members ---

void UDPSocketRouterHops(ObjectHeader* object, int32_t, int32_t hops) {
    if (!object) return;
    UDPFields(object)->routerHops = hops;
    if (UDPSocketImp* core = UDPCoreOf(object)) core->SetRouterHops(hops);
}

void UDPSocketSetLoopback(ObjectHeader* object, int32_t, int32_t flag) {
    if (!object) return;
    UDPFields(object)->sendToSelf = flag;
    if (UDPSocketImp* core = UDPCoreOf(object)) core->SetLoopback((flag & 0xFF) != 0);
}

int32_t PacketsAvailableGetter(ObjectHeader* object) {
    UDPSocketImp* core = UDPCoreOf(object);
    return core ? core->PacketsAvailable() : 0;
}

StringRecord* UDPSocketGetBroadcast(ObjectHeader* object) {
    UDPSocketImp* core = UDPCoreOf(object);
    return core ? Result(core->GetBroadcastAddress()) : nullptr;
}

int32_t UDPSocketPacketsLeftToSend(ObjectHeader* object) {
    if (!CheckedCore(object, __LINE__)) return 0;
    UDPSocketImp* core = UDPCoreOf(object);
    return core ? core->PacketsLeftToSend() : 0;
}

bool SocketJoinMulticastGroup(ObjectHeader* object, StringRecord* group) {
    UDPSocketImp* core = UDPCoreOf(object);
    return core && core->JoinMulticastGroup(string(group));
}

void SocketLeaveMulticastGroup(ObjectHeader* object, StringRecord* group) {
    if (UDPSocketImp* core = UDPCoreOf(object)) core->LeaveMulticastGroup(string(group));
}

void UDPSocketWrite(ObjectHeader* object, StringRecord* address, StringRecord* data) {
    ObjectHeader* datagram = CreateInstance(Datagram());
    if (!datagram) return;
    RuntimeLockString(address);
    RuntimeLockString(data);
    DatagramFields(datagram)->address = address;
    DatagramFields(datagram)->data = data;
    UDPSocketWriteDatagram(object, datagram);
    RuntimeUnlockObject(datagram);
}

void UDPSocketWriteDatagram(ObjectHeader* object, ObjectHeader* datagram) {
    UDPSocketImp* core = UDPCoreOf(object);
    if (!core || !datagram) return;
    DatagramObject* fields = DatagramFields(datagram);
    string address(fields->address);
    int32_t port = Fields(object)->port;
    if (fields->port != 0) {
        port = fields->port;
    } else {
        // "address:port", exactly one colon.
        const char* text = address.CString();
        const char* colon = std::strchr(text, ':');
        if (colon && !std::strchr(colon + 1, ':')) {
            string portText(colon + 1);
            port = static_cast<int32_t>(StringVal(portText.Record()));
            address = LeftBytes(address, static_cast<int32_t>(colon - text));
        }
    }
    const string data(fields->data);
    const DatagramRequest request = {address.CString(), port, data.CString(), data.Length()};
    core->QueueDatagram(request);
}

ObjectHeader* UDPReadDatagram(ObjectHeader* object, ObjectHeader* encoding) {
    UDPSocketImp* core = UDPCoreOf(object);
    if (!core) return nullptr;
    ObjectHeader* datagram = CreateInstance(Datagram());
    if (!datagram) return nullptr;
    DatagramRecord* record = core->NextDatagram();
    if (!record) {
        RuntimeUnlockObject(datagram);
        return nullptr;
    }
    DatagramObject* fields = DatagramFields(datagram);
    string data;
    data.SetBytes(record->data, record->length);
    string address(record->address);
    const uint32_t tag = GetEncodingFromTEObject(encoding);
    data.SetEncoding(tag);
    address.SetEncoding(tag);
    fields->data = data.Detach();
    fields->address = address.Detach();
    fields->port = record->port;
    FreeDatagramRecord(record);
    return datagram;
}

void UDPSocketBind(ObjectHeader* object) {
    UDPSocketImp* core = UDPCoreOf(object);
    if (!core) return;
    SocketImp::Liveness alive(core);
    core->Bind(Fields(object)->port);
    if (!alive.Alive() || ExceptionInFlight() || !core->isConnected) return;
    core->SetLoopback((UDPFields(object)->sendToSelf & 0xFF) != 0);
    if (!alive.Alive() || ExceptionInFlight()) return;
    core->SetRouterHops(UDPFields(object)->routerHops);
}

bool UDPSocketIsBound(ObjectHeader* object) {
    UDPSocketImp* core = UDPCoreOf(object);
    return core && core->isConnected;
}

// --- ServerSocket members ---

int32_t ServerSocketPortGetter(ObjectHeader* object, int32_t) {
    if (!object) {
        ReportAssertion(kSource, __LINE__, "ctl");
        return 0;
    }
    TCPSocketImp* core = TCPCoreOf(object);
    if (!core) {
        ReportAssertion(kSource, __LINE__, "sock");
        return ServerFields(object)->port;
    }
    return core->isListening ? core->GetLocalPort() : ServerFields(object)->port;
}

void ServerSocketPortSetter(ObjectHeader* object, int32_t, int32_t value) {
    if (!object) {
        ReportAssertion(kSource, __LINE__, "ctl");
        return;
    }
    ServerFields(object)->port = value;
}

void ServerSocketSetMinSockets(ObjectHeader* object, int32_t, int32_t value) {
    if (object) ServerFields(object)->minimumSocketsAvailable = value;
}

void ServerSocketSetMaxSockets(ObjectHeader* object, int32_t, int32_t value) {
    if (!object) return;
    ServerFields(object)->maximumSocketsConnected = value;
    TCPSocketImp* core = TCPCoreOf(object);
    if (core && core->pool) core->eventWord |= kSocketEventPoolRefill;
}

bool serverSocketIsListening(ObjectHeader* object) {
    TCPSocketImp* core = TCPCoreOf(object);
    return core && core->isListening;
}

int32_t ServerSocketGetHandle(ObjectHeader* object) {
    SocketImp* core = SocketCoreOf(object);
    return core ? core->GetHandle() : 0;
}

void ServerSocketListen(ObjectHeader* object) {
    TCPSocketImp* core = TCPCoreOf(object);
    if (!core) return;
    if (core->lastError != 0 || core->isListening) ServerSocketClose(object);
    core->Listen(ServerFields(object)->port);
}

void ServerSocketClose(ObjectHeader* object) {
    if (SocketImp* core = SocketCoreOf(object)) CloseAndReset(core);
}

// --- plug-in exports ---

void socketDirectConnect(ObjectHeader* object, StringRecord* address, int32_t port) {
    if (!IsTCPSocket(object)) return;
    RuntimeLockUnlockStrings(address, TCPFields(object)->address);
    TCPFields(object)->address = address;
    Fields(object)->port = port;
    SocketConnect(object);
}

void pluginSocketListen(ObjectHeader* object) {
    if (IsTCPSocket(object)) SocketListen(object);
}

StringRecord* pluginSocketRead(ObjectHeader* object, int32_t count) {
    return socketRead(object, count, nullptr);
}
StringRecord* pluginSocketReadAll(ObjectHeader* object) { return SocketReadAll(object, nullptr); }
StringRecord* pluginSocketLookahead(ObjectHeader* object) {
    return socketLookahead(object, nullptr);
}

}  // extern "C"
