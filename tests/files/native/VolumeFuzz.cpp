// libFuzzer target: a mutated volume held in memory is opened, its whole tree walked and every
// file read, then a file is created and written into it. Nothing may crash, hang or leak.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "../VolumeTestKit.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    DiskImageStream disk(std::vector<unsigned char>(data, data + size));
    disk.BigEndian();
    VHFS volume(&disk, false);
    if (!volume.IsOpen()) return 0;
    std::string tree;
    const VHFSEntry root = volume.GetRootEntry();
    ListTree(volume, root, "", tree);
    const VHFSEntry made = volume.CreateEntry(root, "fuzz", kUnknownFileType);
    WriteEntryData(volume, made, data, size < 3000 ? size : 3000);
    tree.clear();
    ListTree(volume, root, "", tree);
    return 0;
}
