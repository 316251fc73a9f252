#include "RuntimeString.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "AsciiTester.h"
#include "ByteUtilities.h"
#include "FailureReport.h"
#include "RuntimeLock.h"
#include "SmallBlockAllocator.h"
#include "core/EncodingConversion.h"
#include "core/Utf8Codec.h"

namespace {

constinit RuntimeLock sStringLock;

// What the empty string shows through each accessor.
const unsigned char kEmptyText[2] = {0, 0};
const wchar_t kEmptyWide[1] = {0};
// Where writes to the empty string go; what is written there is lost.
char sScratch[4];

// The longest text whose buffer size (and doubled UTF-16 size) still fits in 32 bits.
constexpr int32_t kLargestText = 0x3FFFFFF0;

// A fresh record of n bytes (n > 0) with refCount 1 and tag kEncodingUnknown: length byte, n
// bytes whose last is zeroed, a zero byte. Null when the buffer cannot be had.
StringRecord* NewRecord(int32_t n) {
    if (n > kLargestText) return nullptr;
    const int32_t bufferSize = n + 2;
    auto* buffer = static_cast<unsigned char*>(AllocateMemory(bufferSize, 1));
    if (!buffer) return nullptr;
    auto* record = static_cast<StringRecord*>(AllocateMemory(sizeof(StringRecord), 0));
    buffer[0] = static_cast<unsigned char>(std::min<int32_t>(n, 255));
    buffer[n] = 0;
    buffer[n + 1] = 0;
    record->refCount = 1;
    record->buffer = buffer;
    record->bufferSize = bufferSize;
    record->length = n;
    record->encoding = kEncodingUnknown;
    return record;
}

inline const unsigned char* Text(const StringRecord* record) {
    return record ? record->buffer + 1 : kEmptyText;
}

// A new string of two byte runs (either may be empty, not both) with the given tag.
string JoinBytes(const unsigned char* a, int32_t lengthA, const unsigned char* b, int32_t lengthB,
                 uint32_t tag) {
    string result;
    if (lengthA > kLargestText - lengthB) return result;  // too long to make: the empty string
    if (char* text = result.AllocateBytes(lengthA + lengthB)) {
        std::memcpy(text, a, lengthA);
        std::memcpy(text + lengthA, b, lengthB);
        result.SetEncoding(tag);
    }
    return result;
}

// A new string of count bytes of s from start (the range lies within s), with s's tag.
string CopyRange(const string& s, int32_t start, int32_t count) {
    string result;
    if (result.SetBytes(s.CString() + start, count)) result.SetEncoding(s.Encoding());
    return result;
}

inline bool IsBlank(unsigned char c) { return c == ' ' || c == '\t'; }

}  // namespace

// --- the lock ---

void InitStringLock() { sStringLock.Create(); }

RuntimeLock& StringLock() {
    if (!sStringLock.Exists()) InitStringLock();
    return sStringLock;
}

// --- record level ---

// The count changes atomically, so only the release that takes it to zero frees the record and
// no lock is needed on this, the most frequent string operation.
void StringRecord::Release(StringRecord* record) {
    if (!record) return;
    if (std::atomic_ref<int32_t>(record->refCount).fetch_sub(1) == 1) {
        FreeMemory(record->buffer, record->bufferSize);
        FreeMemory(record, sizeof(StringRecord));
    }
}

const char* StringRecord::CString(const StringRecord* record) {
    return reinterpret_cast<const char*>(Text(record));
}

// --- handle level ---

string::string(const char* literal) {
    if (literal && SetBytes(literal, static_cast<int32_t>(std::strlen(literal))))
        mRecord->encoding = kEncodingASCII;
}

string& string::operator=(string&& other) noexcept {
    if (this != &other) {
        StringRecord* old = mRecord;
        mRecord = other.mRecord;
        other.mRecord = nullptr;
        StringRecord::Release(old);
    }
    return *this;
}

// The old record is released after the new one is in place, so that a constructor may be fed
// from the very record it replaces.
void string::ReplaceRecord(StringRecord* record) {
    StringRecord* old = mRecord;
    mRecord = record;
    StringRecord::Release(old);
}

