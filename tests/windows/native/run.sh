#!/bin/sh
# run.sh SOURCE_DIR BUILD_DIR: builds the key-table check with the machine's own compiler under
# AddressSanitizer and runs it.
set -e
source=$1
build=$2
mkdir -p "$build"
c++ -std=c++20 -g -O1 -fsanitize=address,undefined -fno-omit-frame-pointer -I "$source" \
    "$source/windows/KeyCodes.cpp" "$source/tests/windows/native/KeyCodesCheck.cpp" \
    -o "$build/key_codes_check"
exec "$build/key_codes_check"
