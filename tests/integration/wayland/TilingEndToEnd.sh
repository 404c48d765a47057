#!/usr/bin/env bash
# Plovane under managers that tile and focus on their own terms: sway (headless, with
# Xwayland) and i3 (its stock configuration, on a virtual X server). The user works in a
# terminal that has the keyboard focus. Checks that
#   - the HUD stands at 40,460 (40 from the left, 120 above the bottom of 1280x800),
#   - the pointer resting on the pet, and a left and a right click on it, leave the
#     keyboard with the terminal: what is typed next reaches it,
#   - after ten hide-and-show cycles the HUD is still at 40,460, and was never booked as
#     the front application,
#   - on sway, with QT_QPA_PLATFORM=wayland in the user's environment (as many sway users
#     have it), the HUD is an X11 window all the same, and the log says so,
#   - on sway at 800x600, an alert of ours (settings that could not be read) is drawn
#     whole, nothing of the HUD over it.
# Usage: TilingEndToEnd.sh sway|i3 <plovane> <repository> <gallery folder> <pointer>
set -uo pipefail
session="$1" app="$2" repo="$3" gallery="$4" pointer="$5"

source "$(dirname "$0")/WaylandTest.sh" tiling "$@"
for tool in xdotool xwininfo xterm lxqt-panel gdbus import compare; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
mkdir -p "$gallery"

source "$(dirname "$0")/WaylandSession.sh"
start_i3() {
  command -v i3 >/dev/null || wayland_skip "i3 is not installed (Debian: i3)"
  source "$repo/scripts/xvfb-lib.sh"
  start_xvfb 141 190 || fail "no virtual X server started"
  pids+=("$xvfb_pid")
  export XDG_RUNTIME_DIR="$work/runtime"
  mkdir -p -m 700 "$XDG_RUNTIME_DIR"
  wayland_session_bus
  # The stock configuration where a user has it: in their own folder, so i3 does not start
  # its first-run wizard (which takes the keyboard).
  mkdir -p "$work/i3-home/.config/i3"
  cp /etc/i3/config "$work/i3-home/.config/i3/config"
  HOME="$work/i3-home" XDG_CONFIG_HOME="$work/i3-home/.config" i3 >"$work/i3.log" 2>&1 9>&- &
  pids+=($!)
  wayland_wait 10 i3-msg -t get_version || fail "i3 did not start: $(tail -3 "$work/i3.log")"
}
case "$session" in
  sway)
    wayland_start sway
    # A pointer on the seat, which sway's cursor commands then move and click.
    "$pointer" >"$work/pointer.out" 2>&1 9>&- &
    pids+=($!)
    wayland_wait 5 grep -q ready "$work/pointer.out" || fail "no virtual pointer: $(cat "$work/pointer.out")"
    ;;
  i3) start_i3 ;;
  *) fail "no such session: $session" ;;
esac

wayland_user_home
export PLOVANE_LOG=debug

# A StatusNotifierItem host, started first so that the user's terminal takes the focus after
# it: the status item's exported menu is how the HUD is hidden and shown.
wayland_status_panel

# The user's terminal: everything typed into it lands in $typed.
typed="$work/typed"
: >"$typed"
if [ "$session" = sway ]; then
  command -v foot >/dev/null || wayland_skip "foot is not installed (Debian: foot)"
  foot sh -c "cat >$typed" >"$work/client.log" 2>&1 9>&- &
  type_text() { wtype "$1"; }
else
  xterm -title PlovaneUserTerminal -e sh -c "cat >$typed" >/dev/null 2>&1 9>&- &
  type_text() { xdotool type --delay 30 "$1"; }
fi
pids+=($!)
lands() { # word: types it with Return, true when it reached the terminal
  type_text "$1"$'\n'
  wayland_wait 3 grep -q "$1" "$typed"
}
wayland_wait 40 lands ready || fail "the terminal never took what was typed"

