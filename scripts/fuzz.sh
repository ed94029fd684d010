#!/usr/bin/env bash
# Builds the libFuzzer targets in build-fuzz (clang, every object instrumented) and runs each for
# SECONDS (default 20), starting from a copy of its seed corpus in fuzz/corpus/<target>/, so the
# repository's corpus never grows. Crashing inputs are kept in build-fuzz/fuzz-artifacts/.
# Exits non-zero when any target finds a crash, a leak or a broken invariant.
# Usage: scripts/fuzz.sh [SECONDS] [target...]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
seconds=${1:-20}
[ $# -gt 0 ] && shift
targets=("$@")
[ ${#targets[@]} -eq 0 ] \
    && targets=(fuzz_serial_control fuzz_traces fuzz_number_text fuzz_settings fuzz_transient_csv)
build=${VELMORA_FUZZ_BUILD:-build-fuzz}

# The largest input each target reads: a script of actions, a whole capture buffer with its
# header, a number's text, an INI file, a capture CSV file of 2050 samples and some more.
declare -A max_len=(
    [fuzz_serial_control]=4096
    [fuzz_traces]=12100
    [fuzz_number_text]=256
    [fuzz_settings]=4096
    [fuzz_transient_csv]=65536
)

./scripts/install-deps.sh clang libclang-rt-14-dev
cmake -S . -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVELMORA_FUZZ=ON >/dev/null
cmake --build "$build" --parallel "$(nproc)" --target "${targets[@]}"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
artifacts=$root/$build/fuzz-artifacts
mkdir -p "$artifacts"
export ASAN_OPTIONS="detect_stack_use_after_return=1:strict_string_checks=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"

failed=()
for target in "${targets[@]}"; do
    [ -n "${max_len[$target]:-}" ] || { echo "fuzz: no target $target" >&2; exit 2; }
    mkdir -p "$work/$target"
    cp fuzz/corpus/"$target"/* "$work/$target"/
    echo "fuzz: $target for ${seconds}s"
    if ! "$build/fuzz/$target" "$work/$target" -max_total_time="$seconds" \
        -max_len="${max_len[$target]}" -timeout=30 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$artifacts/$target-" >"$work/$target.log" 2>&1; then
        tail -n 60 "$work/$target.log"
        failed+=("$target")
    fi
    grep -E '^(#[0-9]+.*DONE|stat::number_of_executed_units)' "$work/$target.log" || true
done

if [ ${#failed[@]} -gt 0 ]; then
    echo "fuzz: failed: ${failed[*]} (inputs in $artifacts)" >&2
    exit 1
fi
