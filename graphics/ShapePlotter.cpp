#include "ShapePlotter.h"

#include <cmath>

#include "core/ArrayRecord.h"
#include "core/FailureReport.h"
#include "graphics/DrawingModel.h"
#include "graphics/GraphicsImp.h"
#include "graphics/ShapeOutlines.h"
#include "windows/Geometry.h"
#include "windows/Pane.h"

namespace {

constexpr const char* kSource = "ShapePlotter";
constexpr int32_t kDrawDepth = 128;

int16_t Clamp16(int32_t value) {
    return static_cast<int16_t>(value < -32768 ? -32768 : value > 32767 ? 32767 : value);
}

// Saves the graphics state on entry and puts it back on every way out.
class StateScope {
public:
    explicit StateScope(GraphicsImp* graphics) : mSaver(graphics) {}
    ~StateScope() { mSaver.Restore(); }
    StateScope(const StateScope&) = delete;
    StateScope& operator=(const StateScope&) = delete;

private:
    GraphicsStateSaver mSaver;
};

}  // namespace

bool ShapePlotter::PaneOrigin(int32_t& left, int32_t& top) const {
    Pane* pane = mGraphics ? mGraphics->GetPane() : nullptr;
    if (!pane) return false;
    left = pane->bounds.left;
    top = pane->bounds.top;
    return true;
}

bool ShapePlotter::DrawsFill(const Object2DFields* shape) {
    return shape->fill >= 0.5 || mGraphics->SupportsTranslucency();
}

bool ShapePlotter::DrawsBorder(const Object2DFields* shape) {
    return (shape->border >= 0.5 || mGraphics->SupportsTranslucency()) && shape->borderWidth > 0;
}

void ShapePlotter::UseFillColor(const Object2DFields* shape) {
    mGraphics->SetForeColor(RGBColor16FromColor(static_cast<uint32_t>(shape->fillColor)));
}

void ShapePlotter::UseBorderColor(const Object2DFields* shape) {
    mGraphics->SetForeColor(RGBColor16FromColor(static_cast<uint32_t>(shape->borderColor)));
}

void ShapePlotter::FillPoints(const Point2D* points, uint32_t count, double bias) {
    ArrayRecord* polygon = CreateArray(1, kArrayInt32, static_cast<int32_t>(2 * count));
    if (!polygon) return;
    int32_t* values = static_cast<int32_t*>(polygon->data);
    for (uint32_t i = 0; i < count; ++i) {
        values[2 * i + 1] = TruncateToInt32(points[i].x + bias);
        values[2 * i + 2] = TruncateToInt32(points[i].y + bias);
    }
    mGraphics->DrawPolygon(polygon, true);
    RuntimeUnlockArray(polygon);
}

void ShapePlotter::FillBand(const PointList& forward, const PointList& backward, bool closeRing) {
    // A closed ring runs B[0..n-1], B[0], A[0], A[n-1..0]; an open band B[0..m-1], A[m-1..0].
    const uint32_t n = forward.size();
    PointList band(16);
    for (uint32_t i = 0; i < n; ++i) band.push_back(forward.mBuf[i]);
    if (closeRing) {
        band.push_back(forward.mBuf[0]);
        band.push_back(backward.mBuf[0]);
    }
    for (uint32_t i = n; i-- > 0;) band.push_back(backward.mBuf[i]);
    FillPoints(band.mBuf, band.size(), 0.0);
}

