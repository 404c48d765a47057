#!/usr/bin/env bash
# End to end on the test desktop: a first launch with a fresh home shows the first-run
# setup, Continue completes it and a restart shows none; the HUD's menu opens the drain
# settings and the daily report at their sizes, each taking the focus from the user's
# window; moving the drain slider stores the new session length.
# Usage: WindowsEndToEnd.sh <plovane executable> <repository folder>
source "$(dirname "$0")/AppTestLib.sh"

setup_title='首次功能配置'
drain_title='扣血机制'
report_title='今日日报 📊'

visible_window() { xdotool search --all --onlyvisible --pid "$app_pid" --name "^$1\$" 2>/dev/null | head -1; }
size_of() { eval "$(xdotool getwindowgeometry --shell "$1")"; echo "${WIDTH}x${HEIGHT}"; }
expect_fixed_size() { # window, WxH
  local hints; hints="$(xprop -id "$1" WM_NORMAL_HINTS)"
  grep -q "program specified minimum size: ${2/x/ by }" <<<"$hints" &&
    grep -q "program specified maximum size: ${2/x/ by }" <<<"$hints" ||
    fail "window $1 is resizable: $hints"
}
stored() { grep -o "\"$1\": *[^,}]*" "$settings_dir/defaults.json" 2>/dev/null | sed 's/.*: *//'; }
# Checks that wait_for repeats (each looks again).
has_window() { [ -n "$(visible_window "$1")" ]; }
no_window() { [ -z "$(visible_window "$1")" ]; }
stored_is() { local v; v="$(stored "$1")"; for want in "${@:2}"; do [ "$v" = "$want" ] && return 0; done; return 1; }

# A fresh home: nothing stored yet, so the setup shows (in the default language, Chinese).
rm -f "$settings_dir/defaults.json"
start_focus_probe
start_plovane
wait_for 10 has_window "$setup_title" || fail "the first-run setup did not show"
setup="$(visible_window "$setup_title")"
[ "$(size_of "$setup")" = 540x360 ] || fail "setup window is $(size_of "$setup"), expected 540x360"
expect_fixed_size "$setup" 540x360
# Above the HUD, which would otherwise cover its lower left on a small screen.
stacking="$(xprop -root _NET_CLIENT_LIST_STACKING | tr -d , | cut -d# -f2)"
above=""
for w in $stacking; do
  [ "$((w))" = "$hud" ] && above="" && continue
  [ "$((w))" = "$setup" ] && above=1
done
[ -n "$above" ] || fail "the setup window is below the HUD: $stacking"
echo "ok: a first launch shows the setup, 540x360 and fixed, above the HUD"

# Continue has the keyboard focus: press it.
activate_window "$setup" || fail "setup window did not take the focus"
xdotool key space
wait_for 5 no_window "$setup_title" || fail "Continue did not close the setup"
wait_for 10 stored_is quellin.has_completed_first_run_setup true ||
  fail "setup completion not stored: $(cat "$settings_dir/defaults.json" 2>/dev/null)"
echo "ok: Continue closes the setup and stores its completion"

hud_menu Up 1
wait_exit 10
[ "$rc" = 0 ] || fail "exit code $rc after Quit"
start_plovane
sleep 2
[ -z "$(visible_window "$setup_title")" ] || fail "the setup showed again after Continue"
echo "ok: no setup on the next launch"

# The drain settings from the HUD's menu (two down: the first item, then past the separator).
back_to_probe
hud_menu Down 2
wait_for 10 has_window "$drain_title" || fail "drain settings did not open"
drain="$(visible_window "$drain_title")"
[ "$(size_of "$drain")" = 420x480 ] || fail "drain settings is $(size_of "$drain"), expected 420x480"
expect_fixed_size "$drain" 420x480
wait_for 5 active_is "$drain" || fail "drain settings did not become the active window"
echo "ok: drain settings opens 420x480, fixed, and is the active window"

# The slider has the focus: one step to the right is five minutes more.
xdotool key Right
wait_for 10 stored_is quellin.session_minutes 50 50.0 ||
  fail "session length not stored: $(cat "$settings_dir/defaults.json")"
echo "ok: moving the slider stores sessionMinutes $(stored quellin.session_minutes)"

# The daily report, while the user's window is active again.
back_to_probe
hud_menu Down 7
wait_for 10 has_window "$report_title" || fail "daily report did not open"
report="$(visible_window "$report_title")"
[ "$(size_of "$report")" = 320x520 ] || fail "daily report is $(size_of "$report"), expected 320x520"
expect_fixed_size "$report" 320x520
wait_for 5 active_is "$report" || fail "the daily report did not become the active window"
import -window "$report" "$pictures/report.png" 2>/dev/null
echo "ok: daily report opens 320x520, fixed, and is the active window"

# Opening the drain settings again brings the one window forward.
hud_menu Down 2
wait_for 5 active_is "$drain" || fail "a second open did not bring drain settings forward"
[ "$(xdotool search --all --onlyvisible --pid "$app_pid" --name "^$drain_title\$" | wc -l)" = 1 ] ||
  fail "a second drain settings window opened"
import -window "$drain" "$pictures/drain.png" 2>/dev/null
echo "ok: a second open brings the one drain settings window forward"

hud_menu Up 1
wait_exit 10
[ "$rc" = 0 ] || fail "exit code $rc after Quit"
