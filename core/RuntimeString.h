// The runtime string: a reference-counted StringRecord shared by pointer (null is the empty
// string), and the handle class `string` that keeps the count right inside the runtime.
//
// Functions that make a string return a new handle holding one reference that the caller owns
// (on i686 the returned handle is the hidden first argument, so the result handle comes first).
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

class RuntimeLock;

// Encoding tags a record carries; the other encoding values are in TextEncodings.h.
constexpr uint32_t kEncodingUTF8 = 0x08000100;
constexpr uint32_t kEncodingUTF16 = 0x00000100;
constexpr uint32_t kEncodingASCII = 0x00000600;
constexpr uint32_t kEncodingUnknown = 0x0000FFFF;

// Tags 0x100 to 0x1FF are Unicode bases in the plain 16-bit format; kEncodingUTF8 is outside.
constexpr bool IsUTF16FamilyEncoding(uint32_t tag) { return tag >= 0x100 && tag <= 0x1FF; }

// Shared with the payload's literal records and with compiled code: the layout is fixed.
struct StringRecord {
    int32_t refCount;
    unsigned char* buffer;  // length byte, text, zero byte
    int32_t bufferSize;     // the size the buffer was allocated with
    int32_t length;         // byte length of the text
    uint32_t encoding;

    // Null does nothing; the last release frees buffer and record. Takes no lock: the count
    // changes atomically.
    static void Release(StringRecord* record);
    static int32_t Length(const StringRecord* record) { return record ? record->length : 0; }
    static const char* CString(const StringRecord* record);

    // Count changes are atomic: a service mode runs runtime code on a second OS thread, and
    // retains take no lock.
    static void AddReference(StringRecord* record) {
        if (record) std::atomic_ref<int32_t>(record->refCount).fetch_add(1);
    }
};

#ifndef _WIN64
static_assert(sizeof(StringRecord) == 20);
static_assert(offsetof(StringRecord, refCount) == 0);
static_assert(offsetof(StringRecord, buffer) == 4);
static_assert(offsetof(StringRecord, bufferSize) == 8);
static_assert(offsetof(StringRecord, length) == 12);
static_assert(offsetof(StringRecord, encoding) == 16);
#endif

// The process-wide recursive lock of string construction and count changes. Created on first
// use; the main entry creates it at start-up with InitStringLock, before any string is made.
void InitStringLock();
RuntimeLock& StringLock();

class string {
public:
    constexpr string() noexcept = default;
    // Runtime literal text: tagged kEncodingASCII. Null or "" gives the empty string.
    explicit string(const char* literal);
    // Shares a borrowed record (takes a new reference).
    explicit string(StringRecord* record) noexcept : mRecord(record) {
        StringRecord::AddReference(record);
    }
    string(const string& other) noexcept : mRecord(other.mRecord) {
        StringRecord::AddReference(mRecord);
    }
    string(string&& other) noexcept : mRecord(other.mRecord) { other.mRecord = nullptr; }
    ~string() { StringRecord::Release(mRecord); }
    string& operator=(const string& other) {
        Assign(other);
        return *this;
    }
    string& operator=(string&& other) noexcept;

    // Takes over a reference the caller owns; Detach hands the held reference back out.
    static string Adopt(StringRecord* record) noexcept {
        string s;
        s.mRecord = record;
        return s;
    }
    StringRecord* Detach() noexcept {
        StringRecord* record = mRecord;
        mRecord = nullptr;
        return record;
    }
    StringRecord* Record() const noexcept { return mRecord; }

    // Constructors: each releases the held record first, then makes a fresh one (refCount 1,
    // tag kEncodingUnknown unless said otherwise). Each returns the text's first byte, or null
    // when the result is the empty string (a length of 0 or less, or no memory for the buffer).
    char* AllocateBytes(int32_t n);
    char* SetBytes(const void* bytes, int32_t n);
    char* CopyRecordBytes(const StringRecord* record);
    char* SetWideText(const uint16_t* units, int32_t count);   // tag kEncodingUTF16, 16-bit NUL
    char* SetWideBytes(const uint16_t* units, int32_t count);  // tag kEncodingUTF16, one NUL byte

    // Sets the tag of the held record (its maker's duty after a byte constructor).
    void SetEncoding(uint32_t tag) {
        if (mRecord) mRecord->encoding = tag;
    }

    // Accessors; none takes a lock.
    const char* CString() const { return StringRecord::CString(mRecord); }
    const unsigned char* PString() const;
    const wchar_t* WString() const;      // asserts when the tag is not kEncodingUTF16
    const wchar_t* WidePointer() const;  // the text as 16-bit units whatever the tag
    int32_t Length() const { return mRecord ? mRecord->length : 0; }
    uint32_t Encoding() const { return mRecord ? mRecord->encoding : kEncodingASCII; }
    bool IsEmpty() const { return mRecord == nullptr; }
    bool IsASCII() const;
    // Writable text byte pos; copies the record first when it is shared.
    char* MutableBytes(int32_t pos);

    void Assign(const string& other);
    StringRecord* Retain();  // a new reference to the held record, for the caller
    void AppendCString(const char* text);
    void Append(const string& other);

    string ToUTF8() const;
    string ToUTF16() const;

    // Three-way compares: -1, 0 or 1.
    static int Compare(const string& a, const string& b);
    static int CompareNoCase(const string& a, const string& b);

private:
    void ReplaceRecord(StringRecord* record);

    StringRecord* mRecord = nullptr;
};

static_assert(sizeof(string) == sizeof(StringRecord*));

// Byte substrings; results equal to the source share its record.
string LeftBytes(const string& s, int32_t n);
string MidBytesFrom(const string& s, int32_t start);
string MidBytes(const string& s, int32_t start, int32_t count);
string RightBytes(const string& s, int32_t n);

string StringConcat(const string& a, const string& b);
string StringAppendByte(const string& s, unsigned char byte);
// Trim spaces and tabs only.
string StringLTrim(const string& s);
string StringRTrim(const string& s);
string StringTrim(const string& s);
string StringFromCodePoint(uint32_t codePoint, uint32_t encoding);

// Number and code texts.
string StringFromInteger(int32_t value);
string StringFromHex8(uint32_t value);
string StringFromOSType(uint32_t code);
string StringFromUInt16LE(uint16_t value);
string StringFromUInt32BE(uint32_t value);

// Entry points of compiled code.
extern "C" {
StringRecord* RuntimeLockString(StringRecord* record);
// Preserves EAX, EDX and ST(0): compiled code calls it in epilogues after the result is set.
void RuntimeUnlockString(StringRecord* record);
void RuntimeLockUnlockStrings(StringRecord* newRecord, StringRecord* oldRecord);
StringRecord* RuntimeAddString(StringRecord* a, StringRecord* b);
}
