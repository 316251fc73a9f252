// Native checks of the virtual-volume engine over in-memory disks: the golden bytes of new
// volumes, maps and streams, hand-built volumes of every version, the edge cases of chains,
// folders and streams, the repairs of stale maps and damaged files, and the model run.
// Built with the machine's own compiler under AddressSanitizer (run.sh).
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "../VolumeModel.h"
#include "../VolumeTestKit.h"
#include "NativeCheck.h"

extern std::string gLastDebugLog;
extern int gNativeFailureCount;
extern int gVolumeObjectReferences;

namespace {

using Bytes = std::vector<unsigned char>;

std::string Hex(const Bytes& bytes, size_t from = 0, size_t n = std::string::npos) {
    std::string out;
    char two[4];
    for (size_t i = from; i < bytes.size() && i - from < n; ++i) {
        std::snprintf(two, sizeof two, "%02x", bytes[i]);
        out += two;
    }
    return out;
}

bool Same(const Bytes& bytes, size_t at, const Bytes& expected) {
    return bytes.size() >= at + expected.size() && std::memcmp(bytes.data() + at, expected.data(), expected.size()) == 0;
}

Bytes Pattern(size_t n, unsigned seed) {
    Bytes bytes(n);
    for (size_t i = 0; i < n; ++i) bytes[i] = static_cast<unsigned char>((i * 31 + seed * 7 + (i >> 8)) & 0xFF);
    return bytes;
}

Bytes BlockHeader(uint32_t idnum, uint32_t index, double length, double next) {
    return ImageBuilder().U32(kBlockMagic).U32(idnum).U32(index).F64(length).F64(next).bytes;
}

// A new volume written into memory and closed, as its bytes.
Bytes NewVolumeBytes() {
    DiskImageStream disk;
    disk.BigEndian();
    delete VHFS::Create(&disk, false);
    return disk.bytes;
}

void CheckGoldenImages() {
    DiskImageStream disk;
    disk.BigEndian();
    VFSCore* core = VFSCore::Create(&disk, false);
    const Bytes expected = ImageBuilder()
                               .U32(0x56465376).U32(3)
                               .U32(0x426C6B53).U32(1).U32(0).F64(40.0).F64(0.0)
                               .U32(2).U32(0).U32(0x426C6B45).bytes;
    Check(core->IsOpen() && disk.bytes == expected, "new volume is 48 bytes", Hex(disk.bytes));
    Check(core->CreateFile() == 2 && disk.bytes.size() == 48 + 1024 &&
              Same(disk.bytes, 48, BlockHeader(2, 0, 1024.0, 0.0)),
          "the first file is idnum 2 in a block at 48", "");
    delete core;

    const Bytes image = NewVolumeBytes();
    Check(image.size() == 2096, "created and released volume is 2096 bytes", std::to_string(image.size()));
    Check(Same(image, 8, BlockHeader(1, 0, 40.0, 1072.0)) &&
              Same(image, 36, ImageBuilder().U32(3).U32(20).U32(kBlockTrailer).bytes),
          "metadata block: counter 3, map size 20, next block 1072", Hex(image, 8, 40));
    const Bytes rootHeader = ImageBuilder()
                                 .F64(4.0).U32(kFolderType).U32(0).F64(3786825600.0).F64(3786825600.0)
                                 .Text("/", 224).U32(0).bytes;
    Check(Same(image, 48, BlockHeader(2, 0, 1024.0, 0.0)) && Same(image, 76, rootHeader) &&
              Same(image, 1068, ImageBuilder().U32(kBlockTrailer).bytes),
          "root block and entry header", Hex(image, 48, 300));
    const Bytes map = ImageBuilder().U32(0x424D6170).U32(1).U32(48).U32(2).U32(0).bytes;
    Check(Same(image, 1072, BlockHeader(1, 1, 1024.0, 0.0)) && Same(image, 1100, map),
          "saved map in the metadata file's second block", Hex(image, 1072, 48));
    DiskImageStream reopened(image);
    reopened.BigEndian();
    {
        VHFS volume(&reopened, false);
        Check(volume.IsOpen() && gLastDebugLog == "The VirtualVolume contains a valid block map of size: 20",
              "reopened with a valid map", gLastDebugLog);
        Check(volume.Core()->Map().Count() == 1, "the saved map holds the root's block only", "");
    }

    BlockMap empty;
    unsigned char* bytes = nullptr;
    uint32_t size = empty.Serialize(bytes);
    Check(Bytes(bytes, bytes + size) == ImageBuilder().U32(0x424D6170).U32(0).bytes, "empty map image", "");
    GuardedDelete(bytes);
    BlockMap one;
    one.Add(0, 48, 0);
    size = one.Serialize(bytes);
    Check(Bytes(bytes, bytes + size) == ImageBuilder().U32(0x424D6170).U32(1).U32(48).U32(0).U32(0).bytes,
          "one free block image", Hex(Bytes(bytes, bytes + size)));
    GuardedDelete(bytes);
}

void CheckBlockMap() {
    BlockMap map;
    map.Add(2, 48, 0);
    map.Add(0, 1072, 0);
    map.Add(2, 2096, 1);
    Check(map.FreeCount() == 1, "one free block counted", "");
    map.SetOwner(48, 0, 0);
    Check(map.FreeCount() == 2, "freeing raises the free count", "");
    map.SetOwner(1072, 3, 0);
    Check(map.FreeCount() == 1, "owning lowers the free count", "");
    map.SetOwner(999, 0, 0);
    Check(map.FreeCount() == 1 && map.Count() == 3, "an unknown offset changes nothing", "");
    int32_t offset = 0;
    Check(map.Find(2, offset, 0, 1) == 2 && offset == 2096, "find by owner and index", "");
    Check(map.Find(0, offset, 5, 0) == -1 && offset == -1, "find from beyond the last entry", "");

    const struct {
        const char* what;
        Bytes image;
        bool valid;
    } parses[] = {
        {"wrong magic", ImageBuilder().U32(0x424D6171).U32(0).bytes, false},
        {"short image", Bytes{0x42, 0x4D, 0x61, 0x70}, false},
        {"count beyond the image", ImageBuilder().U32(0x424D6170).U32(2).U32(1).U32(2).U32(3).bytes, false},
        {"count that wraps 12n + 8", ImageBuilder().U32(0x424D6170).U32(0x15555556).U32(1).U32(2).U32(3).bytes, false},
        {"huge count", ImageBuilder().U32(0x424D6170).U32(0xFFFFFFFF).bytes, false},
        {"one entry", ImageBuilder().U32(0x424D6170).U32(1).U32(48).U32(2).U32(0).bytes, true},
        {"trailing bytes", ImageBuilder().U32(0x424D6170).U32(0).U32(7).bytes, true},
    };
    for (const auto& row : parses) {
        BlockMap parsed;
        const bool ok = parsed.Parse(row.image.data(), static_cast<uint32_t>(row.image.size()));
        Check(ok == row.valid && (ok || parsed.Count() == 0), "parse", row.what);
    }
}

// A volume in memory with an open core, for the chain checks.
struct CoreFixture {
    DiskImageStream disk;
    VFSCore* core;
    CoreFixture() {
        disk.BigEndian();
        core = VFSCore::Create(&disk, false);
    }
    ~CoreFixture() { delete core; }
};

void CheckChains() {
    {
        CoreFixture f;
        const uint32_t id = f.core->CreateFile();
        const int16_t h = f.core->OpenFile(id);
        unsigned char buffer[16] = {};
        double count = 10;
        Check(f.core->SeekFile(h, 990) && !f.core->ReadFile(h, count, buffer) && count == 2,
              "a read past the last block gives what it holds and fails", std::to_string(count));
        Check(f.core->SeekFile(h, 992) && !f.core->SeekFile(h, 993), "seek to the payload's end, not beyond", "");
        Check(!f.core->SeekFile(h, -1), "negative seek", "");
        const Bytes data = Pattern(1000, 1);
        Check(f.core->SeekFile(h, 0) && f.core->WriteFile(h, data.data(), 1000), "write 1000 bytes", "");
        Check(Same(f.disk.bytes, 48, BlockHeader(2, 0, 1024, 1072)) &&
                  Same(f.disk.bytes, 1072, BlockHeader(2, 1, 1024, 0)),
              "second block with index 1 linked from the first", Hex(f.disk.bytes, 48, 28));
        Bytes back(1000);
        count = 1000;
        Check(f.core->SeekFile(h, 0) && f.core->ReadFile(h, count, back.data()) && back == data,
              "read back across the blocks", "");
        Check(!f.core->DeleteFile(id), "an open file is not deleted", "");
        f.core->CloseFile(h);
        const size_t length = f.disk.bytes.size();
        Check(f.core->DeleteFile(id) && f.disk.bytes[48 + 7] == 0 && f.disk.bytes[1072 + 7] == 0,
              "deleting frees every block", "");
        const uint32_t next = f.core->CreateFile();
        Check(next == 3 && f.disk.bytes.size() == length && Same(f.disk.bytes, 48, BlockHeader(3, 0, 1024, 0)),
              "the next file reuses the first free block", Hex(f.disk.bytes, 48, 28));
        Check(f.core->OpenFile(id) == -1, "a deleted file does not open", "");
    }
    {
        CoreFixture f;
        const uint32_t id = f.core->CreateFile();
        int opened = 0;
        while (f.core->OpenFile(id) >= 0) ++opened;
        Check(opened == 0x7FFF, "the 32768th open fails", std::to_string(opened));
        f.core->CloseFile(100);
        Check(f.core->OpenFile(id) == 100 && f.core->OpenFile(id) == -1, "a closed slot is reused when the table is full", "");
    }
    {
        // Two handles at the end of the same full block: the second links after the first's block.
        CoreFixture f;
        const uint32_t id = f.core->CreateFile();
        const int16_t a = f.core->OpenFile(id);
        const int16_t b = f.core->OpenFile(id);
        const Bytes full = Pattern(992, 2);
        f.core->WriteFile(a, full.data(), 992);
        f.core->SeekFile(b, 992);
        const Bytes one = Pattern(10, 3), two = Pattern(10, 4);
        Check(f.core->WriteFile(a, one.data(), 10) && f.core->WriteFile(b, two.data(), 10),
              "two handles extend one file", "");
        Check(Same(f.disk.bytes, 48, BlockHeader(2, 0, 1024, 1072)) &&
                  Same(f.disk.bytes, 1072, BlockHeader(2, 1, 1024, 0)) && f.disk.bytes.size() == 2096,
              "one chain: no two blocks after the same block", Hex(f.disk.bytes, 1072, 28));
        Bytes back(10);
        double count = 10;
        f.core->SeekFile(a, 992);
        Check(f.core->ReadFile(a, count, back.data()) && back == two, "the later write is in the one block", "");
    }
    {
        // Versions: 4 refused; the typed values follow the version.
        Bytes image = NewVolumeBytes();
        image[7] = 4;
        DiskImageStream disk(image);
        disk.BigEndian();
        VFSCore core(&disk, false);
        Check(!core.IsOpen() && gLastDebugLog == "VFS volume format version is too advanced for me.",
              "version 4 is refused", gLastDebugLog);
        image[0] = 0x55;
        DiskImageStream bad(image);
        bad.BigEndian();
        VFSCore notVolume(&bad, false);
        Check(!notVolume.IsOpen() && gLastDebugLog == "Invalid magic code for VFS volume file.", "wrong magic", "");
    }
    {
        // A volume whose map was never saved is rebuilt from its blocks and saved.
        CoreFixture f;
        f.core->CreateFile();
        Bytes image = f.disk.bytes;
        DiskImageStream disk(image);
        disk.BigEndian();
        {
            VFSCore core(&disk, false);
            Check(core.IsOpen() && gLastDebugLog == "The VirtualVolume does not contain a valid block map" &&
                      core.Map().Count() == 3,
                  "map size 0 rebuilds the map", gLastDebugLog);
        }
        DiskImageStream again(disk.bytes);
        again.BigEndian();
        VFSCore core(&again, false);
        Check(gLastDebugLog.rfind("The VirtualVolume contains a valid block map of size: ", 0) == 0,
              "the rebuilt map was saved", gLastDebugLog);
    }
}

// Hand-built volumes of versions 1 and 2: a root listing one text file.
Bytes HandBuiltVolume(uint32_t version) {
    const bool bigDoubles = version != 1;
    const bool bigValues = version >= 3;
    const Bytes metadata = ImageBuilder().U32(4).U32(0).bytes;
    const Bytes root = ImageBuilder()
                           .F64(8.0, bigValues).U32(kFolderType, bigValues).U32(0, bigValues)
                           .F64(100.0, bigValues).F64(200.0, bigValues).Text("/", 224)
                           .U32(1, bigValues).U32(3, bigValues).bytes;
    ImageBuilder file;
    file.F64(5.0, bigValues).U32(0x54455854, bigValues).U32(2, bigValues).F64(300.0, bigValues)
        .F64(400.0, bigValues).Text("hello.txt", 224);
    for (char c : std::string("hello")) file.bytes.push_back(static_cast<unsigned char>(c));
    return ImageBuilder()
        .U32(0x56465376).U32(version)
        .Block(1, 0, 40.0, 0.0, metadata, bigDoubles)
        .Block(2, 0, 1024.0, 0.0, root, bigDoubles)
        .Block(3, 0, 1024.0, 0.0, file.bytes, bigDoubles)
        .bytes;
}

void CheckVersions() {
    for (uint32_t version : {1u, 2u, 3u}) {
        const std::string label = "version " + std::to_string(version);
        DiskImageStream disk(HandBuiltVolume(version));
        disk.BigEndian();
        VHFS volume(&disk, false);
        const VHFSEntry root = volume.GetRootEntry();
        const VHFSEntry file = FindChild(volume, root, "hello.txt");
        const VHFSEntryInfo info = volume.GetEntryInfo(file);
        const Bytes data = ReadEntryData(volume, file);
        Check(volume.IsOpen() && root.Name() == "/" && file.type == 0x54455854 && info.dataLength == 5.0 &&
                  info.creationDate == 300.0 && info.modificationDate == 400.0 &&
                  std::string(data.begin(), data.end()) == "hello",
              "hand-built volume read", label);
        // Writing keeps the volume's own byte orders.
        const VHFSEntry added = volume.CreateEntry(root, "more", kUnknownFileType);
        Check(WriteEntryData(volume, added, "abc", 3) && ReadEntryData(volume, added) == Bytes{'a', 'b', 'c'},
              "write into an old volume", label);
        const VHFSEntry again = FindChild(volume, root, "more");
        Check(again.idnum == 4 && volume.GetParentEntry(again).idnum == 2, "new entry in an old volume", label);
    }
}

struct VolumeFixture {
    DiskImageStream disk;
    VHFS* volume;
    VHFSEntry root;
    VolumeFixture() {
        disk.BigEndian();
        volume = VHFS::Create(&disk, false);
        root = volume->GetRootEntry();
    }
    ~VolumeFixture() { delete volume; }
    VHFSEntry File(const char* name, const VHFSEntry* folder = nullptr) {
        return volume->CreateEntry(folder ? *folder : root, name, kUnknownFileType);
    }
    std::string Names(const VHFSEntry* folder = nullptr) {
        std::string out;
        for (const std::string& n : ChildNames(*volume, folder ? *folder : root)) out += n + ",";
        return out;
    }
};

void CheckFolders() {
    // A disk whose first writes fail holds no volume with a root.
    for (int64_t allowed : {0, 1, 4, 5, 6, 7}) {
        DiskImageStream disk;
        disk.BigEndian();
        disk.writesLeft = allowed;
        VHFS* volume = VHFS::Create(&disk, false);
        Check(!volume->GetRootEntry().IsFolder(), "no root when the first writes fail", std::to_string(allowed));
        delete volume;
    }
    {
        VolumeFixture f;
        Check(f.root.IsFolder() && f.root.Name() == "/" && f.Names().empty() &&
                  f.volume->GetParentEntry(f.root).IsEmpty(),
              "a new volume has only the root", "");
        const VHFSEntry a = f.File("a");
        f.File("b");
        Check(f.Names() == "a,b,", "a, b listed", f.Names());
        Check(f.volume->DeleteEntry(a) && f.Names() == "b,", "a deleted", f.Names());
        f.File("c");
        Check(f.Names() == "b,c,", "c after b", f.Names());
    }
    {
        VolumeFixture f;
        const VHFSEntry a = f.File("a");
        f.File("b");
        f.File("c");
        Check(f.volume->GetEntryInfo(f.root).dataLength == 16.0, "three additions: length 16", "");
        Check(f.volume->RemoveFromFolder(a, f.root) && f.Names() == "c,b,", "c takes a's slot", f.Names());
        Check(f.volume->GetEntryInfo(f.root).dataLength == 16.0, "removal keeps the length", "");
        Check(!f.volume->RemoveFromFolder(a, f.root) && f.Names() == "c,b,", "removing an unlisted child fails",
              f.Names());
    }
    {
        VolumeFixture f;
        const struct {
            const char* what;
            std::string name;
            uint32_t type;
            bool made;
        } creates[] = {
            {"folder type through CreateEntry", "x", kFolderType, false},
            {"type 0", "x", 0, false},
            {"empty name", "", kUnknownFileType, false},
            {"300-byte name", std::string(300, 'n'), kUnknownFileType, true},
            {"one-byte name", "q", 0x54455854, true},
        };
        for (const auto& row : creates) {
            const VHFSEntry made = f.volume->CreateEntry(f.root, row.name, row.type);
            Check(made.IsEmpty() != row.made, "create", row.what);
        }
        Check(FindChild(*f.volume, f.root, std::string(223, 'n')).IsFile(), "a long name keeps 223 bytes", "");
        VHFSEntry file = FindChild(*f.volume, f.root, "q");
        Check(!f.volume->CreateEntry(file, "x", kUnknownFileType).IsFile(), "no entries inside a file", "");
        const VHFSEntry sibling = f.File("sib");
        Check(f.volume->RenameEntry(file, "sib") && f.Names().find("sib,sib,") != std::string::npos,
              "renaming onto a sibling's name succeeds here", f.Names());
        Check(f.volume->SetEntryType(file, 0x50494354) && file.type == 0x50494354 &&
                  !f.volume->SetEntryType(file, kFolderType),
              "set type", "");
        (void)sibling;
    }
    {
        VolumeFixture f;
        const VHFSEntry folder = f.volume->CreateFolder(f.root, "dir");
        const VHFSEntry inner = f.volume->CreateFolder(folder, "inner");
        const VHFSEntry file = f.File("f", &inner);
        Check(folder.IsFolder() && !f.volume->DeleteEntry(folder) && !f.volume->DeleteEntry(f.root),
              "a folder with a child and the root are not deleted", "");
        Check(!f.volume->MoveEntry(folder, folder) && !f.volume->MoveEntry(folder, inner) &&
                  f.Names() == "dir," && f.Names(&folder) == "inner,",
              "a folder does not move into itself or below itself", f.Names());
        Check(f.volume->MoveEntry(file, f.root) && f.Names() == "dir,f," && f.Names(&inner).empty() &&
                  f.volume->GetParentEntry(file).idnum == 2,
              "a file moves to the root", f.Names());
        Check(f.volume->MoveEntry(inner, f.root) && f.volume->DeleteEntry(folder) && f.Names() == "inner,f,",
              "an emptied folder is deleted", f.Names());
        VolumeFileStream* stream = f.volume->OpenEntryStream(file);
        Check(!f.volume->DeleteEntry(file) && f.Names() == "inner,f,", "a file with an open stream stays", "");
        delete stream;
        Check(f.volume->DeleteEntry(file) && f.Names() == "inner,", "deleted after the stream closed", "");
        Check(f.volume->OpenEntryStream(inner) == nullptr, "no stream over a folder", "");
    }
}

void CheckStreams() {
    VolumeFixture f;
    const VHFSEntry file = f.File("data");
    VolumeFileStream* stream = f.volume->OpenEntryStream(file);
    Check(stream->SetPosition(736) && !stream->SetPosition(737) && stream->Position() == 736,
          "736 is the highest position of a new file", "");
    stream->SetPosition(0);
    const Bytes data = Pattern(2000, 5);
    Check(stream->Write(data.data(), 2000) && stream->Length() == 2000, "write 2000 bytes", "");
    Check(stream->Close() && !stream->Close(), "close once", "");
    delete stream;
    Check(f.volume->GetEntryInfo(file).dataLength == 2000.0, "data length 2000 in the header", "");
    const Bytes& disk = f.disk.bytes;
    const double second = 2096, third = 3120;
    Check(Same(disk, 1072, BlockHeader(3, 0, 1024, second)) && Same(disk, 2096, BlockHeader(3, 1, 1024, third)) &&
              Same(disk, 3120, BlockHeader(3, 2, 1024, 0)) && Same(disk, 1072 + 28 + 256, Bytes(data.begin(), data.begin() + 736)) &&
              Same(disk, 3120 + 28, Bytes(data.end() - 272, data.end())),
          "2000 bytes over three blocks: 736, 992 and the last 272", Hex(disk, 1072, 28));

    stream = f.volume->OpenEntryStream(file);
    unsigned char buffer[100];
    int32_t count = -1;
    Check(stream->SetPosition(1990) && stream->Read(buffer, 100, &count) && count == 10 &&
              std::memcmp(buffer, data.data() + 1990, 10) == 0,
          "read past the end gives the last 10 bytes", std::to_string(count));
    Check(stream->Read(buffer, 100, &count) && count == 0 && stream->EOF(), "then 0 bytes at the end", "");
    Check(stream->SetPosition(2500) && stream->Read(buffer, 5, &count) && count == 0 && stream->Position() == 2500,
          "a position past the length reads nothing", "");
    Check(!stream->SetPosition(-1), "negative position", "");
    Check(stream->SetLength(10), "set length", "");
    delete stream;
    Check(f.volume->GetEntryInfo(file).dataLength == 10.0 && ReadEntryData(*f.volume, file).size() == 10 &&
              disk.size() == 4144,
          "the length is cut, the blocks stay", "");

    // Writing, flushing and writing again continues at the stream's position.
    stream = f.volume->OpenEntryStream(file);
    stream->SetPosition(10);
    stream->Write("abc", 3);
    stream->Flush();
    stream->Write("def", 3);
    delete stream;
    const Bytes back = ReadEntryData(*f.volume, file);
    Check(back.size() == 16 && std::string(back.begin() + 10, back.end()) == "abcdef" &&
              std::equal(back.begin(), back.begin() + 10, data.begin()),
          "flush keeps the position", Hex(back));

    // Streams on one file share their length: no close writes back a shorter one.
    for (int order = 0; order < 2; ++order) {
        const VHFSEntry shared = f.File(order ? "s1" : "s0");
        VolumeFileStream* longer = f.volume->OpenEntryStream(shared);
        VolumeFileStream* shorter = f.volume->OpenEntryStream(shared);
        const Bytes hundred = Pattern(100, 9);
        longer->Write(hundred.data(), 100);
        shorter->Write("xy", 2);
        Check(shorter->Length() == 100, "the length is shared", "");
        if (order) std::swap(longer, shorter);
        delete longer;
        delete shorter;
        Check(f.volume->GetEntryInfo(shared).dataLength == 100.0, "the longer length survives either close",
              std::to_string(order));
    }

    // Failed transfers leave an error code; a closed stream fails.
    stream = f.volume->OpenEntryStream(file);
    f.disk.readOnly = true;
    Check(!stream->Write("zz", 2) && stream->LastError() != 0, "a refused disk write shows", "");
    f.disk.readOnly = false;
    stream->Close();
    Check(!stream->Read(buffer, 1, &count) && stream->LastError() != 0, "a closed stream fails", "");
    delete stream;
}

// A stale saved map after a crash must neither hand a live block to another file nor open a
// deleted file at another file's block; a rebuild finds a chain that reused a lower block.
void CheckStaleMaps() {
    DiskImageStream disk;
    disk.BigEndian();
    VHFS* volume = VHFS::Create(&disk, false);
    VHFSEntry root = volume->GetRootEntry();
    volume->Core()->Flush();
    const VHFSEntry early = volume->CreateEntry(root, "early", kUnknownFileType);  // at 2096
    const VHFSEntry spare = volume->CreateEntry(root, "spare", kUnknownFileType);  // at 3120
    const VHFSEntry later = volume->CreateEntry(root, "later", kUnknownFileType);  // at 4144
    const Bytes longData = Pattern(1500, 11);
    WriteEntryData(*volume, later, longData.data(), 700);
    volume->DeleteEntry(spare);
    volume->Core()->Flush();  // saved: early owns 2096, 3120 is free
    volume->DeleteEntry(early);
    const VHFSEntry taker = volume->CreateEntry(root, "taker", kUnknownFileType);
    const Bytes takerData = Pattern(300, 12);
    WriteEntryData(*volume, taker, takerData.data(), takerData.size());
    WriteEntryData(*volume, later, longData.data(), longData.size());
    Check(Same(disk.bytes, 2096, BlockHeader(taker.idnum, 0, 1024, 0)) &&
              Same(disk.bytes, 3120, BlockHeader(later.idnum, 1, 1024, 0)),
          "fixture: taker reused early's block, later's chain reused a lower block", Hex(disk.bytes, 3120, 28));
    const Bytes crashed = disk.bytes;
    delete volume;

    for (int path = 0; path < 2; ++path) {
        DiskImageStream copy(crashed);
        copy.BigEndian();
        VHFS reopened(&copy, false);
        root = reopened.GetRootEntry();
        if (path == 0) {
            Check(reopened.Core()->OpenFile(early.idnum) == -1, "a deleted file does not open at a reused block", "");
        } else {
            const VHFSEntry fresh = reopened.CreateEntry(root, "fresh", kUnknownFileType);
            const Bytes freshData = Pattern(3000, 13);
            WriteEntryData(reopened, fresh, freshData.data(), freshData.size());
            Check(ReadEntryData(reopened, fresh) == freshData, "a new file after the crash", "");
        }
        Check(ReadEntryData(reopened, FindChild(reopened, root, "taker")) == takerData &&
                  ReadEntryData(reopened, FindChild(reopened, root, "later")) == longData,
              "a stale map hands out no live block", std::to_string(path));
    }

    Bytes damaged = crashed;
    damaged[1100] ^= 0xFF;  // the saved map's magic
    DiskImageStream rebuilt(damaged);
    rebuilt.BigEndian();
    VHFS again(&rebuilt, false);
    root = again.GetRootEntry();
    Check(gLastDebugLog == "The VirtualVolume does not contain a valid block map" &&
              ReadEntryData(again, FindChild(again, root, "taker")) == takerData &&
              ReadEntryData(again, FindChild(again, root, "later")) == longData,
          "a rebuilt map starts every file at its first block", gLastDebugLog);
}

// Damaged volumes open or fail their operations; none crashes or hangs.
void WalkEverything(std::vector<unsigned char> image) {
    DiskImageStream disk(std::move(image));
    disk.BigEndian();
    VHFS volume(&disk, false);
    if (!volume.IsOpen()) return;
    std::string tree;
    ListTree(volume, volume.GetRootEntry(), "", tree);
    const VHFSEntry made = volume.CreateEntry(volume.GetRootEntry(), "new", kUnknownFileType);
    WriteEntryData(volume, made, "after", 5);
    tree.clear();
    ListTree(volume, volume.GetRootEntry(), "", tree);
}

void CheckDamagedVolumes() {
    Bytes small;
    {
        DiskImageStream disk;
        disk.BigEndian();
        VHFS* volume = VHFS::Create(&disk, false);
        const VHFSEntry root = volume->GetRootEntry();
        const VHFSEntry folder = volume->CreateFolder(root, "f");
        const Bytes data = Pattern(1200, 3);
        WriteEntryData(*volume, volume->CreateEntry(folder, "x", kUnknownFileType), data.data(), data.size());
        WriteEntryData(*volume, volume->CreateEntry(root, "y", kUnknownFileType), "y", 1);
        delete volume;
        small = disk.bytes;
    }
    const int before = gNativeFailureCount;
    for (size_t n = 0; n < small.size(); ++n) WalkEverything(Bytes(small.begin(), small.begin() + n));

    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        const char* what;
        size_t at;
        Bytes bytes;
    } damages[] = {
        {"metadata length zero", 20, ImageBuilder().F64(0).bytes},
        {"metadata length NaN", 20, ImageBuilder().F64(nan).bytes},
        {"metadata length negative", 20, ImageBuilder().F64(-1024).bytes},
        {"root length zero", 60, ImageBuilder().F64(0).bytes},
        {"root length NaN", 60, ImageBuilder().F64(nan).bytes},
        {"root length huge", 60, ImageBuilder().F64(1e300).bytes},
        {"root links to itself", 68, ImageBuilder().F64(48).bytes},
        {"root links to the metadata", 68, ImageBuilder().F64(8).bytes},
        {"root links to a negative offset", 68, ImageBuilder().F64(-48).bytes},
        {"root links to NaN", 68, ImageBuilder().F64(nan).bytes},
        {"root magic wrong", 48, ImageBuilder().U32(0x426C6B54).bytes},
        {"root trailer wrong", 1068, ImageBuilder().U32(0).bytes},
        {"map size huge", 40, ImageBuilder().U32(0xFFFFFFF0).bytes},
        {"map count huge", 1104, ImageBuilder().U32(0x7FFFFFFF).bytes},
        {"map count wrapping", 1104, ImageBuilder().U32(0x15555556).bytes},
        {"counter 0", 36, ImageBuilder().U32(0).bytes},
        {"counter 1", 36, ImageBuilder().U32(1).bytes},
        {"root child count huge", 76 + 256, ImageBuilder().U32(0x40000000).bytes},
        {"root data length NaN", 76, ImageBuilder().F64(nan).bytes},
        {"root data length huge", 76, ImageBuilder().F64(1e300).bytes},
        {"root type not a folder", 84, ImageBuilder().U32(0x3F3F3F3F).bytes},
        {"root parent is itself", 88, ImageBuilder().U32(2).bytes},
        {"root lists itself", 76 + 260, ImageBuilder().U32(2).bytes},
    };
    for (const auto& row : damages) {
        Bytes image = small;
        std::memcpy(image.data() + row.at, row.bytes.data(), row.bytes.size());
        WalkEverything(image);
    }
    // Chain cycles in a file's later blocks: every block of the image points back to the first.
    Bytes cyclic = small;
    for (size_t at = 1072; at + 1024 <= cyclic.size(); at += 1024)
        std::memcpy(cyclic.data() + at + 20, ImageBuilder().F64(1072).bytes.data(), 8);
    WalkEverything(cyclic);
    std::printf("damaged volumes: %d failed assertions reported, none fatal\n", gNativeFailureCount - before);
}

}  // namespace

