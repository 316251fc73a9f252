# Sourced by the scripts that read pixels of a capture of the display or of a BMP file.
# rgb_of FILE X Y: red, green and blue of a pixel as ImageMagick reads the file, 0 to 255 each.
rgb_of() {
    convert "$1" -format "%[fx:round(255*p{$2,$3}.r)],%[fx:round(255*p{$2,$3}.g)],%[fx:round(255*p{$2,$3}.b)]" \
        info: 2>/dev/null
}

# shoot WINE_RUN PROGRAM FOLDER SHOT: runs the program asking for the screenshot SHOT (a PNG, with
# QV_CAPTURE_SCREEN naming the tool), its output into FOLDER/app.log and then to standard output;
# sets status to its exit status and cx, cy to the client area's place in the screenshot. Answers
# false, after printing "screen: no screenshot", when none was taken.
shoot() {
    QV_SCREENSHOT=$4 "$1" "$2" >"$3/app.log" 2>&1
    status=$?
    cat "$3/app.log"
    local client
    client=$(grep -o 'Screenshot client=[0-9]*,[0-9]*' "$3/app.log" | cut -d= -f2)
    if [ -z "$client" ] || [ ! -f "$4" ]; then
        echo "screen: no screenshot"
        return 1
    fi
    cx=${client%,*}
    cy=${client#*,}
}
