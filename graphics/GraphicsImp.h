// The drawing object behind every Graphics and behind every drawing the runtime does for itself:
// the drawing state and the drawing operations, which this base keeps or leaves empty. GraphicsGDI
// (GraphicsGDI.h) is the implementation that draws. The conventions are in DrawingModel.h.
#pragma once

#include <windows.h>

#include <cstdint>

#include "core/GuardedMemory.h"
#include "core/Rect16.h"
#include "core/RuntimeString.h"
#include "graphics/DrawingModel.h"
#include "graphics/RGBColor16.h"
#include "graphics/TextStyle.h"

class GraphicsGDI;
class Pane;
class PictureImp;
struct ArrayRecord;

// Face bits of a graphics.
enum : int32_t { kFaceBold = 1, kFaceItalic = 2, kFaceUnderline = 4, kFaceCondensed = 8 };

class GraphicsImp : public RuntimeAllocated {
public:
    explicit GraphicsImp(Pane* pane);
    GraphicsImp(const GraphicsImp&) = delete;
    GraphicsImp& operator=(const GraphicsImp&) = delete;

    // The operations in their slot order.
    virtual void AlignPattern();
    virtual void ApplyClip() {}
    virtual ~GraphicsImp();
    virtual bool SupportsTranslucency() { return mTranslucent != 0; }
    virtual bool HasClipRegion() { return false; }
    // Called before shape and picture drawing.
    virtual void BeforeShapeDrawing() {}
    virtual void SelectFont() {}
    virtual void BeginDrawing() {}
    // Stops drawing: gives back whatever the graphics holds of its pane. The caller clears the
    // current-graphics pointer.
    virtual void EndDrawing() {}
    // In window coordinates.
    virtual void SetClipRect(const Rect16&) {}
    virtual void SetPattern(const uint8_t rows[8]);
    // 0 solid, 1 checkerboard, 2 horizontal lines, 3 vertical lines; any other kind is solid.
    virtual void SetStandardPattern(int32_t kind);
    virtual void SetPenMode(int32_t mode) { mPenMode = mode; }
    virtual void SetPenSize(int32_t width, int32_t height) {
        mPenWidth = width;
        mPenHeight = height;
    }
    virtual void ResetPen() {}
    virtual void SetForeColor(RGBColor16 colour) { mForeColor = colour; }
    virtual void SetBackColor(RGBColor16 colour) { mBackColor = colour; }
    virtual void FrameRect(const Rect16&) {}
    virtual void FrameRectInWindowFrame(const Rect16&) {}
    virtual void PaintRect(const Rect16&) {}
    virtual void FillRectInWindowFrame(const Rect16&) {}
    virtual void FillRect(const Rect16&) {}
    virtual void EraseRect(const Rect16&) {}
    virtual void InvertRect(const Rect16&) {}
    virtual void InvertRectVariant(const Rect16&) {}
    virtual void FrameRoundRect(const Rect16&, int32_t, int32_t) {}
    virtual void PaintRoundRect(const Rect16&, int32_t, int32_t) {}
    virtual void FrameOval(const Rect16&) {}
    virtual void PaintOval(const Rect16&) {}
    virtual void MoveTo(int32_t x, int32_t y) {
        mPenX = x;
        mPenY = y;
    }
    virtual void LineTo(int32_t, int32_t) {}
    virtual void Line(int32_t, int32_t) {}
    // Elements 1, 2 are the first x, y, 3, 4 the second, and so on.
    virtual void DrawPolygon(ArrayRecord*, bool) {}
    virtual void SetTextStyle(const TextStyle& style);
    virtual void SetTextFont(const string& name) { mFontName = name; }
    virtual void SetTextSize(int32_t size) { mTextSize = size; }
    // The low byte is kept.
    virtual void SetTextFace(int32_t face) { mTextFace = face & 0xFF; }
    virtual void SetTextMode(int32_t) {}
    // The clip rectangle, when given, is in window coordinates like the point.
    virtual void DrawString(const string&, int32_t, int32_t, const Rect16*) {}
    virtual void DrawStringInRect(const string&, const Rect16&) {}
    // With multiLine, the widest of the lines between carriage returns.
    virtual int32_t StringWidth(const string&, bool) { return -1; }
    virtual int32_t DefaultStringDirection() { return -1; }
    virtual int32_t StringDirection(const string& text) {
        return text.IsEmpty() ? DefaultStringDirection() : -1;
    }
    virtual int32_t TextAscent() { return -1; }
    virtual int32_t TextDescent() { return -1; }
    virtual int32_t TextLeading() { return -1; }
    virtual int32_t TextHeight() { return -1; }
    virtual uint32_t TextEncoding() { return kEncodingUnknown; }
    virtual void DrawPicturePart(int32_t x, int32_t y, PictureImp* picture, int32_t sourceX,
                                 int32_t sourceY, int32_t width, int32_t height, bool transparent);
    virtual void DrawPictureScaled(int32_t x, int32_t y, int32_t width, int32_t height,
                                   PictureImp* picture, int32_t sourceX, int32_t sourceY,
                                   int32_t sourceWidth, int32_t sourceHeight, bool transparent);
    virtual void DrawPicturePartTransparent(int32_t x, int32_t y, PictureImp* picture,
                                            int32_t sourceX, int32_t sourceY, int32_t width,
                                            int32_t height);
    virtual int32_t TextHeightForWidth(const string&, int32_t) { return -1; }
    // Alignment 0 left, 1 centre, 2 right.
    virtual void DrawTextInRect(const string&, const Rect16&, int32_t) {}
    // Kind 0 stop, 1 note, 2 caution, 3 question.
    virtual void DrawStandardIcon(int32_t, int32_t, int32_t, int32_t, int32_t) {}
    virtual void GetPixel(int32_t, int32_t, RGBColor16&) {}
    virtual void SetPixel(int32_t, int32_t, RGBColor16) {}
    virtual void ReservedHook() {}
    virtual void DrawFocusRect(const Rect16&) {}

