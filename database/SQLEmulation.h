// The seam through which engines without SelectSQL or ExecuteSQL of their own reach the SQL
// emulation.
//
// The emulation is not built yet: a SELECT answers nil and any other statement does nothing,
// leaving the Database's error code 0.
#pragma once

#include "core/ObjectModel.h"
#include "core/RuntimeString.h"

ObjectHeader* EmulatedSelect(ObjectHeader* database, StringRecord* sql);
void EmulatedExecute(ObjectHeader* database, StringRecord* sql);
