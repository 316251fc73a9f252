#include "VHFS.h"

#include <cstring>

#include "VolumeFileStream.h"
#include "core/FailureReport.h"
#include "core/SmallBlockAllocator.h"

namespace {

constexpr const char* kSource = "VHFS";
constexpr int32_t kTypeOffset = 8;
constexpr int32_t kParentOffset = 12;
constexpr int32_t kDatesOffset = 16;
constexpr int32_t kChildCountOffset = 256;

// The byte order of values inside volume files: big-endian from version 3 on.
struct ValueOrder {
    bool big;

    void Arrange(unsigned char* bytes, int n) const {
        if (!big) return;
        for (int i = 0; i < n / 2; ++i) {
            const unsigned char t = bytes[i];
            bytes[i] = bytes[n - 1 - i];
            bytes[n - 1 - i] = t;
        }
    }
    uint32_t Word(const unsigned char* at) const {
        unsigned char bytes[4];
        std::memcpy(bytes, at, 4);
        Arrange(bytes, 4);
        uint32_t value;
        std::memcpy(&value, bytes, 4);
        return value;
    }
    double Double(const unsigned char* at) const {
        unsigned char bytes[8];
        std::memcpy(bytes, at, 8);
        Arrange(bytes, 8);
        double value;
        std::memcpy(&value, bytes, 8);
        return value;
    }
    void PutWord(unsigned char* at, uint32_t value) const {
        std::memcpy(at, &value, 4);
        Arrange(at, 4);
    }
    void PutDouble(unsigned char* at, double value) const {
        std::memcpy(at, &value, 8);
        Arrange(at, 8);
    }
};

// A volume file open for the length of one operation.
class OpenVolumeFile {
public:
    OpenVolumeFile(VFSCore* core, uint32_t idnum) : mCore(core), mHandle(core->OpenFile(idnum)) {}
    ~OpenVolumeFile() {
        if (mHandle >= 0) mCore->CloseFile(mHandle);
    }
    OpenVolumeFile(const OpenVolumeFile&) = delete;
    OpenVolumeFile& operator=(const OpenVolumeFile&) = delete;

    bool IsOpen() const { return mHandle >= 0; }
    int16_t Handle() const { return mHandle; }
    bool ReadAt(double offset, void* buffer, int32_t count) {
        double got = count;
        return mCore->SeekFile(mHandle, offset) && mCore->ReadFile(mHandle, got, buffer) && got == count;
    }
    bool WriteAt(double offset, const void* buffer, int32_t count) {
        return mCore->SeekFile(mHandle, offset) && mCore->WriteFile(mHandle, buffer, count);
    }

private:
    VFSCore* mCore;
    int16_t mHandle;
};

}  // namespace

void VHFSEntry::SetName(std::string_view text) {
    size_t n = 0;
    while (n < text.size() && n < kMaxEntryNameBytes && text[n] != 0) ++n;
    std::memcpy(name, text.data(), n);
    std::memset(name + n, 0, sizeof name - n);
}

VHFS* VHFS::Create(ByteStream* disk, bool ownsDisk) {
    VFSCore* core = VFSCore::Create(disk, ownsDisk);
    if (!core) return nullptr;
    auto* volume = new VHFS();
    volume->mCore = core;
    const uint32_t idnum = core->CreateFile();
    if (idnum != kRootDirectoryIDnum) {
        ReportAssertion(kSource, __LINE__, "kRootDirectoryIDnum == idnum");
        return volume;
    }
    const ValueOrder order{core->Version() >= 3};
    unsigned char header[kEntryHeaderSize + 4] = {};
    const double now = VolumeCurrentSeconds();
    order.PutDouble(header, 4.0);
    order.PutWord(header + kTypeOffset, kFolderType);
    order.PutDouble(header + kDatesOffset, now);
    order.PutDouble(header + kDatesOffset + 8, now);
    header[kEntryNameOffset] = '/';
    OpenVolumeFile root(core, idnum);
    if (root.IsOpen()) root.WriteAt(0, header, sizeof header);
    return volume;
}

VHFS::VHFS(ByteStream* disk, bool ownsDisk) : mCore(new VFSCore(disk, ownsDisk)) {}

VHFS::~VHFS() { delete mCore; }

VHFSEntry VHFS::GetRootEntry() {
    VHFSEntry root;
    if (!IsOpen()) return root;
    root.idnum = kRootDirectoryIDnum;
    LoadEntry(root);
    return root;
}

