#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "DrawingSurface.h"
#include "FailureRecorder.h"
#include "controls/ControlFontCache.h"
#include "core/ArrayRecord.h"
#include "core/Platform.h"
#include "values/CharacterTables.h"
#include "graphics/GraphicsGDI.h"
#include "windows/Drawing.h"
#include "windows/Pane.h"

namespace {

// A pane at (20, 10) whose context is the memory DC of a surface; it counts what it hands out.
class SurfacePane : public Pane {
public:
    explicit SurfacePane(Surface& surface)
        : Pane(Rect16{10, 20, 10 + kHeight, 20 + kWidth}), mSurface(surface) {}
    HDC AcquireDC(bool& mustRelease) override {
        ++acquired;
        mustRelease = true;
        PlaceAt(mSurface.dc, bounds);
        if (dcClip) SelectClipRgn(mSurface.dc, dcClip);
        return mSurface.dc;
    }
    void ReleaseDC(bool mustRelease) override { released += mustRelease ? 1 : 0; }

    Surface& mSurface;
    HRGN dcClip = nullptr;
    int acquired = 0;
    int released = 0;
};

Rect16 R(int left, int top, int right, int bottom) {
    return Rect16{static_cast<int16_t>(top), static_cast<int16_t>(left),
                  static_cast<int16_t>(bottom), static_cast<int16_t>(right)};
}

constexpr RGBColor16 kRed{0xFFFF, 0, 0};
constexpr COLORREF kRedRef = RGB(0xFF, 0, 0);

void Frame(HDC dc, int l, int t, int r, int b, int width) {
    HPEN pen = CreatePen(PS_SOLID, width, kRedRef);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, l, t, r, b);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
}

void Fill(HDC dc, int l, int t, int r, int b) {
    const RECT area = {l, t, r, b};
    HBRUSH brush = CreateSolidBrush(kRedRef);
    FillRect(dc, &area, brush);
    DeleteObject(brush);
}

// Runs a shape with a filled pen and brush of the fore colour.
template <typename Draw>
void Solid(HDC dc, int penWidth, Draw draw) {
    HPEN pen = CreatePen(PS_SOLID, penWidth, kRedRef);
    HBRUSH brush = CreateSolidBrush(kRedRef);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    draw();
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(brush);
    DeleteObject(pen);
}

ArrayRecord* Points(std::initializer_list<int32_t> values) {
    ArrayRecord* array = CreateArray(1, kArrayInt32, static_cast<int32_t>(values.size()));
    int32_t* data = static_cast<int32_t*>(array->data);
    data[0] = 0;
    int i = 1;
    for (int32_t v : values) data[i++] = v;
    return array;
}

struct Case {
    const char* name;
    std::function<void(GraphicsGDI&)> draw;
    // Direct GDI calls in window coordinates less the origin (ox, oy).
    std::function<void(HDC, int ox, int oy)> expected;
};

class GraphicsGDIPixels : public ::testing::TestWithParam<POINT> {};

}  // namespace

