#!/usr/bin/env bash
# The system ends the application (SIGTERM at logout, SIGHUP): it runs the same
# termination as Quit, so a setting changed a moment before and today's statistics reach
# the disk, and the exit code is 0.
# Usage: AppTermination.sh <plovane executable> <repository folder>
source "$(dirname "$0")/AppTestLib.sh"

write_settings() {
  printf '{"quellin.has_shown_welcome": true, "quellin.has_completed_first_run_setup": true, "tessivar.language": "en"}\n' \
    >"$settings_dir/defaults.json"
}

# An alert at quit waits for an answer; a second request to end does not.
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done; sleep 1; cleanup' EXIT
# At quit, what could not be saved is shown in an alert: answered with Quit Anyway (Escape).
quit_anyway() {
  local w
  w="$(await_window_titled 20 'Plovane Could Not Save')" || fail "no alert says what could not be saved"
  activate_window "$w"
  xdotool key Escape
  wait_for 5 not_viewable "$w" || fail "Escape did not close the alert"
}

# SIGINT is covered in process: a shell's background job ignores it, and so do we.
for sig in TERM HUP; do
  write_settings # the expanded layout, where the pet sits at the point we click
  start_plovane
  if [ "$sig" = TERM ]; then
    # "📊 Compact Mode" is the fourth item; the store writes it out only after a short delay,
    # so the signal arrives while the change is still pending.
    hud_menu Down 4
    sleep 0.1
  else
    # The menu's own event loop is running: the signal still ends the program normally.
    open_hud_menu
    [ "$(xdotool search --onlyvisible --pid "$app_pid" 2>/dev/null | wc -l)" -ge 2 ] || fail "the HUD's menu did not open"
  fi
  kill -"$sig" "$app_pid"
  wait_exit 10
  [ "$rc" = 0 ] || fail "exit code $rc after SIG$sig"
  [ -s "$(today_file)" ] || fail "today's statistics not saved after SIG$sig"
  if [ "$sig" = TERM ]; then
    grep -Eq '"quellin.compact_mode": *true' "$settings_dir/defaults.json" ||
      fail "compact mode set just before SIGTERM was lost: $(cat "$settings_dir/defaults.json")"
  fi
  echo "ok: SIG$sig ends plovane with 0 and today's statistics on disk"
done

now_ms() { date +%s%3N; }
# Starts plovane; sets started_ms (how long until its HUD mapped) and its geometry.
start_timed() {
  write_settings
  wait_for_free_knock_port
  local t0; t0="$(now_ms)"
  (cd / && exec "$app" 9>&- 7>&-) >>"$work/app.log" 2>&1 &
  app_pid=$!
  pids+=("$app_pid")
  wait_for 60 xdotool search --all --onlyvisible --pid "$app_pid" --name '^Plovane HUD$' || fail "HUD panel did not map"
  started_ms=$(( $(now_ms) - t0 ))
  hud="$(xdotool search --all --onlyvisible --pid "$app_pid" --name '^Plovane HUD$' | head -1)"
  eval "$(xdotool getwindowgeometry --shell "$hud")"
  X=$X Y=$Y W=$WIDTH H=$HEIGHT
}
# Sends SIGTERM; sets ended_ms (how long until the process was gone) and rc.
stop_timed() {
  local t0; t0="$(now_ms)"
  kill -TERM "$app_pid"
  wait_exit 30
  ended_ms=$(( $(now_ms) - t0 ))
}

# The accessibility bus launcher, or the registry on its bus, hangs (stopped): before the
# start or while running. The start and the end do not wait for them (the toolkit's own
# questions would each wait 25 s).
owner_pid() { # bus-option... name
  gdbus call "${@:1:$#-1}" --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
    --method org.freedesktop.DBus.GetConnectionUnixProcessID "${@: -1}" 2>/dev/null | sed -n 's/^(uint32 \([0-9]*\),)$/\1/p'
}
# Whether a screen reader finds plovane among the registry's applications.
in_registry() {
  local name
  for name in $(gdbus call --address "$a11y_address" --dest org.a11y.atspi.Registry \
      --object-path /org/a11y/atspi/accessible/root --method org.a11y.atspi.Accessible.GetChildren 2>/dev/null |
      grep -o "':[0-9.]*'" | tr -d "'"); do
    [ "$(owner_pid --address "$a11y_address" "$name")" = "$app_pid" ] && return 0
  done
  return 1
}
launcher_pid="$(owner_pid --session org.a11y.Bus)"
a11y_address="$(gdbus call --session --dest org.a11y.Bus --object-path /org/a11y/bus --method org.a11y.Bus.GetAddress 2>/dev/null |
  sed -n "s/^('\(.*\)',)$/\1/p")"
