#include "Application.h"

#include <windows.h>

#include "CooperativeThreads.h"
#include "comms/NetworkInterfaces.h"
#include "EventLoop.h"
#include "ThreadLocks.h"
#include "UnhandledException.h"
#include "controls/BindingInterfaces.h"
#include "core/DefinitionConversion.h"
#include "core/Exceptions.h"
#include "core/FailureReport.h"
#include "core/IntrinsicRegistry.h"
#include "core/MethodSlotNames.h"
#include "core/Platform.h"
#include "core/RuntimeDebug.h"
#include "database/Database.h"
#include "files/BinaryStream.h"
#include "files/FolderItem.h"
#include "files/Permissions.h"
#include "files/RegistryAccessors.h"
#include "files/TextStreams.h"
#include "files/VirtualVolumeClass.h"
#include "graphics/GraphicsClass.h"
#include "graphics/PictureClass.h"
#include "graphics/RGBSurface.h"
#include "core/IntrinsicTypes.h"
#include "core/PropertyAccessors.h"
#include "graphics/Shapes2D.h"
#include "values/Bitwise.h"
#include "values/Blowfish.h"
#include "values/Date.h"
#include "host/ConsoleApplication.h"
#include "values/Collection.h"
#include "values/Dictionary.h"
#include "values/ObjectCursor.h"
#include "values/TextEncodingObjects.h"
#include "values/EndOfLine.h"
#include "values/MemoryBlock.h"
#include "values/Random.h"
#include "values/Variant.h"
#include "windows/Keyboard.h"
#include "windows/MouseCursor.h"
#include "windows/Screens.h"
#include "windows/WindowList.h"
#include "controls/ControlClasses.h"

