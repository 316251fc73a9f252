// The RGBSurface class: direct access to the pixels of a bitmap picture of depth 16, 24 or 32,
// in place: single pixels as colours, the scan-line flood fill and per-channel lookup tables.
#pragma once

#include <cstdint>

#include "core/ArrayRecord.h"
#include "core/ClassDefinition.h"
#include "core/ObjectModel.h"

struct RGBSurfaceObject {
    ObjectHeader header;
    ObjectHeader* picture;  // one reference
    int32_t width;
    int32_t height;
    uint8_t* bits;  // the top row
    int32_t rowBytes;
    int32_t depth;  // 16, 24 or 32
};

ObjectDefinition* GetRGBSurfaceDefinition();

// The pixel at (x, y), which the caller keeps inside the pixels, as 0x00RRGGBB; 0 for a depth
// other than 16, 24 or 32.
uint32_t ReadSurfacePixel(const uint8_t* bits, int32_t rowBytes, int32_t depth, int32_t x,
                          int32_t y);

extern "C" {
int32_t rgbSurfaceGetPixel(ObjectHeader* surface, int32_t x, int32_t y);
void rgbSurfaceSetPixel(ObjectHeader* surface, int32_t x, int32_t y, int32_t colour);
void rgbSurfaceSeedFill(ObjectHeader* surface, int32_t x, int32_t y, int32_t colour);
void rgbSurfaceTransform(ObjectHeader* surface, ArrayRecord* map);
void rgbSurfaceTransformRGB(ObjectHeader* surface, ArrayRecord* red, ArrayRecord* green,
                            ArrayRecord* blue);
void RGBSurfaceDestructor(ObjectHeader* surface);
}
