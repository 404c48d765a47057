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

# The days folder is a file: the periodic save of today's statistics fails and says so
# once, while running; the exit status (2) and message name the statistics alone.
: >"$work/app.log"
write_settings
rm -rf "$settings_dir/days"
echo "not a folder" >"$settings_dir/days"
start_plovane
wait_for 20 grep -q "Could not save the daily statistics" "$work/app.log" ||
  fail "the failing periodic save of today's statistics was not reported while running"
kill -TERM "$app_pid"
wait_exit 10
[ "$rc" = 2 ] || fail "exit code $rc, not 2, when only the daily statistics could not be written"
grep -q "Daily statistics of .* could not be written" "$work/app.log" || fail "the exit did not name the statistics"
grep -q "Settings could not be written" "$work/app.log" && fail "the exit blamed the settings, which were written"
[ "$(grep -c "Could not save the daily statistics" "$work/app.log")" = 1 ] || fail "the failing save was reported more than once"
rm -f "$settings_dir/days"
echo "ok: a file in place of the days folder is reported once while running, and the exit names the statistics"

# The settings folder is replaced by a file while the program runs and a setting changes:
# reported at once, and at the end the exit status (3) and message name both.
: >"$work/app.log"
write_settings
start_plovane
rm -rf "$settings_dir"
echo "not a folder" >"$settings_dir"
hud_menu Down 4
wait_for 5 grep -q "Could not save the settings" "$work/app.log" || fail "the failed save of a setting was not reported"
kill -TERM "$app_pid"
wait_exit 10
[ "$rc" = 3 ] || fail "exit code $rc, not 3, although neither the settings nor the statistics could be written"
grep -q "Settings could not be written" "$work/app.log" || fail "the exit did not name the settings"
grep -q "Daily statistics of .* could not be written" "$work/app.log" || fail "the exit did not name the statistics"
echo "ok: an unwritable settings folder ends with exit code 3 and says what was not written"
