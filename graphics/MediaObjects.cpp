#include "MediaObjects.h"

#include "files/FolderItemImp.h"

ObjectHeader* NewMovieObject(uint32_t, FolderItemImp* file) {
    delete file;
    return nullptr;
}

ObjectHeader* NewSoundFromData(const void*, uint32_t, bool, bool) { return nullptr; }

ObjectHeader* NewSoundFromFile(FolderItemImp* file) {
    delete file;
    return nullptr;
}

void ShutdownSound() {}
void StopQuickTime() {}
