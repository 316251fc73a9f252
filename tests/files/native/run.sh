#!/bin/sh
# run.sh SOURCE_DIR BUILD_DIR: builds the check of the platform-free storage logic with the
# machine's own compiler under AddressSanitizer and runs it.
set -e
source=$1
build=$2
mkdir -p "$build"
c++ -std=c++20 -g -O1 -fsanitize=address,undefined -fno-omit-frame-pointer -I "$source" \
    "$source/files/VarInt.cpp" "$source/files/RegistryPath.cpp" \
    "$source/tests/files/native/StorageLogicCheck.cpp" -o "$build/storage_logic_check"
exec "$build/storage_logic_check"
