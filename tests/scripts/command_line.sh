#!/usr/bin/env bash
# usage: command_line.sh PLINKORA VERSION
# --help and --version answer on stdout without a window; without a display the program says so
# in one line and ends with status 1, not with the toolkit's abort.
set -u
plinkora=$1 version=$2
failures=0
out=$(mktemp) err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT

# check NAME STATUS STDOUT_PATTERN STDERR_PATTERN -- ENVIRONMENT... -- ARGUMENTS...
check() {
    local name=$1 want_status=$2 want_out=$3 want_err=$4 status
    shift 5  # the first -- too
    local env=()
    while [[ $1 != -- ]]; do env+=("$1") && shift; done
    shift
    timeout 20 env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "${env[@]}" \
        "$plinkora" "$@" >"$out" 2>"$err"
    status=$?
    if [[ $status == "$want_status" && $(cat "$out") =~ $want_out && $(cat "$err") =~ $want_err ]]
    then
        echo "ok: $name"
    else
        echo "FAIL: $name: status $status (expected $want_status)"
        echo "--- stdout"; cat "$out"; echo "--- stderr"; cat "$err"
        failures=$((failures + 1))
    fi
}

# No display is set for any of these: the first two must not even try to open one.
check "--help" 0 '^Usage: plinkora \[FILE\.plk\]' '^$' -- -- --help
check "--version" 0 "^plinkora $version\$" '^$' -- -- --version
check "no display" 1 '^$' \
    '^plinkora: no graphical display \(neither DISPLAY nor WAYLAND_DISPLAY is set\)$' -- --
check "a display that cannot be opened" 1 '^$' \
    '^plinkora: no graphical display could be opened \(DISPLAY=:[0-9]+\)$' -- \
    DISPLAY=:$((500 + RANDOM % 400)) --
check "a document named --help, without a display" 1 '^$' '^plinkora: no graphical display' \
    -- -- ./--help
exit $((failures > 0))
