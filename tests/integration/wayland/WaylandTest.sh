# How every whole-program test in a Wayland session begins. Source it first, with a short
# name for its folder and the script's own arguments:
#   source "$(dirname "$0")/WaylandTest.sh" NAME "$@"
# The script then runs again in a network of its own where one can be made (the knock port
# and the display sockets are its alone, so it runs beside the other tests), else under the
# lock that lets one whole-program test run at a time. It gets $work (a private folder,
# removed at the end), the array pids (killed at the end, last first) and fail MESSAGE,
# which shows the program's log and the last lines of the session's other logs, and exits 1.

wayland_test_name="$1"; shift
if [ -z "${PLOVANE_OWN_NET:-}" ] && unshare --net true 2>/dev/null; then
  export PLOVANE_OWN_NET=1
  exec unshare --net -- bash -c 'ip link set lo up && exec bash "$0" "$@"' "${BASH_SOURCE[1]}" "$@"
fi
if [ -z "${PLOVANE_OWN_NET:-}" ]; then
  exec 9>>"/tmp/plovane-apptests-$(id -u).lock"
  flock -w 300 9 || { echo "FAIL: another run held the whole-application test lock for 5 minutes"; exit 1; }
fi

work="$(mktemp -d "${TMPDIR:-/tmp}/plovane-$wayland_test_name-XXXXXX")"
pids=()
cleanup() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[$i]}" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL (${session:-$wayland_test_name}): $*"
  echo "--- plovane log (last 30 lines)"; tail -30 "$work/app.log" 2>/dev/null
  local log
  for log in "$work"/*.log; do
    [ "$log" != "$work/app.log" ] && [ -s "$log" ] &&
      { echo "--- $(basename "$log") (last 10 lines)"; tail -10 "$log"; }
  done
  exit 1
}
