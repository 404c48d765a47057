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

# A settings folder that cannot be written (replaced by a file under the running program):
# the exit code says so instead of 0.
write_settings
start_plovane
rm -rf "$settings_dir"
echo "not a folder" >"$settings_dir"
kill -TERM "$app_pid"
wait_exit 10
[ "$rc" != 0 ] || fail "exit code 0 although the settings could not be written"
grep -q "Settings could not be written" "$work/app.log" || fail "the failed write was not reported"
echo "ok: an unwritable settings folder ends with exit code $rc and a log line"
