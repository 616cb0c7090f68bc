#!/usr/bin/env bash
# usage: wayland.sh PLINKORA VIRTUAL_KEYBOARD PART
# The real program as a native Wayland client of a headless sway, whose keyboard is a virtual
# one of the test's own (it uploads a real layout's keymap and presses keys by position), and
# whose windows float, as on most desktops. PART is one of
#   keymap    the keys' names follow the keyboard's layout: French at start, US and French
#             again as the active layout of the keymap changes, US after the compositor's
#             setting changes
#   floating  the window, title bar included, lies on the screen
#   scale     after the screen's scale goes from 1 to 2 the window, frame included, is no
#             larger than the screen
#   tiled     with sway tiling, after the scale goes from 1 to 2 the window is no larger than
#             the tile the compositor gives it, so nothing of it is cut off
# Exits 0 on success, 1 on a failure, 77 where no compositor can start. WAYLAND_SHOTS=DIR keeps
# screenshots of each step.
set -u

plinkora=$(realpath "$1")
keyboard_tool=$(realpath "$2")
part=$3
name=wayland
source "$(dirname "$0")/common.sh"

for tool in sway swaymsg python3; do
    command -v "$tool" >/dev/null || skip "$tool is not installed"
done
python3 -c 'import sys' || skip "python3 does not run"
use_private_home
unset PULSE_SERVER DISPLAY

# sway refuses to run as root: as root it runs as nobody, in a folder that user owns.
compositor=$work/compositor
mkdir -p "$compositor/run"
chmod 711 "$work"
as_user=()
if [[ $(id -u) -eq 0 ]]; then
    command -v setpriv >/dev/null || skip "setpriv is not installed: sway cannot run as root"
    chown -R 65534:65534 "$compositor"
    as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
fi
chmod 700 "$compositor/run"
floating='for_window [app_id="plinkora"] floating enable'
[[ $part == tiled ]] && floating=
cat >"$compositor/config" <<CONFIG
output HEADLESS-1 mode 1920x1080 scale 1
input * xkb_layout fr
$floating
xwayland disable
CONFIG
"${as_user[@]}" env -i PATH="$PATH" HOME="$compositor" XDG_RUNTIME_DIR="$compositor/run" \
    WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
    sway -c "$compositor/config" >"$work/sway.log" 2>&1 &
pids+=($!)
sway_pid=$!
sway_up() { compgen -G "$compositor/run/sway-ipc.*" >/dev/null && compgen -G "$compositor/run/wayland-*[0-9]" >/dev/null; }
wait_for $sway_pid 10 sway_up || skip "sway did not start: $(tail -n 3 "$work/sway.log")"
SWAYSOCK=$(compgen -G "$compositor/run/sway-ipc.*" | head -n 1)
WAYLAND_DISPLAY=$(compgen -G "$compositor/run/wayland-*[0-9]" | head -n 1)
export SWAYSOCK WAYLAND_DISPLAY

# The keyboard stays plugged in for the whole test; its steps come through a pipe.
mkfifo "$work/keys"
"$keyboard_tool" fr,us - <"$work/keys" >"$work/keyboard.log" 2>&1 &
pids+=($!)
keyboard_pid=$!
exec 7>"$work/keys"
sleep 0.5
kill -0 $keyboard_pid 2>/dev/null || { wait $keyboard_pid; [[ $? -eq 77 ]] && skip "sway offers no virtual keyboard"; fail "the virtual keyboard did not start"; }
press() { echo "$1" >&7; }

start_accessibility_bus
start_null_sink
use_test_soundfont

