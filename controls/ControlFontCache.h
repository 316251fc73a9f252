// One shared GDI font per text style for everything that draws text: native control panes and
// GDI graphics ask here instead of creating fonts, and the font names applications use (those of
// the language's other platform) are mapped to Windows face names.
#pragma once

#include <windows.h>

#include "core/RuntimeString.h"
#include "graphics/TextStyle.h"

// The font of the style, with one more reference. Styles are the same when their names are equal
// without regard to case and their size, bold, italic and underline are equal.
HFONT AcquireControlFont(const TextStyle& style);
// Drops one reference; the last one deletes the font. A font the cache does not hold is ignored.
void ReleaseControlFont(HFONT font);
// The Windows face name for a font name ("Geneva" is "MS Sans Serif", other names stay).
string MapMacFontName(const string& name);
