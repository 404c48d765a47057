# Headless Wayland sessions with Xwayland for the tests and measurements: sway, KWin,
# mutter or GNOME Shell, each with its own runtime folder and session bus. Source it after
# defining $work (a private folder), the array pids (killed at the end, last first) and
# fail(). GNOME Shell gives its Xwayland the lowest free display number, so run it only in
# a mount namespace with a /tmp of its own.
#
#   wayland_start sway|kwin|mutter|gnome-shell
#                                    starts the compositor and exports WAYLAND_DISPLAY
#                                    (a full path), DISPLAY and XAUTHORITY of its
#                                    Xwayland, DBUS_SESSION_BUS_ADDRESS, XDG_RUNTIME_DIR
#                                    (the session's clients', $work/runtime), and SWAYSOCK
#                                    on sway; exits 77, saying why, when it cannot start
#   wayland_type TEXT                types TEXT (letters, digits, spaces, newlines, Escape) into the
#                                    focused window, through the compositor's own input
#   wayland_type_every_second TEXT N types TEXT N times, a second apart (one keyboard
#                                    throughout, as a user's)
#   wayland_accessibility_bus        starts the accessibility bus on the session bus and
#                                    switches it on
#   wayland_status_panel             starts lxqt-panel as the StatusNotifierItem host
#   wayland_hud_toggle PID           finds the status item of process PID and its
#                                    "Show/Hide HUD" row (false until both are there);
#                                    wayland_toggle_hud then clicks that row
# $typer must name the plovane_wayland_typer program for KWin, mutter and GNOME Shell.
# GNOME Shell takes two settings from the test, when set: $wayland_monitor, the size of
# its screen (1280x800 by default), and $wayland_gnome_extensions, the extensions to switch
# on (a GVariant list of uuids), those not installed on the machine being folders in
# $wayland_gnome_extension_dir.

source "$(dirname "${BASH_SOURCE[0]}")/../../../scripts/wait-lib.sh"
# Waits as wait_until does, but gives up as soon as the compositor has ended: nothing it
# took with it comes up again.
wayland_wait() { # seconds, command...
  local seconds="$1"; shift
  wait_until "$seconds" succeeds_or_compositor_ended "$@" && ! wayland_compositor_ended
}
succeeds_or_compositor_ended() { "$@" || wayland_compositor_ended; }

# The compositor's pid, once started. wayland_compositor_ended succeeds once it has ended,
# and sets wayland_compositor_end to how ("gnome-shell died (signal 11)").
wayland_compositor_pid=""
wayland_compositor_end=""
wayland_compositor_ended() {
  [ -n "$wayland_compositor_end" ] && return 0
  [ -n "$wayland_compositor_pid" ] && process_ended "$wayland_compositor_pid" || return 1
  local status
  wait "$wayland_compositor_pid" 2>/dev/null
  status=$?
  if ((status == 127)); then # not this shell's child (a subshell asks): how is not known
    wayland_compositor_end="$wayland_kind has ended"
  elif ((status > 128)); then
    wayland_compositor_end="$wayland_kind died (signal $((status - 128)))"
  else
    wayland_compositor_end="$wayland_kind exited with $status"
  fi
}

wayland_skip() { echo "skipped: $*"; exit 77; }

# The compositors start from an empty environment but for the PATH, the mark by which the
# test desktop finds what is left of its run, and a cache folder: without one, Mesa keeps
# its shaders in the home the password database names, whatever HOME says.
wayland_clean_env=(env -i PATH="$PATH" PLOVANE_TEST_RUN="${PLOVANE_TEST_RUN:-}"
  XDG_CACHE_HOME="${XDG_CACHE_HOME:-$work/cache}")

wayland_watcher=(gdbus call --session --dest org.kde.StatusNotifierWatcher --object-path /StatusNotifierWatcher
  --method org.freedesktop.DBus.Properties.Get org.kde.StatusNotifierWatcher)

# The user's home inside the run's folder, Plovane's first run already behind them and the
# language given (English unless said); $settings_dir is Plovane's folder in it.
wayland_user_home() { # [language]
  export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share"
  export XDG_CACHE_HOME="$work/home/.cache"
  settings_dir="$XDG_CONFIG_HOME/plovane"
  mkdir -p "$settings_dir"
  printf '{"quellin.has_shown_welcome": true, "quellin.has_completed_first_run_setup": true, "tessivar.language": "%s"}\n' \
    "${1:-en}" >"$settings_dir/defaults.json"
}