registry_pid=""
[ -n "$a11y_address" ] && registry_pid="$(owner_pid --address "$a11y_address" org.a11y.atspi.Registry)"
if [ -n "$launcher_pid" ] && [ -n "$registry_pid" ]; then
  stopped=()
  resume() { [ "${#stopped[@]}" -gt 0 ] && kill -CONT "${stopped[@]}" 2>/dev/null; stopped=(); }
  trap 'resume; cleanup' EXIT
  write_settings

  # Healthy: a screen reader finds us among the registry's applications.
  start_timed
  wait_for 6 in_registry || fail "with a healthy accessibility bus, plovane is not among the registry's applications"
  stop_timed
  echo "ok: healthy accessibility bus: HUD after ${started_ms} ms, registered for screen readers, SIGTERM took ${ended_ms} ms"

  for hung in launcher registry "launcher and registry"; do
    case "$hung" in
      launcher) stopped=("$launcher_pid") ;;
      registry) stopped=("$registry_pid") ;;
      *) stopped=("$launcher_pid" "$registry_pid") ;;
    esac
    kill -STOP "${stopped[@]}"
    start_timed
    sleep 0.5
    hud_menu Down 4 # a menu and a setting: more text changes on the way to the bridge
    sleep 0.5
    stop_timed
    resume
    [ "$rc" = 0 ] || fail "exit code $rc with the accessibility $hung stopped"
    [ "$started_ms" -lt 10000 ] || fail "with the accessibility $hung stopped the HUD took ${started_ms} ms"
    [ "$ended_ms" -lt 5000 ] || fail "with the accessibility $hung stopped SIGTERM took ${ended_ms} ms"
    echo "ok: accessibility $hung stopped before the start: HUD after ${started_ms} ms, SIGTERM took ${ended_ms} ms"
  done

  # Stopped while running, then a menu and the end.
  start_timed
  stopped=("$launcher_pid" "$registry_pid")
  kill -STOP "${stopped[@]}"
  hud_menu Down 4
  sleep 0.5
  stop_timed
  resume
  [ "$rc" = 0 ] || fail "exit code $rc with the accessibility bus stopped while running"
  [ "$ended_ms" -lt 5000 ] || fail "with the accessibility bus stopped while running SIGTERM took ${ended_ms} ms"
  echo "ok: accessibility launcher and registry stopped while running: SIGTERM took ${ended_ms} ms"
else
  echo "skipped: no accessibility bus on this desktop"
fi

# Standard error is a pipe nobody reads, full from the start, and every tick logs a line:
# the program ticks on (today's seconds are saved) and ends at once on SIGTERM; once the
# pipe is read, the lines it kept meanwhile come through.
write_settings
rm -f "$(today_file)"
mkfifo "$work/stderr.fifo"
exec 7<>"$work/stderr.fifo" # held open and not read
dd if=/dev/zero of="$work/stderr.fifo" bs=4096 count=64 oflag=nonblock 2>/dev/null
wait_for_free_knock_port
(cd / && PLOVANE_LOG=debug exec "$app" 9>&- 7>&-) >/dev/null 2>&7 &
app_pid=$!
pids+=("$app_pid")
wait_for 20 xdotool search --all --onlyvisible --pid "$app_pid" --name '^Plovane HUD$' || fail "HUD panel did not map with a full stderr"
wait_for 25 test -s "$(today_file)" || fail "with a full stderr no seconds were booked: the ticks stopped"
kill -0 "$app_pid" || fail "plovane ended with a full stderr"
timeout 2 cat <&7 | tr -d '\0' >"$work/stderr.out"
grep -a -q "^debug: " "$work/stderr.out" || fail "no tick lines came through once stderr was read"
# Full again, and the end.
dd if=/dev/zero of="$work/stderr.fifo" bs=4096 count=64 oflag=nonblock 2>/dev/null
sleep 2
stop_timed
exec 7>&-
[ "$rc" = 0 ] || fail "exit code $rc after SIGTERM with a full stderr"
[ "$ended_ms" -lt 5000 ] || fail "with a full stderr SIGTERM took ${ended_ms} ms"
echo "ok: a full stderr holds up neither ticks nor the end: SIGTERM took ${ended_ms} ms"

