#include "FolderItemImp.h"

#include <string>
#include <vector>

FolderItemImp& FolderItemImp::Assign(const FolderItemImp&) { return *this; }

FolderItemImp* FolderItemImp::Clone() const {
    FolderItemImp* copy = new FolderItemImp;
    copy->Assign(*this);
    return copy;
}

bool FolderItemImp::Exists() const { return false; }
bool FolderItemImp::IsAlias() const { return false; }
bool FolderItemImp::IsDirectory() const { return false; }
bool FolderItemImp::IsVirtual() const { return false; }
bool FolderItemImp::IsTrash() const { return false; }
string FolderItemImp::GetName() const { return string(); }
bool FolderItemImp::SetName(const string&) { return false; }
string FolderItemImp::GetAbsolutePath() const { return GetName(); }
string FolderItemImp::GetDisplayName() const { return GetName(); }
bool FolderItemImp::SetDisplayName(const string& name) { return SetName(name); }
bool FolderItemImp::GetExtensionVisible() const { return true; }
bool FolderItemImp::SetExtensionVisible(bool) { return false; }
int32_t FolderItemImp::GetPermissions() const { return 0; }
bool FolderItemImp::SetPermissions(int32_t) { return false; }
bool FolderItemImp::SetOwner(const string&) { return false; }
string FolderItemImp::GetOwner() const { return string(); }
bool FolderItemImp::SetGroup(const string&) { return false; }
string FolderItemImp::GetGroup() const { return string(); }
bool FolderItemImp::GetVisible() const { return true; }
bool FolderItemImp::SetVisible(bool) { return false; }
bool FolderItemImp::GetLocked() const { return false; }
bool FolderItemImp::SetLocked(bool) { return false; }
string FolderItemImp::GetType() const { return string(); }
string FolderItemImp::GetSaveInfo(const FolderItemImp*, int32_t) const { return string(); }
string FolderItemImp::GetShellPath() const { return GetAbsolutePath(); }
string FolderItemImp::GetURLPath() const { return GenericURLPath(*this); }
uint32_t FolderItemImp::GetMacType() const { return kUnknownOSType; }
bool FolderItemImp::SetMacType(uint32_t) { return false; }
uint32_t FolderItemImp::GetMacCreator() const { return kUnknownOSType; }
bool FolderItemImp::SetMacCreator(uint32_t) { return false; }
double FolderItemImp::GetCreationDate() const { return 0.0; }
bool FolderItemImp::SetCreationDate(double) { return false; }
double FolderItemImp::GetModificationDate() const { return GetCreationDate(); }
bool FolderItemImp::SetModificationDate(double) { return false; }
int32_t FolderItemImp::GetMacVRefNum() const { return 0; }
int32_t FolderItemImp::GetMacDirID() const { return 0; }
int32_t FolderItemImp::GetNumericTag() const { return -1; }
bool FolderItemImp::SetNumericTag(int32_t) { return false; }
bool FolderItemImp::IsReadable() const { return true; }
int32_t FolderItemImp::GetLength() const { return 0; }
bool FolderItemImp::SetLength(int32_t) { return false; }
int32_t FolderItemImp::GetResourceForkLength() const { return 0; }
ByteStream* FolderItemImp::OpenStream(bool, bool, bool) { return nullptr; }
int32_t FolderItemImp::ReservedNumber() const { return -1; }
FolderItemImp* FolderItemImp::GetParent() const { return nullptr; }
FolderItemImp* FolderItemImp::FindFolder(uint32_t) const { return nullptr; }
int32_t FolderItemImp::GetCount() const { return 0; }
FolderItemImp* FolderItemImp::GetItem(int32_t, uint32_t) const { return nullptr; }
FolderItemImp* FolderItemImp::GetChild(const string&, uint32_t) const { return nullptr; }
FolderItemImp* FolderItemImp::ResolveAlias(uint32_t) { return this; }
void FolderItemImp::RevealInShell() {}
void FolderItemImp::MakeFileExecutable() {}
bool FolderItemImp::CreateAsFolder() { return false; }
ByteStream* FolderItemImp::CreateStream(const string&) { return nullptr; }
bool FolderItemImp::Delete() { return false; }
bool FolderItemImp::CopyFileTo(FolderItemImp* destination) { return GenericCopyFileTo(*this, destination); }
bool FolderItemImp::Launch(const string&, bool) { return false; }
bool FolderItemImp::MoveToTrash() { return false; }
bool FolderItemImp::OpenStyledEditField(ObjectHeader*) { return false; }
ObjectHeader* FolderItemImp::OpenAsPicture(int32_t) { return nullptr; }
ObjectHeader* FolderItemImp::OpenAsMovie() { return nullptr; }
ObjectHeader* FolderItemImp::OpenAsSound() { return nullptr; }
ObjectHeader* FolderItemImp::OpenAsJPEG() { return nullptr; }
bool FolderItemImp::OpenAsIcons(SimpleVector<ObjectHeader*>*) { return false; }
void* FolderItemImp::OpenAsCursor() { return nullptr; }
bool FolderItemImp::SaveAsPicture(ObjectHeader*, int32_t) { return false; }
bool FolderItemImp::SaveAsJPEG(ObjectHeader*) { return false; }
bool FolderItemImp::SaveStyledEditField(ObjectHeader*) { return false; }
ByteStream* FolderItemImp::CreateNewStream(const string&) { return nullptr; }
bool FolderItemImp::DeleteUnlessOpen() { return false; }