// Writes volumes of every version, each with the listing of its tree as the engine reads it, for
// the independent decoder (tools/qvv-dump.py) to agree with.
void ExportVolumes(const std::string& folder) {
    std::vector<std::pair<std::string, Bytes>> volumes;
    volumes.emplace_back("version1", HandBuiltVolume(1));
    volumes.emplace_back("version2", HandBuiltVolume(2));
    {
        DiskImageStream disk;
        disk.BigEndian();
        VHFS* volume = VHFS::Create(&disk, false);
        const VHFSEntry root = volume->GetRootEntry();
        const VHFSEntry docs = volume->CreateFolder(root, "docs");
        const VHFSEntry deep = volume->CreateFolder(docs, "deeper");
        const Bytes big = Pattern(3000, 21);
        WriteEntryData(*volume, volume->CreateEntry(deep, "big.bin", kUnknownFileType), big.data(), big.size());
        WriteEntryData(*volume, volume->CreateEntry(docs, "note.txt", kUnknownFileType), "a note", 6);
        volume->DeleteEntry(volume->CreateEntry(root, "gone", kUnknownFileType));
        volume->CreateFolder(root, "empty");
        WriteEntryData(*volume, volume->CreateEntry(root, std::string(240, 'L'), kUnknownFileType), "long", 4);
        delete volume;
        volumes.emplace_back("folders", disk.bytes);
    }
    {
        DiskImageStream disk;
        RunVolumeModel(disk, 3, 1500, 500);
        volumes.emplace_back("model", disk.bytes);
    }
    for (const auto& [name, bytes] : volumes) {
        DiskImageStream disk(bytes);
        disk.BigEndian();
        std::string listing;
        {
            VHFS volume(&disk, false);
            ListTree(volume, volume.GetRootEntry(), "", listing);
        }
        FILE* file = std::fopen((folder + "/" + name + ".qvv").c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
        file = std::fopen((folder + "/" + name + ".list").c_str(), "w");
        std::fputs(listing.c_str(), file);
        std::fclose(file);
    }
}

// Arguments: the model run's steps (10000), and "model" to run the model alone; or "export" and
// a folder.
int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "export") {
        ExportVolumes(argv[2]);
        return 0;
    }
    if (argc < 3 || std::string(argv[2]) != "model") {
        CheckGoldenImages();
        CheckBlockMap();
        CheckChains();
        CheckVersions();
        CheckFolders();
        CheckStreams();
        CheckStaleMaps();
        CheckDamagedVolumes();
    }
    const int steps = argc > 1 ? std::atoi(argv[1]) : 10000;
    for (unsigned seed : {1u, 2u}) {
        DiskImageStream disk;
        const std::string failure = RunVolumeModel(disk, seed, steps, 300);
        Check(failure.empty(), "model run", failure);
    }
    Check(gVolumeObjectReferences == 0, "volume object references balance", "");
    if (failures == 0) std::printf("virtual volume checks passed\n");
    return failures == 0 ? 0 : 1;
}
