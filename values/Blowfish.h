// The language's _Blowfish class: the Blowfish block cipher keyed from a string, enciphering and
// deciphering one 64-bit block held in two Integers, or a whole MemoryBlock in place eight bytes
// at a time, each group on its own. The block forms read and write the halves through the
// block's Long accessor, so they follow its byte order: a big-endian block gives the usual
// big-endian results of the cipher.
#pragma once

#include <cstdint>

#include "core/ClassDefinition.h"
#include "core/ObjectModel.h"
#include "core/RuntimeString.h"
#include "values/BlowfishTables.h"

// Fixed by the class definition's size.
struct BlowfishObject {
    ObjectHeader header;
    uint32_t S[4][256];
    uint32_t P[kBlowfishRounds + 2];
};

ObjectDefinition* GetBlowfishDefinition();

extern "C" {
// The key is the text's bytes up to the first zero byte, cycled; only the first 72 can matter. An
// empty key is reported and leaves the object unkeyed.
void BlowfishInitialize(ObjectHeader* self, StringRecord* key);
void BlowfishEncipher(ObjectHeader* self, int32_t* xl, int32_t* xr);
void BlowfishDecipher(ObjectHeader* self, int32_t* xl, int32_t* xr);
// A block whose size is not a multiple of 8 raises UnsupportedFormatException and is left alone.
void BlowfishEncipherByBlock(ObjectHeader* self, ObjectHeader* block);
void BlowfishDecipherByBlock(ObjectHeader* self, ObjectHeader* block);
}
