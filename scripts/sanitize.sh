#!/usr/bin/env bash
# Builds the monitor with AddressSanitizer and UndefinedBehaviorSanitizer in build-asan and runs
# every test there headless. Any report fails the run; LeakSanitizer ignores only the third-party
# leaks listed in scripts/lsan.supp. Extra arguments go to ctest (-R pattern, -j N...).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${VELMORA_ASAN_BUILD:-build-asan}

./scripts/install-deps.sh
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DVELMORA_SANITIZE=ON >/dev/null
cmake --build "$build" --parallel "$(nproc)"

export ASAN_OPTIONS="halt_on_error=1:abort_on_error=0:detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1:strict_string_checks=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export LSAN_OPTIONS="suppressions=$root/scripts/lsan.supp:print_suppressions=0"
export QT_QPA_PLATFORM=offscreen
cd "$build"
ctest --output-on-failure --parallel "$(nproc)" "$@"
