/* The screenshot of the test applications' windows: after the window's first Paint a thread
 * waits for the drawing to reach the display, has the tool QV_CAPTURE_SCREEN take the window as
 * the X display shows it (from outside Wine) into the PNG QV_SCREENSHOT names (a Unix path),
 * prints "Screenshot client=X,Y", the client area's place in the picture, and posts WM_CLOSE. */
#ifndef QV_WINDOW_CAPTURE_H
#define QV_WINDOW_CAPTURE_H

#include "AppSupport.h"

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

void QV_CDECL threadRun(ObjectHeader* thread);
void QV_CDECL ThreadSleep(ObjectHeader* thread, int32_t milliseconds, bool wakeEarly);

static ObjectHeader* sCapture;
static void* sWindowHandle; /* the window to capture and close */

static int Set(const char* variable) {
    char value[8];
    return GetEnvironmentVariableA(variable, value, sizeof value) != 0;
}

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

#endif