namespace {

constexpr const char* kSource = "application";
constexpr int32_t kPathCharacters = 1024;
// The row word of the properties that only the other platform serves.
constexpr uint32_t kOtherPlatformRow = 0xFFFFFFF7;

ObjectHeader* sApplication = nullptr;
bool sActive = false;
SimpleVector<PollableObjectWrapper*> sPollables;

ApplicationObject* Fields(ObjectHeader* application) {
    return reinterpret_cast<ApplicationObject*>(application);
}

EventDefinition* sEvents[kApplicationEventCount] = {};

EventEntry kApplicationEvents[] = {
    {0, "Open", "", "", &sEvents[kAppOpen], 0},
    {0, "Close", "", "", &sEvents[kAppClose], 0},
    {0, "EnableMenuItems", "", "", &sEvents[kAppEnableMenuItems], 0},
    {0, "NewDocument", "", "", &sEvents[kAppNewDocument], 0},
    {0, "OpenDocument", "item As FolderItem", "", &sEvents[kAppOpenDocument], 0},
    {0, "HandleAppleEvent", "theEvent As AppleEvent, eventClass As String, eventID As String",
     "Boolean", &sEvents[kAppHandleAppleEvent], 0},
    {0, "Activate", "", "", &sEvents[kAppActivate], 0},
    {0, "Deactivate", "", "", &sEvents[kAppDeactivate], 0},
    {0, "UnhandledException", "error As RuntimeException", "Boolean",
     &sEvents[kAppUnhandledException], 0},
    {0, "CancelClose", "", "Boolean", &sEvents[kAppCancelClose], 0},
};

// The class types of object properties and parameters are set on first use (SetClassTypes): the
// definitions they name are filled by functions that must not run during static initialisation.
// Classes not built yet are given as Object.
PropertyEntry kApplicationProperties[] = {
    {0, "MouseCursor", nullptr, RowFunction(objGetter), "objGetter", RowFunction(appMouseCursorSetter),
     "appMouseCursorSetter", offsetof(ApplicationObject, mouseCursor), 0},
    {0, "ResourceFork", nullptr, RowFunction(appResourceForkGetter), "appResourceForkGetter", nullptr,
     nullptr, 0, kOtherPlatformRow},
    {0, "MDIWindow", nullptr, RowFunction(objGetter), "objGetter", RowFunction(objSetter), "objSetter",
     offsetof(ApplicationObject, mdiWindow), 0},
    {0, "BalloonHelpVisible", AsType(&kBooleanType), RowFunction(AppBalloonHelpVisibleGetter),
     "AppBalloonHelpVisibleGetter", RowFunction(AppBalloonHelpVisibleSetter), "AppBalloonHelpVisibleSetter",
     offsetof(ApplicationObject, balloonHelpVisible), 0},
    {0, "MajorVersion", AsType(&kIntegerType), RowFunction(AppIntegerVersionStuffGetter),
     "AppIntegerVersionStuffGetter", nullptr, nullptr, 0, 0},
    {0, "MinorVersion", AsType(&kIntegerType), RowFunction(AppIntegerVersionStuffGetter),
     "AppIntegerVersionStuffGetter", nullptr, nullptr, 1, 0},
    {0, "BugVersion", AsType(&kIntegerType), RowFunction(AppIntegerVersionStuffGetter),
     "AppIntegerVersionStuffGetter", nullptr, nullptr, 2, 0},
    {0, "StageCode", AsType(&kIntegerType), RowFunction(AppIntegerVersionStuffGetter),
     "AppIntegerVersionStuffGetter", nullptr, nullptr, 3, 0},
    {0, "NonReleaseVersion", AsType(&kIntegerType), RowFunction(AppIntegerVersionStuffGetter),
     "AppIntegerVersionStuffGetter", nullptr, nullptr, 4, 0},
    {0, "RegionCode", AsType(&kIntegerType), RowFunction(AppIntegerVersionStuffGetter),
     "AppIntegerVersionStuffGetter", nullptr, nullptr, 5, 0},
    {0, "ShortVersion", AsType(&kStringType), RowFunction(AppStringVersionStuffGetter),
     "AppStringVersionStuffGetter", nullptr, nullptr, 0, 0},
    {0, "LongVersion", AsType(&kStringType), RowFunction(AppStringVersionStuffGetter),
     "AppStringVersionStuffGetter", nullptr, nullptr, 1, 0},
    {0, "PackageInfo", AsType(&kStringType), RowFunction(AppStringVersionStuffGetter),
     "AppStringVersionStuffGetter", nullptr, nullptr, 2, 0},
    {0, "MenuBar", nullptr, RowFunction(AppMenuBarGetter), "AppMenuBarGetter",
     RowFunction(AppMenuBarSetter), "AppMenuBarSetter", 0, 0},
    {0, "DockItem", nullptr, nullptr, "AppDockItemGetter", nullptr, nullptr, 0,
     kOtherPlatformRow},
    {0, "AutoQuit", AsType(&kBooleanType), RowFunction(AppAutoCloseGetter), "AppAutoCloseGetter",
     RowFunction(AppAutoCloseSetter), "AppAutoCloseSetter", 0, 0},
    {0, "ExecutableFile", nullptr, RowFunction(AppFolderItemGetter),
     "AppFolderItemGetter", nullptr, nullptr, 0, 0},
    {0, "CurrentThread", nullptr, RowFunction(QUORGetCurrentThread), "QUORGetCurrentThread", nullptr,
     nullptr, 0, 0},
    {0, "_CurrentEventTime", AsType(&kIntegerType), RowFunction(AppGetCurrentEventTime),
     "AppGetCurrentEventTime", nullptr, nullptr, 0, 0},
};

ParameterEntry kItemParameter[] = {{"item", nullptr, 0, 0, 0, 0}};
ParameterEntry kFolderItemParameter[] = {{"Item", nullptr, 0, 0, 0, 0}};
ParameterEntry kMillisecondsDefaultParameter[] = {
    {"milliseconds", AsType(&kIntegerType), 0, 1, static_cast<uintptr_t>(-1), 0}};
ParameterEntry kMillisecondsParameter[] = {{"milliseconds", AsType(&kIntegerType), 0, 0, 0, 0}};
ParameterEntry kMenuHandlerParameters[] = {
    {"name", AsType(&kStringType), 0, 0, 0, 0},
    {"handler", AsType(&kPtrType), 0, 0, 0, 0},
};
ParameterEntry kPollableParameter[] = {{"item", nullptr, 0, 0, 0, 0}};

MethodEntry kApplicationMethods[] = {
    {"NewDocument", nullptr, nullptr, 0, Function(ApplicationNewDocument, "ApplicationNewDocument"),
     {}, kMethodPlain, 0, 0},
    {"OpenDocument", nullptr, kFolderItemParameter, 1,
     Function(ApplicationOpenDocument, "ApplicationOpenDocument"), {}, kMethodPlain, 0, 0},
    {"DoEvents", nullptr, kMillisecondsDefaultParameter, 1,
     Function(RuntimeDoEvents, "RuntimeDoEvents"), {}, kMethodPlain, 0, 0},
    {"_AddMenuHandler", nullptr, kMenuHandlerParameters, 2,
     Function(ApplicationAddMenuHandler, "ApplicationAddMenuHandler"), {}, kMethodPlain, 0, 0},
    {"_AddPollableObject", nullptr, kPollableParameter, 1,
     Function(ApplicationAddPollableObject, "ApplicationAddPollableObject"), {}, kMethodPlain, 0, 0},
    {"_RemovePollableObject", nullptr, kPollableParameter, 1,
     Function(ApplicationRemovePollableObject, "ApplicationRemovePollableObject"), {}, kMethodPlain,
     0, 0},
    {"AddTrayItem", nullptr, kItemParameter, 1, Function(AddTrayItem, "AddTrayItem"), {},
     kMethodPlain, 0, 0},
    {"RemoveTrayItem", nullptr, kItemParameter, 1, Function(RemoveTrayItem, "RemoveTrayItem"), {},
     kMethodPlain, 0, 0},
    {"YieldToNextThread", nullptr, nullptr, 0,
     Function(YieldToNextThread, "YieldToNextThread"), {}, kMethodPlain, 0, 0},
    {"SleepCurrentThread", nullptr, kMillisecondsParameter, 1,
     Function(AppSleepCurrentThread, "AppSleepCurrentThread"), {}, kMethodPlain, 0, 0},
};

void SetClassTypes() {
    const TypeDescriptor* object = Object()->AsType();
    for (PropertyEntry& row : kApplicationProperties)
        if (!row.type) row.type = object;
    kApplicationProperties[0].type = MouseCursor()->AsType();
    kApplicationProperties[1].type = GetResourceForkDefinition()->AsType();
    kApplicationProperties[2].type = MDIWindow()->AsType();
    kApplicationProperties[13].type = MenuItem()->AsType();
    kApplicationProperties[16].type = GetFolderItemDefinition()->AsType();
    kApplicationProperties[17].type = Thread()->AsType();
    kItemParameter[0].parameterType = object;
    kFolderItemParameter[0].parameterType = GetFolderItemDefinition()->AsType();
    kPollableParameter[0].parameterType = Pollable()->AsType();
}

const ClassRows kApplicationRows = {
    .className = "Application",
    .superclass = nullptr,
    .objectSize = sizeof(ApplicationObject),
    .initializer = Function(ApplicationInitializer, "ApplicationInitializer"),
    .finalizer = Function(ApplicationFinalizer, "ApplicationFinalizer"),
    .properties = kApplicationProperties,
    .events = kApplicationEvents,
    .methods = kApplicationMethods,
};

// --- the interface definitions ---

ParameterEntry kReadParameters[] = {
    {"Count", AsType(&kIntegerType), 0, 0, 0, 0},
    {"encoding", nullptr, 0, 1, 0, 0},
};
ParameterEntry kWriteParameters[] = {{"text", AsType(&kStringType), 0, 0, 0, 0}};

MethodEntry kReadableMethods[] = {
    {"Read", AsType(&kStringType), kReadParameters, 2, {}, {}, kMethodPlain, 0, 0},
    {"EOF", AsType(&kBooleanType), nullptr, 0, {}, {}, kMethodPlain, 0, 0},
    {"ReadError", AsType(&kBooleanType), nullptr, 0, {}, {}, kMethodPlain, 0, 0},
};

MethodEntry kWriteableMethods[] = {
    {"Write", nullptr, kWriteParameters, 1, {}, {}, kMethodPlain, 0, 0},
    {"Flush", nullptr, nullptr, 0, {}, {}, kMethodPlain, 0, 0},
    {"WriteError", AsType(&kBooleanType), nullptr, 0, {}, {}, kMethodPlain, 0, 0},
};

MethodEntry kPollableMethods[] = {
    {"_Poll", nullptr, nullptr, 0, {}, {}, kMethodPlain, 0, 0},
};

const ClassRows kReadableRows = {.className = "Readable", .superclass = nullptr,
                                 .objectSize = kObjectHeaderSize, .methods = kReadableMethods,
                                 .isInterface = true};
const ClassRows kWriteableRows = {.className = "Writeable", .superclass = nullptr,
                                  .objectSize = kObjectHeaderSize, .methods = kWriteableMethods,
                                  .isInterface = true};
const ClassRows kPollableRows = {.className = "_Pollable", .superclass = nullptr,
                                 .objectSize = kObjectHeaderSize, .methods = kPollableMethods,
                                 .isInterface = true};

// The object's _Poll of the _Pollable interface, or null when its class does not implement it.
void* FindPollMethod(ObjectHeader* object) {
    return FindInterfaceMethod(object, LookupObjectDefinition(Pollable()), string("_Poll"));
}

void FireEvent(ApplicationEvent event) {
    auto handler = reinterpret_cast<void (*)(ObjectHeader*)>(ApplicationEventHandler(event));
    if (handler) handler(sApplication);
}

// --- the version resource ---

struct VersionBlock {
    bool read = false;
    void* data = nullptr;
};
VersionBlock sVersion;

void FreeVersionBlock() {
    GuardedDelete(sVersion.data);
    sVersion.data = nullptr;
}

// The executable's version block, read on first use and kept.
void* VersionData() {
    if (sVersion.read) return sVersion.data;
    sVersion.read = true;
    DWORD ignored = 0;
    if (IsUnicodePlatform()) {
        wchar_t path[kPathCharacters];
        if (!GetModuleFileNameW(nullptr, path, kPathCharacters)) return nullptr;
        const DWORD size = GetFileVersionInfoSizeW(path, &ignored);
        if (!size) return nullptr;
        sVersion.data = GuardedNew(size);
        if (sVersion.data && !GetFileVersionInfoW(path, 0, size, sVersion.data)) FreeVersionBlock();
    } else {
        char path[kPathCharacters];
        if (!GetModuleFileNameA(nullptr, path, kPathCharacters)) return nullptr;
        const DWORD size = GetFileVersionInfoSizeA(path, &ignored);
        if (!size) return nullptr;
        sVersion.data = GuardedNew(size);
        if (sVersion.data && !GetFileVersionInfoA(path, 0, size, sVersion.data)) FreeVersionBlock();
    }
    return sVersion.data;
}

// The value of one key of the version block's fixed string table, empty when missing.
string VersionString(const char* key) {
    void* data = VersionData();
    if (!data) return string();
    char query[128] = "\\StringFileInfo\\040904E4\\";
    lstrcatA(query, key);
    if (IsUnicodePlatform()) {
        wchar_t wideQuery[128];
        MultiByteToWideChar(CP_ACP, 0, query, -1, wideQuery, 128);
        wchar_t* value = nullptr;
        UINT length = 0;
        if (!VerQueryValueW(data, wideQuery, reinterpret_cast<void**>(&value), &length) || !value)
            return string();
        char bytes[512];
        const int count = WideCharToMultiByte(CP_ACP, 0, value, -1, bytes, sizeof bytes, nullptr,
                                              nullptr);
        return count > 0 ? string(bytes) : string();
    }
    char* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(data, query, reinterpret_cast<void**>(&value), &length) || !value)
        return string();
    return string(value);
}

