/* An application with TCPSocket and ServerSocket subclasses whose handlers log their events, run
 * against the Python socket peers (tests/comms/peers). The variable QV_SOCKET_SCENARIO names what
 * it does and QV_PEER_PORTS gives the peers' ports; it runs the runtime's loop through DoEvents
 * until the scenario is done or 2 minutes have passed, and prints one line:
 *   echo      Connected, a 3,000,000-byte write echoed back identical, its progress reports
 *   cancel    SendProgress answers True: SendComplete(True), and the peer's byte count
 *   closed    the error of a port where nothing listens
 *   sendclose DataAvailable, then the error, the bytes still readable
 *   reset     the error of a reset connection
 *   held      a ServerSocket listening on a port a peer holds
 *   server    MinimumSocketsAvailable 2: AddSocket count, three clients served
 *   full      MaximumSocketsConnected 1: a second client closed, the next accepted later
 *   nil       AddSocket answering nil
 *   drop      an Error handler dropping its socket's last reference
 *   doevents  a DataAvailable handler closing its socket and calling DoEvents
 *   udp       a UDPSocket on port 0: every byte value to the UDP echo peer and back as a Datagram,
 *             then a write to a name that does not resolve */
#include "sdk/QuorvaneRuntime.h"

QV_DECLARE_FUNCTION(kernel32, GetStdHandle, void*, (uint32_t which));
QV_DECLARE_FUNCTION(kernel32, WriteFile, int32_t,
                    (void* file, const void* bytes, uint32_t count, uint32_t* written,
                     void* overlapped));
QV_DECLARE_FUNCTION(kernel32, GetEnvironmentVariableA, uint32_t,
                    (const char* name, char* value, uint32_t size));
QV_DECLARE_FUNCTION(kernel32, GetTickCount, uint32_t, (void));

int32_t QV_CDECL RuntimeInit(void);
void QV_CDECL RuntimeInitExternalClasses(void);
int32_t QV_CDECL RuntimeExit(void);
void QV_CDECL RuntimeDoEvents(ObjectHeader* application, int32_t milliseconds);

void QV_CDECL socketDirectConnect(ObjectHeader* socket, StringRecord* address, int32_t port);
void QV_CDECL SocketWrite(ObjectHeader* socket, StringRecord* text);
StringRecord* QV_CDECL SocketReadAll(ObjectHeader* socket, ObjectHeader* encoding);
int32_t QV_CDECL socketLastErrorCode(ObjectHeader* socket);
void QV_CDECL socketClose(ObjectHeader* socket);
int32_t QV_CDECL TCPSocketBytesLeftToSend(ObjectHeader* socket);
void QV_CDECL ServerSocketListen(ObjectHeader* server);
void QV_CDECL ServerSocketClose(ObjectHeader* server);
int32_t QV_CDECL ServerSocketPortGetter(ObjectHeader* server, int32_t parameter);
void QV_CDECL ServerSocketPortSetter(ObjectHeader* server, int32_t parameter, int32_t value);
void QV_CDECL ServerSocketSetMinSockets(ObjectHeader* server, int32_t parameter, int32_t value);
void QV_CDECL ServerSocketSetMaxSockets(ObjectHeader* server, int32_t parameter, int32_t value);
void QV_CDECL SocketConnect(ObjectHeader* socket);
int32_t QV_CDECL SocketPortGetter(ObjectHeader* socket, int32_t parameter);
bool QV_CDECL SocketIsConnected(ObjectHeader* socket);

/* --- output --- */

static char sLine[512];
static int32_t sLength;

static void Text(const char* text) {
    while (*text && sLength < (int32_t)sizeof sLine - 1) sLine[sLength++] = *text++;
}

static void Number(int32_t value) {
    char digits[12];
    int32_t count = 0;
    if (value < 0) {
        Text("-");
        value = -value;
    }
    do {
        digits[count++] = (char)('0' + value % 10);
        value /= 10;
    } while (value);
    while (count) {
        char one[2] = {digits[--count], 0};
        Text(one);
    }
}

static void Flush(void) {
    uint32_t written;
    sLine[sLength++] = '\n';
    WriteFile(GetStdHandle((uint32_t)-11), sLine, (uint32_t)sLength, &written, 0);
    sLength = 0;
}

