#!/bin/sh
# run.sh SOURCE_DIR BUILD_DIR: builds the checks of the platform-free storage logic with the
# machine's own compiler under AddressSanitizer and runs them.
set -e
source=$1
build=$2
mkdir -p "$build"
flags="-std=c++20 -g -O1 -fsanitize=address,undefined -fno-omit-frame-pointer -I $source"
c++ $flags "$source/files/VarInt.cpp" "$source/files/RegistryPath.cpp" \
    "$source/tests/files/native/StorageLogicCheck.cpp" -o "$build/storage_logic_check"
c++ $flags "$source/files/Win32PathText.cpp" "$source/files/FileTypeRules.cpp" \
    "$source/tests/files/native/FolderPathCheck.cpp" -o "$build/folder_path_check"
"$build/storage_logic_check"
exec "$build/folder_path_check"
