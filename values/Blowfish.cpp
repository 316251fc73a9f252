#include "values/Blowfish.h"

#include <cstring>

#include "core/Exceptions.h"
#include "core/FailureReport.h"
#include "core/IntrinsicTypes.h"
#include "values/MemoryBlock.h"

namespace {

BlowfishObject* Fields(ObjectHeader* self) { return reinterpret_cast<BlowfishObject*>(self); }

inline uint32_t F(const BlowfishObject* b, uint32_t x) {
    return ((b->S[0][x >> 24] + b->S[1][(x >> 16) & 0xFF]) ^ b->S[2][(x >> 8) & 0xFF]) +
           b->S[3][x & 0xFF];
}

void Encipher(const BlowfishObject* b, uint32_t& xl, uint32_t& xr) {
    uint32_t l = xl, r = xr;
    for (int i = 0; i < kBlowfishRounds; ++i) {
        l ^= b->P[i];
        r ^= F(b, l);
        const uint32_t t = l;
        l = r;
        r = t;
    }
    const uint32_t t = l;
    l = r;
    r = t;
    r ^= b->P[kBlowfishRounds];
    l ^= b->P[kBlowfishRounds + 1];
    xl = l;
    xr = r;
}

void Decipher(const BlowfishObject* b, uint32_t& xl, uint32_t& xr) {
    uint32_t l = xl, r = xr;
    for (int i = kBlowfishRounds + 1; i > 1; --i) {
        l ^= b->P[i];
        r ^= F(b, l);
        const uint32_t t = l;
        l = r;
        r = t;
    }
    const uint32_t t = l;
    l = r;
    r = t;
    r ^= b->P[1];
    l ^= b->P[0];
    xl = l;
    xr = r;
}

// Every 8-byte group of the block through its Long accessor, left half first.
void EachGroup(ObjectHeader* self, ObjectHeader* block, bool encipher) {
    if (!block) return;
    const MemoryBlockObject* m = MemoryBlockFields(block);
    if (!m->data) return;
    if (m->size % 8 != 0) {
        RaiseExceptionWithMessage(UnsupportedFormatException(),
                                  string(encipher ? "The data being encrypted must be in multiples of 8 bytes"
                                                  : "The data being decrypted must be in multiples of 8 bytes"),
                                  0);
        return;
    }
    for (int32_t k = 0; k < m->size; k += 8) {
        auto l = static_cast<uint32_t>(memoryGetLong(block, k));
        auto r = static_cast<uint32_t>(memoryGetLong(block, k + 4));
        if (encipher)
            Encipher(Fields(self), l, r);
        else
            Decipher(Fields(self), l, r);
        memorySetLong(block, k, static_cast<int32_t>(l));
        memorySetLong(block, k + 4, static_cast<int32_t>(r));
    }
}

// Both Integers are passed by reference.
ParameterEntry kHalves[] = {{"xl", AsType(&kIntegerType), 1, 0, 0, 0},
                            {"xr", AsType(&kIntegerType), 1, 0, 0, 0}};
ParameterEntry kKey[] = {{"init", AsType(&kStringType), 0, 0, 0, 0}};
// The MemoryBlock type is filled in when the definition is built.
ParameterEntry kBlock[] = {{"block", nullptr, 0, 0, 0, 0}};

#define QV_METHOD(name, parameters, count, function) \
    {name, nullptr, parameters, count, Function(function, #function), {}, kMethodPlain, kRowAttr4, 0}

MethodEntry kBlowfishMethods[] = {
    QV_METHOD("Constructor", kKey, 1, BlowfishInitialize),
    QV_METHOD("Encipher", kHalves, 2, BlowfishEncipher),
    QV_METHOD("Encipher", kBlock, 1, BlowfishEncipherByBlock),
    QV_METHOD("Decipher", kHalves, 2, BlowfishDecipher),
    QV_METHOD("Decipher", kBlock, 1, BlowfishDecipherByBlock),
};

#undef QV_METHOD

const ClassRows kBlowfishRows = {
    .className = "_Blowfish",
    .superclass = nullptr,
    .objectSize = sizeof(BlowfishObject),
    .methods = kBlowfishMethods,
};

}  // namespace

ObjectDefinition* GetBlowfishDefinition() {
    static ObjectDefinition definition;
    if (definition.className.IsEmpty()) kBlock[0].parameterType = GetMemoryBlockDefinition()->AsType();
    return FillClassDefinition(definition, kBlowfishRows);
}

extern "C" {

void BlowfishInitialize(ObjectHeader* self, StringRecord* key) {
    if (StringRecord::Length(key) == 0) {
        ReportAssertion("BlowFish", __LINE__, "initStr", "Cannot initialize blowfish with an empty string");
        return;
    }
    BlowfishObject* b = Fields(self);
    const auto* bytes = reinterpret_cast<const unsigned char*>(StringRecord::CString(key));
    const size_t length = strnlen(reinterpret_cast<const char*>(bytes), static_cast<size_t>(key->length));
    size_t next = 0;
    for (int i = 0; i < kBlowfishRounds + 2; ++i) {
        uint32_t word = 0;
        for (int k = 0; k < 4; ++k) {
            word = (word << 8) | (length ? bytes[next] : 0);
            if (length && ++next == length) next = 0;
        }
        b->P[i] = kBlowfishInitialP[i] ^ word;
    }
    std::memcpy(b->S, kBlowfishInitialS, sizeof b->S);
    uint32_t l = 0, r = 0;
    for (int i = 0; i < kBlowfishRounds + 2; i += 2) {
        Encipher(b, l, r);
        b->P[i] = l;
        b->P[i + 1] = r;
    }
    for (auto& box : b->S)
        for (int j = 0; j < 256; j += 2) {
            Encipher(b, l, r);
            box[j] = l;
            box[j + 1] = r;
        }
}

void BlowfishEncipher(ObjectHeader* self, int32_t* xl, int32_t* xr) {
    Encipher(Fields(self), *reinterpret_cast<uint32_t*>(xl), *reinterpret_cast<uint32_t*>(xr));
}

void BlowfishDecipher(ObjectHeader* self, int32_t* xl, int32_t* xr) {
    Decipher(Fields(self), *reinterpret_cast<uint32_t*>(xl), *reinterpret_cast<uint32_t*>(xr));
}

void BlowfishEncipherByBlock(ObjectHeader* self, ObjectHeader* block) { EachGroup(self, block, true); }
void BlowfishDecipherByBlock(ObjectHeader* self, ObjectHeader* block) { EachGroup(self, block, false); }

}  // extern "C"
