#!/usr/bin/env bash
# End to end on the test desktop: start plovane with a private home, check that the HUD
# panel maps at its default place without taking focus, knock on port 8765 and see the
# knock badge, quit from the HUD's own menu, and check the exit code and today's
# statistics on disk. Started from /, it finds its own data; a copy without data says so.
# Usage: AppEndToEnd.sh <plovane executable> <repository folder>
source "$(dirname "$0")/AppTestLib.sh"

# Knock hint on; the one-time welcome and first-run setup already behind us; English menus.
cat >"$settings_dir/defaults.json" <<'JSON'
{"quellin.knock_hint_enabled": true, "quellin.has_shown_welcome": true,
 "quellin.has_completed_first_run_setup": true, "tessivar.language": "en"}
JSON

coat_pixels() { # pixels of the built-in terrier's coat colour in the HUD's area on screen
  import -window root -crop "${W}x${H}+${X}+${Y}" +repage "$work/pet.png" 2>/dev/null
  convert "$work/pet.png" -alpha off -fuzz 3% -fill white -opaque '#a39a86' -fill black +opaque white \
    -format '%[fx:round(mean*w*h)]' info:
}
red_pixels() { # strongly red pixels in the HUD's area on screen
  import -window root -crop "${W}x${H}+${X}+${Y}" +repage "$work/shot.png" 2>/dev/null
  convert "$work/shot.png" -alpha off -fx '(r > 0.75 && g < 0.4 && b < 0.4) ? 1 : 0' \
    -format '%[fx:round(mean*w*h)]' info:
}

start_focus_probe
start_plovane
read -r _ screen_h < <(xdotool getdisplaygeometry)
# Its lower-left corner sits 40 from the left and 120 above the bottom of the screen.
[ "$H" = 220 ] && [ "$W" -ge 340 ] || fail "panel is ${W}x${H}, expected 220 high and at least 340 wide"
[ "$X" = 40 ] && [ $(( Y + H )) = $(( screen_h - 120 )) ] ||
  fail "panel at $X,$Y (${W}x${H}), expected its lower-left corner at 40,$(( screen_h - 120 ))"
[ "$(xdotool getactivewindow)" = "$probe" ] || fail "showing the HUD took the focus"
# An accessory: nothing of ours in the taskbar or the pager.
xprop -id "$hud" _NET_WM_STATE | grep -q _NET_WM_STATE_SKIP_TASKBAR || fail "the HUD shows in the taskbar"
# Besides the HUD, only the status icon is ours on screen (embedded in the tray).
others="$(for w in $(xdotool search --onlyvisible --pid "$app_pid"); do
  [ "$w" = "$hud" ] || in_tray "$w" || echo "$w"; done | wc -l)"
[ "$others" = 0 ] || fail "plovane mapped more than its HUD and its status icon"
echo "ok: panel maps at $X,$Y ${W}x${H}, off the taskbar, and the user's window keeps the focus"

# Started from /, the program built here still finds its sprites: the pet is drawn.
pet="$(coat_pixels)"
[ "$pet" -gt 200 ] || fail "no pet on the HUD ($pet pixels of its coat)"
grep -q "were not found" "$work/app.log" && fail "the data was reported missing"
echo "ok: started from /, the pet is drawn ($pet pixels of its coat)"

# A left click on the pet rests it, and still leaves the focus where it was.
xdotool mousemove $(( X + ${PLOVANE_E2E_SPRITE_X:-$(( W - 90 ))} )) $(( Y + ${PLOVANE_E2E_SPRITE_Y:-100} )) click 1
sleep 0.5
[ "$(xdotool getactivewindow)" = "$probe" ] || fail "a click on the pet took the focus"
xdotool mousemove 900 300
echo "ok: a click on the pet leaves the focus with the user's window"

# Knock: the badge shows for 3 s.
before="$(red_pixels)"
wait_for 10 bash -c 'exec 3<>/dev/tcp/127.0.0.1/8765 && printf "KNOCK\n" >&3' || fail "knock port not listening"
wait_for 5 grep -q "Knock received: show hint + beep." "$work/app.log" || fail "knock not received"
sleep 0.7
during="$(red_pixels)"
cp "$work/shot.png" "$pictures/knock.png" 2>/dev/null
[ "$during" -gt $(( before + 20 )) ] || fail "no knock badge: $before red pixels before, $during after"
sleep 3.5
after="$(red_pixels)"
[ "$after" -lt $(( during - 20 )) ] || fail "knock badge still shown after 4 s ($after red pixels)"
echo "ok: knock badge appeared ($before -> $during red pixels) and went away ($after)"

hud_menu Up 1
wait_exit 10
[ "$rc" = 0 ] || fail "exit code $rc after Quit"
echo "ok: Quit from the HUD menu exits with 0"

day="$(today_file)"
[ -s "$day" ] || fail "today's statistics not saved ($day missing)"
grep -q 'stateDurations' "$day" || fail "today's record has no stateDurations: $(cat "$day")"
grep -q 'Resting' "$day" || fail "the rest started by the click was not booked: $(cat "$day")"
echo "ok: today's statistics saved: $(cat "$day")"

# A copy of the program away from any data says once where it looked.
mkdir -p "$work/elsewhere"
cp "$app" "$work/elsewhere/plovane"
missing="$(cd "$work/elsewhere" && QT_QPA_PLATFORM=offscreen timeout 5 ./plovane 2>&1 9>&-)"
[ "$(grep -c "were not found; looked in: $work/elsewhere/TessivarNative" <<<"$missing")" = 1 ] ||
  fail "missing data was not reported once with the folder searched: $missing"
echo "ok: without its data the program says where it looked"
