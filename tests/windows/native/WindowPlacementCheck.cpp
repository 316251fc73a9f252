// Window placement and sizing limits built with the machine's own compiler under the sanitizers,
// over screen lists made up here.
#include <cstdio>
#include <string>

#include "windows/WindowPlacement.h"

namespace {

int sFailures = 0;

void Check(bool ok, const std::string& what) {
    if (ok) return;
    ++sFailures;
    std::fprintf(stderr, "FAILED: %s\n", what.c_str());
}

Rect16 R(int left, int top, int right, int bottom) {
    return Rect16{static_cast<int16_t>(top), static_cast<int16_t>(left),
                  static_cast<int16_t>(bottom), static_cast<int16_t>(right)};
}

Rect16 Limits(int minHeight, int minWidth, int maxHeight, int maxWidth) {
    return Rect16{static_cast<int16_t>(minHeight), static_cast<int16_t>(minWidth),
                  static_cast<int16_t>(maxHeight), static_cast<int16_t>(maxWidth)};
}

std::string Text(const Rect16& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) +
           "," + std::to_string(r.bottom);
}

// A 1280 x 1024 primary with a task bar of 40 at the bottom, and an 800 x 600 display to its right.
const ScreenArea kScreens[] = {
    {R(0, 0, 1280, 1024), R(0, 0, 1280, 984)},
    {R(1280, 0, 2080, 600), R(1280, 0, 2080, 600)},
};

void FindingScreens() {
    struct Case {
        Rect16 rect;
        int expected;
        const char* name;
    } cases[] = {
        {R(100, 100, 200, 200), 0, "inside the first"},
        {R(1300, 100, 1400, 200), 1, "inside the second"},
        {R(1200, 100, 1400, 200), 1, "more of it on the second"},
        {R(1230, 100, 1330, 200), 0, "even: the earlier wins"},
        {R(2200, 50, 2300, 90), 1, "on none: the nearest top-left corner"},
        {R(-300, -300, -200, -200), 0, "on none, near the first"},
    };
    for (const Case& c : cases)
        Check(FindScreenOfRect(c.rect, kScreens, 2) == c.expected, std::string("find ") + c.name);
    Check(FindScreenOfRect(R(5, 5, 10, 10), kScreens, 0) == 0, "no screens");
}

void Constraining() {
    struct Case {
        Rect16 rect, expected;
        const char* name;
    } cases[] = {
        {R(100, 100, 300, 200), R(100, 100, 300, 200), "inside stays"},
        {R(100, 900, 300, 1000), R(100, 882, 300, 982), "below the work area: 2 above its bottom"},
        {R(100, 0, 300, 100), R(100, 25, 300, 125), "above: 25 below its top"},
        {R(-50, 100, 150, 200), R(2, 100, 202, 200), "left of it: 2 inside"},
        {R(1200, 100, 1279, 200), R(1200, 100, 1279, 200), "a pixel inside the right"},
        {R(1900, 550, 2100, 650), R(1878, 498, 2078, 598), "over the second's corner"},
    };
    for (const Case& c : cases) {
        Rect16 rect = c.rect;
        ConstrainRectToScreen(rect, kScreens, 2);
        Check(Text(rect) == Text(c.expected), std::string("constrain ") + c.name + ": " + Text(rect));
    }
}

void Placing() {
    const Rect16 parent = R(200, 150, 600, 450);
    const Rect16 nearEdge = R(1000, 700, 1270, 970);
    const Rect16 onSecond = R(1400, 100, 1800, 400);
    struct Case {
        int placement;
        const Rect16* reference;
        Rect16 expected;
        const char* name;
    } cases[] = {
        {kPlacementDefault, nullptr, R(4, 100, 204, 200), "default"},
        {kPlacementParent, &parent, R(300, 180, 500, 280), "centred under the parent's top"},
        {kPlacementParent, nullptr, R(540, 308, 740, 408), "parent without one: main screen"},
        {kPlacementMainScreen, &onSecond, R(540, 308, 740, 408), "main screen, a third down"},
        {kPlacementParentScreen, &onSecond, R(1580, 166, 1780, 266), "the parent's screen"},
        {kPlacementParentScreen, nullptr, R(540, 308, 740, 408), "no parent: screen of nothing"},
        {kPlacementAlert, nullptr, R(540, 462, 740, 562), "alert: half way down"},
        {kPlacementStagger, &parent, R(220, 170, 420, 270), "staggered from the parent"},
        {kPlacementStagger, &nearEdge, R(10, 50, 210, 150), "no room to stagger"},
        {kPlacementStagger, nullptr, R(10, 50, 210, 150), "stagger without a parent"},
    };
    for (const Case& c : cases) {
        Rect16 rect = R(0, 0, 200, 100);
        PlaceRect(rect, c.placement, c.reference, kScreens, 2);
        Check(Text(rect) == Text(c.expected), std::string("place ") + c.name + ": " + Text(rect));
    }
}

void Sizing() {
    const SizingFrame frame = {4, 4, 20, 18};
    const SizingRect client = {104, 142, 496, 396};  // of the window 100,100 - 500,400
    struct Case {
        int edge;
        Rect16 limits;
        SizingRect proposed, expected;
        const char* name;
    } cases[] = {
        {8, Limits(0, 0, 0, 0), {100, 100, 900, 900}, {100, 100, 900, 900}, "no limits"},
        {2, Limits(0, 300, 0, 0), {100, 100, 900, 400}, {100, 100, 900, 400},
         "a minimum width alone still lets the window widen"},
        {2, Limits(0, 300, 0, 0), {100, 100, 200, 400}, {100, 100, 408, 400}, "minimum width, right"},
        {8, Limits(0, 0, 300, 500), {100, 100, 900, 900}, {100, 100, 608, 446}, "maximum size"},
        {6, Limits(200, 0, 0, 0), {100, 100, 500, 150}, {100, 100, 500, 346}, "minimum height, bottom"},
        {1, Limits(0, 0, 0, 300), {0, 100, 500, 400}, {192, 100, 500, 400}, "maximum width, left"},
        {1, Limits(0, 300, 0, 0), {450, 100, 500, 400}, {192, 100, 500, 400}, "minimum width, left"},
        {3, Limits(0, 0, 200, 0), {100, 0, 500, 400}, {100, 154, 500, 400},
         "maximum height, top, less caption and menu"},
        {5, Limits(100, 200, 200, 300), {100, 380, 150, 400}, {100, 254, 308, 400}, "top right"},
        {7, Limits(0, 0, 250, 300), {0, 100, 500, 800}, {192, 100, 500, 396}, "bottom left"},
    };
    for (const Case& c : cases) {
        SizingRect rect = c.proposed;
        ConstrainSizingRect(c.edge, rect, client, c.limits, frame);
        const bool same = rect.left == c.expected.left && rect.top == c.expected.top &&
                          rect.right == c.expected.right && rect.bottom == c.expected.bottom;
        Check(same, std::string("sizing ") + c.name + ": " + std::to_string(rect.left) + "," +
                        std::to_string(rect.top) + "," + std::to_string(rect.right) + "," +
                        std::to_string(rect.bottom));
    }
}

}  // namespace

int main() {
    FindingScreens();
    Constraining();
    Placing();
    Sizing();
    if (sFailures == 0) std::puts("window placement: all checks passed");
    return sFailures == 0 ? 0 : 1;
}
