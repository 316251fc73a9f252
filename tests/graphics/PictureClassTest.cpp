// The Picture, Graphics and RGBSurface classes through their entry points, with pixels read back
// through the RGB surface.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "FailureRecorder.h"
#include "PictureTesting.h"
#include "RaisedExceptions.h"
#include "core/ArrayRecord.h"
#include "core/ObjectModel.h"
#include "graphics/GraphicsClass.h"
#include "graphics/GraphicsGDI.h"
#include "graphics/PictureClass.h"
#include "graphics/PictureImp.h"
#include "graphics/RGBSurface.h"
#include "windows/Drawing.h"

namespace {

std::vector<uint8_t> Packed(ObjectHeader* picture) {
    const string packed = string::Adopt(PicturePacker(picture));
    const auto* bytes = reinterpret_cast<const uint8_t*>(packed.CString());
    return std::vector<uint8_t>(bytes, bytes + packed.Length());
}

ArrayRecord* IntegerArray(const std::vector<int32_t>& values) {
    ArrayRecord* array = CreateArray(1, kArrayInt32, static_cast<int32_t>(values.size()) - 1);
    std::memcpy(array->data, values.data(), values.size() * 4);
    return array;
}

TEST(PictureClass, VectorAndLowDepthPictures) {
    Held vector(newPicture(100, 50, 0));
    EXPECT_EQ(pictureWidthGetter(vector), 100);
    EXPECT_EQ(pictureHeightGetter(vector), 50);
    EXPECT_EQ(PictureDepthGetter(vector), 0);
    EXPECT_EQ(pictureImageCountGetter(vector), 0);
    EXPECT_EQ(PictureHResGetter(vector), 72);
    EXPECT_EQ(pictureGraphicsGetter(vector), nullptr);
    EXPECT_EQ(pictureRGBSurfaceGetter(vector), nullptr);
    EXPECT_EQ(pictureMaskGetter(vector), nullptr);
    Held objects(pictureGroup2DGetter(vector));
    EXPECT_NE(objects.object, nullptr);
    // A vector picture packs as white through drawing.
    const auto packed = Packed(vector);
    ASSERT_EQ(packed.size(), 8u + 4 * 100 * 50);
    EXPECT_EQ(packed[8], 0xFF);

    Held fourBit(newPicture(100, 50, 2));
    EXPECT_EQ(PictureDepthGetter(fourBit), 4);
    EXPECT_EQ(pictureImageCountGetter(fourBit), 1);
    EXPECT_EQ(pictureRGBSurfaceGetter(fourBit), nullptr);
}

TEST(PictureClass, PackerFormat) {
    Held picture(newPicture(3, 2, 32));
    std::vector<uint8_t> expected = {3, 0, 0, 0, 2, 0, 0, 0};
    for (int i = 0; i < 6; ++i) expected.insert(expected.end(), {0xFF, 0xFF, 0xFF, 0});
    EXPECT_EQ(Packed(picture), expected);

    // A picture with a mask is flattened onto white through drawing: half-transparent black.
    Held masked(newPicture(1, 1, 32));
    Held surface(pictureRGBSurfaceGetter(masked));
    rgbSurfaceSetPixel(surface, 0, 0, 0);
    Held mask(pictureMaskGetter(masked));
    Held maskSurface(pictureRGBSurfaceGetter(mask));
    rgbSurfaceSetPixel(maskSurface, 0, 0, 0x808080);
    const auto flattened = Packed(masked);
    EXPECT_EQ(flattened[8], 0x80 * 255 / 255);

    Held huge(newPicture(30000, 30000, 32));
    EXPECT_EQ(PicturePacker(huge), nullptr);
    EXPECT_EQ(pictureRGBSurfaceGetter(huge), nullptr);
    EXPECT_EQ(PicturePacker(nullptr), nullptr);
    Held graphics(pictureGraphicsGetter(picture));
    RuntimeGraphicsDrawPicture(graphics, huge, 0, 0, -10000, -10000, 0, 0, -10000, -10000);
    EXPECT_EQ(PicturePixels(picture), std::vector<uint32_t>(6, 0xFFFFFF));
}

TEST(PictureClass, MaskIsCachedAndStartsBlack) {
    Held picture(newPicture(4, 4, 32));
    Held first(pictureMaskGetter(picture));
    Held second(pictureMaskGetter(picture));
    EXPECT_EQ(first.object, second.object);
    EXPECT_EQ(PicturePixels(first), std::vector<uint32_t>(16, 0));

    // Another Picture of the same implementation finds the mask as it was left.
    Held surface(pictureRGBSurfaceGetter(first));
    rgbSurfaceSetPixel(surface, 0, 0, 0x808080);
    Held shared(pictureIndexedImage(picture, 0));
    Held sharedMask(pictureMaskGetter(shared));
    EXPECT_EQ(PicturePixels(sharedMask)[0], 0x808080u);
}

TEST(PictureClass, IndexedImageSharesPixelsAndResolutionReachesGraphics) {
    Held picture(newPicture(4, 4, 24));
    Held other(pictureIndexedImage(picture, 0));
    EXPECT_EQ(pictureTransparentGetter(other), 0);
    Held graphics(pictureGraphicsGetter(other));
    graphicsForeColorSetter(graphics, 0x123456);
    RuntimeGraphicsFillRect(graphics, 0, 0, 2, 2);
    EXPECT_EQ(PicturePixels(picture)[0], 0x123456u);

    Held again(pictureGraphicsGetter(other));
    EXPECT_EQ(again.object, graphics.object);

    Held highResolution(newPicture(4, 4, 32));
    PictureHResSetter(highResolution, 300);
    Held g(pictureGraphicsGetter(highResolution));
    EXPECT_EQ(GraphicsImplementation(g)->AsGraphicsGDI()->mHorizontalResolution, 300);
}

TEST(PictureClass, GraphicsOutlivesItsPicture) {
    ObjectHeader* picture = newPicture(4, 4, 32);
    Held graphics(pictureGraphicsGetter(picture));
    RuntimeUnlockObject(picture);
    EXPECT_EQ(GraphicsImplementation(graphics)->GetPane(), nullptr);
    FailureRecorder recorder;
    RuntimeGraphicsFillRect(graphics, 0, 0, 2, 2);
    ASSERT_EQ(recorder.Count(), 1u);
    EXPECT_EQ(recorder.Last().condition, "thePane");
}

TEST(GraphicsClass, PropertiesConvertAndKeepTheOtherBits) {
    Held picture(newPicture(10, 10, 32));
    Held g(pictureGraphicsGetter(picture));
    graphicsForeColorSetter(g, 0xFF8000);
    EXPECT_EQ(graphicsForeColorGetter(g), 0xFF8000);
    graphicsBoldSetter(g, 1);
    graphicsItalicSetter(g, 1);
    EXPECT_EQ(GraphicsImplementation(g)->TextFace(), 3);
    graphicsBoldSetter(g, 0);
    EXPECT_EQ(graphicsItalicGetter(g), 1);
    EXPECT_EQ(graphicsBoldGetter(g), 0);
    graphicsUseOldRendererSetter(g, 1);
    EXPECT_EQ(graphicsUseOldRendererGetter(g), 0);
    graphicsPenWidthSetter(g, 3);
    EXPECT_EQ(graphicsPenHeightGetter(g), 1);
    EXPECT_EQ(graphicsWidthGetter(g), 10);
    EXPECT_EQ(graphicsCopiesGetter(g), 0);
}

TEST(GraphicsClass, DrawLineIncludesTheEndPointBothWays) {
    Held a(newPicture(12, 12, 32)), b(newPicture(12, 12, 32));
    Held ga(pictureGraphicsGetter(a)), gb(pictureGraphicsGetter(b));
    RuntimeGraphicsDrawLine(ga, 0, 10, 10, 10);
    RuntimeGraphicsDrawLine(gb, 10, 10, 0, 10);
    const auto pa = PicturePixels(a), pb = PicturePixels(b);
    EXPECT_EQ(pa, pb);
    EXPECT_EQ(pa[10 * 12 + 10], 0u);
    EXPECT_EQ(pa[10 * 12 + 0], 0u);
    EXPECT_EQ(pa[10 * 12 + 11], 0xFFFFFFu);
}

TEST(GraphicsClass, PixelAndPolygon) {
    Held picture(newPicture(10, 10, 32));
    Held g(pictureGraphicsGetter(picture));
    graphicsPixelSetter(g, 2, 3, 0x00FF00);
    EXPECT_EQ(graphicsPixelGetter(g, 2, 3), 0x00FF00);
    ArrayRecord* points = IntegerArray({0, 0, 0, 8, 0, 8, 8, 0, 8});
    graphicsFillPolygon(g, points);
    RuntimeUnlockArray(points);
    EXPECT_EQ(PicturePixels(picture)[1 * 10 + 5], 0u);
    EXPECT_EQ(PicturePixels(picture)[9 * 10 + 9], 0xFFFFFFu);
}

TEST(GraphicsClass, DrawStringBaselineAndCondensing) {
    Held picture(newPicture(200, 40, 32));
    Held g(pictureGraphicsGetter(picture));
    const string text("Wide text here");
    RuntimeGraphicsDrawStringCondensed(g, text.Record(), 0, 20, 0, 0);
    auto pixels = PicturePixels(picture);
    int belowBaseline = 0, above = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 200; ++x)
            if (pixels[y * 200 + x] != 0xFFFFFF) (y < 20 ? above : belowBaseline) += 1;
    EXPECT_GT(above, 0);

