#include "BinaryStream.h"

#include <cstddef>
#include <cstring>
#include <utility>

#include "MemoryBlockStream.h"
#include "values/TextEncodingObjects.h"
#include "MemoryStream.h"
#include "StreamText.h"
#include "core/DefinitionConversion.h"
#include "core/Exceptions.h"
#include "core/FailureReport.h"
#include "core/IntrinsicRegistry.h"
#include "host/Application.h"
#include "core/IntrinsicTypes.h"
#include "core/PropertyAccessors.h"
#include "values/MemoryBlock.h"

#undef EOF

namespace {

constexpr const char* kSource = "runFileAccess";

BinaryStreamObject* Fields(ObjectHeader* self) {
    return reinterpret_cast<BinaryStreamObject*>(self);
}

// The object's open stream; null when closed. A missing object is a failed assertion.
ByteStream* Mechanism(ObjectHeader* self) {
    if (!self) {
        ReportAssertion(kSource, __LINE__, "stream");
        return nullptr;
    }
    return Fields(self)->mechanism;
}

// The stream is big-endian unless LittleEndian is set; the host is little-endian.
template <typename T>
T InStreamOrder(ObjectHeader* self, T value) {
    if (Fields(self)->LittleEndian) return value;
    unsigned char bytes[sizeof(T)];
    std::memcpy(bytes, &value, sizeof(T));
    for (size_t i = 0; i < sizeof(T) / 2; ++i) std::swap(bytes[i], bytes[sizeof(T) - 1 - i]);
    std::memcpy(&value, bytes, sizeof(T));
    return value;
}

// A value of T read whole, or zero.
template <typename T>
T ReadValue(ObjectHeader* self) {
    ByteStream* stream = Mechanism(self);
    T value{};
    int32_t count = 0;
    if (!stream || !stream->Read(&value, sizeof(T), &count) || count != sizeof(T)) return T{};
    return InStreamOrder(self, value);
}

template <typename T>
void WriteValue(ObjectHeader* self, T value) {
    if (ByteStream* stream = Mechanism(self)) {
        value = InStreamOrder(self, value);
        stream->Write(&value, sizeof(T));
    }
}

PropertyEntry kBinaryStreamProperties[] = {
    {kRowAttr4, "LittleEndian", AsType(&kBooleanType), RowFunction(boolGetter), "boolGetter",
     RowFunction(boolSetter), "boolSetter", offsetof(BinaryStreamObject, LittleEndian), 0},
    {kRowAttr4, "Length", AsType(&kIntegerType), RowFunction(BinaryStreamGetLength),
     "BinaryStreamGetLength", RowFunction(BinaryStreamSetLength), "BinaryStreamSetLength", 0, 0},
    {kRowAttr4, "Position", AsType(&kIntegerType), RowFunction(BinaryStreamGetPosition),
     "BinaryStreamGetPosition", RowFunction(BinaryStreamSetPosition), "BinaryStreamSetPosition",
     0, 0},
    {kRowAttr4, "LastErrorCode", AsType(&kIntegerType), RowFunction(BinaryStreamLastErrorGetter),
     "BinaryStreamLastErrorGetter", nullptr, nullptr, 0, 0},
};

// The encoding parameters get the TextEncoding type when the definition is built.
ParameterEntry kEncodingParameter[] = {{"encoding", nullptr, 0, 1, 0, 0}};
ParameterEntry kReadParameters[] = {{"byteCount", AsType(&kIntegerType), 0, 0, 0, 0},
                                    {"encoding", nullptr, 0, 1, 0, 0}};
ParameterEntry kIntegerValue[] = {{"value", AsType(&kIntegerType), 0, 0, 0, 0}};
ParameterEntry kStringValue[] = {{"value", AsType(&kStringType), 0, 0, 0, 0}};
ParameterEntry kDoubleValue[] = {{"value", AsType(&kDoubleType), 0, 0, 0, 0}};
ParameterEntry kBooleanValue[] = {{"value", AsType(&kBooleanType), 0, 0, 0, 0}};
ParameterEntry kStringCtorParameters[] = {{"aString", AsType(&kStringType), 0, 0, 0, 0}};
// The MemoryBlock type is filled in when the definition is built.
ParameterEntry kMemoryBlockCtorParameters[] = {{"aMemoryBlock", nullptr, 0, 0, 0, 0}};

#define QV_METHOD(name, result, parameters, count, function) \
    {name, result, parameters, count, Function(function, #function), {}, kMethodPlain, kRowAttr4, 0}

MethodEntry kBinaryStreamMethods[] = {
    QV_METHOD("ReadByte", AsType(&kIntegerType), nullptr, 0, BinaryStreamReadByte),
    QV_METHOD("ReadShort", AsType(&kIntegerType), nullptr, 0, BinaryStreamReadShort),
    QV_METHOD("ReadLong", AsType(&kIntegerType), nullptr, 0, BinaryStreamReadLong),
    QV_METHOD("ReadPString", AsType(&kStringType), kEncodingParameter, 1, BinaryStreamReadPString),
    QV_METHOD("ReadSingle", AsType(&kDoubleType), nullptr, 0, BinaryStreamReadFloat),
    QV_METHOD("ReadDouble", AsType(&kDoubleType), nullptr, 0, BinaryStreamReadDouble),
    QV_METHOD("ReadBoolean", AsType(&kBooleanType), nullptr, 0, BinaryStreamReadBoolean),
    QV_METHOD("Read", AsType(&kStringType), kReadParameters, 2, BinaryStreamRead),
    QV_METHOD("WriteByte", nullptr, kIntegerValue, 1, BinaryStreamWriteByte),
    QV_METHOD("WriteShort", nullptr, kIntegerValue, 1, BinaryStreamWriteShort),
    QV_METHOD("WriteLong", nullptr, kIntegerValue, 1, BinaryStreamWriteLong),
    QV_METHOD("WritePString", nullptr, kStringValue, 1, BinaryStreamWritePString),
    QV_METHOD("WriteSingle", nullptr, kDoubleValue, 1, BinaryStreamWriteFloat),
    QV_METHOD("WriteDouble", nullptr, kDoubleValue, 1, BinaryStreamWriteDouble),
    QV_METHOD("WriteBoolean", nullptr, kBooleanValue, 1, BinaryStreamWriteBoolean),
    QV_METHOD("Write", nullptr, kStringValue, 1, BinaryStreamWrite),
    QV_METHOD("Close", nullptr, nullptr, 0, BinaryStreamClose),
    QV_METHOD("Flush", nullptr, nullptr, 0, BinaryStreamFlush),
    QV_METHOD("WriteError", AsType(&kBooleanType), nullptr, 0, BinaryStreamLastErrorGetter),
    QV_METHOD("EOF", AsType(&kBooleanType), nullptr, 0, BinaryStreamEOF),
    QV_METHOD("ReadError", AsType(&kBooleanType), nullptr, 0, BinaryStreamLastErrorGetter),
    QV_METHOD("Constructor", nullptr, kStringCtorParameters, 1, BinaryStringStringCtor),
    QV_METHOD("Constructor", nullptr, kMemoryBlockCtorParameters, 1, BinaryStringMemoryBlockCtor),
};

#undef QV_METHOD

const DefinitionFunction kBinaryStreamInterfaces[] = {Readable, Writeable};

const ClassRows kBinaryStreamRows = {
    .className = "BinaryStream",
    .superclass = nullptr,
    .objectSize = sizeof(BinaryStreamObject),
    .initializer = Function(BinaryStreamInitializer, "BinaryStreamInitializer"),
    .finalizer = Function(BinaryStreamDestructor, "BinaryStreamDestructor"),
    .properties = kBinaryStreamProperties,
    .methods = kBinaryStreamMethods,
    .interfaces = kBinaryStreamInterfaces,
};

}  // namespace

ObjectDefinition* GetBinaryStreamDefinition() {
    static ObjectDefinition definition;
    kEncodingParameter[0].parameterType = kReadParameters[1].parameterType =
        GetTextEncodingDefinition()->AsType();
    kMemoryBlockCtorParameters[0].parameterType = GetMemoryBlockDefinition()->AsType();
    return FillClassDefinition(definition, kBinaryStreamRows);
}

void RegisterBinaryStreamClass() { RegisterIntrinsicClass(GetBinaryStreamDefinition()); }

ObjectHeader* NewBinaryStream(ByteStream* stream) {
    ObjectHeader* object = CreateInstance(GetBinaryStreamDefinition());
    if (!object) {
        delete stream;
        return nullptr;
    }
    Fields(object)->mechanism = stream;
    return object;
}

extern "C" {

void BinaryStreamInitializer(ObjectHeader* self) {
    Fields(self)->mechanism = nullptr;
    Fields(self)->LittleEndian = 0;
    Fields(self)->savedLastError = 0;
}

void BinaryStreamDestructor(ObjectHeader* self) { BinaryStreamClose(self); }

int32_t BinaryStreamGetLength(ObjectHeader* self, int32_t) {
    ByteStream* stream = Mechanism(self);
    return stream ? stream->Length() : 0;
}

void BinaryStreamSetLength(ObjectHeader* self, int32_t, int32_t length) {
    if (ByteStream* stream = Mechanism(self)) stream->SetLength(length);
}

int32_t BinaryStreamGetPosition(ObjectHeader* self, int32_t) {
    ByteStream* stream = Mechanism(self);
    return stream ? stream->Position() : 0;
}

void BinaryStreamSetPosition(ObjectHeader* self, int32_t, int32_t position) {
    if (ByteStream* stream = Mechanism(self)) stream->SetPosition(position);
}

int32_t BinaryStreamLastErrorGetter(ObjectHeader* self, int32_t) {
    if (!self) {
        ReportAssertion(kSource, __LINE__, "obj", "No binary stream to get last error code on!");
        return 0;
    }
    const BinaryStreamObject* fields = Fields(self);
    return fields->mechanism ? fields->mechanism->LastError() : fields->savedLastError;
}

int32_t BinaryStreamReadByte(ObjectHeader* self) { return ReadValue<uint8_t>(self); }

int32_t BinaryStreamReadShort(ObjectHeader* self) { return ReadValue<int16_t>(self); }

int32_t BinaryStreamReadLong(ObjectHeader* self) { return ReadValue<int32_t>(self); }

StringRecord* BinaryStreamReadPString(ObjectHeader* self, ObjectHeader* encoding) {
    ByteStream* stream = Mechanism(self);
    if (!stream) return nullptr;
    uint8_t length = 0;
    int32_t count = 0;
    if (!stream->Read(&length, 1, &count) || count != 1 || length == 0) return nullptr;
    return ReadStringBytes(*stream, length, GetEncodingFromTEObject(encoding)).Detach();
}

double BinaryStreamReadFloat(ObjectHeader* self) { return ReadValue<float>(self); }

double BinaryStreamReadDouble(ObjectHeader* self) { return ReadValue<double>(self); }

bool BinaryStreamReadBoolean(ObjectHeader* self) { return ReadValue<uint8_t>(self) != 0; }

StringRecord* BinaryStreamRead(ObjectHeader* self, int32_t byteCount, ObjectHeader* encoding) {
    ByteStream* stream = Mechanism(self);
    if (!stream) return nullptr;
    const int64_t left = int64_t{stream->Length()} - stream->Position();
    if (byteCount > left) byteCount = static_cast<int32_t>(left);
    if (byteCount <= 0) return nullptr;
    return ReadStringBytes(*stream, byteCount, GetEncodingFromTEObject(encoding)).Detach();
}

void BinaryStreamWriteByte(ObjectHeader* self, int32_t value) {
    WriteValue(self, static_cast<uint8_t>(value));
}

void BinaryStreamWriteShort(ObjectHeader* self, int32_t value) {
    WriteValue(self, static_cast<int16_t>(value));
}

void BinaryStreamWriteLong(ObjectHeader* self, int32_t value) { WriteValue(self, value); }

// One length byte, then at most 255 bytes of the string.
void BinaryStreamWritePString(ObjectHeader* self, StringRecord* value) {
    ByteStream* stream = Mechanism(self);
    if (!stream) return;
    const int32_t length = StringRecord::Length(value);
    unsigned char bytes[256];
    bytes[0] = static_cast<unsigned char>(length > 255 ? 255 : length);
    if (bytes[0]) std::memcpy(bytes + 1, StringRecord::CString(value), bytes[0]);
    stream->Write(bytes, bytes[0] + 1);
}

void BinaryStreamWriteFloat(ObjectHeader* self, double value) {
    WriteValue(self, static_cast<float>(value));
}

void BinaryStreamWriteDouble(ObjectHeader* self, double value) { WriteValue(self, value); }

void BinaryStreamWriteBoolean(ObjectHeader* self, bool value) {
    WriteValue(self, static_cast<uint8_t>(value ? 1 : 0));
}

void BinaryStreamWrite(ObjectHeader* self, StringRecord* value) {
    ByteStream* stream = Mechanism(self);
    const int32_t length = StringRecord::Length(value);
    if (stream && length > 0) stream->Write(StringRecord::CString(value), length);
}

void BinaryStreamClose(ObjectHeader* self) {
    if (!self) {
        ReportAssertion(kSource, __LINE__, "stream");
        return;
    }
    CloseOwnedStream(Fields(self)->mechanism, Fields(self)->savedLastError);
}

void BinaryStreamFlush(ObjectHeader* self) {
    if (self && Fields(self)->mechanism) Fields(self)->mechanism->Flush();
}

bool BinaryStreamEOF(ObjectHeader* self) {
    ByteStream* stream = Mechanism(self);
    return !stream || stream->EOF();
}

// A read-only stream over the string's bytes: writes and resizes fail with code 100.
void BinaryStringStringCtor(ObjectHeader* self, StringRecord* text) {
    if (!self) return;
    StringStream* stream = new StringStream;
    if (!stream) {
        ReportAssertion(kSource, __LINE__, "obj->mechanism");
        return;
    }
    stream->SetString(string(text));
    Fields(self)->mechanism = stream;
}

// The stream takes the block's byte order as it is now; a nil block raises NilObjectException
// and leaves the object without a stream.
void BinaryStringMemoryBlockCtor(ObjectHeader* self, ObjectHeader* block) {
    if (!self) return;
    MemoryBlockStream* stream = new MemoryBlockStream;
    if (!stream) {
        ReportAssertion(kSource, __LINE__, "obj->mechanism");
        return;
    }
    stream->Attach(block);
    if (!block) {
        delete stream;
        return;
    }
    Fields(self)->LittleEndian = MemoryBlockFields(block)->LittleEndian;
    Fields(self)->mechanism = stream;
}

}  // extern "C"
