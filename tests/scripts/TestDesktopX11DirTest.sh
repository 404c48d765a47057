#!/usr/bin/env bash
# The private desktop on a machine without /tmp/.X11-unix leaves none behind: the folder its
# X server needed goes at the end, also where two runs overlapped and the one that began
# second ends last, while the first's end left it to the second, whose server still ran.
# A folder the machine had stays. It runs in a /tmp of its own, so it needs root.
set -uo pipefail

if [ -z "${PLOVANE_X11_DIR_TEST:-}" ]; then
  repo="$1"
  if ! why="$(unshare --mount --net true 2>&1)"; then
    [ "$(id -u)" = 0 ] || why="only root can make them here"
    echo "skipped: needs a /tmp and a network of its own: $why"
    exit 77
  fi
  # The scripts go along through open files: the new /tmp may hide the repository.
  # In a network of its own, each run below makes its own as on a machine.
  exec 7<"${BASH_SOURCE[0]}" 8<"$repo/scripts"
  PLOVANE_X11_DIR_TEST=1 exec unshare --mount --net -- bash -c \
    'mount -t tmpfs tmpfs /tmp && cp /proc/self/fd/7 /tmp/test.sh && cp -rH /proc/self/fd/8 /tmp/scripts &&
     exec 7<&- 8<&- && exec bash /tmp/test.sh'
fi
unset PLOVANE_PRIVATE_NETWORK TMPDIR
desktop=/tmp/scripts/test-desktop.sh
source /tmp/scripts/wait-lib.sh
fail() { echo "FAIL: $*"; exit 1; }
log=/tmp/runs.log # gone with this /tmp
[ ! -e /tmp/.X11-unix ] || fail "the new /tmp already had .X11-unix"

bash "$desktop" xdpyinfo >>"$log" 2>&1 || fail "a desktop did not start: $(tail -5 "$log")"
[ ! -e /tmp/.X11-unix ] || fail "a run left the /tmp/.X11-unix it made: $(ls -A /tmp/.X11-unix)"
left="$(find /tmp -mindepth 1 -maxdepth 1 ! -name scripts ! -name test.sh ! -name runs.log)"
[ -z "$left" ] || fail "a run left in /tmp: $left"
echo "ok: a run removes the /tmp/.X11-unix it made, and leaves nothing in /tmp"

# The first run makes the folder; the second begins while the first's display is up, and
# still has its own once the first has ended. Each holds its desktop until told (two
# minutes at most), and is told on the way out whatever happens.
hold() { # name
  echo "touch /tmp/$1-up; for i in \$(seq 1200); do [ -e /tmp/$1-go ] && break; sleep 0.1; done"
}
trap 'touch /tmp/first-go /tmp/second-go; wait' EXIT
bash "$desktop" bash -c "$(hold first)" >>"$log" 2>&1 &
first=$!
wait_until 30 test -e /tmp/first-up || fail "the first desktop did not start: $(tail -5 "$log")"
bash "$desktop" bash -c "$(hold second); xdpyinfo >/dev/null" >>"$log" 2>&1 &
second=$!
wait_until 30 test -e /tmp/second-up || fail "the second desktop did not start: $(tail -5 "$log")"
touch /tmp/first-go
wait "$first"
[ -d /tmp/.X11-unix ] || fail "the first run to end took the folder from the second"
touch /tmp/second-go
wait "$second" || fail "the second desktop lost its display when the first ended: $(tail -5 "$log")"
[ ! -e /tmp/.X11-unix ] || fail "overlapping runs left /tmp/.X11-unix: $(ls -A /tmp/.X11-unix)"
echo "ok: overlapping runs remove the folder when the last ends"

mkdir -m 1777 /tmp/.X11-unix
bash "$desktop" true >>"$log" 2>&1 || fail "a desktop did not start: $(tail -5 "$log")"
[ -d /tmp/.X11-unix ] || fail "a run removed the /tmp/.X11-unix that was there before it"
echo "ok: a run keeps the /tmp/.X11-unix that was there"
