// The failure count and report line of the native checks.
#pragma once

#include <cstdio>
#include <string_view>

inline int failures = 0;

inline void Check(bool ok, const char* what, std::string_view input) {
    if (ok) return;
    ++failures;
    std::printf("FAIL %s: %.*s\n", what, static_cast<int>(input.size()), input.data());
}
