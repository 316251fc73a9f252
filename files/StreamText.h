// What the language stream classes share: strings read from a byte stream, and closing an owned
// stream while keeping its last error code.
#pragma once

#include <cstdint>

#include "ByteStream.h"
#include "core/RuntimeString.h"

// A string of up to count bytes filled by one Read, holding only the bytes that arrived, with
// the tag; the empty string when none did.
string ReadStringBytes(ByteStream& stream, int32_t count, uint32_t tag);

// Closes and deletes the stream, keeping its last error code in savedLastError; nothing when
// the stream is gone already.
void CloseOwnedStream(ByteStream*& stream, int32_t& savedLastError);
