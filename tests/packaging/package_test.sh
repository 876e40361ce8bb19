#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package and checks it as Debian would: lintian without errors or
# warnings, the AppStream metadata and the desktop entry valid and true to the package. Then
# unpacks it into a temporary root and starts the unpacked program as a new user with a
# temporary home, on the X server that run-under-xvfb.sh started: its windows must carry the
# package's version, the desktop entry's window class and one icon; stopped by SIGTERM, it
# must leave its settings in that home's ~/.config/kestrav/.
set -euo pipefail
build=$(cd "$1" && pwd)
scratch=$(mktemp -d)
pid=
cleanup() {
    [ -n "$pid" ] && kill -KILL "$pid" 2>/dev/null || true
    rm -rf "$scratch"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$build" && cpack -G DEB -B "$scratch/out" >/dev/null)
deb=$(ls "$scratch"/out/kestrav_*.deb)
info=$(dpkg-deb -I "$deb") # read whole: grep -q ending a pipe early would fail it under pipefail
grep -q '^ Depends: .*libqt6widgets6' <<<"$info" || fail "no dependency on Qt Widgets"
grep -q '^ Depends: .*fonts-liberation' <<<"$info" || fail "no dependency on the fonts"
grep -q '^ Suggests: .*libhamlib-utils' <<<"$info" || fail "rotctld's package not suggested"
version=$(dpkg-deb -f "$deb" Version)

# Lintian's errors and warnings fail the test, and so does any of its hardening tags (given
# as information): the binaries must be built as Debian builds its own.
lintian_status=0
tags=$(lintian --fail-on error,warning --display-level '>=info' "$deb" 2>&1) || lintian_status=$?
grep -v 'running with root privileges' <<<"$tags" >&2 || true
[ "$lintian_status" -eq 0 ] || fail "lintian reports errors or warnings"
! grep -q 'hardening-' <<<"$tags" || fail "binaries built without Debian's hardening flags"

root=$scratch/root
dpkg-deb -x "$deb" "$root"
for f in usr/bin/kestrav usr/bin/kestrav-dde usr/bin/kestrav-rotator-sim usr/bin/kestrav-arswin-sim \
         usr/share/kestrav/help/Kestrav_En.html usr/share/kestrav/help/Kestrav_Fr.html \
         usr/share/kestrav/map-data.md \
         usr/share/applications/org.kestrav.Kestrav.desktop \
         usr/share/metainfo/org.kestrav.Kestrav.metainfo.xml \
         usr/share/icons/hicolor/16x16/apps/kestrav.png usr/share/icons/hicolor/48x48/apps/kestrav.png \
         usr/share/icons/hicolor/256x256/apps/kestrav.png \
         usr/share/man/man1/kestrav.1.gz usr/share/man/man1/kestrav-dde.1.gz \
         usr/share/man/man1/kestrav-rotator-sim.1.gz usr/share/man/man1/kestrav-arswin-sim.1.gz \
         usr/share/doc/kestrav/copyright usr/share/doc/kestrav/changelog.gz; do
    [ -f "$root/$f" ] || fail "missing /$f"
done
stray=$(cd "$root" && find . -type f |
        grep -v -E '^\./usr/(bin|share/(kestrav|applications|metainfo|icons|man|doc/kestrav))/' || true)
[ -z "$stray" ] || fail "unexpected files: $stray"

desktop=$root/usr/share/applications/org.kestrav.Kestrav.desktop
desktop-file-validate "$desktop"
metainfo=$root/usr/share/metainfo/org.kestrav.Kestrav.metainfo.xml
appstreamcli validate --no-net "$metainfo" >&2 || fail "appstreamcli rejects the metadata"
grep -q '<project_license>GPL-3.0-or-later</project_license>' "$metainfo" ||
    fail "the metadata does not name the licence"
grep -q "<release version=\"$version\"" "$metainfo" || fail "no AppStream release $version"

# The emulator's manual page names every protocol its --help offers.
usage=$("$root/usr/bin/kestrav-rotator-sim" --help)
protocols=$(sed -n 's/^ *--protocol P *\([^(]*\).*/\1/p' <<<"$usage" | sed 's/,/ /g; s/ or / /g')
[ -n "$protocols" ] || fail "no protocols in kestrav-rotator-sim --help"
page=$(zcat "$root/usr/share/man/man1/kestrav-rotator-sim.1.gz")
for p in $protocols; do
    grep -q -w -- "$p" <<<"$page" || fail "kestrav-rotator-sim(1) lacks the protocol $p"
done

# The command line: --help and --version answer without a display; without one the start
# ends with a message and status 1, not an abort.
home=$scratch/home
mkdir -p "$home/run" && chmod 700 "$home/run"
headless() {
    env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM HOME="$home" XDG_RUNTIME_DIR="$home/run" "$@"
}
[ "$(headless "$root/usr/bin/kestrav" --version)" = "kestrav $version" ] || fail "kestrav --version"
headless "$root/usr/bin/kestrav" --help | grep -q -- '--version' || fail "kestrav --help"
status=0
headless "$root/usr/bin/kestrav" >"$scratch/out.log" 2>"$scratch/err.log" || status=$?
[ "$status" -eq 1 ] || fail "kestrav without a display: status $status, $(cat "$scratch/err.log")"
grep -q '^kestrav: cannot open display' "$scratch/err.log" || fail "no message without a display"
"$root/usr/bin/kestrav-dde" --help | grep -q '^usage: kestrav-dde' || fail "kestrav-dde --help"

# A new user's first start: the main window and the initialisation dialog open.
HOME=$home XDG_RUNTIME_DIR=$home/run XDG_CONFIG_HOME= \
    "$root/usr/bin/kestrav" >"$scratch/program.log" 2>&1 &
pid=$!
window_id() { { xwininfo -name "$1" 2>/dev/null || true; } | sed -n 's/.*Window id: \(0x[0-9a-f]*\).*/\1/p'; }
for _ in $(seq 300); do
    [ -S "$home/run/dde/kestrav" ] && [ -n "$(window_id "Kestrav - Initialisation")" ] && break
    sleep 0.1
done
[ -S "$home/run/dde/kestrav" ] || fail "the unpacked program did not start: $(cat "$scratch/program.log")"
main=$(window_id "Kestrav  V$version")
[ -n "$main" ] || fail "no main window captioned \"Kestrav  V$version\""
dialog=$(window_id "Kestrav - Initialisation")
[ -n "$dialog" ] || fail "no initialisation dialog at the first start"
wm_class=$(sed -n 's/^StartupWMClass=//p' "$desktop")
for w in "$main" "$dialog"; do
    xprop -id "$w" WM_CLASS | grep -q "\"$wm_class\"\$" ||
        fail "window class $(xprop -id "$w" WM_CLASS), the desktop entry says $wm_class"
done
# An item name that does not exist is answered with the names that do.
status=0
XDG_RUNTIME_DIR=$home/run "$root/usr/bin/kestrav-dde" request azimuth 2>"$scratch/err.log" || status=$?
[ "$status" -eq 4 ] && grep -q 'Azimuth' "$scratch/err.log" ||
    fail "kestrav-dde with an unknown item: status $status, $(cat "$scratch/err.log")"
icon=$(xprop -id "$main" _NET_WM_ICON)
grep -q 'Icon (48 x 48)' <<<"$icon" || fail "the main window has no icon"
[ "$(xprop -id "$dialog" _NET_WM_ICON)" = "$icon" ] || fail "the dialog's icon is another picture"

kill -TERM "$pid"
wait "$pid" || fail "the program did not end cleanly"
pid=
ini=$home/.config/kestrav/Kestrav.ini
[ -f "$ini" ] || fail "no settings in ~/.config/kestrav/"
[ "$(wc -l <"$ini")" -eq 33 ] || fail "settings of $(wc -l <"$ini") lines"
[ ! -e "$root/usr/bin/Kestrav.ini" ] || fail "settings written beside the installed program"
echo "package $(basename "$deb") checked"
