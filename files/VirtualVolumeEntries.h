// The FolderItem members that reach virtual volumes: a new volume in the item's file, the volume
// the file holds, and the volume that contains the item. Each answers a VirtualVolume (the
// caller's reference) or nil.
#pragma once

#include "core/ObjectModel.h"

extern "C" {
ObjectHeader* FolderItemCreateVirtualVolume(ObjectHeader* item);
ObjectHeader* FolderItemOpenAsVirtualVolume(ObjectHeader* item);
ObjectHeader* folderVirtVolGetter(ObjectHeader* item);
}
