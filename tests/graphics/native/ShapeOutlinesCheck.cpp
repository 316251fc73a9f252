// The shape model and geometry on plain memory under AddressSanitizer: transforms carried through
// groups and curves (a group that holds itself included), the member lists' references and
// shrinking, outline point counts, figure paths, hit tests, and the offsetting of thick outlines.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "NativeCheck.h"
#include "graphics/ShapeModel.h"
#include "graphics/ShapeOutlines.h"

// The failure reports of the native runtime (tests/comms/native/NativeRuntime.cpp).
extern int gNativeFailureCount;

namespace {

#define CHECK_NEAR(a, b) CHECK(std::fabs((a) - (b)) < 1e-9)

constexpr double kPi = 3.141592653589793;

// An object as the runtime lays it out: six header words, then the fields. Word 3 counts
// references.
template <typename Fields>
struct Fake {
    void* header[6] = {};
    Fields fields{};
    ObjectHeader* object() { return reinterpret_cast<ObjectHeader*>(this); }
    intptr_t& references() { return reinterpret_cast<intptr_t&>(header[3]); }
};
static_assert(offsetof(Fake<Object2DFields>, fields) == kShapeFieldsOffset);

intptr_t& References(ObjectHeader* object) { return reinterpret_cast<intptr_t*>(object)[3]; }

void Init(Object2DFields& shape, uint32_t kind, double x = 0, double y = 0) {
    shape.kind = kind;
    shape.x = x;
    shape.y = y;
    shape.scale = 1.0;
    shape.fill = 1.0;
    shape.borderWidth = 1.0;
}

struct Group : Fake<Group2DFields> {
    explicit Group(double x = 0, double y = 0) {
        Init(fields.shape, kShapeKindGroup2D, x, y);
        fields.members.mGrowthStep = kShapeMemberGrowth;
    }
    ~Group() { ShapeListClear(&fields); }
    void Add(ObjectHeader* member) { ShapeListAppend(&fields, member); }
};

struct Rect : Fake<RectShapeFields> {
    explicit Rect(double x = 0, double y = 0, double w = 100, double h = 100,
                  uint32_t kind = kShapeKindRect) {
        Init(fields.shape, kind, x, y);
        fields.width = w;
        fields.height = h;
    }
};

struct Curve : Fake<CurveShapeFields> {
    Curve(double x, double y, double x2, double y2, int32_t order = 0) {
        Init(fields.shape, kShapeKindCurve, x, y);
        fields.x2 = x2;
        fields.y2 = y2;
        fields.order = order;
    }
};

void CheckTransforms() {
    // A move reaches nested groups and every point of a curve.
    {
        Rect rect(1, 2);
        Curve curve(0, 0, 100, 100, 2);
        curve.fields.control[0] = {10, 0};
        curve.fields.control[1] = {0, 10};
        Group inner;
        inner.Add(curve.object());
        Group outer;
        outer.Add(rect.object());
        outer.Add(inner.object());
        SetObject2DPosition(&outer.fields.shape, 10, 5);
        CHECK(rect.fields.shape.x == 11 && rect.fields.shape.y == 7);
        CHECK(inner.fields.shape.x == 10 && inner.fields.shape.y == 5);
        CHECK(curve.fields.shape.x == 10 && curve.fields.x2 == 110 && curve.fields.y2 == 105);
        CHECK(curve.fields.control[0].x == 20 && curve.fields.control[1].y == 15);
    }
    // Scale 1 to 2 doubles distances and member scales, and a curve's extent about its start;
    // a group ignores 0 while a rectangle stores it.
    {
        Rect rect(10, 0);
        Curve curve(5, 5, 15, 5);
        Group group;
        group.Add(rect.object());
        group.Add(curve.object());
        SetObject2DScale(&group.fields.shape, 2);
        CHECK(rect.fields.shape.x == 20 && rect.fields.shape.scale == 2);
        CHECK(curve.fields.shape.x == 10 && curve.fields.shape.y == 10);
        CHECK(curve.fields.x2 == 30 && curve.fields.y2 == 10 && curve.fields.shape.scale == 2);
        SetObject2DScale(&group.fields.shape, 0);
        CHECK(group.fields.shape.scale == 2 && rect.fields.shape.x == 20);
        SetObject2DScale(&rect.fields.shape, 0);
        CHECK(rect.fields.shape.scale == 0);
    }
    // A quarter turn moves members about the group's point and turns nested curves.
    {
        Rect rect(10, 0);
        Curve curve(0, 0, 10, 0);
        Group inner(0, 0);
        inner.Add(curve.object());
        Group group(0, 0);
        group.Add(rect.object());
        group.Add(inner.object());
        SetObject2DRotation(&group.fields.shape, kPi / 2);
        CHECK(std::fabs(rect.fields.shape.x) < 1e-12 && std::fabs(rect.fields.shape.y - 10) < 1e-12);
        CHECK_NEAR(rect.fields.shape.rotation, kPi / 2);
        CHECK_NEAR(inner.fields.shape.rotation, kPi / 2);
        CHECK(std::fabs(curve.fields.x2) < 1e-12 && std::fabs(curve.fields.y2 - 10) < 1e-12);
    }
    // Groups that hold themselves, directly or through another, and a chain deeper than 128
    // levels: every walk ends, and nil members are skipped.
    {
        Group a(0, 0);
        Group b(0, 0);
        a.Add(a.object());
        a.Add(b.object());
        b.Add(a.object());
        a.Add(nullptr);
        SetObject2DPosition(&a.fields.shape, 3, 4);
        SetObject2DScale(&a.fields.shape, 2);
        SetObject2DRotation(&a.fields.shape, 1);
        CHECK(a.fields.shape.x == 3 && b.fields.shape.x == 3);
        std::vector<Group*> chain;
        for (int i = 0; i < 300; ++i) chain.push_back(new Group);
        for (int i = 0; i + 1 < 300; ++i) chain[i]->Add(chain[i + 1]->object());
        SetObject2DPosition(&chain[0]->fields.shape, 1, 1);
        CHECK(chain[127]->fields.shape.x == 1 && chain[200]->fields.shape.x == 0);
        for (Group* g : chain) delete g;
        ShapeListClear(&a.fields);
        ShapeListClear(&b.fields);
    }
}

void CheckMemberLists() {
    Rect r;
    Group group;
    for (int i = 0; i < 50; ++i) group.Add(r.object());
    CHECK(References(r.object()) == 50 && group.fields.members.mCapacity == 64);
    // Spare capacity over 32 shrinks to the next multiple of 16 above the count.
    while (group.fields.members.size() > 31) ShapeListRemoveAt(&group.fields, 0);
    CHECK(group.fields.members.mCapacity == 32 && References(r.object()) == 31);
    CHECK(!ShapeListRemoveAt(&group.fields, 31) && !ShapeListRemoveAt(&group.fields, -1));
    // Insert at Count appends, beyond it is refused.
    Rect other;
    CHECK(ShapeListInsert(&group.fields, 31, other.object()));
    CHECK(group.fields.members.mBuf[31] == other.object());
    CHECK(!ShapeListInsert(&group.fields, 33, other.object()));
    CHECK(ShapeListInsert(&group.fields, 0, other.object()));
    CHECK(group.fields.members.mBuf[0] == other.object() && group.fields.members.size() == 33);
    // Removing an object twice present removes its first entry only.
    ShapeListRemove(&group.fields, other.object());
    CHECK(group.fields.members.size() == 32 && group.fields.members.mBuf[31] == other.object());
    CHECK(References(other.object()) == 1);
    ObjectHeader* item = nullptr;
    CHECK(ShapeListItem(&group.fields, 31, &item) && item == other.object());
    CHECK(References(other.object()) == 2);
    CHECK(!ShapeListItem(&group.fields, 32, &item) && item == nullptr);
    CHECK(ShapeListSetItem(&group.fields, 31, r.object()));
    CHECK(References(other.object()) == 1 && References(r.object()) == 32);
    ShapeListClear(&group.fields);
    CHECK(References(r.object()) == 0 && group.fields.members.mCapacity == 0);
}

void CheckOutlines() {
    PointList points;
    // Automatic counts grow with the stroke: 40 points for a 100 x 100 oval, 80 at BorderWidth 4.
    {
        Fake<OvalShapeFields> oval;
        Init(oval.fields.rect.shape, kShapeKindOval);
        oval.fields.rect.width = oval.fields.rect.height = 100;
        OvalShapeOutline(&oval.fields, points);
        CHECK(points.size() == 40);
        oval.fields.rect.shape.borderWidth = 4;
        OvalShapeOutline(&oval.fields, points);
        CHECK(points.size() == 80);
    }
    // Round rectangles: four corners without corner sizes, Segments 5 rounds up to 8 + 4 points.
    {
        Fake<RoundRectShapeFields> round;
        Init(round.fields.rect.shape, kShapeKindRoundRect, 50, 50);
        round.fields.rect.width = 20;
        round.fields.rect.height = 10;
        RoundRectShapeOutline(&round.fields, points);
        CHECK(points.size() == 4 && points.mBuf[0].x == 60 && points.mBuf[0].y == 55);
        round.fields.cornerWidth = round.fields.cornerHeight = 4;
        round.fields.segments = 5;
        RoundRectShapeOutline(&round.fields, points);
        CHECK(points.size() == 12);
    }
    // Arcs: Segments 16 over π gives 8 steps and the centre; a whole turn or more sweeps it all,
    // its sign kept; width 0 gives nothing.
    {
        Fake<ArcShapeFields> arc;
        Init(arc.fields.oval.rect.shape, kShapeKindArc, 5, 5);
        arc.fields.oval.rect.width = arc.fields.oval.rect.height = 100;
        arc.fields.oval.segments = 16;
        arc.fields.arcAngle = kPi;
        ArcShapeOutline(&arc.fields, points);
        CHECK(points.size() == 10 && points.mBuf[9].x == 5 && points.mBuf[9].y == 5);
        CHECK_NEAR(points.mBuf[8].x, -45.0);
        for (double sweep : {2 * kPi, -2 * kPi, 7.0}) {
            arc.fields.arcAngle = sweep;
            ArcShapeOutline(&arc.fields, points);
            const Point2D last = points.mBuf[points.size() - 2];
            CHECK(std::fabs(last.x - 55) < 1e-9 && std::fabs(last.y - 5) < 1e-9);
            CHECK(std::fabs(points.mBuf[points.size() / 4].y - 5) > 40);
            CHECK((points.mBuf[2].y > 5) == (sweep > 0));
        }
        arc.fields.oval.rect.width = 0;
        ArcShapeOutline(&arc.fields, points);
        CHECK(points.size() == 0);
    }
    // Curves: three points for a line, 10 segments for the quadratic from (0,0) to (100,0).
    {
        Curve line(0, 0, 100, 100);
        CurveShapeOutline(&line.fields, points);
        CHECK(points.size() == 3 && points.mBuf[2].x == 50);
        Curve quad(0, 0, 100, 0, 1);
        CurveShapeOutline(&quad.fields, points);
        CHECK(points.size() == 12 && points.mBuf[10].x == 100 && points.mBuf[11].x == 50);
    }
    // Figures: a closed square of four lines gives its four corners; two cubics share 1024
    // segments; nil and non-curve members add nothing.
    {
        Curve a(0, 0, 10, 0), b(10, 0, 10, 10), c(10, 10, 0, 10), d(0, 10, 0, 0);
        Rect stray;
        Group figure;
        figure.fields.shape.kind = kShapeKindFigure;
        for (Fake<CurveShapeFields>* curve : {&a, &b, &c, &d}) figure.Add(curve->object());
        figure.Add(nullptr);
        figure.Add(stray.object());
        FigureShapePath(&figure.fields, points);
        CHECK(points.size() == 4 && points.mBuf[3].x == 0 && points.mBuf[3].y == 10);
        Curve e(0, 0, 50, 50, 2), f(50, 50, 100, 0, 2);
        Group cubics;
        cubics.Add(e.object());
        cubics.Add(f.object());
        FigureShapePath(&cubics.fields, points);
        CHECK(points.size() == 1 + 512 + 512);
        Group empty;
        FigureShapePath(&empty.fields, points);
        CHECK(points.size() == 0);
    }
}

void CheckContains() {
    struct Case {
        uint32_t kind;
        double arcAngle;
        double x, y;
        bool inside;
    } cases[] = {
        {kShapeKindRect, 0, 0, 0, true},
        {kShapeKindRect, 0, 50, 0, false},  // on the edge
        {kShapeKindRect, 0, 49.9, -49.9, true},
        {kShapeKindPixmap, 0, 0, 50, false},
        {kShapeKindOval, 0, 49, 0, true},
        {kShapeKindOval, 0, 40, 40, false},
        {kShapeKindArc, kPi / 2, 30, 0, true},      // angle 0
        {kShapeKindArc, kPi / 2, 10, 10, true},     // angle π/4
        {kShapeKindArc, kPi / 2, -30, 0, false},    // angle π
        {kShapeKindArc, -kPi / 2, 10, -10, true},   // toward negative angles
        {kShapeKindArc, -kPi / 2, 10, 10, false},
        {kShapeKindRoundRect, 0, 48, 48, false},    // cut off by the corner ellipse
        {kShapeKindRoundRect, 0, 48, 0, true},
        {kShapeKindRoundRect, 0, 35, 35, true},
    };
    for (const Case& c : cases) {
        Fake<ArcShapeFields> shape;
        RectShapeFields& rect = shape.fields.oval.rect;
        Init(rect.shape, c.kind);
        rect.width = rect.height = 100;
        shape.fields.arcAngle = c.arcAngle;
        if (c.kind == kShapeKindRoundRect) {
            auto* round = reinterpret_cast<RoundRectShapeFields*>(&shape.fields);
            round->cornerWidth = round->cornerHeight = 20;
        }
        if (ShapeContains(&rect, c.x, c.y) != c.inside) {
            ++sFailures;
            std::printf("FAILED contains %08X (%g, %g)\n", c.kind, c.x, c.y);
        }
    }
    // A turn under 1e-5 counts as none, in both mappings; zero width contains nothing.
    Rect rect(0, 0, 100, 100);
    rect.fields.shape.rotation = 9e-6;
    CHECK(!ShapeContains(&rect.fields, 50, 0));
    PointList corners;
    RectShapeOutline(&rect.fields, corners);
    CHECK(corners.mBuf[0].x == 50 && corners.mBuf[0].y == 50);
    rect.fields.width = 0;
    CHECK(!ShapeContains(&rect.fields, 0, 0));
}

void CheckOffsets() {
    // A 20-pixel square moved out and in by 1 along its normals.
    PointList square;
    for (Point2D p : {Point2D{10, 10}, Point2D{-10, 10}, Point2D{-10, -10}, Point2D{10, -10}})
        square.push_back(p);
    PointList plus, minus;
    OffsetClosedPolygon(square, 1, plus);
    OffsetClosedPolygon(square, -1, minus);
    CHECK(plus.size() == 4 && minus.size() == 4);
    for (uint32_t i = 0; i < 4; ++i) {
        CHECK_NEAR(std::fabs(plus.mBuf[i].x) + std::fabs(minus.mBuf[i].x), 20.0);
        CHECK_NEAR(std::fabs(std::fabs(plus.mBuf[i].x) - std::fabs(minus.mBuf[i].x)), 2.0);
        CHECK_NEAR(std::fabs(plus.mBuf[i].y), std::fabs(plus.mBuf[i].x));
    }
    // Repeated points are dropped before offsetting, the points after the counted ones kept.
    PointList repeated;
    for (Point2D p : {Point2D{1, 1}, Point2D{1, 1}, Point2D{2, 1}, Point2D{1, 1}, Point2D{9, 9}})
        repeated.push_back(p);
    CHECK(DropRepeatedPoints(repeated, 4, true) == 2);
    CHECK(repeated.size() == 3 && repeated.mBuf[1].x == 2 && repeated.mBuf[2].x == 9);
    // An arc's band ends on its radii; the last point stays the centre.
    PointList wedge, band;
    for (Point2D p : {Point2D{10, 0}, Point2D{7, 7}, Point2D{0, 10}, Point2D{0, 0}}) wedge.push_back(p);
    OffsetArcPath(wedge, 1, band);
    CHECK(band.size() == 4 && std::fabs(band.mBuf[0].y) < 1e-9 && std::fabs(band.mBuf[2].x) < 1e-9);
    CHECK(band.mBuf[3].x == 0 && band.mBuf[3].y == 0);
    // A curve's band has square ends.
    PointList line, ribbon;
    for (Point2D p : {Point2D{0, 0}, Point2D{10, 0}, Point2D{5, 0}}) line.push_back(p);
    OffsetCurvePath(line, 2, ribbon);
    CHECK(ribbon.mBuf[0].x == 0 && ribbon.mBuf[1].x == 10 && std::fabs(ribbon.mBuf[0].y) == 2);
    // Four corners within the tolerance of the axes, or not; another count is reported.
    PointList turned;
    for (Point2D p : {Point2D{10, 0}, Point2D{0, 10}, Point2D{-10, 0}, Point2D{0, -10}})
        turned.push_back(p);
    CHECK(IsAxisAligned(square, 0.4) && !IsAxisAligned(turned, 0.4));
    const int before = gNativeFailureCount;
    CHECK(!IsAxisAligned(line, 1) && gNativeFailureCount == before + 1);
}

void CheckTruncation() {
    CHECK(TruncateToInt32(std::nan("")) == 0);
    CHECK(TruncateToInt32(1e300) == INT32_MAX && TruncateToInt32(-1e300) == INT32_MIN);
    CHECK(TruncateToInt32(-2.7) == -2 && TruncateToInt32(2.7) == 2);
}

}  // namespace

extern "C" void RuntimeLockObject(ObjectHeader* object) {
    if (object) ++References(object);
}

extern "C" void RuntimeUnlockObject(ObjectHeader* object) {
    if (object) --References(object);
}

int main() {
    CheckTransforms();
    CheckMemberLists();
    CheckOutlines();
    CheckContains();
    CheckOffsets();
    CheckTruncation();
    if (sFailures) {
        std::printf("%d failures\n", sFailures);
        return 1;
    }
    std::printf("shape geometry checks passed\n");
    return 0;
}
