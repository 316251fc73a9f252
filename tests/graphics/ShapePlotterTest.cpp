// The shape plotter against a recording graphics: which levels draw, thin walks against thick
// bands, the oval fast path and its pen, open outlines, nesting depth, drawing at an offset, and
// the sizes and clipping of text and pixel-map shapes.
#include <gtest/gtest.h>

#include <windows.h>

#include <cmath>
#include <string>
#include <vector>

#include "FailureRecorder.h"
#include "RecordingGraphics.h"
#include "PictureTesting.h"
#include "core/ArrayRecord.h"
#include "core/DefinitionConversion.h"
#include "core/ObjectModel.h"
#include "graphics/PictureClass.h"
#include "graphics/PictureImp.h"
#include "graphics/ShapePlotter.h"
#include "graphics/Shapes2D.h"
#include "windows/Pane.h"

namespace {

constexpr double kPi = 3.141592653589793;

// Records what the plotter adds to the recording graphics' calls: polygons with their points,
// pen moves, picture drawing with the picture's size, and a fixed text ascent.
class ShapeGraphics : public RecordingGraphics {
public:
    explicit ShapeGraphics(Pane* pane, int32_t charWidth = 5) : RecordingGraphics(pane, charWidth) {}
    void MoveTo(int32_t x, int32_t y) override {
        Record("MoveTo %d %d", x, y);
        GraphicsImp::MoveTo(x, y);
    }
    void LineTo(int32_t x, int32_t y) override {
        Record("LineTo %d %d", x, y);
        GraphicsImp::MoveTo(x, y);
    }
    void ResetPen() override { Record("ResetPen"); }
    void DrawPolygon(ArrayRecord* points, bool fill) override {
        std::string line = fill ? "FillPolygon" : "FramePolygon";
        const int32_t* values = static_cast<const int32_t*>(points->data);
        for (int32_t i = 1; i <= points->upperBound[0]; ++i) line += " " + std::to_string(values[i]);
        calls.push_back(line);
        polygonPoints.push_back(points->upperBound[0] / 2);
    }
    void DrawPicturePart(int32_t x, int32_t y, PictureImp* picture, int32_t sx, int32_t sy,
                         int32_t w, int32_t h, bool transparent) override {
        int32_t pw = 0, ph = 0;
        picture->GetSize(pw, ph);
        Record("DrawPicturePart %d %d from %d %d %d %d of %dx%d%s", x, y, sx, sy, w, h, pw, ph,
               transparent ? " transparent" : "");
    }
    void DrawPictureScaled(int32_t x, int32_t y, int32_t w, int32_t h, PictureImp*, int32_t sx,
                           int32_t sy, int32_t sw, int32_t sh, bool transparent) override {
        Record("DrawPictureScaled %d %d %d %d from %d %d %d %d%s", x, y, w, h, sx, sy, sw, sh,
               transparent ? " transparent" : "");
    }
    int32_t TextAscent() override { return ascent; }

    // The calls of one kind, by their first word.
    std::vector<std::string> Named(const std::string& name) const {
        std::vector<std::string> out;
        for (const std::string& call : calls)
            if (call.compare(0, name.size() + 1, name + " ") == 0 || call == name) out.push_back(call);
        return out;
    }

