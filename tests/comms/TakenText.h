// The bytes of a string result as test text, giving the result's reference back.
#pragma once

#include <string>

#include "core/ObjectModel.h"
#include "core/RuntimeString.h"

inline std::string TakenText(StringRecord* record) {
    std::string text = record ? std::string(reinterpret_cast<const char*>(record->buffer + 1),
                                            static_cast<size_t>(record->length))
                              : std::string();
    RuntimeUnlockString(record);
    return text;
}
