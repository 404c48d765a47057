#!/usr/bin/env bash
# A test that drives a desktop, run outside the private test desktop (plain `ctest -R
# NAME`), skips without touching the user's desktop and says why: in its output, and on
# the terminal, since CTest shows nothing of a skipped test.
set -uo pipefail
script_test="$1" gtest="$2" app="$3" repo="$4"
command -v script >/dev/null || { echo "skipped: no script(1) to give the test a terminal"; exit 77; }
work="$(mktemp -d "${TMPDIR:-/tmp}/plovane-outside-XXXXXX")"
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Runs a command as CTest does (its output to a file) but on a terminal of its own, outside
# the test desktop (a display may still be there, the user's own); the terminal's text
# goes to $work/terminal.
outside() { # name command...
  local name="$1"; shift
  env -u PLOVANE_TEST_RUN -u PLOVANE_DESKTOP_FONTCONFIG TMPDIR="$work/tmp" \
    script -qec "$(printf '%q ' "$@") >'$work/$name.out' 2>&1" "$work/$name.terminal" </dev/null >/dev/null 2>&1
}
mkdir "$work/tmp"

outside script bash "$script_test" "$app" "$repo"
rc=$?
[ "$rc" = 77 ] || fail "the whole-application test ended with $rc outside the test desktop: $(head -5 "$work/script.out")"
grep -q "^skipped: needs the private test desktop; run it there: bash scripts/test-desktop.sh ctest" "$work/script.out" ||
  fail "the whole-application test did not say why it skipped: $(head -5 "$work/script.out")"
grep -q "skipped: needs the private test desktop" "$work/script.terminal" ||
  fail "nothing said on the terminal why the whole-application test skipped: $(cat "$work/script.terminal")"

outside gtest "$gtest" --gtest_filter='X11SensingTest.*'
rc=$?
[ "$rc" = 0 ] || fail "the X11 sensing tests ended with $rc outside the test desktop: $(tail -5 "$work/gtest.out")"
grep -q '^\[  SKIPPED \]' "$work/gtest.out" && ! grep -q '^\[       OK \]' "$work/gtest.out" ||
  fail "the X11 sensing tests ran outside the test desktop: $(grep '^\[' "$work/gtest.out" | head -5)"
grep -q "X11SensingTest\..*: skipped: needs the private test desktop; run it there: .* -R 'X11SensingTest\." \
  "$work/gtest.terminal" || fail "nothing said on the terminal why the X11 sensing tests skipped: $(cat "$work/gtest.terminal")"

# Asked to draw with a desktop's fonts that only the test desktop provides.
PLOVANE_TEST_FONTS=desktop outside fonts "$gtest" --gtest_filter='X11SensingTest.*'
rc=$?
[ "$rc" = 77 ] || fail "without the desktop's fonts the tests ended with $rc: $(tail -5 "$work/fonts.out")"
grep -q "DesktopFonts: skipped: no desktop font configuration" "$work/fonts.terminal" ||
  fail "nothing said on the terminal why the desktop-font tests skipped: $(cat "$work/fonts.terminal")"

# What the tests made for themselves is gone again, however they ended.
left="$(find "$work/tmp" -mindepth 1 | head -5)"
[ -z "$left" ] || fail "tests run outside the test desktop left $left"

[ "$failures" = 0 ] && echo "ok: outside the test desktop the tests skip and say why, also on the terminal"
exit $((failures > 0))
