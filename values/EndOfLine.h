// Line endings: the EndOfLine class (the platform's ending when used as a String, and the
// Macintosh, Windows and UNIX endings), and the rewriting of every line break of a text.
#pragma once

#include "core/ClassDefinition.h"
#include "core/ObjectModel.h"
#include "core/RuntimeString.h"

ObjectDefinition* GetEndOfLineDefinition();

extern "C" {
// A new string "\r\n", tagged ASCII.
StringRecord* RuntimeEndOfLine();
// The endings, each made once and kept for the run; each call gives a new reference.
StringRecord* getMacEndOfLine(ObjectHeader* self);
StringRecord* getWin32EndOfLine(ObjectHeader* self);
StringRecord* getUNIXEndOfLine(ObjectHeader* self);
StringRecord* RuntimeEndOfLineAdd(ObjectHeader* self, StringRecord* value);
StringRecord* RuntimeEndOfLineAddRight(ObjectHeader* self, StringRecord* value);
int32_t RuntimeEndOfLineCompare(ObjectHeader* self, StringRecord* value);
ObjectHeader* RuntimeGetEndOfLineObject();
// Every CR LF, CR and LF of source becomes replaceWith; the result keeps source's tag.
StringRecord* RuntimeReplaceLineEndings(StringRecord* source, StringRecord* replaceWith);
}