bool FolderItemImp::MoveFileTo(FolderItemImp* destination) {
    return CopyFileTo(destination) && Delete();
}

bool FolderItemImp::DeleteRecursive() {
    if (!IsDirectory()) return false;
    const int32_t count = GetCount();
    std::vector<FolderItemImp*> children;
    for (int32_t i = 0; i < count; ++i) children.push_back(GetItem(i, 0));
    bool childrenDeleted = true;
    for (FolderItemImp* child : children) {
        if (!child) continue;
        const bool deleted = child->IsDirectory() ? child->DeleteRecursive() : child->Delete();
        if (!deleted) {
            mLastError = child->mLastError;
            childrenDeleted = false;
            break;
        }
    }
    const bool selfDeleted = Delete();
    for (FolderItemImp* child : children) delete child;
    return childrenDeleted && selfDeleted;
}

namespace {

// The probe of an existing file: its first byte written back in place, its date restored.
bool FileIsWriteable(FolderItemImp& file) {
    const double modified = file.GetModificationDate();
    ByteStream* stream = file.OpenStream(true, true);
    if (!stream) return false;
    unsigned char byte = 0;
    int32_t count = 0;
    if (!stream->Read(&byte, 1, &count) || count == 0) {
        // An empty file opened for writing is writable.
        const bool writable = stream->LastError() == 0;
        delete stream;
        return writable;
    }
    const bool written = stream->SetPosition(0) && stream->Write(&byte, 1);
    delete stream;
    if (!written) return false;
    file.SetModificationDate(modified);
    return true;
}

}  // namespace

bool FolderItemImp::IsWriteable() {
    if (Exists() && !IsDirectory()) return FileIsWriteable(*this);
    FolderItemImp* folder = IsDirectory() ? Clone() : GetParent();
    if (!folder) return false;
    FolderItemImp* probe = folder->GetChild(string("$$TestFile$$"), 0);
    for (int32_t k = 0; probe && probe->Exists(); ++k) {
        delete probe;
        probe = folder->GetChild(StringConcat(string("$$TestFile$$"), StringFromInteger(k)), 0);
    }
    const double modified = folder->GetModificationDate();
    bool writable = false;
    bool leftBehind = false;
    if (probe) {
        if (ByteStream* stream = probe->CreateStream(string("????"))) {
            stream->Close();
            delete stream;
            writable = true;
            // Only a file this probe made, and could not remove, is worth retrying.
            leftBehind = !probe->Delete() && probe->LastError() != 0;
        }
        if (leftBehind)
            new FolderItemDeleteTask(probe);
        else
            delete probe;
    }
    folder->SetModificationDate(modified);
    delete folder;
    return writable;
}

void FolderItemDeleteTask::Run() {
    mItem->Delete();
    // Gone, whether just deleted or by other hands (file not found), ends the retries.
    if (mItem->LastError() == kNoError || mItem->LastError() == kFileNotFound) delete this;
}

bool GenericCopyFileTo(FolderItemImp& source, FolderItemImp* destination) {
    if (destination == &source) return true;
    if (!destination) {
        source.SetLastError(kDestDoesNotExistError);
        return false;
    }
    ByteStream* input = source.OpenStream(true, false);
    if (!input) {
        if (source.LastError() == kNoError) source.SetLastError(kAccessDenied);
        return false;
    }
    FolderItemImp* child = nullptr;
    FolderItemImp* target = destination;
    if (destination->IsDirectory()) {
        child = destination->GetChild(source.GetName(), kFollowShortcut);
        if (!child) {
            delete input;
            source.SetLastError(kDestDoesNotExistError);
            return false;
        }
        target = child;
    }
    target->Delete();
    ByteStream* output = target->CreateStream(string());
    bool ok = output != nullptr;
    if (ok) {
        int32_t remaining = input->Length();
        int32_t chunk = remaining < 4096 ? remaining : 4096;
        std::vector<unsigned char> buffer(chunk > 0 ? chunk : 1);
        while (ok && remaining > 0) {
            int32_t count = 0;
            // A read that succeeds but delivers nothing before the length is reached would
            // otherwise repeat for ever.
            ok = input->Read(buffer.data(), chunk, &count) && count > 0 &&
                 output->Write(buffer.data(), count);
            remaining -= count;
            if (remaining < chunk) chunk = remaining;
        }
    }
    delete input;
    delete output;
    if (ok) {
        target->SetMacType(source.GetMacType());
        target->SetMacCreator(source.GetMacCreator());
    } else if (source.LastError() == kNoError) {
        // A failed copy must show: the target's code when it recorded one, else access denied.
        source.SetLastError(target->LastError() != kNoError ? target->LastError() : kAccessDenied);
    }
    delete child;
    return ok;
}

string GenericURLPath(const FolderItemImp& item) {
    std::vector<std::string> entries;
    FolderItemImp* parent = item.GetParent();
    const string name = item.GetName().ToUTF8();
    entries.push_back(PercentEncodeName(std::string_view(name.CString(), name.Length())));
    while (parent) {
        const string parentName = parent->GetName().ToUTF8();
        entries.insert(entries.begin(),
                       PercentEncodeName(std::string_view(parentName.CString(), parentName.Length())));
        FolderItemImp* next = parent->GetParent();
        delete parent;
        parent = next;
    }
    const std::string url = JoinFileURL(entries, item.IsDirectory());
    string result;
    result.SetBytes(url.data(), static_cast<int32_t>(url.size()));
    result.SetEncoding(kEncodingUTF8);
    return result;
}
