#!/usr/bin/env bash
# Plovane on GNOME (headless mutter, or GNOME Shell itself, with Xwayland and the
# accessibility bus) with GNOME's own editors as native Wayland clients, as a GNOME user
# has them:
#   - gedit (GTK 3) has the focus and the user has been away for 40 s when Plovane starts:
#     the first tick reads at least 40 s without input, with gedit as the front application;
#   - GNOME Text Editor (GTK 4, whose window events differ from GTK 3's) opens and gedit
#     closes; the editor has the focus and is typed into: it is the front application and
#     is booked.
# Usage: GnomeAppsEndToEnd.sh mutter|gnome-shell <plovane> <repository> <typer>
set -uo pipefail
session="$1" app="$2" repo="$3" typer="$4"

[ "$session" = gnome-shell ] && wayland_own_tmp=1
source "$(dirname "$0")/WaylandTest.sh" gnome "$@"
for tool in gedit gnome-text-editor gdbus; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed (Debian: ${tool/gdbus/libglib2.0-bin})"; exit 77; }
done

source "$(dirname "$0")/WaylandSession.sh"
wayland_start "$session"
wayland_accessibility_bus
# A keyboard held the whole session, as a user's: each typing below brings a keyboard of
# its own, and without one that stays, the editor loses the keyboard (and its window
# stops being active) when that one goes.
"$typer" mutter --times 2 --every 3600000 "" 9>&- &
pids+=($!)

wayland_user_home
# The editors and Plovane start as in a GNOME session, whatever the caller's desktop set:
# GTK on the accessibility bus (GTK_A11Y keeps GTK 4 off it, NO_AT_BRIDGE GTK 3, and
# AT_SPI_BUS_ADDRESS sends both to another), and no launch token of the caller's that an
# editor would present as its own (it decides whether the window gets the focus).
export XDG_SESSION_TYPE=wayland XDG_CURRENT_DESKTOP=GNOME GSETTINGS_BACKEND=memory
unset QT_QPA_PLATFORM GTK_A11Y NO_AT_BRIDGE AT_SPI_BUS_ADDRESS DESKTOP_STARTUP_ID XDG_ACTIVATION_TOKEN

a11y="$(gdbus call --session --dest org.a11y.Bus --object-path /org/a11y/bus --method org.a11y.Bus.GetAddress |
  sed "s/^('//; s/',)$//")"
# A call on the accessibility bus that gives up after 5 s, so a busy bus cannot hold a wait
# past its time.
a11y_call() { gdbus call --timeout 5 --address "$a11y" "$@"; }
# An application's first window on the accessibility bus, as "bus path"; fails until the
# window is shown (GTK joins the bus with its first window). The applications' names are
# asked once each (a connection keeps its name), so waiting costs a busy machine little.
declare -A app_names=()
app_window() { # application name
  local entry bus path window
  for entry in $(a11y_call --dest org.a11y.atspi.Registry \
    --object-path /org/a11y/atspi/accessible/root --method org.a11y.atspi.Accessible.GetChildren |
    grep -oE "\(':[0-9.]+', (objectpath )?'[^']*'\)" | tr -d "()'" | sed 's/, \(objectpath \)\{0,1\}/|/'); do
    bus="${entry%%|*}" path="${entry#*|}"
    [ -n "${app_names[$bus]:-}" ] || app_names[$bus]="$(a11y_call --dest "$bus" --object-path "$path" \
      --method org.freedesktop.DBus.Properties.Get org.a11y.atspi.Accessible Name 2>/dev/null)"
    [[ "${app_names[$bus]}" == *"'$1'"* ]] || continue
    window="$(a11y_call --dest "$bus" --object-path "$path" \
      --method org.a11y.atspi.Accessible.GetChildren | grep -oE "(objectpath )?'/[^']*'" | head -1 | cut -d"'" -f2)"
    [ -n "$window" ] && echo "$bus $window"
    return
  done
  return 1
}
window_title() { # application name
  local window
  window="$(app_window "$1")" &&
    a11y_call --dest "${window% *}" --object-path "${window#* }" \
      --method org.freedesktop.DBus.Properties.Get org.a11y.atspi.Accessible Name
}
# Whether the application's window is the active one: it has the keyboard.
window_active() { # application name
  local window states
  window="$(app_window "$1")" || return 1
  states="$(a11y_call --dest "${window% *}" --object-path "${window#* }" \
    --method org.a11y.atspi.Accessible.GetState | sed -n 's/^(\[uint32 \([0-9]*\).*/\1/p')"
  (( ${states:-0} & 2 )) # the "active" state
}

