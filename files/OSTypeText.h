// Four-character codes of file types and creators made from text.
#pragma once

#include <cstdint>

#include "core/RuntimeString.h"

// The text in the system encoding, its first four bytes (the first in the high byte, zeros after
// a shorter text); "????" for the empty text.
uint32_t OSTypeFromString(const string& text);
