#include "ShortcutText.h"

namespace {

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

bool ContainsNoCase(std::string_view text, std::string_view word) {
    if (word.size() > text.size()) return false;
    for (size_t start = 0; start + word.size() <= text.size(); ++start) {
        size_t i = 0;
        while (i < word.size() && LowerAscii(text[start + i]) == word[i]) ++i;
        if (i == word.size()) return true;
    }
    return false;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    return true;
}

// The code point of the UTF-8 sequence at text[at], and its length in bytes.
uint32_t DecodeAt(std::string_view text, size_t at, size_t& length) {
    const auto lead = static_cast<unsigned char>(text[at]);
    size_t count = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    if (at + count > text.size()) count = 1;
    uint32_t value = count == 1 ? lead : lead & (0x7F >> count);
    for (size_t i = 1; i < count; ++i) value = (value << 6) | (text[at + i] & 0x3F);
    length = count;
    return value;
}

struct FixedKeyCode {
    int32_t virtualKey;
    int32_t keyCode;
};

constexpr FixedKeyCode kFixedKeyCodes[] = {
    {36, 1},   {151, 3},  {35, 4},   {45, 5},   {33, 11},  {34, 12},  {37, 28},  {39, 29},
    {38, 30},  {40, 31},  {46, 127}, {106, 42}, {107, 43}, {109, 45}, {110, 46}, {111, 47},
};

constexpr const char* kKeyNames32To47[] = {
    "Space", "PgUp", "PgDn", "End",      "Home",     "Left", "Up",  "Right",
    "Down",  "Select", "Print", "Execute", "Snapshot", "Ins", "Del", "Help",
};

}  // namespace

std::string MakeAcceleratorText(std::string_view commandKey) {
    if (commandKey.empty()) return {};
    std::string key(commandKey);
    for (char& c : key)
        if (c == '+') c = '-';
    std::string text = "Ctrl+";
    if (ContainsNoCase(key, "shift") || ContainsNoCase(key, "shft")) text += "Shift+";
    if (ContainsNoCase(key, "option") || ContainsNoCase(key, "alt")) text += "Alt+";
    text += key.back();
    return text;
}

bool MakeControlShortcutText(std::string_view text, std::string& out) {
    bool hasAlt = false;
    std::string_view last;
    size_t start = 0;
    for (;;) {
        size_t end = start;
        while (end < text.size() && text[end] != '-' && text[end] != '+') ++end;
        last = text.substr(start, end - start);
        if (EqualsNoCase(last, "alt")) hasAlt = true;
        if (end >= text.size()) break;
        start = end + 1;
    }
    if (!hasAlt) return false;
    out = "Alt+";
    out += last.empty() ? std::string_view("-") : last;
    return true;
}

uint32_t GetMnemonicChar(std::string_view caption) {
    uint32_t mnemonic = 0;
    for (size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] != '&') continue;
        if (i + 1 >= caption.size()) break;
        if (caption[i + 1] == '&') {
            ++i;
            continue;
        }
        size_t length = 0;
        uint32_t c = DecodeAt(caption, i + 1, length);
        if (c >= 'a' && c <= 'z') c -= 32;
        mnemonic = c;
        i += length;
    }
    return mnemonic;
}

const char* ShortcutKeyName(int32_t virtualKey) {
    static const char* const kFunctionNames[] = {
        "F1",  "F2",  "F3",  "F4",  "F5",  "F6",  "F7",  "F8",  "F9",  "F10", "F11", "F12",
        "F13", "F14", "F15", "F16", "F17", "F18", "F19", "F20", "F21", "F22", "F23", "F24",
    };
    if (virtualKey >= 112 && virtualKey <= 135) return kFunctionNames[virtualKey - 112];
    if (virtualKey >= 32 && virtualKey <= 47) return kKeyNames32To47[virtualKey - 32];
    switch (virtualKey) {
        case 27: return "Esc";
        case 8: return "Bsp";
        case 9: return "Tab";
        case 12: return "Clr";
        case 13: return "Enter";
        default: return nullptr;
    }
}

bool IsModifierOrLockKey(int32_t virtualKey) {
    return (virtualKey >= 16 && virtualKey <= 20) || (virtualKey >= 91 && virtualKey <= 93) ||
           virtualKey == 144 || virtualKey == 145;
}

int32_t VirtualKeyToKeyCodeWith(int32_t vk, bool shift, const KeyTranslationState& state) {
    if (vk >= 112 && vk <= 135) return vk - 112 + 200;
    if (vk >= 96 && vk <= 105) return vk - 96 + '0';
    if (!state.anyModifier && vk >= 166 && vk <= 183) return vk;
    for (const FixedKeyCode& fixed : kFixedKeyCodes)
        if (fixed.virtualKey == vk) return fixed.keyCode;
    if (state.capsLock && vk >= 'A' && vk <= 'Z') return shift ? vk + 32 : vk;
    if (vk >= 32 && state.keyScan) {
        const int wantedModifiers = state.ctrlAndAlt ? 0x600 : 0;
        for (int c = 32; c <= 255; ++c) {
            const int scan = state.keyScan(static_cast<uint8_t>(c), state.context);
            if (scan == -1 || (scan & 0xFF) != vk) continue;
            if (((scan & 0x100) != 0) != shift) continue;
            if ((scan & 0x600) != wantedModifiers) continue;
            return c;
        }
    }
    if (state.oemNames) {
        switch (vk) {
            case 187: return '+';
            case 188: return ',';
            case 189: return '-';
            case 190: return '.';
            default: break;
        }
    }
    return vk;
}
