#include "ShapeOutlines.h"

#include <cmath>

#include "core/FailureReport.h"

namespace {

constexpr const char* kShapesSource = "Shapes2D";
constexpr const char* kPlotterSource = "ShapePlotter";

// The list holding exactly n points.
Point2D* Resize(PointList& points, uint32_t n) {
    if (n > points.mCapacity) points.set_capacity(n);
    points.mCount = n;
    return points.mBuf;
}

bool Turned(double rotation) { return rotation > 1e-5 || rotation < -1e-5; }

// Stroke factor: thick outlines get more points.
double StrokeFactor(const Object2DFields* shape) {
    return shape->borderWidth >= 2.0 ? shape->borderWidth * 0.5 : 1.0;
}

int32_t AtMost(int32_t n, int32_t limit) { return n > limit ? limit : n; }

// The automatic count of an oval or arc.
int32_t EllipseSegments(const RectShapeFields* rect) {
    const Object2DFields* shape = &rect->shape;
    const int32_t n = TruncateToInt32(shape->scale * (std::fabs(rect->width) + std::fabs(rect->height)) *
                                      StrokeFactor(shape) * 0.2);
    return n < 8 ? 8 : n;
}

bool SamePoint(Point2D a, Point2D b) {
    const double dx = a.x - b.x;
    const double dy = a.y - b.y;
    return dx > -1e-12 && dx < 1e-12 && dy > -1e-12 && dy < 1e-12;
}

Point2D CurvePoint(const CurveShapeFields* curve, double t) {
    const Point2D p0{curve->shape.x, curve->shape.y};
    const Point2D p1{curve->x2, curve->y2};
    return curve->order == 1 ? QuadraticBezierPoint(p0, curve->control[0], p1, t)
                             : CubicBezierPoint(p0, curve->control[0], curve->control[1], p1, t);
}

double SquaredDistance(Point2D a, Point2D b) {
    return (a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y);
}

// Where the offset edges prev and cur meet; cur's end when they run parallel.
Point2D Meet(const Point2D prev[2], const Point2D cur[2]) {
    const double cross = (cur[1].y - cur[0].y) * (prev[1].x - prev[0].x) -
                         (cur[1].x - cur[0].x) * (prev[1].y - prev[0].y);
    if (cross > -1e-10 && cross < 1e-10) return cur[1];
    const double t = ((cur[1].x - cur[0].x) * (prev[0].y - cur[0].y) -
                      (cur[1].y - cur[0].y) * (prev[0].x - cur[0].x)) /
                     cross;
    return {prev[0].x + t * (prev[1].x - prev[0].x), prev[0].y + t * (prev[1].y - prev[0].y)};
}

}  // namespace

void Object2DToLocal(const Object2DFields* shape, Point2D* point) {
    if (!point) {
        ReportAssertion(kShapesSource, 1180, "pt");
        return;
    }
    double x = point->x - shape->x;
    double y = point->y - shape->y;
    if (Turned(shape->rotation)) {
        const double c = std::cos(-shape->rotation);
        const double s = std::sin(-shape->rotation);
        const double turnedX = x * c - y * s;
        y = x * s + y * c;
        x = turnedX;
    }
    const double inverse = 1.0 / shape->scale;
    point->x = x * inverse;
    point->y = y * inverse;
}

void Object2DToWorld(const Object2DFields* shape, PointList& points) {
    const bool turned = Turned(shape->rotation);
    const double c = turned ? std::cos(shape->rotation) : 1.0;
    const double s = turned ? std::sin(shape->rotation) : 0.0;
    for (uint32_t i = 0; i < points.size(); ++i) {
        Point2D& p = points.mBuf[i];
        double x = p.x;
        double y = p.y;
        if (turned) {
            const double turnedX = x * c - y * s;
            y = x * s + y * c;
            x = turnedX;
        }
        p.x = x * shape->scale + shape->x;
        p.y = y * shape->scale + shape->y;
    }
}

void RectShapeOutline(const RectShapeFields* shape, PointList& points) {
    const double hw = shape->width / 2.0;
    const double hh = shape->height / 2.0;
    Point2D* p = Resize(points, 4);
    p[0] = {hw, hh};
    p[1] = {-hw, hh};
    p[2] = {-hw, -hh};
    p[3] = {hw, -hh};
    Object2DToWorld(&shape->shape, points);
}

