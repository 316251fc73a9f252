#include "Platform.h"

#include <shlwapi.h>

#include <cstdlib>

#include "GuardedMemory.h"

namespace {

enum class Cached : signed char { Unknown = -1, No = 0, Yes = 1 };

Cached sUnicodePlatform = Cached::Unknown;
Cached sWindows2000OrLater = Cached::Unknown;
UnicodePlatformOverride sOverride = UnicodePlatformOverride::None;
int sPixelsPerInchX = -1;
int sPixelsPerInchY = -1;

OSVERSIONINFOA SystemVersion() {
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
    GetVersionExA(&info);
    return info;
}

bool AnsiForcedByEnvironment() {
    char value[8];
    DWORD n = GetEnvironmentVariableA("QV_FORCE_ANSI", value, sizeof value);
    return n == 1 && value[0] == '1';
}

}  // namespace

bool IsUnicodePlatform() {
    if (sOverride != UnicodePlatformOverride::None)
        return sOverride == UnicodePlatformOverride::ForceWide;
    if (sUnicodePlatform == Cached::Unknown)
        sUnicodePlatform = SystemVersion().dwPlatformId == VER_PLATFORM_WIN32_NT &&
                                   !AnsiForcedByEnvironment()
                               ? Cached::Yes
                               : Cached::No;
    return sUnicodePlatform == Cached::Yes;
}

void SetUnicodePlatformOverride(UnicodePlatformOverride mode) { sOverride = mode; }

bool IsWindows2000OrLater() {
    if (sWindows2000OrLater == Cached::Unknown)
        sWindows2000OrLater = SystemVersion().dwMajorVersion > 4 ? Cached::Yes : Cached::No;
    return sWindows2000OrLater == Cached::Yes;
}

LONG GetWindowLongAW(HWND window, int index) {
    return IsUnicodePlatform() ? GetWindowLongW(window, index) : GetWindowLongA(window, index);
}

void SetWindowLongAW(HWND window, int index, LONG value) {
    if (IsUnicodePlatform())
        SetWindowLongW(window, index, value);
    else
        SetWindowLongA(window, index, value);
}

LRESULT CallWindowProcAW(WNDPROC procedure, HWND window, UINT message, WPARAM wParam,
                         LPARAM lParam) {
    return IsUnicodePlatform() ? CallWindowProcW(procedure, window, message, wParam, lParam)
                               : CallWindowProcA(procedure, window, message, wParam, lParam);
}

LRESULT DefFrameProcAW(HWND frame, HWND client, UINT message, WPARAM wParam, LPARAM lParam) {
    return IsUnicodePlatform() ? DefFrameProcW(frame, client, message, wParam, lParam)
                               : DefFrameProcA(frame, client, message, wParam, lParam);
}

LRESULT DefMDIChildProcAW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return IsUnicodePlatform() ? DefMDIChildProcW(window, message, wParam, lParam)
                               : DefMDIChildProcA(window, message, wParam, lParam);
}

LRESULT DefWindowProcAW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return IsUnicodePlatform() ? DefWindowProcW(window, message, wParam, lParam)
                               : DefWindowProcA(window, message, wParam, lParam);
}

wchar_t* MultiByteToWide(const char* text, int32_t length, int32_t* count, UINT codePage) {
    if (length < 0) length = 0;
    auto* wide = static_cast<wchar_t*>(GuardedNewElements(int64_t{length} + 1, sizeof(wchar_t)));
    const int written = MultiByteToWideChar(codePage, 0, text, length + 1, wide, length + 1);
    if (written <= 0) wide[0] = 0;
    if (count) *count = written > 0 ? written - 1 : 0;
    return wide;
}

namespace {
DWORD (*sTickSeedClock)() = nullptr;
}

int TickSeededRandom() {
    std::srand(sTickSeedClock ? sTickSeedClock() : GetTickCount());
    return std::rand();
}

void SetTickSeedClockForTesting(DWORD (*clock)()) { sTickSeedClock = clock; }

void ConvertHimetric(int32_t& x, int32_t& y, bool toHimetric) {
    if (sPixelsPerInchX < 0) {
        HDC screen = GetDC(nullptr);
        sPixelsPerInchX = GetDeviceCaps(screen, LOGPIXELSX);
        sPixelsPerInchY = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
    }
    const int32_t dx = sPixelsPerInchX > 0 ? sPixelsPerInchX : 96;
    const int32_t dy = sPixelsPerInchY > 0 ? sPixelsPerInchY : 96;
    if (toHimetric) {
        x = (2540 * x + dx / 2) / dx;
        y = (2540 * y + dy / 2) / dy;
    } else {
        x = (x * dx + 1270) / 2540;
        y = (y * dy + 1270) / 2540;
    }
}

uint32_t GetDllVersion(const char* libraryName) {
    HMODULE library = LoadLibraryA(libraryName);
    if (!library) return 0;
    uint32_t version = 0;
    auto getVersion =
        reinterpret_cast<DLLGETVERSIONPROC>(reinterpret_cast<void*>(GetProcAddress(library, "DllGetVersion")));
    if (getVersion) {
        DLLVERSIONINFO info = {};
        info.cbSize = sizeof info;
        if (getVersion(&info) >= 0)
            version = (info.dwMajorVersion & 0xFFFF) << 16 | (info.dwMinorVersion & 0xFFFF);
    }
    FreeLibrary(library);
    return version;
}

BYTE ScriptToCharset(int script) {
    switch (script) {
    case 12: return HEBREW_CHARSET;
    case 13: return SHIFTJIS_CHARSET;
    case 14: return ARABIC_CHARSET;
    case 16: return GREEK_CHARSET;
    case 19: return TURKISH_CHARSET;
    case 21: return CHINESEBIG5_CHARSET;
    case 24: return THAI_CHARSET;
    case 34: return RUSSIAN_CHARSET;
    default: return DEFAULT_CHARSET;
    }
}
