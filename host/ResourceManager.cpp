#include "ResourceManager.h"

#include <climits>
#include <cstring>

#include "core/DefinitionConversion.h"
#include "core/FailureReport.h"
#include "core/Platform.h"
#include "database/Database.h"
#include "files/FolderItemImp.h"
#include "graphics/MediaObjects.h"
#include "graphics/PictureClass.h"
#include "graphics/PictureImp.h"
#include "core/EncodingConversion.h"
#include "windows/MouseCursor.h"

namespace {

constexpr const char* kSource = "ResourceManagerCommon";

// TickSeededRandom's numbers, 0 to 32,767, name the temporary files.
constexpr int32_t kTemporaryNameCount = 32768;
constexpr uint32_t kFollowShortcut = 64;

TemporaryFileList* sTemporaryFiles = nullptr;

bool sCursorTableOpened = false;
HFILE sCursorTable = HFILE_ERROR;

bool FindEntry(uint32_t type, uint32_t id, ResourceEntry* entry) {
    *entry = ResourceManagerCommon::Find(type, id);
    return entry->type == type && type != 0;
}

uint32_t LittleEndian32(const unsigned char* bytes) {
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

uint32_t BigEndian32(const unsigned char* bytes) {
    return static_cast<uint32_t>(bytes[0]) << 24 | static_cast<uint32_t>(bytes[1]) << 16 |
           static_cast<uint32_t>(bytes[2]) << 8 | static_cast<uint32_t>(bytes[3]);
}

bool IsAVI(const ResourceEntry& entry) {
    const auto* bytes = static_cast<const unsigned char*>(entry.data);
    return bytes && entry.length >= 11 && std::memcmp(bytes, "RIFF", 4) == 0 &&
           std::memcmp(bytes + 8, "AVI", 3) == 0;
}

// A new file in the temporary folder that nothing else owns: created only where no file exists
// yet, so that neither another resource's file nor somebody else's is overwritten, or later
// deleted with the list.
FolderItemImp* CreateUniqueTemporaryFile(const char* extension, ByteStream** stream) {
    FolderItemImp* folder = FolderItemImp::FindSpecialFolder(kTemporaryFolderCode);
    if (!folder) return nullptr;
    FolderItemImp* file = nullptr;
    const int32_t first = TickSeededRandom();
    for (int32_t attempt = 0; attempt < kTemporaryNameCount; ++attempt) {
        const int32_t number = (first + attempt) % kTemporaryNameCount;
        file = folder->GetChild(StringConcat(StringFromInteger(number), string(extension)),
                                kFollowShortcut);
        if (!file) break;
        *stream = file->CreateNewStream(string("text"));
        if (*stream) break;
        const bool taken = file->Exists();
        delete file;
        file = nullptr;
        if (!taken) break;  // not a name clash: the folder cannot take the file
    }
    delete folder;
    return file;
}

// Writes the resource's bytes to a new temporary file named by a number and the extension, which
// the temporary file list deletes at exit. The file, or null when it cannot be written.
FolderItemImp* WriteTemporaryFile(const ResourceEntry& entry, const char* extension) {
    if (entry.length > INT32_MAX || (!entry.data && entry.length)) return nullptr;
    ByteStream* stream = nullptr;
    FolderItemImp* file = CreateUniqueTemporaryFile(extension, &stream);
    if (!file) return nullptr;
    const bool written = stream->Write(entry.data, static_cast<int32_t>(entry.length));
    delete stream;
    if (!written) {
        file->Delete();
        delete file;
        return nullptr;
    }
    TemporaryFileList::Get().Add(*file);
    return file;
}

ObjectHeader* SoundFromFile(const ResourceEntry& entry, const char* extension) {
    FolderItemImp* file = WriteTemporaryFile(entry, extension);
    return file ? NewSoundFromFile(file) : nullptr;
}

bool ReadBigEndian32(HFILE file, uint64_t position, uint32_t* value) {
    if (position > LONG_MAX) return false;
    if (_llseek(file, static_cast<LONG>(position), FILE_BEGIN) == HFILE_ERROR) return false;
    unsigned char bytes[4];
    if (_lread(file, bytes, sizeof bytes) != sizeof bytes) return false;
    *value = BigEndian32(bytes);
    return true;
}

}  // namespace

// --- the table ---

ResourceManager ResourceManager::sInstance;

void ResourceManagerCommon::Add(uint32_t type, uint32_t id, const void* data, uint32_t length,
                                uint32_t fileOffset) {
    ResourceManager::Instance().mEntries.push_back({type, id, data, length, fileOffset});
}

uint32_t ResourceManagerCommon::GetCount() { return ResourceManager::Instance().mEntries.size(); }

ResourceEntry ResourceManagerCommon::GetAt(uint32_t index) {
    if (index >= GetCount()) {
        ReportAssertion(kSource, __LINE__, "index < GetCount()");
        return {};
    }
    return ResourceManager::Instance().mEntries.mBuf[index];
}

ResourceEntry ResourceManagerCommon::Find(uint32_t type, uint32_t id) {
    const SimpleVector<ResourceEntry>& entries = ResourceManager::Instance().mEntries;
    for (uint32_t i = 0; i < entries.size(); ++i) {
        const ResourceEntry& entry = entries.mBuf[i];
        if (entry.type == type && (entry.id & 0xFFFF) == (id & 0xFFFF)) return entry;
    }
    return {};
}

// --- the platform-independent getters ---

bool ReadDatabaseRecord(const ResourceEntry& entry, string* engineName, const void** data,
                        uint32_t* length) {
    const auto* bytes = static_cast<const unsigned char*>(entry.data);
    if (!bytes || entry.length < 4) return false;
    const uint64_t nameLength = LittleEndian32(bytes);
    if (4 + nameLength + 4 > entry.length) return false;
    const uint64_t dataLength = LittleEndian32(bytes + 4 + nameLength);
    if (8 + nameLength + dataLength > entry.length) return false;
    engineName->SetBytes(bytes + 4, static_cast<int32_t>(nameLength));
    engineName->SetEncoding(kEncodingUTF8);
    *data = bytes + 8 + nameLength;
    *length = static_cast<uint32_t>(dataLength);
    return true;
}

ObjectHeader* ResourceManagerCommon::GetDatabase(uint32_t id) {
    ResourceEntry entry;
    if (!FindEntry(kResourceDatabase, id, &entry)) return nullptr;
    string engineName;
    const void* data = nullptr;
    uint32_t length = 0;
    if (!ReadDatabaseRecord(entry, &engineName, &data, &length)) return nullptr;
    return OpenDatabaseResource(engineName, data, length);
}

ObjectHeader* ResourceManagerCommon::GetBitmap(uint32_t id) {
    ResourceEntry entry;
    if (!FindEntry(kResourceBitmap, id, &entry) || !entry.data || entry.length == 0)
        return nullptr;
    PictureImp* picture = NewDIBPictureFromBMP(entry.data, entry.length);
    return picture ? NewPictureObject(picture) : nullptr;
}

StringRecord* ResourceManagerCommon::GetText(uint32_t id) {
    ResourceEntry entry;
    if (!FindEntry(kResourceText, id, &entry) || entry.length > INT32_MAX) return nullptr;
    string text;
    text.SetBytes(entry.data, static_cast<int32_t>(entry.length));
    text.SetEncoding(SystemTextEncoding());
    return text.Detach();
}

// --- the Windows getters ---

ObjectHeader* ResourceManager::GetCursor(uint32_t id) {
    ResourceEntry entry;
    if (!FindEntry(kResourceCursor, id, &entry) || !entry.data ||
        entry.length < kCursorRecordSize)
        return nullptr;
    ObjectHeader* cursor = CreateInstance(MouseCursor());
    if (!cursor) return nullptr;
    MouseCursorHolder(cursor) =
        WrapCursorHandle(CursorFromRecord(static_cast<const uint8_t*>(entry.data), true));
    return cursor;
}

ObjectHeader* ResourceManager::GetMovie(uint32_t id) {
    ResourceEntry entry;
    if (!FindEntry(kResourceMovie, id, &entry)) return nullptr;
    FolderItemImp* file = WriteTemporaryFile(entry, IsAVI(entry) ? ".avi" : ".mov");
    return file ? NewMovieObject(kResourceMovie, file) : nullptr;
}

ObjectHeader* ResourceManager::GetSound(uint32_t id) {
    ResourceEntry entry;
    if (FindEntry(kResourceWave, id, &entry))
        return NewSoundFromData(entry.data, entry.length, true, false);
    if (FindEntry(kResourceSound, id, &entry))
        return NewSoundFromData(entry.data, entry.length, false, false);
    if (FindEntry(kResourceMidi, id, &entry)) return SoundFromFile(entry, ".mid");
    if (FindEntry(kResourceMpeg, id, &entry)) return SoundFromFile(entry, ".mp3");
    return nullptr;
}

// --- temporary files ---

TemporaryFileList::~TemporaryFileList() {
    for (uint32_t i = 0; i < mItems.size(); ++i) {
        mItems.mBuf[i]->Delete();
        delete mItems.mBuf[i];
    }
    if (sTemporaryFiles == this) sTemporaryFiles = nullptr;
}

void TemporaryFileList::Add(const FolderItemImp& item) { mItems.push_back(item.Clone()); }

TemporaryFileList& TemporaryFileList::Get() {
    if (!sTemporaryFiles) sTemporaryFiles = new TemporaryFileList;
    return *sTemporaryFiles;
}

// --- the application cursor table ---

bool LocateCursorRecord(int32_t id, HFILE* file, uint32_t* recordPosition) {
    if (id < 1) return false;
    if (!sCursorTableOpened) {
        sCursorTableOpened = true;
        sCursorTable = _lopen("data3.dat", OF_READ);
    }
    if (sCursorTable == HFILE_ERROR) return false;
    uint32_t count = 0;
    uint32_t offset = 0;
    if (!ReadBigEndian32(sCursorTable, 0, &count) || count < static_cast<uint32_t>(id))
        return false;
    if (!ReadBigEndian32(sCursorTable, 4 * static_cast<uint64_t>(id), &offset)) return false;
    // The records follow the count and the count's offsets.
    const uint64_t position = 4 + 4 * static_cast<uint64_t>(count) + offset;
    if (position > LONG_MAX) return false;
    if (file) *file = sCursorTable;
    if (recordPosition) *recordPosition = static_cast<uint32_t>(position);
    return true;
}

// --- exports ---

extern "C" {

ObjectHeader* RuntimeGetBitmapFromResourceManager(int32_t id) {
    ResourceManagerCommon& manager = ResourceManager::Instance();
    return manager.GetBitmap(static_cast<uint32_t>(id));
}

StringRecord* RuntimeGetTextFileFromResourceManager(int32_t id) {
    ResourceManagerCommon& manager = ResourceManager::Instance();
    return manager.GetText(static_cast<uint32_t>(id));
}

ObjectHeader* RuntimeGetCursorFromResourceManager(int32_t id) {
    return ResourceManager::Instance().GetCursor(static_cast<uint32_t>(id));
}

ObjectHeader* RuntimeGetSoundFromResourceManager(int32_t id) {
    return ResourceManager::Instance().GetSound(static_cast<uint32_t>(id));
}

}  // extern "C"
