# Sourced: start_xvfb FIRST LAST starts a virtual X server on the first free display in
# FIRST..LAST and sets DISPLAY and xvfb_pid. A display counts as ours only once the server
# we started holds its lock file and answers, so runs started at the same moment (each
# in a network of its own, where the other's sockets cannot be seen) never share one.
start_xvfb() {
  local n pid
  for n in $(seq "$1" "$2"); do
    if [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] ||
       grep -q "@/tmp/.X11-unix/X$n\$" /proc/net/unix 2>/dev/null; then continue; fi
    Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 9>&- &
    pid=$!
    for _ in $(seq 1 50); do
      kill -0 "$pid" 2>/dev/null || break # another run took this display first
      if [ "$(tr -dc 0-9 2>/dev/null <"/tmp/.X$n-lock")" = "$pid" ] &&
         DISPLAY=":$n" xdpyinfo >/dev/null 2>&1; then
        export DISPLAY=":$n"
        xvfb_pid=$pid
        return 0
      fi
      sleep 0.1
    done
    kill "$pid" 2>/dev/null
  done
  return 1
}
