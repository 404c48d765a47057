# Shared by the whole-application tests: a private home, the focus probe window, starting
# plovane and finding its HUD panel. Source it; it defines $work, $app_pid, $hud, X Y W H.
set -uo pipefail
app="$1"
repo="$2"
source "$repo/scripts/wait-lib.sh"
source "$repo/tests/integration/KnockPort.sh"

# Outside the private test desktop these tests would type into the user's own windows.
# CTest shows nothing of a skipped test, so the reason goes to its terminal too.
if [ -z "${PLOVANE_TEST_RUN:-}" ] || [ -z "${DISPLAY:-}" ]; then
  why="needs the private test desktop; run it there: bash scripts/test-desktop.sh ctest --test-dir build"
  why+=" -R '$(basename "$0" .sh)' --output-on-failure"
  echo "skipped: $why"
  [ -t 1 ] || { echo "$(basename "$0" .sh): skipped: $why" >/dev/tty; } 2>/dev/null
  exit 77
fi
for tool in xdotool import convert xmessage; do
  command -v "$tool" >/dev/null || { echo "missing $tool"; exit 77; }
done

# Without a network of this test run's own, the knock port is machine-wide and other
# checkouts run these tests too: one whole-application test at a time on this machine.
# Once it is this test's turn, a program that holds the port is another's.
[ "${PLOVANE_PRIVATE_NETWORK:-0}" = 1 ] || knock_port_take_turn
knock_port_find && knock_port_skip "is held by $knock_port_by"

work="$(mktemp -d "${TMPDIR:-/tmp}/plovane-apptest-XXXXXX")"
# Pictures worth looking at after the run (the build folder's e2e-gallery under CTest).
pictures="${PLOVANE_E2E_PICTURES:-$work}"
mkdir -p "$pictures"
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*"
  describe_desktop
  echo "--- plovane log"; cat "$work/app.log" 2>/dev/null
  import -window root "$pictures/$(basename "$0" .sh)-failure.png" 2>/dev/null &&
    echo "screenshot: $pictures/$(basename "$0" .sh)-failure.png"
  exit 1
}

# What the user would have seen at a failure: the active window and which of ours are
# shown (a menu left open, a window that never came forward).
describe_desktop() {
  local active w
  active="$(xdotool getactivewindow 2>/dev/null)"
  echo "--- desktop: active window ${active:-none} \"$(xdotool getwindowname "${active:-0}" 2>/dev/null)\""
  [ -n "${app_pid:-}" ] || return 0
  for w in $(xdotool search --all --onlyvisible --pid "$app_pid" 2>/dev/null); do
    echo "ours: $w \"$(xdotool getwindowname "$w" 2>/dev/null)\"" \
      "$(xwininfo -id "$w" 2>/dev/null | awk '/-geometry/ {print $2}')"
  done
}

export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share"
export XDG_CACHE_HOME="$work/home/.cache"
# Each run has its own settings folder, which holds its single-instance lock, and its own
# session runtime folder.
export XDG_RUNTIME_DIR="$work/runtime"
settings_dir="$XDG_CONFIG_HOME/plovane"
mkdir -p "$settings_dir" "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

wait_for() { wait_until "$@"; } # seconds, command...
# Waits until a command prints the expected text (asked again each time, unlike a
# `test "$(…)"` evaluated once before waiting).
wait_for_output() { wait_for "$1" output_is "${@:2}"; } # seconds, expected, command...
output_is() { [ "$("${@:2}" 2>/dev/null)" = "$1" ]; }

# The application the user works in: it has the focus and must keep it.
start_focus_probe() {
  xmessage 9>&- -title PlovaneFocusProbe -geometry +700+80 "the user's application" 2>/dev/null &
  pids+=($!)
  wait_for 10 xdotool search --name '^PlovaneFocusProbe$' || fail "probe window did not map"
  probe="$(xdotool search --name '^PlovaneFocusProbe$' | head -1)"
  activate_window "$probe" || fail "probe window is not active"
}
active_is() { [ "$(xdotool getactivewindow 2>/dev/null)" = "$1" ]; } # window id
# Asks the window manager to make a window active, as the user clicks it, and waits by the
# clock until it is (xdotool's --sync waits for ever on a manager that never does). Asked
# again each second meanwhile: a manager that is starting up may drop the first request.
activate_window() { # window id
  activate_asked_us=0
  wait_for 5 window_made_active "$1"
}
window_made_active() {
  active_is "$1" && return 0
  wait_now
  if (( wait_now_us - activate_asked_us >= 1000000 )); then
    xdotool windowactivate "$1" >/dev/null 2>&1
    activate_asked_us=$wait_now_us
  fi
  return 1
}
# The user goes back to their application from a window of ours: the HUD, stepped down
# meanwhile, floats above everything again.
back_to_probe() {
  activate_window "$probe"
  wait_for 5 hud_floats || fail "the HUD does not float above the user's application: $(xprop -id "$hud" _NET_WM_STATE)"
}
hud_floats() { xprop -id "$hud" _NET_WM_STATE 2>/dev/null | grep -q _NET_WM_STATE_ABOVE; }

