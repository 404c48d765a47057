#!/usr/bin/env bash
# What an open daily report costs: runs plovane on a private virtual desktop with a
# private home, lets it warm up, then measures three periods of the same process from
# /proc, each printed as CPU seconds per minute and wakeups per second:
#   1. idle, every window closed;
#   2. the daily report open (opened from the HUD's menu) while the engine books seconds;
#   3. idle again after the report was closed (a closed window should cost nothing).
# Usage: bench/report-app.sh [path/to/plovane]   (default build/src/app/plovane)
#        PLOVANE_WARMUP=20 PLOVANE_MEASURE=60 to change the periods.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
app="$(realpath "${1:-$here/build/src/app/plovane}")"
warmup="${PLOVANE_WARMUP:-20}"
measure="${PLOVANE_MEASURE:-60}"

if [ ! -x "$app" ]; then echo "report-app: no executable at $app (build first)" >&2; exit 2; fi
if [ -z "${PLOVANE_BENCH_INSIDE:-}" ]; then
  PLOVANE_BENCH_INSIDE=1 exec bash "$here/scripts/test-desktop.sh" bash "${BASH_SOURCE[0]}" "$app"
fi

home="$(mktemp -d /tmp/plovane-bench-XXXXXX)"
export HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share" XDG_CACHE_HOME="$home/.cache"
mkdir -p "$XDG_CONFIG_HOME/plovane"
printf '{"quellin.has_shown_welcome": true, "quellin.has_completed_first_run_setup": true, "tessivar.language": "en"}\n' \
  >"$XDG_CONFIG_HOME/plovane/defaults.json"

# The user keeps working (a key press every 10 s), so the engine books flow seconds.
xdotool mousemove 900 300 >/dev/null 2>&1 || true
(while sleep 10; do xdotool key shift >/dev/null 2>&1; done) &
typist=$!
trap 'kill $typist $pid 2>/dev/null || true; rm -rf "$home"' EXIT

cd "$here"
"$app" >"$home/app.log" 2>&1 &
pid=$!

cpu_ns() { cat /proc/"$pid"/task/*/schedstat 2>/dev/null | awk '{s += $1} END {printf "%.0f", s}'; }
# Voluntary context switches per thread ("tid count" lines); a period counts only the
# threads alive at both of its ends, so a pool thread that retires does not subtract.
switches() { for t in /proc/"$pid"/task/*; do echo "${t##*/} $(awk '/^voluntary_ctxt_switches/ {print $2}' "$t/status" 2>/dev/null)"; done; }
period() { # label
  local t0 c0 w0 t1 c1 w1
  t0="$(date +%s.%N)"; c0="$(cpu_ns)"; switches >"$home/w0"
  sleep "$measure"
  t1="$(date +%s.%N)"; c1="$(cpu_ns)"; switches >"$home/w1"
  w0=0; w1="$(awk 'NR == FNR {a[$1] = $2; next} ($1 in a) && $2 != "" {s += $2 - a[$1]} END {print s + 0}' "$home/w0" "$home/w1")"
  awk -v label="$1" -v c0="$c0" -v c1="$c1" -v t0="$t0" -v t1="$t1" -v w0="$w0" -v w1="$w1" 'BEGIN {
    wall = t1 - t0; cpu = (c1 - c0) / 1e9
    printf "  %-28s %.3f CPU-s/min   %.1f wakeups/s   (%.0f s)\n", label, cpu * 60 / wall, (w1 - w0) / wall, wall }'
}

sleep "$warmup"
kill -0 "$pid" 2>/dev/null || { echo "report-app: plovane exited during warm-up" >&2; cat "$home/app.log" >&2; exit 1; }
hud="$(xdotool search --all --onlyvisible --pid "$pid" --name '^Plovane HUD$' | head -1)"
eval "$(xdotool getwindowgeometry --shell "$hud")"

echo "plovane with and without the daily report, ${measure} s each after a ${warmup} s warm-up"
period "idle, windows closed"

# The report, from the HUD's right-click menu (the seventh item).
xdotool mousemove $(( X + WIDTH - 90 )) $(( Y + 100 )) click 3
sleep 0.8
xdotool key --delay 120 Down Down Down Down Down Down Down Return
sleep 1
report="$(xdotool search --all --onlyvisible --pid "$pid" --name '^Daily Report' | head -1)"
[ -n "$report" ] || { echo "report-app: the daily report did not open" >&2; exit 1; }
xdotool mousemove 900 300 >/dev/null 2>&1 || true
sleep 2
period "daily report open"

xdotool windowclose "$report" 2>/dev/null || xdotool key --window "$report" alt+F4
sleep 2
period "idle, report closed again"
kill -TERM "$pid"; wait "$pid" || true
