#!/usr/bin/env bash
# The tests leave nothing in /tmp: taking turns on the knock port leaves no lock file, and
# what a compositor that ended without tidying up left of its X display (its lock file and
# socket) goes with the session test that started it.
source "$(dirname "$0")/AppTestLib.sh"
command -v python3 >/dev/null || { echo "skipped: no python3 to stand in for a compositor"; exit 77; }

# A whole-application test's start, taking turns on the port as it does without a network
# of its own (this test does not hold the turn itself in a network of its own).
if [ "${PLOVANE_PRIVATE_NETWORK:-0}" = 1 ]; then
  before="$(ls -d /tmp/plovane-apptests-* 2>/dev/null)"
  PLOVANE_PRIVATE_NETWORK=0 bash -c 'source "$2/tests/integration/AppTestLib.sh" "$1" "$2"' probe "$app" "$repo" 9>&- ||
    fail "a test taking turns on the port did not begin"
  after="$(ls -d /tmp/plovane-apptests-* 2>/dev/null)"
  [ "$after" = "$before" ] || fail "taking turns on the knock port left $(comm -13 <(echo "$before") <(echo "$after"))"
  echo "ok: taking turns on the knock port leaves no file in /tmp"
fi

# A session test whose compositor ends on SIGTERM without removing its display's lock file
# and socket (as mutter's does when its bus goes first).
# It takes the first display from :400 that no one holds (runs beside this one pick their own).
cat >"$work/session.sh" <<SESSION
source "$repo/tests/integration/wayland/WaylandTest.sh" leftovers
source "$repo/scripts/wait-lib.sh"
python3 -c 'import os, socket, time
for n in range(400, 500):
    if os.path.exists("/tmp/.X11-unix/X%d" % n):
        continue
    try:
        lock = os.open("/tmp/.X%d-lock" % n, os.O_WRONLY | os.O_CREAT | os.O_EXCL, 0o444)
        break
    except FileExistsError:
        pass
else:
    raise SystemExit("no free display from :400 to :499")
os.write(lock, b"%10d\n" % os.getpid())
socket.socket(socket.AF_UNIX).bind("/tmp/.X11-unix/X%d" % n)
print("up", n, flush=True)
time.sleep(300)' >"\$work/compositor.out" 2>&1 9>&- &
pids+=(\$!)
wait_until 10 grep -q up "\$work/compositor.out" || { cat "\$work/compositor.out"; exit 1; }
n=\$(awk '/^up/ {print \$2}' "\$work/compositor.out")
echo "display :\$n held by \$(tr -dc 0-9 </tmp/.X\$n-lock)"
SESSION
# It binds no port, so it does not take turns on the knock port (this test has the turn).
out="$(PLOVANE_OWN_NET=1 bash "$work/session.sh" 2>&1 9>&-)" || fail "the stand-in session did not start: $out"
n="$(sed -n 's/^display :\([0-9]*\) held by [0-9].*/\1/p' <<<"$out")"
[ -n "$n" ] || fail "the stand-in compositor held no display: $out"
left="$(ls -d "/tmp/.X$n-lock" "/tmp/.X11-unix/X$n" 2>/dev/null)"
rm -f "/tmp/.X$n-lock" "/tmp/.X11-unix/X$n"
[ -z "$left" ] || fail "the session test left $left"
echo "ok: a compositor's display left behind goes with its session test"