TEST_P(GraphicsGDIPixels, EachOperationMatchesTheDirectCalls) {
    const POINT origin = GetParam();
    const int ox = origin.x, oy = origin.y;
    // Window coordinates of the pane: x from 20, y from 10.
    const Case cases[] = {
        {"frame", [](GraphicsGDI& g) { g.FrameRect(R(30, 20, 70, 50)); },
         [](HDC dc, int x, int y) { Frame(dc, 30 - x, 20 - y, 70 - x, 50 - y, 1); }},
        {"thick frame", [](GraphicsGDI& g) { g.SetPenSize(3, 3); g.FrameRect(R(30, 20, 70, 50)); },
         [](HDC dc, int x, int y) { Frame(dc, 30 - x, 20 - y, 70 - x, 50 - y, 3); }},
        {"paint", [](GraphicsGDI& g) { g.PaintRect(R(25, 15, 60, 45)); },
         [](HDC dc, int x, int y) { Fill(dc, 25 - x, 15 - y, 60 - x, 45 - y); }},
        {"oval from a reversed rectangle", [](GraphicsGDI& g) { g.FrameOval(R(90, 70, 30, 20)); },
         [](HDC dc, int x, int y) {
             HPEN pen = CreatePen(PS_SOLID, 1, kRedRef);
             HGDIOBJ p = SelectObject(dc, pen);
             HGDIOBJ b = SelectObject(dc, GetStockObject(NULL_BRUSH));
             Ellipse(dc, 30 - x, 20 - y, 90 - x, 70 - y);
             SelectObject(dc, b);
             SelectObject(dc, p);
             DeleteObject(pen);
         }},
        {"painted oval", [](GraphicsGDI& g) { g.SetPenSize(4, 4); g.PaintOval(R(90, 70, 30, 20)); },
         [](HDC dc, int x, int y) { Solid(dc, 1, [&] { Ellipse(dc, 30 - x, 20 - y, 90 - x, 70 - y); }); }},
        {"round rectangle from a reversed rectangle",
         [](GraphicsGDI& g) { g.SetPenSize(2, 2); g.PaintRoundRect(R(80, 60, 30, 20), 12, 8); },
         [](HDC dc, int x, int y) {
             Solid(dc, 2, [&] { RoundRect(dc, 30 - x, 20 - y, 80 - x, 60 - y, 12, 8); });
         }},
        {"filled polygon",
         [](GraphicsGDI& g) {
             ArrayRecord* points = Points({10, 10, 60, 15, 35, 55});
             g.DrawPolygon(points, true);
             RuntimeUnlockArray(points);
         },
         [](HDC dc, int x, int y) {
             const POINT p[] = {{30 - x, 20 - y}, {80 - x, 25 - y}, {55 - x, 65 - y}};
             Solid(dc, 1, [&] { Polygon(dc, p, 3); });
         }},
        {"framed polygon",
         [](GraphicsGDI& g) {
             ArrayRecord* points = Points({10, 10, 60, 15, 35, 55, 99});
             g.DrawPolygon(points, false);
             RuntimeUnlockArray(points);
         },
         [](HDC dc, int x, int y) {
             HPEN pen = CreatePen(PS_SOLID, 1, kRedRef);
             HGDIOBJ old = SelectObject(dc, pen);
             MoveToEx(dc, 30 - x, 20 - y, nullptr);
             LineTo(dc, 80 - x, 25 - y);
             LineTo(dc, 55 - x, 65 - y);
             LineTo(dc, 30 - x, 20 - y);
             SelectObject(dc, old);
             DeleteObject(pen);
         }},
        {"thick line up",
         [](GraphicsGDI& g) { g.SetPenSize(3, 3); g.MoveTo(50, 70); g.LineTo(50, 20); },
         [](HDC dc, int x, int y) { Fill(dc, 50 - x, 20 - y, 53 - x, 73 - y); }},
        {"thick line down",
         [](GraphicsGDI& g) { g.SetPenSize(3, 3); g.MoveTo(50, 20); g.LineTo(50, 70); },
         [](HDC dc, int x, int y) { Fill(dc, 50 - x, 20 - y, 53 - x, 73 - y); }},
        {"thin diagonal line",
         [](GraphicsGDI& g) { g.MoveTo(25, 15); g.LineTo(85, 60); },
         [](HDC dc, int x, int y) {
             HPEN pen = CreatePen(PS_SOLID, 1, kRedRef);
             HGDIOBJ old = SelectObject(dc, pen);
             MoveToEx(dc, 25 - x, 15 - y, nullptr);
             LineTo(dc, 85 - x, 60 - y);
             SelectObject(dc, old);
             DeleteObject(pen);
         }},
        {"text on its baseline",
         [](GraphicsGDI& g) { g.SetTextFont(string("Geneva")); g.SetTextSize(14); g.DrawString(string("Hg"), 40, 50, nullptr); },
         [](HDC dc, int x, int y) {
             TextStyle style;
             style.fontName = string("Geneva");
             style.size = 14;
             HFONT font = AcquireControlFont(style);
             HGDIOBJ old = SelectObject(dc, font);
             SetBkMode(dc, TRANSPARENT);
             SetTextColor(dc, kRedRef);
             TextOutW(dc, 40 - x, 50 - y, L"Hg", 2);
             SelectObject(dc, old);
             ReleaseControlFont(font);
         }},
        // The clip rectangle is in window coordinates like the point: it moves with the origin.
        {"clipped text",
         [](GraphicsGDI& g) {
             const Rect16 clip = R(40, 30, 52, 60);
             g.SetTextSize(20);
             g.DrawString(string("WWWW"), 35, 50, &clip);
         },
         [](HDC dc, int x, int y) {
             TextStyle style;
             style.fontName = string("System");
             style.size = 20;
             HFONT font = AcquireControlFont(style);
             HGDIOBJ old = SelectObject(dc, font);
             SetBkMode(dc, TRANSPARENT);
             SetTextColor(dc, kRedRef);
             const RECT clip = {40 - x, 30 - y, 52 - x, 60 - y};
             ExtTextOutW(dc, 35 - x, 50 - y, ETO_CLIPPED, &clip, L"WWWW", 4, nullptr);
             SelectObject(dc, old);
             ReleaseControlFont(font);
         }},
    };
    Surface drawn;
    Surface direct;
    PlaceAt(direct.dc, Rect16{10, 20, 90, 120});
    for (const Case& c : cases) {
        drawn.Clear();
        direct.Clear();
        SurfacePane pane(drawn);
        {
            GraphicsGDI g(&pane);
            g.SetOrigin(ox, oy);
            g.SetForeColor(kRed);
            c.draw(g);
            EndAllDrawing();
        }
        c.expected(direct.dc, ox, oy);
        EXPECT_GT(drawn.Painted(), 0) << c.name;
        EXPECT_TRUE(drawn.Pixels() == direct.Pixels()) << c.name << " under origin " << ox << ", " << oy;
    }
}