int32_t FileVersionField(int32_t field) {
    return VersionNumberField(VersionString("FileVersion"), field);
}

int32_t ReleaseStage() {
    static const char* const kStages[] = {"Development", "Alpha", "Beta", "Final"};
    const string release = VersionString("Release");
    for (int32_t i = 0; i < 4; ++i)
        if (lstrcmpiA(release.CString(), kStages[i]) == 0) return i;
    return -1;
}

}  // namespace

int32_t VersionNumberField(const string& version, int32_t field) {
    const char* p = version.CString();
    for (int32_t i = 0; i < field && *p; ++p)
        if (*p == '.') ++i;
    const bool negative = *p == '-';
    if (negative) ++p;
    int32_t value = 0;
    while (*p >= '0' && *p <= '9') value = value * 10 + (*p++ - '0');
    return negative ? -value : value;
}

// --- definitions ---

ObjectDefinition* Application() {
    static ObjectDefinition definition;
    if (definition.className.IsEmpty()) SetClassTypes();
    return FillClassDefinition(definition, kApplicationRows);
}

ObjectDefinition* Readable() {
    static ObjectDefinition definition;
    return FillClassDefinition(definition, kReadableRows);
}

ObjectDefinition* Writeable() {
    static ObjectDefinition definition;
    return FillClassDefinition(definition, kWriteableRows);
}

