#!/usr/bin/env bash
# The Windows program's help file as chmls (Free Pascal's CHM lister) reads it:
#   help_file_test.sh Plinkora.chm
# It must hold the start page and every help page, a table of contents that begins with the start
# page and names each page, and the Windows program's own pages where the two programs differ.
set -euo pipefail
chm=$1
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
command -v chmls >/dev/null || {
    echo "chmls is missing (package fp-utils)" >&2
    exit 77
}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

listing=$(chmls -n list "$chm")
for page in default.htm devices.htm installing.htm keyboard.htm without_mouse.htm style.css \
    Plinkora.hhc; do
    grep -qx "/$page" <<<"$listing" || fail "$page is not in the help file"
done

chmls extracttoc "$chm" "$work/toc.hhc" >/dev/null
first=$(grep -o 'name="Local" value="[^"]*"' "$work/toc.hhc" | head -n 1)
[[ $first == 'name="Local" value="default.htm"' ]] || fail "the contents begin with $first"
entries=$(grep -c 'name="Local"' "$work/toc.hhc")
pages=$(grep -c '\.htm$' <<<"$listing")
[[ $entries -eq $pages ]] || fail "the contents name $entries of the $pages pages"

chmls extract "$chm" /devices.htm "$work/devices.htm" >/dev/null
grep -q "MIDI mapper" "$work/devices.htm" || fail "the MIDI outputs page does not name the mapper"
! grep -q -e ALSA -e JACK -e "built-in synthesizer" "$work/devices.htm" ||
    fail "the MIDI outputs page describes the Linux program"
echo "ok: $pages pages, each in the contents, default.htm first; the Windows pages in place"
