#!/usr/bin/env bash
# The process as the system treats it: a second copy, closed or broken standard streams,
# no display or one that is gone, a request to end while still starting, and the X server
# going away under it.
# Usage: AppProcess.sh <plovane executable> <repository folder>
source "$(dirname "$0")/AppTestLib.sh"

write_settings() {
  printf '{"quellin.has_shown_welcome": true, "quellin.has_completed_first_run_setup": true, "tessivar.language": "en"}\n' \
    >"$settings_dir/defaults.json"
}
huds() { xdotool search --onlyvisible --name '^Plovane HUD$' 2>/dev/null | wc -l; }
lock_file="$settings_dir/org.plovane.Plovane.lock"
holds_lock() { [ "$(readlink -f /proc/"$1"/fd/* 2>/dev/null | grep -cx "$lock_file")" -ge 1 ]; }
stop_plovane() {
  kill -TERM "$app_pid"
  wait_exit 10
  [ "$rc" = 0 ] || fail "exit code $rc after SIGTERM"
}

# A second copy on the same settings says so and leaves the first alone: in the same
# session, and from another login on the same home, which has no session runtime folder.
write_settings
XDG_SESSION_ID=plovane-test start_plovane
for session in same other; do
  if [ "$session" = same ]; then
    second="$(cd "$repo" && XDG_SESSION_ID=plovane-test timeout 20 "$app" 2>&1 >/dev/null 9>&-)"
  else
    second="$(cd "$repo" && env -u XDG_RUNTIME_DIR TMPDIR="$work" timeout 20 "$app" 2>&1 >/dev/null 9>&-)"
  fi
  second_rc=$?
  [ "$second_rc" = 4 ] || fail "the second copy ($session session) ended with $second_rc, not 4"
  grep -q "already running in this session" <<<"$second" || fail "the second copy ($session session) did not say why it ended: $second"
done
# One from another login session says where the first one runs, on standard error and,
# since nobody reads that when it was started from a menu, in an alert in the language of
# the settings.
first_pid="$app_pid"
(cd "$repo" && exec env XDG_SESSION_ID=plovane-test-other "$app" 9>&-) 2>"$work/second.log" >/dev/null &
app_pid=$!
pids+=("$app_pid")
w="$(await_window_titled 15 "Plovane Is Already Running")" ||
  fail "no alert says where the first copy runs: $(cat "$work/second.log")"
sleep 0.5
import -window root "$pictures/AppProcess-running-elsewhere-en.png"
activate_window "$w"
xdotool key Return
wait_exit 10
[ "$rc" = 4 ] || fail "the second copy from another login session ended with $rc, not 4"
grep -qF "already running in another session (display $DISPLAY, process $first_pid)" "$work/second.log" ||
  fail "the second copy from another login session did not say where the first runs: $(cat "$work/second.log")"
app_pid="$first_pid"
kill -0 "$app_pid" 2>/dev/null || fail "the first copy is gone"
wait_for_output 5 1 huds || fail "$(huds) HUDs are shown"
echo "ok: a second copy, in this session or another one on the same home, says it is already running, where, and exits with 4"

# Started again from the menu while its HUD is hidden (Show/Hide in the status menu): the
# running copy shows its HUD.
find_icon() {
  for icon in $(xdotool search --onlyvisible --pid "$app_pid" 2>/dev/null); do in_tray "$icon" && return 0; done
  return 1
}
if pgrep -x trayer >/dev/null && wait_for 10 find_icon; then
  known="$(xdotool search --onlyvisible --pid "$app_pid")"
  eval "$(xdotool getwindowgeometry --shell "$icon")"
  xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) click 1
  wait_for_menu "$app_pid" $known || fail "the status menu did not open"
  sleep 0.3
  xdotool key Down Return # "Show/Hide HUD"
  wait_for_output 5 0 huds || fail "Show/Hide did not hide the HUD"
  second="$(cd "$repo" && XDG_SESSION_ID=plovane-test timeout 20 "$app" 2>&1 >/dev/null 9>&-)"
  second_rc=$?
  [ "$second_rc" = 4 ] || fail "the second copy ended with $second_rc: $second"
  wait_for_output 5 1 huds || fail "a second start did not show the hidden HUD: $second"
  echo "ok: a second start in the same session shows the running copy's hidden HUD"
else
  echo "  (no tray on this desktop to hide the HUD from: not started again while hidden)"
fi
stop_plovane

