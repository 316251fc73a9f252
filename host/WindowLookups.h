// The global functions through which compiled code finds windows, controls and menu items by name
// or index, and shows, hides, closes and focuses windows.
//
// Each Window enters its control map with SetWindowControlMap when it is made. Showing, hiding,
// closing, focusing and the modal show act on language Windows; other objects that layers enter
// into the window list only have their visible flag set. SetContextualMenuClick lets callers
// without a pane raise the contextual-click flag.
#pragma once

#include <cstdint>

#include "core/ObjectModel.h"
#include "core/RuntimeString.h"
#include "core/StringMap.h"

using ControlNameMap = StringMap<ObjectHeader*>;

// The window's map of controls by name (not owned; null removes it).
void SetWindowControlMap(ObjectHeader* window, ControlNameMap* controls);
void SetContextualMenuClick(bool contextual);

extern "C" {
// No reference is added.
ObjectHeader* RuntimeControlFetch(ObjectHeader* window, StringRecord* name);
// These add a reference for the caller.
ObjectHeader* RuntimeControlReference(ObjectHeader* window, StringRecord* name);
ObjectHeader* RuntimeControlArrayItemReference(ObjectHeader* window, StringRecord* name,
                                               int32_t index);
int32_t getWindowCount();
ObjectHeader* getWindow(int32_t index);
ObjectHeader* RuntimeMenuReference(StringRecord* name);
void RuntimeShowAsWindow(ObjectHeader* window);
void RuntimeShowWindow(ObjectHeader* window);
void RuntimeHideWindow(ObjectHeader* window);
void RuntimeCloseWindow(ObjectHeader* window);
void RuntimeShowModal(ObjectHeader* window);
void formSetFocus(ObjectHeader* window);
void clearFocus();
void* WindowToWindowPtr(ObjectHeader* window);
bool IsCMMClick();
}