char* string::AllocateBytes(int32_t n) {
    RuntimeLockGuard guard(StringLock());
    ReplaceRecord(n > 0 ? NewRecord(n) : nullptr);
    return mRecord ? reinterpret_cast<char*>(mRecord->buffer + 1) : nullptr;
}

char* string::SetBytes(const void* bytes, int32_t n) {
    RuntimeLockGuard guard(StringLock());
    StringRecord* record = n > 0 ? NewRecord(n) : nullptr;
    if (record && bytes) std::memcpy(record->buffer + 1, bytes, n);
    ReplaceRecord(record);
    return record ? reinterpret_cast<char*>(record->buffer + 1) : nullptr;
}

char* string::CopyRecordBytes(const StringRecord* record) {
    return SetBytes(Text(record), StringRecord::Length(record));
}

char* string::SetWideText(const uint16_t* units, int32_t count) {
    RuntimeLockGuard guard(StringLock());
    // One byte more than the text holds the second byte of the 16-bit terminator.
    StringRecord* record = count > 0 && count <= kLargestText / 2 ? NewRecord(2 * count + 1) : nullptr;
    if (record) {
        record->length = 2 * count;
        record->encoding = kEncodingUTF16;
        if (units) std::memcpy(record->buffer + 1, units, 2 * static_cast<size_t>(count));
        record->buffer[0] = static_cast<unsigned char>(record->length);
    }
    ReplaceRecord(record);
    return record ? reinterpret_cast<char*>(record->buffer + 1) : nullptr;
}

char* string::SetWideBytes(const uint16_t* units, int32_t count) {
    RuntimeLockGuard guard(StringLock());
    StringRecord* record = count > 0 && count <= kLargestText / 2 ? NewRecord(2 * count) : nullptr;
    if (record) {
        record->encoding = kEncodingUTF16;
        if (units) std::memcpy(record->buffer + 1, units, 2 * static_cast<size_t>(count));
        record->buffer[0] = static_cast<unsigned char>(record->length);
    }
    ReplaceRecord(record);
    return record ? reinterpret_cast<char*>(record->buffer + 1) : nullptr;
}

const unsigned char* string::PString() const { return mRecord ? mRecord->buffer : kEmptyText; }

const wchar_t* string::WString() const {
    if (!mRecord) return kEmptyWide;
    if (mRecord->encoding != kEncodingUTF16) {
        ReportAssertion("string", 674, "0");
        return kEmptyWide;
    }
    return reinterpret_cast<const wchar_t*>(mRecord->buffer + 1);
}

const wchar_t* string::WidePointer() const {
    return mRecord ? reinterpret_cast<const wchar_t*>(mRecord->buffer + 1) : kEmptyWide;
}

bool string::IsASCII() const {
    if (!mRecord) return true;
    if (IsUTF16FamilyEncoding(mRecord->encoding)) return false;
    return GetASCIITester()->IsASCIIBytes(mRecord->buffer + 1, mRecord->length);
}

char* string::MutableBytes(int32_t pos) {
    RuntimeLockGuard guard(StringLock());
    if (!mRecord) {
        if (pos) ReportAssertion("string", 804, "not pos");
        return sScratch;
    }
    if (pos < 0 || pos >= mRecord->length) {
        ReportAssertion("string", 795, "not (pos < 0 || pos >= Length())");
        // A position outside the text gets the scratch byte rather than a write past the buffer.
        return sScratch;
    }
    if (std::atomic_ref<int32_t>(mRecord->refCount).load() != 1) {
        const uint32_t tag = mRecord->encoding;
        if (!SetBytes(mRecord->buffer + 1, mRecord->length)) return sScratch;
        mRecord->encoding = tag;  // the private copy is the same text in the same encoding
    }
    return reinterpret_cast<char*>(mRecord->buffer + 1 + pos);
}

void string::Assign(const string& other) {
    if (this == &other) return;
    RuntimeLockGuard guard(StringLock());
    StringRecord::AddReference(other.mRecord);
    ReplaceRecord(other.mRecord);
}

StringRecord* string::Retain() {
    RuntimeLockGuard guard(StringLock());
    StringRecord::AddReference(mRecord);
    return mRecord;
}

