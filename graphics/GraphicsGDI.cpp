#include "GraphicsGDI.h"

#include "controls/ControlFontCache.h"
#include "core/ArrayRecord.h"
#include "core/FailureReport.h"
#include "core/Platform.h"
#include "values/CharacterTables.h"
#include "core/EncodingConversion.h"
#include "windows/Pane.h"

namespace {

constexpr const char* kSource = "GraphicsGDI";

// Shared by every GDI graphics; only the current one uses them.
HRGN sSavedDCClip = nullptr;  // made on first use, kept for the run
bool sHadDCClip = false;
bool sClipApplied = false;

// Text as the wide GDI calls take it. Short ASCII and UTF-8 texts are widened on the stack.
class WideText {
public:
    explicit WideText(const string& text) {
        const int32_t length = text.Length();
        const uint32_t encoding = text.Encoding();
        if (length == 0) return;
        if (length < kInline && (encoding == kEncodingASCII || encoding == kEncodingUTF8)) {
            const int units = MultiByteToWideChar(CP_UTF8, 0, text.CString(), length, mBuffer,
                                                  kInline);
            if (units > 0) {
                mUnits = mBuffer;
                mCount = units;
                return;
            }
        }
        mHolder = text.ToUTF16();
        mUnits = mHolder.IsEmpty() ? L"" : mHolder.WidePointer();
        mCount = mHolder.Length() / 2;
    }
    const wchar_t* Units() const { return mUnits; }
    int Count() const { return mCount; }

private:
    static constexpr int kInline = 256;
    wchar_t mBuffer[kInline];
    string mHolder;
    const wchar_t* mUnits = L"";
    int mCount = 0;
};

// Text as the ANSI GDI calls take it: in the system script's encoding.
class AnsiText {
public:
    explicit AnsiText(const string& text, bool systemTextEncoding = false)
        : mHolder(systemTextEncoding ? ConvertToSystemEncoding(text)
                                     : ConvertToSystemScriptEncoding(text)) {}
    const char* Bytes() const { return mHolder.IsEmpty() ? "" : mHolder.CString(); }
    int Count() const { return mHolder.Length(); }

private:
    string mHolder;
};

int32_t MeasureLine(HDC dc, const string& line) {
    SIZE size = {0, 0};
    if (IsUnicodePlatform()) {
        const WideText wide(line);
        GetTextExtentPoint32W(dc, wide.Units(), wide.Count(), &size);
    } else {
        const AnsiText ansi(line);
        GetTextExtentPoint32A(dc, ansi.Bytes(), ansi.Count(), &size);
    }
    return size.cx;
}

// Selects a new object for the time it lives, then puts the old one back and deletes the new one
// when it made it.
class Selection {
public:
    Selection(HDC dc, HGDIOBJ object, bool owned)
        : mDC(dc), mObject(object), mOwned(owned), mOld(SelectObject(dc, object)) {}
    ~Selection() {
        SelectObject(mDC, mOld);
        if (mOwned && mObject) DeleteObject(mObject);
    }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;

private:
    HDC mDC;
    HGDIOBJ mObject;
    bool mOwned;
    HGDIOBJ mOld;
};

}  // namespace

GraphicsGDI::~GraphicsGDI() {
    if (CurrentGraphics() == this) {
        EndDrawing();
        SetCurrentGraphics(nullptr);
    }
    if (mFont) ReleaseControlFont(mFont);
    if (mClipRegion) DeleteObject(mClipRegion);
    if (mAcquiredDC && mPane) mPane->ReleaseDC(mReleaseToken);
}

HDC GraphicsGDI::GetDC() {
    if (mFixedDC) return mFixedDC;
    BeginDrawing();
    if (!mPane) return mAcquiredDC;
    if (mPane->HasWindow()) {
        if (HDC paint = static_cast<SubPane*>(mPane)->paintDC) return paint;
    }
    if (!mAcquiredDC) mAcquiredDC = mPane->AcquireDC(mReleaseToken);
    return mAcquiredDC;
}

void GraphicsGDI::BeginDrawing() {
    GraphicsImp* current = CurrentGraphics();
    if (current == this) return;
    if (current) {
        current->EndDrawing();
        SetCurrentGraphics(nullptr);
    }
    if (mPane) mPane->MakeCurrent();
    SetCurrentGraphics(this);
    HDC dc = GetDC();
    if (!sSavedDCClip) sSavedDCClip = CreateRectRgn(0, 0, 0, 0);
    sHadDCClip = dc && GetClipRgn(dc, sSavedDCClip) == 1;
    sClipApplied = false;
    if (!dc) return;
    SetBkMode(dc, TRANSPARENT);
    if (mFont) SelectObject(dc, mFont);
    if (mClipRegion) ApplyClip();
}

