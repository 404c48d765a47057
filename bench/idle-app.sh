#!/usr/bin/env bash
# Whole-application idle cost: runs plovane on a private virtual desktop with a private
# home, lets it warm up, then measures one minute from /proc and prints
#   CPU % of one core, CPU seconds per minute, peak and final resident memory,
#   voluntary context switches (wakeups) per second, summed over all threads.
# Usage: bench/idle-app.sh [path/to/plovane]   (default build/src/app/plovane)
#        PLOVANE_WARMUP=20 PLOVANE_MEASURE=60 to change the two periods.
#        PLOVANE_BENCH_MODE=flow (default): a key press every 10 s somewhere else keeps the
#          user "working", so the pet stays in flow; =away: no input at all, the pet hovers.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
app="$(realpath "${1:-$here/build/src/app/plovane}")"
warmup="${PLOVANE_WARMUP:-20}"
measure="${PLOVANE_MEASURE:-60}"

if [ ! -x "$app" ]; then echo "idle-app: no executable at $app (build first)" >&2; exit 2; fi
if [ -z "${PLOVANE_BENCH_INSIDE:-}" ]; then
  # A desktop of our own, so the figures do not depend on the caller's session.
  PLOVANE_BENCH_INSIDE=1 exec bash "$here/scripts/test-desktop.sh" bash "${BASH_SOURCE[0]}" "$app"
fi

home="$(mktemp -d /tmp/plovane-bench-XXXXXX)"
trap 'rm -rf "$home"' EXIT
export HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share" XDG_CACHE_HOME="$home/.cache"
# The welcome bubble and the first-run setup are one-time events, not idle.
mkdir -p "$XDG_CONFIG_HOME/plovane"
printf '{"quellin.has_shown_welcome": true, "quellin.has_completed_first_run_setup": true}\n' \
  >"$XDG_CONFIG_HOME/plovane/defaults.json"

mode="${PLOVANE_BENCH_MODE:-flow}"
# Pointer away from the HUD (bottom left) and the tray (top right).
xdotool mousemove 900 300 >/dev/null 2>&1 || true
if [ "$mode" = flow ]; then
  # Input that reaches the idle counter but no window of ours (the HUD never has focus).
  (while sleep 10; do xdotool key shift >/dev/null 2>&1; done) &
  typist=$!
  trap 'kill $typist 2>/dev/null; rm -rf "$home"' EXIT
fi

cd "$here"
"$app" >"$home/app.log" 2>&1 &
pid=$!

# Time on CPU in ns, from the scheduler's per-thread counters (finer than utime + stime ticks).
cpu_ns() { cat /proc/"$pid"/task/*/schedstat 2>/dev/null | awk '{s += $1} END {printf "%.0f", s}'; }
wakeups() { cat /proc/"$pid"/task/*/status 2>/dev/null | awk '/^voluntary_ctxt_switches/ {s += $2} END {print s + 0}'; }
kib() { awk -v k="$1" '$1 == k":" {print $2}' "/proc/$pid/status"; }

sleep "$warmup"
if ! kill -0 "$pid" 2>/dev/null; then echo "idle-app: plovane exited during warm-up" >&2; cat "$home/app.log" >&2; exit 1; fi
t0="$(date +%s.%N)"; c0="$(cpu_ns)"; w0="$(wakeups)"
sleep "$measure"
t1="$(date +%s.%N)"; c1="$(cpu_ns)"; w1="$(wakeups)"
peak="$(kib VmHWM)"; final="$(kib VmRSS)"; threads="$(ls /proc/$pid/task | wc -l)"

kill -TERM "$pid"
rc=0; wait "$pid" || rc=$?

awk -v c0="$c0" -v c1="$c1" -v t0="$t0" -v t1="$t1" -v w0="$w0" -v w1="$w1" \
    -v peak="$peak" -v final="$final" -v threads="$threads" -v rc="$rc" -v warm="$warmup" -v mode="$mode" 'BEGIN {
  wall = t1 - t0; cpu = (c1 - c0) / 1e9
  printf "plovane idle (%s), %.0f s after a %d s warm-up (%d threads)\n", mode, wall, warm, threads
  printf "  CPU                 %.3f %% of one core\n", 100 * cpu / wall
  printf "  CPU per minute      %.3f s\n", cpu * 60 / wall
  printf "  resident peak       %.1f MB\n", peak / 1024
  printf "  resident final      %.1f MB\n", final / 1024
  printf "  wakeups             %.1f voluntary context switches per second\n", (w1 - w0) / wall
  printf "  exit code on SIGTERM %d\n", rc
}'
