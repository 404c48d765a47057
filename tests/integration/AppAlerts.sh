#!/usr/bin/env bash
# What the user must act on reaches the screen, not only standard error, at every start
# and not only the first: a settings folder that cannot be written, a day file that cannot
# be read, a full disk, a settings file that cannot be read; a save that fails while the
# program runs, and at quit. Each shows an alert in the program's language that names the
# cause; standard error keeps its lines.
# Usage: AppAlerts.sh <plovane executable> <repository folder>
source "$(dirname "$0")/AppTestLib.sh"

write_settings() { # language
  printf '{"quellin.has_shown_welcome": true, "quellin.has_completed_first_run_setup": true, "tessivar.language": "%s"}\n' \
    "$1" >"$settings_dir/defaults.json"
}
lock_file="$settings_dir/org.plovane.Plovane.lock"
# Root may read and write whatever the permissions say: without its file capabilities it
# meets them as the user does.
as_user=()
if [ "$(id -u)" = 0 ]; then
  as_user=(setpriv --inh-caps=-dac_override,-dac_read_search --bounding-set=-dac_override,-dac_read_search)
fi
# Starts plovane as the user, for a start that shows no HUD.
start_refused() {
  wait_for_free_knock_port
  (cd / && exec "${as_user[@]}" "$app" 9>&-) >>"$work/app.log" 2>&1 &
  app_pid=$!
  pids+=("$app_pid")
}