# A clean-up removes the lock file, then the whole settings folder, while the program
# runs: a second copy is still refused, and the lock is taken again where it belongs.
write_settings
start_plovane
for removed in "the lock file" "the settings folder"; do
  if [ "$removed" = "the lock file" ]; then rm -f "$lock_file"; else rm -rf "$settings_dir"; fi
  second="$(cd "$repo" && timeout 20 "$app" 2>&1 >/dev/null 9>&-)"
  second_rc=$?
  { [ "$second_rc" = 4 ] && grep -q "already running" <<<"$second"; } ||
    fail "with $removed removed, a second copy ended with $second_rc: $second"
  [ "$(huds)" = 1 ] || fail "with $removed removed, $(huds) HUDs are shown"
  wait_for 10 holds_lock "$app_pid" || fail "with $removed removed, the lock was not taken again"
done
# From another session on the same home that does not share this one's network (the
# lock's socket name is not seen there), only the file tells: it is back at once.
if unshare --net true 2>/dev/null; then
  rm -rf "$settings_dir"
  second="$(cd "$repo" && timeout 10 unshare --net "$app" 2>&1 >/dev/null 9>&-)"
  second_rc=$?
  { [ "$second_rc" = 4 ] && grep -q "already running" <<<"$second"; } ||
    fail "right after the settings folder was removed, a second copy in another network ended with $second_rc: $second"
  [ "$(huds)" = 1 ] || fail "with the settings folder removed, $(huds) HUDs are shown"
else
  echo "  (no second copy in another network: unshare --net is not allowed here)"
fi
stop_plovane
echo "ok: with the lock file or the settings folder removed, a second copy is still refused"

# No display to show a window on: it says so in its own words, with an exit status of its
# own, not Qt's abort, and writes nothing, not even its lock. A Wayland display named by
# a terminal kept from an earlier login, whose compositor is gone (its socket file left
# behind, or not), is none either; so is one Qt is told to use and cannot open.
rm -rf "$settings_dir"
python3 -c 'import socket, sys; socket.socket(socket.AF_UNIX).bind(sys.argv[1])' "$XDG_RUNTIME_DIR/wayland-gone"
home_before="$(find "$HOME" | sort)"
for display in none :199 wayland-gone wayland-never forced-wayland; do
  case "$display" in
    none) environment=(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM) ;;
    :199) environment=(env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY=:199) ;;
    forced-wayland) environment=(env -u DISPLAY QT_QPA_PLATFORM=wayland WAYLAND_DISPLAY=wayland-gone) ;;
    *) environment=(env -u DISPLAY -u QT_QPA_PLATFORM WAYLAND_DISPLAY="$display") ;;
  esac
  out="$(cd "$repo" && "${environment[@]}" timeout 20 "$app" 2>&1 9>&-)"
  out_rc=$?
  [ "$out_rc" = 5 ] || fail "without a display ($display) plovane ended with $out_rc: $out"
  grep -q "^Plovane does not start: it" <<<"$out" || fail "without a display ($display), no word of ours: $out"
  grep -q "Reinstalling" <<<"$out" && fail "without a display ($display), Qt's own abort: $out"
  # Where the program itself can tell, Qt is not even asked.
  [ "$display" != forced-wayland ] && grep -q "qt.qpa" <<<"$out" && fail "without a display ($display), Qt's own words: $out"
  echo "  no display ($display): $(head -1 <<<"$out")"
  [ "$(find "$HOME" | sort)" = "$home_before" ] || fail "without a display ($display) something was written in the home"
done
mkdir -p "$settings_dir"
echo "ok: without a display, or with a Wayland display that is gone, plovane says why, ends with 5 and writes nothing"

# Started without a session bus: D-Bus would start one for the display (autolaunch), and
# the accessibility services with it, all left running after we end. Nothing is started.
# Ours are those with this test's home in their environment.
autolaunched() {
  local p
  for p in $(pgrep -u "$(id -u)" -f 'dbus-launch|dbus-daemon|at-spi'); do
    grep -qxF "HOME=$HOME" <<<"$(tr '\0' '\n' <"/proc/$p/environ" 2>/dev/null)" && echo "$p"
  done
}
write_settings
wait_for_free_knock_port
(cd / && exec env -u DBUS_SESSION_BUS_ADDRESS "$app" 9>&-) >>"$work/app.log" 2>&1 &
app_pid=$!
pids+=("$app_pid")
wait_for 20 xdotool search --all --onlyvisible --pid "$app_pid" --name '^Plovane HUD$' || fail "HUD panel did not map without a session bus"
sleep 2
stop_plovane
left="$(autolaunched)"
[ -z "$left" ] || fail "started without a session bus, plovane left these running: $(xargs -r ps -o pid=,args= -p <<<"$left")"
grep -q "No session bus" "$work/app.log" || fail "it did not say it runs without a session bus"
echo "ok: without a session bus nothing is started that outlives plovane"

