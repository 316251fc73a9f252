#!/bin/sh
# run.sh SOURCE_DIR BUILD_DIR: builds the byte-queue model check with the machine's own compiler
# under AddressSanitizer and runs it.
set -e
source=$1
build=$2
mkdir -p "$build"
c++ -std=c++20 -g -O1 -fsanitize=address,undefined -fno-omit-frame-pointer -I "$source" \
    "$source/comms/MemoryManager.cpp" "$source/tests/comms/native/NativeRuntime.cpp" \
    "$source/tests/comms/native/QueueModelCheckMain.cpp" -o "$build/queue_model_check"
exec "$build/queue_model_check"
