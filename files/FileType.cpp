#include "FileType.h"

namespace {

FileType* sFileTypeList = nullptr;

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
