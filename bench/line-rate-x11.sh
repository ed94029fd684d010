#!/usr/bin/env bash
# The whole monitor program at the drive's line rate on a real X server.
#
# Starts Xvfb, plays the simulated drive into a pseudo-terminal at 11 520 bytes/s in pieces of a
# fixed size (an adapter that hands over its bytes in blocks), runs
# `velmora-monitor --start continuous` on it with the CPU saver off, and reads the monitor's
# cost from /proc over a measured window after a warm-up. Given a second binary (--baseline),
# it runs the two in turn, run by run, and prints them side by side.
#
# Figures, per write size and binary:
#   CPU      utime + stime of the monitor (all threads) over the window, as % of one core:
#            median and range of the runs
#   X        the same for the X server, which does the drawing the monitor asks for
#   switches voluntary context switches a second, summed over the monitor's threads
#   r/w      read and write system calls a second (/proc/PID/io syscr, syscw): reads of the
#            port, the X connection and the event loop's wake-up descriptor; writes to the
#            X server (each push of the window) and wake-ups
#   RSS      peak resident set (VmHWM) at the end of a run, the largest of the runs
#   shown    pairs the monitor showed (its --stats-every count) against pairs the drive wrote,
#            over whole runs, summed over the runs
#   chart    samples the live chart took in (chart= of the same line), with the chart open
#   launch   start to exit of `velmora-monitor --screenshot FILE` on the same X server: the
#            window built, shown, drawn once and saved as a PNG (median of 5)
#
# The machine's load average is printed with every run: other work on the machine shows up in
# the CPU figures, so compare figures taken in the same run.
set -euo pipefail

usage() {
    cat <<'EOF'
usage: bench/line-rate-x11.sh [options] [MONITOR]

  MONITOR            the monitor binary to measure (default: build/velmora-monitor)
  --baseline OTHER   measure OTHER too, in the same run, and print before/after; OTHER may be
                     MONITOR itself, to compare two ways of running it (--monitor-args)
  --monitor-args "ARGS"   more arguments for MONITOR (not for the baseline)
  --baseline-args "ARGS"  more arguments for the baseline
  --live-chart       open the live chart in MONITOR's runs (--monitor-args --live-chart)
  --live-span MS     the live chart's span in the runs' settings (LiveSpanMs, default 2000)
  --sizes "16 64 184"  write sizes in bytes (even)
  --runs N           runs per size and binary (default 3)
  --seconds S        measured window of a run (default 30)
  --warmup S         time streamed before the window opens (default 5)
  --quick            one run of 5 s after 2 s of warm-up, for trying it
  --drive-sim PATH   the simulated drive (default: build/velmora-drive-sim)
  --perf DIR         instead of the table: record one run per binary at the first size with
                     `perf record --call-graph dwarf` over the window, keep the data in DIR with
                     the self and inclusive time by symbol, and print the top entries (installs
                     linux-perf when missing)
  --keep DIR         keep every run's output (the drive's and the monitor's) in DIR
EOF
}

root=$(cd "$(dirname "$0")/.." && pwd)
monitor=""
baseline=""
sizes="16 64 184"
runs=3
seconds=30
warmup=5
drive=""
perf_dir=""
keep=""
monitor_args=""
baseline_args=""
live_span=2000
launches=5

while [ $# -gt 0 ]; do
    case "$1" in
    --baseline) baseline=$2; shift 2 ;;
    --monitor-args) monitor_args="$monitor_args $2"; shift 2 ;;
    --baseline-args) baseline_args="$baseline_args $2"; shift 2 ;;
    --live-chart) monitor_args="$monitor_args --live-chart"; shift ;;
    --live-span) live_span=$2; shift 2 ;;
    --sizes) sizes=$2; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    --seconds) seconds=$2; shift 2 ;;
    --warmup) warmup=$2; shift 2 ;;
    --quick) runs=1; seconds=5; warmup=2; launches=3; shift ;;
    --drive-sim) drive=$2; shift 2 ;;
    --perf) perf_dir=$2; shift 2 ;;
    --keep) keep=$2; shift 2 ;;
    -h | --help) usage; exit 0 ;;
    -*) echo "line-rate-x11: unknown option $1" >&2; usage >&2; exit 2 ;;
    *) monitor=$1; shift ;;
    esac
