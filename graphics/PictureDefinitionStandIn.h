// A stand-in for the Picture class definition, so that other classes can name Picture as the
// type of their members. It is a bare class named "Picture": no members, no implementation behind
// it, and it is not registered. The Picture class of the graphics subsystem replaces it.
#pragma once

#include "core/ClassDefinition.h"

ObjectDefinition* GetPictureDefinition();
