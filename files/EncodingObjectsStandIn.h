// TextEncoding objects and encoding values, as the stream classes exchange them through their
// Encoding property and encoding parameters.
#pragma once

#include <cstdint>

#include "core/ClassDefinition.h"
#include "core/ObjectModel.h"

// The type of the Encoding properties and encoding parameters of the stream classes.
const TypeDescriptor* TextEncodingType();

extern "C" {
// The TextEncoding object of an encoding value (a new reference); nil for 0xFFFF.
ObjectHeader* GetEncodingObjectFromCode(uint32_t value);
// The encoding value of a TextEncoding object; 0xFFFF for nil.
uint32_t GetEncodingFromTEObject(ObjectHeader* encoding);
}
