// The Screen class and the cached list of displays it is made from: the monitor functions of
// User32 when the system has them, else the primary display alone.
#pragma once

#include <windows.h>

#include <cstdint>

#include "core/ClassDefinition.h"
#include "core/ObjectModel.h"
#include "core/SimpleVector.h"
#include "windows/WindowPlacement.h"

// The fields of a Screen object after its header.
struct ScreenFields {
    int32_t left;
    int32_t top;
    int32_t width;
    int32_t height;
    int32_t depth;  // bits per pixel
    int32_t availableLeft;
    int32_t availableTop;
    int32_t availableWidth;
    int32_t availableHeight;
};

ObjectDefinition* ScreenClass();

// The Screen objects of the displays, in the order the system gave them; each holds a reference
// of the list. Empty until a Screen is asked for.
extern SimpleVector<ObjectHeader*> gScreens;

// Test hooks: the User32 function of a name in place of the library's (null: none), and
// GetSystemMetrics. Null hooks restore the system's.
using ScreenFunctionLookup = FARPROC (*)(const char* name);
using ScreenMetricsFunction = int (*)(int index);
void SetScreenFunctionsForTesting(ScreenFunctionLookup lookup, ScreenMetricsFunction metrics);

// The screens of the list as placement takes them: at most capacity, in list order; answers how
// many were written.
int32_t GetScreenAreas(ScreenArea* out, int32_t capacity);
// Placement over the screen list.
int32_t FindScreenOfRect(const Rect16& rect);
void ConstrainRectToScreen(Rect16& rect);

extern "C" {
// The global function ScreenCount: the system's monitor count, at least 1.
int32_t getScreenCount();
// The global function Screen: the Screen of an index with a reference for the caller, or nil.
ObjectHeader* getScreen(int32_t index);
// Empties the list (on a display change); Screens handed out keep their values.
void RemoveCachedScreenInfo();
int32_t screenLeftGetter(ObjectHeader* screen);
int32_t screenTopGetter(ObjectHeader* screen);
int32_t screenWidthGetter(ObjectHeader* screen);
int32_t screenHeightGetter(ObjectHeader* screen);
int32_t screenDepthGetter(ObjectHeader* screen);
}
