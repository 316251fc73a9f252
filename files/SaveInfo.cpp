#include "SaveInfo.h"

#include "FolderItemImpWin32.h"
#include "PathMarshalling.h"
#include "RelativePath.h"
#include "SaveInfoRecord.h"
#include "core/FailureReport.h"

bool IsSaveInfoData(const uint8_t* data, size_t size) {
    return data && IsSaveInfoBytes(std::string_view(reinterpret_cast<const char*>(data), size));
}

FolderItemImp* FolderItemImpFromSaveInfo(const uint8_t* data, size_t size, FolderItemImp* relativeTo) {
    if (!IsSaveInfoData(data, size)) return nullptr;
    string baseText;
    SaveInfoBase base{};
    if (relativeTo) {
        baseText = relativeTo->GetAbsolutePath().ToUTF8();
        base = {TextView(baseText), relativeTo->IsDirectory()};
    }
    const auto exists = [](std::string_view path, bool isRoot) {
        const FolderItemImpWin32* probe = FolderItemImpWin32::WithStoredPath(Utf8Text(std::string(path)), isRoot, false);
        const bool found = probe->Exists();
        delete probe;
        return found;
    };
    SaveInfoItem item;
    if (!ReadSaveInfo(std::string_view(reinterpret_cast<const char*>(data), size), relativeTo ? &base : nullptr,
                      exists, &item))
        return nullptr;
    return FolderItemImpWin32::WithStoredPath(Utf8Text(item.path), item.isRoot, item.sealed);
}

string MakeRelativePath(const FolderItemImpWin32& item, const FolderItemImp& base) {
    const string basePath = base.GetAbsolutePath().ToUTF8();
    bool unforeseen = false;
    const std::string relative = MakeRelativePathText(TextView(item.Path()), item.IsDirectory(), TextView(basePath),
                                                      base.IsDirectory(), &unforeseen);
    if (unforeseen)
        ReportAssertion("SaveInfo", __LINE__, "i < h",
                        "While trying to construct a SaveInfo string, we hit a case noone thought of when "
                        "getting the relative path.");
    return Utf8Text(relative);
}

string ResolveRelativePath(const string& relativePath, const FolderItemImp* base) {
    if (!base) {
        ReportAssertion("SaveInfo", __LINE__, "relFold",
                        "We're trying to get a path relative to a nil folder item when constructing from a "
                        "SaveInfo string.");
        return string();
    }
    const string text = relativePath.ToUTF8();
    const string basePath = base->GetAbsolutePath().ToUTF8();
    return Utf8Text(ResolveRelativePathText(TextView(text), TextView(basePath), base->IsDirectory()));
}

string FolderItemImpWin32::GetSaveInfo(const FolderItemImp* relativeTo, int32_t mode) const {
    if (!relativeTo) mode = kSaveInfoAbsoluteMode;
    const string relative =
        relativeTo && (mode == kSaveInfoDefaultMode || mode == kSaveInfoRelativeMode) ? MakeRelativePath(*this, *relativeTo)
                                                                                       : string();
    const std::string bytes = WriteSaveInfo(mode, TextView(relative), TextView(mPath), mIsRoot, mSealed);
    string data;
    data.SetBytes(bytes.data(), static_cast<int32_t>(bytes.size()));
    data.SetEncoding(kEncodingUnknown);
    return data;
}

FolderItemImpWin32* FolderItemImpWin32::WithStoredPath(const string& path, bool isRoot, bool sealed) {
    auto* item = new FolderItemImpWin32;
    item->mPath = path.ToUTF8();
    item->mIsRoot = isRoot;
    item->mSealed = sealed;
    return item;
}