    int32_t ascent = 10;
    std::vector<int32_t> polygonPoints;
};

ObjectHeader* New(ObjectDefinition* definition) { return CreateInstance(definition); }

template <typename Fields>
Fields* F(ObjectHeader* object) {
    return ShapeFieldsAs<Fields>(object);
}

// A rectangle centred on (50, 50), 20 wide and 10 high.
ObjectHeader* NewRect(double fill, double border, double borderWidth) {
    ObjectHeader* rect = New(GetRectShapeDefinition());
    RectShapeFields* f = F<RectShapeFields>(rect);
    f->shape.x = f->shape.y = 50;
    f->width = 20;
    f->height = 10;
    f->shape.fill = fill;
    f->shape.border = border;
    f->shape.borderWidth = borderWidth;
    return rect;
}

class ShapePlotterTest : public ::testing::Test {
protected:
    Pane pane{Rect16{100, 200, 400, 600}};  // top 100, left 200
    ShapeGraphics graphics{&pane};
    ShapePlotter plotter{&graphics};
};

TEST_F(ShapePlotterTest, LevelsDecideWhatIsDrawn) {
    struct Case {
        double fill, border, borderWidth;
        size_t polygons, lines;
    } cases[] = {
        {0.49, 0, 1, 0, 0}, {0.5, 0, 1, 1, 0}, {1, 1, 0, 1, 0},  // BorderWidth 0: no outline
        {0, 0.5, 1, 0, 4},  {0, 0.49, 1, 0, 0},
    };
    for (const Case& c : cases) {
        Held rect(NewRect(c.fill, c.border, c.borderWidth));
        graphics.calls.clear();
        plotter.DrawShape(rect, 128);
        EXPECT_EQ(graphics.Named("FillPolygon").size(), c.polygons) << c.fill << " " << c.border;
        EXPECT_EQ(graphics.Named("LineTo").size(), c.lines) << c.fill << " " << c.border;
    }
}

TEST_F(ShapePlotterTest, ThinOutlinesWalkFromTheLastCornerAndThickOnesFillARing) {
    Held rect(NewRect(1, 1, 1));
    F<Object2DFields>(rect)->fillColor = 0x102030;
    F<Object2DFields>(rect)->borderColor = 0xFF0000;
    plotter.DrawShape(rect, 128);
    const std::vector<std::string> expected = {
        "SetPenSize 1 1",
        "SetForeColor 1010 2020 3030",
        "FillPolygon 60 55 40 55 40 45 60 45",
        "SetForeColor FFFF 0000 0000",
        "MoveTo 260 145",
        "LineTo 260 155",
        "LineTo 240 155",
        "LineTo 240 145",
        "LineTo 260 145",
    };
    ASSERT_GE(graphics.calls.size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(graphics.calls.begin(), graphics.calls.begin() + 9), expected);
    // The state comes back: pen and colour as they were.
    EXPECT_EQ(graphics.ForeColor().red, 0);
    // Scale 2 makes the width 2: a ring of 2n + 2 points, 1 on either side of the outline.
    graphics.calls.clear();
    graphics.polygonPoints.clear();
    F<Object2DFields>(rect)->fill = 0;
    F<Object2DFields>(rect)->scale = 2;
    plotter.DrawShape(rect, 128);
    ASSERT_EQ(graphics.polygonPoints, std::vector<int32_t>{10});
    EXPECT_EQ(graphics.Named("FillPolygon")[0],
              "FillPolygon 69 59 31 59 31 41 69 41 69 59 71 61 71 39 29 39 29 61 71 61");
    EXPECT_TRUE(graphics.Named("LineTo").empty());
}

TEST_F(ShapePlotterTest, OvalsKeepTheFastPathOnlyAlongTheAxes) {
    Held oval(New(GetOvalShapeDefinition()));
    RectShapeFields* f = F<RectShapeFields>(oval);
    f->shape.x = f->shape.y = 50;
    f->width = 40;
    f->height = 20;
    f->shape.border = 1;
    struct Case {
        double rotation, borderWidth;
        std::vector<std::string> expected;
    } cases[] = {
        // A quarter turn swaps the box's sides.
        {kPi / 2, 1, {"PaintOval 240 130 260 170", "SetPenSize 1 1", "FrameOval 240 130 260 170"}},
        {0, 4, {"PaintOval 230 140 270 160", "SetPenSize 4 4", "FrameOval 228 138 272 162"}},
        {0, 1.9, {"PaintOval 230 140 270 160", "SetPenSize 1 1", "FrameOval 230 140 270 160"}},
    };
    for (const Case& c : cases) {
        f->shape.rotation = c.rotation;
        f->shape.borderWidth = c.borderWidth;
        graphics.calls.clear();
        plotter.DrawShape(oval, 128);
        // The first pen is the drawing's own, the last the state coming back.
        std::vector<std::string> drawn;
        for (const std::string& call : graphics.calls)
            if (call.rfind("PaintOval", 0) == 0 || call.rfind("FrameOval", 0) == 0 ||
                call.rfind("SetPenSize", 0) == 0)
                drawn.push_back(call);
        ASSERT_EQ(drawn.size(), 5u);
        EXPECT_EQ(drawn.front(), "SetPenSize 1 1");
        EXPECT_EQ(drawn.back(), "SetPenSize 1 1");
        EXPECT_EQ(std::vector<std::string>(drawn.begin() + 1, drawn.end() - 1), c.expected)
            << c.rotation << " " << c.borderWidth;
        EXPECT_EQ(graphics.Named("ResetPen").size(), 1u);
    }
    // A quarter of a quarter turn leaves the axes: the outline's polygon.
    f->shape.rotation = kPi / 4;
    f->shape.borderWidth = 1;
    graphics.calls.clear();
    plotter.DrawShape(oval, 128);
    EXPECT_TRUE(graphics.Named("PaintOval").empty());
    EXPECT_EQ(graphics.Named("FillPolygon").size(), 1u);
}

TEST_F(ShapePlotterTest, OpenOutlines) {
    // An arc's thin outline is the arc alone; its fill is the wedge with the centre.
    Held arc(New(GetArcShapeDefinition()));
    ArcShapeFields* a = F<ArcShapeFields>(arc);
    a->oval.segments = 16;
    a->oval.rect.shape.border = 1;
    plotter.DrawShape(arc, 128);
    EXPECT_EQ(graphics.polygonPoints, std::vector<int32_t>{6});  // 5 arc points and the centre
    const auto moves = graphics.Named("MoveTo");
    ASSERT_EQ(moves.size(), 1u);
    EXPECT_EQ(moves[0], "MoveTo 250 100");
    const auto lines = graphics.Named("LineTo");
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[3], "LineTo 200 150");
    // A default curve draws its diagonal and no fill; thick, a band of 2m points.
    Held curve(New(GetCurveShapeDefinition()));
    graphics.calls.clear();
    graphics.polygonPoints.clear();
    plotter.DrawShape(curve, 128);
    EXPECT_TRUE(graphics.polygonPoints.empty());
    EXPECT_EQ(graphics.Named("MoveTo"), std::vector<std::string>{"MoveTo 200 100"});
    EXPECT_EQ(graphics.Named("LineTo"), std::vector<std::string>{"LineTo 300 200"});
    F<Object2DFields>(curve)->borderWidth = 4;
    plotter.DrawShape(curve, 128);
    EXPECT_EQ(graphics.polygonPoints, std::vector<int32_t>{4});
    // An arc of zero sweep or zero width draws nothing thick and reads nothing undefined.
    a->arcAngle = 0;
    a->oval.rect.shape.borderWidth = 3;
    a->oval.rect.shape.fill = 0;
    graphics.polygonPoints.clear();
    plotter.DrawShape(arc, 128);
    a->oval.rect.width = 0;
    plotter.DrawShape(arc, 128);
    EXPECT_TRUE(graphics.polygonPoints.empty());
}

