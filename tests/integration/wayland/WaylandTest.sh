# How every whole-program test in a Wayland session begins. Source it first, with a short
# name for its folder and the script's own arguments:
#   source "$(dirname "$0")/WaylandTest.sh" NAME "$@"
# The script then runs again in a network of its own where one can be made (the knock port
# and the display sockets are its alone, so it runs beside the other tests), else under the
# lock that lets one whole-program test run at a time. It gets $work (a private folder,
# removed at the end), the array pids (killed at the end, last first) and fail MESSAGE,
# which shows the program's log and the last lines of the session's other logs, and exits 1.
# With wayland_own_tmp=1 it runs again with a /tmp of its own as well (GNOME Shell gives
# its Xwayland the lowest free display number): what it reaches under the old /tmp (its
# arguments, the test run's folder) is bound into the new one at the same place.

wayland_test_name="$1"; shift
if [ -n "${wayland_own_tmp:-}" ] && [ -z "${PLOVANE_OWN_TMP:-}" ]; then
  if ! why="$(unshare --mount --net true 2>&1)"; then
    [ "$(id -u)" = 0 ] || why="only root can make them here"
    echo "skipped: GNOME Shell needs a /tmp and a network of its own: $why"
    exit 77
  fi
  wayland_keep=""
  for path in "${BASH_SOURCE[1]}" "$@" "${TMPDIR:-}" "${FONTCONFIG_FILE:-}" "${PLOVANE_TEST_KEEP_DIR:-}"; do
    path="$(realpath -m "$path" 2>/dev/null)"
    [[ "$path" == /tmp/?* ]] || continue
    path="${path#/tmp/}" path="${path%%/*}"
    [[ " $wayland_keep " == *" $path "* ]] || wayland_keep+=" $path"
  done
  export PLOVANE_OWN_TMP=1 PLOVANE_OWN_NET=1
  # mount must not resolve the old /tmp's path, which then names the new one.
  exec unshare --mount --net -- bash -c 'ip link set lo up && exec 8</tmp && mount -t tmpfs tmpfs /tmp &&
    mkdir -m 1777 /tmp/.X11-unix && for top in $1; do
      mkdir "/tmp/$top" && mount --no-canonicalize --bind "/proc/self/fd/8/$top" "/tmp/$top" || exit 1
    done && exec 8<&- && shift && exec bash "$0" "$@"' "$(realpath "${BASH_SOURCE[1]}")" "$wayland_keep" "$@"
fi
if [ -z "${PLOVANE_OWN_NET:-}" ] && unshare --net true 2>/dev/null; then
  export PLOVANE_OWN_NET=1
  exec unshare --net -- bash -c 'ip link set lo up && exec bash "$0" "$@"' "${BASH_SOURCE[1]}" "$@"
fi
if [ -z "${PLOVANE_OWN_NET:-}" ]; then
  source "$(dirname "${BASH_SOURCE[0]}")/../KnockPort.sh"
  knock_port_take_turn
fi

source "$(dirname "${BASH_SOURCE[0]}")/../../../scripts/wait-lib.sh"
work="$(mktemp -d "${TMPDIR:-/tmp}/plovane-$wayland_test_name-XXXXXX")"
pids=()
# Stops what the test started, last first, each before the next: a compositor takes its
# Xwayland down while its session bus still runs. What a compositor that ended all the same
# left of its X displays (lock files and sockets naming it) is removed.
cleanup() {
  local i lock owner
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    kill "${pids[$i]}" 2>/dev/null || continue
    wait_until 10 process_ended "${pids[$i]}" || kill -KILL "${pids[$i]}" 2>/dev/null
  done
  wait 2>/dev/null
  for lock in /tmp/.X*-lock; do
    # With no lock at all the pattern stays as it is; a lock may also go as it is read.
    [ -e "$lock" ] || continue
    owner="$(tr -dc 0-9 2>/dev/null <"$lock")"
    [ -n "$owner" ] && [[ " ${pids[*]} " == *" $owner "* ]] && process_ended "$owner" || continue
    lock="${lock#/tmp/.X}"
    rm -f "/tmp/.X$lock" "/tmp/.X11-unix/X${lock%-lock}"
  done
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  local why="$*" log
  # A compositor that has died took the session's windows with it: that is the failure.
  declare -F wayland_compositor_ended >/dev/null && wayland_compositor_ended &&
    why="$wayland_compositor_end; the test then found: $why"
  echo "FAIL (${session:-$wayland_test_name}): $why"
  echo "--- plovane log (last 30 lines)"; tail -30 "$work/app.log" 2>/dev/null
  for log in "$work"/*.log; do
    [ "$log" != "$work/app.log" ] && [ -s "$log" ] &&
      { echo "--- $(basename "$log") (last 10 lines)"; tail -10 "$log"; }
  done
  declare -F wayland_post_mortem >/dev/null && wayland_post_mortem
  exit 1
}
# CTest stops a test at its limit without a word: shortly before, the test fails itself
# with the logs, so a session that hangs says where.
if [ -n "${PLOVANE_TEST_TIMEOUT:-}" ]; then
  (
    sleep $((PLOVANE_TEST_TIMEOUT - 15)) </dev/null >/dev/null 2>&1 9>&- &
    trap 'kill $! 2>/dev/null; exit 0' TERM
    wait $! && fail "still running after $((PLOVANE_TEST_TIMEOUT - 15)) s"
  ) &
  pids+=($!)
fi
