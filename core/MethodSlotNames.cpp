#include "MethodSlotNames.h"

#include <cstring>

string MethodNameOfSlot(const string& slotName) {
    const char* text = slotName.CString();
    if (!text) return string();
    const char* end = std::strchr(text, '%');
    if (!end) end = text + slotName.Length();
    const char* start = text;
    for (const char* p = text; p < end; ++p)
        if (*p == '.') start = p + 1;
    string name;
    name.SetBytes(start, static_cast<int32_t>(end - start));
    name.SetEncoding(slotName.Encoding());
    return name;
}

void* FindInterfaceMethod(ObjectHeader* object, const ClassRecord* interfaceClass,
                          const string& name) {
    if (!object || !interfaceClass || name.IsEmpty()) return nullptr;
    for (const ClassRecord* c = object->classPtr; c; c = c->super) {
        for (int32_t i = 0; i < c->interfaceCount; ++i) {
            const InterfaceSlot& slot = c->interfaces[i];
            if (slot.interfaceClass != interfaceClass) continue;
            for (int32_t m = 0; m < slot.methodCount; ++m)
                if (slot.methods[m].name &&
                    string::CompareNoCase(MethodNameOfSlot(string(slot.methods[m].name)), name) == 0)
                    return slot.methods[m].function;
        }
    }
    return nullptr;
}
