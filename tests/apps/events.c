/* An application that subclasses Application as compiled code does: it builds its class on the
 * runtime's Application class, implements Open, OpenDocument, NewDocument, Close and (unless the
 * variable QV_TEST_UNHANDLED is set) UnhandledException, turns AutoQuit on and runs the event loop.
 * With QV_TEST_RAISE set, Open raises a RuntimeException. Otherwise Open also opens a window of a
 * Window subclass: its title, back colour and Backdrop (the BMP resource 128) set in Layout, and a
 * Paint handler that draws a second picture (BMP resource 129); after the first Paint it posts
 * itself WM_CLOSE, so the application ends with its last window. Every event prints its name on
 * one line, the window's as Window.Name.
 *
 * With QV_SCREENSHOT naming a PNG file (a Unix path) and QV_CAPTURE_SCREEN the capture tool, a
 * thread waits after the first Paint for the drawing to reach the display, has the tool take the
 * window as the X display shows it (from outside Wine) and prints "Screenshot client=X,Y", the
 * client area's place in the picture, before it posts WM_CLOSE. */
#include "AppSupport.h"

QV_DECLARE_FUNCTION(user32, FindWindowExA, void*,
                    (void* parent, void* after, const char* windowClass, const char* title));
QV_DECLARE_FUNCTION(user32, GetWindowThreadProcessId, uint32_t, (void* window, uint32_t* process));
QV_DECLARE_FUNCTION(kernel32, GetCurrentProcessId, uint32_t, (void));
QV_DECLARE_FUNCTION(user32, PostMessageA, int32_t,
                    (void* window, uint32_t message, uint32_t wParam, int32_t lParam));
QV_DECLARE_FUNCTION(user32, GetWindowRect, int32_t, (void* window, int32_t* rect));
QV_DECLARE_FUNCTION(user32, ClientToScreen, int32_t, (void* window, int32_t* point));
QV_DECLARE_FUNCTION(kernel32, CreateProcessA, int32_t,
                    (const char* application, char* command, void* processAttributes,
                     void* threadAttributes, int32_t inherit, uint32_t flags, void* environment,
                     const char* folder, void* startup, void* information));
QV_DECLARE_FUNCTION(kernel32, CloseHandle, int32_t, (void* handle));
QV_DECLARE_FUNCTION(kernel32, GetFileAttributesA, uint32_t, (const char* path));

void QV_CDECL RuntimeRegisterAppObject(ObjectHeader* application);
void QV_CDECL RuntimeRun(void);
StringRecord* QV_CDECL fileAbsolutePathGetter(ObjectHeader* item, int32_t parameter);
ObjectHeader* QV_CDECL RuntimeGetBitmapFromResourceManager(int32_t id);
void QV_CDECL threadRun(ObjectHeader* thread);
void QV_CDECL ThreadSleep(ObjectHeader* thread, int32_t milliseconds, bool wakeEarly);
void QV_CDECL RuntimeGraphicsDrawPicture(ObjectHeader* g, ObjectHeader* picture, int32_t x,
                                         int32_t y, int32_t w1, int32_t h1, int32_t sx,
                                         int32_t sy, int32_t w2, int32_t h2);

static ClassRecord* sWindowClass;
static ObjectHeader* sPicture;
static int sPainted;
static ObjectHeader* sCapture;
static void* sWindowHandle;

#define QV_TEXT_MDI_FRAME_CLASS sFrameClass
static const char sFrameClass[] = "QvMDIFrame";

static int Set(const char* variable) {
    char value[8];
    return GetEnvironmentVariableA(variable, value, sizeof value) != 0;
}

/* ---- the screenshot ---- */

enum { kWmClose = 0x10, kPathSize = 512 };
#define kNoFile ((uint32_t)-1)

static char* Append(char* out, const char* end, const char* text) {
    while (*text && out < end - 1) *out++ = *text++;
    *out = 0;
    return out;
}

static char* AppendInt(char* out, const char* end, int32_t value) {
    char digits[12];
    int n = 0;
    if (value < 0) {
        out = Append(out, end, "-");
        value = -value;
    }
    do digits[n++] = (char)('0' + value % 10); while ((value /= 10) != 0);
    while (n > 0 && out < end - 1) *out++ = digits[--n];
    *out = 0;
    return out;
}

/* Whether a file exists, named by its Unix path (drive Z: is the root). */
static int UnixFileExists(const char* path, const char* suffix) {
    char name[kPathSize + 16];
    char* end = Append(name, name + sizeof name, path[0] == '/' ? "Z:" : "");
    Append(Append(end, name + sizeof name, path), name + sizeof name, suffix);
    return GetFileAttributesA(name) != kNoFile;
}

