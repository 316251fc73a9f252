#include "RGBSurface.h"

#include <cstddef>
#include <cstring>

#include "core/DefinitionConversion.h"
#include "core/Exceptions.h"
#include "graphics/PictureClass.h"
#include "graphics/PictureImp.h"
#include "graphics/SeedFill.h"
#include "core/IntrinsicTypes.h"

#include <windows.h>

namespace {

RGBSurfaceObject* Fields(ObjectHeader* surface) {
    return reinterpret_cast<RGBSurfaceObject*>(surface);
}

bool Inside(const RGBSurfaceObject* s, int32_t x, int32_t y) {
    return x >= 0 && y >= 0 && x < s->width && y < s->height;
}

ArrayType kIntegerArrayType = {kTypeArray, AsType(&kIntegerType), 1};

ParameterEntry kPixelParameters[] = {{"x", AsType(&kIntegerType), 0, 0, 0, 0},
                                     {"y", AsType(&kIntegerType), 0, 0, 0, 0}};
ParameterEntry kFillParameters[] = {{"x", AsType(&kIntegerType), 0, 0, 0, 0},
                                    {"y", AsType(&kIntegerType), 0, 0, 0, 0},
                                    {"fillColor", AsType(&kColorType), 0, 0, 0, 0}};
ParameterEntry kMapParameter[] = {{"map", AsType(&kIntegerArrayType), 0, 0, 0, 0}};
ParameterEntry kRGBMapParameters[] = {{"redMap", AsType(&kIntegerArrayType), 0, 0, 0, 0},
                                      {"greenMap", AsType(&kIntegerArrayType), 0, 0, 0, 0},
                                      {"blueMap", AsType(&kIntegerArrayType), 0, 0, 0, 0}};

MethodEntry kRGBSurfaceMethods[] = {
    {"Pixel", AsType(&kColorType), kPixelParameters, 2,
     Function(rgbSurfaceGetPixel, "rgbSurfaceGetPixel"),
     Function(rgbSurfaceSetPixel, "rgbSurfaceSetPixel"), kMethodAssigns, kRowAttr4, 0},
    {"FloodFill", nullptr, kFillParameters, 3, Function(rgbSurfaceSeedFill, "rgbSurfaceSeedFill"),
     {}, kMethodPlain, kRowAttr4, 0},
    {"Transform", nullptr, kMapParameter, 1, Function(rgbSurfaceTransform, "rgbSurfaceTransform"),
     {}, kMethodPlain, kRowAttr4, 0},
    {"Transform", nullptr, kRGBMapParameters, 3,
     Function(rgbSurfaceTransformRGB, "rgbSurfaceTransformRGB"), {}, kMethodPlain, kRowAttr4, 0},
};

const ClassRows kRGBSurfaceRows = {
    .className = "RGBSurface",
    .superclass = nullptr,
    .objectSize = sizeof(RGBSurfaceObject),
    .finalizer = Function(RGBSurfaceDestructor, "RGBSurfaceDestructor"),
    .methods = kRGBSurfaceMethods,
};

// The low byte of each of the map's 256 elements.
void ReadMap(ArrayRecord* map, uint8_t table[256]) {
    for (int32_t i = 0; i < 256; ++i)
        table[i] = static_cast<uint8_t>(RuntimeDirectReadIntArray(map, i));
}

void RaiseUnsupported(const char* text, int32_t value) {
    char message[80];
    wsprintfA(message, "%s%ld", text, static_cast<long>(value));
    RaiseExceptionWithMessage(UnsupportedFormatException(), string(message), 0);
}

}  // namespace

ObjectDefinition* GetRGBSurfaceDefinition() {
    static ObjectDefinition definition;
    return FillClassDefinition(definition, kRGBSurfaceRows);
}

