// The movie and sound objects that the application's resources become.
//
// A stand-in for the media part of the graphics subsystem, which is not built yet. It has no
// Movie or Sound class, no movie engine and no sound device: every function here answers nil,
// and the resource getters that use them answer nil in turn. Functions given a file take it over
// and, having no object to keep it in, delete it.
#pragma once

#include <cstdint>

#include "core/GuardedMemory.h"
#include "core/ObjectModel.h"

class FolderItemImp;

// A new Movie of a four-character type whose contents are the file.
ObjectHeader* NewMovieObject(uint32_t type, FolderItemImp* file);

// A new Sound that plays from memory: the bytes of a WAVE (isWave) or of a raw sound, which it
// frees when it owns them.
ObjectHeader* NewSoundFromData(const void* data, uint32_t length, bool isWave, bool ownsData);

// A new Sound that plays the file, through a new FolderItem of it as its source item.
ObjectHeader* NewSoundFromFile(FolderItemImp* file);

// At exit: the shared sound device and the MCI devices, and the movie engine when it was started.
// Neither is ever started by the stand-in, so both do nothing.
void ShutdownSound();
void StopQuickTime();