INSTANTIATE_TEST_SUITE_P(Origins, GraphicsGDIPixels, ::testing::Values(POINT{0, 0}, POINT{7, -3}));

TEST(GraphicsGDIDrawing, PatternedLineIsTwoRowsTallAndPixelsRoundTrip) {
    for (const POINT origin : {POINT{0, 0}, POINT{7, -3}}) {
        Surface drawn;
        SurfacePane pane(drawn);
        GraphicsGDI g(&pane);
        g.SetOrigin(origin.x, origin.y);
        // Zero bits are painted in the context's text colour: every pixel of the line shows.
        const uint8_t rows[8] = {};
        g.SetPattern(rows);
        g.MoveTo(30, 40);
        g.LineTo(70, 40);
        EndAllDrawing();
        int painted = 0;
        for (int y = 0; y < kHeight; ++y) {
            bool any = false;
            for (int x = 0; x < kWidth; ++x) any |= drawn.pixels[y * kWidth + x] != 0xF0F0F0;
            painted += any;
        }
        EXPECT_EQ(painted, 2) << "a patterned line of pen height 1 is two rows tall";

        drawn.Clear();
        const RGBColor16 written{0x1234, 0xABCD, 0x7F00};
        g.SetPixel(33, 44, written);
        RGBColor16 read{0, 0, 0};
        g.GetPixel(33, 44, read);
        EXPECT_TRUE((read == RGBColor16{0x1212, 0xABAB, 0x7E7E}))
            << read.red << " " << read.green << " " << read.blue;
        EndAllDrawing();
        const int px = 33 - origin.x - 20, py = 44 - origin.y - 10;
        EXPECT_EQ(drawn.pixels[py * kWidth + px], 0x12AB7Eu);
    }
}

