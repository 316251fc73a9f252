// The shape plotter against bare GDI on the same 32-bit DIB section, side by side: turned
// rectangles and ovals filled and outlined (thin, then BorderWidth 3) against Polygon and Polyline
// with the same integer points; turned text shapes against TextOutW with a font of that
// escapement; RotatePixMap of 512 x 512 against PlgBlt of the same turn.
#include <windows.h>

#include <cmath>
#include <cstdio>

#include "BenchTiming.h"
#include "core/DefinitionConversion.h"
#include "core/ObjectModel.h"
#include "graphics/GraphicsClass.h"
#include "graphics/PictureClass.h"
#include "graphics/PictureImp.h"
#include "graphics/PixMapRotate.h"
#include "graphics/ShapeOutlines.h"
#include "graphics/ShapePlotter.h"
#include "graphics/Shapes2D.h"
#include "core/PropertyAccessors.h"
#include "windows/Drawing.h"

namespace {

constexpr int kSize = 512;
constexpr int kShapes = 10000;

template <typename Fields>
Fields* F(ObjectHeader* object) {
    return ShapeFieldsAs<Fields>(object);
}

// The integer points the plotter gives GDI for a closed outline.
int Points(const PointList& list, POINT* out, double bias) {
    for (uint32_t i = 0; i < list.size(); ++i)
        out[i] = POINT{TruncateToInt32(list.mBuf[i].x + bias), TruncateToInt32(list.mBuf[i].y + bias)};
    return static_cast<int>(list.size());
}

}  // namespace

