#include "VisualStyles.h"

namespace {

const char* const kEntryNames[] = {
    "OpenThemeData", "CloseThemeData", "GetThemeSysColor", "GetThemeColor", "IsAppThemed",
    "IsThemeActive", "IsThemePartDefined", "DrawThemeBackground", "GetCurrentThemeName",
    "GetThemeMetric", "GetThemePartSize", "GetThemeSysSize", "SetThemeAppProperties",
    "GetThemeRect", "DrawThemeText", "DrawThemeParentBackground", "DrawThemeBorder",
    "GetThemeBackgroundContentRect", "IsThemeBackgroundPartiallyTransparent"};
constexpr int kEntryCount = sizeof(kEntryNames) / sizeof(kEntryNames[0]);
enum Entry {
    kOpenThemeData, kCloseThemeData, kGetThemeSysColor, kGetThemeColor, kIsAppThemed,
    kIsThemeActive, kIsThemePartDefined, kDrawThemeBackground, kGetCurrentThemeName,
    kGetThemeMetric, kGetThemePartSize, kGetThemeSysSize, kSetThemeAppProperties, kGetThemeRect,
    kDrawThemeText, kDrawThemeParentBackground, kDrawThemeBorder,
    kGetThemeBackgroundContentRect, kIsThemeBackgroundPartiallyTransparent
};

HMODULE sLibrary = nullptr;
FARPROC sEntries[kEntryCount] = {};
bool sVersionRead = false;
bool sVisualStylesOS = false;

template <typename Function>
Function EntryOf(Entry entry) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(sEntries[entry]));
}

}  // namespace

void LoadUxTheme() {
    if (sLibrary) return;
    sLibrary = LoadLibraryA("uxtheme.dll");
    if (!sLibrary) return;
    for (int i = 0; i < kEntryCount; ++i) sEntries[i] = GetProcAddress(sLibrary, kEntryNames[i]);
}

void FreeUxTheme() {
    if (!sLibrary) return;
    FreeLibrary(sLibrary);
    sLibrary = nullptr;
    for (auto& entry : sEntries) entry = nullptr;
}

bool IsUxThemeLoaded() { return sLibrary != nullptr; }

HTHEME_ UxOpenThemeData(HWND window, const wchar_t* classList) {
    auto f = EntryOf<HTHEME_(WINAPI*)(HWND, const wchar_t*)>(kOpenThemeData);
    return f ? f(window, classList) : nullptr;
}

HRESULT UxCloseThemeData(HTHEME_ theme) {
    auto f = EntryOf<HRESULT(WINAPI*)(HTHEME_)>(kCloseThemeData);
    return f ? f(theme) : 1;
}

HRESULT UxGetThemeColor(HTHEME_ theme, int part, int state, int property, COLORREF* colour) {
    auto f = EntryOf<HRESULT(WINAPI*)(HTHEME_, int, int, int, COLORREF*)>(kGetThemeColor);
    return f ? f(theme, part, state, property, colour) : 1;
}

bool UxIsAppThemed() {
    auto f = EntryOf<BOOL(WINAPI*)()>(kIsAppThemed);
    return f ? f() != 0 : false;
}

bool UxIsThemeActive() {
    auto f = EntryOf<BOOL(WINAPI*)()>(kIsThemeActive);
    return f ? f() != 0 : false;
}

HRESULT UxIsThemeBackgroundPartiallyTransparent(HTHEME_ theme, int part, int state) {
    auto f = EntryOf<BOOL(WINAPI*)(HTHEME_, int, int)>(kIsThemeBackgroundPartiallyTransparent);
    return f ? f(theme, part, state) : 1;
}

HRESULT UxDrawThemeBackground(HTHEME_ theme, HDC dc, int part, int state, const RECT* rect,
                              const RECT* clip) {
    auto f = EntryOf<HRESULT(WINAPI*)(HTHEME_, HDC, int, int, const RECT*, const RECT*)>(
        kDrawThemeBackground);
    return f ? f(theme, dc, part, state, rect, clip) : 1;
}

HRESULT UxGetThemePartSize(HTHEME_ theme, HDC dc, int part, int state, const RECT* rect,
                           int sizeKind, SIZE* size) {
    auto f = EntryOf<HRESULT(WINAPI*)(HTHEME_, HDC, int, int, const RECT*, int, SIZE*)>(
        kGetThemePartSize);
    return f ? f(theme, dc, part, state, rect, sizeKind, size) : 1;
}

HRESULT UxGetThemeBackgroundContentRect(HTHEME_ theme, HDC dc, int part, int state,
                                        const RECT* bounds, RECT* content) {
    auto f = EntryOf<HRESULT(WINAPI*)(HTHEME_, HDC, int, int, const RECT*, RECT*)>(
        kGetThemeBackgroundContentRect);
    return f ? f(theme, dc, part, state, bounds, content) : 1;
}

HRESULT UxDrawThemeParentBackground(HWND window, HDC dc, const RECT* rect) {
    auto f = EntryOf<HRESULT(WINAPI*)(HWND, HDC, const RECT*)>(kDrawThemeParentBackground);
    return f ? f(window, dc, rect) : 1;
}

bool IsVisualStylesVersion(DWORD platform, DWORD major, DWORD minor) {
    return platform == VER_PLATFORM_WIN32_NT && major == 5 && minor >= 1;
}

bool IsVisualStylesOS() {
    if (sVersionRead) return sVisualStylesOS;
    sVersionRead = true;
    OSVERSIONINFOEXA extended = {};
    extended.dwOSVersionInfoSize = sizeof(extended);
    OSVERSIONINFOA& plain = reinterpret_cast<OSVERSIONINFOA&>(extended);
    if (!GetVersionExA(&plain)) {
        plain.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
        if (!GetVersionExA(&plain)) return sVisualStylesOS = false;
    }
    sVisualStylesOS =
        IsVisualStylesVersion(plain.dwPlatformId, plain.dwMajorVersion, plain.dwMinorVersion);
    return sVisualStylesOS;
}

void ResetVisualStylesCache() {
    sVersionRead = false;
    sVisualStylesOS = false;
}

bool VisualStylesInUse() { return IsVisualStylesOS() && UxIsThemeActive(); }
