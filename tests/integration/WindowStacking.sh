#!/usr/bin/env bash
# Our windows and the floating HUD under a stacking window manager, on a 1024x768 screen
# of their own, in both languages: the first-run setup comes up above the HUD but goes
# under a window the user activates after it; the drain settings and the daily report
# come up above the HUD (stacking order and pixels), with the HUD in its default place and
# in the middle of the screen; once the user clicks another application they drop below
# the HUD, which floats above that application, also after a desktop switch and after the
# window closes. The three windows offer neither minimising nor maximising, and every
# window carries the program's icon.
# Usage: WindowStacking.sh <plovane executable> <repository folder> <openbox|xfwm4|mutter>
wm="${3:-openbox}"
if [ -z "${DISPLAY:-}" ]; then echo "no DISPLAY: run inside scripts/test-desktop.sh"; exit 77; fi
command -v "$wm" >/dev/null || { echo "missing $wm"; exit 77; }
source "$2/scripts/xvfb-lib.sh"
XVFB_SCREEN=1024x768x24 start_xvfb 141 190 || { echo "FAIL: no free X display"; exit 1; }
screen_pid=$xvfb_pid
source "$(dirname "$0")/AppTestLib.sh"
pids+=("$screen_pid")
pictures_tag="$wm"

case "$wm" in
  openbox) start_openbox ;;
  xfwm4) xfwm4 --compositor=off --sm-client-disable 9>&- >/dev/null 2>&1 & ;;
  mutter) mutter --x11 --replace --sm-disable 9>&- >/dev/null 2>&1 & ;;
esac
wm_pid=$!
# Translucent like on the test desktop (mutter composites by itself); stopped before the screen goes.
pids=("$wm_pid" "${pids[@]}")
if [ "$wm" != mutter ]; then
  xcompmgr 9>&- >/dev/null 2>&1 &
  pids=("$!" "${pids[@]}")
fi
wait_for_window_manager || fail "$wm did not start"