static void Pause(int32_t milliseconds) { ThreadSleep(sCapture, milliseconds, 0); }

/* The tool runs as a Unix program; Wine hands back no process to wait on, so the files it writes
 * last tell that it finished (".done") and succeeded (".rgb"). */
static void QV_CDECL CaptureAndClose(ObjectHeader* self) {
    char tool[kPathSize], png[kPathSize], command[3 * kPathSize];
    const char* end = command + sizeof command;
    char* at;
    int32_t outer[4], origin[2] = {0, 0};
    uint32_t startup[17];
    void* process[4];
    int waited;
    (void)self;
    for (waited = 0; waited < 17; waited++) startup[waited] = 0;
    for (waited = 0; waited < 4; waited++) process[waited] = 0;
    /* The drawing reaches the display once the loop has gone idle after the Paint. */
    Pause(500);
    GetEnvironmentVariableA("QV_CAPTURE_SCREEN", tool, sizeof tool);
    GetEnvironmentVariableA("QV_SCREENSHOT", png, sizeof png);
    GetWindowRect(sWindowHandle, outer);
    ClientToScreen(sWindowHandle, origin);
    at = Append(command, end, "Z:/bin/sh \"");
    at = Append(Append(Append(at, end, tool), end, "\" \""), end, png);
    at = AppendInt(Append(at, end, "\" "), end, outer[2] - outer[0]);
    at = AppendInt(Append(at, end, "x"), end, outer[3] - outer[1]);
    at = AppendInt(Append(at, end, "+"), end, outer[0]);
    AppendInt(Append(at, end, "+"), end, outer[1]);
    startup[0] = sizeof startup;
    if (CreateProcessA(0, command, 0, 0, 0, 0, 0, 0, startup, process)) {
        if (process[0]) CloseHandle(process[0]);
        if (process[1]) CloseHandle(process[1]);
        for (waited = 0; !UnixFileExists(png, ".done") && waited < 600; waited++) Pause(100);
    }
    if (UnixFileExists(png, ".rgb")) {
        Print("Screenshot client=");
        PrintInt(origin[0] - outer[0]);
        Print(",");
        PrintInt(origin[1] - outer[1]);
        Print(" ");
    } else {
        Print("Screenshot failed ");
    }
    PostMessageA(sWindowHandle, kWmClose, 0, 0);
}

/* Whether the run asks for a screenshot: then a thread takes it and closes the window. */
static int CaptureAfterPaint(void) {
    if (!Set("QV_SCREENSHOT") || !Set("QV_CAPTURE_SCREEN")) return 0;
    sCapture = RuntimeNewObject(Subclass(RuntimeLookupClass(QV_LITERAL("Thread")),
                                         QV_LITERAL("Capture"), 0, "Run", (void*)CaptureAndClose));
    threadRun(sCapture);
    return 1;
}

/* ---- the window ---- */

static void QV_CDECL OnWindowLayout(ObjectHeader* self) {
    ObjectHeader* backdrop = RuntimeGetBitmapFromResourceManager(128);
    Print("Window.Layout ");
    windowTitleSetter(self, 0, QV_LITERAL("Quorvane events"));
    windowPosSetter(self, 0, 40);
    windowPosSetter(self, 1, 60);
    windowPosSetter(self, 2, 200);
    windowPosSetter(self, 3, 120);
    windowBackColorSetter(self, 0, 0x3366CC);
    windowHasBackColorSetter(self, 0, 1);
    windowBackdropSetter(self, 0, backdrop);
    RuntimeUnlockObject(backdrop);
    WindowVisibleSetter(self, 0, 1);
}

static void QV_CDECL OnWindowOpen(ObjectHeader* self) {
    (void)self;
    Print("Window.Open ");
}

static void QV_CDECL OnWindowPaint(ObjectHeader* self, ObjectHeader* g) {
    if (sPainted++) return;
    Print("Window.Paint ");
    RuntimeGraphicsDrawPicture(g, sPicture, 100, 40, 8, 8, 0, 0, 8, 8);
    sWindowHandle = (void*)(intptr_t)WindowHandleGetter(self, 0);
    if (!CaptureAfterPaint()) PostMessageA(sWindowHandle, kWmClose, 0, 0);
}

static void QV_CDECL OnWindowClose(ObjectHeader* self) {
    (void)self;
    Print("Window.Close ");
}

