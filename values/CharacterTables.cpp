#include "CharacterTables.h"

#include <windows.h>

#include "core/EncodingConversion.h"
#include "core/ByteUtilities.h"
#include "core/GuardedMemory.h"
#include "core/IntKeyMap.h"

namespace {

int32_t sSystemScript = 0;

// What the single-byte paths read before the first selection: no lead bytes, ASCII letters only.
struct AsciiTables {
    CharacterTables block{};
    AsciiTables() {
        for (int b = 0; b < 256; ++b) {
            block.upper[b] = static_cast<unsigned char>(b >= 'a' && b <= 'z' ? b - 32 : b);
            block.lower[b] = static_cast<unsigned char>(b >= 'A' && b <= 'Z' ? b + 32 : b);
        }
    }
};

const AsciiTables sAsciiTables;

const unsigned char* sLead = sAsciiTables.block.lead;
const unsigned char* sUpper = sAsciiTables.block.upper;
const unsigned char* sLower = sAsciiTables.block.lower;
bool sHasLeadBytes = false;

// Blocks live until the process ends; the map's destruction frees its nodes only.
IntKeyMap<CharacterTables*>& Cache() {
    static IntKeyMap<CharacterTables*> cache;
    return cache;
}

CharacterTables* BuildTables(uint32_t codePage) {
    auto* block = static_cast<CharacterTables*>(GuardedNew(sizeof(CharacterTables)));
    ZeroBytes(block, sizeof(CharacterTables));
    bool hasLeadBytes = false;
    for (int b = 0; b < 256; ++b) {
        if (IsDBCSLeadByteEx(codePage, static_cast<BYTE>(b))) {
            block->lead[b] = 1;
            hasLeadBytes = true;
        }
    }
    if (!hasLeadBytes) {
        for (int b = 0; b < 256; ++b) {
            char upper = static_cast<char>(b);
            char lower = static_cast<char>(b);
            CharUpperBuffA(&upper, 1);
            CharLowerBuffA(&lower, 1);
            block->upper[b] = static_cast<unsigned char>(upper);
            block->lower[b] = static_cast<unsigned char>(lower);
        }
    }
    block->hasLeadBytes = hasLeadBytes ? 1 : 0;
    return block;
}

}  // namespace

void MakeCharacterTablesCurrent(const CharacterTables* block) {
    sLead = block->lead;
    sUpper = block->upper;
    sLower = block->lower;
    sHasLeadBytes = block->hasLeadBytes != 0;
}

bool SelectCharacterTables(uint32_t encoding) {
    if (encoding == kEncodingUnknown) encoding = SystemTextEncoding();
    CharacterTables* block = nullptr;
    if (Cache().GetEntry(encoding, block)) {
        MakeCharacterTablesCurrent(block);
        return sHasLeadBytes;
    }
    uint32_t codePage = 0;
    if (!CodePageForEncoding(codePage, encoding, 0, 0)) return false;
    // The conversion's own pseudo code pages stand for no Windows code page but EUC-JP's, whose
    // lead bytes are those of code page 20932.
    if (codePage == kCodePageEUCJP) codePage = 20932;
    if (codePage == kCodePageISO2022JP || !IsValidCodePage(codePage)) return false;
    block = BuildTables(codePage);
    Cache().SetEntry(encoding, block);
    MakeCharacterTablesCurrent(block);
    return sHasLeadBytes;
}

bool SelectSystemCharacterTables() { return SelectCharacterTables(SystemTextEncoding()); }

bool IsSystemLeadByte(unsigned char byte) { return SelectSystemCharacterTables() && sLead[byte]; }

const unsigned char* CurrentLeadTable() { return sLead; }
const unsigned char* CurrentUpperTable() { return sUpper; }
const unsigned char* CurrentLowerTable() { return sLower; }
bool CurrentHasLeadBytes() { return sHasLeadBytes; }

int32_t DBCSCharStart(const string& s, int32_t n) {
    const int32_t length = s.Length();
    if (length == 0 || n <= 0) return 0;
    const auto* bytes = reinterpret_cast<const unsigned char*>(s.CString());
    int32_t p = 1;
    int32_t counter = 0;
    while (p <= length && ++counter != n) p += sLead[bytes[p - 1]] + 1;
    return p;
}

int32_t DBCSCharEnd(const string& s, int32_t n) {
    const int32_t length = s.Length();
    if (length == 0 || n <= 0) return 0;
    const auto* bytes = reinterpret_cast<const unsigned char*>(s.CString());
    int32_t p = 1;
    int32_t counter = 0;
    while (p <= length) {
        ++counter;
        p += sLead[bytes[p - 1]] + 1;
        if (counter == n) return p - 1;
    }
    return p;
}

int32_t DBCSCharCount(const unsigned char* bytes, int32_t length) {
    int32_t count = 0;
    for (int32_t i = 0; i < length; i += sLead[bytes[i]] + 1) ++count;
    return count;
}

string ConvertToSystemScriptEncoding(const string& s) {
    switch (SystemScript()) {
    case 13: return ConvertStringEncoding(s, kEncodingShiftJIS);
    case 21: return ConvertStringEncoding(s, kEncodingDOSChineseTrad);
    default: return ConvertStringEncoding(s, kEncodingWindowsLatin1);
    }
}

int32_t SystemScriptForLanguage(uint16_t languageId) {
    switch (languageId) {
    case 0x0404:
    case 0x0804:
    case 0x0C04:
    case 0x1004:
        return 21;
    case 0x0411:
        return 13;
    default:
        return 0;
    }
}

int32_t SystemScript() { return sSystemScript; }

void InitializeSystemScript() {
    sSystemScript = SystemScriptForLanguage(GetUserDefaultLangID());
    // The string functions' single-byte paths read the current tables from the first call on.
    SelectSystemCharacterTables();
}
