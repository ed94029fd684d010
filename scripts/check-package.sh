#!/usr/bin/env bash
# Makes the Debian package with every check of scripts/package.sh, then tries it as an installed
# program would run: unpacked into a scratch root with dpkg-deb -x, each program there answers
# --version and --help, the monitor draws its window headless on the simulated drive, the
# simulated drive serves a pseudo-terminal, and apt agrees the package would install here.
# Every program in /usr/bin must have its man page; the desktop entry, each icon size, the
# metainfo and the copyright must be in the package.
#   ./scripts/check-package.sh            build the package first (what CI runs)
#   ./scripts/check-package.sh FILE.deb   check a package made already
set -euo pipefail
cd "$(dirname "$0")/.."

if [ $# -ge 1 ]; then
    deb=$1
else
    deb=$(./scripts/package.sh --lint)
fi
[ -f "$deb" ] || { echo "check-package: no package at '$deb'" >&2; exit 1; }

failures=0
fail() {
    echo "check-package: FAIL: $*" >&2
    failures=$((failures + 1))
}
pass() { echo "check-package: ok: $*"; }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
root=$scratch/root
dpkg-deb -x "$deb" "$root"
dpkg-deb -c "$deb" | awk '{ print $NF }' | sed 's|^\./|/|' >"$scratch/contents"
version=$(dpkg-deb -f "$deb" Version)

must_hold() {
    if grep -qxF "$1" "$scratch/contents"; then pass "holds $1"; else fail "does not hold $1"; fi
}
must_hold /usr/share/applications/velmora-monitor.desktop
for size in 16x16 32x32 48x48 64x64 128x128; do
    must_hold /usr/share/icons/hicolor/$size/apps/velmora-monitor.png
done
must_hold /usr/share/icons/hicolor/scalable/apps/velmora-monitor.svg
must_hold /usr/share/metainfo/io.github.velmora.monitor.metainfo.xml
must_hold /usr/share/doc/velmora-monitor/copyright
must_hold /usr/bin/velmora-monitor
must_hold /usr/bin/velmora-drive-sim
must_hold /usr/bin/velmora-capture

if dpkg-deb -f "$deb" Depends | grep -q 'fonts-liberation' \
    && dpkg-deb -f "$deb" Depends | grep -q 'libqt6widgets6'; then
    pass "depends on fonts-liberation and the Qt libraries"
else
    fail "Depends lacks fonts-liberation or the Qt libraries: $(dpkg-deb -f "$deb" Depends)"
fi

# The program's licence is its owners' choice only while nothing it links is under the GPL alone:
# no Qt module that Debian ships GPL-only (Qt Charts, Qt Data Visualization, Qt Virtual Keyboard,
# QCustomPlot and the like), and every Qt library it depends on under the LGPL by its copyright
# file where that file is installed here.
gpl_only='^(libqt6charts|libqt6datavisualization|libqt6virtualkeyboard|libqcustomplot)'
depends=$(dpkg-deb -f "$deb" Depends | tr ',' '\n' | sed -E 's/^ *([^ (|]+).*/\1/')
licence_ok=1
for package in $depends; do
    if [[ $package =~ $gpl_only ]]; then
        fail "depends on $package, which Debian ships under the GPL only"
        licence_ok=0
        continue
    fi
    copyright=/usr/share/doc/$package/copyright
    if [[ $package == libqt6* ]] && [ -f "$copyright" ] \
        && ! awk '/^Files: \*$/ { f = 1; next } f && /^License:/ { print; exit }' "$copyright" \
        | grep -q 'LGPL'; then
        fail "depends on $package, whose main licence is not the LGPL: $(grep -m1 '^License:' "$copyright")"
        licence_ok=0
    fi
done
[ $licence_ok = 1 ] && pass "depends on no Qt module under the GPL only"

# The programs as installed, on the system's Qt; no display, settings in a scratch folder.
export XDG_CONFIG_HOME=$scratch/config XDG_RUNTIME_DIR=$scratch/runtime
mkdir -p "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
unset DISPLAY WAYLAND_DISPLAY

for program in "$root"/usr/bin/*; do
    name=${program##*/}
    must_hold "/usr/share/man/man1/$name.1.gz"
    if [ "$("$program" --version)" = "$name $version" ]; then
        pass "$name --version says $name $version"
    else
        fail "$name --version says '$("$program" --version 2>&1)', not '$name $version'"
    fi
    if "$program" --help | grep -q -- '--version'; then
        pass "$name --help lists its options"
    else
        fail "$name --help does not list --version"
    fi
    if zcat "$root/usr/share/man/man1/$name.1.gz" | grep -q '^\.SH OPTIONS'; then
        pass "the man page of $name has its options"
    else
        fail "the man page of $name has no OPTIONS section"
    fi
done

# PNG width and height, from the header.
png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{ print $3 * 256 + $4, $7 * 256 + $8 }'; }

shot=$scratch/demo.png
if QT_QPA_PLATFORM=offscreen "$root/usr/bin/velmora-monitor" --demo --start continuous \
    --screenshot "$shot" --after 1500 && [ -f "$shot" ]; then
    read -r width height < <(png_size "$shot")
    bytes=$(stat -c %s "$shot")
    # The window is 817 pixels wide with a menu bar above 607 rows; a blank one packs small.
    if [ "$width" -ge 800 ] && [ "$height" -ge 600 ] && [ "$bytes" -gt 20000 ]; then
        pass "the monitor drew its window on the simulated drive (${width}x${height}, $bytes bytes)"
    else
        fail "the screenshot looks empty: ${width}x${height}, $bytes bytes"
    fi
else
    fail "velmora-monitor --demo --screenshot did not write $shot"
fi

sim_out=$scratch/sim.out
if "$root/usr/bin/velmora-drive-sim" --duration 0.5 >"$sim_out" 2>"$scratch/sim.err" \
    && head -n 1 "$sim_out" | grep -q '^/dev/'; then
    pass "velmora-drive-sim served $(head -n 1 "$sim_out")"
else
    fail "velmora-drive-sim did not serve a terminal: $(cat "$sim_out" "$scratch/sim.err")"
fi

captures=$scratch/captures
if "$root/usr/bin/velmora-capture" --port 1=sim --count 1 --timeout 30 --out "$captures" \
    >"$scratch/capture.out" 2>"$scratch/capture.err" \
    && grep -q '^{"captured_at":' "$scratch/capture.out" && [ -f "$captures/history.csv" ]; then
    pass "velmora-capture wrote a transient of the simulated drive"
else
    fail "velmora-capture captured nothing: $(cat "$scratch/capture.out" "$scratch/capture.err")"
fi

# Whether every dependency can be had here, without installing anything.
if apt-get install --simulate --no-install-recommends "$(realpath "$deb")" >"$scratch/apt.out" 2>&1; then
    pass "apt would install it"
else
    fail "apt would not install it: $(tail -n 5 "$scratch/apt.out")"
fi

if [ "$failures" -ne 0 ]; then
    echo "check-package: $failures checks failed" >&2
    exit 1
fi
echo "check-package: $deb passed"
