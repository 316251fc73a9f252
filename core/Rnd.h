// The language's Rnd: one process-wide minimal-standard generator, seeded from the clock on first
// use unless srnd seeded it. Array Shuffle draws from it too.
#pragma once

extern "C" {
// A value in [0, 1) with 20 random bits.
double rnd();
// Sets the state to the seed truncated toward zero and returns the state it replaced; a seed of 0
// makes the next rnd seed itself from the clock.
double srnd(double seed);
}
