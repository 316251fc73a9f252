// The process command line as the runtime reads it for documents to open.
#pragma once

#include "core/RuntimeString.h"

// The command line without the program path, as a new string (UTF-8 on the wide platform).
string GetCommandLineArguments();

// The full path of the runtime's executable (UTF-8 on the wide platform, else in the system
// encoding).
string ExecutablePath();

// The arguments part of a given command line. The program path is the module's own path when the
// line begins with it (quoted or not, compared without regard to case), else the first quoted
// text or the first word: a path with spaces that was not quoted is never split into documents.
string CommandLineArguments(const string& commandLine, const string& modulePath);
