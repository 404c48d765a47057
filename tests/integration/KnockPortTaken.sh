#!/usr/bin/env bash
# Another program on the knock port (the user's own Plovane, say) skips a test that starts
# Plovane, at once and naming that program: when it holds the port as the test begins, and
# when it takes the port while the test runs.
source "$(dirname "$0")/AppTestLib.sh"
command -v python3 >/dev/null || { echo "skipped: no python3 to hold the port"; exit 77; }

# A whole-application test, cut short: it begins, says it is ready and, once the port is
# held, prepares to start Plovane again. This test has the port's turn already.
probe() {
  PLOVANE_PRIVATE_NETWORK=1 bash -c 'source "$2/tests/integration/AppTestLib.sh" "$1" "$2"
    : >"$3"; wait_for 20 port_held; wait_for_free_knock_port; echo "went on"' \
    probe "$app" "$repo" "$work/ready" 9>&-
}
port_held() { [ -n "$(ss -Hltn 'sport = :8765' 2>/dev/null)" ]; }
export -f port_held
hold_port() {
  HOME=/ python3 -c 'import socket, time
s = socket.socket(); s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
s.bind(("0.0.0.0", 8765)); s.listen(); time.sleep(300)' 9>&- &
  holder=$!
  pids+=("$holder")
  wait_for 5 port_held || fail "the stand-in did not take port 8765"
}
ms_since() { echo $(( (${EPOCHREALTIME//[!0-9]/} - $1) / 1000 )); }

# Taken during the test.
probe >"$work/during.out" 2>&1 &
prober=$!
pids+=("$prober")
wait_for 20 test -e "$work/ready" || fail "the cut-short test did not begin: $(cat "$work/during.out")"
hold_port
start="${EPOCHREALTIME//[!0-9]/}"
wait "$prober"; rc=$?
ms="$(ms_since "$start")"
out="$(cat "$work/during.out")"
[ "$rc" = 77 ] || fail "with the port taken during the test, it ended with $rc: $out"
grep -qF "skipped: port 8765 was taken by python3 (pid $holder) during the test" <<<"$out" ||
  fail "the skip does not name the program that took the port: $out"
[ "$ms" -lt 5000 ] || fail "the skip came $ms ms after the port was taken"
echo "ok: a port taken during a test skips it in $ms ms: $(grep skipped <<<"$out")"

# Held as the test begins.
rm -f "$work/ready"
start="${EPOCHREALTIME//[!0-9]/}"
out="$(probe 2>&1)"; rc=$?
ms="$(ms_since "$start")"
[ "$rc" = 77 ] || fail "with the port held, the test ended with $rc: $out"
grep -qF "skipped: port 8765 is held by python3 (pid $holder)" <<<"$out" ||
  fail "the skip does not name the program that holds the port: $out"
[ ! -e "$work/ready" ] || fail "the test began although the port was held"
echo "ok: a port held as a test begins skips it in $ms ms: $(grep skipped <<<"$out")"
