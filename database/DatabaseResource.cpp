#include "DatabaseResource.h"

ObjectHeader* OpenDatabaseResource(const string&, const void*, uint32_t) { return nullptr; }
