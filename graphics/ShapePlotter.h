// Draws a tree of vector shapes into a GraphicsImp: closed outlines as integer polygons, thick
// outlines as filled bands centred on the outline, axis-aligned ovals through the graphics' own
// ellipse operations, and text and pixel-map shapes, turned through square offscreen pictures.
// The geometry is ShapeOutlines.h's.
#pragma once

#include <cstdint>

#include "core/GuardedMemory.h"
#include "core/ObjectModel.h"
#include "graphics/ShapeModel.h"

class GraphicsImp;
class PictureImp;
class OffscreenPicture;

class ShapePlotter : public RuntimeAllocated {
public:
    explicit ShapePlotter(GraphicsImp* graphics) : mGraphics(graphics) {}
    ShapePlotter(const ShapePlotter&) = delete;
    ShapePlotter& operator=(const ShapePlotter&) = delete;

    virtual ~ShapePlotter() = default;
    // Groups deeper than depth levels below are not drawn.
    virtual void DrawShape(ObjectHeader* shape, int32_t depth);
    // Draws the shape moved by (dx, dy), moving it there and back.
    virtual void DrawShapeAt(ObjectHeader* shape, double dx, double dy);
    virtual void DrawOpenShape(ObjectHeader* shape);
    virtual void DrawOvalShape(ObjectHeader* shape);
    virtual void DrawClosedShape(ObjectHeader* shape);
    virtual void DrawStringShape(ObjectHeader* shape);
    virtual void DrawPixmapShape(ObjectHeader* shape);
    virtual void DrawFigureShape(ObjectHeader* figure);
    virtual void PlotPolygon(ObjectHeader* shape, const PointList& points);

private:
    bool DrawsFill(const Object2DFields* shape);
    bool DrawsBorder(const Object2DFields* shape);
    void UseFillColor(const Object2DFields* shape);
    void UseBorderColor(const Object2DFields* shape);
    void FillInterior(const Object2DFields* shape, const PointList& points);
    // Sets the level and colour of an outline that is drawn, with its drawn width; false when
    // the outline is not drawn.
    bool BeginOutline(const Object2DFields* shape, double& width);
    // MoveTo the point first, then LineTo each point up to end (exclusive, wrapping round),
    // placed by the owner pane's left and top.
    void WalkPoints(const PointList& points, uint32_t first, uint32_t end, int32_t left, int32_t top);
    // Fills the points as one integer polygon, each coordinate rounded by bias and truncated.
    void FillPoints(const Point2D* points, uint32_t count, double bias);
    void FillBand(const PointList& forward, const PointList& backward, bool closeRing);
    // A pixmap shape's clipped image turned through two square pictures; false when they cannot
    // be made, and the shape draws nothing more.
    bool DrawTurnedImage(PixmapShapeFields* pixmap, PictureImp* image, int32_t dw, int32_t dh,
                         int32_t sx, int32_t sy, int32_t sw, int32_t sh, int32_t left, int32_t top);
    // The owner pane's left and top; false without an owner pane.
    bool PaneOrigin(int32_t& left, int32_t& top) const;

    GraphicsImp* mGraphics;
};

// Turns the pixels of one 32-bit offscreen picture into another of the same size (Part of the
// plotter's turned drawing): 0 when turned, 3 when the sizes (or depths or strides) differ.
int32_t RotatePixMap(PictureImp* source, PictureImp* destination, double angle, int32_t flags);

// The axis-aligned box, one pixel wider at the left and top and two at the right and bottom, of
// a rectangle turned by angle about its centre.
void RotatedBounds(int32_t& left, int32_t& top, int32_t& width, int32_t& height, double angle);

// Sets the font, size, face and colour of a string shape on the graphics.
void ApplyTextStyle(GraphicsImp* graphics, const StringShapeFields* shape);
