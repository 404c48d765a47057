#!/usr/bin/env bash
# The status item under a StatusNotifierItem host (lxqt-panel with only its
# statusnotifier plugin), end to end: the item registers with the watcher and its icon
# shows inside the panel's window; a right click opens the panel's own rendering of our
# exported menu, a left click opens ours; the exported menu carries plain items only
# (the opacity row as steps); its language row switches the titles, "Show/Hide HUD" hides
# and shows the panel and Quit ends the program with 0 and today's statistics on disk.
# The menu is driven through its D-Bus export, as the panel does.
# Usage: TraySniEndToEnd.sh <plovane executable> <repository folder> [gallery folder]
source "$(dirname "$0")/AppTestLib.sh"
source "$(dirname "$0")/TrayLib.sh"

command -v lxqt-panel >/dev/null || { echo "no lxqt-panel"; exit 77; }
command -v gdbus >/dev/null || { echo "no gdbus"; exit 77; }
[ -n "${DBUS_SESSION_BUS_ADDRESS:-}" ] || { echo "no session bus"; exit 77; }

watcher=(gdbus call --session --dest org.kde.StatusNotifierWatcher --object-path /StatusNotifierWatcher
  --method org.freedesktop.DBus.Properties.Get org.kde.StatusNotifierWatcher)
host_up() { "${watcher[@]}" IsStatusNotifierHostRegistered 2>/dev/null | grep -q true; }
if host_up; then echo "another StatusNotifierItem host is running"; exit 77; fi

# A panel holding nothing but the status notifier area.
mkdir -p "$work/panel/lxqt"
printf '[panel1]\nplugins=sni\nposition=Top\n\n[sni]\ntype=statusnotifier\n' >"$work/panel/lxqt/panel.conf"
XDG_CONFIG_HOME="$work/panel" lxqt-panel >"$work/panel.log" 2>&1 &
panel_pid=$!
pids+=("$panel_pid")
wait_for 15 host_up || fail "lxqt-panel did not register a StatusNotifierItem host: $(cat "$work/panel.log")"
find_panel() { panel="$(xdotool search --onlyvisible --pid "$panel_pid" 2>/dev/null | head -1)"; [ -n "$panel" ]; }
wait_for 10 find_panel || fail "the panel did not map"
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$panel")"
PX=$X PY=$Y PW=$WIDTH PH=$HEIGHT
import -window root -crop "${PW}x${PH}+${PX}+${PY}" +repage "$work/panel-before.png"

printf '{"quellin.has_shown_welcome": true, "quellin.has_completed_first_run_setup": true, "tessivar.language": "en"}\n' \
  >"$settings_dir/defaults.json"
start_plovane

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
wait_for 10 our_item || fail "plovane's item is not registered: $("${watcher[@]}" RegisteredStatusNotifierItems)"
echo "ok: registered with the watcher as $service"

# The icon inside the panel: where the panel's picture changed.
sleep 1
import -window root -crop "${PW}x${PH}+${PX}+${PY}" +repage "$work/panel-after.png"
compare -fuzz 5% "$work/panel-before.png" "$work/panel-after.png" -compose src -highlight-color white \
  -lowlight-color black "$work/panel-diff.png" 2>/dev/null
changed="$(differing_pixels "$work/panel-before.png" "$work/panel-after.png")"
[ "${changed:-0}" -gt 40 ] || fail "no icon appeared in the panel ($changed pixels changed)"
read -r IW IH IX IY < <(convert "$work/panel-diff.png" -trim -format '%w %h %X %Y' info: | tr -d '+')
IX=$((PX + IX)) IY=$((PY + IY))
import -window root -crop "${IW}x${IH}+${IX}+${IY}" +repage "$work/icon.png" && convert "$work/icon.png" -scale 800% "$gallery/status-icon-sni.png"
echo "ok: the icon shows inside the panel at $IX,$IY ${IW}x${IH} ($changed pixels)"

# Right click: the panel renders our exported menu itself.
xdotool mousemove $((IX + IW / 2)) $((IY + IH / 2)) click 3
wait_for_menu "$panel_pid" "$panel" || fail "a right click on the icon opened no menu in the panel"
shoot "$menu" "$gallery/status-menu-sni-en.png"
xdotool key Escape
sleep 0.3
# Left click: our own menu at the pointer.
xdotool mousemove $((IX + IW / 2)) $((IY + IH / 2)) click 1
wait_for_menu "$app_pid" "$hud" || fail "a left click on the icon opened no menu"
xdotool key Escape
sleep 0.3
echo "ok: a right click opens the panel's rendering of the menu, a left click ours"

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
layout | grep -q "'label': <'Idle Opacity  40%'>" || fail "no opacity steps: $(layout | head -c 800)"
layout | grep -qP "'label': <'40%'>, 'toggle-state': <1>" || fail "the current opacity step is not checked"
has_item "Retinal Fatigue" || fail "the health targets are not one-line items"
echo "ok: the exported menu has the opacity steps and one-line targets"

click_item "切换为中文 (Switch to Chinese)"
wait_for 5 has_item "切换为英文 (Switch to English)" || fail "the language row did not switch the titles"
has_item "显示/隐藏悬浮窗" || fail "the titles are not in Chinese after the switch"
wait_for 5 stored_is tessivar.language '"zh"' || fail "the language was not stored"
xdotool mousemove $((IX + IW / 2)) $((IY + IH / 2)) click 3
wait_for_menu "$panel_pid" "$panel" || fail "no menu in the panel after the switch"
shoot "$menu" "$gallery/status-menu-sni-zh.png"
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
