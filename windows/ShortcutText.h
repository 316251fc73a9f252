// The texts of keyboard shortcuts: the accelerator text a menu item shows right of its caption,
// the normalized text under which a control's shortcut is registered, the mnemonic of a caption,
// the names of keys in a pressed shortcut, and the character a virtual key types. Pure logic, free
// of the platform, so that it also builds natively; the platform's key state comes in as a record.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// "Ctrl+", then "Shift+" when the key names shift ("shift" or "shft"), then "Alt+" when it names
// option or alt, then the key's last byte; every "+" of the key counts as "-" first. Empty for an
// empty key.
std::string MakeAcceleratorText(std::string_view commandKey);

// A control's registration text ("Alt-O", "alt+o") as "Alt+O": one field between "-" (or "+")
// must be "Alt" in any case; the result is "Alt+" and the last field, "-" when that is empty.
// False when no field is "Alt".
bool MakeControlShortcutText(std::string_view text, std::string& out);

// The character after the last single "&" of a caption, upper-cased ("&&" is a literal
// ampersand); 0 when there is none. The caption is UTF-8; the answer is a code point.
uint32_t GetMnemonicChar(std::string_view caption);

// The name a pressed key takes in a shortcut text ("F5", "Esc", "PgUp", ...), or null for keys
// that are named by the character they type.
const char* ShortcutKeyName(int32_t virtualKey);

// True for the modifier and lock keys, which alone fire no shortcut and reach no KeyDown.
bool IsModifierOrLockKey(int32_t virtualKey);

// The keyboard state VirtualKeyToKeyCode reads.
struct KeyTranslationState {
    bool anyModifier;  // Ctrl, Alt or Shift held (asynchronously)
    bool ctrlAndAlt;   // both held: AltGr
    bool capsLock;     // toggled on
    bool oemNames;     // the system names the OEM keys (Windows 2000 or later)
    // VkKeyScan of a character from 32 to 255: virtual key in the low byte, Shift 0x100, Ctrl
    // 0x200, Alt 0x400; -1 when the layout has no key for it.
    int16_t (*keyScan)(uint8_t character, void* context);
    void* context;
};

// The runtime key code of a virtual key: function keys 200 to 223, keypad digits as digits, the
// navigation and keypad keys by their fixed codes, letters under Caps Lock, else the character
// the layout types with that key and shift state, else the virtual key itself.
int32_t VirtualKeyToKeyCodeWith(int32_t virtualKey, bool shift, const KeyTranslationState& state);
