#include "GraphicsClass.h"

#include <cstddef>
#include <utility>

#include "core/DefinitionConversion.h"
#include "core/FailureReport.h"
#include "graphics/GraphicsGDI.h"
#include "graphics/PictureClass.h"
#include "graphics/PictureImp.h"
#include "graphics/ShapePlotter.h"
#include "graphics/Shapes2D.h"
#include "core/IntrinsicTypes.h"
#include "windows/Pane.h"

namespace {

GraphicsObject* Fields(ObjectHeader* g) { return reinterpret_cast<GraphicsObject*>(g); }

GraphicsImp* Imp(ObjectHeader* g) { return g ? Fields(g)->imp : nullptr; }

// The graphics and the top-left of its owner pane, which pane-local coordinates are moved by.
// A graphics without a pane is a failed assertion.
GraphicsImp* WithOffset(ObjectHeader* g, int32_t& left, int32_t& top) {
    GraphicsImp* graphics = Imp(g);
    if (!graphics) return nullptr;
    Pane* pane = graphics->GetPane();
    if (!pane) {
        ReportAssertion("runpanes", 106, "thePane");
        return nullptr;
    }
    left = pane->bounds.left;
    top = pane->bounds.top;
    return graphics;
}

template <typename Operation>
void WithRect(ObjectHeader* g, int32_t x, int32_t y, int32_t w, int32_t h, Operation operation) {
    int32_t left = 0, top = 0;
    if (GraphicsImp* graphics = WithOffset(g, left, top))
        operation(graphics, MakeRect16(x + left, y + top, x + left + w, y + top + h));
}

int32_t Face(ObjectHeader* g, int32_t bit) {
    GraphicsImp* graphics = Imp(g);
    return graphics && (graphics->TextFace() & bit) ? 1 : 0;
}

void SetFace(ObjectHeader* g, int32_t bit, int32_t on) {
    if (GraphicsImp* graphics = Imp(g))
        graphics->SetTextFace(on ? graphics->TextFace() | bit : graphics->TextFace() & ~bit);
}

void DrawBitmapPicture(GraphicsImp* graphics, PictureObject* picture, int32_t left, int32_t top,
                       int32_t x, int32_t y, int32_t w1, int32_t h1, int32_t sx, int32_t sy,
                       int32_t w2, int32_t h2) {
    int32_t pw = 0, ph = 0;
    picture->imp->GetSize(pw, ph);
    if (w1 == -10000) w1 = pw;
    if (h1 == -10000) h1 = ph;
    if (w2 == -10000) w2 = w1;
    if (h2 == -10000) h2 = h1;
    // Each clipping step divides by the source size and may shrink either size to nothing.
    auto clip = [](int32_t& position, int32_t& size, int32_t& source, int32_t& sourceSize,
                   int32_t limit) {
        if (size <= 0 || sourceSize <= 0) return false;
        if (source < 0) {
            const int32_t d = static_cast<int32_t>(static_cast<int64_t>(-source) * size / sourceSize);
            position += d;
            size -= d;
            sourceSize += source;
            source = 0;
        }
        if (size <= 0 || sourceSize <= 0) return false;
        if (source + sourceSize > limit) {
            const int32_t n = limit - source;
            size = static_cast<int32_t>(static_cast<int64_t>(size) * n / sourceSize);
            sourceSize = n;
        }
        return size > 0 && sourceSize > 0;
    };
    if (!clip(x, w1, sx, w2, pw) || !clip(y, h1, sy, h2, ph)) return;
    graphics->DrawPictureScaled(x + left, y + top, w1, h1, picture->imp, sx, sy, w2, h2,
                                picture->transparent != 0);
}

void DrawVectorPicture(ObjectHeader* g, GraphicsImp* graphics, PictureObject* picture,
                       int32_t left, int32_t top, int32_t x, int32_t y, int32_t w1, int32_t h1,
                       int32_t sx, int32_t sy, int32_t w2, int32_t h2) {
    ClipSaver saved(graphics);
    if (w1 == -10000) w1 = picture->width;
    if (h1 == -10000) h1 = picture->height;
    if (w2 == -10000) w2 = w1;
    if (h2 == -10000) h2 = h1;
    if (w1 <= 0 || h1 <= 0) return;
    graphics->SetClipRect(MakeRect16(x + left, y + top, x + left + w1, y + top + h1));
    RuntimeGraphicsDrawObjectXY(g, picture->objects,
                                static_cast<int32_t>(static_cast<int64_t>(x) * w2 / w1) - sx,
                                static_cast<int32_t>(static_cast<int64_t>(y) * h2 / h1) - sy);
}

ParameterEntry kRect[] = {{"x", AsType(&kIntegerType), 0, 0, 0, 0},
                          {"y", AsType(&kIntegerType), 0, 0, 0, 0},
                          {"width", AsType(&kIntegerType), 0, 0, 0, 0},
                          {"height", AsType(&kIntegerType), 0, 0, 0, 0}};
ParameterEntry kLine[] = {{"x1", AsType(&kIntegerType), 0, 0, 0, 0},
                          {"y1", AsType(&kIntegerType), 0, 0, 0, 0},
                          {"x2", AsType(&kIntegerType), 0, 0, 0, 0},
                          {"y2", AsType(&kIntegerType), 0, 0, 0, 0}};
ParameterEntry kRoundRect[] = {{"x", AsType(&kIntegerType), 0, 0, 0, 0},
                               {"y", AsType(&kIntegerType), 0, 0, 0, 0},
                               {"width", AsType(&kIntegerType), 0, 0, 0, 0},
                               {"height", AsType(&kIntegerType), 0, 0, 0, 0},
                               {"arcWidth", AsType(&kIntegerType), 0, 0, 0, 0},
                               {"arcHeight", AsType(&kIntegerType), 0, 0, 0, 0}};
constexpr uintptr_t kUnset = static_cast<uintptr_t>(-10000);
ParameterEntry kDrawPicture[] = {{"image", nullptr, 0, 0, 0, 0},
                                 {"x", AsType(&kIntegerType), 0, 0, 0, 0},
                                 {"y", AsType(&kIntegerType), 0, 0, 0, 0},
                                 {"w1", AsType(&kIntegerType), 0, 1, kUnset, 0},
                                 {"h1", AsType(&kIntegerType), 0, 1, kUnset, 0},
                                 {"sx", AsType(&kIntegerType), 0, 1, 0, 0},
                                 {"sy", AsType(&kIntegerType), 0, 1, 0, 0},
                                 {"w2", AsType(&kIntegerType), 0, 1, kUnset, 0},
                                 {"h2", AsType(&kIntegerType), 0, 1, kUnset, 0}};
ParameterEntry kDrawString[] = {{"str", AsType(&kStringType), 0, 0, 0, 0},
                                {"x", AsType(&kIntegerType), 0, 0, 0, 0},
                                {"y", AsType(&kIntegerType), 0, 0, 0, 0},
                                {"width", AsType(&kIntegerType), 0, 1, 0, 0},
                                {"condense", AsType(&kBooleanType), 0, 1, 0, 0}};
ParameterEntry kDrawObject[] = {{"object2D", nullptr, 0, 0, 0, 0},
                                {"deltaX", AsType(&kIntegerType), 0, 1, 0, 0},
                                {"deltaY", AsType(&kIntegerType), 0, 1, 0, 0}};
ParameterEntry kText[] = {{"Text", AsType(&kStringType), 0, 0, 0, 0}};
ParameterEntry kTextWrap[] = {{"Text", AsType(&kStringType), 0, 0, 0, 0},
                              {"WrapWidth", AsType(&kIntegerType), 0, 0, 0, 0}};
ParameterEntry kPoint[] = {{"x", AsType(&kIntegerType), 0, 0, 0, 0},
                           {"y", AsType(&kIntegerType), 0, 0, 0, 0}};
ArrayType kIntegerArrayType = {kTypeArray, AsType(&kIntegerType), 1};
ParameterEntry kPoints[] = {{"points", AsType(&kIntegerArrayType), 0, 0, 0, 0}};

#define QV_METHOD(name, result, parameters, count, function) \
    {name, result, parameters, count, Function(function, #function), {}, kMethodPlain, kRowAttr4, 0}
#define QV_COUNT(rows) static_cast<int32_t>(sizeof(rows) / sizeof(rows[0]))

MethodEntry kGraphicsMethods[] = {
    QV_METHOD("ClearRect", nullptr, kRect, 4, RuntimeGraphicsClearRect),
    QV_METHOD("DrawLine", nullptr, kLine, 4, RuntimeGraphicsDrawLine),
    QV_METHOD("DrawOval", nullptr, kRect, 4, RuntimeGraphicsDrawOval),
    QV_METHOD("DrawRect", nullptr, kRect, 4, RuntimeGraphicsDrawRect),
    QV_METHOD("DrawRoundRect", nullptr, kRoundRect, 6, RuntimeGraphicsDrawRoundRect),
    QV_METHOD("FillOval", nullptr, kRect, 4, RuntimeGraphicsFillOval),
    QV_METHOD("FillRect", nullptr, kRect, 4, RuntimeGraphicsFillRect),
    QV_METHOD("FillRoundRect", nullptr, kRoundRect, 6, RuntimeGraphicsFillRoundRect),
    QV_METHOD("DrawPicture", nullptr, kDrawPicture, QV_COUNT(kDrawPicture), RuntimeGraphicsDrawPicture),
    QV_METHOD("DrawString", nullptr, kDrawString, QV_COUNT(kDrawString),
              RuntimeGraphicsDrawStringCondensed),
    QV_METHOD("DrawObject", nullptr, kDrawObject, 3, RuntimeGraphicsDrawObjectXY),
    QV_METHOD("StringWidth", AsType(&kIntegerType), kText, 1, RuntimeGraphicsStringWidth),
    QV_METHOD("StringHeight", AsType(&kIntegerType), kTextWrap, 2, RuntimeGraphicsStringHeight),
    QV_METHOD("StringDirection", AsType(&kIntegerType), kText, 1, RuntimeGraphicsStringDirection),
    QV_METHOD("TextHeight", AsType(&kIntegerType), nullptr, 0, RuntimeGraphicsTextHeight),
    QV_METHOD("TextAscent", AsType(&kIntegerType), nullptr, 0, RuntimeGraphicsTextAscent),
    QV_METHOD("NextPage", nullptr, nullptr, 0, RuntimeGraphicsNextPage),
    QV_METHOD("DrawStopIcon", nullptr, kPoint, 2, graphicsDrawStopIcon),
    QV_METHOD("DrawNoteIcon", nullptr, kPoint, 2, graphicsDrawNoteIcon),
    QV_METHOD("DrawCautionIcon", nullptr, kPoint, 2, graphicsDrawCautionIcon),
    {"Pixel", AsType(&kColorType), kPoint, 2, Function(graphicsPixelGetter, "graphicsPixelGetter"),
     Function(graphicsPixelSetter, "graphicsPixelSetter"), kMethodPlain, kRowAttr4, 0},
    QV_METHOD("DrawPolygon", nullptr, kPoints, 1, graphicsDrawPolygon),
    QV_METHOD("FillPolygon", nullptr, kPoints, 1, graphicsFillPolygon),
    QV_METHOD("_DrawFocusRing", nullptr, kRect, 4, RuntimeGraphicsDrawFocusRing),
};
#undef QV_METHOD
#undef QV_COUNT

#define QV_PROPERTY(name, type, getter, setter) \
    {kRowAttr4, name, AsType(&type), RowFunction(getter), #getter, RowFunction(setter), #setter, 0, 0}
#define QV_READONLY(name, type, getter) \
    {kRowAttr4, name, AsType(&type), RowFunction(getter), #getter, nullptr, nullptr, 0, 0}

PropertyEntry kGraphicsProperties[] = {
    QV_PROPERTY("ForeColor", kColorType, graphicsForeColorGetter, graphicsForeColorSetter),
    QV_READONLY("Width", kIntegerType, graphicsWidthGetter),
    QV_READONLY("Height", kIntegerType, graphicsHeightGetter),
    QV_PROPERTY("TextFont", kStringType, graphicsTextFontGetter, graphicsTextFontSetter),
    QV_PROPERTY("TextSize", kIntegerType, graphicsTextSizeGetter, graphicsTextSizeSetter),
    QV_READONLY("Copies", kIntegerType, graphicsCopiesGetter),
    QV_READONLY("FirstPage", kIntegerType, graphicsFirstPageGetter),
    QV_READONLY("LastPage", kIntegerType, graphicsLastPageGetter),
    QV_PROPERTY("Bold", kBooleanType, graphicsBoldGetter, graphicsBoldSetter),
    QV_PROPERTY("Italic", kBooleanType, graphicsItalicGetter, graphicsItalicSetter),
    QV_PROPERTY("Underline", kBooleanType, graphicsUnderlineGetter, graphicsUnderlineSetter),
    QV_PROPERTY("PenWidth", kIntegerType, graphicsPenWidthGetter, graphicsPenWidthSetter),
    QV_PROPERTY("PenHeight", kIntegerType, graphicsPenHeightGetter, graphicsPenHeightSetter),
    QV_PROPERTY("UseOldRenderer", kBooleanType, graphicsUseOldRendererGetter,
                graphicsUseOldRendererSetter),
};
#undef QV_PROPERTY
#undef QV_READONLY

ConstantEntry kGraphicsConstants[] = {
    {0, "TextDirectionUnknown", 1, "-1"},
    {0, "TextDirectionLeftToRight", 1, "0"},
    {0, "TextDirectionRightToLeft", 1, "1"},
};

const ClassRows kGraphicsRows = {
    .className = "Graphics",
    .superclass = nullptr,
    .objectSize = sizeof(GraphicsObject),
    .finalizer = Function(RuntimeGraphicsDestructor, "RuntimeGraphicsDestructor"),
    .properties = kGraphicsProperties,
    .methods = kGraphicsMethods,
    .constants = kGraphicsConstants,
};

}  // namespace

ObjectDefinition* GetGraphicsDefinition() {
    static ObjectDefinition definition;
    static bool typed = false;
    if (!typed) {
        // The Picture definition asks for this one first; a flag breaks the circle.
        typed = true;
        kDrawPicture[0].parameterType = AsType(GetPictureDefinition());
        kDrawObject[0].parameterType = AsType(GetObject2DDefinition());
    }
    return FillClassDefinition(definition, kGraphicsRows);
}

ObjectHeader* NewGraphicsObject(GraphicsImp* graphics) {
    ObjectHeader* object = CreateInstance(GetGraphicsDefinition());
    if (!object) {
        DisposeGraphicsImp(graphics);
        return nullptr;
    }
    Fields(object)->imp = graphics;
    return object;
}

GraphicsImp* GraphicsImplementation(ObjectHeader* graphics) { return Imp(graphics); }

extern "C" {

void RuntimeGraphicsDestructor(ObjectHeader* g) {
    DisposeGraphicsImp(Fields(g)->imp);
    Fields(g)->imp = nullptr;
}

int32_t graphicsForeColorGetter(ObjectHeader* g) {
    GraphicsImp* graphics = Imp(g);
    return graphics ? static_cast<int32_t>(ColorFromRGBColor16(graphics->ForeColor())) : 0;
}

void graphicsForeColorSetter(ObjectHeader* g, int32_t colour) {
    if (GraphicsImp* graphics = Imp(g))
        graphics->SetForeColor(RGBColor16FromColor(static_cast<uint32_t>(colour)));
}

int32_t graphicsWidthGetter(ObjectHeader* g) {
    GraphicsImp* graphics = Imp(g);
    return graphics && graphics->GetPane() ? graphics->GetPane()->width : 0;
}

int32_t graphicsHeightGetter(ObjectHeader* g) {
    GraphicsImp* graphics = Imp(g);
    return graphics && graphics->GetPane() ? graphics->GetPane()->height : 0;
}

StringRecord* graphicsTextFontGetter(ObjectHeader* g) {
    GraphicsImp* graphics = Imp(g);
    return graphics ? graphics->GetTextFont().Detach() : nullptr;
}

void graphicsTextFontSetter(ObjectHeader* g, StringRecord* name) {
    if (GraphicsImp* graphics = Imp(g)) graphics->SetTextFont(string(name));
}

int32_t graphicsTextSizeGetter(ObjectHeader* g) {
    GraphicsImp* graphics = Imp(g);
    return graphics ? graphics->TextSize() : 0;
}

void graphicsTextSizeSetter(ObjectHeader* g, int32_t size) {
    if (GraphicsImp* graphics = Imp(g)) graphics->SetTextSize(size);
}

int32_t graphicsCopiesGetter(ObjectHeader* g) { return g ? Fields(g)->copies : 0; }
int32_t graphicsFirstPageGetter(ObjectHeader* g) { return g ? Fields(g)->firstPage : 0; }
int32_t graphicsLastPageGetter(ObjectHeader* g) { return g ? Fields(g)->lastPage : 0; }

int32_t graphicsBoldGetter(ObjectHeader* g) { return Face(g, kFaceBold); }
void graphicsBoldSetter(ObjectHeader* g, int32_t value) { SetFace(g, kFaceBold, value); }
int32_t graphicsItalicGetter(ObjectHeader* g) { return Face(g, kFaceItalic); }
void graphicsItalicSetter(ObjectHeader* g, int32_t value) { SetFace(g, kFaceItalic, value); }
int32_t graphicsUnderlineGetter(ObjectHeader* g) { return Face(g, kFaceUnderline); }
void graphicsUnderlineSetter(ObjectHeader* g, int32_t value) { SetFace(g, kFaceUnderline, value); }

int32_t graphicsPenWidthGetter(ObjectHeader* g) {
    GraphicsImp* graphics = Imp(g);
    return graphics ? graphics->PenWidth() : 0;
}

void graphicsPenWidthSetter(ObjectHeader* g, int32_t value) {
    if (GraphicsImp* graphics = Imp(g)) graphics->SetPenSize(value, graphics->PenHeight());
}

int32_t graphicsPenHeightGetter(ObjectHeader* g) {
    GraphicsImp* graphics = Imp(g);
    return graphics ? graphics->PenHeight() : 0;
}

void graphicsPenHeightSetter(ObjectHeader* g, int32_t value) {
    if (GraphicsImp* graphics = Imp(g)) graphics->SetPenSize(graphics->PenWidth(), value);
}

int32_t graphicsUseOldRendererGetter(ObjectHeader*) { return 0; }
void graphicsUseOldRendererSetter(ObjectHeader*, int32_t) {}

void RuntimeGraphicsClearRect(ObjectHeader* g, int32_t x, int32_t y, int32_t w, int32_t h) {
    WithRect(g, x, y, w, h, [](GraphicsImp* gr, const Rect16& r) { gr->EraseRect(r); });
}

void RuntimeGraphicsDrawOval(ObjectHeader* g, int32_t x, int32_t y, int32_t w, int32_t h) {
    WithRect(g, x, y, w, h, [](GraphicsImp* gr, const Rect16& r) { gr->FrameOval(r); });
}

void RuntimeGraphicsDrawRect(ObjectHeader* g, int32_t x, int32_t y, int32_t w, int32_t h) {
    WithRect(g, x, y, w, h, [](GraphicsImp* gr, const Rect16& r) { gr->FrameRect(r); });
}

void RuntimeGraphicsDrawRoundRect(ObjectHeader* g, int32_t x, int32_t y, int32_t w, int32_t h,
                                  int32_t arcWidth, int32_t arcHeight) {
    WithRect(g, x, y, w, h, [=](GraphicsImp* gr, const Rect16& r) {
        gr->FrameRoundRect(r, arcWidth, arcHeight);
    });
}

void RuntimeGraphicsFillOval(ObjectHeader* g, int32_t x, int32_t y, int32_t w, int32_t h) {
    WithRect(g, x, y, w, h, [](GraphicsImp* gr, const Rect16& r) { gr->PaintOval(r); });
}

void RuntimeGraphicsFillRect(ObjectHeader* g, int32_t x, int32_t y, int32_t w, int32_t h) {
    WithRect(g, x, y, w, h, [](GraphicsImp* gr, const Rect16& r) { gr->PaintRect(r); });
}

void RuntimeGraphicsFillRoundRect(ObjectHeader* g, int32_t x, int32_t y, int32_t w, int32_t h,
                                  int32_t arcWidth, int32_t arcHeight) {
    WithRect(g, x, y, w, h, [=](GraphicsImp* gr, const Rect16& r) {
        gr->PaintRoundRect(r, arcWidth, arcHeight);
    });
}

void RuntimeGraphicsDrawFocusRing(ObjectHeader* g, int32_t x, int32_t y, int32_t w, int32_t h) {
    WithRect(g, x, y, w, h, [](GraphicsImp* gr, const Rect16& r) { gr->DrawFocusRect(r); });
}

void RuntimeGraphicsDrawLine(ObjectHeader* g, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    int32_t left = 0, top = 0;
    GraphicsImp* graphics = WithOffset(g, left, top);
    if (!graphics) return;
    if (x2 < x1) {
        std::swap(x1, x2);
        std::swap(y1, y2);
    }
    graphics->MoveTo(x1 + left, y1 + top);
    graphics->LineTo(x2 + left, y2 + top);
    if (graphics->PenWidth() == 1 && graphics->PenHeight() == 1)
        graphics->SetPixel(x2 + left, y2 + top, graphics->ForeColor());
}

void RuntimeGraphicsDrawPicture(ObjectHeader* g, ObjectHeader* image, int32_t x, int32_t y,
                                int32_t w1, int32_t h1, int32_t sx, int32_t sy, int32_t w2,
                                int32_t h2) {
    if (!image) return;
    int32_t left = 0, top = 0;
    GraphicsImp* graphics = WithOffset(g, left, top);
    if (!graphics) return;
    auto* picture = reinterpret_cast<PictureObject*>(image);
    if (picture->imp)
        DrawBitmapPicture(graphics, picture, left, top, x, y, w1, h1, sx, sy, w2, h2);
    else if (picture->objects)
        DrawVectorPicture(g, graphics, picture, left, top, x, y, w1, h1, sx, sy, w2, h2);
}

void RuntimeGraphicsDrawString(ObjectHeader* g, StringRecord* text, int32_t x, int32_t y,
                               int32_t width) {
    RuntimeGraphicsDrawStringCondensed(g, text, x, y, width, 0);
}

void RuntimeGraphicsDrawStringCondensed(ObjectHeader* g, StringRecord* text, int32_t x,
                                        int32_t y, int32_t width, int32_t condense) {
    string str(text);
    if (str.IsEmpty()) return;
    int32_t left = 0, top = 0;
    GraphicsImp* graphics = WithOffset(g, left, top);
    if (!graphics) return;
    if (condense && width > 0) {
        string copy(str);
        graphics->DrawTruncatedString(copy, x + left, y + top, width, string("..."), nullptr);
    } else if (width != 0) {
        graphics->DrawTextInRect(str, MakeRect16(x + left, y + top - graphics->TextAscent(),
                                                 x + width + left, 32767), 0);
    } else {
        graphics->DrawTextInRect(str, MakeRect16(x + left, y + top - graphics->TextAscent(), 30000,
                                                 y + top + graphics->TextDescent()), 3);
    }
}

void RuntimeGraphicsDrawObject(ObjectHeader* g, ObjectHeader* shape) {
    GraphicsImp* graphics = Imp(g);
    if (!graphics || !shape) return;
    ShapePlotter plotter(graphics);
    plotter.DrawShape(shape, 128);
}

void RuntimeGraphicsDrawObjectXY(ObjectHeader* g, ObjectHeader* shape, int32_t dx, int32_t dy) {
    GraphicsImp* graphics = Imp(g);
    if (!graphics || !shape) return;
    ShapePlotter plotter(graphics);
    plotter.DrawShapeAt(shape, dx, dy);
}

int32_t RuntimeGraphicsStringWidth(ObjectHeader* g, StringRecord* text) {
    GraphicsImp* graphics = Imp(g);
    string str(text);
    return graphics && !str.IsEmpty() ? graphics->StringWidth(str, false) : 0;
}

int32_t RuntimeGraphicsStringHeight(ObjectHeader* g, StringRecord* text, int32_t wrapWidth) {
    GraphicsImp* graphics = Imp(g);
    string str(text);
    return graphics && !str.IsEmpty() ? graphics->TextHeightForWidth(str, wrapWidth) : 0;
}

int32_t RuntimeGraphicsStringDirection(ObjectHeader* g, StringRecord* text) {
    GraphicsImp* graphics = Imp(g);
    if (!graphics) return -1;
    string str(text);
    return str.IsEmpty() ? graphics->DefaultStringDirection() : graphics->StringDirection(str);
}

int32_t RuntimeGraphicsTextHeight(ObjectHeader* g) {
    GraphicsImp* graphics = Imp(g);
    return graphics ? graphics->TextHeight() : 0;
}

int32_t RuntimeGraphicsTextAscent(ObjectHeader* g) {
    GraphicsImp* graphics = Imp(g);
    return graphics ? graphics->TextAscent() : 0;
}

void RuntimeGraphicsNextPage(ObjectHeader* g) {
    GraphicsImp* graphics = Imp(g);
    if (graphics && graphics->GetPane()) graphics->GetPane()->NextPage();
}

void graphicsDrawStopIcon(ObjectHeader* g, int32_t x, int32_t y) {
    WithRect(g, x, y, 32, 32, [](GraphicsImp* gr, const Rect16& r) {
        gr->DrawStandardIcon(0, r.left, r.top, 32, 32);
    });
}

void graphicsDrawNoteIcon(ObjectHeader* g, int32_t x, int32_t y) {
    WithRect(g, x, y, 32, 32, [](GraphicsImp* gr, const Rect16& r) {
        gr->DrawStandardIcon(1, r.left, r.top, 32, 32);
    });
}

void graphicsDrawCautionIcon(ObjectHeader* g, int32_t x, int32_t y) {
    WithRect(g, x, y, 32, 32, [](GraphicsImp* gr, const Rect16& r) {
        gr->DrawStandardIcon(2, r.left, r.top, 32, 32);
    });
}

int32_t graphicsPixelGetter(ObjectHeader* g, int32_t x, int32_t y) {
    int32_t left = 0, top = 0;
    GraphicsImp* graphics = WithOffset(g, left, top);
    if (!graphics) return 0;
    RGBColor16 colour{0, 0, 0};
    graphics->GetPixel(x + left, y + top, colour);
    return static_cast<int32_t>(ColorFromRGBColor16(colour));
}

void graphicsPixelSetter(ObjectHeader* g, int32_t x, int32_t y, int32_t colour) {
    int32_t left = 0, top = 0;
    if (GraphicsImp* graphics = WithOffset(g, left, top))
        graphics->SetPixel(x + left, y + top, RGBColor16FromColor(static_cast<uint32_t>(colour)));
}

void graphicsDrawPolygon(ObjectHeader* g, ArrayRecord* points) {
    GraphicsImp* graphics = Imp(g);
    if (graphics && points && RuntimeUBound(points) >= 1) graphics->DrawPolygon(points, false);
}

void graphicsFillPolygon(ObjectHeader* g, ArrayRecord* points) {
    GraphicsImp* graphics = Imp(g);
    if (graphics && points && RuntimeUBound(points) >= 1) graphics->DrawPolygon(points, true);
}

}  // extern "C"