# tree_window TITLE_START: "x y width height" of the window's rectangle with its title bar, from
# the compositor's own tree; fails where no such window is shown.
tree_window() {
    swaymsg -t get_tree | python3 -c '
import json, sys
def walk(node):
    yield node
    for child in node.get("nodes", []) + node.get("floating_nodes", []):
        yield from walk(child)
found = [n for n in walk(json.load(sys.stdin))
         if n.get("pid") and (n.get("name") or "").startswith(sys.argv[1])]
if not found:
    sys.exit(1)
rect, title = found[-1]["rect"], found[-1]["deco_rect"]
top = rect["y"] - title["height"]
print(rect["x"], top, rect["width"], rect["height"] + title["height"])' "$1"
}
# output_area: "width height" of the screen in the compositor's logical pixels.
output_area() {
    swaymsg -t get_outputs | python3 -c '
import json, sys
rect = json.load(sys.stdin)[0]["rect"]
print(rect["width"], rect["height"])'
}
# on_screen: the main window, title bar included, lies within the screen.
on_screen() {
    local x y w h sw sh
    read -r x y w h < <(tree_window "Plinkora - [") || return 1
    read -r sw sh < <(output_area)
    ((x >= 0 && y >= 0 && x + w <= sw && y + h <= sh))
}
# fits_screen: the main window, title bar included, is no larger than the screen. Where it goes
# is the compositor's to say: sway leaves a floating window's corner where it was.
fits_screen() {
    local x y w h sw sh
    read -r x y w h < <(tree_window "Plinkora - [") || return 1
    read -r sw sh < <(output_area)
    ((w <= sw && h <= sh))
}
# tile_size: "width height" of the area the compositor gives the window's content.
tile_size() {
    swaymsg -t get_tree | python3 -c '
import json, sys
def walk(node):
    yield node
    for child in node.get("nodes", []) + node.get("floating_nodes", []):
        yield from walk(child)
found = [n for n in walk(json.load(sys.stdin))
         if n.get("pid") and (n.get("name") or "").startswith("Plinkora - [")]
print(found[-1]["window_rect"]["width"], found[-1]["window_rect"]["height"]) if found else sys.exit(1)'
}
# within_tile: the program's window is no larger than its tile.
within_tile() {
    local w h tw th
    read -r w h < <("$python" "$here/atspi_keys.py" --size) || return 1
    read -r tw th < <(tile_size) || return 1
    echo "the window is ${w}x${h} in a tile of ${tw}x${th}"
    ((w <= tw && h <= th))
}
shot() { [[ -n ${WAYLAND_SHOTS:-} ]] && mkdir -p "$WAYLAND_SHOTS" && command -v grim >/dev/null \
    && grim "$WAYLAND_SHOTS/$1.png"; return 0; }
say_window() {
    echo "$1: window with its title bar $(tree_window "Plinkora - [" | awk '{print $3 "x" $4 "+" $1 "+" $2}')" \
        "on a screen of $(output_area | tr ' ' x)"
}

cd "$work/app" || exit 1
QT_QPA_PLATFORM=wayland QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1 "$plinkora" \
    >"$work/plinkora.log" 2>&1 &
app=$!
pids+=("$app")
for _ in $(seq 100); do
    tree_window "Plinkora - [" >/dev/null && break
    kill -0 "$app" 2>/dev/null || fail "the program ended at start-up"
    # A warning at start (no sound server) is answered as a user would, with Return.
    tree_window "Plinkora" >/dev/null && press 28
    sleep 0.2
done
tree_window "Plinkora - [" >/dev/null || fail "the main window did not show"
sleep 1  # the window settles at its size

key_called() { "$python" "$here/atspi_keys.py" "$1" || fail "$2"; }
case $part in
    keymap)
        key_called "Q, 1" "under the French layout the key right of Caps Lock is not Q"
        shot keymap-fr
        press g1
        key_called "A, 1" "with US, the keymap's second layout, active the key is not A"
        shot keymap-group-us
        press g0
        key_called "Q, 1" "back on French, the keymap's first layout, the key is not Q"
        swaymsg 'input type:keyboard xkb_layout us' >/dev/null
        key_called "A, 1" "after the compositor's switch to US the key is not A"
        shot keymap-us
        ;;
    floating)
        say_window "at start"
        shot floating-scale1
        on_screen || fail "the window with its title bar does not lie on the screen"
        ;;
    scale)
        say_window "at scale 1"
        swaymsg 'output HEADLESS-1 scale 2' >/dev/null
        wait_for "$app" 5 fits_screen
        say_window "at scale 2"
        shot floating-scale2
        fits_screen || fail "after the scale went to 2 the window is larger than the screen"
        ;;
    tiled)
        within_tile || fail "at scale 1 the window is larger than its tile"
        swaymsg 'output HEADLESS-1 scale 2' >/dev/null
        wait_for "$app" 5 within_tile >/dev/null
        shot tiled-scale2
        within_tile || fail "after the scale went to 2 the window is larger than its tile"
        ;;
    *) fail "no such part: $part" ;;
esac
exec 7>&-
echo "PASS: $part"