# What a process is at: "ended", or its state, what it waits in and the processor time it
# has had, to tell an editor still starting from one that stopped.
process_report() { # pid
  local stat fields tenths
  stat="$(cat "/proc/$1/stat" 2>/dev/null)" || { echo "ended"; return; }
  read -r -a fields <<<"${stat##*) }"
  tenths=$(( (fields[11] + fields[12]) * 10 / $(getconf CLK_TCK) ))
  echo "runs: state ${fields[0]}, waiting in $(cat "/proc/$1/wchan" 2>/dev/null)," \
    "$((tenths / 10)).$((tenths % 10)) s of processor time"
}
# An editor's first start is slow on a busy machine (GTK's styles, the language definitions
# and the spelling dictionaries, with every cache cold), and the window it joins the bus
# with comes only after it: it is given a minute (as scaled).
first_window() { # application name, pid
  local since
  wait_now; since=$wait_now_us
  wayland_wait 60 app_window "$1" ||
    fail "$1's window did not come up on the accessibility bus (the editor $(process_report "$2"))"
  wait_now
  echo "ok: $1's window is on the accessibility bus after" \
    "$(( (wait_now_us - since) / 1000000 )).$(( (wait_now_us - since) / 100000 % 10 )) s"
}

gedit_changed() { window_title gedit | grep -q "'\\*notes"; }
typed_into_gedit() { wayland_type "hello" && wayland_wait 2 gedit_changed; }

GDK_BACKEND=wayland gedit "$work/notes.txt" >"$work/gedit.log" 2>&1 9>&- &
gedit_pid=$!
pids+=("$gedit_pid")
# gedit has the keyboard once its window is active, and what is typed then marks its
# document changed ("*notes.txt").
first_window gedit "$gedit_pid"
wayland_wait 20 window_active gedit || fail "gedit's window did not come up active (title: $(window_title gedit))"
wayland_wait 15 typed_into_gedit || fail "gedit never took what was typed (title: $(window_title gedit))"
echo "ok: gedit's window is active and takes what is typed"

# Away for 40 s, then Plovane starts.
sleep 41
(cd "$repo" && PLOVANE_LOG=debug exec "$app" 9>&-) >>"$work/app.log" 2>&1 &
app_pid=$!
pids+=("$app_pid")
ticks() { grep 'debug: tick:' "$work/app.log"; }
wayland_wait 20 sh -c "grep -c 'debug: tick:' '$work/app.log' | grep -qv '^[0-2]$'" || fail "fewer than 3 ticks in 20 s"
first="$(ticks | head -1)"
echo "first tick: $first"
awk -v v="$(echo "$first" | awk '{print $5}')" 'BEGIN {exit !(v >= 40)}' ||
  fail "started 41 s after the last key, the first tick reads $(echo "$first" | awk '{print $5}') s without input"
[[ "$first" == *'front org.gnome.gedit "'* ]] || fail "gedit, focused before the start, is not the front application on the first tick"
echo "ok: started after 41 s away, the first tick reads $(echo "$first" | awk '{print $5}') s, front org.gnome.gedit"

# GNOME Text Editor (GTK 4) opens while gedit has the focus, and gedit closes: the editor,
# given the focus on opening or at the latest once gedit is gone, is typed into.
GDK_BACKEND=wayland gnome-text-editor --standalone "$work/other.txt" >"$work/gte.log" 2>&1 9>&- &
gte_pid=$!
pids+=("$gte_pid")
first_window gnome-text-editor "$gte_pid"
kill "$gedit_pid"
wayland_wait 10 process_ended "$gedit_pid" || fail "gedit did not close"
wayland_wait 10 window_active gnome-text-editor || fail "GNOME Text Editor's window was not active once gedit closed"
echo "ok: GNOME Text Editor's window is active with gedit closed"
from=$(( $(ticks | wc -l) + 1 ))
wayland_type_every_second t 10
readings="$(ticks | tail -n +"$from")"
grep -q 'front org.gnome.TextEditor "' <<<"$readings" ||
  fail "GNOME Text Editor is never the front application while typed into: $(echo "$readings" | tail -1)"
echo "ok: GNOME Text Editor is the front application on $(echo "$readings" | grep -c 'front org.gnome.TextEditor "') of $(echo "$readings" | wc -l) ticks after gedit closed"

kill -TERM "$app_pid"
wayland_wait 10 process_ended "$app_pid" || fail "plovane still running 10 s after SIGTERM"
day="$settings_dir/days/$(date +%F).json"
[ -s "$day" ] || fail "no day file"
booked="$(tr -d ' \n' <"$day" | grep -o "\"appDurations\":{[^}]*}")"
seconds="$(echo "$booked" | grep -o '"org.gnome.TextEditor":[0-9]*' | cut -d: -f2)"
[ "${seconds:-0}" -ge 5 ] || fail "org.gnome.TextEditor booked for ${seconds:-0} s: $booked"
echo "ok: day file books org.gnome.TextEditor for $seconds s ($booked)"