# Before each start: the program this test started last may still be letting the knock
# port go. Another program that took it meanwhile (the user's own Plovane, starting at
# login) ends the test as skipped.
wait_for_free_knock_port() {
  wait_for 10 knock_port_not_ours || fail "port 8765 is still held by the plovane this test started: $knock_port_by"
  knock_port_find && knock_port_skip "was taken by $knock_port_by during the test"
  return 0
}
# Whether the port is free or held by a program that is not this test's (ours have its HOME).
knock_port_not_ours() {
  knock_port_find || return 0
  ! { [ -n "$knock_port_pid" ] &&
    grep -qxF "HOME=$HOME" <<<"$(tr '\0' '\n' <"/proc/$knock_port_pid/environ" 2>/dev/null)"; }
}

start_plovane() {
  wait_for_free_knock_port
  # Started where a desktop launcher starts it, not from the working copy: the program
  # finds its own data.
  (cd / && exec "$app" 9>&-) >>"$work/app.log" 2>&1 &
  app_pid=$!
  pids+=("$app_pid")
  wait_for 20 xdotool search --all --onlyvisible --pid "$app_pid" --name '^Plovane HUD$' || fail "HUD panel did not map"
  sleep 1
  # Found by name, a window can still go before its geometry is read: ask until both answer.
  wait_for 5 read_hud_geometry || fail "the HUD panel's geometry could not be read"
  eval "$hud_geometry"
  X=$X Y=$Y W=$WIDTH H=$HEIGHT
}

read_hud_geometry() {
  hud="$(xdotool search --all --onlyvisible --pid "$app_pid" --name '^Plovane HUD$' 2>/dev/null | head -1)"
  [ -n "$hud" ] && hud_geometry="$(xdotool getwindowgeometry --shell "$hud" 2>/dev/null)" && [ -n "$hud_geometry" ]
}

# The visible windows of a process other than those listed (ids).
other_windows() { # pid, known ids...
  local pid="$1"; shift
  for w in $(xdotool search --onlyvisible --pid "$pid" 2>/dev/null); do
    case " $* " in *" $w "*) ;; *) echo "$w" ;; esac
  done
}
# Waits for a new window of `pid` (a popup menu) and sets $menu to it. On a busy machine
# the first menu in a language can take seconds (its fonts are read then).
wait_for_menu() { wait_for 10 menu_opened "$@"; } # pid, known ids...
menu_opened() { menu="$(other_windows "$@" | head -1)"; [ -n "$menu" ]; }

# Opens the HUD's right-click menu over the pet, and waits until it is there (what is typed
# next goes to the menu, not to whatever has the keyboard).
open_hud_menu() {
  local known
  known="$(xdotool search --onlyvisible --pid "$app_pid" 2>/dev/null)"
  xdotool mousemove $(( X + ${PLOVANE_E2E_SPRITE_X:-$(( W - 90 ))} )) $(( Y + ${PLOVANE_E2E_SPRITE_Y:-100} )) click 3
  if ! wait_for_menu "$app_pid" $known; then
    # Seen on a machine running two whole suites and more, while a window of ours was
    # active: the user clicks again, and the test says so.
    echo "note: a right click on the pet opened no menu ($(xdotool getmouselocation)," \
      "active window $(xdotool getactivewindow 2>/dev/null)); clicking again"
    xdotool click 3
    wait_for_menu "$app_pid" $known || fail "two right clicks on the pet opened no menu"
  fi
  sleep 0.3 # it takes the keyboard just after it maps
}
# Picks the item `count` steps down the HUD's menu (separators are skipped; "Up" from the
# top wraps to the last item, Quit).
hud_menu() { # key, count
  open_hud_menu
  xdotool key --delay 120 $(yes "$1" | head -n "$2")
  sleep 0.2
  xdotool key Return
}

# Whether a window sits inside the XEmbed tray's window (our status icon does).
in_tray() { # window
  local w="$1"
  for _ in 1 2 3 4 5 6; do
    w="$(xwininfo -children -id "$w" 2>/dev/null | awk '/Parent window id/ {print $4}')"
    # Past the root the parent is 0x0, and xprop would wait for a click to pick a window.
    { [ -n "$w" ] && [ "$w" != 0x0 ]; } || return 1
    xprop -id "$w" WM_CLASS 2>/dev/null | grep -q '"trayer"' && return 0
  done
  return 1
}

# Our mapped window titled exactly $1. Each window is asked by itself: a search alone can
# name a window that is going away (the HUD's, at quit) with another's title, and
# xdotool's own patterns do not match Chinese titles in every locale.
window_titled() {
  local w
  for w in $(xdotool search --all --onlyvisible --pid "$app_pid" --name . 2>/dev/null); do
    [ "$(xdotool getwindowname "$w" 2>/dev/null)" = "$1" ] && ! not_viewable "$w" && echo "$w" && return
  done
}
not_viewable() { ! xwininfo -id "$1" 2>/dev/null | grep -q IsViewable; }
# Waits until our window titled $2 is shown and prints its id (found and named in one go,
# so a search that comes back empty for a moment cannot leave the id empty).
await_window_titled() { # seconds, title
  wait_for "$1" window_found "$2" && echo "$found_window"
}
window_found() { found_window="$(window_titled "$1")" && [ -n "$found_window" ]; }

wait_exit() { # seconds; sets rc
  wait_for "$1" process_ended "$app_pid" ||
    fail "plovane still running (windows: $(xdotool search --onlyvisible --pid "$app_pid" --name . getwindowname %@ 2>/dev/null |
      paste -sd '|'); threads waiting in: $(for f in /proc/"$app_pid"/task/*/wchan; do printf '%s ' "$(cat "$f" 2>/dev/null)"; done))"
  wait "$app_pid"; rc=$?
}

today_file() { echo "$settings_dir/days/$(date +%F).json"; }
