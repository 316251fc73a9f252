#include "Registry.h"

#include <windows.h>

#include <cstring>
#include <string_view>
#include <vector>

#include "RegistryPath.h"
#include "core/FailureReport.h"
#include "core/Platform.h"
#include "core/EncodingConversion.h"

namespace {

constexpr const char* kSource = "Registry";
constexpr DWORD kNameCapacity = 1024;

HKEY Key(void* handle) { return static_cast<HKEY>(handle); }

std::string_view View(const string& s) {
    return std::string_view(s.CString(), static_cast<size_t>(s.Length()));
}

// A name or text for an ANSI call.
string Ansi(const string& s) { return ConvertToSystemEncoding(s); }

// The root key and the sub-key path (for the ANSI calls) of a full path; false for an unknown
// root.
bool SplitRoot(const string& path, HKEY& root, string& subKey) {
    const string ansi = Ansi(path);
    const RegistryRootSplit split = SplitRegistryRootText(View(ansi));
    switch (split.root) {
    case RegistryRoot::LocalMachine: root = HKEY_LOCAL_MACHINE; break;
    case RegistryRoot::CurrentUser: root = HKEY_CURRENT_USER; break;
    case RegistryRoot::ClassesRoot: root = HKEY_CLASSES_ROOT; break;
    case RegistryRoot::CurrentConfig: root = HKEY_CURRENT_CONFIG; break;
    case RegistryRoot::Users: root = HKEY_USERS; break;
    case RegistryRoot::None: root = nullptr; return false;
    }
    subKey.SetBytes(ansi.CString() + split.subKeyOffset,
                    ansi.Length() - static_cast<int32_t>(split.subKeyOffset));
    return true;
}

// All access where it is granted, else read access.
HKEY OpenExisting(HKEY parent, const string& ansiSubKey) {
    HKEY handle = nullptr;
    if (RegOpenKeyExA(parent, ansiSubKey.CString(), 0, KEY_ALL_ACCESS, &handle) == ERROR_SUCCESS ||
        RegOpenKeyExA(parent, ansiSubKey.CString(), 0, KEY_READ, &handle) == ERROR_SUCCESS)
        return handle;
    return nullptr;
}

string ChildPath(const string& path, const string& name) {
    return StringConcat(StringConcat(path, string("\\")), name);
}

bool IsText(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

// True on the NT family when the text would not come back from the system code page.
bool NeedsWideCall(const string& text) {
    if (!IsUnicodePlatform()) return false;
    const uint32_t tag = text.Encoding();
    if (tag == SystemTextEncoding()) return false;
    if (tag == kEncodingUTF16) return true;
    const string back = ConvertStringEncoding(Ansi(text), tag);
    return string::CompareNoCase(back, text) != 0;
}

// The wide text of a stored value: a multi-string gives its first text; otherwise one trailing
// zero unit, where there is one, is the terminator.
string WideStoredText(const std::vector<uint16_t>& units, DWORD type, bool expand) {
    size_t count = units.size();
    if (type == REG_MULTI_SZ) {
        for (size_t i = 0; i < count; ++i)
            if (units[i] == 0) count = i;
    } else if (count > 0 && units[count - 1] == 0) {
        --count;
    }
    std::vector<uint16_t> text(units.begin(), units.begin() + static_cast<ptrdiff_t>(count));
    text.push_back(0);
    if (expand && type == REG_EXPAND_SZ) {
        const wchar_t* source = reinterpret_cast<const wchar_t*>(text.data());
        const DWORD needed = ExpandEnvironmentStringsW(source, nullptr, 0);
        std::vector<uint16_t> expanded(needed + 1, 0);
        const DWORD made = ExpandEnvironmentStringsW(
            source, reinterpret_cast<wchar_t*>(expanded.data()), needed);
        if (made > 0) {
            expanded.resize(made - 1);
            expanded.push_back(0);
            text.swap(expanded);
        }
    }
    string wide;
    wide.SetWideText(text.data(), static_cast<int32_t>(text.size() - 1));
    return wide.ToUTF8();
}

string ReadWideText(HKEY key, const string& name, bool expand) {
    const string wideName = name.ToUTF16();
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(key, wideName.WidePointer(), nullptr, &type, nullptr, &size) !=
            ERROR_SUCCESS ||
        !IsText(type) || size == 0)
        return string("");
    std::vector<uint16_t> units((size + 1) / 2, 0);
    const LONG error = RegQueryValueExW(key, wideName.WidePointer(), nullptr, &type,
                                        reinterpret_cast<BYTE*>(units.data()), &size);
    if (error != ERROR_SUCCESS) ReportAssertion(kSource, 428, "ERROR_SUCCESS == err");
    else units.resize(size / 2);
    return WideStoredText(units, type, expand);
}

// Only a real trailing zero is dropped, so text stored without a terminator keeps its end.
string ReadAnsiText(HKEY key, const string& name, bool expand) {
    const string ansiName = Ansi(name);
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(key, ansiName.CString(), nullptr, &type, nullptr, &size) !=
            ERROR_SUCCESS ||
        !IsText(type) || size == 0)
        return string("");
    std::vector<char> bytes(size + 1, 0);
    if (RegQueryValueExA(key, ansiName.CString(), nullptr, &type,
                         reinterpret_cast<BYTE*>(bytes.data()), &size) != ERROR_SUCCESS)
        return string("");
    size_t length = size;
    if (type == REG_MULTI_SZ) length = std::strlen(bytes.data());
    else if (length > 0 && bytes[length - 1] == 0) --length;
    std::string text(bytes.data(), length);
    if (expand && type == REG_EXPAND_SZ) {
        const DWORD needed = ExpandEnvironmentStringsA(text.c_str(), nullptr, 0);
        std::vector<char> expanded(needed + 1, 0);
        const DWORD made = ExpandEnvironmentStringsA(text.c_str(), expanded.data(), needed);
        if (made > 0) text.assign(expanded.data(), made - 1);
    }
    string result;
    result.SetBytes(text.data(), static_cast<int32_t>(text.size()));
    result.SetEncoding(SystemTextEncoding());
    return result;
}