    // The GDI graphics this is, or null.
    virtual GraphicsGDI* AsGraphicsGDI() { return nullptr; }

    void SetOrigin(int32_t x, int32_t y);
    void SetPatternOrigin(int32_t x, int32_t y);
    string GetTextFont() const { return mFontName; }
    // Draws the text, cut to fit maxWidth with the suffix after it when it is wider; text is
    // replaced by what was drawn of it.
    void DrawTruncatedString(string& text, int32_t x, int32_t y, int32_t maxWidth,
                             const string& suffix, const Rect16* clip);
    // How many leading bytes of the text fit in width, never inside a character; with
    // breakAtBlanks the cut moves back to after a blank.
    int32_t FitStringToWidth(const string& text, int32_t width, bool breakAtBlanks);

    Pane* GetPane() const { return mPane; }
    // The owner pane is going away; the graphics draws nowhere from now on.
    void DetachPane() { mPane = nullptr; }
    const string& TextFont() const { return mFontName; }
    int32_t TextSize() const { return mTextSize; }
    int32_t TextFace() const { return mTextFace; }
    RGBColor16 ForeColor() const { return mForeColor; }
    RGBColor16 BackColor() const { return mBackColor; }
    int32_t PenWidth() const { return mPenWidth; }
    int32_t PenHeight() const { return mPenHeight; }
    int32_t PenMode() const { return mPenMode; }
    int32_t PenX() const { return mPenX; }
    int32_t PenY() const { return mPenY; }
    int32_t OriginX() const { return mOriginX; }
    int32_t OriginY() const { return mOriginY; }
    // The level of the shape part about to be drawn, set by the shape plotter.
    float Opacity() const { return mOpacity; }
    void SetOpacity(float opacity) { mOpacity = opacity; }
    const uint8_t* Pattern() const { return mPattern; }
    const uint8_t* AlignedPattern() const { return mAlignedPattern; }

protected:
    friend class GraphicsStateSaver;

    Pane* mPane;
    uint8_t mPrinter = 0;      // the graphics of a print job
    uint8_t mTranslucent = 0;  // no back end sets it
    string mFontName;
    int32_t mTextSize = 12;
    int32_t mTextFace = 0;
    int32_t mPenWidth = 1;
    int32_t mPenHeight = 1;
    int32_t mPenMode = 0;  // kept and saved; no drawing reads it
    float mOpacity = 1.0f;  // the level of the shape about to be drawn; GDI does not read it
    RGBColor16 mForeColor{0, 0, 0};
    RGBColor16 mBackColor{0xFFFF, 0xFFFF, 0xFFFF};
    int32_t mPenX = 0;
    int32_t mPenY = 0;
    int32_t mOriginX = 0;
    int32_t mOriginY = 0;
    int32_t mPatternOriginX = 0;
    int32_t mPatternOriginY = 0;
    uint8_t mPattern[8] = {};
    uint8_t mAlignedPattern[8] = {};
    uint8_t mOwnsPane = 0;  // the destructor deletes the owner pane
};

// The one graphics drawing now, or null. A graphics becomes current when it begins to draw and
// stops being current when its drawing ends or it is deleted.
GraphicsImp* CurrentGraphics();
void SetCurrentGraphics(GraphicsImp* graphics);

// Deletes a graphics; null is ignored.
void DisposeGraphicsImp(GraphicsImp* graphics);

// Keeps the drawing state a shape drawing changes; Restore puts it back once, in a fixed order.
class GraphicsStateSaver {
public:
    explicit GraphicsStateSaver(GraphicsImp* graphics);
    GraphicsStateSaver(const GraphicsStateSaver&) = delete;
    GraphicsStateSaver& operator=(const GraphicsStateSaver&) = delete;
    void Restore();

private:
    GraphicsImp* mGraphics;
    bool mSaved = false;
    RGBColor16 mForeColor{0, 0, 0};
    float mOpacity = 1.0f;
    string mFontName;
    int32_t mTextSize = 0;
    int32_t mTextFace = 0;
    int32_t mPenWidth = 0;
    int32_t mPenHeight = 0;
    int32_t mPenMode = 0;
    int32_t mOriginX = 0;
    int32_t mOriginY = 0;
};

extern "C" {
// Kept for compiled code written for another platform; it changes nothing here.
void EnableCoreGraphicsTextOnOSX();
}

// Closes the movies shown in the pane. There is no movie engine yet, so no pane shows a movie.
void CloseMoviesOfPane(Pane* pane);
