// The published initial state of the Blowfish cipher.
#pragma once

#include <cstdint>

constexpr int kBlowfishRounds = 16;

extern const uint32_t kBlowfishInitialP[kBlowfishRounds + 2];
extern const uint32_t kBlowfishInitialS[4][256];
