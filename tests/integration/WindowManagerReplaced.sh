#!/usr/bin/env bash
# The HUD when a new window manager takes over the screen, on a screen of its own: started
# under openbox, then xfwm4 --replace, openbox --replace, and openbox killed and xfwm4
# started after it (a crash and a restart). After each the HUD is shown on every desktop,
# above other windows, out of the taskbar and without the focus.
# Usage: WindowManagerReplaced.sh <plovane executable> <repository folder>
if [ -z "${DISPLAY:-}" ]; then echo "no DISPLAY: run inside scripts/test-desktop.sh"; exit 77; fi
for wm in openbox xfwm4; do command -v "$wm" >/dev/null || { echo "missing $wm"; exit 77; }; done
source "$2/scripts/xvfb-lib.sh"
start_xvfb 141 190 || { echo "FAIL: no free X display"; exit 1; }
screen_pid=$xvfb_pid
source "$(dirname "$0")/AppTestLib.sh"
pids+=("$screen_pid")
pictures_tag=wm-replaced

# Window managers started here, stopped before the screen goes.
start_wm() { # name, arguments...
  "$@" 9>&- >>"$work/wm.log" 2>&1 &
  pids=("$!" "${pids[@]}")
  wm_pid=$!
}
wm_name() {
  local check
  check="$(xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -o '0x[0-9a-f]*')" || return 1
  xprop -id "$check" _NET_WM_NAME 2>/dev/null | sed -n 's/.*= "\(.*\)"/\1/p'
}
wm_is() { [ "$(wm_name)" = "$1" ]; }
# The window a client sits in: the window manager's frame, or the root.
parent_of() { xwininfo -children -id "$1" 2>/dev/null | awk '/Parent window id/ {print $4}'; }
viewable() { xwininfo -id "$hud" 2>/dev/null | grep -q IsViewable; }
states() { xprop -id "$hud" _NET_WM_STATE 2>/dev/null; }
on_every_desktop() {
  xprop -id "$hud" _NET_WM_DESKTOP | grep -q '= 4294967295$' || states | grep -q _NET_WM_STATE_STICKY
}
set_up() { # the HUD as at its first show
  viewable && on_every_desktop && states | grep -q _NET_WM_STATE_ABOVE && states | grep -q _NET_WM_STATE_SKIP_TASKBAR &&
    [ "$(xdotool getactivewindow 2>/dev/null)" != "$hud" ]
}
# Holds for a second on end, not only for a moment while the new manager sets up.
holds() { # command...
  wait_for 10 "$@" && holds_for 1 "$@"
}
describe() { echo "$(xwininfo -id "$hud" | grep 'Map State'), $(xprop -id "$hud" _NET_WM_DESKTOP), $(states)"; }

# After a take-over by `name`: once it has framed the HUD, the HUD is set up as at its
# first show, also on another desktop.
check_taken_over() { # name, what happened
  wait_for 20 wm_is "$1" || fail "$2: $1 did not take over (window manager: $(wm_name))"
  framed() { local p; p="$(parent_of "$hud")"; [ -n "$p" ] && [ "$p" != "$old_parent" ] && [ "$p" != "$root" ]; }
  wait_for 20 framed || fail "$2: $1 did not take the HUD over"
  holds set_up || fail "$2: the HUD is not set up again: $(describe)"
  xdotool set_desktop 2
  sleep 0.5
  holds viewable || fail "$2: the HUD is not shown on the third desktop: $(describe)"
  import -window root "$pictures/$pictures_tag-$1-desktop3.png" 2>/dev/null
  xdotool set_desktop 0
  holds set_up || fail "$2: the HUD is not set up on the first desktop again: $(describe)"
  old_parent="$(parent_of "$hud")"
  echo "ok: $2, the HUD is shown on every desktop, above, out of the taskbar and without the focus"
}

printf '{"quellin.has_shown_welcome": true, "quellin.has_completed_first_run_setup": true, "tessivar.language": "en"}\n' \
  >"$settings_dir/defaults.json"
root="$(xwininfo -root | awk '/Window id/ {print $4}')"
start_wm openbox --config-file "$xvfb_lib_dir/openbox-rc.xml"
wait_for 10 wm_is Openbox || fail "openbox did not start"
start_focus_probe
start_plovane
holds set_up || fail "under openbox at the start the HUD is not set up: $(describe)"
old_parent="$(parent_of "$hud")"

start_wm xfwm4 --replace --compositor=off --sm-client-disable
check_taken_over Xfwm4 "openbox replaced by xfwm4"
start_wm openbox --config-file "$xvfb_lib_dir/openbox-rc.xml" --replace
check_taken_over Openbox "xfwm4 replaced by openbox"
# A crash: the manager goes without a successor, and another starts later.
check="$(xprop -root _NET_SUPPORTING_WM_CHECK | grep -o '0x[0-9a-f]*')"
kill -9 "$wm_pid"
# Its windows go with its connection, the selection with them.
wait_for 10 sh -c "! xwininfo -id $check >/dev/null 2>&1" || fail "openbox's windows stayed after it was killed"
start_wm xfwm4 --compositor=off --sm-client-disable
check_taken_over Xfwm4 "openbox crashed and xfwm4 started"

kill -TERM "$app_pid"
wait_exit 10
[ "$rc" = 0 ] || fail "exit code $rc after SIGTERM"
echo "ok: every check passed"
