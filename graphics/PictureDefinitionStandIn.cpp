#include "PictureDefinitionStandIn.h"

namespace {

const ClassRows kPictureRows = {.className = "Picture", .superclass = nullptr, .objectSize = kObjectHeaderSize};

}  // namespace

ObjectDefinition* GetPictureDefinition() {
    static ObjectDefinition definition;
    return FillClassDefinition(definition, kPictureRows);
}
