#!/usr/bin/env bash
# The HUD when a new window manager takes over the screen, on a screen of its own: started
# under openbox, then xfwm4 --replace, openbox --replace, and openbox killed and xfwm4
# started after it (a crash and a restart). After each the HUD is shown on every desktop,
# above other windows, out of the taskbar and without the focus. Then i3 replaces xfwm4:
# the HUD leaves the window manager's hands and keeps its place, and the pointer resting
# on it or a click on it leaves the keys with the user's terminal; openbox replacing i3
# takes it back into a manager's hands, set up as at its first show.
# Usage: WindowManagerReplaced.sh <plovane executable> <repository folder>
if [ -z "${DISPLAY:-}" ]; then echo "no DISPLAY: run inside scripts/test-desktop.sh"; exit 77; fi
for wm in openbox xfwm4 i3 xterm; do command -v "$wm" >/dev/null || { echo "missing $wm"; exit 77; }; done
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
describe() {
  # xwininfo without a window waits for a click on one.
  [ -n "$hud" ] || { echo "no HUD is shown (window manager: $(wm_name))"; return; }
  echo "$(xwininfo -id "$hud" | grep -E 'Map State|Override'), parent $(parent_of "$hud"), $(xprop -id "$hud" _NET_WM_DESKTOP), $(states) (window manager: $(wm_name))"
}

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

# i3 focuses a window on a click or as the pointer enters it, whatever the window asks.
typed="$work/typed"
: >"$typed"
xterm 9>&- -title PlovaneUserTerminal -geometry 80x20+500+40 -e sh -c "cat >'$typed'" >/dev/null 2>&1 &
pids+=($!)
lands() { # word: typed with Return into whatever has the keys, true when it reached the terminal
  xdotool type --delay 30 "$1"$'\n'
  wait_for 3 grep -q "$1" "$typed"
}
wait_for 10 xdotool search --onlyvisible --name '^PlovaneUserTerminal$' || fail "the user's terminal did not map"
activate_window "$(xdotool search --onlyvisible --name '^PlovaneUserTerminal$' | head -1)"
lands beforei3 || fail "the user's terminal does not take what is typed"
place="$(xwininfo -id "$hud" | awk '/Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF} END {print x "," y}')"
mkdir -p "$work/i3-home/.config/i3"
cp /etc/i3/config "$work/i3-home/.config/i3/config"
HOME="$work/i3-home" XDG_CONFIG_HOME="$work/i3-home/.config" start_wm i3 --replace
wait_for 20 wm_is i3 || fail "i3 did not take over (window manager: $(wm_name))"
hud_unmanaged() {
  local shown
  shown="$(xdotool search --all --onlyvisible --pid "$app_pid" --name '^Plovane HUD$' 2>/dev/null | head -1)"
  [ -n "$shown" ] && hud="$shown" && viewable && xwininfo -id "$hud" | grep -q 'Override Redirect State: yes' &&
    [ "$(parent_of "$hud")" = "$root" ]
}
holds hud_unmanaged || fail "under i3 the HUD is not shown out of the window manager's hands: $(describe)"
now_at="$(xwininfo -id "$hud" | awk '/Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF} END {print x "," y}')"
[ "$now_at" = "$place" ] || fail "under i3 the HUD stands at $now_at, not at its place $place"
# The user goes back to their terminal under the new manager.
activate_window "$(xdotool search --onlyvisible --name '^PlovaneUserTerminal$' | head -1)"
lands afteri3 || fail "after i3 took over, what was typed did not reach the terminal"
eval "$(xdotool getwindowgeometry --shell "$hud")"
xdotool mousemove $((X + WIDTH - 90)) $((Y + 100))
sleep 1.5
lands afterrest || fail "under i3, with the pointer resting on the pet, what was typed did not reach the terminal"
xdotool mousemove $((X + 40)) $((Y + 98)) click 1
sleep 1
lands afterclick || fail "under i3, after a click on the HUD, what was typed did not reach the terminal"
import -window root "$pictures/$pictures_tag-i3.png" 2>/dev/null
echo "ok: i3 replaced xfwm4, the HUD is out of its hands at its place and leaves the keys with the user's terminal"

old_parent="$root"
start_wm openbox --config-file "$xvfb_lib_dir/openbox-rc.xml" --replace
wait_for 20 wm_is Openbox || fail "openbox did not take over from i3 (window manager: $(wm_name))"
hud_managed() {
  local shown
  shown="$(xdotool search --all --onlyvisible --pid "$app_pid" --name '^Plovane HUD$' 2>/dev/null | head -1)"
  [ -n "$shown" ] && hud="$shown" && xwininfo -id "$hud" | grep -q 'Override Redirect State: no'
}
wait_for 10 hud_managed || fail "after i3 the HUD is not back in a window manager's hands: $(describe)"
check_taken_over Openbox "i3 replaced by openbox"

kill -TERM "$app_pid"
wait_exit 10
[ "$rc" = 0 ] || fail "exit code $rc after SIGTERM"
echo "ok: every check passed"