static int Equal(StringRecord* record, const char* text) {
    int32_t i;
    if (!record) return text[0] == 0;
    for (i = 0; i < record->length; i++)
        if (text[i] == 0 || record->buffer[1 + i] != (unsigned char)text[i]) return 0;
    return text[i] == 0;
}

/* --- the peers --- */

static char sScenario[16];
static char sPorts[256];

static int Scenario(const char* name) {
    int i;
    for (i = 0; name[i]; i++)
        if (sScenario[i] != name[i]) return 0;
    return sScenario[i] == 0;
}

/* The port after "role=" in QV_PEER_PORTS. */
static int32_t PeerPort(const char* role) {
    int32_t i = 0, k, port;
    while (sPorts[i]) {
        for (k = 0; role[k] && sPorts[i + k] == role[k]; k++) {
        }
        if (!role[k] && sPorts[i + k] == '=' && (i == 0 || sPorts[i - 1] == ' ')) {
            port = 0;
            for (i += k + 1; sPorts[i] >= '0' && sPorts[i] <= '9'; i++) port = port * 10 + (sPorts[i] - '0');
            return port;
        }
        i++;
    }
    return 0;
}

/* --- the classes and their handlers --- */

static ClassRecord* sLoggingClass;
static ClassRecord* sEchoingClass;
static ClassRecord* sControlClass;
static ClassRecord* sServerClass;
static ClassRecord* sUDPClass;

static int32_t sConnected, sDataEvents, sErrors, sLastError, sAddSockets, sServerError;
static int32_t sProgressReports, sLargestPiece, sSentReported, sCompleteFalse, sCompleteTrue;
static int32_t sCompleteOutOfTurn, sAwaitingComplete, sReceived, sMismatch;
static int32_t sAnswerTrue, sReadOnData, sCloseOnData, sNilSockets;
static ObjectHeader* sDropInError;
static char sReply[64];
static int32_t sReplyLength;

/* Sent bytes repeat the ten digits: a piece lost, doubled or out of order shows. */
static unsigned char ByteAt(int32_t i) { return (unsigned char)('0' + i % 10); }

static void QV_CDECL OnConnected(ObjectHeader* self) {
    (void)self;
    sConnected++;
}

static void QV_CDECL OnDataAvailable(ObjectHeader* self) {
    StringRecord* bytes;
    int32_t i;
    sDataEvents++;
    if (sCloseOnData) {
        socketClose(self);
        RuntimeDoEvents(0, -1);
        return;
    }
    if (!sReadOnData) return;
    bytes = SocketReadAll(self, 0);
    if (!bytes) return;
    for (i = 0; i < bytes->length; i++)
        if (bytes->buffer[1 + i] != ByteAt(sReceived + i)) sMismatch++;
    sReceived += bytes->length;
    RuntimeUnlockString(bytes);
}

static void QV_CDECL OnSendComplete(ObjectHeader* self, bool aborted) {
    (void)self;
    if (aborted)
        sCompleteTrue++;
    else
        sCompleteFalse++;
    sAwaitingComplete = 0;
}

static bool QV_CDECL OnSendProgress(ObjectHeader* self, int32_t sent, int32_t left) {
    (void)self;
    if (sAwaitingComplete) sCompleteOutOfTurn++;
    sProgressReports++;
    sSentReported += sent;
    if (sent > sLargestPiece) sLargestPiece = sent;
    if (left == 0) sAwaitingComplete = 1;
    return sAnswerTrue != 0;
}

static void QV_CDECL OnError(ObjectHeader* self) {
    sErrors++;
    sLastError = socketLastErrorCode(self);
    if (sDropInError) {
        ObjectHeader* dropped = sDropInError;
        sDropInError = 0;
        RuntimeUnlockObject(dropped);
    }
}

/* Every byte value once, as a record of the tests' own. */
static struct {
    unsigned char lengthByte;
    unsigned char bytes[257];
} sAllBytesBuffer;
static StringRecord sAllBytes; /* filled at run time: the loader patches only code */

typedef struct {
    ObjectHeader header;
    StringRecord* address;
    StringRecord* data;
    int32_t port;
} DatagramFields;

static int32_t sDatagramBytes, sDatagramFromPeer, sDatagramTagged;

