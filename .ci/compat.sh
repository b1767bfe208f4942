#!/bin/sh
# Compat labels: every id of docs/compat.md is marked in src/ or include/, and every mark there is listed.
set -eu
cd "$(dirname "$0")/.."

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# Each command writes a file, so that a failing one fails the script (a
# pipeline's status is that of its last command only).
# Ids listed: the first cell of a table row, "| Q7 |" or "| D3 |".
sed -n 's/^| *\([QD][0-9][0-9]*\) *|.*/\1/p' docs/compat.md >"$tmp/cells"
sort "$tmp/cells" >"$tmp/rows"
sort -u "$tmp/rows" >"$tmp/listed"
# Ids marked: "Q7:" or "D3:" in a // comment of the sources and headers.
git ls-files 'src/*.h' 'src/*.cpp' 'include/*.h' >"$tmp/files"
[ -s "$tmp/files" ]
# shellcheck disable=SC2046 # one argument per file; no file name holds a blank
awk '{
  i = index($0, "//"); if (!i) next
  s = " " substr($0, i)
  while (match(s, /[^A-Za-z0-9_][QD][0-9]+:/)) { print substr(s, RSTART + 1, RLENGTH - 2); s = substr(s, RSTART + RLENGTH) }
}' $(cat "$tmp/files") >"$tmp/marks"
sort -u "$tmp/marks" >"$tmp/marked"

status=0
if [ ! -s "$tmp/listed" ]; then
  echo "compat: docs/compat.md lists no ids"
  status=1
fi
for id in $(uniq -d "$tmp/rows"); do
  echo "compat: $id is listed more than once in docs/compat.md"
  status=1
done
for id in $(comm -23 "$tmp/listed" "$tmp/marked"); do
  echo "compat: $id is listed in docs/compat.md but marked nowhere in src/ or include/"
  status=1
done
for id in $(comm -13 "$tmp/listed" "$tmp/marked"); do
  echo "compat: $id is marked in src/ or include/ but not listed in docs/compat.md"
  status=1
done
[ "$status" -eq 0 ] && echo "compat: $(wc -l <"$tmp/listed" | tr -d ' ') ids listed and marked"
exit "$status"
