// The vector shape classes: Object2D and its nine subclasses as built-in classes, with their
// initializers, finalizers, properties and methods. The fields and the transform and list logic
// are in ShapeModel.h, the outlines and the hit test in ShapeOutlines.h.
#pragma once

#include <cstdint>

#include "core/ClassDefinition.h"
#include "core/ObjectModel.h"
#include "graphics/ShapeModel.h"

ObjectDefinition* GetObject2DDefinition();
ObjectDefinition* GetRectShapeDefinition();
ObjectDefinition* GetRoundRectShapeDefinition();
ObjectDefinition* GetOvalShapeDefinition();
ObjectDefinition* GetArcShapeDefinition();
ObjectDefinition* GetPixmapShapeDefinition();
ObjectDefinition* GetStringShapeDefinition();
ObjectDefinition* GetCurveShapeDefinition();
ObjectDefinition* GetGroup2DDefinition();
ObjectDefinition* GetFigureShapeDefinition();

// Registers the ten classes, Object2D first.
void RegisterShapeClasses();

extern "C" {
ObjectHeader* Object2DConstructor(ObjectHeader* shape);
ObjectHeader* RectShapeConstructor(ObjectHeader* shape);
ObjectHeader* RoundRectShapeConstructor(ObjectHeader* shape);
ObjectHeader* OvalShapeConstructor(ObjectHeader* shape);
ObjectHeader* ArcShapeConstructor(ObjectHeader* shape);
ObjectHeader* PixmapShapeConstructor(ObjectHeader* shape);
ObjectHeader* PixmapShapeDestructor(ObjectHeader* shape);
ObjectHeader* StringShapeConstructor(ObjectHeader* shape);
ObjectHeader* StringShapeDestructor(ObjectHeader* shape);
ObjectHeader* CurveShapeConstructor(ObjectHeader* shape);
ObjectHeader* Group2DConstructor(ObjectHeader* group);
ObjectHeader* Group2DDestructor(ObjectHeader* group);
ObjectHeader* FigureShapeConstructor(ObjectHeader* figure);
ObjectHeader* FigureShapeDestructor(ObjectHeader* figure);

double doublePercentGetter(ObjectHeader* object, int32_t offset);
void doublePercentSetter(ObjectHeader* object, int32_t offset, double value);
// X, Y, Rotation and Scale, through the transform setters.
void Object2DDoubleSetter(ObjectHeader* object, int32_t offset, double value);
void ArcStartAngleSetter(ObjectHeader* object, int32_t offset, double value);
void CurveOrderSetter(ObjectHeader* object, int32_t offset, int32_t value);
double CurveGetControlX(ObjectHeader* curve, int32_t index);
double CurveGetControlY(ObjectHeader* curve, int32_t index);
void CurveSetControlX(ObjectHeader* curve, int32_t index, double value);
void CurveSetControlY(ObjectHeader* curve, int32_t index, double value);
void PixmapShapeImageCtor(ObjectHeader* shape, ObjectHeader* picture);
int32_t Group2DCount(ObjectHeader* group);
void Group2DAppend(ObjectHeader* group, ObjectHeader* member);
void Group2DInsert(ObjectHeader* group, int32_t index, ObjectHeader* member);
ObjectHeader* Group2DGetItem(ObjectHeader* group, int32_t index);
void Group2DSetItem(ObjectHeader* group, int32_t index, ObjectHeader* member);
void Group2DRemoveByIndex(ObjectHeader* group, int32_t index);
void Group2DRemoveByObject(ObjectHeader* group, ObjectHeader* member);
void FigureShapeAddLine(ObjectHeader* figure, float x1, float y1, float x2, float y2);
void FigureShapeAddQuad(ObjectHeader* figure, float x1, float y1, float x2, float y2, float cx1,
                        float cy1);
void FigureShapeAddCubic(ObjectHeader* figure, float x1, float y1, float x2, float y2, float cx1,
                         float cy1, float cx2, float cy2);
bool RectShapeContains(ObjectHeader* shape, double x, double y);
}
