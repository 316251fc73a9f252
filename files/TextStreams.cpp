#include "TextStreams.h"

#include <cstddef>
#include <cstring>

#include "values/TextEncodingObjects.h"
#include "StreamText.h"
#include "core/DefinitionConversion.h"
#include "core/FailureReport.h"
#include "core/IntrinsicRegistry.h"
#include "host/Application.h"
#include "core/IntrinsicTypes.h"
#include "core/PropertyAccessors.h"
#include "core/EncodingConversion.h"
#include "values/EndOfLine.h"

#undef EOF

namespace {

constexpr const char* kSource = "runFileAccess";
constexpr unsigned kCR = 13;
constexpr unsigned kLF = 10;

TextInputStreamObject* Input(ObjectHeader* self) {
    return reinterpret_cast<TextInputStreamObject*>(self);
}

TextOutputStreamObject* Output(ObjectHeader* self) {
    return reinterpret_cast<TextOutputStreamObject*>(self);
}

// The open stream of an input object; null when closed or without an object (reported).
ByteStream* InputStream(ObjectHeader* self) {
    if (!self) {
        ReportAssertion(kSource, __LINE__, "obj");
        return nullptr;
    }
    return Input(self)->stream;
}

ByteStream* OutputStream(ObjectHeader* self) {
    if (!self) {
        ReportAssertion(kSource, __LINE__, "obj");
        return nullptr;
    }
    return Output(self)->stream;
}

// The encoding value of a read: the argument, else the Encoding property.
uint32_t EffectiveEncoding(ObjectHeader* self, ObjectHeader* encoding) {
    if (!encoding && self) encoding = Input(self)->Encoding;
    return GetEncodingFromTEObject(encoding);
}

// Refills the buffer with one Read. Bytes that do not yet make a whole unit stay in front, so a
// 16-bit unit is never split. Answers the number of bytes read.
int32_t Refill(TextInputStreamObject* input, int32_t keep) {
    if (keep > 0)
        std::memmove(input->buffer, input->buffer + input->bufferPosition,
                     static_cast<size_t>(keep));
    int32_t count = 0;
    input->stream->Read(input->buffer + keep, kTextBufferSize - keep, &count);
    if (count < 0) count = 0;
    input->bufferPosition = 0;
    input->bufferFill = keep + count;
    return count;
}

unsigned UnitAt(const TextInputStreamObject* input, int32_t at, int32_t unit) {
    return unit == 2 ? input->buffer[at] | unsigned(input->buffer[at + 1]) << 8 : input->buffer[at];
}

#define QV_METHOD(name, result, parameters, count, function) \
    {name, result, parameters, count, Function(function, #function), {}, kMethodPlain, kRowAttr4, 0}

PropertyEntry kTextInputProperties[] = {
    {kRowAttr4, "Encoding", nullptr, RowFunction(objGetter), "objGetter", RowFunction(objSetter),
     "objSetter", offsetof(TextInputStreamObject, Encoding), 0},
    {kRowAttr4, "PositionB", AsType(&kIntegerType), RowFunction(TextInputStreamGetPosition),
     "TextInputStreamGetPosition", RowFunction(TextInputStreamSetPosition),
     "TextInputStreamSetPosition", 0, 0},
    {kRowAttr4, "LastErrorCode", AsType(&kIntegerType),
     RowFunction(TextInputStreamLastErrorGetter), "TextInputStreamLastErrorGetter", nullptr,
     nullptr, 0, 0},
};

// The Encoding property and parameters get the TextEncoding type when the definition is built.
ParameterEntry kEncodingParameter[] = {{"encoding", nullptr, 0, 1, 0, 0}};
ParameterEntry kReadParameters[] = {{"Count", AsType(&kIntegerType), 0, 0, 0, 0},
                                    {"encoding", nullptr, 0, 1, 0, 0}};
ParameterEntry kLineParameter[] = {{"Line", AsType(&kStringType), 0, 1, 0, 0}};

MethodEntry kTextInputMethods[] = {
    QV_METHOD("Read", AsType(&kStringType), kReadParameters, 2, TextInputStreamRead),
    QV_METHOD("ReadLine", AsType(&kStringType), kEncodingParameter, 1, TextInputStreamReadLine),
    QV_METHOD("ReadAll", AsType(&kStringType), kEncodingParameter, 1, TextInputStreamReadAll),
    QV_METHOD("Close", nullptr, nullptr, 0, TextInputStreamClose),
    QV_METHOD("EOF", AsType(&kBooleanType), nullptr, 0, TextInputStreamEOF),
    QV_METHOD("ReadError", AsType(&kBooleanType), nullptr, 0, TextInputStreamLastErrorGetter),
};

PropertyEntry kTextOutputProperties[] = {
    {kRowAttr4, "Delimiter", AsType(&kStringType), RowFunction(stringGetter), "stringGetter",
     RowFunction(stringSetter), "stringSetter", offsetof(TextOutputStreamObject, Delimiter), 0},
    {kRowAttr4, "LastErrorCode", AsType(&kIntegerType),
     RowFunction(TextOutputStreamLastErrorGetter), "TextOutputStreamLastErrorGetter", nullptr,
     nullptr, 0, 0},
};

MethodEntry kTextOutputMethods[] = {
    QV_METHOD("WriteLine", nullptr, kLineParameter, 1, TextOutputStreamWriteLine),
    QV_METHOD("Write", nullptr, kLineParameter, 1, TextOutputStreamWrite),
    QV_METHOD("Close", nullptr, nullptr, 0, TextOutputStreamClose),
    QV_METHOD("Flush", nullptr, nullptr, 0, TextOutputStreamFlush),
    QV_METHOD("WriteError", AsType(&kBooleanType), nullptr, 0, TextOutputStreamLastErrorGetter),
};

#undef QV_METHOD

const DefinitionFunction kReadableInterface[] = {Readable};
const DefinitionFunction kWriteableInterface[] = {Writeable};

const ClassRows kTextInputRows = {
    .className = "TextInputStream",
    .superclass = nullptr,
    .objectSize = sizeof(TextInputStreamObject),
    .initializer = Function(TextInputStreamInitializer, "TextInputStreamInitializer"),
    .finalizer = Function(TextInputStreamDestructor, "TextInputStreamDestructor"),
    .properties = kTextInputProperties,
    .methods = kTextInputMethods,
    .interfaces = kReadableInterface,
};

const ClassRows kTextOutputRows = {
    .className = "TextOutputStream",
    .superclass = nullptr,
    .objectSize = sizeof(TextOutputStreamObject),
    .initializer = Function(TextOutputStreamInitializer, "TextOutputStreamInitializer"),
    .finalizer = Function(TextOutputStreamDestructor, "TextOutputStreamDestructor"),
    .properties = kTextOutputProperties,
    .methods = kTextOutputMethods,
    .interfaces = kWriteableInterface,
};

}  // namespace

ObjectDefinition* GetTextInputStreamDefinition() {
    static ObjectDefinition definition;
    kTextInputProperties[0].type = kEncodingParameter[0].parameterType =
        kReadParameters[1].parameterType = GetTextEncodingDefinition()->AsType();
    return FillClassDefinition(definition, kTextInputRows);
}

ObjectDefinition* GetTextOutputStreamDefinition() {
    static ObjectDefinition definition;
    return FillClassDefinition(definition, kTextOutputRows);
}

void RegisterTextInputStreamClass() { RegisterIntrinsicClass(GetTextInputStreamDefinition()); }

void RegisterTextOutputStreamClass() { RegisterIntrinsicClass(GetTextOutputStreamDefinition()); }

ObjectHeader* NewTextInputStream(ByteStream* stream) {
    ObjectHeader* object = CreateInstance(GetTextInputStreamDefinition());
    if (!object) {
        delete stream;
        return nullptr;
    }
    Input(object)->stream = stream;
    return object;
}

ObjectHeader* NewTextOutputStream(ByteStream* stream) {
    ObjectHeader* object = CreateInstance(GetTextOutputStreamDefinition());
    if (!object) {
        delete stream;
        return nullptr;
    }
    Output(object)->stream = stream;
    return object;
}

// What the buffer holds first, then one Read straight into the result for the rest.
string TextInputRead(ObjectHeader* self, int32_t count, uint32_t encoding) {
    ByteStream* stream = InputStream(self);
    if (!stream || count <= 0) return string();
    TextInputStreamObject* input = Input(self);
    string result;
    char* bytes = result.AllocateBytes(count);
    if (!bytes) return string();
    const int32_t available = input->bufferFill - input->bufferPosition;
    int32_t length = count;
    if (count <= available) {
        std::memcpy(bytes, input->buffer + input->bufferPosition, static_cast<size_t>(count));
        input->bufferPosition += count;
    } else {
        std::memcpy(bytes, input->buffer + input->bufferPosition, static_cast<size_t>(available));
        input->bufferPosition = input->bufferFill = 0;
        int32_t got = 0;
        stream->Read(bytes + available, count - available, &got);
        length = available + (got > 0 ? got : 0);
    }
    if (length == 0) return string();
    if (length < count) result = LeftBytes(result, length);
    result.SetEncoding(encoding);
    return result;
}

// A refill that brings nothing ends the line, whatever the stream says of its end, so a stream
// whose length is wrong cannot make this spin.
string TextInputReadLine(ObjectHeader* self, uint32_t encoding) {
    ByteStream* stream = InputStream(self);
    if (!stream) return string();
    TextInputStreamObject* input = Input(self);
    const int32_t unit = encoding == kEncodingUTF16 ? 2 : 1;
    string line;
    for (;;) {
        int32_t at = input->bufferPosition;
        unsigned found = 0;
        while (at + unit <= input->bufferFill) {
            const unsigned value = UnitAt(input, at, unit);
            if (value == kCR || value == kLF) {
                found = value;
                break;
            }
            at += unit;
        }
        if (at > input->bufferPosition) {
            string piece;
            piece.SetBytes(input->buffer + input->bufferPosition, at - input->bufferPosition);
            line.Append(piece);
        }
        input->bufferPosition = at;
        if (found) {
            input->bufferPosition += unit;
            if (found == kCR) {
                if (input->bufferPosition + unit > input->bufferFill)
                    Refill(input, input->bufferFill - input->bufferPosition);
                if (input->bufferPosition + unit <= input->bufferFill &&
                    UnitAt(input, input->bufferPosition, unit) == kLF)
                    input->bufferPosition += unit;
            }
            break;
        }
        const int32_t left = input->bufferFill - input->bufferPosition;
        if (stream->EOF() || Refill(input, left) == 0) {
            // A byte that makes no whole unit at the very end belongs to the last line.
            if (input->bufferPosition < input->bufferFill) {
                string piece;
                piece.SetBytes(input->buffer + input->bufferPosition,
                               input->bufferFill - input->bufferPosition);
                line.Append(piece);
                input->bufferPosition = input->bufferFill;
            }
            break;
        }
    }
    line.SetEncoding(encoding);
    return line;
}

string TextInputReadAll(ObjectHeader* self, uint32_t encoding) {
    ByteStream* stream = InputStream(self);
    if (!stream) return string();
    return TextInputRead(self, stream->Length() - TextInputStreamGetPosition(self, 0), encoding);
}

extern "C" {

void TextInputStreamInitializer(ObjectHeader* self) {
    TextInputStreamObject* input = Input(self);
    input->stream = nullptr;
    input->Encoding = GetEncodingObjectFromCode(kEncodingUTF8);
    input->bufferPosition = input->bufferFill = 0;
    input->savedLastError = 0;
}

void TextInputStreamDestructor(ObjectHeader* self) {
    TextInputStreamClose(self);
    RuntimeUnlockObject(Input(self)->Encoding);
    Input(self)->Encoding = nullptr;
}

StringRecord* TextInputStreamRead(ObjectHeader* self, int32_t count, ObjectHeader* encoding) {
    return TextInputRead(self, count, EffectiveEncoding(self, encoding)).Detach();
}

StringRecord* TextInputStreamReadLine(ObjectHeader* self, ObjectHeader* encoding) {
    return TextInputReadLine(self, EffectiveEncoding(self, encoding)).Detach();
}

StringRecord* TextInputStreamReadAll(ObjectHeader* self, ObjectHeader* encoding) {
    return TextInputReadAll(self, EffectiveEncoding(self, encoding)).Detach();
}

void TextInputStreamClose(ObjectHeader* self) {
    if (InputStream(self)) CloseOwnedStream(Input(self)->stream, Input(self)->savedLastError);
}

// Unlike a BinaryStream, a closed TextInputStream is not at its end: EOF answers False.
bool TextInputStreamEOF(ObjectHeader* self) {
    ByteStream* stream = InputStream(self);
    if (!stream) return false;
    return Input(self)->bufferPosition >= Input(self)->bufferFill && stream->EOF();
}

int32_t TextInputStreamGetPosition(ObjectHeader* self, int32_t) {
    ByteStream* stream = InputStream(self);
    if (!stream) return 0;
    return stream->Position() + Input(self)->bufferPosition - Input(self)->bufferFill;
}

void TextInputStreamSetPosition(ObjectHeader* self, int32_t, int32_t position) {
    ByteStream* stream = InputStream(self);
    if (!stream) return;
    stream->SetPosition(position < 0 ? 0 : position);
    Input(self)->bufferPosition = Input(self)->bufferFill;
    Refill(Input(self), 0);
}

int32_t TextInputStreamLastErrorGetter(ObjectHeader* self, int32_t) {
    ByteStream* stream = InputStream(self);
    if (!self) return 0;
    return stream ? stream->LastError() : Input(self)->savedLastError;
}

void TextOutputStreamInitializer(ObjectHeader* self) {
    Output(self)->stream = nullptr;
    Output(self)->Delimiter = nullptr;
    Output(self)->savedLastError = 0;
}

void TextOutputStreamDestructor(ObjectHeader* self) {
    TextOutputStreamClose(self);
    StringRecord::Release(Output(self)->Delimiter);
    Output(self)->Delimiter = nullptr;
}

// The line as it is, then the Delimiter (or CR LF when it is empty) in the line's encoding.
void TextOutputStreamWriteLine(ObjectHeader* self, StringRecord* line) {
    ByteStream* stream = OutputStream(self);
    if (!stream) return;
    const string text(line);
    if (!text.IsEmpty()) stream->Write(text.CString(), text.Length());
    const uint32_t encoding = text.Encoding();
    string delimiter(Output(self)->Delimiter);
    if (delimiter.IsEmpty())
        delimiter = ConvertStringEncoding(string::Adopt(RuntimeEndOfLine()), encoding);
    else if (delimiter.Encoding() != kEncodingUnknown && delimiter.Encoding() != encoding)
        delimiter = ConvertStringEncoding(delimiter, encoding);
    stream->Write(delimiter.CString(), delimiter.Length());
}

void TextOutputStreamWrite(ObjectHeader* self, StringRecord* text) {
    ByteStream* stream = OutputStream(self);
    if (stream && StringRecord::Length(text) > 0)
        stream->Write(StringRecord::CString(text), StringRecord::Length(text));
}

void TextOutputStreamClose(ObjectHeader* self) {
    if (OutputStream(self)) CloseOwnedStream(Output(self)->stream, Output(self)->savedLastError);
}

void TextOutputStreamFlush(ObjectHeader* self) {
    if (!self) {
        ReportAssertion(kSource, __LINE__, "obj");
        return;
    }
    if (!Output(self)->stream) {
        ReportAssertion(kSource, __LINE__, "obj->mechanism");
        return;
    }
    Output(self)->stream->Flush();
}

int32_t TextOutputStreamLastErrorGetter(ObjectHeader* self, int32_t) {
    ByteStream* stream = OutputStream(self);
    if (!self) return 0;
    return stream ? stream->LastError() : Output(self)->savedLastError;
}

}  // extern "C"
