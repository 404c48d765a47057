#!/usr/bin/env bash
# The HUD and our windows when the screen changes under them, on a screen of their own
# (up to 3840x1440) under a stacking window manager:
#   - the screen shrinks from 1920x1080 to 1280x720: the HUD stays whole at its own place,
#     40 from the left and 120 above the bottom;
#   - with a dock along the bottom, it shrinks on to 1024x600: the HUD keeps
#     those distances, as after one shrink, clear of the dock;
#   - moved by the user to the bottom right, then the screen shrinks to 800x600: it stays
#     whole at the same distances to the right and bottom edges;
#   - Drain Settings open, the screen shrinks to 1024x600: both are whole on it;
#   - two monitors side by side, the HUD and Drain Settings on the right one, which is
#     taken away and the screen shrinks to the left one: both are whole on the left one;
#   - hidden from the status menu, the screen shrinks, shown again: whole on the screen;
#   - the pet's menu open near the bottom right of 2560x1440, the screen shrinks to
#     1024x600: the menu closes;
#   - the HUD dragged on 2560x1440, the screen shrinks to 1280x720 before the button is let
#     go: the HUD is whole on the screen where it was let go.
# Usage: ScreenChanges.sh <plovane executable> <repository folder> <openbox|xfwm4> <plovane_screen_size>
wm="${3:-openbox}" resize="$4"
if [ -z "${DISPLAY:-}" ]; then echo "no DISPLAY: run inside scripts/test-desktop.sh"; exit 77; fi
command -v "$wm" >/dev/null || { echo "missing $wm"; exit 77; }
for tool in xrandr trayer xterm; do command -v "$tool" >/dev/null || { echo "missing $tool"; exit 77; }; done
source "$2/scripts/xvfb-lib.sh"
XVFB_SCREEN=3840x1440x24 start_xvfb 141 190 || { echo "FAIL: no free X display"; exit 1; }
screen_pid=$xvfb_pid
source "$(dirname "$0")/AppTestLib.sh"
pids+=("$screen_pid")

"$resize" 1920 1080 || fail "the screen could not be set to 1920x1080"
case "$wm" in
  openbox) start_openbox ;;
  xfwm4) xfwm4 --compositor=off --sm-client-disable 9>&- >/dev/null 2>&1 & ;;
