#include "FolderItemImpVirtual.h"

#include "FileType.h"
#include "VirtualVolumeClass.h"
#include "VolumeFileStream.h"
#include "core/FailureReport.h"

namespace {

constexpr const char* kSource = "FolderItemImpVirtual";
constexpr int kDeepestPath = 4096;

std::string_view Bytes(const string& text) {
    return std::string_view(text.CString(), static_cast<size_t>(text.Length()));
}

string EntryName(const VHFSEntry& entry) {
    string name;
    const std::string_view bytes = entry.Name();
    name.SetBytes(bytes.data(), static_cast<int32_t>(bytes.size()));
    name.SetEncoding(kEncodingASCII);
    return name;
}

const FolderItemImpVirtual* AsVirtual(const FolderItemImp* item) {
    return item && item->IsVirtual() ? static_cast<const FolderItemImpVirtual*>(item) : nullptr;
}

}  // namespace

FolderItemImpVirtual::FolderItemImpVirtual(ObjectHeader* volume, const VHFSEntry& root) : mVolume(volume) {
    RetainVolumeObject(mVolume);
    if (root.idnum != kRootDirectoryIDnum) {
        ReportAssertion(kSource, __LINE__, "0");
        return;
    }
    mResolved = true;
    mEntry = root;
    mName = EntryName(root);
}

FolderItemImpVirtual::FolderItemImpVirtual(ObjectHeader* volume, const string& name, const VHFSEntry& entry,
                                           bool resolved)
    : mVolume(volume), mName(name), mEntry(entry), mResolved(resolved) {
    RetainVolumeObject(mVolume);
}

FolderItemImpVirtual::~FolderItemImpVirtual() { ReleaseVolumeObject(mVolume); }

VHFS* FolderItemImpVirtual::Volume() const {
    VHFS* volume = VolumeVHFS(mVolume);
    return volume && volume->IsOpen() ? volume : nullptr;
}

VHFSEntry FolderItemImpVirtual::ResolveEntry() const {
    VHFS* volume = Volume();
    if (!volume) return VHFSEntry();
    if (mResolved) return mEntry;
    SimpleVector<VHFSEntry> children;
    if (!volume->ListFolder(mEntry, children)) return VHFSEntry();
    for (uint32_t i = 0; i < children.size(); ++i) {
        const VHFSEntry& child = children.mBuf[i];
        if (!child.IsEmpty() && string::CompareNoCase(EntryName(child), mName) == 0) return child;
    }
    return VHFSEntry();
}

bool FolderItemImpVirtual::Failed(const VHFSEntry& entry) {
    mLastError = entry.IsEmpty() ? kFileNotFound : kVolumeOperationFailed;
    return false;
}

FolderItemImp& FolderItemImpVirtual::Assign(const FolderItemImp& other) {
    const FolderItemImpVirtual* source = AsVirtual(&other);
    if (!source || source == this) return *this;
    if (source->mVolume != mVolume) {
        RetainVolumeObject(source->mVolume);
        ReleaseVolumeObject(mVolume);
        mVolume = source->mVolume;
    }
    mName = source->mName;
    mEntry = source->mEntry;
    mResolved = source->mResolved;
    return *this;
}

FolderItemImp* FolderItemImpVirtual::Clone() const {
    return new FolderItemImpVirtual(mVolume, mName, mEntry, mResolved);
}

bool FolderItemImpVirtual::Exists() const { return !ResolveEntry().IsEmpty(); }

bool FolderItemImpVirtual::IsDirectory() const { return ResolveEntry().IsFolder(); }

bool FolderItemImpVirtual::SetName(const string& name) {
    mLastError = kNoError;
    VHFSEntry entry = ResolveEntry();
    VHFS* volume = Volume();
    if (entry.IsEmpty() || !volume || name.IsEmpty() || !volume->RenameEntry(entry, Bytes(name)))
        return Failed(entry);
    mName = EntryName(entry);
    if (mResolved) mEntry = entry;
    return true;
}

