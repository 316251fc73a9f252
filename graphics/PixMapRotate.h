// Turning 32-bit pixel maps by three shears, with a quarter turn first for large angles and
// neighbouring pixels blended at sub-pixel offsets. Works on plain pixel stores; the plotter's
// pictures reach it through RotatePixMap (ShapePlotter.h).
#pragma once

#include <cstdint>

// Flags of a turn.
enum : int32_t {
    // Pixels no source pixel reaches become white; beyond an edge counts as white.
    kRotateFill = 1,
    // Beyond an edge counts as the edge pixel; unreached pixels keep what they held.
    kRotateEdge = 2,
};

constexpr uint32_t kRotateWhite = 0x00FFFFFF;

// Turns the source map by -angle about its centre (counterclockwise on the screen for a positive
// angle) into the destination, which has the same width, height and stride. The source is scratch
// space and is overwritten. Strides are in bytes. Answers 0.
int32_t RotatePixels(uint32_t* source, int32_t sourceStride, uint32_t* destination,
                     int32_t destinationStride, int32_t width, int32_t height, double angle,
                     int32_t flags);
// Moves row i right by factor × (i − height/2), blending at the fraction.
void ShearRows(const uint32_t* source, int32_t sourceStride, uint32_t* destination,
               int32_t destinationStride, int32_t width, int32_t height, double factor,
               int32_t flags);
// Moves column i down by factor × (i − width/2), blending at the fraction.
void ShearColumns(const uint32_t* source, int32_t sourceStride, uint32_t* destination,
                  int32_t destinationStride, int32_t width, int32_t height, double factor,
                  int32_t flags);
void CopyPixelRows(const uint32_t* from, int32_t fromStride, uint32_t* to, int32_t toStride,
                   int32_t rows);