hex() { printf '0x%x' "$1"; }
visible_window() { xdotool search --all --onlyvisible --pid "$app_pid" --name "^$1\$" 2>/dev/null | head -1; }
has_window() { [ -n "$(visible_window "$1")" ]; }
no_window() { [ -z "$(visible_window "$1")" ]; }
# The window manager's frame around a client, or the client itself when it has none.
frame_of() {
  local w="$1" parent
  for _ in 1 2 3 4 5 6; do
    parent="$(xwininfo -children -id "$w" 2>/dev/null | awk '/Parent window id/ {print $4}')"
    [ -z "$parent" ] || [ "$((parent))" = 0 ] && break
    grep -q "^ *$parent " <<<"$(xwininfo -root -children 2>/dev/null)" && { echo "$parent"; return; }
    w="$parent"
  done
  hex "$1"
}
# Whether client a is stacked above client b: the window manager's list, and the X
# server's own order of their frames (what is really drawn on top).
stacked_above() { # a b
  local ia="" ib="" i=0 fa fb w
  for w in $(xprop -root _NET_CLIENT_LIST_STACKING | grep -o '0x[0-9a-f]*'); do
    [ "$((w))" = "$(($1))" ] && ia=$i
    [ "$((w))" = "$(($2))" ] && ib=$i
    i=$((i + 1))
  done
  [ -n "$ia" ] && [ -n "$ib" ] && [ "$ia" -gt "$ib" ] || return 1
  fa="$(frame_of "$1")" fb="$(frame_of "$2")"
  ia="" ib="" i=0
  # xwininfo lists the root's children from the top down.
  for w in $(xwininfo -root -children | grep -o '^ *0x[0-9a-f]*'); do
    [ "$((w))" = "$((fa))" ] && ia=$i
    [ "$((w))" = "$((fb))" ] && ib=$i
    i=$((i + 1))
  done
  [ -n "$ia" ] && [ -n "$ib" ] && [ "$ia" -lt "$ib" ]
}
has_above_state() { xprop -id "$1" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE; }
geometry_of() { # window; sets GX GY GW GH (on screen), leaving X Y W H alone
  GX="" GY="" GW="" GH=""
  while IFS='=' read -r key value; do
    case "$key" in X) GX=$value ;; Y) GY=$value ;; WIDTH) GW=$value ;; HEIGHT) GH=$value ;; esac
  done < <(xdotool getwindowgeometry --shell "$1")
}
hud_geometry() { eval "$(xdotool getwindowgeometry --shell "$hud")"; X=$X Y=$Y W=$WIDTH H=$HEIGHT; }
coat() { # image: pixels of the built-in terrier's coat colour in it
  convert "$1" -alpha off -fuzz 3% -fill white -opaque '#a39a86' -fill black +opaque white \
    -format '%[fx:round(mean*w*h)]' info:
}
# In the part of `window` the pet's square shares with it: the coat pixels on the screen,
# and those of the window's own picture there (the drain settings and the report show a
# small pet of their own). Alike while the window is above the HUD.
coat_in_overlap() { # window
  hud_geometry
  geometry_of "$1"
  local px=$((X + 218)) py=$((Y + 10)) left top right bottom size
  left=$((px > GX ? px : GX)); top=$((py > GY ? py : GY))
  right=$((px + 160 < GX + GW ? px + 160 : GX + GW)); bottom=$((py + 160 < GY + GH ? py + 160 : GY + GH))
  [ "$right" -gt "$left" ] && [ "$bottom" -gt "$top" ] || { echo none; return; }
  size="$((right - left))x$((bottom - top))"
  import -window root -crop "$size+$left+$top" +repage "$work/overlap.png" 2>/dev/null
  import -window "$1" -crop "$size+$((left - GX))+$((top - GY))" +repage "$work/own.png" 2>/dev/null
  echo "$(coat "$work/overlap.png") $(coat "$work/own.png")"
}
no_coat_in_overlap() { local n; n=($(coat_in_overlap "$1")); [ "${n[0]}" != none ] && [ "${n[0]}" -le $((n[1] + 20)) ]; }
coat_in_overlap_shows() { local n; n=($(coat_in_overlap "$1")); [ "${n[0]}" != none ] && [ "${n[0]}" -gt $((n[1] + 300)) ]; }
# Neither minimised, maximised nor resized: the window asks so (Motif functions: move and
# close only), and the window manager offers no more (openbox offers minimising to every
# window whatever it asks, by its own rule).
expect_fixed_window_actions() { # window, name
  local actions motif
  motif="$(xprop -id "$1" _MOTIF_WM_HINTS)"
  case "$motif" in *"= 0x3, 0x24, "*) ;; *) fail "[$lang] $2 asks for more than moving and closing: $motif" ;; esac
  actions="$(xprop -id "$1" _NET_WM_ALLOWED_ACTIONS)"
  case "$actions" in *MAXIMIZE* | *RESIZE*) fail "[$lang] $2 offers: $actions" ;; esac
  [ "$wm" != openbox ] && case "$actions" in *MINIMIZE*) fail "[$lang] $2 offers: $actions" ;; esac
  grep -q _NET_WM_ACTION_CLOSE <<<"$actions" || fail "[$lang] $2 cannot be closed: $actions"
}
expect_icon() { # window, name
  grep -q '_NET_WM_ICON(CARDINAL) = ' <<<"$(xprop -id "$1" _NET_WM_ICON)" || fail "[$lang] $2 carries no _NET_WM_ICON"
}
# As the user does, by the window manager's key (a key pressed while the window manager is
# still busy with the activation may not reach it: pressed again then).
close_window() { # window
  for _ in 1 2 3; do
    activate_window "$1"
    sleep 0.3
    xdotool key --clearmodifiers alt+F4
    wait_for 2 not_viewable "$1" && return 0
  done
}
# The user's application: an xterm under the HUD's left part, clicked where nothing of ours lies.
start_user_window() {
  xterm 9>&- -title PlovaneUserWindow -geometry 70x20+10+380 >/dev/null 2>&1 &
  pids+=($!)
  wait_for 10 xdotool search --onlyvisible --name '^PlovaneUserWindow$' || fail "xterm did not map"
  user="$(xdotool search --onlyvisible --name '^PlovaneUserWindow$' | head -1)"
}
click_user_window() {
  xdotool mousemove 20 450 click 1
  wait_for 5 active_is "$user" || fail "[$lang] the click did not activate the xterm"
  sleep 0.5
}

