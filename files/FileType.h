// File types: the kinds of documents an application declares (a name, Mac type and creator codes
// and file-name extensions), kept in one list in registration order.
//
// Only what panes need to accept dropped files: registering a type, finding one by name and
// matching a file name. It lacks deregistering, naming the type of a file, the codes, and the
// filters and extensions of the file dialogs.
#pragma once

#include <cstdint>

#include "core/GuardedMemory.h"
#include "core/ObjectModel.h"
#include "core/RuntimeString.h"

struct FileType : RuntimeAllocated {
    FileType(const string& typeName, const string& type, const string& creator,
             const string& extensionList)
        : name(typeName), macType(type), macCreator(creator), extensions(extensionList) {}

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

extern "C" {
// Appends a type to the list. Answers the record it was linked after, or the new record when the
// list was empty.
FileType* RuntimeRegisterFileType(StringRecord* name, StringRecord* macType,
                                  StringRecord* macCreator, StringRecord* extensions);
}