// The stored type and size of a value; false when there is none.
bool QueryType(HKEY key, const string& name, DWORD& type, DWORD& size) {
    type = REG_NONE;
    size = 0;
    return RegQueryValueExA(key, Ansi(name).CString(), nullptr, &type, nullptr, &size) ==
           ERROR_SUCCESS;
}

// The encoding of the text bytes a RegistryValue carries, as GetTextValue makes them.
uint32_t StoredTextEncoding() { return IsUnicodePlatform() ? kEncodingUTF8 : SystemTextEncoding(); }

}  // namespace

// --- RegistryValue ---

RegistryValue::~RegistryValue() { GuardedDelete(mData); }

void RegistryValue::SetData(const void* bytes, uint32_t size) {
    GuardedDelete(mData);
    mData = nullptr;
    mSize = 0;
    if (!size) return;
    mData = static_cast<unsigned char*>(GuardedNew(size));
    if (!mData) return;
    std::memcpy(mData, bytes, size);
    mSize = size;
}

const void* RegistryValue::GetData(uint32_t* size) const {
    if (size) *size = mSize;
    return mData;
}

// --- RegistryKey ---

RegistryKey::RegistryKey(void* handle, const string& path) : mHandle(handle) { SetPath(path); }

RegistryKey::RegistryKey(const RegistryKey& other) {
    if (!Open(other.mPath, false)) SetPath(other.mPath);
}

RegistryKey::~RegistryKey() {
    if (mHandle) RegCloseKey(Key(mHandle));
}

void RegistryKey::SetPath(const string& path) {
    mPath = path;
    mParentPath = LeftBytes(path, static_cast<int32_t>(ParentPathOf(View(path)).size()));
}

