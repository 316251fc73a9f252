#include "Startup.h"

#include <windows.h>

#include "Application.h"
#include "EventLoop.h"
#include "EventLoopApplication.h"
#include "CooperativeThreads.h"
#include "UnhandledException.h"
#include "comms/Sockets.h"
#include "core/ClassDefinition.h"
#include "core/DefinitionConversion.h"
#include "core/Exceptions.h"
#include "core/IntrinsicRegistry.h"
#include "files/FolderItem.h"
#include "graphics/MediaObjects.h"
#include "host/PayloadLoader.h"
#include "host/PluginLoading.h"
#include "host/RuntimeWiring.h"
#include "values/CharacterTables.h"
#include "windows/CommandLine.h"
#include "windows/MDIFrame.h"
#include "windows/SystemPrimitives.h"
#include "windows/TopLevelWindowClass.h"
#include "windows/WindowServices.h"

SimpleVector<string> DocumentNames(const string& arguments) {
    SimpleVector<string> names;
    const char* text = arguments.CString();
    const int32_t length = arguments.Length();
    int32_t i = 0;
    while (i < length && text[i] != 0) {
        if (text[i] == ' ') {
            ++i;
            continue;
        }
        const bool quoted = text[i] == '"';
        if (quoted) ++i;
        const int32_t start = i;
        while (i < length && text[i] != 0 && text[i] != (quoted ? '"' : ' ')) ++i;
        string name;
        if (name.SetBytes(text + start, i - start)) name.SetEncoding(kEncodingUTF8);
        names.push_back(name);
        if (quoted && i < length && text[i] == '"') ++i;
    }
    return names;
}

// --- start-up and the application's entry points ---

namespace {

bool sRunOnce = false;
bool sRunning = false;

void FireOpen(void*) {
    ObjectHeader* application = ApplicationObjectOrNull();
    auto open = reinterpret_cast<void (*)(ObjectHeader*)>(ApplicationEventHandler(kAppOpen));
    if (application && open) open(application);
}

struct OpenDocuments {
    bool newDocument = true;
    SimpleVector<string> names;
};

void FireDocuments(void* context) {
    ObjectHeader* application = ApplicationObjectOrNull();
    if (!application) return;
    auto* documents = static_cast<OpenDocuments*>(context);
    if (documents->newDocument) {
        ApplicationNewDocument(application);
        return;
    }
    for (uint32_t i = 0; i < documents->names.size(); ++i) {
        ObjectHeader* item = NewFolderItemForPath(documents->names[i]);
        ApplicationOpenDocument(application, item);
        ReleaseObject(item);
        if (ExceptionInFlight()) return;
    }
}

}  // namespace

void InitializeRuntime() {
    SetUnhandledExceptionHook(ApplicationUnhandledExceptionHook);
    SetEventLoopApplicationHooks(EventLoopApplicationHooks{
        RuntimeRunning,
        ApplicationObjectOrNull,
        [](ObjectHeader* application) { return AppAutoCloseGetter(application, 0) != 0; },
        [](ObjectHeader* application, bool raiseEnd) { ApplicationQuit(application, raiseEnd); },
    });
    InitAppearance();
    InitDefaultAppearance();
    RegisterWindowClasses();
    OleInitialize(nullptr);
    StackCheckerInit(kMainStackCheckSize);
    StartNetworking();
}

void FireApplicationOpenEvents() {
    RunEventLoopStep(FireOpen, nullptr);
    // The MDI window's own visible flag comes with the window system; until then the frame is
    // shown whenever it is not visible yet.
    if (HWND frame = MDIFrameWindow(); frame && !IsWindowVisible(frame)) ShowWindow(frame, SW_SHOW);
    OpenDocuments documents;
    // An empty argument text, or no OpenDocument handler, opens a new document instead.
    if (ApplicationEventHandler(kAppOpenDocument)) {
        const string arguments = GetCommandLineArguments();
        if (!arguments.IsEmpty()) {
            documents.newDocument = false;
            documents.names = DocumentNames(arguments);
        }
    }
    // Fired inside the loop's frame, as Open is, so that an exception in them reaches the
    // unhandled-exception report instead of ending the application unseen.
    RunEventLoopStep(FireDocuments, &documents);
}

extern "C" {

int32_t RuntimeInit() {
    if (IsPayloadMDI()) CreateMDIFrame(PayloadMDICaption(), 640, 480);
    return 0;
}

void RuntimeInitExternalClasses() {
    CreateApplicationClass();
    CreateControlClasses();
    LoadIntrinsicFunctions();
    InstallPayloadPlugins();
}

void RuntimeRegisterAppObject(ObjectHeader* application) {
    if (application) {
        RetainObject(application);
    } else {
        application = CreateInstance(Application());
    }
    SetApplicationObject(application);
    FireApplicationOpenEvents();
}

void RuntimeRun() {
    if (sRunOnce) return;
    sRunOnce = true;
    sRunning = true;
    // The first step waits for a message before its idle work and the auto-quit test; an
    // application without windows or timers would never get one.
    PostThreadMessageA(GetCurrentThreadId(), WM_NULL, 0, 0);
    RunUntilQuit();
    sRunning = false;
    ShutdownSockets();
    ShutdownSound();
    OleUninitialize();
    StopQuickTime();
}

int32_t RuntimeExit() { return 0; }

}  // extern "C"

bool RuntimeRunning() { return sRunning; }