void string::AppendCString(const char* text) {
    const int32_t n = text ? static_cast<int32_t>(std::strlen(text)) : 0;
    if (n == 0) return;
    RuntimeLockGuard guard(StringLock());
    if (!mRecord) {
        SetBytes(text, n);
        return;
    }
    *this = JoinBytes(mRecord->buffer + 1, mRecord->length,
                      reinterpret_cast<const unsigned char*>(text), n, mRecord->encoding);
}

void string::Append(const string& other) {
    if (!other.mRecord) return;
    RuntimeLockGuard guard(StringLock());
    if (mRecord && mRecord->encoding != other.mRecord->encoding) {
        *this = StringConcat(*this, other);
        return;
    }
    const uint32_t tag = mRecord ? mRecord->encoding : other.mRecord->encoding;
    *this = JoinBytes(Text(mRecord), Length(), other.mRecord->buffer + 1, other.mRecord->length,
                      tag);
}

namespace {

template <typename Compare>
int CompareStrings(const string& a, const string& b, Compare compare) {
    if (a.Record() == b.Record()) return 0;
    const uint32_t tagA = a.Encoding();
    const uint32_t tagB = b.Encoding();
    if (tagA == tagB || tagA == kEncodingUnknown || tagB == kEncodingUnknown)
        return compare(a.CString(), a.Length(), b.CString(), b.Length());
    string left = a;
    string right = b;
    ReconcileStringEncodings(&left, &right);
    return compare(left.CString(), left.Length(), right.CString(), right.Length());
}

}  // namespace

int string::Compare(const string& a, const string& b) {
    return CompareStrings(a, b, CompareBytes);
}

int string::CompareNoCase(const string& a, const string& b) {
    return CompareStrings(a, b, CompareBytesNoCase);
}

// --- free functions ---

string LeftBytes(const string& s, int32_t n) {
    if (n >= s.Length()) return s;
    if (n <= 0) return string();
    return CopyRange(s, 0, n);
}

string MidBytesFrom(const string& s, int32_t start) {
    RuntimeLockGuard guard(StringLock());
    if (start < 0) start = 0;
    if (start == 0) return s;
    if (start >= s.Length()) return string();
    return CopyRange(s, start, s.Length() - start);
}

string MidBytes(const string& s, int32_t start, int32_t count) {
    RuntimeLockGuard guard(StringLock());
    if (start < 0) {
        count += start;
        start = 0;
    }
    const int32_t length = s.Length();
    if (start >= length || count <= 0) return string();
    if (start == 0 && count == length) return s;
    return CopyRange(s, start, std::min(count, length - start));
}

string RightBytes(const string& s, int32_t n) {
    RuntimeLockGuard guard(StringLock());
    const int32_t length = s.Length();
    if (n >= length) return s;
    if (n <= 0) return string();
    return CopyRange(s, length - n, n);
}

string StringConcat(const string& a, const string& b) {
    RuntimeLockGuard guard(StringLock());
    if (b.IsEmpty()) return a;
    if (a.IsEmpty()) return b;
    const uint32_t tagA = a.Encoding();
    const uint32_t tagB = b.Encoding();
    if (tagA == tagB) {
        return JoinBytes(reinterpret_cast<const unsigned char*>(a.CString()), a.Length(),
                         reinterpret_cast<const unsigned char*>(b.CString()), b.Length(),
                         ConcatenationEncoding(tagA, tagB, false));
    }
    string left = a;
    string right = b;
    const uint32_t tag = ReconcileStringEncodings(&left, &right);
    return JoinBytes(reinterpret_cast<const unsigned char*>(left.CString()), left.Length(),
                     reinterpret_cast<const unsigned char*>(right.CString()), right.Length(), tag);
}

string StringAppendByte(const string& s, unsigned char byte) {
    RuntimeLockGuard guard(StringLock());
    uint32_t tag = kEncodingUnknown;
    if (byte < 0x80) tag = s.IsEmpty() ? kEncodingASCII : ConcatenationEncoding(s.Encoding(), kEncodingASCII, false);
    return JoinBytes(reinterpret_cast<const unsigned char*>(s.CString()), s.Length(), &byte, 1, tag);
}

