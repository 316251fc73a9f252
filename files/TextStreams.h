// The language classes TextInputStream and TextOutputStream over an owned byte stream. The input
// class reads through a buffer of 1024 bytes and ends lines at CR, LF or CR LF (in 16-bit units
// for UTF-16 text); the output class writes strings as they are and ends lines with a delimiter
// converted to the line's encoding.
#pragma once

#include <cstdint>

#include "ByteStream.h"
#include "core/ClassDefinition.h"
#include "core/ObjectModel.h"

constexpr int32_t kTextBufferSize = 1024;

// Fixed by the class definitions' field offsets.
struct TextInputStreamObject {
    ObjectHeader header;
    ByteStream* stream;     // owned; null once closed
    ObjectHeader* Encoding;  // a TextEncoding
    int32_t bufferPosition;  // the next unread byte
    int32_t bufferFill;
    unsigned char buffer[kTextBufferSize];
    int32_t savedLastError;
};

struct TextOutputStreamObject {
    ObjectHeader header;
    ByteStream* stream;
    StringRecord* Delimiter;
    int32_t savedLastError;
};

ObjectDefinition* GetTextInputStreamDefinition();
ObjectDefinition* GetTextOutputStreamDefinition();
void RegisterTextInputStreamClass();
void RegisterTextOutputStreamClass();

// New objects (one reference, the caller's) that own the stream; nil, the stream deleted, when
// no object can be made.
ObjectHeader* NewTextInputStream(ByteStream* stream);
ObjectHeader* NewTextOutputStream(ByteStream* stream);

// The reads by encoding value, which the entry points reach through the TextEncoding objects.
string TextInputRead(ObjectHeader* self, int32_t count, uint32_t encoding);
string TextInputReadLine(ObjectHeader* self, uint32_t encoding);
string TextInputReadAll(ObjectHeader* self, uint32_t encoding);

extern "C" {
void TextInputStreamInitializer(ObjectHeader* self);
void TextInputStreamDestructor(ObjectHeader* self);
StringRecord* TextInputStreamRead(ObjectHeader* self, int32_t count, ObjectHeader* encoding);
StringRecord* TextInputStreamReadLine(ObjectHeader* self, ObjectHeader* encoding);
StringRecord* TextInputStreamReadAll(ObjectHeader* self, ObjectHeader* encoding);
void TextInputStreamClose(ObjectHeader* self);
// True once closed, so that a loop reading to the end stops.
bool TextInputStreamEOF(ObjectHeader* self);
int32_t TextInputStreamGetPosition(ObjectHeader* self, int32_t parameter);
void TextInputStreamSetPosition(ObjectHeader* self, int32_t parameter, int32_t position);
int32_t TextInputStreamLastErrorGetter(ObjectHeader* self, int32_t parameter);

void TextOutputStreamInitializer(ObjectHeader* self);
void TextOutputStreamDestructor(ObjectHeader* self);
void TextOutputStreamWriteLine(ObjectHeader* self, StringRecord* line);
void TextOutputStreamWrite(ObjectHeader* self, StringRecord* text);
void TextOutputStreamClose(ObjectHeader* self);
void TextOutputStreamFlush(ObjectHeader* self);
int32_t TextOutputStreamLastErrorGetter(ObjectHeader* self, int32_t parameter);
}
