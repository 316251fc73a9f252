#include "FolderItem.h"

#include <cstddef>

#include "FolderItemImpWin32.h"
#include "core/DefinitionConversion.h"
#include "core/FailureReport.h"
#include "host/IntrinsicTypes.h"

namespace {

constexpr const char* kSource = "FolderItem";

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
    return NewFolderItemForImp(new FolderItemImpWin32(path));
}

ObjectHeader* NewFolderItemForImp(FolderItemImp* imp) {
    if (!imp) return nullptr;
    ObjectHeader* item = CreateInstance(GetFolderItemDefinition());
    if (!item) {
        delete imp;
        return nullptr;
    }
    reinterpret_cast<FolderItemObject*>(item)->mImp = imp;
    return item;
}

FolderItemImp* FolderItemImpOf(ObjectHeader* item) { return item ? Imp(item) : nullptr; }

extern "C" {

StringRecord* fileAbsolutePathGetter(ObjectHeader* item, int32_t) {
    FolderItemImp* imp = item ? Imp(item) : nullptr;
    return imp ? imp->GetAbsolutePath().Detach() : nullptr;
}

void FolderItemDestructor(ObjectHeader* item) {
    delete Imp(item);
    reinterpret_cast<FolderItemObject*>(item)->mImp = nullptr;
}

ObjectHeader* getTemporaryItemsFolder() {
    return NewFolderItemForImp(FolderItemImp::FindSpecialFolder(kTemporaryFolderCode));
}

ObjectHeader* getTemporaryFolderItem() { return NewFolderItemForImp(FolderItemImp::NewTemporaryFile()); }

ObjectHeader* FolderChild(ObjectHeader* folder, StringRecord* name) {
    FolderItemImp* imp = FolderItemImpOf(folder);
    if (!imp) {
        ReportAssertion(kSource, __LINE__, "entry->mImp");
        return nullptr;
    }
    return NewFolderItemForImp(imp->GetChild(string(name), kFollowShortcut));
}

void FolderItemDelete(ObjectHeader* item) {
    FolderItemImp* imp = FolderItemImpOf(item);
    if (!imp) return ReportAssertion(kSource, __LINE__, "entry->mImp");
    imp->Delete();
}

}  // extern "C"
