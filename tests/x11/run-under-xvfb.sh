#!/usr/bin/env bash
# Runs a test program on a private X server: Xvfb on a display it picks itself, and with
# --openbox also the openbox window manager, so that client windows sit inside its frames.
# --screen sets the screen's size (1024x768 unless given). Both are ended by their process ids
# however the test ends.
#
#   run-under-xvfb.sh [--openbox] [--screen WIDTHxHEIGHT] PROGRAM [ARGS...]
set -euo pipefail

with_wm=0
screen=1024x768
while [ $# -gt 0 ]; do
    case "$1" in
    --openbox) with_wm=1 ;;
    --screen) screen=$2; shift ;;
    *) break ;;
    esac
    shift
done

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

# Waits up to 10 s for a command to succeed.
wait_for() {
    for _ in $(seq 100); do
        "$@" >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    echo "run-under-xvfb: gave up waiting for: $*" >&2
    cat "$work"/*.log >&2
    return 1
}

# -displayfd: the server chooses a free display and writes its number once it accepts clients,
# so that tests running side by side never race for a display. -noreset: without it the
# server resets whenever its last client leaves (the readiness probe, for one) and refuses
# whoever connects during the reset.
Xvfb -displayfd 3 -nolisten tcp -noreset -screen 0 "${screen}x24" 3>"$work/display" \
    2>"$work/xvfb.log" &
pids+=($!)
wait_for grep -q '[0-9]' "$work/display"
export DISPLAY=":$(tr -dc 0-9 <"$work/display")"
wait_for xdpyinfo

if [ "$with_wm" = 1 ]; then
    HOME="$work" openbox --sm-disable >"$work/openbox.log" 2>&1 &
    pids+=($!)
    # The window manager is running once it has announced itself on the root window.
    wait_for sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"'
    export KESTRAV_EXPECT_WINDOW_MANAGER=1
fi

QT_QPA_PLATFORM=xcb "$@"
