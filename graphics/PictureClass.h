// The Picture class: a bitmap picture (it holds a PictureImp) or a vector picture (a Group2D and
// a nominal size), its properties, and PicturePacker, which turns a picture into a string of its
// width, height and 0x00RRGGBB pixels.
#pragma once

#include <cstdint>

#include "core/ClassDefinition.h"
#include "core/ObjectModel.h"
#include "core/RuntimeString.h"

class PictureImp;

struct PictureObject {
    ObjectHeader header;
    int32_t transparent;    // 1: white pixels are not drawn
    PictureImp* imp;        // one reference, or null
    ObjectHeader* graphics; // the cached Graphics, one reference
    ObjectHeader* mask;     // the cached mask Picture, one reference
    int32_t width;          // the size given at creation; only a vector picture reports it
    int32_t height;
    ObjectHeader* objects;  // the Group2D of a vector picture, one reference
};

ObjectDefinition* GetPictureDefinition();
// Registers the class and PicturePacker's link name.
void RegisterPictureClass();

// A new Picture holding the implementation (whose reference it takes over); null when the
// implementation is null.
ObjectHeader* NewPictureObject(PictureImp* picture);
// The implementation of a Picture, or null.
PictureImp* PictureImplementation(ObjectHeader* picture);

extern "C" {
ObjectHeader* newPicture(int32_t width, int32_t height, int32_t depth);
void PictureConstructor(ObjectHeader* picture, int32_t width, int32_t height, int32_t depth);
int32_t pictureWidthGetter(ObjectHeader* picture);
int32_t pictureHeightGetter(ObjectHeader* picture);
ObjectHeader* pictureGraphicsGetter(ObjectHeader* picture);
ObjectHeader* pluginPictureGraphicsGetter(ObjectHeader* picture);
ObjectHeader* pictureGroup2DGetter(ObjectHeader* picture);
void pictureGroup2DSetter(ObjectHeader* picture, ObjectHeader* group);
ObjectHeader* pictureRGBSurfaceGetter(ObjectHeader* picture);
int32_t pictureImageCountGetter(ObjectHeader* picture);
ObjectHeader* pictureIndexedImage(ObjectHeader* picture, int32_t index);
ObjectHeader* pictureMaskGetter(ObjectHeader* picture);
int32_t PictureDepthGetter(ObjectHeader* picture);
int32_t PictureHResGetter(ObjectHeader* picture);
int32_t PictureVResGetter(ObjectHeader* picture);
void PictureHResSetter(ObjectHeader* picture, int32_t value);
void PictureVResSetter(ObjectHeader* picture, int32_t value);
void RuntimePictureDestructor(ObjectHeader* picture);
StringRecord* PicturePacker(ObjectHeader* picture);
int32_t pictureTransparentGetter(ObjectHeader* picture);
void pictureTransparentSetter(ObjectHeader* picture, int32_t value);
}
