#!/usr/bin/env bash
# The install as the README gives it: stripped, with a desktop entry that starts the
# installed program whatever the PATH, and that desktop-file-validate passes.
# Usage: AppInstall.sh <build folder>
set -uo pipefail
build="$1"
for tool in desktop-file-validate readelf; do
  command -v "$tool" >/dev/null || { echo "missing $tool"; exit 77; }
done
work="$(mktemp -d "${TMPDIR:-/tmp}/plovane-install-XXXXXX")"
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" --strip >"$work/install.log" 2>&1 || fail "install failed: $(cat "$work/install.log")"
program="$prefix/bin/plovane"
[ -x "$program" ] || fail "no program at $program"
readelf -S "$program" | grep -Eq '\.debug_info|\.symtab' && fail "the installed program is not stripped"
echo "ok: installed stripped, $(( $(stat -c %s "$program") / 1024 )) KiB"

entry="$prefix/share/applications/org.plovane.Plovane.desktop"
[ -f "$entry" ] || fail "no desktop entry at $entry"
report="$(desktop-file-validate "$entry" 2>&1)"
[ -z "$report" ] || fail "desktop-file-validate: $report"
exec_line="$(sed -n 's/^Exec=//p' "$entry")"
[ "$exec_line" = "$program" ] || fail "the entry runs '$exec_line', not $program"
[ "$(grep -c '^Categories=' "$entry")" = 1 ] || fail "not one Categories line"
echo "ok: the desktop entry runs $exec_line and desktop-file-validate has nothing to say"