string FolderItemImpVirtual::GetAbsolutePath() const {
    string path = mName;
    FolderItemImp* parent = GetParent();
    for (int depth = 0; parent && depth < kDeepestPath; ++depth) {
        string prefix = parent->GetName();
        prefix.AppendCString("/");
        prefix.Append(path);
        path = prefix;
        FolderItemImp* above = parent->GetParent();
        delete parent;
        parent = above;
    }
    delete parent;
    return path;
}

string FolderItemImpVirtual::GetType() const {
    return Exists() ? FileTypeNameForFile(mName) : string();
}

uint32_t FolderItemImpVirtual::GetMacType() const {
    const VHFSEntry entry = ResolveEntry();
    return entry.IsEmpty() ? FolderItemImp::GetMacType() : entry.type;
}

bool FolderItemImpVirtual::SetMacType(uint32_t code) {
    mLastError = kNoError;
    VHFSEntry entry = ResolveEntry();
    VHFS* volume = Volume();
    if (!entry.IsFile() || !volume || !volume->SetEntryType(entry, code)) return Failed(entry);
    return true;
}

double FolderItemImpVirtual::GetCreationDate() const {
    const VHFSEntry entry = ResolveEntry();
    return entry.IsEmpty() ? 0.0 : Volume()->GetEntryInfo(entry).creationDate;
}

double FolderItemImpVirtual::GetModificationDate() const {
    const VHFSEntry entry = ResolveEntry();
    return entry.IsEmpty() ? 0.0 : Volume()->GetEntryInfo(entry).modificationDate;
}

bool FolderItemImpVirtual::SetDate(bool creation, double seconds) {
    mLastError = kNoError;
    const VHFSEntry entry = ResolveEntry();
    if (!entry.IsFile()) return Failed(entry);
    VHFSEntryInfo info = Volume()->GetEntryInfo(entry);
    (creation ? info.creationDate : info.modificationDate) = seconds;
    return Volume()->SetEntryInfo(info) || Failed(entry);
}

bool FolderItemImpVirtual::SetCreationDate(double seconds) { return SetDate(true, seconds); }

bool FolderItemImpVirtual::SetModificationDate(double seconds) { return SetDate(false, seconds); }

int32_t FolderItemImpVirtual::GetMacDirID() const {
    if (!Exists()) return 0;
    return mResolved ? static_cast<int32_t>(kRootDirectoryIDnum) : static_cast<int32_t>(mEntry.idnum);
}

int32_t FolderItemImpVirtual::GetLength() const {
    const VHFSEntry entry = ResolveEntry();
    if (entry.IsEmpty()) return 0;
    const double length = Volume()->GetEntryInfo(entry).dataLength;
    if (!(length > 0)) return 0;
    return length >= 2147483647.0 ? 2147483647 : static_cast<int32_t>(length);
}

bool FolderItemImpVirtual::SetLength(int32_t length) {
    mLastError = kNoError;
    const VHFSEntry entry = ResolveEntry();
    if (!entry.IsFile() || length < 0) return Failed(entry);
    VHFSEntryInfo info = Volume()->GetEntryInfo(entry);
    info.dataLength = length;
    return Volume()->SetEntryInfo(info) || Failed(entry);
}

ByteStream* FolderItemImpVirtual::OpenStream(bool, bool, bool) {
    mLastError = kNoError;
    const VHFSEntry entry = ResolveEntry();
    VolumeFileStream* stream = entry.IsFile() ? Volume()->OpenEntryStream(entry) : nullptr;
    if (!stream) {
        Failed(entry);
        return nullptr;
    }
    stream->SetVolumeObject(mVolume);
    stream->SwapOn();
    stream->SetSwapDoubles(true);
    return stream;
}

