// The shape classes through their entry points, and shapes drawn through DrawObject into 32-bit
// pictures, read back pixel by pixel: bands on both sides of an outline, turned images against
// turned rectangles, the direction of turns, and turned text.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "FailureRecorder.h"
#include "RaisedExceptions.h"
#include "PictureTesting.h"
#include "core/DefinitionConversion.h"
#include "graphics/GraphicsClass.h"
#include "graphics/GraphicsImp.h"
#include "graphics/PictureImp.h"
#include "graphics/PixMapRotate.h"
#include "graphics/ShapeModel.h"
#include "graphics/ShapePlotter.h"
#include "graphics/Shapes2D.h"
#include "core/PropertyAccessors.h"

namespace {

constexpr double kPi = 3.141592653589793;
constexpr uint32_t kWhite = 0xFFFFFF;

template <typename Fields>
Fields* F(ObjectHeader* object) {
    return ShapeFieldsAs<Fields>(object);
}

int32_t Offset(size_t fieldOffset) { return static_cast<int32_t>(kShapeFieldsOffset + fieldOffset); }

TEST(ShapeClasses, DefaultsAndSetters) {
    Held rect(CreateInstance(GetRectShapeDefinition()));
    EXPECT_EQ(F<RectShapeFields>(rect)->width, 100);
    EXPECT_EQ(doublePercentGetter(rect, Offset(offsetof(Object2DFields, fill))), 100);
    EXPECT_EQ(doublePercentGetter(rect, Offset(offsetof(Object2DFields, border))), 0);
    doublePercentSetter(rect, Offset(offsetof(Object2DFields, fill)), 150);
    EXPECT_EQ(F<Object2DFields>(rect)->fill, 1.5);
    EXPECT_TRUE(RectShapeContains(rect, 0, 0));
    EXPECT_FALSE(RectShapeContains(rect, 50, 0));
    // X goes through the transform setter: a group moves its members.
    Held group(CreateInstance(GetGroup2DDefinition()));
    Group2DAppend(group, rect);
    Object2DDoubleSetter(group, Offset(offsetof(Object2DFields, x)), 7);
    Object2DDoubleSetter(group, Offset(offsetof(Object2DFields, scale)), 2);
    EXPECT_EQ(F<Object2DFields>(rect)->x, 7);
    EXPECT_EQ(F<Object2DFields>(rect)->scale, 2);

    Held arc(CreateInstance(GetArcShapeDefinition()));
    EXPECT_EQ(F<Object2DFields>(arc)->kind, kShapeKindArc);
    EXPECT_DOUBLE_EQ(F<ArcShapeFields>(arc)->arcAngle, kPi / 2);
    const int32_t start = Offset(offsetof(ArcShapeFields, startAngle));
    ArcStartAngleSetter(arc, start, -1);
    EXPECT_DOUBLE_EQ(F<ArcShapeFields>(arc)->startAngle, 5.283185307179586);
    ArcStartAngleSetter(arc, start, 7);
    EXPECT_DOUBLE_EQ(F<ArcShapeFields>(arc)->startAngle, 7 - 2 * kPi);

    Held curve(CreateInstance(GetCurveShapeDefinition()));
    EXPECT_EQ(doublePercentGetter(curve, Offset(offsetof(Object2DFields, fill))), 0);
    EXPECT_EQ(doublePercentGetter(curve, Offset(offsetof(Object2DFields, border))), 100);
    EXPECT_EQ(F<CurveShapeFields>(curve)->x2, 100);

    Held text(CreateInstance(GetStringShapeDefinition()));
    const string textValue = string::Adopt(stringGetter(text, Offset(offsetof(StringShapeFields, text))));
    EXPECT_STREQ(textValue.CString(), "-");
    EXPECT_EQ(textValue.Encoding(), kEncodingASCII);
    EXPECT_STREQ(string(F<StringShapeFields>(text)->textFont).CString(), "System");
}

TEST(ShapeClasses, OutOfBoundsRaises) {
    RaisedExceptions raised;
    Held curve(CreateInstance(GetCurveShapeDefinition()));
    const int32_t order = Offset(offsetof(CurveShapeFields, order));
    CurveOrderSetter(curve, order, 2);
    for (int32_t bad : {3, -1}) {
        CurveOrderSetter(curve, order, bad);
        EXPECT_EQ(raised.Take(), "OutOfBoundsException");
        EXPECT_EQ(F<CurveShapeFields>(curve)->order, 2);
    }
    CurveSetControlY(curve, 1, 4.5);
    EXPECT_EQ(CurveGetControlY(curve, 1), 4.5);
    EXPECT_EQ(CurveGetControlX(curve, 2), 0.0);
    EXPECT_EQ(raised.Take(), "OutOfBoundsException");
    CurveSetControlX(curve, -1, 1);
    EXPECT_EQ(raised.Take(), "OutOfBoundsException");

    Held group(CreateInstance(GetGroup2DDefinition()));
    Group2DAppend(group, curve);
    EXPECT_EQ(Group2DCount(group), 1);
    EXPECT_EQ(Group2DGetItem(group, 1), nullptr);
    EXPECT_EQ(raised.Take(), "OutOfBoundsException");
    Group2DInsert(group, 2, curve);
    EXPECT_EQ(raised.Take(), "OutOfBoundsException");
    Group2DSetItem(group, -1, curve);
    EXPECT_EQ(raised.Take(), "OutOfBoundsException");
    Group2DRemoveByIndex(group, 1);
    EXPECT_EQ(raised.Take(), "OutOfBoundsException");
    Group2DInsert(group, 1, curve);
    Held item(Group2DGetItem(group, 1));
    EXPECT_EQ(item.object, curve.object);
    EXPECT_EQ(Group2DCount(group), 2);
    EXPECT_TRUE(raised.Names().empty());

    // Figures build their curves and hold the only references to them.
    Held figure(CreateInstance(GetFigureShapeDefinition()));
    FigureShapeAddLine(figure, 1, 2, 3, 4);
    FigureShapeAddQuad(figure, 3, 4, 5, 6, 7, 8);
    FigureShapeAddCubic(figure, 5, 6, 1, 2, 9, 10, 11, 12);
    EXPECT_EQ(Group2DCount(figure), 3);
    Held cubic(Group2DGetItem(figure, 2));
    EXPECT_EQ(cubic.object->refCount, 2);
    EXPECT_EQ(F<CurveShapeFields>(cubic)->order, 2);
    EXPECT_EQ(F<CurveShapeFields>(cubic)->control[1].y, 12);
}

TEST(ShapeClasses, RotatePixMapNeedsTwoPicturesOfOneSize) {
    auto* a = new OffscreenPicture(10, 10, 32);
    auto* b = new OffscreenPicture(10, 12, 32);
    int32_t depth = 0, stride = 0;
    uint8_t* bits = nullptr;
    ASSERT_TRUE(a->GetPixels(depth, bits, stride));
    bits[0] = 0x12;
    a->ReleasePixels();
    EXPECT_EQ(RotatePixMap(a, b, 1.0, kRotateEdge), 3);
    ASSERT_TRUE(a->GetPixels(depth, bits, stride));
    EXPECT_EQ(bits[0], 0x12);
    a->ReleasePixels();
    FailureRecorder failures;
    EXPECT_EQ(RotatePixMap(a, a, 1.0, 1), 3);
    ASSERT_EQ(failures.Count(), 1u);
    EXPECT_EQ(failures.Last().condition, "srcDP and dstDP and srcDP != dstDP");
    EXPECT_EQ(failures.Last().file, "PixMapRotate");
    a->Release();
    b->Release();
}

// A white 32-bit picture of 100 x 100 with the shape drawn into it through DrawObject.
std::vector<uint32_t> Draw(ObjectHeader* shape, int dx = 0, int dy = 0) {
    Held picture(newPicture(100, 100, 32));
    Held graphics(pictureGraphicsGetter(picture));
    if (dx || dy)
        RuntimeGraphicsDrawObjectXY(graphics, shape, dx, dy);
    else
        RuntimeGraphicsDrawObject(graphics, shape);
    return PicturePixels(picture);
}

bool Inked(uint32_t pixel) { return pixel != kWhite; }

TEST(ShapePixels, ThickOutlinesAreBandsCentredOnTheOutline) {
    Held rect(CreateInstance(GetRectShapeDefinition()));
    RectShapeFields* f = F<RectShapeFields>(rect);
    f->shape.x = f->shape.y = 50;
    f->width = f->height = 20;
    f->shape.fill = 0;
    f->shape.border = 1;
    f->shape.borderWidth = 4;
    const std::vector<uint32_t> pixels = Draw(rect);
    ASSERT_EQ(pixels.size(), 10000u);
    // Across the middle row the left edge at 40 and the right at 60 are bands 2 pixels each side
    // (GDI's filled polygon takes its edge pixels too); the inside and outside stay white.
    std::string row;
    for (int x = 34; x < 67; ++x) row += Inked(pixels[50 * 100 + x]) ? '#' : '.';
    EXPECT_EQ(row, "....#####...............#####....") << row;
    // No seam where the ring closes (its joining edge runs across the corner at 60, 60).
    for (int d = -2; d <= 2; ++d) EXPECT_TRUE(Inked(pixels[(60 + d) * 100 + 60 + d])) << d;
}

TEST(ShapePixels, TurnedImagesCoverWhatTurnedRectanglesCover) {
    Held image(newPicture(40, 20, 32));
    {
        Held g(pictureGraphicsGetter(image));
        graphicsForeColorSetter(g, 0xFF0000);
        RuntimeGraphicsFillRect(g, 0, 0, 20, 20);
        graphicsForeColorSetter(g, 0x0000FF);
        RuntimeGraphicsFillRect(g, 20, 0, 20, 20);
    }
    Held pixmap(CreateInstance(GetPixmapShapeDefinition()));
    PixmapShapeImageCtor(pixmap, image);
    F<Object2DFields>(pixmap)->x = F<Object2DFields>(pixmap)->y = 50;
    // A positive quarter turn is clockwise, as for vector shapes: red (left) comes above blue.
    F<Object2DFields>(pixmap)->rotation = kPi / 2;
    std::vector<uint32_t> turned = Draw(pixmap);
    EXPECT_EQ(turned[40 * 100 + 50], 0xFF0000u);
    EXPECT_EQ(turned[60 * 100 + 50], 0x0000FFu);
    EXPECT_EQ(turned[50 * 100 + 35], kWhite);

    // Turned by 0.5, the image covers the turned rectangle's pixels but for a one-pixel border
    // (its edges blend with the background: the faint ones do not count).
    F<Object2DFields>(pixmap)->rotation = 0.5;
    turned = Draw(pixmap);
    for (uint32_t& p : turned)
        if (((p >> 8) & 0xFF) > 0xA0) p = kWhite;
    Held rect(CreateInstance(GetRectShapeDefinition()));
    RectShapeFields* r = F<RectShapeFields>(rect);
    r->shape.x = r->shape.y = 50;
    r->width = 40;
    r->height = 20;
    r->shape.rotation = 0.5;
    const std::vector<uint32_t> shape = Draw(rect);
    int covered = 0;
    for (int y = 1; y < 99; ++y)
        for (int x = 1; x < 99; ++x) {
            covered += Inked(shape[y * 100 + x]);
            if (Inked(turned[y * 100 + x]) == Inked(shape[y * 100 + x])) continue;
            bool border = false;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    border |= Inked(shape[(y + dy) * 100 + x + dx]) != Inked(shape[y * 100 + x]);
            EXPECT_TRUE(border) << x << "," << y;
        }
    EXPECT_GT(covered, 700);
}

// The box of the inked pixels: left, top, right, bottom (inclusive).
struct Box {
    int left = 100, top = 100, right = -1, bottom = -1;
    int Width() const { return right - left + 1; }
    int Height() const { return bottom - top + 1; }
};

Box InkBox(const std::vector<uint32_t>& pixels) {
    Box box;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x)
            if (Inked(pixels[y * 100 + x])) {
                box.left = std::min(box.left, x);
                box.right = std::max(box.right, x);
                box.top = std::min(box.top, y);
                box.bottom = std::max(box.bottom, y);
            }
    return box;
}

