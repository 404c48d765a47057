#!/usr/bin/env bash
# End to end on the test desktop, in both languages: import a character pack from the
# status menu through the real file dialog (a path typed into it), see the success alert,
# and after OK find the new character in the HUD, in the settings and marked in the
# character menu. The dialog, its refusal of a typed path to a file that is not a ZIP
# archive, and the alert all come above the HUD, which is back above other windows after.
# A pack copied into the folder by hand is listed when the menu next opens. The
# open-folder item hands the packs folder to xdg-open (a stand-in on PATH that records
# what it was asked).
# Given a desktop (GNOME, KDE or XFCE), on a screen of its own with that desktop's window
# manager and the variables its sessions set (by which Qt picks its platform theme and its
# dialogs): the dialog and the alert, opened while the user types in an editor, each come
# up in front of the editor and above the HUD and take the keyboard, in both languages.
# Usage: CharacterPackImport.sh <plovane executable> <repository folder> [GNOME|KDE|XFCE]
desktop="${3:-}"
source "$(dirname "$0")/AppTestLib.sh"
source "$(dirname "$0")/TrayLib.sh" "$1" "$2" "$pictures"
command -v zip >/dev/null || { echo "missing zip"; exit 77; }
pgrep -x trayer >/dev/null || { echo "no tray running on this desktop"; exit 77; }

packs="$XDG_DATA_HOME/Plovane/Sprites"
export TMPDIR="$work/tmp"
mkdir -p "$TMPDIR" "$work/bin"
cat >"$work/bin/xdg-open" <<SH
#!/bin/sh
printf '%s\n' "\$@" >>"$work/xdg-open.log"
SH
chmod +x "$work/bin/xdg-open"
export PATH="$work/bin:$PATH"

# A pack whose five sprites are one plain colour that neither built-in character has.
make_pack() { # folder, manifest name, colour, archive
  mkdir -p "$work/src/$1"
  printf '{"name": "%s"}' "$2" >"$work/src/$1/manifest.json"
  for key in deep_dive reading hovering resting critical; do
    convert -size 32x32 "xc:$3" "PNG32:$work/src/$1/sprite_${key}_32.png"
  done
  (cd "$work/src" && zip -qr "$4" "$1")
}
colour_in() { # fx test, x, y, w, h: pixels of that colour in that area of the screen
  import -window root -crop "${4}x${5}+${2}+${3}" +repage "$work/area.png" 2>/dev/null
  convert "$work/area.png" -alpha off -fx "($1) ? 1 : 0" -format '%[fx:round(mean*w*h)]' info:
}
# Whether more than 200 pixels of the area show the colour; sets $shown to their number.
shows_colour() { shown="$(colour_in "$@")"; [ "$shown" -gt 200 ]; } # fx test, x, y, w, h
# Also when the idle HUD shows it faded over the grey desktop.
magenta='r - g > 0.25 && b - g > 0.25 && abs(r - b) < 0.1'
cyan='g - r > 0.25 && b - r > 0.25 && abs(g - b) < 0.1'
window_named() { xdotool search --onlyvisible --name "^$1\$" | head -1; }
windows_named() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | wc -l; }
# Whether window a is stacked above window b, as the window manager lists them.
stacked_above() { # a b
  local i=0 ia="" ib="" w
  for w in $(xprop -root _NET_CLIENT_LIST_STACKING | grep -o '0x[0-9a-f]*'); do
    [ "$((w))" = "$1" ] && ia=$i
    [ "$((w))" = "$2" ] && ib=$i
    i=$((i + 1))
  done
  [ -n "$ia" ] && [ -n "$ib" ] && [ "$ia" -gt "$ib" ]
}
press_ok() { # alert title
  local alert; alert="$(window_named "$1")"
  activate_window "$alert"
  xdotool key Return
  wait_for 5 bash -c "! xdotool search --onlyvisible --name '^$1\$'" || fail "OK did not close the alert"
}

