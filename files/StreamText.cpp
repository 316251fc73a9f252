#include "StreamText.h"

bool ByteStream::WriteLine(const string& text) {
    const string line = StringConcat(text, string("\r\n"));
    return Write(line.CString(), line.Length());
}

string ReadStringBytes(ByteStream& stream, int32_t count, uint32_t tag) {
    string text;
    char* bytes = text.AllocateBytes(count);
    if (!bytes) return text;
    int32_t got = 0;
    stream.Read(bytes, count, &got);
    if (got <= 0) return string();
    if (got < count) text = LeftBytes(text, got);
    text.SetEncoding(tag);
    return text;
}

void CloseOwnedStream(ByteStream*& stream, int32_t& savedLastError) {
    if (!stream) return;
    stream->Close();
    savedLastError = stream->LastError();
    delete stream;
    stream = nullptr;
}