/* A datagram from the peer: its bytes checked against every byte value, its sender noted. */
static void QV_CDECL OnDatagram(ObjectHeader* self) {
    ObjectHeader* datagram = UDPReadDatagram(self, 0);
    DatagramFields* fields = (DatagramFields*)datagram;
    int32_t i;
    sDataEvents++;
    if (!datagram) return;
    sDatagramBytes += fields->data ? fields->data->length : 0;
    for (i = 0; fields->data && i < fields->data->length; i++)
        if (fields->data->buffer[1 + i] != (unsigned char)i) sMismatch++;
    sDatagramFromPeer = Equal(fields->address, "127.0.0.1") && fields->port == PeerPort("udp");
    sDatagramTagged = fields->data && fields->data->encoding == kEncodingUnknown;
    RuntimeUnlockObject(datagram);
}

/* The pooled sockets answer each line with the same line. */
static void QV_CDECL OnEchoData(ObjectHeader* self) {
    StringRecord* bytes = SocketReadAll(self, 0);
    SocketWrite(self, bytes);
    RuntimeUnlockString(bytes);
}

/* The control connection keeps the peers' answer. */
static void QV_CDECL OnControlData(ObjectHeader* self) {
    StringRecord* bytes = SocketReadAll(self, 0);
    int32_t i;
    if (!bytes) return;
    for (i = 0; i < bytes->length && sReplyLength < (int32_t)sizeof sReply - 1; i++)
        sReply[sReplyLength++] = (char)bytes->buffer[1 + i];
    RuntimeUnlockString(bytes);
}

static ObjectHeader* QV_CDECL OnAddSocket(ObjectHeader* self) {
    (void)self;
    sAddSockets++;
    if (sNilSockets) return 0;
    return RuntimeNewObject(sEchoingClass);
}

static void QV_CDECL OnServerError(ObjectHeader* self, int32_t code) {
    (void)self;
    sServerError = code;
}

static ClassRecord* Subclass(const char* baseName, StringRecord* name) {
    ClassRecord* base = 0;
    if (baseName[0] == 'T') base = RuntimeLookupClass(QV_LITERAL("TCPSocket"));
    if (baseName[0] == 'S') base = RuntimeLookupClass(QV_LITERAL("ServerSocket"));
    if (baseName[0] == 'U') base = RuntimeLookupClass(QV_LITERAL("UDPSocket"));
    ClassRecord* own = RuntimeNewClass(base, base->methodCount, base->interfaceCount, base->eventCount,
                                       base->accessorCount, base->propertyCount);
    own->name = name;
    own->instanceSize = base->instanceSize;
    return own;
}

static void Handle(ClassRecord* record, const char* event, void* handler) {
    int32_t i;
    for (i = 0; i < record->eventCount; i++)
        if (Equal(record->events[i].name, event)) record->events[i].vector = handler;
}

static void BuildClasses(void) {
    sLoggingClass = Subclass("T", QV_LITERAL("LoggingSocket"));
    Handle(sLoggingClass, "Connected", (void*)OnConnected);
    Handle(sLoggingClass, "DataAvailable", (void*)OnDataAvailable);
    Handle(sLoggingClass, "SendComplete", (void*)OnSendComplete);
    Handle(sLoggingClass, "SendProgress", (void*)OnSendProgress);
    Handle(sLoggingClass, "Error", (void*)OnError);
    sEchoingClass = Subclass("T", QV_LITERAL("EchoingSocket"));
    Handle(sEchoingClass, "Connected", (void*)OnConnected);
    Handle(sEchoingClass, "DataAvailable", (void*)OnEchoData);
    Handle(sEchoingClass, "Error", (void*)OnError);
    sControlClass = Subclass("T", QV_LITERAL("ControlSocket"));
    Handle(sControlClass, "DataAvailable", (void*)OnControlData);
    sServerClass = Subclass("S", QV_LITERAL("LoggingServer"));
    Handle(sServerClass, "AddSocket", (void*)OnAddSocket);
    Handle(sServerClass, "Error", (void*)OnServerError);
    sUDPClass = Subclass("U", QV_LITERAL("LoggingUDPSocket"));
    Handle(sUDPClass, "DataAvailable", (void*)OnDatagram);
    Handle(sUDPClass, "SendComplete", (void*)OnSendComplete);
    Handle(sUDPClass, "Error", (void*)OnError);
}

