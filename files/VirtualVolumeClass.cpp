#include "VirtualVolumeClass.h"

#include "FolderItem.h"
#include "FolderItemImpVirtual.h"
#include "VirtualVolumeEntries.h"
#include "VolumeFileStream.h"
#include "core/DefinitionConversion.h"
#include "values/Date.h"

namespace {

PropertyEntry kVirtualVolumeProperties[] = {
    {0, "Root", nullptr, RowFunction(VirtVolRootGetter), "VirtVolRootGetter", nullptr, nullptr, 0, 0},
};

const ClassRows kVirtualVolumeRows = {
    .className = "VirtualVolume",
    .superclass = nullptr,
    .objectSize = sizeof(VirtualVolumeObject),
    .finalizer = Function(VirtVolDestructor, "VirtVolDestructor"),
    .properties = kVirtualVolumeProperties,
};

// A VirtualVolume object that owns the volume; nil (the volume deleted) when none can be made.
ObjectHeader* NewVolumeObject(VHFS* volume) {
    ObjectHeader* object = CreateInstance(GetVirtualVolumeDefinition());
    if (!object) {
        delete volume;
        return nullptr;
    }
    reinterpret_cast<VirtualVolumeObject*>(object)->mVHFS = volume;
    return object;
}

// Volumes are written big-endian; an opened volume's version then decides its doubles.
void SwapForVolume(ByteStream* stream) {
    stream->SwapOn();
    stream->SetSwapDoubles(true);
}

}  // namespace

ObjectDefinition* GetVirtualVolumeDefinition() {
    static ObjectDefinition definition;
    if (!kVirtualVolumeProperties[0].type) kVirtualVolumeProperties[0].type = GetFolderItemDefinition()->AsType();
    return FillClassDefinition(definition, kVirtualVolumeRows);
}

double VolumeCurrentSeconds() {
    DateImp* now = NewDateImp();
    now->SetToNow();
    const double seconds = now->GetTotalSeconds();
    delete now;
    return seconds;
}

void RetainVolumeObject(ObjectHeader* volume) {
    if (volume) RuntimeLockObject(volume);
}

void ReleaseVolumeObject(ObjectHeader* volume) {
    if (volume) RuntimeUnlockObject(volume);
}

extern "C" {

ObjectHeader* VirtVolRootGetter(ObjectHeader* volume, int32_t) {
    VHFS* vhfs = VolumeVHFS(volume);
    if (!vhfs) return nullptr;
    return NewFolderItemForImp(new FolderItemImpVirtual(volume, vhfs->GetRootEntry()));
}

void VirtVolDestructor(ObjectHeader* volume) {
    auto* fields = reinterpret_cast<VirtualVolumeObject*>(volume);
    delete fields->mVHFS;
    fields->mVHFS = nullptr;
}

ObjectHeader* FolderItemCreateVirtualVolume(ObjectHeader* item) {
    FolderItemImp* imp = FolderItemImpOf(item);
    if (!imp || imp->GetLocked()) return nullptr;
    ByteStream* stream = imp->CreateStream(imp->GetType());
    if (!stream) return nullptr;
    SwapForVolume(stream);
    VHFS* volume = VHFS::Create(stream, true);
    if (!volume) return nullptr;
    // A file whose first writes failed (a full disk) holds no volume to hand out.
    if (!volume->GetRootEntry().IsFolder()) {
        delete volume;
        return nullptr;
    }
    return NewVolumeObject(volume);
}

ObjectHeader* FolderItemOpenAsVirtualVolume(ObjectHeader* item) {
    FolderItemImp* imp = FolderItemImpOf(item);
    if (!imp) return nullptr;
    ByteStream* stream = imp->OpenStream(true, true);
    if (!stream) stream = imp->OpenStream(true, false);
    if (!stream) return nullptr;
    SwapForVolume(stream);
    auto* volume = new VHFS(stream, true);
    if (!volume->IsOpen()) {
        delete volume;
        return nullptr;
    }
    return NewVolumeObject(volume);
}

ObjectHeader* folderVirtVolGetter(ObjectHeader* item) {
    FolderItemImp* imp = FolderItemImpOf(item);
    if (!imp || !imp->IsVirtual()) return nullptr;
    ObjectHeader* volume = static_cast<FolderItemImpVirtual*>(imp)->VolumeObject();
    if (volume) RuntimeLockObject(volume);
    return volume;
}

}  // extern "C"
