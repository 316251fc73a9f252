// What the virtual-volume engine needs of the runtime beyond the guarded operators and the failure
// reporter: the debug log (its last line is kept for the checks), the clock of new entries and the
// counted references of the volume object, which natively are only counted.
#include <cstdint>
#include <string>

#include "files/VHFS.h"
#include "files/VolumeFileStream.h"

std::string gLastDebugLog;
int gVolumeObjectReferences = 0;

extern "C" void DebugLog(const char* message, int32_t) { gLastDebugLog = message; }

double VolumeCurrentSeconds() { return 3786825600.0; }

void RetainVolumeObject(ObjectHeader* volume) {
    if (volume) ++gVolumeObjectReferences;
}

void ReleaseVolumeObject(ObjectHeader* volume) {
    if (volume) --gVolumeObjectReferences;
}
