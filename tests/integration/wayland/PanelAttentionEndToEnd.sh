#!/usr/bin/env bash
# The HUD appears without asking for attention: headless KWin and mutter (with Xwayland,
# QT_QPA_PLATFORM=wayland in the user's environment) and openbox on a virtual X server. The
# user types into an xterm under the HUD's place. Checks that
#   - in KWin and mutter the HUD is an X11 window all the same, and the log says why,
#   - from the moment the HUD's window exists, for 20 s and three hide-and-show cycles,
#     the window manager never marks it _NET_WM_STATE_DEMANDS_ATTENTION,
#   - what the user types afterwards still reaches the xterm.
# Usage: PanelAttentionEndToEnd.sh kwin|mutter|openbox <plovane> <repository> <typer>
set -uo pipefail
session="$1" app="$2" repo="$3" typer="$4"

source "$(dirname "$0")/WaylandTest.sh" attention "$@"
for tool in xdotool xprop xterm lxqt-panel gdbus; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done

source "$(dirname "$0")/WaylandSession.sh"
case "$session" in
  kwin | mutter) wayland_start "$session" ;;
  openbox)
    source "$repo/scripts/xvfb-lib.sh"
    start_xvfb 141 190 || fail "no virtual X server started"
    pids+=("$xvfb_pid")
    export XDG_RUNTIME_DIR="$work/runtime"
    mkdir -p -m 700 "$XDG_RUNTIME_DIR"
    wayland_session_bus
    start_openbox
    pids+=("$openbox_pid")
    wait_for_window_manager || fail "openbox did not start"
    ;;
  *) fail "no such session: $session" ;;
esac

wayland_user_home

# A StatusNotifierItem host, whose menu hides and shows the HUD.
wayland_status_panel

# The user's xterm, under the HUD's place (the window managers mark a window that cannot
# take the focus when it covers the focused one).
typed="$work/typed"
: >"$typed"
xterm -geometry 120x36+0+300 -title PlovaneUserTerminal -e sh -c "cat >$typed" >/dev/null 2>&1 9>&- &
pids+=($!)
type_text() {
  if [ "$session" = openbox ]; then xdotool type --delay 30 "$1"; else wayland_type "$1"; fi
}
lands() {
  type_text "$1"$'\n'
  wayland_wait 3 grep -q "$1" "$typed"
}
wayland_wait 40 lands ready || fail "the xterm never took what was typed"

[ "$session" = openbox ] || export QT_QPA_PLATFORM=wayland
(cd "$repo" && exec "$app" 9>&-) >>"$work/app.log" 2>&1 &
app_pid=$!
pids+=("$app_pid")
unset QT_QPA_PLATFORM
# Watched from the moment the window exists, before it is first mapped.
hud_window() { xdotool search --all --pid "$app_pid" --name '^Plovane HUD$' 2>/dev/null | head -1; }
hud_found() { hud="$(hud_window)"; [ -n "$hud" ]; }
wait_interval=0.05 wayland_wait 20 hud_found || fail "no HUD window on the X display"
xprop -id "$hud" -spy _NET_WM_STATE >"$work/states" 2>&1 9>&- &
spy=$!
pids+=("$spy")
hud_visible() { xdotool search --all --onlyvisible --pid "$app_pid" --name '^Plovane HUD$' >/dev/null 2>&1; }
hud_hidden() { ! hud_visible; }
wayland_wait 20 hud_visible || fail "the HUD did not show"
if [ "$session" != openbox ]; then
  grep -q "QT_QPA_PLATFORM names Wayland, but Plovane's windows use X11" "$work/app.log" ||
    fail "no line says why QT_QPA_PLATFORM=wayland was not followed"
  echo "ok: with QT_QPA_PLATFORM=wayland the HUD is an X11 window, and the log says why"
fi

wayland_wait 10 wayland_hud_toggle "$app_pid" ||
  fail "the status item is not registered with the panel, or has no Show/Hide HUD row"

sleep 5
for cycle in 1 2 3; do
  lands "cycle$cycle" || fail "[cycle $cycle] what was typed did not reach the xterm"
  wayland_toggle_hud && wayland_wait 5 hud_hidden || fail "[cycle $cycle] the HUD did not hide"
  wayland_toggle_hud && wayland_wait 5 hud_visible || fail "[cycle $cycle] the HUD did not show again"
  sleep 3
done
sleep 3
lands afterwards || fail "what was typed after the HUD's appearances did not reach the xterm"
kill "$spy" 2>/dev/null
grep -q '_NET_WM_STATE(ATOM)' "$work/states" || fail "the window manager never set the HUD's states: $(cat "$work/states")"
if grep -q DEMANDS_ATTENTION "$work/states"; then
  fail "the HUD was marked as demanding attention: $(grep -m1 DEMANDS_ATTENTION "$work/states")"
fi
echo "ok: over 20 s and three hide-and-show cycles the HUD never demanded attention, and the xterm kept the keyboard"
