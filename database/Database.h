// Opening databases: the database resources of the application and the calls through which
// engines hand their handles over as Database objects.
#pragma once

#include <cstdint>

#include "core/ObjectModel.h"
#include "core/RuntimeString.h"

// The database of the engine of that name opened over the data (which stays the caller's), as a
// new object with its connected flag set: engines of plug-ins through the data source they
// registered under that name, the built-in engine for "quordb". nil when the engine is unknown or
// cannot open the data.
ObjectHeader* OpenDatabaseResource(const string& engineName, const void* data, uint32_t length);

extern "C" {
ObjectHeader* RuntimeGetDatabaseFromResource(int32_t id);
// Registers Database, DatabaseCursor, DatabaseCursorField, RecordSet, DatabaseField,
// DatabaseRecord, ScrollableCursor, QUORDatabaseOldFormat and DatabaseQuery, in that order.
void RegisterDatabaseClasses();
}
