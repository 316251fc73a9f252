// The language class VirtualVolume: one field after the object header, the volume's VHFS, which
// the object owns. Items and streams made from the volume hold the object, so the volume stays
// open until the last of them and the program's last reference are gone; the finalizer then
// saves the block map and closes the disk file.
#pragma once

#include <cstdint>

#include "VHFS.h"
#include "core/ClassDefinition.h"
#include "core/ObjectModel.h"

struct VirtualVolumeObject {
    ObjectHeader header;
    VHFS* mVHFS;
};

#ifndef _WIN64
static_assert(sizeof(VirtualVolumeObject) == 28);
#endif

ObjectDefinition* GetVirtualVolumeDefinition();

// The volume's VHFS; null for nil.
inline VHFS* VolumeVHFS(ObjectHeader* volume) {
    return volume ? reinterpret_cast<VirtualVolumeObject*>(volume)->mVHFS : nullptr;
}

extern "C" {
ObjectHeader* VirtVolRootGetter(ObjectHeader* volume, int32_t parameter);
void VirtVolDestructor(ObjectHeader* volume);
}
