/* A plug-in library written against the SDK as an outside author would: it registers SDK version
 * 4 and offers a class with generic and custom accessors, methods with an assignment form, an
 * event and a subclass that handles it, an interface, a module, an extension of a built-in class,
 * global methods, a data source and a database engine. It is built twice: PLUGIN_ORIGIN tells the
 * copy carried in the payload (1) from the copy placed beside the executable (2).
 *
 * A TLS callback, a thread variable and a zero-filled array check that the loader treats the image
 * as the system loader would. */
#include <windows.h>

#include "sdk/QuorvanePlugin.h"

#ifndef PLUGIN_ORIGIN
#define PLUGIN_ORIGIN 1
#endif

#define EXPORT __declspec(dllexport)

typedef struct WidgetData {
    int32_t count;    /* Count: generic Integer */
    int32_t size;     /* Size(): the assignment form's field */
    double ratio;     /* Ratio: generic Double */
    StringRecord* label; /* Label: custom accessors */
    ObjectHeader* peer;  /* Peer: generic Widget */
} WidgetData;

static PluginClassRecord sWidgetClass;
static PluginClassRecord sGadgetClass;
static QUORLockStringFunction LockString;
static QUORUnlockStringFunction UnlockString;

static WidgetData* Data(ObjectHeader* self) {
    return (WidgetData*)((char*)self + sWidgetClass.dataOffset);
}

static void QV_CDECL WidgetConstructor(ObjectHeader* self) { Data(self)->count = 7; }

static void QV_CDECL WidgetDestructor(ObjectHeader* self) {
    if (Data(self)->label) UnlockString(Data(self)->label);
}

static StringRecord* QV_CDECL LabelGetter(ObjectHeader* self, int32_t parameter) {
    (void)parameter;
    if (Data(self)->label) LockString(Data(self)->label);
    return Data(self)->label;
}

static void QV_CDECL LabelSetter(ObjectHeader* self, int32_t parameter, StringRecord* value) {
    (void)parameter;
    if (value) LockString(value);
    if (Data(self)->label) UnlockString(Data(self)->label);
    Data(self)->label = value;
}

static int32_t QV_CDECL WidgetArea(ObjectHeader* self, int32_t scale) { return Data(self)->count * scale; }
static int32_t QV_CDECL WidgetSizeGet(ObjectHeader* self) { return Data(self)->size; }
static void QV_CDECL WidgetSizeSet(ObjectHeader* self, int32_t value) { Data(self)->size = value; }
static void QV_CDECL GadgetChanged(ObjectHeader* self, int32_t amount) { Data(self)->count += amount; }
static int32_t QV_CDECL Square(int32_t x) { return x * x; }
static int32_t QV_CDECL Twice(int32_t x) { return 2 * x; }
static int32_t QV_CDECL Origin(void) { return PLUGIN_ORIGIN; }
static int32_t QV_CDECL Lucky(ObjectHeader* self) { (void)self; return 7; }
static PluginDBEngineRecord sEngine = {.version = 1, .systemWord = 0xFFFFFFFFu};

/* Answers the object it is given; without one, the system word of the engine record as the
 * registration left it, which the loader test reads. */
static ObjectHeader* QV_CDECL OpenTestSource(StringRecord* text, ObjectHeader* object) {
    (void)text;
    return object ? object : (ObjectHeader*)(uintptr_t)sEngine.systemWord;
}

static PluginPropertyRecord sWidgetProperties[] = {
    {0, "Count", "Integer", 0, kPluginGenericAccessor, kPluginGenericAccessor, offsetof(WidgetData, count), {0}},
    {0, "Ratio", "Double", 0, kPluginGenericAccessor, kPluginGenericAccessor, offsetof(WidgetData, ratio), {0}},
    {0, "Label", "String", 0, (QUORproc)LabelGetter, (QUORproc)LabelSetter, 0, {0}},
    {0, "Peer", "Widget", 0, kPluginGenericAccessor, kPluginGenericAccessor, offsetof(WidgetData, peer), {0}},
};

static PluginMethodRecord16 sWidgetMethods[] = {
    {(QUORproc)WidgetArea, QUORnoImplementation, "Function Area(scale As Integer) As Integer", 0},
    {(QUORproc)WidgetSizeGet, (QUORproc)WidgetSizeSet, "Function Size() As Integer", 0},
};

static PluginEventRecord sWidgetEvents[] = {{"Changed(amount As Integer)", 0}};
static PluginEventInstanceRecord sGadgetInstances[] = {{"Changed", (QUORproc)GadgetChanged}};

static PluginMethodRecord sShapeMethods[] = {
    {(QUORproc)WidgetArea, QUORnoImplementation, "Function Area(scale As Integer) As Integer"},
};
static PluginInterfaceRecord sShape = {6, "Shape", sShapeMethods, 1};

static PluginMethodRecord sGeometryMethods[] = {
    {(QUORproc)Square, QUORnoImplementation, "Function Square(x As Integer) As Integer"},
};
static PluginModuleRecord sGeometry = {6, "Geometry", sGeometryMethods, 1};

