#!/usr/bin/env bash
# What the user must act on reaches the screen, not only standard error: a home where the
# settings folder cannot be written, a disk full at quit, a settings file that cannot be
# read. Each shows an alert in the program's language; standard error keeps its lines.
# Usage: AppAlerts.sh <plovane executable> <repository folder>
source "$(dirname "$0")/AppTestLib.sh"

gone() { [ -z "$(window_titled "$1")" ]; }
active() { [ "$(xdotool getactivewindow 2>/dev/null)" = "$1" ]; }
# Waits for the alert titled $1, keeps a picture of it as $2, and answers it with key $3.
answer_alert() {
  local w
  w="$(await_window_titled 20 "$1")" || fail "no alert \"$1\""
  sleep 0.5
  import -window root "$pictures/AppAlerts-$2.png"
  xdotool windowactivate --sync "$w" >/dev/null 2>&1
  wait_for 5 active "$w" || fail "the alert \"$1\" does not have the focus"
  xdotool key "$3"
}
# An alert at quit waits for an answer; a second request to end does not.
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done; sleep 1; cleanup' EXIT
# Runs "$@" with a mount namespace of its own, where the test can mount: as root, or as a
# user where user namespaces are allowed; nothing otherwise.
private_mounts=()
if unshare -m --propagation private true 2>/dev/null; then
  private_mounts=(unshare -m --propagation private)
elif unshare -rm --propagation private true 2>/dev/null; then
  private_mounts=(unshare -rm --propagation private)
fi
start_in_private_mounts() { # setup commands
  wait_for_free_knock_port
  (cd / && exec "${private_mounts[@]}" sh -c "$1"' && exec "$0"' "$app" 9>&-) >>"$work/app.log" 2>&1 &
  app_pid=$!
  pids+=("$app_pid")
}

# A settings file that cannot be read: the program starts from defaults, and says so,
# where the original went, and what to do. Nothing tells its language: the locale does.
echo '{"tessivar.language": "en", "broken' >"$settings_dir/defaults.json"
LANG=zh_CN.UTF-8 start_plovane
answer_alert "无法读取设置" settings-unreadable-zh Return
wait_for 5 gone "无法读取设置" || fail "the alert did not close"
ls "$settings_dir" | grep -q '^defaults.json.corrupt-' || fail "the unreadable settings were not kept aside"
grep -q "Could not use .*defaults.json (it is not valid JSON); moved it to" "$work/app.log" ||
  fail "standard error lost its line about the settings"
kill -TERM "$app_pid"
wait_exit 10
[ "$rc" = 0 ] || fail "exit code $rc after SIGTERM"
echo "ok: an unreadable settings file is kept aside and an alert in the locale's language says so"

if [ ${#private_mounts[@]} = 0 ]; then
  echo "  (skipped the unwritable home and the full disk: no mount namespace of our own here)"
  exit 0
fi

# A home that cannot be written (mounted read-only) and no settings folder yet: no lock,
# so the program does not start, and it says why on the screen in the language it was
# left in (none: the locale's) and on standard error, and ends with 4.
rm -rf "$settings_dir"
: >"$work/app.log"
LANG=en_US.UTF-8 start_in_private_mounts 'mount --bind -o ro "$HOME" "$HOME"'
answer_alert "Plovane Cannot Start" cannot-start-en Return
wait_exit 10
[ "$rc" = 4 ] || fail "exit code $rc, not 4, when the settings folder cannot be made"
grep -q "could not take the lock .*Read-only file system" "$work/app.log" ||
  fail "standard error lost its line about the lock: $(cat "$work/app.log")"
[ ! -e "$settings_dir" ] || fail "a settings folder was made"
echo "ok: a home that cannot be written shows an alert and ends with 4"

# The disk is full at quit (a small file system of its own, filled up): an alert in the
# language of the program (not the locale's) says what was not saved and where the rest
# is; once space is freed, Try Again saves it all.
mkdir -p "$settings_dir"
: >"$work/app.log"
LANG=en_US.UTF-8 start_in_private_mounts 'mount -t tmpfs -o size=64k tmpfs "$XDG_CONFIG_HOME/plovane" &&
  printf "{\"quellin.has_shown_welcome\": true, \"quellin.has_completed_first_run_setup\": true, \"tessivar.language\": \"zh\"}\n" \
    >"$XDG_CONFIG_HOME/plovane/defaults.json" && { cat /dev/zero >"$XDG_CONFIG_HOME/plovane/filler" 2>/dev/null; true; }'
wait_for 20 xdotool search --onlyvisible --name '^Plovane HUD$' || fail "HUD panel did not map on a full disk"
eval "$(xdotool getwindowgeometry --shell "$(xdotool search --onlyvisible --name '^Plovane HUD$' | head -1)")"
X=$X Y=$Y W=$WIDTH H=$HEIGHT
sleep 1
hud_menu Down 4 # "📊 简洁模式"
wait_for 5 grep -q "Could not save the settings" "$work/app.log" || fail "the failed save of a setting was not reported"
kill -TERM "$app_pid"
await_window_titled 20 "Plovane 无法保存" >/dev/null || fail "no alert at quit on a full disk"
sleep 1
kill -0 "$app_pid" 2>/dev/null || fail "plovane ended without waiting for an answer"
rm -f "/proc/$app_pid/root$settings_dir/filler" || fail "the full file system could not be reached"
answer_alert "Plovane 无法保存" full-disk-zh Return # Try Again
wait_exit 10
[ "$rc" = 0 ] || fail "exit code $rc after space was freed and the save tried again"
grep -q "Settings could not be written" "$work/app.log" || fail "standard error lost its line about the settings"
echo "ok: a disk full at quit shows an alert, and Try Again saves everything once there is space"
