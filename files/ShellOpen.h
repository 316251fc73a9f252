// Opening a URL or a document with the program the shell associates with it.
#pragma once

#include "core/RuntimeString.h"

// The shell's "open" verb on the text (wide on the Unicode platform, else in the system
// encoding). False when the shell reports a failure.
bool ShellOpenURL(const string& url);
