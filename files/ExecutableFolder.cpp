#include "FolderItemImpWin32.h"

FolderItemImp* FolderItemImp::RelativeToExecutable(const string& relative) {
    if (ApplicationFolderPath().IsEmpty()) return nullptr;
    return new FolderItemImpWin32(relative, true);
}
