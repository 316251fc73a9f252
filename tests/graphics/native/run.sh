#!/bin/sh
# run.sh SOURCE_DIR BUILD_DIR: builds the checks of the BMP and DIB header reader, the picture
# blend, the seed fill, the shape model and geometry and the pixel map rotation with the machine's
# own compiler under AddressSanitizer and runs them, then a short fuzzing run of the reader.
set -e
source=$1
build=$2
mkdir -p "$build"

# check UNIT NAME [MORE...]: builds graphics/UNIT.cpp (and the sources MORE, relative to the
# source folder) with tests/graphics/native/UNITCheck.cpp as NAME and runs it.
check() {
    unit=$1
    name=$2
    shift 2
    more=""
    for extra in "$@"; do more="$more $source/$extra"; done
    # shellcheck disable=SC2086
    c++ -std=c++20 -g -O1 -fsanitize=address,undefined -fno-sanitize-recover=all \
        -fno-omit-frame-pointer -I "$source" "$source/graphics/$unit.cpp" $more \
        "$source/tests/graphics/native/${unit}Check.cpp" -o "$build/$name"
    "$build/$name"
}
check BitmapHeader bitmap_header_check
check PictureBlend picture_blend_check
check SeedFill seed_fill_check
check ShapeOutlines shape_outlines_check graphics/ShapeModel.cpp tests/comms/native/NativeRuntime.cpp
check PixMapRotate pixmap_rotate_check
# A short libFuzzer run where clang has it (tools/install-deps does not bring clang).
if command -v clang++ >/dev/null &&
    clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -I "$source" \
        "$source/graphics/BitmapHeader.cpp" "$source/tests/graphics/native/BitmapHeaderFuzz.cpp" \
        -o "$build/bitmap_header_fuzz" 2>/dev/null; then
    "$build/bitmap_header_fuzz" -runs=100000 -max_len=512 -seed=1 2>"$build/fuzz.log" ||
        { tail -40 "$build/fuzz.log"; exit 1; }
    tail -1 "$build/fuzz.log"
fi