/* --- driving --- */

static uint32_t sStart;

static int TimeLeft(void) { return GetTickCount() - sStart < 120000; }

static void Spin(uint32_t milliseconds) {
    uint32_t start = GetTickCount();
    while (GetTickCount() - start < milliseconds) RuntimeDoEvents(0, -1);
}

static ObjectHeader* Connect(ClassRecord* record, int32_t port) {
    ObjectHeader* socket = RuntimeNewObject(record);
    socketDirectConnect(socket, QV_LITERAL("127.0.0.1"), port);
    return socket;
}

/* One command on the control port; the answer is in sReply. */
static void Control(StringRecord* command) {
    ObjectHeader* control;
    sReplyLength = 0;
    control = Connect(sControlClass, PeerPort("control"));
    SocketWrite(control, command);
    while (TimeLeft() && (sReplyLength == 0 || sReply[sReplyLength - 1] != '\n')) RuntimeDoEvents(0, -1);
    if (sReplyLength) sReplyLength--;
    sReply[sReplyLength] = 0;
    socketClose(control);
    RuntimeUnlockObject(control);
}

static StringRecord* WithPort(StringRecord* command, int32_t port, StringRecord* tail) {
    char digits[8];
    int32_t count = 0, i;
    StringRecord* text;
    StringRecord* joined;
    do {
        digits[count++] = (char)('0' + port % 10);
        port /= 10;
    } while (port);
    text = RuntimeLockString(command);
    for (i = count - 1; i >= 0; i--) {
        /* One digit at a time from the literals 0..9. */
        StringRecord* digit = 0;
        if (digits[i] == '0') digit = QV_LITERAL("0");
        if (digits[i] == '1') digit = QV_LITERAL("1");
        if (digits[i] == '2') digit = QV_LITERAL("2");
        if (digits[i] == '3') digit = QV_LITERAL("3");
        if (digits[i] == '4') digit = QV_LITERAL("4");
        if (digits[i] == '5') digit = QV_LITERAL("5");
        if (digits[i] == '6') digit = QV_LITERAL("6");
        if (digits[i] == '7') digit = QV_LITERAL("7");
        if (digits[i] == '8') digit = QV_LITERAL("8");
        if (digits[i] == '9') digit = QV_LITERAL("9");
        joined = RuntimeAddString(text, digit);
        RuntimeUnlockString(text);
        text = joined;
    }
    joined = RuntimeAddString(text, tail);
    RuntimeUnlockString(text);
    return joined;
}

/* 3,000,000 digits, doubled up from a literal of 1,000. */
#define QV_DIGITS10 "0123456789"
#define QV_DIGITS100 QV_DIGITS10 QV_DIGITS10 QV_DIGITS10 QV_DIGITS10 QV_DIGITS10 QV_DIGITS10 QV_DIGITS10 QV_DIGITS10 QV_DIGITS10 QV_DIGITS10
#define QV_DIGITS1000 QV_DIGITS100 QV_DIGITS100 QV_DIGITS100 QV_DIGITS100 QV_DIGITS100 QV_DIGITS100 QV_DIGITS100 QV_DIGITS100 QV_DIGITS100 QV_DIGITS100

static StringRecord* ThreeMillionDigits(void) {
    /* 3000 thousands = 2048 + 512 + 256 + 128 + 32 + 16 + 8 */
    StringRecord* power = RuntimeLockString(QV_LITERAL(QV_DIGITS1000));
    StringRecord* total = 0;
    int32_t thousands = 1, wanted = 3000;
    while (thousands <= wanted) {
        StringRecord* next;
        if (wanted & thousands) {
            next = RuntimeAddString(total, power);
            RuntimeUnlockString(total);
            total = next;
        }
        next = RuntimeAddString(power, power);
        RuntimeUnlockString(power);
        power = next;
        thousands <<= 1;
    }
    RuntimeUnlockString(power);
    return total;
}

