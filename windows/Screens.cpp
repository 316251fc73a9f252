#include "Screens.h"

#include <cstddef>

#include "core/DefinitionConversion.h"
#include "core/Platform.h"
#include "core/IntrinsicTypes.h"
#include "core/PropertyAccessors.h"

SimpleVector<ObjectHeader*> gScreens;

namespace {

ScreenFields* Fields(ObjectHeader* screen) {
    return FieldAt<ScreenFields>(screen, kObjectHeaderSize);
}

constexpr int32_t FieldOffset(size_t offset) {
    return kObjectHeaderSize + static_cast<int32_t>(offset);
}

PropertyEntry IntegerRow(const char* name, void* getter, const char* getterName, int32_t parameter) {
    return {0, name, AsType(&kIntegerType), getter, getterName, nullptr, nullptr, parameter, 0};
}

PropertyEntry kScreenProperties[] = {
    IntegerRow("Left", RowFunction(screenLeftGetter), "screenLeftGetter", 0),
    IntegerRow("Top", RowFunction(screenTopGetter), "screenTopGetter", 0),
    IntegerRow("Width", RowFunction(screenWidthGetter), "screenWidthGetter", 0),
    IntegerRow("Height", RowFunction(screenHeightGetter), "screenHeightGetter", 0),
    IntegerRow("Depth", RowFunction(screenDepthGetter), "screenDepthGetter", 0),
    IntegerRow("AvailableLeft", RowFunction(intGetter), "intGetter",
               FieldOffset(offsetof(ScreenFields, availableLeft))),
    IntegerRow("AvailableTop", RowFunction(intGetter), "intGetter",
               FieldOffset(offsetof(ScreenFields, availableTop))),
    IntegerRow("AvailableWidth", RowFunction(intGetter), "intGetter",
               FieldOffset(offsetof(ScreenFields, availableWidth))),
    IntegerRow("AvailableHeight", RowFunction(intGetter), "intGetter",
               FieldOffset(offsetof(ScreenFields, availableHeight))),
};

const ClassRows kScreenRows = {
    .className = "Screen",
    .superclass = nullptr,
    .objectSize = kObjectHeaderSize + static_cast<int32_t>(sizeof(ScreenFields)),
    .properties = kScreenProperties,
};

using MonitorInfoFunction = BOOL(WINAPI*)(HMONITOR, MONITORINFO*);
using EnumMonitorsFunction = BOOL(WINAPI*)(HDC, LPCRECT, MONITORENUMPROC, LPARAM);
static_assert(sizeof(MONITORINFO) == 40);

HMODULE sUser32 = nullptr;
bool sUser32Tried = false;
ScreenFunctionLookup sLookupHook = nullptr;
ScreenMetricsFunction sMetricsHook = nullptr;

bool HasUser32() { return sLookupHook || sUser32; }

FARPROC User32Function(const char* name) {
    if (sLookupHook) return sLookupHook(name);
    return sUser32 ? GetProcAddress(sUser32, name) : nullptr;
}

int Metric(int index) { return sMetricsHook ? sMetricsHook(index) : GetSystemMetrics(index); }

int32_t DepthOf(HDC dc) { return GetDeviceCaps(dc, PLANES) * GetDeviceCaps(dc, BITSPIXEL); }

void SetWorkArea(ScreenFields* fields) {
    RECT work = {0, 0, 0, 0};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    fields->availableLeft = work.left;
    fields->availableTop = work.top;
    fields->availableWidth = work.right - work.left;
    fields->availableHeight = work.bottom - work.top;
}

ObjectHeader* NewScreen() { return CreateInstance(ScreenClass()); }

BOOL CALLBACK AddScreenOfMonitor(HMONITOR monitor, HDC dc, LPRECT, LPARAM) {
    if (!HasUser32()) return FALSE;
    const auto getInfo = reinterpret_cast<MonitorInfoFunction>(reinterpret_cast<void*>(
        User32Function(IsUnicodePlatform() ? "GetMonitorInfoW" : "GetMonitorInfoA")));
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (!getInfo || !getInfo(monitor, &info)) return FALSE;
    ObjectHeader* screen = NewScreen();
    if (!screen) return FALSE;
    ScreenFields* fields = Fields(screen);
    fields->left = fields->availableLeft = info.rcMonitor.left;
    fields->top = fields->availableTop = info.rcMonitor.top;
    fields->width = fields->availableWidth = info.rcMonitor.right - info.rcMonitor.left;
    fields->height = fields->availableHeight = info.rcMonitor.bottom - info.rcMonitor.top;
    fields->depth = DepthOf(dc);
    if (info.dwFlags == MONITORINFOF_PRIMARY) SetWorkArea(fields);
    gScreens.push_back(screen);
    return TRUE;
}

void FillScreens() {
    if (!sUser32Tried) {
        sUser32Tried = true;
        sUser32 = LoadLibraryA("User32");
    }
    const auto enumerate = reinterpret_cast<EnumMonitorsFunction>(
        reinterpret_cast<void*>(User32Function("EnumDisplayMonitors")));
    if (!enumerate) return;
    HDC screenDC = GetDC(nullptr);
    enumerate(screenDC, nullptr, AddScreenOfMonitor, 0);
    ReleaseDC(nullptr, screenDC);
}

void AddPrimaryDisplay() {
    ObjectHeader* screen = NewScreen();
    if (!screen) return;
    ScreenFields* fields = Fields(screen);
    fields->left = 0;
    fields->top = 0;
    fields->width = Metric(SM_CXSCREEN);
    fields->height = Metric(SM_CYSCREEN);
    SetWorkArea(fields);
    HDC screenDC = GetDC(nullptr);
    fields->depth = DepthOf(screenDC);
    ReleaseDC(nullptr, screenDC);
    gScreens.push_back(screen);
}

}  // namespace

