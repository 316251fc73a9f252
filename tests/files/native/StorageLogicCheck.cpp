// Native checks of the platform-free storage logic: the variable-length integers over every
// 32-bit value's boundaries and random values, the registry path grammar, parent paths and
// module names. Built with the machine's own compiler under AddressSanitizer (run.sh).
#include <cstdio>
#include <cstdint>
#include <random>
#include <string_view>

#include "files/RegistryPath.h"
#include "files/VarInt.h"
#include "NativeCheck.h"

namespace {

void CheckVarInt(int32_t value) {
    uint8_t bytes[kVarIntMaxBytes];
    const int n = EncodeVarInt(value, bytes);
    VarIntDecoder decoder;
    int used = 0;
    while (used < n && decoder.Take(bytes[used])) ++used;
    const bool ok = n >= 1 && n <= kVarIntMaxBytes && used == n - 1 && decoder.Value() == value;
    if (!ok) {
        ++failures;
        std::printf("FAIL varint %d\n", value);
    }
}

}  // namespace

int main() {
    for (int shift = 0; shift < 32; ++shift) {
        const uint32_t bit = 1u << shift;
        for (const uint32_t v : {bit, bit - 1, bit + 1, 0u - bit, 0u - bit - 1})
            CheckVarInt(static_cast<int32_t>(v));
    }
    std::mt19937 random(18);
    for (int i = 0; i < 1000000; ++i) CheckVarInt(static_cast<int32_t>(random()));

    const struct {
        std::string_view path;
        RegistryRoot root;
        size_t offset;
    } roots[] = {
        {"HKEY_LOCAL_MACHINE\\Software", RegistryRoot::LocalMachine, 19},
        {"hkey_current_user\\Software\\X", RegistryRoot::CurrentUser, 18},
        {"HKEY_CURRENT_USERXSoftware", RegistryRoot::CurrentUser, 18},
        {"HKEY_CLASSES_ROOT\\.txt", RegistryRoot::ClassesRoot, 18},
        {"HKEY_CURRENT_CONFIG\\System", RegistryRoot::CurrentConfig, 20},
        {"HKEY_USERS\\.DEFAULT", RegistryRoot::Users, 11},
        {"HKEY_LOCAL_MACHINE", RegistryRoot::LocalMachine, 18},
        {"HKEY_USERS\\", RegistryRoot::Users, 11},
        {"HKLM\\Software", RegistryRoot::None, 0},
        {"HKEY_CURRENT", RegistryRoot::None, 0},
        {"", RegistryRoot::None, 0},
    };
    for (const auto& row : roots) {
        const RegistryRootSplit split = SplitRegistryRootText(row.path);
        Check(split.root == row.root && split.subKeyOffset == row.offset, "root", row.path);
    }

    const struct {
        std::string_view path, parent;
    } parents[] = {
        {"HKEY_CURRENT_USER\\Software\\QV\\", "HKEY_CURRENT_USER\\Software"},
        {"HKEY_CURRENT_USER\\Software\\QV", "HKEY_CURRENT_USER\\Software"},
        {"HKEY_CURRENT_USER\\Software", "HKEY_CURRENT_USER"},
        {"HKEY_LOCAL_MACHINE", ""},
        {"HKEY_LOCAL_MACHINE\\", ""},
        {"A\\\\B", "A\\"},
        {"A\\\\", "A"},
        {"", ""},
    };
    for (const auto& row : parents) Check(ParentPathOf(row.path) == row.parent, "parent", row.path);

    const struct {
        std::string_view path, name;
    } modules[] = {
        {"C:\\Program Files\\App.exe", "App"},
        {"C:\\Apps\\Tool.1.2.exe", "Tool"},
        {"\\\\server\\share\\Net.exe", "Net"},
        {"C:\\", "C:"},
        {"C:", "C:"},
        {"Plain", "Plain"},
        {"relative\\dir\\Name.exe", "relative\\dir\\Name"},
        {"", ""},
    };
    for (const auto& row : modules)
        Check(ApplicationNameOfModule(row.path) == row.name, "module name", row.path);

    std::printf("%s\n", failures ? "failed" : "ok");
    return failures ? 1 : 0;
}