done
monitor=${monitor:-$root/build/velmora-monitor}
drive=${drive:-$root/build/velmora-drive-sim}
for program in "$monitor" "$drive" ${baseline:+"$baseline"}; do
    [ -x "$program" ] || { echo "line-rate-x11: $program is not an executable" >&2; exit 2; }
done
for size in $sizes; do
    case "$size" in
    *[!0-9]* | "") echo "line-rate-x11: --sizes takes even byte counts" >&2; exit 2 ;;
    esac
    [ $((size % 2)) -eq 0 ] || { echo "line-rate-x11: $size is odd" >&2; exit 2; }
done

extra=(xvfb)
[ -n "$perf_dir" ] && extra+=(linux-perf)
"$root/scripts/install-deps.sh" "${extra[@]}"

work=$(mktemp -d)
xvfb_pid=""
pids=()
cleanup() {
    for pid in "${pids[@]}" $xvfb_pid; do
        kill "$pid" 2>/dev/null || true
    done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Xvfb picks a free display and says which on the descriptor given.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.err" &
xvfb_pid=$!
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
[ -s "$work/display" ] || { echo "line-rate-x11: Xvfb did not start" >&2; cat "$work/xvfb.err" >&2; exit 1; }
display=":$(head -1 "$work/display")"
ticks=$(getconf CLK_TCK)

# utime + stime of a process, all its threads, in clock ticks.
cpu_ticks() {
    sed 's/.*) //' "/proc/$1/stat" | awk '{ print $12 + $13 }'
}
# Read and write system calls of a process, all its threads: "reads writes".
io_calls() {
    awk '/^syscr/ { r = $2 } /^syscw/ { w = $2 } END { print r + 0, w + 0 }' "/proc/$1/io"
}
voluntary_switches() {
    cat /proc/"$1"/task/*/status 2>/dev/null | awk '/^voluntary_ctxt_switches/ { n += $2 } END { print n + 0 }'
}
now() {
    date +%s.%N
}
# A settings file with the CPU saver off, under the name the binary reads it by.
settings_for() {
    local bin=$1 config=$2
    local app
    app=$(basename "$bin")
    mkdir -p "$config/$app"
    printf '[Setup]\nPort=" 0"\nMinta=" 2"\n[Options]\nLiveSpanMs=%s\n' "$live_span" \
        >"$config/$app/$app.ini"
}
last_shown() {
    sed -n 's/.*stats samples=\([0-9]*\).*/\1/p' "$1" | tail -1
}
last_chart() {
    sed -n 's/.*stats samples=.* chart=\([0-9]*\).*/\1/p' "$1" | tail -1
}
wait_for() { # seconds condition...
    local limit=$1
    shift
    local end=$((SECONDS + limit))
    until "$@"; do
        [ $SECONDS -lt $end ] || return 1
        sleep 0.1
    done
}
has_line() { [ -s "$1" ]; }
streaming() { [ "$(last_shown "$1")" ] && [ "$(last_shown "$1")" -gt 0 ]; }

# One run: sets run_result to "cpu% x% switches/s rss_kB shown sent reads/s writes/s chart".
run_result=""
run_once() {
    local bin=$1 size=$2 label=$3 args=$4
    local dir
    dir=$(mktemp -d "$work/run.XXXXXX")
    settings_for "$bin" "$dir/config"
    "$drive" --wait-open --duration $((warmup + seconds + 3)) --piece "$size" \
        >"$dir/drive.out" 2>"$dir/drive.err" &
    local drive_pid=$!
    pids+=("$drive_pid")
    wait_for 10 has_line "$dir/drive.out" || { echo "line-rate-x11: the drive did not start" >&2; return 1; }
    local pty
    pty=$(head -1 "$dir/drive.out")
    DISPLAY=$display XDG_CONFIG_HOME=$dir/config QT_QPA_PLATFORM=xcb \
        "$bin" --start continuous --port "1=$pty" --stats-every 1 $args \
        >"$dir/monitor.out" 2>"$dir/monitor.err" &
    local mon=$!
    pids+=("$mon")
    if ! wait_for 20 streaming "$dir/monitor.out"; then
        echo "line-rate-x11: $label shows no samples; its stderr:" >&2
        cat "$dir/monitor.err" >&2
        return 1
    fi
    sleep "$warmup"
    local t0 c0 x0 v0 t1 c1 x1 v1 io0 io1
    t0=$(now); c0=$(cpu_ticks "$mon"); x0=$(cpu_ticks "$xvfb_pid"); v0=$(voluntary_switches "$mon")
    io0=$(io_calls "$mon")
    if [ -n "$perf_dir" ]; then
        # DWARF unwinding: the distribution's Qt is built without frame pointers.
        perf record --call-graph dwarf -o "$perf_dir/perf-$label.data" -p "$mon" -- sleep "$seconds" \
            >/dev/null 2>"$dir/perf.err"
    else
        sleep "$seconds"
    fi
    t1=$(now); c1=$(cpu_ticks "$mon"); x1=$(cpu_ticks "$xvfb_pid"); v1=$(voluntary_switches "$mon")
    io1=$(io_calls "$mon")
    wait "$drive_pid" || true
    # The last pieces on their way, and the next stats line.
    local shown=""
    for _ in 1 2 3 4 5; do
        sleep 1.2
        local latest
        latest=$(last_shown "$dir/monitor.out")
        [ "$latest" = "$shown" ] && break
        shown=$latest
    done
    local rss chart
    rss=$(awk '/^VmHWM/ { print $2 }' "/proc/$mon/status")
    chart=$(last_chart "$dir/monitor.out")
    kill "$mon"
    wait "$mon" 2>/dev/null || true
    local sent
    sent=$(sed -n 's/.*: \([0-9]*\) samples,.*/\1/p' "$dir/drive.err" | tail -1)
    if [ -n "$keep" ]; then
        mkdir -p "$keep"
        for f in drive.out drive.err monitor.out monitor.err; do
            cp "$dir/$f" "$keep/$label.$f"
        done
    fi
    run_result=$(awk -v c0="$c0" -v c1="$c1" -v x0="$x0" -v x1="$x1" -v v0="$v0" -v v1="$v1" \
        -v t0="$t0" -v t1="$t1" -v hz="$ticks" -v rss="$rss" -v shown="$shown" -v sent="$sent" \
        -v io0="$io0" -v io1="$io1" -v chart="${chart:-0}" \
        'BEGIN { w = t1 - t0; split(io0, a, " "); split(io1, b, " ")
                 printf "%.3f %.3f %.1f %d %d %d %.1f %.1f %d\n", 100 * (c1 - c0) / hz / w,
                 100 * (x1 - x0) / hz / w, (v1 - v0) / w, rss, shown, sent,
                 (b[1] - a[1]) / w, (b[2] - a[2]) / w, chart }')
}

# Start to exit of a screenshot run, in seconds.
launch_once() {
    local bin=$1
    local dir
    dir=$(mktemp -d "$work/launch.XXXXXX")
    settings_for "$bin" "$dir/config"
    local t0 t1
    t0=$(now)
    DISPLAY=$display XDG_CONFIG_HOME=$dir/config QT_QPA_PLATFORM=xcb \
        "$bin" --screenshot "$dir/shot.png" >/dev/null 2>"$dir/err" || { cat "$dir/err" >&2; return 1; }
    t1=$(now)
    awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.3f\n", b - a }'
}

# "median (min–max)" of the numbers on stdin.
spread() {
    sort -g | awk -v f="$1" '{ v[NR] = $1 } END {
        m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
        if (NR == 1) printf f, m; else printf f " (" f "–" f ")", m, v[1], v[NR] }'
}

