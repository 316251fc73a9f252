#include "ClipboardText.h"

#include <windows.h>

#include <cstring>

#include "core/Platform.h"
#include "values/CharacterTables.h"

namespace {

// Replaces every occurrence of from (searched left to right, without overlap) by to.
string ReplaceAll(const string& text, const char* from, const char* to) {
    const char* bytes = text.CString();
    const int32_t length = text.Length();
    const int32_t fromLength = static_cast<int32_t>(std::strlen(from));
    string result;
    char* out = result.AllocateBytes(length * 2 + 1);
    int32_t written = 0;
    for (int32_t i = 0; i < length;) {
        if (i + fromLength <= length && std::memcmp(bytes + i, from, fromLength) == 0) {
            for (const char* t = to; *t; ++t) out[written++] = *t;
            i += fromLength;
        } else {
            out[written++] = bytes[i++];
        }
    }
    string trimmed;
    trimmed.SetBytes(out, written);
    trimmed.SetEncoding(text.Encoding());
    return trimmed;
}

void PutOnClipboard(UINT format, const void* data, size_t size) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!block) return;
    std::memcpy(GlobalLock(block), data, size);
    GlobalUnlock(block);
    if (!SetClipboardData(format, block)) GlobalFree(block);
}

}  // namespace

bool ClipboardHasText() {
    return IsClipboardFormatAvailable(CF_UNICODETEXT) || IsClipboardFormatAvailable(CF_TEXT);
}

void SetClipboardText(const string& text, bool convertLineEnds) {
    string value = text.Length() ? text.ToUTF8() : string("");
    if (convertLineEnds) value = ReplaceAll(ReplaceAll(value, "\r", "\r\n"), "\r\n\n", "\r\n");
    if (!OpenClipboard(nullptr)) return;
    EmptyClipboard();
    if (IsUnicodePlatform()) {
        const string units = value.ToUTF16();
        const wchar_t* wide = units.Length() ? units.WidePointer() : L"";
        PutOnClipboard(CF_UNICODETEXT, wide, (wcslen(wide) + 1) * sizeof(wchar_t));
    } else {
        const string bytes = ConvertToSystemScriptEncoding(value);
        PutOnClipboard(CF_TEXT, bytes.Length() ? bytes.CString() : "",
                       static_cast<size_t>(bytes.Length()) + 1);
    }
    CloseClipboard();
}

string GetClipboardText() {
    string result;
    if (!OpenClipboard(nullptr)) return result;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        const auto* wide = static_cast<const uint16_t*>(GlobalLock(data));
        int32_t count = 0;
        while (wide[count]) ++count;
        string units;
        units.SetWideText(wide, count);
        GlobalUnlock(data);
        result = units.ToUTF8();
    }
    CloseClipboard();
    return result;
}
