// The picture, movie and sound objects that the application's resources become.
//
// A stand-in for the graphics and media subsystem, which is not built yet. It has no picture
// implementations (so no BMP can be read), no Picture, Movie or Sound class, no movie engine and
// no sound device: every function here answers nil, and the resource getters that use them
// answer nil in turn. Functions given a picture or a file take it over and, having no object to
// keep it in, delete it.
#pragma once

#include <cstdint>

#include "core/GuardedMemory.h"
#include "core/ObjectModel.h"
#include "core/Rect16.h"

class FolderItemImp;
class GraphicsImp;

// The base of the picture implementations behind Picture objects. The stand-in has no pixels, so
// it draws nothing.
class PictureImp : public RuntimeAllocated {
public:
    virtual ~PictureImp() = default;
    // Draws the source part of the picture scaled into the destination (device units) on the
    // graphics' device context.
    virtual void DrawIntoGraphics(GraphicsImp*, const Rect16& /*source*/,
                                  const Rect16& /*destination*/, bool /*transparent*/) {}
};

// A DIB picture from the bytes of a BMP file (the 14-byte file header skipped, the resolution
// from the pixels-per-metre fields), or null when the bytes are no BMP. Always null here.
PictureImp* NewDIBPictureFromBMP(const void* bytes, uint32_t length);

// A new Picture whose implementation is the picture.
ObjectHeader* NewPictureObject(PictureImp* picture);

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
