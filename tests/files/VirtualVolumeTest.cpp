// Virtual volumes through the runtime: the VirtualVolume class and the FolderItem entry points
// over disk files, items inside volumes with their lifetimes and error codes, and the model run
// over a data file.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "FailureRecorder.h"
#include "StringTesting.h"
#include "TemporaryFolder.h"
#include "VolumeModel.h"
#include "core/ObjectModel.h"
#include "files/DataFile.h"
#include "files/FolderItem.h"
#include "files/FolderItemImpVirtual.h"
#include "files/VirtualVolumeClass.h"
#include "files/VirtualVolumeEntries.h"

#undef EOF

namespace {

std::string Text(const string& s) { return std::string(s.CString(), s.Length()); }

class VirtualVolumes : public TemporaryFolderTest {
protected:
    VirtualVolumes() : TemporaryFolderTest(L"qv-volumes-") {}

    void TearDown() override {
        for (ObjectHeader* object : mHeld) RuntimeUnlockObject(object);
        TemporaryFolderTest::TearDown();
    }

    // Objects released at the end of the test.
    ObjectHeader* Held(ObjectHeader* object) {
        if (object) mHeld.push_back(object);
        return object;
    }

    ObjectHeader* DiskItem(const std::wstring& name) { return Held(NewFolderItemForPath(PathOf(name))); }

    DWORD SizeOf(const std::wstring& name) const {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!GetFileAttributesExW((folder + name).c_str(), GetFileExInfoStandard, &data)) return 0;
        return data.nFileSizeLow;
    }

    // A new volume in the folder and its root item's implementation.
    FolderItemImp* NewVolume(const std::wstring& name, ObjectHeader** volume = nullptr) {
        ObjectHeader* made = Held(FolderItemCreateVirtualVolume(DiskItem(name)));
        if (volume) *volume = made;
        return made ? FolderItemImpOf(Held(VirtVolRootGetter(made, 0))) : nullptr;
    }

    static bool WriteAll(FolderItemImp* item, const std::string& bytes, bool create = true) {
        std::unique_ptr<ByteStream> stream(create ? item->CreateStream(string()) : item->OpenStream(true, true));
        return stream && stream->Write(bytes.data(), static_cast<int32_t>(bytes.size())) && stream->Close();
    }

    static std::string ReadAll(FolderItemImp* item) {
        std::unique_ptr<ByteStream> stream(item->OpenStream(true, false));
        if (!stream) return "<none>";
        std::string bytes(static_cast<size_t>(stream->Length()), '\0');
        int32_t got = 0;
        stream->Read(bytes.data(), static_cast<int32_t>(bytes.size()), &got);
        bytes.resize(static_cast<size_t>(got));
        return bytes;
    }

    std::vector<ObjectHeader*> mHeld;
};

TEST_F(VirtualVolumes, ANewVolumeReleasedLeaves2096BytesThatOpenAgain) {
    ObjectHeader* item = DiskItem(L"new.qvv");
    ObjectHeader* volume = FolderItemCreateVirtualVolume(item);
    ASSERT_NE(volume, nullptr);
    ObjectHeader* root = VirtVolRootGetter(volume, 0);
    FolderItemImp* imp = FolderItemImpOf(root);
    EXPECT_EQ(Text(imp->GetName()), "/");
    EXPECT_TRUE(imp->IsDirectory());
    EXPECT_EQ(imp->GetCount(), 0);
    EXPECT_EQ(imp->GetMacDirID(), 2);
    RuntimeUnlockObject(root);
    RuntimeUnlockObject(volume);
    EXPECT_EQ(SizeOf(L"new.qvv"), 2096u);
    EXPECT_NE(Held(FolderItemOpenAsVirtualVolume(item)), nullptr);
}

TEST_F(VirtualVolumes, FilesThatAreNotVolumesAndLockedItemsGiveNil) {
    ObjectHeader* text = DiskItem(L"plain.txt");
    ASSERT_TRUE(WriteAll(FolderItemImpOf(text), "not a volume at all, just some text"));
    EXPECT_EQ(FolderItemOpenAsVirtualVolume(text), nullptr);
    ASSERT_TRUE(FolderItemImpOf(text)->SetLocked(true));
    EXPECT_EQ(FolderItemCreateVirtualVolume(text), nullptr);
    EXPECT_EQ(SizeOf(L"plain.txt"), 35u);
    EXPECT_EQ(FolderItemOpenAsVirtualVolume(nullptr), nullptr);
    EXPECT_EQ(FolderItemCreateVirtualVolume(nullptr), nullptr);
    EXPECT_EQ(folderVirtVolGetter(text), nullptr);
}

