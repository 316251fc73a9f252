#include "files/ShellOpen.h"

#include <windows.h>
#include <shellapi.h>

#include "core/Platform.h"
#include "core/EncodingConversion.h"

bool ShellOpenURL(const string& url) {
    // ShellExecute answers a value above 32 on success.
    constexpr INT_PTR kLastFailure = 32;
    HINSTANCE result;
    if (IsUnicodePlatform()) {
        const string wide = url.ToUTF16();
        result = ShellExecuteW(nullptr, L"open", wide.WidePointer(), nullptr, nullptr, SW_SHOWNORMAL);
    } else {
        const string ansi = ConvertToSystemEncoding(url);
        result = ShellExecuteA(nullptr, "open", ansi.CString(), nullptr, nullptr, SW_SHOWNORMAL);
    }
    return reinterpret_cast<INT_PTR>(result) > kLastFailure;
}
