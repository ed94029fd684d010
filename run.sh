#!/usr/bin/env bash
# Builds the monitor into build/ (installing what it needs on a fresh Debian) and starts it with
# the given arguments, e.g. ./run.sh --port 1=/dev/ttyUSB0 or ./run.sh --screenshot shot.png
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --parallel "$(nproc)" --target velmora-monitor
exec build/velmora-monitor "$@"
