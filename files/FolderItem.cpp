// The FolderItem class definition, folder items made from path texts, the global path functions
// and the entry points of plug-ins and the database engine.
#include "FolderItem.h"

#include <cstring>

#include "BinaryStream.h"
#include "FolderItemImpWin32.h"
#include "PathMarshalling.h"
#include "Permissions.h"
#include "SaveInfo.h"
#include "TextStreams.h"
#include "VirtualVolumeEntries.h"
#include "controls/EditFieldClass.h"
#include "core/DefinitionConversion.h"
#include "core/Exceptions.h"
#include "graphics/MediaClasses.h"
#include "graphics/PictureClass.h"
#include "core/IntrinsicTypes.h"
#include "values/Date.h"
#include "windows/Drawing.h"
#include "windows/MouseCursor.h"

namespace {

constexpr int32_t kIntegerConstant = 1;  // the type code of constant rows
// The row word of the members that only the other platform serves.
constexpr uint32_t kOtherPlatformRow = 0xFFFFFFF7;

constexpr int32_t FourCharCode(const char (&code)[5]) {
    return static_cast<int32_t>(uint32_t(uint8_t(code[0])) << 24 | uint32_t(uint8_t(code[1])) << 16 |
                                uint32_t(uint8_t(code[2])) << 8 | uint32_t(uint8_t(code[3])));
}

ObjectDefinition sDefinition;
const TypeDescriptor* const kSelf = AsType(&sDefinition);
const TypeDescriptor* const kString = AsType(&kStringType);
const TypeDescriptor* const kInteger = AsType(&kIntegerType);
const TypeDescriptor* const kBoolean = AsType(&kBooleanType);

ConstantEntry kFolderItemConstants[] = {
    {0, "NoError", kIntegerConstant, "0"},
    {0, "DestDoesNotExistError", kIntegerConstant, "100"},
    {0, "FileNotFound", kIntegerConstant, "101"},
    {0, "AccessDenied", kIntegerConstant, "102"},
    {0, "NotEnoughMemory", kIntegerConstant, "103"},
    {0, "FileInUse", kIntegerConstant, "104"},
    {0, "InvalidName", kIntegerConstant, "105"},
    {0, "SaveInfoDefaultMode", kIntegerConstant, "0"},
    {0, "SaveInfoRelativeMode", kIntegerConstant, "1"},
    {0, "SaveInfoAbsoluteMode", kIntegerConstant, "2"},
    {0, "PathTypeAbsolute", kIntegerConstant, "0"},
    {0, "PathTypeShell", kIntegerConstant, "1"},
    {0, "PathTypeURL", kIntegerConstant, "2"},
    {0, "SaveAsMostCompatible", kIntegerConstant, "0"},
    {0, "SaveAsMostComplete", kIntegerConstant, "1"},
    {0, "SaveAsDefault", kIntegerConstant, "2"},
    {0, "SaveAsDefaultVector", kIntegerConstant, "3"},
    {0, "SaveAsDefaultRaster", kIntegerConstant, "4"},
    {0, "SaveAsMactintoshPICT", kIntegerConstant, "100"},
    {0, "SaveAsMactintoshRasterPICT", kIntegerConstant, "250"},
    {0, "SaveAsWindowsWMF", kIntegerConstant, "300"},
    {0, "SaveAsWindowsEMF", kIntegerConstant, "301"},
    {0, "SaveAsWindowsBMP", kIntegerConstant, "350"},
};

#define QV_GET(name, type, getter, word) \
    {0, name, type, RowFunction(getter), #getter, nullptr, nullptr, 0, word}
#define QV_GET_SET(name, type, getter, setter, word) \
    {0, name, type, RowFunction(getter), #getter, RowFunction(setter), #setter, 0, word}
#define QV_FOLDER(name, code) \
    {0, name, kSelf, RowFunction(folderFindFolder), "folderFindFolder", nullptr, nullptr, FourCharCode(code), 0}

// The Date and VirtualVolume types are filled in when the definition is built.
PropertyEntry kFolderItemProperties[] = {
    QV_GET("AbsolutePath", kString, fileAbsolutePathGetter, 0),
    QV_GET("Count", kInteger, fileCountGetter, 0),
    QV_GET_SET("Name", kString, fileNameGetter, fileNameSetter, 0),
    QV_GET("DisplayName", kString, FileDisplayNameGetter, 0),
    QV_GET("Length", kInteger, fileSizeGetter, 0),
    QV_GET("ResourceForkLength", kInteger, fileRFSizeGetter, kOtherPlatformRow),
    QV_GET_SET("ExtensionVisible", kBoolean, FileExtensionVisibleGetter, FileExtensionVisibleSetter,
               kOtherPlatformRow),
    QV_GET_SET("Locked", kBoolean, fileLockedGetter, fileLockedSetter, 0),
    QV_GET("Exists", kBoolean, fileExistsGetter, 0),
    QV_GET("Alias", kBoolean, fileAliasGetter, 0),
    QV_GET_SET("Visible", kBoolean, fileVisibleGetter, fileVisibleSetter, 0),
    QV_GET("Directory", kBoolean, fileDirectoryGetter, 0),
    QV_GET("Type", kString, fileTypeGetter, 0),
    QV_GET("Parent", kSelf, folderParentGetter, 0),
    QV_GET_SET("CreationDate", nullptr, folderGetCreation, folderSetCreation, 0),
    QV_GET_SET("ModificationDate", nullptr, folderGetModified, folderSetModified, 0),
    QV_GET_SET("MacType", kString, fileMacTypeGetter, fileMacTypeSetter, kOtherPlatformRow),
    QV_GET_SET("MacCreator", kString, fileMacCreatorGetter, fileMacCreatorSetter, kOtherPlatformRow),
    QV_FOLDER("DesktopFolder", "desk"),
    QV_FOLDER("TrashFolder", "trsh"),
    QV_FOLDER("SharedTrashFolder", "empt"),
    QV_FOLDER("TemporaryFolder", "temp"),
    QV_GET("VirtualVolume", nullptr, folderVirtVolGetter, 0),
    QV_GET("IsReadable", kBoolean, FolderItemIsCurrentlyReadable, 0),
    QV_GET("IsWriteable", kBoolean, FolderItemIsCurrentlyWriteable, 0),
    QV_GET_SET("LastErrorCode", kInteger, FolderItemGetLastError, FolderItemSetLastError, 0),
    QV_GET("MacVRefNum", kInteger, fileVRefNumGetter, kOtherPlatformRow),
    QV_GET("MacDirID", kInteger, fileDirIDGetter, kOtherPlatformRow),
    QV_GET("ShellPath", kString, FileShellPathGetter, 0),
    QV_GET("URLPath", kString, FileURLGetter, 0),
    QV_GET_SET("Group", kString, FolderItemGroupGetter, FolderItemGroupSetter, 0),
    QV_GET_SET("Owner", kString, FolderItemOwnerGetter, FolderItemOwnerSetter, 0),
};

#undef QV_FOLDER
#undef QV_GET_SET
#undef QV_GET

ParameterEntry Plain(const char* name, const TypeDescriptor* type) { return {name, type, 0, 0, 0, 0}; }
ParameterEntry Defaulted(const char* name, const TypeDescriptor* type, uintptr_t value) {
    return {name, type, 0, 1, value, 0};
}

ParameterEntry kPathCtorParameters[] = {Plain("Path", kString), Defaulted("pathMode", kInteger, 0)};
ParameterEntry kSourceParameter[] = {Plain("Source", kSelf)};
ParameterEntry kIndexParameter[] = {Plain("Index", kInteger)};
ParameterEntry kNameParameter[] = {Plain("Name", kString)};
ParameterEntry kReadWriteParameter[] = {Defaulted("ReadWrite", kBoolean, 0)};
ParameterEntry kTypeParameter[] = {Plain("Type", kString)};
// The EditField, Picture and Permissions types are filled in when the definition is built.
ParameterEntry kFieldParameter[] = {Plain("Field", nullptr)};
ParameterEntry kSaveAsPictureParameters[] = {Plain("Image", nullptr), Defaulted("Format", kInteger, 0)};
ParameterEntry kImageParameter[] = {Plain("Image", nullptr)};
ParameterEntry kActivateParameter[] = {Defaulted("Activate", kBoolean, 1)};
ParameterEntry kLaunchParameters[] = {Plain("Parameters", kString), Defaulted("Activate", kBoolean, 1)};
ParameterEntry kDestinationParameter[] = {Plain("Destination", kSelf)};
ParameterEntry kSaveInfoParameters[] = {Plain("RelativeTo", kSelf), Defaulted("Mode", kInteger, 0)};
ParameterEntry kSaveInfoText[] = {Plain("SaveInfo", kString)};
ParameterEntry kPermissionsObject[] = {Plain("perms", nullptr)};

template <size_t N>
MethodEntry Method(const char* name, const TypeDescriptor* result, ParameterEntry (&parameters)[N],
                   FunctionReference function, uint32_t word = 0) {
    return {name, result, parameters, static_cast<int32_t>(N), function, {}, kMethodPlain, 0, word};
}
MethodEntry Method(const char* name, const TypeDescriptor* result, FunctionReference function,
                   uint32_t word = 0) {
    return {name, result, nullptr, 0, function, {}, kMethodPlain, 0, word};
}

#define QV_FN(function) Function(function, #function)

// The stream, cursor, picture, sound, movie and volume result types are filled in when the
// definition is built.
MethodEntry kFolderItemMethods[] = {
    Method("Constructor", nullptr, QV_FN(FolderItemPathCtorNoParams)),
    Method("Constructor", nullptr, kPathCtorParameters, QV_FN(FolderItemPathCtor)),
    Method("Constructor", nullptr, kSourceParameter, QV_FN(FolderItemCopyCtor)),
    Method("Item", kSelf, kIndexParameter, QV_FN(FolderItemItem)),
    Method("TrueItem", kSelf, kIndexParameter, QV_FN(FolderItemTrueItem)),
    Method("Child", kSelf, kNameParameter, QV_FN(FolderChild)),
    Method("TrueChild", kSelf, kNameParameter, QV_FN(FolderTrueChild)),
    Method("OpenAsTextFile", nullptr, QV_FN(FolderItemOpenTextFile)),
    Method("AppendToTextFile", nullptr, QV_FN(FolderItemAppendTextFile)),
    Method("CreateTextFile", nullptr, QV_FN(FolderItemCreateTextFile)),
    Method("CreateVirtualVolume", nullptr, QV_FN(FolderItemCreateVirtualVolume)),
    Method("OpenAsVirtualVolume", nullptr, QV_FN(FolderItemOpenAsVirtualVolume)),
    Method("OpenAsBinaryFile", nullptr, kReadWriteParameter, QV_FN(FolderItemOpenBinaryFile)),
    Method("CreateBinaryFile", nullptr, kTypeParameter, QV_FN(FolderItemCreateBinaryFile)),
    Method("OpenResourceFork", nullptr, QV_FN(folderOpenResourceFork), kOtherPlatformRow),
    Method("CreateResourceFork", nullptr, kTypeParameter, QV_FN(folderCreateResourceFork),
           kOtherPlatformRow),
    Method("_OpenAsCursor", nullptr, QV_FN(FolderItemOpenAsCursor)),
    Method("_OpenAsIcons", nullptr, QV_FN(FolderItemOpenAsIcons)),
    Method("OpenAsPicture", nullptr, QV_FN(FolderItemOpenImage)),
    Method("OpenAsVectorPicture", nullptr, QV_FN(FolderItemOpenVectorImage)),
    Method("OpenAsSound", nullptr, QV_FN(FolderItemOpenSound)),
    Method("OpenAsMovie", nullptr, QV_FN(FolderItemOpenMovie)),
    Method("OpenResourceMovie", nullptr, kIndexParameter, QV_FN(FolderItemOpenResourceMovie),
           kOtherPlatformRow),
    Method("OpenStyledEditField", nullptr, kFieldParameter, QV_FN(FolderItemOpenStyledEditField)),
    Method("SaveStyledEditField", nullptr, kFieldParameter, QV_FN(FolderItemSaveStyledEditField)),
    Method("SaveAsPicture", nullptr, kSaveAsPictureParameters, QV_FN(FolderItemSaveAsPicture)),
    Method("SaveAsJPEG", nullptr, kImageParameter, QV_FN(FolderItemSaveAsJPEG)),
    Method("Delete", nullptr, QV_FN(FolderItemDelete)),
    Method("CreateAsFolder", nullptr, QV_FN(FolderItemCreateAsFolder)),
    Method("Launch", nullptr, kActivateParameter, QV_FN(FolderItemLaunch)),
    Method("Launch", nullptr, kLaunchParameters, QV_FN(FolderItemLaunchWithParameters)),
    Method("CopyFileTo", nullptr, kDestinationParameter, QV_FN(FolderItemCopyFileTo)),
    Method("MoveFileTo", nullptr, kDestinationParameter, QV_FN(FolderItemMoveFileTo)),
    Method("GetSaveInfo", kString, kSaveInfoParameters, QV_FN(FolderItemGetSaveInfo)),
    Method("GetRelative", kSelf, kSaveInfoText, QV_FN(FolderItemGetRelative)),
    Method("_MakeFileExecutable", nullptr, QV_FN(FolderItemImpMakeFileExecutable)),
    {"Permissions", kInteger, nullptr, 0, QV_FN(FolderItemGetPermissions),
     QV_FN(FolderItemSetPermissionsInteger), kMethodAssigns, 0, 0},
    {"Permissions", nullptr, kPermissionsObject, 1, QV_FN(FolderItemSetPermissionsClass), {},
     kMethodAssigns, 0, 0},
};

#undef QV_FN

ArrayType sPictureArrayType = {kTypeArray, nullptr, 1};

// The class types that exist only once their definition functions have run.
void FillClassTypes() {
    const TypeDescriptor* picture = GetPictureDefinition()->AsType();
    sPictureArrayType.elementType = picture;
    // Virtual volumes are typed Object until their class exists.
    const TypeDescriptor* volume = Object()->AsType();
    for (PropertyEntry& row : kFolderItemProperties) {
        if (row.getter == RowFunction(folderGetCreation) || row.getter == RowFunction(folderGetModified))
            row.type = GetDateDefinition()->AsType();
        if (row.getter == RowFunction(folderVirtVolGetter)) row.type = volume;
    }
    kFieldParameter[0].parameterType = GetEditFieldDefinition()->AsType();
    kSaveAsPictureParameters[0].parameterType = kImageParameter[0].parameterType = picture;
    kPermissionsObject[0].parameterType = GetPermissionsDefinition()->AsType();
    const struct {
        const void* function;
        const TypeDescriptor* type;
    } results[] = {
        {RowFunction(FolderItemOpenTextFile), GetTextInputStreamDefinition()->AsType()},
        {RowFunction(FolderItemAppendTextFile), GetTextOutputStreamDefinition()->AsType()},
        {RowFunction(FolderItemCreateTextFile), GetTextOutputStreamDefinition()->AsType()},
        {RowFunction(FolderItemOpenBinaryFile), GetBinaryStreamDefinition()->AsType()},
        {RowFunction(FolderItemCreateBinaryFile), GetBinaryStreamDefinition()->AsType()},
        {RowFunction(folderOpenResourceFork), GetResourceForkDefinition()->AsType()},
        {RowFunction(folderCreateResourceFork), GetResourceForkDefinition()->AsType()},
        {RowFunction(FolderItemOpenAsCursor), MouseCursor()->AsType()},
        {RowFunction(FolderItemOpenAsIcons), AsType(&sPictureArrayType)},
        {RowFunction(FolderItemOpenImage), picture},
        {RowFunction(FolderItemOpenVectorImage), picture},
        {RowFunction(FolderItemOpenSound), GetSoundDefinition()->AsType()},
        {RowFunction(FolderItemOpenMovie), GetMovieDefinition()->AsType()},
        {RowFunction(FolderItemOpenResourceMovie), GetMovieDefinition()->AsType()},
        {RowFunction(FolderItemCreateVirtualVolume), volume},
        {RowFunction(FolderItemOpenAsVirtualVolume), volume},
    };
    for (MethodEntry& row : kFolderItemMethods)
        for (const auto& result : results)
            if (row.function.toc == result.function) row.returnType = result.type;
}

const ClassRows kFolderItemRows = {
    .className = "FolderItem",
    .superclass = nullptr,
    .objectSize = sizeof(FolderItemObject),
    .finalizer = Function(FolderItemDestructor, "FolderItemDestructor"),
    .properties = kFolderItemProperties,
    .methods = kFolderItemMethods,
    .constants = kFolderItemConstants,
};

FolderItemObject* Fields(ObjectHeader* item) { return reinterpret_cast<FolderItemObject*>(item); }

// Absolute: the second character a colon (the first may take several bytes), or two backslashes
// first. Everything else, the empty path and "\name" included, is relative to the executable.
bool IsAbsolutePath(std::string_view utf8) {
    if (utf8.size() >= 2 && utf8[0] == '\\' && utf8[1] == '\\') return true;
    if (utf8.empty()) return false;
    const unsigned char lead = static_cast<unsigned char>(utf8[0]);
    const size_t first = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    return utf8.size() > first && utf8[first] == ':';
}

// The shell takes only paths that its second byte or its two first bytes make absolute.
bool IsAbsoluteShellPath(std::string_view utf8) {
    return utf8.size() >= 2 && (utf8[1] == ':' || (utf8[0] == '\\' && utf8[1] == '\\'));
}

// FolderItemFromPathMode, telling whether it raised.
ObjectHeader* ItemFromPathMode(const string& path, bool resolve, int32_t pathMode, bool* raised) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(path.CString());
    const size_t size = static_cast<size_t>(path.Length());
    if (pathMode == kPathTypeAbsolute && IsSaveInfoData(bytes, size))
        return NewFolderItemForImp(FolderItemImpFromSaveInfo(bytes, size, nullptr));
    const string utf8 = path.ToUTF8();
    const std::string_view text = TextView(utf8);
    // The system would cut such a path at its zero byte and name another item.
    if (text.find('\0') != std::string_view::npos) return nullptr;
    switch (pathMode) {
    case kPathTypeAbsolute: {
        ObjectHeader* item = CreateInstance(GetFolderItemDefinition());
        if (item && !SetFolderItemFromPath(item, path, resolve)) {
            RuntimeUnlockObject(item);
            return nullptr;
        }
        return item;
    }
    case kPathTypeShell:
        if (!IsAbsoluteShellPath(text)) {
            if (raised) *raised = true;
            RaiseExceptionWithMessage(UnsupportedFormatException(),
                                      string("Passing non-absolute shell paths is not currently supported"), 0);
            return nullptr;
        }
        return NewFolderItemForImp(FolderItemImpFromShellPath(utf8));
    case kPathTypeURL:
        return NewFolderItemForImp(FolderItemImpFromURLPath(utf8));
    default:
        return nullptr;
    }
}

}  // namespace

ObjectDefinition* GetFolderItemDefinition() {
    if (sDefinition.className.IsEmpty()) FillClassTypes();
    return FillClassDefinition(sDefinition, kFolderItemRows);
}

ObjectHeader* NewFolderItemForPath(const string& path) {
    return NewFolderItemForImp(new FolderItemImpWin32(path));
}

ObjectHeader* NewFolderItemForImp(FolderItemImp* imp) {
    if (!imp) return nullptr;
    ObjectHeader* item = CreateInstance(GetFolderItemDefinition());
    if (!item) {
        delete imp;
        return nullptr;
    }
    Fields(item)->mImp = imp;
    return item;
}

FolderItemImp* FolderItemImpOf(ObjectHeader* item) { return item ? Fields(item)->mImp : nullptr; }

bool SetFolderItemFromPath(ObjectHeader* item, const string& path, bool resolve) {
    FolderItemObject* fields = Fields(item);
    delete fields->mImp;
    fields->mImp = nullptr;
    const string utf8 = path.ToUTF8();
    bool failed = false;
    FolderItemImp* imp = new FolderItemImpWin32(utf8, !IsAbsolutePath(TextView(utf8)), false, &failed);
    fields->mImp = imp;
    if (failed) return false;
    if (resolve) {
        FolderItemImp* target = imp->ResolveAlias(kFollowShortcut);
        if (target && target != imp) {
            delete imp;
            fields->mImp = target;
        }
    }
    return true;
}

ObjectHeader* FolderItemFromPathMode(const string& path, bool resolve, int32_t pathMode) {
    return ItemFromPathMode(path, resolve, pathMode, nullptr);
}

extern "C" {

void FolderItemPathCtorNoParams(ObjectHeader* item) {
    if (item) SetFolderItemFromPath(item, string(), true);
}

// A relative shell path has raised already; the program's handler gets that one exception.
void FolderItemPathCtor(ObjectHeader* item, StringRecord* path, int32_t pathMode) {
    if (!item) return;
    bool raised = false;
    ObjectHeader* made = ItemFromPathMode(string(path), true, pathMode, &raised);
    if (!made) {
        if (!raised)
            RaiseExceptionWithMessage(UnsupportedFormatException(),
                                      string("The path passed into new FolderItem was invalid"), 0);
        return;
    }
    delete Fields(item)->mImp;
    Fields(item)->mImp = Fields(made)->mImp;
    Fields(made)->mImp = nullptr;
    RuntimeUnlockObject(made);
}

void FolderItemCopyCtor(ObjectHeader* item, ObjectHeader* source) {
    FolderItemImp* original = FolderItemImpOf(source);
    if (!item || !original) return RaiseNilObjectException();
    delete Fields(item)->mImp;
    Fields(item)->mImp = original->Clone();
}

ObjectHeader* FolderItemGetRelative(ObjectHeader* item, StringRecord* saveInfo) {
    FolderItemImp* imp = FolderItemImpOf(item);
    if (!imp) {
        RaiseNilObjectException();
        return nullptr;
    }
    const auto* bytes = reinterpret_cast<const uint8_t*>(StringRecord::CString(saveInfo));
    return NewFolderItemForImp(
        FolderItemImpFromSaveInfo(bytes, static_cast<size_t>(StringRecord::Length(saveInfo)), imp));
}

ObjectHeader* RuntimeGetFolderItem(StringRecord* path, int32_t pathMode) {
    return FolderItemFromPathMode(string(path), true, pathMode);
}

ObjectHeader* RuntimeGetTrueFolderItem(StringRecord* path, int32_t pathMode) {
    return FolderItemFromPathMode(string(path), false, pathMode);
}

// The file dialogs are not built yet: each ends all drawing, as the dialogs will, and answers nil.
ObjectHeader* RuntimeGetOpenFolderItem(StringRecord*) {
    EndAllDrawing();
    return nullptr;
}

ObjectHeader* RuntimeGetSaveFolderItem(StringRecord*, StringRecord*) {
    EndAllDrawing();
    return nullptr;
}

ObjectHeader* RuntimeSelectFolder() {
    EndAllDrawing();
    return nullptr;
}

FolderItemImp* FolderItemGetImp(ObjectHeader* item) { return FolderItemImpOf(item); }

StringRecord* QUORpathFromFolderItem(ObjectHeader* item) { return fileAbsolutePathGetter(item, 0); }

ObjectHeader* FolderItemFromPath(const char* path) {
    if (!path) return nullptr;
    string text;
    text.SetBytes(path, static_cast<int32_t>(std::strlen(path)));
    text.SetEncoding(kEncodingASCII);
    ObjectHeader* item = CreateInstance(GetFolderItemDefinition());
    if (item && !SetFolderItemFromPath(item, text, true)) {
        RuntimeUnlockObject(item);
        return nullptr;
    }
    return item;
}

void FolderItemPathToCString(char* buffer, ObjectHeader* item) {
    if (!buffer) return;
    buffer[0] = 0;
    FolderItemImp* imp = FolderItemImpOf(item);
    if (!imp) return;
    const string path = imp->GetAbsolutePath().ToUTF8();
    if (path.Length() >= kEnginePathBuffer) return;
    std::memcpy(buffer, path.CString(), static_cast<size_t>(path.Length()) + 1);
}

}  // extern "C"
