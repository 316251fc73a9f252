// The language class FolderItem: an object that holds one folder-item implementation, owns it,
// and forwards every member to it; the path constructors, the global functions that make folder
// items from path texts, and the entry points that hand folder items to plug-ins and to the
// database engine.
//
// Items this class makes for related entries (Parent, Child, Item, the folder properties) are
// instances of the receiver's own class, so a subclass's Parent is of that subclass; the global
// functions make plain FolderItems. A member called on an object without an implementation (a
// subclass whose constructor never called a FolderItem constructor) answers an empty value.
#pragma once

#include <cstdint>

#include "FolderItemImp.h"
#include "core/ArrayRecord.h"
#include "core/ClassDefinition.h"
#include "core/ObjectModel.h"

struct FolderItemObject {
    ObjectHeader header;
    FolderItemImp* mImp;  // owned; null only in an object that never received one
};

// The path types of the path constructor and of GetFolderItem.
enum FolderItemPathType : int32_t {
    kPathTypeAbsolute = 0,
    kPathTypeShell = 1,
    kPathTypeURL = 2,
};

ObjectDefinition* GetFolderItemDefinition();

// A new FolderItem (one reference, the caller's) over a Win32 implementation of the path.
ObjectHeader* NewFolderItemForPath(const string& path);
// A new FolderItem that owns the implementation; nil (the implementation deleted) when none is
// given or no object can be made.
ObjectHeader* NewFolderItemForImp(FolderItemImp* imp);
// The item's implementation; null for nil or an item without one.
FolderItemImp* FolderItemImpOf(ObjectHeader* item);

// Gives the item a Win32 implementation of the path (relative paths are taken from the folder of
// the executable), following a shortcut when resolve is set; false when the path cannot be
// examined, the implementation then staying in the item.
bool SetFolderItemFromPath(ObjectHeader* item, const string& path, bool resolve);
// A new FolderItem for a path of a path type, a SaveInfo text among absolute paths; nil when none
// results. A relative shell path raises UnsupportedFormatException and gives nil.
ObjectHeader* FolderItemFromPathMode(const string& path, bool resolve, int32_t pathMode);