void RoundRectShapeOutline(const RoundRectShapeFields* shape, PointList& points) {
    const RectShapeFields* rect = &shape->rect;
    if (!(shape->cornerWidth > 0) || !(shape->cornerHeight > 0)) {
        RectShapeOutline(rect, points);
        return;
    }
    const double cw = std::fmin(shape->cornerWidth, rect->width - 0.01);
    const double ch = std::fmin(shape->cornerHeight, rect->height - 0.01);
    int32_t n = shape->segments;
    if (n < 4) {
        n = TruncateToInt32((cw + ch) * rect->shape.scale * StrokeFactor(&rect->shape) * 0.2);
        if (n < 4) n = 4;
    }
    n = AtMost(n, 1024);
    const int32_t q = (n + 3) / 4;
    n = 4 * q;
    Point2D* p = Resize(points, static_cast<uint32_t>(n + 4));
    const double rx = cw * 0.5;
    const double ry = ch * 0.5;
    const double cx = (rect->width - cw) * 0.5;
    const double cy = (rect->height - ch) * 0.5;
    const double step = kTwoPi / n;
    const Point2D centres[4] = {{cx, cy}, {-cx, cy}, {-cx, -cy}, {cx, -cy}};
    double a = 0;
    int32_t k = 0;
    for (const Point2D& centre : centres) {
        for (int32_t i = 0; i <= q; ++i) {
            p[k++] = {std::cos(a) * rx + centre.x, std::sin(a) * ry + centre.y};
            if (i < q) a += step;
        }
    }
    Object2DToWorld(&rect->shape, points);
}

void OvalShapeOutline(const OvalShapeFields* shape, PointList& points) {
    const RectShapeFields* rect = &shape->rect;
    int32_t n = shape->segments;
    if (n < 3) n = EllipseSegments(rect);
    n = AtMost(n, 1024);
    Point2D* p = Resize(points, static_cast<uint32_t>(n));
    const double step = kTwoPi / n;
    double a = 0;
    for (int32_t i = 0; i < n; ++i, a += step)
        p[i] = {std::cos(a) * rect->width * 0.5, std::sin(a) * rect->height * 0.5};
    Object2DToWorld(&rect->shape, points);
}

void ArcShapeOutline(const ArcShapeFields* shape, PointList& points) {
    const RectShapeFields* rect = &shape->oval.rect;
    if (!(rect->width != 0)) {
        Resize(points, 0);
        return;
    }
    // A sweep of a whole turn or more is the whole turn, not its remainder.
    double sweep = std::fmod(shape->arcAngle, kTwoPi);
    if (std::fabs(shape->arcAngle) >= kTwoPi) sweep = std::copysign(kTwoPi, shape->arcAngle);
    int32_t n = TruncateToInt32(shape->oval.segments * sweep / kTwoPi);
    if (n < 1) n = EllipseSegments(rect);
    n = AtMost(n, 1024);
    Point2D* p = Resize(points, static_cast<uint32_t>(n + 2));
    const double step = sweep / n;
    const double rx = rect->width * 0.5;
    const double ratio = rect->height / rect->width;
    double a = shape->startAngle;
    for (int32_t i = 0; i <= n; ++i, a += step) p[i] = {std::cos(a) * rx, std::sin(a) * rx * ratio};
    p[n + 1] = {0, 0};
    Object2DToWorld(&rect->shape, points);
}

void CurveShapeOutline(const CurveShapeFields* curve, PointList& points) {
    const Point2D p0{curve->shape.x, curve->shape.y};
    const Point2D p1{curve->x2, curve->y2};
    const Point2D middle{(p0.x + p1.x) * 0.5, (p0.y + p1.y) * 0.5};
    if (curve->order <= 0) {
        Point2D* p = Resize(points, 3);
        p[0] = p0;
        p[1] = p1;
        p[2] = middle;
        return;
    }
    int32_t n = curve->segments;
    if (n < 3) {
        const double extra = curve->order == 1 ? SquaredDistance(curve->control[0], p0)
                                               : SquaredDistance(curve->control[1], p1);
        const double length =
            std::sqrt(SquaredDistance(p1, p0) + SquaredDistance(curve->control[0], p0) + extra);
        n = TruncateToInt32(length * curve->shape.scale * 0.1);
        if (n < 3) n = 3;
    }
    n = AtMost(n, 512);
    Point2D* p = Resize(points, static_cast<uint32_t>(n + 2));
    const double step = 1.0 / n;
    for (int32_t i = 0; i <= n; ++i) p[i] = CurvePoint(curve, i * step);
    p[n + 1] = middle;
}

