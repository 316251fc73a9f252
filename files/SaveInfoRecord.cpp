#include "SaveInfoRecord.h"

#include <initializer_list>

#include "RelativePath.h"

namespace {

constexpr char kMagic[4] = {'\x00', '\xF1', '\xD1', '\x73'};
constexpr uint8_t kVersion = 1;
constexpr size_t kHeaderSize = 6;
constexpr size_t kRecordHeaderSize = 6;

void AppendRecord(std::string& out, uint16_t tag, std::string_view data) {
    const auto length = static_cast<uint32_t>(data.size());
    const char header[kRecordHeaderSize] = {
        static_cast<char>(tag & 0xFF),           static_cast<char>(tag >> 8),
        static_cast<char>(length >> 24),         static_cast<char>((length >> 16) & 0xFF),
        static_cast<char>((length >> 8) & 0xFF), static_cast<char>(length & 0xFF),
    };
    out.append(header, sizeof header).append(data);
}

std::string_view UpToNul(std::string_view text) { return text.substr(0, text.find('\0')); }

}  // namespace

bool IsSaveInfoBytes(std::string_view data) {
    return data.size() >= sizeof kMagic && data.substr(0, sizeof kMagic) == std::string_view(kMagic, sizeof kMagic);
}

std::string WriteSaveInfo(int32_t mode, std::string_view relativePath, std::string_view absolutePath,
                          bool isRoot, bool sealed) {
    std::string out(kMagic, sizeof kMagic);
    out.push_back(static_cast<char>(kVersion));
    out.push_back(static_cast<char>(mode));
    if (mode == kSaveInfoDefaultMode || mode == kSaveInfoRelativeMode)
        AppendRecord(out, kSaveInfoRelativePathTag, UpToNul(relativePath));
    if (mode == kSaveInfoDefaultMode || mode == kSaveInfoAbsoluteMode)
        AppendRecord(out, kSaveInfoAbsolutePathTag, UpToNul(absolutePath));
    const char root = isRoot ? 1 : 0;
    const char seal = sealed ? 1 : 0;
    AppendRecord(out, kSaveInfoRootTag, std::string_view(&root, 1));
    AppendRecord(out, kSaveInfoSealedTag, std::string_view(&seal, 1));
    AppendRecord(out, kSaveInfoEndTag, std::string_view());
    return out;
}

SaveInfoReader::SaveInfoReader(std::string_view data) {
    if (!IsSaveInfoBytes(data) || data.size() < kHeaderSize) return;
    mValid = true;
    mMode = static_cast<uint8_t>(data[5]);
    mRest = data.substr(kHeaderSize);
}

bool SaveInfoReader::Next(SaveInfoRecord* record) {
    if (mRest.size() < kRecordHeaderSize) return false;
    const auto byte = [this](size_t at) { return static_cast<uint32_t>(static_cast<uint8_t>(mRest[at])); };
    const auto tag = static_cast<uint16_t>(byte(0) | byte(1) << 8);
    const uint32_t length = byte(2) << 24 | byte(3) << 16 | byte(4) << 8 | byte(5);
    if (tag == kSaveInfoEndTag || length > mRest.size() - kRecordHeaderSize) {
        mRest = std::string_view();
        return false;
    }
    record->tag = tag;
    record->data = mRest.substr(kRecordHeaderSize, length);
    mRest.remove_prefix(kRecordHeaderSize + length);
    return true;
}

bool ReadSaveInfo(std::string_view data, const SaveInfoBase* base, const SaveInfoPathExists& exists,
                  SaveInfoItem* item) {
    SaveInfoReader reader(data);
    if (!reader.Valid()) return false;
    const uint8_t mode = reader.Mode();
    *item = SaveInfoItem();
    // In mode 0 with a base: the two candidates, chosen between once every record is read.
    bool pathRead = false;
    std::string absolute, resolved;
    SaveInfoRecord record;
    while (reader.Next(&record)) {
        switch (record.tag) {
            case kSaveInfoAbsolutePathTag:
            case kSaveInfoRelativePathTag: {
                const bool relative = record.tag == kSaveInfoRelativePathTag;
                if (!base || mode == kSaveInfoAbsoluteMode) {
                    // Without a base only an absolute path names the item: a relative one would
                    // be taken against whatever the current folder is.
                    if (!relative) item->path.assign(record.data);
                } else if (mode == kSaveInfoRelativeMode) {
                    item->path = ResolveRelativePathText(record.data, base->absolutePath, base->isDirectory);
                    if (item->path.empty()) return false;
                } else if (mode == kSaveInfoDefaultMode) {
                    pathRead = true;
                    if (relative)
                        resolved = ResolveRelativePathText(record.data, base->absolutePath, base->isDirectory);
                    else
                        absolute.assign(record.data);
                }
                break;
            }
            case kSaveInfoRootTag:
                if (!record.data.empty()) item->isRoot = record.data[0] != 0;
                break;
            case kSaveInfoSealedTag:
                if (!record.data.empty()) item->sealed = record.data[0] != 0;
                break;
            default:
                break;
        }
    }
    if (base && mode == kSaveInfoDefaultMode && pathRead) {
        for (const std::string* candidate : {&resolved, &absolute}) {
            if (!candidate->empty() && exists(*candidate, item->isRoot)) {
                item->path = *candidate;
                return true;
            }
        }
        item->path = !resolved.empty() ? resolved : absolute;
    }
    return !item->path.empty();
}
