// Cached facts about the running system and the wrappers that pick the wide or the ANSI form of a
// Win32 call by IsUnicodePlatform.
#pragma once

#include <windows.h>

#include <cstdint>

bool IsUnicodePlatform();
bool IsWindows2000OrLater();

// Test hook: force the ANSI (false) or wide (true) branch, or return to the system's answer. The
// environment variable QV_FORCE_ANSI=1 forces the ANSI branch for a whole process.
enum class UnicodePlatformOverride { None, ForceAnsi, ForceWide };
void SetUnicodePlatformOverride(UnicodePlatformOverride mode);

LONG GetWindowLongAW(HWND window, int index);
void SetWindowLongAW(HWND window, int index, LONG value);
LRESULT CallWindowProcAW(WNDPROC procedure, HWND window, UINT message, WPARAM wParam,
                         LPARAM lParam);
LRESULT DefFrameProcAW(HWND frame, HWND client, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT DefMDIChildProcAW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT DefWindowProcAW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// A new UTF-16 buffer (GuardedNew; free with GuardedDelete) for length bytes of text and the zero
// byte after them; count receives the units written less the terminator, or 0 when conversion fails.
wchar_t* MultiByteToWide(const char* text, int32_t length, int32_t* count, UINT codePage);

// A number from the C library's generator seeded with the tick count; tests may give the seed's
// clock (null restores the tick count).
int TickSeededRandom();
void SetTickSeedClockForTesting(DWORD (*clock)());
void ConvertHimetric(int32_t& x, int32_t& y, bool toHimetric);
uint32_t GetDllVersion(const char* libraryName);
BYTE ScriptToCharset(int script);
