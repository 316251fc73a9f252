// The built-in engine as the database classes reach it: its engine record and two cursor
// records over EngineDatabase, and the Database objects that wrap its handles.
#pragma once

#include <memory>

#include "EngineDatabase.h"
#include "core/ObjectModel.h"
#include "sdk/QuorvaneDatabaseEngine.h"

PluginDBEngineRecord* BuiltinEngineRecord();
// The engine database of a handle of the built-in engine.
inline EngineDatabase* AsEngineDatabase(QUORdbHandle handle) { return static_cast<EngineDatabase*>(handle); }
// A new connected Database over the store, recorded in the shutdown context; nil without a store.
ObjectHeader* WrapEngineStore(std::unique_ptr<PageStore> store);