TEST_F(VirtualVolumes, ItemsAreNamesInFoldersFoundWithoutRegardToCase) {
    FolderItemImp* root = NewVolume(L"items.qvv");
    ASSERT_NE(root, nullptr);
    std::unique_ptr<FolderItemImp> data(root->GetChild(Tagged("Data"), 0));
    EXPECT_FALSE(data->Exists());
    EXPECT_EQ(Text(data->GetType()), "");
    EXPECT_EQ(data->GetMacType(), kUnknownOSType);
    ASSERT_TRUE(WriteAll(data.get(), "contents"));
    EXPECT_TRUE(data->Exists());
    std::unique_ptr<FolderItemImp> lower(root->GetChild(Tagged("data"), 0));
    EXPECT_EQ(ReadAll(lower.get()), "contents");
    EXPECT_EQ(lower->GetLength(), 8);
    EXPECT_EQ(lower->CreateStream(string()), nullptr);
    EXPECT_EQ(lower->LastError(), kVolumeOperationFailed);
    EXPECT_FALSE(lower->CreateAsFolder());
    std::unique_ptr<FolderItemImp> first(root->GetItem(0, 0));
    EXPECT_EQ(Text(first->GetName()), "Data");
    EXPECT_EQ(root->GetItem(1, 0), nullptr);
    EXPECT_EQ(root->GetParent(), nullptr);
    std::unique_ptr<FolderItemImp> parent(data->GetParent());
    ASSERT_NE(parent, nullptr);
    EXPECT_EQ(Text(parent->GetName()), "/");
    EXPECT_EQ(parent->GetMacDirID(), 2);
    EXPECT_EQ(data->GetMacDirID(), 2);

    std::unique_ptr<FolderItemImp> folderA(root->GetChild(Tagged("a"), 0));
    ASSERT_TRUE(folderA->CreateAsFolder());
    std::unique_ptr<FolderItemImp> b(folderA->GetChild(Tagged("b"), 0));
    ASSERT_TRUE(WriteAll(b.get(), "bee"));
    EXPECT_EQ(Text(b->GetAbsolutePath()), "//a/b");
    EXPECT_EQ(Text(root->GetAbsolutePath()), "/");
    EXPECT_EQ(folderA->GetCount(), 1);
    EXPECT_EQ(b->GetChild(Tagged("x"), 0), nullptr);
}

TEST_F(VirtualVolumes, DatesTypesAndLengthsBelongToFilesOnly) {
    FolderItemImp* root = NewVolume(L"dates.qvv");
    std::unique_ptr<FolderItemImp> file(root->GetChild(Tagged("f"), 0));
    std::unique_ptr<FolderItemImp> folderItem(root->GetChild(Tagged("d"), 0));
    ASSERT_TRUE(WriteAll(file.get(), "0123456789"));
    ASSERT_TRUE(folderItem->CreateAsFolder());
    EXPECT_GT(file->GetCreationDate(), 3.0e9);
    EXPECT_TRUE(file->SetCreationDate(1234.0));
    EXPECT_EQ(file->GetCreationDate(), 1234.0);
    EXPECT_TRUE(file->SetModificationDate(5678.0));
    EXPECT_EQ(file->GetModificationDate(), 5678.0);
    EXPECT_FALSE(folderItem->SetCreationDate(1.0));
    EXPECT_EQ(folderItem->LastError(), kVolumeOperationFailed);
    EXPECT_TRUE(file->SetMacType(0x54455854));
    EXPECT_EQ(file->GetMacType(), 0x54455854u);
    EXPECT_FALSE(folderItem->SetMacType(0x54455854));
    EXPECT_TRUE(file->SetLength(4));
    EXPECT_EQ(ReadAll(file.get()), "0123");
    std::unique_ptr<FolderItemImp> missing(root->GetChild(Tagged("missing"), 0));
    EXPECT_FALSE(missing->Delete());
    EXPECT_EQ(missing->LastError(), kFileNotFound);
    EXPECT_FALSE(missing->SetName(Tagged("other")));
    EXPECT_EQ(missing->LastError(), kFileNotFound);
    EXPECT_EQ(missing->OpenStream(true, false), nullptr);
    EXPECT_EQ(missing->GetCreationDate(), 0.0);
    EXPECT_TRUE(file->SetName(Tagged("renamed")));
    EXPECT_EQ(Text(file->GetName()), "renamed");
    EXPECT_EQ(ReadAll(file.get()), "0123");
}

