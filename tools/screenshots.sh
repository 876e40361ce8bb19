#!/usr/bin/env bash
# Takes the README's pictures of the two windows as an operator sees them: the built program on
# a private X server under the openbox window manager, with a local station in a settings file
# of its own (in a temporary folder, so no settings of yours are read or written) and a DX
# locator typed into the main window. Writes
#   docs/kestrav.png       the main window, with its frame
#   docs/kestrav-init.png  the initialisation dialog, opened from the "Init" menu
#
#   tools/screenshots.sh [BUILD_DIR]     (BUILD_DIR defaults to build)
#
# Needs, besides debian-packages.txt, two packages that only this script uses (CI does not run
# it): xdotool types and finds the windows, imagemagick's import grabs them.
#   sudo apt-get install xdotool imagemagick
set -euo pipefail

if [ "${1:-}" = --inside ]; then
    # Second stage, on the private X server that run-under-xvfb.sh started.
    work=$2
    docs=$3
    wait_window() { # NAME: prints the id of the visible window with exactly that title
        for _ in $(seq 100); do
            if id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1) &&
                [ -n "$id" ]; then
                echo "$id"
                return 0
            fi
            sleep 0.1
        done
        echo "screenshots: no window titled '$1'" >&2
        cat "$work/kestrav.log" >&2
        return 1
    }
    XDG_RUNTIME_DIR="$work/run" "$work/kestrav" >"$work/kestrav.log" 2>&1 &
    kestrav=$!
    trap 'kill $kestrav 2>/dev/null || true; wait $kestrav 2>/dev/null || true' EXIT

    main=$(wait_window "Kestrav  V0.6b")
    xdotool windowactivate --sync "$main"
    # With a local station known the focus starts on the prefix list; the focus order then
    # leads through the BEAM group and the command panel round to the DX locator field.
    xdotool key --delay 50 Tab Tab Tab Tab Tab Tab
    xdotool type --delay 50 FN31PR
    sleep 1 # the caret blinks and the title bar settles
    import -frame -window "$main" "$docs/kestrav.png"

    # The dialog's caption is all the script knows of it, so the picture follows whatever the
    # dialog becomes.
    xdotool key alt+i
    init=$(wait_window "Kestrav - Initialisation")
    xdotool windowactivate --sync "$init"
    sleep 1
    import -frame -window "$init" "$docs/kestrav-init.png"
    exit 0
fi

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
for tool in xdotool import Xvfb openbox; do
    command -v "$tool" >/dev/null || {
        echo "screenshots: $tool is missing (see the top of $0)" >&2
        exit 1
    }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -m 700 "$work/run"
# The settings file lives beside the program, so the program is copied into the folder.
cp "$build/kestrav" "$work/"
printf '%s\r\n' "[KESTRAV]" "LANGUAGE=ENGLISH" "QRA_LOCATOR=JN18EU" "LATTITUDE=N48.854" \
    "LONGITUDE=E2.375" "UNIT=KM" "ANT=GS232" "PORT_GS232=1" "BAUD_GS232=9600" \
    >"$work/Kestrav.ini"

# A screen wide enough for the dialog that opens to the right of the main window.
"$root/tests/x11/run-under-xvfb.sh" --openbox --screen 1400x900 \
    "$0" --inside "$work" "$root/docs"
echo "screenshots: wrote docs/kestrav.png and docs/kestrav-init.png"