esac
pids=("$!" "${pids[@]}")
wm_running() { xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'; }
wait_for 10 wm_running || fail "$wm did not start"
# A tray for the status menu's Show/Hide row, at the top right of the first monitor.
trayer --edge top --align right --widthtype pixel --width 100 --height 24 9>&- >/dev/null 2>&1 &
pids=("$!" "${pids[@]}")

printf '{"quellin.has_shown_welcome": true, "quellin.has_completed_first_run_setup": true, "tessivar.language": "en"}\n' \
  >"$settings_dir/defaults.json"

# The window manager's frame around a client (the client itself when it has none): sets
# FX FY FW FH.
frame_geometry() { # window
  local w="$1" parent
  for _ in 1 2 3 4 5 6; do
    parent="$(xwininfo -children -id "$w" 2>/dev/null | awk '/Parent window id/ {print $4}')"
    { [ -z "$parent" ] || [ "$((parent))" = "$(xwininfo -root | awk '/Window id/ {print $4}' | xargs printf '%d')" ]; } && break
    w="$parent"
  done
  eval "$(xwininfo -id "$w" | awk '/Absolute upper-left X/ {print "FX=" $4} /Absolute upper-left Y/ {print "FY=" $4}
    /Width:/ {print "FW=" $2} /Height:/ {print "FH=" $2}')"
}
# The monitors as "X Y W H" lines.
monitors() { xrandr --listmonitors | sed -n 's/.* \([0-9]*\)\/[0-9]*x\([0-9]*\)\/[0-9]*+\([0-9]*\)+\([0-9]*\).*/\3 \4 \1 \2/p'; }
whole_on_screen() { # window
  xwininfo -id "$1" 2>/dev/null | grep -q IsViewable || return 1
  frame_geometry "$1"
  local mx my mw mh
  while read -r mx my mw mh; do
    [ "$FX" -ge "$mx" ] && [ "$FY" -ge "$my" ] && [ $((FX + FW)) -le $((mx + mw)) ] && [ $((FY + FH)) -le $((my + mh)) ] &&
      return 0
  done < <(monitors)
  return 1
}
at() { # window x y: its frame's top-left corner there
  frame_geometry "$1"
  [ "$FX" = "$2" ] && [ "$FY" = "$3" ]
}
where() { frame_geometry "$1"; echo "${FW}x${FH}+${FX}+${FY} on $(monitors | tr '\n' ';')"; }
shot() { import -window root "$pictures/screen-$wm-$1.png" 2>/dev/null; }
resize_to() { # width height
  "$resize" "$1" "$2" || fail "the screen could not be set to $1x$2"
  wait_for 5 sh -c "xdpyinfo | grep -q 'dimensions: *$1x$2 '" || fail "the screen did not become $1x$2"
}

start_plovane
wait_for 5 at "$hud" 40 740 || fail "the HUD does not start at its own place: $(where "$hud")"

resize_to 1280 720
wait_for 5 at "$hud" 40 380 || fail "after a shrink to 1280x720 the HUD is not at its own place (40, 380): $(where "$hud")"
shot 1280x720
echo "ok: shrunk to 1280x720, the HUD is whole at its own place"

# A dock of 40 px along the bottom.
work_area() { xprop -root _NET_WORKAREA | sed -n 's/.*= \([0-9]*\), \([0-9]*\), \([0-9]*\), \([0-9]*\).*/\1 \2 \3 \4/p'; }
within_work_area() { # window
  local ax ay aw ah
  frame_geometry "$1"
  read -r ax ay aw ah < <(work_area)
  [ "$FX" -ge "$ax" ] && [ "$FY" -ge "$ay" ] && [ $((FX + FW)) -le $((ax + aw)) ] && [ $((FY + FH)) -le $((ay + ah)) ]
}
# The dock: a window that reserves the room, as a panel does (a strut counts from the
# screen's edge, so the room follows the screen as it changes).
xterm 9>&- -title PlovaneDock -geometry 100x2+0+0 -e sleep 600 >/dev/null 2>&1 &
dock_pid=$!
pids=("$dock_pid" "${pids[@]}")
wait_for 10 xdotool search --onlyvisible --name '^PlovaneDock$' || fail "the dock did not map"
xprop -id "$(xdotool search --onlyvisible --name '^PlovaneDock$' | head -1)" -f _NET_WM_STRUT_PARTIAL 32c \
  -set _NET_WM_STRUT_PARTIAL "0, 0, 0, 40, 0, 0, 0, 0, 0, 0, 0, 3839"
wait_for_output 10 "0 0 1280 680" work_area || fail "the dock took no room: work area $(work_area)"
resize_to 1024 600
wait_for_output 10 "0 0 1024 560" work_area || fail "the dock did not follow the screen: work area $(work_area)"
wait_for 5 at "$hud" 40 260 ||
  fail "after a shrink on to 1024x600 the HUD is not 40 from the left and 120 above the bottom (40, 260): $(where "$hud")"
within_work_area "$hud" || fail "after a shrink to 1024x600 the HUD covers the dock: $(where "$hud"), work area $(work_area)"
shot dock-1024x600
echo "ok: with a dock, shrunk on to 1024x600, the HUD keeps its distances to the edges and clear of the dock"
kill "$dock_pid"
wait_for_output 10 "0 0 1024 600" work_area || fail "the dock's room stayed after it went: work area $(work_area)"
resize_to 1280 720

xdotool windowmove "$hud" $((1280 - W - 30)) $((720 - H - 20))
wait_for 5 at "$hud" $((1280 - W - 30)) $((720 - H - 20)) || fail "the HUD could not be moved: $(where "$hud")"
resize_to 800 600
wait_for 5 at "$hud" $((800 - W - 30)) $((600 - H - 20)) ||
  fail "after a shrink to 800x600 the HUD moved by the user is not 30 from the right and 20 from the bottom: $(where "$hud")"
shot 800x600
echo "ok: moved to the bottom right and shrunk to 800x600, the HUD keeps its distance to those edges"

resize_to 1920 1080
whole_on_screen "$hud" || fail "the HUD is not whole after the screen grew: $(where "$hud")"
eval "$(xdotool getwindowgeometry --shell "$hud")"; X=$X Y=$Y
hud_menu Down 2
wait_for 10 xdotool search --onlyvisible --name '^Drain Settings$' || fail "Drain Settings did not open"
drain="$(xdotool search --onlyvisible --name '^Drain Settings$' | head -1)"
xdotool windowmove "$drain" 1400 500
wait_for 5 sh -c "xdotool getwindowgeometry '$drain' | grep -q 'Position: 14'" || fail "Drain Settings could not be moved"
resize_to 1024 600
wait_for 5 whole_on_screen "$drain" || fail "after a shrink to 1024x600 Drain Settings is not whole on the screen: $(where "$drain")"
wait_for 5 whole_on_screen "$hud" || fail "after a shrink to 1024x600 the HUD is not whole on the screen: $(where "$hud")"
shot 1024x600
echo "ok: shrunk to 1024x600, the open Drain Settings and the HUD are whole on the screen"

# Two monitors on one 3840x1080 screen; the HUD and Drain Settings go to the right one.
resize_to 3840 1080
xrandr --setmonitor left 1920/508x1080/286+0+0 screen >/dev/null || fail "the left monitor could not be made"
xrandr --setmonitor right 1920/508x1080/286+1920+0 none >/dev/null || fail "the right monitor could not be made"
xdotool windowmove "$drain" 2500 200
# The user puts the HUD on the right monitor, and again if it did not hold: a window manager
# that has not yet seen the new monitors (xfwm4 on a busy machine) keeps the window it is
# asked to move there just inside the old screen's edge.
at_or_move() { at "$@" || { xdotool windowmove "$@"; false; }; }
wait_for 5 at_or_move "$hud" $((3840 - W - 30)) $((1080 - H - 120)) ||
  fail "the HUD could not be moved to the right monitor: $(where "$hud")"
sleep 0.5
shot two-monitors
xrandr --delmonitor right >/dev/null || fail "the right monitor could not be taken away"
wait_for 5 at "$hud" $((1920 - W - 30)) $((1080 - H - 120)) ||
  fail "with the right monitor gone, the HUD is not at the same place on the left one: $(where "$hud")"
wait_for 5 whole_on_screen "$drain" || fail "with the right monitor gone, Drain Settings is not whole on the left one: $(where "$drain")"
resize_to 1920 1080
sleep 0.5
whole_on_screen "$hud" || fail "the HUD is not whole after the screen shrank to the left monitor: $(where "$hud")"
whole_on_screen "$drain" || fail "Drain Settings is not whole after the screen shrank to the left monitor: $(where "$drain")"
shot monitor-gone
echo "ok: the right monitor taken away and the screen shrunk, the HUD and Drain Settings are whole on the left one"
# The screen's own monitor again, which follows its size.
xrandr --delmonitor left >/dev/null || fail "the left monitor could not be taken away"

# Hidden from the status menu while the screen shrinks, and shown again.
find_icon() {
  for icon in $(xdotool search --onlyvisible --pid "$app_pid" 2>/dev/null); do in_tray "$icon" && return 0; done
  return 1
}
# The status menu's first row, once the menu is open.
menu_open() { xdotool search --onlyvisible --pid "$app_pid" 2>/dev/null | grep -qvxE "$hud|$drain|$icon"; }
toggle_hud() {
  local X Y WIDTH HEIGHT
  eval "$(xdotool getwindowgeometry --shell "$icon")"
  xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) click 1
  wait_for 5 menu_open || fail "the status menu did not open"
  sleep 0.3
  xdotool key Down Return
}
hud_shown() { xdotool search --all --onlyvisible --pid "$app_pid" --name '^Plovane HUD$' >/dev/null 2>&1; }
wait_for 10 find_icon || fail "no status icon in the tray"
xdotool windowmove "$hud" $((1920 - W - 30)) $((1080 - H - 20))
wait_for 5 at "$hud" $((1920 - W - 30)) $((1080 - H - 20)) || fail "the HUD could not be moved: $(where "$hud")"
toggle_hud
wait_for 5 sh -c "! xdotool search --all --onlyvisible --pid $app_pid --name '^Plovane HUD\$'" || fail "Show/Hide did not hide the HUD"
resize_to 1280 720
wait_for 10 find_icon || fail "no status icon in the tray after the shrink"
toggle_hud
wait_for 5 hud_shown || fail "Show/Hide did not show the HUD again"
wait_for 5 at "$hud" $((1280 - W - 30)) $((720 - H - 20)) ||
  fail "shown again after a shrink while hidden, the HUD is not 30 from the right and 20 from the bottom: $(where "$hud")"