wayland_status_panel() {
  mkdir -p "$work/panel/lxqt"
  printf '[panel1]\nplugins=sni\nposition=Top\n\n[sni]\ntype=statusnotifier\n' >"$work/panel/lxqt/panel.conf"
  XDG_CONFIG_HOME="$work/panel" QT_QPA_PLATFORM=xcb lxqt-panel >"$work/panel.log" 2>&1 9>&- &
  pids+=($!)
  wayland_wait 15 sh -c "${wayland_watcher[*]} IsStatusNotifierHostRegistered | grep -q true" ||
    fail "lxqt-panel did not start"
}

wayland_hud_toggle() { # pid
  local name pid
  for name in $("${wayland_watcher[@]}" RegisteredStatusNotifierItems 2>/dev/null | grep -oP "(?<=')[^'/]+"); do
    pid="$(gdbus call --session --dest org.freedesktop.DBus --object-path / \
      --method org.freedesktop.DBus.GetConnectionUnixProcessID "$name" 2>/dev/null | grep -o '[0-9]\+' | tail -1)"
    [ "$pid" = "$1" ] || continue
    wayland_item="$name"
    wayland_toggle_id="$(gdbus call --session --dest "$name" --object-path /MenuBar \
      --method com.canonical.dbusmenu.GetLayout -- 0 -1 '[]' |
      grep -oP "\(\d+, \{[^}]*'label': <'Show/Hide HUD'>" | head -1 | grep -oP '^\(\d+' | tr -d '(')"
    [ -n "$wayland_toggle_id" ]
    return
  done
  return 1
}

wayland_toggle_hud() {
  gdbus call --session --dest "$wayland_item" --object-path /MenuBar --method com.canonical.dbusmenu.Event -- \
    "$wayland_toggle_id" clicked '<int32 0>' 0 >/dev/null
}

# A session bus of the compositor's own, so nothing else on the test desktop answers for it.
wayland_session_bus() {
  : >"$work/bus-address"
  dbus-daemon --session --nofork --nopidfile --print-address=3 3>"$work/bus-address" >/dev/null 2>&1 9>&- &
  pids+=($!)
  wayland_wait 5 test -s "$work/bus-address" || fail "the session bus did not start"
  DBUS_SESSION_BUS_ADDRESS="$(head -1 "$work/bus-address")"
  export DBUS_SESSION_BUS_ADDRESS
  unset DBUS_SESSION_BUS_PID
}

wayland_accessibility_bus() {
  [ -x /usr/libexec/at-spi-bus-launcher ] || wayland_skip "no at-spi-bus-launcher (Debian: at-spi2-core)"
  /usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 9>&- &
  pids+=($!)
  wayland_wait 5 gdbus call --session --dest org.a11y.Bus --object-path /org/a11y/bus \
    --method org.freedesktop.DBus.Properties.Set org.a11y.Status IsEnabled "<true>" ||
    fail "the accessibility bus did not start"
}

wayland_start() {
  wayland_kind="$1"
  # What the session's clients put in their runtime folder (the accessibility bus's
  # socket among them) stays in this one, away from the caller's.
  export XDG_RUNTIME_DIR="$work/runtime"
  mkdir -p -m 700 "$XDG_RUNTIME_DIR"
  [ "$1" = gnome-shell ] || wayland_session_bus
  unset WAYLAND_DISPLAY DISPLAY XAUTHORITY SWAYSOCK
  case "$1" in
    sway) wayland_start_sway ;;
    kwin) wayland_start_kwin ;;
    mutter) wayland_start_mutter ;;
    gnome-shell) wayland_start_gnome_shell ;;
    *) fail "no such session: $1" ;;
  esac
  export WAYLAND_DISPLAY DISPLAY
  wayland_wait 10 xdpyinfo || fail "$1: its Xwayland at $DISPLAY does not answer"
}

# Waits up to `seconds` for a command to succeed while the compositor (pid) runs: 0 once it
# does, 1 when the time is up, 2 as soon as the compositor has ended (it cannot run here).
wayland_wait_while_running() { # pid seconds command...
  local pid="$1" seconds="$2"; shift 2
  wayland_ended=""
  wait_until "$seconds" succeeds_or_ends "$pid" "$@" || return 1
  [ -z "$wayland_ended" ] || return 2
}
succeeds_or_ends() { # pid command...
  local pid="$1"; shift
  "$@" && return 0
  kill -0 "$pid" 2>/dev/null && return 1
  wayland_ended=1
}
# Skips when the compositor (the last pid started) ended before `what` came up, as one that
# cannot run here does (an exit, or an abort on what it lacks); fails when it runs without
# it, or crashed (a fault: SIGILL, SIGBUS, SIGFPE or SIGSEGV).
wayland_started() { # name log seconds what command...
  local name="$1" log="$2" seconds="$3" what="$4"; shift 4
  wayland_compositor_pid="${pids[-1]}"
  wayland_wait_while_running "$wayland_compositor_pid" "$seconds" "$@"
  case $? in
    1) fail "$name started but $what did not come up: $(tail -5 "$log")" ;;
    2) wayland_compositor_ended
       [[ "$wayland_compositor_end" =~ \ died\ \(signal\ (4|7|8|11)\) ]] && fail "$what did not come up: $(tail -3 "$log")"
       wayland_skip "$name cannot start here: $(tail -3 "$log")" ;;
  esac
}

