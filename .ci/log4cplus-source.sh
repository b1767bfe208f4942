#!/bin/sh
# Fetches log4cplus's Debian source package into build-deps/ (once) and prints
# its directory. The deb-src list and apt's lists live in the scratch folder,
# so the machine's apt configuration is left as it is.
set -eu
cd "$(dirname "$0")/.."
deps=$PWD/build-deps
# The unpacked source: the first log4cplus-*/ (the pattern itself when there is none).
for src in "$deps"/src/log4cplus-*/; do break; done
if [ ! -d "$src" ]; then
  apt=$deps/apt
  mkdir -p "$apt/sources.list.d" "$apt/lists/partial" "$deps/src"
  printf 'Types: deb-src\nURIs: http://deb.debian.org/debian\nSuites: bookworm\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
    >"$apt/sources.list.d/src.sources"
  set -- -o Dir::Etc::SourceList=/dev/null -o Dir::Etc::SourceParts="$apt/sources.list.d" \
    -o Dir::State::Lists="$apt/lists" -o APT::Sandbox::User=root
  apt-get "$@" update -qq >&2
  (cd "$deps/src" && apt-get "$@" source -qq log4cplus >&2)
  for src in "$deps"/src/log4cplus-*/; do break; done
  [ -d "$src" ] || { echo "log4cplus-source.sh: apt-get source left no log4cplus-*/ in $deps/src" >&2; exit 1; }
fi
echo "${src%/}"