gone() { [ -z "$(window_titled "$1")" ]; }
# Waits for the alert titled $1, keeps a picture of it as $2, and answers it with key $3.
answer_alert() {
  local w
  w="$(await_window_titled 20 "$1")" || fail "no alert \"$1\""
  sleep 0.5
  import -window root "$pictures/AppAlerts-$2.png"
  activate_window "$w" || fail "the alert \"$1\" does not have the focus"
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
# where the original went, and what to do, in the language it then shows (the first
# start's Chinese, whatever the locale).
echo '{"tessivar.language": "en", "broken' >"$settings_dir/defaults.json"
LANG=en_US.UTF-8 start_plovane
answer_alert "无法读取设置" settings-unreadable-zh Return
wait_for 5 gone "无法读取设置" || fail "the alert did not close"
ls "$settings_dir" | grep -q '^defaults.json.corrupt-' || fail "the unreadable settings were not kept aside"
grep -q "Could not use .*defaults.json (it is not valid JSON); moved it to" "$work/app.log" ||
  fail "standard error lost its line about the settings"
kill -TERM "$app_pid"
wait_exit 10
[ "$rc" = 0 ] || fail "exit code $rc after SIGTERM"
echo "ok: an unreadable settings file is kept aside and an alert in the language the program shows says so"

# The settings folder has become one this user may not write (its lock file is there from
# an earlier run): the program does not start, and says why, in the settings' language.
write_settings en
rm -rf "$settings_dir/days"
: >"$lock_file"
chmod 555 "$settings_dir"
: >"$work/app.log"
start_refused
answer_alert "Plovane Cannot Start" cannot-start-permission-en Return
wait_exit 10
chmod 755 "$settings_dir"
[ "$rc" = 4 ] || fail "exit code $rc, not 4, when the settings folder cannot be written"
grep -q "does not start: it could not save .*Permission denied" "$work/app.log" ||
  fail "standard error did not say why: $(cat "$work/app.log")"
[ ! -e "$settings_dir/days" ] || fail "a days folder was made"
echo "ok: with its lock file there, a settings folder that cannot be written shows an alert and ends with 4"

# Today's file of statistics is one this user may not read: it is not written over, and
# the program does not start; the alert names the file and why, in Chinese here.
write_settings zh
mkdir -p "$settings_dir/days"
echo '{"date": "'"$(date +%F)"'", "stateDurations": {"Flow": 600}}' >"$(today_file)"
chmod 000 "$(today_file)"
: >"$work/app.log"
start_refused
answer_alert "Plovane 无法启动" cannot-start-unreadable-day-zh Return
wait_exit 10
chmod 600 "$(today_file)"
[ "$rc" = 4 ] || fail "exit code $rc, not 4, when today's file cannot be read"
grep -qF "does not start: it could not save its settings and statistics ($(today_file): Permission denied)" "$work/app.log" ||
  fail "standard error did not name today's file and why: $(cat "$work/app.log")"
grep -q '"Flow": 600' "$(today_file)" || fail "today's file was changed: $(cat "$(today_file)")"
rm -f "$(today_file)"
echo "ok: a day file that cannot be read is named at start, with why, and left as it was"

# The settings file is one this user may not read: the program runs on defaults and says
# so; a change cannot be saved at quit, and the alert says why (permission, that file).
# Once the user gives the file back its permissions, Try Again reads it afresh and saves
# the change into it, losing neither.
printf '{"tessivar.language": "en"}\n' >"$settings_dir/defaults.json"
chmod 000 "$settings_dir/defaults.json"
: >"$work/app.log"
wait_for_free_knock_port
(cd / && exec "${as_user[@]}" "$app" 9>&-) >>"$work/app.log" 2>&1 &
app_pid=$!
pids+=("$app_pid")
answer_alert "无法读取设置" settings-left-alone-zh Return
# Running on defaults, it asks its first-run questions: "稍后再说" (later) is a change to save.
setup="$(await_window_titled 20 "首次功能配置")" || fail "no first-run window on default settings"
activate_window "$setup"
eval "$(xwininfo -id "$setup" | awk '/Absolute upper-left X/ {print "SX=" $4} /Absolute upper-left Y/ {print "SY=" $4}
  /Height:/ {print "SH=" $2}')"
xdotool mousemove $((SX + 60)) $((SY + SH - 33)) click 1
wait_for 5 gone "首次功能配置" || fail "the first-run window did not close"
kill -TERM "$app_pid"
await_window_titled 20 "Plovane 无法保存" >/dev/null || fail "no alert at quit although the settings could not be saved"
chmod 600 "$settings_dir/defaults.json"
answer_alert "Plovane 无法保存" not-saved-permission-zh Return # Try Again
wait_exit 10
[ "$rc" = 0 ] || fail "exit code $rc after the settings file could be read again and the save tried again"
grep -q "Settings could not be written to .*defaults.json" "$work/app.log" || fail "standard error lost its line about the settings"
grep -Eq '"quellin.has_completed_first_run_setup": *true' "$settings_dir/defaults.json" &&
  grep -Eq '"tessivar.language": *"en"' "$settings_dir/defaults.json" ||
  fail "Try Again did not keep both the file and the change: $(cat "$settings_dir/defaults.json")"
echo "ok: settings that cannot be read are saved at quit, with what they held, once Try Again finds them readable"

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

# The settings folder on a small file system of its own, with the settings and the lock
# file of an earlier run in it; full from the start when asked to be.
settings_on_tmpfs='mount -t tmpfs -o size=64k tmpfs "$XDG_CONFIG_HOME/plovane" &&
  printf "{\"quellin.has_shown_welcome\": true, \"quellin.has_completed_first_run_setup\": true, \"tessivar.language\": \"zh\"}\n" \
    >"$XDG_CONFIG_HOME/plovane/defaults.json" && : >"$XDG_CONFIG_HOME/plovane/org.plovane.Plovane.lock"'
filled='{ cat /dev/zero >"$XDG_CONFIG_HOME/plovane/filler" 2>/dev/null; true; }'

# The disk is full at start: the program does not start, and says why.
mkdir -p "$settings_dir"
: >"$work/app.log"
LANG=en_US.UTF-8 start_in_private_mounts "$settings_on_tmpfs && $filled"
answer_alert "Plovane 无法启动" cannot-start-full-disk-zh Return
wait_exit 10
[ "$rc" = 4 ] || fail "exit code $rc, not 4, on a disk full at start"
grep -q "does not start: it could not save .*No space left on device" "$work/app.log" ||
  fail "standard error did not say why: $(cat "$work/app.log")"
echo "ok: a disk full at start shows an alert and ends with 4"

# The disk fills up while the program runs: the first save that fails (today's statistics)
# says so at once, in a window that holds up nothing (the ticks go on); closed, it does not
# come back while the same file keeps failing, but a setting that then fails to save is
# told in a new one. Asked to end, an alert in the language of the program (not the
# locale's) says what was not saved and where the rest is; once space is freed, Try Again
# saves it all.
: >"$work/app.log"
PLOVANE_LOG=debug LANG=en_US.UTF-8 start_in_private_mounts "$settings_on_tmpfs"
wait_for 20 xdotool search --onlyvisible --name '^Plovane HUD$' || fail "HUD panel did not map"
eval "$(xdotool getwindowgeometry --shell "$(xdotool search --onlyvisible --name '^Plovane HUD$' | head -1)")"
X=$X Y=$Y W=$WIDTH H=$HEIGHT
sleep 1
{ cat /dev/zero >"/proc/$app_pid/root$settings_dir/filler"; } 2>/dev/null
w="$(await_window_titled 20 "Plovane 无法保存")" || fail "no alert while running when a save failed"
grep -q "Could not save the daily statistics" "$work/app.log" || fail "the failed save of the statistics was not logged"
ticks() { grep -c "^debug: " "$work/app.log"; }
before="$(ticks)"
sleep 3
import -window root "$pictures/AppAlerts-saving-full-disk-zh.png"
[ "$(ticks)" -ge $((before + 2)) ] || fail "the ticks stopped while the alert was up ($before, then $(ticks))"
activate_window "$w"
xdotool key Return
wait_for 5 gone "Plovane 无法保存" || fail "the alert did not close"
# Past a retry of the statistics, which still fail: nothing new to tell.
sleep 12
gone "Plovane 无法保存" || fail "the alert came back while the same file kept failing"
hud_menu Down 4 # "📊 简洁模式"
w="$(await_window_titled 10 "Plovane 无法保存")" ||
  fail "a setting that could not be saved after the alert about the statistics was closed was not told"
grep -q "Could not save the settings" "$work/app.log" || fail "the failed save of a setting was not logged"
activate_window "$w"
xdotool key Return
wait_for 5 gone "Plovane 无法保存" || fail "the second alert did not close"
kill -TERM "$app_pid"
await_window_titled 20 "Plovane 无法保存" >/dev/null || fail "no alert at quit on a full disk"
sleep 1
kill -0 "$app_pid" 2>/dev/null || fail "plovane ended without waiting for an answer"
rm -f "/proc/$app_pid/root$settings_dir/filler" || fail "the full file system could not be reached"
answer_alert "Plovane 无法保存" full-disk-zh Return # Try Again
wait_exit 10
[ "$rc" = 0 ] || fail "exit code $rc after space was freed and the save tried again"
grep -q "Settings could not be written" "$work/app.log" || fail "standard error lost its line about the settings"
echo "ok: a disk that fills up is told at once while the ticks go on, and Try Again at quit saves everything once there is space"
