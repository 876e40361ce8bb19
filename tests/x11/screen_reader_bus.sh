#!/usr/bin/env bash
# Kestrav read through the real accessibility bus, as a screen reader reads it: run inside a
# private D-Bus session on an X server (run-under-xvfb.sh, dbus-run-session). Starts the
# AT-SPI bus and a copy of the program in a directory of its own (its first start, with the
# initialisation dialog), lets screen_reader_check.py read it, and ends both by process id.
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
# Qt serves the bus at once, without waiting for a screen reader to announce itself.
(cd "$work" && QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 exec ./kestrav) >"$work/kestrav.log" 2>&1 &
pids+=($!)
/usr/bin/python3 "$here/screen_reader_check.py"
