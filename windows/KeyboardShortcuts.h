// Keyboard shortcuts and key pre-translation: every key press of the application is turned into a
// shortcut text such as "Ctrl+Shift+S" or "Alt+O" and fires the first registered shortcut with
// that text (a menu command, a button click, a tab page, a plug-in control's press, a static
// text's accelerator); then it is offered to the focused control's and the window's KeyDown, and
// finally the dialog keys move the focus (arrows, Tab) or push the default (Enter) or cancel (Esc)
// button.
#pragma once

#include <windows.h>

#include <cstdint>

#include "core/RuntimeString.h"

enum ShortcutKind : int32_t {
    kMenuShortcut = 0,          // target: command id, and the containing menu in the high half
    kButtonShortcut = 1,        // target: the control's native window
    kTabPageShortcut = 2,       // target: the tab control's window; the page in the high half of kind
    kPluginControlShortcut = 3, // target: the control object
    kStaticTextShortcut = 4,    // target: the static text pane
};

// Registers at the head of the list, replacing a registration of the same target and kind. A
// control's text must name Alt (failure report "hasAlt" otherwise).
void AddKeyboardShortcut(int64_t target, int32_t kind, const string& text);
// Unlinks the first registration of that target (both halves) and kind.
void RemoveKeyboardShortcut(int64_t target, int32_t kind);

inline int64_t MenuShortcutTarget(int32_t commandId, HMENU menu) {
    return static_cast<int64_t>(static_cast<uint64_t>(reinterpret_cast<uintptr_t>(menu)) << 32 |
                                static_cast<uint32_t>(commandId));
}
inline void AddKeyboardShortcut(int32_t commandId, HMENU menu, int32_t kind, const string& text) {
    AddKeyboardShortcut(MenuShortcutTarget(commandId, menu), kind, text);
}
inline void RemoveKeyboardShortcut(int32_t commandId, HMENU menu, int32_t kind) {
    RemoveKeyboardShortcut(MenuShortcutTarget(commandId, menu), kind);
}

// The registered text of a target and kind, or the empty string (for tests and the menus).
string RegisteredShortcutText(int64_t target, int32_t kind);
int32_t KeyboardShortcutCount();

// The pre-translation of a message just taken from the queue; true when it was consumed and must
// be neither translated nor dispatched.
bool TranslateKeyMessage(MSG* message);

// One message of any window from the thread's queue through the pre-translation, the MDI
// accelerators and dispatch; nothing when the queue is empty.
void PumpOneMessage();

// Ctrl 0x1000, Alt 0x800, Shift 0x200, either Windows key 0x100, from GetKeyState.
int32_t GetCurrentKeyModifiers();

// The runtime key code of a virtual key under the current keyboard state and layout.
int32_t VirtualKeyToKeyCode(int32_t virtualKey, bool shift);
