#!/bin/sh
# fuzz.sh CLANG SOURCE_DIR BUILD_DIR SECONDS: builds the mass-property decoder's libFuzzer target
# under AddressSanitizer and UndefinedBehaviorSanitizer and runs it for SECONDS from a few seed
# streams; any finding fails the run.
set -e
clang=$1
source=$2
build=$3
seconds=$4
mkdir -p "$build/corpus"
"$clang" -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
    -fno-omit-frame-pointer -I "$source" \
    "$source/controls/MassPropertyStream.cpp" \
    "$source/tests/controls/native/MassPropertyFuzz.cpp" -o "$build/mass_property_fuzz"
# One record of each type, and a text record.
printf '\000\000\001\000\001\377\200\000\000\002\100\011\041\373\124\104\055\030\000\003\077\300\000\000\000\004\000\000\000\052' > "$build/corpus/types"
printf '\000\005\000\000\000\003abc\000\005\000\000\000\000' > "$build/corpus/texts"
cd "$build"
exec ./mass_property_fuzz -max_total_time="$seconds" -timeout=5 -print_final_stats=1 corpus