static void Echo(void) {
    StringRecord* data = ThreeMillionDigits();
    ObjectHeader* socket;
    sReadOnData = 1;
    socket = Connect(sLoggingClass, PeerPort("echo"));
    while (TimeLeft() && !sConnected) RuntimeDoEvents(0, -1);
    SocketWrite(socket, data);
    RuntimeUnlockString(data);
    while (TimeLeft() && (sReceived < 3000000 || !sCompleteFalse)) RuntimeDoEvents(0, -1);
    Text("echo: connected ");
    Number(sConnected);
    Text(", progress reports ");
    Text(sProgressReports >= 46 ? "46 or more" : "too few");
    Text(", largest piece ");
    Number(sLargestPiece);
    Text(", reported sent ");
    Number(sSentReported);
    Text(", complete(False) ");
    Number(sCompleteFalse);
    Text(" out of turn ");
    Number(sCompleteOutOfTurn);
    Text(", echoed ");
    Number(sReceived);
    Text(" bytes, mismatches ");
    Number(sMismatch);
    socketClose(socket);
    RuntimeUnlockObject(socket);
}

static void Cancel(void) {
    StringRecord* data = ThreeMillionDigits();
    ObjectHeader* socket;
    int32_t tries = 0;
    sAnswerTrue = 1;
    socket = Connect(sLoggingClass, PeerPort("sink"));
    while (TimeLeft() && !sConnected) RuntimeDoEvents(0, -1);
    SocketWrite(socket, data);
    RuntimeUnlockString(data);
    while (TimeLeft() && !sCompleteTrue) RuntimeDoEvents(0, -1);
    Text("cancel: complete(True) ");
    Number(sCompleteTrue);
    Text(", left to send ");
    Number(TCPSocketBytesLeftToSend(socket));
    socketClose(socket);
    RuntimeUnlockObject(socket);
    do {
        Spin(50);
        Control(QV_LITERAL("sinktotal\n"));
    } while (TimeLeft() && ++tries < 100 && sReply[0] == 'p');
    Text(", reported sent ");
    Number(sSentReported);
    Text(", the peer holds ");
    Text(sReply);
}

/* Connects to a peer and waits for the first error. */
static void ErrorOf(const char* role) {
    ObjectHeader* socket = Connect(sLoggingClass, PeerPort(role));
    while (TimeLeft() && !sErrors) RuntimeDoEvents(0, -1);
    Text(role);
    Text(": connected ");
    Number(sConnected);
    Text(", data events ");
    Number(sDataEvents);
    Text(", error ");
    Number(sLastError);
    if (Scenario("sendclose")) {
        StringRecord* bytes = SocketReadAll(socket, 0);
        Text(", still readable ");
        Number(bytes ? bytes->length : 0);
        RuntimeUnlockString(bytes);
    }
    socketClose(socket);
    RuntimeUnlockObject(socket);
}

static ObjectHeader* NewServer(int32_t minimum, int32_t maximum, int32_t port) {
    ObjectHeader* server = RuntimeNewObject(sServerClass);
    ServerSocketSetMinSockets(server, 0, minimum);
    ServerSocketSetMaxSockets(server, 0, maximum);
    ServerSocketPortSetter(server, 0, port);
    ServerSocketListen(server);
    return server;
}

static void Held(void) {
    ObjectHeader* server = NewServer(1, 1, PeerPort("held"));
    Text("held: server error ");
    Number(sServerError);
    RuntimeUnlockObject(server);
}

static void Server(void) {
    ObjectHeader* server = NewServer(2, 10, 0);
    int32_t port = ServerSocketPortGetter(server, 0);
    Spin(200);
    Text("server: AddSocket ");
    Number(sAddSockets);
    Control(WithPort(QV_LITERAL("clients "), port, QV_LITERAL(" 3\n")));
    do {
        Spin(50);
        Control(QV_LITERAL("status\n"));
    } while (TimeLeft() && !(sReply[7] == '3'));
    Text(", clients ");
    Text(sReply);
    ServerSocketClose(server);
    RuntimeUnlockObject(server);
}

