// Opening a database that the application carries as a 'DBAS' resource.
//
// A stand-in for the database subsystem, which is not built yet: there is no database engine,
// neither the built-in "quordb" nor engines registered by plug-ins, so no database can be opened
// and the answer is always nil.
#pragma once

#include <cstdint>

#include "core/ObjectModel.h"
#include "core/RuntimeString.h"

// The database of the engine of that name opened over the data (which stays the caller's), as a
// new object; nil when the engine is unknown or cannot open the data.
ObjectHeader* OpenDatabaseResource(const string& engineName, const void* data, uint32_t length);
