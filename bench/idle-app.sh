#!/usr/bin/env bash
# Whole-application idle cost: runs plovane on a private virtual desktop with a private
# home, lets it warm up, then measures one minute from /proc and prints one row with
#   CPU seconds per minute (all threads), resident memory (final and peak), voluntary
#   context switches (wakeups) per second, threads, and the X server's CPU seconds per
#   minute during the same window (Xvfb's scheduler counters), less what the desktop costs
#   the server with nothing of ours running (measured first, shown as "desktop alone").
# With peers, each peer runs in turn under the same desktop, after plovane, and gets its
# own row, so ratios come from one run on one machine; a last line per peer gives
# plovane's CPU and X CPU over the peer's, taken within each round, median of the rounds.
#
# Usage: bench/idle-app.sh [--peer NAME]... [--rounds N] [path/to/plovane]
#          (default build/src/app/plovane)
#        --peer workrave | xclock | any command on PATH | NAME=PATH (e.g. an older build:
#          --peer before=build-old/src/app/plovane); also PLOVANE_BENCH_PEER="a b".
#        --peer floor: a bare X client copying four prepared 160x160 frames a second into a
#          translucent window (build/bench/hud/frame_floor): the least the pet's frame rate
#          can cost the X server.
#        --rounds N: N interleaved rounds (plovane, peers, plovane, …); rows are medians.
#        PLOVANE_WARMUP=20 PLOVANE_MEASURE=60 PLOVANE_BASELINE=20 change the periods (s).
#        PLOVANE_BENCH_MODE=flow (default): a key press every 10 s somewhere else keeps the
#          user "working", so the pet stays in flow; =away: no input at all, the pet hovers;
#          =blank: no input, and the X screen saver (`xset`, x11-xserver-utils) comes on after
#          each program's warm-up, as on a desktop left alone: nobody can see the screen
#          during the window. The desktop's own cost is measured with the saver on.
# Nothing is installed: a missing peer is reported with the package that provides it.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

peers=(${PLOVANE_BENCH_PEER:-})
rounds="${PLOVANE_BENCH_ROUNDS:-1}"
app=""
while [ $# -gt 0 ]; do
  case "$1" in
    --peer) peers+=("$2"); shift 2 ;;
    --peer=*) peers+=("${1#--peer=}"); shift ;;
    --rounds) rounds="$2"; shift 2 ;;
    --rounds=*) rounds="${1#--rounds=}"; shift ;;
    -h|--help) sed -n '2,26p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) app="$1"; shift ;;
  esac
done
app="$(realpath "${app:-$here/build/src/app/plovane}")"
warmup="${PLOVANE_WARMUP:-20}"
measure="${PLOVANE_MEASURE:-60}"
baseline="${PLOVANE_BASELINE:-20}"

if [ ! -x "$app" ]; then echo "idle-app: no executable at $app (build first)" >&2; exit 2; fi

# The command line each known peer runs with, and where to get it.
peer_command() {
  case "$1" in
    *=*) echo "${1#*=}" ;;
    xclock) echo "xclock -update 1" ;;
    floor) echo "$here/build/bench/hud/frame_floor" ;;
    workrave) echo "workrave" ;;
    *) echo "$1" ;;
  esac
}
peer_name() { echo "${1%%=*}"; }
peer_package() {
  case "$1" in
    xclock) echo "x11-apps" ;;
    *) echo "$1" ;;
  esac
}
for peer in ${peers[@]+"${peers[@]}"}; do
  exe="$(peer_command "$peer")"; exe="${exe%% *}"
  if [ "$peer" = floor ] && [ ! -x "$exe" ]; then
    echo "idle-app: peer 'floor' is not built: cmake --build build --target frame_floor" >&2
    exit 2
  elif ! command -v "$exe" >/dev/null 2>&1; then
    echo "idle-app: peer '$peer' is not installed; on Debian: apt-get install $(peer_package "$peer")" >&2
    exit 2
  fi
done

if [ -z "${PLOVANE_BENCH_NET:-}" ] && unshare -n true 2>/dev/null; then
  # Where allowed, a network of our own too: nothing else knocks on our port, and we keep
  # it free for other copies of the program on this machine.
  export PLOVANE_BENCH_NET=1
  exec unshare -n bash -c 'ip link set lo up 2>/dev/null; exec bash "$0" "$@"' "${BASH_SOURCE[0]}" \
    ${peers[@]+$(printf -- '--peer %s ' "${peers[@]}")} --rounds "$rounds" "$app"
