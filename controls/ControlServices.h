// Control services that compiled code calls.
//
// Only the per-object event handler is built so far; the other control services for compiled code
// (the control classes, self-and-me exchange, mass property setting, contextual menus, interface
// method lookup and the message dialog) come with the controls subsystem.
#pragma once

#include "core/ObjectModel.h"
#include "core/RuntimeString.h"

extern "C" {
// Gives one object its own handler for the event of that name (compared without regard to case),
// leaving the other objects of its class with the class's handlers. The object gets its own copy
// of the class's event table the first time; the object owns it and frees it when it dies. The
// slots are searched from the last down, so a subclass's event hides a superclass event of the
// same name. A name that matches no event sets nothing.
void RuntimeInstallInstanceEventHandler(ObjectHeader* target, StringRecord* eventName,
                                        void* handler);
}
