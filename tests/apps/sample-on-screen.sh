#!/bin/bash
# sample-on-screen.sh WINE_RUN EVENTS_EXE FOLDER BACKDROP_BMP PICTURE_BMP: runs the sample asking
# for a screenshot (QV_SCREENSHOT; QV_CAPTURE_SCREEN names the tool), which it has taken of its
# window from outside Wine while the window is open, and reads pixels at client points of it: the
# Backdrop at 0,0 and the picture Paint draws at 100,40 as ImageMagick reads the BMPs, the back
# colour &h3366CC beside them. Prints the application's output and one line of what the
# screenshot showed; the PNG stays in FOLDER.
wine_run=$1
program=$2
folder=$3
backdrop=$4
picture=$5
source "$(dirname "$0")/screen-pixels.sh"
rm -rf "$folder"
mkdir -p "$folder"
shot=$folder/events.png
shoot "$wine_run" "$program" "$folder" "$shot" || exit $status
back="51,102,204"
line="screen:"
# check LABEL EXPECTED X Y...: the screenshot's pixel at each client point X,Y is EXPECTED, or
# the BMP's pixel at the same point less OFFSET_X,OFFSET_Y when EXPECTED names a file.
check() {
    local label=$1 expected=$2 ox=$3 oy=$4 verdict=$1
    shift 4
    while [ $# -gt 1 ]; do
        local want=$expected got
        [ -f "$expected" ] && want=$(rgb_of "$expected" $(($1 - ox)) $(($2 - oy)))
        got=$(rgb_of "$shot" $((cx + $1)) $((cy + $2)))
        [ "$got" = "$want" ] || verdict="$label-at-$1,$2=$got-not-$want"
        shift 2
    done
    line="$line $verdict"
}
check backdrop "$backdrop" 0 0 0 0 8 8 15 0 0 15 15 15
check picture "$picture" 100 40 100 40 102 40 100 42 107 47
check back "$back" 0 0 16 0 0 16 99 39 108 47 150 100 199 119
echo "$line"
echo "screenshot: $shot"
exit $status
