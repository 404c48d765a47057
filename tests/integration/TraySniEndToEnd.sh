#!/usr/bin/env bash
# The status item under a StatusNotifierItem host (lxqt-panel with only its
# statusnotifier plugin), end to end. Plovane starts first, with only the desktop's XEmbed
# tray, as at login; the panel starts after it and is restarted twice: each time the item
# registers with the panel's watcher and leaves the tray, with a line in the log, and
# goes back to the tray while the panel is away. Then: the icon shows inside the panel's
# window; a right click opens the panel's own rendering of our exported menu, a left
# click ours; a double click leaves the HUD shown and our menu open clear of the pointer;
# the exported menu carries plain items only (the opacity row as steps) and every title
# as it stands (an "&" as itself, an "_" doubled as the protocol asks); its language row
# switches the titles, "Show/Hide HUD" hides and shows the panel and Quit ends the
# program with 0 and today's statistics on disk. The menu is driven through its D-Bus
# export, as the panel does.
# Usage: TraySniEndToEnd.sh <plovane executable> <repository folder> [gallery folder]
source "$(dirname "$0")/AppTestLib.sh"
source "$(dirname "$0")/TrayLib.sh"

command -v lxqt-panel >/dev/null || { echo "no lxqt-panel"; exit 77; }
command -v gdbus >/dev/null || { echo "no gdbus"; exit 77; }
[ -n "${DBUS_SESSION_BUS_ADDRESS:-}" ] || { echo "no session bus"; exit 77; }
pgrep -x trayer >/dev/null || { echo "no tray running on this desktop"; exit 77; }

watcher=(gdbus call --session --dest org.kde.StatusNotifierWatcher --object-path /StatusNotifierWatcher
  --method org.freedesktop.DBus.Properties.Get org.kde.StatusNotifierWatcher)
host_up() { "${watcher[@]}" IsStatusNotifierHostRegistered 2>/dev/null | grep -q true; }
if host_up; then echo "another StatusNotifierItem host is running"; exit 77; fi

# A panel holding nothing but the status notifier area.
mkdir -p "$work/panel/lxqt"
printf '[panel1]\nplugins=sni\nposition=Top\n\n[sni]\ntype=statusnotifier\n' >"$work/panel/lxqt/panel.conf"
start_panel() {
  XDG_CONFIG_HOME="$work/panel" lxqt-panel 9>&- >>"$work/panel.log" 2>&1 &
  panel_pid=$!
  pids+=("$panel_pid")
  wait_for 15 host_up || fail "lxqt-panel did not register a StatusNotifierItem host: $(cat "$work/panel.log")"
}
find_panel() { panel="$(xdotool search --onlyvisible --pid "$panel_pid" 2>/dev/null | head -1)"; [ -n "$panel" ]; }

# Our item among the registered ones ("name" or "name/path"): the bus name whose process is ours.
our_item() {
  local name pid
  for name in $("${watcher[@]}" RegisteredStatusNotifierItems 2>/dev/null | grep -oP "(?<=')[^'/]+"); do
    pid="$(gdbus call --session --dest org.freedesktop.DBus --object-path / \
      --method org.freedesktop.DBus.GetConnectionUnixProcessID "$name" 2>/dev/null | grep -o '[0-9]\+' | tail -1)"
    [ "$pid" = "$app_pid" ] && { service="$name"; return 0; }
  done
  return 1
}
# Our icon window inside the desktop's XEmbed tray.
find_tray_icon() {
  for icon in $(xdotool search --onlyvisible --pid "$app_pid" 2>/dev/null); do in_tray "$icon" && return 0; done
  return 1
}
tray_icon_gone() { ! find_tray_icon; }

# A pack whose name has an ampersand and an underscore.
pack="$XDG_DATA_HOME/Plovane/Sprites/TomJerry"
mkdir -p "$pack"
printf '{"name": "Tom & Jerry_2"}' >"$pack/manifest.json"
for key in deep_dive reading hovering resting critical; do
  convert -size 32x32 xc:orange "PNG32:$pack/sprite_${key}_32.png"
done
printf '{"quellin.has_shown_welcome": true, "quellin.has_completed_first_run_setup": true, "tessivar.language": "en"}\n' \
  >"$settings_dir/defaults.json"
start_plovane
wait_for 10 find_tray_icon || fail "no status icon in the desktop's tray before the panel started"
echo "ok: before the panel, the icon is in the desktop's XEmbed tray"