TEST_F(VirtualVolumes, DeletingAFileWithAnOpenStreamFailsVisibly) {
    FolderItemImp* root = NewVolume(L"delete.qvv");
    std::unique_ptr<FolderItemImp> file(root->GetChild(Tagged("f"), 0));
    ASSERT_TRUE(WriteAll(file.get(), "keep"));
    std::unique_ptr<ByteStream> stream(file->OpenStream(true, true));
    EXPECT_FALSE(file->Delete());
    EXPECT_NE(file->LastError(), 0);
    EXPECT_TRUE(file->Exists());
    stream.reset();
    EXPECT_TRUE(file->Delete());
    EXPECT_FALSE(file->Exists());
}

TEST_F(VirtualVolumes, MovesWithinAVolume) {
    FolderItemImp* root = NewVolume(L"moves.qvv");
    std::unique_ptr<FolderItemImp> one(root->GetChild(Tagged("one"), 0));
    std::unique_ptr<FolderItemImp> two(root->GetChild(Tagged("two"), 0));
    ASSERT_TRUE(one->CreateAsFolder());
    ASSERT_TRUE(two->CreateAsFolder());
    std::unique_ptr<FolderItemImp> file(one->GetChild(Tagged("f"), 0));
    ASSERT_TRUE(WriteAll(file.get(), "moving"));

    // Onto another item for the same file: nothing happens, nothing is lost.
    std::unique_ptr<FolderItemImp> same(one->GetChild(Tagged("F"), 0));
    EXPECT_TRUE(file->MoveFileTo(same.get()));
    EXPECT_EQ(ReadAll(file.get()), "moving");

    // To a not yet existing item c in another folder: moved there and renamed c.
    std::unique_ptr<FolderItemImp> c(two->GetChild(Tagged("c"), 0));
    EXPECT_TRUE(file->MoveFileTo(c.get()));
    EXPECT_FALSE(file->Exists());
    EXPECT_EQ(ReadAll(c.get()), "moving");
    EXPECT_EQ(one->GetCount(), 0);

    // Onto an existing file: it is replaced.
    std::unique_ptr<FolderItemImp> other(one->GetChild(Tagged("other"), 0));
    ASSERT_TRUE(WriteAll(other.get(), "old"));
    EXPECT_TRUE(c->MoveFileTo(other.get()));
    EXPECT_EQ(ReadAll(other.get()), "moving");
    EXPECT_EQ(one->GetCount(), 1);

    // Into a folder: the name stays.
    EXPECT_TRUE(other->MoveFileTo(two.get()));
    std::unique_ptr<FolderItemImp> moved(two->GetChild(Tagged("other"), 0));
    EXPECT_EQ(ReadAll(moved.get()), "moving");

    // A folder into its own child folder is refused, and the destination there stays.
    std::unique_ptr<FolderItemImp> inner(two->GetChild(Tagged("inner"), 0));
    ASSERT_TRUE(inner->CreateAsFolder());
    std::unique_ptr<FolderItemImp> blocker(inner->GetChild(Tagged("x"), 0));
    ASSERT_TRUE(WriteAll(blocker.get(), "stay"));
    EXPECT_FALSE(two->MoveFileTo(blocker.get()));
    EXPECT_NE(two->LastError(), 0);
    EXPECT_FALSE(two->MoveFileTo(inner.get()));
    EXPECT_EQ(ReadAll(blocker.get()), "stay");
}

