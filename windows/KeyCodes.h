// The language's key codes and key names, and their Windows virtual-key codes. Pure tables, free
// of the platform, so that they also build natively.
//
// A language key code from 0 to 127 names a key position of the Macintosh layout (0 the A key, 36
// Return, 123 to 126 the arrows); a larger value carries a virtual-key code plus 1 in its upper
// half.
#pragma once

#include <cstdint>

// The modifier bits delivered with presses and keys.
constexpr int32_t kModifierWindows = 0x100;
constexpr int32_t kModifierShift = 0x200;
constexpr int32_t kModifierAlt = 0x800;
constexpr int32_t kModifierControl = 0x1000;

// The virtual-key code of a language key code; 0 for a position without one and for negative codes.
int32_t KeyCodeToVirtualKey(int32_t keyCode);

// The runtime's own name of a key position, or null when the platform names it. Position 81 has the
// empty name.
const char* KeyCodeName(int32_t keyCode);

// The names that keyboard shortcuts use, with their virtual-key codes: the letters, the digits and
// the named keys.
struct NamedKey {
    const char* name;
    uint16_t virtualKey;
};
int32_t NamedKeyCount();
const NamedKey& NamedKeyAt(int32_t index);
