// The class definitions Movie and Sound, which type the members that answer movies and sounds.
//
// A stand-in until sound and movie playback are built: each class has a name and nothing else:
// no fields, no members, no player behind it, so no object of either class is ever made.
#pragma once

#include "core/ClassDefinition.h"

ObjectDefinition* GetMovieDefinition();
ObjectDefinition* GetSoundDefinition();