# The status menu: the character submenu is twelve steps down; in it, the import row is
# two steps up from the first character (wrapping round), the folder row one.
# Our window inside the tray's window. The walk up stops at the root, whose parent 0x0
# would make xprop wait for a click.
inside_tray() { # window
  local w="$1" root
  root="$(xwininfo -root 2>/dev/null | awk '/Window id/ {print $4}')"
  for _ in 1 2 3 4 5 6; do
    w="$(xwininfo -children -id "$w" 2>/dev/null | awk '/Parent window id/ {print $4}')"
    [ -n "$w" ] && [ "$w" != 0x0 ] && [ "$w" != "$root" ] || return 1
    xprop -id "$w" WM_CLASS 2>/dev/null | grep -q '"trayer"' && return 0
  done
  return 1
}
find_icon() {
  for icon in $(xdotool search --onlyvisible --pid "$app_pid" 2>/dev/null); do inside_tray "$icon" && return 0; done
  return 1
}
open_character_menu() {
  wait_for 10 find_icon || fail "no status icon inside the tray's window"
  xdotool mousemove --window "$icon" 5 5 click 1
  wait_for_menu "$app_pid" "$hud" "$icon" || fail "a click on the icon opened no menu"
  main_menu="$menu"
  xdotool key --delay 60 $(yes Down | head -n 12) Right
  wait_for_menu "$app_pid" "$hud" "$icon" "$main_menu" || fail "the character submenu did not open"
  sleep 0.4
}
open_status_menu_item() { # import | folder
  open_character_menu
  case "$1" in
    import) xdotool key --delay 60 Up Up Return ;;
    folder) xdotool key --delay 60 Up Return ;;
  esac
}
# Dark pixels (a check mark) in the row of a thumbnail, left of it, in a picture of a menu.
mark_beside() { # picture, colour test
  local bbox w h x y
  bbox="$(convert "$1" -alpha off -fx "($2) ? 1 : 0" -trim -format '%w %h %X %Y' info: 2>/dev/null)"
  read -r w h x y <<<"$bbox"
  x="${x#+}" y="${y#+}"
  [ "${w:-0}" -ge 10 ] && [ "${x:-0}" -gt 4 ] || { echo -1; return; }
  convert "$1" -crop "$((x - 2))x${h}+0+${y}" +repage -alpha off \
    -fx '(r < 0.35 && g < 0.35 && b < 0.35) ? 1 : 0' -format '%[fx:round(mean*w*h)]' info:
}
# The open character submenu lists the pack with its thumbnail and the check mark beside
# it; a pack imported before, now not chosen, has no mark.
check_character_menu_marks() { # colour test of the chosen pack, [colour test of another pack]
  open_character_menu
  local X Y WIDTH HEIGHT
  eval "$(xdotool getwindowgeometry --shell "$menu")"
  import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$work/submenu.png"
  cp "$work/submenu.png" "$pictures/pack-menu-$lang.png"
  xdotool key Escape Escape
  sleep 0.3
  local chosen; chosen="$(mark_beside "$work/submenu.png" "$1")"
  [ "$chosen" -ge 0 ] || fail "[$lang] the character menu shows no thumbnail of the pack"
  [ "$chosen" -gt 8 ] || fail "[$lang] no check mark beside the pack ($chosen dark pixels)"
  if [ -n "${2:-}" ]; then
    local other; other="$(mark_beside "$work/submenu.png" "$2")"
    [ "$other" -ge 0 ] || fail "[$lang] the earlier pack is not listed"
    [ "$other" -lt 3 ] || fail "[$lang] the earlier pack is still marked ($other dark pixels)"
  fi
}