fi
if [ -z "${PLOVANE_BENCH_INSIDE:-}" ]; then
  # A desktop of our own, so the figures do not depend on the caller's session.
  PLOVANE_BENCH_INSIDE=1 PLOVANE_BENCH_PEER="${peers[*]+${peers[*]}}" PLOVANE_BENCH_ROUNDS="$rounds" \
    exec bash "$here/scripts/test-desktop.sh" bash "${BASH_SOURCE[0]}" "$app"
fi

work="$(mktemp -d /tmp/plovane-bench-XXXXXX)"
typist=""
cleanup() {
  [ -n "$typist" ] && kill "$typist" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# Each program starts with a fresh private home.
fresh_home() {
  local home="$work/home-$1"
  rm -rf "$home"; mkdir -p "$home"
  export HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share" XDG_CACHE_HOME="$home/.cache"
  # The welcome bubble and the first-run setup are one-time events, not idle.
  mkdir -p "$XDG_CONFIG_HOME/plovane"
  printf '{"quellin.has_shown_welcome": true, "quellin.has_completed_first_run_setup": true}\n' \
    >"$XDG_CONFIG_HOME/plovane/defaults.json"
}

# The X server of this desktop: the Xvfb started by the desktop script, our parent (other
# desktops on this machine may use the same display number in their own namespaces).
xserver=""
for p in /proc/[0-9]*; do
  stat="$(cat "$p/stat" 2>/dev/null)" || continue
  if [ "$(echo "$stat" | sed 's/^[0-9]* (\(.*\)) [A-Z] \([0-9]*\) .*/\1 \2/')" = "Xvfb $PPID" ]; then
    xserver="${p#/proc/}"; break
  fi
done
[ -n "$xserver" ] || echo "idle-app: X server of $DISPLAY not found; its column stays empty" >&2
# The X server's time on CPU in seconds, from the scheduler's per-thread counters: the
# tick counts in /proc/<pid>/stat only resolve 10 ms, a sixth of what an idle client costs
# the server in a minute.
xserver_cpu() {
  cat /proc/"${xserver:-none}"/task/*/schedstat 2>/dev/null | awk '{s += $1} END {printf "%.4f", s / 1e9}'
}

mode="${PLOVANE_BENCH_MODE:-flow}"
# Pointer away from the HUD (bottom left) and the tray (top right).
xdotool mousemove 900 300 >/dev/null 2>&1 || true
# Blank: each program starts on a lit screen and sees the saver come on after its
# warm-up; nothing here sends input, so it stays on through the window.
blank() { [ "$mode" != blank ] || xset s activate; }
unblank() { [ "$mode" != blank ] || xset s reset; }
if ! command -v xset >/dev/null 2>&1; then
  echo "idle-app: needs xset; on Debian: apt-get install x11-xserver-utils" >&2; exit 2
fi
# The server's own saver would come on after ten minutes without input, in the middle of
# a later round of 'away': it comes on only when this script says so.
xset s off
blank
if [ "$mode" = flow ]; then
  # Input that reaches the idle counter but no window of ours (the HUD never has focus).
  (while sleep 10; do xdotool key shift >/dev/null 2>&1; done) &
  typist=$!
fi

# The desktop's own cost to the X server (window manager, compositor, tray, typist).
x0="$(xserver_cpu)"; sleep "$baseline"; x1="$(xserver_cpu)"
xbase="$(awk -v a="$x0" -v b="$x1" -v t="$baseline" 'BEGIN {printf "%.4f", (b - a) * 60 / t}')"

# Time on CPU in ns, from the scheduler's per-thread counters (finer than utime + stime ticks).
cpu_ns() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{s += $1} END {printf "%.0f", s}'; }
wakeups() { cat /proc/"$1"/task/*/status 2>/dev/null | awk '/^voluntary_ctxt_switches/ {s += $2} END {print s + 0}'; }
kib() { awk -v k="$2" '$1 == k":" {print $2}' "/proc/$1/status"; }
# One line per thread: id, voluntary context switches, name.
per_thread() {
  local t
  for t in /proc/"$1"/task/*; do
    echo "${t##*/} $(awk '/^voluntary_ctxt_switches/ {print $2}' "$t/status" 2>/dev/null) $(cat "$t/comm" 2>/dev/null)"
  done
}