static void OpenWindow(void) {
    ObjectHeader* window;
    sWindowClass = Subclass(RuntimeLookupClass(QV_LITERAL("Window")), QV_LITERAL("EventsWindow"),
                            0, "Layout", (void*)OnWindowLayout);
    SetEventHandler(sWindowClass, "Open", (void*)OnWindowOpen);
    SetEventHandler(sWindowClass, "Paint", (void*)OnWindowPaint);
    SetEventHandler(sWindowClass, "Close", (void*)OnWindowClose);
    sPicture = RuntimeGetBitmapFromResourceManager(129);
    window = RuntimeNewObject(sWindowClass);
    WindowDefaultConstructor(window);
    RuntimeUnlockObject(window);
}

/* ---- the application ---- */

/* The frames of other applications running at the same time do not count. */
static int HasOwnMDIFrame(void) {
    void* frame = 0;
    uint32_t process;
    while ((frame = FindWindowExA(0, frame, QV_TEXT_MDI_FRAME_CLASS, 0)) != 0) {
        process = 0;
        GetWindowThreadProcessId(frame, &process);
        if (process == GetCurrentProcessId()) return 1;
    }
    return 0;
}

static void QV_CDECL OnOpen(ObjectHeader* self) {
    ClassRecord* exceptionClass;
    ObjectHeader* exception;
    (void)self;
    Print("Open ");
    /* A payload packed with the MDI option has its frame window before Open. */
    if (HasOwnMDIFrame()) Print("MDI ");
    if (!Set("QV_TEST_RAISE")) {
        OpenWindow();
        return;
    }
    exceptionClass = RuntimeLookupClass(QV_LITERAL("RuntimeException"));
    exception = RuntimeNewObject(exceptionClass);
    RuntimeRaiseException(exception);
    RuntimeUnlockObject(exception);
    /* Compiled code returns at once after a raise that its own handler does not catch. */
}

static void QV_CDECL OnOpenDocument(ObjectHeader* self, ObjectHeader* item) {
    StringRecord* path = fileAbsolutePathGetter(item, 0);
    int32_t start = 0, i;
    (void)self;
    Print("OpenDocument ");
    if (path) {
        for (i = 0; i < path->length; i++)
            if (path->buffer[1 + i] == '\\') start = i + 1;
        Write((const char*)path->buffer + 1 + start, (uint32_t)(path->length - start));
        RuntimeUnlockString(path);
    }
    Print(" ");
}

static void QV_CDECL OnNewDocument(ObjectHeader* self) {
    (void)self;
    Print("NewDocument ");
}

static void QV_CDECL OnClose(ObjectHeader* self) {
    (void)self;
    Print("Close ");
}

static bool QV_CDECL OnUnhandledException(ObjectHeader* self, ObjectHeader* exception) {
    (void)self;
    Print(Equal(exception->classPtr->name, "RuntimeException") ? "UnhandledException RuntimeException "
                                                              : "UnhandledException other ");
    return 1;
}

void QvMain(void) {
    ClassRecord* base;
    ClassRecord* events;
    ObjectHeader* application;
    int32_t i;

    RuntimeInit();
    RuntimeInitExternalClasses();
    base = RuntimeLookupClass(QV_LITERAL("application"));
    events = RuntimeNewClass(base, base->methodCount, base->interfaceCount, base->eventCount,
                             base->accessorCount, base->propertyCount);
    events->name = QV_LITERAL("EventsApp");
    events->instanceSize = base->instanceSize;
    for (i = 0; i < events->eventCount; i++) {
        StringRecord* name = events->events[i].name;
        if (Equal(name, "Open")) events->events[i].vector = (void*)OnOpen;
        if (Equal(name, "OpenDocument")) events->events[i].vector = (void*)OnOpenDocument;
        if (Equal(name, "NewDocument")) events->events[i].vector = (void*)OnNewDocument;
        if (Equal(name, "Close")) events->events[i].vector = (void*)OnClose;
        if (Equal(name, "UnhandledException") && !Set("QV_TEST_UNHANDLED"))
            events->events[i].vector = (void*)OnUnhandledException;
    }
    application = RuntimeNewObject(events);
    for (i = 0; i < events->propertyCount; i++) {
        if (Equal(events->properties[i].descriptor, "AutoQuit%b%")) {
            ((void(QV_CDECL*)(ObjectHeader*, int32_t, int32_t))events->properties[i].setter)(
                application, events->properties[i].parameter, 1);
        }
    }
    RuntimeRegisterAppObject(application);
    RuntimeUnlockObject(application);
    RuntimeRun();
    RuntimeUnlockObject(sPicture);
    if (sCapture) RuntimeUnlockObject(sCapture);
    Print("Run returned\n");
    RuntimeExit();
}