TEST(GraphicsGDIDrawing, MultiLineWidthIsTheWidestLineAndIconFourDrawsNothing) {
    Surface drawn;
    SurfacePane pane(drawn);
    GraphicsGDI g(&pane);
    const int32_t shortWidth = g.StringWidth(string("ab"), false);
    const int32_t longWidth = g.StringWidth(string("abcdefgh"), false);
    EXPECT_GT(longWidth, shortWidth);
    EXPECT_GT(shortWidth, 0);
    EXPECT_EQ(g.StringWidth(string("ab\rabcdefgh\rabc"), true), longWidth);
    EXPECT_EQ(g.StringWidth(string(), true), 0);
    EXPECT_EQ(g.StringDirection(string()), -1);
    EXPECT_EQ(g.StringDirection(string("abc")), 0);
    EXPECT_GT(g.TextHeight(), 0);
    EXPECT_EQ(g.TextHeight(), g.TextAscent() + g.TextDescent());
    EXPECT_EQ(g.TextHeightForWidth(string(), 50), 0);
    const int32_t oneLine = g.TextHeightForWidth(string("word"), 500);
    EXPECT_GT(g.TextHeightForWidth(string("word word word word word word"), 40), oneLine);
    g.DrawStandardIcon(4, 30, 20, 32, 32);
    g.DrawStandardIcon(-1, 30, 20, 32, 32);
    EndAllDrawing();
    EXPECT_EQ(drawn.Painted(), 0);
    g.DrawStandardIcon(2, 30, 20, 32, 32);
    EndAllDrawing();
    EXPECT_GT(drawn.Painted(), 0);
}

TEST(GraphicsGDIClip, AClipTheContextHadIsNarrowedAndPutBack) {
    Surface drawn;
    SurfacePane pane(drawn);
    // The context comes with a clip of its own: device (0, 0) to (50, 40).
    pane.dcClip = CreateRectRgn(0, 0, 50, 40);
    GraphicsGDI g(&pane);
    g.SetForeColor(kRed);
    g.SetOrigin(7, -3);
    // Window (47, 27) less the origin less the pane's corner is device (20, 20).
    g.SetClipRect(R(47, 27, 200, 200));
    g.PaintRect(R(0, 0, 300, 300));
    EXPECT_EQ(drawn.Painted(), 30 * 20);
    EndAllDrawing();
    HRGN after = CreateRectRgn(0, 0, 0, 0);
    ASSERT_EQ(GetClipRgn(drawn.dc, after), 1);
    RECT box;
    GetRgnBox(after, &box);
    EXPECT_EQ(box.left, 0);
    EXPECT_EQ(box.top, 0);
    EXPECT_EQ(box.right, 50);
    EXPECT_EQ(box.bottom, 40);
    DeleteObject(after);
    SelectClipRgn(drawn.dc, nullptr);
    DeleteObject(pane.dcClip);
}

TEST(GraphicsGDIClip, AClipSetWhileNotDrawingAppliesAtTheNextBegin) {
    Surface drawn;
    SurfacePane pane(drawn);
    GraphicsGDI g(&pane);
    g.SetForeColor(kRed);
    g.SetClipRect(R(30, 20, 40, 25));
    EXPECT_EQ(CurrentGraphics(), nullptr) << "setting a clip does not begin drawing";
    EXPECT_EQ(pane.acquired, 0);
    g.PaintRect(R(0, 0, 300, 300));
    EXPECT_EQ(drawn.Painted(), 10 * 5);
    {
        ClipSaver saver(&g);
        g.SetClipRect(R(20, 10, 120, 90));
        g.PaintRect(R(0, 0, 300, 300));
        EXPECT_EQ(drawn.Painted(), kWidth * kHeight);
    }
    drawn.Clear();
    g.PaintRect(R(0, 0, 300, 300));
    EXPECT_EQ(drawn.Painted(), 10 * 5) << "the saver put the first clip back";
    EndAllDrawing();
    HRGN after = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetClipRgn(drawn.dc, after), 0) << "ending removes the clip it applied";
    DeleteObject(after);
}

