#include "EditFieldClass.h"

namespace {

const ClassRows kEditFieldRows = {
    .className = "EditField",
    .superclass = nullptr,
    .objectSize = kObjectHeaderSize,
};

}  // namespace

ObjectDefinition* GetEditFieldDefinition() {
    static ObjectDefinition definition;
    return FillClassDefinition(definition, kEditFieldRows);
}
