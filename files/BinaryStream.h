// The language class BinaryStream: typed binary values over an owned byte stream, big-endian
// unless LittleEndian is set, keeping the stream's last error code once it is closed.
#pragma once

#include <cstdint>

#include "ByteStream.h"
#include "core/ClassDefinition.h"
#include "core/ObjectModel.h"

// Fixed by the class definition's field offsets.
struct BinaryStreamObject {
    ObjectHeader header;
    ByteStream* mechanism;  // owned; null once closed
    uint8_t LittleEndian;
    int32_t savedLastError;
};

ObjectDefinition* GetBinaryStreamDefinition();
void RegisterBinaryStreamClass();

// A new BinaryStream (one reference, the caller's) that owns the stream; nil, the stream deleted,
// when no object can be made.
ObjectHeader* NewBinaryStream(ByteStream* stream);

extern "C" {
void BinaryStreamInitializer(ObjectHeader* self);
void BinaryStreamDestructor(ObjectHeader* self);
int32_t BinaryStreamGetLength(ObjectHeader* self, int32_t parameter);
void BinaryStreamSetLength(ObjectHeader* self, int32_t parameter, int32_t length);
int32_t BinaryStreamGetPosition(ObjectHeader* self, int32_t parameter);
void BinaryStreamSetPosition(ObjectHeader* self, int32_t parameter, int32_t position);
// Also ReadError and WriteError: their Boolean is the low byte of the code.
int32_t BinaryStreamLastErrorGetter(ObjectHeader* self, int32_t parameter);
int32_t BinaryStreamReadByte(ObjectHeader* self);
int32_t BinaryStreamReadShort(ObjectHeader* self);
int32_t BinaryStreamReadLong(ObjectHeader* self);
StringRecord* BinaryStreamReadPString(ObjectHeader* self, ObjectHeader* encoding);
double BinaryStreamReadFloat(ObjectHeader* self);
double BinaryStreamReadDouble(ObjectHeader* self);
bool BinaryStreamReadBoolean(ObjectHeader* self);
StringRecord* BinaryStreamRead(ObjectHeader* self, int32_t byteCount, ObjectHeader* encoding);
void BinaryStreamWriteByte(ObjectHeader* self, int32_t value);
void BinaryStreamWriteShort(ObjectHeader* self, int32_t value);
void BinaryStreamWriteLong(ObjectHeader* self, int32_t value);
void BinaryStreamWritePString(ObjectHeader* self, StringRecord* value);
void BinaryStreamWriteFloat(ObjectHeader* self, double value);
void BinaryStreamWriteDouble(ObjectHeader* self, double value);
void BinaryStreamWriteBoolean(ObjectHeader* self, bool value);
void BinaryStreamWrite(ObjectHeader* self, StringRecord* value);
void BinaryStreamClose(ObjectHeader* self);
void BinaryStreamFlush(ObjectHeader* self);
bool BinaryStreamEOF(ObjectHeader* self);
void BinaryStringStringCtor(ObjectHeader* self, StringRecord* text);
void BinaryStringMemoryBlockCtor(ObjectHeader* self, ObjectHeader* block);
}