int main() {
    uint64_t checksum = 0;
    ObjectHeader* picture = newPicture(kSize, kSize, 32);
    ObjectHeader* graphicsObject = pictureGraphicsGetter(picture);
    GraphicsImp* graphics = GraphicsImplementation(graphicsObject);
    auto* offscreen = static_cast<OffscreenPicture*>(PictureImplementation(picture));
    ShapePlotter plotter(graphics);

    ObjectHeader* rect = CreateInstance(GetRectShapeDefinition());
    ObjectHeader* oval = CreateInstance(GetOvalShapeDefinition());
    for (ObjectHeader* shape : {rect, oval}) {
        RectShapeFields* f = F<RectShapeFields>(shape);
        f->width = 60;
        f->height = 30;
        f->shape.border = 1;
        f->shape.fillColor = 0x336699;
    }
    static POINT points[2100];
    for (double borderWidth : {1.0, 3.0}) {
        F<Object2DFields>(rect)->borderWidth = borderWidth;
        F<Object2DFields>(oval)->borderWidth = borderWidth;
        auto place = [&](ObjectHeader* shape, int i) {
            Object2DFields* f = F<Object2DFields>(shape);
            f->x = 40 + (i * 37) % (kSize - 80);
            f->y = 40 + (i * 53) % (kSize - 80);
            f->rotation = 0.1 + (i % 17) * 0.3;
        };
        const double plotterTime = Best([&] {
            for (int i = 0; i < kShapes; ++i) {
                ObjectHeader* shape = i & 1 ? oval : rect;
                place(shape, i);
                plotter.DrawShape(shape, 128);
            }
            EndAllDrawing();
            return 1;
        }, checksum);
        bool release = false;
        HDC dc = offscreen->AcquireDC(release);
        HPEN pen = CreatePen(PS_SOLID, 1, RGB(0x33, 0x66, 0x99));
        HBRUSH brush = CreateSolidBrush(RGB(0x33, 0x66, 0x99));
        HGDIOBJ oldPen = SelectObject(dc, pen);
        HGDIOBJ oldBrush = SelectObject(dc, brush);
        PointList outline, inner, outer, ring;
        const double gdiTime = Best([&] {
            for (int i = 0; i < kShapes; ++i) {
                ObjectHeader* shape = i & 1 ? oval : rect;
                place(shape, i);
                if (i & 1)
                    OvalShapeOutline(F<OvalShapeFields>(shape), outline);
                else
                    RectShapeOutline(F<RectShapeFields>(shape), outline);
                Polygon(dc, points, Points(outline, points, 0.5));
                if (borderWidth < 1.5) {
                    const int n = Points(outline, points + 1, 0.5);
                    points[0] = points[n];
                    Polyline(dc, points, n + 1);
                } else {
                    OffsetClosedPolygon(outline, 1.5, outer);
                    OffsetClosedPolygon(outline, -1.5, inner);
                    int n = Points(inner, points, 0);
                    points[n] = points[0];
                    points[n + 1] = POINT{TruncateToInt32(outer.mBuf[0].x), TruncateToInt32(outer.mBuf[0].y)};
                    for (int k = 0; k < n; ++k)
                        points[n + 2 + k] = POINT{TruncateToInt32(outer.mBuf[n - 1 - k].x),
                                                  TruncateToInt32(outer.mBuf[n - 1 - k].y)};
                    Polygon(dc, points, 2 * n + 2);
                }
            }
            GdiFlush();
            return 1;
        }, checksum);
        SelectObject(dc, oldPen);
        SelectObject(dc, oldBrush);
        DeleteObject(pen);
        DeleteObject(brush);
        offscreen->ReleaseDC(release);
        std::printf("plotter vs GDI Polygon, %d turned rectangles and ovals, BorderWidth %g: %.2f\n",
                    kShapes, borderWidth, plotterTime / gdiTime);
    }

    // Turned text.
    constexpr int kTexts = 200;
    ObjectHeader* text = CreateInstance(GetStringShapeDefinition());
    stringSetter(text, static_cast<int32_t>(kShapeFieldsOffset + offsetof(StringShapeFields, text)),
                 string("Turned text").Record());
    stringSetter(text, static_cast<int32_t>(kShapeFieldsOffset + offsetof(StringShapeFields, textFont)),
                 string("Arial").Record());
    F<StringShapeFields>(text)->textSize = 14;
    F<Object2DFields>(text)->rotation = 0.5;
    const double textTime = Best([&] {
        for (int i = 0; i < kTexts; ++i) {
            F<Object2DFields>(text)->x = 60 + i % 300;
            F<Object2DFields>(text)->y = 60 + i % 350;
            plotter.DrawShape(text, 128);
        }
        EndAllDrawing();
        return 1;
    }, checksum);
    bool release = false;
    HDC dc = offscreen->AcquireDC(release);
    // 0.5 radians clockwise is an escapement of -286 tenths of a degree.
    HFONT font = CreateFontW(-14, 0, -286, -286, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, L"Arial");
    HGDIOBJ oldFont = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    const double textOutTime = Best([&] {
        for (int i = 0; i < kTexts; ++i) TextOutW(dc, 60 + i % 300, 60 + i % 350, L"Turned text", 11);
        GdiFlush();
        return 1;
    }, checksum);
    SelectObject(dc, oldFont);
    DeleteObject(font);
    std::printf("turned StringShape vs TextOutW with escapement, %d texts: %.2f\n", kTexts,
                textTime / textOutTime);

    // Pixel turns.
    auto* source = new OffscreenPicture(kSize, kSize, 32);
    auto* destination = new OffscreenPicture(kSize, kSize, 32);
    const double angle = 0.5;
    const double rotateTime = Best([&] { return RotatePixMap(source, destination, angle, kRotateEdge) + 1; },
                                   checksum);
    bool sourceRelease = false;
    HDC sourceDC = source->AcquireDC(sourceRelease);
    const double c = std::cos(angle), s = std::sin(angle), h = kSize / 2.0;
    auto turn = [&](double x, double y) {
        return POINT{static_cast<LONG>(h + (x - h) * c + (y - h) * s),
                     static_cast<LONG>(h - (x - h) * s + (y - h) * c)};
    };
    const POINT corners[3] = {turn(0, 0), turn(kSize, 0), turn(0, kSize)};
    const double plgTime = Best([&] {
        PlgBlt(dc, corners, sourceDC, 0, 0, kSize, kSize, nullptr, 0, 0);
        GdiFlush();
        return 1;
    }, checksum);
    source->ReleaseDC(sourceRelease);
    offscreen->ReleaseDC(release);
    std::printf("RotatePixMap vs PlgBlt, %dx%d: %.2f\n", kSize, kSize, rotateTime / plgTime);
    source->Release();
    destination->Release();

    RuntimeUnlockObject(text);
    RuntimeUnlockObject(rect);
    RuntimeUnlockObject(oval);
    RuntimeUnlockObject(graphicsObject);
    RuntimeUnlockObject(picture);
    std::printf("checksum %llu\n", static_cast<unsigned long long>(checksum));
    return 0;
}
