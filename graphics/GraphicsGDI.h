// The GDI graphics: draws through the device context of its owner pane (or a fixed one handed in
// from outside). One graphics draws at a time and keeps the context until another begins; its clip
// is always intersected with the clip the context had, which ending the drawing puts back; fonts
// come from the control font cache.
#pragma once

#include <windows.h>

#include "graphics/GraphicsImp.h"

class GraphicsGDI : public GraphicsImp {
public:
    explicit GraphicsGDI(Pane* pane) : GraphicsImp(pane) {}
    ~GraphicsGDI() override;

    // The context to draw into; begins drawing when needed.
    HDC GetDC();
    // A copy of the region (device units) becomes the clip; null removes the clip.
    void SetClipRegion(HRGN region);
    HRGN ClipRegion() const { return mClipRegion; }
    // A context from outside, used for everything: nothing is acquired or released.
    void SetFixedDC(HDC dc) { mFixedDC = dc; }
    // As DrawTextInRect, with "&" marking mnemonics.
    void DrawMnemonicText(const string& text, const Rect16& rect, int32_t alignment);

    void ApplyClip() override;
    bool HasClipRegion() override { return mClipRegion != nullptr; }
    void SelectFont() override;
    void BeginDrawing() override;
    void EndDrawing() override;
    void SetClipRect(const Rect16& rect) override;
    void SetPattern(const uint8_t rows[8]) override;
    void SetStandardPattern(int32_t kind) override;
    void ResetPen() override;
    void FrameRect(const Rect16& rect) override;
    void FrameRectInWindowFrame(const Rect16& rect) override;
    void PaintRect(const Rect16& rect) override;
    void FillRectInWindowFrame(const Rect16& rect) override;
    void FillRect(const Rect16& rect) override;
    void EraseRect(const Rect16& rect) override;
    void InvertRect(const Rect16& rect) override;
    void InvertRectVariant(const Rect16& rect) override;
    void FrameRoundRect(const Rect16& rect, int32_t cornerWidth, int32_t cornerHeight) override;
    void PaintRoundRect(const Rect16& rect, int32_t cornerWidth, int32_t cornerHeight) override;
    void FrameOval(const Rect16& rect) override;
    void PaintOval(const Rect16& rect) override;
    void LineTo(int32_t x, int32_t y) override;
    void Line(int32_t dx, int32_t dy) override;
    void DrawPolygon(ArrayRecord* points, bool fill) override;
    void SetTextFont(const string& name) override;
    void SetTextSize(int32_t size) override;
    void SetTextFace(int32_t face) override;
    void DrawString(const string& text, int32_t x, int32_t y, const Rect16* clip) override;
    void DrawStringInRect(const string& text, const Rect16& rect) override;
    int32_t StringWidth(const string& text, bool multiLine) override;
    int32_t StringDirection(const string& text) override;
    int32_t TextAscent() override;
    int32_t TextDescent() override;
    int32_t TextLeading() override;
    int32_t TextHeight() override;
    int32_t TextHeightForWidth(const string& text, int32_t width) override;
    void DrawTextInRect(const string& text, const Rect16& rect, int32_t alignment) override;
    void DrawStandardIcon(int32_t kind, int32_t x, int32_t y, int32_t width,
                          int32_t height) override;
    void GetPixel(int32_t x, int32_t y, RGBColor16& colour) override;
    void SetPixel(int32_t x, int32_t y, RGBColor16 colour) override;
    void DrawFocusRect(const Rect16& rect) override;
    GraphicsGDI* AsGraphicsGDI() override { return this; }

    // Output resolution; a print job sets its printer's.
    int32_t mVerticalResolution = 72;
    int32_t mHorizontalResolution = 72;

private:
    RECT Device(const Rect16& rect) const { return DeviceRect(rect, mOriginX, mOriginY); }
    const TEXTMETRICA& Metrics();
    HBRUSH NewPatternBrush() const;
    void FillWithForeground(const RECT& area);
    // Frames (with a hollow brush) or paints (with a brush of the fore colour) a shape over the
    // ordered device rectangle, with a pen of the fore colour and the given width.
    template <typename Draw>
    void DrawShape(const Rect16& rect, bool paint, int32_t penWidth, Draw draw);
    void DrawTextWithFormat(const string& text, const Rect16& rect, UINT format);
    void FrameOffset(HWND window, int32_t& dx, int32_t& dy) const;
    HWND FrameWindow() const;

    TEXTMETRICA mMetrics = {};
    HDC mAcquiredDC = nullptr;
    HDC mFixedDC = nullptr;
    bool mReleaseToken = false;
    HFONT mFont = nullptr;
    HRGN mClipRegion = nullptr;
    uint8_t mPatternPen = 0;
    uint8_t mFontValid = 0;
    uint8_t mMetricsValid = 0;
};

// A new GDI graphics of the pane, owned by the caller.
GraphicsImp* NewGraphicsGDI(Pane* pane);

// Keeps a graphics' clip region for the time it lives. A graphics that is not a GDI graphics has
// no region to keep.
class ClipSaver {
public:
    explicit ClipSaver(GraphicsImp* graphics);
    ~ClipSaver();
    ClipSaver(const ClipSaver&) = delete;
    ClipSaver& operator=(const ClipSaver&) = delete;

private:
    GraphicsGDI* mGraphics;
    HRGN mSaved = nullptr;
};
