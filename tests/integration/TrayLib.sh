# Shared by the status-item tests: the menu's pictures, finding our status icon and the
# menu once it is open. Source it after AppTestLib.sh; the gallery folder is the third
# argument of the test.
gallery="${3:-$work/gallery}"
mkdir -p "$gallery"

hud_visible() { xdotool search --all --onlyvisible --pid "$app_pid" --name '^Plovane HUD$' >/dev/null 2>&1; }
hud_hidden() { ! hud_visible; }
stored() { grep -o "\"$1\": *[^,}]*" "$settings_dir/defaults.json" 2>/dev/null | sed 's/.*: *//'; }
stored_is() { [ "$(stored "$1")" = "$2" ]; }

# Screenshot of a window's area plus a margin, for the gallery.
shoot() { # window, file
  local X Y WIDTH HEIGHT
  eval "$(xdotool getwindowgeometry --shell "$1")"
  sleep 0.3
  import -window root -crop "$((WIDTH + 16))x$((HEIGHT + 16))+$((X > 8 ? X - 8 : 0))+$((Y > 8 ? Y - 8 : 0))" +repage "$2" ||
    fail "cannot take a picture of window $1"
}
# Dark pixels (the pet's outline) in an area of the screen.
dark_pixels() { # WxH+X+Y
  import -window root -crop "$1" +repage "$work/area.png" 2>/dev/null
  convert "$work/area.png" -alpha off -fx '(r < 0.3 && g < 0.3 && b < 0.3) ? 1 : 0' -format '%[fx:round(mean*w*h)]' info:
}
# How many pixels two pictures differ in.
differing_pixels() { compare -metric AE -fuzz 5% "$1" "$2" null: 2>&1 | cut -d' ' -f1; }

# The day's record holds the booked seconds.
check_today_saved() {
  local day; day="$(today_file)"
  [ -s "$day" ] || fail "today's statistics not saved ($day missing)"
  grep -q 'stateDurations' "$day" || fail "today's record has no stateDurations: $(cat "$day")"
}

# Whether a window (the open menu) lies clear of a point (the pointer that opened it).
clear_of() { # window x y
  local X Y WIDTH HEIGHT
  eval "$(xdotool getwindowgeometry --shell "$1")"
  [ "$2" -lt "$X" ] || [ "$2" -ge $((X + WIDTH)) ] || [ "$3" -lt "$Y" ] || [ "$3" -ge $((Y + HEIGHT)) ]
}
# Users double-click status icons out of habit: afterwards the HUD is still shown and the
# menu is open beside the icon, clear of the pointer. Sets $menu.
double_click_icon() { # x y, windows of ours to tell the menu from
  local x="$1" y="$2"; shift 2
  xdotool mousemove "$x" "$y" click --repeat 2 --delay 120 1
  sleep 1
  hud_visible || fail "a double click on the status icon hid the HUD"
  wait_for_menu "$app_pid" "$@" || fail "no menu open after a double click on the status icon"
  clear_of "$menu" "$x" "$y" || fail "the menu opened under the pointer: $(xdotool getwindowgeometry "$menu")"
  shoot "$menu" "$work/double-click.png"
  xdotool key Escape
  sleep 0.3
}
# Lines of the log that say the item appeared in a status area of this kind.
shown_count() { grep -c "Status item shown by the $1" "$work/app.log"; }

# An X display of its own, for a test that starts and stops its tray: DISPLAY is set to it,
# and $main_display keeps the test desktop's.
start_private_display() {
  main_display="$DISPLAY"
  source "$repo/scripts/xvfb-lib.sh"
  start_xvfb 141 190 || fail "no private X server started"
  pids+=("$xvfb_pid")
}
