// The SaveInfo reader is not built into this program yet: no data names an item, and no text is
// taken for SaveInfo data, so GetFolderItem treats every text as a path and GetRelative answers
// nil.
#include "SaveInfo.h"

FolderItemImp* FolderItemImpFromSaveInfo(const uint8_t*, size_t, FolderItemImp*) { return nullptr; }

bool IsSaveInfoData(const uint8_t*, size_t) { return false; }
