#!/usr/bin/env bash
# Builds the monitor into build/ (installing what it needs on a fresh Debian) and starts it.
# With no --port on the command line it runs on the built-in simulated drive (--demo), so there is
# something to watch without a servo drive on the desk:
#   ./run.sh                              simulated drive on Comm 1
#   ./run.sh --port 1=/dev/ttyUSB0        a real drive
#   ./run.sh --screenshot shot.png        render the window headless and exit
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --parallel "$(nproc)" --target velmora-monitor velmora-capture

args=("$@")
named_port=0
for a in "${args[@]}"; do
    case "$a" in --port | --port=*) named_port=1 ;; esac
done
[ "$named_port" = 1 ] || args=(--demo "${args[@]}")
exec build/velmora-monitor "${args[@]}"
