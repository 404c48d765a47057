# Sourced: waits that end by the clock. A wait of N seconds asks again every tenth of a
# second (wait_interval) until it succeeds or N seconds have passed, however long each
# asking takes, so a test means the same on an idle machine and a busy one.
#
# A desktop answers later on a busy machine (beside another whole test run, say), so every
# wait is given PLOVANE_TEST_WAIT_SCALE times its seconds (twice, unless set); this is the
# one place that allowance is made. It costs nothing while things go well: a wait ends as soon as what
# it waits for holds.
wait_scale="${PLOVANE_TEST_WAIT_SCALE:-2}"
wait_interval=0.1

# Microseconds since the epoch, without starting a process.
wait_now() { wait_now_us="${EPOCHREALTIME//[!0-9]/}"; }

# Microseconds in a decimal number of seconds ("5", "0.5").
wait_micro() { # seconds
  local whole="${1%%.*}" frac=""
  [[ "$1" == *.* ]] && frac="${1#*.}"
  frac="${frac}000000"
  wait_micro_us=$(( ${whole:-0} * 1000000 + 10#${frac:0:6} ))
}

# Sets wait_deadline_us to `seconds` (stretched by the load allowance) from now.
wait_deadline() { # seconds
  local scale
  wait_micro "$wait_scale"; scale=$wait_micro_us
  wait_micro "$1"
  wait_now
  wait_deadline_us=$(( wait_now_us + wait_micro_us * scale / 1000000 ))
}
# Whether the deadline set last has passed.
wait_expired() { wait_now; (( wait_now_us >= wait_deadline_us )); }

# Waits until a command succeeds: 0 once it does, 1 when the time is up.
wait_until() { # seconds, command...
  local wait_deadline_us
  wait_deadline "$1"; shift
  while true; do
    "$@" >/dev/null 2>&1 && return 0
    wait_expired && return 1
    sleep "$wait_interval"
  done
}

process_ended() { ! kill -0 "$1" 2>/dev/null; } # pid

# Whether a command keeps succeeding for `seconds` (by the clock, unstretched: what is
# measured here is the time itself): 1 as soon as it fails once.
holds_for() { # seconds, command...
  local wait_deadline_us wait_scale=1
  wait_deadline "$1"; shift
  while true; do
    "$@" >/dev/null 2>&1 || return 1
    wait_expired && return 0
    sleep "$wait_interval"
  done
}

# xwininfo and import given an empty window id wait for a click on a window: a test that
# lost its window must fail at once, not wait for a click that never comes.
xwininfo() { window_id_given "$@" && command xwininfo "$@"; }
import() { window_id_given "$@" && command import "$@"; }
window_id_given() { # arguments of xwininfo or import
  while (($#)); do
    case "$1" in
      -id | -window) [ -n "${2:-}" ] || { echo "${FUNCNAME[1]}: no window given" >&2; return 1; } ;;
    esac
    shift
  done
}
