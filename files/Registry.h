// The runtime's objects over the Windows registry: RegistryKey, one open key reached by a full
// path that begins with a root key name, and RegistryValue, a detached copy of one value.
//
// The registry is reached through the ANSI calls, except for text data on the NT family: text is
// written and read through the wide calls there whenever it does not survive the system code page,
// and always read through them, so that no character is lost either way.
#pragma once

#include <cstdint>

#include "core/GuardedMemory.h"
#include "core/RuntimeString.h"

enum RegistryValueKind : int32_t {
    kRegistryUnknown = -1,
    kRegistryText = 0,        // REG_SZ (and REG_EXPAND_SZ for GetValueKind; REG_MULTI_SZ in a value)
    kRegistryInteger = 1,     // REG_DWORD
    kRegistryBinary = 2,      // REG_BINARY
    kRegistryMultiText = 3,   // REG_MULTI_SZ, from GetValueKind only
    kRegistryExpandText = 4,  // REG_EXPAND_SZ inside a RegistryValue
};

class RegistryValue : public RuntimeAllocated {
public:
    RegistryValue() = default;
    ~RegistryValue();
    RegistryValue(const RegistryValue&) = delete;
    RegistryValue& operator=(const RegistryValue&) = delete;

    void SetName(const string& name) { mName = name; }
    string GetName() const { return mName; }
    // Stores a fresh copy of exactly size bytes.
    void SetData(const void* bytes, uint32_t size);
    const void* GetData(uint32_t* size) const;
    void SetKind(int32_t kind) { mKind = kind; }
    int32_t GetKind() const { return mKind; }

private:
    string mName;
    unsigned char* mData = nullptr;
    uint32_t mSize = 0;
    int32_t mKind = kRegistryUnknown;
};

class RegistryKey : public RuntimeAllocated {
public:
    RegistryKey() = default;
    // Takes over an open handle.
    RegistryKey(void* handle, const string& path);
    // A key of its own on the same registry key, opened again by its path (empty when that fails).
    RegistryKey(const RegistryKey& other);
    RegistryKey& operator=(const RegistryKey&) = delete;
    ~RegistryKey();

    // Opens the key of a full path; with create, makes it (and the keys above it) when missing.
    // Without create nothing is made. Tries all access, then read access.
    bool Open(const string& path, bool create);
    bool IsOpen() const { return mHandle != nullptr; }

    // New keys owned by the caller, or null.
    RegistryKey* CreateChild(const string& name);
    RegistryKey* OpenChild(const string& name);
    RegistryKey* OpenChildAt(int32_t index);
    // Null for a root key, or when the parent cannot be opened.
    RegistryKey* OpenParent();

    string GetPath() const { return mPath; }
    string GetParentPath() const { return mParentPath; }
    int32_t SubKeyCount();
    int32_t ValueCount();
    // Empty past the last one; ValueNameAt(-1) is the empty name of the default value.
    string SubKeyNameAt(int32_t index);
    string ValueNameAt(int32_t index);

    bool HasValue(const string& name);
    // REG_EXPAND_SZ reads as text; kRegistryUnknown when there is no such value.
    int32_t GetValueKind(const string& name);
    int32_t GetValueKindAt(int32_t index);
    // -1 unless the value is a 4-byte REG_DWORD.
    int32_t GetIntegerValue(const string& name);
    // A new block (GuardedNew) of the REG_BINARY value's bytes and its size; null and 0 otherwise.
    void* GetBinaryValue(const string& name, uint32_t* size);
    // The text of a text value, with environment references expanded for REG_EXPAND_SZ when
    // asked; the empty string for any other value.
    string GetTextValue(const string& name, bool expand);
    // A new value owned by the caller; null for a missing value or one of another type.
    RegistryValue* GetValue(const string& name, bool expand);
    RegistryValue* GetValueAt(int32_t index, bool expand);

    bool SetIntegerValue(const string& name, int32_t value);
    bool SetBinaryValue(const string& name, const void* bytes, uint32_t size);
    // REG_SZ, or REG_EXPAND_SZ when expandable, with its terminator.
    bool SetTextValue(const string& name, const string& text, bool expandable);
    bool SetDefaultText(const string& text) { return SetTextValue(string(), text, false); }
    bool SetDefaultInteger(int32_t value) { return SetIntegerValue(string(), value); }
    bool SetValue(const RegistryValue& value);
    bool DeleteValue(const string& name);
    // With all its sub-keys where the system offers that.
    bool DeleteSubKey(const string& name);

private:
    void SetPath(const string& path);

    void* mHandle = nullptr;  // HKEY
    string mParentPath;
    string mPath;
};

// A new key opened on "HKEY_CURRENT_USER\Software\Quorvane\", or null.
RegistryKey* OpenIDERegistryKey();