TEST(ShapePixels, TurnedTextSwapsItsBox) {
    Held text(CreateInstance(GetStringShapeDefinition()));
    StringShapeFields* t = F<StringShapeFields>(text);
    stringSetter(text, Offset(offsetof(StringShapeFields, text)), string("WIDE text").Record());
    stringSetter(text, Offset(offsetof(StringShapeFields, textFont)), string("Arial").Record());
    t->textSize = 16;
    t->shape.x = t->shape.y = 50;
    const Box flat = InkBox(Draw(text));
    ASSERT_GT(flat.Width(), 30);
    t->shape.rotation = -kPi / 2;
    const Box turned = InkBox(Draw(text));
    EXPECT_NEAR(turned.Width(), flat.Height(), 2);
    EXPECT_NEAR(turned.Height(), flat.Width(), 2);
    // A quarter turn back runs the text upward along its baseline, centred on (X, Y), its ink left
    // of X.
    EXPECT_NEAR((turned.top + turned.bottom) / 2.0, 50, 2);
    EXPECT_LE(turned.right, 52);
    // GDI's own turned text, a font of escapement 900 from the same turned baseline start, inks the
    // same box.
    HDC dc = CreateCompatibleDC(nullptr);
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 100, -100, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, bitmap);
    auto* gdi = static_cast<uint32_t*>(bits);
    std::fill(gdi, gdi + 10000, kWhite);
    HFONT font = CreateFontA(-16, 0, 900, 900, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0,
                             "Arial");
    HGDIOBJ oldFont = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextAlign(dc, TA_BASELINE | TA_LEFT);
    SIZE extent = {};
    GetTextExtentPoint32A(dc, "WIDE text", 9, &extent);
    // The unturned text starts half its width left of X; turned, that start lies below Y.
    TextOutA(dc, 50, 50 + extent.cx / 2, "WIDE text", 9);
    GdiFlush();
    std::vector<uint32_t> reference(gdi, gdi + 10000);
    for (uint32_t& p : reference) p &= 0xFFFFFF;
    SelectObject(dc, oldFont);
    DeleteObject(font);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    const Box box = InkBox(reference);
    EXPECT_NEAR(turned.Width(), box.Width(), 2);
    EXPECT_NEAR(turned.Height(), box.Height(), 2);
    // The shears move rows by their index from the middle, so a quarter turn lands a pixel off
    // the exact one, and Wine's turned glyphs run a pixel longer: the ends agree within 4.
    EXPECT_NEAR(turned.top, box.top, 4);
    EXPECT_NEAR(turned.bottom, box.bottom, 4);
    EXPECT_NEAR(turned.left, box.left, 2);
}

