#!/usr/bin/env bash
# The HUD's shift clock and the day's totals against the wall clock: runs plovane on a
# private virtual desktop with a private home, types into a terminal for a while (the pet
# in flow), and prints how far the shift clock moved (the "shift N" of the debug tick
# line, the seconds the HUD's SHIFT shows) against the seconds that passed meanwhile, and
# the day file's booked seconds against the seconds the program ran. Pictures of the HUD
# as typing starts and ends are left in build/shift-clock/ to read SHIFT from.
# Run it alone, and again beside other work (a build): both figures should stay within a
# second or two of the wall clock.
# Usage: bench/shift-clock.sh [path/to/plovane]   (default build/src/app/plovane)
#        PLOVANE_TYPE_SECONDS=80 changes how long the typing lasts.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
app="$(realpath "${1:-$here/build/src/app/plovane}")"
typing="${PLOVANE_TYPE_SECONDS:-80}"

if [ ! -x "$app" ]; then echo "shift-clock: no executable at $app (build first)" >&2; exit 2; fi
if [ -z "${PLOVANE_BENCH_INSIDE:-}" ]; then
  PLOVANE_BENCH_INSIDE=1 exec bash "$here/scripts/test-desktop.sh" bash "${BASH_SOURCE[0]}" "$app"
fi

home="$(mktemp -d /tmp/plovane-bench-XXXXXX)"
pictures="$here/build/shift-clock"
mkdir -p "$pictures"
export HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share" XDG_CACHE_HOME="$home/.cache"
mkdir -p "$XDG_CONFIG_HOME/plovane"
printf '{"quellin.has_shown_welcome": true, "quellin.has_completed_first_run_setup": true, "tessivar.language": "en"}\n' \
  >"$XDG_CONFIG_HOME/plovane/defaults.json"
pids=()
trap 'for p in ${pids[@]+"${pids[@]}"}; do kill "$p" 2>/dev/null || true; done; wait 2>/dev/null; rm -rf "$home"' EXIT

# The user's terminal, typed into (the work set knows xterm: flow).
xterm -title shift-clock-terminal -geometry 80x20+700+100 -xrm 'XTerm*allowSendEvents: true' \
  -e cat >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do term="$(xdotool search --onlyvisible --name '^shift-clock-terminal$' 2>/dev/null | head -1 || true)"
  [ -n "$term" ] && break; sleep 0.2; done
[ -n "$term" ] || { echo "shift-clock: the terminal did not show" >&2; exit 1; }
xdotool windowactivate "$term" >/dev/null 2>&1 || true

cd "$here"
PLOVANE_LOG=debug "$app" >"$home/app.log" 2>&1 &
app_pid=$!
pids+=("$app_pid")
# The engine starts with its first tick: the day counts from there.
for _ in $(seq 1000); do grep -q "^debug: tick:" "$home/app.log" && break; sleep 0.02; done
started="$(date +%s.%N)"
hud="$(xdotool search --onlyvisible --name '^Plovane HUD$' 2>/dev/null | head -1 || true)"
[ -n "$hud" ] || { echo "shift-clock: the HUD did not show" >&2; cat "$home/app.log" >&2; exit 1; }
eval "$(xdotool getwindowgeometry --shell "$hud")"
hud_picture() { import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" "$pictures/hud-$1.png" 2>/dev/null || true; }

# Empty from a build whose tick line does not carry it: read SHIFT off the pictures then.
last_shift() { { grep -o 'shift [0-9]*$' "$home/app.log" || true; } | tail -1 | cut -d' ' -f2; }
last_state() { grep '^debug: tick:' "$home/app.log" | tail -1 | sed 's/.* -> \([A-Za-z]*\),.*/\1/'; }

# Type until the pet is in flow, then measure from a fresh tick.
typist() { while :; do xdotool type --delay 120 "the quick brown fox jumps over the lazy dog " 2>/dev/null; done; }
typist &
pids+=($!)
for _ in $(seq 100); do [ "$(last_state)" = Flow ] && break; sleep 0.2; done
[ "$(last_state)" = Flow ] || { echo "shift-clock: the pet never dived (state $(last_state))" >&2; exit 1; }
ticks0="$(grep -c '^debug: tick:' "$home/app.log")"
while [ "$(grep -c '^debug: tick:' "$home/app.log")" = "$ticks0" ]; do sleep 0.02; done
t0="$(date +%s.%N)"; s0="$(last_shift)"
hud_picture start
sleep "$typing"
ticks1="$(grep -c '^debug: tick:' "$home/app.log")"
while [ "$(grep -c '^debug: tick:' "$home/app.log")" = "$ticks1" ]; do sleep 0.02; done
t1="$(date +%s.%N)"; s1="$(last_shift)"
hud_picture end
states="$(grep '^debug: tick:' "$home/app.log" | sed -n "$((ticks0 + 1)),$((ticks1 + 1))p" | sed 's/.* -> \([A-Za-z]*\),.*/\1/' | sort | uniq -c |
  awk '{printf "%s%s %s", (NR > 1 ? ", " : ""), $2, $1}')"

kill -TERM "$app_pid"
wait "$app_pid" || true
ended="$(date +%s.%N)"
day="$(ls "$XDG_CONFIG_HOME/plovane/days/"*.json 2>/dev/null | tail -1)"
booked="$(python3 -c 'import json, sys; print(sum(json.load(open(sys.argv[1]))["stateDurations"].values()))' "$day")"

awk -v t0="$t0" -v t1="$t1" -v s0="$s0" -v s1="$s1" -v started="$started" -v ended="$ended" -v booked="$booked" \
    -v states="$states" 'BEGIN {
  wall = t1 - t0; shift = s1 - s0
  if (s0 == "") printf "typing:   %.1f s on the wall clock (this build logs no shift: see the pictures); ticks: %s\n", wall, states
  else printf "typing:   %.1f s on the wall clock, the shift clock moved %d s (%.3f s a second); ticks: %s\n",
    wall, shift, shift / wall, states
  printf "the day:  plovane ran %.1f s from its first tick, its day file holds %d s\n", ended - started, booked
}'
echo "HUD pictures: $pictures/hud-start.png, $pictures/hud-end.png"
