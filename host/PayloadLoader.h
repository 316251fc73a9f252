// The application payload: one compiled application appended to the runtime's executable (or, in
// development, six member files in the current directory). The loader finds it, places the code
// in executable memory, links it against the link table, the system's libraries and its own data,
// registers its resources, applies its options and runs its entry.
//
// The payload format is the compiler's; the runtime only reads it. Every value is little-endian.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/RuntimeString.h"

constexpr char kPayloadMagic[6] = {'1', '1', '2', '3', '5', '8'};
constexpr uint16_t kPayloadLocatorId = 101;

enum ImportRecordKind : uint8_t {
    kImportRuntimeFunction = 1,
    kImportDataRelocation = 2,
    kImportCodeRelocation = 3,
    kImportDeclareFunction = 4,
    kImportStringLiteral = 5,
};

// The six members in their order in the file.
enum PayloadMemberIndex { kMemberCode, kMemberData, kMemberImport, kMemberSymbols, kMemberRsrc, kMemberOptions, kMemberCount };

// Finds, links and runs the application; returns when it has ended. False when no application
// could be run (nothing found, a corrupt payload, or an import that could not be linked).
bool LoadAndRunPayload();

// The parts of LoadAndRunPayload, for the main entry's start-up order and for tests.
// Reads the payload from a file: at offset (its magic), or, when the magic is not there, at the
// end of the file minus length minus 6. Reports and returns false when it is not found or is
// truncated.
bool LoadPayloadFromFile(const string& path, uint32_t offset, uint32_t length);
// Reads the members from the six fallback files of the current directory.
bool LoadPayloadFromFallbackFiles();
// The member passes; false when a record was corrupt or an import could not be linked.
bool LinkPayloadImports(const uint8_t* bytes, uint32_t length);
bool RegisterPayloadResources(const uint8_t* bytes, uint32_t length, uint32_t fileOffset);
bool ApplyPayloadOptions(const uint8_t* bytes, uint32_t length);
// Calls the entry at code offset 0, then destroys the shut-down contexts.
void RunPayloadEntry();

// A whole file of the current directory in a new heap block (GuardedNew); null and size 0 when
// it cannot be opened.
uint8_t* ReadWholeFile(const char* fileName, uint32_t* size);

void* PayloadCodeBase();
uint32_t PayloadCodeSize();
void* PayloadDataBase();
uint32_t PayloadDataSize();
bool IsPayloadMDI();
const string& PayloadMDICaption();
// The libraries that declared functions named, one per distinct name (compared without case).
int32_t DeclaredLibraryCount();

// The nearest symbol strictly below a code address and the distance to it.
bool LookupCodeSymbol(const void* address, string* name, int32_t* distance);
