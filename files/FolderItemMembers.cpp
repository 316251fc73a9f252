// The FolderItem members: each forwards to one operation of the item's implementation.
#include <cstring>

#include "BinaryStream.h"
#include "FolderItem.h"
#include "Permissions.h"
#include "TextStreams.h"
#include "core/DefinitionConversion.h"
#include "core/Exceptions.h"
#include "core/FailureReport.h"
#include "values/Date.h"
#include "core/EncodingConversion.h"
#include "windows/MouseCursor.h"

namespace {

constexpr const char* kSource = "runFolderItem";
constexpr const char* kEntryCondition = "entry->mImp";
constexpr const char* kObjectCondition = "obj->mImp";

FolderItemImp* Imp(ObjectHeader* item) { return FolderItemImpOf(item); }

// The implementation a method or setter works on; a missing one is reported.
FolderItemImp* Checked(ObjectHeader* item, int32_t line, const char* condition) {
    FolderItemImp* imp = Imp(item);
    if (!imp) ReportAssertion(kSource, line, condition);
    return imp;
}

// A member that needs the object itself reports a missing object under "obj".
bool HasObject(ObjectHeader* item, int32_t line) {
    if (!item) ReportAssertion(kSource, line, "obj");
    return item != nullptr;
}

// A new item of the receiver's own class over the implementation; nil when there is none.
ObjectHeader* RelatedItem(ObjectHeader* receiver, FolderItemImp* imp) {
    if (!imp) return nullptr;
    ObjectHeader* item = RuntimeNewObject(RuntimeClassOf(receiver));
    if (!item) {
        delete imp;
        return nullptr;
    }
    FolderItemObject* fields = reinterpret_cast<FolderItemObject*>(item);
    delete fields->mImp;
    fields->mImp = imp;
    return item;
}

ObjectHeader* NewDate(double seconds) {
    ObjectHeader* date = CreateInstance(GetDateDefinition());
    if (date) dateTotalSecondsSetter(date, 0, seconds);
    return date;
}

// The four characters of a code, first character from the high byte, tagged with encoding 0.
StringRecord* OSTypeText(uint32_t code) {
    const char bytes[4] = {static_cast<char>(code >> 24), static_cast<char>(code >> 16),
                           static_cast<char>(code >> 8), static_cast<char>(code)};
    string text;
    text.SetBytes(bytes, 4);
    text.SetEncoding(0);
    return text.Detach();
}

// The code of a text: its first four bytes in encoding 0, padded with spaces.
uint32_t OSTypeOf(const string& text) {
    const string converted = ConvertStringEncoding(text, 0);
    unsigned char bytes[4] = {' ', ' ', ' ', ' '};
    const int32_t length = converted.Length() < 4 ? converted.Length() : 4;
    std::memcpy(bytes, converted.CString(), length);
    return uint32_t{bytes[0]} << 24 | uint32_t{bytes[1]} << 16 | uint32_t{bytes[2]} << 8 | bytes[3];
}

// Nil unless the implementation answered a stream; the object owns it.
ObjectHeader* TextOutput(ByteStream* stream) { return stream ? NewTextOutputStream(stream) : nullptr; }

}  // namespace

