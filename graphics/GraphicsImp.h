// The drawing implementation behind a pane, and the GDI implementation that draws into a pane's
// device context.
//
// The least the window system needs until the graphics subsystem comes: text state, ending a
// drawing, a clip rectangle, a foreground colour and filled rectangles. It lacks text, lines,
// shapes, pictures, pens and the Graphics class; EraseRect of the GDI graphics paints with the
// window colour, as a pane without its own background colour would.
#pragma once

#include <windows.h>

#include <cstdint>

#include "core/GuardedMemory.h"
#include "core/Rect16.h"
#include "core/RuntimeString.h"
#include "graphics/RGBColor16.h"

class Pane;

class GraphicsImp : public RuntimeAllocated {
public:
    explicit GraphicsImp(Pane* pane) : mPane(pane) {}
    virtual ~GraphicsImp();
    GraphicsImp(const GraphicsImp&) = delete;
    GraphicsImp& operator=(const GraphicsImp&) = delete;

    virtual void SetTextFont(const string& name) { mFontName = name; }
    virtual void SetTextSize(int32_t size) { mTextSize = size; }
    // Face bits: 1 bold, 2 italic, 4 underline; the low byte is kept.
    virtual void SetTextFace(int32_t face) { mTextFace = static_cast<uint8_t>(face); }
    // Stops drawing: gives back whatever the graphics holds of its pane.
    virtual void EndDrawing() {}
    virtual void EraseRect(const Rect16&) {}
    // In window coordinates.
    virtual void SetClipRect(const Rect16& rect);
    virtual void ClearClip() { mHasClip = false; }
    virtual void SetForeColor(RGBColor16 colour) { mForeColor = colour; }
    virtual void PaintRect(const Rect16&) {}

    Pane* GetPane() const { return mPane; }
    const string& TextFont() const { return mFontName; }
    int32_t TextSize() const { return mTextSize; }
    uint8_t TextFace() const { return mTextFace; }
    bool HasClip() const { return mHasClip; }
    const Rect16& ClipRect() const { return mClip; }
    RGBColor16 ForeColor() const { return mForeColor; }

protected:
    Pane* mPane;
    string mFontName;
    int32_t mTextSize = 0;
    uint8_t mTextFace = 0;
    bool mHasClip = false;
    Rect16 mClip{0, 0, 0, 0};
    RGBColor16 mForeColor{0, 0, 0};
};

// The one graphics drawing now, or null. A graphics becomes current when it starts drawing and
// stops being current when its drawing ends or it is deleted.
GraphicsImp* CurrentGraphics();
void SetCurrentGraphics(GraphicsImp* graphics);

// Draws into the device context its pane hands out (window coordinates), fetched on first use
// and given back by EndDrawing.
class GraphicsGDI : public GraphicsImp {
public:
    explicit GraphicsGDI(Pane* pane) : GraphicsImp(pane) {}
    ~GraphicsGDI() override;

    // The context it draws into; starts drawing (ending any other graphics' drawing) when needed.
    HDC GetDC();
    void EndDrawing() override;
    void EraseRect(const Rect16& rect) override;
    void SetClipRect(const Rect16& rect) override;
    void ClearClip() override;
    void PaintRect(const Rect16& rect) override;

private:
    void ApplyClip();
    void FillWith(const Rect16& rect, COLORREF colour);

    HDC mDC = nullptr;
    bool mMustRelease = false;
};

// A new GDI graphics of the pane, owned by the caller.
GraphicsImp* NewGraphicsGDI(Pane* pane);

// Keeps a graphics' clip for the time it lives.
class ClipSaver {
public:
    explicit ClipSaver(GraphicsImp* graphics)
        : mGraphics(graphics), mHadClip(graphics->HasClip()), mClip(graphics->ClipRect()) {}
    ~ClipSaver() {
        if (mHadClip)
            mGraphics->SetClipRect(mClip);
        else
            mGraphics->ClearClip();
    }
    ClipSaver(const ClipSaver&) = delete;
    ClipSaver& operator=(const ClipSaver&) = delete;

private:
    GraphicsImp* mGraphics;
    bool mHadClip;
    Rect16 mClip;
};

// Closes the movies shown in the pane. There is no movie engine yet, so no pane shows a movie.
void CloseMoviesOfPane(Pane* pane);