void VHFS::LoadEntry(VHFSEntry& entry) {
    if (!IsOpen()) return;
    OpenVolumeFile file(mCore, entry.idnum);
    unsigned char header[kEntryHeaderSize];
    if (!file.IsOpen() || !file.ReadAt(0, header, kEntryHeaderSize)) return;
    entry.type = ValueOrder{mCore->Version() >= 3}.Word(header + kTypeOffset);
    char name[kEntryNameField + 1] = {};
    std::memcpy(name, header + kEntryNameOffset, kEntryNameField);
    entry.SetName(name);
}

uint32_t VHFS::ParentIDnum(uint32_t idnum) {
    OpenVolumeFile file(mCore, idnum);
    unsigned char word[4];
    if (!file.IsOpen() || !file.ReadAt(kParentOffset, word, 4)) return 0;
    return ValueOrder{mCore->Version() >= 3}.Word(word);
}

VHFSEntry VHFS::GetParentEntry(const VHFSEntry& entry) {
    VHFSEntry parent;
    if (!IsOpen()) return parent;
    parent.idnum = ParentIDnum(entry.idnum);
    if (parent.idnum != 0) LoadEntry(parent);
    return parent;
}

bool VHFS::ReadChildCount(int16_t handle, uint32_t& count) {
    unsigned char header[kTypeOffset + 4];
    unsigned char word[4];
    double n = sizeof header;
    double m = 4;
    if (!mCore->SeekFile(handle, 0) || !mCore->ReadFile(handle, n, header) ||
        !mCore->SeekFile(handle, kChildCountOffset) || !mCore->ReadFile(handle, m, word))
        return false;
    const ValueOrder order{mCore->Version() >= 3};
    if (order.Word(header + kTypeOffset) != kFolderType) return false;
    count = order.Word(word);
    // The data length bounds the count, and the disk bounds both, whatever they say.
    const double dataLength = order.Double(header);
    const double diskLength = mCore->Disk()->Length();
    if (!(count <= dataLength / 4) || count > diskLength / 4) {
        ReportAssertion(kSource, __LINE__, "0");
        count = 0;
    }
    return true;
}

bool VHFS::ListFolder(const VHFSEntry& folder, SimpleVector<VHFSEntry>& children) {
    children = SimpleVector<VHFSEntry>();
    if (!IsOpen() || !folder.IsFolder()) return false;
    uint32_t count = 0;
    unsigned char* ids = nullptr;
    {
        OpenVolumeFile file(mCore, folder.idnum);
        if (!file.IsOpen() || !ReadChildCount(file.Handle(), count)) return false;
        if (count == 0) return true;
        // A damaged count asks for more than any folder file holds.
        const int32_t bytes = ByteCountOf(count, 4);
        if (bytes < 0) return false;
        ids = static_cast<unsigned char*>(GuardedNew(static_cast<size_t>(bytes)));
        if (!file.ReadAt(kChildCountOffset + 4, ids, bytes)) {
            GuardedDelete(ids);
            return false;
        }
    }
    const ValueOrder order{mCore->Version() >= 3};
    children.set_capacity(count);
    for (uint32_t i = 0; i < count; ++i) {
        VHFSEntry child;
        child.idnum = order.Word(ids + 4 * i);
        LoadEntry(child);
        children.push_back(child);
    }
    GuardedDelete(ids);
    return true;
}

VHFSEntry VHFS::CreateEntry(const VHFSEntry& folder, std::string_view name, uint32_t type) {
    if (type == 0 || type == kFolderType) return VHFSEntry();
    return MakeEntry(folder, name, type);
}

VHFSEntry VHFS::CreateFolder(const VHFSEntry& folder, std::string_view name) {
    return MakeEntry(folder, name, kFolderType);
}

