#!/bin/sh
# run-volumes.sh SOURCE_DIR BUILD_DIR [FUZZ_SECONDS]: builds the virtual-volume engine with the
# machine's own compiler. The checks run under AddressSanitizer with a short model run, the
# independent decoder (tools/qvv-dump.py) must list the volumes they write as the engine does; the full
# model run (10,000 steps, two seeds) runs optimised without sanitizers; with FUZZ_SECONDS the
# libFuzzer target runs that long instead.
set -e
source=$1
build=$2
mkdir -p "$build"
engine="$source/files/BlockMap.cpp $source/files/VFSCore.cpp $source/files/VHFS.cpp \
    $source/files/VolumeFileStream.cpp $source/files/ByteStream.cpp $source/files/VarInt.cpp \
    $source/tests/files/native/VolumeNativeRuntime.cpp $source/tests/comms/native/NativeRuntime.cpp"
if [ -n "$3" ]; then
    clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all -I "$source" \
        $engine "$source/tests/files/native/VolumeFuzz.cpp" -o "$build/volume_fuzz"
    mkdir -p "$build/volume_corpus"
    # Seeds: a small volume with folders and files, made by the checks below.
    "$build/volume_fuzz" -max_total_time="$3" -max_len=8192 -timeout=10 -rss_limit_mb=1024 \
        -artifact_prefix="$build/" \
        "$build/volume_corpus" "$source/tests/files/volume-seeds" 2>"$build/fuzz.log" ||
        { tail -40 "$build/fuzz.log"; exit 1; }
    tail -1 "$build/fuzz.log"
    exit 0
fi
c++ -std=c++20 -g -O1 -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer \
    -I "$source" $engine "$source/tests/files/native/VirtualVolumeCheck.cpp" -o "$build/volume_check"
c++ -std=c++20 -O2 -I "$source" $engine "$source/tests/files/native/VirtualVolumeCheck.cpp" \
    -o "$build/volume_model"
"$build/volume_check" 500
mkdir -p "$build/export"
rm -f "$build"/export/*
"$build/volume_check" export "$build/export"
for volume in "$build"/export/*.qvv; do
    python3 "$source/tools/qvv-dump.py" "$volume" --expect "${volume%.qvv}.list"
done
echo "the independent decoder agrees on $(ls "$build"/export/*.qvv | wc -l) volumes"
exec "$build/volume_model" 10000 model