# language, chooser title, success title, archive, folder, colour test, [colour of an
# earlier pack]
import_pack() {
  lang="$1"
  cat >"$settings_dir/defaults.json" <<JSON
{"quellin.has_shown_welcome": true, "quellin.has_completed_first_run_setup": true, "tessivar.language": "$1",
 "quellin.character": "tuffin"}
JSON
  start_plovane
  [ -d "$packs" ] || fail "the packs folder was not made at launch"
  [ "$(colour_in "$6" "$X" "$Y" "$W" "$H")" = 0 ] || fail "the new colour is in the HUD before the import"

  # The HUD in the middle of the screen, where the dialog and the alert open.
  xdotool windowmove "$hud" 420 260
  sleep 0.5
  eval "$(xdotool getwindowgeometry --shell "$hud")"
  X=$X Y=$Y W=$WIDTH H=$HEIGHT

  open_status_menu_item import
  wait_for 10 window_named "$2" || fail "[$1] the file dialog \"$2\" did not open"
  local dialog; dialog="$(window_named "$2")"
  activate_window "$dialog"
  sleep 0.5
  stacked_above "$dialog" "$hud" || fail "[$1] the file dialog is below the HUD"
  import -window root "$pictures/pack-dialog-$1.png" 2>/dev/null

  # Only ZIP archives: a typed path to another kind of file is refused, the dialog stays.
  xdotool type --delay 15 "$work/notes.txt"
  xdotool key Return
  wait_for_output 5 2 windows_named "$2" || fail "[$1] a typed path to a text file was not refused"
  import -window root "$pictures/pack-not-zip-$1.png" 2>/dev/null
  xdotool key Return
  wait_for_output 5 1 windows_named "$2" || fail "[$1] the refusal did not close, or took the dialog with it"
  [ -z "$(ls -A "$TMPDIR")" ] || fail "[$1] the refused file was imported: $(ls -A "$TMPDIR")"
  echo "ok: [$1] the dialog, above the HUD, refuses a typed path to a text file and stays open"

  activate_window "$dialog"
  xdotool key ctrl+a
  xdotool type --delay 15 "$4"
  xdotool key Return

  wait_for 20 window_named "$3" || fail "[$1] no success alert \"$3\""
  sleep 0.5
  stacked_above "$(window_named "$3")" "$hud" || fail "[$1] the alert is below the HUD"
  import -window root "$pictures/pack-alert-$1.png" 2>/dev/null
  [ -f "$packs/$5/sprite_critical_32.png" ] || fail "[$1] the pack is not installed"
  [ -z "$(ls -A "$TMPDIR")" ] || fail "[$1] left in the temporary folder: $(ls -A "$TMPDIR")"
  press_ok "$3"
  echo "ok: [$1] the typed path was imported and the success alert, above the HUD, dismissed"

  # Afterwards the HUD floats above the windows of other programs as before.
  xmessage 9>&- -title PlovaneOtherWindow -geometry "+$((X + 20))+$((Y + 20))" "another program" 2>/dev/null &
  pids+=($!)
  wait_for 10 window_named PlovaneOtherWindow || fail "[$1] the other window did not map"
  activate_window "$(window_named PlovaneOtherWindow)"
  sleep 0.3
  stacked_above "$hud" "$(window_named PlovaneOtherWindow)" || fail "[$1] the HUD is no longer above other windows"
  kill "${pids[-1]}"
  echo "ok: [$1] the HUD is back above other windows"

  wait_for 5 grep -q "\"quellin.character\": *\"custom:$5\"" "$settings_dir/defaults.json" ||
    fail "[$1] the character setting is not custom:$5: $(cat "$settings_dir/defaults.json")"
  shown=0
  wait_for 6 shows_colour "$6" "$X" "$Y" "$W" "$H" || fail "[$1] the HUD does not show the new character ($shown pixels of its colour)"
  import -window root -crop "${W}x${H}+${X}+${Y}" +repage "$pictures/pack-hud-$1.png" 2>/dev/null
  echo "ok: [$1] the HUD shows the new character and the setting holds custom:$5"

  check_character_menu_marks "$6" "${7:-}"
  echo "ok: [$1] the character menu lists the pack with its thumbnail and marks it"
}

