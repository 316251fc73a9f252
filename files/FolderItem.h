// The language class FolderItem: an object that holds a folder-item implementation and owns it.
//
// Stand-in until the files subsystem is built: the class has only its implementation field, the
// AbsolutePath property and the finalizer that deletes the implementation; no other member, of
// the global folder functions only those of the temporary folder, a child and deleting, and no
// plug-in entry points.
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
// A new FolderItem that owns the implementation; nil (the implementation deleted) when none is
// given or no object can be made.
ObjectHeader* NewFolderItemForImp(FolderItemImp* imp);
// The item's implementation; null for nil or an item without one.
FolderItemImp* FolderItemImpOf(ObjectHeader* item);

extern "C" {
StringRecord* fileAbsolutePathGetter(ObjectHeader* item, int32_t parameter);
void FolderItemDestructor(ObjectHeader* item);
// A new FolderItem for the operating system's temporary folder; nil when it cannot be had.
ObjectHeader* getTemporaryItemsFolder();
// A new FolderItem for a new, uniquely named, empty file in the temporary folder.
ObjectHeader* getTemporaryFolderItem();
// A new FolderItem for the child of that name, shortcuts followed; nil when there is none.
ObjectHeader* FolderChild(ObjectHeader* folder, StringRecord* name);
void FolderItemDelete(ObjectHeader* item);
}
