#include "MediaClasses.h"

namespace {

const ClassRows kMovieRows = {
    .className = "Movie",
    .superclass = nullptr,
    .objectSize = kObjectHeaderSize,
};

const ClassRows kSoundRows = {
    .className = "Sound",
    .superclass = nullptr,
    .objectSize = kObjectHeaderSize,
};

}  // namespace

ObjectDefinition* GetMovieDefinition() {
    static ObjectDefinition definition;
    return FillClassDefinition(definition, kMovieRows);
}

ObjectDefinition* GetSoundDefinition() {
    static ObjectDefinition definition;
    return FillClassDefinition(definition, kSoundRows);
}
