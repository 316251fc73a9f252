#!/bin/sh
# run.sh SOURCE_DIR BUILD_DIR: builds the checks of the BMP and DIB header reader, the picture
# blend and the seed fill with the machine's own compiler under AddressSanitizer and runs them,
# then a short fuzzing run of the reader.
set -e
source=$1
build=$2
mkdir -p "$build"

# check UNIT NAME: builds graphics/UNIT.cpp with tests/graphics/native/UNITCheck.cpp as NAME and
# runs it.
check() {
    c++ -std=c++20 -g -O1 -fsanitize=address,undefined -fno-sanitize-recover=all \
        -fno-omit-frame-pointer -I "$source" "$source/graphics/$1.cpp" \
        "$source/tests/graphics/native/$1Check.cpp" -o "$build/$2"
    "$build/$2"
}
check BitmapHeader bitmap_header_check
check PictureBlend picture_blend_check
check SeedFill seed_fill_check
# A short libFuzzer run where clang has it (tools/install-deps does not bring clang).
if command -v clang++ >/dev/null &&
    clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -I "$source" \
        "$source/graphics/BitmapHeader.cpp" "$source/tests/graphics/native/BitmapHeaderFuzz.cpp" \
        -o "$build/bitmap_header_fuzz" 2>/dev/null; then
    "$build/bitmap_header_fuzz" -runs=100000 -max_len=512 -seed=1 2>"$build/fuzz.log" ||
        { tail -40 "$build/fuzz.log"; exit 1; }
    tail -1 "$build/fuzz.log"
fi
