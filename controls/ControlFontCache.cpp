#include "ControlFontCache.h"

#include "core/GuardedMemory.h"
#include "core/Platform.h"
#include "values/CharacterTables.h"

namespace {

struct FontEntry : RuntimeAllocated {
    FontEntry* next;
    int32_t refCount;
    TextStyle key;
    HFONT font;
};

// Newest first.
FontEntry* sFonts = nullptr;

struct FaceMapping {
    const char* name;
    const char* face;
};

constexpr FaceMapping kFaceMappings[] = {
    {"System", "MS Sans Serif"},      {"Application", "MS Sans Serif"},
    {"Geneva", "MS Sans Serif"},      {"SmallSystem", "MS Sans Serif"},
    {"Courier", "Courier New"},       {"Times", "Times New Roman"},
    {"Helvetica", "Arial"},           {"Osaka", "MS UI Gothic"},
};

bool SameKey(const TextStyle& a, const TextStyle& b) {
    return a.size == b.size && a.bold == b.bold && a.italic == b.italic &&
           a.underline == b.underline && string::CompareNoCase(a.fontName, b.fontName) == 0;
}

// The whole face name reaches GDI: UTF-16 for the wide call, the system script's bytes for the
// ANSI one.
HFONT CreateStyleFont(const TextStyle& style, const string& face) {
    const int height = style.size == 0 ? -12 : -style.size;
    const int weight = style.bold ? FW_BOLD : FW_NORMAL;
    const BYTE charset = ScriptToCharset(SystemScript());
    if (IsUnicodePlatform()) {
        const string units = face.ToUTF16();
        return CreateFontW(height, 0, 0, 0, weight, style.italic, style.underline, 0, charset, 0,
                           0, 0, 0, units.IsEmpty() ? L"" : units.WidePointer());
    }
    const string bytes = ConvertToSystemScriptEncoding(face);
    return CreateFontA(height, 0, 0, 0, weight, style.italic, style.underline, 0, charset, 0, 0,
                       0, 0, bytes.IsEmpty() ? "" : bytes.CString());
}

}  // namespace

string MapMacFontName(const string& name) {
    if (name.IsEmpty()) return string("MS Sans Serif");
    for (const FaceMapping& mapping : kFaceMappings)
        if (string::CompareNoCase(name, string(mapping.name)) == 0) return string(mapping.face);
    return name;
}

HFONT AcquireControlFont(const TextStyle& style) {
    for (FontEntry* entry = sFonts; entry; entry = entry->next) {
        if (SameKey(entry->key, style)) {
            ++entry->refCount;
            return entry->font;
        }
    }
    FontEntry* entry = new FontEntry;
    entry->refCount = 1;
    entry->key.Assign(style);
    entry->font = CreateStyleFont(style, MapMacFontName(style.fontName));
    entry->next = sFonts;
    sFonts = entry;
    return entry->font;
}

void ReleaseControlFont(HFONT font) {
    for (FontEntry** link = &sFonts; *link; link = &(*link)->next) {
        FontEntry* entry = *link;
        if (entry->font != font) continue;
        if (--entry->refCount <= 0) {
            *link = entry->next;
            DeleteObject(entry->font);
            delete entry;
        }
        return;
    }
}