TEST_F(ShapePlotterTest, NestingDepthOffsetsFiguresAndMissingPanes) {
    // A rectangle inside 128 nested groups is drawn, inside 129 it is not.
    for (int levels : {128, 129}) {
        Held rect(NewRect(1, 0, 1));
        ObjectHeader* inner = rect;
        RuntimeLockObject(inner);
        for (int i = 0; i < levels; ++i) {
            ObjectHeader* group = New(GetGroup2DDefinition());
            Group2DAppend(group, inner);
            RuntimeUnlockObject(inner);
            inner = group;
        }
        Held outer(inner);
        graphics.polygonPoints.clear();
        plotter.DrawShape(outer, 128);
        EXPECT_EQ(graphics.polygonPoints.size(), levels == 128 ? 1u : 0u) << levels;
    }
    // Drawn at (10, 20): shifted, and the group and its members are back afterwards.
    Held group(New(GetGroup2DDefinition()));
    Held rect(NewRect(1, 0, 1));
    Group2DAppend(group, rect);
    graphics.calls.clear();
    plotter.DrawShapeAt(group, 10, 20);
    EXPECT_EQ(graphics.Named("FillPolygon")[0], "FillPolygon 70 75 50 75 50 65 70 65");
    EXPECT_EQ(F<Object2DFields>(group)->x, 0);
    EXPECT_EQ(F<Object2DFields>(group)->y, 0);
    EXPECT_NEAR(F<Object2DFields>(rect)->x, 50, 1e-9);
    EXPECT_NEAR(F<Object2DFields>(rect)->y, 50, 1e-9);
    // A figure with no members draws nothing, one of three lines a filled triangle.
    Held figure(New(GetFigureShapeDefinition()));
    graphics.calls.clear();
    plotter.DrawShape(figure, 128);
    EXPECT_TRUE(graphics.Named("FillPolygon").empty());
    FigureShapeAddLine(figure, 0, 0, 10, 0);
    FigureShapeAddLine(figure, 10, 0, 10, 10);
    FigureShapeAddLine(figure, 10, 10, 0, 0);
    plotter.DrawShape(figure, 128);
    EXPECT_EQ(graphics.Named("FillPolygon"), std::vector<std::string>{"FillPolygon 0 0 10 0 10 10"});
    // Without an owner pane nothing is drawn; the thin open outline reports it.
    ShapeGraphics detached(nullptr);
    ShapePlotter orphan(&detached);
    orphan.DrawShape(group, 128);
    orphan.DrawShapeAt(group, 5, 5);
    EXPECT_TRUE(detached.Named("FillPolygon").empty());
    EXPECT_TRUE(detached.Named("LineTo").empty());
    Held curve(New(GetCurveShapeDefinition()));
    FailureRecorder failures;
    orphan.DrawOpenShape(curve);
    ASSERT_EQ(failures.Count(), 1u);
    EXPECT_EQ(failures.Last().condition, "thePane");
    EXPECT_EQ(failures.Last().file, "ShapePlotter");
}

