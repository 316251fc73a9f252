#include "ByteStream.h"

ByteStream::~ByteStream() = default;

bool ByteStream::SwapOn() {
    mSwapBytes = 1;
    return true;
}

bool ByteStream::SwapOff() {
    mSwapBytes = 0;
    return true;
}

void ByteStream::WriteLine(const string& text) {
    Write(text.CString(), text.Length());
    Write("\r\n", 2);
}
