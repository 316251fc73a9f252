// SaveInfo data of the disk's folder items: reading an item back from the data, and the relative
// paths the data holds. FolderItemImpWin32::GetSaveInfo writes it; the format is SaveInfoRecord.h.
#pragma once

#include <cstddef>
#include <cstdint>

#include "FolderItemImp.h"

class FolderItemImpWin32;

// A new disk item (the caller's) for the item the data names, relative to relativeTo when it is
// given; null when the data is no SaveInfo data or names no item. Its path is taken as stored,
// not looked up.
FolderItemImp* FolderItemImpFromSaveInfo(const uint8_t* data, size_t size, FolderItemImp* relativeTo);
// True when the data begins with the SaveInfo magic.
bool IsSaveInfoData(const uint8_t* data, size_t size);

// The item's path relative to the base (UTF-8); empty across drives or shares.
string MakeRelativePath(const FolderItemImpWin32& item, const FolderItemImp& base);
// The path a relative path names from the base; empty when it names none.
string ResolveRelativePath(const string& relativePath, const FolderItemImp* base);