string StringLTrim(const string& s) {
    RuntimeLockGuard guard(StringLock());
    const auto* text = reinterpret_cast<const unsigned char*>(s.CString());
    const int32_t length = s.Length();
    int32_t start = 0;
    while (start < length && IsBlank(text[start])) ++start;
    return MidBytesFrom(s, start);
}

string StringRTrim(const string& s) {
    RuntimeLockGuard guard(StringLock());
    const auto* text = reinterpret_cast<const unsigned char*>(s.CString());
    int32_t end = s.Length();
    while (end > 0 && IsBlank(text[end - 1])) --end;
    return LeftBytes(s, end);
}

string StringTrim(const string& s) {
    RuntimeLockGuard guard(StringLock());
    return StringLTrim(StringRTrim(s));
}

string StringFromCodePoint(uint32_t codePoint, uint32_t encoding) {
    string result;
    if (encoding == kEncodingUTF16) {
        const uint16_t unit = static_cast<uint16_t>(codePoint);
        result.SetWideText(&unit, 1);
        return result;
    }
    unsigned char bytes[8];
    const int32_t n = Utf8Encode(codePoint, bytes);
    if (result.SetBytes(bytes, n)) result.SetEncoding(kEncodingUTF8);
    if (encoding == kEncodingUTF8) return result;
    return ConvertStringEncoding(result, encoding);
}

// --- number and code texts ---

namespace {

string TaggedBytes(const void* bytes, int32_t n, uint32_t tag) {
    string result;
    if (result.SetBytes(bytes, n)) result.SetEncoding(tag);
    return result;
}

}  // namespace

string StringFromInteger(int32_t value) {
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    return TaggedBytes(digits, static_cast<int32_t>(end - digits), kEncodingASCII);
}

string StringFromHex8(uint32_t value) {
    static const char kDigits[] = "0123456789ABCDEF";
    char digits[8];
    for (int i = 7; i >= 0; --i, value >>= 4) digits[i] = kDigits[value & 0xF];
    return TaggedBytes(digits, 8, kEncodingASCII);
}

// The four bytes of a 32-bit value, most significant first.
static string BigEndianText(uint32_t value, uint32_t tag) {
    const unsigned char bytes[4] = {static_cast<unsigned char>(value >> 24),
                                    static_cast<unsigned char>(value >> 16),
                                    static_cast<unsigned char>(value >> 8),
                                    static_cast<unsigned char>(value)};
    return TaggedBytes(bytes, 4, tag);
}

string StringFromOSType(uint32_t code) { return BigEndianText(code, 0); }  // Mac Roman

// Byte by byte through one-byte ASCII strings, the result is the bytes tagged kEncodingASCII
// whatever their values; made in one step here.
string StringFromUInt16LE(uint16_t value) {
    const unsigned char bytes[2] = {static_cast<unsigned char>(value),
                                    static_cast<unsigned char>(value >> 8)};
    return TaggedBytes(bytes, 2, kEncodingASCII);
}

string StringFromUInt32BE(uint32_t value) { return BigEndianText(value, kEncodingASCII); }

// --- entry points of compiled code ---

extern "C" {

StringRecord* RuntimeLockString(StringRecord* record) {
    StringRecord::AddReference(record);
    return record;
}

// The release behind RuntimeUnlockString. On i686 RuntimeUnlockString is the assembly wrapper in
// RuntimeUnlockString.S that keeps EAX, EDX and ST(0) around this call.
void RuntimeUnlockStringRelease(StringRecord* record) { StringRecord::Release(record); }

#if !defined(__i386__) || defined(_WIN64)
void RuntimeUnlockString(StringRecord* record) { StringRecord::Release(record); }
#endif

void RuntimeLockUnlockStrings(StringRecord* newRecord, StringRecord* oldRecord) {
    if (newRecord == oldRecord) return;
    RuntimeLockString(newRecord);
    RuntimeUnlockString(oldRecord);
}

StringRecord* RuntimeAddString(StringRecord* a, StringRecord* b) {
    const string left(a);
    const string right(b);
    return StringConcat(left, right).Detach();
}

}  // extern "C"
