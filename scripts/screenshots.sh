#!/usr/bin/env bash
# Builds the monitor and redraws every picture of the README with the program's own headless
# screenshots, on the built-in simulated drive:
#   docs/screenshots/main-window.png   the main window as a first run opens it
#   docs/screenshots/continuous.png    a live deviation in continuous mode (CPU saver off)
#   docs/screenshots/triggered.png     the first transient captured in triggered mode
#   docs/screenshots/calculator.png    the rotation calculator as it opens
#   docs/screenshots/analysis.png      the transient analysis window: a capture, a reference and
#                                      the two cursors
#   docs/screenshots/report.png        the page of its PDF report, as pdftoppm draws it
#   docs/screenshots/live.png          the live chart after five seconds of the continuous stream,
#                                      with its cursors
# The monitor runs on settings of its own in a temporary folder, so the user's are left alone.
# VELMORA_BUILD_DIR chooses the build directory (default: build, as run.sh uses).
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${VELMORA_BUILD_DIR:-build}
out=docs/screenshots

./scripts/install-deps.sh
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build_dir" --parallel "$(nproc)" --target velmora-monitor
monitor=$build_dir/velmora-monitor

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$out" "$scratch/runtime"
chmod 700 "$scratch/runtime"
export XDG_RUNTIME_DIR=$scratch/runtime
# Headless, whether or not this runs under a desktop.
export QT_QPA_PLATFORM=offscreen

# Runs the monitor on a settings folder of its own; a Setup section given as the first argument
# is stored there first.
shoot() {
    local setup=$1
    shift
    local config
    config=$(mktemp -d "$scratch/config.XXXX")
    if [ -n "$setup" ]; then
        mkdir -p "$config/velmora-monitor"
        printf '[Setup]\n%s\n' "$setup" >"$config/velmora-monitor/velmora-monitor.ini"
    fi
    XDG_CONFIG_HOME=$config "$monitor" "$@"
}

shoot "" --screenshot "$out/main-window.png"
# Minta 2: the CPU saver off, so every sample is shown and the over-spin lamp is lit green. The
# simulated axis always makes the same moves; 2.53 s after Start it is accelerating, with a
# following error of about +90 to +240 steps for a tenth of a second either way.
shoot 'Minta=" 2"' --demo --start continuous --screenshot "$out/continuous.png" --after 2530
shoot 'Minta=" 2"' --demo --start triggered --screenshot "$out/triggered.png" --after-capture
shoot "" --screenshot-calculator "$out/calculator.png"
# The first capture becomes the reference; the second is shown beside it.
shoot "" --demo --screenshot-analysis "$out/analysis.png" --report-analysis "$scratch/report.pdf"
pdftoppm -png -r 80 -singlefile "$scratch/report.pdf" "$out/report"
# The simulated drive in continuous mode with the CPU saver off, whatever the settings say.
shoot "" --screenshot-live "$out/live.png"

ls -l "$out"/main-window.png "$out"/continuous.png "$out"/triggered.png "$out"/calculator.png \
    "$out"/analysis.png "$out"/report.png "$out"/live.png