extern "C" {

// --- properties ---

StringRecord* fileAbsolutePathGetter(ObjectHeader* item, int32_t) {
    FolderItemImp* imp = Imp(item);
    return imp ? imp->GetAbsolutePath().Detach() : nullptr;
}

int32_t fileCountGetter(ObjectHeader* item, int32_t) {
    FolderItemImp* imp = Imp(item);
    return imp ? imp->GetCount() : 0;
}

StringRecord* fileNameGetter(ObjectHeader* item, int32_t) {
    FolderItemImp* imp = Imp(item);
    return imp ? imp->GetName().Detach() : nullptr;
}

void fileNameSetter(ObjectHeader* item, int32_t, StringRecord* name) {
    if (FolderItemImp* imp = Checked(item, __LINE__, kObjectCondition)) imp->SetName(string(name));
}

StringRecord* FileDisplayNameGetter(ObjectHeader* item, int32_t) {
    FolderItemImp* imp = Imp(item);
    return imp ? imp->GetDisplayName().Detach() : nullptr;
}

int32_t fileSizeGetter(ObjectHeader* item, int32_t) {
    FolderItemImp* imp = Imp(item);
    return imp ? imp->GetLength() : 0;
}

int32_t fileRFSizeGetter(ObjectHeader* item, int32_t) {
    FolderItemImp* imp = Imp(item);
    return imp ? imp->GetResourceForkLength() : 0;
}

bool FileExtensionVisibleGetter(ObjectHeader* item, int32_t) {
    FolderItemImp* imp = Imp(item);
    return imp && imp->GetExtensionVisible();
}

void FileExtensionVisibleSetter(ObjectHeader* item, int32_t, bool visible) {
    if (FolderItemImp* imp = Checked(item, __LINE__, kObjectCondition)) imp->SetExtensionVisible(visible);
}

bool fileLockedGetter(ObjectHeader* item, int32_t) {
    FolderItemImp* imp = Imp(item);
    return imp && imp->GetLocked();
}

void fileLockedSetter(ObjectHeader* item, int32_t, bool locked) {
    if (FolderItemImp* imp = Checked(item, __LINE__, kObjectCondition)) imp->SetLocked(locked);
}

bool fileExistsGetter(ObjectHeader* item, int32_t) {
    FolderItemImp* imp = Imp(item);
    return imp && imp->Exists();
}

bool fileAliasGetter(ObjectHeader* item, int32_t) {
    FolderItemImp* imp = Imp(item);
    return imp && imp->IsAlias();
}

bool fileVisibleGetter(ObjectHeader* item, int32_t) {
    FolderItemImp* imp = Imp(item);
    return imp && imp->GetVisible();
}

void fileVisibleSetter(ObjectHeader* item, int32_t, bool visible) {
    if (FolderItemImp* imp = Checked(item, __LINE__, kObjectCondition)) imp->SetVisible(visible);
}

bool fileDirectoryGetter(ObjectHeader* item, int32_t) {
    FolderItemImp* imp = Imp(item);
    return imp && imp->IsDirectory();
}

StringRecord* fileTypeGetter(ObjectHeader* item, int32_t) {
    FolderItemImp* imp = Imp(item);
    return imp ? imp->GetType().Detach() : nullptr;
}

ObjectHeader* folderParentGetter(ObjectHeader* item, int32_t) {
    FolderItemImp* imp = Imp(item);
    return imp ? RelatedItem(item, imp->GetParent()) : nullptr;
}

ObjectHeader* folderGetCreation(ObjectHeader* item, int32_t) {
    FolderItemImp* imp = Imp(item);
    return imp ? NewDate(imp->GetCreationDate()) : nullptr;
}

void folderSetCreation(ObjectHeader* item, int32_t, ObjectHeader* date) {
    FolderItemImp* imp = Checked(item, __LINE__, kObjectCondition);
    if (imp && date) imp->SetCreationDate(dateTotalSecondsGetter(date, 0));
}

ObjectHeader* folderGetModified(ObjectHeader* item, int32_t) {
    FolderItemImp* imp = Imp(item);
    return imp ? NewDate(imp->GetModificationDate()) : nullptr;
}

void folderSetModified(ObjectHeader* item, int32_t, ObjectHeader* date) {
    FolderItemImp* imp = Checked(item, __LINE__, kObjectCondition);
    if (imp && date) imp->SetModificationDate(dateTotalSecondsGetter(date, 0));
}

StringRecord* fileMacTypeGetter(ObjectHeader* item, int32_t) {
    FolderItemImp* imp = Imp(item);
    return imp ? OSTypeText(imp->GetMacType()) : nullptr;
}

void fileMacTypeSetter(ObjectHeader* item, int32_t, StringRecord* code) {
    FolderItemImp* imp = Checked(item, __LINE__, kObjectCondition);
    if (imp && StringRecord::Length(code) > 0) imp->SetMacType(OSTypeOf(string(code)));
}

StringRecord* fileMacCreatorGetter(ObjectHeader* item, int32_t) {
    FolderItemImp* imp = Imp(item);
    return imp ? OSTypeText(imp->GetMacCreator()) : nullptr;
}

void fileMacCreatorSetter(ObjectHeader* item, int32_t, StringRecord* code) {
    FolderItemImp* imp = Checked(item, __LINE__, kObjectCondition);
    if (imp && StringRecord::Length(code) > 0) imp->SetMacCreator(OSTypeOf(string(code)));
}

ObjectHeader* folderFindFolder(ObjectHeader* item, int32_t code) {
    FolderItemImp* imp = Imp(item);
    return imp ? RelatedItem(item, imp->FindFolder(static_cast<uint32_t>(code))) : nullptr;
}

bool FolderItemIsCurrentlyReadable(ObjectHeader* item, int32_t) {
    FolderItemImp* imp = Imp(item);
    return imp && imp->IsReadable();
}

bool FolderItemIsCurrentlyWriteable(ObjectHeader* item, int32_t) {
    FolderItemImp* imp = Imp(item);
    return imp && imp->IsWriteable();
}

int32_t FolderItemGetLastError(ObjectHeader* item, int32_t) {
    FolderItemImp* imp = Imp(item);
    return imp ? imp->LastError() : 0;
}

void FolderItemSetLastError(ObjectHeader* item, int32_t, int32_t code) {
    FolderItemImp* imp = Imp(item);
    if (!imp) return RaiseNilObjectException();
    imp->SetLastError(code);
}

int32_t fileVRefNumGetter(ObjectHeader* item, int32_t) {
    FolderItemImp* imp = Imp(item);
    return imp ? imp->GetMacVRefNum() : 0;
}

int32_t fileDirIDGetter(ObjectHeader* item, int32_t) {
    FolderItemImp* imp = Imp(item);
    return imp ? imp->GetMacDirID() : 0;
}

StringRecord* FileShellPathGetter(ObjectHeader* item, int32_t) {
    if (!HasObject(item, __LINE__)) return nullptr;
    FolderItemImp* imp = Imp(item);
    return imp ? imp->GetShellPath().Detach() : nullptr;
}

StringRecord* FileURLGetter(ObjectHeader* item, int32_t) {
    if (!HasObject(item, __LINE__)) return nullptr;
    FolderItemImp* imp = Imp(item);
    return imp ? imp->GetURLPath().Detach() : nullptr;
}

StringRecord* FolderItemGroupGetter(ObjectHeader* item, int32_t) {
    if (!HasObject(item, __LINE__)) return nullptr;
    FolderItemImp* imp = Imp(item);
    return imp ? imp->GetGroup().Detach() : nullptr;
}

void FolderItemGroupSetter(ObjectHeader* item, int32_t, StringRecord* group) {
    if (!HasObject(item, __LINE__)) return;
    FolderItemImp* imp = Imp(item);
    if (imp && StringRecord::Length(group) > 0) imp->SetGroup(string(group));
}

StringRecord* FolderItemOwnerGetter(ObjectHeader* item, int32_t) {
    if (!HasObject(item, __LINE__)) return nullptr;
    FolderItemImp* imp = Imp(item);
    return imp ? imp->GetOwner().Detach() : nullptr;
}

void FolderItemOwnerSetter(ObjectHeader* item, int32_t, StringRecord* owner) {
    if (!HasObject(item, __LINE__)) return;
    FolderItemImp* imp = Imp(item);
    if (imp && StringRecord::Length(owner) > 0) imp->SetOwner(string(owner));
}

void FolderItemDestructor(ObjectHeader* item) {
    FolderItemObject* fields = reinterpret_cast<FolderItemObject*>(item);
    delete fields->mImp;
    fields->mImp = nullptr;
}

// --- related items ---

ObjectHeader* FolderItemItem(ObjectHeader* item, int32_t index) {
    FolderItemImp* imp = Checked(item, __LINE__, kEntryCondition);
    return imp ? RelatedItem(item, imp->GetItem(index - 1, kFollowShortcut)) : nullptr;
}

ObjectHeader* FolderItemTrueItem(ObjectHeader* item, int32_t index) {
    FolderItemImp* imp = Checked(item, __LINE__, kEntryCondition);
    return imp ? RelatedItem(item, imp->GetItem(index - 1, 0)) : nullptr;
}

ObjectHeader* FolderChild(ObjectHeader* folder, StringRecord* name) {
    FolderItemImp* imp = Checked(folder, __LINE__, kEntryCondition);
    return imp ? RelatedItem(folder, imp->GetChild(string(name), kFollowShortcut)) : nullptr;
}

ObjectHeader* FolderTrueChild(ObjectHeader* folder, StringRecord* name) {
    FolderItemImp* imp = Checked(folder, __LINE__, kEntryCondition);
    return imp ? RelatedItem(folder, imp->GetChild(string(name), 0)) : nullptr;
}

// --- streams ---

ObjectHeader* FolderItemOpenTextFile(ObjectHeader* item) {
    FolderItemImp* imp = Checked(item, __LINE__, kEntryCondition);
    ByteStream* stream = imp ? imp->OpenStream(true, false) : nullptr;
    return stream ? NewTextInputStream(stream) : nullptr;
}

ObjectHeader* FolderItemCreateTextFile(ObjectHeader* item) {
    FolderItemImp* imp = Checked(item, __LINE__, kEntryCondition);
    if (!imp || imp->GetLocked()) return nullptr;
    return TextOutput(imp->CreateStream(string("text")));
}

ObjectHeader* FolderItemAppendTextFile(ObjectHeader* item) {
    FolderItemImp* imp = Checked(item, __LINE__, kEntryCondition);
    if (!imp || imp->GetLocked()) return nullptr;
    ByteStream* stream = imp->OpenStream(true, true);
    if (!stream) return FolderItemCreateTextFile(item);
    stream->SetPosition(stream->Length());
    return NewTextOutputStream(stream);
}

ObjectHeader* FolderItemOpenBinaryFile(ObjectHeader* item, bool readWrite) {
    FolderItemImp* imp = Checked(item, __LINE__, kEntryCondition);
    ByteStream* stream = imp ? imp->OpenStream(true, readWrite) : nullptr;
    return stream ? NewBinaryStream(stream) : nullptr;
}

ObjectHeader* FolderItemCreateBinaryFile(ObjectHeader* item, StringRecord* type) {
    FolderItemImp* imp = Checked(item, __LINE__, kEntryCondition);
    if (!imp || imp->GetLocked()) return nullptr;
    ByteStream* stream = imp->CreateStream(string(type));
    return stream ? NewBinaryStream(stream) : nullptr;
}

// This platform has no resource forks.
ObjectHeader* folderOpenResourceFork(ObjectHeader*) { return nullptr; }
ObjectHeader* folderCreateResourceFork(ObjectHeader*, StringRecord*) { return nullptr; }
ObjectHeader* FolderItemOpenResourceMovie(ObjectHeader*, int32_t) { return nullptr; }

// --- contents ---

ObjectHeader* FolderItemOpenAsCursor(ObjectHeader* item) {
    FolderItemImp* imp = Checked(item, __LINE__, kEntryCondition);
    if (!imp) return nullptr;
    ObjectHeader* cursor = CreateInstance(MouseCursor());
    if (!cursor) return nullptr;
    MouseCursorHolder(cursor) = static_cast<MouseCursorHandle*>(imp->OpenAsCursor());
    if (!MouseCursorHolder(cursor)) {
        RuntimeUnlockObject(cursor);
        return nullptr;
    }
    return cursor;
}

ArrayRecord* FolderItemOpenAsIcons(ObjectHeader* item) {
    FolderItemImp* imp = Checked(item, __LINE__, kEntryCondition);
    if (!imp) return nullptr;
    SimpleVector<ObjectHeader*> pictures;
    imp->OpenAsIcons(&pictures);
    const int32_t count = static_cast<int32_t>(pictures.size());
    ArrayRecord* array = CreateArray(1, kArrayObject, count - 1);
    for (int32_t i = 0; i < count; ++i) {
        if (array) RuntimeDirectWriteObjectArray(array, i, pictures[i]);
        RuntimeUnlockObject(pictures[i]);
    }
    return array;
}

ObjectHeader* FolderItemOpenImage(ObjectHeader* item) {
    FolderItemImp* imp = Checked(item, __LINE__, kEntryCondition);
    return imp ? imp->OpenAsPicture(0) : nullptr;
}

ObjectHeader* FolderItemOpenVectorImage(ObjectHeader* item) {
    FolderItemImp* imp = Checked(item, __LINE__, kEntryCondition);
    return imp ? imp->OpenAsPicture(1) : nullptr;
}

// The sound keeps this item as its source once the Sound class has a place for it.
ObjectHeader* FolderItemOpenSound(ObjectHeader* item) {
    FolderItemImp* imp = Checked(item, __LINE__, kEntryCondition);
    return imp ? imp->OpenAsSound() : nullptr;
}

ObjectHeader* FolderItemOpenMovie(ObjectHeader* item) {
    FolderItemImp* imp = Checked(item, __LINE__, kEntryCondition);
    return imp ? imp->OpenAsMovie() : nullptr;
}

ObjectHeader* FolderItemOpenJPEG(ObjectHeader* item) {
    FolderItemImp* imp = Checked(item, __LINE__, kEntryCondition);
    return imp ? imp->OpenAsJPEG() : nullptr;
}

void FolderItemOpenStyledEditField(ObjectHeader* item, ObjectHeader* field) {
    if (FolderItemImp* imp = Checked(item, __LINE__, kEntryCondition)) imp->OpenStyledEditField(field);
}

void FolderItemSaveStyledEditField(ObjectHeader* item, ObjectHeader* field) {
    if (FolderItemImp* imp = Checked(item, __LINE__, kEntryCondition)) imp->SaveStyledEditField(field);
}

void FolderItemSaveAsPicture(ObjectHeader* item, ObjectHeader* picture, int32_t format) {
    FolderItemImp* imp = Checked(item, __LINE__, kEntryCondition);
    if (!imp) return;
    if (!picture) return RaiseNilObjectException();
    imp->SaveAsPicture(picture, format);
}

void FolderItemSaveAsJPEG(ObjectHeader* item, ObjectHeader* picture) {
    FolderItemImp* imp = Checked(item, __LINE__, kEntryCondition);
    if (!imp) return;
    if (!picture) return RaiseNilObjectException();
    imp->SaveAsJPEG(picture);
}

// --- file operations ---

void FolderItemDelete(ObjectHeader* item) {
    if (FolderItemImp* imp = Checked(item, __LINE__, kEntryCondition)) imp->Delete();
}

void FolderItemCreateAsFolder(ObjectHeader* item) {
    if (FolderItemImp* imp = Checked(item, __LINE__, kEntryCondition)) imp->CreateAsFolder();
}

void FolderItemLaunch(ObjectHeader* item, bool activate) {
    if (FolderItemImp* imp = Checked(item, __LINE__, kEntryCondition)) imp->Launch(string(), activate);
}

void FolderItemLaunchWithParameters(ObjectHeader* item, StringRecord* parameters, bool activate) {
    if (FolderItemImp* imp = Checked(item, __LINE__, kEntryCondition)) imp->Launch(string(parameters), activate);
}

void FolderItemCopyFileTo(ObjectHeader* item, ObjectHeader* destination) {
    FolderItemImp* imp = Checked(item, __LINE__, kEntryCondition);
    if (!imp) return;
    if (!destination) return RaiseNilObjectException();
    FolderItemImp* target = Checked(destination, __LINE__, "destination->mImp");
    if (target) imp->CopyFileTo(target);
}

void FolderItemMoveFileTo(ObjectHeader* item, ObjectHeader* destination) {
    FolderItemImp* imp = Checked(item, __LINE__, kEntryCondition);
    if (!imp) return;
    if (!destination) return RaiseNilObjectException();
    FolderItemImp* target = Checked(destination, __LINE__, "destination->mImp");
    if (target) imp->MoveFileTo(target);
}

StringRecord* FolderItemGetSaveInfo(ObjectHeader* item, ObjectHeader* relativeTo, int32_t mode) {
    FolderItemImp* imp = Checked(item, __LINE__, kEntryCondition);
    if (!imp) return nullptr;
    string data = imp->GetSaveInfo(Imp(relativeTo), mode);
    if (!data.IsEmpty()) data.SetEncoding(kEncodingUnknown);
    return data.Detach();
}

void FolderItemImpMakeFileExecutable(ObjectHeader* item) {
    if (FolderItemImp* imp = Checked(item, __LINE__, kEntryCondition)) imp->MakeFileExecutable();
}

int32_t FolderItemGetPermissions(ObjectHeader* item) {
    FolderItemImp* imp = Imp(item);
    return imp ? imp->GetPermissions() : 0;
}

void FolderItemSetPermissionsInteger(ObjectHeader* item, int32_t permissions) {
    if (FolderItemImp* imp = Checked(item, __LINE__, kEntryCondition)) imp->SetPermissions(permissions);
}

void FolderItemSetPermissionsClass(ObjectHeader* item, ObjectHeader* permissions) {
    FolderItemImp* imp = Checked(item, __LINE__, kEntryCondition);
    if (!imp) return;
    if (!permissions) return RaiseNilObjectException();
    imp->SetPermissions(reinterpret_cast<PermissionsObject*>(permissions)->mode);
}

}  // extern "C"
