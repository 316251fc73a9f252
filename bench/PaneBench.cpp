// The pane layer's cost against the bare native calls it wraps: AcquireDC/ReleaseDC (with the
// palette, text alignment and origin set on each acquisition) against GetDC/ReleaseDC of the same
// window, SetBounds of a tree of 100 panes against MoveWindow of the same native windows, and
// MouseMove over 100 child panes against a loop of PtInRect over their rectangles doing the same
// enter and exit bookkeeping.
#include <windows.h>

#include <cstdio>

#include "BenchTiming.h"
#include "windows/Pane.h"
#include "windows/PaneWindowClass.h"

namespace {

constexpr int kDCRounds = 20000;
constexpr int kMoves = 200;
constexpr int kMouseSweeps = 200;

int sCrossings = 0;

// Counts its enters and exits, as the hand-written loop does.
class CountingPane : public BasicPane {
public:
    CountingPane(SubPane* parent, Rect16 rect) : BasicPane(parent, 0, rect, string(""), "", 0, 0) {}
    void MouseEnter() override { ++sCrossings; }
    void MouseExit() override { ++sCrossings; }
};

Rect16 R(int left, int top, int right, int bottom) {
    return Rect16{static_cast<int16_t>(top), static_cast<int16_t>(left),
                  static_cast<int16_t>(bottom), static_cast<int16_t>(right)};
}

}  // namespace

int main() {
    RegisterPaneWindowClasses();
    HWND window = CreateWindowExW(0, L"QV_Pane", L"bench", WS_POPUP | WS_VISIBLE, 0, 0, 800, 600,
                                  nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    auto* root = new WindowPane(window);
    auto* pane = new BasicPane(root, 0, R(10, 10, 110, 110), string(""), "QV_Pane", 0, 0);

    uint64_t checksum = 0;
    const double acquire = Best(
        [&] {
            uint64_t sum = 0;
            for (int i = 0; i < kDCRounds; ++i) {
                bool mustRelease = false;
                sum += reinterpret_cast<uintptr_t>(pane->AcquireDC(mustRelease)) & 1;
                pane->ReleaseDC(mustRelease);
            }
            return sum;
        },
        checksum);
    const double bare = Best(
        [&] {
            uint64_t sum = 0;
            for (int i = 0; i < kDCRounds; ++i) {
                HDC dc = GetDC(pane->GetHWND());
                sum += reinterpret_cast<uintptr_t>(dc) & 1;
                ReleaseDC(pane->GetHWND(), dc);
            }
            return sum;
        },
        checksum);
    std::printf("AcquireDC/ReleaseDC vs GetDC/ReleaseDC: %.2f\n", acquire / bare);

    // A container with 99 children in a row.
    auto* container = new BasicPane(root, 0, R(0, 120, 700, 160), string(""), "QV_Pane", 0, 0);
    for (int i = 0; i < 99; ++i)
        new BasicPane(container, 0, R(i * 7, 125, i * 7 + 6, 150), string(""), "QV_Pane", 0, 0);
    int offset = 0;
    const double panes = Best([&] {
        for (int i = 0; i < kMoves; ++i) {
            offset = 1 - offset;
            container->SetBounds(R(offset, 120, 700 + offset, 160), false);
        }
    });
    const double native = Best([&] {
        for (int i = 0; i < kMoves; ++i) {
            offset = 1 - offset;
            MoveWindow(container->GetHWND(), offset, 120, 700, 40, FALSE);
            for (int c = 0; c < container->ChildCount(); ++c) {
                HWND child = container->ChildAt(c)->GetHWND();
                MoveWindow(child, c * 7, 5, 6, 25, FALSE);
            }
        }
    });
    std::printf("SetBounds of 100 panes vs MoveWindow of their windows: %.2f\n", panes / native);

    // 100 children without native windows, 10 rows of 10, swept by the mouse along each row.
    auto* field = new BasicPane(root, 0, R(0, 200, 800, 600), string(""), "", 0, 0);
    RECT rects[100];
    bool inside[100] = {};
    for (int i = 0; i < 100; ++i) {
        const int left = (i % 10) * 70, top = 200 + (i / 10) * 35;
        new CountingPane(field, R(left, top, left + 60, top + 30));
        rects[i] = {left, top, left + 60, top + 30};
    }
    const double routed = Best(
        [&] {
            sCrossings = 0;
            for (int sweep = 0; sweep < kMouseSweeps; ++sweep)
                for (int x = 0; x < 700; x += 5) field->MouseMove(x, (sweep % 10) * 35 + 10);
            return static_cast<uint64_t>(sCrossings);
        },
        checksum);
    const double handWritten = Best(
        [&] {
            uint64_t crossings = 0;
            for (int sweep = 0; sweep < kMouseSweeps; ++sweep) {
                for (int x = 0; x < 700; x += 5) {
                    const POINT point = {x, 200 + (sweep % 10) * 35 + 10};
                    for (int i = 0; i < 100; ++i) {
                        if (inside[i] && !PtInRect(&rects[i], point)) {
                            inside[i] = false;
                            ++crossings;
                        }
                    }
                    for (int i = 0; i < 100; ++i) {
                        if (!PtInRect(&rects[i], point)) continue;
                        if (!inside[i]) {
                            inside[i] = true;
                            ++crossings;
                        }
                    }
                }
            }
            return crossings;
        },
        checksum);
    std::printf("MouseMove over 100 child panes vs a PtInRect loop: %.2f\n", routed / handWritten);
    std::printf("(checksum %llu)\n", static_cast<unsigned long long>(checksum));
    root->Close();
    return 0;
}