uint32_t ReadSurfacePixel(const uint8_t* bits, int32_t rowBytes, int32_t depth, int32_t x,
                          int32_t y) {
    const uint8_t* row = bits + static_cast<ptrdiff_t>(y) * rowBytes;
    switch (depth) {
    case 32: {
        uint32_t v;
        std::memcpy(&v, row + 4 * x, 4);
        return v & 0x00FFFFFF;
    }
    case 24: {
        const uint8_t* p = row + 3 * x;
        return p[0] | (p[1] << 8) | (p[2] << 16);
    }
    case 16: {
        const uint32_t v = row[2 * x] | (row[2 * x + 1] << 8);
        return ((v & 0x7C00) << 9) | ((v & 0x03E0) << 6) | ((v & 0x001F) << 3);
    }
    default: return 0;
    }
}

extern "C" {

int32_t rgbSurfaceGetPixel(ObjectHeader* surface, int32_t x, int32_t y) {
    if (!surface) return 0;
    const RGBSurfaceObject* s = Fields(surface);
    if (!Inside(s, x, y)) return 0;
    return static_cast<int32_t>(ReadSurfacePixel(s->bits, s->rowBytes, s->depth, x, y));
}

void rgbSurfaceSetPixel(ObjectHeader* surface, int32_t x, int32_t y, int32_t colour) {
    if (!surface) return;
    const RGBSurfaceObject* s = Fields(surface);
    if (!Inside(s, x, y)) return;
    uint8_t* row = s->bits + static_cast<ptrdiff_t>(y) * s->rowBytes;
    const auto c = static_cast<uint32_t>(colour);
    switch (s->depth) {
    case 32: std::memcpy(row + 4 * x, &c, 4); break;
    case 24:
        row[3 * x] = static_cast<uint8_t>(c);
        row[3 * x + 1] = static_cast<uint8_t>(c >> 8);
        row[3 * x + 2] = static_cast<uint8_t>(c >> 16);
        break;
    case 16: {
        const uint16_t v = Pixel16FromColor(c);
        std::memcpy(row + 2 * x, &v, 2);
        break;
    }
    default: break;
    }
}

void rgbSurfaceSeedFill(ObjectHeader* surface, int32_t x, int32_t y, int32_t colour) {
    if (!surface) return;
    const RGBSurfaceObject* s = Fields(surface);
    if (s->depth != 16 && s->depth != 24 && s->depth != 32) return;
    const FillSurface fill{s->bits, s->depth, s->rowBytes, s->width, s->height};
    if (!SeedFill(fill, x, y, static_cast<uint32_t>(colour))) RaiseOutOfBoundsException();
}

void rgbSurfaceTransform(ObjectHeader* surface, ArrayRecord* map) {
    rgbSurfaceTransformRGB(surface, map, map, map);
}

void rgbSurfaceTransformRGB(ObjectHeader* surface, ArrayRecord* red, ArrayRecord* green,
                            ArrayRecord* blue) {
    if (!surface) return;
    const RGBSurfaceObject* s = Fields(surface);
    ArrayRecord* maps[3] = {red, green, blue};
    for (ArrayRecord* map : maps) {
        if (!map) return RaiseNilObjectException();
    }
    for (ArrayRecord* map : maps) {
        const int32_t bound = RuntimeUBound(map);
        if (bound != 255) return RaiseUnsupported("Transform map UBound must be 255, not ", bound);
    }
    if (s->depth < 24) return RaiseUnsupported("Transform depth must be 24 or 32, not ", s->depth);
    uint8_t tables[3][256];
    ReadMap(blue, tables[0]);
    ReadMap(green, tables[1]);
    ReadMap(red, tables[2]);
    const int32_t bpp = s->depth / 8;
    for (int32_t y = 0; y < s->height; ++y) {
        uint8_t* p = s->bits + static_cast<ptrdiff_t>(y) * s->rowBytes;
        for (int32_t x = 0; x < s->width; ++x, p += bpp) {
            p[0] = tables[0][p[0]];
            p[1] = tables[1][p[1]];
            p[2] = tables[2][p[2]];
        }
    }
}

void RGBSurfaceDestructor(ObjectHeader* surface) {
    RGBSurfaceObject* s = Fields(surface);
    if (PictureImp* imp = PictureImplementation(s->picture)) imp->ReleasePixels();
    RuntimeUnlockObject(s->picture);
    s->picture = nullptr;
}

}  // extern "C"