ObjectDefinition* ScreenClass() {
    static ObjectDefinition definition;
    return FillClassDefinition(definition, kScreenRows);
}

void SetScreenFunctionsForTesting(ScreenFunctionLookup lookup, ScreenMetricsFunction metrics) {
    sLookupHook = lookup;
    sMetricsHook = metrics;
}

int32_t GetScreenAreas(ScreenArea* out, int32_t capacity) {
    int32_t count = 0;
    for (int32_t index = 0; count < capacity; ++index) {
        ObjectHeader* screen = getScreen(index);
        if (!screen) break;
        const ScreenFields* f = Fields(screen);
        out[count].full = {static_cast<int16_t>(f->top), static_cast<int16_t>(f->left),
                           static_cast<int16_t>(f->top + f->height),
                           static_cast<int16_t>(f->left + f->width)};
        out[count].available = {static_cast<int16_t>(f->availableTop),
                                static_cast<int16_t>(f->availableLeft),
                                static_cast<int16_t>(f->availableTop + f->availableHeight),
                                static_cast<int16_t>(f->availableLeft + f->availableWidth)};
        ++count;
        RuntimeUnlockObject(screen);
    }
    return count;
}

namespace {
constexpr int32_t kMostScreens = 16;
}

int32_t FindScreenOfRect(const Rect16& rect) {
    ScreenArea screens[kMostScreens];
    return FindScreenOfRect(rect, screens, GetScreenAreas(screens, kMostScreens));
}

void ConstrainRectToScreen(Rect16& rect) {
    ScreenArea screens[kMostScreens];
    ConstrainRectToScreen(rect, screens, GetScreenAreas(screens, kMostScreens));
}

extern "C" {

int32_t getScreenCount() {
    const int count = Metric(SM_CMONITORS);
    return count ? count : 1;
}

ObjectHeader* getScreen(int32_t index) {
    if (gScreens.size() == 0) FillScreens();
    if (gScreens.size() == 0 && index == 0) AddPrimaryDisplay();
    if (index < 0 || static_cast<uint32_t>(index) >= gScreens.size()) return nullptr;
    ObjectHeader* screen = gScreens[static_cast<uint32_t>(index)];
    RuntimeLockObject(screen);
    return screen;
}

void RemoveCachedScreenInfo() {
    for (uint32_t i = 0; i < gScreens.size(); ++i) RuntimeUnlockObject(gScreens[i]);
    SimpleVector<ObjectHeader*> empty;
    gScreens.swap(empty);
}

int32_t screenLeftGetter(ObjectHeader* screen) { return Fields(screen)->left; }
int32_t screenTopGetter(ObjectHeader* screen) { return Fields(screen)->top; }
int32_t screenWidthGetter(ObjectHeader* screen) { return Fields(screen)->width; }
int32_t screenHeightGetter(ObjectHeader* screen) { return Fields(screen)->height; }
int32_t screenDepthGetter(ObjectHeader* screen) { return Fields(screen)->depth; }

}  // extern "C"
