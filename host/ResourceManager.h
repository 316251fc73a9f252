// The application's resources: the loader registers each resource of the payload here, and the
// resource manager hands them out by four-character type and 16-bit id, turning the bytes into
// the objects compiled code asks for. Sounds and movies that play only from files are written to
// temporary files, deleted at exit through a shut-down context. This is also where the records of
// the application cursor table "data3.dat" are found.
#pragma once

#include <windows.h>

#include <cstdint>

#include "ShutdownContexts.h"
#include "core/ObjectModel.h"
#include "core/RuntimeString.h"
#include "core/SimpleVector.h"
#include "windows/MouseCursor.h"

class FolderItemImp;

// A four-character code as a 32-bit value, the first character in the high byte.
constexpr uint32_t FourCharCode(const char (&code)[5]) {
    return static_cast<uint32_t>(static_cast<unsigned char>(code[0])) << 24 |
           static_cast<uint32_t>(static_cast<unsigned char>(code[1])) << 16 |
           static_cast<uint32_t>(static_cast<unsigned char>(code[2])) << 8 |
           static_cast<uint32_t>(static_cast<unsigned char>(code[3]));
}

constexpr uint32_t kResourceBitmap = FourCharCode("BMP ");
constexpr uint32_t kResourceText = FourCharCode("TEXT");
constexpr uint32_t kResourceCursor = FourCharCode("CURS");
constexpr uint32_t kResourceMovie = FourCharCode("moov");
constexpr uint32_t kResourceWave = FourCharCode("WAVE");
constexpr uint32_t kResourceSound = FourCharCode("SND ");
constexpr uint32_t kResourceMidi = FourCharCode("MIDI");
constexpr uint32_t kResourceMpeg = FourCharCode("MPEG");
constexpr uint32_t kResourceDatabase = FourCharCode("DBAS");
constexpr uint32_t kResourcePlugin = FourCharCode("QVPl");

// A 'CURS' resource is a cursor record (windows/MouseCursor.h) with a big-endian hot spot.

struct ResourceEntry {
    uint32_t type;        // a four-character code
    uint32_t id;          // compared on its low 16 bits only
    const void* data;     // inside the payload, which stays in memory for the whole run
    uint32_t length;
    uint32_t fileOffset;  // of the bytes in the executable; 0 when the payload came from files
};

#ifndef _WIN64
static_assert(sizeof(ResourceEntry) == 20);
#endif

// The table of resources and the getters of the platform-independent level.
class ResourceManagerCommon {
public:
    // Appends an entry (the data are neither copied nor owned).
    static void Add(uint32_t type, uint32_t id, const void* data, uint32_t length,
                    uint32_t fileOffset);
    static uint32_t GetCount();
    // A copy of an entry; an index at or beyond the count is a failed assertion and answers an
    // all-zero entry.
    static ResourceEntry GetAt(uint32_t index);
    // The first entry, in registration order, of the type and id; all zero when there is none.
    static ResourceEntry Find(uint32_t type, uint32_t id);

    // Each getter answers a new object (or string) with one reference for the caller, or null when
    // the resource does not exist or cannot be turned into its object.
    virtual ObjectHeader* GetDatabase(uint32_t id);
    virtual ObjectHeader* GetBitmap(uint32_t id);
    virtual StringRecord* GetText(uint32_t id);

protected:
    constexpr ResourceManagerCommon() = default;
    ~ResourceManagerCommon() = default;

private:
    SimpleVector<ResourceEntry> mEntries;  // in registration order
};

// The getters of the Windows level. One instance serves the whole run.
class ResourceManager final : public ResourceManagerCommon {
public:
    virtual ObjectHeader* GetCursor(uint32_t id);
    virtual ObjectHeader* GetMovie(uint32_t id);
    virtual ObjectHeader* GetSound(uint32_t id);

    static ResourceManager& Instance() { return sInstance; }

private:
    constexpr ResourceManager() = default;
    ~ResourceManager() = default;

    static ResourceManager sInstance;
};

// The engine name and the data of a 'DBAS' resource: a 32-bit length and the bytes of the name,
// then a 32-bit length and the bytes of the data, the lengths in the machine's byte order. False
// when the record is cut short.
bool ReadDatabaseRecord(const ResourceEntry& entry, string* engineName, const void** data,
                        uint32_t* length);

// The files written for resources, deleted when the shut-down contexts are destroyed. Made on
// first need; movies and sounds share it.
class TemporaryFileList final : public ShutdownContext {
public:
    ~TemporaryFileList() override;

    // Keeps a clone of the item.
    void Add(const FolderItemImp& item);

    // The list, made and registered on first use.
    static TemporaryFileList& Get();

private:
    TemporaryFileList() = default;

    SimpleVector<FolderItemImp*> mItems;
};

// Finds the record of a cursor id in the application cursor table "data3.dat" of the current
// directory, for the window system's cursor loading: the open table and the position of the
// record's 68 bytes. The table is opened on the first call and held for the rest of the run; when
// it cannot be opened then, every call answers false.
bool LocateCursorRecord(int32_t id, HFILE* file, uint32_t* recordPosition);

extern "C" {
ObjectHeader* RuntimeGetBitmapFromResourceManager(int32_t id);
StringRecord* RuntimeGetTextFileFromResourceManager(int32_t id);
ObjectHeader* RuntimeGetCursorFromResourceManager(int32_t id);
ObjectHeader* RuntimeGetSoundFromResourceManager(int32_t id);
}
