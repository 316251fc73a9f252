#include "FileType.h"

#include <windows.h>
#include <shellapi.h>

#include <cstring>
#include <string>
#include <vector>

#include "FileTypeRules.h"
#include "PathMarshalling.h"
#include "core/FailureReport.h"
#include "core/Platform.h"
#include "core/EncodingConversion.h"

namespace {

FileType* sFileTypeList = nullptr;
constexpr uint32_t kUnknownCode = 0x3F3F3F3F;  // "????"

bool EndsWithNoCase(const string& text, const char* ending, int32_t endingLength) {
    if (endingLength > text.Length()) return false;
    string tail;
    tail.SetBytes(text.CString() + text.Length() - endingLength, endingLength);
    string wanted;
    wanted.SetBytes(ending, endingLength);
    return string::CompareNoCase(tail, wanted) == 0;
}

}  // namespace

int32_t FileType::MatchFileName(const string& fileName) const {
    const int32_t length = extensions.Length();
    if (length == 0) return 1;
    const char* text = extensions.CString();
    int32_t start = 0;
    for (int32_t i = 0; i <= length; ++i) {
        if (i < length && text[i] != ';') continue;
        if (EndsWithNoCase(fileName, text + start, i - start)) return 3;
        start = i + 1;
    }
    return 0;
}

FileType* FirstFileType() { return sFileTypeList; }

FileType* FindFileType(const string& name) {
    for (FileType* type = sFileTypeList; type; type = type->next)
        if (string::CompareNoCase(type->name, name) == 0) return type;
    return nullptr;
}

extern "C" FileType* RuntimeRegisterFileType(StringRecord* name, StringRecord* macType,
                                             StringRecord* macCreator, StringRecord* extensions) {
    FileType* added = new FileType(string(name), string(macType), string(macCreator),
                                   string(extensions));
    if (!sFileTypeList) {
        sFileTypeList = added;
        return added;
    }
    FileType* last = sFileTypeList;
    while (last->next) last = last->next;
    last->next = added;
    return last;
}

void FileType::GetCodes(uint32_t* typeCode, uint32_t* creatorCode) const {
    const auto code = [](const string& text) {
        if (text.IsEmpty()) return kUnknownCode;
        uint32_t value = 0x20202020;
        std::memcpy(&value, text.CString(), text.Length() < 4 ? text.Length() : 4);
        return value;
    };
    *typeCode = code(macType);
    *creatorCode = code(macCreator);
}

string FileTypeNameForFile(const string& fileName) {
    const FileType* best = nullptr;
    int32_t bestScore = 0;
    for (const FileType* type = sFileTypeList; type; type = type->next) {
        const int32_t score = type->MatchFileName(fileName);
        if (score > bestScore) {
            best = type;
            bestScore = score;
        }
    }
    if (best) return best->name;
    string empty;
    empty.SetEncoding(kEncodingASCII);
    return empty;
}

void ParseFileTypeList(const string& names, SimpleVector<FileType*>* types) {
    if (!types) {
        ReportAssertion("fileTypes", 999, "outTypeList");
        return;
    }
    types->mCount = 0;
    const std::string_view list = TextView(names);
    size_t position = 0;
    std::string_view name;
    while (NextTypeName(list, &position, &name))
        if (FileType* type = FindFileType(Utf8Text(std::string(name)))) types->push_back(type);
}

void BuildDialogFilter(const string& names, string* filter, string* defaultExtension) {
    std::vector<FileTypeFields> types;
    for (const FileType* type = sFileTypeList; type; type = type->next)
        types.push_back({TextView(type->name), TextView(type->extensions), TextView(type->macCreator)});
    std::string extension(TextView(*defaultExtension));
    const std::string text = BuildDialogFilterText(
        TextView(names), types,
        [](std::string_view a, std::string_view b) {
            return string::CompareNoCase(Utf8Text(std::string(a)), Utf8Text(std::string(b))) == 0;
        },
        &extension);
    *filter = text.empty() ? string() : Utf8Text(text);
    if (extension != TextView(*defaultExtension)) *defaultExtension = Utf8Text(extension);
}

bool ApplyFileExtension(string* name, const string& allowed, const string& extension, int32_t maximum) {
    std::string text(TextView(*name));
    if (!ApplyFileExtensionText(&text, TextView(allowed), TextView(extension), maximum)) return false;
    const uint32_t encoding = name->Encoding();
    string result;
    result.SetBytes(text.data(), static_cast<int32_t>(text.size()));
    result.SetEncoding(encoding);
    *name = result;
    return true;
}

extern "C" void RuntimeDeregisterFileType(StringRecord* name) {
    const string wanted(name);
    for (FileType** link = &sFileTypeList; *link; link = &(*link)->next) {
        if (string::CompareNoCase((*link)->name, wanted) != 0) continue;
        FileType* removed = *link;
        *link = removed->next;
        delete removed;
        return;
    }
}

