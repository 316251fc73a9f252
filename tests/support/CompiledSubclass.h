// A subclass of a built-in class as compiled code builds one: the base's slots copied, the
// instance size kept, and handlers stored in the event slots of the named events.
#pragma once

#include <utility>
#include <vector>

#include "core/ClassDefinition.h"
#include "core/DefinitionConversion.h"
#include "core/RuntimeString.h"

template <typename F>
inline void* HandlerAddress(F* function) {
    return reinterpret_cast<void*>(function);
}

inline ClassRecord* CompiledSubclass(ObjectDefinition* definition, const char* name,
                                     const std::vector<std::pair<const char*, void*>>& handlers) {
    ClassRecord* base = LookupObjectDefinition(definition);
    ClassRecord* own = RuntimeNewClass(base, base->methodCount, base->interfaceCount,
                                       base->eventCount, base->accessorCount, base->propertyCount);
    own->name = string(name).Detach();
    own->instanceSize = base->instanceSize;
    for (int32_t i = 0; i < own->eventCount; ++i)
        for (const auto& [event, handler] : handlers)
            if (string::Compare(string(own->events[i].name), string(event)) == 0)
                own->events[i].vector = handler;
    return own;
}