# Every accessible name under the application's windows, one per line, as a screen reader
# reads them (the alert's texts among them); gdbus writes invisible characters as \uXXXX.
accessible_names() {
  accessible_names_escaped | python3 -c 'import re, sys
print(re.sub(r"\\u([0-9a-fA-F]{4})", lambda m: chr(int(m.group(1), 16)), sys.stdin.read()), end="")'
}
accessible_names_escaped() {
  local a11y bus
  a11y="$(gdbus call --session --dest org.a11y.Bus --object-path /org/a11y/bus --method org.a11y.Bus.GetAddress 2>/dev/null |
    sed -n "s/^('\(.*\)',)$/\1/p")"
  [ -n "$a11y" ] || return 1
  for bus in $(gdbus call --address "$a11y" --dest org.a11y.atspi.Registry --object-path /org/a11y/atspi/accessible/root \
      --method org.a11y.atspi.Accessible.GetChildren 2>/dev/null | grep -o "':[0-9.]*'" | tr -d "'"); do
    [ "$(gdbus call --address "$a11y" --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
      --method org.freedesktop.DBus.GetConnectionUnixProcessID "$bus" 2>/dev/null | sed -n 's/^(uint32 \([0-9]*\),)$/\1/p')" = "$app_pid" ] || continue
    local queue=(/org/a11y/atspi/accessible/root) seen=0 path
    while [ "${#queue[@]}" -gt 0 ] && [ "$seen" -lt 400 ]; do
      path="${queue[0]}"; queue=("${queue[@]:1}"); seen=$((seen + 1))
      gdbus call --address "$a11y" --dest "$bus" --object-path "$path" --method org.freedesktop.DBus.Properties.Get \
        org.a11y.atspi.Accessible Name 2>/dev/null
      for child in $(gdbus call --address "$a11y" --dest "$bus" --object-path "$path" \
          --method org.a11y.atspi.Accessible.GetChildren 2>/dev/null | grep -o "'/org/a11y/atspi/accessible/[^']*'" | tr -d "'"); do
        queue+=("$child")
      done
    done
  done
}
# A typed path through the dialog, for an alert of that title; sets $alert.
import_through_dialog() { # chooser title, archive, alert title
  open_status_menu_item import
  wait_for 10 window_named "$1" || fail "the file dialog \"$1\" did not open"
  activate_window "$(window_named "$1")"
  sleep 0.5
  xdotool key ctrl+a
  xdotool type --delay 15 "$2"
  xdotool key Return
  wait_for 20 window_named "$3" || fail "no alert \"$3\" for $(basename "$2")"
  sleep 0.5
  alert="$(window_named "$3")"
}

quit_plovane() {
  kill -TERM "$app_pid"
  wait_exit 10
  [ "$rc" = 0 ] || fail "exit code $rc"
}

# A session of the desktop on a screen of its own, and the editor the user types in.
start_desktop_session() { # GNOME | KDE | XFCE
  local wm
  case "$1" in
    GNOME) wm=mutter ;;
    KDE) wm=kwin_x11 ;;
    XFCE) wm=xfwm4 ;;
    *) fail "no desktop named $1" ;;
  esac
  for tool in "$wm" gedit; do command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }; done
  start_private_display
  export XDG_SESSION_TYPE=x11 XDG_CURRENT_DESKTOP="$1" GSETTINGS_BACKEND=memory
  case "$1" in
    GNOME) export XDG_SESSION_DESKTOP=gnome DESKTOP_SESSION=gnome GNOME_DESKTOP_SESSION_ID=this-is-deprecated
      mutter --x11 --replace --sm-disable 9>&- >"$work/wm.log" 2>&1 & ;;
    KDE) export XDG_SESSION_DESKTOP=KDE DESKTOP_SESSION=plasma KDE_FULL_SESSION=true KDE_SESSION_VERSION=5
      kwin_x11 --replace 9>&- >"$work/wm.log" 2>&1 & ;;
    XFCE) export XDG_SESSION_DESKTOP=xfce DESKTOP_SESSION=xfce
      xfwm4 --compositor=off --sm-client-disable 9>&- >"$work/wm.log" 2>&1 & ;;
  esac
  pids+=($!)
  wait_for_window_manager || fail "$wm did not start: $(cat "$work/wm.log")"
  trayer --edge top --align right --widthtype pixel --width 100 --height 24 9>&- >/dev/null 2>&1 &
  pids+=($!)
  gedit --new-window 9>&- >"$work/gedit.log" 2>&1 &
  pids+=($!)
  wait_for 20 editor_found || fail "gedit did not open: $(cat "$work/gedit.log")"
}
editor_found() { editor="$(xdotool search --onlyvisible --class '^gedit$' | tail -1)" && [ -n "$editor" ]; }
# In front of the user's editor and of the HUD, and the active window.
in_front() { active_is "$1" && stacked_above "$1" "$editor" && stacked_above "$1" "$hud"; }
stacking_names() {
  for w in $(xprop -root _NET_CLIENT_LIST_STACKING | grep -o '0x[0-9a-f]*'); do xdotool getwindowname "$w"; done | paste -sd '<'
}