for round in 1 2 3; do
  start_panel
  wait_for 10 our_item || fail "[panel start $round] plovane's item is not registered: $("${watcher[@]}" RegisteredStatusNotifierItems)"
  wait_for_output 5 "$round" shown_count "StatusNotifierItem host" ||
    fail "[panel start $round] the log says $(shown_count "StatusNotifierItem host") times that the item appeared"
  wait_for 5 tray_icon_gone ||
    fail "[panel start $round] our icon stays in the XEmbed tray beside the panel's"
  echo "ok: [panel start $round] registered with the watcher as $service, and out of the XEmbed tray"
  if [ "$round" -lt 3 ]; then
    kill "$panel_pid"
    wait "$panel_pid" 2>/dev/null
    wait_for 10 find_tray_icon || fail "[panel stop $round] the icon did not go back to the XEmbed tray"
  fi
done
grep -q "No status area" "$work/app.log" && fail "a status area was reported missing"

wait_for 10 find_panel || fail "the panel did not map"
eval "$(xdotool getwindowgeometry --shell "$panel")"
PX=$X PY=$Y PW=$WIDTH PH=$HEIGHT
# The icon inside the panel: what stands out from the panel's background, left of the
# desktop's tray, which the panel lets show through. Looked for until the panel draws it.
tray_x="$(xdotool search --onlyvisible --class trayer 2>/dev/null | head -1 | xargs -r xdotool getwindowgeometry --shell | awk -F= '/^X=/ {print $2}')"
width=$(( ${tray_x:-$((PX + PW))} - PX ))
icon_in_panel() {
  import -window root -crop "${width}x${PH}+${PX}+${PY}" +repage "$work/panel.png" &&
    read -r IW IH IX IY < <(convert "$work/panel.png" -fuzz 10% -trim -format '%w %h %X %Y\n' info: | tr -d '+') &&
    [ "$IW" -gt 4 ] && [ "$IW" -lt 64 ] && [ "$IH" -le "$PH" ]
}
IW="" IH=""
wait_for 10 icon_in_panel || fail "no icon found in the panel (${IW}x${IH})"
IX=$((PX + IX)) IY=$((PY + IY))
import -window root -crop "${IW}x${IH}+${IX}+${IY}" +repage "$work/icon.png" && convert "$work/icon.png" -scale 800% "$gallery/status-icon-sni.png"
echo "ok: the icon shows inside the panel at $IX,$IY ${IW}x${IH}"

# The item says it is a menu, and what its icon shows in words, in the program's language.
item_property() { # name
  gdbus call --session --dest "$service" --object-path /StatusNotifierItem \
    --method org.freedesktop.DBus.Properties.Get org.kde.StatusNotifierItem "$1"
}
item_property ItemIsMenu | grep -q true || fail "the item does not say it is a menu: $(item_property ItemIsMenu)"
for name in IconAccessibleDesc AttentionAccessibleDesc; do
  item_property "$name" | grep -qP "'Plovane – (In the Zone|Researching|AFK|Chilling|Overloaded|Crashing)'" ||
    fail "$name does not name the state in English: $(item_property "$name")"
done
echo "ok: the item is a menu, described as $(item_property IconAccessibleDesc)"

# Right click: the panel renders our exported menu itself.
CX=$((IX + IW / 2)) CY=$((IY + IH / 2))
xdotool mousemove "$CX" "$CY" click 3
wait_for_menu "$panel_pid" "$panel" || fail "a right click on the icon opened no menu in the panel"
shoot "$menu" "$gallery/status-menu-sni-en.png"
panel_submenu_picture() { # downs, file
  xdotool key --delay 60 $(yes Down | head -n "$1") Right
  sleep 0.6
  import -window root "$work/full.png"
  convert "$work/full.png" -crop 700x800+0+0 +repage "$2"
  xdotool key Escape
  sleep 0.2
}
panel_submenu_picture 11 "$gallery/status-targets-sni-en.png"
panel_submenu_picture 1 "$gallery/status-characters-sni-en.png"
xdotool key Escape
sleep 0.3
# Left click: our own menu, beside the icon.
xdotool mousemove "$CX" "$CY" click 1
wait_for_menu "$app_pid" "$hud" || fail "a left click on the icon opened no menu"
clear_of "$menu" "$CX" "$CY" || fail "our menu opened under the pointer"
xdotool key Escape
sleep 0.3
echo "ok: a right click opens the panel's rendering of the menu, a left click ours beside the icon"

