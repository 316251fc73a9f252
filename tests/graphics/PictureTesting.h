// Helpers of the picture and shape tests: references the test owns, and the pixels of a picture.
#pragma once

#include <cstdint>
#include <vector>

#include "core/ObjectModel.h"
#include "graphics/PictureClass.h"
#include "graphics/RGBSurface.h"
#include "windows/Drawing.h"

// A reference the test owns.
struct Held {
    explicit Held(ObjectHeader* o = nullptr) : object(o) {}
    ~Held() { RuntimeUnlockObject(object); }
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;
    ObjectHeader* object;
    operator ObjectHeader*() const { return object; }
};

// Every pixel of a picture as 0x00RRGGBB, rows top first.
inline std::vector<uint32_t> PicturePixels(ObjectHeader* picture) {
    EndAllDrawing();
    Held surface(pictureRGBSurfaceGetter(picture));
    std::vector<uint32_t> out;
    if (!surface.object) return out;
    for (int y = 0; y < pictureHeightGetter(picture); ++y)
        for (int x = 0; x < pictureWidthGetter(picture); ++x)
            out.push_back(static_cast<uint32_t>(rgbSurfaceGetPixel(surface, x, y)));
    return out;
}