binaries=()
labels=()
arguments=()
if [ -n "$baseline" ]; then
    binaries+=("$baseline")
    labels+=(before)
    arguments+=("$baseline_args")
    binaries+=("$monitor")
    labels+=(after)
    arguments+=("$monitor_args")
else
    binaries+=("$monitor")
    labels+=(monitor)
    arguments+=("$monitor_args")
fi

echo "# $(date -u '+%Y-%m-%d %H:%M UTC') on $(nproc) cores, X server $display" >&2
for i in "${!binaries[@]}"; do
    echo "# ${labels[$i]}: ${binaries[$i]}${arguments[$i]}" >&2
done

if [ -n "$perf_dir" ]; then
    mkdir -p "$perf_dir"
    size=${sizes%% *}
    for i in "${!binaries[@]}"; do
        label="${labels[$i]}-$size"
        run_once "${binaries[$i]}" "$size" "$label" "${arguments[$i]}"
        data="$perf_dir/perf-$label.data"
        perf report -i "$data" --no-children -g none --sort dso --stdio 2>/dev/null \
            | awk '/%/ && !/^#/' >"$perf_dir/self-by-library-$label.txt"
        perf report -i "$data" --no-children -g none --sort dso,sym --stdio 2>/dev/null \
            | awk '/%/ && !/^#/' >"$perf_dir/self-$label.txt"
        perf report -i "$data" --children -g none --sort sym --stdio 2>/dev/null \
            | awk '/%/ && !/^#/' >"$perf_dir/inclusive-$label.txt"
        echo "== $label: self time by library"
        awk 'NR <= 12' "$perf_dir/self-by-library-$label.txt"
        echo "== $label: top entries, self time"
        awk 'NR <= 25' "$perf_dir/self-$label.txt"
        echo "== $label: top entries, with what they call (children, self)"
        awk 'NR <= 60' "$perf_dir/inclusive-$label.txt"
    done
    exit 0