[ "$session" = sway ] && export QT_QPA_PLATFORM=wayland
(cd "$repo" && exec "$app" 9>&-) >>"$work/app.log" 2>&1 &
app_pid=$!
pids+=("$app_pid")
unset QT_QPA_PLATFORM
hud_visible() { xdotool search --all --onlyvisible --pid "$app_pid" --name '^Plovane HUD$' >/dev/null 2>&1; }
hud_hidden() { ! hud_visible; }
wayland_wait 20 hud_visible || fail "no HUD window on the X display"
hud="$(xdotool search --all --onlyvisible --pid "$app_pid" --name '^Plovane HUD$' | head -1)"
if [ "$session" = sway ]; then
  grep -q "QT_QPA_PLATFORM names Wayland, but Plovane's windows use X11" "$work/app.log" ||
    fail "no line says why QT_QPA_PLATFORM=wayland was not followed"
  echo "ok: with QT_QPA_PLATFORM=wayland the HUD is an X11 window, and the log says why"
fi
position() { xwininfo -id "$hud" | awk '/Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF} END {print x "," y}'; }
sleep 1
[ "$(position)" = "40,460" ] || fail "the HUD stands at $(position), not at 40,460"
lands afterhud || fail "what was typed after the HUD appeared did not reach the terminal"
echo "ok: the HUD stands at 40,460 and the terminal kept the focus"

# The pet, where the other end-to-end tests find it.
pet_x=$((40 + 392 - 90)) pet_y=$((460 + 100))
pointer_to() {
  if [ "$session" = sway ]; then swaymsg -q seat - cursor set "$1" "$2"; else xdotool mousemove "$1" "$2"; fi
}
click() { # button number
  if [ "$session" = sway ]; then
    swaymsg -q seat - cursor press "button$1" && swaymsg -q seat - cursor release "button$1"
  else
    xdotool click "$1"
  fi
}
pointer_to "$pet_x" "$pet_y"
sleep 1.5
lands afterrest || fail "with the pointer resting on the pet, what was typed did not reach the terminal"
echo "ok: the pointer resting on the pet leaves the keyboard with the terminal"
# A picture of the HUD over the terminal: sway's own (grim, where installed), or the X screen's.
if [ "$session" = sway ]; then
  ! command -v grim >/dev/null || grim -g "0,420 480x300" "$gallery/tiling-$session-hud.png" 2>/dev/null
else
  import -window root -crop 480x300+0+420 +repage "$gallery/tiling-$session-hud.png" 2>/dev/null
fi

ticks() { grep -c 'debug: tick:' "$work/app.log"; }
click 1
wayland_wait 5 sh -c "grep 'debug: tick:' '$work/app.log' | tail -1 | grep -q '> Resting'" ||
  fail "a left click on the pet did not start the break: $(grep 'debug: tick:' "$work/app.log" | tail -1)"
lands afterleft || fail "after a left click on the pet, what was typed did not reach the terminal"
click 1
echo "ok: a left click on the pet starts the break and leaves the keyboard with the terminal"

known="$(xdotool search --all --onlyvisible --pid "$app_pid" 2>/dev/null | sort)"
click 3
menu_open() { [ "$(xdotool search --all --onlyvisible --pid "$app_pid" 2>/dev/null | sort)" != "$known" ]; }
wayland_wait 5 menu_open || fail "a right click on the pet opened no menu"
menu_closed() { ! menu_open; }
if [ "$session" = sway ]; then
  # The menu holds the X keyboard only: the compositor's keyboard stays with the terminal,
  # and the user closes the menu with a click beside it, on the HUD's card. sway would
  # hand the keyboard to an unmanaged window that is not typed as a menu.
  for w in $(comm -13 <(echo "$known") <(xdotool search --all --onlyvisible --pid "$app_pid" | sort)); do
    xprop -id "$w" _NET_WM_WINDOW_TYPE | grep -q _NET_WM_WINDOW_TYPE_POPUP_MENU ||
      fail "the pet's menu is not typed as a popup menu: $(xprop -id "$w" _NET_WM_WINDOW_TYPE)"
  done
  lands afterright || fail "after a right click on the pet, what was typed did not reach the terminal"
  pointer_to 80 620
  click 1
  wayland_wait 5 menu_closed || fail "the pet's menu did not close on a click beside it"
else
  xdotool key Escape
  wayland_wait 5 menu_closed || fail "the pet's menu did not close on Escape"
fi
lands aftermenu || fail "after the pet's menu closed, what was typed did not reach the terminal"
echo "ok: a right click on the pet opens its menu and leaves the keyboard with the terminal"

