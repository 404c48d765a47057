#!/usr/bin/env bash
# The pet's right-click menu, end to end, in both languages: however the menu closes (an
# item that opens a window, the language switch, Escape, a click elsewhere, the keyboard
# focus going to another window), once the pointer is away the HUD is back to its idle
# look within a second: as faint as the idle opacity says and the pet at its own size,
# judged from the screen's pixels.
# Usage: MenuEndToEnd.sh <plovane executable> <repository folder>
source "$(dirname "$0")/AppTestLib.sh"

printf '{"quellin.has_shown_welcome": true, "quellin.has_completed_first_run_setup": true, "tessivar.language": "en"}\n' \
  >"$settings_dir/defaults.json"
start_focus_probe
# A second application, which takes the keyboard while a menu is open.
xmessage 9>&- -title PlovaneOtherWindow -geometry +700+300 "another application" 2>/dev/null &
pids+=($!)
wait_for 10 xdotool search --name '^PlovaneOtherWindow$' || fail "the second window did not map"
other="$(xdotool search --name '^PlovaneOtherWindow$' | head -1)"
activate_window "$probe"
start_plovane
pet_x=$((X + ${PLOVANE_E2E_SPRITE_X:-$((W - 90))})) pet_y=$((Y + ${PLOVANE_E2E_SPRITE_Y:-100}))
away() { xdotool mousemove 1270 790; }

# The mean brightness of the HUD's area: faint at idle, the dark panel at full strength
# when hovered.
strength() {
  import -window root -crop "${W}x${H}+${X}+${Y}" +repage "$work/hud.png" 2>/dev/null
  convert "$work/hud.png" -colorspace gray -format '%[fx:round(1000*mean)]' info:
}
away
sleep 2
idle="$(strength)"
xdotool mousemove "$pet_x" "$pet_y"
sleep 1.2
hovered="$(strength)"
echo "HUD strength: idle $idle, hovered $hovered"
distance() { local d=$(($1 - $2)); echo "${d#-}"; }
span="$(distance "$hovered" "$idle")"
[ "$span" -gt 25 ] || fail "the hovered HUD does not stand out from the idle one ($idle, $hovered)"
import -window root -crop "${W}x${H}+${X}+${Y}" +repage "$pictures/menu-hover-hovered.png"

back_to_idle() { # what closed the menu
  sleep 1
  local now; now="$(strength)"
  # Nearer the idle look than halfway to the hovered one.
  [ "$(($(distance "$now" "$idle") * 2))" -lt "$span" ] || {
    cp "$work/hud.png" "$pictures/menu-hover-stuck.png"
    fail "a second after $1 with the pointer away the HUD still looks hovered ($now; idle $idle, hovered $hovered)"
  }
  echo "ok: after $1 the HUD is back to its idle look ($now)"
}
our_windows() { xdotool search --all --onlyvisible --pid "$app_pid" 2>/dev/null | sort; }
menu_closed() { [ "$(our_windows)" = "$known" ]; }
# Closes every window of ours but the HUD (the report, the settings).
close_our_windows() {
  for w in $(xdotool search --onlyvisible --pid "$app_pid" 2>/dev/null); do
    [ "$w" = "$hud" ] || xdotool windowclose "$w" 2>/dev/null
  done
  sleep 0.5
}
# Picks the item `downs` steps down in the pet's menu, then leaves.
choose_and_leave() { # downs, what it is
  open_hud_menu
  xdotool key --delay 120 $(yes Down | head -n "$1") Return
  away
  back_to_idle "$2"
  close_our_windows
}
for round in en zh; do
  choose_and_leave 7 "\"Daily Report\" ($round)"
  choose_and_leave 2 "\"Drain Settings\" ($round)"
  open_hud_menu
  xdotool key Escape
  away
  back_to_idle "Escape ($round)"
  open_hud_menu
  xdotool mousemove 640 700 click 1
  away
  back_to_idle "a click elsewhere ($round)"
  # Another window takes the keyboard while the menu is open (a window manager's switch,
  # a dialog of another program): the menu closes.
  known="$(our_windows)"
  open_hud_menu
  menu_closed && fail "no menu opened over the pet ($round)"
  xdotool windowactivate "$other" 2>/dev/null
  away
  wait_for 1 menu_closed || fail "the menu stayed open a second after another window took the focus ($round)"
  back_to_idle "another window taking the focus ($round)"
  xdotool windowactivate "$probe" 2>/dev/null
  # Last, the language switch: the next round reads the other language.
  choose_and_leave 6 "the language switch ($round)"
done
import -window root -crop "${W}x${H}+${X}+${Y}" +repage "$pictures/menu-hover-idle.png"
