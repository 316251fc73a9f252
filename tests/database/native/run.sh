#!/bin/sh
# run.sh SOURCE_DIR BUILD_DIR: builds the storage and engine checks with the machine's own compiler
# under AddressSanitizer and runs them; the independent reader must then read every file they leave
# as the runtime does. Ends with a short fuzzing run where clang has libFuzzer.
set -e
source=$1
build=$2
mkdir -p "$build/files"
rm -f "$build"/files/*
storage="$source/database/StorageFormat.cpp $source/database/StorageFile.cpp \
    $source/database/PageStore.cpp $source/database/StorageTree.cpp $source/core/LRUList.cpp"
engine="$storage $source/database/EngineValues.cpp $source/database/EngineDatabase.cpp \
    $source/values/NumberParse.cpp $source/values/NumberFormat.cpp $source/core/DigitParse.cpp"
c++ -std=c++20 -g -O1 -fsanitize=address,undefined -fno-sanitize-recover=all \
    -fno-omit-frame-pointer -I "$source" $storage \
    "$source/tests/database/native/StorageCheck.cpp" -o "$build/storage_check"
"$build/storage_check" "$build/files"
c++ -std=c++20 -g -O1 -fsanitize=address,undefined -fno-sanitize-recover=all \
    -fno-omit-frame-pointer -I "$source" $engine \
    "$source/tests/database/native/EngineCheck.cpp" -o "$build/engine_check"
"$build/engine_check" "$build/files"
for file in "$build"/files/*.qvdb; do
    python3 "$source/tools/qvdb-dump.py" "$file" --expect "${file%.qvdb}.dump"
done
echo "the independent reader agrees on $(ls "$build"/files/*.qvdb | wc -l) files"
if command -v clang++ >/dev/null &&
    clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -I "$source" $engine \
        "$source/tests/database/native/StorageFuzz.cpp" -o "$build/storage_fuzz" 2>/dev/null; then
    "$build/storage_fuzz" -runs=5000 -max_len=64 -seed=1 2>"$build/fuzz.log" ||
        { tail -40 "$build/fuzz.log"; exit 1; }
    tail -1 "$build/fuzz.log"
fi
