#!/usr/bin/env bash
# The status item under an XEmbed system tray (trayer on the test desktop), end to end:
# the icon sits inside the tray's window and shows the pet; a left or right click opens
# the menu beside the icon; a double click leaves the HUD shown and the menu open clear of
# the pointer; the language row switches its titles; "Show/Hide HUD" hides and shows the
# panel; Ctrl+Q in the open menu quits with 0 and today's statistics on disk. Pictures of
# the open menu and its submenus in both languages go to the gallery folder. Then a tray
# started after the program, as at login, and restarted twice: the icon docks each time.
# Last, a desktop without any status area: the program runs on with its HUD and says so
# once.
# Usage: TrayEndToEnd.sh <plovane executable> <repository folder> [gallery folder]
source "$(dirname "$0")/AppTestLib.sh"
source "$(dirname "$0")/TrayLib.sh"

command -v trayer >/dev/null || { echo "no trayer"; exit 77; }
pgrep -x trayer >/dev/null || { echo "no tray running on this desktop"; exit 77; }

printf '{"quellin.has_shown_welcome": true, "quellin.has_completed_first_run_setup": true, "tessivar.language": "en"}\n' \
  >"$settings_dir/defaults.json"

find_icon() {
  for icon in $(xdotool search --onlyvisible --pid "$app_pid" 2>/dev/null); do in_tray "$icon" && return 0; done
  return 1
}
icon_shows_pet() {
  local X Y WIDTH HEIGHT
  eval "$(xdotool getwindowgeometry --shell "$icon")"
  [ "$(dark_pixels "${WIDTH}x${HEIGHT}+${X}+${Y}")" -gt 15 ]
}

start_plovane
wait_for 10 find_icon || fail "no status icon inside the tray's window"
wait_for 5 icon_shows_pet
eval "$(xdotool getwindowgeometry --shell "$icon")"
IX=$X IY=$Y IW=$WIDTH IH=$HEIGHT
pet="$(dark_pixels "${IW}x${IH}+${IX}+${IY}")"
[ "$pet" -gt 15 ] || fail "the status icon looks empty ($pet dark pixels)"
import -window root -crop "${IW}x${IH}+${IX}+${IY}" +repage "$work/icon.png" && convert "$work/icon.png" -scale 800% "$gallery/status-icon-xembed.png"
echo "ok: status icon inside the tray at $IX,$IY ${IW}x${IH}, showing the pet ($pet dark pixels)"

open_menu() { # button
  xdotool mousemove $((IX + IW / 2)) $((IY + IH / 2)) click "$1"
  wait_for_menu "$app_pid" "$hud" "$icon" || fail "button $1 on the icon opened no menu"
}
choose() { # downs: the item that many steps from the top (the slider row counts), then Return
  xdotool key --delay 60 $(yes Down | head -n "$1") Return
  sleep 0.3
}
submenu_picture() { # downs, file
  open_menu 1
  xdotool key --delay 60 $(yes Down | head -n "$1") Right
  sleep 0.6
  import -window root "$work/full.png"
  convert "$work/full.png" -crop 1000x800+280+0 +repage "$2"
  xdotool key Escape Escape
  sleep 0.3
}

open_menu 1
shoot "$menu" "$gallery/status-menu-en.png"
eval "$(xdotool getwindowgeometry --shell "$menu")"
[ "$Y" -gt $((IY + IH - 1)) ] || fail "the menu does not open below the icon (menu at y $Y, icon at $IY+$IH)"
xdotool key Escape
sleep 0.3
echo "ok: a left click opens the menu below the icon"

double_click_icon $((IX + IW / 2)) $((IY + IH / 2)) "$hud" "$icon"
echo "ok: a double click on the icon leaves the HUD shown and the menu open beside the icon"
submenu_picture 11 "$gallery/status-targets-en.png"
submenu_picture 12 "$gallery/status-characters-en.png"

# The language row is the thirteenth step down.
open_menu 3
cp "$gallery/status-menu-en.png" "$work/en.png"
choose 13
wait_for 5 stored_is tessivar.language '"zh"' || fail "the language row did not switch to Chinese ($(stored tessivar.language))"
open_menu 1
shoot "$menu" "$gallery/status-menu-zh.png"
xdotool key Escape
sleep 0.3
changed="$(differing_pixels "$work/en.png" "$gallery/status-menu-zh.png")"
[ "${changed:-0}" -gt 500 ] || fail "the menu looks the same after switching the language ($changed pixels differ)"
submenu_picture 11 "$gallery/status-targets-zh.png"
submenu_picture 12 "$gallery/status-characters-zh.png"
echo "ok: a right click opens the menu, the language row switches it to Chinese ($changed pixels differ)"

open_menu 1
choose 1
wait_for 5 hud_hidden || fail "Show/Hide HUD did not hide the panel"
open_menu 1
choose 1
wait_for 5 hud_visible || fail "Show/Hide HUD did not show the panel again"
echo "ok: Show/Hide HUD hides and shows the panel"

open_menu 1
xdotool key ctrl+q
wait_exit 10
[ "$rc" = 0 ] || fail "exit code $rc after Ctrl+Q"
check_today_saved
echo "ok: Ctrl+Q in the menu quits with 0 and today's statistics saved"

# A tray that starts after plovane, as at login, on an X display of its own, and is
# restarted twice: the icon docks each time, with a line in the log each time.
start_private_display
: >"$work/app.log"
start_plovane
wait_for 10 grep -q "No status area" "$work/app.log" || fail "nothing said about the missing status area"
for round in 1 2 3; do
  trayer --edge top --align right --widthtype pixel --width 100 --height 24 9>&- >/dev/null 2>&1 &
  tray_pid=$!
  pids+=("$tray_pid")
  wait_for 10 find_icon || fail "[start $round] no status icon in a tray started after plovane"
  wait_for_output 5 "$round" shown_count "XEmbed system tray" ||
    fail "[start $round] the log says $(shown_count "XEmbed system tray") times that the icon appeared"
  wait_for 5 icon_shows_pet || fail "[start $round] the docked icon looks empty"
  if [ "$round" -lt 3 ]; then
    kill "$tray_pid"
    wait "$tray_pid" 2>/dev/null
    wait_for 5 bash -c "! xdotool search --onlyvisible --class trayer" || fail "trayer did not go"
    sleep 0.5
    [ -z "$(other_windows "$app_pid" "$hud")" ] || fail "[start $round] a window of ours is left where the tray was"
  fi
done
import -window root "$gallery/status-icon-late-tray.png"
kill -TERM "$app_pid"
wait_exit 10
[ "$rc" = 0 ] || fail "exit code $rc after the trays came and went"
export DISPLAY="$main_display"
echo "ok: a tray started after plovane and restarted twice gets the icon each time"

# No status area at all (a display with no tray): the HUD alone, one line in the log.
: >"$work/app.log"
wait_for_free_knock_port
(cd "$repo" && QT_QPA_PLATFORM=offscreen exec "$app") >>"$work/app.log" 2>&1 &
app_pid=$!
pids+=("$app_pid")
wait_for 10 grep -q "No status area" "$work/app.log" || fail "nothing said about the missing status area"
sleep 1.5
kill -0 "$app_pid" 2>/dev/null || fail "plovane ended without a status area"
[ "$(grep -c "No status area" "$work/app.log")" = 1 ] || fail "the missing status area was reported more than once"
kill -TERM "$app_pid"
wait_exit 10
[ "$rc" = 0 ] || fail "exit code $rc without a status area"
echo "ok: without a status area plovane runs on, says so once and ends normally"