    // Condensed to 40 pixels: the text and "..." stay within 40 columns; a width no wider than
    // "..." draws nothing.
    Held narrow(newPicture(200, 40, 32));
    Held gn(pictureGraphicsGetter(narrow));
    RuntimeGraphicsDrawStringCondensed(gn, text.Record(), 0, 20, 40, 1);
    pixels = PicturePixels(narrow);
    int inside = 0, outside = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 200; ++x)
            if (pixels[y * 200 + x] != 0xFFFFFF) (x < 40 ? inside : outside) += 1;
    EXPECT_GT(inside, 0);
    EXPECT_EQ(outside, 0);

    Held none(newPicture(50, 40, 32));
    Held g0(pictureGraphicsGetter(none));
    RuntimeGraphicsDrawStringCondensed(g0, text.Record(), 0, 20, 2, 1);
    EXPECT_EQ(PicturePixels(none), std::vector<uint32_t>(50 * 40, 0xFFFFFF));
}

// A 20 x 20 picture whose column x has the grey value 10 x x.
ObjectHeader* Gradient() {
    ObjectHeader* picture = newPicture(20, 20, 32);
    Held surface(pictureRGBSurfaceGetter(picture));
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x) rgbSurfaceSetPixel(surface, x, y, 10 * x * 0x010101);
    return picture;
}

