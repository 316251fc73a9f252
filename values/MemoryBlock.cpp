#include "values/MemoryBlock.h"

#include <cstring>
#include <type_traits>

#include "core/DefinitionConversion.h"
#include "core/Exceptions.h"
#include "core/FailureReport.h"
#include "core/SmallBlockAllocator.h"
#include "core/IntrinsicTypes.h"
#include "core/PropertyAccessors.h"

namespace {

constexpr const char* kSource = "MemoryBlock";
constexpr int32_t kIntegerTypeCode = 1;  // of constant rows

// The machine's byte order, worked out again by every block's initializer.
uint8_t sHostLittleEndian = 1;

MemoryBlockObject* Fields(ObjectHeader* self) { return MemoryBlockFields(self); }

bool ReversedOrder(const MemoryBlockObject* b) {
    return (b->LittleEndian != 0) != (sHostLittleEndian != 0);
}

// Whether an access of width bytes at offset may go ahead; raises OutOfBoundsException when not.
// A block of unknown size checks nothing but a null address.
inline bool Allowed(const MemoryBlockObject* b, int32_t offset, int64_t width, bool reading) {
    bool allowed;
    if (b->sizeKnown)
        allowed = !(reading && b->size == 0) && offset >= 0 && width >= 0 &&
                  static_cast<int64_t>(offset) + width <= b->size;
    else
        allowed = b->data != nullptr;
    if (!allowed) RaiseExceptionDefinition(OutOfBoundsException());
    return allowed;
}

// The value with its bytes in reverse order.
template <typename T>
T Reversed(T value) {
    static_assert(sizeof(T) == 1 || sizeof(T) == 2 || sizeof(T) == 4 || sizeof(T) == 8);
    if constexpr (sizeof(T) == 1) {
        return value;
    } else {
        using Bits = std::conditional_t<sizeof(T) == 2, uint16_t,
                                        std::conditional_t<sizeof(T) == 4, uint32_t, uint64_t>>;
        Bits bits;
        std::memcpy(&bits, &value, sizeof bits);
        if constexpr (sizeof(T) == 2)
            bits = __builtin_bswap16(bits);
        else if constexpr (sizeof(T) == 4)
            bits = __builtin_bswap32(bits);
        else
            bits = __builtin_bswap64(bits);
        std::memcpy(&value, &bits, sizeof bits);
        return value;
    }
}

template <typename T>
T Get(ObjectHeader* self, int32_t offset) {
    MemoryBlockObject* b = Fields(self);
    if (!Allowed(b, offset, sizeof(T), true)) return T{};
    T value;
    std::memcpy(&value, b->data + offset, sizeof(T));
    return ReversedOrder(b) ? Reversed(value) : value;
}

template <typename T>
void Set(ObjectHeader* self, int32_t offset, T value) {
    MemoryBlockObject* b = Fields(self);
    if (!Allowed(b, offset, sizeof(T), false)) return;
    if (ReversedOrder(b)) value = Reversed(value);
    std::memcpy(b->data + offset, &value, sizeof(T));
}

// 16-bit units and colour words follow the block's flag alone: 1 puts the low byte first.
uint32_t ReadFlagOrder(const MemoryBlockObject* b, const unsigned char* p, int n) {
    uint32_t value = 0;
    for (int i = 0; i < n; ++i) {
        const int shift = b->LittleEndian ? 8 * i : 8 * (n - 1 - i);
        value |= static_cast<uint32_t>(p[i]) << shift;
    }
    return value;
}

void WriteFlagOrder(const MemoryBlockObject* b, unsigned char* p, int n, uint32_t value) {
    for (int i = 0; i < n; ++i) {
        const int shift = b->LittleEndian ? 8 * i : 8 * (n - 1 - i);
        p[i] = static_cast<unsigned char>(value >> shift);
    }
}

StringRecord* Bytes(const unsigned char* bytes, int32_t length) {
    string text;
    text.SetBytes(bytes, length);
    text.SetEncoding(kEncodingUnknown);
    return text.Detach();
}

void FreeOwned(MemoryBlockObject* b) {
    if (b->sizeKnown && b->size != 0 && b->data) FreeMemory(b->data, b->size);
}

// Gives the block n bytes of its own copied from bytes (or cleared when bytes is null), freeing
// what it owned; false, the block unchanged, when they cannot be allocated.
bool Own(MemoryBlockObject* b, const void* bytes, int32_t n) {
    if (n < 0) n = 0;
    unsigned char* data = nullptr;
    if (n > 0) {
        data = static_cast<unsigned char*>(AllocateMemory(n, 1));
        if (!data) return false;
        if (bytes)
            std::memcpy(data, bytes, static_cast<size_t>(n));
        else
            std::memset(data, 0, static_cast<size_t>(n));
    }
    FreeOwned(b);
    b->data = data;
    b->size = n;
    b->sizeKnown = 1;
    return true;
}

ParameterEntry kOffset[] = {{"offset", AsType(&kIntegerType), 0, 0, 0, 0}};
ParameterEntry kOffsetLength[] = {{"offset", AsType(&kIntegerType), 0, 0, 0, 0},
                                  {"length", AsType(&kIntegerType), 0, 0, 0, 0}};
ParameterEntry kOffsetBits[] = {{"offset", AsType(&kIntegerType), 0, 0, 0, 0},
                                {"bits", AsType(&kIntegerType), 0, 0, 0, 0}};
ParameterEntry kBytes[] = {{"bytes", AsType(&kIntegerType), 0, 0, 0, 0}};
ParameterEntry kStringValue[] = {{"value", AsType(&kStringType), 0, 0, 0, 0}};
ParameterEntry kPtrValue[] = {{"value", AsType(&kPtrType), 0, 0, 0, 0}};
// Parameters and results of the class's own type are filled in when the definition is built.
ParameterEntry kBlockValue[] = {{"value", nullptr, 0, 0, 0, 0}};

PropertyEntry kMemoryBlockProperties[] = {
    {kRowAttr4, "LittleEndian", AsType(&kBooleanType), RowFunction(boolGetter), "boolGetter",
     RowFunction(boolSetter), "boolSetter", offsetof(MemoryBlockObject, LittleEndian), 0},
    {kRowAttr4, "Size", AsType(&kIntegerType), RowFunction(memoryBlockGetSize),
     "memoryBlockGetSize", RowFunction(memoryBlockSetSize), "memoryBlockSetSize", 0, 0},
};

#define QV_ACCESSOR(name, result, parameters, count, getter, setter)                            \
    {name, result, parameters, count, Function(getter, #getter), Function(setter, #setter), \
     kMethodPlain, kRowAttr4, 0}
#define QV_METHOD(name, result, parameters, count, function) \
    {name, result, parameters, count, Function(function, #function), {}, kMethodPlain, kRowAttr4, 0}

MethodEntry kMemoryBlockMethods[] = {
    QV_ACCESSOR("Long", AsType(&kIntegerType), kOffset, 1, memoryGetLong, memorySetLong),
    QV_ACCESSOR("Ptr", nullptr, kOffset, 1, memoryGetPtr, memorySetPtr),
    QV_ACCESSOR("Short", AsType(&kIntegerType), kOffset, 1, memoryGetShort, memorySetShort),
    QV_ACCESSOR("UShort", AsType(&kIntegerType), kOffset, 1, memoryGetUShort, memorySetShort),
    QV_ACCESSOR("Byte", AsType(&kIntegerType), kOffset, 1, memoryGetByte, memorySetByte),
    QV_ACCESSOR("PString", AsType(&kStringType), kOffset, 1, memoryGetPString, memorySetPString),
    QV_ACCESSOR("CString", AsType(&kStringType), kOffset, 1, memoryGetCString, memorySetCString),
    QV_ACCESSOR("WString", AsType(&kStringType), kOffset, 1, memoryGetWString, memorySetWString),
    QV_ACCESSOR("SingleValue", AsType(&kDoubleType), kOffset, 1, memoryGetSingle, memorySetSingle),
    QV_ACCESSOR("DoubleValue", AsType(&kDoubleType), kOffset, 1, memoryGetDouble, memorySetDouble),
    QV_ACCESSOR("StringValue", AsType(&kStringType), kOffsetLength, 2, memoryGetString,
                memorySetString),
    QV_ACCESSOR("BooleanValue", AsType(&kBooleanType), kOffset, 1, memoryGetBoolean,
                memorySetBoolean),
    QV_ACCESSOR("ColorValue", AsType(&kColorType), kOffsetBits, 2, memoryGetColor, memorySetColor),
    QV_METHOD("MemoryBlock", nullptr, kBytes, 1, memoryBlockNewConstructor),
    QV_METHOD("Operator_Convert", AsType(&kStringType), nullptr, 0, MemoryBlockToStringOperator),
    QV_METHOD("Operator_Convert", nullptr, kStringValue, 1, MemoryBlockFromStringOperator),
    QV_METHOD("Operator_Add", nullptr, kBlockValue, 1, MemoryBlockAddOperator),
    QV_METHOD("Operator_Compare", AsType(&kIntegerType), kBlockValue, 1,
              MemoryBlockCompareOperator),
    QV_METHOD("Operator_Convert", AsType(&kPtrType), nullptr, 0, memoryBlockGetPtr),
    QV_METHOD("Operator_Convert", nullptr, kPtrValue, 1, ConvertPtrToMemoryBlock),
    QV_METHOD("LeftB", nullptr, kBytes, 1, MemoryBlockLeftB),
    QV_METHOD("MidB", nullptr, kOffset, 1, MemoryBlockMidB2),
    QV_METHOD("MidB", nullptr, kOffsetLength, 2, MemoryBlockMidB3),
    QV_METHOD("RightB", nullptr, kBytes, 1, MemoryBlockRightB),
};

#undef QV_METHOD
#undef QV_ACCESSOR

// The rows whose result is a MemoryBlock.
const void* const kBlockResults[] = {
    reinterpret_cast<const void*>(memoryGetPtr), reinterpret_cast<const void*>(MemoryBlockAddOperator),
    reinterpret_cast<const void*>(MemoryBlockLeftB), reinterpret_cast<const void*>(MemoryBlockMidB2),
    reinterpret_cast<const void*>(MemoryBlockMidB3), reinterpret_cast<const void*>(MemoryBlockRightB)};

ConstantEntry kMemoryBlockConstants[] = {{0, "SizeUnknown", kIntegerTypeCode, "-1"}};

const ClassRows kMemoryBlockRows = {
    .className = "MemoryBlock",
    .superclass = nullptr,
    .objectSize = sizeof(MemoryBlockObject),
    .initializer = Function(MemoryBlockInitializer, "MemoryBlockInitializer"),
    .finalizer = Function(MemoryBlockFinalizer, "MemoryBlockFinalizer"),
    .properties = kMemoryBlockProperties,
    .methods = kMemoryBlockMethods,
    .constants = kMemoryBlockConstants,
};

}  // namespace

ObjectDefinition* GetMemoryBlockDefinition() {
    static ObjectDefinition definition;
    if (definition.className.IsEmpty()) {
        const TypeDescriptor* block = definition.AsType();
        kBlockValue[0].parameterType = block;
        for (MethodEntry& row : kMemoryBlockMethods)
            for (const void* function : kBlockResults)
                if (row.function.toc == function) row.returnType = block;
    }
    return FillClassDefinition(definition, kMemoryBlockRows);
}

bool IsMemoryBlock(ObjectHeader* object) {
    return object && RuntimeObjectIsa(object, LookupObjectDefinition(GetMemoryBlockDefinition()));
}

void SetMemoryBlockSize(ObjectHeader* self, int32_t n) {
    MemoryBlockObject* b = Fields(self);
    if (n == b->size) return;
    if (n < 0) {
        RaiseExceptionDefinition(OutOfBoundsException());
        return;
    }
    if (n == 0) {
        FreeOwned(b);
        b->data = nullptr;
        b->size = 0;
        b->sizeKnown = 1;
        return;
    }
    auto* data = static_cast<unsigned char*>(AllocateMemory(n, 1));
    if (!data) {
        RaiseExceptionDefinition(OutOfMemoryException());
        return;
    }
    // The outside memory of a block of unknown size is not its to copy: it counts as 0 bytes.
    const int32_t kept = b->sizeKnown ? (b->size < n ? b->size : n) : 0;
    if (kept > 0) std::memcpy(data, b->data, static_cast<size_t>(kept));
    std::memset(data + kept, 0, static_cast<size_t>(n - kept));
    FreeOwned(b);
    b->data = data;
    b->size = n;
    b->sizeKnown = 1;
}

extern "C" {

ObjectHeader* CreateMemoryBlock(int32_t n) {
    if (n < 0) return nullptr;
    unsigned char* data = nullptr;
    if (n > 0 && !(data = static_cast<unsigned char*>(AllocateMemory(n, 1)))) return nullptr;
    ObjectHeader* block = CreateInstance(GetMemoryBlockDefinition());
    if (!block) {
        if (data) FreeMemory(data, n);
        return nullptr;
    }
    Fields(block)->size = n;
    Fields(block)->data = data;
    Fields(block)->sizeKnown = 1;
    return block;
}

ObjectHeader* newMemoryBlock(int32_t n) {
    ObjectHeader* block = CreateMemoryBlock(n);
    if (block && n > 0) std::memset(Fields(block)->data, 0, static_cast<size_t>(n));
    return block;
}

ObjectHeader* PtrToMemoryBlock(void* address) {
    ObjectHeader* block = CreateInstance(GetMemoryBlockDefinition());
    if (block) ConvertPtrToMemoryBlock(block, address);
    return block;
}

void MemoryBlockInitializer(ObjectHeader* self) {
    const uint32_t probe = 0x12345678;
    unsigned char first;
    std::memcpy(&first, &probe, 1);
    if (first == 0x12)
        sHostLittleEndian = 0;
    else if (first == 0x78)
        sHostLittleEndian = 1;
    else
        ReportAssertion(kSource, __LINE__, "0");
    Fields(self)->LittleEndian = sHostLittleEndian;
}

void MemoryBlockFinalizer(ObjectHeader* self) {
    FreeOwned(Fields(self));
    Fields(self)->data = nullptr;
    Fields(self)->size = 0;
}

void memoryBlockNewConstructor(ObjectHeader* self, int32_t bytes) {
    if (!Own(Fields(self), nullptr, bytes)) RaiseExceptionDefinition(OutOfMemoryException());
}

void ConvertPtrToMemoryBlock(ObjectHeader* self, void* address) {
    if (!self) {
        ReportAssertion(kSource, __LINE__, "self");
        return;
    }
    MemoryBlockObject* b = Fields(self);
    FreeOwned(b);
    b->size = 0;
    b->data = static_cast<unsigned char*>(address);
    b->sizeKnown = 0;
}

void MemoryBlockFromStringOperator(ObjectHeader* self, StringRecord* text) {
    const string s(text);
    if (!Own(Fields(self), s.CString(), s.Length())) RaiseExceptionDefinition(OutOfMemoryException());
}

int32_t memoryBlockGetSize(ObjectHeader* self, int32_t) {
    return Fields(self)->sizeKnown ? Fields(self)->size : -1;
}

void memoryBlockSetSize(ObjectHeader* self, int32_t, int32_t size) { SetMemoryBlockSize(self, size); }

void* memoryBlockGetPtr(ObjectHeader* self) { return self ? Fields(self)->data : nullptr; }

StringRecord* MemoryBlockToStringOperator(ObjectHeader* self) {
    const MemoryBlockObject* b = Fields(self);
    if (!b->sizeKnown || b->size <= 0) return nullptr;
    return Bytes(b->data, b->size);
}

ObjectHeader* MemoryBlockAddOperator(ObjectHeader* a, ObjectHeader* b) {
    const int32_t sizeA = a ? Fields(a)->size : 0;
    const int32_t sizeB = b ? Fields(b)->size : 0;
    ObjectHeader* sum = CreateMemoryBlock(sizeA + sizeB);
    if (!sum) return nullptr;
    if (sizeA > 0) std::memcpy(Fields(sum)->data, Fields(a)->data, static_cast<size_t>(sizeA));
    if (sizeB > 0)
        std::memcpy(Fields(sum)->data + sizeA, Fields(b)->data, static_cast<size_t>(sizeB));
    return sum;
}

int32_t MemoryBlockCompareOperator(ObjectHeader* a, ObjectHeader* b) {
    if (a == b) return 0;
    if ((!a && Fields(b)->size == 0) || (!b && Fields(a)->size == 0)) return 0;
    if (!a) return -1;
    if (!b) return 1;
    const MemoryBlockObject* x = Fields(a);
    const MemoryBlockObject* y = Fields(b);
    if (x->data == y->data) return 0;
    const int32_t shorter = x->size < y->size ? x->size : y->size;
    for (int32_t i = 0; i < shorter; ++i)
        if (x->data[i] != y->data[i]) return static_cast<int32_t>(x->data[i]) - y->data[i];
    if (x->size == y->size) return 0;
    return x->size < y->size ? -1 : 1;
}

ObjectHeader* MemoryBlockMidB3(ObjectHeader* self, int32_t offset, int32_t length) {
    const MemoryBlockObject* b = Fields(self);
    int64_t start = offset, count = length;
    if (start < 0) {
        count += start;
        start = 0;
    }
    if (start >= b->size) return nullptr;
    if (start + count > b->size) count = b->size - start;
    if (count <= 0) return nullptr;
    ObjectHeader* part = CreateMemoryBlock(static_cast<int32_t>(count));
    if (!part) return nullptr;
    std::memcpy(Fields(part)->data, b->data + start, static_cast<size_t>(count));
    Fields(part)->LittleEndian = b->LittleEndian;
    return part;
}

ObjectHeader* MemoryBlockMidB2(ObjectHeader* self, int32_t offset) {
    const int64_t rest = static_cast<int64_t>(memoryBlockGetSize(self, 0)) - offset;
    return MemoryBlockMidB3(self, offset, rest > INT32_MAX ? INT32_MAX : static_cast<int32_t>(rest));
}

ObjectHeader* MemoryBlockLeftB(ObjectHeader* self, int32_t bytes) {
    return MemoryBlockMidB3(self, 0, bytes);
}

ObjectHeader* MemoryBlockRightB(ObjectHeader* self, int32_t bytes) {
    const int64_t start = static_cast<int64_t>(memoryBlockGetSize(self, 0)) - bytes;
    if (start < INT32_MIN) return nullptr;
    return MemoryBlockMidB3(self, static_cast<int32_t>(start), bytes);
}

int32_t memoryGetLong(ObjectHeader* self, int32_t offset) { return Get<int32_t>(self, offset); }
void memorySetLong(ObjectHeader* self, int32_t offset, int32_t value) { Set(self, offset, value); }

ObjectHeader* memoryGetPtr(ObjectHeader* self, int32_t offset) {
    const uint32_t address = Get<uint32_t>(self, offset);
    return address ? PtrToMemoryBlock(reinterpret_cast<void*>(static_cast<uintptr_t>(address)))
                   : nullptr;
}

void memorySetPtr(ObjectHeader* self, int32_t offset, ObjectHeader* block) {
    Set(self, offset, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(memoryBlockGetPtr(block))));
}

int32_t memoryGetShort(ObjectHeader* self, int32_t offset) { return Get<int16_t>(self, offset); }
int32_t memoryGetUShort(ObjectHeader* self, int32_t offset) { return Get<uint16_t>(self, offset); }
void memorySetShort(ObjectHeader* self, int32_t offset, int32_t value) {
    Set(self, offset, static_cast<uint16_t>(value));
}

int32_t memoryGetByte(ObjectHeader* self, int32_t offset) { return Get<uint8_t>(self, offset); }
void memorySetByte(ObjectHeader* self, int32_t offset, int32_t value) {
    Set(self, offset, static_cast<uint8_t>(value));
}

bool memoryGetBoolean(ObjectHeader* self, int32_t offset) { return Get<uint8_t>(self, offset) != 0; }
void memorySetBoolean(ObjectHeader* self, int32_t offset, bool value) {
    Set(self, offset, static_cast<uint8_t>(value ? 1 : 0));
}

double memoryGetSingle(ObjectHeader* self, int32_t offset) { return Get<float>(self, offset); }
void memorySetSingle(ObjectHeader* self, int32_t offset, double value) {
    Set(self, offset, static_cast<float>(value));
}

double memoryGetDouble(ObjectHeader* self, int32_t offset) { return Get<double>(self, offset); }
void memorySetDouble(ObjectHeader* self, int32_t offset, double value) { Set(self, offset, value); }

StringRecord* memoryGetString(ObjectHeader* self, int32_t offset, int32_t length) {
    if (length <= 0) return nullptr;
    const MemoryBlockObject* b = Fields(self);
    return Allowed(b, offset, length, true) ? Bytes(b->data + offset, length) : nullptr;
}

void memorySetString(ObjectHeader* self, int32_t offset, int32_t length, StringRecord* text) {
    MemoryBlockObject* b = Fields(self);
    if (!Allowed(b, offset, length, false) || length <= 0) return;
    const int32_t n = StringRecord::Length(text) < length ? StringRecord::Length(text) : length;
    if (n > 0) std::memcpy(b->data + offset, text->buffer + 1, static_cast<size_t>(n));
    std::memset(b->data + offset + n, 0, static_cast<size_t>(length - n));
}

StringRecord* memoryGetPString(ObjectHeader* self, int32_t offset) {
    const MemoryBlockObject* b = Fields(self);
    if (!Allowed(b, offset, 1, true)) return nullptr;
    const int32_t n = b->data[offset];
    if (!Allowed(b, offset, 1 + n, true)) return nullptr;
    return Bytes(b->data + offset + 1, n);
}

// A text of more than 255 bytes is cut to 255, so the count byte tells its length.
void memorySetPString(ObjectHeader* self, int32_t offset, StringRecord* text) {
    MemoryBlockObject* b = Fields(self);
    int32_t n = StringRecord::Length(text);
    if (n > 255) n = 255;
    if (!Allowed(b, offset, n + 1, false)) return;
    b->data[offset] = static_cast<unsigned char>(n);
    if (n > 0) std::memcpy(b->data + offset + 1, text->buffer + 1, static_cast<size_t>(n));
}

// Stops at the first zero byte, and in a block of known size at its end.
StringRecord* memoryGetCString(ObjectHeader* self, int32_t offset) {
    const MemoryBlockObject* b = Fields(self);
    if (!Allowed(b, offset, 1, true)) return nullptr;
    const unsigned char* start = b->data + offset;
    int32_t n = 0;
    if (b->sizeKnown) {
        const void* zero = std::memchr(start, 0, static_cast<size_t>(b->size - offset));
        n = zero ? static_cast<int32_t>(static_cast<const unsigned char*>(zero) - start)
                 : b->size - offset;
    } else {
        n = static_cast<int32_t>(std::strlen(reinterpret_cast<const char*>(start)));
    }
    return Bytes(start, n);
}

void memorySetCString(ObjectHeader* self, int32_t offset, StringRecord* text) {
    MemoryBlockObject* b = Fields(self);
    const int32_t n = StringRecord::Length(text);
    if (!Allowed(b, offset, static_cast<int64_t>(n) + 1, false)) return;
    if (n > 0) std::memcpy(b->data + offset, text->buffer + 1, static_cast<size_t>(n));
    b->data[offset + n] = 0;
}

// Units up to the first zero unit: in a block of known size only those that lie wholly inside
// it; in a block of unknown size as far as the zero unit.
StringRecord* memoryGetWString(ObjectHeader* self, int32_t offset) {
    const MemoryBlockObject* b = Fields(self);
    if (!Allowed(b, offset, 1, true)) return nullptr;
    const unsigned char* start = b->data + offset;
    int32_t count = 0;
    for (;; ++count) {
        if (b->sizeKnown && static_cast<int64_t>(offset) + 2 * count + 1 >= b->size) break;
        if (ReadFlagOrder(b, start + 2 * count, 2) == 0) break;
    }
    string text;
    auto* units = reinterpret_cast<unsigned char*>(text.SetWideText(nullptr, count));
    for (int32_t i = 0; units && i < count; ++i) {
        const uint32_t unit = ReadFlagOrder(b, start + 2 * i, 2);
        units[2 * i] = static_cast<unsigned char>(unit);
        units[2 * i + 1] = static_cast<unsigned char>(unit >> 8);
    }
    return text.Detach();
}

void memorySetWString(ObjectHeader* self, int32_t offset, StringRecord* text) {
    MemoryBlockObject* b = Fields(self);
    string wide(text);
    if (!wide.IsEmpty() && !IsUTF16FamilyEncoding(wide.Encoding())) wide = wide.ToUTF16();
    const int32_t n = wide.Length() / 2;
    if (!Allowed(b, offset, 2 * static_cast<int64_t>(n) + 2, false)) return;
    const auto* bytes = reinterpret_cast<const unsigned char*>(wide.CString());
    for (int32_t i = 0; i < n; ++i) {
        const uint32_t unit = bytes[2 * i] | static_cast<uint32_t>(bytes[2 * i + 1]) << 8;
        WriteFlagOrder(b, b->data + offset + 2 * i, 2, unit);
    }
    WriteFlagOrder(b, b->data + offset + 2 * n, 2, 0);
}

uint32_t memoryGetColor(ObjectHeader* self, int32_t offset, int32_t bits) {
    const MemoryBlockObject* b = Fields(self);
    if (!Allowed(b, offset, bits / 8, true)) return 0;
    const unsigned char* p = b->data + offset;
    switch (bits) {
        case 32:
            return ReadFlagOrder(b, p, 4) & 0x00FFFFFF;
        case 24:
            return ReadFlagOrder(b, p, 3);
        case 16: {
            const uint32_t u = ReadFlagOrder(b, p, 2);
            return ((u & 0x7C00) << 9) | ((u & 0x3E0) << 6) | ((u & 0x1F) << 3);
        }
        default:
            return 0;
    }
}

void memorySetColor(ObjectHeader* self, int32_t offset, int32_t bits, uint32_t color) {
    MemoryBlockObject* b = Fields(self);
    if (bits != 32 && bits != 24 && bits != 16) return;
    if (!Allowed(b, offset, bits / 8, false)) return;
    unsigned char* p = b->data + offset;
    if (bits == 32)
        WriteFlagOrder(b, p, 4, color);
    else if (bits == 24)
        WriteFlagOrder(b, p, 3, color);
    else
        WriteFlagOrder(b, p, 2, ((color >> 9) & 0x7C00) | ((color >> 6) & 0x3E0) | ((color >> 3) & 0x1F));
}

}  // extern "C"
