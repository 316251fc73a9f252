// The object dump of the Runtime class: the heap use, the count of live objects and each live
// object's class, one line each, written to a text file.
#pragma once

#include "core/RuntimeString.h"

extern "C" {
void debugDumpObjects(StringRecord* path);
}
