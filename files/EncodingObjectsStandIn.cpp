// Stand-in until the TextEncoding class exists: no TextEncoding object can be made yet, so every
// encoding value maps to nil and every object to 0xFFFF (no encoding). It lacks the class, the
// interned objects and the values they carry: until then a text stream's Encoding property is nil
// and its reads are tagged 0xFFFF unless the caller names an encoding value directly, and the
// encoding properties and parameters are typed as the root class Object.
#include "EncodingObjectsStandIn.h"

#include "core/RuntimeString.h"

ObjectHeader* GetEncodingObjectFromCode(uint32_t) { return nullptr; }

uint32_t GetEncodingFromTEObject(ObjectHeader*) { return kEncodingUnknown; }

const TypeDescriptor* TextEncodingType() { return AsType(Object()); }