# language, chooser title, alert title, archive, folder
import_over_the_editor() {
  cat >"$settings_dir/defaults.json" <<JSON
{"quellin.has_shown_welcome": true, "quellin.has_completed_first_run_setup": true, "tessivar.language": "$1"}
JSON
  start_plovane
  # The user types in the editor; nothing of ours is active.
  activate_window "$editor"
  xdotool type --delay 20 "notes in $1"
  wait_for 5 active_is "$editor" || fail "[$desktop $1] the editor did not take the keyboard"

  open_status_menu_item import
  wait_for 10 window_named "$2" || fail "[$desktop $1] the file dialog \"$2\" did not open"
  local dialog; dialog="$(window_named "$2")"
  wait_for 5 in_front "$dialog" ||
    fail "[$desktop $1] the dialog is not active in front of the editor and the HUD: active" \
      "$(xdotool getactivewindow getwindowname 2>&1), stacked $(stacking_names)"
  import -window root "$pictures/pack-dialog-$desktop-$1.png" 2>/dev/null
  # Typed into the dialog, without anything raising it first.
  xdotool type --delay 15 "$4"
  xdotool key Return
  wait_for 20 window_named "$3" || fail "[$desktop $1] no alert \"$3\" after the path was typed into the dialog"
  local alert; alert="$(window_named "$3")"
  wait_for 5 in_front "$alert" ||
    fail "[$desktop $1] the alert is not active in front of the editor and the HUD: active" \
      "$(xdotool getactivewindow getwindowname 2>&1), stacked $(stacking_names)"
  import -window root "$pictures/pack-alert-$desktop-$1.png" 2>/dev/null
  xdotool key Return
  wait_for 5 bash -c "! xdotool search --onlyvisible --name '^$3\$'" || fail "[$desktop $1] Return did not reach the alert"
  [ -f "$packs/$5/manifest.json" ] || fail "[$desktop $1] the pack is not installed"
  echo "ok: [$desktop $1] the dialog and the alert came up active in front of the editor and the HUD, and took the keys"
  quit_plovane
}

if [ -n "$desktop" ]; then
  start_desktop_session "$desktop"
  make_pack Kiwi 'Kiwi' '#ff00ff' "$work/kiwi.zip"
  import_over_the_editor en 'Select Character Pack \(\.zip\)' 'Import Successful' "$work/kiwi.zip" Kiwi
  make_pack Mango '芒果' '#00ffff' "$work/mango.zip"
  import_over_the_editor zh '选择员工包 \(\.zip\)' '导入成功' "$work/mango.zip" Mango
  exit 0
fi

printf 'not a pack\n' >"$work/notes.txt"

# A name with markup characters: shown as it is, never as markup.
make_pack Kiwi '<b>Kiwi</b> & Pack' '#ff00ff' "$work/kiwi pack.zip"
import_pack en 'Select Character Pack \(\.zip\)' 'Import Successful' "$work/kiwi pack.zip" Kiwi "$magenta"
quit_plovane

make_pack Mango '芒果' '#00ffff' "$work/mango.zip"
import_pack zh '选择员工包 \(\.zip\)' '导入成功' "$work/mango.zip" Mango "$cyan" "$magenta"

# A sprite cut off after its header: refused in both languages, nothing installed, and the
# character stays what it was.
make_pack Cut 'Cut' '#ff00ff' "$work/unused.zip"
head -c 33 "$work/src/Cut/sprite_critical_32.png" >"$work/src/Cut/cut.png"
mv "$work/src/Cut/cut.png" "$work/src/Cut/sprite_critical_32.png"
(cd "$work/src" && zip -qr "$work/cut.zip" Cut)
import_through_dialog '选择员工包 \(\.zip\)' "$work/cut.zip" '导入失败'
names="$(accessible_names)"
grep -q '无效的员工包：含有不完整或无法读取的图片' <<<"$names" || fail "[zh] the refusal does not name the damaged sprite: $names"
import -window root "$pictures/pack-cut-zh.png" 2>/dev/null
press_ok '导入失败'
quit_plovane
[ ! -e "$packs/Cut" ] || fail "the pack with a cut-off sprite was installed"
grep -q '"quellin.character": *"custom:Mango"' "$settings_dir/defaults.json" || fail "the character changed after a refusal"
sed -i 's/"tessivar.language": *"zh"/"tessivar.language": "en"/' "$settings_dir/defaults.json"
start_plovane
import_through_dialog 'Select Character Pack \(\.zip\)' "$work/cut.zip" 'Import Failed'
names="$(accessible_names)"
grep -q 'Invalid pack: it holds sprites that are damaged or cut off' <<<"$names" ||
  fail "[en] the refusal does not name the damaged sprite: $names"