# A window of ours opened over the HUD: above it while active, below it (and the HUD above
# the user's window) once the user clicks elsewhere, after a desktop switch, and closed.
check_window() { # window, title, where, short name
  local w="$1" what="[$lang, $wm, HUD $3] $2"
  wait_for 5 active_is "$w" || fail "$what did not become the active window"
  wait_for 5 stacked_above "$w" "$hud" || fail "$what is below the HUD"
  wait_for 5 no_coat_in_overlap "$w" || fail "$what shows the pet through it (coat pixels on screen and its own: $(coat_in_overlap "$w"))"
  import -window root "$pictures/stacking-$pictures_tag-$lang-$4-$3.png" 2>/dev/null
  # On the way from one window to the next a window manager may name no active window for
  # a moment: while the keyboard stays in ours, the HUD does not come back over it.
  xprop -root -f _NET_ACTIVE_WINDOW 32x -set _NET_ACTIVE_WINDOW 0
  sleep 0.5
  stacked_above "$w" "$hud" || fail "$what goes below the HUD while the window manager names no active window"
  echo "ok: $what comes up above the HUD"
  click_user_window
  wait_for 5 stacked_above "$hud" "$user" || fail "$what: the HUD is below the user's window"
  wait_for 5 stacked_above "$user" "$w" || fail "$what stays above the user's window"
  has_above_state "$w" && fail "$what is kept above other windows"
  wait_for 5 has_above_state "$hud" || fail "$what: the HUD does not float above other windows again"
  wait_for 5 coat_in_overlap_shows "$w" || fail "$what: the pet is not drawn over it after leaving it"
  import -window root "$pictures/stacking-$pictures_tag-$lang-$4-$3-left.png" 2>/dev/null
  xdotool set_desktop 1; sleep 0.6; xdotool set_desktop 0; sleep 0.6
  wait_for 5 stacked_above "$hud" "$user" || fail "$what: the HUD fell below the user's window after a desktop switch"
  echo "ok: $what goes below the HUD and the user's window, the HUD above the xterm also after a desktop switch"
  close_window "$w"
  wait_for 5 no_window "$2" || fail "$what did not close"
  click_user_window
  wait_for 5 stacked_above "$hud" "$user" || fail "$what: the HUD is below the user's window after closing"
}

start_user_window
for lang in zh en; do
  if [ "$lang" = zh ]; then
    setup_title='首次功能配置' drain_title='扣血机制' report_title='今日日报 📊'
  else
    setup_title='First Run Setup' drain_title='Drain Settings' report_title='Daily Report 📊'
  fi
  # Full opacity: the pet's colours are what the pictures look for.
  printf '{"quellin.has_shown_welcome": true, "quellin.idle_opacity": 1.0, "tessivar.language": "%s"}\n' "$lang" >"$settings_dir/defaults.json"
  activate_window "$user"
  start_plovane
  expect_icon "$hud" HUD

  # The first-run setup: above the HUD, then under the xterm the user goes to.
  wait_for 10 has_window "$setup_title" || fail "[$lang] the first-run setup did not show"
  setup="$(visible_window "$setup_title")"
  wait_for 5 stacked_above "$setup" "$hud" || fail "[$lang] the setup is below the HUD"
  expect_fixed_window_actions "$setup" "the setup"
  expect_icon "$setup" "the setup"
  import -window root "$pictures/stacking-$pictures_tag-$lang-setup.png" 2>/dev/null
  activate_window "$user" || fail "[$lang] the xterm did not take the focus from the setup"
  wait_for 5 stacked_above "$user" "$setup" || fail "[$lang] the setup stays above the user's window"
  has_above_state "$setup" && fail "[$lang] the setup is kept above other windows"
  echo "ok: [$lang, $wm] the setup comes above the HUD and goes under the window the user activates"
  close_window "$setup"
  wait_for 5 no_window "$setup_title" || fail "[$lang] the setup did not close"

  for where in default middle; do
    if [ "$where" = middle ]; then
      xdotool windowmove "$hud" $(((1024 - W) / 2)) $(((768 - H) / 2))
      sleep 0.5
    fi
    click_user_window
    hud_geometry
    hud_menu Down 2
    wait_for 10 has_window "$drain_title" || fail "[$lang] drain settings did not open"
    drain="$(visible_window "$drain_title")"
    expect_fixed_window_actions "$drain" "drain settings"
    expect_icon "$drain" "drain settings"
    check_window "$drain" "$drain_title" "$where" drain

    hud_geometry
    hud_menu Down 7
    wait_for 10 has_window "$report_title" || fail "[$lang] the daily report did not open"
    report="$(visible_window "$report_title")"
    expect_fixed_window_actions "$report" "the daily report"
    expect_icon "$report" "the daily report"
    check_window "$report" "$report_title" "$where" report
  done

  hud_menu Up 1
  wait_exit 10
  [ "$rc" = 0 ] || fail "[$lang] exit code $rc after Quit"
done
echo "ok: every check passed under $wm"
