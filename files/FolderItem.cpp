#include "FolderItem.h"

#include <cstddef>

#include "core/DefinitionConversion.h"
#include "host/IntrinsicTypes.h"

namespace {

FolderItemImp* Imp(ObjectHeader* item) { return reinterpret_cast<FolderItemObject*>(item)->mImp; }

PropertyEntry kFolderItemProperties[] = {
    {0, "AbsolutePath", AsType(&kStringType), RowFunction(fileAbsolutePathGetter),
     "fileAbsolutePathGetter", nullptr, nullptr, 0, 0},
};

const ClassRows kFolderItemRows = {
    .className = "FolderItem",
    .superclass = nullptr,
    .objectSize = sizeof(FolderItemObject),
    .finalizer = Function(FolderItemDestructor, "FolderItemDestructor"),
    .properties = kFolderItemProperties,
};

}  // namespace

ObjectDefinition* GetFolderItemDefinition() {
    static ObjectDefinition definition;
    return FillClassDefinition(definition, kFolderItemRows);
}

ObjectHeader* NewFolderItemForPath(const string& path) {
    ObjectHeader* item = CreateInstance(GetFolderItemDefinition());
    if (item) reinterpret_cast<FolderItemObject*>(item)->mImp = new FolderItemImpWin32(path);
    return item;
}

extern "C" {

StringRecord* fileAbsolutePathGetter(ObjectHeader* item, int32_t) {
    FolderItemImp* imp = item ? Imp(item) : nullptr;
    return imp ? imp->GetAbsolutePath().Detach() : nullptr;
}

void FolderItemDestructor(ObjectHeader* item) {
    delete Imp(item);
    reinterpret_cast<FolderItemObject*>(item)->mImp = nullptr;
}

}  // extern "C"
