#include "PopupMenuTracking.h"

#include "core/Exceptions.h"

namespace {

int32_t sTrackingDepth = 0;

struct FramedCall {
    WNDPROC body;
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT result;
};

void RunFramedCall(void* context) {
    auto* call = static_cast<FramedCall*>(context);
    call->result = call->body(call->window, call->message, call->wParam, call->lParam);
}

}  // namespace

bool IsTrackingPopupMenu() { return sTrackingDepth > 0; }

UINT TrackPopupMenuFramed(HMENU menu, UINT flags, int32_t x, int32_t y, HWND owner) {
    ++sTrackingDepth;
    const UINT result = static_cast<UINT>(TrackPopupMenu(menu, flags, x, y, 0, owner, nullptr));
    --sTrackingDepth;
    RaiseParkedException();
    return result;
}

LRESULT CallWindowProcFramed(WNDPROC body, HWND window, UINT message, WPARAM wParam,
                             LPARAM lParam) {
    if (!IsTrackingPopupMenu()) return body(window, message, wParam, lParam);
    FramedCall call{body, window, message, wParam, lParam, 0};
    RunInCallbackFrame(RunFramedCall, &call);
    return call.result;
}
