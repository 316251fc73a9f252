// SaveInfo data: the bytes that stand for a folder item, so that an application can store it and
// find the item again later, also relative to another item after both have moved. Free of the
// platform.
//
// Layout: the magic 00 F1 D1 73, a version byte (written as 1, never checked), the mode byte, then
// records until one with tag 0 or the end of the data. A record is a tag, 16-bit little-endian,
// a length n, 32-bit big-endian, and n bytes. Paths are UTF-8 without a terminating NUL.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// The modes: both paths, the relative one only, the absolute one only.
constexpr int32_t kSaveInfoDefaultMode = 0;
constexpr int32_t kSaveInfoRelativeMode = 1;
constexpr int32_t kSaveInfoAbsoluteMode = 2;

enum SaveInfoTag : uint16_t {
    kSaveInfoEndTag = 0,
    kSaveInfoAbsolutePathTag = 1,
    kSaveInfoRelativePathTag = 2,
    kSaveInfoRootTag = 3,    // one byte: the item is a drive or share root
    kSaveInfoSealedTag = 4,  // one byte: the item offers no children and no contents
};

// True when the data begins with the magic.
bool IsSaveInfoBytes(std::string_view data);

// The data of an item: in mode 0 its relative path then its absolute path, in mode 1 the
// relative path, in mode 2 the absolute path, in any other mode no path; then the root and
// sealed flags and the end record. Each path stops at its first NUL.
std::string WriteSaveInfo(int32_t mode, std::string_view relativePath, std::string_view absolutePath,
                          bool isRoot, bool sealed);

struct SaveInfoRecord {
    uint16_t tag;
    std::string_view data;
};

// Walks the records of SaveInfo data. A record is read only when its whole length is there: a
// cut-off record, like the end record or the end of the data, ends the walk.
class SaveInfoReader {
public:
    explicit SaveInfoReader(std::string_view data);
    // The magic and the mode byte are there.
    bool Valid() const { return mValid; }
    uint8_t Mode() const { return mMode; }
    bool Next(SaveInfoRecord* record);

private:
    std::string_view mRest;
    uint8_t mMode = 0;
    bool mValid = false;
};

// The item that SaveInfo data names.
struct SaveInfoItem {
    std::string path;
    bool isRoot = false;
    bool sealed = false;
};

// The item the base is given as: its absolute path and whether it is a folder.
struct SaveInfoBase {
    std::string_view absolutePath;
    bool isDirectory;
};

// Whether an item exists at a path (a root when isRoot).
using SaveInfoPathExists = std::function<bool(std::string_view path, bool isRoot)>;

// Reads the item that the data names, relative to base when one is given; false when it names
// none. A relative path is read only against a base, and a path that does not resolve gives no
// item in mode 1. In mode 0 with a base, the relative path is taken when its item exists, else
// the absolute path when its item exists, else the relative path, else the absolute one.
bool ReadSaveInfo(std::string_view data, const SaveInfoBase* base, const SaveInfoPathExists& exists,
                  SaveInfoItem* item);