# Hidden and shown ten times from the status item's menu.
wayland_wait 10 wayland_hud_toggle "$app_pid" ||
  fail "the status item is not registered with the panel, or has no Show/Hide HUD row"
for cycle in $(seq 1 10); do
  wayland_toggle_hud && wayland_wait 5 hud_hidden ||
    fail "[cycle $cycle] the HUD did not hide"
  wayland_toggle_hud && wayland_wait 5 hud_visible || fail "[cycle $cycle] the HUD did not show again"
done
sleep 1
hud="$(xdotool search --all --onlyvisible --pid "$app_pid" --name '^Plovane HUD$' | head -1)"
[ "$(position)" = "40,460" ] || fail "after ten hide-and-show cycles the HUD stands at $(position)"
lands aftercycles || fail "after the hide-and-show cycles, what was typed did not reach the terminal"
echo "ok: after ten hide-and-show cycles the HUD stands at 40,460 and the terminal has the focus"

kill -TERM "$app_pid"
wayland_wait 10 process_ended "$app_pid" || fail "plovane still running after SIGTERM"
day="$settings_dir/days/$(date +%F).json"
[ -s "$day" ] || fail "no day file"
booked="$(tr -d ' \n' <"$day" | grep -o "\"appDurations\":{[^}]*}")"
[[ "$booked" == *'"org.plovane.Plovane"'* ]] && fail "the HUD was booked as the front application: $booked"
echo "ok: the day file books no time to Plovane itself ($booked)"

[ "$session" = sway ] || exit 0
# sway draws windows no manager handles over all others: an alert of ours on a screen small
# enough for the HUD to lie over it must be drawn whole all the same.
command -v grim >/dev/null || { echo "skipped: grim is not installed, the alert over the HUD is not looked at"; exit 0; }
swaymsg -q output HEADLESS-1 resolution 800x600 || fail "the output could not be set to 800x600"
echo 'not settings' >"$settings_dir/defaults.json"
(cd "$repo" && exec "$app" 9>&-) >>"$work/app.log" 2>&1 &
app_pid=$!
pids+=("$app_pid")
# Ours, shown and typed as a dialog (the first-run window comes up beside it).
alert_shown() {
  local w
  for w in $(xdotool search --all --onlyvisible --pid "$app_pid" --name . 2>/dev/null); do
    xprop -id "$w" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q _NET_WM_WINDOW_TYPE_DIALOG && alert="$w" && return 0
  done
  return 1
}
wayland_wait 20 alert_shown || fail "no alert about the unreadable settings"
hud="$(xdotool search --all --pid "$app_pid" --name '^Plovane HUD$' | head -1)"
sleep 2
geometry() { # window: its X Y W H
  xwininfo -id "$1" | awk '/Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF}
    /Width:/ {w = $2} /Height:/ {h = $2} END {print x, y, w, h}'
}
read -r AX AY AW AH < <(geometry "$alert")
read -r HX HY HW HH < <(geometry "$hud")
[ $((HX < AX + AW && AX < HX + HW && HY < AY + AH && AY < HY + HH)) = 1 ] ||
  fail "the HUD ($HW x $HH at $HX,$HY) does not lie where the alert ($AW x $AH at $AX,$AY) is: nothing to see here"
# The alert as the compositor shows it, against the alert's own picture.
covered() {
  grim -g "$AX,$AY ${AW}x$AH" "$work/alert-shown.png" 2>/dev/null &&
    import -window "$alert" "$work/alert-own.png" 2>/dev/null || return 0
  differing="$(compare -metric AE -fuzz 10% "$work/alert-shown.png" "$work/alert-own.png" null: 2>&1)"
  [ "${differing%% *}" -gt $((AW * AH / 100)) ]
}
for _ in $(seq 1 10); do covered || break; sleep 0.5; done
if covered; then
  grim "$gallery/tiling-$session-alert-failure.png" 2>/dev/null
  cp "$work/alert-shown.png" "$work/alert-own.png" "$gallery/" 2>/dev/null
  fail "the alert is drawn with the HUD over it: $differing of its $((AW * AH)) pixels differ from its own picture"
fi
grim "$gallery/tiling-$session-alert.png" 2>/dev/null
echo "ok: at 800x600 the alert about the unreadable settings is drawn whole, nothing of the HUD over it"
