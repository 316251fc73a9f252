#include "FontList.h"

#include "core/Array.h"
#include "core/Exceptions.h"
#include "core/GuardedMemory.h"
#include "core/Platform.h"
#include "values/CharacterTables.h"
#include "core/EncodingConversion.h"

namespace {

struct FontEntry : RuntimeAllocated {
    string name;
    int32_t charset;
};

Array* sFonts = nullptr;
bool sBuilt = false;
bool sHaveSystemCharset = false;
BYTE sSystemCharset = DEFAULT_CHARSET;

void Append(string name, BYTE charset) {
    FontEntry* entry = new FontEntry;
    entry->name = static_cast<string&&>(name);
    entry->charset = charset;
    sFonts->Insert(sFonts->Count(), entry);
}

int CALLBACK EnumerateWide(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM) {
    string units;
    int32_t count = 0;
    while (count < LF_FACESIZE && font->lfFaceName[count]) ++count;
    units.SetWideText(reinterpret_cast<const uint16_t*>(font->lfFaceName), count);
    Append(units.ToUTF8(), font->lfCharSet);
    return 1;
}

int CALLBACK EnumerateAnsi(const LOGFONTA* font, const TEXTMETRICA*, DWORD, LPARAM) {
    string bytes;
    int32_t count = 0;
    while (count < LF_FACESIZE && font->lfFaceName[count]) ++count;
    bytes.SetBytes(font->lfFaceName, count);
    bytes.SetEncoding(SystemTextEncoding());
    Append(bytes, font->lfCharSet);
    return 1;
}

void EnsureBuilt() {
    if (!sFonts) sFonts = new Array;
    if (sBuilt) return;
    HDC screen = GetDC(nullptr);
    if (IsUnicodePlatform())
        EnumFontsW(screen, nullptr, reinterpret_cast<FONTENUMPROCW>(EnumerateWide), 0);
    else
        EnumFontsA(screen, nullptr, reinterpret_cast<FONTENUMPROCA>(EnumerateAnsi), 0);
    ReleaseDC(nullptr, screen);
    sBuilt = true;
}

FontEntry* EntryAt(int32_t index) { return static_cast<FontEntry*>(sFonts->Get(index)); }

}  // namespace

extern "C" int32_t getFontCount() {
    EnsureBuilt();
    return sFonts->Count();
}

extern "C" StringRecord* getFontName(int32_t index) {
    EnsureBuilt();
    if (index < 0 || index >= sFonts->Count()) {
        RaiseOutOfBoundsException();
        return nullptr;
    }
    return EntryAt(index)->name.Retain();
}

BYTE FontCharset(const string& name) {
    if (!sHaveSystemCharset) {
        sSystemCharset = ScriptToCharset(SystemScript());
        sHaveSystemCharset = true;
    }
    EnsureBuilt();
    for (int32_t i = 0; i < sFonts->Count(); ++i) {
        const FontEntry* entry = EntryAt(i);
        if (string::CompareNoCase(entry->name, name) != 0) continue;
        if (entry->charset == sSystemCharset || entry->charset == SYMBOL_CHARSET)
            return static_cast<BYTE>(entry->charset);
    }
    return sSystemCharset;
}