ObjectDefinition* Pollable() {
    static ObjectDefinition definition;
    return FillClassDefinition(definition, kPollableRows);
}

const EventDefinition* ApplicationEventDefinition(ApplicationEvent event) {
    Application();
    return sEvents[event];
}

ObjectHeader* ApplicationObjectOrNull() { return sApplication; }
void SetApplicationObject(ObjectHeader* application) { sApplication = application; }

void* ApplicationEventHandler(ApplicationEvent event) {
    if (!sApplication) return nullptr;
    return FindEventInstance(sApplication, ApplicationEventDefinition(event));
}

const SimpleVector<PollableObjectWrapper*>& ApplicationPollables() { return sPollables; }

void PollableObjectWrapper::Poll() {
    if (pollMethod) reinterpret_cast<void (*)(ObjectHeader*)>(pollMethod)(object);
}

// --- the quit sequence ---

bool CloseApplication() {
    ObjectHeader* application = sApplication;
    if (!application) return true;
    ApplicationObject* fields = Fields(application);
    if (fields->closing) return false;
    fields->closing = 1;
    if (FireApplicationCancelCloseEvent()) {
        fields->closing = 0;
        return false;
    }
    // Closing a window removes it from the list, so the walk always looks at the front one.
    for (int32_t i = 0; i < RuntimeWindowCount();) {
        ObjectHeader* window = RuntimeWindowAt(i)->window;
        if (!window || TryCloseWindow(window, true)) {
            fields->closing = 0;
            return false;
        }
        if (RuntimeWindowAt(i) && RuntimeWindowAt(i)->window == window) ++i;
    }
    RemoveAllTrayItems();
    FireEvent(kAppClose);
    fields->closing = 0;
    return true;
}