TEST_F(VirtualVolumes, FilesCopyInAndOutOfAVolume) {
    FolderItemImp* root = NewVolume(L"copies.qvv");
    ObjectHeader* diskFile = DiskItem(L"source.bin");
    std::string bytes(5000, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7);
    ASSERT_TRUE(WriteAll(FolderItemImpOf(diskFile), bytes));
    ASSERT_TRUE(FolderItemImpOf(diskFile)->CopyFileTo(root));
    std::unique_ptr<FolderItemImp> inside(root->GetChild(Tagged("source.bin"), 0));
    EXPECT_EQ(ReadAll(inside.get()), bytes);
    ObjectHeader* back = DiskItem(L"back.bin");
    ASSERT_TRUE(inside->CopyFileTo(FolderItemImpOf(back)));
    EXPECT_EQ(ReadAll(FolderItemImpOf(back)), bytes);
    // Moving out of the volume copies and deletes.
    ObjectHeader* out = DiskItem(L"out.bin");
    EXPECT_TRUE(inside->MoveFileTo(FolderItemImpOf(out)));
    EXPECT_FALSE(inside->Exists());
    EXPECT_EQ(ReadAll(FolderItemImpOf(out)), bytes);
}

TEST_F(VirtualVolumes, ItemsAndStreamsKeepTheVolumeOpen) {
    ObjectHeader* item = DiskItem(L"life.qvv");
    ObjectHeader* volume = FolderItemCreateVirtualVolume(item);
    ASSERT_NE(volume, nullptr);
    ObjectHeader* root = VirtVolRootGetter(volume, 0);
    ObjectHeader* viaRoot = folderVirtVolGetter(root);
    EXPECT_EQ(viaRoot, volume);
    RuntimeUnlockObject(viaRoot);
    RuntimeUnlockObject(volume);  // the program's reference is gone; the root still holds it
    std::unique_ptr<FolderItemImp> file(FolderItemImpOf(root)->GetChild(Tagged("kept"), 0));
    ByteStream* stream = file->CreateStream(string());
    ASSERT_NE(stream, nullptr);
    file.reset();
    RuntimeUnlockObject(root);  // only the stream holds the volume now
    ASSERT_TRUE(stream->Write("still open", 10));
    delete stream;  // the last holder: the volume is saved and closed
    ObjectHeader* reopened = Held(FolderItemOpenAsVirtualVolume(item));
    ASSERT_NE(reopened, nullptr);
    FolderItemImp* again = FolderItemImpOf(Held(VirtVolRootGetter(reopened, 0)));
    std::unique_ptr<FolderItemImp> kept(again->GetChild(Tagged("KEPT"), 0));
    EXPECT_EQ(ReadAll(kept.get()), "still open");
}

// A disk file open for reading only, as OpenAsVirtualVolume falls back to.
TEST_F(VirtualVolumes, AReadOnlyVolumeReadsAndItsWritesFailVisibly) {
    {
        FolderItemImp* root = NewVolume(L"readonly.qvv");
        std::unique_ptr<FolderItemImp> file(root->GetChild(Tagged("r"), 0));
        ASSERT_TRUE(WriteAll(file.get(), "read me"));
    }
    for (ObjectHeader* object : mHeld) RuntimeUnlockObject(object);
    mHeld.clear();
    const DWORD size = SizeOf(L"readonly.qvv");
    DataFile* disk = NewDataFile();
    ASSERT_TRUE(disk->Open(PathOf(L"readonly.qvv"), kOpenForReading));
    disk->SwapOn();
    disk->SetSwapDoubles(true);
    {
        VHFS volume(disk, true);
        ASSERT_TRUE(volume.IsOpen());
        const VHFSEntry root = volume.GetRootEntry();
        const VHFSEntry file = FindChild(volume, root, "r");
        std::unique_ptr<VolumeFileStream> stream(volume.OpenEntryStream(file));
        ASSERT_NE(stream, nullptr);
        char bytes[8] = {};
        int32_t got = 0;
        EXPECT_TRUE(stream->Read(bytes, 8, &got));
        EXPECT_EQ(std::string(bytes, got), "read me");
        EXPECT_FALSE(stream->Write("x", 1));
        EXPECT_NE(stream->LastError(), 0);
        EXPECT_TRUE(volume.CreateEntry(root, "new", kUnknownFileType).IsEmpty());
    }
    EXPECT_EQ(SizeOf(L"readonly.qvv"), size);
}

// The model run over a data file on disk, shorter than the native one.
TEST_F(VirtualVolumes, ModelRunOverADataFile) {
    std::unique_ptr<DataFile> disk(NewDataFile());
    ASSERT_TRUE(disk->Create(PathOf(L"model.qvv")));
    FailureRecorder recorder;
    EXPECT_EQ(RunVolumeModel(*disk, 7, 250, 80), "");
    EXPECT_EQ(recorder.Count(), 0u);
}

}  // namespace
