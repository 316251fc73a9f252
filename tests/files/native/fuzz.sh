#!/bin/sh
# fuzz.sh CLANG SOURCE_DIR BUILD_DIR SECONDS: builds the SaveInfo reader's libFuzzer target under
# AddressSanitizer and UndefinedBehaviorSanitizer and runs it for SECONDS over a copy of the seed
# records; any finding fails the run.
set -e
clang=$1
source=$2
build=$3
seconds=$4
mkdir -p "$build"
"$clang" -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
    -fno-omit-frame-pointer -I "$source" \
    "$source/files/SaveInfoRecord.cpp" "$source/files/RelativePath.cpp" "$source/files/Win32PathText.cpp" \
    "$source/tests/files/native/SaveInfoFuzz.cpp" -o "$build/save_info_fuzz"
rm -rf "$build/corpus"
cp -r "$source/tests/files/native/saveinfo-seeds" "$build/corpus"
cd "$build"
exec ./save_info_fuzz -max_total_time="$seconds" -timeout=5 -print_final_stats=1 corpus
