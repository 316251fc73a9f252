// The geometry of the vector shapes: the mapping between a shape's local frame and drawing
// coordinates, the outlines the plotter fills and strokes, curve and figure paths, the hit test,
// and the offsetting that widens an outline into a band. Nothing here draws.
#pragma once

#include <cstdint>

#include "graphics/ShapeModel.h"

constexpr double kTwoPi = 6.283185307179586;

// Drawing coordinates into the shape's local frame (origin at X, Y, unturned, unscaled).
void Object2DToLocal(const Object2DFields* shape, Point2D* point);
// Every point of the list from the local frame into drawing coordinates.
void Object2DToWorld(const Object2DFields* shape, PointList& points);

// Each routine resizes the list to the points it makes.
void RectShapeOutline(const RectShapeFields* shape, PointList& points);
void RoundRectShapeOutline(const RoundRectShapeFields* shape, PointList& points);
void OvalShapeOutline(const OvalShapeFields* shape, PointList& points);
// The arc points, then the centre; empty for an arc of width 0.
void ArcShapeOutline(const ArcShapeFields* shape, PointList& points);
// The curve points, then the chord midpoint, in absolute coordinates.
void CurveShapeOutline(const CurveShapeFields* shape, PointList& points);
// A closed path through the member curves, in absolute coordinates.
void FigureShapePath(const Group2DFields* figure, PointList& points);

Point2D QuadraticBezierPoint(Point2D p0, Point2D c, Point2D p1, double t);
Point2D CubicBezierPoint(Point2D p0, Point2D c0, Point2D c1, Point2D p1, double t);

// The Contains test of RectShape and its subclasses; points on the boundary are outside.
bool ShapeContains(const RectShapeFields* shape, double x, double y);

// --- widening outlines into bands ---

// The segment a-b moved by d along its normal (ey, -ex) / length.
void OffsetSegment(Point2D a, Point2D b, double d, Point2D* outA, Point2D* outB);
// Each corner of a closed polygon moved to where its two offset edges meet.
void OffsetClosedPolygon(const PointList& points, double d, PointList& out);
// An arc outline whose last point is the centre: the ends lie on the two radii.
void OffsetArcPath(const PointList& points, double d, PointList& out);
// A curve outline whose last point is the chord midpoint: square ends.
void OffsetCurvePath(const PointList& points, double d, PointList& out);
// Drops the points equal to their predecessor among the first count points of the list (and,
// when closed, a last point equal to the first), keeping the points after them; answers how many
// of the first count remain. Offsetting needs edges of some length.
uint32_t DropRepeatedPoints(PointList& points, uint32_t count, bool closed);
// Four corners whose every edge runs within tolerance of an axis.
bool IsAxisAligned(const PointList& points, double tolerance);
