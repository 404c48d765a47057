#!/usr/bin/env bash
# The pet's menu in a headless sway session, where the program's windows are X11 ones
# under Xwayland and the user's terminal (foot) is native: the X server never hears of the
# terminal's keys and clicks, and the keyboard stays with the terminal while the menu is
# open. A mouse of the test's own, whose moves and clicks the compositor handles as a real
# mouse's, checks that the menu
#   - stays open while the user does nothing and while the pointer moves over it,
#   - closes on Escape (which the terminal receives as well),
#   - closes on a click into the terminal,
# and that the terminal keeps the keyboard throughout, and the HUD is back to its idle look
# within a second of the menu closing with the pointer away.
# Usage: WaylandMenus.sh <plovane> <repository> <mouse>
set -uo pipefail
app="$1" repo="$2" mouse="$3"
session=sway

source "$(dirname "$0")/WaylandTest.sh" menus "$@"
command -v xdotool >/dev/null || { echo "skipped: xdotool is not installed"; exit 77; }

source "$(dirname "$0")/WaylandSession.sh"
wayland_start sway
command -v foot >/dev/null || wayland_skip "foot is not installed (Debian: foot)"
mkfifo "$work/mouse"
"$mouse" 1280 800 <"$work/mouse" >"$work/mouse.out" 2>&1 9>&- &
pids+=($!)
exec 7>"$work/mouse"

wayland_user_home
export XDG_SESSION_TYPE=wayland
unset QT_QPA_PLATFORM

typed="$work/typed"
foot sh -c "cat >$typed" >"$work/client.log" 2>&1 9>&- &
pids+=($!)
lands() { # word: typed with Return, true when it reached the terminal
  wayland_type "$1"$'\n'
  wayland_wait 3 grep -q "$1" "$typed"
}
wayland_wait 40 lands ready || fail "the terminal never took what was typed"

(cd "$repo" && exec "$app" 9>&-) >>"$work/app.log" 2>&1 &
app_pid=$!
pids+=("$app_pid")
wayland_wait 20 xdotool search --onlyvisible --name '^Plovane HUD$' || fail "no HUD window on Xwayland's display"
sleep 1
hud="$(xdotool search --onlyvisible --name '^Plovane HUD$' | head -1)"
eval "$(xdotool getwindowgeometry --shell "$hud")"
pet_x=$((X + WIDTH - 90)) pet_y=$((Y + 100))
# Somewhere in the terminal, clear of the HUD and of a menu opened at the pet.
term_x=$((X + WIDTH + 300)) term_y=$((Y > 200 ? 60 : Y + HEIGHT + 60))

# Each command is answered once the compositor has it.
answers=0
answered() { [ "$(grep -c ok "$work/mouse.out")" -gt "$answers" ]; }
mouse() { # command...
  echo "$*" >&7
  wayland_wait 5 answered || fail "the mouse did not answer \"$*\": $(cat "$work/mouse.out")"
  answers=$((answers + 1))
}
pointer_to() { mouse move "$1" "$2"; last_x="$1" last_y="$2"; }
# Moves there in small steps, as a hand moves a mouse, from where `pointer_to` last put
# it: each window on the way hears the pointer come and go.
glide_to() {
  local from_x="$last_x" from_y="$last_y" step
  for step in $(seq 1 40); do
    pointer_to $((from_x + ($1 - from_x) * step / 40)) $((from_y + ($2 - from_y) * step / 40))
  done
}
click() { mouse click "$1"; }
known="$(xdotool search --all --onlyvisible --pid "$app_pid" 2>/dev/null | sort)"
menu_open() { [ "$(xdotool search --all --onlyvisible --pid "$app_pid" 2>/dev/null | sort)" != "$known" ]; }
menu_closed() { ! menu_open; }
open_menu() {
  pointer_to "$pet_x" "$pet_y"
  sleep 0.3
  click 3
  wayland_wait 5 menu_open || fail "a right click on the pet opened no menu"
  menu="$(comm -13 <(echo "$known") <(xdotool search --all --onlyvisible --pid "$app_pid" 2>/dev/null | sort) | head -1)"
}

# The HUD's look, from its own pixels: the mean brightness of the window, faint at idle
# and the dark panel at full strength when hovered.
look() {
  import -window "$hud" "$work/hud.png" 2>/dev/null
  convert "$work/hud.png" -alpha off -colorspace gray -format '%[fx:round(1000*mean)]' info:
}
distance() { local d=$(($1 - $2)); echo "${d#-}"; }
pointer_to "$term_x" "$term_y"
sleep 2
idle="$(look)"
pointer_to "$pet_x" "$pet_y"
sleep 1.5
hovered="$(look)"
span="$(distance "$hovered" "$idle")"
[ "$span" -gt 25 ] || fail "the hovered HUD does not stand out from the idle one ($idle, $hovered)"
idle_again() { # what closed the menu
  sleep 1
  local now; now="$(look)"
  [ "$(($(distance "$now" "$idle") * 2))" -lt "$span" ] ||
    fail "a second after $1 with the pointer in the terminal the HUD still looks hovered ($now; idle $idle, hovered $hovered)"
}

open_menu
sleep 3
menu_open || fail "the menu closed while the user did nothing"
eval "$(xdotool getwindowgeometry --shell "$menu")"
for step in 1 2 3 4; do
  pointer_to $((X + 10 * step)) $((Y + HEIGHT / 2))
  sleep 0.6
done
menu_open || fail "the menu closed while the pointer moved over it"
echo "ok: the menu stays open while the user does nothing and while the pointer moves over it"

# The user reads the menu a moment, then presses Escape: the key goes to the terminal.
sleep 1.5
wtype -k Escape
wayland_wait 1 menu_closed || fail "the menu stayed open a second after Escape"
lands afterescape || fail "after Escape, what was typed did not reach the terminal"
glide_to "$term_x" "$term_y"
idle_again "Escape"
echo "ok: Escape closes the menu, and the terminal keeps the keyboard"

open_menu
sleep 1.5
glide_to "$term_x" "$term_y"
sleep 0.5 # aiming at the text
click 1
wayland_wait 2 menu_closed || fail "the menu stayed open two seconds after a click into the terminal"
idle_again "a click into the terminal"
lands afterclick || fail "after the click into it, what was typed did not reach the terminal"
echo "ok: a click into the terminal closes the menu; each time the HUD is back to its idle look ($idle; hovered $hovered)"
