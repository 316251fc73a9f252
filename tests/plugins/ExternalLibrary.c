/* A library whose functions the tests bind at run time by name and by ordinal; built twice, so
 * that one name exported by two libraries can be told apart by its answer. */
#include <stdint.h>

#ifndef LIBRARY_ANSWER
#define LIBRARY_ANSWER 1
#endif

__declspec(dllexport) int32_t Answer(void) { return LIBRARY_ANSWER; }
__declspec(dllexport) int32_t Other(void) { return 100 + LIBRARY_ANSWER; }