TEST_F(ShapePlotterTest, TextShapes) {
    Held text(New(GetStringShapeDefinition()));
    StringShapeFields* t = F<StringShapeFields>(text);
    t->shape.x = 100;
    t->shape.y = 60;
    t->bold = 1;
    t->shape.fillColor = 0x0000FF;
    // Unturned (and 2π counts as unturned): centred on X, the baseline on Y.
    for (double rotation : {0.0, 0.0005, 2 * kPi}) {
        t->shape.rotation = rotation;
        graphics.calls.clear();
        plotter.DrawShape(text, 128);
        EXPECT_EQ(graphics.Named("DrawString"), std::vector<std::string>{"DrawString - 298 160"});
        EXPECT_EQ(graphics.Named("SetTextFont")[0], "SetTextFont System");
        EXPECT_EQ(graphics.Named("SetTextSize")[0], "SetTextSize 12");
        EXPECT_EQ(graphics.Named("SetTextFace")[0], "SetTextFace 1");
    }
    // Fill 30 % draws nothing.
    t->shape.fill = 0.3;
    graphics.calls.clear();
    plotter.DrawShape(text, 128);
    EXPECT_TRUE(graphics.Named("DrawString").empty());
    // Turned, an 11-pixel text of ascent 10 takes a 36-pixel square; its box is cut to the square.
    t->shape.fill = 1;
    t->shape.rotation = 0.002;
    ShapeGraphics wide(&pane, 11);
    ShapePlotter plotter11(&wide);
    plotter11.DrawShape(text, 128);
    const auto parts = wide.Named("DrawPicturePart");
    ASSERT_EQ(parts.size(), 1u);
    // l = 11, t = 7, w = 14, h = 22 before turning; the turned box reaches a pixel beyond at the
    // left and top and two at the right and bottom, and is centred on (X, Y).
    EXPECT_EQ(parts[0], "DrawPicturePart 292 148 from 9 5 17 25 of 36x36");
    EXPECT_TRUE(wide.Named("DrawString").empty());
}

