#include "SQLEmulation.h"

ObjectHeader* EmulatedSelect(ObjectHeader*, StringRecord*) { return nullptr; }

void EmulatedExecute(ObjectHeader*, StringRecord*) {}
