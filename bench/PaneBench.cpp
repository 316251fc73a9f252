// The pane layer's cost against the bare native calls it wraps: AcquireDC/ReleaseDC (with the
// palette, text alignment and origin set on each acquisition) against GetDC/ReleaseDC of the same
// window, and SetBounds of a tree of 100 panes against MoveWindow of the same native windows.
#include <windows.h>

#include <cstdio>

#include "BenchTiming.h"
#include "windows/Pane.h"
#include "windows/PaneWindowClass.h"

namespace {

constexpr int kDCRounds = 20000;
constexpr int kMoves = 200;

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
    std::printf("(checksum %llu)\n", static_cast<unsigned long long>(checksum));
    root->Close();
    return 0;
}
