// The shapes the plotter does not draw as polygons: text and pixel maps. Unturned they go
// straight to the graphics; turned they are drawn into square 32-bit offscreen pictures, turned
// pixel by pixel, and drawn through a turned mask.
#include <cmath>

#include "core/FailureReport.h"
#include "core/RuntimeString.h"
#include "graphics/DrawingModel.h"
#include "graphics/GraphicsImp.h"
#include "graphics/PictureClass.h"
#include "graphics/PictureImp.h"
#include "graphics/PixMapRotate.h"
#include "graphics/ShapeOutlines.h"
#include "graphics/ShapePlotter.h"
#include "windows/Pane.h"

namespace {

constexpr const char* kSource = "ShapePlotter";

// A square white 32-bit offscreen picture with pixels, or null.
OffscreenPicture* NewSquare(int32_t size) {
    auto* picture = new OffscreenPicture(size, size, 32);
    if (picture->HasBitmap()) return picture;
    picture->Release();
    return nullptr;
}

void Release(PictureImp* picture) {
    if (picture) picture->Release();
}

// The graphics of a picture, or null after the failed assertion.
GraphicsImp* GraphicsOf(PictureImp* picture) {
    GraphicsImp* graphics = picture->NewGraphics();
    if (!graphics) ReportAssertion(kSource, 1010, "g");
    return graphics;
}

// Cuts the box to the square of side size; x and y, the box's place in the drawing, move by what
// is cut at the left and top. False when nothing is left.
bool CutToSquare(int32_t& x, int32_t& y, int32_t& left, int32_t& top, int32_t& width,
                 int32_t& height, int32_t size) {
    if (left < 0) {
        x -= left;
        width += left;
        left = 0;
    }
    if (top < 0) {
        y -= top;
        height += top;
        top = 0;
    }
    if (left + width > size) width = size - left;
    if (top + height > size) height = size - top;
    return width > 0 && height > 0;
}

// One axis of a pixmap's source clipping, in 64 bits: the destination follows what is cut from
// the source. False when nothing is left.
bool ClipSource(int64_t& destination, int64_t& destinationSize, int64_t& source,
                int64_t& sourceSize, int64_t pictureSize) {
    if (source < 0) {
        const int64_t k = (-source * destinationSize) / sourceSize;
        destination += k;
        destinationSize -= k;
        sourceSize += source;
        source = 0;
    }
    if (sourceSize > 0 && source + sourceSize > pictureSize) {
        const int64_t m = pictureSize - source;
        destinationSize = (destinationSize * m) / sourceSize;
        sourceSize = m;
    }
    return destinationSize > 0 && sourceSize > 0 && destinationSize <= INT32_MAX &&
           sourceSize <= INT32_MAX;
}

}  // namespace

void ApplyTextStyle(GraphicsImp* graphics, const StringShapeFields* shape) {
    graphics->SetTextFont(string(shape->textFont));
    graphics->SetTextSize(TruncateToInt32(shape->textSize * shape->shape.scale));
    graphics->SetTextFace((shape->bold ? kFaceBold : 0) | (shape->italic ? kFaceItalic : 0) |
                          (shape->underline ? kFaceUnderline : 0));
    graphics->SetForeColor(RGBColor16FromColor(static_cast<uint32_t>(shape->shape.fillColor)));
}

void RotatedBounds(int32_t& left, int32_t& top, int32_t& width, int32_t& height, double angle) {
    const double hw = width * 0.5;
    const double hh = height * 0.5;
    const double cx = left + hw;
    const double cy = top + hh;
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    double minX = 0, maxX = 0, minY = 0, maxY = 0;
    const double corners[4][2] = {{hw, hh}, {-hw, hh}, {-hw, -hh}, {hw, -hh}};
    for (const auto& corner : corners) {
        const double x = corner[0] * c - corner[1] * s;
        const double y = corner[0] * s + corner[1] * c;
        minX = std::fmin(minX, x);
        maxX = std::fmax(maxX, x);
        minY = std::fmin(minY, y);
        maxY = std::fmax(maxY, y);
    }
    left = TruncateToInt32(cx + minX - 1.0);
    if (left < 0) left = 0;
    top = TruncateToInt32(cy + minY - 1.0);
    if (top < 0) top = 0;
    width = TruncateToInt32(maxX - minX + 3.0);
    height = TruncateToInt32(maxY - minY + 3.0);
}