void ShapePlotter::DrawShape(ObjectHeader* object, int32_t depth) {
    Object2DFields* shape = ShapeFields(object);
    // A graphics whose owner pane is gone draws nothing.
    if (!shape || !mGraphics || !mGraphics->GetPane()) return;
    StateScope state(mGraphics);
    mGraphics->SetPenSize(1, 1);
    switch (shape->kind) {
    case kShapeKindString:
        DrawStringShape(object);
        break;
    case kShapeKindFigure:
        DrawFigureShape(object);
        break;
    case kShapeKindOval:
        DrawOvalShape(object);
        break;
    case kShapeKindArc:
    case kShapeKindCurve:
        DrawOpenShape(object);
        break;
    case kShapeKindPixmap:
        DrawPixmapShape(object);
        break;
    case kShapeKindRoundRect:
    case kShapeKindRect:
        DrawClosedShape(object);
        break;
    case kShapeKindGroup2D:
        if (depth > 0) {
            const SimpleVector<ObjectHeader*>& members =
                reinterpret_cast<Group2DFields*>(shape)->members;
            for (uint32_t i = 0; i < members.size(); ++i) DrawShape(members.mBuf[i], depth - 1);
        }
        break;
    default:
        break;
    }
}

void ShapePlotter::DrawShapeAt(ObjectHeader* object, double dx, double dy) {
    Object2DFields* shape = ShapeFields(object);
    if (!shape) return;
    StateScope state(mGraphics);
    if (dx != 0 || dy != 0) {
        const double x = shape->x;
        const double y = shape->y;
        SetObject2DPosition(shape, x + dx, y + dy);
        DrawShape(object, kDrawDepth);
        SetObject2DPosition(shape, x, y);
    } else {
        DrawShape(object, kDrawDepth);
    }
}

// The interior of a polygon outline, when its Fill asks for it.
void ShapePlotter::FillInterior(const Object2DFields* shape, const PointList& points) {
    if (!DrawsFill(shape)) return;
    mGraphics->SetOpacity(static_cast<float>(shape->fill));
    UseFillColor(shape);
    FillPoints(points.mBuf, points.size(), 0.5);
}

bool ShapePlotter::BeginOutline(const Object2DFields* shape, double& width) {
    if (!DrawsBorder(shape)) return false;
    mGraphics->SetOpacity(static_cast<float>(shape->border));
    UseBorderColor(shape);
    width = shape->borderWidth * shape->scale;
    return true;
}

void ShapePlotter::WalkPoints(const PointList& points, uint32_t first, uint32_t end,
                              int32_t left, int32_t top) {
    const Point2D* p = points.mBuf;
    mGraphics->MoveTo(TruncateToInt32(left + p[first].x + 0.5), TruncateToInt32(top + p[first].y + 0.5));
    for (uint32_t i = first + 1; i < end; ++i) {
        const Point2D& point = p[i % points.size()];
        mGraphics->LineTo(TruncateToInt32(left + point.x + 0.5), TruncateToInt32(top + point.y + 0.5));
    }
}

void ShapePlotter::PlotPolygon(ObjectHeader* object, const PointList& points) {
    Object2DFields* shape = ShapeFields(object);
    const uint32_t n = points.size();
    if (!shape || n == 0) return;
    FillInterior(shape, points);
    double w = 0;
    if (!BeginOutline(shape, w)) return;
    if (w < 1.5) {
        // From the last corner round to it again.
        int32_t left = 0;
        int32_t top = 0;
        if (PaneOrigin(left, top)) WalkPoints(points, n - 1, 2 * n, left, top);
        return;
    }
    // Edges of no length have no normal: they are dropped, and an outline of one point has no band.
    PointList distinct(points);
    if (DropRepeatedPoints(distinct, n, true) < 2) return;
    PointList outer;
    PointList inner;
    OffsetClosedPolygon(distinct, w * 0.5, outer);
    OffsetClosedPolygon(distinct, -w * 0.5, inner);
    FillBand(inner, outer, true);
}