fi

results="$work/results"
: >"$results"
for size in $sizes; do
    for run in $(seq "$runs"); do
        for i in "${!binaries[@]}"; do
            load=$(cut -d' ' -f1-3 /proc/loadavg)
            run_once "${binaries[$i]}" "$size" "${labels[$i]}-$size-$run" "${arguments[$i]}"
            echo "$size ${labels[$i]} $run_result" >>"$results"
            echo "# $size B ${labels[$i]} run $run: cpu% x% switches/s rss_kB shown sent reads/s writes/s chart = $run_result (load $load)" >&2
        done
    done
done

launch="$work/launch"
: >"$launch"
for n in $(seq "$launches"); do
    for i in "${!binaries[@]}"; do
        echo "${labels[$i]} $(launch_once "${binaries[$i]}")" >>"$launch"
    done
done

echo
echo "Continuous mode, CPU saver off, 11 520 bytes/s on a pty, Xvfb; $runs × ${seconds} s per row after ${warmup} s of warm-up."
echo
echo "| Writes | Build | CPU % of a core, median (range) | X server % | Voluntary switches/s | Reads/s, writes/s | Peak RSS MB | Pairs shown / sent | Chart samples / sent |"
echo "|---|---|---|---|---|---|---|---|---|"
for size in $sizes; do
    for label in "${labels[@]}"; do
        rows=$(awk -v s="$size" -v l="$label" '$1 == s && $2 == l' "$results")
        cpu=$(echo "$rows" | awk '{ print $3 }' | spread "%.2f")
        xcpu=$(echo "$rows" | awk '{ print $4 }' | spread "%.2f")
        sw=$(echo "$rows" | awk '{ print $5 }' | spread "%.0f")
        calls=$(echo "$rows" | awk '{ r += $9; w += $10 } END { printf "%.0f, %.0f", r / NR, w / NR }')
        rss=$(echo "$rows" | awk '$6 > m { m = $6 } END { printf "%.1f", m / 1024 }')
        pairs=$(echo "$rows" | awk '{ a += $7; b += $8 } END { printf "%d / %d", a, b }')
        chart=$(echo "$rows" | awk '{ a += $11; b += $8 } END { printf "%d / %d", a, b }')
        echo "| $size B | $label | $cpu | $xcpu | $sw | $calls | $rss | $pairs | $chart |"
    done
done
echo
echo "| Build | Launch to screenshot, s, median (range) of $launches |"
echo "|---|---|"
for label in "${labels[@]}"; do
    echo "| $label | $(awk -v l="$label" '$1 == l { print $2 }' "$launch" | spread "%.3f") |"
done