TEST(ShapePixels, VectorPicturesDrawTheirShapes) {
    Held vector(newPicture(60, 40, 0));
    Held objects(pictureGroup2DGetter(vector));
    Held rect(CreateInstance(GetRectShapeDefinition()));
    RectShapeFields* r = F<RectShapeFields>(rect);
    r->shape.x = 30;
    r->shape.y = 20;
    r->width = 20;
    r->height = 10;
    r->shape.fillColor = 0x00FF00;
    Group2DAppend(objects, rect);
    // Drawn at (10, 5) into a picture, and packed to pixels.
    Held picture(newPicture(100, 100, 32));
    {
        Held g(pictureGraphicsGetter(picture));
        RuntimeGraphicsDrawPicture(g, vector, 10, 5, -10000, -10000, 0, 0, -10000, -10000);
    }
    const std::vector<uint32_t> pixels = PicturePixels(picture);
    EXPECT_EQ(pixels[25 * 100 + 40], 0x00FF00u);
    EXPECT_EQ(pixels[25 * 100 + 25], kWhite);
    EXPECT_EQ(r->shape.x, 30);
    const string packed = string::Adopt(PicturePacker(vector));
    ASSERT_EQ(packed.Length(), 8 + 4 * 60 * 40);
    const auto* words = reinterpret_cast<const uint32_t*>(packed.CString() + 8);
    EXPECT_EQ(words[20 * 60 + 30] & 0xFFFFFF, 0x00FF00u);
    EXPECT_EQ(words[0] & 0xFFFFFF, kWhite);
}

}  // namespace
