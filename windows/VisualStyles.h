// The visual-styles library, bound by name because it may be missing, and the test that decides
// whether themed drawing is attempted at all.
#pragma once

#include <windows.h>

#include <cstdint>

using HTHEME_ = HANDLE;

// Loads "uxtheme.dll" and looks up its entries; once at start-up.
void LoadUxTheme();
// Frees the library at exit when it was loaded.
void FreeUxTheme();
bool IsUxThemeLoaded();

// Each calls its entry unchanged; without the entry it answers without calling.
HTHEME_ UxOpenThemeData(HWND window, const wchar_t* classList);                 // null
HRESULT UxCloseThemeData(HTHEME_ theme);                                        // 1
HRESULT UxGetThemeColor(HTHEME_ theme, int part, int state, int property, COLORREF* colour);
bool UxIsAppThemed();                                                           // false
bool UxIsThemeActive();                                                         // false
HRESULT UxIsThemeBackgroundPartiallyTransparent(HTHEME_ theme, int part, int state);
HRESULT UxDrawThemeBackground(HTHEME_ theme, HDC dc, int part, int state, const RECT* rect,
                              const RECT* clip);
HRESULT UxGetThemePartSize(HTHEME_ theme, HDC dc, int part, int state, const RECT* rect,
                           int sizeKind, SIZE* size);
HRESULT UxGetThemeBackgroundContentRect(HTHEME_ theme, HDC dc, int part, int state,
                                        const RECT* bounds, RECT* content);
HRESULT UxDrawThemeParentBackground(HWND window, HDC dc, const RECT* rect);

// True on the NT family at version 5.1 or 5.2 only; read once and cached.
bool IsVisualStylesOS();
// The version answer for a platform id, major and minor version.
bool IsVisualStylesVersion(DWORD platform, DWORD major, DWORD minor);
// Test hook: forgets the cached answer so that the next call reads the version again.
void ResetVisualStylesCache();

// Themed drawing is in use: the version allows it and a theme is active.
bool VisualStylesInUse();
