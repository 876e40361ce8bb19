#!/usr/bin/env bash
# Builds the Debian package, unpacks it into a temporary root, checks what it holds and its
# desktop entry, and starts the unpacked program offscreen with a temporary home: stopped by
# SIGTERM, it must leave its settings in that home's ~/.config/kestrav/.
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
grep -q '^ Depends: .*fonts-liberation' <<<"$info" || fail "no dependency on the design's fonts"
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
         usr/share/man/man1/kestrav-rotator-sim.1.gz usr/share/man/man1/kestrav-arswin-sim.1.gz; do
    [ -f "$root/$f" ] || fail "missing /$f"
done
stray=$(cd "$root" && find . -type f | grep -v -E '^\./usr/(bin|share/(kestrav|applications|metainfo|icons|man))/' || true)
[ -z "$stray" ] || fail "unexpected files: $stray"
desktop-file-validate "$root/usr/share/applications/org.kestrav.Kestrav.desktop"

home=$scratch/home
mkdir -p "$home/run" && chmod 700 "$home/run"
HOME=$home XDG_RUNTIME_DIR=$home/run XDG_CONFIG_HOME= QT_QPA_PLATFORM=offscreen \
    "$root/usr/bin/kestrav" >"$scratch/program.log" 2>&1 &
pid=$!
for _ in $(seq 300); do [ -S "$home/run/dde/kestrav" ] && break; sleep 0.1; done
[ -S "$home/run/dde/kestrav" ] || fail "the unpacked program did not start: $(cat "$scratch/program.log")"
kill -TERM "$pid"
wait "$pid" || fail "the program did not end cleanly"
pid=
ini=$home/.config/kestrav/Kestrav.ini
[ -f "$ini" ] || fail "no settings in ~/.config/kestrav/"
[ "$(wc -l <"$ini")" -eq 33 ] || fail "settings of $(wc -l <"$ini") lines"
[ ! -e "$root/usr/bin/Kestrav.ini" ] || fail "settings written beside the installed program"
echo "package $(basename "$deb") checked"
