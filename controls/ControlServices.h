// Control services that compiled code calls: the self-and-me exchange at the entry of an event
// handler, the mass setting of design-time properties, and per-object event handlers.
#pragma once

#include "core/ObjectModel.h"
#include "core/RuntimeString.h"

extern "C" {
// At the entry of a handler a window implements for one of its controls: me receives the control
// in self, and self becomes the control's window (a _PaneChild's Window).
void RuntimeExchangeSelfAndMe(ObjectHeader** self, ObjectHeader** me);
// The same for code written in a container that is itself a control: self becomes the nearest
// parent control of class containerClass.
void RuntimeExchangeSelfAndMeClass(ObjectHeader** self, ObjectHeader** me,
                                   ClassRecord* containerClass);
void RuntimeExchangeSelfAndMeObj(ObjectHeader** self, ObjectHeader** me, ObjectHeader* object);
// Applies the packed design-time property records of stream to the object through its class's
// property setters (see MassPropertyStream.h). A record that does not fit the stream, an unknown
// type, an index past the property table or a read-only property is reported and ends the run.
void RuntimeMassPropertySetter(ObjectHeader* object, StringRecord* stream);
// Gives one object its own handler for the event of that name (compared without regard to case),
// leaving the other objects of its class with the class's handlers. The object gets its own copy
// of the class's event table the first time; the object owns it and frees it when it dies. The
// slots are searched from the last down, so a subclass's event hides a superclass event of the
// same name. A name that matches no event sets nothing.
void RuntimeInstallInstanceEventHandler(ObjectHeader* target, StringRecord* eventName,
                                        void* handler);
}
