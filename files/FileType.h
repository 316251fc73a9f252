// File types: the kinds of documents an application declares (a name, Mac type and creator codes
// and file-name extensions), kept in one list in registration order.
//
// The list names the type of a file, decides which dropped files a pane accepts, and gives the file
// dialogs their filters and the extension a saved file gets.
#pragma once

#include <cstdint>

#include "core/GuardedMemory.h"
#include "core/ObjectModel.h"
#include "core/SimpleVector.h"
#include "core/RuntimeString.h"

struct FileType : RuntimeAllocated {
    FileType(const string& typeName, const string& type, const string& creator,
             const string& extensionList)
        : name(typeName), macType(type), macCreator(creator), extensions(extensionList) {}

    // The type and creator codes, for comparison with "????" only: four spaces overlaid with the
    // text's first bytes in memory order, "????" for an empty text.
    void GetCodes(uint32_t* typeCode, uint32_t* creatorCode) const;

    // 1 for a type without extensions, 3 when the file name ends with one of them (letter case
    // aside), else 0. The extensions are ";"-separated suffixes; an empty one matches every name.
    int32_t MatchFileName(const string& fileName) const;

    FileType* next = nullptr;
    string name;
    string macType;
    string macCreator;
    string extensions;  // ".txt;.text"
};

// The registered types, first registered first.
FileType* FirstFileType();
// The first registered type of a name (letter case aside), or null.
FileType* FindFileType(const string& name);

// The name of the registered type that matches the file name best (the first of equal scores);
// the empty text when none matches.
string FileTypeNameForFile(const string& fileName);
// The first registered type of each ";"-separated name, in order; names without one are skipped.
void ParseFileTypeList(const string& names, SimpleVector<FileType*>* types);
// The filter text of the file dialogs for ";"-separated type names (FileTypeRules.h); the default
// extension is overwritten only by a name that yields one.
void BuildDialogFilter(const string& names, string* filter, string* defaultExtension);
// Gives the file name the extension unless it ends in one of the allowed ones; the name stays
// below maximum bytes. False when the name is left unchanged.
bool ApplyFileExtension(string* name, const string& allowed, const string& extension, int32_t maximum);

extern "C" {
// Appends a type to the list. Answers the record it was linked after, or the new record when the
// list was empty.
FileType* RuntimeRegisterFileType(StringRecord* name, StringRecord* macType,
                                  StringRecord* macCreator, StringRecord* extensions);
// Unlinks and frees the first registered type of the name (letter case aside), if any.
void RuntimeDeregisterFileType(StringRecord* name);
}