void GraphicsGDI::EndDrawing() {
    // Only the current graphics changed the context; another has nothing to put back.
    if (CurrentGraphics() == this) {
        if (HDC dc = GetDC()) {
            if (sClipApplied) {
                SelectClipRgn(dc, sHadDCClip ? sSavedDCClip : nullptr);
                sClipApplied = false;
            }
            if (mFont) SelectObject(dc, GetStockObject(SYSTEM_FONT));
        }
    }
    if (mAcquiredDC) {
        if (mPane) mPane->ReleaseDC(mReleaseToken);
        mAcquiredDC = nullptr;
    }
}

void GraphicsGDI::ApplyClip() {
    if (CurrentGraphics() != this) return;
    HDC dc = GetDC();
    if (!dc) return;
    HRGN result = nullptr;
    if (sHadDCClip) {
        result = CreateRectRgn(0, 0, 0, 0);
        CombineRgn(result, sSavedDCClip, nullptr, RGN_COPY);
    }
    if (mClipRegion) {
        if (result) {
            CombineRgn(result, result, mClipRegion, RGN_AND);
        } else {
            result = CreateRectRgn(0, 0, 0, 0);
            CombineRgn(result, mClipRegion, nullptr, RGN_COPY);
        }
    }
    SelectClipRgn(dc, result);
    if (result) DeleteObject(result);
    sClipApplied = true;
}

void GraphicsGDI::SetClipRect(const Rect16& rect) {
    RECT area = Device(rect);
    if (mPane) OffsetRect(&area, -mPane->bounds.left, -mPane->bounds.top);
    if (mClipRegion) DeleteObject(mClipRegion);
    mClipRegion = CreateRectRgnIndirect(&area);
    ApplyClip();
}

void GraphicsGDI::SetClipRegion(HRGN region) {
    if (region) {
        if (!mClipRegion) mClipRegion = CreateRectRgn(0, 0, 0, 0);
        CombineRgn(mClipRegion, region, nullptr, RGN_COPY);
    } else if (mClipRegion) {
        DeleteObject(mClipRegion);
        mClipRegion = nullptr;
    }
    ApplyClip();
}

void GraphicsGDI::SelectFont() {
    if (!mPane) ReportAssertion(kSource, 803, "mPane");
    if (mFontValid) return;
    TextStyle style;
    style.fontName = mFontName;
    style.size = static_cast<int16_t>(mTextSize);
    style.bold = (mTextFace & kFaceBold) ? 1 : 0;
    style.italic = (mTextFace & kFaceItalic) ? 1 : 0;
    style.underline = (mTextFace & kFaceUnderline) ? 1 : 0;
    HFONT font = AcquireControlFont(style);
    if (HDC dc = GetDC()) SelectObject(dc, font);
    if (mFont) ReleaseControlFont(mFont);
    mFont = font;
    mFontValid = 1;
    mMetricsValid = 0;
}

void GraphicsGDI::SetTextFont(const string& name) {
    GraphicsImp::SetTextFont(name);
    mFontValid = 0;
}

void GraphicsGDI::SetTextSize(int32_t size) {
    GraphicsImp::SetTextSize(size);
    mFontValid = 0;
}

void GraphicsGDI::SetTextFace(int32_t face) {
    GraphicsImp::SetTextFace(face);
    mFontValid = 0;
}

void GraphicsGDI::SetPattern(const uint8_t rows[8]) {
    GraphicsImp::SetPattern(rows);
    mPatternPen = 1;
}

void GraphicsGDI::SetStandardPattern(int32_t kind) {
    GraphicsImp::SetStandardPattern(kind);
    mPatternPen = kind != 0;
}

void GraphicsGDI::ResetPen() {
    mPenWidth = 1;
    mPenHeight = 1;
    mPatternPen = 0;
}

const TEXTMETRICA& GraphicsGDI::Metrics() {
    BeginDrawing();
    SelectFont();
    if (!mMetricsValid) {
        HDC dc = GetDC();
        if (dc && GetTextMetricsA(dc, &mMetrics)) mMetricsValid = 1;
    }
    return mMetrics;
}

