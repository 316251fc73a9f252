#include "files/ObjectDump.h"

#include "core/RuntimeDebug.h"
#include "files/DataFile.h"

extern "C" void debugDumpObjects(StringRecord* path) {
    FileStream* file = NewDataFile();
    file->Create(string(path));
    ObjectHeader* runtime = RuntimeDebugInstance();

    string line = StringFromInteger(RuntimeDebugMemoryUsed(runtime));
    line.AppendCString(" used in heap1");
    file->WriteLine(line);
    const int32_t count = RuntimeDebugObjectCount(runtime);
    line = StringFromInteger(count);
    line.AppendCString(" objects");
    file->WriteLine(line);
    for (int32_t i = 0; i < count; ++i)
        file->WriteLine(string::Adopt(RuntimeDebugObjectClass(runtime, i)));

    ReleaseObject(runtime);
    delete file;
}