# After a compositor's death: the backtrace of the core it left in $wayland_core_dir, which
# is kept with the backtrace in $PLOVANE_TEST_KEEP_DIR (the test's output folder) when set.
wayland_post_mortem() {
  [ -n "${wayland_core_dir:-}" ] && [[ "$wayland_compositor_end" == *" died "* ]] || return 0
  local core keep="${PLOVANE_TEST_KEEP_DIR:-}" program
  core="$(ls -t "$wayland_core_dir"/core* 2>/dev/null | head -1)"
  if [ -z "$core" ]; then
    echo "--- no core of $wayland_kind (the system's core pattern: $(cat /proc/sys/kernel/core_pattern))"
    return 0
  fi
  program="$(command -v "$wayland_kind")"
  if command -v gdb >/dev/null; then
    echo "--- $wayland_kind's backtrace"
    gdb -batch -nx -iex 'set debuginfod enabled off' -ex bt -ex 'echo \n--- every thread\n' \
      -ex 'thread apply all bt' "$program" "$core" 2>&1 | grep -Ev '^(\[New LWP|warning: Can.t open file|$)' \
      >"$wayland_core_dir/backtrace.txt"
    sed '/^--- every thread/q' "$wayland_core_dir/backtrace.txt" | grep -E '^(#|Program terminated|Core was)' | uniq
  else
    echo "--- no gdb to read $wayland_kind's core (Debian: gdb)"
  fi
  [ -n "$keep" ] || return 0
  rm -rf "$keep" && mkdir -p "$keep" && mv "$core" "$keep"/ || return 0
  mv "$wayland_core_dir"/backtrace.txt "$keep"/ 2>/dev/null
  echo "--- what it left is kept in $keep"
}


# sway refuses to run as root: there it runs as nobody, in a runtime folder that user owns,
# and lets root's clients onto its Xwayland.
wayland_start_sway() {
  command -v sway >/dev/null || wayland_skip "sway is not installed (Debian: sway)"
  command -v Xwayland >/dev/null || wayland_skip "Xwayland is not installed (Debian: xwayland)"
  local user=65534 as=()
  sway_dir="$work/sway"
  mkdir -m 755 "$sway_dir"
  mkdir -m 700 "$sway_dir/runtime"
  if [ "$(id -u)" = 0 ]; then
    # That user may pass through our folder to its own, and read its configuration.
    chmod 711 "$work"
    chown "$user:$user" "$sway_dir/runtime"
    as=(setpriv --reuid=$user --regid=$user --clear-groups)
  fi
  cat >"$sway_dir/config" <<EOF
xwayland enable
output HEADLESS-1 resolution 1280x800
exec sh -c 'xhost +si:localuser:root >/dev/null; echo "\$DISPLAY \$WAYLAND_DISPLAY \$SWAYSOCK" >$sway_dir/runtime/env.tmp && mv $sway_dir/runtime/env.tmp $sway_dir/runtime/env'
EOF
  chmod 644 "$sway_dir/config"
  "${wayland_clean_env[@]}" HOME="$sway_dir/runtime" XDG_RUNTIME_DIR="$sway_dir/runtime" \
    WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 \
    "${as[@]}" sway -c "$sway_dir/config" >"$work/sway.log" 2>&1 9>&- &
  pids+=($!)
  wayland_started sway "$work/sway.log" 20 "its Xwayland" test -s "$sway_dir/runtime/env"
  local wl
  read -r DISPLAY wl SWAYSOCK <"$sway_dir/runtime/env"
  WAYLAND_DISPLAY="$sway_dir/runtime/$wl"
  export WAYLAND_DISPLAY DISPLAY SWAYSOCK
  # A keyboard held the whole session: without one the seat has none, and a client only
  # learns of wtype's own keyboard after wtype has typed and gone.
  wtype -s 3600000 9>&- &
  pids+=($!)
  wayland_wait 5 sh -c 'swaymsg -t get_seats | grep -q "\"capabilities\": [^0]"' ||
    fail "sway: no keyboard on the seat"
}