void FigureShapePath(const Group2DFields* figure, PointList& points) {
    const SimpleVector<ObjectHeader*>& members = figure->members;
    auto curveAt = [&](uint32_t i) -> const CurveShapeFields* {
        const Object2DFields* member = ShapeFields(members.mBuf[i]);
        return member && member->kind == kShapeKindCurve
                   ? reinterpret_cast<const CurveShapeFields*>(member)
                   : nullptr;
    };
    int32_t curves = 0;
    for (uint32_t i = 0; i < members.size(); ++i)
        if (const CurveShapeFields* curve = curveAt(i); curve && curve->order >= 1) ++curves;
    int32_t budget = curves ? 1024 / curves : 2;
    if (budget < 2) budget = 2;

    PointList path(64);
    Point2D previous{0, 0};
    bool first = true;
    for (uint32_t i = 0; i < members.size(); ++i) {
        const CurveShapeFields* curve = curveAt(i);
        if (!curve) continue;
        const Point2D start{curve->shape.x, curve->shape.y};
        if (first || !SamePoint(start, previous)) path.push_back(start);
        first = false;
        if (curve->order >= 1) {
            int32_t n = curve->segments;
            if (n < 2 || n > budget) n = budget;
            for (int32_t k = 1; k <= n; ++k) path.push_back(CurvePoint(curve, k / double(n)));
        } else {
            path.push_back({curve->x2, curve->y2});
        }
        previous = {curve->x2, curve->y2};
    }
    if (path.size() > 1 && SamePoint(path.mBuf[0], previous)) path.pop_back();
    points.swap(path);
}

Point2D QuadraticBezierPoint(Point2D p0, Point2D c, Point2D p1, double t) {
    const double u = 1 - t;
    return {u * u * p0.x + 2 * t * u * c.x + t * t * p1.x,
            u * u * p0.y + 2 * t * u * c.y + t * t * p1.y};
}

Point2D CubicBezierPoint(Point2D p0, Point2D c0, Point2D c1, Point2D p1, double t) {
    const double u = 1 - t;
    const double a = u * u * u;
    const double b = 3 * t * u * u;
    const double c = 3 * t * t * u;
    const double d = t * t * t;
    return {a * p0.x + b * c0.x + c * c1.x + d * p1.x, a * p0.y + b * c0.y + c * c1.y + d * p1.y};
}

bool ShapeContains(const RectShapeFields* rect, double x, double y) {
    Point2D p{x, y};
    Object2DToLocal(&rect->shape, &p);
    const double px = p.x;
    const double py = p.y;
    const double w = rect->width;
    const double h = rect->height;
    const bool inBox = w * 0.5 > px && px > w * -0.5 && 0.5 * h > py && py > -0.5 * h;
    const uint32_t kind = rect->shape.kind;
    if (kind == kShapeKindOval || kind == kShapeKindArc) {
        if (!inBox) return false;
        const double sy = py * w / h;
        if (!((w * 0.5) * (w * 0.5) > px * px + sy * sy)) return false;
        if (kind == kShapeKindOval) return true;
        const auto* arc = reinterpret_cast<const ArcShapeFields*>(rect);
        double a = std::atan2(sy, px);
        if (a < 0) a += kTwoPi;
        double d = a - arc->startAngle;
        if (arc->arcAngle >= 0) {
            if (d < 0) d += kTwoPi;
            return d < arc->arcAngle;
        }
        if (d > 0) d -= kTwoPi;
        return d > arc->arcAngle;
    }
    if (kind == kShapeKindRoundRect) {
        const auto* round = reinterpret_cast<const RoundRectShapeFields*>(rect);
        if (round->cornerWidth > 0 && round->cornerHeight > 0) {
            if (!inBox) return false;
            const double cw = std::fmin(round->cornerWidth, w - 0.01);
            const double ch = std::fmin(round->cornerHeight, h - 0.01);
            const double hw = w * 0.5, hh = h * 0.5, hcw = cw * 0.5, hch = ch * 0.5;
            if ((hcw - hw < px && px < hw - hcw) || (hch - hh < py && py < hh - hch)) return true;
            const double qx = px < 0 ? px + (hw - hcw) : px - (hw - hcw);
            const double qy = py < 0 ? py + (hh - hch) : py - (hh - hch);
            const double sy = cw * qy / ch;
            return hcw * hcw > sy * sy + qx * qx;
        }
    }
    return inBox;
}