int32_t GraphicsGDI::TextAscent() { return Metrics().tmAscent; }
int32_t GraphicsGDI::TextDescent() { return Metrics().tmDescent; }
int32_t GraphicsGDI::TextLeading() { return Metrics().tmExternalLeading; }
int32_t GraphicsGDI::TextHeight() { return Metrics().tmHeight; }

void GraphicsGDI::DrawString(const string& text, int32_t x, int32_t y, const Rect16* clip) {
    BeginDrawing();
    SelectFont();
    HDC dc = GetDC();
    if (!dc) return;
    const COLORREF oldColour = SetTextColor(dc, RGBColor16ToCOLORREF(mForeColor));
    const UINT oldAlign = SetTextAlign(dc, TA_BASELINE);
    const int px = x - mOriginX;
    const int py = y - mOriginY;
    // The clip rectangle is in window coordinates like the point, so it moves with the origin.
    const RECT area = clip ? Device(*clip) : RECT{};
    if (IsUnicodePlatform()) {
        const WideText wide(text);
        if (clip)
            ExtTextOutW(dc, px, py, ETO_CLIPPED, &area, wide.Units(), wide.Count(), nullptr);
        else
            TextOutW(dc, px, py, wide.Units(), wide.Count());
    } else {
        const AnsiText ansi(text);
        if (clip)
            ExtTextOutA(dc, px, py, ETO_CLIPPED, &area, ansi.Bytes(), ansi.Count(), nullptr);
        else
            TextOutA(dc, px, py, ansi.Bytes(), ansi.Count());
    }
    SetTextColor(dc, oldColour);
    SetTextAlign(dc, oldAlign);
}

void GraphicsGDI::DrawTextWithFormat(const string& text, const Rect16& rect, UINT format) {
    BeginDrawing();
    SelectFont();
    HDC dc = GetDC();
    if (!dc) return;
    const COLORREF oldColour = SetTextColor(dc, RGBColor16ToCOLORREF(mForeColor));
    const UINT oldAlign = SetTextAlign(dc, TA_TOP | TA_LEFT);
    RECT area = Device(rect);
    if (IsUnicodePlatform()) {
        const WideText wide(text);
        DrawTextW(dc, wide.Units(), wide.Count(), &area, format);
    } else {
        const AnsiText ansi(text);
        DrawTextA(dc, ansi.Bytes(), ansi.Count(), &area, format);
    }
    SetTextColor(dc, oldColour);
    SetTextAlign(dc, (format & DT_WORDBREAK) ? TA_BASELINE : oldAlign);
}

void GraphicsGDI::DrawStringInRect(const string& text, const Rect16& rect) {
    DrawTextWithFormat(text, rect, DT_SINGLELINE | DT_NOCLIP);
}

namespace {
UINT AlignmentFormat(int32_t alignment) {
    return alignment == 1 ? DT_CENTER : alignment == 2 ? DT_RIGHT : DT_LEFT;
}
}  // namespace

void GraphicsGDI::DrawTextInRect(const string& text, const Rect16& rect, int32_t alignment) {
    DrawTextWithFormat(text, rect,
                       DT_WORDBREAK | DT_NOCLIP | DT_NOPREFIX | AlignmentFormat(alignment));
}

void GraphicsGDI::DrawMnemonicText(const string& text, const Rect16& rect, int32_t alignment) {
    DrawTextWithFormat(text, rect, DT_WORDBREAK | DT_NOCLIP | AlignmentFormat(alignment));
}

int32_t GraphicsGDI::TextHeightForWidth(const string& text, int32_t width) {
    if (text.IsEmpty()) return 0;
    BeginDrawing();
    SelectFont();
    HDC dc = GetDC();
    if (!dc) return 0;
    RECT area = {0, 0, width, 32767};
    const UINT format = DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_END_ELLIPSIS;
    if (IsUnicodePlatform()) {
        const WideText wide(text);
        DrawTextW(dc, wide.Units(), wide.Count(), &area, format);
    } else {
        const AnsiText ansi(text, true);
        DrawTextA(dc, ansi.Bytes(), ansi.Count(), &area, format);
    }
    return area.bottom - area.top;
}

