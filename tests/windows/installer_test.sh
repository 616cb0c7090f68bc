#!/usr/bin/env bash
# The installer as a user meets it, silent, under Wine: `/S` installs per user, the files, the
# Start-menu entry, the .plk association and the uninstaller's entry are in place; a .plk opened
# through the association shows the program with the document's name and plays it; `/S` on the
# uninstaller then leaves neither a file nor a key behind. Runs on a desktop of its own:
#   wine_desktop.sh [--midimap DLL] installer_test.sh SETUP_EXE
set -u
setup=$1
name=installer
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../e2e/common.sh"
[[ -f $setup ]] || fail "no installer at $setup: the plinkora_packages target (scripts/windows.sh) builds it"
[[ -n ${WINEPREFIX:-} && -n ${DISPLAY:-} ]] || fail "run me through wine_desktop.sh"

# `wine reg query KEY [/v VALUE | /ve]`: the value's data alone, or nothing where it is missing.
reg_value() {
    wine reg query "$@" 2>/dev/null | tr -d '\r' | sed -n 's/^ *[^ ]* *REG_[A-Z_]* *//p' | head -n 1
}
reg_has_key() { wine reg query "$1" >/dev/null 2>&1; }
classes='HKCU\Software\Classes'
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Plinkora'

say "installing"
wine "$setup" /S || fail "the installer ended with status $?"
# Per user, and Wine names the user as the system does.
local_app_data=$(ls -d "$WINEPREFIX"/drive_c/users/*/AppData/Local | grep -v /Public/ | head -n 1)
installed=$local_app_data/Programs/Plinkora
shortcut=$(dirname "$local_app_data")/Roaming/Microsoft/Windows/"Start Menu"/Programs/Plinkora.lnk
for file in plinkora.exe plinkora-convert.exe tips.txt plinkora.ico uninstall.exe Plinkora.chm; do
    [[ -s $installed/$file ]] || fail "$file is not installed in $installed"
done
[[ -f $shortcut ]] || fail "no Start-menu entry"

[[ $(reg_value "$classes\\.plk" /ve) == Plinkora.Document ]] || fail ".plk is not associated"
command=$(reg_value "$classes\\Plinkora.Document\\shell\\open\\command" /ve)
[[ $command == *'\Programs\Plinkora\plinkora.exe" "%1"' ]] ||
    fail "a .plk opens with: $command"
[[ $(reg_value "$classes\\Plinkora.Document\\DefaultIcon" /ve) == *'\plinkora.exe,-2' ]] ||
    fail "the document has no icon"
for value in DisplayName DisplayIcon DisplayVersion Publisher UninstallString \
    QuietUninstallString EstimatedSize NoModify NoRepair; do
    [[ -n $(reg_value "$uninstall_key" /v "$value") ]] || fail "the uninstall entry has no $value"
done
echo "ok: installed, with its Start-menu entry, the .plk association and its uninstall entry"

# A name with a space: the association must hand it over whole, as one argument.
say "opening a document through the association"
python3 - "$WINEPREFIX/drive_c/my song.plk" <<'EOF'
import struct, sys
def chunk(name, data):
    return name + struct.pack("<I", len(data)) + data + (b"\0" if len(data) % 2 else b"")
# Key 0x1E (middle C in "1=C") pressed, then released 300 ms later.
events = struct.pack("<IIIi", 0, 256, 0x1E << 16, 0) + struct.pack("<IIIi", 300, 257, 0x1E << 16, 0)
fmt = struct.pack("<6I", 2, 1297, 0, 0, 0, 0)
with open(sys.argv[1], "wb") as file:
    file.write(chunk(b"RIFF", b"PL  " + chunk(b"fmt ", fmt) + chunk(b"data", events)))
EOF
# Windows finds a user's own classes in HKEY_CLASSES_ROOT; Wine 8 looks only at the machine's
# (Wine bug 14771). The installer's keys are copied there as they stand, for Wine to find.
for key in .plk Plinkora.Document; do
    wine reg copy "$classes\\$key" "HKLM\\Software\\Classes\\$key" /s /f >/dev/null ||
        fail "could not show $key to Wine"
done
(cd "$WINEPREFIX/drive_c" && wine start "my song.plk") || fail "wine start ended with status $?"
# A first start shows the tip of the day before the window: closed, as a user closes it.
window_shown() {
    local tip
    tip=$(window_named '^Tip of the Day$') && python3 "$here/../e2e/close_window.py" "$tip"
    window=$(window_named '^Plinkora - \[my song\.plk\]$')
}
# The title names the document by its name, though Windows passes the whole path.
wait_for $$ 30 window_shown || fail "no window \"Plinkora - [my song.plk]\" within 30 s"
echo "ok: the document opened in \"$(xdotool getwindowname "$window")\""
note_played() { grep -q '^9' "$MIDI_CAPTURE" 2>/dev/null; }
wait_for $$ 10 note_played || fail "the document was not played (no note on reached the MIDI mapper)"
echo "ok: the document played: $(grep -m 1 '^9' "$MIDI_CAPTURE")"

# Closed as a user closes it; the uninstaller could not take a running program away.
say "closing the program"
program_pid=$(xdotool getwindowpid "$window")
python3 "$here/../e2e/close_window.py" "$window" || fail "could not ask the window to close"
program_ended() { ! kill -0 "$program_pid" 2>/dev/null; }
wait_for $$ 15 program_ended || fail "the program did not end after its window closed"

# Wine's own processes are ended too (the program's are gone): measured here, an uninstaller
# started in the same Wine session waited 10 s for Wine's RPC service to start again ("Failed to
# start RpcSs service"); in a new session it takes about a second.
wineserver -k
wineserver -w
say "uninstalling"
wine "$installed/uninstall.exe" /S || fail "the uninstaller ended with status $?"
# It runs on from a copy of itself, so that it can delete itself, and takes the folder last.
folder_gone() { [[ ! -e $installed ]]; }
wait_for $$ 30 folder_gone
leftovers=$(find "$installed" "$shortcut" 2>/dev/null)
[[ -z $leftovers ]] || fail "left behind: $leftovers"
for key in "$classes\\.plk" "$classes\\Plinkora.Document" "$uninstall_key"; do
    reg_has_key "$key" && fail "left behind: $key"
done
echo "ok: uninstalled, leaving no file and no key"