void OffsetSegment(Point2D a, Point2D b, double d, Point2D* outA, Point2D* outB) {
    const double ex = b.x - a.x;
    const double ey = b.y - a.y;
    const double length = std::sqrt(ex * ex + ey * ey);
    const double ox = ey * d / length;
    const double oy = -ex * d / length;
    *outA = {a.x + ox, a.y + oy};
    *outB = {b.x + ox, b.y + oy};
}

void OffsetClosedPolygon(const PointList& points, double d, PointList& out) {
    const uint32_t n = points.size();
    Point2D* o = Resize(out, n);
    if (n == 0) return;
    const Point2D* p = points.mBuf;
    Point2D prev[2];
    Point2D cur[2];
    OffsetSegment(p[n - 1], p[0], d, &prev[0], &prev[1]);
    for (uint32_t i = 0; i < n; ++i) {
        OffsetSegment(p[i], p[(i + 1) % n], d, &cur[0], &cur[1]);
        o[i] = Meet(prev, cur);
        prev[0] = cur[0];
        prev[1] = cur[1];
    }
}

void OffsetArcPath(const PointList& points, double d, PointList& out) {
    const uint32_t n = points.size();
    Point2D* o = Resize(out, n);
    if (n < 2) return;
    const Point2D* p = points.mBuf;
    const Point2D centre = p[n - 1];
    Point2D prev[2] = {centre, p[0]};
    Point2D cur[2];
    for (uint32_t i = 0; i < n; ++i) {
        if (i + 2 >= n) {
            cur[0] = p[i];
            cur[1] = centre;
        } else {
            OffsetSegment(p[i], p[i + 1], d, &cur[0], &cur[1]);
        }
        o[i] = Meet(prev, cur);
        prev[0] = cur[0];
        prev[1] = cur[1];
    }
}

void OffsetCurvePath(const PointList& points, double d, PointList& out) {
    const uint32_t n = points.size();
    Point2D* o = Resize(out, n);
    if (n < 3) return;
    const Point2D* p = points.mBuf;
    Point2D prev[2];
    Point2D cur[2];
    for (uint32_t i = 0; i + 2 < n; ++i) {
        OffsetSegment(p[i], p[i + 1], d, &cur[0], &cur[1]);
        o[i] = i == 0 ? cur[0] : Meet(prev, cur);
        prev[0] = cur[0];
        prev[1] = cur[1];
    }
    o[n - 2] = prev[1];
    o[n - 1] = p[n - 1];
}

uint32_t DropRepeatedPoints(PointList& points, uint32_t count, bool closed) {
    Point2D* p = points.mBuf;
    const uint32_t total = points.size();
    uint32_t kept = 0;
    for (uint32_t i = 0; i < count; ++i)
        if (kept == 0 || p[i].x != p[kept - 1].x || p[i].y != p[kept - 1].y) p[kept++] = p[i];
    while (closed && kept > 1 && p[kept - 1].x == p[0].x && p[kept - 1].y == p[0].y) --kept;
    uint32_t end = kept;
    for (uint32_t i = count; i < total; ++i) p[end++] = p[i];
    points.mCount = end;
    return kept;
}

bool IsAxisAligned(const PointList& points, double tolerance) {
    if (points.size() != 4) {
        ReportAssertion(kPlotterSource, 92, "points.size() == 4");
        return false;
    }
    for (uint32_t i = 0; i < 4; ++i) {
        const uint32_t j = (i + 1) % 4;
        const double dx = points.mBuf[i].x - points.mBuf[j].x;
        const double dy = points.mBuf[i].y - points.mBuf[j].y;
        if (std::fabs(dx) > tolerance && std::fabs(dy) > tolerance) return false;
    }
    return true;
}