TEST(GraphicsClass, DrawPictureSizesAndClipping) {
    Held source(Gradient());
    const struct {
        const char* what;
        int32_t x, w1, h1, sx, sy, w2, h2;
        int firstColumn;   // where the drawing starts
        uint32_t first;    // its colour; all ones: not checked
        int painted;       // destination pixels changed from white, in row 5
    } table[] = {
        {"whole", 0, -10000, -10000, 0, 0, -10000, -10000, 0, 0x000000, 20},
        {"part unscaled", 0, 10, 10, 0, 0, -10000, -10000, 0, 0x000000, 10},
        {"scaled half", 0, 10, 10, 0, 0, 20, 20, 0, 0xFFFFFFFF, 10},
        {"sx = -10", 0, -10000, -10000, -10, 0, -10000, -10000, 10, 0x000000, 10},
        {"zero h2 while clipping", 0, -10000, -10000, 0, -5, -10000, 0, -1, 0, 0},
        {"zero w1", 0, 0, -10000, 0, 0, -10000, -10000, -1, 0, 0},
        {"source beyond the right", 0, 10, 10, 15, 0, 10, 10, 0, 0x969696, 5},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.what);
        Held target(newPicture(30, 30, 32));
        Held g(pictureGraphicsGetter(target));
        RuntimeGraphicsDrawPicture(g, source, row.x, 0, row.w1, row.h1, row.sx, row.sy, row.w2,
                                   row.h2);
        const auto pixels = PicturePixels(target);
        int painted = 0, first = -1;
        for (int x = 0; x < 30; ++x) {
            const uint32_t p = pixels[5 * 30 + x];
            if (p != 0xFFFFFF) {
                ++painted;
                if (first < 0) first = x;
            }
        }
        EXPECT_EQ(first, row.firstColumn);
        if (first >= 0 && row.first != 0xFFFFFFFF) {
            EXPECT_EQ(pixels[5 * 30 + first], row.first);
        }
        EXPECT_EQ(painted >= row.painted && painted <= row.painted + 1, true) << painted;
    }
}

TEST(GraphicsClass, DrawPictureTransparentLeavesWhite) {
    Held source(newPicture(4, 4, 32));
    Held s(pictureRGBSurfaceGetter(source));
    rgbSurfaceSetPixel(s, 1, 1, 0x0000FF);
    pictureTransparentSetter(source, 1);
    Held target(newPicture(4, 4, 32));
    Held t(pictureRGBSurfaceGetter(target));
    for (int x = 0; x < 4; ++x) rgbSurfaceSetPixel(t, x, 0, 0x00FF00);
    rgbSurfaceSetPixel(t, 1, 1, 0x00FF00);
    Held g(pictureGraphicsGetter(target));
    RuntimeGraphicsDrawPicture(g, source, 0, 0, -10000, -10000, 0, 0, -10000, -10000);
    const auto pixels = PicturePixels(target);
    EXPECT_EQ(pixels[0], 0x00FF00u);
    EXPECT_EQ(pixels[5], 0x0000FFu);
}

