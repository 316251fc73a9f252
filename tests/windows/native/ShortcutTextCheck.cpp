// The shortcut texts built with the machine's own compiler under the sanitizers: accelerator
// texts, control shortcut texts, mnemonics, key names and the key codes of virtual keys under
// injected keyboard states and layouts.
#include <cstdio>
#include <string>

#include "windows/ShortcutText.h"

namespace {

int sFailures = 0;

void Check(bool ok, const std::string& what) {
    if (ok) return;
    ++sFailures;
    std::fprintf(stderr, "FAILED: %s\n", what.c_str());
}

// A US layout: letters, digits and their shifted signs, the OEM keys for = , - . and space.
int16_t UsKeyScan(uint8_t c, void*) {
    const char* shiftedDigits = ")!@#$%^&*(";
    if (c >= 'a' && c <= 'z') return static_cast<int16_t>(c - 32);
    if (c >= 'A' && c <= 'Z') return static_cast<int16_t>(c | 0x100);
    if (c >= '0' && c <= '9') return c;
    for (int d = 0; d < 10; ++d)
        if (shiftedDigits[d] == c) return static_cast<int16_t>(('0' + d) | 0x100);
    switch (c) {
        case ' ': return 0x20;
        case '=': return 0xBB;
        case '+': return 0xBB | 0x100;
        case ',': return 0xBC;
        case '<': return 0xBC | 0x100;
        case '-': return 0xBD;
        case '_': return 0xBD | 0x100;
        case '.': return 0xBE;
        case '>': return 0xBE | 0x100;
        default: return -1;
    }
}

// A German layout's letters, with "@" on AltGr+Q.
int16_t GermanKeyScan(uint8_t c, void*) {
    if (c == '@') return 'Q' | 0x600;
    if (c >= 'a' && c <= 'z') return static_cast<int16_t>(c - 32);
    if (c >= 'A' && c <= 'Z') return static_cast<int16_t>(c | 0x100);
    return -1;
}

int16_t NoKeys(uint8_t, void*) { return -1; }

}  // namespace

int main() {
    struct Accelerator {
        const char* key;
        const char* text;
    } accelerators[] = {{"S", "Ctrl+S"},           {"shift-S", "Ctrl+Shift+S"},
                        {"Option-Shift-P", "Ctrl+Shift+Alt+P"}, {"Cmd+Alt+X", "Ctrl+Alt+X"},
                        {"+", "Ctrl+-"},           {"F4", "Ctrl+4"},
                        {"SHFT-q", "Ctrl+Shift+q"}, {"", ""}};
    for (const Accelerator& a : accelerators)
        Check(MakeAcceleratorText(a.key) == a.text, std::string("accelerator of ") + a.key);

    struct ControlText {
        const char* text;
        const char* result;  // null: refused
    } controls[] = {{"Alt-O", "Alt+O"}, {"alt+o", "Alt+o"}, {"Alt-", "Alt+-"},
                    {"Alt++", "Alt+-"}, {"Shift-Alt-T", "Alt+T"}, {"Ctrl-O", nullptr},
                    {"O", nullptr},     {"Altogether-O", nullptr}};
    for (const ControlText& c : controls) {
        std::string out;
        const bool made = MakeControlShortcutText(c.text, out);
        Check(c.result ? made && out == c.result : !made, std::string("control text ") + c.text);
    }

    struct Mnemonic {
        const char* caption;
        uint32_t character;
    } mnemonics[] = {{"&Open", 'O'},       {"&open", 'O'},         {"Save && Quit", 0},
                     {"&File &Edit", 'E'}, {"Tom && &Jerry", 'J'}, {"Tom &&& Jerry", ' '},
                     {"End&", 0},          {"No mnemonic", 0},     {"Caf\xC3\xA9 &\xC3\xA9t\xC3\xA9", 0xE9},
                     {"&1st", '1'}};
    for (const Mnemonic& m : mnemonics)
        Check(GetMnemonicChar(m.caption) == m.character, std::string("mnemonic of ") + m.caption);

    struct KeyName {
        int vk;
        const char* name;
    } names[] = {{112, "F1"}, {135, "F24"}, {27, "Esc"},  {8, "Bsp"},     {9, "Tab"},
                 {12, "Clr"}, {13, "Enter"}, {32, "Space"}, {33, "PgUp"}, {45, "Ins"},
                 {46, "Del"}, {47, "Help"},  {65, nullptr}, {187, nullptr}};
    for (const KeyName& n : names) {
        const char* got = ShortcutKeyName(n.vk);
        Check(n.name ? got && std::string(got) == n.name : got == nullptr,
              "key name of " + std::to_string(n.vk));
    }
    for (int vk = 0; vk < 256; ++vk) {
        const bool expected = (vk >= 16 && vk <= 20) || (vk >= 91 && vk <= 93) || vk == 144 ||
                              vk == 145;
        Check(IsModifierOrLockKey(vk) == expected, "modifier or lock key " + std::to_string(vk));
    }

    const KeyTranslationState us{false, false, false, true, UsKeyScan, nullptr};
    KeyTranslationState caps = us;
    caps.capsLock = true;
    KeyTranslationState modified = us;
    modified.anyModifier = true;
    const KeyTranslationState german{false, false, false, true, GermanKeyScan, nullptr};
    KeyTranslationState altGr = german;
    altGr.anyModifier = altGr.ctrlAndAlt = true;
    const KeyTranslationState bareOem{false, false, false, true, NoKeys, nullptr};
    KeyTranslationState bareOld = bareOem;
    bareOld.oemNames = false;
    struct Translation {
        const char* what;
        int vk;
        bool shift;
        const KeyTranslationState* state;
        int keyCode;
    } translations[] = {
        {"F1", 112, false, &us, 200},          {"F24", 135, true, &us, 223},
        {"keypad 0", 96, false, &us, '0'},     {"keypad 9", 105, true, &us, '9'},
        {"media key", 173, false, &us, 173},   {"Home", 36, false, &us, 1},
        {"keypad Enter", 151, false, &us, 3},  {"End", 35, false, &us, 4},
        {"Page Down", 34, false, &us, 12},     {"Up", 38, false, &us, 30},
        {"Delete", 46, false, &us, 127},       {"keypad *", 106, false, &us, 42},
        {"keypad /", 111, false, &us, 47},     {"a", 65, false, &us, 'a'},
        {"A", 65, true, &us, 'A'},             {"Caps Lock A", 65, false, &caps, 'A'},
        {"Caps Lock shift a", 65, true, &caps, 'a'}, {"1", 49, false, &us, '1'},
        {"!", 49, true, &us, '!'},             {"= key", 187, false, &us, '='},
        {"shift = key", 187, true, &us, '+'},  {", key", 188, false, &us, ','},
        {"space", 32, false, &us, ' '},        {"Ctrl+S", 83, false, &modified, 's'},
        {"German q", 81, false, &german, 'q'}, {"AltGr q", 81, false, &altGr, '@'},
        {"OEM + named", 187, false, &bareOem, '+'}, {"OEM - named", 189, true, &bareOem, '-'},
        {"OEM + unnamed", 187, false, &bareOld, 187}, {"unknown key", 0xE2, false, &us, 0xE2},
    };
    for (const Translation& t : translations)
        Check(VirtualKeyToKeyCodeWith(t.vk, t.shift, *t.state) == t.keyCode,
              std::string("key code of ") + t.what);

    if (sFailures == 0) std::puts("shortcut texts: all checks passed");
    return sFailures == 0 ? 0 : 1;
}
