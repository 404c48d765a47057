#!/usr/bin/env bash
# Plovane in a headless Wayland session with Xwayland, run as a user of that desktop runs
# it: XDG_SESSION_TYPE=wayland, Qt's Wayland plugin installed, QT_QPA_PLATFORM unset. A
# native client has the focus and is typed into once a second, through the compositor as
# a keyboard's keys would be. Checks that
#   - the HUD is an X11 panel (under Xwayland) that leaves the focus with the client (sway
#     hands the focus to any window that offers it) and is on every workspace (on sway, out
#     of its hands),
#   - the log names the sources of the idle time and the front application,
#   - while the user types, "no input" stays under two seconds; after they stop it follows
#     the compositor's idle clock,
#   - the client is the front application and is booked under its desktop id, and an X11
#     window that takes the focus is the front application in its turn.
# Usage: WaylandEndToEnd.sh sway|kwin|mutter <plovane> <repository> <typer> <native window>
set -uo pipefail
session="$1" app="$2" repo="$3" typer="$4" native_window="$5"

source "$(dirname "$0")/WaylandTest.sh" wayland "$@"
for tool in xdotool xprop xterm; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done

source "$(dirname "$0")/WaylandSession.sh"
wayland_start "$session"
[ "$session" = mutter ] && wayland_accessibility_bus

wayland_user_home
export XDG_SESSION_TYPE=wayland PLOVANE_LOG=debug
unset QT_QPA_PLATFORM
mkdir -p "$XDG_DATA_HOME/applications"
# The native client's desktop entry: the id it is booked under.
printf '[Desktop Entry]\nType=Application\nName=Native Window\nExec=%s\n' "$native_window" \
  >"$XDG_DATA_HOME/applications/org.plovane.NativeWindow.desktop"

# The client the user works in: foot on sway; elsewhere a Qt line edit (foot does not run on
# KWin's virtual output, and on GNOME only applications on the accessibility bus are seen).
typed="$work/typed"
if [ "$session" = sway ]; then
  command -v foot >/dev/null || wayland_skip "foot is not installed (Debian: foot)"
  foot sh -c "cat >$typed" >"$work/client.log" 2>&1 9>&- &
  client_id=org.codeberg.dnkl.foot # the identity of foot, whose Debian entry is foot.desktop
else
  "$native_window" org.plovane.NativeWindow >"$typed" 2>"$work/client.log" 9>&- &
  client_id=org.plovane.NativeWindow
fi
pids+=($!)
# It has the focus once what is typed reaches it.
lands() { # word: types it with Return, true when it reached the client
  wayland_type "$1"$'\n'
  wayland_wait 3 grep -q "$1" "$typed"
}
wayland_wait 40 lands ready || fail "the native client never took what was typed"

(cd "$repo" && exec "$app" 9>&-) >>"$work/app.log" 2>&1 &
app_pid=$!
pids+=("$app_pid")
wayland_wait 20 xdotool search --onlyvisible --name '^Plovane HUD$' || fail "no HUD window on Xwayland's display"
hud="$(xdotool search --onlyvisible --name '^Plovane HUD$' | head -1)"
xprop -id "$hud" WM_PROTOCOLS | grep -q WM_TAKE_FOCUS && fail "the HUD offers WM_TAKE_FOCUS"
xprop -id "$hud" WM_HINTS | grep -q 'input focus: False' || fail "the HUD's input hint is not off: $(xprop -id "$hud" WM_HINTS)"
sleep 1
lands afterhud || fail "what the user typed after the HUD appeared did not reach their window"
if [ "$session" = sway ]; then
  # Left unmanaged, the HUD is drawn on every workspace and never focused.
  xwininfo -id "$hud" | grep -q 'Override Redirect State: yes' &&
    ! grep -q '"name": "Plovane HUD"' <<<"$(swaymsg -t get_tree)" ||
    fail "sway manages the HUD, which then stays on one workspace"
fi
echo "ok: the HUD is an X11 panel, on every workspace, and the native client kept the focus"

line="$(grep -m1 '^Wayland session:' "$work/app.log")" || fail "no line naming the session's sources"
echo "log: $line"
case "$session" in
  sway) want_idle="org_kde_kwin_idle"; want_front="zwlr_foreign_toplevel_manager_v1" ;;
  kwin) want_idle="ext-idle-notify-v1"; want_front="a KWin script" ;;
  mutter) want_idle="org.gnome.Mutter.IdleMonitor"; want_front="the focused accessible (AT-SPI)" ;;
esac
[[ "$line" == *"idle time from $want_idle;"* ]] || fail "idle time not from $want_idle"
[[ "$line" == *"front application from $want_front and Xwayland's active window."* ]] ||
  fail "front application not from $want_front and Xwayland"

# Typing once a second for a while.
ticks() { grep -c 'debug: tick:' "$work/app.log"; }
from=$(( $(ticks) + 3 ))
wayland_type_every_second a 12
wayland_type $'\n'
readings="$(tail -n +"$from" <(grep 'debug: tick:' "$work/app.log") | head -8)"
[ "$(echo "$readings" | wc -l)" -ge 8 ] || fail "fewer than 8 ticks while typing"
echo "$readings" | awk '{if ($5 + 0 >= 2) bad = bad " " $5} END {exit bad != ""}' ||
  fail "\"no input\" reached two seconds while the user typed: $(echo "$readings" | awk '{printf "%s ", $5}')"
grep -q "front $client_id \"" <<<"$readings" ||
  fail "the native client is not the front application: $(echo "$readings" | tail -1)"
echo "ok: typing into the native client keeps \"no input\" at $(echo "$readings" | awk '{printf "%s ", $5}')s, front $client_id"

# Nothing typed: the reading follows the compositor's idle clock.
sleep 5
last="$(grep 'debug: tick:' "$work/app.log" | tail -1 | awk '{print $5}')"
awk -v v="$last" 'BEGIN {exit !(v >= 3 && v < 8)}' || fail "5 s after the last key \"no input\" read $last s"
echo "ok: 5 s after the last key \"no input\" reads $last s"

# An X11 window that takes the focus is the front application.
xterm -title PlovaneX11Window >/dev/null 2>&1 9>&- &
pids+=($!)
wayland_wait 10 sh -c "grep 'debug: tick:' '$work/app.log' | tail -1 | grep -q 'front xterm \"'" ||
  fail "xterm did not become the front application: $(grep 'debug: tick:' "$work/app.log" | tail -1)"
echo "ok: the X11 window is the front application when it has the focus"

kill -TERM "$app_pid"
wayland_wait 10 process_ended "$app_pid" || fail "plovane still running after SIGTERM"
day="$settings_dir/days/$(date +%F).json"
[ -s "$day" ] || fail "no day file"
booked="$(tr -d ' \n' <"$day" | grep -o "\"appDurations\":{[^}]*}")"
seconds="$(echo "$booked" | grep -o "\"$client_id\":[0-9]*" | cut -d: -f2)"
[ "${seconds:-0}" -ge 10 ] || fail "$client_id booked for ${seconds:-0} s: $booked"
echo "ok: day file books $client_id for $seconds s ($booked)"
