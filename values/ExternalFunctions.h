// Functions of outside libraries bound while the application runs: compiled code asks for a
// function's address by its name and its library's name before it calls it, and the language's
// IsFunctionAvailable asks the same. Each library is loaded at most once and each function looked
// up at most once.
//
// The caches are keyed by text, not by the name records: the library by its name without regard
// to case, the function by its exact name within the loaded library. A name record freed and its
// address reused by another name cannot find the other's function, and one function name bound in
// two libraries gives each library's own.
#pragma once

#include <cstdint>

#include "core/RuntimeString.h"

// A "#" name ("#12") is an ordinal: the rest read as a decimal integer, its low 16 bits.
void* FindLibraryFunction(const string& functionName, void* module);
void* LoadLibraryByName(const string& libraryName);

// How many times the system loader and the symbol lookup were asked (for tests).
int32_t ExternalLibraryLoadCount();
int32_t ExternalFunctionLookupCount();

extern "C" {
void* LoadFunctionPointerFromLibrary(StringRecord* functionName, StringRecord* libraryName);
bool IsFunctionAvailable(StringRecord* functionName, StringRecord* libraryName);
}
