#!/bin/bash
# window-on-screen.sh WINE_RUN WINDOWLOG_EXE FOLDER BACKDROP_BMP: runs the "shot" scenario of
# windowlog, takes a capture of the whole display from outside Wine while the window is open and
# reads the pixels just inside and just outside its client area at the point ClientToScreen gave:
# the Backdrop's corners as ImageMagick reads the BMP, the back colour beside it; then presses,
# drags and releases the real pointer and types a key with xdotool. Prints the application's log
# and one line of what the capture showed; the capture is kept in FOLDER.
wine_run=$1
program=$2
folder=$3
backdrop=$4
source "$(dirname "$0")/screen-pixels.sh"
rm -rf "$folder"
mkdir -p "$folder"
QV_SCENARIO=shot "$wine_run" "$program" > "$folder/app.log" 2>&1 &
app=$!
for _ in $(seq 1 240); do
    grep -q 'origin=' "$folder/app.log" && break
    sleep 0.5
done
sleep 1
origin=$(grep -o 'origin=[0-9]*,[0-9]*' "$folder/app.log" | cut -d= -f2)
x=${origin%,*}
y=${origin#*,}
pixel() { rgb_of "$folder/screen.png" "$1" "$2"; }
bmp_pixel() { rgb_of "$backdrop" "$1" "$2"; }
if [ -n "$origin" ] && command -v import >/dev/null && import -window root "$folder/screen.png"; then
    red="255,0,0"
    line="screen:"
    [ "$(pixel "$x" "$y")" = "$(bmp_pixel 0 0)" ] && line="$line top-left=backdrop" || line="$line top-left=$(pixel "$x" "$y")"
    [ "$(pixel $((x + 8)) $((y + 8)))" = "$(bmp_pixel 8 8)" ] && line="$line backdrop-middle=backdrop" || line="$line backdrop-middle=other"
    [ "$(pixel $((x + 200)) $((y + 5)))" = "$red" ] && line="$line right=back" || line="$line right=other"
    [ "$(pixel $((x - 1)) $((y - 1)))" != "$red" ] && line="$line before=other" || line="$line before=back"
    [ "$(pixel $((x + 299)) $((y + 199)))" = "$red" ] && line="$line bottom-right=back" || line="$line bottom-right=other"
    [ "$(pixel $((x + 300)) $((y + 200)))" != "$red" ] && line="$line beyond=other" || line="$line beyond=back"
else
    line="screen: no capture"
fi
if [ -n "$origin" ] && command -v xdotool >/dev/null; then
    xdotool mousemove $((x + 250)) $((y + 150)) sleep 0.5 mousedown 1 sleep 0.5 \
        mousemove $((x + 260)) $((y + 160)) sleep 0.5 mouseup 1 sleep 0.5
fi
wait "$app"
status=$?
cat "$folder/app.log"
echo "$line"
exit $status
