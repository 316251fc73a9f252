// The event loop's cost per posted message against a bare GetMessage/DispatchMessage pump: both
// handle the same batches of messages posted to a hidden window. The loop's steps add the exception
// frame, mouse tracking, the pre-translation hooks and the idle work.
#include <windows.h>

#include <cstdio>

#include "BenchTiming.h"
#include "host/EventLoop.h"

namespace {

// Sized to finish within a minute in an emulated machine, where a loop step costs milliseconds;
// the thread's message queue holds 10,000 messages at most.
constexpr int kBatch = 1000;
constexpr int kBatches = 2;

int sHandled = 0;

LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_USER) {
        ++sHandled;
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND MakeWindow() {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = CountingProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "QvLoopBench";
    RegisterClassA(&windowClass);
    return CreateWindowA("QvLoopBench", "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

void PostBatch(HWND window) {
    for (int i = 0; i < kBatch; ++i) PostMessageA(window, WM_USER, 0, 0);
}

// Posting is timed apart and taken off, so that only the handling is compared.
template <typename Handle>
double TimeHandling(HWND window, Handle handle) {
    double total = 0;
    for (int batch = 0; batch < kBatches; ++batch) {
        PostBatch(window);
        sHandled = 0;
        const double start = Seconds();
        while (sHandled < kBatch) handle();
        total += Seconds() - start;
    }
    return total;
}

void BarePump() {
    MSG message;
    if (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void OneLoopStep() { RunEventLoopStep(EventLoopIteration); }

}  // namespace

int main() {
    HWND window = MakeWindow();
    if (!window) {
        std::printf("loop: no window\n");
        return 1;
    }
    // Each line as soon as it is measured, even into a pipe.
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    const double messages = double(kBatch) * kBatches;
    std::printf("loop: %d posted messages to a hidden window per round\n", int(messages));
    double bare = 1e9, loop = 1e9;
    for (int round = 0; round < kRounds; ++round) {
        const double b = TimeHandling(window, BarePump);
        const double l = TimeHandling(window, OneLoopStep);
        std::printf("  round %d: bare pump %.3f us, loop step %.3f us per message\n", round + 1,
                    b / messages * 1e6, l / messages * 1e6);
        if (b < bare) bare = b;
        if (l < loop) loop = l;
    }
    std::printf("best of %d rounds:\n", kRounds);
    std::printf("  GetMessageA/DispatchMessageA  %8.3f us per message\n", bare / messages * 1e6);
    std::printf("  event loop step               %8.3f us per message   ratio %.2f\n",
                loop / messages * 1e6, loop / bare);
    std::printf("(ratio: the loop's time per message over the bare pump's; above 1 the loop is slower)\n");
    DestroyWindow(window);
    return 0;
}
