# Sourced by the tests that start Plovane. Where a test run has no network of its own, the
# knock port is the machine's: those tests take turns on it, one at a time on the machine
# whoever runs them, and each finds out for itself whether another program holds it.

# Waits for this test's turn (five minutes at most). The lock is on /tmp itself, which
# every user may open, so it leaves no file behind. Programs started meanwhile close
# descriptor 9 (9>&-), so none of them keeps the turn after the test.
knock_port_take_turn() {
  exec 9</tmp
  flock -w 300 9 || { echo "FAIL: another test run held the knock port's turn for 5 minutes"; exit 1; }
}

# Whether something listens on the knock port; sets knock_port_by to a description of it,
# and knock_port_pid to its process where that can be seen (not another user's, unless root).
knock_port_find() {
  local file local_address st uid inode fd
  knock_port_by="" knock_port_pid=""
  for file in /proc/net/tcp /proc/net/tcp6; do
    while read -r _ local_address _ st _ _ _ uid _ inode _; do
      # 0A is a listening socket; 223D is 8765.
      [ "$st" = 0A ] && [ "${local_address##*:}" = 223D ] || continue
      fd="$(find /proc/[0-9]*/fd -maxdepth 1 -lname "socket:\[$inode\]" -print -quit 2>/dev/null)"
      knock_port_pid="$(cut -d/ -f3 <<<"$fd")"
      if [ -n "$knock_port_pid" ]; then
        knock_port_by="$(cat "/proc/$knock_port_pid/comm" 2>/dev/null) (pid $knock_port_pid"
        [ "$uid" = "$(id -u)" ] || knock_port_by+=", user $(id -nu "$uid" 2>/dev/null || echo "$uid")"
        knock_port_by+=")"
      else
        knock_port_by="a program of user $(id -nu "$uid" 2>/dev/null || echo "$uid")"
      fi
      return 0
    done < <(tail -n +2 "$file" 2>/dev/null)
  done
  return 1
}

knock_port_skip() { # what happened
  echo "skipped: port 8765 $1: quit it, or run the tests as root, where they get a network of their own"
  exit 77
}