void ShapePlotter::DrawOpenShape(ObjectHeader* object) {
    Object2DFields* shape = ShapeFields(object);
    if (!shape) {
        ReportAssertion(kSource, 310, "obj");
        return;
    }
    PointList points;
    if (shape->kind == kShapeKindArc) {
        ArcShapeOutline(reinterpret_cast<ArcShapeFields*>(shape), points);
    } else if (shape->kind == kShapeKindCurve) {
        CurveShapeOutline(reinterpret_cast<CurveShapeFields*>(shape), points);
    } else {
        ReportAssertion(kSource, 318, "0");
        return;
    }
    const uint32_t n = points.size();
    if (n < 2) return;
    FillInterior(shape, points);
    double w = 0;
    if (!BeginOutline(shape, w)) return;
    if (w < 1.5) {
        // The open arc or curve, without the radii or the chord.
        int32_t left = 0;
        int32_t top = 0;
        if (!PaneOrigin(left, top))
            ReportAssertion(kSource, 340, "thePane");
        else
            WalkPoints(points, 0, n - 1, left, top);
        return;
    }
    PointList path(points);
    if (DropRepeatedPoints(path, n - 1, false) < 2) return;
    PointList outer;
    PointList inner;
    if (shape->kind == kShapeKindArc) {
        OffsetArcPath(path, w * 0.5, outer);
        OffsetArcPath(path, -w * 0.5, inner);
    } else {
        OffsetCurvePath(path, w * 0.5, outer);
        OffsetCurvePath(path, -w * 0.5, inner);
    }
    // The last point (the centre or the chord midpoint) is not part of the band.
    outer.mCount = inner.mCount = path.size() - 1;
    FillBand(inner, outer, false);
}

void ShapePlotter::DrawOvalShape(ObjectHeader* object) {
    RectShapeFields* rect = ShapeFieldsAs<RectShapeFields>(object);
    if (!rect) return;
    const Object2DFields* shape = &rect->shape;
    PointList corners;
    RectShapeOutline(rect, corners);
    const double tolerance = (rect->width + rect->height) * shape->scale * 0.01;
    int32_t left = 0;
    int32_t top = 0;
    if (!IsAxisAligned(corners, tolerance) || !PaneOrigin(left, top)) {
        DrawClosedShape(object);
        return;
    }
    const Point2D* c = corners.mBuf;
    Rect16 box{Clamp16(TruncateToInt32(std::fmin(c[0].y, c[2].y))),
               Clamp16(TruncateToInt32(std::fmin(c[0].x, c[2].x))),
               Clamp16(TruncateToInt32(std::fmax(c[0].y, c[2].y))),
               Clamp16(TruncateToInt32(std::fmax(c[0].x, c[2].x)))};
    OffsetRect16(box, Clamp16(left), Clamp16(top));
    if (DrawsFill(shape)) {
        mGraphics->SetOpacity(static_cast<float>(shape->fill));
        UseFillColor(shape);
        mGraphics->PaintOval(box);
    }
    double width = 0;
    if (BeginOutline(shape, width)) {
        const int32_t pen = TruncateToInt32(width);
        if (pen > 1) {
            InsetRect16(box, Clamp16(-(pen / 2)), Clamp16(-(pen / 2)));
            mGraphics->SetPenSize(pen, pen);
        } else {
            mGraphics->SetPenSize(1, 1);
        }
        mGraphics->FrameOval(box);
        mGraphics->ResetPen();
    }
}

void ShapePlotter::DrawClosedShape(ObjectHeader* object) {
    Object2DFields* shape = ShapeFields(object);
    if (!shape) {
        ReportAssertion(kSource, 420, "obj");
        return;
    }
    PointList points;
    if (shape->kind == kShapeKindOval)
        OvalShapeOutline(reinterpret_cast<OvalShapeFields*>(shape), points);
    else if (shape->kind == kShapeKindRoundRect)
        RoundRectShapeOutline(reinterpret_cast<RoundRectShapeFields*>(shape), points);
    else
        RectShapeOutline(reinterpret_cast<RectShapeFields*>(shape), points);
    PlotPolygon(object, points);
}

void ShapePlotter::DrawFigureShape(ObjectHeader* object) {
    Object2DFields* shape = ShapeFields(object);
    if (!shape) {
        ReportAssertion(kSource, 440, "obj");
        return;
    }
    PointList path;
    FigureShapePath(reinterpret_cast<Group2DFields*>(shape), path);
    PlotPolygon(object, path);
}