extern "C" {

void CreateApplicationClass() {
    // The classes of the other subsystems are registered here as each of them is built.
    RegisterIntrinsicClass(NetworkInterface());
    RegisterIntrinsicClass(Readable());
    RegisterIntrinsicClass(Writeable());
    RegisterIntrinsicClass(Pollable());
    RegisterIntrinsicClass(Thread());
    RegisterThreadLockClasses();
    RegisterResourceForkClass();
    RegisterIntrinsicClass(GetFolderItemDefinition());
    RegisterPermissionsClass();
    RegisterIntrinsicClass(GetVirtualVolumeDefinition());
    RegisterBinaryStreamClass();
    RegisterTextInputStreamClass();
    RegisterTextOutputStreamClass();
    RegisterIntrinsicClass(GetRegistryItemDefinition());
    RegisterIntrinsicClass(Runtime());
    RegisterIntrinsicClass(GetBlowfishDefinition());
    RegisterIntrinsicClass(GetEndOfLineDefinition());
    RegisterIntrinsicClass(GetRandomDefinition());
    RegisterIntrinsicClass(GetDateDefinition());
    RegisterIntrinsicClass(GetMemoryBlockDefinition());
    RegisterIntrinsicClass(GetVariantDefinition());
    RegisterIntrinsicClass(GetDictionaryDefinition());
    RegisterIntrinsicClass(GetCollectionDefinition());
    RegisterIntrinsicClass(GetCollectionElementDefinition());
    RegisterIntrinsicClass(GetObjectCursorDefinition());
    RegisterIntrinsicClass(GetTextEncodingDefinition());
    RegisterIntrinsicClass(GetTextConverterDefinition());
    RegisterIntrinsicClass(GetEncodingsDefinition());
    RegisterIntrinsicModule(GetBitwiseDefinition());
    RegisterExceptionClasses();
    RegisterIntrinsicClass(Network());
    RegisterIntrinsicClass(GetRGBSurfaceDefinition());
    RegisterPictureClass();
    RegisterShapeClasses();
    RegisterIntrinsicClass(GetGraphicsDefinition());
    RegisterIntrinsicClass(MouseCursor());
    RegisterIntrinsicClass(CursorsClass());
    RegisterIntrinsicClass(KeyboardClass());
    RegisterIntrinsicClass(ScreenClass());
    RegisterIntrinsicClass(QuitMenuItem());
    RegisterIntrinsicClass(PrefsMenuItem());
    RegisterIntrinsicClass(AppleMenuItem());
    RegisterIntrinsicClass(MDIWindow());
    RegisterControlClasses();
    RegisterMenuClasses();
    RegisterBindingClasses();
    RegisterDatabaseClasses();
    RegisterIntrinsicClass(Application());
    RegisterConsoleClasses();
}

ObjectHeader* getAppObject() {
    if (sApplication) RuntimeLockObject(sApplication);
    return sApplication;
}

void ApplicationInitializer(ObjectHeader* application) {
    ApplicationObject* fields = Fields(application);
    fields->mdiWindow = CreateInstance(MDIWindow());
    fields->balloonHelpVisible = 0;
    fields->mMenuHandlers = nullptr;
    fields->autoQuit = IsMDIMode() ? 0 : 1;
}

void ApplicationFinalizer(ObjectHeader* application) {
    ApplicationObject* fields = Fields(application);
    ApplicationRemoveAllPollableObjects(application);
    RuntimeUnlockObject(fields->mdiWindow);
    fields->mdiWindow = nullptr;
    delete fields->mMenuHandlers;
    fields->mMenuHandlers = nullptr;
    RuntimeUnlockObject(fields->menuBar);
    fields->menuBar = nullptr;
    RuntimeUnlockObject(fields->mouseCursor);
    fields->mouseCursor = nullptr;
    if (sApplication == application) sApplication = nullptr;
}

void ApplicationNewDocument(ObjectHeader* application) {
    if (!application) return ReportAssertion(kSource, __LINE__, "self");
    auto handler = reinterpret_cast<void (*)(ObjectHeader*)>(
        FindEventInstance(application, ApplicationEventDefinition(kAppNewDocument)));
    if (handler) handler(application);
}

void ApplicationOpenDocument(ObjectHeader* application, ObjectHeader* item) {
    if (!application) return ReportAssertion(kSource, __LINE__, "self");
    auto handler = reinterpret_cast<void (*)(ObjectHeader*, ObjectHeader*)>(
        FindEventInstance(application, ApplicationEventDefinition(kAppOpenDocument)));
    if (handler) handler(application, item);
}

bool FireApplicationCancelCloseEvent() {
    auto handler = reinterpret_cast<bool (*)(ObjectHeader*)>(ApplicationEventHandler(kAppCancelClose));
    return handler && handler(sApplication);
}

bool ApplicationQuit(ObjectHeader*, bool raiseEndException) {
    const bool closed = CloseApplication();
    if (!closed) return false;
    // The end exception unwinds compiled code back to the event loop; the raise returns here.
    if (raiseEndException && !InsideUnhandledExceptionHandler())
        RaiseExceptionClass(LookupObjectDefinition(EndException()));
    SetQuitFlag();
    return true;
}

bool QV_ApplicationQuit(ObjectHeader* application) { return ApplicationQuit(application, true); }

void FireApplicationActivate() {
    if (sActive || !sApplication) return;
    sActive = true;
    FireEvent(kAppActivate);
}

void FireApplicationDeactivate() {
    if (!sActive || !sApplication) return;
    sActive = false;
    FireEvent(kAppDeactivate);
}

void ApplicationAddMenuHandler(ObjectHeader* application, StringRecord* name, void* function) {
    if (!application) return ReportAssertion(kSource, __LINE__, "self");
    if (!name) return ReportAssertion(kSource, __LINE__, "name");
    if (!function) return;
    ApplicationObject* fields = Fields(application);
    if (!fields->mMenuHandlers) {
        fields->mMenuHandlers = new StringMap<void*>(256);
        if (!fields->mMenuHandlers) return ReportAssertion(kSource, __LINE__, "self->mMenuHandlers");
    }
    fields->mMenuHandlers->SetEntry(string(name), function);
}

PollableObjectWrapper* ApplicationAddPollableObject(ObjectHeader* application, ObjectHeader* object) {
    if (!application) {
        ReportAssertion(kSource, __LINE__, "self");
        return nullptr;
    }
    if (!object) {
        ReportAssertion(kSource, __LINE__, "base");
        return nullptr;
    }
    auto* wrapper = new PollableObjectWrapper;
    RuntimeLockObject(object);
    wrapper->object = object;
    wrapper->pollMethod = FindPollMethod(object);
    AddPollableObject(wrapper);
    sPollables.push_back(wrapper);
    return wrapper;
}

void ApplicationRemovePollableObject(ObjectHeader* application, ObjectHeader* object) {
    if (!application) return ReportAssertion(kSource, __LINE__, "self");
    for (int32_t i = static_cast<int32_t>(sPollables.size()) - 1; i >= 0; --i) {
        PollableObjectWrapper* wrapper = sPollables[i];
        if (wrapper->object != object) continue;
        RemovePollableObject(wrapper);
        sPollables.remove_at(i);
        RuntimeUnlockObject(wrapper->object);
        delete wrapper;
    }
}

void ApplicationRemoveAllPollableObjects(ObjectHeader* application) {
    if (!application) return ReportAssertion(kSource, __LINE__, "self");
    while (sPollables.size() > 0) {
        PollableObjectWrapper* wrapper = sPollables.pop_back();
        RemovePollableObject(wrapper);
        RuntimeUnlockObject(wrapper->object);
        delete wrapper;
    }
}

int32_t Win32NonIDEIntVer(int32_t kind) {
    switch (kind) {
    case 0:
    case 1:
    case 2: return FileVersionField(kind);
    case 3: return ReleaseStage();
    case 4: return FileVersionField(3);
    default: return -1;
    }
}

StringRecord* Win32NonIDEStringVer(int32_t kind) {
    switch (kind) {
    case 0: return VersionString("ProductVersion").Detach();
    case 1: return VersionString("LegalCopyright").Detach();
    case 2: return VersionString("FileDescription").Detach();
    default: return nullptr;
    }
}

int32_t MacNonIDEIntVer() { return -1; }
StringRecord* MacNonIDEStringVer() { return nullptr; }

// --- property accessors ---

ObjectHeader* AppMenuBarGetter(ObjectHeader* application, int32_t) {
    if (!application) {
        ReportAssertion(kSource, __LINE__, "self");
        return nullptr;
    }
    ObjectHeader* bar = Fields(application)->menuBar;
    if (bar) RuntimeLockObject(bar);
    return bar;
}

void AppMenuBarSetter(ObjectHeader* application, int32_t, ObjectHeader* menuBar) {
    if (!application) return ReportAssertion(kSource, __LINE__, "self");
    ApplicationObject* fields = Fields(application);
    RuntimeLockUnlockObjects(menuBar, fields->menuBar);
    fields->menuBar = menuBar;
    if (IsMDIMode()) AttachMenuBarToMDIFrame(menuBar);
}

void appMouseCursorSetter(ObjectHeader* application, int32_t, ObjectHeader* cursor) {
    if (!application) return ReportAssertion(kSource, __LINE__, "self");
    ApplicationObject* fields = Fields(application);
    RuntimeLockUnlockObjects(cursor, fields->mouseCursor);
    fields->mouseCursor = cursor;
    CursorChanged();
    MouseCursorHandle* holder = cursor ? MouseCursorHolder(cursor) : nullptr;
    SetCursor(holder && holder->handle ? holder->handle : LoadCursorA(nullptr, IDC_ARROW));
}

int32_t AppBalloonHelpVisibleGetter(ObjectHeader* application, int32_t) {
    if (!application) {
        ReportAssertion(kSource, __LINE__, "self");
        return 0;
    }
    return Fields(application)->balloonHelpVisible;
}

void AppBalloonHelpVisibleSetter(ObjectHeader* application, int32_t, int32_t visible) {
    if (!application) return ReportAssertion(kSource, __LINE__, "self");
    // Sending TTM_ACTIVATE to the tooltip of every pane of every window waits for the window
    // system's panes and tooltip owners; none exist yet, so only the flag is stored.
    Fields(application)->balloonHelpVisible = visible ? 1 : 0;
}

int32_t AppAutoCloseGetter(ObjectHeader* application, int32_t) {
    if (!application) {
        ReportAssertion(kSource, __LINE__, "self");
        return 0;
    }
    return Fields(application)->autoQuit;
}

void AppAutoCloseSetter(ObjectHeader* application, int32_t, int32_t autoQuit) {
    if (!application) return ReportAssertion(kSource, __LINE__, "self");
    Fields(application)->autoQuit = autoQuit ? 1 : 0;
}

int32_t AppGetCurrentEventTime(ObjectHeader*, int32_t) {
    const int32_t milliseconds = static_cast<int32_t>(GetMessageTime());
    return static_cast<int32_t>(milliseconds / 1000.0 * 60.0);
}

ObjectHeader* AppFolderItemGetter(ObjectHeader*, int32_t) {
    if (IsUnicodePlatform()) {
        wchar_t path[kPathCharacters];
        const DWORD length = GetModuleFileNameW(nullptr, path, kPathCharacters);
        constexpr int kBytes = kPathCharacters * 3;
        auto* bytes = static_cast<char*>(GuardedNew(kBytes));
        if (!bytes) return nullptr;
        const int count = WideCharToMultiByte(CP_UTF8, 0, path, static_cast<int>(length), bytes,
                                              kBytes - 1, nullptr, nullptr);
        bytes[count > 0 ? count : 0] = 0;
        string text(bytes);
        text.SetEncoding(kEncodingUTF8);
        ObjectHeader* item = NewFolderItemForPath(text);
        GuardedDelete(bytes);
        return item;
    }
    char path[kPathCharacters];
    const DWORD length = GetModuleFileNameA(nullptr, path, kPathCharacters);
    path[length < kPathCharacters ? length : kPathCharacters - 1] = 0;
    return NewFolderItemForPath(string(path));
}

int32_t AppIntegerVersionStuffGetter(ObjectHeader*, int32_t kind) { return Win32NonIDEIntVer(kind); }

StringRecord* AppStringVersionStuffGetter(ObjectHeader*, int32_t kind) {
    return Win32NonIDEStringVer(kind);
}

void AppSleepCurrentThread(ObjectHeader*, int32_t milliseconds) { ThreadSleepCurrent(milliseconds); }

ObjectHeader* RuntimeMenuArrayReference() {
    ReportAssertion("RuntimeMain", __LINE__, "0");
    return nullptr;
}

ObjectHeader* RuntimeCloneMenu() {
    ReportAssertion("RuntimeMain", __LINE__, "0");
    return nullptr;
}

}  // extern "C"
