// The key tables built with the machine's own compiler under the sanitizers: every key position,
// the runtime's key names and the shortcut names, checked as tables.
#include <cstdio>
#include <cstring>
#include <set>
#include <string>

#include "windows/KeyCodes.h"

namespace {

int sFailures = 0;

void Check(bool ok, const std::string& what) {
    if (ok) return;
    ++sFailures;
    std::fprintf(stderr, "FAILED: %s\n", what.c_str());
}

}  // namespace

int main() {
    const int withoutKey[] = {10, 52, 54, 63, 64, 66, 68, 70, 72, 73, 74, 77, 79,
                              80, 81, 90, 93, 94, 95, 102, 104, 106, 108, 110, 112, 127};
    std::set<int> none(std::begin(withoutKey), std::end(withoutKey));
    for (int code = 0; code < 128; ++code) {
        const int vk = KeyCodeToVirtualKey(code);
        Check((vk == 0) == (none.count(code) == 1), "position " + std::to_string(code));
    }
    struct Case {
        int code, vk;
    } positions[] = {{0, 0x41},   {36, 0x0D},  {49, 0x20},  {50, 0xC0},  {55, 0x5B},
                     {56, 0xA0},  {62, 0xA3},  {76, 0x0D},  {82, 0x60},  {89, 0x67},
                     {91, 0x68},  {92, 0x69},  {105, 0x2C}, {113, 0x13}, {122, 0x70},
                     {123, 0x25}, {124, 0x27}, {125, 0x28}, {126, 0x26}, {114 * 65536, 0x71},
                     {128, -1}, {65536, 0},  {-1, 0},     {-131072, 0}, {0x7FFFFFFF, 32766}};
    for (const Case& c : positions)
        Check(KeyCodeToVirtualKey(c.code) == c.vk, "virtual key of " + std::to_string(c.code));

    struct Name {
        int code;
        const char* name;
    } names[] = {{53, "Esc"}, {36, "Enter"}, {52, "Enter"}, {76, "Enter"}, {81, ""},
                 {113, "Pause/Break"}, {60, "Shift(R)"}, {75, "KP/"}, {65, "KP."},
                 {0, nullptr}, {10, nullptr}, {127, nullptr}, {-1, nullptr}, {200, nullptr}};
    for (const Name& n : names) {
        const char* got = KeyCodeName(n.code);
        Check(n.name ? got && std::strcmp(got, n.name) == 0 : got == nullptr,
              "name of " + std::to_string(n.code));
    }
    int named = 0;
    for (int code = 0; code < 128; ++code) named += KeyCodeName(code) != nullptr;
    Check(named == 58, "58 positions named");

    std::set<std::string> seen;
    for (int i = 0; i < NamedKeyCount(); ++i) {
        const NamedKey& key = NamedKeyAt(i);
        std::string folded = key.name;
        for (char& c : folded) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        Check(seen.insert(folded).second, std::string("one entry for ") + key.name);
        Check(key.virtualKey != 0, std::string("a code for ") + key.name);
    }
    struct Shortcut {
        const char* name;
        int vk;
    } shortcuts[] = {{"F13", 0x2C}, {"F15", 0x13}, {"Help", 0x2D}, {"Page Down", 0x22},
                     {"`", 0xC0},   {"Z", 0x5A},   {"0", 0x30},    {"Down Arrow", 0x28}};
    for (const Shortcut& s : shortcuts) {
        bool found = false;
        for (int i = 0; i < NamedKeyCount(); ++i)
            if (std::strcmp(NamedKeyAt(i).name, s.name) == 0)
                found = NamedKeyAt(i).virtualKey == s.vk;
        Check(found, std::string("shortcut name ") + s.name);
    }
    Check(NamedKeyCount() == 26 + 10 + 54, "the letters, the digits and 54 named keys");
    if (sFailures == 0) std::puts("key tables: all checks passed");
    return sFailures == 0 ? 0 : 1;
}