int32_t RotatePixMap(PictureImp* source, PictureImp* destination, double angle, int32_t flags) {
    if (!source || !destination || source == destination) {
        ReportAssertion("PixMapRotate", 42, "srcDP and dstDP and srcDP != dstDP");
        return 3;
    }
    int32_t width = 0, height = 0, otherWidth = 0, otherHeight = 0;
    source->GetSize(width, height);
    destination->GetSize(otherWidth, otherHeight);
    if (width != otherWidth || height != otherHeight) return 3;
    int32_t depth = 0, otherDepth = 0, stride = 0, otherStride = 0;
    uint8_t* bits = nullptr;
    uint8_t* otherBits = nullptr;
    const bool got = source->GetPixels(depth, bits, stride);
    const bool gotOther = destination->GetPixels(otherDepth, otherBits, otherStride);
    int32_t result = 3;
    if (got && gotOther && depth == 32 && otherDepth == 32 && stride == otherStride) {
        result = RotatePixels(reinterpret_cast<uint32_t*>(bits), stride,
                              reinterpret_cast<uint32_t*>(otherBits), otherStride, width, height,
                              angle, flags);
    }
    if (got) source->ReleasePixels();
    if (gotOther) destination->ReleasePixels();
    return result;
}

void ShapePlotter::DrawStringShape(ObjectHeader* object) {
    StringShapeFields* shape = ShapeFieldsAs<StringShapeFields>(object);
    if (!shape) {
        ReportAssertion(kSource, 1100, "str");
        return;
    }
    if (shape->shape.fill < 0.5 && !mGraphics->SupportsTranslucency()) return;
    int32_t left = 0, top = 0;
    if (!PaneOrigin(left, top)) return;
    const string text(shape->text);
    mGraphics->SetOpacity(static_cast<float>(shape->shape.fill));
    ApplyTextStyle(mGraphics, shape);
    const int32_t wd = mGraphics->StringWidth(text, false);
    const double a = std::fmod(shape->shape.rotation, kTwoPi);
    const double x = shape->shape.x;
    const double y = shape->shape.y;
    if (a > -0.001 && a < 0.001) {
        mGraphics->DrawString(text, TruncateToInt32(left + x - wd / 2), TruncateToInt32(top + y),
                              nullptr);
        return;
    }
    const int32_t ascent = mGraphics->TextAscent();
    int32_t size = wd + 2 * ascent + 4;
    if (size & 1) ++size;
    if (size <= 0) return;
    const int32_t x0 = TruncateToInt32((size - wd) * 0.5);
    const int32_t y0 = TruncateToInt32(size * 0.5);

    // The text colour over the whole square, shown through a mask that is the turned text.
    OffscreenPicture* colour = NewSquare(size);
    if (!colour) return;
    if (GraphicsImp* g = GraphicsOf(colour)) {
        ApplyTextStyle(g, shape);
        g->FillRect(MakeRect16(0, 0, size, size));
        DisposeGraphicsImp(g);
    } else {
        colour->Release();
        return;
    }
    colour->EnsureMask();
    PictureImp* mask = colour->GetMask();
    OffscreenPicture* scratch = NewSquare(size);
    GraphicsImp* h = mask && scratch ? GraphicsOf(scratch) : nullptr;
    if (h) {
        ApplyTextStyle(h, shape);
        h->SetForeColor(RGBColor16{0, 0, 0});
        h->DrawString(text, x0, y0, nullptr);
        DisposeGraphicsImp(h);
        RotatePixMap(scratch, mask, -a, kRotateFill);

        int32_t l = x0 - 1;
        int32_t t = y0 - ascent - 1;
        int32_t w = TruncateToInt32(size - 2.0 * l);
        int32_t hh = TruncateToInt32(size - 2.0 * t);
        RotatedBounds(l, t, w, hh, a);
        int32_t dx = TruncateToInt32(x - w / 2) + left;
        int32_t dy = TruncateToInt32(y - hh / 2) + top;
        if (CutToSquare(dx, dy, l, t, w, hh, size))
            mGraphics->DrawPicturePart(dx, dy, colour, l, t, w, hh, false);
    }
    Release(scratch);
    colour->Release();
}

