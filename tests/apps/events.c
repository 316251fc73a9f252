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
#include "WindowCapture.h"

QV_DECLARE_FUNCTION(user32, FindWindowExA, void*,
                    (void* parent, void* after, const char* windowClass, const char* title));
QV_DECLARE_FUNCTION(user32, GetWindowThreadProcessId, uint32_t, (void* window, uint32_t* process));
QV_DECLARE_FUNCTION(kernel32, GetCurrentProcessId, uint32_t, (void));

void QV_CDECL RuntimeRegisterAppObject(ObjectHeader* application);
void QV_CDECL RuntimeRun(void);
StringRecord* QV_CDECL fileAbsolutePathGetter(ObjectHeader* item, int32_t parameter);
ObjectHeader* QV_CDECL RuntimeGetBitmapFromResourceManager(int32_t id);
void QV_CDECL RuntimeGraphicsDrawPicture(ObjectHeader* g, ObjectHeader* picture, int32_t x,
                                         int32_t y, int32_t w1, int32_t h1, int32_t sx,
                                         int32_t sy, int32_t w2, int32_t h2);

static ClassRecord* sWindowClass;
static ObjectHeader* sPicture;
static int sPainted;

#define QV_TEXT_MDI_FRAME_CLASS sFrameClass
static const char sFrameClass[] = "QvMDIFrame";

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