static PluginMethodRecord sRandomMethods[] = {
    {(QUORproc)Lucky, QUORnoImplementation, "Function Lucky() As Integer"},
};
static PluginClassRecord sRandomExtension = {6, "Random", 0, 0, 0, 0, 0, 0, 0, sRandomMethods, 1, 0, 0, 0, 0, 0};

static PluginMethodRecord sTwice = {(QUORproc)Twice, QUORnoImplementation, "Function Twice(x As Integer) As Integer"};
static PluginMethodRecord sOrigin = {(QUORproc)Origin, QUORnoImplementation, "Function Origin() As Integer"};

/* --- what the loader tests look at --- */

static int32_t sAttachCount;
static int32_t sTlsCallbackCount;
static __thread int32_t sThreadValue = 41;
static char sZeroFilled[40000];

static void NTAPI TlsCallback(PVOID module, DWORD reason, PVOID reserved) {
    (void)module;
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) sTlsCallbackCount++;
}

__attribute__((section(".CRT$XLF"), used)) static PIMAGE_TLS_CALLBACK sTlsCallback = TlsCallback;

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)instance;
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) sAttachCount++;
    return TRUE;
}

EXPORT int32_t QV_CDECL PluginAttachCount(void) { return sAttachCount; }
EXPORT int32_t QV_CDECL PluginTlsCallbackCount(void) { return sTlsCallbackCount; }
EXPORT int32_t QV_CDECL PluginThreadValue(void) { return ++sThreadValue; }
/* True when the array reads as zeros and takes a write. */
EXPORT int32_t QV_CDECL PluginZeroFilled(void) {
    uint32_t i;
    for (i = 0; i < sizeof sZeroFilled; i++)
        if (sZeroFilled[i]) return 0;
    sZeroFilled[sizeof sZeroFilled - 1] = 1;
    sZeroFilled[sizeof sZeroFilled - 1] = 0;
    return 1;
}
EXPORT int32_t QV_CDECL PluginOrigin(void) { return PLUGIN_ORIGIN; }

EXPORT void QV_CDECL QUORPluginMain(PluginResolver resolve) {
    RegisterPluginVersionFunction version = (RegisterPluginVersionFunction)resolve("RegisterPluginVersion");
    PluginRegisterClassFunction registerClass = (PluginRegisterClassFunction)resolve("pluginregisterclass");
    PluginRegisterInterfaceFunction registerInterface =
        (PluginRegisterInterfaceFunction)resolve("PluginRegisterInterface");
    PluginRegisterModuleFunction registerModule = (PluginRegisterModuleFunction)resolve("PluginRegisterModule");
    PluginRegisterClassExtensionFunction registerExtension =
        (PluginRegisterClassExtensionFunction)resolve("PluginRegisterClassExtension");
    PluginRegisterMethodFunction registerMethod = (PluginRegisterMethodFunction)resolve("PluginRegisterMethod");
    RegisterDataSourceFunction registerSource = (RegisterDataSourceFunction)resolve("RegisterDataSource");
    PluginRegisterDBEngineFunction registerEngine = (PluginRegisterDBEngineFunction)resolve("PluginRegisterDBEngine");
    LockString = (QUORLockStringFunction)resolve("QUORLockString");
    UnlockString = (QUORUnlockStringFunction)resolve("QUORUnlockString");
    if (!version || !registerClass || !registerInterface || !registerModule || !registerExtension ||
        !registerMethod || !registerSource || !registerEngine || !LockString || !UnlockString ||
        resolve("NoSuchRuntimeFunction"))
        return;

    version(kPluginSDKVersion);
    /* Gadget first: its superclass Widget is registered after it. */
    sGadgetClass.version = kPluginRecordVersionWideMethods;
    sGadgetClass.name = "Gadget";
    sGadgetClass.superclassName = "Widget";
    sGadgetClass.eventInstances = sGadgetInstances;
    sGadgetClass.eventInstanceCount = 1;
    registerClass(&sGadgetClass);

    sWidgetClass.version = kPluginRecordVersionWideMethods;
    sWidgetClass.name = "Widget";
    sWidgetClass.dataSize = sizeof(WidgetData);
    sWidgetClass.constructor = (QUORproc)WidgetConstructor;
    sWidgetClass.destructor = (QUORproc)WidgetDestructor;
    sWidgetClass.properties = sWidgetProperties;
    sWidgetClass.propertyCount = sizeof sWidgetProperties / sizeof sWidgetProperties[0];
    sWidgetClass.methods = sWidgetMethods;
    sWidgetClass.methodCount = sizeof sWidgetMethods / sizeof sWidgetMethods[0];
    sWidgetClass.events = sWidgetEvents;
    sWidgetClass.eventCount = 1;
    sWidgetClass.interfaces = "Shape";
    registerInterface(&sShape);
    registerClass(&sWidgetClass);
    registerModule(&sGeometry);
    registerExtension(&sRandomExtension);
    registerMethod(&sTwice);
    registerMethod(&sOrigin);
    registerSource("TestEngine", OpenTestSource);
    registerEngine(&sEngine);
}
