#!/usr/bin/env bash
# What plovane senses in a Wayland session: runs it in headless sway, KWin and mutter
# (each with Xwayland, as a user of such a desktop would: XDG_SESSION_TYPE=wayland, Qt's
# Wayland plugin installed, QT_QPA_PLATFORM unset, PLOVANE_LOG=debug), once per column:
#   native  a native Wayland client is typed into once a second (foot on sway, a Qt
#           line edit elsewhere: foot cannot run on KWin's virtual output, and on GNOME
#           only applications on the accessibility bus are seen)
#   x11     xterm (under Xwayland) is typed into once a second
#   idle    the native client has the focus, nothing is typed
# The keys go through the compositor as a keyboard's would (wtype, KWin's fake input,
# mutter's remote desktop). Prints per column the "no input" readings of the trace (first,
# highest, how many ticks were under the typing bound and what input they named), the front applications, the states and the
# day file's applications.
#
# Usage: bench/wayland-sessions.sh [--seconds N] [--session sway|kwin|mutter]...
#          [--column native|x11|idle]... [path/to/plovane]
#        (default build/src/app/plovane, 60 s per column, every session and column)
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

seconds=60
sessions=()
columns=()
app=""
while [ $# -gt 0 ]; do
  case "$1" in
    --seconds) seconds="$2"; shift 2 ;;
    --session) sessions+=("$2"); shift 2 ;;
    --column) columns+=("$2"); shift 2 ;;
    -h|--help) sed -n '2,20p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) app="$1"; shift ;;
  esac
done
[ ${#sessions[@]} -gt 0 ] || sessions=(sway kwin mutter)
[ ${#columns[@]} -gt 0 ] || columns=(native x11 idle)
app="$(realpath "${app:-$here/build/src/app/plovane}")"
typer="$here/build/tests/integration/wayland/plovane_wayland_typer"
native_window="$here/build/tests/integration/wayland/plovane_native_window"
for exe in "$app" "$typer" "$native_window"; do
  [ -x "$exe" ] || { echo "wayland-sessions: no executable at $exe (build first)" >&2; exit 2; }
done

if [ -z "${PLOVANE_BENCH_NET:-}" ] && unshare -n true 2>/dev/null; then
  # A network of our own: the knock port stays free for other copies of the program.
  export PLOVANE_BENCH_NET=1
  exec unshare -n bash -c 'ip link set lo up 2>/dev/null; exec bash "$0" "$@"' "${BASH_SOURCE[0]}" \
    --seconds "$seconds" $(printf -- '--session %s ' "${sessions[@]}") $(printf -- '--column %s ' "${columns[@]}") "$app"
fi

fail() { echo "wayland-sessions: $*" >&2; exit 1; }
top="$(mktemp -d /tmp/plovane-wlbench-XXXXXX)"
chmod 711 "$top"
trap '[ -n "${PLOVANE_KEEP:-}" ] && echo "kept: $top" || rm -rf "$top"' EXIT

# One column: a fresh session, a fresh home, plovane, then the client typed into.
column() { # session column
  local session="$1" what="$2"
  work="$top/$session-$what"
  mkdir -p "$work"; chmod 711 "$work"
  pids=()
  (
    trap 'for ((i=${#pids[@]}-1; i>=0; i--)); do kill "${pids[$i]}" 2>/dev/null || true; done; wait 2>/dev/null || true' EXIT
    source "$here/tests/integration/wayland/WaylandSession.sh"
    wayland_start "$session"
    [ "$session" = mutter ] && wayland_accessibility_bus
    export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share"
    export XDG_SESSION_TYPE=wayland PLOVANE_LOG=debug
    unset QT_QPA_PLATFORM
    mkdir -p "$XDG_CONFIG_HOME/plovane" "$XDG_DATA_HOME/applications"
    printf '{"quellin.has_shown_welcome": true, "quellin.has_completed_first_run_setup": true}\n' \
      >"$XDG_CONFIG_HOME/plovane/defaults.json"
    printf '[Desktop Entry]\nType=Application\nName=Native Window\nExec=%s\n' "$native_window" \
      >"$XDG_DATA_HOME/applications/org.plovane.NativeWindow.desktop"
    (cd "$here" && exec "$app") >"$work/app.log" 2>&1 &
    local app_pid=$!
    pids+=("$app_pid")
    sleep 4
    case "$what" in
      native | idle)
        if [ "$session" = sway ]; then foot sh -c "cat >$work/typed" >/dev/null 2>&1 &
        else "$native_window" org.plovane.NativeWindow >"$work/typed" 2>/dev/null & fi
        pids+=($!) ;;
      x11) xterm -e sh -c "cat >$work/typed" >/dev/null 2>&1 & pids+=($!) ;;
    esac
    sleep 3
    if [ "$what" = idle ]; then
      sleep "$seconds"
    else
      grep -c 'debug: tick' "$work/app.log" >"$work/typing-from" || true
      wayland_type_every_second a "$seconds" || true
      wayland_type $'\n' || true
    fi
    kill -TERM "$app_pid"; wait "$app_pid" 2>/dev/null || true
  ) || { echo "$session / $what: did not run to the end"; return 0; }
  summarize "$session" "$what"
}

summarize() { # session column
  local log="$work/app.log" day
  day="$(ls "$work"/home/.config/plovane/days/*.json 2>/dev/null | head -1)"
  echo "$1 / $2:"
  local from
  from="$(cat "$work/typing-from" 2>/dev/null || echo -1)"
  awk -v from="$from" '/debug: tick: no input/ {
         v = $5 + 0; n++; if (n == 1) first = v; if (v > max) max = v; last = v
         # Under the typing bound the trace says what the input was, in brackets.
         if ($0 ~ /no input [0-9.]+ s \(/) { typing++; match($0, /s \([^)]*\)/); kinds[substr($0, RSTART + 3, RLENGTH - 4)]++ }
         # What typing once a second read, from the second tick after the typing began.
         if (from >= 0 && n > from + 1) { spans++; if (v > typedMax) typedMax = v }
         match($0, /front [^ ]+ "[^"]*"/); f = substr($0, RSTART + 6, RLENGTH - 6); fronts[f]++
         match($0, /-> [A-Za-z]+/); s = substr($0, RSTART + 3, RLENGTH - 3)
         if (s != prev) { if (prev != "") seq = seq prev " " cnt " s, "; prev = s; cnt = 0 } cnt++
       }
       END {
         printf "  no input: first %.1f s, last %.1f s, highest %.1f s; %d of %d ticks typing\n", first, last, max, typing, n
         if (typing) { printf "  typing ticks said:"; for (k in kinds) printf " %s (%d)", k, kinds[k]; print "" }
         if (spans) printf "  while typing: highest %.1f s over %d ticks\n", typedMax, spans
         printf "  front:"; for (f in fronts) printf " %s (%d ticks)", f, fronts[f]; print ""
         printf "  states: %s%s %d s\n", seq, prev, cnt
       }' "$log"
  grep -v 'debug: tick' "$log" | grep -iE 'wayland|idle|front|session' | sed 's/^/  log: /' | head -5 || true
  if [ -n "$day" ]; then
    echo "  day file: $(tr -d ' \n' <"$day" | grep -o '"appDurations":{[^}]*}')"
  else
    echo "  day file: none"
  fi
}

for session in "${sessions[@]}"; do
  for what in "${columns[@]}"; do
    column "$session" "$what"
  done
done
