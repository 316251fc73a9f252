#!/bin/sh
# run.sh SOURCE_DIR BUILD_DIR: builds the key-table, shortcut-text and window-placement checks with
# the machine's own compiler under AddressSanitizer and runs them.
set -e
source=$1
build=$2
mkdir -p "$build"
flags="-std=c++20 -g -O1 -fsanitize=address,undefined -fno-omit-frame-pointer -I $source"
c++ $flags "$source/windows/KeyCodes.cpp" "$source/tests/windows/native/KeyCodesCheck.cpp" \
    -o "$build/key_codes_check"
c++ $flags "$source/windows/ShortcutText.cpp" "$source/tests/windows/native/ShortcutTextCheck.cpp" \
    -o "$build/shortcut_text_check"
c++ $flags "$source/windows/WindowPlacement.cpp" "$source/windows/Geometry.cpp" \
    "$source/core/Rect16.cpp" "$source/tests/windows/native/WindowPlacementCheck.cpp" \
    -o "$build/window_placement_check"
"$build/key_codes_check"
"$build/shortcut_text_check"
exec "$build/window_placement_check"
