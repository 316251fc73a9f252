// Text on the system clipboard, for edit fields and list boxes.
//
// The text path only, a stand-in for the Clipboard class: it opens, empties and closes the
// clipboard on each call and lacks the language class, pictures and raw data.
#pragma once

#include "core/RuntimeString.h"

// Whether the clipboard offers text.
bool ClipboardHasText();
// Puts the text on the clipboard. With convertLineEnds, every "\r" becomes "\r\n" and then every
// "\r\n\n" becomes "\r\n": existing pairs stay one pair and a lone "\n" stays.
void SetClipboardText(const string& text, bool convertLineEnds);
// The text on the clipboard as UTF-8, empty when there is none.
string GetClipboardText();
