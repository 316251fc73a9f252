// Stand-in until the cooperative threads land: it tests no stack and only counts calls for the
// tests; the cooperative threads work replaces it with the real check.
#include <cstdint>

extern "C" {
int32_t gStackCheckStandInCalls = 0;
void RuntimeStackCheck() { ++gStackCheckStandInCalls; }
}
