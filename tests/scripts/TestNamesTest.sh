#!/usr/bin/env bash
# CTest pads every result line to its longest test name, so one long name makes every line
# of a run wrap on a terminal: names of up to 75 characters keep the lines within 120
# columns. A parameterised case is named by its row, with no dump of the parameter's bytes.
set -uo pipefail
build="$1"
limit=75
work="$(mktemp -d "${TMPDIR:-/tmp}/plovane-names-XXXXXX")"
trap 'rm -rf "$work"' EXIT

# Listed from a copy of the test files: CTest rewrites its log in the folder it lists, and
# the run this test is part of writes that log in the build folder meanwhile.
(cd "$build" && find . -name CTestTestfile.cmake) | while read -r file; do
  mkdir -p "$work/$(dirname "$file")"
  cp "$build/$file" "$work/$file"
done
names="$(ctest --test-dir "$work" -N | sed -n 's/^ *Test *#[0-9]*: //p')"
[ "$(wc -l <<<"$names")" -gt 100 ] || { echo "FAIL: CTest listed only: $names"; exit 1; }

rc=0
long="$(awk -v limit="$limit" 'length($0) > limit { printf "  %d %s\n", length($0), $0 }' <<<"$names")"
[ -z "$long" ] || { echo "FAIL: test names longer than $limit characters:"; echo "$long"; rc=1; }
dumps="$(grep -E '#|GetParam|[0-9A-F]{2}-[0-9A-F]{2}' <<<"$names")"
[ -z "$dumps" ] || { echo "FAIL: test names carrying a parameter's dump:"; echo "$dumps"; rc=1; }
[ "$rc" = 0 ] && echo "ok: $(wc -l <<<"$names") test names, the longest $(awk '{ print length($0) }' <<<"$names" | sort -n | tail -1) characters"
exit "$rc"