# measure NAME COMMAND...: one row "name cpu_per_min rss_final rss_peak wakeups threads x_per_min rc"
results="$work/results"
measure_one() {
  local name="$1"; shift
  fresh_home "$name"
  unblank
  cd "$here"
  "$@" >"$work/$name.log" 2>&1 &
  local pid=$!
  sleep "$warmup"
  if ! kill -0 "$pid" 2>/dev/null; then
    echo "idle-app: $name exited during warm-up" >&2; cat "$work/$name.log" >&2; return 1
  fi
  if [ "$mode" = blank ]; then
    # What a program does as the saver comes on is not idle.
    blank; sleep 2
  fi
  local t0 c0 w0 x0 t1 c1 w1 x1 peak final threads rc=0
  t0="$(date +%s.%N)"; c0="$(cpu_ns "$pid")"; w0="$(wakeups "$pid")"; x0="$(xserver_cpu)"
  per_thread "$pid" >"$work/threads0"
  sleep "$measure"
  t1="$(date +%s.%N)"; c1="$(cpu_ns "$pid")"; w1="$(wakeups "$pid")"; x1="$(xserver_cpu)"
  peak="$(kib "$pid" VmHWM)"; final="$(kib "$pid" VmRSS)"; threads="$(ls "/proc/$pid/task" | wc -l)"
  # Each thread by name with its wakeups per second in the window (new threads count from 0).
  per_thread "$pid" | awk -v wall="$measure" -v n="$name" 'NR == FNR {w[$1] = $2; next}
    {printf "%s%s %.1f/s", (FNR > 1 ? ", " : "  " n " threads (wakeups): "), $3, ($2 - w[$1]) / wall}
    END {print ""}' "$work/threads0" - >"$work/threads-$name"
  kill -TERM "$pid"
  wait "$pid" || rc=$?
  awk -v n="$name" -v c0="$c0" -v c1="$c1" -v t0="$t0" -v t1="$t1" -v w0="$w0" -v w1="$w1" -v x0="$x0" -v x1="$x1" \
      -v xb="$xbase" -v peak="$peak" -v final="$final" -v threads="$threads" -v rc="$rc" 'BEGIN {
    wall = t1 - t0
    x = (x1 - x0) * 60 / wall - xb; if (x < 0) x = 0
    printf "%s %.4f %.1f %.1f %.2f %d %.4f %d\n", n, (c1 - c0) / 1e9 * 60 / wall, final / 1024, peak / 1024,
      (w1 - w0) / wall, threads, x, rc
  }' >>"$results"
}

for ((r = 1; r <= rounds; r++)); do
  measure_one plovane "$app"
  for peer in ${peers[@]+"${peers[@]}"}; do
    # shellcheck disable=SC2046
    measure_one "$(peer_name "$peer")" $(peer_command "$peer")
  done
done

echo "idle cost ($mode), ${measure} s windows after ${warmup} s warm-ups, $rounds round(s), medians; X server: $DISPLAY"
printf '%-10s %12s %10s %10s %10s %8s %12s %6s\n' program "CPU-s/min" "RSS MB" "peak MB" "wakeups/s" threads "X CPU-s/min" exit
printf '%-10s %12s %10s %10s %10s %8s %12.3f %6s\n' "desktop" "-" "-" "-" "-" "-" "$xbase" "-"
middle() { # the middle of the numbers on stdin (the lower one of two), or $1 when there are none
  sort -g | awk -v none="$1" '{v[NR] = $1} END {if (NR) print v[int((NR + 1) / 2)]; else print none}'
}
median() { # median of column $2 over the rows of program $1
  awk -v n="$1" -v c="$2" '$1 == n {print $c}' "$results" | middle 0
}
ratio() { # median over the rounds of plovane's column $2 over peer $1's, where the peer's is above $3
  awk -v n="$1" -v c="$2" -v least="$3" '$1 == "plovane" {mine[++p] = $c}
    $1 == n && ++q && $c > least {printf "%.2f\n", mine[q] / $c}' "$results" | middle -
}
for peer in plovane ${peers[@]+"${peers[@]}"}; do
  name="$(peer_name "$peer")"
  printf '%-10s %12.3f %10.1f %10.1f %10.1f %8d %12.3f %6d\n' "$name" "$(median "$name" 2)" "$(median "$name" 3)" \
    "$(median "$name" 4)" "$(median "$name" 5)" "$(median "$name" 6)" "$(median "$name" 7)" "$(median "$name" 8)"
done
for peer in plovane ${peers[@]+"${peers[@]}"}; do cat "$work/threads-$(peer_name "$peer")"; done
# Ratios taken within each round, where both ran minutes apart on the same desktop, then
# the median: drift between rounds cancels.
for peer in ${peers[@]+"${peers[@]}"}; do
  name="$(peer_name "$peer")"
  printf '  plovane / %s, median of the rounds: CPU %s×, X CPU %s×\n' "$name" "$(ratio "$name" 2 0)" \
    "$(ratio "$name" 7 0.0005)"
done
echo "(X CPU-s/min is the server's time during the window less the desktop's own; exit is plovane's code on SIGTERM)"
