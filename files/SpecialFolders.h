// The global functions that reach the machine's volumes and well-known folders and make fresh
// temporary files. Each answers a new plain FolderItem (the caller's reference) over a path the
// system gives, or nil when it gives none.
#pragma once

#include <cstdint>

#include "core/ObjectModel.h"

extern "C" {
// The drive letters present.
int32_t getVolumeCount();
// The drives from C: to Z:, then A: and B:, counted from 0; nil outside 0 to VolumeCount - 1.
ObjectHeader* getVolume(int32_t index);
ObjectHeader* getAppleMenuFolder();
// No file-system path exists for the control panels: always nil.
ObjectHeader* getControlPanelsFolder();
ObjectHeader* getDesktopFolder();
ObjectHeader* getExtensionsFolder();
ObjectHeader* getPreferencesFolder();
ObjectHeader* getStartupItemsFolder();
// Always nil on this platform.
ObjectHeader* getShutdownItemsFolder();
ObjectHeader* getApplicationSupportFolder();
ObjectHeader* getFontsFolder();
ObjectHeader* getTrashFolder();
ObjectHeader* getSystemFolder();
// The operating system's temporary folder.
ObjectHeader* getTemporaryItemsFolder();
ObjectHeader* GetDocumentsFolder();
// A new, uniquely named (qvt....tmp), empty file in the temporary folder, which stays after the
// item is released; nil when the system gives no such file.
ObjectHeader* getTemporaryFolderItem();
}
