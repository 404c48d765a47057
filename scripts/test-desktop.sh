#!/usr/bin/env bash
# Starts a private desktop for the tests and runs a command inside it:
# Xvfb on a free display, a session bus, openbox, a compositor, a tray host and the
# accessibility bus. Everything started here is stopped again by its own pid.
#
# Where the system allows it, the desktop gets a network of its own (a loopback only), so
# the program's fixed knock port and anything else the tests bind never meet what the
# machine already runs, such as the user's own copy of Plovane. Temporary files go to a
# folder of this run, removed at the end. The desktop has a UTF-8 locale and sees only the
# fonts the project installs (a second font configuration adds a desktop's own faces).
set -uo pipefail

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

pids=()
cleanup() {
  for ((i=${#pids[@]}-1; i>=0; i--)); do kill "${pids[$i]}" 2>/dev/null; done
  [ -n "${DBUS_SESSION_BUS_PID:-}" ] && kill "$DBUS_SESSION_BUS_PID" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$run_tmp"
}
trap cleanup EXIT

source "$(dirname "${BASH_SOURCE[0]}")/xvfb-lib.sh"
use_utf8_locale
machine_fonts="${FONTCONFIG_FILE-}"
pin_fonts "$run_tmp/fonts"
# PLOVANE_TEST_FONTS=desktop draws everything with the desktop's faces, =machine with the
# machine's own fonts (to measure what they cost, e.g. with bench/idle-app.sh).
case "${PLOVANE_TEST_FONTS:-}" in
  desktop) export FONTCONFIG_FILE="$PLOVANE_DESKTOP_FONTCONFIG" ;;
  machine) if [ -n "$machine_fonts" ]; then export FONTCONFIG_FILE="$machine_fonts"; else unset FONTCONFIG_FILE; fi ;;
esac
start_xvfb 91 140 || { echo "test-desktop: no free X display" >&2; exit 1; }
pids+=("$xvfb_pid")

export XDG_RUNTIME_DIR="$run_tmp/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
eval "$(dbus-launch --sh-syntax)"
export DBUS_SESSION_BUS_ADDRESS DBUS_SESSION_BUS_PID

openbox >/dev/null 2>&1 &
pids+=($!)
xcompmgr >/dev/null 2>&1 &
pids+=($!)
if command -v trayer >/dev/null 2>&1; then
  trayer --edge top --align right --widthtype pixel --width 100 --height 24 >/dev/null 2>&1 &
  pids+=($!)
fi
if [ -x /usr/libexec/at-spi-bus-launcher ]; then
  /usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
  pids+=($!)
  a11y_on=""
  for _ in $(seq 1 30); do
    if gdbus call --session --dest org.a11y.Bus --object-path /org/a11y/bus \
      --method org.freedesktop.DBus.Properties.Set org.a11y.Status IsEnabled "<true>" >/dev/null 2>&1; then
      a11y_on=1; break
    fi
    sleep 0.1
  done
  [ -n "$a11y_on" ] || echo "test-desktop: could not switch the accessibility bus on" >&2
fi
sleep 0.3

"$@"
rc=$?
exit $rc
