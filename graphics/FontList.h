// The installed font faces, enumerated once per run: the language's font count and names, and
// the character set the rich edit control uses with a font name.
#pragma once

#include <windows.h>

#include <cstdint>

#include "core/RuntimeString.h"

extern "C" {
int32_t getFontCount();
// The name at index as a new reference; outside 0..count-1 raises OutOfBoundsException.
StringRecord* getFontName(int32_t index);
}

// The character set of the first face of that name (any letter case) enumerated in the system's
// character set or the symbol set; the system's character set otherwise.
BYTE FontCharset(const string& name);
