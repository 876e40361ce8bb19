#!/usr/bin/env bash
# Kestrav read through the real accessibility bus, as a screen reader reads it: run inside a
# private D-Bus session on an X server (run-under-xvfb.sh, dbus-run-session). Starts the
# AT-SPI bus and a copy of the program in a directory of its own (its first start, with the
# initialisation dialog), lets screen_reader_check.py read it, and ends both by process id.
# The copy has a runtime directory and a home of its own, so that a Kestrav the user is
# running (whose publication socket would make the copy hand over and end) is never found.
#
#   screen_reader_bus.sh KESTRAV_EXECUTABLE
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

/usr/libexec/at-spi-bus-launcher --launch-immediately >"$work/bus.log" 2>&1 &
pids+=($!)
cp "$1" "$work/kestrav"
mkdir -m 700 "$work/run" "$work/home"
# Qt serves the bus at once, without waiting for a screen reader to announce itself.
(cd "$work" && XDG_RUNTIME_DIR="$work/run" HOME="$work/home" QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 \
    exec ./kestrav) >"$work/kestrav.log" 2>&1 &
pids+=($!)
/usr/bin/python3 "$here/screen_reader_check.py"
