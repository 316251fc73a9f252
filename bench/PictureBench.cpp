// Pictures against the direct ways to the same pixels, side by side: RGBSurface Pixel reads and
// writes against pointer access to the same DIB section; transparent and masked DrawPicture
// against TransparentBlt and a per-pixel-alpha AlphaBlend onto the same destination; PicturePacker
// against copying the rows.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "BenchTiming.h"
#include "core/ObjectModel.h"
#include "core/RuntimeString.h"
#include "graphics/PictureClass.h"
#include "graphics/PictureImp.h"
#include "graphics/RGBSurface.h"
#include "windows/Drawing.h"

namespace {

constexpr int kSize = 256;

Rect16 Whole(int width, int height) {
    return Rect16{0, 0, static_cast<int16_t>(height), static_cast<int16_t>(width)};
}

}  // namespace

int main() {
    uint64_t checksum = 0;
    ObjectHeader* picture = newPicture(kSize, kSize, 32);
    ObjectHeader* surface = pictureRGBSurfaceGetter(picture);
    auto* fields = reinterpret_cast<RGBSurfaceObject*>(surface);

    const double surfaceTime = Best([&] {
        uint64_t sum = 0;
        for (int y = 0; y < kSize; ++y)
            for (int x = 0; x < kSize; ++x) {
                rgbSurfaceSetPixel(surface, x, y, x * y);
                sum += static_cast<uint32_t>(rgbSurfaceGetPixel(surface, x, y));
            }
        return sum;
    }, checksum);
    const double pointerTime = Best([&] {
        uint64_t sum = 0;
        for (int y = 0; y < kSize; ++y) {
            auto* row = reinterpret_cast<uint32_t*>(fields->bits + y * fields->rowBytes);
            for (int x = 0; x < kSize; ++x) {
                row[x] = static_cast<uint32_t>(x * y);
                sum += row[x] & 0x00FFFFFF;
            }
        }
        return sum;
    }, checksum);
    std::printf("RGBSurface Pixel write and read vs pointer access, %dx%d: %.2f\n", kSize, kSize,
                surfaceTime / pointerTime);

    // Destination: a 32-bit section in a memory DC.
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), kSize, -kSize, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* destinationBits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP destination = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &destinationBits, nullptr, 0);
    SelectObject(dc, destination);
    PictureImp* imp = PictureImplementation(picture);
    auto* offscreen = static_cast<OffscreenPicture*>(imp);
    constexpr int kDrawings = 50;

    // Transparent: the picture's white against TransparentBlt of white from its own context.
    std::memset(offscreen->Bits(), 0xFF, static_cast<size_t>(kSize) * offscreen->RowBytes() / 2);
    const double transparentTime = Best([&] {
        for (int i = 0; i < kDrawings; ++i)
            imp->DrawPartToDC(dc, Whole(kSize, kSize), Whole(kSize, kSize), false, true);
        GdiFlush();
        return 1;
    }, checksum);
    bool release = false;
    HDC source = offscreen->AcquireDC(release);
    const double transparentBltTime = Best([&] {
        for (int i = 0; i < kDrawings; ++i)
            TransparentBlt(dc, 0, 0, kSize, kSize, source, 0, 0, kSize, kSize, RGB(255, 255, 255));
        GdiFlush();
        return 1;
    }, checksum);
    std::printf("transparent DrawPicture vs TransparentBlt, %dx%d: %.2f\n", kSize, kSize,
                transparentTime / transparentBltTime);

    // Masked: the software blend against AlphaBlend with per-pixel alpha of the same values.
    imp->EnsureMask();
    auto* mask = static_cast<OffscreenPicture*>(imp->GetMask());
    for (int i = 0; i < kSize * kSize; ++i) reinterpret_cast<uint32_t*>(mask->Bits())[i] = (i & 0xFF) * 0x010101u;
    const double maskedTime = Best([&] {
        for (int i = 0; i < kDrawings; ++i)
            imp->DrawPartToDC(dc, Whole(kSize, kSize), Whole(kSize, kSize), false, false);
        GdiFlush();
        return 1;
    }, checksum);
    auto* pixels = reinterpret_cast<uint32_t*>(offscreen->Bits());
    for (int i = 0; i < kSize * kSize; ++i) {
        // Premultiplied, with the alpha the mask gives.
        const uint32_t alpha = 255 - (i & 0xFF);
        const uint32_t p = pixels[i];
        pixels[i] = (alpha << 24) | (((p >> 16 & 0xFF) * alpha / 255) << 16) |
                    (((p >> 8 & 0xFF) * alpha / 255) << 8) | ((p & 0xFF) * alpha / 255);
    }
    const BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    const double alphaTime = Best([&] {
        for (int i = 0; i < kDrawings; ++i)
            AlphaBlend(dc, 0, 0, kSize, kSize, source, 0, 0, kSize, kSize, blend);
        GdiFlush();
        return 1;
    }, checksum);
    offscreen->ReleaseDC(release);
    std::printf("masked DrawPicture vs per-pixel-alpha AlphaBlend, %dx%d: %.2f\n", kSize, kSize,
                maskedTime / alphaTime);

    // PicturePacker of a picture without a mask against copying its rows into a string.
    ObjectHeader* plain = newPicture(kSize, kSize, 32);
    auto* plainImp = static_cast<OffscreenPicture*>(PictureImplementation(plain));
    const double packerTime = Best([&] {
        uint64_t sum = 0;
        for (int i = 0; i < 10; ++i) {
            const string packed = string::Adopt(PicturePacker(plain));
            sum += static_cast<uint8_t>(packed.CString()[9]);
        }
        return sum;
    }, checksum);
    const double copyTime = Best([&] {
        uint64_t sum = 0;
        for (int i = 0; i < 10; ++i) {
            string packed;
            char* out = packed.AllocateBytes(8 + 4 * kSize * kSize);
            std::memcpy(out, &kSize, 4);
            std::memcpy(out + 4, &kSize, 4);
            for (int y = 0; y < kSize; ++y)
                std::memcpy(out + 8 + 4 * kSize * y, plainImp->Bits() + y * plainImp->RowBytes(),
                            4 * kSize);
            sum += static_cast<uint8_t>(out[9]);
        }
        return sum;
    }, checksum);
    std::printf("PicturePacker vs copying the rows, %dx%d: %.2f\n", kSize, kSize,
                packerTime / copyTime);
    std::printf("(checksum %llu)\n", static_cast<unsigned long long>(checksum));

    RuntimeUnlockObject(plain);
    RuntimeUnlockObject(surface);
    RuntimeUnlockObject(picture);
    DeleteDC(dc);
    DeleteObject(destination);
    return 0;
}
