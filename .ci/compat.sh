#!/bin/sh
# Compat labels: every id of docs/compat.md is marked in src/ or include/, and every mark there is listed.
set -eu
cd "$(dirname "$0")/.."

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# Ids listed: the first cell of a table row, "| Q7 |" or "| D3 |".
sed -n 's/^| *\([QD][0-9][0-9]*\) *|.*/\1/p' docs/compat.md | sort >"$tmp/rows"
sort -u "$tmp/rows" >"$tmp/listed"
# Ids marked: "Q7:" or "D3:" in a // comment of the sources and headers.
git ls-files 'src/*.h' 'src/*.cpp' 'include/*.h' | xargs grep -ho '//.*' |
  grep -oE '(^|[^A-Za-z0-9_])[QD][0-9]+:' | sed 's/^[^QD]*//; s/:$//' | sort -u >"$tmp/marked"

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
