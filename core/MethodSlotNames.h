// Finding methods by name in method tables. Compiled code and the definition conversion name a
// slot with its link signature ("Class.Name%return%parameters", a setter's name starting with
// "="); tables filled by hand may carry the bare name. Both forms are looked up the same way.
#pragma once

#include "ObjectModel.h"

// The method name a slot name carries: the text after the last "." before the first "%", or the
// whole name when it has no "%".
string MethodNameOfSlot(const string& slotName);

// The function of the method called `name` (without regard to case) in the method table the
// object's class keeps for interfaceClass; null when the class does not implement the interface,
// the table lacks the method, or the name is empty.
void* FindInterfaceMethod(ObjectHeader* object, const ClassRecord* interfaceClass,
                          const string& name);
