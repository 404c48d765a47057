#!/usr/bin/env bash
# The HUD steps down only while a window of ours is active, on GNOME's window manager
# (headless mutter with Xwayland), whatever closes our menus: with a native window filling
# the screen as the user's, Drain Settings is opened from the status menu (the HUD leaves
# the "above" layer), the status item's own menu is opened as a panel asks for it, and the
# user clicks into the native window. The menu closes, the native window has the keyboard,
# and the HUD floats above again. (GNOME Shell runs the same window manager, but leaves
# the pointer of the remote desktop, through which the test clicks, where it is.)
# Usage: GnomeStackingEndToEnd.sh <plovane> <repository> <typer> <native window>
set -uo pipefail
session=mutter app="$1" repo="$2" typer="$3" native_window="$4"

source "$(dirname "$0")/WaylandTest.sh" stacking "$@"
for tool in xdotool xprop lxqt-panel gdbus; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done

source "$(dirname "$0")/WaylandSession.sh"
wayland_start "$session"
# A keyboard held the whole session, as a user's (see GnomeAppsEndToEnd.sh).
"$typer" mutter --times 2 --every 3600000 "" 9>&- &
pids+=($!)
wayland_status_panel

wayland_user_home

# The user's window: native, filling the screen, so a click beside our windows lands in it.
typed="$work/typed"
: >"$typed"
"$native_window" org.plovane.NativeWindow maximized >"$typed" 2>"$work/client.log" 9>&- &
pids+=($!)
lands() { wayland_type "$1"$'\n' && wayland_wait 3 grep -q "$1" "$typed"; }
wayland_wait 40 lands ready || fail "the native window never took what was typed"

unset QT_QPA_PLATFORM
(cd "$repo" && exec "$app" 9>&-) >>"$work/app.log" 2>&1 &
app_pid=$!
pids+=("$app_pid")
ours() { xdotool search --all --onlyvisible --pid "$app_pid" --name "^$1\$" 2>/dev/null | head -1; }
hud_shown() { [ -n "$(ours 'Plovane HUD')" ]; }
wayland_wait 20 hud_shown || fail "the HUD did not show"
hud="$(ours 'Plovane HUD')"
above() { xprop -id "$hud" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE; }
not_above() { ! above; }
wayland_wait 10 above || fail "the HUD does not float above other windows: $(xprop -id "$hud" _NET_WM_STATE)"
wayland_wait 15 wayland_hud_toggle "$app_pid" || fail "the status item is not registered with the panel"

# Drain Settings from the status menu: active, and the HUD below it.
drain_row="$(gdbus call --session --dest "$wayland_item" --object-path /MenuBar \
  --method com.canonical.dbusmenu.GetLayout -- 0 -1 '[]' |
  grep -oP "\(\d+, \{[^}]*'label': <'[^']*Drain Settings" | head -1 | grep -oP '^\(\d+' | tr -d '(')"
[ -n "$drain_row" ] || fail "the status menu has no Drain Settings row"
drain_active() {
  local drain
  drain="$(ours 'Drain Settings')"
  [ -n "$drain" ] && xprop -root _NET_ACTIVE_WINDOW | grep -qi "$(printf '0x%x' "$drain")\$"
}
menu_open() { [ "$(xdotool search --onlyvisible --pid "$app_pid" 2>/dev/null | sort | tr '\n' ' ')" != "$known" ]; }
menu_closed() { ! menu_open; }

# Whether the toolkit hears of the focus leaving while the menu is open depends on which
# comes first, the menu closing or a timer of its own: three rounds.
for round in 1 2 3; do
  # Opened from the status menu, then taken up again as a task bar does.
  if [ "$round" = 1 ]; then
    gdbus call --session --dest "$wayland_item" --object-path /MenuBar --method com.canonical.dbusmenu.Event -- \
      "$drain_row" clicked '<int32 0>' 0 >/dev/null
  else
    xdotool windowactivate "$(ours 'Drain Settings')"
  fi
  wayland_wait 10 drain_active || fail "[round $round] Drain Settings did not become the active window"
  wayland_wait 5 not_above || fail "[round $round] the HUD stays above the active Drain Settings"

  # The status item's own menu, as a panel asks for it, then a click into the user's window.
  known="$(xdotool search --onlyvisible --pid "$app_pid" 2>/dev/null | sort | tr '\n' ' ')"
  gdbus call --session --dest "$wayland_item" --object-path /StatusNotifierItem \
    --method org.kde.StatusNotifierItem.ContextMenu 1250 12 >/dev/null ||
    fail "[round $round] the status item did not take the request for its menu"
  wayland_wait 5 menu_open || fail "[round $round] the request for the menu opened none"
  sleep 0.5
  "$typer" mutter --click 150 300 || fail "[round $round] the click into the native window could not be made"
  wayland_wait 10 menu_closed || fail "[round $round] the menu stayed open after the click into the native window"
  lands "clicked$round" || fail "[round $round] the native window did not take the keyboard on the click"
  wayland_wait 5 above ||
    fail "[round $round] the menu closed by a click into the user's window, the HUD stays below it: $(xprop -id "$hud" _NET_WM_STATE)"
  sleep 1
  above || fail "[round $round] the HUD left the above layer again: $(xprop -id "$hud" _NET_WM_STATE)"
done
echo "ok: Drain Settings active, the HUD below it; the status item's menu closed by a click into the user's window, the HUD above it again (three times)"

kill -TERM "$app_pid"
wayland_wait 10 process_ended "$app_pid" || fail "plovane still running after SIGTERM"
echo "ok: every check passed"
