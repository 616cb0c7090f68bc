#!/bin/sh
# Renders the SVG artwork in resources/artwork/ to the PNG files the program loads from
# resources/images/, at 1x and (where the program may draw on a high-density screen) 2x.
#
# Needs: rsvg-convert (librsvg2-bin), convert (imagemagick) and the fonts DejaVu Sans,
# Liberation Serif and URW Gothic (fonts-dejavu-core, fonts-liberation2, fonts-urw-base35);
# optipng is used when present.
# Run from anywhere; writes only into resources/images/.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
art="$root/resources/artwork"
out="$root/resources/images"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for tool in rsvg-convert convert; do
    command -v "$tool" >/dev/null || { echo "missing tool: $tool" >&2; exit 1; }
done
for family in "DejaVu Sans" "Liberation Serif" "URW Gothic"; do
    fc-list : family | grep -q "$family" || echo "warning: font '$family' not installed" >&2
done

# render SVG PNG ZOOM: rasterise one SVG at 1x or 2x.
render() {
    rsvg-convert --zoom="$3" "$1" -o "$2"
}

# opaque OUTPUT INPUT...: join pictures left to right into a 24-bit PNG without alpha,
# since the program copies these bitmaps as they are onto its own background.
opaque() {
    target=$1
    shift
    convert "$@" +append -background '#146414' -alpha remove -alpha off -strip \
        -define png:compression-level=9 "PNG24:$target"
}

# transparent OUTPUT INPUT...: join images left to right, keeping the alpha channel.
transparent() {
    target=$1
    shift
    convert -background none "$@" +append -strip -define png:compression-level=9 "PNG32:$target"
}

# render_strip NAME DIR KIND: render every SVG of DIR (in name order) at 1x and 2x and join
# each set with KIND (opaque or transparent).
render_strip() {
    name=$1
    dir=$2
    kind=$3
    for zoom in 1 2; do
        set --
        for svg in "$art/$dir"/*.svg; do
            png="$work/$dir-$zoom-$(basename "$svg" .svg).png"
            render "$svg" "$png" "$zoom"
            set -- "$@" "$png"
        done
        suffix=""
        [ "$zoom" = 2 ] && suffix="@2x"
        "$kind" "$out/$name$suffix.png" "$@"
    done
}

# pixel FILE X Y: the colour of one pixel as "r,g,b".
pixel() {
    convert "$1" -format "%[fx:int(255*p{$2,$3}.r)],%[fx:int(255*p{$2,$3}.g)],%[fx:int(255*p{$2,$3}.b)]" info:
}

mkdir -p "$out/fixed_caps" "$out/icons"

# An opaque picture at 1x and 2x: render_pair SVG OUTPUT_WITHOUT_.png
render_pair() {
    local base
    base=$(basename "$2")
    render "$1" "$work/$base.png" 1
    opaque "$2.png" "$work/$base.png"
    render "$1" "$work/$base.png" 2
    opaque "$2@2x.png" "$work/$base.png"
}

# Key caps of the playing keys (four tints side by side).
render_pair "$art/keycaps/keycap_strip.svg" "$out/keycap_strip"

# The keys that play nothing, one file each.
for svg in "$art"/fixed_caps/*.svg; do
    render_pair "$svg" "$out/fixed_caps/$(basename "$svg" .svg)"
done

render_strip instrument_pictures pictures opaque
render_strip toolbar_icons toolbar transparent

# Splash picture, also shown in the About box.
render_pair "$art/splash.svg" "$out/splash"

# Cursors keep their transparency; their hot spots are fixed in the code.
for svg in "$art"/cursors/*.svg; do
    base=$(basename "$svg" .svg)
    render "$svg" "$work/$base.png" 1
    transparent "$out/$base.png" "$work/$base.png"
    render "$svg" "$work/$base.png" 2
    transparent "$out/$base@2x.png" "$work/$base.png"
done

# Program icon in the sizes desktops ask for; the smallest has its own simpler drawing.
for size in 16 32 48 64 128 256; do
    src="$art/icon/plinkora.svg"
    [ -f "$art/icon/plinkora-$size.svg" ] && src="$art/icon/plinkora-$size.svg"
    rsvg-convert --width="$size" --height="$size" "$src" -o "$work/icon.png"
    transparent "$out/icons/plinkora-$size.png" "$work/icon.png"
done
cp "$art/icon/plinkora.svg" "$out/icons/plinkora.svg"

if command -v optipng >/dev/null; then
    find "$out" -name '*.png' -exec optipng -quiet -o2 -nx -strip all {} +
fi

# The window takes its background colour from the first pixel of the picture strip.
for file in instrument_pictures.png instrument_pictures@2x.png splash.png splash@2x.png; do
    colour=$(pixel "$out/$file" 0 0)
    if [ "$colour" != "20,100,20" ]; then
        echo "$file: pixel (0,0) is $colour, not 20,100,20" >&2
        exit 1
    fi
done
echo "artwork written to $out"
