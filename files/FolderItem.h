// The language class FolderItem: an object that holds a folder-item implementation and owns it.
//
// Stand-in until the files subsystem is built: the class has only its implementation field, the
// AbsolutePath property and the finalizer that deletes the implementation; no other member, none
// of the global folder functions and no plug-in entry points.
#pragma once

#include "FolderItemImp.h"
#include "core/ClassDefinition.h"
#include "core/ObjectModel.h"

struct FolderItemObject {
    ObjectHeader header;
    FolderItemImp* mImp;
};

ObjectDefinition* GetFolderItemDefinition();

// A new FolderItem (one reference, the caller's) over a Win32 implementation of the path.
ObjectHeader* NewFolderItemForPath(const string& path);

extern "C" {
StringRecord* fileAbsolutePathGetter(ObjectHeader* item, int32_t parameter);
void FolderItemDestructor(ObjectHeader* item);
}