# KWin's installed binary carries a file capability that makes it fail here; a plain copy
# named like it runs. Fake input needs no permission in a test session.
wayland_start_kwin() {
  local kwin
  kwin="$(command -v kwin_wayland)" || wayland_skip "kwin_wayland is not installed (Debian: kwin-wayland)"
  command -v Xwayland >/dev/null || wayland_skip "Xwayland is not installed (Debian: xwayland)"
  mkdir -p "$work/kwin-bin" "$work/kwin-runtime" "$work/kwin-home"
  chmod 700 "$work/kwin-runtime"
  cp "$kwin" "$work/kwin-bin/kwin_wayland"
  (cd "$work" && exec "${wayland_clean_env[@]}" HOME="$work/kwin-home" XDG_RUNTIME_DIR="$work/kwin-runtime" \
    DBUS_SESSION_BUS_ADDRESS="$DBUS_SESSION_BUS_ADDRESS" QT_QPA_PLATFORM=offscreen KWIN_WAYLAND_NO_PERMISSION_CHECKS=1 \
    "$work/kwin-bin/kwin_wayland" --virtual --width 1280 --height 800 --socket kwin-0 --xwayland \
    "sh -c 'echo \$DISPLAY >$work/kwin-display.tmp && mv $work/kwin-display.tmp $work/kwin-display'") \
    >"$work/kwin.log" 2>&1 9>&- &
  pids+=($!)
  wayland_started kwin_wayland "$work/kwin.log" 30 "its Xwayland" test -s "$work/kwin-display"
  DISPLAY="$(cat "$work/kwin-display")"
  WAYLAND_DISPLAY="$work/kwin-runtime/kwin-0"
}

wayland_start_mutter() {
  command -v mutter >/dev/null || wayland_skip "mutter is not installed (Debian: mutter)"
  command -v Xwayland >/dev/null || wayland_skip "Xwayland is not installed (Debian: xwayland)"
  mkdir -p "$work/mutter-runtime" "$work/mutter-home"
  chmod 700 "$work/mutter-runtime"
  "${wayland_clean_env[@]}" HOME="$work/mutter-home" XDG_RUNTIME_DIR="$work/mutter-runtime" \
    DBUS_SESSION_BUS_ADDRESS="$DBUS_SESSION_BUS_ADDRESS" \
    mutter --headless --wayland --virtual-monitor 1280x800 --wayland-display mutter-0 >"$work/mutter.log" 2>&1 9>&- &
  pids+=($!)
  wayland_started mutter "$work/mutter.log" 30 "its Xwayland" grep -q 'Using public X11 display' "$work/mutter.log"
  DISPLAY="$(sed -n 's/.*Using public X11 display \(:[0-9]*\).*/\1/p' "$work/mutter.log" | head -1)"
  WAYLAND_DISPLAY="$work/mutter-runtime/mutter-0"
  XAUTHORITY="$(ls "$work"/mutter-runtime/.mutter-Xwaylandauth.* 2>/dev/null | head -1)"
  [ -n "$XAUTHORITY" ] || fail "mutter: no Xwayland authority file"
  export XAUTHORITY
  wayland_wait 10 gdbus introspect --session --dest org.gnome.Mutter.IdleMonitor \
    --object-path /org/gnome/Mutter/IdleMonitor/Core || fail "mutter: no idle monitor on the session bus"
}

# The shell itself, in a subshell of its own that becomes it: its pid is the shell's.
gnome_shell_process() { # folder user
  local dir="$1" user="$2"
  cd "$dir/home" && ulimit -S -c "$(ulimit -H -c)" &&
    exec "${wayland_clean_env[@]}" HOME="$dir/home" XDG_RUNTIME_DIR="$dir/runtime" GSETTINGS_BACKEND=keyfile \
      DBUS_SESSION_BUS_ADDRESS="$DBUS_SESSION_BUS_ADDRESS" DBUS_SYSTEM_BUS_ADDRESS="$DBUS_SYSTEM_BUS_ADDRESS" \
      setpriv --reuid="$user" --regid="$user" --clear-groups \
      gnome-shell --wayland --headless --virtual-monitor "${wayland_monitor:-1280x800}"
}

