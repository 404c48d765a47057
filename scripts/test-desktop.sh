#!/usr/bin/env bash
# Starts a private desktop for the tests and runs a command inside it:
# Xvfb on a free display, a session bus, openbox, a compositor, a tray host and the
# accessibility bus. Everything started here is stopped again by its own pid, and what
# those programs started in turn (services the buses start on demand) is found and
# stopped at the end too.
#
# Where the system allows it, the desktop gets a network of its own (a loopback only), so
# the program's fixed knock port and anything else the tests bind never meet what the
# machine already runs, such as the user's own copy of Plovane. Temporary files, and the
# home and XDG folders of every program started here, go to a folder of this run, removed
# at the end: the user's own home is never touched. The desktop has a UTF-8 locale and
# sees only the fonts the project installs (a second font configuration adds a desktop's
# own faces).
set -uo pipefail
scripts="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"

if [ -z "${PLOVANE_PRIVATE_NETWORK:-}" ]; then
  if unshare --net true 2>/dev/null; then
    export PLOVANE_PRIVATE_NETWORK=1
    exec unshare --net -- bash -c 'ip link set lo up && exec bash "$0" "$@"' "${BASH_SOURCE[0]}" "$@"
  fi
  export PLOVANE_PRIVATE_NETWORK=0
  echo "test-desktop: no private network here; the tests share the machine's ports" >&2
fi

run_tmp="$(mktemp -d "${TMPDIR:-/tmp}/plovane-tests-XXXXXX")"
chmod 711 "$run_tmp" # tests that give up root still reach their own folders below it
export TMPDIR="$run_tmp"
export HOME="$run_tmp/home" XDG_CONFIG_HOME="$run_tmp/home/.config" XDG_DATA_HOME="$run_tmp/home/.local/share"
export XDG_CACHE_HOME="$run_tmp/home/.cache" XDG_STATE_HOME="$run_tmp/home/.local/state"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$XDG_STATE_HOME"
# Every program started from here on carries this mark in its environment.
export PLOVANE_TEST_RUN="$run_tmp"

source "$scripts/xvfb-lib.sh"

# Stops what still runs with this run's mark: what the buses started on demand, and
# whatever a test left behind. Only builtins here, so nothing this starts carries the mark.
stop_marked_processes() {
  local signal p entry found
  for signal in TERM KILL; do
    found=""
    for p in /proc/[0-9]*; do
      p="${p#/proc/}"
      [ "$p" = "$$" ] || [ "$p" = "$BASHPID" ] && continue
      while IFS= read -r -d '' entry; do
        if [ "$entry" = "PLOVANE_TEST_RUN=$run_tmp" ]; then kill -s "$signal" "$p" 2>/dev/null && found=1; break; fi
      done 2>/dev/null <"/proc/$p/environ"
    done
    [ -z "$found" ] && return 0
    [ "$signal" = TERM ] && sleep 1
  done
}

# X servers make /tmp/.X11-unix where the machine has none. A run that finds none makes it
# itself, with a mark inside, and the run that ends last removes it again once nothing but
# the mark is left in it: never a folder the machine had, nor one with a socket in it.
x11_dir=/tmp/.X11-unix
x11_mark=.made-by-plovane-tests
x11_dir_by_tests=""
make_x11_dir() {
  mkdir -m 1777 "$x11_dir" 2>/dev/null && : >"$x11_dir/$x11_mark"
  [ -e "$x11_dir/$x11_mark" ] && x11_dir_by_tests=1
}
remove_x11_dir_if_made_by_tests() {
  # Also when the mark went meanwhile: a run that ended as ours began took the folder, and
  # our X server made it again.
  [ -n "$x11_dir_by_tests" ] || [ -e "$x11_dir/$x11_mark" ] || return 0
  [ -d "$x11_dir" ] && [ -z "$(find "$x11_dir" -mindepth 1 -maxdepth 1 ! -name "$x11_mark" -print -quit)" ] ||
    return 0
  rm -f "$x11_dir/$x11_mark" 2>/dev/null || return 0
  # A socket that came in meanwhile keeps it, marked again for the run that ends last.
  rmdir "$x11_dir" 2>/dev/null || { [ -d "$x11_dir" ] && : >"$x11_dir/$x11_mark"; }
}

pids=()
cleanup() {
  for ((i=${#pids[@]}-1; i>=0; i--)); do kill "${pids[$i]}" 2>/dev/null; done
  [ -n "${DBUS_SESSION_BUS_PID:-}" ] && kill "$DBUS_SESSION_BUS_PID" 2>/dev/null
  wait 2>/dev/null
  stop_marked_processes
  rm -rf "$run_tmp"
  remove_x11_dir_if_made_by_tests
}
trap cleanup EXIT

use_utf8_locale
# The session is this X11 desktop, whatever the caller's is: the variables of a Wayland or
# GNOME session around the run would change what Qt shows (its dialogs, its platform).
export XDG_SESSION_TYPE=x11 XDG_CURRENT_DESKTOP=openbox
unset WAYLAND_DISPLAY QT_QPA_PLATFORM QT_QPA_PLATFORMTHEME XDG_SESSION_DESKTOP DESKTOP_SESSION
machine_fonts="${FONTCONFIG_FILE-}"
pin_fonts "$run_tmp/fonts"
# PLOVANE_TEST_FONTS=desktop draws everything with the desktop's faces, =machine with the
# machine's own fonts (to measure what they cost, e.g. with bench/idle-app.sh).
case "${PLOVANE_TEST_FONTS:-}" in
  desktop) export FONTCONFIG_FILE="$PLOVANE_DESKTOP_FONTCONFIG" ;;
  machine) if [ -n "$machine_fonts" ]; then export FONTCONFIG_FILE="$machine_fonts"; else unset FONTCONFIG_FILE; fi ;;
esac

make_x11_dir
start_xvfb 91 140 || { echo "test-desktop: no free X display" >&2; exit 1; }
pids+=("$xvfb_pid")

export XDG_RUNTIME_DIR="$run_tmp/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
eval "$(dbus-launch --sh-syntax)"
export DBUS_SESSION_BUS_ADDRESS DBUS_SESSION_BUS_PID

start_openbox
pids+=("$openbox_pid")
xcompmgr >/dev/null 2>&1 &
pids+=($!)
if command -v trayer >/dev/null 2>&1; then
  trayer --edge top --align right --widthtype pixel --width 100 --height 24 >/dev/null 2>&1 &
  pids+=($!)
fi
if [ -x /usr/libexec/at-spi-bus-launcher ]; then
  /usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
  pids+=($!)
  wait_until 3 gdbus call --session --dest org.a11y.Bus --object-path /org/a11y/bus \
    --method org.freedesktop.DBus.Properties.Set org.a11y.Status IsEnabled "<true>" ||
    echo "test-desktop: could not switch the accessibility bus on" >&2
fi
wait_for_window_manager || echo "test-desktop: openbox did not start" >&2

"$@"
rc=$?
exit $rc