# Settings linked into the user's dotfiles: changed in the program, the change is in the
# user's file and the settings file is still the user's link.
mkdir -p "$work/dotfiles"
rm -f "$settings_dir/defaults.json"
write_settings
mv "$settings_dir/defaults.json" "$work/dotfiles/plovane.json"
ln -s "$work/dotfiles/plovane.json" "$settings_dir/defaults.json"
start_plovane
hud_menu Down 4 # "📊 Compact Mode"
sleep 1
kill -TERM "$app_pid"
wait_exit 10
[ "$rc" = 0 ] || fail "exit code $rc with linked settings"
[ -L "$settings_dir/defaults.json" ] || fail "the linked settings file is no longer a link"
grep -Eq '"quellin.compact_mode": *true' "$work/dotfiles/plovane.json" ||
  fail "compact mode did not reach the linked file: $(cat "$work/dotfiles/plovane.json")"
rm -f "$settings_dir/defaults.json"
echo "ok: a setting changed in the program reaches the user's linked file, which stays a link"

# The days folder becomes a file while the program runs: the periodic save of today's
# statistics fails and says so at once, in the log and in an alert, and once only. Asked
# to end by the system (SIGTERM) with nobody there to answer the alert at quit, the
# program ends by itself within seconds, with the exit status (2) and a message that name
# the statistics alone.
: >"$work/app.log"
write_settings
start_plovane
rm -rf "$settings_dir/days"
echo "not a folder" >"$settings_dir/days"
await_window_titled 20 "Plovane Could Not Save" >/dev/null ||
  fail "no alert says while running that today's statistics could not be saved"
sleep 0.5
import -window root "$pictures/AppTermination-saving-en.png"
grep -q "Could not save the daily statistics" "$work/app.log" ||
  fail "the failing periodic save of today's statistics was not logged while running"
stop_timed
[ "$rc" = 2 ] || fail "exit code $rc, not 2, when only the daily statistics could not be written"
[ "$ended_ms" -lt 20000 ] || fail "asked to end while a save fails, plovane took ${ended_ms} ms"
grep -q "Daily statistics of .* could not be written" "$work/app.log" || fail "the exit did not name the statistics"
grep -q "Settings could not be written" "$work/app.log" && fail "the exit blamed the settings, which were written"
[ "$(grep -c "Could not save the daily statistics" "$work/app.log")" = 1 ] || fail "the failing save was reported more than once"
rm -f "$settings_dir/days"
echo "ok: a file in place of the days folder is told at once while running; SIGTERM unanswered ends it in ${ended_ms} ms with 2"

# Neither the settings file nor the days folder can be written (a folder and a file in
# their places) and a setting changes: reported at once, and at the end the exit status
# (3) and message name both.
: >"$work/app.log"
write_settings
start_plovane
rm -rf "$settings_dir/days"
echo "not a folder" >"$settings_dir/days"
w="$(await_window_titled 20 "Plovane Could Not Save")" || fail "no alert says while running that a save failed"
activate_window "$w"
xdotool key Return
wait_for 5 not_viewable "$w" || fail "Return did not close the alert"
rm -f "$settings_dir/defaults.json"
mkdir "$settings_dir/defaults.json"
hud_menu Down 4
wait_for 5 grep -q "Could not save the settings" "$work/app.log" || fail "the failed save of a setting was not reported"
kill -TERM "$app_pid"
quit_anyway
wait_exit 10
[ "$rc" = 3 ] || fail "exit code $rc, not 3, although neither the settings nor the statistics could be written"
grep -q "Settings could not be written" "$work/app.log" || fail "the exit did not name the settings"
grep -q "Daily statistics of .* could not be written" "$work/app.log" || fail "the exit did not name the statistics"
rm -rf "$settings_dir/days" "$settings_dir/defaults.json"
echo "ok: settings and statistics that cannot be written end with exit code 3 and say what was not written"