bool RegistryKey::Open(const string& path, bool create) {
    HKEY root = nullptr;
    string subKey;
    if (!SplitRoot(path, root, subKey)) return false;
    HKEY handle = nullptr;
    if (create) {
        DWORD disposition = 0;
        for (const REGSAM access : {KEY_ALL_ACCESS, KEY_READ}) {
            if (RegCreateKeyExA(root, subKey.CString(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                access, nullptr, &handle, &disposition) == ERROR_SUCCESS)
                break;
            handle = nullptr;
        }
    } else {
        handle = OpenExisting(root, subKey);
    }
    if (!handle) return false;
    if (mHandle) RegCloseKey(Key(mHandle));
    mHandle = handle;
    SetPath(path);
    return true;
}

RegistryKey* RegistryKey::CreateChild(const string& name) {
    HKEY handle = nullptr;
    DWORD disposition = 0;
    if (RegCreateKeyExA(Key(mHandle), Ansi(name).CString(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, &handle, &disposition) != ERROR_SUCCESS)
        return nullptr;
    return new RegistryKey(handle, ChildPath(mPath, name));
}

RegistryKey* RegistryKey::OpenChild(const string& name) {
    HKEY handle = OpenExisting(Key(mHandle), Ansi(name));
    return handle ? new RegistryKey(handle, ChildPath(mPath, name)) : nullptr;
}

RegistryKey* RegistryKey::OpenChildAt(int32_t index) { return OpenChild(SubKeyNameAt(index)); }

RegistryKey* RegistryKey::OpenParent() {
    HKEY root = nullptr;
    string subKey;
    if (mParentPath.IsEmpty() || !SplitRoot(mParentPath, root, subKey)) return nullptr;
    HKEY handle = OpenExisting(root, subKey);
    return handle ? new RegistryKey(handle, mParentPath) : nullptr;
}

int32_t RegistryKey::SubKeyCount() {
    DWORD count = 0;
    if (RegQueryInfoKeyA(Key(mHandle), nullptr, nullptr, nullptr, &count, nullptr, nullptr,
                         nullptr, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return 0;
    return static_cast<int32_t>(count);
}

int32_t RegistryKey::ValueCount() {
    DWORD count = 0;
    if (RegQueryInfoKeyA(Key(mHandle), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                         &count, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return 0;
    return static_cast<int32_t>(count);
}

string RegistryKey::SubKeyNameAt(int32_t index) {
    char name[kNameCapacity] = {};
    DWORD capacity = kNameCapacity;
    string result;
    if (RegEnumKeyExA(Key(mHandle), static_cast<DWORD>(index), name, &capacity, nullptr, nullptr,
                      nullptr, nullptr) == ERROR_SUCCESS) {
        result.SetBytes(name, static_cast<int32_t>(capacity));
        result.SetEncoding(SystemTextEncoding());
    }
    return result;
}

string RegistryKey::ValueNameAt(int32_t index) {
    string result;
    if (index == -1) return result;
    char name[kNameCapacity] = {};
    DWORD capacity = kNameCapacity;
    if (RegEnumValueA(Key(mHandle), static_cast<DWORD>(index), name, &capacity, nullptr, nullptr,
                      nullptr, nullptr) == ERROR_SUCCESS) {
        result.SetBytes(name, static_cast<int32_t>(capacity));
        result.SetEncoding(SystemTextEncoding());
    }
    return result;
}

bool RegistryKey::HasValue(const string& name) {
    return RegQueryValueExA(Key(mHandle), Ansi(name).CString(), nullptr, nullptr, nullptr,
                            nullptr) == ERROR_SUCCESS;
}

int32_t RegistryKey::GetValueKind(const string& name) {
    DWORD type = REG_NONE;
    DWORD size = 0;
    if (!QueryType(Key(mHandle), name, type, size)) return kRegistryUnknown;
    switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ: return kRegistryText;
    case REG_DWORD: return kRegistryInteger;
    case REG_BINARY: return kRegistryBinary;
    case REG_MULTI_SZ: return kRegistryMultiText;
    default: return kRegistryUnknown;
    }
}

int32_t RegistryKey::GetValueKindAt(int32_t index) { return GetValueKind(ValueNameAt(index)); }

int32_t RegistryKey::GetIntegerValue(const string& name) {
    DWORD type = REG_NONE;
    int32_t value = 0;
    DWORD size = sizeof value;
    if (RegQueryValueExA(Key(mHandle), Ansi(name).CString(), nullptr, &type,
                         reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof value)
        return -1;
    return value;
}

void* RegistryKey::GetBinaryValue(const string& name, uint32_t* size) {
    if (!size) {
        ReportAssertion(kSource, 502, "size",
                        "Trying to get a binary registry key but didn't pass in a size to fill "
                        "out.");
        return nullptr;
    }
    *size = 0;
    DWORD type = REG_NONE;
    DWORD stored = 0;
    if (!QueryType(Key(mHandle), name, type, stored) || type != REG_BINARY || stored == 0)
        return nullptr;
    void* block = GuardedNew(stored);
    if (!block) return nullptr;
    if (RegQueryValueExA(Key(mHandle), Ansi(name).CString(), nullptr, &type,
                         static_cast<BYTE*>(block), &stored) != ERROR_SUCCESS) {
        GuardedDelete(block);
        return nullptr;
    }
    *size = stored;
    return block;
}

string RegistryKey::GetTextValue(const string& name, bool expand) {
    return IsUnicodePlatform() ? ReadWideText(Key(mHandle), name, expand)
                               : ReadAnsiText(Key(mHandle), name, expand);
}

RegistryValue* RegistryKey::GetValue(const string& name, bool expand) {
    DWORD type = REG_NONE;
    DWORD size = 0;
    if (!QueryType(Key(mHandle), name, type, size)) return nullptr;
    RegistryValue* value = new RegistryValue;
    if (!value) return nullptr;
    value->SetName(name);
    if (IsText(type)) {
        value->SetKind(type == REG_EXPAND_SZ ? kRegistryExpandText : kRegistryText);
        const string text = GetTextValue(name, expand);
        value->SetData(text.CString(), static_cast<uint32_t>(text.Length()));
    } else if (type == REG_BINARY) {
        value->SetKind(kRegistryBinary);
        uint32_t length = 0;
        void* bytes = GetBinaryValue(name, &length);
        value->SetData(bytes, length);
        GuardedDelete(bytes);
    } else if (type == REG_DWORD) {
        value->SetKind(kRegistryInteger);
        const int32_t integer = GetIntegerValue(name);
        value->SetData(&integer, sizeof integer);
    } else {
        delete value;
        return nullptr;
    }
    return value;
}

RegistryValue* RegistryKey::GetValueAt(int32_t index, bool expand) {
    return GetValue(ValueNameAt(index), expand);
}

bool RegistryKey::SetIntegerValue(const string& name, int32_t value) {
    return RegSetValueExA(Key(mHandle), Ansi(name).CString(), 0, REG_DWORD,
                          reinterpret_cast<const BYTE*>(&value), sizeof value) == ERROR_SUCCESS;
}

bool RegistryKey::SetBinaryValue(const string& name, const void* bytes, uint32_t size) {
    return RegSetValueExA(Key(mHandle), Ansi(name).CString(), 0, REG_BINARY,
                          static_cast<const BYTE*>(bytes), size) == ERROR_SUCCESS;
}

// Either way the stored text ends with its terminator. Text that needs the wide call is stored
// as REG_MULTI_SZ whatever expandable says: that kind marks text this runtime stored in UTF-16,
// and KeyType reports it.
bool RegistryKey::SetTextValue(const string& name, const string& text, bool expandable) {
    if (NeedsWideCall(text)) {
        const string wideName = name.ToUTF16();
        const string wideText = text.ToUTF16();
        const DWORD bytes = static_cast<DWORD>(wideText.Length()) + 2;
        std::vector<BYTE> data(bytes, 0);
        std::memcpy(data.data(), wideText.WidePointer(), bytes - 2);
        return RegSetValueExW(Key(mHandle), wideName.WidePointer(), 0, REG_MULTI_SZ, data.data(),
                              bytes) == ERROR_SUCCESS;
    }
    const DWORD type = expandable ? REG_EXPAND_SZ : REG_SZ;
    const string ansi = Ansi(text);
    return RegSetValueExA(Key(mHandle), Ansi(name).CString(), 0, type,
                          reinterpret_cast<const BYTE*>(ansi.CString()),
                          static_cast<DWORD>(ansi.Length()) + 1) == ERROR_SUCCESS;
}

bool RegistryKey::SetValue(const RegistryValue& value) {
    uint32_t size = 0;
    const void* data = value.GetData(&size);
    switch (value.GetKind()) {
    case kRegistryInteger: {
        int32_t integer = 0;
        if (size < sizeof integer) return false;
        std::memcpy(&integer, data, sizeof integer);
        return SetIntegerValue(value.GetName(), integer);
    }
    case kRegistryBinary: return SetBinaryValue(value.GetName(), data, size);
    case kRegistryText:
    case kRegistryExpandText: {
        string text;
        text.SetBytes(data, static_cast<int32_t>(size));
        text.SetEncoding(StoredTextEncoding());
        return SetTextValue(value.GetName(), text, value.GetKind() == kRegistryExpandText);
    }
    default: return false;
    }
}

bool RegistryKey::DeleteValue(const string& name) {
    return RegDeleteValueA(Key(mHandle), Ansi(name).CString()) == ERROR_SUCCESS;
}

bool RegistryKey::DeleteSubKey(const string& name) {
    using DeleteTree = LSTATUS(WINAPI*)(HKEY, LPCSTR);
    static HMODULE shlwapi = nullptr;
    static bool loaded = false;
    const string ansi = Ansi(name);
    if (IsUnicodePlatform()) {
        if (!loaded) {
            loaded = true;
            shlwapi = LoadLibraryA("shlwapi");
        }
        const auto deleteTree =
            shlwapi ? reinterpret_cast<DeleteTree>(
                          reinterpret_cast<void*>(GetProcAddress(shlwapi, "SHDeleteKeyA")))
                    : nullptr;
        if (deleteTree) return deleteTree(Key(mHandle), ansi.CString()) == ERROR_SUCCESS;
    }
    return RegDeleteKeyA(Key(mHandle), ansi.CString()) == ERROR_SUCCESS;
}

RegistryKey* OpenIDERegistryKey() {
    RegistryKey* key = new RegistryKey;
    if (key && key->Open(string("HKEY_CURRENT_USER\\Software\\Quorvane\\"), true)) return key;
    delete key;
    return nullptr;
}
