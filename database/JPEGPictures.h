// Pictures stored in database values as the bytes of JPEG files.
//
// There is neither a JPEG reader nor a JPEG writer behind FolderItem yet (FolderItem opens and
// saves no pictures), so no bytes become a picture and no picture becomes bytes: a JPEG value
// reads as nil and a picture is stored as NULL.
#pragma once

#include "core/ObjectModel.h"
#include "core/RuntimeString.h"

// The picture the bytes hold; nil for empty bytes and, for now, for every other.
ObjectHeader* JPEGBytesToPicture(const string& bytes);
// The JPEG bytes of the picture; for now always empty.
string PictureToJPEGBytes(ObjectHeader* picture);
