// libFuzzer target over the SaveInfo reader: any bytes, read without a base and against a folder
// and a file, must be walked within their bounds and give either no item or one with a path; an
// item read without a base must come back the same through the writer.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "files/SaveInfoRecord.h"

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    const std::string_view data(reinterpret_cast<const char*>(bytes), size);
    SaveInfoReader reader(data);
    SaveInfoRecord record;
    while (reader.Next(&record))
        Require(record.data.data() >= data.data() && record.data.data() + record.data.size() <= data.data() + size);

    // Existence alternates with the path's length, so that both of mode 0's choices are taken.
    const SaveInfoPathExists exists = [](std::string_view path, bool) { return path.size() % 2 == 0; };
    const SaveInfoBase bases[] = {{"D:\\a\\b\\c\\", true}, {"\\\\server\\share\\doc.txt", false}, {"", false}};
    for (const SaveInfoBase& base : bases) {
        SaveInfoItem item;
        if (ReadSaveInfo(data, &base, exists, &item)) Require(!item.path.empty());
    }
    SaveInfoItem item;
    if (ReadSaveInfo(data, nullptr, exists, &item)) {
        Require(!item.path.empty());
        SaveInfoItem again;
        const bool read = ReadSaveInfo(WriteSaveInfo(kSaveInfoAbsoluteMode, "", item.path, item.isRoot, item.sealed),
                                       nullptr, exists, &again);
        // The writer stops a path at its first NUL.
        const std::string written = item.path.substr(0, item.path.find('\0'));
        Require(read == !written.empty());
        Require(!read || (again.path == written && again.isRoot == item.isRoot && again.sealed == item.sealed));
    }
    return 0;
}
