// The checks of the native test programs: a failed condition is printed with its line and
// counted, and the program goes on to the next.
#pragma once

#include <cstdio>

inline int sFailures = 0;

#define CHECK(condition)                                                     \
    do {                                                                     \
        if (!(condition)) {                                                  \
            ++sFailures;                                                     \
            std::printf("FAILED line %d: %s\n", __LINE__, #condition);       \
        }                                                                    \
    } while (0)