// The whole header (and a folder's empty list) goes in one write before the parent lists the
// entry, so no half-made entry is ever reachable.
VHFSEntry VHFS::MakeEntry(const VHFSEntry& folder, std::string_view name, uint32_t type) {
    if (!IsOpen() || !folder.IsFolder() || name.empty() || name[0] == 0) return VHFSEntry();
    {
        OpenVolumeFile parent(mCore, folder.idnum);
        unsigned char word[4];
        if (!parent.IsOpen() || !parent.ReadAt(kTypeOffset, word, 4) ||
            ValueOrder{mCore->Version() >= 3}.Word(word) != kFolderType)
            return VHFSEntry();
    }
    const uint32_t idnum = mCore->CreateFile();
    if (idnum == 0) return VHFSEntry();
    VHFSEntry entry;
    entry.idnum = idnum;
    entry.type = type;
    entry.SetName(name);
    const ValueOrder order{mCore->Version() >= 3};
    unsigned char header[kEntryHeaderSize + 4] = {};
    const double now = VolumeCurrentSeconds();
    const bool isFolder = type == kFolderType;
    order.PutDouble(header, isFolder ? 4.0 : 0.0);
    order.PutWord(header + kTypeOffset, type);
    order.PutWord(header + kParentOffset, folder.idnum);
    order.PutDouble(header + kDatesOffset, now);
    order.PutDouble(header + kDatesOffset + 8, now);
    std::memcpy(header + kEntryNameOffset, entry.name, kEntryNameField);
    bool written;
    {
        OpenVolumeFile file(mCore, idnum);
        written = file.IsOpen() && file.WriteAt(0, header, isFolder ? kEntryHeaderSize + 4 : kEntryHeaderSize);
    }
    if (!written || !AddToFolder(entry, folder)) {
        mCore->DeleteFile(idnum);
        return VHFSEntry();
    }
    return entry;
}

bool VHFS::AddToFolder(const VHFSEntry& child, const VHFSEntry& folder) {
    if (!IsOpen() || child.IsEmpty() || !folder.IsFolder()) return false;
    OpenVolumeFile file(mCore, folder.idnum);
    uint32_t count = 0;
    if (!file.IsOpen() || !ReadChildCount(file.Handle(), count)) return false;
    ++count;
    const ValueOrder order{mCore->Version() >= 3};
    unsigned char word[4];
    unsigned char length[8];
    order.PutWord(word, child.idnum);
    order.PutDouble(length, 4.0 + 4.0 * count);
    // The slot, then the length that covers it, then the count: a crash between them leaves the
    // folder as it was.
    bool ok = file.WriteAt(kChildCountOffset + 4.0 * count, word, 4);
    ok = file.WriteAt(0, length, 8) && ok;
    order.PutWord(word, count);
    ok = file.WriteAt(kChildCountOffset, word, 4) && ok;
    return ok;
}

bool VHFS::RemoveFromFolder(const VHFSEntry& child, const VHFSEntry& folder) {
    if (!IsOpen()) return false;
    OpenVolumeFile file(mCore, folder.idnum);
    uint32_t count = 0;
    if (!file.IsOpen() || !ReadChildCount(file.Handle(), count) || count == 0) return false;
    const int32_t bytes = ByteCountOf(count, 4);
    if (bytes < 0) return false;
    auto* ids = static_cast<unsigned char*>(GuardedNew(static_cast<size_t>(bytes)));
    bool ok = file.ReadAt(kChildCountOffset + 4, ids, bytes);
    const ValueOrder order{mCore->Version() >= 3};
    uint32_t slot = count;
    for (uint32_t i = 0; ok && i < count; ++i)
        if (order.Word(ids + 4 * i) == child.idnum) {
            slot = i;
            break;
        }
    ok = ok && slot < count;
    if (ok && slot != count - 1) ok = file.WriteAt(kChildCountOffset + 4 + 4.0 * slot, ids + 4 * (count - 1), 4);
    GuardedDelete(ids);
    if (!ok) return false;
    unsigned char word[4];
    order.PutWord(word, count - 1);
    return file.WriteAt(kChildCountOffset, word, 4);
}

bool VHFS::DeleteEntry(const VHFSEntry& entry) {
    if (!IsOpen() || entry.IsEmpty() || entry.idnum == kRootDirectoryIDnum) return false;
    if (entry.IsFolder()) {
        SimpleVector<VHFSEntry> children;
        if (!ListFolder(entry, children) || children.size() != 0) return false;
    }
    const VHFSEntry parent = GetParentEntry(entry);
    if (!parent.IsFolder() || mCore->IsFileOpen(entry.idnum)) return false;
    // Unlisted first: a failure in between leaves unreachable blocks, never a listed freed file.
    if (!RemoveFromFolder(entry, parent)) return false;
    if (!mCore->DeleteFile(entry.idnum)) {
        AddToFolder(entry, parent);
        return false;
    }
    return true;
}