void ShapePlotter::DrawPixmapShape(ObjectHeader* object) {
    PixmapShapeFields* pixmap = ShapeFieldsAs<PixmapShapeFields>(object);
    if (!pixmap) {
        ReportAssertion(kSource, 1200, "pic");
        return;
    }
    Object2DFields* shape = &pixmap->rect.shape;
    int32_t left = 0, top = 0;
    if (!PaneOrigin(left, top)) return;
    PictureImp* image = PictureImplementation(pixmap->image);
    if ((shape->fill >= 0.5 || mGraphics->SupportsTranslucency()) && image) {
        mGraphics->SetOpacity(static_cast<float>(shape->fill));
        int32_t pw = 0, ph = 0;
        image->GetSize(pw, ph);
        int64_t dw = TruncateToInt32(pixmap->rect.width * shape->scale);
        int64_t dh = TruncateToInt32(pixmap->rect.height * shape->scale);
        int64_t sx = pixmap->sourceLeft, sy = pixmap->sourceTop;
        int64_t sw = pixmap->sourceWidth, sh = pixmap->sourceHeight;
        int64_t dx = TruncateToInt32(shape->x - static_cast<double>(dw / 2));
        int64_t dy = TruncateToInt32(shape->y - static_cast<double>(dh / 2));
        if (dw > 0 && sw > 0 && dh > 0 && sh > 0 && ClipSource(dx, dw, sx, sw, pw) &&
            ClipSource(dy, dh, sy, sh, ph)) {
            const bool transparent =
                reinterpret_cast<PictureObject*>(pixmap->image)->transparent != 0;
            const auto i32 = [](int64_t v) { return static_cast<int32_t>(v); };
            if (shape->rotation >= -0.001 && shape->rotation <= 0.001) {
                mGraphics->DrawPictureScaled(i32(dx + left), i32(dy + top), i32(dw), i32(dh), image,
                                             i32(sx), i32(sy), i32(sw), i32(sh), transparent);
            } else if (!DrawTurnedImage(pixmap, image, i32(dw), i32(dh), i32(sx), i32(sy),
                                        i32(sw), i32(sh), left, top)) {
                return;
            }
        }
    }
    if (shape->border >= 0.5 && shape->borderWidth > 0) {
        const double fill = shape->fill;
        shape->fill = 0;
        DrawClosedShape(object);
        shape->fill = fill;
    }
}

bool ShapePlotter::DrawTurnedImage(PixmapShapeFields* pixmap, PictureImp* image, int32_t dw,
                                   int32_t dh, int32_t sx, int32_t sy, int32_t sw, int32_t sh,
                                   int32_t left, int32_t top) {
    const Object2DFields* shape = &pixmap->rect.shape;
    const int64_t side = static_cast<int64_t>(dw) + dh + ((static_cast<int64_t>(dw) + dh) & 1);
    if (side > INT32_MAX) return false;
    const int32_t size = static_cast<int32_t>(side);
    const int32_t ox = TruncateToInt32((size - dw) * 0.5);
    const int32_t oy = TruncateToInt32((size - dh) * 0.5);
    OffscreenPicture* a = NewSquare(size);
    OffscreenPicture* b = a ? NewSquare(size) : nullptr;
    if (!b) {
        Release(a);
        return false;
    }
    // The image with a frame of its repeated edge pixels, so that turned edges do not blend with
    // white.
    if (GraphicsImp* g = GraphicsOf(a)) {
        g->DrawPictureScaled(ox, oy, dw, dh, image, sx, sy, sw, sh, false);
        g->DrawPictureScaled(ox, oy - 1, dw, 1, image, sx, sy, sw, 1, false);
        g->DrawPictureScaled(ox, oy + dh, dw, 1, image, sx, sy + sh - 1, sw, 1, false);
        g->DrawPictureScaled(ox - 1, oy, 1, dh, image, sx, sy, 1, sh, false);
        g->DrawPictureScaled(ox + dw, oy, 1, dh, image, sx + sw - 1, sy, 1, sh, false);
        DisposeGraphicsImp(g);
        RotatePixMap(a, b, -shape->rotation, kRotateEdge);
        a->EnsureMask();
        b->EnsureMask();
        PictureImp* maskA = a->GetMask();
        PictureImp* maskB = b->GetMask();
        GraphicsImp* gm = nullptr;
        if (!maskA || !maskB)
            ReportAssertion(kSource, 1290, "srcMask and dstMask");
        else
            gm = GraphicsOf(maskA);
        if (gm) {
            if (PictureImp* imageMask = image->GetMask()) {
                gm->DrawPictureScaled(ox, oy, dw, dh, imageMask, sx, sy, sw, sh, false);
            } else {
                gm->SetForeColor(RGBColor16{0, 0, 0});
                gm->FillRect(MakeRect16(ox, oy, ox + dw, oy + dh));
            }
            DisposeGraphicsImp(gm);
            RotatePixMap(maskA, maskB, -shape->rotation, kRotateFill);
            int32_t l = ox, t = oy, w = dw, h = dh;
            RotatedBounds(l, t, w, h, shape->rotation);
            int32_t x = TruncateToInt32(shape->x - size / 2) + left + l;
            int32_t y = TruncateToInt32(shape->y - size / 2) + top + t;
            if (CutToSquare(x, y, l, t, w, h, size))
                mGraphics->DrawPicturePart(x, y, b, l, t, w, h, false);
        }
    }
    b->Release();
    a->Release();
    return true;
}
