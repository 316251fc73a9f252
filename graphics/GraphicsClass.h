// The Graphics class through which compiled applications draw: each method turns pane-local
// coordinates into the graphics' space, converts colours and defaults, and calls one operation
// of the GraphicsImp the object owns.
#pragma once

#include <cstdint>

#include "core/ArrayRecord.h"
#include "core/ClassDefinition.h"
#include "core/ObjectModel.h"
#include "core/RuntimeString.h"

class GraphicsImp;

struct GraphicsObject {
    ObjectHeader header;
    GraphicsImp* imp;  // owned
    int32_t copies;    // the print job's; 0 otherwise
    int32_t firstPage;
    int32_t lastPage;
};

ObjectDefinition* GetGraphicsDefinition();

// A new Graphics that owns the graphics.
ObjectHeader* NewGraphicsObject(GraphicsImp* graphics);
GraphicsImp* GraphicsImplementation(ObjectHeader* graphics);

extern "C" {
void RuntimeGraphicsDestructor(ObjectHeader* g);
int32_t graphicsForeColorGetter(ObjectHeader* g);
void graphicsForeColorSetter(ObjectHeader* g, int32_t colour);
int32_t graphicsWidthGetter(ObjectHeader* g);
int32_t graphicsHeightGetter(ObjectHeader* g);
StringRecord* graphicsTextFontGetter(ObjectHeader* g);
void graphicsTextFontSetter(ObjectHeader* g, StringRecord* name);
int32_t graphicsTextSizeGetter(ObjectHeader* g);
void graphicsTextSizeSetter(ObjectHeader* g, int32_t size);
int32_t graphicsCopiesGetter(ObjectHeader* g);
int32_t graphicsFirstPageGetter(ObjectHeader* g);
int32_t graphicsLastPageGetter(ObjectHeader* g);
int32_t graphicsBoldGetter(ObjectHeader* g);
void graphicsBoldSetter(ObjectHeader* g, int32_t value);
int32_t graphicsItalicGetter(ObjectHeader* g);
void graphicsItalicSetter(ObjectHeader* g, int32_t value);
int32_t graphicsUnderlineGetter(ObjectHeader* g);
void graphicsUnderlineSetter(ObjectHeader* g, int32_t value);
int32_t graphicsPenWidthGetter(ObjectHeader* g);
void graphicsPenWidthSetter(ObjectHeader* g, int32_t value);
int32_t graphicsPenHeightGetter(ObjectHeader* g);
void graphicsPenHeightSetter(ObjectHeader* g, int32_t value);
int32_t graphicsUseOldRendererGetter(ObjectHeader* g);
void graphicsUseOldRendererSetter(ObjectHeader* g, int32_t value);
void RuntimeGraphicsClearRect(ObjectHeader* g, int32_t x, int32_t y, int32_t w, int32_t h);
void RuntimeGraphicsDrawLine(ObjectHeader* g, int32_t x1, int32_t y1, int32_t x2, int32_t y2);
void RuntimeGraphicsDrawOval(ObjectHeader* g, int32_t x, int32_t y, int32_t w, int32_t h);
void RuntimeGraphicsDrawRect(ObjectHeader* g, int32_t x, int32_t y, int32_t w, int32_t h);
void RuntimeGraphicsDrawRoundRect(ObjectHeader* g, int32_t x, int32_t y, int32_t w, int32_t h,
                                  int32_t arcWidth, int32_t arcHeight);
void RuntimeGraphicsFillOval(ObjectHeader* g, int32_t x, int32_t y, int32_t w, int32_t h);
void RuntimeGraphicsFillRect(ObjectHeader* g, int32_t x, int32_t y, int32_t w, int32_t h);
void RuntimeGraphicsFillRoundRect(ObjectHeader* g, int32_t x, int32_t y, int32_t w, int32_t h,
                                  int32_t arcWidth, int32_t arcHeight);
void RuntimeGraphicsDrawPicture(ObjectHeader* g, ObjectHeader* picture, int32_t x, int32_t y,
                                int32_t w1, int32_t h1, int32_t sx, int32_t sy, int32_t w2,
                                int32_t h2);
void RuntimeGraphicsDrawString(ObjectHeader* g, StringRecord* text, int32_t x, int32_t y,
                               int32_t width);
void RuntimeGraphicsDrawStringCondensed(ObjectHeader* g, StringRecord* text, int32_t x,
                                        int32_t y, int32_t width, int32_t condense);
void RuntimeGraphicsDrawObject(ObjectHeader* g, ObjectHeader* shape);
void RuntimeGraphicsDrawObjectXY(ObjectHeader* g, ObjectHeader* shape, int32_t dx, int32_t dy);
int32_t RuntimeGraphicsStringWidth(ObjectHeader* g, StringRecord* text);
int32_t RuntimeGraphicsStringHeight(ObjectHeader* g, StringRecord* text, int32_t wrapWidth);
int32_t RuntimeGraphicsStringDirection(ObjectHeader* g, StringRecord* text);
int32_t RuntimeGraphicsTextHeight(ObjectHeader* g);
int32_t RuntimeGraphicsTextAscent(ObjectHeader* g);
void RuntimeGraphicsNextPage(ObjectHeader* g);
void graphicsDrawStopIcon(ObjectHeader* g, int32_t x, int32_t y);
void graphicsDrawNoteIcon(ObjectHeader* g, int32_t x, int32_t y);
void graphicsDrawCautionIcon(ObjectHeader* g, int32_t x, int32_t y);
int32_t graphicsPixelGetter(ObjectHeader* g, int32_t x, int32_t y);
void graphicsPixelSetter(ObjectHeader* g, int32_t x, int32_t y, int32_t colour);
void graphicsDrawPolygon(ObjectHeader* g, ArrayRecord* points);
void graphicsFillPolygon(ObjectHeader* g, ArrayRecord* points);
void RuntimeGraphicsDrawFocusRing(ObjectHeader* g, int32_t x, int32_t y, int32_t w, int32_t h);
}
