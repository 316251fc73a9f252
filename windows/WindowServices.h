// Window-system services shared by several parts of the runtime: the palette used for all
// painting, the list of modal windows that decides owners and blocks clicks behind them, hiding
// the menu bar and the task bar, and colour and text conversions.
#pragma once

#include <windows.h>

#include "core/RuntimeString.h"
#include "graphics/RGBColor16.h"
#include "graphics/TextStyle.h"

// The text style of text drawn without one of its own: "System" at 10 points, plain, once
// InitDefaultAppearance has run at start-up.
extern TextStyle gDefaultTextStyle;
void InitDefaultAppearance();

// The 216-colour uniform palette (entry 36 i + 6 j + k is red 51 i, green 51 j, blue 51 k), made
// on first use and kept for the run.
HPALETTE GetUniformPalette();

// Modal windows (kinds 2, 3, 5 and 10), newest first. A window leaves the list when it is
// destroyed, so that a reused handle never makes another window modal.
void AddVisibleWindowHandle(HWND window);
void RemoveVisibleWindowHandle(HWND window);
// The newest visible modal window, else the MDI frame in MDI mode, else the front document
// window: the owner of new owned windows and of the common dialogs.
HWND GetFrontVisibleHWND();
// True when a visible modal window exists and is not this one.
bool IsBlockedByFrontWindow(HWND window);
// The window pane of the foreground window, or null.
class WindowPane;
WindowPane* GetActiveWindowPane();

// For full-screen windows: the menu bar of the active window (or of the MDI frame) and the task
// bar are hidden until ShowMenuBar or the end of the run. Hiding twice and showing once restores.
void HideMenuBar();
void ShowMenuBar();

// Red, green and blue of a Windows colour value, each times 257.
void ColorRefToRGBColor16(RGBColor16& out, COLORREF colour);
void GetHighlightColor(RGBColor16& out);

// The string's bytes and terminating zero in UTF-16, from code page 932 or 950 under a Japanese or
// Chinese system script, else from UTF-8. Free with GuardedDelete.
wchar_t* NewWideFromString(const string& text);
// Wide text in the system's code page, tagged with the system text encoding; empty on failure.
string StringFromWideSystem(const wchar_t* text);