double_click_icon "$CX" "$CY" "$hud"
echo "ok: a double click on the icon leaves the HUD shown and our menu open clear of the pointer"

layout() {
  gdbus call --session --dest "$service" --object-path /MenuBar --method com.canonical.dbusmenu.GetLayout -- 0 -1 '[]'
}
item_id() { # label
  layout | grep -oP "\(\d+, \{[^}]*'label': <'\Q$1\E'>" | head -1 | grep -oP '^\(\d+' | tr -d '('
}
click_item() { # label
  local id; id="$(item_id "$1")"
  [ -n "$id" ] || fail "no exported item \"$1\" in: $(layout | head -c 1500)"
  gdbus call --session --dest "$service" --object-path /MenuBar --method com.canonical.dbusmenu.Event -- \
    "$id" clicked '<int32 0>' 0 >/dev/null || fail "the click on \"$1\" was refused"
}
has_item() { [ -n "$(item_id "$1")" ]; }

# Plain items only: the opacity row is a submenu of steps, the current one checked.
grep -q "'label': <'Idle Opacity  40%'>" <<<"$(layout)" || fail "no opacity steps: $(layout | head -c 800)"
grep -qP "'label': <'40%'>, 'toggle-state': <1>" <<<"$(layout)" || fail "the current opacity step is not checked"
has_item "Retinal Fatigue" || fail "the health targets are not one-line items"
echo "ok: the exported menu has the opacity steps and one-line targets"

# Every title as the catalogue has it: the labels of the target submenu in order, the
# pack's name with its "_" doubled, and no "&" turned into a mnemonic anywhere.
labels="$(layout | grep -oP "'label': <'\K[^']*")"
targets="$(sed -n '/^Health Patch List (multi-select)$/,/^Tips rotate through checked patches$/p' <<<"$labels" | sed '1d;$d')"
expected_targets="Core & Lumbar
Disc Herniation
Muscle Strain
Cervical Reversal
Neck Muscle Strain
Visual Sensors
Dry Eye Syndrome
Retinal Fatigue
Pseudo-Myopia
Circulation & Veins
Varicose Veins
DVT Risk
Venous Pooling
Lower Limbs & Muscles
Gluteal Amnesia
Knee Stiffness
Calf Cramp Warning"
[ "$targets" = "$expected_targets" ] || fail "the exported target titles differ: $(diff <(echo "$expected_targets") <(echo "$targets"))"
grep -qx "Tom & Jerry__2" <<<"$labels" || fail "the pack's name is not exported as it stands: $(grep -i tom <<<"$labels")"
! grep -q "_&\|&_\|&&" <<<"$labels" || fail "an ampersand became a mnemonic: $(grep "_&\|&_\|&&" <<<"$labels")"
echo "ok: the exported titles in English stand as in the catalogue"

click_item "切换为中文 (Switch to Chinese)"
wait_for 5 has_item "切换为英文 (Switch to English)" || fail "the language row did not switch the titles"
has_item "显示/隐藏悬浮窗" || fail "the titles are not in Chinese after the switch"
wait_for 5 sh -c "$(declare -f item_property); service=$service; item_property IconAccessibleDesc | grep -q 'Plovane – .*[搬调挂摸干碎]'" ||
  fail "the icon's description did not follow the language: $(item_property IconAccessibleDesc)"
wait_for 5 stored_is tessivar.language '"zh"' || fail "the language was not stored"
xdotool mousemove "$CX" "$CY" click 3
wait_for_menu "$panel_pid" "$panel" || fail "no menu in the panel after the switch"
shoot "$menu" "$gallery/status-menu-sni-zh.png"
panel_submenu_picture 11 "$gallery/status-targets-sni-zh.png"
xdotool key Escape
sleep 0.3
echo "ok: the language row switches every title"

click_item "显示/隐藏悬浮窗"
wait_for 5 hud_hidden || fail "Show/Hide HUD did not hide the panel"
click_item "显示/隐藏悬浮窗"
wait_for 5 hud_visible || fail "Show/Hide HUD did not show the panel again"
echo "ok: Show/Hide HUD hides and shows the panel"

click_item "退出 Plovane"
wait_exit 10
[ "$rc" = 0 ] || fail "exit code $rc after Quit"
check_today_saved
echo "ok: Quit ends plovane with 0 and today's statistics saved"