# No lock can be taken (a link planted where it belongs): no writer starts, and it says
# why, on standard error and in an alert, which ends it when closed.
rm -f "$lock_file"
ln -s "$work/planted" "$lock_file"
: >"$work/refused.log"
(cd "$repo" && exec timeout 20 "$app" 2>"$work/refused.log" >/dev/null 9>&-) &
app_pid=$!
pids+=("$app_pid")
wait_for 15 xdotool search --onlyvisible --name '^Plovane Cannot Start$' || fail "no alert says why plovane does not start"
activate_window "$(xdotool search --onlyvisible --name '^Plovane Cannot Start$' | head -1)"
xdotool key Escape
wait_exit 10
refused="$(cat "$work/refused.log")"
[ "$rc" = 4 ] || fail "with a link planted at the lock, plovane ended with $rc: $refused"
grep -q "does not start" <<<"$refused" || fail "plovane did not say why it does not start: $refused"
[ -L "$lock_file" ] && [ ! -e "$work/planted" ] || fail "the planted link was written through or replaced"
[ "$(huds)" = 0 ] || fail "a HUD is shown although no lock could be taken"
rm -f "$lock_file"
echo "ok: with a link planted at the lock, plovane does not start and says why"

# Started with its standard streams closed: they point at /dev/null, not at the X connection.
wait_for_free_knock_port
(cd "$repo" && exec "$app" <&- >&- 2>&- 9>&-) &
app_pid=$!
pids+=("$app_pid")
wait_for 20 xdotool search --onlyvisible --name '^Plovane HUD$' || fail "HUD panel did not map"
for fd in 0 1 2; do
  [ "$(readlink /proc/"$app_pid"/fd/$fd)" = /dev/null ] || fail "descriptor $fd is $(readlink /proc/"$app_pid"/fd/$fd)"
done
stop_plovane
echo "ok: closed standard streams are opened on /dev/null"

# Standard error is a pipe nobody reads any more, and the start has something to report
# (a damaged settings file): the program lives on and ends normally.
echo '{"broken' >"$settings_dir/defaults.json"
wait_for_free_knock_port
(sleep 1; cd "$repo" && exec "$app" 9>&-) 2> >(true) &
app_pid=$!
pids+=("$app_pid")
wait_for 20 xdotool search --onlyvisible --name '^Plovane HUD$' || fail "HUD panel did not map with a broken stderr"
sleep 1
kill -0 "$app_pid" 2>/dev/null || fail "plovane died writing to a broken stderr"
stop_plovane
ls "$settings_dir" | grep -q '^defaults.json.corrupt-' || fail "the damaged settings were not kept aside"
echo "ok: a broken stderr does not end the program"

# A request to end while the program is still starting ends it normally.
write_settings
wait_for_free_knock_port
(cd "$repo" && exec "$app" 9>&-) >>"$work/app.log" 2>&1 &
app_pid=$!
pids+=("$app_pid")
wait_for 10 holds_lock "$app_pid" || fail "plovane never took its single-instance lock"
kill -TERM "$app_pid"
wait_exit 20
[ "$rc" = 0 ] || fail "exit code $rc after SIGTERM during start"
echo "ok: SIGTERM during start ends with 0"

# The X server goes away under a running plovane (logout): what was booked is saved and
# the exit is a normal one.
source "$repo/scripts/xvfb-lib.sh"
start_xvfb 141 190 || fail "the private X server did not start"
pids+=("$xvfb_pid")
rm -f "$(today_file)"
start_plovane
sleep 3 # a few seconds booked, fewer than the ten after which the day is saved anyway
[ -e "$(today_file)" ] && fail "today's statistics were saved before the display went away; the test proves nothing"
kill "$xvfb_pid"
wait_exit 20
[ "$rc" = 0 ] || fail "exit code $rc when the display went away"
[ -s "$(today_file)" ] || fail "today's statistics were lost with the display"
grep -q '"stateDurations"' "$(today_file)" || fail "today's file holds no statistics: $(cat "$(today_file)")"
echo "ok: losing the display saves today's statistics and exits with 0"
