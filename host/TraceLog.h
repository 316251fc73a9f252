// The line trace of compiled code.
#pragma once

#include "core/RuntimeString.h"

extern "C" {
// Writes the text and CR LF to "trace.log", made in the current directory on the first call.
void lineTrace(StringRecord* text);
}
