#!/bin/sh
# run.sh SOURCE_DIR BUILD_DIR COUNT: builds the number-text check with the machine's own compiler
# and checks COUNT random doubles against the C library's exactly rounded printf.
set -e
source=$1
build=$2
mkdir -p "$build"
c++ -std=c++20 -O2 -I "$source" "$source/values/NumberFormat.cpp" \
    "$source/tests/values/native/NumberFormatCheck.cpp" -o "$build/number_format_check"
exec "$build/number_format_check" "$3"