TEST_F(ShapePlotterTest, PixmapShapes) {
    Held picture(newPicture(100, 50, 32));
    Held pixmap(New(GetPixmapShapeDefinition()));
    PixmapShapeImageCtor(pixmap, picture);
    PixmapShapeFields* p = F<PixmapShapeFields>(pixmap);
    EXPECT_EQ(p->rect.width, 100);
    EXPECT_EQ(p->sourceHeight, 50);
    p->rect.shape.x = 50;
    p->rect.shape.y = 25;
    struct Case {
        int32_t sourceLeft, sourceHeight;
        double rotation;
        std::vector<std::string> expected;
    } cases[] = {
        {0, 50, 0.0005, {"DrawPictureScaled 200 100 100 50 from 0 0 100 50"}},
        // 10 destination pixels cut from the left.
        {-10, 50, 0, {"DrawPictureScaled 210 100 90 50 from 0 0 90 50"}},
        {0, 0, 0, {}},
        // Past the image's width: nothing to draw, no empty picture made.
        {100, 50, 0, {}},
        {100, 50, 0.5, {}},
    };
    for (const Case& c : cases) {
        p->sourceLeft = c.sourceLeft;
        p->sourceHeight = c.sourceHeight;
        p->rect.shape.rotation = c.rotation;
        graphics.calls.clear();
        plotter.DrawShape(pixmap, 128);
        EXPECT_EQ(graphics.Named("DrawPictureScaled"), c.expected) << c.sourceLeft;
        EXPECT_TRUE(graphics.Named("DrawPicturePart").empty());
    }
    // Turned (2π is not reduced for pixmaps): one part of a square of side dw + dh.
    p->sourceLeft = 0;
    p->sourceHeight = 50;
    p->rect.shape.rotation = 2 * kPi;
    graphics.calls.clear();
    plotter.DrawShape(pixmap, 128);
    ASSERT_EQ(graphics.Named("DrawPicturePart").size(), 1u);
    EXPECT_NE(graphics.Named("DrawPicturePart")[0].find("of 150x150"), std::string::npos);
    // A turned 1 x 1 image takes a 2-pixel square; its turned box is cut to the square.
    Held dot(newPicture(1, 1, 32));
    Held tiny(New(GetPixmapShapeDefinition()));
    PixmapShapeImageCtor(tiny, dot);
    F<Object2DFields>(tiny)->rotation = 0.5;
    graphics.calls.clear();
    plotter.DrawShape(tiny, 128);
    EXPECT_EQ(graphics.Named("DrawPicturePart"),
              std::vector<std::string>{"DrawPicturePart 199 99 from 0 0 2 2 of 2x2"});
    // Only the outline without an image, or with a vector picture, when Border asks for it.
    Held vector(newPicture(10, 10, 0));
    Held outlined(New(GetPixmapShapeDefinition()));
    PixmapShapeImageCtor(outlined, vector);
    EXPECT_EQ(F<PixmapShapeFields>(outlined)->image, nullptr);
    EXPECT_EQ(F<RectShapeFields>(outlined)->width, 0);
    F<RectShapeFields>(outlined)->width = 10;
    F<RectShapeFields>(outlined)->height = 10;
    F<Object2DFields>(outlined)->border = 1;
    graphics.calls.clear();
    graphics.polygonPoints.clear();
    plotter.DrawShape(outlined, 128);
    EXPECT_TRUE(graphics.Named("DrawPictureScaled").empty());
    EXPECT_TRUE(graphics.polygonPoints.empty());
    EXPECT_EQ(graphics.Named("LineTo").size(), 4u);
    EXPECT_EQ(F<Object2DFields>(outlined)->fill, 1.0);
}

}  // namespace
