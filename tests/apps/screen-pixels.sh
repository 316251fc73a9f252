# Sourced by the scripts that read pixels of a capture of the display or of a BMP file.
# rgb_of FILE X Y: red, green and blue of a pixel as ImageMagick reads the file, 0 to 255 each.
rgb_of() {
    convert "$1" -format "%[fx:round(255*p{$2,$3}.r)],%[fx:round(255*p{$2,$3}.g)],%[fx:round(255*p{$2,$3}.b)]" \
        info: 2>/dev/null
}