FolderItemImp* FolderItemImpVirtual::GetParent() const {
    VHFS* volume = Volume();
    if (mResolved || !volume || mEntry.IsEmpty()) return nullptr;
    const VHFSEntry above = volume->GetParentEntry(mEntry);
    if (above.IsEmpty()) return new FolderItemImpVirtual(mVolume, EntryName(mEntry), mEntry, true);
    return new FolderItemImpVirtual(mVolume, EntryName(mEntry), above, false);
}

int32_t FolderItemImpVirtual::GetCount() const {
    const VHFSEntry entry = ResolveEntry();
    SimpleVector<VHFSEntry> children;
    if (!entry.IsFolder() || !Volume()->ListFolder(entry, children)) return 0;
    return static_cast<int32_t>(children.size());
}

FolderItemImp* FolderItemImpVirtual::GetItem(int32_t index, uint32_t) const {
    const VHFSEntry entry = ResolveEntry();
    SimpleVector<VHFSEntry> children;
    if (!entry.IsFolder() || !Volume()->ListFolder(entry, children) || index < 0 ||
        static_cast<uint32_t>(index) >= children.size())
        return nullptr;
    return new FolderItemImpVirtual(mVolume, EntryName(children.mBuf[index]), entry, false);
}

FolderItemImp* FolderItemImpVirtual::GetChild(const string& name, uint32_t) const {
    const VHFSEntry entry = ResolveEntry();
    if (!entry.IsFolder()) return nullptr;
    return new FolderItemImpVirtual(mVolume, name, entry, false);
}

bool FolderItemImpVirtual::CreateAsFolder() {
    mLastError = kNoError;
    VHFS* volume = Volume();
    if (!volume || Exists()) {
        mLastError = kVolumeOperationFailed;
        return false;
    }
    if (volume->CreateFolder(mEntry, Bytes(mName)).IsEmpty()) {
        mLastError = kVolumeOperationFailed;
        return false;
    }
    return true;
}

ByteStream* FolderItemImpVirtual::CreateStream(const string&) {
    mLastError = kNoError;
    VHFS* volume = Volume();
    VolumeFileStream* stream = nullptr;
    if (volume && !Exists()) {
        const VHFSEntry made = volume->CreateEntry(mEntry, Bytes(mName), kUnknownFileType);
        if (!made.IsEmpty()) stream = volume->OpenEntryStream(made);
    }
    if (!stream) {
        mLastError = kVolumeOperationFailed;
        return nullptr;
    }
    stream->SetVolumeObject(mVolume);
    return stream;
}

bool FolderItemImpVirtual::Delete() {
    mLastError = kNoError;
    const VHFSEntry entry = ResolveEntry();
    if (entry.IsEmpty() || !Volume()->DeleteEntry(entry)) return Failed(entry);
    return true;
}

bool FolderItemImpVirtual::MoveFileTo(FolderItemImp* destination) {
    mLastError = kNoError;
    VHFS* volume = Volume();
    if (!volume) return Failed(VHFSEntry());
    if (destination == this) return true;
    const FolderItemImpVirtual* target = AsVirtual(destination);
    if (!target || target->mVolume != mVolume) {
        if (!GenericCopyFileTo(*this, destination)) return false;
        return Delete();
    }
    VHFSEntry entry = ResolveEntry();
    if (entry.IsEmpty()) return Failed(entry);
    const VHFSEntry there = target->ResolveEntry();
    // Another item for this very file: moving it onto itself must not delete it.
    if (there.idnum == entry.idnum && !there.IsEmpty()) return true;
    if (there.IsFolder()) return volume->MoveEntry(entry, there) || Failed(entry);
    // Into the destination's folder under its name; the existing destination goes only once the
    // move is known to be possible.
    const VHFSEntry folder = target->mEntry;
    if (!folder.IsFolder() || volume->IsInside(folder, entry) || target->mName.IsEmpty()) return Failed(entry);
    if (!there.IsEmpty() && !volume->DeleteEntry(there)) return Failed(entry);
    if (!volume->MoveEntry(entry, folder) || !volume->RenameEntry(entry, Bytes(target->mName))) return Failed(entry);
    return true;
}
