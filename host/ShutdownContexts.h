// Shut-down contexts: objects that must be destroyed after the application's code has finished
// (temporary files, open databases, the trace log). Each links itself into one global list on
// construction and unlinks itself on destruction; whatever is still linked when the application's
// entry returns is destroyed by DestroyShutdownContexts.
#pragma once

#include "core/GuardedMemory.h"

// Contexts are made with new: DestroyShutdownContexts deletes them.
class ShutdownContext : public RuntimeAllocated {
public:
    ShutdownContext();
    virtual ~ShutdownContext();
    ShutdownContext(const ShutdownContext&) = delete;
    ShutdownContext& operator=(const ShutdownContext&) = delete;

    ShutdownContext* mNext = nullptr;
};

// Deletes every linked context, newest first. A context whose destructor makes or deletes other
// contexts is handled: each round takes the list's head as it then is.
void DestroyShutdownContexts();