TEST(RGBSurface, PixelFormats) {
    Held sixteen(newPicture(2, 2, 16));
    Held s16(pictureRGBSurfaceGetter(sixteen));
    rgbSurfaceSetPixel(s16, 0, 0, 0xFFFFFF);
    EXPECT_EQ(rgbSurfaceGetPixel(s16, 0, 0), 0xF8F8F8);
    Held thirtyTwo(newPicture(2, 2, 32));
    Held s32(pictureRGBSurfaceGetter(thirtyTwo));
    rgbSurfaceSetPixel(s32, 1, 1, 0x12345678);
    EXPECT_EQ(rgbSurfaceGetPixel(s32, 1, 1), 0x345678);
    const auto* fields = reinterpret_cast<RGBSurfaceObject*>(s32.object);
    EXPECT_EQ(std::memcmp(fields->bits + fields->rowBytes + 4, "\x78\x56\x34\x12", 4), 0);
    EXPECT_EQ(rgbSurfaceGetPixel(s32, 2, 0), 0);
    EXPECT_EQ(rgbSurfaceGetPixel(s32, -1, 0), 0);
    rgbSurfaceSetPixel(s32, 0, 2, 0);
    Held twentyFour(newPicture(2, 2, 24));
    Held s24(pictureRGBSurfaceGetter(twentyFour));
    rgbSurfaceSetPixel(s24, 1, 0, 0x010203);
    EXPECT_EQ(rgbSurfaceGetPixel(s24, 1, 0), 0x010203);
}

TEST(RGBSurface, FloodFill) {
    Held picture(newPicture(100, 100, 32));
    Held s(pictureRGBSurfaceGetter(picture));
    rgbSurfaceSeedFill(s, 50, 50, 0xFF0000);
    EXPECT_EQ(PicturePixels(picture), std::vector<uint32_t>(10000, 0xFF0000));
    rgbSurfaceSeedFill(s, 0, 0, 0xFF0000);

    // Two white regions that touch only at corners stay separate.
    Held diagonal(newPicture(4, 4, 24));
    Held d(pictureRGBSurfaceGetter(diagonal));
    for (int i = 0; i < 4; ++i) rgbSurfaceSetPixel(d, i, i, 0);
    rgbSurfaceSeedFill(d, 3, 0, 0x0000FF);
    EXPECT_EQ(rgbSurfaceGetPixel(d, 0, 3), 0xFFFFFF);
    EXPECT_EQ(rgbSurfaceGetPixel(d, 1, 0), 0x0000FF);

    RaisedExceptions raised;
    rgbSurfaceSeedFill(s, -1, 0, 0);
    EXPECT_EQ(raised.Take(), "OutOfBoundsException");
}

TEST(RGBSurface, Transform) {
    std::vector<int32_t> inverse(256), identity(256);
    for (int i = 0; i < 256; ++i) {
        inverse[i] = 255 - i;
        identity[i] = i;
    }
    Held picture(newPicture(2, 1, 32));
    Held s(pictureRGBSurfaceGetter(picture));
    rgbSurfaceSetPixel(s, 0, 0, 0x7F102030);
    ArrayRecord* invert = IntegerArray(inverse);
    ArrayRecord* same = IntegerArray(identity);
    rgbSurfaceTransform(s, same);
    EXPECT_EQ(rgbSurfaceGetPixel(s, 0, 0), 0x102030);
    rgbSurfaceTransform(s, invert);
    const auto* fields = reinterpret_cast<RGBSurfaceObject*>(s.object);
    EXPECT_EQ(std::memcmp(fields->bits, "\xCF\xDF\xEF\x7F", 4), 0);
    EXPECT_EQ(rgbSurfaceGetPixel(s, 1, 0), 0);

    RaisedExceptions raised;
    ArrayRecord* shortMap = IntegerArray(std::vector<int32_t>(100, 0));
    rgbSurfaceTransformRGB(s, invert, shortMap, invert);
    ASSERT_EQ(raised.Seen().size(), 1u);
    EXPECT_EQ(raised.Seen()[0].name, "UnsupportedFormatException");
    EXPECT_EQ(raised.Seen()[0].message, "Transform map UBound must be 255, not 99");
    Held sixteen(newPicture(2, 2, 16));
    Held s16(pictureRGBSurfaceGetter(sixteen));
    rgbSurfaceTransform(s16, invert);
    ASSERT_EQ(raised.Seen().size(), 2u);
    EXPECT_EQ(raised.Seen()[1].message, "Transform depth must be 24 or 32, not 16");
    rgbSurfaceTransformRGB(s, invert, nullptr, invert);
    ASSERT_EQ(raised.Seen().size(), 3u);
    EXPECT_EQ(raised.Seen()[2].name, "NilObjectException");
    EXPECT_EQ(rgbSurfaceGetPixel(s, 0, 0), 0xEFDFCF);
    RuntimeUnlockArray(invert);
    RuntimeUnlockArray(same);
    RuntimeUnlockArray(shortMap);
}

}  // namespace