int32_t GraphicsGDI::StringWidth(const string& text, bool multiLine) {
    BeginDrawing();
    SelectFont();
    HDC dc = GetDC();
    if (!dc || text.IsEmpty()) return 0;
    if (!multiLine) return MeasureLine(dc, text);
    const string utf8 = text.ToUTF8();
    const char* bytes = utf8.CString();
    const int32_t length = utf8.Length();
    int32_t widest = 0;
    int32_t start = 0;
    for (int32_t i = 0; i <= length; ++i) {
        if (i < length && bytes[i] != '\r') continue;
        const int32_t width = MeasureLine(dc, MidBytes(utf8, start, i - start));
        if (width > widest) widest = width;
        start = i + 1;
    }
    return widest;
}

int32_t GraphicsGDI::StringDirection(const string& text) {
    if (text.IsEmpty()) return DefaultStringDirection();
    BeginDrawing();
    SelectFont();
    HDC dc = GetDC();
    return dc && (GetFontLanguageInfo(dc) & GCP_REORDER) ? 1 : 0;
}

HBRUSH GraphicsGDI::NewPatternBrush() const {
    // Rows of a monochrome bitmap are padded to 16 bits.
    WORD rows[8];
    for (int i = 0; i < 8; ++i) rows[i] = mAlignedPattern[i];
    HBITMAP bitmap = CreateBitmap(8, 8, 1, 1, rows);
    HBRUSH brush = CreatePatternBrush(bitmap);
    DeleteObject(bitmap);
    return brush;
}

void GraphicsGDI::FillWithForeground(const RECT& area) {
    HDC dc = GetDC();
    if (!dc) return;
    HBRUSH brush =
        mPatternPen ? NewPatternBrush() : CreateSolidBrush(RGBColor16ToCOLORREF(mForeColor));
    ::FillRect(dc, &area, brush);
    DeleteObject(brush);
}

void GraphicsGDI::PaintRect(const Rect16& rect) {
    BeginDrawing();
    FillWithForeground(Device(rect));
}

void GraphicsGDI::FillRect(const Rect16& rect) { PaintRect(rect); }

void GraphicsGDI::FrameRect(const Rect16& rect) {
    BeginDrawing();
    HDC dc = GetDC();
    if (!dc) return;
    const RECT area = Device(rect);
    Selection pen(dc, CreatePen(PS_SOLID, mPenWidth, RGBColor16ToCOLORREF(mForeColor)), true);
    Selection brush(dc, GetStockObject(NULL_BRUSH), false);
    Rectangle(dc, area.left, area.top, area.right, area.bottom);
}

void GraphicsGDI::EraseRect(const Rect16& rect) {
    BeginDrawing();
    HDC dc = GetDC();
    if (!mPane || !dc) return;
    const RECT area = Device(rect);
    if (!mPane->HasWindow()) {
        ::FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        return;
    }
    WindowPane* window = FindWindowPane(static_cast<SubPane*>(mPane));
    RGBColor16 back;
    if (window && window->GetBackColor(back)) {
        HBRUSH brush = CreateSolidBrush(RGBColor16ToCOLORREF(back));
        ::FillRect(dc, &area, brush);
        DeleteObject(brush);
    } else {
        ::FillRect(dc, &area, GetSysColorBrush(COLOR_BTNFACE));
    }
}

void GraphicsGDI::InvertRect(const Rect16& rect) {
    BeginDrawing();
    HDC dc = GetDC();
    if (!dc) return;
    const RECT area = Device(rect);
    ::InvertRect(dc, &area);
}

void GraphicsGDI::InvertRectVariant(const Rect16& rect) { InvertRect(rect); }

void GraphicsGDI::DrawFocusRect(const Rect16& rect) {
    BeginDrawing();
    HDC dc = GetDC();
    if (!dc) return;
    const RECT area = Device(rect);
    ::DrawFocusRect(dc, &area);
}

template <typename Draw>
void GraphicsGDI::DrawShape(const Rect16& rect, bool paint, int32_t penWidth, Draw draw) {
    if (!mPane) return;
    BeginDrawing();
    BeforeShapeDrawing();
    HDC dc = GetDC();
    if (!dc) return;
    const RECT area = OrderedRect(Device(rect));
    const COLORREF colour = RGBColor16ToCOLORREF(mForeColor);
    Selection pen(dc, CreatePen(PS_SOLID, penWidth, colour), true);
    Selection brush(dc, paint ? CreateSolidBrush(colour) : GetStockObject(NULL_BRUSH), paint);
    draw(dc, area);
}

