#!/bin/bash
# mutex-processes.sh WINE_RUN MUTEX_EXE FOLDER: runs the holder in the background and the probe
# in front, both sharing FOLDER for their signal files; prints what both wrote.
wine_run=$1
program=$2
folder=$3
rm -rf "$folder"
mkdir -p "$folder"
export QV_MUTEX_DIR
QV_MUTEX_DIR="Z:${folder//\//\\}"
"$wine_run" "$program" holder > "$folder/holder.log" 2>&1 &
holder=$!
"$wine_run" "$program" probe
status=$?
wait "$holder"
cat "$folder/holder.log"
exit $status