static void Full(void) {
    ObjectHeader* server = NewServer(1, 1, 0);
    int32_t port = ServerSocketPortGetter(server, 0);
    int32_t connectedBefore;
    Control(WithPort(QV_LITERAL("hold "), port, QV_LITERAL(" 2\n")));
    Spin(500);
    Control(QV_LITERAL("status\n"));
    Text("full: connected ");
    Number(sConnected);
    Text(", ");
    Text(sReply);
    connectedBefore = sConnected;
    Control(QV_LITERAL("release\n"));
    while (TimeLeft() && !sErrors) RuntimeDoEvents(0, -1);
    Control(WithPort(QV_LITERAL("hold "), port, QV_LITERAL(" 1\n")));
    while (TimeLeft() && sConnected == connectedBefore) RuntimeDoEvents(0, -1);
    Text(", after one left: connected ");
    Number(sConnected);
    ServerSocketClose(server);
    RuntimeUnlockObject(server);
}

static void Nil(void) {
    ObjectHeader* server;
    sNilSockets = 1;
    Text("nil: listening");
    Flush();
    server = NewServer(2, 2, 0);
    Spin(300);
    /* The NilObjectException reaches the loop's report before this line. */
    Text("nil: still running");
    ServerSocketClose(server);
    RuntimeUnlockObject(server);
}

static void Drop(void) {
    ObjectHeader* socket = Connect(sLoggingClass, PeerPort("closed"));
    sDropInError = socket;
    while (TimeLeft() && !sErrors) RuntimeDoEvents(0, -1);
    Spin(100);
    Text("drop: error ");
    Number(sLastError);
    Text(", dropped ");
    Number(sDropInError == 0);
}

static void CloseAndDoEvents(void) {
    ObjectHeader* socket;
    sCloseOnData = 1;
    socket = Connect(sLoggingClass, PeerPort("sendclose"));
    while (TimeLeft() && !sDataEvents) RuntimeDoEvents(0, -1);
    Spin(300);
    Text("doevents: data events ");
    Number(sDataEvents);
    Text(", errors ");
    Number(sErrors);
    RuntimeUnlockObject(socket);
}

static void Datagrams(void) {
    ObjectHeader* socket = RuntimeNewObject(sUDPClass);
    int32_t i;
    for (i = 0; i < 256; i++) sAllBytesBuffer.bytes[i] = (unsigned char)i;
    sAllBytesBuffer.lengthByte = 255;
    sAllBytes.refCount = 1;
    sAllBytes.buffer = (unsigned char*)&sAllBytesBuffer;
    sAllBytes.bufferSize = 258;
    sAllBytes.length = 256;
    sAllBytes.encoding = kEncodingUnknown;
    SocketConnect(socket);
    Text("udp: bound ");
    Number(SocketIsConnected(socket) && SocketPortGetter(socket, 0) > 0);
    Text(", nothing waiting ");
    Number(UDPReadDatagram(socket, 0) == 0);
    UDPSocketWrite(socket, WithPort(QV_LITERAL("127.0.0.1:"), PeerPort("udp"), QV_LITERAL("")),
                   &sAllBytes);
    while (TimeLeft() && !sDataEvents) RuntimeDoEvents(0, -1);
    Text(", echoed ");
    Number(sDatagramBytes);
    Text(" bytes, mismatches ");
    Number(sMismatch);
    Text(", from the peer ");
    Number(sDatagramFromPeer);
    Text(", untagged ");
    Number(sDatagramTagged);
    UDPSocketWrite(socket, QV_LITERAL("no-such-host.invalid:9"), &sAllBytes);
    Text(", unresolvable error ");
    Number(sLastError);
    Text(", bound ");
    Number(SocketIsConnected(socket));
    RuntimeUnlockObject(socket);
}

void QvMain(void) {
    RuntimeInit();
    RuntimeInitExternalClasses();
    GetEnvironmentVariableA("QV_SOCKET_SCENARIO", sScenario, sizeof sScenario);
    GetEnvironmentVariableA("QV_PEER_PORTS", sPorts, sizeof sPorts);
    BuildClasses();
    sStart = GetTickCount();
    if (Scenario("echo")) Echo();
    if (Scenario("cancel")) Cancel();
    if (Scenario("closed") || Scenario("sendclose") || Scenario("reset")) ErrorOf(sScenario);
    if (Scenario("held")) Held();
    if (Scenario("server")) Server();
    if (Scenario("full")) Full();
    if (Scenario("nil")) Nil();
    if (Scenario("drop")) Drop();
    if (Scenario("doevents")) CloseAndDoEvents();
    if (Scenario("udp")) Datagrams();
    Flush();
    RuntimeExit();
}