# GNOME Shell refuses to run as root: it runs as nobody, with buses that let root's clients
# in, and a system bus of its own (it asks logind and others there at start).
wayland_start_gnome_shell() {
  command -v gnome-shell >/dev/null || wayland_skip "gnome-shell is not installed (Debian: gnome-shell)"
  command -v Xwayland >/dev/null || wayland_skip "Xwayland is not installed (Debian: xwayland)"
  local user=65534 dir="$work/gnome-shell" kind
  chmod 711 "$work"
  mkdir -m 755 "$dir"
  mkdir -m 700 "$dir/runtime" "$dir/home"
  chown "$user:$user" "$dir/runtime" "$dir/home"
  for kind in system session; do
    {
      echo '<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"'
      echo ' "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">'
      echo "<busconfig><type>$kind</type><listen>unix:path=$dir/$kind-bus</listen><auth>EXTERNAL</auth>"
      [ "$kind" = session ] && echo "<servicedir>/usr/share/dbus-1/services</servicedir>"
      echo '<policy context="default"><allow user="*"/><allow own="*"/><allow send_destination="*"/>'
      echo '<allow receive_sender="*"/></policy></busconfig>'
    } >"$dir/$kind.conf"
    chmod 644 "$dir/$kind.conf" # read by nobody's bus too, whatever the file-creation mask
  done
  dbus-daemon --config-file="$dir/system.conf" --nofork --nopidfile >/dev/null 2>&1 9>&- &
  pids+=($!)
  chown "$user:$user" "$dir"
  setpriv --reuid=$user --regid=$user --clear-groups \
    dbus-daemon --config-file="$dir/session.conf" --nofork --nopidfile >/dev/null 2>&1 9>&- &
  pids+=($!)
  wayland_wait 5 test -S "$dir/system-bus" -a -S "$dir/session-bus" || fail "gnome-shell: its buses did not start"
  export DBUS_SESSION_BUS_ADDRESS="unix:path=$dir/session-bus" DBUS_SYSTEM_BUS_ADDRESS="unix:path=$dir/system-bus"
  unset DBUS_SESSION_BUS_PID
  # Its settings in a file of its own, holding the extensions to switch on.
  local settings="$dir/home/.config/glib-2.0/settings"
  mkdir -p "$settings" "$dir/home/.local/share/gnome-shell/extensions"
  printf '[org/gnome/shell]\nenabled-extensions=%s\n' "${wayland_gnome_extensions:-@as []}" >"$settings/keyfile"
  [ -z "${wayland_gnome_extension_dir:-}" ] ||
    cp -r "$wayland_gnome_extension_dir"/. "$dir/home/.local/share/gnome-shell/extensions/"
  chown -R "$user:$user" "$dir/home"
  # A shell that crashes leaves its core in the folder it works in, its home, as the
  # system's core pattern names a plain file by default: for the backtrace in the failure.
  wayland_core_dir="$dir/home"
  gnome_shell_process "$dir" $user >"$work/gnome-shell.log" 2>&1 9>&- &
  pids+=($!)
  wayland_started gnome-shell "$work/gnome-shell.log" 40 "its Xwayland" \
    grep -q 'Using public X11 display' "$work/gnome-shell.log"
  DISPLAY="$(sed -n 's/.*Using public X11 display \(:[0-9]*\).*/\1/p' "$work/gnome-shell.log" | head -1)"
  WAYLAND_DISPLAY="$dir/runtime/wayland-0"
  XAUTHORITY="$(ls "$dir"/runtime/.mutter-Xwaylandauth.* 2>/dev/null | head -1)"
  [ -n "$XAUTHORITY" ] || fail "gnome-shell: no Xwayland authority file"
  export XAUTHORITY
  wayland_wait 20 gdbus introspect --session --dest org.gnome.Mutter.RemoteDesktop \
    --object-path /org/gnome/Mutter/RemoteDesktop || fail "gnome-shell: no remote desktop on the session bus"
  # The shell starts in the overview, with the keyboard in its search: Escape, as a user would.
  "$typer" mutter $'\e' || fail "gnome-shell: Escape could not be typed"
}

wayland_type() {
  case "$wayland_kind" in
    sway) wtype "$1" ;;
    kwin | mutter) "$typer" "$wayland_kind" "$1" ;;
    gnome-shell) "$typer" mutter "$1" ;;
  esac
}

wayland_type_every_second() {
  case "$wayland_kind" in
    sway)
      local args=() i
      for ((i = 0; i < $2; i++)); do args+=("$1" -s 1000); done
      wtype "${args[@]}" ;;
    kwin | mutter) "$typer" "$wayland_kind" --times "$2" --every 1000 "$1" ;;
    gnome-shell) "$typer" mutter --times "$2" --every 1000 "$1" ;;
  esac
}
