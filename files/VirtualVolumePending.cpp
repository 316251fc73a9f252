// Virtual volumes are not built into this program yet: no file can hold one and no item lies in
// one, so the three members answer nil.
#include "VirtualVolumeEntries.h"

extern "C" {

ObjectHeader* FolderItemCreateVirtualVolume(ObjectHeader*) { return nullptr; }

ObjectHeader* FolderItemOpenAsVirtualVolume(ObjectHeader*) { return nullptr; }

ObjectHeader* folderVirtVolGetter(ObjectHeader*) { return nullptr; }

}  // extern "C"
