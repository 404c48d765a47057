#!/usr/bin/env bash
# The test libraries' waits end by the clock: a wait of N seconds gives up after N seconds
# (times the one load allowance) however long each asking takes, and ends at once when what
# it waits for holds.
set -uo pipefail
repo="$1"
source "$repo/scripts/wait-lib.sh"
work=/nonexistent # the session library only names folders below it when sourced
source "$repo/tests/integration/wayland/WaylandSession.sh"

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
elapsed_since() { echo $(( (${EPOCHREALTIME//[!0-9]/} - $1) / 1000 )); } # start in µs: ms
now() { echo "${EPOCHREALTIME//[!0-9]/}"; }

slow_no() { sleep 1; false; }
slow_yes() { sleep 1; }
for wait in wait_until wayland_wait; do
  # Each try takes a second: counting tries, a 2-second wait would last 20.
  start="$(now)"
  PLOVANE_TEST_WAIT_SCALE=1 bash -c "source '$repo/scripts/wait-lib.sh'; $(declare -f slow_no wayland_wait)
    $wait 2 slow_no" && fail "$wait: a command that never succeeds succeeded"
  ms="$(elapsed_since "$start")"
  [ "$ms" -ge 2000 ] && [ "$ms" -lt 6000 ] || fail "$wait 2 with one-second tries took $ms ms"

  start="$(now)"
  $wait 30 slow_yes || fail "$wait: a command that succeeds at once was not waited for"
  ms="$(elapsed_since "$start")"
  [ "$ms" -lt 5000 ] || fail "$wait 30 for a command that succeeds took $ms ms"
done

# The load allowance stretches every wait alike.
start="$(now)"
PLOVANE_TEST_WAIT_SCALE=3 bash -c "source '$repo/scripts/wait-lib.sh'; wait_until 0.5 false"
ms="$(elapsed_since "$start")"
[ "$ms" -ge 1500 ] && [ "$ms" -lt 4500 ] || fail "a 0.5-second wait stretched three times took $ms ms"

# A wait for something to last ends as soon as it stops, and is not stretched.
flag="$(mktemp)"
trap 'rm -f "$flag"' EXIT
(sleep 0.5; rm -f "$flag") &
start="$(now)"
holds_for 10 test -e "$flag" && fail "holds_for: a file removed after half a second held for 10 s"
ms="$(elapsed_since "$start")"
[ "$ms" -lt 4000 ] || fail "holds_for noticed the change only after $ms ms"
start="$(now)"
PLOVANE_TEST_WAIT_SCALE=5 bash -c "source '$repo/scripts/wait-lib.sh'; holds_for 1 true" || fail "holds_for 1 true failed"
ms="$(elapsed_since "$start")"
[ "$ms" -ge 1000 ] && [ "$ms" -lt 4000 ] || fail "holds_for 1 took $ms ms"
wait

[ "$failures" = 0 ] && echo "ok: waits end by the clock"
exit $((failures > 0))