TEST(GraphicsGDIClip, TwoGraphicsDrawingAlternatelyEndEachOther) {
    Surface drawn;
    SurfacePane pane(drawn);
    GraphicsGDI first(&pane);
    GraphicsGDI second(&pane);
    first.SetForeColor(kRed);
    second.SetForeColor(RGBColor16{0, 0, 0xFFFF});
    first.SetClipRect(R(20, 10, 30, 20));
    first.SetTextFont(string("Courier"));
    first.StringWidth(string("abc"), false);
    first.PaintRect(R(0, 0, 300, 300));
    EXPECT_EQ(CurrentGraphics(), &first);
    EXPECT_EQ(pane.acquired, 1);
    EXPECT_EQ(drawn.Painted(), 100);
    EXPECT_NE(GetCurrentObject(drawn.dc, OBJ_FONT), GetStockObject(SYSTEM_FONT));

    second.PaintRect(R(0, 0, 300, 300));
    EXPECT_EQ(CurrentGraphics(), &second);
    EXPECT_EQ(pane.released, 1) << "the first gave its context back";
    EXPECT_EQ(pane.acquired, 2);
    EXPECT_EQ(drawn.Painted(), kWidth * kHeight) << "the first graphics' clip is gone";
    EXPECT_EQ(GetCurrentObject(drawn.dc, OBJ_FONT), GetStockObject(SYSTEM_FONT));

    drawn.Clear();
    first.PaintRect(R(0, 0, 300, 300));
    EXPECT_EQ(CurrentGraphics(), &first);
    EXPECT_EQ(pane.released, 2);
    EXPECT_EQ(drawn.Painted(), 100) << "the first graphics' clip is back";
    EXPECT_NE(GetCurrentObject(drawn.dc, OBJ_FONT), GetStockObject(SYSTEM_FONT))
        << "and its font";
    EndAllDrawing();
    EXPECT_EQ(pane.released, 3);
    EXPECT_EQ(CurrentGraphics(), nullptr);
}

TEST(GraphicsGDIWithoutPane, DrawsNothingAndReportsTheFontWithoutAPane) {
    GraphicsGDI g(nullptr);
    ArrayRecord* points = Points({1, 1, 20, 1, 10, 10});
    g.DrawPolygon(points, true);
    g.DrawPolygon(points, false);
    RuntimeUnlockArray(points);
    g.PaintRect(R(0, 0, 10, 10));
    g.MoveTo(3, 4);
    g.LineTo(30, 40);
    EXPECT_EQ(g.PenX(), 3) << "no pen move without a pane";
    FailureRecorder recorder;
    g.SelectFont();
    ASSERT_EQ(recorder.Count(), 1u);
    EXPECT_EQ(recorder.Last().kind, 4);
    EXPECT_EQ(recorder.Last().file, "GraphicsGDI");
    EXPECT_EQ(recorder.Last().line, 803);
    EXPECT_EQ(recorder.Last().condition, "mPane");
    EndAllDrawing();
}

TEST(GraphicsGDIJapanese, AnsiTextHasTheWidthsAndPixelsOfTheWidePath) {
    if (GetACP() != 932) GTEST_SKIP() << "needs the Japanese code page";
    // "日本語テキスト" in UTF-8.
    // The system script follows the user language, as at start-up.
    InitializeSystemScript();
    const char* utf8 = "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x83\x86\xE3\x82\xAD\xE3\x82\xB9\xE3\x83\x88";
    string text;
    text.SetBytes(utf8, static_cast<int32_t>(std::strlen(utf8)));
    text.SetEncoding(kEncodingUTF8);
    std::vector<uint32_t> pixels[2];
    int32_t widths[2];
    for (int pass = 0; pass < 2; ++pass) {
        SetUnicodePlatformOverride(pass == 0 ? UnicodePlatformOverride::ForceWide
                                             : UnicodePlatformOverride::ForceAnsi);
        Surface drawn;
        SurfacePane pane(drawn);
        GraphicsGDI g(&pane);
        g.SetForeColor(kRed);
        widths[pass] = g.StringWidth(text, false);
        g.DrawString(text, 22, 60, nullptr);
        EndAllDrawing();
        pixels[pass] = drawn.Pixels();
    }
    SetUnicodePlatformOverride(UnicodePlatformOverride::None);
    EXPECT_GT(widths[0], 0);
    EXPECT_EQ(widths[0], widths[1]);
    EXPECT_TRUE(pixels[0] == pixels[1]);
}
