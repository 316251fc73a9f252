// The Unicode case data that tools/gen-case-tables.py writes to CaseTables.cpp.
#pragma once

#include <cstdint>

struct CasePair {
    uint16_t source;
    uint16_t target;
};

// Simple case foldings (statuses C and S), except that a letter folding onto its capital gives way
// to the capital and its lower case (Cherokee); sorted by source; sources are unique, targets are not.
extern const CasePair CaseFoldPairs[];
extern const int32_t kCaseFoldPairsCount;
// Simple upper-case mappings, sorted by source.
extern const CasePair CaseUpperPairs[];
extern const int32_t kCaseUpperPairsCount;
