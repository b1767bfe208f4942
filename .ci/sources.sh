# shellcheck shell=sh
# Source lists for the scripts of .ci/ (sourced, POSIX sh). Lists come from git, which
# sees every folder; a check against what is on disk fails when a list leaves a
# library source out.

# The library's sources, every folder of src/.
library_sources() { git ls-files 'src/*.cpp'; }

# Fails, naming them, when a library source on disk is missing from the list in file $1;
# the sources named after it are left out on purpose.
require_library_sources() {
  list=$1; shift
  missing=$(find src -type f -name '*.cpp' | sort | while read -r f; do
    for skip; do [ "$f" = "$skip" ] && continue 2; done
    grep -qxF "$f" "$list" || echo "$f"
  done)
  if [ -n "$missing" ]; then
    # shellcheck disable=SC2086 # one name per word
    echo "$(basename "$0"): library sources left out of $list:" $missing >&2
    return 1
  fi
}
