// SaveInfo data: the bytes that name an item by its absolute path and by its path relative to
// another item, and the folder items made from them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "FolderItemImp.h"

// A new implementation for the item the data names, relative to relativeTo when given; null when
// the data names none.
FolderItemImp* FolderItemImpFromSaveInfo(const uint8_t* data, size_t size, FolderItemImp* relativeTo);
// True when the bytes begin with the SaveInfo magic.
bool IsSaveInfoData(const uint8_t* data, size_t size);