press_ok 'Import Failed'
[ ! -e "$packs/Cut" ] || fail "the pack with a cut-off sprite was installed"
echo "ok: a sprite cut off after its header is refused, in both languages"

# A right-to-left override in a name stays inside the name; a 5,000-character name keeps
# the alert inside the screen.
make_pack Spoof "abc$(printf '\u202e')gnp.exe" '#ff00ff' "$work/spoof.zip"
import_through_dialog 'Select Character Pack \(\.zip\)' "$work/spoof.zip" 'Import Successful'
names="$(accessible_names)"
grep -q "Character \"$(printf '\u2068')abc$(printf '\u202e')gnp.exe$(printf '\u2069')\" imported successfully!" <<<"$names" ||
  fail "the override name is not isolated in the alert: $(grep -a 'imported' <<<"$names")"
import -window root "$pictures/pack-override-en.png" 2>/dev/null
press_ok 'Import Successful'
make_pack Long "$(head -c 5000 /dev/zero | tr '\0' 'W')" '#ff00ff' "$work/long.zip"
import_through_dialog 'Select Character Pack \(\.zip\)' "$work/long.zip" 'Import Successful'
eval "$(xdotool getwindowgeometry --shell "$alert")"
read -r screen_w screen_h < <(xdpyinfo 2>/dev/null | awk '/dimensions:/ {split($2, d, "x"); print d[1], d[2]}')
import -window root "$pictures/pack-long-name-en.png" 2>/dev/null
[ "$Y" -ge 0 ] && [ $((Y + HEIGHT)) -le "${screen_h:-800}" ] && [ "$X" -ge 0 ] && [ $((X + WIDTH)) -le "${screen_w:-1280}" ] ||
  fail "the alert for a 5,000-character name is ${WIDTH}x${HEIGHT}+${X}+${Y}, past the screen"
press_ok 'Import Successful'
echo "ok: a name's override is isolated, and a 5,000-character name keeps the alert (${WIDTH}x${HEIGHT}) on the screen"
quit_plovane
start_plovane

# A pack copied into the folder by hand while the program runs is in the character menu
# the next time it opens.
green='g - r > 0.4 && g - b > 0.4'
character_menu_pixels() { # colour test, picture
  open_character_menu
  local X Y WIDTH HEIGHT
  eval "$(xdotool getwindowgeometry --shell "$menu")"
  import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$2"
  xdotool key Escape Escape
  sleep 0.3
  convert "$2" -alpha off -fx "($1) ? 1 : 0" -format '%[fx:round(mean*w*h)]' info:
}
[ "$(character_menu_pixels "$green" "$work/before-copy.png")" = 0 ] || fail "green in the character menu before the copy"
make_pack Lime 'Lime' '#00ff00' "$work/unused-lime.zip"
cp -r "$work/src/Lime" "$packs/"
[ "$(character_menu_pixels "$green" "$pictures/pack-copied-in-en.png")" -gt 100 ] ||
  fail "a pack copied into the folder is not in the character menu when it next opens"
echo "ok: a pack copied into the folder while running is listed when the character menu next opens"

# The folder item makes the packs folder again when it is gone, and opens it.
rm -rf "$packs"
open_status_menu_item folder
wait_for 5 grep -Eqx "(file://)?$packs/?" "$work/xdg-open.log" 2>/dev/null ||
  fail "xdg-open was not asked for $packs: $(cat "$work/xdg-open.log" 2>/dev/null)"
[ -d "$packs" ] || fail "the open-folder item did not make the packs folder"
echo "ok: the open-folder item made and opened $packs"
quit_plovane
