#!/bin/bash
# shapes-on-screen.sh WINE_RUN SHAPESWINDOW_EXE FOLDER: runs the shapes window asking for a
# screenshot taken from outside Wine while it is open, then compares the screenshot at each client
# point the application printed as "expect X,Y=R,G,B" (its drawing made into a picture) with that
# colour. Prints the application's output and one line of what the screenshot showed; the PNG
# stays in FOLDER.
wine_run=$1
program=$2
folder=$3
source "$(dirname "$0")/screen-pixels.sh"
rm -rf "$folder"
mkdir -p "$folder"
shot=$folder/shapes.png
shoot "$wine_run" "$program" "$folder" "$shot" || exit $status
same=0
line=""
while read -r point; do
    xy=${point%=*}
    want=${point#*=}
    x=${xy%,*}
    y=${xy#*,}
    got=$(rgb_of "$shot" $((cx + x)) $((cy + y)))
    if [ "$got" = "$want" ]; then
        same=$((same + 1))
    else
        line="$line at-$x,$y=$got-not-$want"
    fi
done < <(grep -o 'expect [0-9]*,[0-9]*=[0-9]*,[0-9]*,[0-9]*' "$folder/app.log" | cut -d' ' -f2)
echo "screen: $same points as drawn in a picture$line"
echo "screenshot: $shot"
exit $status