void GraphicsGDI::FrameRoundRect(const Rect16& rect, int32_t cornerWidth, int32_t cornerHeight) {
    DrawShape(rect, false, mPenWidth, [=](HDC dc, const RECT& area) {
        RoundRect(dc, area.left, area.top, area.right, area.bottom, cornerWidth, cornerHeight);
    });
}

void GraphicsGDI::PaintRoundRect(const Rect16& rect, int32_t cornerWidth, int32_t cornerHeight) {
    DrawShape(rect, true, mPenWidth, [=](HDC dc, const RECT& area) {
        RoundRect(dc, area.left, area.top, area.right, area.bottom, cornerWidth, cornerHeight);
    });
}

void GraphicsGDI::FrameOval(const Rect16& rect) {
    DrawShape(rect, false, mPenWidth, [](HDC dc, const RECT& area) {
        Ellipse(dc, area.left, area.top, area.right, area.bottom);
    });
}

void GraphicsGDI::PaintOval(const Rect16& rect) {
    DrawShape(rect, true, 1, [](HDC dc, const RECT& area) {
        Ellipse(dc, area.left, area.top, area.right, area.bottom);
    });
}

void GraphicsGDI::LineTo(int32_t x, int32_t y) {
    if (!mPane) return;
    BeginDrawing();
    HDC dc = GetDC();
    const int32_t px = mPenX;
    const int32_t py = mPenY;
    const bool straight = x == px || y == py;
    const int32_t left = (px < x ? px : x) - mOriginX;
    const int32_t top = (py < y ? py : y) - mOriginY;
    const int32_t right = (px > x ? px : x) - mOriginX + mPenWidth;
    const int32_t bottom = (py > y ? py : y) - mOriginY + mPenHeight;
    if (!dc) {
    } else if (mPatternPen && straight) {
        const RECT area = {left, top, right, bottom + 1};
        HBRUSH brush = NewPatternBrush();
        ::FillRect(dc, &area, brush);
        DeleteObject(brush);
    } else if ((mPenWidth > 1 || mPenHeight > 1) && straight) {
        FillWithForeground(RECT{left, top, right, bottom});
    } else {
        Selection pen(dc,
                      CreatePen(PS_SOLID, (mPenWidth + mPenHeight) / 2,
                                RGBColor16ToCOLORREF(mForeColor)),
                      true);
        MoveToEx(dc, px - mOriginX + mPenWidth / 2, py - mOriginY + mPenHeight / 2, nullptr);
        ::LineTo(dc, x - mOriginX + mPenWidth / 2, y - mOriginY + mPenHeight / 2);
    }
    mPenX = x;
    mPenY = y;
}

void GraphicsGDI::Line(int32_t dx, int32_t dy) {
    if (!mPane) return;
    BeginDrawing();
    if (HDC dc = GetDC()) {
        MoveToEx(dc, mPenX - mOriginX, mPenY - mOriginY, nullptr);
        ::LineTo(dc, mPenX + dx - mOriginX, mPenY + dy - mOriginY);
    }
    mPenX += dx;
    mPenY += dy;
}

void GraphicsGDI::DrawPolygon(ArrayRecord* points, bool fill) {
    // Without an owner pane there are no bounds to place the points by.
    if (!mPane || !points || points->dimensions != 1) return;
    const int32_t upper = points->upperBound[0];
    if (upper < 2 || !points->data) return;
    const int32_t* values = static_cast<const int32_t*>(points->data);
    const int32_t count = upper / 2;
    const int32_t dx = mPane->bounds.left;
    const int32_t dy = mPane->bounds.top;
    if (!fill) {
        BeginDrawing();
        MoveTo(values[1] + dx, values[2] + dy);
        for (int32_t i = 1; i < count; ++i) LineTo(values[2 * i + 1] + dx, values[2 * i + 2] + dy);
        LineTo(values[1] + dx, values[2] + dy);
        return;
    }
    POINT* corners = GuardedNewArray<POINT>(static_cast<size_t>(count));
    if (!corners) return;
    for (int32_t i = 0; i < count; ++i)
        corners[i] = POINT{values[2 * i + 1] + dx - mOriginX, values[2 * i + 2] + dy - mOriginY};
    BeginDrawing();
    if (HDC dc = GetDC()) {
        const COLORREF colour = RGBColor16ToCOLORREF(mForeColor);
        Selection pen(dc, CreatePen(PS_SOLID, 1, colour), true);
        Selection brush(dc, CreateSolidBrush(colour), true);
        Polygon(dc, corners, count);
    }
    GuardedDeleteArray(corners);
}

