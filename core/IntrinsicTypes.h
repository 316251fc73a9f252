// The built-in value types that property and method rows name, with the text conversions that
// plug-ins reach through FillSpawnTypeTable.
#pragma once

#include "core/ClassDefinition.h"

extern const IntrinsicType kStringType;
extern const IntrinsicType kIntegerType;
extern const IntrinsicType kUIntegerType;
extern const IntrinsicType kBooleanType;
extern const IntrinsicType kSingleType;
extern const IntrinsicType kDoubleType;
extern const IntrinsicType kColorType;
extern const IntrinsicType kPtrType;
extern const IntrinsicType kWindowPtrType;
extern const IntrinsicType kOSTypeType;
extern const IntrinsicType kCStringType;
extern const IntrinsicType kPStringType;
extern const IntrinsicType kShortType;
extern const IntrinsicType kClassType;

// The fourteen descriptors in their fixed order.
extern const IntrinsicType* const kIntrinsicTypes[14];

// A Single's text is the number texts' (values), which start-up installs: seven significant digits
// out, Val's reading in. Until then a Single converts to the empty text and from no text.
struct SingleTextHooks {
    string (*toText)(float value);
    double (*fromText)(StringRecord* text);
};
void SetSingleTextHooks(const SingleTextHooks& hooks);

// The descriptor of a type name, compared without regard to case; null when none.
const IntrinsicType* FindIntrinsicType(const char* name);

extern "C" {
// Writes the 12 descriptors plug-ins receive: String, Integer, Boolean, Single, Double, Color,
// Ptr, WindowPtr, OSType, CString, PString, Short. Returns the table.
const IntrinsicType** FillSpawnTypeTable(const IntrinsicType** table);
}