extern "C" {
// --- properties ---
StringRecord* fileAbsolutePathGetter(ObjectHeader* item, int32_t parameter);
int32_t fileCountGetter(ObjectHeader* item, int32_t parameter);
StringRecord* fileNameGetter(ObjectHeader* item, int32_t parameter);
void fileNameSetter(ObjectHeader* item, int32_t parameter, StringRecord* name);
StringRecord* FileDisplayNameGetter(ObjectHeader* item, int32_t parameter);
int32_t fileSizeGetter(ObjectHeader* item, int32_t parameter);
int32_t fileRFSizeGetter(ObjectHeader* item, int32_t parameter);
bool FileExtensionVisibleGetter(ObjectHeader* item, int32_t parameter);
void FileExtensionVisibleSetter(ObjectHeader* item, int32_t parameter, bool visible);
bool fileLockedGetter(ObjectHeader* item, int32_t parameter);
void fileLockedSetter(ObjectHeader* item, int32_t parameter, bool locked);
bool fileExistsGetter(ObjectHeader* item, int32_t parameter);
bool fileAliasGetter(ObjectHeader* item, int32_t parameter);
bool fileVisibleGetter(ObjectHeader* item, int32_t parameter);
void fileVisibleSetter(ObjectHeader* item, int32_t parameter, bool visible);
bool fileDirectoryGetter(ObjectHeader* item, int32_t parameter);
StringRecord* fileTypeGetter(ObjectHeader* item, int32_t parameter);
ObjectHeader* folderParentGetter(ObjectHeader* item, int32_t parameter);
ObjectHeader* folderGetCreation(ObjectHeader* item, int32_t parameter);
void folderSetCreation(ObjectHeader* item, int32_t parameter, ObjectHeader* date);
ObjectHeader* folderGetModified(ObjectHeader* item, int32_t parameter);
void folderSetModified(ObjectHeader* item, int32_t parameter, ObjectHeader* date);
StringRecord* fileMacTypeGetter(ObjectHeader* item, int32_t parameter);
void fileMacTypeSetter(ObjectHeader* item, int32_t parameter, StringRecord* code);
StringRecord* fileMacCreatorGetter(ObjectHeader* item, int32_t parameter);
void fileMacCreatorSetter(ObjectHeader* item, int32_t parameter, StringRecord* code);
// The row's parameter is the folder's four-character code.
ObjectHeader* folderFindFolder(ObjectHeader* item, int32_t code);
bool FolderItemIsCurrentlyReadable(ObjectHeader* item, int32_t parameter);
bool FolderItemIsCurrentlyWriteable(ObjectHeader* item, int32_t parameter);
int32_t FolderItemGetLastError(ObjectHeader* item, int32_t parameter);
void FolderItemSetLastError(ObjectHeader* item, int32_t parameter, int32_t code);
int32_t fileVRefNumGetter(ObjectHeader* item, int32_t parameter);
int32_t fileDirIDGetter(ObjectHeader* item, int32_t parameter);
StringRecord* FileShellPathGetter(ObjectHeader* item, int32_t parameter);
StringRecord* FileURLGetter(ObjectHeader* item, int32_t parameter);
StringRecord* FolderItemGroupGetter(ObjectHeader* item, int32_t parameter);
void FolderItemGroupSetter(ObjectHeader* item, int32_t parameter, StringRecord* group);
StringRecord* FolderItemOwnerGetter(ObjectHeader* item, int32_t parameter);
void FolderItemOwnerSetter(ObjectHeader* item, int32_t parameter, StringRecord* owner);
void FolderItemDestructor(ObjectHeader* item);

// --- methods ---
void FolderItemPathCtorNoParams(ObjectHeader* item);
void FolderItemPathCtor(ObjectHeader* item, StringRecord* path, int32_t pathMode);
void FolderItemCopyCtor(ObjectHeader* item, ObjectHeader* source);
ObjectHeader* FolderItemItem(ObjectHeader* item, int32_t index);
ObjectHeader* FolderItemTrueItem(ObjectHeader* item, int32_t index);
// A new FolderItem for the child of that name, shortcuts followed; nil when there is none.
ObjectHeader* FolderChild(ObjectHeader* folder, StringRecord* name);
ObjectHeader* FolderTrueChild(ObjectHeader* folder, StringRecord* name);
ObjectHeader* FolderItemOpenTextFile(ObjectHeader* item);
ObjectHeader* FolderItemAppendTextFile(ObjectHeader* item);
ObjectHeader* FolderItemCreateTextFile(ObjectHeader* item);
ObjectHeader* FolderItemOpenBinaryFile(ObjectHeader* item, bool readWrite);
ObjectHeader* FolderItemCreateBinaryFile(ObjectHeader* item, StringRecord* type);
ObjectHeader* folderOpenResourceFork(ObjectHeader* item);
ObjectHeader* folderCreateResourceFork(ObjectHeader* item, StringRecord* type);
ObjectHeader* FolderItemOpenAsCursor(ObjectHeader* item);
ArrayRecord* FolderItemOpenAsIcons(ObjectHeader* item);
ObjectHeader* FolderItemOpenImage(ObjectHeader* item);
ObjectHeader* FolderItemOpenVectorImage(ObjectHeader* item);
ObjectHeader* FolderItemOpenSound(ObjectHeader* item);
ObjectHeader* FolderItemOpenMovie(ObjectHeader* item);
ObjectHeader* FolderItemOpenResourceMovie(ObjectHeader* item, int32_t index);
void FolderItemOpenStyledEditField(ObjectHeader* item, ObjectHeader* field);
void FolderItemSaveStyledEditField(ObjectHeader* item, ObjectHeader* field);
void FolderItemSaveAsPicture(ObjectHeader* item, ObjectHeader* picture, int32_t format);
void FolderItemSaveAsJPEG(ObjectHeader* item, ObjectHeader* picture);
void FolderItemDelete(ObjectHeader* item);
void FolderItemCreateAsFolder(ObjectHeader* item);
void FolderItemLaunch(ObjectHeader* item, bool activate);
void FolderItemLaunchWithParameters(ObjectHeader* item, StringRecord* parameters, bool activate);
void FolderItemCopyFileTo(ObjectHeader* item, ObjectHeader* destination);
void FolderItemMoveFileTo(ObjectHeader* item, ObjectHeader* destination);
StringRecord* FolderItemGetSaveInfo(ObjectHeader* item, ObjectHeader* relativeTo, int32_t mode);
ObjectHeader* FolderItemGetRelative(ObjectHeader* item, StringRecord* saveInfo);
void FolderItemImpMakeFileExecutable(ObjectHeader* item);
int32_t FolderItemGetPermissions(ObjectHeader* item);
void FolderItemSetPermissionsInteger(ObjectHeader* item, int32_t permissions);
void FolderItemSetPermissionsClass(ObjectHeader* item, ObjectHeader* permissions);

// --- global functions ---
ObjectHeader* RuntimeGetFolderItem(StringRecord* path, int32_t pathMode);
ObjectHeader* RuntimeGetTrueFolderItem(StringRecord* path, int32_t pathMode);
ObjectHeader* RuntimeGetOpenFolderItem(StringRecord* filter);
ObjectHeader* RuntimeGetSaveFolderItem(StringRecord* filter, StringRecord* defaultName);
ObjectHeader* RuntimeSelectFolder();

// --- plug-ins and the database engine ---
FolderItemImp* FolderItemGetImp(ObjectHeader* item);
StringRecord* QUORpathFromFolderItem(ObjectHeader* item);
ObjectHeader* FolderItemFromPath(const char* path);
// The absolute path, UTF-8 and zero-terminated, in the engine's buffer of kEnginePathBuffer
// bytes; a path that does not fit gives the empty text rather than a cut one.
void FolderItemPathToCString(char* buffer, ObjectHeader* item);
ObjectHeader* FolderItemOpenJPEG(ObjectHeader* item);
}

constexpr int32_t kEnginePathBuffer = 1024;

// The volume and special-folder functions, which callers of this header have always reached here.
#include "SpecialFolders.h"