shot shown-again
echo "ok: hidden, shrunk to 1280x720 and shown again, the HUD is whole at the same distances to the edges"

# Near the bottom right of a large screen, with the pet's menu open.
at_bottom_right() { # width height
  resize_to "$1" "$2"
  xdotool windowmove "$hud" $(($1 - W - 30)) $(($2 - H - 20))
  wait_for 5 at "$hud" $(($1 - W - 30)) $(($2 - H - 20)) || fail "the HUD could not be moved: $(where "$hud")"
  eval "$(xdotool getwindowgeometry --shell "$hud")"; X=$X Y=$Y
}
at_bottom_right 2560 1440
open_hud_menu
resize_to 1024 600
wait_for 5 not_viewable "$menu" || fail "after a shrink to 1024x600 the pet's menu is still open: $(where "$menu")"
wait_for 5 whole_on_screen "$hud" || fail "after a shrink to 1024x600 the HUD is not whole on the screen: $(where "$hud")"
shot menu-closed
echo "ok: the pet's menu open, shrunk from 2560x1440 to 1024x600, the menu closes"

# Dragged by its card, and the screen shrinks before the button is let go.
at_bottom_right 2560 1440
xdotool mousemove $((X + 40)) $((Y + 98)) mousedown 1
sleep 0.3
xdotool mousemove --sync $((X - 60)) $((Y + 48))
wait_for 5 sh -c "! xwininfo -id $hud | grep -q 'Absolute upper-left X: *$X\$'" || fail "the HUD did not follow the drag: $(where "$hud")"
resize_to 1280 720
sleep 0.3
xdotool mousemove --sync 1270 710
sleep 0.3
xdotool mouseup 1
wait_for 5 whole_on_screen "$hud" || fail "after a shrink during a drag the HUD is not whole on the screen: $(where "$hud")"
shot dragged
echo "ok: shrunk from 2560x1440 to 1280x720 while the HUD was dragged, it is whole on the screen"

eval "$(xdotool getwindowgeometry --shell "$hud")"; X=$X Y=$Y
hud_menu Up 1
wait_exit 10
[ "$rc" = 0 ] || fail "exit code $rc after Quit"
echo "ok: every check passed under $wm"