bool VHFS::MoveEntry(const VHFSEntry& entry, const VHFSEntry& folder) {
    if (!IsOpen() || entry.IsEmpty() || !folder.IsFolder() || entry.idnum == kRootDirectoryIDnum)
        return false;
    const uint32_t parentIDnum = ParentIDnum(entry.idnum);
    if (parentIDnum == 0) return false;
    if (parentIDnum == folder.idnum) return true;
    if (IsInside(folder, entry)) return false;
    VHFSEntry parent;
    parent.idnum = parentIDnum;
    LoadEntry(parent);
    if (!parent.IsFolder()) return false;
    // Listed in the new folder before it leaves the old one, so a failure never loses it.
    if (!AddToFolder(entry, folder)) return false;
    unsigned char word[4];
    ValueOrder{mCore->Version() >= 3}.PutWord(word, folder.idnum);
    bool written;
    {
        OpenVolumeFile file(mCore, entry.idnum);
        written = file.IsOpen() && file.WriteAt(kParentOffset, word, 4);
    }
    if (!written) {
        RemoveFromFolder(entry, folder);
        return false;
    }
    return RemoveFromFolder(entry, parent);
}

bool VHFS::IsInside(const VHFSEntry& folder, const VHFSEntry& entry) {
    if (!IsOpen()) return false;
    // Bounded, for parents that damage has joined into a cycle.
    uint32_t above = folder.idnum;
    for (double steps = mCore->Disk()->Length() / 32 + 2; above != 0 && steps > 0; --steps) {
        if (above == entry.idnum) return true;
        above = ParentIDnum(above);
    }
    return false;
}

bool VHFS::WriteName(int16_t handle, std::string_view name) {
    VHFSEntry named;
    named.SetName(name);
    return mCore->SeekFile(handle, kEntryNameOffset) && mCore->WriteFile(handle, named.name, kEntryNameField);
}

bool VHFS::RenameEntry(VHFSEntry& entry, std::string_view name) {
    if (!IsOpen() || entry.IsEmpty()) return false;
    OpenVolumeFile file(mCore, entry.idnum);
    if (!file.IsOpen() || !WriteName(file.Handle(), name)) return false;
    entry.SetName(name);
    return true;
}

bool VHFS::SetEntryType(VHFSEntry& entry, uint32_t type) {
    if (!IsOpen() || !entry.IsFile() || type == 0 || type == kFolderType) return false;
    OpenVolumeFile file(mCore, entry.idnum);
    if (!file.IsOpen() || !mCore->SeekFile(file.Handle(), kTypeOffset) || !mCore->WriteUInt32(file.Handle(), type))
        return false;
    entry.type = type;
    return true;
}

VHFSEntryInfo VHFS::GetEntryInfo(const VHFSEntry& entry) {
    VHFSEntryInfo info;
    info.entry = entry;
    if (!IsOpen()) return info;
    OpenVolumeFile file(mCore, entry.idnum);
    unsigned char header[kDatesOffset + 16];
    if (!file.IsOpen() || !file.ReadAt(0, header, sizeof header)) return info;
    const ValueOrder order{mCore->Version() >= 3};
    info.dataLength = order.Double(header);
    info.creationDate = order.Double(header + kDatesOffset);
    info.modificationDate = order.Double(header + kDatesOffset + 8);
    return info;
}

bool VHFS::SetEntryInfo(const VHFSEntryInfo& info) {
    if (!IsOpen() || info.entry.IsEmpty()) return false;
    OpenVolumeFile file(mCore, info.entry.idnum);
    const int16_t h = file.Handle();
    return file.IsOpen() && mCore->SeekFile(h, 0) && mCore->WriteDouble(h, info.dataLength) &&
           mCore->SeekFile(h, kDatesOffset) && mCore->WriteDouble(h, info.creationDate) &&
           mCore->WriteDouble(h, info.modificationDate);
}

VolumeFileStream* VHFS::OpenEntryStream(const VHFSEntry& entry) {
    if (!IsOpen() || !entry.IsFile()) return nullptr;
    const int16_t handle = mCore->OpenFile(entry.idnum);
    if (handle < 0) return nullptr;
    double stored = 0;
    if (!mCore->ReadDouble(handle, stored) || !mCore->SeekFile(handle, kEntryHeaderSize)) {
        mCore->CloseFile(handle);
        return nullptr;
    }
    // Damaged lengths (negative, NaN, beyond 32 bits) become the nearest meaningful one.
    int32_t length = 0;
    if (stored >= 2147483647.0)
        length = 2147483647;
    else if (stored > 0)
        length = static_cast<int32_t>(stored);
    return new VolumeFileStream(mCore, handle, entry.idnum, length);
}
