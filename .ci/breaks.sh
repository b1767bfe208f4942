#!/bin/sh
# The planted breaks: each .ci/breaks/NAME.sh plants one fault in a scratch
# copy of the tree (apply) and runs the narrowest command of the CI step that
# is to catch it (check), which must then fail. A step that passes on a broken
# tree checks nothing. Usage: .ci/breaks.sh [NAME...]; logs in build-breaks/.
set -eu
cd "$(dirname "$0")/.."
ROOT=$PWD
export ROOT
scratch=$ROOT/build-breaks
mkdir -p "$scratch"
if [ $# -eq 0 ]; then
  set -- $(ls .ci/breaks | sed -n 's/\.sh$//p')
fi
# A digest of every file of the copy, to see that apply changed something.
digest() { find . -path ./.git -prune -o -type f -print | LC_ALL=C sort | xargs md5sum | md5sum; }
status=0
for name in "$@"; do
  file=$ROOT/.ci/breaks/$name.sh
  [ -f "$file" ] || { echo "breaks: no $file" >&2; exit 2; }
  dir=$scratch/$name log=$scratch/$name.log
  rm -rf "$dir"
  mkdir -p "$dir"
  git ls-files -z | xargs -0 cp --parents -t "$dir"
  # git ls-files works in the copy, as the checks ask it; no history.
  (cd "$dir" && git init -q && git add -A)
  before=$(cd "$dir" && digest)
  if ! (set -e; cd "$dir"; . "$file"; apply) >"$log" 2>&1; then
    echo "breaks: $name: apply failed, the break no longer fits the tree ($log)"; status=1; continue
  fi
  if [ "$(cd "$dir" && digest)" = "$before" ]; then
    echo "breaks: $name: apply changed nothing ($log)"; status=1; continue
  fi
  # set -e inside: a check fails at its first failing command, as in its CI step.
  if (set -e; cd "$dir"; . "$file"; check) >>"$log" 2>&1; then
    echo "breaks: $name: its check PASSED on the broken tree ($log)"; status=1
  else
    echo "breaks: $name: caught ($(sed -n '1s/^# *//p' "$file"))"
    rm -rf "$dir"
  fi
done
exit $status