void GraphicsGDI::GetPixel(int32_t x, int32_t y, RGBColor16& colour) {
    if (!mPane) return;
    HDC dc = GetDC();
    if (!dc) return;
    colour = ColorRefToRGBColor16(::GetPixel(dc, x - mOriginX, y - mOriginY));
}

void GraphicsGDI::SetPixel(int32_t x, int32_t y, RGBColor16 colour) {
    HDC dc = GetDC();
    if (!dc) return;
    SetPixelV(dc, x - mOriginX, y - mOriginY,
              RGB(colour.red / 257, colour.green / 257, colour.blue / 257));
}

void GraphicsGDI::DrawStandardIcon(int32_t kind, int32_t x, int32_t y, int32_t, int32_t) {
    // IDI_HAND, IDI_ASTERISK, IDI_EXCLAMATION, IDI_QUESTION.
    static const WORD kIcons[] = {32513, 32516, 32515, 32514};
    if (kind < 0 || kind > 3) return;
    HDC dc = GetDC();
    if (!dc) return;
    DrawIcon(dc, x - mOriginX, y - mOriginY, LoadIconW(nullptr, MAKEINTRESOURCEW(kIcons[kind])));
}

HWND GraphicsGDI::FrameWindow() const {
    if (!mPane || !mPane->HasWindow()) return nullptr;
    WindowPane* window = FindWindowPane(static_cast<SubPane*>(mPane));
    return window ? window->GetHWND() : nullptr;
}

void GraphicsGDI::FrameOffset(HWND window, int32_t& dx, int32_t& dy) const {
    const LONG style = GetWindowLongAW(window, GWL_STYLE);
    dx = 0;
    dy = 0;
    if (style & WS_BORDER) {
        const bool thick = (style & WS_THICKFRAME) != 0;
        dx = GetSystemMetrics(thick ? SM_CXFRAME : SM_CXDLGFRAME);
        dy = GetSystemMetrics(thick ? SM_CYFRAME : SM_CYDLGFRAME);
    }
    if (style & (WS_BORDER | WS_DLGFRAME)) dy += GetSystemMetrics(SM_CYCAPTION);
}

void GraphicsGDI::FrameRectInWindowFrame(const Rect16& rect) {
    HWND window = FrameWindow();
    if (!window) {
        FrameRect(rect);
        return;
    }
    int32_t dx, dy;
    FrameOffset(window, dx, dy);
    HDC dc = ::GetWindowDC(window);
    BeginDrawing();
    {
        Selection pen(dc, CreatePen(PS_SOLID, mPenWidth, RGBColor16ToCOLORREF(mForeColor)), true);
        Selection brush(dc, GetStockObject(NULL_BRUSH), false);
        Rectangle(dc, rect.left + dx, rect.top + dy, rect.right + dx, rect.bottom + dy);
    }
    ::ReleaseDC(window, dc);
}

void GraphicsGDI::FillRectInWindowFrame(const Rect16& rect) {
    HWND window = FrameWindow();
    if (!window) {
        FillRect(rect);
        return;
    }
    int32_t dx, dy;
    FrameOffset(window, dx, dy);
    HBRUSH brush = CreateSolidBrush(RGBColor16ToCOLORREF(mForeColor));
    BeginDrawing();
    RECT area = Device(rect);
    OffsetRect(&area, dx, dy);
    HDC dc = ::GetWindowDC(window);
    ::FillRect(dc, &area, brush);
    ::ReleaseDC(window, dc);
    DeleteObject(brush);
}

GraphicsImp* NewGraphicsGDI(Pane* pane) { return new GraphicsGDI(pane); }

ClipSaver::ClipSaver(GraphicsImp* graphics)
    : mGraphics(graphics ? graphics->AsGraphicsGDI() : nullptr) {
    if (mGraphics && mGraphics->HasClipRegion()) {
        mSaved = CreateRectRgn(0, 0, 0, 0);
        CombineRgn(mSaved, mGraphics->ClipRegion(), nullptr, RGN_COPY);
    }
}

ClipSaver::~ClipSaver() {
    if (!mGraphics) return;
    mGraphics->SetClipRegion(mSaved);
    if (mSaved) DeleteObject(mSaved);
}
