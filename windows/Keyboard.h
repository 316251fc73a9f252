// The Keyboard class: which modifiers were down at the last input event and which are down now,
// whether a key is down, and the names of keys; the conversions of language key codes and key
// names to virtual-key codes.
#pragma once

#include <cstdint>

#include "core/ClassDefinition.h"
#include "core/ObjectModel.h"
#include "windows/KeyCodes.h"

// The modifier bits of the input event being handled; the window procedures write them.
extern int32_t gKeyModifiers;

// The modifiers of a client-area mouse message's wParam: Ctrl and Shift from it, Alt from the key
// state; never the Windows key.
int32_t MouseKeyModifiers(uint32_t wParam);
// Sets gKeyModifiers from the key state: Ctrl, Shift, Alt and either Windows key.
void UpdateKeyModifiers();

// The modifiers from the asynchronous key state: Ctrl, Alt and Shift, never the Windows key.
int32_t GetAsyncKeyModifiers();

ObjectDefinition* KeyboardClass();

extern "C" {
// The global function Keyboard: a new object on every call.
ObjectHeader* getKeyboardObject();
// parameter: a modifier bit; -1 the menu-shortcut modifier (Ctrl), -2 the alternate one (Shift).
bool modifierKeyGetter(ObjectHeader* keyboard, int32_t parameter);
bool asyncModifierKeyGetter(ObjectHeader* keyboard, int32_t parameter);
bool menuModifierKeyGetter(bool asynchronous);
bool alternateMenuShortcutKeyGetter(bool asynchronous);
bool keyboardAsyncKeyDown(ObjectHeader* keyboard, int32_t keyCode);
StringRecord* keyboardKeyName(ObjectHeader* keyboard, int32_t keyCode);
int32_t ConvertToWin32KeyCode(int32_t keyCode);
// 0 for a name that no key has; names compare without case.
int32_t ConvertStringToWin32KeyCode(StringRecord* name);
}
