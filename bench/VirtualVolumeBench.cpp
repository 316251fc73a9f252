// Virtual volumes against the disk doing the same work, measured side by side; the printed ratios
// are volume time over disk time: 1 MB written and read in 4 KB pieces through a volume file's
// stream against a data file, and 500 small files created and then found by name in one volume
// folder against a folder on disk.
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "BenchTiming.h"
#include "core/SmallBlockAllocator.h"
#include "core/ObjectModel.h"
#include "core/RuntimeString.h"
#include "files/DataFile.h"
#include "files/FolderItem.h"
#include "files/FolderItemImpWin32.h"
#include "files/VirtualVolumeClass.h"
#include "files/VirtualVolumeEntries.h"

#undef EOF

namespace {

constexpr int kStreamBytes = 1 << 20;
constexpr int kPiece = 4096;
constexpr int kFiles = 500;

// Writes then reads the megabyte in pieces; the checksum keeps the reads.
uint64_t WriteAndRead(ByteStream& stream, bool& wrote, double& writeTime, double& readTime) {
    std::vector<unsigned char> piece(kPiece);
    for (int i = 0; i < kPiece; ++i) piece[i] = static_cast<unsigned char>(i * 7);
    double start = Seconds();
    stream.SetPosition(0);
    for (int done = 0; done < kStreamBytes; done += kPiece) wrote &= stream.Write(piece.data(), kPiece);
    stream.Flush();
    writeTime = Seconds() - start;
    start = Seconds();
    stream.SetPosition(0);
    uint64_t sum = 0;
    for (int done = 0; done < kStreamBytes; done += kPiece) {
        int32_t got = 0;
        stream.Read(piece.data(), kPiece, &got);
        sum += piece[got > 0 ? got - 1 : 0];
    }
    readTime = Seconds() - start;
    return sum;
}

void Streams(const std::string& folder) {
    double bestVolumeWrite = 1e9, bestVolumeRead = 1e9, bestDiskWrite = 1e9, bestDiskRead = 1e9;
    uint64_t sum = 0;
    bool wrote = true;
    for (int round = 0; round < kRounds; ++round) {
        ObjectHeader* item = NewFolderItemForPath(string((folder + "\\stream.qvv").c_str()));
        ObjectHeader* volume = FolderItemCreateVirtualVolume(item);
        ObjectHeader* root = VirtVolRootGetter(volume, 0);
        std::unique_ptr<FolderItemImp> file(FolderItemImpOf(root)->GetChild(string("data"), 0));
        std::unique_ptr<ByteStream> inVolume(file->CreateStream(string()));
        double write = 0, read = 0;
        sum += WriteAndRead(*inVolume, wrote, write, read);
        bestVolumeWrite = write < bestVolumeWrite ? write : bestVolumeWrite;
        bestVolumeRead = read < bestVolumeRead ? read : bestVolumeRead;
        inVolume.reset();
        file.reset();
        RuntimeUnlockObject(root);
        RuntimeUnlockObject(volume);
        FolderItemImpOf(item)->Delete();
        RuntimeUnlockObject(item);

        std::unique_ptr<DataFile> disk(NewDataFile());
        disk->Create(string((folder + "\\stream.bin").c_str()));
        sum += WriteAndRead(*disk, wrote, write, read);
        bestDiskWrite = write < bestDiskWrite ? write : bestDiskWrite;
        bestDiskRead = read < bestDiskRead ? read : bestDiskRead;
        disk.reset();
        DeleteFileA((folder + "\\stream.bin").c_str());
    }
    std::printf("1 MB written in 4 KB pieces, volume stream over data file: %.2f%s\n",
                bestVolumeWrite / bestDiskWrite, wrote ? "" : " (a write failed)");
    std::printf("1 MB read in 4 KB pieces, volume stream over data file: %.2f (checksum %llu)\n",
                bestVolumeRead / bestDiskRead, static_cast<unsigned long long>(sum));
}

// Creates the files in the folder item, then finds each by name; counts what it found.
int CreateAndFind(FolderItemImp& folderItem, double& createTime, double& findTime) {
    double start = Seconds();
    for (int i = 0; i < kFiles; ++i) {
        const std::string name = "file" + std::to_string(i) + ".txt";
        std::unique_ptr<FolderItemImp> child(folderItem.GetChild(string(name.c_str()), 0));
        std::unique_ptr<ByteStream> stream(child->CreateStream(string()));
        if (stream) stream->Write(name.data(), static_cast<int32_t>(name.size()));
    }
    createTime = Seconds() - start;
    start = Seconds();
    int found = 0;
    for (int i = kFiles; i-- > 0;) {
        const std::string name = "FILE" + std::to_string(i) + ".TXT";
        std::unique_ptr<FolderItemImp> child(folderItem.GetChild(string(name.c_str()), 0));
        found += child->Exists();
    }
    findTime = Seconds() - start;
    return found;
}

void SmallFiles(const std::string& folder) {
    ObjectHeader* item = NewFolderItemForPath(string((folder + "\\files.qvv").c_str()));
    ObjectHeader* volume = FolderItemCreateVirtualVolume(item);
    ObjectHeader* root = VirtVolRootGetter(volume, 0);
    double volumeCreate = 0, volumeFind = 0, diskCreate = 0, diskFind = 0;
    const int inVolume = CreateAndFind(*FolderItemImpOf(root), volumeCreate, volumeFind);
    RuntimeUnlockObject(root);
    RuntimeUnlockObject(volume);
    FolderItemImpOf(item)->Delete();
    RuntimeUnlockObject(item);

    const std::string diskFolder = folder + "\\files";
    CreateDirectoryA(diskFolder.c_str(), nullptr);
    FolderItemImpWin32 onDisk{string(diskFolder.c_str())};
    const int onDiskFound = CreateAndFind(onDisk, diskCreate, diskFind);
    for (int i = 0; i < kFiles; ++i) DeleteFileA((diskFolder + "\\file" + std::to_string(i) + ".txt").c_str());
    RemoveDirectoryA(diskFolder.c_str());
    std::printf("%d small files created in one folder, volume over disk: %.2f\n", kFiles, volumeCreate / diskCreate);
    std::printf("%d small files found by name, volume over disk: %.2f (found %d and %d)\n", kFiles,
                volumeFind / diskFind, inVolume, onDiskFound);
}

}  // namespace

int main() {
    InitAllocatorLock();
    InitStringLock();
    InitializeDataFileLock();
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string folder = std::string(temp) + "qv-volume-bench-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder.c_str(), nullptr);
    Streams(folder);
    SmallFiles(folder);
    RemoveDirectoryA(folder.c_str());
    return 0;
}
